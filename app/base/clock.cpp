#include "app/base/clock.h"

#include <time.h>

#include <cerrno>
#include <mutex>

namespace {

std::mutex g_clockMutex;
std::function<uint32_t()> g_clockSource;

// <chrono> cannot be used here: its unit names do not exist in CP932, the
// character set our literals are compiled to.
uint32_t RealClock() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                               static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

}  // namespace

uint32_t GetTimeMs() {
  std::lock_guard lock(g_clockMutex);
  return g_clockSource ? g_clockSource() : RealClock();
}

void SetClockSource(std::function<uint32_t()> source) {
  std::lock_guard lock(g_clockMutex);
  g_clockSource = std::move(source);
}

void SleepMs(uint32_t nMs) {
  timespec ts{static_cast<time_t>(nMs / 1000), static_cast<long>(nMs % 1000) * 1000000L};
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}
