// The commands that change statuses: ステータスの操作 (its operations, ranges,
// operands and the HP rules), ステータスの操作2, and コードの実行 as flow
// commands, each run as a flow at one and at ten sub-steps per frame.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <set>

#include "app/base/close_request.h"
#include "app/base/random.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/status_operation.h"
#include "flow/runtime/status_values.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "stagedata/stage_globals.h"

namespace {

int32_t& C(int n) { return g_PlayData.m_CommonVars.At(n); }
int32_t& S(int n) { return FlowContext().m_vStageVar.At(n); }

// The parameters of a ステータスの操作 command, by name.
struct STATUSOP {
  int nLeft = 0;  // 0 a status, 1 a variable
  int nVarKind = 0;
  int nVarIndex = 0;
  int nObject = 0;  // 0 self, 1 target, 2 system
  int nStatus = 0;
  int nOp = 0;     // = + - x / mod %
  int nRight = 0;  // 0 constant, 1 random, 2 status, 3 variable
  int nConst = 0;
  int nLow = 0;
  int nHigh = 0;
  int nRightVarKind = 0;
  int nRightVarIndex = 0;
  int nRightObject = 0;
  int nRightStatus = 0;
  int bPercent = 0;
  int nGaugePercent = 0;
  int bGauge = 0;
  int bSkipInvincible = 0;
};

cFlowCommand StatusCommand(const STATUSOP& o, int nUseTime = 0) {
  return MakeCommand(CMD_STATUS, nUseTime, false,
                     {o.nLeft, o.nVarKind, o.nVarIndex, o.nObject, o.nStatus, o.nOp, o.nRight,
                      o.nConst, o.nLow, o.nHigh, o.nRightVarKind, o.nRightVarIndex, o.nRightObject,
                      o.nRightStatus, o.bPercent, o.nGaugePercent, o.bGauge, o.bSkipInvincible});
}

enum { SET, ADD, SUB, MUL, DIV, MOD, PERCENT };

// A character status of self := value <op> constant.
STATUSOP CharaOp(int nStatus, int nOp, int nConst) {
  return {.nStatus = nStatus, .nOp = nOp, .nConst = nConst};
}
// Common variable 1 := value <op> constant.
STATUSOP VarOp(int nOp, int nConst) {
  return {.nLeft = 1, .nVarIndex = 1, .nOp = nOp, .nConst = nConst};
}

TEST(StatusOperationTest, OperationsKeepEachValueInItsRange) {
  struct ROW {
    const char* name;
    STATUSOP op;
    std::function<void(cChara&)> setup;
    std::function<int32_t(cChara&)> read;
    int32_t nWant;
  };
  auto cid = [](cChara& c) { return int32_t{c.m_Def.m_nCid}; };
  auto z = [](cChara& c) { return int32_t{c.m_Def.m_nZ}; };
  auto c1 = [](cChara&) { return C(1); };
  const ROW rows[] = {
      {"cid 50 + 99", CharaOp(CHARASTATUS_CID, ADD, 99), [](cChara& c) { c.m_Def.m_nCid = 50; },
       cid, 99},
      {"z 5 = 300", CharaOp(CHARASTATUS_Z, SET, 300), [](cChara& c) { c.m_Def.m_nZ = 5; }, z, 7},
      {"mark 100 x 2", CharaOp(CHARASTATUS_MARK, MUL, 2), [](cChara& c) { c.m_Def.m_nMark = 100; },
       [](cChara& c) { return int32_t{c.m_Def.m_nMark}; }, 119},
      // By 0: the value stays, clamped to its range.
      {"z 9 / 0", CharaOp(CHARASTATUS_Z, DIV, 0), [](cChara& c) { c.m_Def.m_nZ = 9; }, z, 7},
      {"C1 -7 mod 0", VarOp(MOD, 0), [](cChara&) { C(1) = -7; }, c1, -7},
      {"C1 -7 mod 2", VarOp(MOD, 2), [](cChara&) { C(1) = -7; }, c1, -1},
      {"C1 -7 / 2", VarOp(DIV, 2), [](cChara&) { C(1) = -7; }, c1, -3},
      {"C1 200 % 15", VarOp(PERCENT, 15), [](cChara&) { C(1) = 200; }, c1, 30},
      // Exact arithmetic, then the end of the range on the side of its sign.
      {"C1 999999 x 999999", VarOp(MUL, 999999), [](cChara&) { C(1) = 999999; }, c1, 999999},
      {"C1 999999 x -999999", VarOp(MUL, -999999), [](cChara&) { C(1) = 999999; }, c1, -999999},
      {"C1 INT_MIN / -1", VarOp(DIV, -1), [](cChara&) { C(1) = INT_MIN; }, c1, 999999},
      {"C1 INT_MIN mod -1", VarOp(MOD, -1), [](cChara&) { C(1) = INT_MIN; }, c1, 0},
      {"C1 INT_MAX + INT_MAX", VarOp(ADD, INT_MAX), [](cChara&) { C(1) = INT_MAX; }, c1, 999999},
      {"C1 unknown operation", VarOp(9, 5), [](cChara&) { C(1) = 2000000; }, c1, 999999},
      // The percent switch makes the operand a percentage of the value.
      {"C1 200 = 50 %",
       {.nLeft = 1, .nVarIndex = 1, .nConst = 50, .bPercent = 1},
       [](cChara&) { C(1) = 200; },
       c1,
       100},
      {"power 40 + 50 %",
       {.nStatus = CHARASTATUS_POWER, .nOp = ADD, .nConst = 50, .bPercent = 1},
       [](cChara& c) { c.m_Def.m_nPower = 40; },
       [](cChara& c) { return c.m_Def.m_nPower; },
       60},
      // Operands: a stage variable, a character variable, a system status.
      {"C1 = S4",
       {.nLeft = 1, .nVarIndex = 1, .nRight = 3, .nRightVarKind = 1, .nRightVarIndex = 4},
       [](cChara&) { S(4) = 12; },
       c1,
       12},
      {"v2 = my v5",
       {.nVarIndex = 2, .nRight = 2, .nRightVarIndex = 5},
       [](cChara& c) { c.m_vVars.At(5) = -8; },
       [](cChara& c) { return c.m_vVars.At(2); },
       -8},
      {"C1 = time without a limit",
       {.nLeft = 1, .nVarIndex = 1, .nRight = 2, .nRightObject = 2, .nRightStatus = SYSSTATUS_TIME},
       [](cChara&) { FlowContext().m_nTimeLeft = 30; },
       c1,
       0},
      {"mhp 60 = 10 with HP 40", CharaOp(CHARASTATUS_MAXHP, SET, 10),
       [](cChara& c) { c.m_nHp = 40; }, [](cChara& c) { return c.m_nHp; }, 10},
      {"stop = 300", CharaOp(CHARASTATUS_STOP, SET, 300), nullptr,
       [](cChara& c) { return static_cast<int32_t>(c.m_dStop * 100); }, 200},
  };
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  for (const ROW& r : rows) {
    chara.m_Def.m_nMaxHp = 60;
    chara.m_nHp = 60;
    if (r.setup) r.setup(chara);
    ApplyStatusOperation(chara, StatusCommand(r.op));
    EXPECT_EQ(r.read(chara), r.nWant) << r.name;
  }
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

// HP and SP go through the character's own change: forced, with its limits
// and, for another character, the deaths check of the play frame.
TEST(StatusOperationTest, HitPointsFollowTheirRules) {
  cFlowFixture fixture;
  cTestChara& self = AddFlowChara(fixture);
  cTestChara& target = AddFlowChara(fixture, 500, 400);
  self.m_Def.m_nMaxHp = 200;
  self.m_nHp = 50;
  cFlowContext& ctx = FlowContext();

  // hp + 50 % of the maximum adds 100; the gauge moves when asked.
  ApplyStatusOperation(
      self,
      StatusCommand(
          {.nStatus = CHARASTATUS_HP, .nOp = ADD, .nConst = 50, .nGaugePercent = 1, .bGauge = 1}));
  EXPECT_EQ(self.m_nHp, 150);
  EXPECT_EQ(self.m_HpGauge.nFrames, 120);
  // A percentage of the current value; the gain stops at the maximum.
  ApplyStatusOperation(
      self,
      StatusCommand({.nStatus = CHARASTATUS_HP, .nOp = ADD, .nConst = 100, .nGaugePercent = 2}));
  EXPECT_EQ(self.m_nHp, 200);
  // An invincible character loses HP to a status operation (it is forced)
  // unless the command skips invincible characters.
  self.m_Def.m_nInvincible = 1;
  ApplyStatusOperation(self, StatusCommand(CharaOp(CHARASTATUS_HP, SUB, 30)));
  EXPECT_EQ(self.m_nHp, 170);
  STATUSOP skip = CharaOp(CHARASTATUS_HP, SUB, 30);
  skip.bSkipInvincible = 1;
  ApplyStatusOperation(self, StatusCommand(skip));
  EXPECT_EQ(self.m_nHp, 170);

  // hp = 0 on self: dead, but no deaths check asked for.
  ApplyStatusOperation(self, StatusCommand(CharaOp(CHARASTATUS_HP, SET, 0)));
  EXPECT_EQ(self.m_nHp, 0);
  EXPECT_EQ(ctx.m_bCodeKill, 0);
  // On the target: the deaths check is asked for; without a target nothing
  // happens.
  STATUSOP onTarget = CharaOp(CHARASTATUS_HP, SET, 0);
  onTarget.nObject = 1;
  ApplyStatusOperation(target, StatusCommand(onTarget));
  EXPECT_EQ(target.m_nHp, 100);
  EXPECT_EQ(ctx.m_bCodeKill, 0);
  self.SetTarget(&target);
  ApplyStatusOperation(self, StatusCommand(onTarget));
  EXPECT_EQ(target.m_nHp, 0);
  EXPECT_EQ(ctx.m_bCodeKill, 1);
  // A right operand of a missing target makes the whole operation nothing.
  ctx.m_bCodeKill = 0;
  C(1) = 5;
  ApplyStatusOperation(
      target, StatusCommand(
                  {.nLeft = 1, .nVarIndex = 1, .nRight = 2, .nRightObject = 1, .nRightStatus = 1}));
  EXPECT_EQ(C(1), 5);
}

TEST(StatusOperationTest, SystemStatusesAndSight) {
  cFlowFixture fixture;
  cPlayer& hero = fixture.AddHero(200, 200);
  cTestChara& chara = AddFlowChara(fixture);
  auto System = [](int nStatus, int nOp, int nConst) {
    return StatusCommand({.nObject = 2, .nStatus = nStatus, .nOp = nOp, .nConst = nConst});
  };
  // Infinite lives stay infinite; a score stops at 0.
  g_PlayData.m_nLives = kInfiniteLives;
  ApplyStatusOperation(chara, System(SYSSTATUS_LIFE, SUB, 1));
  EXPECT_EQ(g_PlayData.m_nLives, kInfiniteLives);
  g_PlayData.m_nLives = 3;
  ApplyStatusOperation(chara, System(SYSSTATUS_LIFE, ADD, 200));
  EXPECT_EQ(g_PlayData.m_nLives, 99);
  g_PlayData.m_nGameScore = 40;
  ApplyStatusOperation(chara, System(SYSSTATUS_SCORE, SUB, 100));
  EXPECT_EQ(g_PlayData.m_nGameScore, 0);
  // The autoscroll speed is kept within 480 and the axis scrolls at it
  // while the stage's switch is on.
  g_Stage.m_bAutoScrollX = 1;
  ApplyStatusOperation(chara, System(SYSSTATUS_SCROLLX, SET, 600));
  EXPECT_EQ(g_Stage.m_nAutoScrollSpeedX, 480);
  EXPECT_EQ(fixture.Scene().m_ScrollX.m_bAutoScroll, 1);
  EXPECT_DOUBLE_EQ(fixture.Scene().m_ScrollX.m_dAutoSpeed, 48.0);

  // A sight only for a character of player kind, which gets its radius.
  ApplyStatusOperation(chara, StatusCommand(CharaOp(CHARASTATUS_SIGHT, SET, 5)));
  EXPECT_EQ(chara.m_Def.m_nSight, 0);
  ApplyStatusOperation(hero, StatusCommand(CharaOp(CHARASTATUS_SIGHT, SET, 50)));
  EXPECT_EQ(hero.m_Def.m_nSight, 40);
  EXPECT_EQ(hero.m_nSightDots, 640);
}

// Random bounds in either order, over the whole range of int32: hi - lo + 1
// is formed in 64 bits.
TEST(StatusOperationTest, RandomOperandsCoverTheirBounds) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  SeedRand(3);
  std::set<int32_t> seen;
  for (int i = 0; i < 400; ++i) {
    ApplyStatusOperation(
        chara, StatusCommand({.nLeft = 1, .nVarIndex = 1, .nRight = 1, .nLow = 20, .nHigh = 10}));
    seen.insert(C(1));
  }
  EXPECT_EQ(seen.size(), 11u);
  EXPECT_EQ(*seen.begin(), 10);
  EXPECT_EQ(*seen.rbegin(), 20);
  for (int i = 0; i < 20; ++i) {
    ApplyStatusOperation(
        chara, StatusCommand(
                   {.nLeft = 1, .nVarIndex = 1, .nRight = 1, .nLow = INT_MIN, .nHigh = INT_MAX}));
    EXPECT_GE(C(1), -999999);
    EXPECT_LE(C(1), 999999);
  }
}

// A variable number outside its table writes nothing, with one report.
TEST(StatusOperationTest, BadVariableNumbersWriteNothing) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  C(0) = 1;
  ApplyStatusOperation(chara, StatusCommand({.nLeft = 1, .nVarIndex = 256, .nConst = 9}));
  ApplyStatusOperation(chara,
                       StatusCommand({.nLeft = 1, .nVarKind = 1, .nVarIndex = -1, .nConst = 9}));
  ApplyStatusOperation(chara, StatusCommand({.nVarIndex = 9, .nConst = 9}));
  EXPECT_EQ(C(0), 1);
  EXPECT_EQ(S(0), 0);
  EXPECT_EQ(chara.m_vVars.At(0), 0);
  EXPECT_EQ(GetCloseRequestCount(), 3);
}

TEST(Status2Test, PropertiesOfCharactersAndTheStage) {
  cFlowFixture fixture;
  cPlayer& hero = fixture.AddHero(200, 200);
  cTestChara& chara = AddFlowChara(fixture);
  auto Status2 = [](int nObject, int nItem, int nValue) {
    return MakeCommand(CMD_STATUS2, 0, false, {nObject, nItem, nValue});
  };
  DoStatus2(chara, Status2(0, 1, 1));
  EXPECT_EQ(chara.m_Def.m_bTransparent, 1);
  DoStatus2(chara, Status2(0, 2, 0));
  EXPECT_EQ(chara.m_Def.m_bFixDir, 0);
  DoStatus2(chara, Status2(0, 4, 7));
  EXPECT_EQ(chara.m_Def.m_nInvincible, 2);
  DoStatus2(chara, Status2(0, 6, 1));
  EXPECT_EQ(chara.m_Def.m_bScrollSync, 1);
  EXPECT_EQ(chara.m_bScrollSync, 1);
  // 巨大化 scales the boxes from the old factor; a factor beyond 10 is 10.
  DoStatus2(chara, Status2(0, 5, 1000000));
  EXPECT_EQ(chara.m_Def.m_nGiant, 10);
  EXPECT_EQ(chara.m_nBoxW, 160);
  DoStatus2(chara, Status2(0, 5, 2));
  EXPECT_EQ(chara.m_nBoxW, 32);
  // 飛行 is the hero's only.
  DoStatus2(chara, Status2(0, 3, 1));
  EXPECT_EQ(chara.m_Def.m_nFly, 0);
  DoStatus2(hero, Status2(0, 3, 1));
  EXPECT_EQ(hero.m_bFly, 1);
  // The stage's autoscroll speed, taken up by the axis.
  g_Stage.m_bAutoScrollY = 1;
  DoStatus2(chara, Status2(2, 1, -30));
  EXPECT_EQ(g_Stage.m_nAutoScrollSpeedY, -30);
  EXPECT_DOUBLE_EQ(fixture.Scene().m_ScrollY.m_dAutoSpeed, -3.0);

  // 消滅: nothing without a target; a computer character vanishes, the
  // hero's HP becomes 0; another character than the runner asks for the
  // deaths check.
  cFlowContext& ctx = FlowContext();
  DoStatus2(hero, Status2(1, 0, 0));
  EXPECT_EQ(ctx.m_bCodeKill, 0);
  DoStatus2(chara, Status2(0, 0, 0));
  EXPECT_EQ(chara.m_bVanish, 1);
  EXPECT_EQ(ctx.m_bCodeKill, 0);
  hero.m_nHp = 10;
  chara.SetTarget(&hero);
  DoStatus2(chara, Status2(1, 0, 0));
  EXPECT_EQ(hero.m_nHp, 0);
  EXPECT_EQ(hero.m_bVanish, 0);
  EXPECT_EQ(ctx.m_bCodeKill, 1);
}

// Each command as a flow of one command of use time 1 (6 x N sub-steps);
// a command acts in every sub-step it runs.
TEST(StatusCommandsTest, TimelineAtOneAndTenSubSteps) {
  struct ROW {
    const char* name;
    cFlowCommand cmd;
    std::function<int32_t(cChara&)> read;
    int nPerSubStep;  // what the value gains each sub-step
  };
  for (int n : {1, 10}) {
    cFlowFixture fixture({.nLevel = n});
    cTestChara& chara = AddFlowChara(fixture);
    cFlowCommand code = MakeCommand(CMD_RUN_CODE, 1);
    code.m_strText = "S2 = S2 + 2";
    const ROW rows[] = {
        {"ステータスの操作",
         StatusCommand({.nLeft = 1, .nVarKind = 1, .nVarIndex = 1, .nOp = ADD, .nConst = 1}, 1),
         [](cChara&) { return S(1); }, 1},
        {"ステータスの操作2", MakeCommand(CMD_STATUS2, 1, false, {0, 1, 1}),
         [](cChara& c) { return int32_t{c.m_Def.m_bTransparent}; }, 0},
        {"コードの実行", code, [](cChara&) { return S(2); }, 2},
    };
    for (const ROW& r : rows) {
      InstallFlows(chara, {MakeFlow(19, {r.cmd})});
      const int32_t nBefore = r.read(chara);
      const TIMELINE t = RunTimeline(chara, chara.m_vRunners.At(0));
      EXPECT_EQ(t.spans, (std::vector<SPAN>{{1, 6 * n}})) << r.name << " N=" << n;
      EXPECT_EQ(t.nFinish, 6 * n) << r.name << " N=" << n;
      if (r.nPerSubStep)
        EXPECT_EQ(r.read(chara) - nBefore, r.nPerSubStep * 6 * n) << r.name << " N=" << n;
      else
        EXPECT_EQ(r.read(chara), 1) << r.name << " N=" << n;
    }
  }
}

}  // namespace
