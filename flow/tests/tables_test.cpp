// Command tables, the direction mapping, shot offsets and the label lists.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "flow/command_table.h"
#include "flow/flow_vocabulary.h"
#include "flow/move_settings.h"
#include "flow/shot_settings.h"
#include "flow/stage_vocabulary.h"

namespace {

TEST(CommandTable, ParameterCountsByType) {
  EXPECT_EQ(GetCommandParamCount(COMMANDSET_CHARA, CMD_JUMP), 5);
  EXPECT_EQ(GetCommandParamCount(COMMANDSET_CHARA, CMD_SHOT), 0);
  EXPECT_EQ(GetCommandParamCount(COMMANDSET_ITEM, 7), 18);
  EXPECT_EQ(GetCommandParamCount(COMMANDSET_ITEM, ITEMCMD_CHANGE_FLOWS), 2);
  // Item types 2..21 are character types 17..36.
  for (int nType = 2; nType < kItemCommandCount; ++nType) {
    EXPECT_EQ(CharaCommandType(COMMANDSET_ITEM, nType), nType + 15);
    EXPECT_STREQ(g_aItemCommandDef[nType].name, g_aCommandDef[nType + 15].name);
    EXPECT_EQ(g_aItemCommandDef[nType].nParams, g_aCommandDef[nType + 15].nParams);
  }
  // Outside the tables: the empty command.
  for (auto [nSet, nType] :
       std::vector<std::pair<int, int>>{{0, -1}, {0, 37}, {1, 22}, {1, -5}, {2, 0}, {-1, 3}}) {
    EXPECT_EQ(&GetCommandDef(nSet, nType), &g_aCommandDef[0]) << nSet << "/" << nType;
  }
  EXPECT_EQ(CharaCommandType(COMMANDSET_ITEM, ITEMCMD_CHANGE_FLOWS), -1);
  EXPECT_STREQ(g_aTriggerName[kTriggerCount], "");
  EXPECT_STREQ(g_aTriggerName[18], "ステージ開始前");
}

TEST(CommandTable, HeldDirectionToMovementDirection) {
  const int want[10] = {-1, 2, 3, 6, 7, 8, 9, 10, 11, 0};
  for (int nChannel = 1; nChannel <= 9; ++nChannel) {
    EXPECT_EQ(InputToDirection(nChannel, 0), want[nChannel]);
    EXPECT_EQ(InputToDirection(nChannel, 1), want[nChannel]);
  }
  EXPECT_EQ(InputToDirection(0, 1), 3);
  EXPECT_EQ(InputToDirection(0, 0), 2);
}

TEST(ShotSettings, OffsetsOfAVolley) {
  cEdShot shot;
  shot.m_nOffsetX = 4;
  shot.m_nOffsetStepX = -3;
  shot.m_nOffsetY = 4;
  shot.m_nOffsetStepY = 3;
  shot.m_bMirrorX = 0;
  shot.m_bMirrorY = 1;
  EXPECT_EQ(shot.GetOffsetY(2, 1), -10.0);
  EXPECT_EQ(shot.GetOffsetY(2, 0), 10.0);
  EXPECT_EQ(shot.GetOffsetX(2, 1), -2.0);
}

struct LabelList {
  const char* pszName;
  const std::string* pList;
  size_t nSize;
  bool bFirstEmpty = false;  // a list whose value 0 has no label
};
#define LIST(name) \
  LabelList { #name, name, std::size(name) }

TEST(LabelLists, EveryListEndsWithTheOnlyEmptyString) {
  const LabelList lists[] = {
      LIST(g_OnOffNames),
      LIST(g_PaletteNames),
      LIST(g_LinkSrcNames),
      LIST(g_LinkSrcCommonNames),
      LIST(g_LinkSrcStageNames),
      LIST(g_LinkSrcNoneNames),
      LIST(g_GraphicKindNames),
      LIST(g_GraphicKindNames2),
      LIST(g_OnOffNames2),
      LIST(g_ShowNames),
      LIST(g_HitKindNames),
      LIST(g_PassFactionNames),
      LIST(g_BlockEffectNames),
      LIST(g_ItemSrcNames),
      LIST(g_ItemSrcCommonNames),
      LIST(g_ScrollModeNames),
      LIST(g_ExtendXNames),
      LIST(g_ExtendYNames),
      LIST(g_CollisionLevelNames),
      LIST(g_HitStepNames),
      LIST(g_BoxAlignNames),
      LIST(g_BoxAlignNames2),
      LIST(g_BoxShowNames),
      LIST(g_BoxColourNames),
      LIST(g_DirectionNames),
      LIST(g_MoveSpecNames),
      LIST(g_WarpSpecNames),
      LIST(g_MoveDirNames),
      LIST(g_CoordKindNames),
      LIST(g_CoordKindNames2),
      LIST(g_RotationNames),
      LIST(g_FaceNames),
      LIST(g_TimingNames),
      LIST(g_TimingNames2),
      LIST(g_JumpNames),
      LIST(g_UnitNames),
      LIST(g_ShotPatternNames),
      LIST(g_ShotCentreNames),
      LIST(g_ShotMoveNames),
      LIST(g_BlockOpNames),
      LIST(g_SummonPaletteNames),
      LIST(g_SummonPaletteNames2),
      LIST(g_SummonFactionNames),
      LIST(g_FlowIdNames),
      LIST(g_FlowTagNames),
      LIST(g_FlowOpNames),
      LIST(g_FlowOpTargetNames),
      LIST(g_ObjectNames),
      LIST(g_ObjectSysNames),
      LIST(g_HeroObjectNames),
      LIST(g_HeroObjectSysNames),
      LIST(g_LeftKindNames),
      LIST(g_RightKindNames),
      LIST(g_VarKindNames),
      LIST(g_PercentModeNames),
      LIST(g_OnlyOnNames),
      LIST(g_Status2FlyNames),
      LIST(g_Status2InvincibleNames),
      LIST(g_Status2GiantNames),
      LIST(g_State3Names),
      LIST(g_KeyCondModeNames),
      LIST(g_KeyStateNames),
      LIST(g_ClearDestNames),
      LIST(g_ClearFacingNames),
      LIST(g_MessagePosNames),
      LIST(g_DurationNames),
      LIST(g_TargetChoiceNames),
      LIST(g_TargetRangeNames),
      LIST(g_CmdPaletteNames),
      LIST(g_CmdPaletteNames2),
      LIST(g_PicturePosNames),
      LIST(g_RunDirNames),
      LIST(g_VisibilityNames),
      LIST(g_ChangeFlowOpNames),
      LIST(g_ChangeFlowIdNames),
      LabelList{"g_CondKindNames", g_CondKindNames, std::size(g_CondKindNames), true},
      LIST(g_CondModeNames),
      LIST(g_DistObjectNames),
      LIST(g_DistAxisNames),
      LIST(g_DistTestNames),
      LIST(g_CharaVarNames),
      LIST(g_OperationNames),
      LIST(g_CompareNames),
      LIST(g_IfNames),
  };
  for (const LabelList& list : lists) {
    ASSERT_GE(list.nSize, 2u) << list.pszName;
    EXPECT_EQ(list.pList[list.nSize - 1], "") << list.pszName;
    for (size_t i = list.bFirstEmpty ? 1 : 0; i + 1 < list.nSize; ++i)
      EXPECT_NE(list.pList[i], "") << list.pszName << "[" << i << "]";
  }
  EXPECT_EQ(std::size(g_CollisionLevelNames) - 1, 19u);
  EXPECT_EQ(g_CollisionLevelNames[9], "レベル10 (速度制限=600)");
  EXPECT_EQ(g_CollisionLevelNames[10], "レベル1 (速度制限=600)");
  EXPECT_EQ(g_FlowIdNames[26], "Z");
  EXPECT_EQ(g_FlowTagNames[1], "a");
}

TEST(LabelLists, ParameterTablesOfPatternsAndMovementTypes) {
  // Three per pattern / movement type; those without a parameter are empty.
  EXPECT_EQ(g_ShotPatternParams[5].strLabel, "");
  EXPECT_EQ(g_ShotPatternParams[9].strLabel, "間隔(hbl)");
  EXPECT_EQ(g_ShotPatternParams[10].nMax, 50);
  EXPECT_EQ(g_ShotPatternParams[15].nDefault, 6);
  EXPECT_EQ(g_ShotMoveParams[13].nDefault, 999);
  EXPECT_EQ(g_ShotMoveParams[26].nMax, 359);
  EXPECT_EQ(g_ShotMoveParams[29].strLabel, "");
  EXPECT_EQ(g_Status2Props[5].nMax, 10);
  EXPECT_EQ(g_Status2Props[3].pLabels, g_Status2FlyNames);
}

}  // namespace
