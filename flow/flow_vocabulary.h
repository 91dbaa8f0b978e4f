#pragma once
// The editor's names for the values of flow, command and condition
// parameters. Each list is ended by an empty string and names the stored
// values 0, 1, 2, ... in order. They are built at start-up and never change;
// nothing in play reads them, they document what the stored numbers mean.

#include <cstdint>
#include <string>

// Flow ID and tag letters: "-", "A".."Z" and "-", "a".."z".
extern const std::string g_FlowIdNames[28];
extern const std::string g_FlowTagNames[28];
// フローの操作: operation and target.
extern const std::string g_FlowOpNames[7];
extern const std::string g_FlowOpTargetNames[4];
// Objects: self/target, self/target/system, hero/target, hero/target/system
// (the last two for conditions of blocks and items, whose subject is the hero).
extern const std::string g_ObjectNames[3];
extern const std::string g_ObjectSysNames[4];
extern const std::string g_HeroObjectNames[3];
extern const std::string g_HeroObjectSysNames[4];
// Operand kinds.
extern const std::string g_LeftKindNames[3];
extern const std::string g_RightKindNames[5];
extern const std::string g_VarKindNames[3];
// Percent mode of HP and SP in ステータスの操作, and a one-entry switch list.
extern const std::string g_PercentModeNames[4];
extern const std::string g_OnlyOnNames[2];

// A character or system status as the editor offers it.
struct STATUSDEF {
  const char* name;
  int32_t nMin, nMax;
  int32_t nOperandMin, nOperandMax;
  int32_t nReserved;
  int32_t bPercent;  // 1 for HP and SP only
  int32_t nReserved2;
};
extern const STATUSDEF g_CharaStatusDefs[15];
extern const STATUSDEF g_SystemStatusDefs[5];

// A property of ステータスの操作2 with its range, default and value labels.
struct STATUS2PROP {
  const char* name;
  int32_t nMin, nMax, nDefault;
  const std::string* pLabels;  // null when the value has no labels
};
extern const STATUS2PROP g_Status2Props[9];
// Value labels of the properties 飛行, 無敵 and 巨大化.
extern const std::string g_Status2FlyNames[5];
extern const std::string g_Status2InvincibleNames[4];
extern const std::string g_Status2GiantNames[11];

// ステータス条件3 states.
extern const std::string g_State3Names[5];
// Key conditions: modes and key states.
extern const std::string g_KeyCondModeNames[4];
extern const std::string g_KeyStateNames[4];
// ステージクリア: destination and facing.
extern const std::string g_ClearDestNames[4];
extern const std::string g_ClearFacingNames[4];
// メッセージ: position and duration (the duration list serves ピクチャーの表示 too).
extern const std::string g_MessagePosNames[10];
extern const std::string g_DurationNames[4];
// ターゲットの設定: choice and range.
extern const std::string g_TargetChoiceNames[5];
extern const std::string g_TargetRangeNames[4];
// Palettes of アイテムの取得, and the one-entry list.
extern const std::string g_CmdPaletteNames[3];
extern const std::string g_CmdPaletteNames2[2];
// ピクチャーの表示 position.
extern const std::string g_PicturePosNames[6];
// Run direction and visibility.
extern const std::string g_RunDirNames[4];
extern const std::string g_VisibilityNames[4];
// フローの変更: operation and ID.
extern const std::string g_ChangeFlowOpNames[4];
extern const std::string g_ChangeFlowIdNames[28];
// Conditions: kinds (0 empty), list mode, distance object, axis and test.
extern const std::string g_CondKindNames[9];
extern const std::string g_CondModeNames[3];
extern const std::string g_DistObjectNames[3];
extern const std::string g_DistAxisNames[8];
extern const std::string g_DistTestNames[3];
// Character variables, operations, comparisons and their endings.
extern const std::string g_CharaVarNames[9];
extern const std::string g_OperationNames[8];
extern const std::string g_CompareNames[9];
extern const std::string g_IfNames[3];
