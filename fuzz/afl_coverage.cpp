// Edge coverage for afl++ from g++'s own instrumentation.
//
// The fuzz build compiles our code with -fsanitize-coverage=trace-pc, which
// calls __sanitizer_cov_trace_pc at the start of every basic block. Here each
// call becomes an edge in afl++'s coverage map through afl's runtime
// (__afl_trace: the previous and the current block hashed into one counter).
// This stands in for afl-g++-fast, whose instrumentation plugin refuses to
// load into a g++ of another build than the one it was made for (as Debian's
// afl++ package does with the current g++ 12). It is compiled without the
// instrumentation itself.
//
// Blocks are named by their offset in the executable, so the map is the same
// in every run whatever the load address.

#include <cstdint>

extern "C" {

void __afl_trace(uint32_t nEdge);  // afl-compiler-rt
extern const char __executable_start[];

void __sanitizer_cov_trace_pc() {
  const uintptr_t nOffset = reinterpret_cast<uintptr_t>(__builtin_return_address(0)) -
                            reinterpret_cast<uintptr_t>(__executable_start);
  uint32_t h = static_cast<uint32_t>(nOffset);
  h = (h ^ (h >> 16)) * 0x7feb352dU;
  h = (h ^ (h >> 15)) * 0x846ca68bU;
  h ^= h >> 16;
  __afl_trace(h & 0xFFFFu);  // afl's default map of 64 KiB
}

}  // extern "C"
