#pragma once
// Test data that is the same on every run and machine: the game's linear
// congruential step with a state of its own, so that drawing test data never
// moves the game's per-thread generator.

#include <cstddef>
#include <cstdint>

class cTestRandom {
 public:
  explicit cTestRandom(uint32_t nSeed = 12345) : m_nState(nSeed) {}

  // 0..0x7FFF.
  uint32_t Next() {
    m_nState = m_nState * 214013u + 2531011u;
    return (m_nState >> 16) & 0x7FFF;
  }
  // 0..n-1 (1 <= n <= 0x8000).
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
  // lo..hi.
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
  // An index into n items (n >= 1): two steps for more than 0x8000, so that
  // every byte of a large buffer can be reached.
  size_t Index(size_t n) {
    const size_t v = Next();
    return (n <= 0x8000 ? v : (v << 15 | Next())) % n;
  }
  // A byte, any value.
  char Byte() { return static_cast<char>(Next()); }

 private:
  uint32_t m_nState;
};
