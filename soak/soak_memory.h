#pragma once
// What a soak watches of the process's memory: the bytes the heap holds for
// live allocations (as the allocator in use counts them: the sanitizers'
// allocator under AddressSanitizer, the C library's otherwise) and the
// resident set. A leak shows in the first; the second also holds what an
// allocator keeps for reuse (AddressSanitizer's quarantine among it).

#include <cstddef>

size_t HeapInUse();
size_t ResidentBytes();
