#include "soak/soak_memory.h"

#include <unistd.h>

#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizers' allocator interface (its header is not always installed).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include "testing/heap_peak.h"
#endif

size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return HeapBytesInUse();
#endif
}

size_t ResidentBytes() {
  // /proc/self/statm: size and resident, in pages.
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (f == nullptr) return 0;
  unsigned long nSize = 0, nResident = 0;
  const int nRead = std::fscanf(f, "%lu %lu", &nSize, &nResident);
  std::fclose(f);
  if (nRead != 2) return 0;
  return nResident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}
