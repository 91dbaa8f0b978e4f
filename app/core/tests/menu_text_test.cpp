// The slot list as the menus draw it, on the 8-bit surface back end with the
// deterministic pattern rasteriser.

#include "app/core/menu_text.h"

#include <gtest/gtest.h>

#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/font/font.h"
#include "platform/draw/font/font_raster.h"
#include "testing/game_folder.h"

namespace {

constexpr int kText = 241;

class SaveSlotDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DDResetForTests();
    SetRasterizerFactory(
        [](const std::string&, int nHeight) { return std::make_unique<cBoxRasterizer>(nHeight); });
    ASSERT_TRUE(DDInit(0, nullptr, 640, 480, 8, 0, 0, 1, 60, 0, nullptr, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&m_target, 640, 480, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
    DDPalFillSurface(&m_target, 0);
    ASSERT_TRUE(m_font.Create("ＭＳ ゴシック", 0, 16, 8, 16, kText, -1, 0, 250, -1, 1));
  }
  void TearDown() override {
    m_font.Release();
    DDReleaseSurface(&m_target);
    DDRelease();
    DDResetForTests();
    SetRasterizerFactory(nullptr);
  }
  // Pixels of one colour index inside a rectangle.
  int Count(int x0, int y0, int x1, int y1, uint8_t nIndex) {
    cSurfaceLock lock(&m_target);
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += lock.Row<uint8_t>(y)[x] == nIndex;
    return n;
  }
  cTestGameFolder m_folder;
  DDSURFACEDATA m_target;
  Font m_font;
};

TEST_F(SaveSlotDrawTest, ListCutShortByTheLastSlotKeepsItsFrameAndSeparators) {
  cCheckedVector<cSaveSlot> slots(kSaveSlotCount);
  slots.At(96).m_bUsed = 1;
  slots.At(96).m_SaveTime = SAVETIME{2024, 3, 6, 2, 9, 5, 0, 0};
  DrawSaveSlotList(m_font, &m_target, 0, 0, slots, 95, 6);
  for (int i = 0; i < 6; ++i) {
    const int y = 16 * i;
    // A separator under every line but the last, drawn even past the slots
    // (text of the line above may cover part of it).
    const int nSeparator = Count(0, y + 15, 320, y + 16, 240);
    if (i == 5)
      EXPECT_EQ(nSeparator, 0);
    else
      EXPECT_GE(nSeparator, 200) << i;
    // Slot numbers 96..99 on the first four lines only; a date on line 1.
    EXPECT_EQ(Count(16, y, 48, y + 15, kText) > 0, i < 4) << i;
    EXPECT_EQ(Count(64, y, 320, y + 15, kText) > 0, i == 1) << i;
  }
}

}  // namespace
