#pragma once
// Counts the heap allocations made through operator new, so that a benchmark
// can report how many one iteration makes (a figure the machine's noise does
// not blur). Include in exactly one source file of a benchmark binary: it
// replaces the global operator new and delete.

#include <atomic>
#include <cstdlib>
#include <new>

inline std::atomic<long long> g_nBenchAllocs{0};

// All kept out of line: inlined, the compiler would pair malloc() and free()
// with the standard operator new and delete and warn of a mismatch.
__attribute__((noinline)) void* operator new(std::size_t nBytes) {
  g_nBenchAllocs.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(nBytes ? nBytes : 1)) return p;
  throw std::bad_alloc();
}
__attribute__((noinline)) void* operator new[](std::size_t nBytes) { return operator new(nBytes); }
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete[](void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

// Heap allocations per iteration of the loop that ran since nBefore.
template <class STATE>
void ReportAllocs(STATE& state, long long nBefore) {
  state.counters["allocs"] = static_cast<double>(g_nBenchAllocs.load() - nBefore) /
                             static_cast<double>(state.iterations() ? state.iterations() : 1);
}
