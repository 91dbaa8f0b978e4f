// Movement commands: directions and angles as velocities, timing, the
// set-ups, and handlers whose velocities add up.

#include "flow/runtime/move_commands.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/core/main_thread.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr double kRootHalf = 0.7071067811865476;

TEST(MoveCommandsTest, ResolveDirection) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cFlowRunner runner;
  FlowContext().m_lpCurRunner = &runner;
  struct ROW {
    int nFacing, bFly, nCode, nChannel, nWant;
  };
  const ROW rows[] = {
      {1, 0, DIRCODE_FORWARD, 0, DIRCODE_RIGHT},
      {0, 0, DIRCODE_FORWARD, 0, DIRCODE_LEFT},
      {1, 0, DIRCODE_BACK, 0, DIRCODE_LEFT},
      {0, 0, DIRCODE_BACK, 0, DIRCODE_RIGHT},
      {1, 1, DIRCODE_FORWARD_Y, 0, DIRCODE_DOWN},
      {0, 1, DIRCODE_FORWARD_Y, 0, DIRCODE_UP},
      {1, 1, DIRCODE_BACK_Y, 0, DIRCODE_UP},
      {0, 1, DIRCODE_BACK_Y, 0, DIRCODE_DOWN},
      {0, 0, DIRCODE_UP_LEFT, 0, DIRCODE_UP_LEFT},
      // The input direction: none held moves forward; a walking character
      // takes a diagonal as its horizontal part.
      {1, 0, DIRCODE_INPUT, 0, DIRCODE_RIGHT},
      {0, 0, DIRCODE_INPUT, 0, DIRCODE_LEFT},
      {0, 0, DIRCODE_INPUT, 2, DIRCODE_RIGHT},
      {0, 1, DIRCODE_INPUT, 3, DIRCODE_UP},
      {0, 0, DIRCODE_INPUT, 7, DIRCODE_RIGHT},
      {0, 1, DIRCODE_INPUT, 7, DIRCODE_UP_RIGHT},
      {0, 0, DIRCODE_INPUT, 6, DIRCODE_LEFT},
      {0, 1, DIRCODE_INPUT, 6, DIRCODE_DOWN_LEFT},
      {1, 0, DIRCODE_INPUT, 99, DIRCODE_RIGHT},
  };
  for (const ROW& r : rows) {
    chara.m_nFacing = r.nFacing;
    chara.m_bFly = r.bFly;
    runner.m_nChannel = r.nChannel;
    EXPECT_EQ(ResolveDirection(chara, r.nCode), r.nWant)
        << r.nCode << " facing " << r.nFacing << " channel " << r.nChannel;
  }
}

TEST(MoveCommandsTest, DirectionAndAngleVelocities) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  const double s = 2.0;
  struct ROW {
    const char* name;
    int bFly, bFixed, nCode, nAngle;
    double vx, vy;
    int nFace;
  };
  const double c30 = std::cos(30 * 0.017453292519943295) * s;
  const double s30 = std::sin(30 * 0.017453292519943295) * s;
  const ROW rows[] = {
      {"up-right flying", 1, 0, DIRCODE_UP_RIGHT, 0, s * kRootHalf, -s * kRootHalf, FACEREQ_RIGHT},
      {"up-right walking", 0, 0, DIRCODE_UP_RIGHT, 0, s * kRootHalf, 0, FACEREQ_RIGHT},
      {"down-left flying", 1, 0, DIRCODE_DOWN_LEFT, 0, -s * kRootHalf, s * kRootHalf, FACEREQ_LEFT},
      {"up walking", 0, 0, DIRCODE_UP, 0, 0, 0, FACEREQ_NONE},
      {"left, fixed facing", 0, 1, DIRCODE_LEFT, 0, -s, 0, FACEREQ_NONE},
      {"unresolved code", 1, 0, DIRCODE_FORWARD, 0, 0, 0, FACEREQ_NONE},
      // 30 degrees turned: below the horizontal to the right, above it to the
      // left.
      {"right 30", 1, 0, DIRCODE_RIGHT, 30, c30, s30, FACEREQ_RIGHT},
      {"left 30", 1, 0, DIRCODE_LEFT, 30, -c30, -s30, FACEREQ_LEFT},
      {"left 30 walking", 0, 0, DIRCODE_LEFT, 30, -c30, 0, FACEREQ_LEFT},
      {"up 90", 1, 0, DIRCODE_UP, 90, s, 0, FACEREQ_NONE},
  };
  for (const ROW& r : rows) {
    chara.m_bFly = r.bFly;
    chara.m_Def.m_bFixDir = static_cast<int8_t>(r.bFixed);
    const MOVEVELOCITY v = r.nAngle ? AngleVelocity(chara, s, r.nCode, r.nAngle)
                                    : DirectionVelocity(chara, s, r.nCode);
    EXPECT_NEAR(v.vx, r.vx, 1e-12) << r.name;
    EXPECT_NEAR(v.vy, r.vy, 1e-12) << r.name;
    EXPECT_EQ(v.nFace, r.nFace) << r.name;
  }
  // Exact where no angle is involved.
  chara.m_bFly = 1;
  EXPECT_EQ(DirectionVelocity(chara, s, DIRCODE_DOWN_RIGHT).vx, s * kRootHalf);
  EXPECT_EQ(DirectionVelocity(chara, s, DIRCODE_RIGHT).vx, s);
}

// The timing of a movement: speed, duration or both from the distance; a
// zero divisor gives speed 0 or duration 0, never inf or NaN.
TEST(MoveCommandsTest, MoveTiming) {
  cFlowFixture fixture({.nLevel = 2});
  cTestChara& chara = AddFlowChara(fixture);
  struct ROW {
    const char* name;
    int nTiming, nSpeed, nDistance, nUnit, nUseTime;
    bool bSigned;
    double dSpeed;
    int nDuration;
  };
  const ROW rows[] = {
      // 5 half blocks at 2 pixels per sub-step (40 tenths of a pixel per
      // frame at N = 2).
      {"distance and speed", 2, 40, 5, 0, 0, false, 2.0, 40},
      {"pixels", 2, 40, 80, 1, 0, false, 2.0, 40},
      {"backwards", 2, 40, -5, 0, 0, false, 2.0, 40},
      {"backwards, signed", 2, 40, -5, 0, 0, true, 2.0, -40},
      {"no speed", 2, 0, 5, 0, 3, false, 0.0, 0},
      {"distance and time", 1, 0, 3, 0, 2, false, 48.0 / 24, 24},
      {"no time", 1, 0, 3, 0, 0, false, 0.0, 0},
      {"time and speed", 0, 30, 3, 0, 1, false, 1.5, 12},
  };
  for (const ROW& r : rows) {
    g_System.m_bSignedMoveTime = r.bSigned ? 1 : 0;
    InstallFlows(chara,
                 {MakeFlow(19, {MakeMove(CMD_MOVE_STRAIGHT, r.nUseTime, false, [&](cEdMove& m) {
                             m.m_nTiming = static_cast<uint8_t>(r.nTiming);
                             m.m_nSpeed = static_cast<int16_t>(r.nSpeed);
                             m.m_nDistance = static_cast<int16_t>(r.nDistance);
                             m.m_nDistanceUnit = static_cast<uint8_t>(r.nUnit);
                           })})});
    const COMMANDSTATE& state = chara.m_vRunners.At(0).m_States.at(0);
    EXPECT_EQ(state.m_dSpeed, r.dSpeed) << r.name;
    EXPECT_EQ(state.m_nDuration, r.nDuration) << r.name;
  }
}

TEST(MoveCommandsTest, CircleSetUp) {
  cFlowFixture fixture({.nLevel = 2});
  cTestChara& chara = AddFlowChara(fixture);
  auto Install = [&](int nTiming, int nSpeed, int nUseTime, int nFacing, bool bMirrorX) {
    InstallFlows(chara,
                 {MakeFlow(19, {MakeMove(4, nUseTime, false,
                                         [&](cEdMove& m) {
                                           m.m_nTiming = static_cast<uint8_t>(nTiming);
                                           m.m_nSpeed = static_cast<int16_t>(nSpeed);
                                           m.m_nRadius = 25;
                                           m.m_nAngle = 0;
                                           m.m_nDistance = 90;
                                           m.m_nDirection = 0;
                                           m.m_bMirrorX = bMirrorX ? 1 : 0;
                                         })})},
                 nFacing);
    return chara.m_vRunners.At(0).m_States.at(0);
  };
  // A radius of 25 half blocks is taken as 20.
  COMMANDSTATE s = Install(0, 0, 1, 0, false);
  EXPECT_EQ(s.m_nRadius, 20 * 16 * 2);
  EXPECT_EQ(s.m_nStartAngle, 0);
  EXPECT_EQ(s.m_nEndAngle, 180);
  // 90 degrees in 12 sub-steps: 7.5 degrees a sub-step.
  EXPECT_EQ(s.m_dSpeed, 7.5);
  EXPECT_EQ(Install(0, 0, 0, 0, false).m_dSpeed, 0.0);
  // By speed: 3 degrees a frame is 1.5 a sub-step, 60 sub-steps for 90.
  EXPECT_EQ(Install(1, 30, 0, 0, false).m_nDuration, 60);
  EXPECT_EQ(Install(1, 0, 5, 0, false).m_nDuration, 0);
  // Mirrored by x: half a turn further, the other way round.
  s = Install(0, 0, 1, 1, true);
  EXPECT_EQ(s.m_nStartAngle, 360);
  EXPECT_EQ(s.m_cDirection, 1);
}

// Velocities of movement commands running in parallel add up; each handler
// adds its own share to the character's velocity.
TEST(MoveCommandsTest, ParallelMovesAddUp) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  chara.m_bFly = 1;
  auto Move = [](int nDirection, int nSpeed) {
    return MakeMove(CMD_MOVE_STRAIGHT, 1, true, [=](cEdMove& m) {
      m.m_nDirection = static_cast<uint8_t>(nDirection);
      m.m_nSpeed = static_cast<int16_t>(nSpeed);
    });
  };
  InstallFlows(chara, {MakeFlow(19, {Move(DIRCODE_RIGHT, 10), Move(DIRCODE_DOWN, 20),
                                     Move(DIRCODE_RIGHT, 5), MakeCommand(CMD_WAIT, 1)})});
  cFlowRunner& runner = chara.m_vRunners.At(0);
  runner.Start(chara);
  chara.m_dVX = chara.m_dVY = 0;
  runner.Step(chara);
  EXPECT_EQ(chara.m_dVX, 1.0 + 0.5);
  EXPECT_EQ(chara.m_dVY, 2.0);
  EXPECT_EQ(chara.m_bAnimeByCommand, 1);
}

// With inertia a move accelerates the walk velocity by its velocity / N / 60
// each sub-step, up to the maximum, and brakes by the reverse factor.
TEST(MoveCommandsTest, InertiaAcceleratesTheWalkVelocity) {
  cFlowFixture fixture({.nLevel = 2});
  cTestChara& chara = AddFlowChara(fixture);
  chara.m_Def.m_bFixDir = 0;
  InstallFlows(chara, {MakeFlow(19, {MakeMove(CMD_MOVE_STRAIGHT, 10, false, [](cEdMove& m) {
                                  m.m_nDirection = DIRCODE_RIGHT;
                                  m.m_nSpeed = 600;  // 30 pixels a sub-step
                                  m.m_bInertia = 1;
                                  m.m_nMaxSpeed = 10;  // 0.5 pixels a sub-step
                                  m.m_dBrake = 1.5;
                                })})});
  cFlowRunner& runner = chara.m_vRunners.At(0);
  runner.Start(chara);
  chara.m_bDecelX = 1;
  runner.Step(chara);
  EXPECT_EQ(chara.m_dWalkVX, 30.0 / 2 / 60);
  EXPECT_EQ(chara.m_bDecelX, 0);
  EXPECT_EQ(chara.m_dVX, 0.0);
  EXPECT_EQ(chara.m_nFacing, 1);
  runner.Step(chara);
  EXPECT_EQ(chara.m_dWalkVX, 0.5);  // capped
  chara.m_dWalkVX = -0.2;
  chara.m_bDecelX = 1;
  runner.Step(chara);
  EXPECT_EQ(chara.m_dWalkVX, -0.2 + 30.0 / 2 / 60 * 1.5);
  EXPECT_EQ(chara.m_bDecelX, 1);
}

TEST(MoveCommandsTest, TurnAndCancel) {
  cFlowFixture fixture({.nLevel = 2});
  cTestChara& chara = AddFlowChara(fixture);
  std::vector<intptr_t> sounds;
  SetRequestHandler([&](uint32_t nMsg, intptr_t w, intptr_t) -> intptr_t {
    if (nMsg == WM_GAME_PLAYSE) sounds.push_back(w);
    return 0;
  });
  cFlowCommand turn = MakeCommand(9, 2, false, {1});
  turn.m_sSound = 3;
  InstallFlows(chara, {MakeFlow(19, {turn})});
  cFlowRunner& runner = chara.m_vRunners.At(0);
  // Without fixed facing 向き変更 does nothing.
  chara.m_Def.m_bFixDir = 0;
  chara.m_nFacing = 0;
  runner.Start(chara);
  runner.Step(chara);
  EXPECT_EQ(chara.m_nFacing, 0);
  // With it the turn is made at once and again every tenth.
  chara.m_Def.m_bFixDir = 1;
  runner.Start(chara);
  runner.Step(chara);
  EXPECT_EQ(chara.m_nFacing, 1);
  chara.m_nFacing = 0;
  for (int i = 1; i < 12; ++i) runner.Step(chara);
  EXPECT_EQ(chara.m_nFacing, 0);
  runner.Step(chara);
  EXPECT_EQ(chara.m_nFacing, 1);
  // Its sound (Sound row 3, run-time sound 19) with each turn.
  EXPECT_EQ(sounds, std::vector<intptr_t>({19, 19}));
  // Not heard off screen when it is to be heard on screen only.
  chara.m_dX = 5000;
  runner.m_States[0].m_lpCommand->m_bSoundOnScreen = 1;
  for (int i = 0; i < 12; ++i) runner.Step(chara);
  EXPECT_EQ(sounds.size(), 2u);
  SetRequestHandler(nullptr);
  // Toward the target: none, so nothing.
  InstallFlows(chara, {MakeFlow(19, {MakeCommand(9, 1, false, {3})})});
  chara.m_vRunners.At(0).Start(chara);
  chara.m_vRunners.At(0).Step(chara);
  EXPECT_EQ(chara.m_nFacing, 1);

  // 移動の無効化 stops every motion and gravity for the sub-step.
  chara.m_dVX = chara.m_dWalkVX = chara.m_dKnockX = 3.0;
  chara.m_bPinX = 1;
  InstallFlows(chara, {MakeFlow(19, {MakeMove(8, 1, false, [](cEdMove&) {})})});
  chara.m_vRunners.At(0).Start(chara);
  chara.m_vRunners.At(0).Step(chara);
  EXPECT_EQ(chara.m_dVX + chara.m_dWalkVX + chara.m_dKnockX, 0.0);
  EXPECT_EQ(chara.m_bPinX, 0);
  EXPECT_EQ(chara.m_bNoGravity, 1);
}

// 突撃移動 without a target gives no velocity and does not switch to the
// walking animation on its first sub-step.
TEST(MoveCommandsTest, ChargeWithoutTarget) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  InstallFlows(
      chara,
      {MakeFlow(19, {MakeMove(CMD_MOVE_CHARGE, 1, false, [](cEdMove& m) { m.m_nSpeed = 20; })})});
  cFlowRunner& runner = chara.m_vRunners.At(0);
  runner.Start(chara);
  chara.m_bAnimeByCommand = 0;
  runner.Step(chara);
  EXPECT_EQ(chara.m_bAnimeByCommand, 0);
  EXPECT_EQ(chara.m_dVX, 0.0);
}

}  // namespace
