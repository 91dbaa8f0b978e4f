#include "app/base/random.h"

namespace {
thread_local uint32_t t_nSeed = 1;
}

void SeedRand(uint32_t nSeed) { t_nSeed = nSeed; }

int Rand() {
  t_nSeed = t_nSeed * 214013u + 2531011u;
  return static_cast<int>((t_nSeed >> 16) & 0x7FFF);
}

uint32_t GetRandSeed() { return t_nSeed; }
