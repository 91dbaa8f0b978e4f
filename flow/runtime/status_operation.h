#pragma once
// The status operation of ステータスの操作 (character command 22, item
// command 7): a left value (a status of a character or of the system, or a
// variable) := left value <operation> right operand, kept within the left
// value's range.
//
// Parameters of the command (18):
//   0 left operand: 0 a status, 1 a variable
//   1, 2 left variable kind (0 common, 1 stage) and index; 2 is also the
//     character-variable index of left status 0
//   3 left object: 0 self, 1 self's target, 2 the system
//   4 left status
//   5 operation: 0 =, 1 +, 2 -, 3 x, 4 /, 5 remainder, 6 percent
//   6 right operand: 0 constant (7), 1 random number between 8 and 9,
//     2 a status (object 12, status 13, character variable 11), 3 a variable
//     (kind 10, index 11)
//   14 the right operand is a percentage of the left value (every left value
//      but HP and SP)
//   15 HP and SP: 0 plain, 1 a percentage of the maximum, 2 of the current
//      value
//   16 HP and SP changes animate the gauge
//   17 nothing when the left character is invincible
//
// The arithmetic is exact (64 bits) and the result is clamped to the range
// before it is stored, so no operand makes it wrap; a division or remainder
// by 0 leaves the value as it was (still clamped). Nothing is reported: a
// missing target, infinite lives (for life) and the sight of a character not
// of player kind make the operation do nothing.

class cChara;
class cFlowCommand;

// Performs the operation of the command for chara (the character running
// it; the hero for an item command).
void ApplyStatusOperation(cChara& chara, const cFlowCommand& cmd);
