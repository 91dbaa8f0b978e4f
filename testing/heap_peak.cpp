#include "testing/heap_peak.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> s_nInUse{0};
std::atomic<size_t> s_nPeak{0};

void* Allocate(size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  const size_t nNow =
      s_nInUse.fetch_add(malloc_usable_size(p), std::memory_order_relaxed) + malloc_usable_size(p);
  size_t nPeak = s_nPeak.load(std::memory_order_relaxed);
  while (nNow > nPeak && !s_nPeak.compare_exchange_weak(nPeak, nNow, std::memory_order_relaxed)) {
  }
  return p;
}

void Release(void* p) noexcept {
  if (p == nullptr) return;
  s_nInUse.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

size_t HeapBytesInUse() { return s_nInUse.load(); }

cHeapPeak::cHeapPeak() : m_nStart(s_nInUse.load()) { s_nPeak = m_nStart; }

size_t cHeapPeak::Bytes() const {
  const size_t nPeak = s_nPeak.load();
  return nPeak > m_nStart ? nPeak - m_nStart : 0;
}

// Aligned forms are left to the library: nothing the tests measure uses them.
void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
  try {
    return Allocate(n);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
  try {
    return Allocate(n);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
