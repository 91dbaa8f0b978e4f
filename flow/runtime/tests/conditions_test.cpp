// Condition evaluation: the comparison and percentage arithmetic, lists with
// their modes and once latches, the four kinds computed here, the stage
// variables and the random right operand's single draw.

#include "flow/runtime/conditions.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/base/close_request.h"
#include "app/base/random.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/status_values.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "play/map_cells.h"
#include "stagedata/stage_globals.h"
#include "testing/game_folder.h"

namespace {

TEST(ConditionsTest, CompareByOperator) {
  struct ROW {
    int32_t v, r;
    int nOp;
    bool bWant;
  };
  const ROW rows[] = {
      {3, 3, 0, true},
      {3, 4, 0, false},
      {3, 4, 1, true},
      {4, 4, 2, true},
      {3, 4, 2, false},
      {4, 4, 3, true},
      {5, 4, 3, false},
      {5, 4, 4, true},
      {4, 4, 4, false},
      {3, 4, 5, true},
      {4, 4, 5, false},
      // Multiples: of |r|, tested on |v|; 0 is a divisor of everything for
      // operator 6 and of nothing for operator 7.
      {-9, 3, 6, true},
      {10, 3, 6, false},
      {10, 0, 6, true},
      {-7, 0, 7, false},
      {10, -3, 7, true},
      {9, -3, 6, true},
      // The ends of the range behave like any other value.
      {INT_MIN, 2, 6, true},
      {INT_MIN, -1, 6, true},
      {INT_MIN, INT_MIN, 6, true},
      {INT_MAX, INT_MIN, 7, true},
      {INT_MIN, INT_MAX, 5, true},
      // Unknown operators never hold.
      {1, 1, 8, false},
      {1, 1, -1, false},
  };
  for (const ROW& r : rows)
    EXPECT_EQ(CompareByOperator(r.v, r.r, r.nOp), r.bWant) << r.v << " op" << r.nOp << " " << r.r;
}

TEST(ConditionsTest, ScalePercentRoundsHalfAwayAndSaturates) {
  struct ROW {
    int32_t a, b, want;
  };
  const ROW rows[] = {
      {300, 50, 150},
      {1, 50, 1},
      {1, 49, 0},
      {-1, 50, -1},
      {-1, 49, 0},
      {999999, 100, 999999},
      {0, 12345, 0},
      {7, -150, -11},
      // Products beyond 32 bits are formed exactly; results saturate.
      {100000, 100000, 100000000},
      {INT_MAX, 100, INT_MAX},
      {INT_MAX, INT_MAX, INT_MAX},
      {INT_MIN, INT_MAX, INT_MIN},
      {INT_MIN, -100, INT_MAX},
      {INT_MIN, 1, -21474836},
  };
  for (const ROW& r : rows) EXPECT_EQ(ScalePercent(r.a, r.b), r.want) << r.a << " x " << r.b;
}

cCondition VarCondition(int nKind, int nIndex, int nOp, int32_t nConst) {
  cCondition c;
  c.m_cKind = static_cast<int8_t>(nKind);
  c.m_sVarIndex = static_cast<int16_t>(nIndex);
  c.m_cOp = static_cast<int8_t>(nOp);
  c.m_nConst = nConst;
  return c;
}

TEST(ConditionsTest, ListsByModeAndOnceLatches) {
  cFlowFixture fixture;
  cCondition yes = VarCondition(CONDKIND_STAGEVAR, 1, 0, 0);  // S1 = 0
  cCondition no = VarCondition(CONDKIND_STAGEVAR, 1, 0, 5);   // S1 = 5
  struct ROW {
    std::vector<cCondition> list;
    int nMode;
    bool bWant;
  };
  const ROW rows[] = {
      {{}, 0, true},        {{}, 1, true},        {{yes, yes}, 0, true}, {{yes, no}, 0, false},
      {{no, no}, 1, false}, {{no, yes}, 1, true}, {{yes}, 2, false},
  };
  for (const ROW& r : rows) {
    cConditionList list;
    list.assign(r.list.begin(), r.list.end());
    uint8_t latch = 0;
    EXPECT_EQ(CheckOwnerConditions(list, r.nMode, 0, latch, nullptr), r.bWant);
  }

  // A once list that has passed keeps passing; without the once switch the
  // list follows the variable.
  cConditionList list;
  list.push_back(VarCondition(CONDKIND_STAGEVAR, 1, 0, 1));
  uint8_t onceLatch = 0;
  uint8_t plainLatch = 0;
  EXPECT_FALSE(CheckOwnerConditions(list, 0, 1, onceLatch, nullptr));
  *StageVarSlot(1) = 1;
  EXPECT_TRUE(CheckOwnerConditions(list, 0, 1, onceLatch, nullptr));
  EXPECT_TRUE(CheckOwnerConditions(list, 0, 0, plainLatch, nullptr));
  *StageVarSlot(1) = 2;
  EXPECT_TRUE(CheckOwnerConditions(list, 0, 1, onceLatch, nullptr));
  EXPECT_FALSE(CheckOwnerConditions(list, 0, 0, plainLatch, nullptr));
}

// S1..S255 are all real variables; a number outside the table is reported
// (close request) and reads entry 0, and nothing is ever written there.
TEST(ConditionsTest, StageVariablesHoldEveryNumberTheEditorOffers) {
  cTestGameFolder folder;
  cFlowFixture fixture;
  *StageVarSlot(255) = 42;
  EXPECT_TRUE(CheckCondition(VarCondition(CONDKIND_STAGEVAR, 255, 0, 42), nullptr));
  EXPECT_EQ(GetCloseRequestCount(), 0);
  EXPECT_EQ(ReadStageVar(0), 0);

  EXPECT_EQ(StageVarSlot(256), nullptr);
  EXPECT_EQ(StageVarSlot(-1), nullptr);
  EXPECT_EQ(GetCloseRequestCount(), 2);
  *StageVarSlot(0) = 7;
  EXPECT_TRUE(CheckCondition(VarCondition(CONDKIND_STAGEVAR, 300, 0, 7), nullptr));
  EXPECT_EQ(GetCloseRequestCount(), 3);
  EXPECT_NE(folder.ReportLogText().find("err V[300] ( 256 , 4 )"), std::string::npos);

  g_PlayData.m_CommonVars.At(255) = -3;
  EXPECT_TRUE(CheckCondition(VarCondition(CONDKIND_COMMONVAR, 255, 5, 0), nullptr));
}

cCondition StatusCondition(int nObject, int nStatus, int nOp) {
  cCondition c;
  c.m_cKind = CONDKIND_STATUS;
  c.m_cLeftKind = 0;
  c.m_cObject = static_cast<int8_t>(nObject);
  c.m_cStatus = static_cast<int8_t>(nStatus);
  c.m_cOp = static_cast<int8_t>(nOp);
  return c;
}

TEST(ConditionsTest, StatusConditions) {
  cFlowFixture fixture;
  cTestChara& self = AddFlowChara(fixture);
  self.m_Def.m_nMaxHp = 300;
  self.m_nHp = 150;
  self.m_Def.m_nPower = 0;

  // hp >= 50 % of the maximum compares HP with 150.
  cCondition half = StatusCondition(0, CHARASTATUS_HP, 2);
  half.m_nConst = 50;
  half.m_bPercent = 1;
  EXPECT_TRUE(CheckCondition(half, &self));
  self.m_nHp = 149;
  EXPECT_FALSE(CheckCondition(half, &self));
  // A percentage of any other status is one of 0.
  cCondition power = StatusCondition(0, CHARASTATUS_POWER, 0);
  power.m_nConst = 50;
  power.m_bPercent = 1;
  EXPECT_TRUE(CheckCondition(power, &self));

  // The target's HP without a target is false whatever the operator.
  for (int nOp = 0; nOp < 8; ++nOp) EXPECT_FALSE(CheckCondition(StatusCondition(1, 1, nOp), &self));

  // Lives: infinite lives make a condition on them false on the left and
  // read as 0 on the right.
  g_PlayData.m_nLives = kInfiniteLives;
  EXPECT_FALSE(CheckCondition(StatusCondition(2, SYSSTATUS_LIFE, 1), &self));
  cCondition rightLife = StatusCondition(0, CHARASTATUS_POWER, 0);
  rightLife.m_cRightKind = 2;
  rightLife.m_cRightObject = 2;
  rightLife.m_cRightStatus = SYSSTATUS_LIFE;
  EXPECT_TRUE(CheckCondition(rightLife, &self));
  // A sight on the right of a character not of player kind: false.
  cCondition sight = StatusCondition(0, CHARASTATUS_POWER, 1);
  sight.m_cRightKind = 2;
  sight.m_cRightObject = 0;
  sight.m_cRightStatus = CHARASTATUS_SIGHT;
  EXPECT_FALSE(CheckCondition(sight, &self));
  // A variable on the left, a character variable on the right.
  cCondition vars = StatusCondition(0, 0, 0);
  vars.m_cLeftKind = 1;
  vars.m_cVarKind = 1;
  vars.m_sVarIndex = 9;
  vars.m_cRightKind = 2;
  vars.m_cRightObject = 0;
  vars.m_cRightStatus = 0;
  vars.m_sRightVarIndex = 3;
  *StageVarSlot(9) = 11;
  self.m_vVars.At(3) = 11;
  EXPECT_TRUE(CheckCondition(vars, &self));
  vars.m_cVarKind = 2;  // no such variable kind
  EXPECT_FALSE(CheckCondition(vars, &self));
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

// The random right operand is drawn exactly once per evaluation, first,
// even when the left side then makes the condition false.
TEST(ConditionsTest, RandomOperandDrawsOnceAndCoversItsRange) {
  cFlowFixture fixture;
  cTestChara& self = AddFlowChara(fixture);
  cCondition c = StatusCondition(1, CHARASTATUS_HP, 0);  // the target: none
  c.m_cRightKind = 1;
  c.m_nRandLow = 10;
  c.m_nRandHigh = 5;
  SeedRand(1234);
  EXPECT_FALSE(CheckCondition(c, &self));
  EXPECT_EQ(GetRandSeed(), 1234u * 214013u + 2531011u);

  // Bounds in either order give every value between them and no other.
  std::vector<int> seen(6, 0);
  for (int i = 0; i < 200; ++i) {
    const int32_t v = RandomBetween(10, 5);
    ASSERT_GE(v, 5);
    ASSERT_LE(v, 10);
    ++seen[static_cast<size_t>(v - 5)];
  }
  for (int n : seen) EXPECT_GT(n, 0);
  // A range wider than 2^31 stays defined: lo + the draw.
  SeedRand(99);
  const uint32_t seed = 99u * 214013u + 2531011u;
  EXPECT_EQ(RandomBetween(INT_MAX, INT_MIN), INT_MIN + static_cast<int32_t>((seed >> 16) & 0x7FFF));
}

// The block query asks the conditions for the hero, with the cell's latch.
TEST(ConditionsTest, BlockAppearsWhenItsConditionsHold) {
  cFlowFixture fixture;
  fixture.AddHero(400, 400);
  cMapCell& cell = fixture.PutBlock(3, 3);
  cell.m_vCondition.push_back(VarCondition(CONDKIND_CHARAVAR, 2, 0, 1));  // the hero's v2 = 1
  cell.m_bCondOnce = 1;
  EXPECT_EQ(GetBlockHitKind(cell, 1), BLOCKHIT_NONE);
  fixture.Scene().Hero()->m_vVars.At(2) = 1;
  EXPECT_EQ(GetBlockHitKind(cell, 1), BLOCKHIT_SOLID);
  fixture.Scene().Hero()->m_vVars.At(2) = 0;
  EXPECT_EQ(GetBlockHitKind(cell, 1), BLOCKHIT_SOLID);  // once: latched
  // Kinds outside the table never hold; kinds on a character need one.
  EXPECT_FALSE(CheckCondition(VarCondition(9, 0, 0, 0), nullptr));
  EXPECT_FALSE(CheckCondition(VarCondition(CONDKIND_CHARAVAR, 0, 0, 0), nullptr));
}

}  // namespace
