// Fire patterns: where the shots of each pattern start and which way they
// fly, the aim at the target, the volleys of a ショット command, the aimed
// shots' target and the limit of objects a run makes.
//
// The shooter is a fixture character at (400, 300) with a 32 x 32 sprite
// (box offset 0), facing left, in the world x 400..431, y 300..331, its
// centre (416, 316); the view stands at (320, 320). Shots are 16 x 16. At
// N = 1 a shot's own velocity is the spawn velocity.

#include "objects/fire_pattern.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "flow/command_table.h"
#include "flow/shot_settings.h"
#include "objects/shot.h"
#include "play/play_scene.h"
#include "records/system.h"
#include "testing/game_folder.h"
#include "testing/play_fixture.h"

namespace {

constexpr double kDegToRad = 0.017453292519943295;

cEdShot Pattern(int nPattern, int nCount, int nDirection, int p0 = 0) {
  cEdShotPtr p;
  CreateShot(p);
  p->m_nPattern = static_cast<uint8_t>(nPattern);
  p->m_nCount = static_cast<uint8_t>(nCount);
  p->m_nDirection = static_cast<uint8_t>(nDirection);
  p->m_anPatternParam[0] = static_cast<int16_t>(p0);
  p->m_nSpeed = 30;  // 3 pixels a frame
  return *p;
}

// The angle a shot flies at (0 left, 90 up, 180 right, 270 down).
double FlightAngle(const cShot& shot) {
  return std::atan2(-shot.m_dBaseVY, -shot.m_dBaseVX) / kDegToRad;
}

// The difference of two angles, -180..180.
double AngleDiff(double a, double b) { return std::remainder(a - b, 360.0); }

std::vector<const cShot*> Shots(const cPlayScene& scene) {
  std::vector<const cShot*> shots;
  for (const cShot& shot : scene.ShotList()) shots.push_back(&shot);
  return shots;
}

struct cPatternWorld {
  cPlayFixture fixture;
  cComChara& shooter = fixture.AddChara(400, 300);
  cPlayScene& scene = fixture.Scene();
};

// 拡散 fans its shots out p0 degrees apart around the firing angle: three
// at 30 degrees toward 右 (180) fly at 150, 180 and 210, two at 165 and 195.
TEST(FirePatternTest, ASpreadFansOutAroundTheFiringAngle) {
  struct CASE {
    int nCount;
    std::vector<double> angles;
  } cases[] = {{3, {150, 180, 210}}, {2, {165, 195}}, {0, {}}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nCount);
    cPatternWorld w;
    FireShots(w.shooter, Pattern(2, c.nCount, 3, 30));
    const std::vector<const cShot*> shots = Shots(w.scene);
    ASSERT_EQ(shots.size(), c.angles.size());
    for (size_t i = 0; i < shots.size(); ++i) {
      EXPECT_NEAR(AngleDiff(FlightAngle(*shots[i]), c.angles[i]), 0.0, 1e-9) << i;
      EXPECT_EQ(shots[i]->m_dX, 432.0);  // the shooter's right edge + 1
      EXPECT_EQ(shots[i]->m_dY, 308.0);  // centred on the shooter
    }
  }
}

// 直進A toward 右 with 3 shots and p0 = 1 stands them in a column beside the
// shooter, 32 pixels apart, centred on its centre: y = 316 - 40, - 8, + 24.
// 爆発 sends 4 shots from the centre at 180, 270, 360 and 450.
TEST(FirePatternTest, ALineStandsAcrossTheFlightAndABurstGoesRound) {
  cPatternWorld w;
  FireShots(w.shooter, Pattern(0, 3, 3, 1));
  std::vector<const cShot*> shots = Shots(w.scene);
  ASSERT_EQ(shots.size(), 3u);
  const double ys[] = {276, 308, 340};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(shots[i]->m_dX, 432.0);
    EXPECT_EQ(shots[i]->m_dY, ys[i]);
    EXPECT_EQ(shots[i]->m_dBaseVX, 3.0);
    EXPECT_EQ(shots[i]->m_dBaseVY, 0.0);
  }

  cPatternWorld burst;
  FireShots(burst.shooter, Pattern(4, 4, 3));
  shots = Shots(burst.scene);
  ASSERT_EQ(shots.size(), 4u);
  const double angles[] = {180, 270, 360, 450};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(shots[i]->m_dX, 408.0);
    EXPECT_EQ(shots[i]->m_dY, 308.0);
    EXPECT_NEAR(AngleDiff(FlightAngle(*shots[i]), angles[i]), 0.0, 1e-9) << i;
  }
}

// 包囲 with p0 = 6 puts its shots on a circle of 96 pixels round the aim
// object's centre, each flying at that centre: toward 右 (180) the first at
// the left, then above, right and below. A coordinate is trunc(96 x cos u
// + 0.5), so the negative side lies a pixel nearer.
TEST(FirePatternTest, ASurroundClosesInOnTheAimObject) {
  cPatternWorld w;
  cEdShot settings = Pattern(5, 4, 3, 6);
  settings.m_nCentre = 2;  // the shooter itself
  FireShots(w.shooter, settings);
  const std::vector<const cShot*> shots = Shots(w.scene);
  ASSERT_EQ(shots.size(), 4u);
  // Offsets of the shots' top-left from (408, 308), the top-left of a shot
  // centred on the shooter, and their velocities.
  const double expected[4][4] = {{-95, 0, 3, 0}, {0, -95, 0, 3}, {96, 0, -3, 0}, {0, 96, 0, -3}};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(shots[i]->m_dX - 408, expected[i][0]);
    EXPECT_EQ(shots[i]->m_dY - 308, expected[i][1]);
    EXPECT_NEAR(shots[i]->m_dBaseVX, expected[i][2], 1e-9);
    EXPECT_NEAR(shots[i]->m_dBaseVY, expected[i][3], 1e-9);
  }
}

// 落雷 toward 下 enters at the top of the view (y 320) over the aim object; the rows
// of a column follow each other p0 half blocks apart, or with no gap with
// the System record's tight rows.
TEST(FirePatternTest, ThunderRowsStackFromTheScreenEdge) {
  for (const int bTight : {0, 1}) {
    SCOPED_TRACE(bTight);
    cPatternWorld w;
    g_System.m_bShotMode = bTight;
    cEdShot settings = Pattern(3, 3, 7, 2);
    settings.m_nCentre = 2;
    settings.m_anPatternParam[1] = 1;
    FireShots(w.shooter, settings);
    const std::vector<const cShot*> shots = Shots(w.scene);
    ASSERT_EQ(shots.size(), 3u);
    const double dGap = bTight ? 0.0 : 32.0;
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(shots[i]->m_dX, 408.0);
      EXPECT_EQ(shots[i]->m_dY, 320.0 + i * (16.0 + dGap));
      EXPECT_EQ(shots[i]->m_dBaseVY, 3.0);
    }
  }
}

// The aim at the target from a point: 270 straight down, 90 up, 180 to the
// right and 360 to the left; without a target straight ahead.
TEST(FirePatternTest, TheAimAngleFacesTheTarget) {
  cPatternWorld w;
  cComChara& target = w.fixture.AddChara(400, 300);
  target.UpdateScreenRect();  // centre (416, 316)
  const cEdShot settings = Pattern(0, 1, 3);
  SHOTSPAWN rec;
  EXPECT_EQ(AimAngle(416, 200, w.shooter, settings, rec), 0);  // no target, facing left
  w.shooter.SetTarget(&target);
  EXPECT_EQ(AimAngle(416, 200, w.shooter, settings, rec), 270);
  EXPECT_EQ(AimAngle(416, 400, w.shooter, settings, rec), 90);
  EXPECT_EQ(AimAngle(300, 316, w.shooter, settings, rec), 180);
  EXPECT_EQ(AimAngle(500, 316, w.shooter, settings, rec), 360);

  // A target that rides a view scrolling right is led: the aim leans to the
  // right of straight down, and the volley takes the speed of that aim.
  w.scene.m_ScrollX.m_dAutoSpeed = 1.0;
  w.scene.m_ScrollX.m_bClamped = 0;
  target.m_bScrollSync = 1;
  rec.dSpeed = 3.0;
  const int nLead = AimAngle(416, 200, w.shooter, settings, rec);
  EXPECT_GT(nLead, 180);
  EXPECT_LT(nLead, 270);
  EXPECT_TRUE(std::isfinite(rec.dSpeed) && rec.dSpeed > 0.0);
  EXPECT_NE(rec.dSpeed, 3.0);
}

// Repeat count 2 fires three volleys in one go, volley i at speed (speed +
// speed step x i) x 0.1, angle + angle step x i and offset + offset step x
// i; the volley's index is the shot's level.
TEST(FirePatternTest, VolleysStepTheirSpeedAngleAndOffset) {
  cPatternWorld w;
  cEdShot settings = Pattern(2, 1, 3);
  settings.m_nRepeat = 2;
  settings.m_nSpeedStep = 10;
  settings.m_nAngle = 10;
  settings.m_nAngleStep = 5;
  settings.m_nOffsetY = 4;
  settings.m_nOffsetStepY = 2;
  FireShots(w.shooter, settings);
  const std::vector<const cShot*> shots = Shots(w.scene);
  ASSERT_EQ(shots.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const cShot& shot = *shots[static_cast<size_t>(i)];
    EXPECT_EQ(shot.m_sCopyIndex, i);
    const double dSpeed = std::hypot(shot.m_dBaseVX, shot.m_dBaseVY);
    EXPECT_NEAR(dSpeed, 3.0 + i, 1e-9);
    EXPECT_NEAR(AngleDiff(FlightAngle(shot), 190.0 + 5 * i), 0.0, 1e-9);
    EXPECT_EQ(shot.m_dY, 308.0 + 4 + 2 * i);
  }
}

// A shot of type 3 (ターゲットを狙う) keeps the shooter's target and is
// entered in the target's list of aimed shots; a straight shot has none.
TEST(FirePatternTest, OnlyTargetShotsKeepTheirTarget) {
  cPatternWorld w;
  cComChara& target = w.fixture.AddChara(100, 300, 16, 24, 2);
  w.shooter.SetTarget(&target);
  cEdShot settings = Pattern(0, 2, 3);
  settings.m_nMoveType = SHOTMOVE_AIM_TARGET;
  FireShots(w.shooter, settings);
  settings.m_nMoveType = SHOTMOVE_STRAIGHT;
  FireShots(w.shooter, settings);
  const std::vector<const cShot*> shots = Shots(w.scene);
  ASSERT_EQ(shots.size(), 4u);
  EXPECT_EQ(shots[0]->m_nTargetId, target.m_nId);
  EXPECT_EQ(shots[1]->m_nTargetId, target.m_nId);
  EXPECT_EQ(shots[2]->m_nTargetId, -1);
  EXPECT_EQ(target.m_vShots, (std::vector<int32_t>{shots[0]->m_nId, shots[1]->m_nId}));
}

// Stored counts multiply (rows x columns x volleys): one run makes at most
// kMaxSpawnsPerRun objects, with one report-log line, and ends at once.
TEST(FirePatternTest, ARunMakesAtMostItsLimitOfObjects) {
  cTestGameFolder folder;
  cPatternWorld w;
  cEdShot settings = Pattern(3, 127, 7, 0);
  settings.m_nCentre = 2;
  settings.m_anPatternParam[1] = 30000;  // columns
  settings.m_nRepeat = 127;
  FireShots(w.shooter, settings);
  FireShots(w.shooter, settings);
  EXPECT_EQ(w.scene.ShotList().size(), 2u * kMaxSpawnsPerRun);
  EXPECT_EQ(folder.ReportLogLineCount("the rest is left out"), 1);
}

// 直進B toward 上 from a shooter facing left stands at its left, the first
// shot's bottom on the shooter's bottom row and the next ones above it.
// With the line-rotation switch, 直進A puts its first shot on the circle
// round the shooter: its centre (sw + w) / 2 = 24 pixels from the
// shooter's centre in the firing direction (210: right and down).
TEST(FirePatternTest, LineBGrowsUpAtTheSideAndARotatedLineStartsOnTheCircle) {
  cPatternWorld w;
  FireShots(w.shooter, Pattern(1, 3, 6));
  std::vector<const cShot*> shots = Shots(w.scene);
  ASSERT_EQ(shots.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(shots[i]->m_dX, 385.0);
    EXPECT_EQ(shots[i]->m_dBottom, 331.0 - 16.0 * i);
    EXPECT_EQ(shots[i]->m_dBaseVY, -3.0);
  }

  cPatternWorld rotated;
  cEdShot settings = Pattern(0, 1, 3);
  settings.m_bAngledRow = 1;
  settings.m_nAngle = 30;
  FireShots(rotated.shooter, settings);
  shots = Shots(rotated.scene);
  ASSERT_EQ(shots.size(), 1u);
  const double a = 210 * kDegToRad;
  EXPECT_NEAR(shots[0]->m_dX + 8, 416 - 24 * std::cos(a), 1.0);
  EXPECT_NEAR(shots[0]->m_dY + 8, 316 - 24 * std::sin(a), 1.0);
  EXPECT_NEAR(AngleDiff(FlightAngle(*shots[0]), 210), 0.0, 1e-9);
}

// A pattern or an aim object the tables do not have places nothing, with
// one report-log line an attempt; an unknown movement type flies straight.
TEST(FirePatternTest, UnknownNumbersAreReportedOnce) {
  cTestGameFolder folder;
  cPatternWorld w;
  cEdShot settings = Pattern(9, 1, 3);
  FireShots(w.shooter, settings);
  FireShots(w.shooter, settings);
  settings = Pattern(5, 1, 3);
  settings.m_nCentre = 7;
  FireShots(w.shooter, settings);
  FireShots(w.shooter, settings);
  EXPECT_TRUE(w.scene.ShotList().empty());
  settings = Pattern(0, 1, 3);
  settings.m_nMoveType = 40;
  FireShots(w.shooter, settings);
  FireShots(w.shooter, settings);
  ASSERT_EQ(w.scene.ShotList().size(), 2u);
  cShot& shot = w.scene.Shots().front();
  EXPECT_EQ(shot.Update(), 0);
  EXPECT_EQ(shot.m_dVX, 3.0);
  EXPECT_EQ(folder.ReportLogLineCount("fire pattern 9 unknown"), 1);
  EXPECT_EQ(folder.ReportLogLineCount("aim object 7"), 1);
  EXPECT_EQ(folder.ReportLogLineCount("movement type 40 unknown"), 1);
}

}  // namespace
