#pragma once
// Evaluation of conditions: a flow's start conditions and the appearance
// conditions of characters, items and map-cell blocks.
//
// A list holds in mode 0 when every condition holds and in mode 1 when one
// does (an empty list always holds); any other mode never holds. An owner
// with its once switch set passes for good after its first success (its
// latch). Kinds 1 to 4 compare a variable or a status here; kinds 5 to 7 ask
// the character (its properties, its state, a distance).
//
// Random right operands draw from the game thread's generator exactly once
// per evaluation of such a condition, before anything else of it is looked
// at, so that replays see the same sequence of draws.

#include <cstdint>

#include "flow/condition.h"

class cChara;
class cEdItem;
class cFlowRunner;
class cMapCell;

// v compared with r by operator 0..7 (= != >= <= > < "multiple of" "not a
// multiple of"); any other operator is false. Multiples are tested on |v|
// with |r|, in 64 bits, so INT_MIN is a value like any other.
bool CompareByOperator(int32_t v, int32_t r, int nOp);

// a x b x 0.01 rounded half away from zero. The product is formed in 64 bits
// and the result saturates at the ends of the int32 range.
int32_t ScalePercent(int32_t a, int32_t b);

// value := lo below lo, hi above hi.
void ClampValue(int32_t& value, int32_t lo, int32_t hi);

// A random integer between the bounds inclusive, in either order:
// lo + Rand() mod (hi - lo + 1), in 64 bits (the range may exceed 2^31).
// Draws once.
int32_t RandomBetween(int32_t a, int32_t b);

bool CheckConditionList(const cConditionList& list, int nMode, cChara* lpSubject);
bool CheckCondition(const cCondition& c, cChara* lpSubject);
// Kind 4.
bool CheckStatusCondition(const cCondition& c, cChara* lpSubject);

// The owner tests: an empty list holds; a passed once-list holds without
// being evaluated; a success sets the latch.
bool CheckOwnerConditions(const cConditionList& list, int nMode, int bOnce, uint8_t& latch,
                          cChara* lpSubject);
// The flow's start conditions for its character; the latch is the runner's.
bool CheckFlowConditions(cFlowRunner& runner, cChara& chara);
// The character definition's appearance conditions for the character itself.
bool CheckCharacterConditions(cChara& chara);
// An item definition's appearance conditions, for the hero; the latch is
// the item object's.
bool CheckItemConditions(const cEdItem& def, uint8_t& latch);
// The block of a map cell, for the hero; the latch is the cell's.
bool CheckBlockConditions(cMapCell& cell);
