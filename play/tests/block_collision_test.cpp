// Characters against map blocks, run through the sub-step order of the play
// frame on a small map built in the test. Map cell (tx, ty) covers world
// pixels from ((tx + 10) x 32, (ty + 10) x 32): the floor row ty = 10 starts
// at world y 640, so a character standing on it has its bottom on 639.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/base/close_request.h"
#include "objects/world.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"
#include "testing/game_folder.h"
#include "testing/play_fixture.h"

namespace {

constexpr int kFloorRow = 10;
constexpr double kFloorTop = (kFloorRow + 10) * 32.0;  // 640

// Remembers where its last steps moved it, before any block test snapped it.
class cProbeChara : public cTestChara {
 public:
  int StepX() override {
    const int r = cTestChara::StepX();
    m_dMovedX = m_dX;
    return r;
  }
  int StepY() override {
    const int r = cTestChara::StepY();
    m_dMovedY = m_dY;
    return r;
  }
  double m_dMovedX = 0.0;
  double m_dMovedY = 0.0;
};

// Runs sub-steps until the predicate holds; the number run, or -1 after
// nMax.
template <class Pred>
int RunUntil(cPlayFixture& fixture, cChara& chara, int nMax, Pred done) {
  for (int i = 1; i <= nMax; ++i) {
    EXPECT_EQ(fixture.SubStep(chara), 0);
    if (done()) return i;
  }
  return -1;
}

class BlockCollisionAtN : public ::testing::TestWithParam<int> {};

// The whole life of a walker: it falls onto the floor, walks into a wall and
// stops there, and jumps to the height the jump arithmetic gives. Every
// snap keeps the fraction the motion left.
TEST_P(BlockCollisionAtN, FallsLandsWalksIntoAWallAndJumps) {
  const int n = GetParam();
  cPlayFixture fixture({.nWidth = 40, .nHeight = 20, .nLevel = n, .dGravity = 0.4});
  fixture.PutRow(0, 39, kFloorRow);
  fixture.PutBlock(20, kFloorRow - 1);  // a wall one block high from x 960
  cProbeChara& c = fixture.AddChara<cProbeChara>(480.0, 500.25);
  const double g = g_Stage.m_dAccelPerStep;

  // Falls and lands: the bottom back on the last row above the floor.
  ASSERT_GT(RunUntil(fixture, c, 200 * n, [&] { return c.LRUD[LRUD_DOWN] != 0; }), 0);
  EXPECT_EQ(TruncInt(c.m_dBottom), 639);
  const double dSnap = (TruncInt(c.m_dMovedY + 24 - 1) & 31) + 1;
  EXPECT_EQ(c.m_dY, c.m_dMovedY - dSnap);
  EXPECT_EQ(c.m_dY - std::trunc(c.m_dY), c.m_dMovedY - std::trunc(c.m_dMovedY));
  EXPECT_EQ(c.m_dVY, 0.0);
  EXPECT_EQ(c.m_bAirborne, 0);
  EXPECT_EQ(c.m_nStoodCell, fixture.CellIndex(5, kFloorRow));

  // Walks 2 pixels a frame into the wall and stops with its right edge on
  // the last pixel before it.
  c.m_dWalkVX = 2.0 / n;
  ASSERT_GT(RunUntil(fixture, c, 400 * n, [&] { return c.LRUD[LRUD_RIGHT] != 0; }), 0);
  EXPECT_EQ(TruncInt(c.m_dRight), 959);
  EXPECT_EQ(c.m_dX, c.m_dMovedX - ((TruncInt(c.m_dMovedX + 16 - 1) & 31) + 1));
  EXPECT_EQ(c.m_dWalkVX, 0.0);
  EXPECT_EQ(c.m_nWallSide, 1);
  const double dStopX = c.m_dX;
  for (int i = 0; i < 3 * n; ++i) EXPECT_EQ(fixture.SubStep(c), 0);
  EXPECT_EQ(c.m_dX, dStopX);

  // Jumps 2 half blocks: the top of the rise lies between h and h + g / 8
  // (the discrete motion peaks between two sub-steps).
  const double dStartY = c.m_dY;
  c.m_dVY = c.JumpVelocity(2);
  double dTop = dStartY;
  ASSERT_GT(RunUntil(fixture, c, 200 * n,
                     [&] {
                       dTop = std::min(dTop, c.m_dY);
                       return c.LRUD[LRUD_DOWN] != 0;
                     }),
            0);
  EXPECT_GE(dStartY - dTop, 32.0 - 1e-9);
  EXPECT_LE(dStartY - dTop, 32.0 + g / 8);
  EXPECT_EQ(TruncInt(c.m_dBottom), 639);
}

// Pushed out of a wall to its left and of a ceiling, whatever N.
TEST_P(BlockCollisionAtN, LeftWallsAndCeilingsPushOutToTheNextCell) {
  const int n = GetParam();
  cPlayFixture fixture({.nLevel = n});
  fixture.PutRow(0, 39, kFloorRow);
  fixture.PutBlock(10, kFloorRow - 1);  // right edge at world x 671
  fixture.PutBlock(16, kFloorRow - 3);  // ceiling: bottom at world y 575
  cProbeChara& c = fixture.AddChara<cProbeChara>(700.5, 616.0);
  c.m_bAirborne = 0;
  c.m_dWalkVX = -3.0 / n;
  ASSERT_GT(RunUntil(fixture, c, 100 * n, [&] { return c.LRUD[LRUD_LEFT] != 0; }), 0);
  EXPECT_EQ(TruncInt(c.m_dX), 672);
  EXPECT_EQ(c.m_dX, c.m_dMovedX + 32 - (TruncInt(c.m_dMovedX) & 31));
  EXPECT_EQ(c.m_nWallSide, 0);

  cProbeChara& d = fixture.AddChara<cProbeChara>(16 * 32.0 + 320 + 4, 600.0);
  d.m_dVY = -8.0 / n;
  ASSERT_GT(RunUntil(fixture, d, 100 * n, [&] { return d.LRUD[LRUD_UP] != 0; }), 0);
  EXPECT_EQ(TruncInt(d.m_dY), 576);
  EXPECT_EQ(d.m_dY, d.m_dMovedY + 32 - (TruncInt(d.m_dMovedY) & 31));
  EXPECT_EQ(d.m_bJumpBlocked, 1);
  EXPECT_EQ(d.m_dVY, 0.0);
}

INSTANTIATE_TEST_SUITE_P(SubSteps, BlockCollisionAtN, ::testing::Values(1, 4, 10, 20));

TEST(BlockCollisionTest, FatalCellsKillTheHeroButOnlyStopComputerCharacters) {
  cPlayFixture fixture;
  cMapCell& spikes = fixture.PutBlock(10, kFloorRow, BLOCKHIT_FATAL);
  (void)spikes;
  cPlayScene& scene = fixture.Scene();
  const double x = (10 + 10) * 32.0 + 8;
  const double y = kFloorTop - 24 + 2;  // bottom two rows into the block

  cPlayer& hero = fixture.AddHero(x, y);
  hero.m_dVY = 1.0;
  EXPECT_EQ(scene.TestBlocksY(hero), 2);

  cTestChara& com = fixture.AddChara(x, y);
  com.m_dVY = 1.0;
  EXPECT_EQ(scene.TestBlocksY(com), 0);
  EXPECT_EQ(TruncInt(com.m_dBottom), 639);

  // A flier that dies on contact gets 2 from any solid cell; one that passes
  // through is never tested.
  fixture.PutBlock(12, kFloorRow);
  cTestChara& fatal = fixture.AddChara((12 + 10) * 32.0, y);
  fatal.SetMoveMode(MOVEMODE_FLYFATAL);
  EXPECT_EQ(scene.TestBlocksY(fatal), 2);
  fatal.SetMoveMode(MOVEMODE_FLY);
  EXPECT_EQ(scene.TestBlocksY(fatal), 0);
  EXPECT_EQ(scene.TestBlocksX(fatal), 0);
  EXPECT_EQ(fatal.m_dY, y);
}

TEST(BlockCollisionTest, ARisingWalkerLandsOnlyWhenTheProjectAllowsIt) {
  cPlayFixture fixture;
  fixture.PutBlock(10, kFloorRow);
  cPlayScene& scene = fixture.Scene();
  const double y = kFloorTop - 24 + 4;
  cTestChara& c = fixture.AddChara((10 + 10) * 32.0 + 8, y);
  c.m_dVY = -1.0;
  EXPECT_EQ(scene.TestBottomEdge(c), 0);
  EXPECT_EQ(c.m_dY, y);
  EXPECT_EQ(c.LRUD[LRUD_DOWN], 0);

  g_System.m_bHitMode = 1;  // landing while rising
  EXPECT_EQ(scene.TestBottomEdge(c), 0);
  EXPECT_EQ(TruncInt(c.m_dBottom), 639);
  EXPECT_EQ(c.LRUD[LRUD_DOWN], 1);
}

TEST(BlockCollisionTest, AScaledCharacterSamplesItsSideOneUnscaledHeightApart) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cTestChara& c = fixture.AddChara(800.0, 400.0, 16, 32);
  c.m_Def.m_nGiant = 2;
  c.SetScale(2, 1);
  EXPECT_EQ(c.m_nBoxH, 64);
  // Samples at y, y + 31 and y + 62; with y = 385 the bottom pixel (448)
  // lies in the row below the last sample (447).
  c.m_dY = 385.0;
  c.ClampY(2);
  const int x = TruncInt(c.m_dX);
  const int nCol = (x >> 5) - 10;
  auto choose = [&] { return scene.ChooseEdgeCell(c, x, 385, x, TruncInt(c.m_dBottom)); };
  fixture.PutBlock(nCol, (448 >> 5) - 10);
  EXPECT_EQ(choose(), fixture.CellIndex(nCol, (385 >> 5) - 10));
  fixture.PutBlock(nCol, (447 >> 5) - 10);
  EXPECT_EQ(choose(), fixture.CellIndex(nCol, (447 >> 5) - 10));
}

TEST(BlockCollisionTest, TheFootCellPrefersTheMiddleAndScaleZeroTakesOneSample) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cTestChara& c = fixture.AddChara((5 + 10) * 32.0 + 20, kFloorTop - 24 + 1, 24, 24);
  // Feet from 500 to 523 over blocks of one kind in both cells: of the
  // samples 500, 512 and 523 the one nearest to the middle (511) wins.
  fixture.PutBlock(5, kFloorRow);
  fixture.PutBlock(6, kFloorRow);
  EXPECT_EQ(scene.ChooseFootCell(c), fixture.CellIndex(6, kFloorRow));
  c.m_Def.m_nGiant = 0;  // one sample: the middle itself, no division by zero
  EXPECT_EQ(scene.ChooseFootCell(c), fixture.CellIndex(5, kFloorRow));
}

TEST(BlockCollisionTest, AfterEightFramesWithoutGroundACharacterCountsAsFalling) {
  cPlayFixture fixture({.nLevel = 4});
  cPlayScene& scene = fixture.Scene();
  cPlayer& hero = fixture.AddHero(600.0, 300.0);
  hero.m_bAirborne = 0;
  hero.m_bJumpReady = 0;
  for (int i = 1; i < 8 * 4; ++i) scene.TestBottomEdge(hero);
  EXPECT_EQ(hero.m_bAirborne, 0);
  scene.TestBottomEdge(hero);
  EXPECT_EQ(hero.m_bAirborne, 1);
  EXPECT_EQ(hero.m_bJumpReady, 1);

  // A riding hero does not.
  hero.m_nAirTime = 0;
  hero.m_bAirborne = 0;
  hero.m_bOnChara = 1;
  for (int i = 0; i < 40; ++i) scene.TestBottomEdge(hero);
  EXPECT_EQ(hero.m_bAirborne, 0);
}

TEST(BlockCollisionTest, AnAutoscrollingViewHoldsTheHeroAndPushesAWalkerOffTheBottom) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  scene.m_ScrollY.m_bAutoScroll = 1;
  cPlayer& hero = fixture.AddHero(600.0, scene.m_ScrollY.m_dPos + 470.0);
  EXPECT_EQ(scene.KeepHeroOnScreenY(hero), 2);
  EXPECT_EQ(hero.m_dY, scene.m_ScrollY.m_dPos + 480 - 24 - 1);
  EXPECT_EQ(hero.LRUD[LRUD_DOWN], 1);

  hero.cGameObject::SetMoveMode(MOVEMODE_FLY);
  hero.m_dY = scene.m_ScrollY.m_dPos + 470.0;
  EXPECT_EQ(scene.KeepHeroOnScreenY(hero), 0);
  hero.m_dX = scene.m_ScrollX.m_dPos - 5;
  scene.KeepHeroOnScreenX(hero);
  EXPECT_EQ(hero.m_dX, scene.m_ScrollX.m_dPos);
  EXPECT_EQ(hero.LRUD[LRUD_LEFT], 1);
}

TEST(BlockCollisionTest, ABoxIsBlockedByASolidCornerCellOrABlockCharacter) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cTestChara& c = fixture.AddChara(700.0, 500.0);
  EXPECT_EQ(scene.IsBoxBlocked(c), 0);
  fixture.PutBlock(c.m_nRightCol - 10, c.m_nBottomRow - 10);
  EXPECT_EQ(scene.IsBoxBlocked(c), 1);
  c.SetMoveMode(MOVEMODE_FLY);
  EXPECT_EQ(scene.IsBoxBlocked(c), 0);

  cTestChara& d = fixture.AddChara(300.0, 300.0);
  cTestChara& block = fixture.AddChara(310.0, 310.0);
  block.m_Def.m_bBlockChara = 1;
  block.m_bAppeared = 1;
  EXPECT_EQ(scene.IsBoxBlocked(d), 1);
  block.m_bDead = 1;
  EXPECT_EQ(scene.IsBoxBlocked(d), 0);
}

// A file may put the outer limit of the world below the grid: a character
// kept there by the limit samples cells past the grid's end, which the
// checked access reports (and the program is asked to close) while the
// tests read cell 0 instead of memory past the grid.
TEST(BlockCollisionTest, ACharacterKeptBelowTheGridByTheOuterLimitReadsCellZero) {
  cTestGameFolder folder;
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  const int nGridBottom = (g_Stage.m_nHeight + 2 * kMapBorderCells) * kCellSize;
  g_Stage.m_nScrollMarginY = nGridBottom + 16 - 640;
  SetupScrollAxes(g_Stage, scene.m_ScrollX, scene.m_ScrollY);
  ASSERT_EQ(scene.m_ScrollY.m_nOuter, nGridBottom + 16);
  ResetCloseRequestCount();
  // At the left end of the world, so that the cells past the grid lie right
  // behind its last one.
  cTestChara& c = fixture.AddChara(8.0, nGridBottom - 24.0);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(fixture.SubStep(c), 0);
  EXPECT_EQ(TruncInt(c.m_dBottom), nGridBottom + 15);
  EXPECT_EQ(c.m_nFootCell, -1);
  EXPECT_GT(GetCloseRequestCount(), 0);
  EXPECT_NE(folder.ReportLogText().find("err V["), std::string::npos);
}

}  // namespace
