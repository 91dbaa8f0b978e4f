#pragma once
// What every fuzz target shares.
//
// A fuzz target is one program per reader of outside data. It defines
// FuzzOneInput, which writes the input to the file the reader opens
// (WriteFuzzInput) and reads it as the program does, then resets what the
// reader changed. The same target links either afl++'s driver (a build with
// PLAYER_AFL, fuzzed by scripts/fuzz.sh) or replay_main.cpp (every other
// build: a test that replays the target's corpus); both call
// LLVMFuzzerTestOneInput (here), which runs FuzzOneInput.
//
// Every input starts from the same state, so that afl++ sees one input take
// one path: the target resets what it changed, and after it the record
// layouts described for the input are forgotten (RestoreRecordLayouts), as
// another version word in the next input would otherwise only look them up.
//
// Before the first input, LLVMFuzzerInitialize (here) makes a throw-away game
// folder the working folder, silences message boxes and close requests, leaves
// the report log closed (its lines are still formatted, not written; the
// environment variable PLAYER_FUZZ_LOG names a file to write them to) and, under
// AddressSanitizer, starts counting the heap: an input that makes the program
// hold more than kFuzzHeapLimit bytes more than before it aborts the program,
// as a crash does. A target that needs more set-up defines FuzzTargetSetUp.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

inline constexpr size_t kFuzzHeapLimit = size_t{100} << 20;

// The target's run of one input.
void FuzzOneInput(const uint8_t* lpData, size_t nSize);

// Optional per-target set-up, run once after the shared one (a target that
// needs none does not define it).
__attribute__((weak)) void FuzzTargetSetUp();

// Writes the input as the file at a stored path (relative to the game folder),
// making its folders.
void WriteFuzzInput(std::string_view storedPath, const uint8_t* lpData, size_t nSize);

// Marks the start of one input for the heap limit (WriteFuzzInput does it).
void BeginFuzzInput();

// Puts a global back to a newly made object, destroyed and made again in
// place: an assignment would leave it the capacity of the lists an input
// filled, and the next input would take another path through them.
template <class T>
void RemakeGlobal(T& object) {
  std::destroy_at(&object);
  std::construct_at(&object);
}
