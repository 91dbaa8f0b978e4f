// Characters moved by nothing but flows, on a small map: one walks right
// while a key is held and jumps on a key press, one patrols between two
// walls, turning where it meets them, and one waits, walks and turns on
// exactly the sub-steps its commands take. Each sub-step runs as the play
// frame orders it: trigger 0, the flow step, then motion and the block tests.

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
  cWalker& chara = fixture.AddChara<cWalker>(x, y);
  chara.m_nHp = chara.m_Def.m_nMaxHp = 100;
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

// Sub-step by sub-step at N = 2 (a tenth is 12 sub-steps): a flow of wait
// (one tenth), walk forward (two tenths, 2 pixels a sub-step, following the
// facing) and wait (one tenth) restarts every 48 sub-steps; a flow raised by
// a wall on the right turns the character left. Sub-steps are counted from 1,
// the first in which the flow runs.
TEST(WalkerTest, WaitsWalksTurnsAtAWallAndStopsOnTheSubStepsOfItsCommands) {
  cFlowFixture fixture({.nWidth = 40, .nHeight = 20, .nLevel = 2});
  ASSERT_EQ(g_Stage.m_nSubStep, 2);
  fixture.PutRow(0, 39, kFloorRow);
  fixture.PutBlock(11, kFloorRow - 1);  // x 672..703
  cWalker& c = AddWalker(fixture, 640.0, 616.0);
  c.m_nFacing = 1;
  c.m_Def.m_bFixDir = 1;
  for (int i = 0; i < 10; ++i) RunFrame(fixture, c, "");
  ASSERT_EQ(c.m_dX, 640.0);
  InstallFlows(c, {MakeFlow(0, {MakeCommand(CMD_WAIT, 1),
                                MakeMove(CMD_MOVE_STRAIGHT, 2, false,
                                         [](cEdMove& m) {
                                           m.m_nDirection = DIRCODE_FORWARD;
                                           m.m_nSpeed = 40;
                                           m.m_bFollowTurn = 1;
                                         }),
                                MakeCommand(CMD_WAIT, 1)}),
                   MakeFlow(12, {MakeCommand(9, 0, false, {0})})});

  // Where the character is after sub-step s, and which way it faces.
  auto Expected = [](int s, double& x, int& nFacing) {
    nFacing = s >= 22 ? 0 : 1;
    if (s <= 12)
      x = 640;
    else if (s <= 20)
      x = 640 + 2 * (s - 12);  // walks right
    else if (s <= 22)
      x = 656;  // at the wall; turned in 22
    else if (s <= 36)
      x = 656 - 2 * (s - 22);  // walks back from 23 on
    else if (s <= 60)
      x = 628;  // waits 37..48, restarts at 49
    else if (s <= 84)
      x = 628 - 2 * (s - 60);  // walks on to the left
    else
      x = 580;
  };
  for (int s = 1; s <= 96; ++s) {
    if (s % 2 == 1) {
      PushInputFrame("");
      c.ResetTriggerLatches();
    }
    fixture.Scene().m_nSubStepNo = 2 - s % 2;
    c.RaiseTrigger(0);
    ASSERT_EQ(c.RunFlows(0), 0);
    ASSERT_EQ(fixture.SubStep(c), 0);
    double x = 0;
    int nFacing = 0;
    Expected(s, x, nFacing);
    ASSERT_EQ(c.m_dX, x) << "sub-step " << s;
    ASSERT_EQ(c.m_nFacing, nFacing) << "sub-step " << s;
    // The walking flow stops in the sub-step its last wait ends and starts
    // again in the next; the turning flow ends in the sub-step it turns.
    ASSERT_EQ(c.m_vRunners.At(0).m_bRunning, s % 48 != 0 ? 1 : 0) << "sub-step " << s;
    ASSERT_EQ(c.m_vRunners.At(1).m_bRunning, s == 21 ? 1 : 0) << "sub-step " << s;
  }
  fixture.Scene().m_nSubStepNo = 0;
}

}  // namespace
