#pragma once
// Waiting in tests for another thread or a device: poll a condition until it
// holds or a generous deadline passes, never a fixed sleep.
//
//   ASSERT_TRUE(WaitUntil([&] { return stream.Device()->CallbacksHandled(); }));

#include <cstdint>

#include "app/base/clock.h"

// True as soon as bDone() holds; false when it still does not after
// nDeadlineMs milliseconds.
template <class Condition>
bool WaitUntil(Condition bDone, uint32_t nDeadlineMs = 10000) {
  const uint32_t nStart = GetTimeMs();
  while (!bDone()) {
    if (GetTimeMs() - nStart > nDeadlineMs) return bDone();
    SleepMs(1);
  }
  return true;
}
