#pragma once
// What a soak watches of the process's memory: the bytes the heap holds for
// live allocations and the resident set. A leak shows in the first; the
// second also holds what an allocator keeps for reuse (AddressSanitizer's
// quarantine among it). Under AddressSanitizer its allocator counts the
// live bytes; otherwise the soak links testing/heap_peak.h, which counts
// what operator new hands out (the C library's own count, mallinfo2, is
// no measure of it: it grew by megabytes where the live bytes did not).

#include <cstddef>

size_t HeapInUse();
size_t ResidentBytes();
