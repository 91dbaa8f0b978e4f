// Effects and pictures in a running stage: where a hit's spark lands, how
// long each frame of an effect shows, how frozen frames hold them still
// (all but the one that stops the game) and leave what ended listed until
// the game runs again, pictures that count down or stay fixed on the
// screen, and a picture's surface brought back after the display lost it.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/base/random.h"
#include "flow/runtime/effect_commands.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/devices/ddraw_device.h"
#include "play/tests/effect_world.h"

namespace {

// A ピクチャーの表示 command: picture n at screen dots (x, y), the rest as given.
cFlowCommand Picture(int nPicture, int x, int y,
                     std::initializer_list<std::pair<int, int>> params) {
  cFlowCommand cmd = MakeCommand(CMD_SHOW_PICTURE, 0);
  cmd.m_Params.At(0) = nPicture;
  cmd.m_Params.At(1) = 3;  // screen cells and dots
  cmd.m_Params.At(4) = x;
  cmd.m_Params.At(5) = y;
  cmd.m_Params.At(7) = 100;
  for (const auto& [i, v] : params) cmd.m_Params.At(i) = v;
  return cmd;
}

constexpr int kLayer = 6, kDisplay = 8, kTime = 9, kStop = 10, kFix = 11;

TEST(EffectObjectTest, AHitSparkLandsAroundTheOverlapWithinFourPixelsTimesTheScale) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  const DRECT damaged{100, 200, 139, 239};
  const DRECT attacker{120, 210, 159, 259};  // overlap (120, 210)-(139, 239)
  const DRECT apart{300, 300, 310, 310};
  struct Case {
    int nEffect, nScale;
    int w, h, k;
  } const cases[] = {
      {1, 3, 32, 16, 1},  // the row does not grow with the attacker
      {3, 3, 99, 60, 3},
      {3, 1, 33, 20, 1},
      {3, 0, 33, 20, 1},  // a scale below 1 counts as 1
  };
  SeedRand(7);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "effect " << c.nEffect << " scale " << c.nScale);
    int nMinX = 1000, nMaxX = -1000, nMinY = 1000, nMaxY = -1000;
    for (int i = 0; i < 2000; ++i) {
      cEffectObject spark;
      spark.CreateHitEffect(c.nEffect, damaged, attacker, c.nScale);
      ASSERT_EQ(spark.m_nWidth, c.w);
      ASSERT_EQ(spark.m_nHeight, c.h);
      ASSERT_EQ(spark.m_bScaled, c.k > 1 ? 1 : 0);
      const int dx = static_cast<int>(spark.m_dX) - (130 - c.w / 2);
      const int dy = static_cast<int>(spark.m_dY) - (225 - c.h / 2);
      nMinX = std::min(nMinX, dx), nMaxX = std::max(nMaxX, dx);
      nMinY = std::min(nMinY, dy), nMaxY = std::max(nMaxY, dy);
    }
    EXPECT_EQ(nMinX, -4 * c.k);
    EXPECT_EQ(nMaxX, 4 * c.k);
    EXPECT_EQ(nMinY, -4 * c.k);
    EXPECT_EQ(nMaxY, 4 * c.k);
  }
  // Boxes that do not meet put the spark around the stage's origin.
  cEffectObject spark;
  spark.CreateHitEffect(1, damaged, apart, 1);
  EXPECT_LE(std::abs(spark.m_dX + 16), 4);
  EXPECT_LE(std::abs(spark.m_dY + 8), 4);
}

TEST(EffectObjectTest, EachFrameShowsForItsTimeAndTheEffectEndsAfterItsLength) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  const double sx = w.Scene().m_ScrollX.m_dPos, sy = w.Scene().m_ScrollY.m_dPos;
  EXPECT_EQ(cEffectObject::Length(1), 12);
  EXPECT_EQ(cEffectObject::Length(2), 0);

  cEffectObject spark(1, sx + 100, sy + 100, 32, 16, 0);
  EXPECT_EQ(spark.m_bScaled, 0);
  std::vector<int> shown;
  int nEnd = 0;
  for (int i = 1; i <= 20 && !nEnd; ++i) {
    if (spark.Draw(&g_BackBufferSD, 0)) {
      nEnd = i;
    } else {
      const uint32_t rgb = BackBufferRgb(110, 105);
      shown.push_back(rgb == WorldRgb(kSparkColour)       ? 0
                      : rgb == WorldRgb(kSparkColour + 1) ? 1
                                                          : -1);
    }
  }
  // A tenth is 6 frames; the first step shows once less.
  EXPECT_EQ(shown, (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(nEnd, 12);

  // Drawn at another size than its cell, the cell is stretched.
  cEffectObject big(1, sx + 200, sy + 100, 64, 32, 0);
  EXPECT_EQ(big.m_bScaled, 1);
  EXPECT_EQ(big.Draw(&g_BackBufferSD, 0), 0);
  EXPECT_EQ(BackBufferRgb(263, 131), WorldRgb(kSparkColour));
  EXPECT_NE(BackBufferRgb(264, 131), WorldRgb(kSparkColour));

  // Without frames an effect is over at its first draw.
  cEffectObject empty(2, sx, sy, 32, 32, 0);
  EXPECT_EQ(empty.Draw(&g_BackBufferSD, 0), 1);
}

TEST(EffectObjectTest, FrozenFramesHoldEffectsButTheOneThatStopsTheGame) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  cEffectObject still(1, 0, 0, 32, 16, 0);
  for (int i = 0; i < 30; ++i) ASSERT_EQ(still.Draw(&g_BackBufferSD, 1), 0);
  EXPECT_EQ(still.m_Anime.m_nFrame, 0);
  EXPECT_EQ(still.m_Anime.m_nTick, 0);
  cEffectObject stopper(1, 0, 0, 32, 16, 1);
  int nEnd = 0;
  for (int i = 1; i <= 20 && !nEnd; ++i)
    if (stopper.Draw(&g_BackBufferSD, 1)) nEnd = i;
  EXPECT_EQ(nEnd, 12);
}

TEST(EffectListTest, WhatEndsInAFrozenFrameStaysListedUntilTheGameRuns) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  scene.m_EffectList.emplace_back(1, 0, 0, 32, 16, 1);  // stops the game
  scene.m_EffectList.emplace_back(2, 0, 0, 32, 16, 0);  // no frames
  scene.m_EffectList.emplace_back(1, 0, 0, 32, 16, 0);
  DoShowPicture(w.Hero(), Picture(1, 0, 0, {{kDisplay, PICDISPLAY_TIME}, {kTime, 1}}));
  scene.m_PictureList.front().m_bStopsGame = 1;  // counts down while frozen
  ASSERT_EQ(scene.m_PictureList.size(), 1u);

  for (int i = 0; i < 20; ++i) scene.DrawFrame(0, 1, 0, 1);
  ASSERT_EQ(scene.m_EffectList.size(), 3u);
  auto it = scene.m_EffectList.begin();
  EXPECT_EQ(it->m_bEnded, 1);
  EXPECT_EQ((++it)->m_bEnded, 1);
  EXPECT_EQ((++it)->m_bEnded, 0);
  ASSERT_EQ(scene.m_PictureList.size(), 1u);
  EXPECT_EQ(scene.m_PictureList.front().m_bEnded, 1);

  w.m_world.Frame(0, 0);
  EXPECT_EQ(scene.m_EffectList.size(), 1u);
  EXPECT_EQ(scene.m_EffectList.front().m_bEnded, 0);
  EXPECT_TRUE(scene.m_PictureList.empty());
}

TEST(PictureObjectTest, ATimedPictureShowsItsFramesAndAFixedOneKeepsItsScreenPlace) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  DoShowPicture(w.Hero(), Picture(1, 100, 100, {{kDisplay, PICDISPLAY_TIME}, {kTime, 5}}));
  ASSERT_EQ(scene.m_PictureList.size(), 1u);
  int nDrawn = 0;
  for (int i = 0; i < 40 && !scene.m_PictureList.empty(); ++i) {
    w.m_world.Frame(0, 0);
    nDrawn += scene.m_PictureList.empty() ? 0 : 1;
  }
  EXPECT_EQ(nDrawn, 30);

  // Shown until the stage ends: one fixed on the screen, one in the stage,
  // one in front of the stage that the back pass leaves alone.
  DoShowPicture(w.Hero(), Picture(1, 100, 100, {{kDisplay, PICDISPLAY_STAGE}, {kFix, 1}}));
  DoShowPicture(w.Hero(), Picture(2, 200, 100, {{kDisplay, PICDISPLAY_STAGE}}));
  DoShowPicture(w.Hero(), Picture(2, 300, 100, {{kDisplay, PICDISPLAY_STAGE}, {kLayer, 1}}));
  ASSERT_EQ(scene.m_PictureList.size(), 3u);
  DDPalFillSurface(&g_BackBufferSD, 1);
  scene.DrawPictures(&g_BackBufferSD, 0, 0);
  EXPECT_EQ(BackBufferRgb(100, 100), WorldRgb(kPictureColour));
  EXPECT_EQ(BackBufferRgb(200, 100), WorldRgb(kSmallPictureColour));
  EXPECT_EQ(BackBufferRgb(300, 100), WorldRgb(1));
  scene.m_ScrollX.m_dPos += 64.7;
  scene.m_ScrollY.m_dPos += 3;
  DDPalFillSurface(&g_BackBufferSD, 1);
  scene.DrawPictures(&g_BackBufferSD, 0, 0);
  EXPECT_EQ(BackBufferRgb(100, 100), WorldRgb(kPictureColour));
  EXPECT_EQ(BackBufferRgb(123, 107), WorldRgb(kPictureColour));
  EXPECT_EQ(BackBufferRgb(200 - 64, 100 - 3), WorldRgb(kSmallPictureColour));
  EXPECT_EQ(BackBufferRgb(200 - 65, 100 - 3), WorldRgb(1));
}

TEST(PictureObjectTest, APictureGetsItsSurfaceBackAfterTheDisplayLostIt) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  DoShowPicture(w.Hero(), Picture(1, 100, 100, {{kDisplay, PICDISPLAY_STAGE}}));
  ASSERT_EQ(scene.m_PictureList.size(), 1u);
  DDSURFACEDATA& surface = scene.m_PictureList.front().m_Surface;
  g_lpDD->InjectSurfaceLoss();
  ASSERT_EQ(surface.DDSurface()->IsLost(), DDERR_SURFACELOST);
  ASSERT_TRUE(DDRestore());
  EXPECT_TRUE(scene.RestoreOwnSurfaces());
  EXPECT_EQ(surface.DDSurface()->IsLost(), DD_OK);
  DDPalFillSurface(&g_BackBufferSD, 1);
  scene.DrawPictures(&g_BackBufferSD, 0, 0);
  EXPECT_EQ(BackBufferRgb(110, 104), WorldRgb(kPictureColour));
}

}  // namespace
