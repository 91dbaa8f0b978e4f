// Characters moved by nothing but flows, on a small map: one walks right
// while a key is held and jumps on a key press, one patrols between two
// walls, turning where it meets them. Each sub-step runs as the play frame
// orders it: trigger 0, the flow step, then motion and the block tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "flow/runtime/move_commands.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "flow/runtime/triggers.h"
#include "objects/world.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kFloorRow = 10;  // world y 640: a character standing on it has its bottom on 639

// A character with a computer character's flow step, motion and jump.
class cWalker : public cTestChara {
 public:
  int RunFlows(int bDeathPass) override {
    m_dVX = 0.0;
    if (m_bFly) m_dVY = 0.0;
    m_bNoGravity = 0;
    m_bDecelX = m_bDecelY = 1;
    m_bAnimeByCommand = 0;
    if (StepCharaFlows(*this, bDeathPass)) return 1;
    EndFlowStep(*this);
    return 0;
  }
  int StepX() override {
    if (m_dKnockX != 0.0) {
      m_dVX = m_dKnockX;
    } else if (m_dWalkVX != 0.0) {
      Decelerate(m_dWalkVX, m_bDecelX);
      m_dVX += m_dWalkVX;
    }
    return MoveX(2);
  }
  void Jump(COMMANDSTATE* lpState) override {
    if (m_bAirborne || m_bJumpBlocked || m_bKnocked || m_nAirTime) return;
    m_dVY = lpState->m_dSpeed;
    m_bJumpRise = m_bJumping = 1;
    m_bOnChara = 0;
  }
};

cWalker& AddWalker(cPlayFixture& fixture, double x, double y) {
  auto lpChara = std::make_unique<cWalker>();
  cPlayFixture::SetupChara(*lpChara, ++fixture.Scene().m_nNextId, x, y);
  lpChara->m_nHp = lpChara->m_Def.m_nMaxHp = 100;
  cWalker& chara = *lpChara;
  fixture.Scene().m_CharaList.push_back(std::move(lpChara));
  fixture.Scene().RegisterChara(chara);
  return chara;
}

// One frame with player 1 holding `keys`.
void RunFrame(cPlayFixture& fixture, cWalker& c, const std::string& keys) {
  PushInputFrame(keys);
  c.ResetTriggerLatches();
  for (int s = 1; s <= g_Stage.m_nSubStep; ++s) {
    fixture.Scene().m_nSubStepNo = s;
    c.RaiseTrigger(0);
    ASSERT_EQ(c.RunFlows(0), 0);
    ASSERT_EQ(fixture.SubStep(c), 0);
  }
  fixture.Scene().m_nSubStepNo = 0;
}

cFlow KeyFlow(const char* key, bool bLevel, cFlowCommand cmd) {
  cFlow flow = MakeFlow(0, {std::move(cmd)});
  cKeyCondition k = MakeKey({key});
  k.m_bAnyLength = 1;
  flow.m_KeyConditions.push_back(k);
  flow.m_bKeyLevel = bLevel ? 1 : 0;
  return flow;
}

// 2 pixels a frame to the right for a tenth, while the right key is held.
cFlowCommand WalkRight() {
  return MakeMove(CMD_MOVE_STRAIGHT, 1, false, [](cEdMove& m) {
    m.m_nDirection = DIRCODE_RIGHT;
    m.m_nSpeed = 20;
  });
}

TEST(WalkerTest, WalksWhileTheKeyIsHeldAndJumpsOnAPress) {
  cFlowFixture fixture({.nWidth = 40, .nHeight = 20, .nLevel = 2});
  fixture.PutRow(0, 39, kFloorRow);
  cWalker& c = AddWalker(fixture, 480.0, 616.0);
  InstallFlows(c, {KeyFlow("R", true, WalkRight()),
                   KeyFlow("1", false, MakeCommand(CMD_JUMP, 0, false, {0, 0, 4}))});
  for (int i = 0; i < 10; ++i) RunFrame(fixture, c, "");
  ASSERT_EQ(TruncInt(c.m_dBottom), 639);
  const double x0 = c.m_dX;

  // Held for 12 frames: two tenths of walking, 1 pixel every sub-step.
  for (int i = 0; i < 12; ++i) RunFrame(fixture, c, "R");
  EXPECT_EQ(c.m_dX, x0 + 24);
  for (int i = 0; i < 3; ++i) RunFrame(fixture, c, "");
  EXPECT_EQ(c.m_dX, x0 + 24);

  // A tap walks for the whole tenth the command takes and stops exactly at
  // its end.
  RunFrame(fixture, c, "R");
  EXPECT_EQ(c.m_dX, x0 + 26);
  for (int f = 2; f <= 8; ++f) {
    RunFrame(fixture, c, "");
    EXPECT_EQ(c.m_dX, x0 + 24 + 2 * std::min(f, 6)) << "frame " << f;
  }

  // A press jumps; keeping the key held does not jump again after landing,
  // a new press does.
  const double y0 = c.m_dY;
  const double v = c.JumpVelocity(4);
  ASSERT_LT(v, 0.0);
  double dTop = y0;
  int nJumps = 0;
  bool bAir = false;
  for (int f = 0; f < 120; ++f) {
    RunFrame(fixture, c, "1");
    dTop = std::min(dTop, c.m_dY);
    // Standing, the fraction of y moves within the bottom row of pixels.
    const bool bUp = c.m_dY < y0 - 2;
    if (!bAir && bUp) ++nJumps;
    bAir = bUp;
  }
  EXPECT_EQ(nJumps, 1);
  EXPECT_EQ(TruncInt(c.m_dBottom), 639);
  EXPECT_LT(dTop, y0 - 56);
  EXPECT_GT(dTop, y0 - 72);
  // A computer character's jump waits for a sub-step with no air time,
  // which a standing character has at least once a frame or two.
  RunFrame(fixture, c, "");
  for (int f = 0; f < 3; ++f) RunFrame(fixture, c, "1");
  EXPECT_LT(c.m_dY, y0 - 2);
}

TEST(WalkerTest, PatrolsBetweenTwoWalls) {
  cFlowFixture fixture({.nWidth = 40, .nHeight = 20, .nLevel = 2});
  fixture.PutRow(0, 39, kFloorRow);
  fixture.PutBlock(5, kFloorRow - 1);   // x 480..511
  fixture.PutBlock(15, kFloorRow - 1);  // x 800..831
  cWalker& c = AddWalker(fixture, 640.0, 616.0);
  c.m_nFacing = 1;
  cFlow walk = MakeFlow(0, {MakeMove(CMD_MOVE_STRAIGHT, 1, false, [](cEdMove& m) {
                          m.m_nDirection = DIRCODE_FORWARD;
                          m.m_nSpeed = 40;  // 2 pixels a sub-step
                          m.m_bFollowTurn = 1;
                        })});
  InstallFlows(c, {walk, MakeFlow(11, {MakeCommand(9, 0, false, {1})}),
                   MakeFlow(12, {MakeCommand(9, 0, false, {0})})});
  int nTurns = 0;
  int nFacing = c.m_nFacing;
  double dMin = c.m_dX;
  double dMax = c.m_dX;
  for (int f = 0; f < 600; ++f) {
    RunFrame(fixture, c, "");
    dMin = std::min(dMin, c.m_dX);
    dMax = std::max(dMax, c.m_dX);
    if (c.m_nFacing != nFacing) ++nTurns;
    nFacing = c.m_nFacing;
  }
  EXPECT_GE(nTurns, 4);
  // It never passes into either wall: its box keeps between x 512 and 799.
  EXPECT_EQ(dMin, 512.0);
  EXPECT_EQ(dMax + 16 - 1, 799.0);
}

}  // namespace
