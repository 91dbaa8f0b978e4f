// The camera axes, the map grid, its hit schedule and block query, block
// summons and what the cell under the hero's feet does to the hero.

#include <gtest/gtest.h>

#include <limits>

#include "flow/command_table.h"
#include "flow/shot_settings.h"
#include "objects/world.h"
#include "play/map_cells.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"
#include "testing/game_folder.h"
#include "testing/play_fixture.h"
#include "testing/play_world.h"

namespace {

TEST(ScrollAxisTest, ClampKeepsTheViewInsideItsRange) {
  cPlayFixture fixture({.nWidth = 20});
  cScrollAxis& x = fixture.Scene().m_ScrollX;
  // A stage one view wide: the position is always 320 and clamped.
  EXPECT_EQ(x.m_nScrollMin, 320);
  EXPECT_EQ(x.m_nScrollMax, 960);
  for (double dPos : {0.0, 320.0, 500.0}) {
    x.m_dPos = dPos;
    x.Clamp();
    EXPECT_EQ(x.m_dPos, 320.0);
    EXPECT_EQ(x.m_bClamped, 1);
  }
  // A range narrower than the view pins the position at the minimum.
  x.m_nScrollMax = 700;
  x.m_dPos = 400.0;
  x.Clamp();
  EXPECT_EQ(x.m_dPos, 320.0);
}

TEST(ScrollAxisTest, LimitsAndAutoscrollFromTheStage) {
  cPlayFixture fixture({.nWidth = 60, .nLevel = 10});
  cScrollAxis& x = fixture.Scene().m_ScrollX;
  x.SetLimits(5, 24, 1, 1);
  EXPECT_EQ(x.m_nScrollMin, 480);
  EXPECT_EQ(x.m_nScrollMax, 1120);
  x.SetLimits(5, 2, 1, 1);  // a last cell before the first: the range is empty
  EXPECT_EQ(x.m_nScrollMax, 480);
  x.SetLimits(0, 0, 0, 0);
  EXPECT_EQ(x.m_nScrollMax, (60 + 10) * 32);

  EXPECT_EQ(x.SetAutoScroll(1, 15), 0);
  EXPECT_EQ(x.m_dAutoSpeed, 15 * 0.1 / 10);
  x.m_dPos = 600.0;
  x.StepAutoScroll();
  EXPECT_EQ(x.m_dPos, 600.0 + 15 * 0.1 / 10);
  x.SetAutoScroll(0, 15);
  EXPECT_EQ(x.m_dAutoSpeed, 0.0);
  EXPECT_EQ(x.m_bAutoScroll, 0);

  // The vertical axis: pitch and shift of a plain row count.
  const cScrollAxis& y = fixture.Scene().m_ScrollY;
  EXPECT_EQ(y.m_nPitch, 40);
  EXPECT_EQ(y.m_nPitchShift, 0);
}

// The outer limit is the stored value + 640 on both axes (640 on the
// vertical one too, not the view's height), but never inside the map and its
// border: a stage that keeps the record's default of 0 is larger than that.
TEST(ScrollAxisTest, TheOuterLimitNeverLiesInsideTheWorld) {
  // 60 x 15 cells: with the border the world is 2560 x 1120 pixels.
  cEdStage stage;
  stage.m_nWidth = 60;
  stage.m_nHeight = 15;
  stage.SetCollisionLevel(stage.m_nCollisionLevel);
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  struct Case {
    int32_t nStored, nOuterX, nOuterY;
  } const cases[] = {
      {0, 2560, 1120},                                    // the record's default
      {480, 2560, 1120},                                  // the height of the world less 640
      {3000, 3640, 3640},                                 // a larger value is kept
      {kMax, kMax, kMax},                                 // no overflow
      {std::numeric_limits<int32_t>::min(), 2560, 1120},  // a negative one
  };
  for (const Case& c : cases) {
    stage.m_nScrollMarginX = stage.m_nScrollMarginY = c.nStored;
    cScrollAxis x, y;
    SetupScrollAxes(stage, x, y);
    EXPECT_EQ(x.m_nOuter, c.nOuterX) << c.nStored;
    EXPECT_EQ(y.m_nOuter, c.nOuterY) << c.nStored;
  }
}

TEST(MapGridTest, RowsArePowerOfTwoPitchesWideWithATenCellBorder) {
  struct Case {
    int nWidth, nPitch;
  } const cases[] = {{12, 32}, {13, 64}, {44, 64}, {45, 128}, {0, 32}, {1000, 1024}};
  for (const Case& c : cases) {
    cPlayFixture fixture({.nWidth = c.nWidth, .nHeight = 5});
    const cScrollAxis& x = fixture.Scene().m_ScrollX;
    EXPECT_EQ(x.m_nPitch, c.nPitch) << c.nWidth;
    EXPECT_EQ(1 << x.m_nPitchShift, c.nPitch) << c.nWidth;
    EXPECT_EQ(g_MapCells.size(), static_cast<size_t>(c.nPitch * (5 + 20))) << c.nWidth;
  }
}

TEST(MapGridTest, PlacedBlocksLandInTheirCellsAndOffGridOnesAreLeftOut) {
  cTestGameFolder folder;
  cPlayFixture fixture({.nWidth = 12, .nHeight = 5});
  auto place = [](int tx, int ty, int nGraphic) {
    cEdBlock block;
    block.m_nTileX = static_cast<int16_t>(tx);
    block.m_nTileY = static_cast<int16_t>(ty);
    block.m_nGraphic = static_cast<int16_t>(nGraphic);
    g_Stage.m_vPlacedBlock.push_back(block);
  };
  place(0, 0, 5);
  place(11, 4, 6);
  place(-11, 0, 7);  // column -1: would wrap into the row above
  place(0, 15, 8);   // row 25 of 25
  ASSERT_EQ(BuildMapCells(g_Stage), 1);
  EXPECT_EQ(g_MapCells[fixture.CellIndex(0, 0)].m_nGraphic, 5);
  EXPECT_EQ(g_MapCells[fixture.CellIndex(11, 4)].m_nGraphic, 6);
  EXPECT_EQ(g_MapCells[fixture.CellIndex(11, 4)].m_bCondMet, 0);
  int nPlaced = 0;
  for (const cMapCell& cell : g_MapCells) {
    if (cell.m_nGraphic != 0) ++nPlaced;
    if (cell.m_nGraphic == 0) {
      EXPECT_EQ(cell.m_nHitKind, BLOCKHIT_NONE);
    }
  }
  EXPECT_EQ(nPlaced, 2);
  EXPECT_EQ(g_MapCells[0].m_nGraphic, 0);
  const std::string log = folder.ReportLogText();
  EXPECT_NE(log.find("( -11 , 0 )"), std::string::npos) << log;
  EXPECT_NE(log.find("( 0 , 15 )"), std::string::npos) << log;
}

TEST(MapGridTest, AFactionPassesThroughItsOwnGroup) {
  cPlayFixture fixture;
  cMapCell& cell = fixture.PutBlock(3, 3, BLOCKHIT_FATAL);
  cell.m_nPassFaction = 3;
  EXPECT_EQ(GetBlockHitKind(cell, 3), BLOCKHIT_NONE);
  EXPECT_EQ(GetBlockHitKind(cell, 2), BLOCKHIT_FATAL);
}

TEST(MapGridTest, HitScheduleSpreadsTheTestsOverTheFrame) {
  struct Case {
    int nSubSteps, nHits;
    std::vector<int32_t> expect;
  } const cases[] = {
      {10, 0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
      {10, 3, {1, 0, 0, 1, 0, 0, 1, 0, 0, 0}},
      {10, 4, {1, 0, 1, 0, 0, 1, 0, 1, 0, 0}},
      {3, 5, {1, 1, 1}},
      {4, 3, {1, 1, 1, 0}},                      // at 0, 1.33 and 2.67
      {10, -3, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},  // a negative count tests every sub-step
      {5, 2147483647, {1, 1, 1, 1, 1}},
      {0, 3, {}},
  };
  for (const Case& c : cases) {
    const cCheckedVector<int32_t> got = BuildHitSchedule(c.nSubSteps, c.nHits);
    EXPECT_EQ(std::vector<int32_t>(got.begin(), got.end()), c.expect)
        << c.nSubSteps << " " << c.nHits;
  }
}

// ---- Block summons ------------------------------------------------------------------

class SummonTest : public ::testing::Test {
 protected:
  cPlayFixture m_Fixture;
  cEdShot m_Settings;
  cEdBlock m_Def;

  SummonTest() {
    m_Def.m_nGraphic = 9;
    m_Def.m_nHitKind = BLOCKHIT_SOLID;
    g_CommonPalette.m_vBlock.At(0).m_nHitKind = BLOCKHIT_NONE;
  }
  // World position of the top-left corner of stage cell (tx, ty).
  static double X(int tx) { return (tx + 10) * 32.0; }
  static double Y(int ty) { return (ty + 10) * 32.0; }
  cMapCell& Cell(int tx, int ty) { return g_MapCells.At(m_Fixture.CellIndex(tx, ty)); }
};

TEST_F(SummonTest, ToggleChangesACellOncePerRunOfTheCommand) {
  cPlayScene& scene = m_Fixture.Scene();
  m_Settings.m_nBlockOp = 2;
  scene.SummonBlockAt(X(4), Y(4), m_Settings, m_Def);
  EXPECT_EQ(Cell(4, 4).m_nGraphic, 9);
  scene.SummonBlockAt(X(4), Y(4), m_Settings, m_Def);
  EXPECT_EQ(Cell(4, 4).m_nGraphic, 9);
  scene.m_vChangedCells.clear();  // the next run of the command
  scene.SummonBlockAt(X(4), Y(4), m_Settings, m_Def);
  EXPECT_EQ(Cell(4, 4).m_nGraphic, 0);
}

// A new attempt starts with no cell toggled: the first toggle of the retry
// changes the cell that a toggle of the last attempt changed.
TEST(SummonSetUpTest, ANewAttemptForgetsTheToggledCells) {
  cPlayWorld world({.rows = {"H.....", "######"}});
  ASSERT_TRUE(world.m_bStarted);
  world.Start();
  ASSERT_TRUE(world.RunUntilPlay());
  cPlayScene& scene = world.Scene();
  cEdShot settings;
  settings.m_nBlockOp = 2;
  cEdBlock def;
  def.m_nGraphic = 9;
  const double x = (4 + 10) * 32.0, y = 10 * 32.0;  // stage cell (4, 0)
  const int nCell = MapCellIndex(4 + 10, 10, scene.m_ScrollX.m_nPitchShift);
  scene.SummonBlockAt(x, y, settings, def);
  ASSERT_EQ(g_MapCells.At(nCell).m_nGraphic, 9);
  scene.SetStage(1, 0);
  ASSERT_EQ(g_MapCells.At(nCell).m_nGraphic, 0) << "the map as placed";
  scene.SummonBlockAt(x, y, settings, def);
  EXPECT_EQ(g_MapCells.At(nCell).m_nGraphic, 9);
}

TEST_F(SummonTest, TheCellHoldingTheBlocksCentreIsTargeted) {
  cPlayScene& scene = m_Fixture.Scene();
  scene.SummonBlockAt(-16.0, 0.0, m_Settings, m_Def);  // (int)(0.5) >> 5
  EXPECT_EQ(g_MapCells[0].m_nGraphic, 9);
  scene.SummonBlockAt(X(2) + 15.0, Y(2) - 17.0, m_Settings, m_Def);
  EXPECT_EQ(Cell(2, 2).m_nGraphic, 0);
  EXPECT_EQ(Cell(2, 1).m_nGraphic, 9);
}

TEST_F(SummonTest, ACancelledPutLeavesTheCellAndTheCharactersAlone) {
  cPlayScene& scene = m_Fixture.Scene();
  cPlayer& hero = m_Fixture.AddHero(X(5) + 4, Y(5) + 4);
  cTestChara& com = m_Fixture.AddChara(X(7) + 4, Y(7) + 4);
  com.m_bAppeared = 1;
  m_Settings.m_nBlockOp = 2;
  m_Settings.m_bSpareHero = 1;
  scene.SummonBlockAt(X(5), Y(5), m_Settings, m_Def);
  EXPECT_EQ(Cell(5, 5).m_nGraphic, 0);
  EXPECT_TRUE(scene.m_vChangedCells.empty());
  EXPECT_EQ(hero.m_bPinY, 0);
  // A computer character is crushed (pinned) unless its switch is set.
  scene.SummonBlockAt(X(7), Y(7), m_Settings, m_Def);
  EXPECT_EQ(Cell(7, 7).m_nGraphic, 9);
  EXPECT_EQ(com.m_bPinY, 2);
  cTestChara& spared = m_Fixture.AddChara(X(9) + 4, Y(7) + 4);
  spared.m_bAppeared = 1;
  m_Settings.m_bSpareChara = 1;
  scene.SummonBlockAt(X(9), Y(7), m_Settings, m_Def);
  EXPECT_EQ(Cell(9, 7).m_nGraphic, 0);
  EXPECT_EQ(spared.m_bPinY, 0);
}

TEST_F(SummonTest, ProtectedBlocksSurvive) {
  cPlayScene& scene = m_Fixture.Scene();
  cMapCell& cell = m_Fixture.PutBlock(3, 3);
  cell.m_bProtected = 1;
  for (int nOp : {0, 1, 2}) {
    m_Settings.m_nBlockOp = static_cast<uint8_t>(nOp);
    scene.SummonBlockAt(X(3), Y(3), m_Settings, m_Def);
    EXPECT_EQ(cell.m_nGraphic, 1) << nOp;
  }
  // Without the project's protection switch, an empty protected cell (no
  // block present) can be replaced; with it, it cannot.
  cell.m_nGraphic = 0;
  m_Settings.m_nBlockOp = 0;
  g_System.m_bSummonMode = 1;
  scene.SummonBlockAt(X(3), Y(3), m_Settings, m_Def);
  EXPECT_EQ(cell.m_nGraphic, 0);
  g_System.m_bSummonMode = 0;
  scene.SummonBlockAt(X(3), Y(3), m_Settings, m_Def);
  EXPECT_EQ(cell.m_nGraphic, 9);
}

// ---- The hero's foot ----------------------------------------------------------------

TEST_F(SummonTest, ASpringLaunchesTheHeroAsAJump) {
  cPlayer& hero = m_Fixture.AddHero(X(5), Y(5) - 24);
  cMapCell& spring = m_Fixture.PutBlock(5, 5);
  spring.m_nEffect = FOOTEFFECT_SPRING;
  spring.m_nEffectValue = 0x103;  // the low 8 bits: 3 half blocks
  hero.m_nFootCell = m_Fixture.CellIndex(5, 5);
  hero.m_bSlippery = 1;
  EXPECT_EQ(m_Fixture.Scene().ApplyFootEffect(hero), 0);
  EXPECT_EQ(hero.m_dVY, hero.JumpVelocityDots(48));
  EXPECT_EQ(hero.m_bJumpRise, 1);
  EXPECT_EQ(hero.m_bJumpReady, 0);
  EXPECT_EQ(hero.RiseCount(), hero.JumpRiseSteps(hero.m_dVY));
  EXPECT_EQ(hero.m_bSlippery, 0);
}

TEST(FootEffectTest, AConveyorMovesTheHeroForNSubStepsThenPressesItDown) {
  cPlayFixture fixture({.nLevel = 4});
  cPlayer& hero = fixture.AddHero(15 * 32, 15 * 32 - 24);
  cMapCell& belt = fixture.PutBlock(5, 5);
  belt.m_nEffect = FOOTEFFECT_CONVEYOR_RIGHT;
  belt.m_nEffectValue = 10;
  hero.m_nFootCell = fixture.CellIndex(5, 5);
  hero.m_dWalkVX = -0.5;
  for (int i = 0; i < 4; ++i) {
    hero.m_dVX = 0.0;
    fixture.Scene().ApplyFootEffect(hero);
    EXPECT_EQ(hero.m_dVX, 0.25);
    EXPECT_EQ(hero.m_dWalkVX, 0.0);
  }
  EXPECT_EQ(hero.m_nFootEffect, FOOTEFFECT_NONE);
  EXPECT_EQ(hero.m_dVY, 1.0);
}

TEST(FootEffectTest, AnItemBlockWaitsASecondUnlessTheHeroStepsOntoAnotherCell) {
  cPlayFixture fixture({.nLevel = 2});
  cPlayScene& scene = fixture.Scene();
  cPlayer& hero = fixture.AddHero(15 * 32, 15 * 32 - 24);
  cMapCell& box = fixture.PutBlock(5, 5);
  box.m_nItemSource = LINKSRC_COMMON;
  box.m_nItemIndex = 0;
  hero.m_nFootCell = hero.m_nStoodCell = hero.m_nStoodCellStart = fixture.CellIndex(5, 5);
  hero.m_bAirborne = 0;
  EXPECT_EQ(scene.TakeItemFromBlock(hero), 0);
  EXPECT_EQ(hero.m_nItemCooldown, 60 * 2 - 1);
  for (int i = 0; i < 60 * 2 - 1; ++i) scene.TakeItemFromBlock(hero);
  EXPECT_EQ(hero.m_nItemCooldown, 0);  // the next call gives the item again
  scene.TakeItemFromBlock(hero);
  EXPECT_EQ(hero.m_nItemCooldown, 60 * 2 - 1);
  // Landing on another cell ends the wait at once.
  hero.m_nStoodCell = fixture.CellIndex(6, 5);
  hero.m_dVY = 0.0;
  scene.TakeItemFromBlock(hero);
  EXPECT_EQ(hero.m_nItemCooldown, 0);
  EXPECT_EQ(hero.m_dVY, 1.0);
}

TEST(FootEffectTest, AnItemBlockRunsItsItemsCommandsAndTheStageClearEndsPlay) {
  struct CASE {
    const char* pszName;
    int16_t nGraphic;
    int8_t nTakeMode;
    int nResult;
  };
  const CASE cases[] = {
      {"a stage-clear item clears the stage", 1, TAKEMODE_ONCE, 1},
      {"an item without a picture does nothing", 0, TAKEMODE_ONCE, 0},
      {"an item that is never taken does nothing", 1, TAKEMODE_NEVER, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszName);
    cPlayFixture fixture({.nLevel = 2});
    cPlayScene& scene = fixture.Scene();
    cPlayer& hero = fixture.AddHero(15 * 32, 15 * 32 - 24);
    cEdItem& item = g_CommonPalette.m_vItem.emplace_back();
    item.m_nGraphic = c.nGraphic;
    item.m_nTakeMode = c.nTakeMode;
    cFlowCommand& clear = item.m_vItemCommand.emplace_back();
    clear.m_cSet = COMMANDSET_ITEM;
    clear.m_cType = CMD_STAGE_CLEAR - kItemCommandOffset;
    clear.NormalizeParams();
    clear.m_Params[0] = 2;  // no next part
    cMapCell& goal = fixture.PutBlock(5, 5);
    goal.m_nItemSource = LINKSRC_COMMON;
    goal.m_nItemIndex = static_cast<int16_t>(g_CommonPalette.m_vItem.size() - 1);
    hero.m_nFootCell = hero.m_nStoodCell = hero.m_nStoodCellStart = fixture.CellIndex(5, 5);
    hero.m_bAirborne = 0;
    hero.m_nHp = 1;  // a hero at HP 0 would miss instead
    scene.m_nNextPart = 9;

    EXPECT_EQ(scene.TakeItemFromBlock(hero), c.nResult);
    EXPECT_EQ(scene.m_nNextPart, c.nResult == 1 ? 0 : 9);
    // The item command leaves the flows' end request alone: the play frame
    // acts on the result.
    EXPECT_EQ(scene.m_nEndRequest, 0);
  }
}

}  // namespace
