// The background layers of a running stage: layers that scroll by
// themselves wrap their offsets by the picture's size, and a layer without a
// picture of any size neither scrolls nor is drawn.

#include <gtest/gtest.h>

#include "platform/draw/tests/bmp_builder.h"
#include "stagedata/stage_globals.h"
#include "testing/play_world.h"

namespace {

std::string Tile(int nWidth, int nHeight) {
  BmpDesc desc;
  desc.nWidth = nWidth;
  desc.nHeight = nHeight;
  desc.colours.assign(256, 0x808080);
  return MakeBmp(desc);
}

cEdBgLayer AutoScrollLayer(const char* pszBitmap, double dSpeedX, double dSpeedY) {
  cEdBgLayer layer;
  layer.m_bFill = 0;
  layer.m_bVisible = 1;
  layer.m_strBitmap = pszBitmap;
  layer.m_bAutoScrollX = layer.m_bAutoScrollY = 1;
  layer.m_dSpeedX = dSpeedX;
  layer.m_dSpeedY = dSpeedY;
  return layer;
}

TEST(BackgroundTest, AutoscrollWrapsByThePictureAndALayerWithoutOneStaysStill) {
  cPlayWorld world({.rows = {"H."}});
  ASSERT_TRUE(world.m_bStarted);
  world.Folder().WriteFile("bmp\\back\\Tile.bmp", Tile(64, 32));
  world.Folder().WriteFile("bmp\\back\\NoWidth.bmp", Tile(0, 32));
  world.Folder().WriteFile("bmp\\back\\NoHeight.bmp", Tile(64, 0));
  struct CASE {
    const char* pszBitmap;
    bool bPicture;
  };
  // Speeds of more than a picture's size in a frame, both ways.
  const CASE cases[] = {
      {"bmp\\back\\Tile.bmp", true},
      {"bmp\\back\\Missing.bmp", false},
      {"bmp\\back\\NoWidth.bmp", false},
      {"bmp\\back\\NoHeight.bmp", false},
  };
  g_Stage.m_vBgLayer.clear();
  for (const CASE& c : cases) g_Stage.m_vBgLayer.push_back(AutoScrollLayer(c.pszBitmap, 100, -45));
  g_StageStart.CopySettingsFrom(g_Stage);

  world.Start();
  ASSERT_TRUE(world.RunUntilPlay());
  for (int i = 0; i < 30; ++i) world.Frame(0, 0);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].pszBitmap);
    const cEdBgLayer& layer = g_Stage.m_vBgLayer[i];
    if (cases[i].bPicture) {
      EXPECT_GE(layer.m_dOffsetX, 0.0);
      EXPECT_LT(layer.m_dOffsetX, 64.0);
      EXPECT_GE(layer.m_dOffsetY, 0.0);
      EXPECT_LT(layer.m_dOffsetY, 32.0);
    } else {
      EXPECT_EQ(layer.m_dOffsetX, 0.0);
      EXPECT_EQ(layer.m_dOffsetY, 0.0);
    }
  }
}

}  // namespace
