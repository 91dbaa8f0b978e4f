// Shots: the range and lifetime in sub-steps, the movement types that turn,
// home, swing and fall, the block test of wide shots, and the play scene's
// shot list with its faction lists, the targets' lists of aimed shots and
// its cap.
//
// The fixture's world is the 40 x 20 map with its border of 10 cells; the
// view stands at the map's top-left, (320, 320). Map cell (tx, ty) of
// PutBlock is world cell (tx + 10, ty + 10).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "app/base/close_request.h"
#include "flow/shot_settings.h"
#include "objects/shot.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "play/play_scene.h"
#include "stagedata/stage_globals.h"
#include "testing/game_folder.h"
#include "testing/play_fixture.h"
#include "testing/play_world.h"

namespace {

cEdShot NewSettings() {
  cEdShotPtr p;
  CreateShot(p);
  return *p;
}

// A shot of the shooter set up at (x, y) flying at (vx, vy) pixels a frame.
cShot MakeShot(const cChara& shooter, const cEdShot& settings, double x, double y, double vx,
               double vy, int nId = 100, int nType = kShotCommand) {
  SHOTSPAWN spawn;
  spawn.nX = static_cast<int32_t>(x);
  spawn.nY = static_cast<int32_t>(y);
  spawn.dVX = vx;
  spawn.dVY = vy;
  spawn.dSpeed = std::sqrt(vx * vx + vy * vy);
  spawn.nRange = settings.m_nRange;
  spawn.nLife = settings.m_nLife;
  cShot shot;
  shot.Init(nId, shooter, nType, settings, spawn);
  return shot;
}

// The range is the distance left after the shot's own width, in sub-steps
// of its speed: 3 pixels a frame at N = 2 is 1.5 a sub-step, so 4 half
// blocks less 16 pixels take (64 - 16) / 1.5 = 32 sub-steps. A range too
// short for a frame is covered in one frame, at the speed that does it; a
// speed too small to count in sub-steps gives the longest range there is.
TEST(ShotTest, TheRangeCountsSubStepsAtTheShotsSpeed) {
  struct CASE {
    int16_t nRange;
    double dSpeed;
    int32_t nRangeLeft;
    double dBaseVX;
  } cases[] = {
      {4, 3.0, 32, 1.5},
      {2, 30.0, 2, 8.0},  // (32 - 16) / 15 = 1 sub-step: 16 pixels in a frame
      {4, 1e-12, std::numeric_limits<int32_t>::max(), 0.5e-12},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nRange);
    cPlayFixture fixture({.nLevel = 2});
    cPlayer& hero = fixture.AddHero(400, 300);
    cEdShot settings = NewSettings();
    settings.m_bRange = 1;
    settings.m_nRange = c.nRange;
    const cShot shot = MakeShot(hero, settings, 400, 300, c.dSpeed, 0);
    EXPECT_EQ(shot.m_nRangeLeft, c.nRangeLeft);
    EXPECT_DOUBLE_EQ(shot.m_dBaseVX, c.dBaseVX);
  }
}

// A shot whose range is used up goes, or, with stay-at-range-end, stops
// and stays where it is.
TEST(ShotTest, AtTheEndOfItsRangeAShotGoesOrStays) {
  for (const int bStay : {0, 1}) {
    SCOPED_TRACE(bStay);
    cPlayFixture fixture;
    cPlayer& hero = fixture.AddHero(100, 300);
    cEdShot settings = NewSettings();
    settings.m_bRange = 1;
    settings.m_nRange = 2;  // (32 - 16) / 4 = 4 sub-steps
    settings.m_bStayAtRange = static_cast<uint8_t>(bStay);
    cShot shot = MakeShot(hero, settings, 400, 300, 4.0, 0);
    for (int i = 0; i < 4; ++i) {
      ASSERT_EQ(shot.Update(), 0);
      shot.StepX();
    }
    EXPECT_EQ(shot.m_dX, 416.0);
    EXPECT_EQ(shot.Update(), bStay ? 0 : 1);
    if (!bStay) continue;
    shot.StepX();
    EXPECT_EQ(shot.Update(), 0);
    shot.StepX();
    EXPECT_EQ(shot.m_dX, 416.0);
  }
}

// A falling shot flies p0 half blocks at its speed, then gravity takes it:
// 3 half blocks at 2 pixels a sub-step are 24 steps.
TEST(ShotTest, AFallingShotStartsToFallAfterItsDistance) {
  cPlayFixture fixture;
  cPlayer& hero = fixture.AddHero(100, 300);
  cEdShot settings = NewSettings();
  settings.m_nMoveType = SHOTMOVE_FALL;
  settings.m_anMoveParam[0] = 3;
  settings.m_nSpeed = 20;
  cShot shot = MakeShot(hero, settings, 200, 300, 2.0, 0);
  for (int i = 0; i < 24; ++i) {
    shot.Update();
    ASSERT_EQ(shot.m_bFly, 1) << i;
  }
  shot.Update();
  EXPECT_EQ(shot.m_bFly, 0);
  shot.ApplyGravity();
  EXPECT_GT(shot.m_dVY, 0.0);
}

// An aiming shot with p0 = 0 turns toward the hero on its first step; a
// homing shot with p1 = 0 never homes.
TEST(ShotTest, AimingTurnsOnItsStepAndHomingWithoutAnEndNeverHomes) {
  cPlayFixture fixture;
  cPlayer& hero = fixture.AddHero(392, 100);  // its centre straight above the shot's
  cComChara& enemy = fixture.AddChara(400, 300);
  cEdShot settings = NewSettings();
  settings.m_nSpeed = 30;

  settings.m_nMoveType = SHOTMOVE_AIM_HERO;
  cShot aim = MakeShot(enemy, settings, 400, 300, 3.0, 0);
  aim.Update();
  EXPECT_EQ(aim.m_bMoveDone, 1);
  EXPECT_NEAR(aim.m_dBaseVX, 0.0, 0.1);
  EXPECT_NEAR(aim.m_dBaseVY, -3.0, 0.1);

  settings.m_nMoveType = SHOTMOVE_HOME_HERO;
  cShot home = MakeShot(enemy, settings, 400, 300, 3.0, 0);
  for (int i = 0; i < 5; ++i) home.Update();
  EXPECT_EQ(home.m_bMoveDone, 1);
  EXPECT_EQ(home.m_dBaseVX, 3.0);
  EXPECT_EQ(home.m_dBaseVY, 0.0);
  (void)hero;
}

// The wave keeps its amplitude beside the 16-bit setting (16 x 4000 does
// not fit one), and a wave of no angular speed does not swing (its phase
// would divide by 0).
TEST(ShotTest, AWaveStaysFiniteWhateverItsParameters) {
  struct CASE {
    int16_t p0, p1, p2;
    double dAmp;
  } cases[] = {{2, 10, 0, 32.0}, {4000, 10, 90, 64000.0}, {2, 0, 45, 32.0}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.p0 * 100 + c.p1);
    cPlayFixture fixture;
    cPlayer& hero = fixture.AddHero(100, 300);
    cEdShot settings = NewSettings();
    settings.m_nMoveType = SHOTMOVE_WAVE;
    settings.m_anMoveParam[0] = c.p0;
    settings.m_anMoveParam[1] = c.p1;
    settings.m_anMoveParam[2] = c.p2;
    cShot shot = MakeShot(hero, settings, 400, 300, 3.0, 0);
    for (int i = 0; i < 50; ++i) shot.Update();
    EXPECT_EQ(shot.m_dWaveAmp, c.dAmp);
    EXPECT_EQ(shot.m_Settings.m_anMoveParam[0], c.p0);
    EXPECT_TRUE(std::isfinite(shot.m_dBaseVX) && std::isfinite(shot.m_dBaseVY));
    if (c.p1 == 0) {
      EXPECT_EQ(shot.m_dBaseVY, 0.0);
    }
  }
}

// A shot wider than a cell tests every cell under it: a 48-pixel shot whose
// only solid cell lies under its middle column is blocked; with the
// pass-through value 1 nothing blocks it.
TEST(ShotTest, AWideShotTestsEveryCellUnderIt) {
  cPlayFixture fixture;
  cPlayer& hero = fixture.AddHero(100, 300);
  fixture.PutBlock(2, 0);  // world cell (12, 10): x 384..415, y 320..351
  cEdShot settings = NewSettings();
  settings.m_nGiant = 3;
  // x 376..423 covers cells 11 to 13 (corners in 11 and 13); y 330..377.
  cShot shot = MakeShot(hero, settings, 392, 330, 0, 0);
  shot.m_dX = 376;
  shot.ClampX();
  ASSERT_EQ(shot.m_nBoxW, 48);
  EXPECT_FALSE(shot.TouchesBlock());
  EXPECT_TRUE(shot.HitsBlock());
  shot.m_Settings.m_bThroughBlocks = 1;
  EXPECT_FALSE(shot.HitsBlock());
}

// The shot list: a listed shot is a copy with the next id in the list of
// its faction; the argument is listed nowhere and links to nothing, so
// destroying it leaves the target's list of aimed shots alone. A removal
// through either list takes the shot out of both and out of its target's
// list; a target that leaves takes its shots' target with it.
TEST(ShotListTest, ListsKeepInStepWithTheShotsAndTheirTargets) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cPlayer& hero = fixture.AddHero(100, 300);
  cComChara& enemy = fixture.AddChara(500, 300);
  hero.SetTarget(&enemy);
  cEdShot settings = NewSettings();
  settings.m_nMoveType = SHOTMOVE_AIM_TARGET;

  cShot* lpFirst = nullptr;
  {
    const cShot arg = MakeShot(hero, settings, 200, 300, 3.0, 0, scene.NextShotId());
    EXPECT_EQ(arg.m_nTargetId, enemy.m_nId);
    lpFirst = scene.AddShot(arg);
    ASSERT_NE(lpFirst, nullptr);
    scene.EnterAimedShot(*lpFirst);
    scene.EnterAimedShot(*lpFirst);
    EXPECT_EQ(arg.m_Place.nFaction, -1);
  }
  EXPECT_EQ(enemy.m_vShots, std::vector<int32_t>{lpFirst->m_nId});
  cShot* lpSecond = scene.AddShot(MakeShot(hero, settings, 220, 300, 3.0, 0, scene.NextShotId()));
  scene.EnterAimedShot(*lpSecond);
  EXPECT_EQ(scene.NextShotId(), 2);
  ASSERT_EQ(scene.FactionShots(0).size(), 2u);
  EXPECT_EQ(scene.FactionShots(0).front(), lpFirst);

  // Out through the faction list: the next entry is the second shot.
  const auto itNext = scene.RemoveShot(*lpFirst);
  EXPECT_EQ(*itNext, lpSecond);
  EXPECT_EQ(scene.ShotList().size(), 1u);
  EXPECT_EQ(enemy.m_vShots.size(), 1u);

  // The target leaves: the shot aimed at it has no target.
  enemy.UnlinkCharas();
  EXPECT_EQ(lpSecond->m_nTargetId, -1);

  // Out through the shot list.
  scene.RemoveShot(scene.ShotList().begin());
  EXPECT_TRUE(scene.ShotList().empty());
  EXPECT_TRUE(scene.FactionShots(0).empty());
}

// A faction number past the lists is reported and the shot goes into
// list 0; a stage full of shots leaves further ones out with one line.
TEST(ShotListTest, ABadFactionAndAFullStageAreReported) {
  cTestGameFolder folder;
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cPlayer& hero = fixture.AddHero(100, 300);
  cEdShot settings = NewSettings();
  settings.m_bUserFaction = 0;
  settings.m_nFaction = 9;
  const int nCloses = GetCloseRequestCount();
  ASSERT_NE(scene.AddShot(MakeShot(hero, settings, 200, 300, 1.0, 0)), nullptr);
  EXPECT_EQ(scene.FactionShots(0).size(), 1u);
  EXPECT_EQ(folder.ReportLogLineCount("err V[9] ( 8 , 12 )"), 1);
  EXPECT_EQ(GetCloseRequestCount(), nCloses + 1);

  settings.m_nFaction = 1;
  const cShot shot = MakeShot(hero, settings, 200, 300, 1.0, 0);
  while (scene.ShotList().size() < kMaxLiveShots) ASSERT_NE(scene.AddShot(shot), nullptr);
  EXPECT_EQ(scene.AddShot(shot), nullptr);
  EXPECT_EQ(scene.AddShot(shot), nullptr);
  EXPECT_EQ(scene.ShotList().size(), kMaxLiveShots);
  EXPECT_EQ(folder.ReportLogLineCount("further shots are left out"), 1);
}

// The sub-step of the shots: a shot moves by its velocity and goes when
// its lifetime is over (1 tenth: 6 sub-steps at N = 1) or a map cell
// blocks it.
TEST(ShotListTest, ShotsMoveAndGoByLifetimeAndBlocks) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cPlayer& hero = fixture.AddHero(100, 300);
  fixture.PutBlock(5, 0);  // world x 480..511, y 320..351
  cEdShot settings = NewSettings();
  cEdShot timed = settings;
  timed.m_bLife = 1;
  timed.m_nLife = 1;
  scene.AddShot(MakeShot(hero, timed, 400, 400, 1.0, 0));
  scene.AddShot(MakeShot(hero, settings, 456, 328, 4.0, 0));
  scene.StepShots(1);
  EXPECT_EQ(scene.ShotList().front().m_dX, 401.0);
  EXPECT_EQ(scene.ShotList().back().m_dX, 460.0);
  for (int i = 2; i <= 6; ++i) scene.StepShots(i);
  ASSERT_EQ(scene.ShotList().size(), 1u);  // at x 468 its right edge reached the block
  EXPECT_EQ(scene.ShotList().front().m_dX, 406.0);
  scene.StepShots(2);
  EXPECT_TRUE(scene.ShotList().empty());
}

// Shot.bmp: graphic 0's two frames (columns 0 and 1) in colours 80 and 81.
// A shot shows them in turn, four drawn frames each, from the sheet of its
// facing; frozen frames hold the frame; a scaled shot is stretched and a
// hidden one not drawn.
TEST(ShotDrawTest, ShotsAnimateUnlessFrozenAndHiddenOnesAreNotDrawn) {
  cPlayWorld world({.rows = {"H...........", "############"}});
  ASSERT_TRUE(world.m_bStarted);
  world.Folder().WriteFile("bmp\\Shot.bmp", WorldBitmap(256, 480, [](int x, int y) {
                             return y >= 16 || x >= 32 ? 0u : (x < 16 ? 80u : 81u);
                           }));
  world.Start();
  ASSERT_TRUE(world.RunUntilPlay());
  cPlayScene& scene = world.Scene();
  const cPlayer& hero = *scene.Hero();
  const cEdShot settings = NewSettings();
  cEdShot hidden = settings;
  hidden.m_bTransparent = 1;
  cEdShot scaled = settings;
  scaled.m_nGiant = 2;
  const double x = hero.m_dX + 64;
  const double y = hero.m_dY;
  const cShot& left = *scene.AddShot(MakeShot(hero, settings, x, y, -1.0, 0));
  const cShot& right = *scene.AddShot(MakeShot(hero, settings, x + 32, y, 1.0, 0));
  const cShot& big = *scene.AddShot(MakeShot(hero, scaled, x + 64, y, 1.0, 0));
  const cShot& none = *scene.AddShot(MakeShot(hero, hidden, x + 128, y, 1.0, 0));
  constexpr int kBackground = 3;
  // 0 or 1 for the frame shown at (dx, dy) of the shot's sprite, the
  // background's number otherwise.
  auto shown = [](const cShot& shot, int dx, int dy) {
    const uint32_t rgb = BackBufferRgb(shot.m_rcScreen.left + dx, shot.m_rcScreen.top + dy);
    for (const int n : {80, 81, kBackground})
      if (rgb == WorldRgb(n)) return n == kBackground ? n : n - 80;
    return -1;
  };
  std::vector<int> frames;
  for (int i = 0; i < 20; ++i) {
    const int bFrozen = i >= 12 ? 1 : 0;
    DDPalFillSurface(&g_BackBufferSD, kBackground);
    scene.DrawShots(0, 1, bFrozen);
    frames.push_back(shown(left, 8, 8));
    EXPECT_EQ(shown(right, 8, 8), frames.back());
    EXPECT_EQ(shown(big, 24, 24), frames.back()) << "stretched to 32 x 32";
    EXPECT_EQ(shown(none, 8, 8), kBackground);
  }
  size_t t = 1;
  while (t < frames.size() && frames[t] == frames[t - 1]) ++t;
  ASSERT_LE(t, 4u);
  for (size_t i = t; i < 12; ++i)
    EXPECT_EQ(frames[i], frames[t] ^ static_cast<int>((i - t) / 4 % 2)) << i;
  for (size_t i = 12; i < frames.size(); ++i) EXPECT_EQ(frames[i], frames[11]) << "frozen";
}

}  // namespace
