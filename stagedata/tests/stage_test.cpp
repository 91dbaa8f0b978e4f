// The stage record: a new stage, the sub-step values of the collision level,
// validation and the hero.

#include <gtest/gtest.h>

#include <limits>

#include "stagedata/tests/stage_generator.h"
#include "stagedata/tests/stage_test_util.h"
#include "testing/record_bytes.h"

namespace {

TEST(StageTest, NewStageDefaults) {
  cEdStage stage;
  EXPECT_EQ(stage.m_nFrameRate, 60);
  EXPECT_EQ(stage.m_dGravity, 0.4);
  EXPECT_EQ(stage.m_nCollisionLevel, 10);
  EXPECT_EQ(stage.m_bTimeLimit, 0);
  EXPECT_EQ(stage.m_nTimeLimit, 200);
  EXPECT_EQ(stage.m_nTimeWarning, 20);
  ASSERT_EQ(stage.m_vBgLayer.size(), 1u);
  EXPECT_EQ(stage.m_vBgLayer[0].m_bFill, 1);
  EXPECT_EQ(stage.m_vBgLayer[0].m_nFillColour, 16);
  EXPECT_EQ(stage.m_vResultItem, cCheckedVector<int32_t>(5, 1));
  EXPECT_EQ(stage.m_vBlock.size(), 1u);
  EXPECT_EQ(stage.m_vChara.size(), 1u);
  EXPECT_EQ(stage.m_vItem.size(), 1u);
  EXPECT_EQ(stage.m_EraseChara.m_bLeft + stage.m_EraseChara.m_bBottom, 0);
  EXPECT_EQ(stage.m_EraseShot0.m_bTop, 1);
  EXPECT_EQ(stage.m_EraseShot0.m_nTop, 0);
  EXPECT_EQ(stage.m_EraseShot1.m_bRight, 1);
  EXPECT_EQ(stage.m_EraseShot1.m_nRight, 10);
  EXPECT_EQ(stage.m_nItemBoxW, 28);
  EXPECT_EQ(stage.m_nComBox1H, 30);
  EXPECT_EQ(stage.m_nReserved7, 1);
  EXPECT_EQ(stage.m_nHeroImmunity, 30);
  EXPECT_EQ(stage.m_bActiveOnly, 1);
  stage.RegisterFields(DATA_VERSION);
  EXPECT_EQ(stage.FieldList().size(), 98u);
}

// The record part of a version-154 file, written field by field as that
// version's editor laid it out: settings added later are absent and the
// others follow one another without gaps.
TEST(StageTest, RecordPartOfAnOldVersionLandsInItsMembers) {
  std::vector<int> present;
  for (int f = 1; f <= 98; ++f) {
    const bool bLater = f == 25 || f == 26 || f == 30 || f == 31 || f == 33 ||
                        (f >= 36 && f <= 39) || f == 42 || f == 43 || (f >= 48 && f <= 52) ||
                        f == 56 || (f >= 60 && f <= 63) || f == 66 || f == 67 ||
                        (f >= 70 && f <= 73);
    if (!bLater) present.push_back(f);
  }
  ASSERT_EQ(present.size(), 71u);
  cRecordBytes bytes;
  bytes.Fields(71);
  for (int f : present) {
    if (f == 21 || (f >= 88 && f <= 92)) {
      bytes.f64(f + 0.5);
    } else {
      bytes.i32(1000 + f);
    }
  }
  bytes.Strings(1).str("古いステージ");
  cRecordGlobalsGuard guard;
  g_nFileVersion = 154;
  cEdStage stage;
  cRecordReader reader(bytes.Bytes(), "t");
  stage.cRecord::Load(reader);
  ASSERT_FALSE(reader.Failed());
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(stage.m_nWidth, 1001);
  EXPECT_EQ(stage.m_dGravity, 21.5);
  EXPECT_EQ(stage.m_nBgm, 1024);
  EXPECT_EQ(stage.m_bZLayers, 1027);
  EXPECT_EQ(stage.m_bShowGameOver, 1035);
  EXPECT_EQ(stage.m_nHeroBox0WalkW, 1040);
  EXPECT_EQ(stage.m_nHeroBoxExH, 1047);
  EXPECT_EQ(stage.m_nShowBoxA, 1053);
  EXPECT_EQ(stage.m_nBoxCColour, 1059);
  EXPECT_EQ(stage.m_nComBox0WalkW, 1064);
  EXPECT_EQ(stage.m_nComBox1H, 1069);
  EXPECT_EQ(stage.m_nItemBoxW, 1074);
  EXPECT_EQ(stage.m_nReserved7, 1084);
  EXPECT_EQ(stage.m_nScrollMarginY, 1086);
  EXPECT_EQ(stage.m_dSpeedCapPerStep, 92.5);
  EXPECT_EQ(stage.m_bActiveOnly, 1094);
  EXPECT_EQ(stage.m_nComInvincible, 1098);
  EXPECT_EQ(stage.m_strName, "古いステージ");
}

TEST(StageTest, CollisionLevelSetsTheSubSteps) {
  struct Case {
    int nLevel, nSubSteps;
    double dMaxSpeed, dCap, dAccel;
  } const cases[] = {
      {1, 1, 6, 6, 0.4},           {5, 5, 30, 6, 0.4 / 25},   {10, 10, 60, 6, 0.4 / 100},
      {11, 1, 60, 60, 0.4},        {15, 5, 60, 12, 0.4 / 25}, {19, 9, 60, 60.0 / 9, 0.4 / 81},
      {20, 20, 120, 6, 0.4 / 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nLevel);
    cEdStage stage;
    stage.SetCollisionLevel(c.nLevel);
    EXPECT_EQ(stage.m_nSubStep, c.nSubSteps);
    EXPECT_EQ(stage.m_dSubStep, c.nSubSteps);
    EXPECT_EQ(stage.m_nSubStep8, 8 * c.nSubSteps);
    EXPECT_EQ(stage.m_nMaxSpeedInt, 6 * c.nSubSteps);
    EXPECT_DOUBLE_EQ(stage.m_dMaxSpeed, c.dMaxSpeed);
    EXPECT_DOUBLE_EQ(stage.m_dSpeedCapPerStep, c.dCap);
    EXPECT_DOUBLE_EQ(stage.m_dAccelPerStep, c.dAccel);
  }
}

// Validation keeps what play builds from a stage within reach: no level
// without sub-steps (division by zero) or with countless ones, no map grid
// larger than play can allocate.
TEST(StageTest, ValidationBoundsLevelAndMapSize) {
  struct Case {
    int nLevel, nWidth, nHeight;
    int nLevelAfter, nWidthAfter;
  } const cases[] = {
      {0, 30, 15, 1, 30},
      {-7, 30, 15, 1, 30},
      {2000000000, 30, 15, kMaxCollisionLevel, 30},
      {10, -5, -5, 10, 0},
      {10, 2000000000, 20, 10, kMaxStageWidth},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.nLevel << " " << c.nWidth << "x" << c.nHeight);
    cEdStage stage;
    stage.m_nCollisionLevel = c.nLevel;
    stage.m_nWidth = c.nWidth;
    stage.m_nHeight = c.nHeight;
    stage.Validate(GeneratorRefs(nullptr, nullptr));
    EXPECT_EQ(stage.m_nCollisionLevel, c.nLevelAfter);
    EXPECT_GE(stage.m_nSubStep, 1);
    EXPECT_EQ(stage.m_nWidth, c.nWidthAfter);
    EXPECT_GE(stage.m_nHeight, 0);
    const int64_t nCells = (int64_t{stage.m_nHeight} + 20) << MapPitchShift(stage.m_nWidth);
    EXPECT_LE(nCells, kMaxMapGridCells);
  }
}

TEST(StageTest, ValidationRepairsValuesPlayDividesByOrTruncates) {
  cEdStage stage;
  stage.m_nFrameRate = 0;
  stage.m_nHitSteps = -3;
  stage.m_dGravity = std::numeric_limits<double>::quiet_NaN();
  stage.m_vBgLayer[0].m_dSpeedX = std::numeric_limits<double>::infinity();
  stage.m_vBgLayer[0].m_dOffsetY = -std::numeric_limits<double>::quiet_NaN();
  stage.Validate(GeneratorRefs(nullptr, nullptr));
  EXPECT_EQ(stage.m_nFrameRate, 1);
  EXPECT_EQ(stage.m_nHitSteps, 0);
  EXPECT_EQ(stage.m_dGravity, 0.4);
  EXPECT_EQ(stage.m_dAccelPerStep, 0.4 / 100);
  EXPECT_EQ(stage.m_vBgLayer[0].m_dSpeedX, 0.1);
  EXPECT_EQ(stage.m_vBgLayer[0].m_dOffsetY, 0);
  stage.SetCollisionLevel(0);  // play's own call is bounded as well
  EXPECT_EQ(stage.m_nSubStep, 1);
}

TEST(StageTest, MapPitchIsTheSmallestPowerOfTwoForTheRow) {
  EXPECT_EQ(1 << MapPitchShift(12), 32);
  EXPECT_EQ(1 << MapPitchShift(13), 64);
  EXPECT_EQ(1 << MapPitchShift(44), 64);
  EXPECT_EQ(1 << MapPitchShift(0), 32);
}

TEST(StageTest, ValidationClampsScrollLimitsAndPadsPalettes) {
  cEdStage stage;
  stage.m_nWidth = 30;
  stage.m_nHeight = 15;
  stage.m_nScrollLimitL = 25;
  stage.m_nScrollLimitR = 40;
  stage.m_nScrollLimitT = -4;
  stage.m_nBgm = 8;  // the generator's Bgm table has 8 rows
  stage.m_vBlock.clear();
  stage.m_vItem.resize(5);
  stage.Validate(GeneratorRefs(nullptr, nullptr));
  EXPECT_EQ(stage.m_nScrollLimitL, 10);
  EXPECT_EQ(stage.m_nScrollLimitR, 29);
  EXPECT_EQ(stage.m_nScrollLimitT, -4);  // no lower clamp
  EXPECT_EQ(stage.m_nBgm, 0);
  EXPECT_EQ(stage.m_vBlock.size(), 2u);
  EXPECT_EQ(stage.m_vChara.size(), 2u);
  EXPECT_EQ(stage.m_vItem.size(), 5u);
}

TEST(StageTest, HeroIsTheFirstPlayerCharacterWithAGraphic) {
  cEdStage stage;
  stage.m_vPlacedChara.resize(4);
  stage.m_vPlacedChara[0].m_nGraphic = 3;              // a computer character
  stage.m_vPlacedChara[1].m_nKind = CHARAKIND_PLAYER;  // without a graphic
  EXPECT_EQ(stage.FindHero(), -1);
  EXPECT_FALSE(stage.HasHero());
  stage.m_vPlacedChara[3].m_nKind = CHARAKIND_PLAYER;
  stage.m_vPlacedChara[3].m_nGraphic = 1;
  EXPECT_EQ(stage.FindHero(), 3);
  stage.m_vPlacedChara[2] = stage.m_vPlacedChara[3];
  EXPECT_EQ(stage.FindHero(), 2);
}

TEST(StageTest, CarriedItemIsAPlacedItemOrNone) {
  cEdStage stage;
  stage.m_vPlacedItem.resize(2);
  cEdChara chara;
  EXPECT_EQ(stage.GetCarriedItem(chara), nullptr);  // a new definition carries none
  for (int n : {-1, 2, 100}) {
    chara.m_nPlaceData = n;
    EXPECT_EQ(stage.GetCarriedItem(chara), nullptr) << n;
  }
  chara.m_nPlaceData = 1;
  EXPECT_EQ(stage.GetCarriedItem(chara), &stage.m_vPlacedItem[1]);
}

}  // namespace
