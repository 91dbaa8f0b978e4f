// Flow records: the stored form at the current version, upgrades of older
// files, damaged files, validation against a context, and deep copies.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "flow/command_table.h"
#include "flow/flow.h"
#include "flow/tests/flow_test_util.h"
#include "flow/tests/record_layouts.h"
#include "records/database.h"
#include "testing/game_folder.h"
#include "testing/heap_peak.h"
#include "testing/record_bytes.h"
#include "testing/test_random.h"

namespace {

// ---- Fixtures built in code ----

cCondition MakeCondition(int8_t cKind, int32_t nConst) {
  cCondition c;
  c.m_cKind = cKind;
  c.m_nConst = nConst;
  c.m_nRandLow = -5;
  c.m_nRandHigh = 70000;
  c.m_cObject = 1;
  c.m_cStatus = 9;
  c.m_sVarIndex = 300;
  c.m_cRightKind = 2;
  c.m_cRightObject = 2;
  c.m_cRightStatus = 4;
  c.m_cRightVarKind = 1;
  c.m_sRightVarIndex = -2;
  c.m_cOp = 6;
  c.m_bPercent = 1;
  c.m_cAxis = 5;
  return c;
}

cFlowCommand MakeCommand(int nSet, int nType) {
  cFlowCommand cmd;
  cmd.m_cSet = static_cast<int8_t>(nSet);
  cmd.m_cType = static_cast<int8_t>(nType);
  cmd.NormalizeParams();
  for (size_t i = 0; i < cmd.m_Params.size(); ++i)
    cmd.m_Params[i] = static_cast<int32_t>(i * 7 - 3);
  cmd.m_sUseTime = 25;
  cmd.m_sUseTimePerLevel = -4;
  cmd.m_bParallel = 1;
  cmd.m_sSound = 3;
  cmd.m_sLeadAnime = 2;
  return cmd;
}

// A flow with every kind of content: conditions, key conditions, a movement
// command, a shot command, a message with text, and an item command whose
// nested flow has a command of its own.
cFlow MakeRichFlow() {
  cFlow flow;
  flow.m_cId = 3;
  flow.m_cTag = 2;
  flow.m_cCondMode = 1;
  flow.m_bCondOnce = 1;
  flow.m_cTrigger = 9;
  flow.m_cKeyTolerance = 5;
  flow.m_bKeyLevel = 1;
  flow.m_Conditions.push_back(MakeCondition(4, 123456));
  flow.m_Conditions.push_back(MakeCondition(7, -1));
  cKeyCondition key;
  key.m_KeyStates[2] = 1;
  key.m_KeyStates[18] = 2;
  key.m_bFacingRelative = 1;
  key.m_sMinHold = 2;
  key.m_sMaxHold = 300;
  key.m_bAnyLength = 1;
  key.m_cMode = 2;
  flow.m_KeyConditions.push_back(key);
  flow.m_KeyConditions.push_back(cKeyCondition());

  cFlowCommand move = MakeCommand(COMMANDSET_CHARA, CMD_MOVE_STRAIGHT);
  CreateMove(move.m_pMove);
  move.m_pMove->m_nAngle = -45;
  move.m_pMove->m_dBrake = 0.25;
  move.m_pMove->m_bKeepAnime = 1;
  flow.m_Commands.push_back(move);

  cFlowCommand shot = MakeCommand(COMMANDSET_CHARA, CMD_SHOT);
  CreateShot(shot.m_pShot);
  shot.m_pShot->m_anPatternParam[2] = 9;
  shot.m_pShot->m_nPower = -999999;
  shot.m_pShot->m_nImpact = -20;
  shot.m_pShot->m_bReverseDir = 1;
  flow.m_Commands.push_back(shot);

  cFlowCommand message = MakeCommand(COMMANDSET_CHARA, CMD_MESSAGE);
  message.m_strText = "こんにちは\nworld";
  flow.m_Commands.push_back(message);

  cFlow inner;
  inner.m_cId = 26;
  inner.m_Commands.push_back(MakeCommand(COMMANDSET_CHARA, CMD_JUMP));
  cFlowCommand change = MakeCommand(COMMANDSET_ITEM, ITEMCMD_CHANGE_FLOWS);
  change.m_Flows.push_back(inner);
  flow.m_Commands.push_back(change);
  return flow;
}

// ---- The stored form at the current version ----

TEST(FlowRecords, EveryClassRoundTripsByteIdenticallyAtTheCurrentVersion) {
  cFlowGlobalsGuard guard;
  cFlow flow = MakeRichFlow();
  const std::string first = SaveToBytes(flow);

  cFlow loaded;
  ASSERT_TRUE(LoadFromBytes(loaded, first, DATA_VERSION));
  EXPECT_EQ(SaveToBytes(loaded), first);

  // Spot checks that the content came back, not only the bytes.
  ASSERT_EQ(loaded.m_Commands.size(), 4u);
  EXPECT_EQ(loaded.m_cKeyTolerance, 5);
  EXPECT_EQ(loaded.m_Conditions[0].m_nRandHigh, 70000);
  EXPECT_EQ(loaded.m_Conditions[0].m_sRightVarIndex, -2);
  EXPECT_EQ(loaded.m_KeyConditions[0].m_sMaxHold, 300);
  EXPECT_EQ(loaded.m_KeyConditions[0].KeyState(18), 2);
  ASSERT_TRUE(loaded.m_Commands[0].m_pMove);
  EXPECT_FALSE(loaded.m_Commands[0].m_pShot);
  EXPECT_EQ(loaded.m_Commands[0].m_pMove->m_dBrake, 0.25);
  ASSERT_TRUE(loaded.m_Commands[1].m_pShot);
  EXPECT_EQ(loaded.m_Commands[1].m_pShot->m_nPower, -999999);
  EXPECT_EQ(loaded.m_Commands[2].m_strText, "こんにちは\nworld");
  EXPECT_EQ(loaded.m_Commands[2].m_Params.size(), 17u);
  ASSERT_EQ(loaded.m_Commands[3].m_Flows.size(), 1u);
  EXPECT_EQ(loaded.m_Commands[3].m_Flows[0].m_cId, 26);
  EXPECT_EQ(loaded.m_Commands[3].m_Flows[0].m_Commands[0].m_Params.size(), 5u);
}

TEST(FlowRecords, CurrentLayoutOfFlowCommandAndConditions) {
  cFlowGlobalsGuard guard;
  // A flow with one condition, one key condition and one ウエイト command,
  // written out by hand in the current layout.
  FLOWHEAD fh;
  fh.cId = 1;
  fh.cTag = 2;
  fh.bTestOnly = 0;
  fh.cCondMode = 1;
  fh.bCondOnce = 1;
  fh.cTrigger = 7;
  fh.cKeyTolerance = 4;
  fh.bKeyLevel = 1;
  cRecordBytes b = FlowHeadBytes(fh, DATA_VERSION);
  b.u32(1);  // conditions
  b.Fields(17).i8(4).i32(-7).i32(1).i32(9).i8(1).i8(11).i8(0).i8(1).i16(200).i8(3).i8(2);
  b.i8(4).i8(1).i16(17).i8(5).u8(1).i8(6).Strings(0);
  b.u32(1);  // key conditions
  b.Fields(5).u8(1).i16(3).i16(40).u8(0).i8(2).Strings(0);
  b.u32(19).Raw(std::string(19, '\x01').data(), 19);
  b.u32(1);  // commands
  COMMANDHEAD ch;
  ch.cType = CMD_WAIT;
  ch.sUseTime = 60;
  ch.sSound = 2;
  ch.sLeadAnime = 5;
  b.Append(CommandHeadBytes(ch, "abc")).u32(0).u32(0).u32(0).u32(0);

  cFlow flow;
  ASSERT_TRUE(LoadFromBytes(flow, b.Bytes(), DATA_VERSION));
  EXPECT_EQ(flow.m_cTrigger, 7);
  EXPECT_EQ(flow.m_cKeyTolerance, 4);
  const cCondition& c = flow.m_Conditions.at(0);
  EXPECT_EQ(c.m_nConst, -7);
  EXPECT_EQ(c.m_nRandHigh, 9);
  EXPECT_EQ(c.m_cStatus, 11);
  EXPECT_EQ(c.m_sVarIndex, 200);
  EXPECT_EQ(c.m_cRightKind, 3);
  EXPECT_EQ(c.m_sRightVarIndex, 17);
  EXPECT_EQ(c.m_cOp, 5);
  EXPECT_EQ(c.m_cAxis, 6);
  EXPECT_EQ(flow.m_KeyConditions.at(0).m_sMaxHold, 40);
  EXPECT_EQ(flow.m_Commands.at(0).m_sLeadAnime, 5);
  EXPECT_EQ(flow.m_Commands.at(0).m_strText, "abc");
  EXPECT_EQ(SaveToBytes(flow), b.Bytes());
}

// Loads a settings record part built from the layout table and checks that
// the members named by field number took the values.
TEST(FlowRecords, SettingsFieldsFollowTheStoredOrder) {
  cFlowGlobalsGuard guard;
  EXPECT_EQ(kMoveLayout.size(), 32u);
  EXPECT_EQ(kShotLayout.size(), 60u);

  cEdMovePtr pMove;
  CreateMove(pMove);
  const std::map<int, double> moveValues = {
      {MOVE_ANGLE, -30},  {MOVE_MIRRORANGLE, 0}, {MOVE_KEEPDIR, 1},  {MOVE_SPEED, 77},
      {MOVE_DISTUNIT, 1}, {MOVE_BRAKE, 0.5},     {MOVE_KEEPANIME, 1}};
  const cRecordBytes moveBytes = SettingsBytes(kMoveLayout, DATA_VERSION, moveValues);
  ASSERT_TRUE(LoadFromBytes(*pMove, moveBytes.Bytes(), DATA_VERSION));
  EXPECT_EQ(pMove->m_nAngle, -30);
  EXPECT_EQ(pMove->m_bMirrorAngle, 0);
  EXPECT_EQ(pMove->m_bKeepDir, 1);
  EXPECT_EQ(pMove->m_nSpeed, 77);
  EXPECT_EQ(pMove->m_nDistanceUnit, 1);
  EXPECT_EQ(pMove->m_dBrake, 0.5);
  EXPECT_EQ(pMove->m_bKeepAnime, 1);
  EXPECT_EQ(SaveToBytes(*pMove), moveBytes.Bytes());

  // Every shot field gets its own number, so a field out of place shows.
  std::map<int, double> shotValues;
  for (int i = 1; i <= 60; ++i) shotValues[i] = i;
  const cRecordBytes shotBytes = SettingsBytes(kShotLayout, DATA_VERSION, shotValues);
  cEdShotPtr pShot;
  CreateShot(pShot);
  ASSERT_TRUE(LoadFromBytes(*pShot, shotBytes.Bytes(), DATA_VERSION));
  EXPECT_EQ(pShot->m_nCount, SHOT_COUNT);
  EXPECT_EQ(pShot->m_anPatternParam[2], 3);
  EXPECT_EQ(pShot->m_nCentre, SHOT_CENTRE);
  EXPECT_EQ(pShot->m_nGraphic, SHOT_GRAPHIC);
  EXPECT_EQ(pShot->m_nGiant, SHOT_GIANT);
  EXPECT_EQ(pShot->m_anMoveParam[0], 28);
  EXPECT_EQ(pShot->m_nAccel, SHOT_ACCELVALUE);
  EXPECT_EQ(pShot->m_nRange, 35);
  EXPECT_EQ(pShot->m_bRange, 36);
  EXPECT_EQ(pShot->m_bPierceBlockChara, SHOT_PIERCEBLOCKCHARA);
  EXPECT_EQ(pShot->m_nPower, SHOT_POWER);
  EXPECT_EQ(pShot->m_nHitEffect, SHOT_HITEFFECT);
  EXPECT_EQ(pShot->m_nItemNo, SHOT_ITEMNO);
  EXPECT_EQ(pShot->m_bSpareChara, SHOT_SPARECHARA);
  EXPECT_EQ(pShot->m_nSummonNo, SHOT_SUMMONNO);
  EXPECT_EQ(pShot->m_bReverseDir, SHOT_REVERSEDIR);
  EXPECT_EQ(SaveToBytes(*pShot), shotBytes.Bytes());
}

TEST(FlowRecords, NewRecordsHoldTheirDefaults) {
  cFlowGlobalsGuard guard;
  cFlow flow;
  EXPECT_EQ(flow.m_cKeyTolerance, 3);
  EXPECT_EQ(flow.m_bKeyLevel, 0);
  cFlowCommand cmd;
  EXPECT_EQ(cmd.m_bSoundOnScreen, 1);
  EXPECT_FALSE(cmd.m_pMove);
  EXPECT_FALSE(cmd.m_pShot);
  EXPECT_EQ(cKeyCondition().m_KeyStates.size(), 19u);

  cEdMovePtr pMove;
  CreateMove(pMove);
  EXPECT_EQ(pMove->m_dBrake, 1.0);
  EXPECT_EQ(pMove->m_nSpeed, 10);
  EXPECT_EQ(pMove->m_bUseX + pMove->m_bUseY + pMove->m_bStopAtTarget + pMove->m_bMirrorAngle +
                pMove->m_bMirrorX + pMove->m_bFollowTurn,
            6);
  EXPECT_EQ(pMove->m_bMirrorY, 0);
  cEdShotPtr pShot;
  CreateShot(pShot);
  EXPECT_EQ(pShot->m_bUserFaction, 1);
  EXPECT_EQ(pShot->m_bMirrorAngle, 1);
  EXPECT_EQ(pShot->m_bMirrorX, 1);
  EXPECT_EQ(pShot->m_nGiant, 1);
}

// ---- Older files ----

struct FlowUpgradeCase {
  int nVersion;
  int8_t cTrigger, cTag;
  int8_t cWantTrigger, cWantTag;
};

TEST(FlowRecords, OlderFlowsGetTheirTriggersRenumbered) {
  cFlowGlobalsGuard guard;
  const FlowUpgradeCase cases[] = {
      {100, 11, 0, 14, 0},  // 11 -> 12 (132) -> 14 (164)
      {130, 12, 3, 15, 0},  // tags of flows with a trigger came later
      {131, 10, 1, 12, 0}, {132, 11, 0, 13, 0}, {162, 0, 4, 0, 4},  // trigger 0 keeps its tag
      {163, 5, 2, 7, 2},   {163, 4, 2, 4, 2},   {164, 5, 2, 5, 2}, {694, 12, 1, 12, 1},
  };
  for (const FlowUpgradeCase& c : cases) {
    FLOWHEAD h;
    h.cTrigger = c.cTrigger;
    h.cTag = c.cTag;
    cRecordBytes b = FlowHeadBytes(h, c.nVersion);
    b.u32(0).u32(0).u32(0);
    cFlow flow;
    ASSERT_TRUE(LoadFromBytes(flow, b.Bytes(), c.nVersion)) << c.nVersion;
    EXPECT_EQ(flow.m_cTrigger, c.cWantTrigger) << c.nVersion;
    EXPECT_EQ(flow.m_cTag, c.cWantTag) << c.nVersion;
  }
}

TEST(FlowRecords, MemoIsReadFromNewerFilesAndAlwaysEmptied) {
  cFlowGlobalsGuard guard;
  for (int nVersion : {675, 676, DATA_VERSION}) {
    cRecordBytes b = FlowHeadBytes(FLOWHEAD{}, nVersion, "memo text");
    b.u32(0).u32(0).u32(0);
    cFlow flow;
    flow.m_strMemo = "old";
    ASSERT_TRUE(LoadFromBytes(flow, b.Bytes(), nVersion)) << nVersion;
    EXPECT_EQ(flow.m_strMemo, "") << nVersion;
  }
}

struct ParamUpgradeCase {
  const char* pszWhat;
  int nVersion;
  int nSet, nType;
  std::vector<int32_t> in;
  std::vector<int32_t> want;
};

std::vector<int32_t> Seq(int n, int32_t nFirst = 100) {
  std::vector<int32_t> v;
  for (int i = 0; i < n; ++i) v.push_back(nFirst + i);
  return v;
}

TEST(FlowRecords, OlderCommandParametersAreMigrated) {
  cFlowGlobalsGuard guard;
  std::vector<int32_t> status150 = Seq(18, 0);
  status150[0] = 0;   // left is a status
  status150[3] = 0;   // of the character itself
  status150[4] = 12;  // inserted at 10 (168) and at 5 (203): 12 -> 13 -> 14
  status150[6] = 2;   // right is a status
  status150[12] = 2;  // of the system: kept
  status150[13] = 12;
  std::vector<int32_t> status150Want = status150;
  status150Want[4] = 14;

  std::vector<int32_t> message544 = Seq(17, 0);
  message544[0] = 7;
  std::vector<int32_t> message544Want = message544;
  message544Want[10] = 1;
  for (int i : {11, 12, 13, 15}) message544Want[i] = 0;
  message544Want[14] = 1;
  message544Want[16] = 1;

  std::vector<int32_t> picture600Want = Seq(14);
  const std::vector<ParamUpgradeCase> cases = {
      {"picture, 13 params at 600", 600, 0, CMD_SHOW_PICTURE, Seq(13),
       [] {
         auto v = Seq(13);
         v.push_back(0);
         return v;
       }()},
      {"picture, 20 params at 600", 600, 0, CMD_SHOW_PICTURE, Seq(20), Seq(14)},
      {"message at 544, position 7", 544, 0, CMD_MESSAGE, message544, message544Want},
      {"message at 544 as an item command", 544, 1, 4, message544, message544Want},
      {"message at 545, position 3", 545, 0, CMD_MESSAGE, Seq(17, 3),
       [] {
         auto v = Seq(17, 3);
         v[10] = 0;
         for (int i : {11, 12, 13, 15}) v[i] = 0;
         v[14] = 1;
         v[16] = 1;
         return v;
       }()},
      {"status at 150", 150, 0, CMD_STATUS, status150, status150Want},
      {"status at 150 as an item command", 150, 1, 7, status150, status150Want},
      {"stage clear at 144", 144, 0, CMD_STAGE_CLEAR, Seq(4), {100, 101, 102, 103, 0, 0, 0, 0, 0}},
      {"bgm at 165", 165, 1, 20, {7}, {7, 1}},
      {"target at 188: 0 inserted at 2",
       188,
       0,
       CMD_SET_TARGET,
       Seq(9),
       {100, 101, 0, 102, 103, 104, 105, 106, 107, 108}},
      {"picture at 193: 1 inserted at 6",
       193,
       0,
       CMD_SHOW_PICTURE,
       Seq(13),
       {100, 101, 102, 103, 104, 105, 1, 106, 107, 108, 109, 0, 0, 0}},
      {"chara effect at 194: 0 inserted at 1", 194, 0, CMD_CHARA_EFFECT, {5, 6}, {5, 0, 6}},
      {"summon at 202 loses its parameters", 202, 0, CMD_SUMMON_CHARA, Seq(4), {}},
      {"flow control at 202", 202, 0, CMD_FLOW_CONTROL, Seq(5), Seq(3)},
      {"status2 at 209", 209, 0, CMD_STATUS2, {0, 6, 9}, {0, 7, 9}},
      {"status2 at 209, system", 209, 0, CMD_STATUS2, {2, 6, 9}, {2, 6, 9}},
      {"graphic at 218", 218, 0, CMD_CHANGE_GRAPHIC, {3, 119, 4}, {3, 119, 4}},
      {"graphic at 218, kind 3", 218, 0, CMD_CHANGE_GRAPHIC, {3, 40, 4}, {3, 41, 4}},
      {"nothing changes at 694", 694, 0, CMD_SET_TARGET, Seq(10), Seq(10)},
  };
  for (const ParamUpgradeCase& c : cases) {
    cFlowCommand cmd;
    ASSERT_TRUE(LoadFromBytes(cmd, PlainCommandBytes(c.nSet, c.nType, c.in).Bytes(), c.nVersion))
        << c.pszWhat;
    EXPECT_EQ(std::vector<int32_t>(cmd.m_Params.begin(), cmd.m_Params.end()), c.want) << c.pszWhat;
  }
}

TEST(FlowRecords, ShortParameterListsAreMigratedWithoutWritingPastThem) {
  cFlowGlobalsGuard guard;
  // Missing parameters read as 0 and writes to them are dropped; the list is
  // then made as long as the command type asks.
  struct Case {
    int nVersion, nType;
    std::vector<int32_t> in;
  } const cases[] = {
      {150, CMD_STATUS, {}},          {150, CMD_STATUS, {0, 0, 0, 0}}, {209, CMD_STATUS2, {0}},
      {218, CMD_CHANGE_GRAPHIC, {3}}, {545, CMD_MESSAGE, {0}},         {100, CMD_SET_TARGET, {}},
  };
  for (const Case& c : cases) {
    cFlowCommand cmd;
    ASSERT_TRUE(LoadFromBytes(cmd, PlainCommandBytes(0, c.nType, c.in).Bytes(), c.nVersion));
    EXPECT_EQ(static_cast<int>(cmd.m_Params.size()), GetCommandParamCount(0, c.nType)) << c.nType;
  }
}

TEST(FlowRecords, OlderSettingsAreUpgradedInsideTheirCommands) {
  cFlowGlobalsGuard guard;
  struct Case {
    const char* pszWhat;
    int nVersion;
    int nType;
    bool bShot;
    std::map<int, double> values;
    int nField;  // field number looked at
    double dWant;
  };
  const Case cases[] = {
      {"move 157: no angle mirroring", 157, CMD_MOVE_STRAIGHT, false, {}, MOVE_MIRRORANGLE, 0},
      {"move 158 keeps its mirroring",
       158,
       CMD_MOVE_STRAIGHT,
       false,
       {{MOVE_MIRRORANGLE, 1}},
       MOVE_MIRRORANGLE,
       1},
      {"move 158: unit in half blocks", 158, CMD_MOVE_STRAIGHT, false, {}, MOVE_DISTUNIT, 0},
      {"move 161: keeps no direction", 161, CMD_MOVE_STRAIGHT, false, {}, MOVE_KEEPDIR, 0},
      {"charge 513: angle cleared", 513, CMD_MOVE_CHARGE, false, {{MOVE_ANGLE, 45}}, MOVE_ANGLE, 0},
      {"charge 513: mirrored",
       513,
       CMD_MOVE_CHARGE,
       false,
       {{MOVE_MIRRORANGLE, 0}},
       MOVE_MIRRORANGLE,
       1},
      {"charge 514 keeps its angle",
       514,
       CMD_MOVE_CHARGE,
       false,
       {{MOVE_ANGLE, 45}},
       MOVE_ANGLE,
       45},
      {"shot 157: no angle mirroring", 157, CMD_SHOT, true, {}, SHOT_MIRRORANGLE, 0},
      {"shot 196: characters spared like the hero",
       196,
       CMD_SUMMON_BLOCK,
       true,
       {{SHOT_SPAREHERO, 1}},
       SHOT_SPARECHARA,
       1},
      {"shot 211 homing: scroll sync on",
       211,
       CMD_SHOT,
       true,
       {{SHOT_MOVETYPE, 5}, {SHOT_SCROLLSYNC, 0}},
       SHOT_SCROLLSYNC,
       1},
      {"shot 211 wave: scroll sync off",
       211,
       CMD_SHOT,
       true,
       {{SHOT_MOVETYPE, 8}, {SHOT_SCROLLSYNC, 1}},
       SHOT_SCROLLSYNC,
       0},
      {"shot 212 keeps scroll sync",
       212,
       CMD_SHOT,
       true,
       {{SHOT_MOVETYPE, 8}, {SHOT_SCROLLSYNC, 1}},
       SHOT_SCROLLSYNC,
       1},
      {"shot 219: graphic moved by one", 219, CMD_SHOT, true, {{SHOT_GRAPHIC, 5}}, SHOT_GRAPHIC, 6},
      {"shot 219: graphic at most 119",
       219,
       CMD_SHOT,
       true,
       {{SHOT_GRAPHIC, 119}},
       SHOT_GRAPHIC,
       119},
      {"shot 220 keeps its graphic", 220, CMD_SHOT, true, {{SHOT_GRAPHIC, 5}}, SHOT_GRAPHIC, 5},
      {"sword 219 keeps its graphic", 219, CMD_SWORD, true, {{SHOT_GRAPHIC, 5}}, SHOT_GRAPHIC, 5},
      {"shot 635: block characters pierced",
       635,
       CMD_SHOT,
       true,
       {{SHOT_PIERCECHARA, 1}},
       SHOT_PIERCEBLOCKCHARA,
       1},
      {"shot 636 keeps its value",
       636,
       CMD_SHOT,
       true,
       {{SHOT_PIERCECHARA, 1}, {SHOT_PIERCEBLOCKCHARA, 0}},
       SHOT_PIERCEBLOCKCHARA,
       0},
      {"shot 670: centre on the target", 670, CMD_SHOT, true, {}, SHOT_CENTRE, 0},
      {"shot 671 keeps its centre", 671, CMD_SHOT, true, {{SHOT_CENTRE, 2}}, SHOT_CENTRE, 2},
      {"shot scale 0 becomes 1", DATA_VERSION, CMD_SHOT, true, {{SHOT_GIANT, 0}}, SHOT_GIANT, 1},
  };
  for (const Case& c : cases) {
    COMMANDHEAD h;
    h.cType = static_cast<int8_t>(c.nType);
    cRecordBytes b = CommandHeadBytes(h);
    if (c.bShot) {
      b.u32(0).u32(1).Append(SettingsBytes(kShotLayout, c.nVersion, c.values));
    } else {
      b.u32(1).Append(SettingsBytes(kMoveLayout, c.nVersion, c.values)).u32(0);
    }
    b.u32(0).u32(0);
    cFlowCommand cmd;
    ASSERT_TRUE(LoadFromBytes(cmd, b.Bytes(), c.nVersion)) << c.pszWhat;
    // Read the field back through the current layout.
    const std::string saved = c.bShot ? SaveToBytes(*cmd.m_pShot) : SaveToBytes(*cmd.m_pMove);
    const auto& layout = c.bShot ? kShotLayout : kMoveLayout;
    size_t nOffset = 4;
    for (int i = 1; i < c.nField; ++i) nOffset += layout[i - 1].nWidth * layout[i - 1].nCount;
    const int nWidth = layout[c.nField - 1].nWidth;
    int32_t nGot = 0;
    if (nWidth == 1)
      nGot = static_cast<int8_t>(saved[nOffset]);
    else if (nWidth == 2)
      nGot = *reinterpret_cast<const int16_t*>(saved.data() + nOffset);
    else
      std::memcpy(&nGot, saved.data() + nOffset, 4);
    EXPECT_EQ(nGot, static_cast<int32_t>(c.dWant)) << c.pszWhat;
  }
}

struct ConditionUpgradeCase {
  const char* pszWhat;
  int nVersion;
  cCondition in;
  int8_t cWantKind, cWantObject, cWantStatus, cWantRightStatus, cWantOp;
};

cCondition Cond(int8_t cKind, int8_t cLeftKind, int8_t cObject, int8_t cStatus, int8_t cRightKind,
                int8_t cRightObject, int8_t cRightStatus, int8_t cOp) {
  cCondition c;
  c.m_cKind = cKind;
  c.m_cLeftKind = cLeftKind;
  c.m_cObject = cObject;
  c.m_cStatus = cStatus;
  c.m_cRightKind = cRightKind;
  c.m_cRightObject = cRightObject;
  c.m_cRightStatus = cRightStatus;
  c.m_cOp = cOp;
  return c;
}

// A condition as a file of nVersion stores it.
cRecordBytes ConditionBytes(const cCondition& c, int nVersion) {
  cRecordBytes b;
  if (nVersion >= 110) {
    b.Fields(17).i8(c.m_cKind).i32(c.m_nConst).i32(c.m_nRandLow).i32(c.m_nRandHigh);
    b.i8(c.m_cObject).i8(c.m_cStatus).i8(c.m_cLeftKind).i8(c.m_cVarKind).i16(c.m_sVarIndex);
    b.i8(c.m_cRightKind).i8(c.m_cRightObject).i8(c.m_cRightStatus).i8(c.m_cRightVarKind);
    b.i16(c.m_sRightVarIndex).i8(c.m_cOp).u8(c.m_bPercent).i8(c.m_cAxis);
  } else {
    // Two 2-byte fields of the time, dropped when read.
    b.Fields(nVersion >= 43 ? 7 : 6).i8(c.m_cKind).i32(c.m_nConst).i16(-1).i16(-1).i8(c.m_cOp);
    if (nVersion >= 43) b.u8(c.m_bPercent);
    b.i8(c.m_cAxis);
  }
  return b.Strings(0);
}

TEST(FlowRecords, OlderConditionsAreMigrated) {
  cFlowGlobalsGuard guard;
  const ConditionUpgradeCase cases[] = {
      {"status 12 at 150", 150, Cond(4, 0, 0, 12, 0, 0, 0, 2), 4, 0, 14, 0, 2},
      {"system status kept", 150, Cond(4, 0, 2, 12, 0, 0, 0, 2), 4, 2, 12, 0, 2},
      {"right status at 202", 202, Cond(4, 1, 0, 7, 2, 1, 6, 0), 4, 0, 7, 7, 0},
      {"right status of the system", 202, Cond(4, 1, 0, 7, 2, 2, 6, 0), 4, 0, 7, 6, 0},
      {"kind 5 at 159 is the distance", 159, Cond(5, 0, 1, 0, 0, 0, 0, 1), 7, 0, 0, 0, 1},
      {"kind 6 at 159 is kind 8", 159, Cond(6, 0, 0, 0, 0, 0, 0, 0), 8, 0, 0, 0, 0},
      {"state 2 at 160 inverted", 160, Cond(6, 0, 0, 2, 0, 0, 0, 0), 6, 0, 2, 0, 1},
      {"state 1 at 160 kept", 160, Cond(6, 0, 0, 1, 0, 0, 0, 0), 6, 0, 1, 0, 0},
      {"property at 209", 209, Cond(5, 0, 1, 6, 0, 0, 0, 0), 5, 1, 7, 0, 0},
      {"system property at 209", 209, Cond(5, 0, 2, 6, 0, 0, 0, 0), 5, 2, 6, 0, 0},
      {"distance at 656 from the hero", 656, Cond(7, 0, 1, 0, 0, 0, 0, 0), 7, 0, 0, 0, 0},
      {"distance at 657 keeps its object", 657, Cond(7, 0, 1, 0, 0, 0, 0, 0), 7, 1, 0, 0, 0},
      {"before 110 only kind, constant and operator", 100, Cond(1, 0, 0, 0, 0, 0, 0, 3), 1, 0, 0, 0,
       3},
  };
  for (const ConditionUpgradeCase& c : cases) {
    cCondition loaded;
    ASSERT_TRUE(LoadFromBytes(loaded, ConditionBytes(c.in, c.nVersion).Bytes(), c.nVersion))
        << c.pszWhat;
    EXPECT_EQ(loaded.m_cKind, c.cWantKind) << c.pszWhat;
    EXPECT_EQ(loaded.m_cObject, c.cWantObject) << c.pszWhat;
    EXPECT_EQ(loaded.m_cStatus, c.cWantStatus) << c.pszWhat;
    EXPECT_EQ(loaded.m_cRightStatus, c.cWantRightStatus) << c.pszWhat;
    EXPECT_EQ(loaded.m_cOp, c.cWantOp) << c.pszWhat;
  }
  // Before 43 there is no percent switch; before 110 the constant still is.
  cCondition c = Cond(2, 0, 0, 0, 0, 0, 0, 4);
  c.m_nConst = -77;
  c.m_cAxis = 3;
  cCondition loaded;
  ASSERT_TRUE(LoadFromBytes(loaded, ConditionBytes(c, 42).Bytes(), 42));
  EXPECT_EQ(loaded.m_nConst, -77);
  EXPECT_EQ(loaded.m_cAxis, 3);
  EXPECT_EQ(loaded.m_cOp, 4);
}

// ---- Damaged files ----

TEST(FlowRecords, CommandTypesOutsideTheTablesAreTheEmptyCommand) {
  cFlowGlobalsGuard guard;
  struct Case {
    int nSet, nType;
  } const cases[] = {{0, 37}, {0, 127}, {0, -1}, {1, 22}, {2, 5}, {-1, 19}};
  for (const Case& c : cases) {
    cFlowCommand cmd;
    ASSERT_TRUE(LoadFromBytes(cmd, PlainCommandBytes(c.nSet, c.nType, Seq(30)).Bytes(), 150));
    EXPECT_TRUE(cmd.m_Params.empty()) << c.nSet << "/" << c.nType;
    EXPECT_EQ(cmd.CharaType(), -1);
    EXPECT_EQ(cmd.m_cType, c.nType);  // kept as stored
    cmd.Validate(ValidationContext{});
    cmd.ValidateSummonRefs(ValidationContext{});
    EXPECT_TRUE(cmd.m_Params.empty());
  }
}

TEST(FlowRecords, ShortKeyStateListsReadAsIgnoredKeys) {
  cFlowGlobalsGuard guard;
  cRecordBytes b;
  b.Fields(5).u8(0).i16(0).i16(0).u8(0).i8(0).Strings(0);
  b.u32(3).u8(1).u8(2).u8(1);
  cKeyCondition key;
  ASSERT_TRUE(LoadFromBytes(key, b.Bytes(), DATA_VERSION));
  ASSERT_EQ(key.m_KeyStates.size(), 19u);
  EXPECT_EQ(key.m_KeyStates[1], 2);
  EXPECT_EQ(key.m_KeyStates[3], 0);
  EXPECT_EQ(key.KeyState(18), 0);
  EXPECT_EQ(key.KeyState(19), 0);
  EXPECT_EQ(key.KeyState(-1), 0);
}

TEST(FlowRecords, EveryTruncationOfAFlowFailsCleanly) {
  cFlowGlobalsGuard guard;
  cTestGameFolder folder;
  cFlow rich = MakeRichFlow();
  const std::string bytes = SaveToBytes(rich);
  for (size_t n = 0; n < bytes.size(); ++n) {
    folder.ClearReportLog();
    cFlow flow;
    EXPECT_FALSE(LoadFromBytes(flow, bytes.substr(0, n), DATA_VERSION)) << n;
    EXPECT_EQ(folder.ReportLogLineCount(), 1) << n << ": " << folder.ReportLogText();
    // Whatever was read keeps the parameter counts its command types read.
    for (const cFlowCommand& cmd : flow.m_Commands)
      EXPECT_EQ(static_cast<int>(cmd.m_Params.size()),
                GetCommandParamCount(cmd.m_cSet, cmd.m_cType))
          << n;
  }
  EXPECT_NE(folder.ReportLogText().find("damaged record file"), std::string::npos);
}

TEST(FlowRecords, HugeCountsFailWithoutAllocating) {
  cFlowGlobalsGuard guard;
  cTestGameFolder folder;
  struct Case {
    const char* pszWhat;
    cRecordBytes bytes;
  };
  std::vector<Case> cases;
  {
    cRecordBytes b = FlowHeadBytes(FLOWHEAD{}, DATA_VERSION);
    b.u32(0xFFFFFFFFu);
    cases.push_back({"conditions", b});
  }
  {
    cRecordBytes b = FlowHeadBytes(FLOWHEAD{}, DATA_VERSION);
    b.u32(0).u32(0x40000000u);
    cases.push_back({"key conditions", b});
  }
  {
    cRecordBytes b = FlowHeadBytes(FLOWHEAD{}, DATA_VERSION);
    b.u32(0).u32(0).u32(2000000000u).u32(0);
    cases.push_back({"commands", b});
  }
  {
    cRecordBytes b = FlowHeadBytes(FLOWHEAD{}, DATA_VERSION);
    b.u32(0).u32(0).u32(1).Append(CommandHeadBytes(COMMANDHEAD{})).u32(0).u32(0).u32(0);
    b.u32(0x7FFFFFFFu);  // parameters
    cases.push_back({"parameters", b});
  }
  {
    cRecordBytes b = FlowHeadBytes(FLOWHEAD{}, DATA_VERSION);
    b.u32(0).u32(1).Fields(5).u8(0).i16(0).i16(0).u8(0).i8(0).Strings(0).u32(0xFFFFFF00u);
    b.u32(0);
    cases.push_back({"key states", b});
  }
  for (const Case& c : cases) {
    folder.ClearReportLog();
    cFlow flow;
    EXPECT_FALSE(LoadFromBytes(flow, c.bytes.Bytes(), DATA_VERSION)) << c.pszWhat;
    EXPECT_EQ(folder.ReportLogLineCount(), 1) << c.pszWhat << ": " << folder.ReportLogText();
    EXPECT_NE(folder.ReportLogText().find("does not fit"), std::string::npos) << c.pszWhat;
  }
}

// Flows nested as deep as a load allows, every list count claiming all the
// bytes after it (zeros, which read as empty flows). The counts of the
// nested lists must not claim the bytes the outer lists' later elements
// hold: were each list made whole before it is read, every level would
// allocate for the whole file again.
TEST(FlowRecords, NestedListsCannotClaimTheSameBytes) {
  cFlowGlobalsGuard guard;
  cTestGameFolder folder;
  constexpr size_t kFileBytes = size_t{256} << 10;
  cRecordBytes b;
  std::vector<std::pair<size_t, size_t>> counts;  // where a count word is, its element minimum
  auto claim = [&](size_t nMinBytes) {
    counts.emplace_back(b.Size(), nMinBytes);
    b.u32(0);
  };
  for (int i = 0; i < kMaxFlowNesting - 1; ++i) {
    claim(kMinFlowBytes);
    b.Append(FlowHeadBytes(FLOWHEAD{}, DATA_VERSION)).u32(0).u32(0);  // no conditions
    claim(kMinFlowCommandBytes);
    b.Append(CommandHeadBytes(COMMANDHEAD{})).u32(0).u32(0);  // no settings
  }
  std::string bytes = b.Bytes();
  ASSERT_LT(bytes.size(), kFileBytes);
  bytes.resize(kFileBytes, '\0');
  for (const auto& [nAt, nMinBytes] : counts) {
    const uint32_t n = static_cast<uint32_t>((kFileBytes - nAt - 4) / nMinBytes);
    std::memcpy(bytes.data() + nAt, &n, 4);
  }

  folder.WriteFile("Report_Game.txt", "");
  const cHeapPeak peak;
  {
    cRecordReader reader(bytes, "test");
    std::vector<cFlow> flows;
    LoadFlowVector(flows, reader);
    EXPECT_TRUE(reader.Failed());
  }
  // The outermost list may reserve room for all the flows it claims (about
  // eight times the file); nothing nested may claim more.
  EXPECT_LT(peak.Bytes(), 16 * kFileBytes);
  const std::string strLog = folder.ReportLogText();
  EXPECT_EQ(std::count(strLog.begin(), strLog.end(), '\n'), 1) << strLog;
  EXPECT_NE(strLog.find("command count"), std::string::npos) << strLog;
}

TEST(FlowRecords, DeeplyNestedFlowsFailInsteadOfExhaustingTheStack) {
  cFlowGlobalsGuard guard;
  cTestGameFolder folder;
  // Each level: a flow holding one command holding one flow...
  const int nLevels = 5000;
  std::string bytes;
  cRecordBytes head = FlowHeadBytes(FLOWHEAD{}, DATA_VERSION);
  head.u32(0).u32(0).u32(1).Append(CommandHeadBytes(COMMANDHEAD{})).u32(0).u32(0).u32(1);
  for (int i = 0; i < nLevels; ++i) bytes += head.Bytes();
  cRecordBytes innermost = FlowHeadBytes(FLOWHEAD{}, DATA_VERSION);
  innermost.u32(0).u32(0).u32(0);
  bytes += innermost.Bytes();
  for (int i = 0; i < nLevels; ++i) bytes += std::string(4, '\0');  // parameter counts

  cFlow flow;
  EXPECT_FALSE(LoadFromBytes(flow, bytes, DATA_VERSION));
  EXPECT_NE(folder.ReportLogText().find("nested too deeply"), std::string::npos);

  // Nesting within the cap loads.
  cFlow nested = MakeRichFlow();
  for (int i = 0; i < kMaxFlowNesting - 2; ++i) {
    cFlow outer;
    cFlowCommand cmd = MakeCommand(COMMANDSET_ITEM, ITEMCMD_CHANGE_FLOWS);
    cmd.m_Flows.push_back(nested);
    outer.m_Commands.push_back(cmd);
    nested = outer;
  }
  cFlow loaded;
  EXPECT_TRUE(LoadFromBytes(loaded, SaveToBytes(nested), DATA_VERSION));
}

// What a load from nBytes bytes can have made: lists no longer than the bytes
// could hold, nesting within the cap, the parameters each command type reads
// and every key state of a key condition.
void ExpectLoadedWithinBounds(const cFlow& flow, size_t nBytes, int nDepth = 1) {
  EXPECT_LE(nDepth, kMaxFlowNesting);
  EXPECT_LE(flow.m_Commands.size() * kMinFlowCommandBytes, nBytes);
  EXPECT_LE(flow.m_Conditions.size(), nBytes);
  EXPECT_LE(flow.m_KeyConditions.size(), nBytes);
  for (const cKeyCondition& key : flow.m_KeyConditions) {
    EXPECT_GE(key.m_KeyStates.size(), static_cast<size_t>(cKeyCondition::kKeyStateCount));
    EXPECT_LE(key.m_KeyStates.size(), nBytes);
  }
  for (const cFlowCommand& cmd : flow.m_Commands) {
    EXPECT_EQ(static_cast<int>(cmd.m_Params.size()), GetCommandParamCount(cmd.m_cSet, cmd.m_cType));
    EXPECT_LE(cmd.m_strText.size(), nBytes);
    EXPECT_LE(cmd.m_Flows.size() * kMinFlowBytes, nBytes);
    for (const cFlow& nested : cmd.m_Flows) ExpectLoadedWithinBounds(nested, nBytes, nDepth + 1);
  }
}

// Random damage: every load either fails with one fault in the report log
// or reads a flow within the bounds of its bytes, with nothing logged.
TEST(FlowRecords, RandomlyDamagedFlowsFailWithOneFaultOrLoadWithinBounds) {
  cFlowGlobalsGuard guard;
  cTestGameFolder folder;
  cFlow rich = MakeRichFlow();
  const std::string bytes = SaveToBytes(rich);
  cTestRandom random;
  int nFailed = 0, nRead = 0;
  for (int nRun = 0; nRun < 3000; ++nRun) {
    std::string damaged = bytes;
    const int nFlips = random.Between(1, 4);
    for (int i = 0; i < nFlips; ++i) damaged[random.Index(damaged.size())] = random.Byte();
    for (int nVersion : {100, 200, DATA_VERSION}) {
      SCOPED_TRACE(testing::Message() << "run " << nRun << ", version " << nVersion);
      folder.ClearReportLog();
      cFlow flow;
      g_nFileVersion = nVersion;
      cRecordReader reader(damaged, "test");
      flow.Load(reader);
      g_nFileVersion = DATA_VERSION;
      if (reader.Failed()) {
        ++nFailed;
        EXPECT_TRUE(folder.LoggedOneRecordFault());
      } else {
        ++nRead;
        EXPECT_EQ(folder.ReportLogLineCount(), 0) << folder.ReportLogText();
        ExpectLoadedWithinBounds(flow, damaged.size());
      }
      if (testing::Test::HasFailure()) return;  // one damaged file tells enough
      flow.Validate(ValidationContext{});
      flow.ValidateSummonRefs(ValidationContext{});
      cFlow copy(flow);
      SaveToBytes(copy);
    }
  }
  EXPECT_GT(nFailed, 0);
  EXPECT_GT(nRead, 0);
}

// ---- Test-play flows ----

TEST(FlowRecords, TestPlayFlowsOfNestedListsGoUnlessKept) {
  cFlowGlobalsGuard guard;
  cFlowCommand cmd = MakeCommand(COMMANDSET_ITEM, ITEMCMD_CHANGE_FLOWS);
  for (int i = 1; i <= 4; ++i) {
    cFlow f;
    f.m_cId = static_cast<int8_t>(i);
    f.m_bTestOnly = (i == 2 || i == 3);
    cmd.m_Flows.push_back(f);
  }
  const std::string bytes = SaveToBytes(cmd);
  for (bool bKeep : {false, true}) {
    SetKeepTestFlows(bKeep);
    cFlowCommand loaded;
    ASSERT_TRUE(LoadFromBytes(loaded, bytes, DATA_VERSION));
    std::vector<int> ids;
    for (const cFlow& f : loaded.m_Flows) ids.push_back(f.m_cId);
    EXPECT_EQ(ids, bKeep ? std::vector<int>({1, 2, 3, 4}) : std::vector<int>({1, 4}));
  }
}

// ---- Validation ----

ValidationContext MakeContext() {
  ValidationContext ctx;
  ctx.nAnimeRows = 10;
  ctx.nAnimeSetRows = 4;
  ctx.nEffectRows = 6;
  ctx.nCharaEffectRows = 3;
  ctx.nScrEffectRows = 3;
  ctx.nPictureRows = 5;
  ctx.nSoundRows = 8;
  ctx.nBgmRows = 2;
  ctx.vSwordTimes = {12, 40, 12000};
  ctx.common = PaletteCounts{5, 6, 7};
  ctx.stage = PaletteCounts{2, 3, 4};
  return ctx;
}

TEST(FlowRecords, ValidationClampsDatabaseRows) {
  cFlowGlobalsGuard guard;
  const ValidationContext ctx = MakeContext();
  struct Case {
    int nSet, nType;
    int32_t p0, nWant;
  } const cases[] = {
      {0, CMD_CHANGE_ANIMESET, 3, 3}, {0, CMD_CHANGE_ANIMESET, 4, 0}, {0, CMD_RUN_ANIME, 10, 1},
      {0, CMD_RUN_ANIME, -1, 1},      {0, CMD_RUN_ANIME, 9, 9},       {1, 12, 10, 1},
      {0, CMD_RUN_EFFECT, 6, 1},      {0, CMD_CHARA_EFFECT, 3, 1},    {1, 15, 3, 1},
      {0, CMD_SHOW_PICTURE, 5, 1},    {0, CMD_PLAY_SOUND, 8, 1},      {0, CMD_PLAY_BGM, 2, 1},
      {0, CMD_PLAY_BGM, 0, 0},        {0, CMD_GAME_WAIT, 99, 99},
  };
  for (const Case& c : cases) {
    cFlowCommand cmd = MakeCommand(c.nSet, c.nType);
    cmd.m_Params[0] = c.p0;
    cmd.Validate(ctx);
    EXPECT_EQ(cmd.m_Params[0], c.nWant) << c.nSet << "/" << c.nType << " p0 " << c.p0;
  }

  // Lead-in animation and sound; the parameter count follows the type.
  cFlowCommand cmd = MakeCommand(0, CMD_JUMP);
  cmd.m_Params.resize(40);
  cmd.m_sLeadAnime = 10;
  cmd.m_sSound = -3;
  cmd.Validate(ctx);
  EXPECT_EQ(cmd.m_sLeadAnime, 0);
  EXPECT_EQ(cmd.m_sSound, 0);
  EXPECT_EQ(cmd.m_Params.size(), 5u);
}

TEST(FlowRecords, SwordsTakeTheirUseTimeFromTheirFrames) {
  cFlowGlobalsGuard guard;
  const ValidationContext ctx = MakeContext();
  struct Case {
    uint8_t nSword;
    uint8_t nWantSword;
    int16_t sWantTime;
  } const cases[] = {{1, 1, 40}, {2, 2, 9999}, {3, 0, 12}, {255, 0, 12}};
  for (const Case& c : cases) {
    cFlowCommand cmd = MakeCommand(0, CMD_SWORD);
    CreateShot(cmd.m_pShot);
    cmd.m_pShot->m_nMoveType = c.nSword;
    cmd.m_sUseTime = 1;
    cmd.Validate(ctx);
    EXPECT_EQ(cmd.m_pShot->m_nMoveType, c.nWantSword);
    EXPECT_EQ(cmd.m_sUseTime, c.sWantTime);
  }
  // A sword command without settings (a damaged file) is left alone.
  cFlowCommand bare = MakeCommand(0, CMD_SWORD);
  bare.Validate(ctx);
  EXPECT_EQ(bare.m_sUseTime, 25);
}

TEST(FlowRecords, ValidationReachesShotSettingsAndNestedFlows) {
  cFlowGlobalsGuard guard;
  const ValidationContext ctx = MakeContext();
  cFlow flow = MakeRichFlow();
  flow.m_Commands[1].m_pShot->m_nHitEffect = 6;
  cFlowCommand& nested = flow.m_Commands[3].m_Flows[0].m_Commands[0];
  nested.m_sSound = 8;
  nested.m_Params.resize(1);
  flow.Validate(ctx);
  EXPECT_EQ(flow.m_Commands[1].m_pShot->m_nHitEffect, 0);
  EXPECT_EQ(nested.m_sSound, 0);
  EXPECT_EQ(nested.m_Params.size(), 5u);
}

TEST(FlowRecords, SummonReferencesAreClampedToThePalettes) {
  cFlowGlobalsGuard guard;
  const ValidationContext ctx = MakeContext();
  struct Case {
    const char* pszWhat;
    int nType;
    uint8_t nItemSrc;
    int16_t nItemNo;
    uint8_t nSummonPalette;
    int16_t nSummonNo;
    uint8_t nWantItemSrc;
    int16_t nWantItemNo, nWantSummonNo;
  } const cases[] = {
      {"shot item in the common palette", CMD_SHOT, 1, 6, 0, 0, 1, 6, 0},
      {"shot item past the common palette", CMD_SHOT, 1, 7, 0, 0, 0, 0, 0},
      {"sword item past the stage palette", CMD_SWORD, 2, 4, 0, 0, 0, 0, 0},
      {"no item source", CMD_SHOT, 0, 99, 0, 0, 0, 99, 0},
      {"block of the common palette", CMD_SUMMON_BLOCK, 0, 0, 0, 5, 0, 0, 1},
      {"block of the stage palette", CMD_SUMMON_BLOCK, 0, 0, 1, 1, 0, 0, 1},
      {"chara of the stage palette", CMD_SUMMON_CHARA, 0, 0, 1, 3, 0, 0, 1},
      {"chara in range", CMD_SUMMON_CHARA, 0, 0, 0, 5, 0, 0, 5},
      {"item, negative", CMD_SUMMON_ITEM, 0, 0, 0, -2, 0, 0, 1},
      {"unknown palette kept", CMD_SUMMON_ITEM, 0, 0, 7, 99, 0, 0, 99},
  };
  for (const Case& c : cases) {
    cFlowCommand cmd = MakeCommand(0, c.nType);
    CreateShot(cmd.m_pShot);
    cmd.m_pShot->m_nItemSrc = c.nItemSrc;
    cmd.m_pShot->m_nItemNo = c.nItemNo;
    cmd.m_pShot->m_nSummonPalette = c.nSummonPalette;
    cmd.m_pShot->m_nSummonNo = c.nSummonNo;
    cmd.ValidateSummonRefs(ctx);
    EXPECT_EQ(cmd.m_pShot->m_nItemSrc, c.nWantItemSrc) << c.pszWhat;
    EXPECT_EQ(cmd.m_pShot->m_nItemNo, c.nWantItemNo) << c.pszWhat;
    EXPECT_EQ(cmd.m_pShot->m_nSummonNo, c.nWantSummonNo) << c.pszWhat;
  }

  // アイテムの取得 in both sets, also inside a nested flow.
  cFlowCommand change = MakeCommand(COMMANDSET_ITEM, ITEMCMD_CHANGE_FLOWS);
  cFlow inner;
  cFlowCommand get = MakeCommand(0, CMD_GET_ITEM);
  get.m_Params = {1, 4};
  inner.m_Commands.push_back(get);
  change.m_Flows.push_back(inner);
  change.ValidateSummonRefs(ctx);
  EXPECT_EQ(change.m_Flows[0].m_Commands[0].m_Params[1], 1);
  cFlowCommand itemGet = MakeCommand(COMMANDSET_ITEM, 9);
  itemGet.m_Params = {0, 6};
  itemGet.ValidateSummonRefs(ctx);
  EXPECT_EQ(itemGet.m_Params[1], 6);
}

// ---- Copies ----

TEST(FlowRecords, CopiesOwnTheirSettings) {
  cFlowGlobalsGuard guard;
  cFlow source = MakeRichFlow();
  const std::string before = SaveToBytes(source);

  cFlow constructed(source);
  cFlow assigned;
  assigned = source;
  std::vector<cFlow> listCopy;
  listCopy.resize(3);
  AssignFlowList(listCopy, std::vector<cFlow>{source});
  for (cFlow* pCopy : {&constructed, &assigned, &listCopy[0]}) {
    EXPECT_EQ(SaveToBytes(*pCopy), before);
    EXPECT_NE(pCopy->m_Commands[0].m_pMove, source.m_Commands[0].m_pMove);
    EXPECT_NE(pCopy->m_Commands[1].m_pShot, source.m_Commands[1].m_pShot);
    pCopy->m_Commands[0].m_pMove->m_nSpeed = 999;
    pCopy->m_Commands[1].m_pShot->m_nPower = 5;
    pCopy->m_Commands[3].m_Flows[0].m_cId = 1;
  }
  EXPECT_EQ(listCopy.size(), 1u);
  EXPECT_EQ(SaveToBytes(source), before);

  // A copied command list survives its source.
  std::vector<cFlowCommand> commands;
  {
    std::vector<cFlowCommand> temporary = MakeRichFlow().m_Commands;
    AssignCommandList(commands, temporary);
  }
  ASSERT_TRUE(commands[1].m_pShot);
  EXPECT_EQ(commands[1].m_pShot->m_nPower, -999999);
  EXPECT_EQ(commands[1].m_pShot.use_count(), 1);
}

TEST(FlowRecords, AssignmentFromAnOwnNestedFlowIsSafe) {
  cFlowGlobalsGuard guard;
  cFlow flow = MakeRichFlow();
  const cFlow inner = flow.m_Commands[3].m_Flows[0];
  flow = flow.m_Commands[3].m_Flows[0];
  EXPECT_EQ(SaveToBytes(flow), [&] {
    cFlow copy(inner);
    return SaveToBytes(copy);
  }());
}

TEST(FlowRecords, CloningFromAnEmptySourceEmptiesTheTarget) {
  cEdMovePtr pMove;
  CreateMove(pMove);
  CloneMovePtr(pMove, cEdMovePtr());
  EXPECT_FALSE(pMove);
  cEdShotPtr pShot;
  CreateShot(pShot);
  CloneShotPtr(pShot, cEdShotPtr());
  EXPECT_FALSE(pShot);

  cFlowCommand withShot = MakeCommand(0, CMD_SHOT);
  CreateShot(withShot.m_pShot);
  withShot = MakeCommand(0, CMD_SHOT);
  EXPECT_FALSE(withShot.m_pShot);
}

TEST(FlowRecords, EraseMarkedFlowsKeepsTheOrderOfTheRest) {
  std::vector<cFlow> flows(5);
  for (int i = 0; i < 5; ++i) {
    flows[i].m_cId = static_cast<int8_t>(i);
    flows[i].m_bTestOnly = (i % 2 == 0);
  }
  EraseMarkedFlows(flows);
  ASSERT_EQ(flows.size(), 2u);
  EXPECT_EQ(flows[0].m_cId, 1);
  EXPECT_EQ(flows[1].m_cId, 3);
  std::vector<cFlow> marked(1);
  marked[0].m_bTestOnly = 1;
  EraseMarkedFlows(marked);
  EXPECT_TRUE(marked.empty());
}

}  // namespace

namespace {

TEST(FlowRecords, ContextFromALoadedDatabase) {
  cFlowGlobalsGuard guard;
  cDatabase db;
  db.m_Anime.resize(7);
  db.m_Sound.resize(3);
  db.m_SwordType.resize(3);
  db.m_SwordType[0].m_Frames.clear();
  db.m_SwordType[1].m_Frames.resize(3);
  for (int i = 0; i < 3; ++i) db.m_SwordType[1].m_Frames[i].m_nDuration = 5 + i;
  db.m_SwordType[2].m_Frames.resize(2);
  for (cSwordFrame& frame : db.m_SwordType[2].m_Frames) frame.m_nDuration = 2000000000;
  const ValidationContext ctx = MakeDatabaseContext(db);
  EXPECT_EQ(ctx.nAnimeRows, 7);
  EXPECT_EQ(ctx.nSoundRows, 3);
  EXPECT_EQ(ctx.vSwordTimes, (std::vector<int32_t>{0, 18, 2147483647}));

  cFlowCommand sword = MakeCommand(0, CMD_SWORD);
  CreateShot(sword.m_pShot);
  sword.m_pShot->m_nMoveType = 2;
  sword.Validate(ctx);
  EXPECT_EQ(sword.m_sUseTime, 9999);
}

}  // namespace
