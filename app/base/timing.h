#pragma once
// Frame timers and counters. Every time is a GetTimeMs() reading.

#include <cstdint>

// Remembers the current time as the start of a frame's work.
void StartStopwatch();
// bUpdate != 0: measures, stores and returns the ms since StartStopwatch;
// 0: returns the last stored value (initially 1).
uint32_t GetStopwatch(int bUpdate);

// Every-N-calls counter: mode 0 resets (returns 0), mode 2 asks whether the
// count is 0, any other mode counts and returns 1 on every n-th call.
int CountEvery(int nMode, uint32_t n);

// Frames per second over one-second windows; a non-zero argument counts a
// frame. Returns the count of the last completed window.
int CountFPS(int bCount);

// Rate gate: true at most once every 1000 / n ms, measured from the moment it
// last opened. n = 0 always opens.
bool WaitRate(uint32_t n);

// Puts the timer statics back to their start-up state (tests).
void ResetTimingState();
