#pragma once
// The millisecond clock of the program: an unsigned 32-bit count that wraps
// after about 49.7 days. Tests replace the source to drive time by hand.

#include <cstdint>
#include <functional>

uint32_t GetTimeMs();

// Replaces the clock source; an empty function restores the real clock.
void SetClockSource(std::function<uint32_t()> source);

// Wrap-safe ordering of two clock readings that lie less than 2^31 ms apart.
inline constexpr bool IsTimeBefore(uint32_t a, uint32_t b) {
  return static_cast<int32_t>(a - b) < 0;
}

// Sleeps the calling thread for about nMs milliseconds.
void SleepMs(uint32_t nMs);
