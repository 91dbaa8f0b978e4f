#include "app/base/timing.h"

#include "app/base/clock.h"

namespace {

struct TimingState {
  uint32_t dwStopwatchStart = 0;
  uint32_t dwStopwatch = 1;
  uint32_t nEveryCount = 0;
  bool bFpsStarted = false;
  uint32_t dwFpsWindowStart = 0;
  int nFpsFrames = 0;
  int nFpsLast = 0;
  bool bRateStarted = false;
  uint32_t dwRateDeadline = 0;
};

TimingState g_timing;

}  // namespace

void ResetTimingState() { g_timing = TimingState(); }

void StartStopwatch() { g_timing.dwStopwatchStart = GetTimeMs(); }

uint32_t GetStopwatch(int bUpdate) {
  if (bUpdate != 0) g_timing.dwStopwatch = GetTimeMs() - g_timing.dwStopwatchStart;
  return g_timing.dwStopwatch;
}

int CountEvery(int nMode, uint32_t n) {
  switch (nMode) {
    case 0:
      g_timing.nEveryCount = 0;
      return 0;
    case 2:
      return g_timing.nEveryCount == 0 ? 1 : 0;
    default:
      ++g_timing.nEveryCount;
      if (g_timing.nEveryCount >= n) {
        g_timing.nEveryCount = 0;
        return 1;
      }
      return 0;
  }
}

int CountFPS(int bCount) {
  const uint32_t dwNow = GetTimeMs();
  if (!g_timing.bFpsStarted) {
    g_timing.bFpsStarted = true;
    g_timing.dwFpsWindowStart = dwNow;
  }
  if (bCount != 0) {
    if (dwNow - g_timing.dwFpsWindowStart >= 1000) {
      g_timing.nFpsLast = g_timing.nFpsFrames;
      g_timing.dwFpsWindowStart = dwNow;
      g_timing.nFpsFrames = 0;
    } else {
      ++g_timing.nFpsFrames;
    }
  }
  return g_timing.nFpsLast;
}

bool WaitRate(uint32_t n) {
  const uint32_t dwNow = GetTimeMs();
  if (!g_timing.bRateStarted) {
    g_timing.bRateStarted = true;
    g_timing.dwRateDeadline = dwNow;
  }
  if (n == 0) return true;
  if (IsTimeBefore(dwNow, g_timing.dwRateDeadline)) return false;
  g_timing.dwRateDeadline = dwNow + 1000 / n;
  return true;
}
