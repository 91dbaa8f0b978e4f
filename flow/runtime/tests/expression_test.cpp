// The code lines of コードの実行: arithmetic and its 32-bit edges, precedence,
// parentheses and rand, assignments to variables and statuses with their
// bounds and consequences, when values are read, and every failure with its
// message.

#include "flow/runtime/expression.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "app/base/close_request.h"
#include "app/base/random.h"
#include "app/base/report_log.h"
#include "app/base/sjis.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "stagedata/stage_globals.h"
#include "testing/message_box_log.h"

namespace {

int32_t& C(int n) { return g_PlayData.m_CommonVars.At(n); }
int32_t& S(int n) { return FlowContext().m_vStageVar.At(n); }

TEST(ExpressionTest, ValuesOfLines) {
  struct ROW {
    const char* line;
    int32_t nValue;
  };
  const ROW rows[] = {
      {"2 + 3 * 4", 14},
      {"(2 + 3) * 4", 20},
      {"7 / 2", 3},
      {"-7 / 2", -3},
      {"-7 % 2", -1},  // the word -7 is one number
      {"7 % -2", 1},
      {"10 - 3 - 2", 5},  // each level from the left
      {"100 / 10 / 5", 2},
      {"1 + 2 * 3 - 8 / 2", 3},
      {"((1 + 2) * (3 + 4))", 21},
      {"5 - -3", 8},
      {"5 --3", 0},  // --3 reads 0 and no operator joins it to 5
      {"2+3", 2},    // an operator stands alone
      {"+7", 7},
      {"abc", 0},
      {"", 0},
      {"5 6", 6},      // words side by side: the last
      {"1 + 2 7", 3},  // the last operation's value
      {"(2)3", 23},    // a group becomes the text of its value
      {"(2)(3)", 2},   // the second "(" follows the name "2": no group
      {"foo(4)", 0},   // no such function: the word reads as a number
      // 32-bit edges: +, - and * wrap; INT_MIN / -1 and % -1 are defined.
      {"2147483647 + 1", INT_MIN},
      {"-2147483648 - 1", INT_MAX},
      {"65536 * 65536", 0},
      {"-2147483648 * -1", INT_MIN},
      {"-2147483648 / -1", INT_MIN},
      {"-2147483648 % -1", 0},
      {"7 / -1", -7},
      // Number words saturate.
      {"99999999999999999999", INT_MAX},
      {"-99999999999999999999", INT_MIN},
  };
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cMessageBoxLog boxes;
  for (const ROW& r : rows) {
    g_bCodeError = 0;
    EXPECT_EQ(ReduceParentheses(r.line, chara), r.nValue) << r.line;
    EXPECT_EQ(g_bCodeError, 0) << r.line;
  }
  EXPECT_TRUE(boxes.m_Texts.empty());
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST(ExpressionTest, RandDrawsBetweenItsArgumentsInEitherOrder) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  SeedRand(7);
  std::set<int32_t> seen;
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(ExecuteCode("C1 = rand(3,1)", chara), 1);
    seen.insert(C(1));
  }
  EXPECT_EQ(seen, (std::set<int32_t>{1, 2, 3}));
  // Arguments are lines of their own; the whole range of int32 is drawable.
  ASSERT_EQ(ExecuteCode("C2 = rand((1 + 1) * 2,4)", chara), 1);
  EXPECT_EQ(C(2), 4);
  ASSERT_EQ(ExecuteCode("C3 = rand(-2147483648,2147483647)", chara), 1);
}

// Statuses: what an assignment stores and what follows from it.
TEST(ExpressionTest, AssignmentsClampAndCarryTheirConsequences) {
  cFlowFixture fixture;
  cPlayer& hero = fixture.AddHero(200, 200);
  hero.m_Def.m_nMaxHp = 50;
  hero.m_nHp = 50;
  cTestChara& chara = AddFlowChara(fixture);
  cTestChara& target = AddFlowChara(fixture, 500, 400);
  chara.SetTarget(&target);
  chara.m_Def.m_nMaxHp = 300;
  chara.m_nHp = 100;

  struct ROW {
    const char* line;
    std::function<int32_t()> read;
    int32_t nWant;
  };
  const ROW rows[] = {
      {"hp = 999999", [&] { return chara.m_nHp; }, 300},
      {"cid = 150", [&] { return int32_t{chara.m_Def.m_nCid}; }, 99},
      {"my.imp = -30", [&] { return int32_t{chara.m_Def.m_nImpact}; }, -20},
      {"v3 = 7", [&] { return chara.m_vVars.At(3); }, 7},
      {"C1 = 1234567", [&] { return C(1); }, 999999},
      {"S255 = -1234567", [&] { return S(255); }, -999999},
      {"tg.power = 77", [&] { return target.m_Def.m_nPower; }, 77},
      {"pl.hp = pl.mhp - 5", [&] { return hero.m_nHp; }, 45},
      {"mhp = 10", [&] { return chara.m_nHp; }, 10},  // HP follows the maximum down
      {"mhp = 0", [&] { return chara.m_Def.m_nMaxHp; }, 1},
      {"stop = 50", [&] { return static_cast<int32_t>(chara.m_dStop * 100); }, 50},
      {"pl.sight = 3", [&] { return hero.m_nSightDots; }, 48},
      {"sys.time = 5000", [&] { return FlowContext().m_nTimeLeft; }, 999},
      {"score = -5", [&] { return g_PlayData.m_nGameScore; }, 0},
      {"life = 150", [&] { return g_PlayData.m_nLives; }, 99},
      {"C4 = 2 C5 = C4 + 1", [&] { return C(5); }, 1},  // C4 was read as 0
      {"C7 = 5 --3", [&] { return C(7); }, 5},
  };
  for (const ROW& r : rows) {
    EXPECT_EQ(ExecuteCode(r.line, chara), 1) << r.line;
    EXPECT_EQ(r.read(), r.nWant) << r.line;
  }
  // A character of computer kind keeps its sight value without a radius.
  ASSERT_EQ(ExecuteCode("sight = 3", chara), 1);
  EXPECT_EQ(chara.m_Def.m_nSight, 3);
  EXPECT_EQ(chara.m_nSightDots, 0);

  // Infinite lives read 0 and stay infinite.
  g_PlayData.m_nLives = kInfiniteLives;
  ASSERT_EQ(ExecuteCode("C6 = life life = 5", chara), 1);
  EXPECT_EQ(C(6), 0);
  EXPECT_EQ(g_PlayData.m_nLives, kInfiniteLives);

  // The autoscroll speed is kept within 480 and the axis takes it up.
  g_Stage.m_bAutoScrollX = 1;
  ASSERT_EQ(ExecuteCode("scrlx = 600", chara), 1);
  EXPECT_EQ(g_Stage.m_nAutoScrollSpeedX, 480);
  EXPECT_DOUBLE_EQ(fixture.Scene().m_ScrollX.m_dAutoSpeed, 48.0);

  // HP of another character at 0 asks for the deaths check; HP of the
  // running character does not (its flow step sees it).
  FlowContext().m_bCodeKill = 0;
  ASSERT_EQ(ExecuteCode("hp = 0", chara), 1);
  EXPECT_EQ(FlowContext().m_bCodeKill, 0);
  ASSERT_EQ(ExecuteCode("tg.hp = 0", chara), 1);
  EXPECT_EQ(target.m_nHp, 0);
  EXPECT_EQ(FlowContext().m_bCodeKill, 1);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST(ExpressionTest, ValuesAreReadBeforeAnyAssignmentOfTheLine) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  for (const char* line : {"C2 = C1 C1 = 9", "C1 = 9 C2 = C1"}) {
    C(1) = 4;
    C(2) = 0;
    ASSERT_EQ(ExecuteCode(line, chara), 1) << line;
    EXPECT_EQ(C(1), 9) << line;
    EXPECT_EQ(C(2), 4) << line;
  }
  // Parentheses are reduced before the outer line is cut into tokens.
  C(1) = 4;
  ASSERT_EQ(ExecuteCode("C2 = C1 + (C1 = 9)", chara), 1);
  EXPECT_EQ(C(2), 18);
}

TEST(ExpressionTest, ChangesOfTheRunnersHpAndSpAnimateItsGauges) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  chara.m_Def.m_nMaxSp = 100;
  chara.m_nSp = 100;
  ASSERT_EQ(ExecuteCode("hp = 40", chara), 1);
  EXPECT_EQ(chara.m_HpGauge.nFrames, 120);
  EXPECT_DOUBLE_EQ(chara.m_HpGauge.dChange, -30.0);
  EXPECT_EQ(chara.m_SpGauge.nFrames, 0);
  // A failed line leaves the gauges alone, though its assignment stays.
  cMessageBoxLog boxes;
  EXPECT_EQ(ExecuteCode("(sp = 10) C1 = 1 / 0", chara), 0);
  EXPECT_EQ(chara.m_nSp, 10);
  EXPECT_EQ(chara.m_SpGauge.nFrames, 0);
}

// Every failure: the message shown, what was written before it, and the
// result 0.
TEST(ExpressionTest, FailuresShowTheirMessage) {
  struct ROW {
    const char* line;
    const char* message;  // "" none
    int32_t nC1;          // C1 afterwards, starting from 0
  };
  const ROW rows[] = {
      {"C1 = (1 + 2", "\")\"が見つかりません！", 0},
      {"C1 = foo(1 + 2", "\")\"が見つかりません！", 0},
      {"C1 = rand(1,2", "関数 rand で\")\"が見つかりません！", 0},
      {"C1 = rand(1)", "関数 rand の引数が不正です！", 0},
      {"C1 = rand(1,2,3)", "関数 rand の引数が不正です！", 0},
      {"C1 = rand()", "関数 rand の引数が不正です！", 0},
      {"foo.hp = 1", "オブジェクト \"foo.\" が認識できません！", 0},
      {"C1 = 1 foo.hp", "オブジェクト \"foo.\" が認識できません！", 0},
      {"C1 = 1 / 0", "0除算が行われました！(C1 = 1 / 0)", 0},
      {"C1 = 1 % 0", "0除算が行われました！(C1 = 1 % 0)", 0},
      // Only the group fails; the rest of the line goes on with 0 for it.
      {"C1 = (4 / 0) + 1", "0除算が行われました！(4 / 0)", 1},
      // Nowhere to store: a number, a result, a status with no character.
      {"5 = 3", "オブジェクトの設定エラー!", 0},
      {"C1 = C2 = 3", "オブジェクトの設定エラー!", 7},  // C1 = C2 ran first
      {"sys.hp = 1", "オブジェクトの設定エラー!", 0},
      // No target: a failure without a message.
      {"C1 = 5 tg.hp", "", 0},
  };
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  for (const ROW& r : rows) {
    cMessageBoxLog boxes;
    C(1) = 0;
    C(2) = 7;
    const int32_t nHp = chara.m_nHp;
    EXPECT_EQ(ExecuteCode(r.line, chara), 0) << r.line;
    EXPECT_EQ(g_bCodeError, 1) << r.line;
    if (*r.message)
      EXPECT_EQ(boxes.m_Texts, std::vector<std::string>{r.message}) << r.line;
    else
      EXPECT_TRUE(boxes.m_Texts.empty()) << r.line;
    EXPECT_EQ(C(1), r.nC1) << r.line;
    EXPECT_EQ(chara.m_nHp, nHp) << r.line;
  }
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

// An operand missing at either end of the line, and a variable number
// outside its table, are reported as bad indexes (with a close request);
// a bad variable then reads entry 0 and is stored nowhere.
TEST(ExpressionTest, MissingOperandsAndBadVariablesAreReported) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cMessageBoxLog boxes;
  C(0) = 3;
  C(1) = 4;
  EXPECT_EQ(ExecuteCode("C1 = ", chara), 1);  // the first token stands in
  EXPECT_EQ(C(1), 4);
  EXPECT_EQ(GetCloseRequestCount(), 1);
  EXPECT_EQ(ExecuteCode("C2 = C256", chara), 1);
  EXPECT_EQ(C(2), 3);
  EXPECT_EQ(GetCloseRequestCount(), 2);
  EXPECT_EQ(ExecuteCode("S-1 = 5", chara), 0);
  EXPECT_EQ(boxes.m_Texts, std::vector<std::string>{"オブジェクトの設定エラー!"});
  EXPECT_EQ(S(0), 0);
  EXPECT_EQ(GetCloseRequestCount(), 3);
}

// Lines too long or nested too deep fail as a whole with one message; the
// division message is cut to the message box's text, on a character.
TEST(ExpressionTest, BoundsOfALine) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  {
    cMessageBoxLog boxes;
    const std::string strLong = "C1 = 1" + std::string(kMaxCodeBytes, ' ');
    EXPECT_EQ(ExecuteCode(strLong, chara), 0);
    EXPECT_EQ(boxes.m_Texts.size(), 1u);
    EXPECT_EQ(C(1), 0);
  }
  for (int nDepth : {kMaxCodeDepth, kMaxCodeDepth + 1, 1000}) {
    cMessageBoxLog boxes;
    // Twice, so that a second deep group could show a second message.
    std::string strGroup = std::string(nDepth, '(') + "5" + std::string(nDepth, ')');
    const bool bFits = nDepth <= kMaxCodeDepth;
    EXPECT_EQ(ExecuteCode("C1 = " + strGroup + " + " + strGroup, chara), bFits ? 1 : 0) << nDepth;
    EXPECT_EQ(boxes.m_Texts.size(), bFits ? 0u : 1u) << nDepth;
    EXPECT_EQ(C(1), bFits ? 10 : 0) << nDepth;
    C(1) = 0;
  }
  {
    cMessageBoxLog boxes;
    std::string strLine = "C1 = 1 / 0 ";
    while (strLine.size() < 2000) strLine += "ああ ";
    EXPECT_EQ(ExecuteCode(strLine, chara), 0);
    ASSERT_EQ(boxes.m_Texts.size(), 1u);
    const std::string& strText = boxes.m_Texts[0];
    EXPECT_LE(strText.size(), static_cast<size_t>(kLogTextMax));
    EXPECT_EQ(strText.substr(strText.size() - 4), "...)");
    EXPECT_EQ(strText.rfind("0除算が行われました！(C1 = 1 / 0 ああ", 0), 0u);
    EXPECT_EQ(CharBoundaryAtOrBefore(strText, strText.size() - 4), strText.size() - 4);
  }
}

}  // namespace
