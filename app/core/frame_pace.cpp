#include "app/core/frame_pace.h"

#include "app/base/clock.h"
#include "app/base/timing.h"
#include "platform/draw/dd_device.h"

namespace {

struct FramePaceState {
  bool bStarted = false;
  uint32_t dwWindowStart = 0;
  uint32_t nFrameIndex = 0;
  // Rings of the last 16 work times and frame rates, with their averages.
  uint32_t adwWork[16] = {};
  uint32_t adwFps[16] = {};
  int nRing = 0;
  uint32_t dwWorkAverage = 0;
  uint32_t dwFpsAverage = 0;
  bool bSample = true;
};

FramePaceState g_pace;

uint32_t Average16(const uint32_t (&ring)[16]) {
  uint64_t nSum = 0;
  for (uint32_t v : ring) nSum += v;
  return static_cast<uint32_t>(nSum / 16);
}

}  // namespace

void ResetFramePace() { g_pace = FramePaceState(); }

FRAMEPACESTATS GetFramePaceStats() {
  return FRAMEPACESTATS{g_pace.dwFpsAverage, g_pace.dwWorkAverage, g_pace.dwWindowStart,
                        g_pace.nFrameIndex};
}

bool FramePace(int nRate, int nDebug, uint32_t dwColor) {
  if (!g_bUseD3D || lpDTCon == nullptr || nRate <= 0) return true;
  const uint32_t dwNow = GetTimeMs();
  if (!g_pace.bStarted) {
    g_pace.bStarted = true;
    g_pace.dwWindowStart = dwNow;
    g_pace.nFrameIndex = 0;
  }
  const bool bDebug = nDebug != 0 && dwColor != 0;
  if (bDebug && g_pace.bSample) {
    g_pace.bSample = false;
    g_pace.adwWork[g_pace.nRing] = GetStopwatch(0);
    g_pace.adwFps[g_pace.nRing] = static_cast<uint32_t>(CountFPS(0));
    if (++g_pace.nRing == 16) {
      g_pace.nRing = 0;
      g_pace.dwWorkAverage = Average16(g_pace.adwWork);
      g_pace.dwFpsAverage = Average16(g_pace.adwFps);
    }
  }
  // Due at window start + index x (1000 / rate) ms, in floating point; the
  // difference to now is taken wrap-safe.
  const double dDue = g_pace.nFrameIndex * (1000.0 / nRate);
  const double dElapsed = static_cast<double>(static_cast<int32_t>(dwNow - g_pace.dwWindowStart));
  if (dDue > dElapsed) return false;
  if (++g_pace.nFrameIndex >= static_cast<uint32_t>(nRate)) {
    // The next window starts one second after this one, so that the frame
    // after the last of a window is not due at once; a late schedule
    // resynchronises to now instead of bursting to catch up.
    g_pace.nFrameIndex = 0;
    const uint32_t dwNextStart = g_pace.dwWindowStart + 1000;
    g_pace.dwWindowStart = IsTimeBefore(dwNow, dwNextStart) ? dwNextStart : dwNow;
  }
  if (bDebug) g_pace.bSample = true;
  return true;
}
