#pragma once
// Measures how far the heap grows while a piece of code runs, for tests that
// hold a reader to "memory follows the bytes in the file".
//
//   cHeapPeak peak;
//   LoadSomething(bytes);
//   EXPECT_LT(peak.Bytes(), 16 * bytes.size());
//
// Linking this file (library testing_heap_peak) replaces the global operator new and delete of the
// test binary with ones that count the bytes they hand out (all threads).

#include <cstddef>

// The bytes in use through operator new now (all threads).
size_t HeapBytesInUse();

class cHeapPeak {
 public:
  cHeapPeak();  // starts measuring from the bytes in use now
  cHeapPeak(const cHeapPeak&) = delete;
  cHeapPeak& operator=(const cHeapPeak&) = delete;

  // The most bytes in use through operator new since the start, above what
  // was in use at the start.
  size_t Bytes() const;

 private:
  size_t m_nStart;
};
