// The object base: clamps and their result codes, scaling, knock-back,
// deceleration, screen and erase tests, and the charge step.
//
// The fixture's stage is 40 x 20 cells: the world runs from 0 to 1919 in x
// (60 cells) and 0 to 1279 in y (40 cells); the stage map from 320 to 1599
// and 320 to 959; the scroll range equals the stage.

#include <gtest/gtest.h>

#include <cmath>

#include "objects/chara.h"
#include "objects/world.h"
#include "stagedata/stage_globals.h"
#include "testing/play_fixture.h"

namespace {

cTestChara& Box(cPlayFixture& fixture, double x, double y) {
  cTestChara& c = fixture.AddChara(100.0, 100.0, 20, 20);
  c.m_dX = x;
  c.m_dY = y;
  c.ClampX(3);  // no clamp: the edges and cells follow the position
  c.ClampY(3);
  return c;
}

TEST(GameObjectTest, ClampXCodesAndPositions) {
  cPlayFixture fixture;
  cScrollAxis& axis = fixture.Scene().m_ScrollX;
  axis.m_nScrollMin = 400;  // a scroll range inside the stage
  axis.m_nScrollMax = 1200;
  struct Case {
    int nType;
    double x, dExpectX;
    int nCode;
  } const cases[] = {
      {0, 350.0, 400.0, 0},                       // to the scroll minimum
      {0, 1190.0, 1180.0, 0},                     // right edge on the scroll maximum: maximum - w
      {1, 300.0, 320.0, 0},                       // clamped to the stage: 0
      {1, 350.0, 350.0, 1},                       // left of the scroll range
      {1, 1181.0, 1181.0, 1},                     // right edge 1200 = scroll maximum
      {1, 600.0, 600.0, 0},   {2, -5.0, 0.0, 3},  // the world, not the stage
      {2, 1910.0, 1900.0, 3},                     // right edge beyond the outer limit 1920
      {2, 1581.0, 1581.0, 2},                     // right edge exactly on the stage maximum 1600
      {2, 300.0, 300.0, 2},   {2, 350.0, 350.0, 1},
      {2, 600.0, 600.0, 0},   {7, -50.0, -50.0, 0},  // other types clamp nothing
  };
  for (const Case& c : cases) {
    cTestChara& obj = Box(fixture, c.x, 500.0);
    EXPECT_EQ(obj.ClampX(c.nType), c.nCode) << c.nType << " " << c.x;
    EXPECT_EQ(obj.m_dX, c.dExpectX) << c.nType << " " << c.x;
    EXPECT_EQ(obj.m_dRight, obj.m_dX + 19);
    EXPECT_EQ(obj.m_nRightCol, TruncInt(obj.m_dRight) >> 5);
  }
}

TEST(GameObjectTest, ClampYTellsTheSide) {
  cPlayFixture fixture;
  cScrollAxis& axis = fixture.Scene().m_ScrollY;
  axis.m_nScrollMin = 400;
  axis.m_nScrollMax = 880;
  struct Case {
    int nType;
    double y, dExpectY;
    int nCode;
  } const cases[] = {
      {1, 300.0, 320.0, 0},  // clamped to the stage
      {1, 350.0, 350.0, 1},  // above the view
      {1, 870.0, 870.0, 4},  // below the view
      {2, -1.0, 0.0, 3},    {2, 1275.0, 1260.0, 6}, {2, 300.0, 300.0, 2}, {2, 945.0, 945.0, 5},
      {2, 350.0, 350.0, 1}, {2, 870.0, 870.0, 4},   {2, 600.0, 600.0, 0},
  };
  for (const Case& c : cases) {
    cTestChara& obj = Box(fixture, 600.0, c.y);
    EXPECT_EQ(obj.ClampY(c.nType), c.nCode) << c.nType << " " << c.y;
    EXPECT_EQ(obj.m_dY, c.dExpectY) << c.nType << " " << c.y;
    EXPECT_EQ(obj.m_dBottom, obj.m_dY + 19);
  }
}

TEST(GameObjectTest, ScalingDoublesTheBoxAndKeepsItsHorizontalCentre) {
  cPlayFixture fixture;
  cTestChara& c = Box(fixture, 600.0, 600.0);
  c.m_nBoxX = c.m_nBaseBoxX = 6;
  c.SetScale(1, 1);
  EXPECT_EQ(c.m_dX, 600.0);
  EXPECT_EQ(c.m_nBoxW, 20);
  c.SetScale(2, 1);
  EXPECT_EQ(c.m_dX, 590.0);
  EXPECT_EQ(c.m_nBoxW, 40);
  EXPECT_EQ(c.m_nBoxH, 40);
  EXPECT_EQ(c.m_nBoxX, 12);
  EXPECT_EQ(c.m_nSpriteW, 64);
  EXPECT_EQ(c.m_dRight, 629.0);
}

TEST(GameObjectTest, ImpactSharesItsSpeedAlongTheDirection) {
  cPlayFixture fixture;  // N = 1
  cTestChara& c = Box(fixture, 600.0, 600.0);
  double vx = 7.0, vy = 8.0;
  c.ImpactToVelocity(vx, vy, 0, 1.0, 0.0);
  EXPECT_EQ(vx, 7.0);
  EXPECT_EQ(vy, 8.0);
  c.ImpactToVelocity(vx, vy, 10, 0.0, 0.0);
  EXPECT_EQ(vx, 0.0);
  EXPECT_EQ(vy, 0.0);
  c.ImpactToVelocity(vx, vy, 10, 1.0, 0.0);
  EXPECT_EQ(vx, (std::sqrt(1281.0) - 1.0) / 2.0);
  EXPECT_EQ(vy, 0.0);
  // Pulled to the upper left: d = -10 x 3 / 4 and -10 x 1 / 4.
  c.ImpactToVelocity(vx, vy, -10, 3.0, 1.0);
  EXPECT_EQ(vx, -(std::sqrt(1.0 + 128.0 * 7.5) - 1.0) / 2.0);
  EXPECT_EQ(vy, -(std::sqrt(1.0 + 128.0 * 2.5) - 1.0) / 2.0);
}

TEST(GameObjectTest, MotionIsCappedPerSubStepAndWalkingDecelerates) {
  cPlayFixture fixture({.nLevel = 10});  // cap 6 pixels per sub-step
  cTestChara& c = Box(fixture, 600.0, 600.0);
  c.m_dVX = 9.0;
  c.MoveX(2);
  EXPECT_EQ(c.m_dVX, 6.0);
  EXPECT_EQ(c.m_dX, 606.0);
  c.m_dStop = 0.25;
  double v = 0.2;
  c.Decelerate(v, 1);
  EXPECT_EQ(v, 0.0);
  v = -1.0;
  c.Decelerate(v, 1);
  EXPECT_EQ(v, -0.75);
  c.Decelerate(v, 0);
  EXPECT_EQ(v, -0.75);
}

TEST(GameObjectTest, ScreenAndEraseAreaTests) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  scene.m_ScrollX.m_dPos = 320.5;
  scene.m_ScrollY.m_dPos = 320.0;
  cTestChara& c = Box(fixture, 400.75, 400.0);
  c.UpdateScreenRect();
  EXPECT_EQ(c.m_rcScreen.left, 80);  // trunc(400.75 - 0 - 320)
  EXPECT_TRUE(c.IsOnScreen());

  cEdEraseArea area;
  area.m_bRight = 1;
  area.m_nRight = 2;  // erased from 2 cells right of the view
  c.m_dX = 320.5 + 640 + 64 - 1;
  c.ClampX(3);
  EXPECT_FALSE(c.IsOutsideArea(area));
  c.m_dX += 1;
  c.ClampX(3);
  EXPECT_FALSE(c.IsOnScreen());
  EXPECT_TRUE(c.IsOutsideArea(area));
  // The edge of the world erases whatever the switches.
  area.m_bRight = 0;
  EXPECT_FALSE(c.IsOutsideArea(area));
  c.m_dX = 0.0;
  c.ClampX(3);
  EXPECT_TRUE(c.IsOutsideArea(area));
}

TEST(GameObjectTest, TouchesBlockTestsTheFourCornersAndIgnoresItsRectangle) {
  cPlayFixture fixture;
  cTestChara& c = Box(fixture, 700.0, 500.0);
  c.ClampX(2);
  c.ClampY(2);
  EXPECT_FALSE(c.TouchesBlock());
  fixture.PutBlock(c.m_nRightCol - 10, c.m_nTopRow - 10);
  EXPECT_TRUE(c.TouchesBlock());
  EXPECT_TRUE(c.TouchesBlockEx(DRECT{0, 0, 1, 1}));
  c.m_nFaction = 3;
  g_MapCells.At(fixture.CellIndex(c.m_nRightCol - 10, c.m_nTopRow - 10)).m_nPassFaction = 3;
  EXPECT_FALSE(c.TouchesBlock());
}

TEST(GameObjectTest, ChargeStepHeadsForTheTargetOrFleesDiagonally) {
  cPlayFixture fixture;
  double vx = 9.0, vy = 9.0;
  int nFace = 7;
  EXPECT_EQ(ChargeStep(vx, vy, nFace, nullptr, 100, 100, 100, 100, 2.0, 0, 0, 1), 1);
  EXPECT_EQ(vx, 0.0);
  EXPECT_EQ(vy, 0.0);
  EXPECT_EQ(nFace, 0);
  EXPECT_EQ(ChargeStep(vx, vy, nFace, nullptr, 100, 100, 100, 100, -2.0, 0, 0, 1), 0);
  EXPECT_EQ(vx, 2.0 * kSqrtHalf);
  EXPECT_EQ(vy, 2.0 * kSqrtHalf);
  EXPECT_EQ(nFace, 2);
  EXPECT_EQ(ChargeStep(vx, vy, nFace, nullptr, 100, 100, 130, 140, 5.0, 0, 0, 1), 0);
  EXPECT_EQ(vx, 3.0);
  EXPECT_EQ(vy, 4.0);

  // A view scrolling 1 pixel per sub-step to the right: a mover on the
  // map is carried back against it unless it follows the view.
  cPlayScene& scene = fixture.Scene();
  scene.m_ScrollX.m_dAutoSpeed = 1.0;
  cTestChara& ref = fixture.AddChara(500, 500);
  ChargeStep(vx, vy, nFace, &ref, 100, 100, 130, 140, 5.0, 0, 0, 0);
  EXPECT_EQ(vx, 2.0);
  ref.m_bScrollSync = 1;
  ChargeStep(vx, vy, nFace, &ref, 100, 100, 130, 140, 5.0, 1, 0, 0);
  EXPECT_EQ(vx, 3.0);
  // Following the view without being carried: a velocity whose motion
  // relative to the view is straight toward the target at the speed.
  ChargeStep(vx, vy, nFace, &ref, 100, 100, 100, 140, 5.0, 0, 0, 0);
  EXPECT_TRUE(std::isfinite(vx));
  EXPECT_TRUE(std::isfinite(vy));
}

TEST(GameObjectTest, HitScheduleAndCircleHelpersStayFiniteAtTheirEdges) {
  cPlayFixture fixture({.nLevel = 4});
  double a = 360.0 * 4 - 2;
  const double v = CircleVelocityX(32.0, 90.0, a, 4.0, 0.0);
  EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(a, 2.0);  // wrapped at 360 x N
  EXPECT_EQ(SubstepsToSeconds(240), 1.0);
}

}  // namespace
