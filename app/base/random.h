#pragma once
// The per-thread linear congruential generator that all game randomness goes
// through: seed = seed * 214013 + 2531011, value = (seed >> 16) & 0x7FFF.

#include <cstdint>

inline constexpr int kRandMax = 0x7FFF;

void SeedRand(uint32_t nSeed);
int Rand();              // 0..kRandMax
uint32_t GetRandSeed();  // the calling thread's state, for digests and replays
