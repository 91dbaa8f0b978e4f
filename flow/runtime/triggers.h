#pragma once
// Triggers and key conditions.
//
// A flow waits for its trigger (0..19). Raising a trigger on a character
// starts each of its idle flows of that trigger whose conditions and key
// conditions hold. Per frame a flow is tested at most once for its trigger
// and started at most once; trigger-0 flows that share a tag never run at
// the same time.
//
// Key conditions are a sequence of key states of the hero's input (player
// 1's in a one-player game), matched backwards in time over the per-key
// event lists of the input record: the last key condition must hold now,
// each earlier one just before the frames the later one took, within the
// flow's tolerance in frames. In edge mode a flow starts only in the first
// frame its keys match; in level mode whenever they match.
//
// cChara::RaiseTrigger and cChara::CheckKeyCondition are defined with these.

#include <cstdint>
#include <vector>

#include "platform/input/input_state.h"

class cChara;
class cKeyCondition;

inline constexpr int kKeyLists = kDirEventLists + kButtonEventLists;  // 19

// A position in the past of every key-event list: for each list an entry
// index c (0 = newest) and the frames p from the start of that entry up to
// the cursor (1 .. the entry's frames; 0 or less once moved back past the
// oldest entry, where nothing matches).
struct KEYCURSOR {
  int32_t c[kKeyLists] = {};
  int32_t p[kKeyLists] = {};
};

// The input record whose event lists key conditions are matched against:
// the hero's, or player 1's when there is no hero.
const cInputState& KeyInput();
// Every cursor at now: the newest entry, all of its frames.
KEYCURSOR KeyCursorNow(const cInputState& input);
// Moves every list's cursor n frames (back in time when n < 0).
void ShiftKeyHistory(KEYCURSOR& cursor, const cInputState& input, int n);
// Whether key state nState (1 pressed, 2 released) holds of the entry seen
// at position p.
bool KeyStateMatches(const KEYEVENT& entry, int p, const cKeyCondition& k, int nState);
// One key condition at the cursor; M gets the frames it took. lpChara turns
// facing-relative conditions (null: as stated).
bool MatchKeyStep(const cKeyCondition& k, const KEYCURSOR& cursor, const cInputState& input,
                  const cChara* lpChara, int& M);
// The whole sequence (oldest step first) with the tolerance in frames.
bool MatchKeySequence(const std::vector<cKeyCondition*>& keys, int nTolerance,
                      const cInputState& input, const cChara* lpChara);
// The first direction list (0 none, 1 left .. 8 down-right, 9 any) whose
// newest entry is pressed, else 0.
int GetHeldDirection(const cInputState& input);
