#pragma once
// Random input as a player gives it: a few keys held together for a random
// number of frames, then others. The same seed gives the same input.

#include <array>
#include <cstddef>
#include <cstdint>

#include "testing/test_random.h"

class cSoakInput {
 public:
  explicit cSoakInput(uint32_t nSeed) : m_Random(nSeed) {}

  // The keys held in the next frame, one bit each of the nKeys keys: each
  // held with a chance of one in three, for 1 to 40 frames.
  uint32_t Next(int nKeys) {
    if (m_nHold-- > 0) return m_nHeld;
    m_nHold = m_Random.Between(0, 39);
    m_nHeld = 0;
    for (int i = 0; i < nKeys; ++i)
      if (m_Random.Below(3) == 0) m_nHeld |= 1u << i;
    return m_nHeld;
  }
  // The key held in the next frame as a menu is walked, one at a time: key
  // i with a chance by its weight (-1, none, by the weight of nothing), for
  // 1 to 30 frames.
  template <size_t N>
  int NextKey(const std::array<int, N>& weights, int nNoneWeight) {
    if (m_nHold-- > 0) return m_nKey;
    m_nHold = m_Random.Between(0, 29);
    int nTotal = nNoneWeight;
    for (const int w : weights) nTotal += w;
    int n = m_Random.Below(nTotal);
    m_nKey = -1;
    for (size_t i = 0; i < N && m_nKey < 0; ++i) {
      if (n < weights[i]) m_nKey = static_cast<int>(i);
      n -= weights[i];
    }
    return m_nKey;
  }
  // True once in n calls on average.
  bool OneIn(int n) { return m_Random.Below(n) == 0; }

 private:
  cTestRandom m_Random;
  int m_nHold = 0;
  uint32_t m_nHeld = 0;
  int m_nKey = -1;
};
