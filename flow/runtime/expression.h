#pragma once
// The code lines of コードの実行 (character command 36, item command 21):
// integer arithmetic on variables and statuses and assignments to them, as
// in "C5 = C5 + tg.hp * 2" or "S1 = rand(1,6)".
//
// The language:
// - Words are separated by spaces, and an operator is a word of its own:
//   "2+3" is one word and reads as the number 2.
// - "C"n and "S"n are common and stage variable n; "v1".."v8", "hp", "sp",
//   "mhp", "msp", "cid", "z", "mark", "sight", "power", "imp", "def", "impd",
//   "stop", "getsc" are statuses of a character, "time", "scrlx", "scrly",
//   "score", "life" statuses of the system. A prefix "my." (the character
//   running the line, the default), "tg." (its target), "pl." (the hero) or
//   "sys." names whose status it is. Any other word is the number it starts
//   with (0 when it starts with none; beyond the 32-bit range it saturates).
// - Operators by precedence: "*" "/" "%", then "+" "-", then "="; each level
//   from left to right, "=" included. "+", "-" and "*" wrap in 32 bits;
//   "/" and "%" truncate toward zero (INT_MIN / -1 is INT_MIN, INT_MIN % -1
//   is 0), and by 0 they fail with a message.
// - "=" stores its right value, clamped to the left token's bounds, and its
//   result is that value. Every token's value is read when the line is cut
//   into tokens, before any assignment runs: in "C2 = C1 C1 = 9" and in
//   "C1 = 9 C2 = C1" C2 gets the old C1. Words with no operator between them
//   stand side by side; the line's value is that of the last operation.
// - Parentheses are reduced first, by replacing each group with the decimal
//   text of its value; "rand(a,b)" is replaced by a random integer between
//   a and b inclusive (in either order).
//
// A failure shows its message box (captioned "エラー"), makes its part 0 and
// sets g_bCodeError; the rest of the line is still evaluated, and values
// assigned before the failure keep their new values. "tg." without a target
// fails without a message. A line longer than kMaxCodeBytes or with
// parentheses nested deeper than kMaxCodeDepth fails as a whole with one
// message.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/base/element_sizes.h"

class cChara;

inline constexpr int kMaxCodeBytes = 4096;
inline constexpr int kMaxCodeDepth = 64;

// Name tables, each ended by an empty name.
inline constexpr std::string_view g_aFunctionName[] = {"rand", ""};
inline constexpr std::string_view g_aOperatorName[] = {"=", "+", "-", "*", "/", "%", ""};
inline constexpr std::string_view g_aObjectName[] = {"my", "tg", "pl", "sys", ""};
inline constexpr std::string_view g_aVariableKind[] = {"C", "S", ""};
inline constexpr std::string_view g_aCharaStatusName[] = {
    "v1",  "v2", "v3",   "v4",    "v5",    "v6",  "v7",  "v8",   "hp",   "sp",    "mhp", "msp",
    "cid", "z",  "mark", "sight", "power", "imp", "def", "impd", "stop", "getsc", ""};
inline constexpr std::string_view g_aSystemStatusName[] = {"time",  "scrlx", "scrly",
                                                           "score", "life",  ""};

// Precedence by operator index: 0 binds first.
inline constexpr int32_t g_aOperatorLevel[6] = {2, 1, 1, 0, 0, 0};

// Set when an evaluation fails; cleared by ExecuteCode.
extern int32_t g_bCodeError;

enum : int32_t {
  EXPRKIND_NUMBER = 0,
  EXPRKIND_VARIABLE = 1,
  EXPRKIND_CHARASTATUS = 2,
  EXPRKIND_SYSSTATUS = 3,
  EXPRKIND_OPERATOR = 4,
};

// One token of a line. Its value is read when it is made. An assignment
// writes a variable through its slot and a status through the typed
// setters of the status table (status_values.h); a token with neither (a
// number, an operator, a result, a variable of a bad number, a character
// status with no character) has nowhere to be stored.
struct EXPRITEM {
  PLAYER_ELEMENT_SIZE(EXPRITEM, 40);
  EXPRITEM() = default;
  // A number or result: bounds -999999..999999.
  EXPRITEM(int32_t nValueIn, int32_t* pStorageIn, int32_t nKindIn)
      : nKind(nKindIn), nValue(nValueIn), pStorage(pStorageIn) {}

  int32_t nKind = EXPRKIND_NUMBER;
  int32_t nValue = 0;
  int32_t* pStorage = nullptr;  // variables: the slot
  int32_t nOperator = 0;        // operators: index into g_aOperatorName
  int32_t nMin = -999999;       // what an assignment clamps to
  int32_t nMax = 999999;
  int32_t nStatus = 0;         // character statuses: index into g_aCharaStatusName
  int32_t nSystem = 0;         // system statuses: index into g_aSystemStatusName
  cChara* lpObject = nullptr;  // the character a character status belongs to
};

// Runs a line for chara (the character running the command; the hero for an
// item command): 1 when it succeeded, 0 when it failed. On success a change
// of chara's HP or SP animates its gauge.
int ExecuteCode(const std::string& strText, cChara& chara);
// The value of a line, parentheses and functions included.
int32_t ReduceParentheses(const std::string& strText, cChara& chara);
// The value of a line without parentheses.
int32_t EvaluateTokens(std::string_view text, cChara& chara);
