#pragma once
// The two flow command tables (character commands and item commands), the
// trigger names and the mapping from a held input direction to a movement
// direction code.
//
// Only the parameter counts and the direction mapping are read while the
// program runs; the names are the editor's vocabulary.

#include <cstdint>

// One row of a command table: its name and the number of int32 parameters a
// command of this type stores. Types whose settings live in a movement or
// shot settings object store no parameters.
struct COMMANDDEF {
  const char* name;
  int32_t nParams;
};

// Command sets of cFlowCommand::m_cSet.
inline constexpr int COMMANDSET_CHARA = 0;
inline constexpr int COMMANDSET_ITEM = 1;

inline constexpr int kCharaCommandCount = 37;
inline constexpr int kItemCommandCount = 22;
// Item command type k (k >= 2) is character command type k + 15.
inline constexpr int kItemCommandOffset = 15;

extern const COMMANDDEF g_aCommandDef[kCharaCommandCount];
extern const COMMANDDEF g_aItemCommandDef[kItemCommandCount];

// Character command types the data layer looks at.
enum : int {
  CMD_EMPTY = 0,
  CMD_WAIT = 1,
  CMD_MOVE_STRAIGHT = 2,
  CMD_MOVE_CHARGE = 5,
  CMD_WARP = 20,
  CMD_JUMP = 10,
  CMD_SHOT = 11,
  CMD_SWORD = 12,
  CMD_SUMMON_BLOCK = 13,
  CMD_SUMMON_CHARA = 14,
  CMD_SUMMON_ITEM = 15,
  CMD_FLOW_CONTROL = 16,
  CMD_STAGE_CLEAR = 17,
  CMD_GAME_WAIT = 18,
  CMD_MESSAGE = 19,
  CMD_SET_TARGET = 21,
  CMD_STATUS = 22,
  CMD_STATUS2 = 23,
  CMD_GET_ITEM = 24,
  CMD_CHANGE_GRAPHIC = 25,
  CMD_CHANGE_ANIMESET = 26,
  CMD_RUN_ANIME = 27,
  CMD_RUN_EFFECT = 28,
  CMD_CHARA_EFFECT = 29,
  CMD_SCREEN_EFFECT = 30,
  CMD_SHOW_PICTURE = 31,
  CMD_SCREEN_COLOR = 32,
  CMD_PLAY_SOUND = 34,
  CMD_PLAY_BGM = 35,
  CMD_RUN_CODE = 36,
};
// The item set's own command.
inline constexpr int ITEMCMD_CHANGE_FLOWS = 1;

// The row of a command type in its set's table. A set or type outside the
// tables (a damaged file, or one written by a newer editor) gets row 0, the
// empty command, so no caller ever indexes past a table.
const COMMANDDEF& GetCommandDef(int nSet, int nType);
inline int GetCommandParamCount(int nSet, int nType) { return GetCommandDef(nSet, nType).nParams; }

// The character command type that a command of the given set and type runs:
// the type itself for the character set, type + 15 for item types 2..21, and
// -1 for the item set's own command and for anything outside the tables.
int CharaCommandType(int nSet, int nType);

// Trigger names 0..19, then an empty string.
inline constexpr int kTriggerCount = 20;
extern const char* const g_aTriggerName[kTriggerCount + 1];

// The held-direction channel a flow recorded when it started (0 none,
// 1 left, 2 right, 3 up, 4 down, 5 up-left, 6 down-left, 7 up-right,
// 8 down-right, 9 any) as a movement direction code. A channel outside 0..9
// counts as none.
int InputToDirection(int nChannel, int bFacingRight);
