#pragma once
// The seed of a new attempt at a stage. The play scene records it in the
// replay and seeds the game thread's generator with it, so that every
// random draw of the attempt follows from it; the game itself never reads
// the clock. By default the seed is the millisecond clock at the attempt's
// start.

#include <cstdint>
#include <functional>

uint32_t NewAttemptSeed();

// Replaces the source (tests); an empty function restores the clock.
void SetAttemptSeedSource(std::function<uint32_t()> source);
