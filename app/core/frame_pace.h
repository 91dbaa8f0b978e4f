#pragma once
// The frame limiter of the textured back end when vertical sync is off:
// `rate` frames per one-second window, resynchronised at the start of each
// window, so a late frame is shown at once and the following ones catch up.

#include <cstdint>

// True when the next frame is due (the caller sleeps 1 ms and asks again
// otherwise). Always true when the textured back end is not running or the
// rate is 0.
bool FramePace(int nRate, int nDebug, uint32_t dwColor);

// Puts the schedule back to its start-up state (tests).
void ResetFramePace();

// The debug figures FramePace keeps: averages of the last 16 frame rates and
// work times, the window start and the frame index within the window.
struct FRAMEPACESTATS {
  uint32_t dwFpsAverage = 0;
  uint32_t dwWorkAverage = 0;
  uint32_t dwWindowStart = 0;
  uint32_t nFrameIndex = 0;
};
FRAMEPACESTATS GetFramePaceStats();
