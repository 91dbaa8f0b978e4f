#include "app/core/colour_animation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/base/message_box.h"
#include "app/core/surface_tables.h"
#include "platform/draw/dd_blend.h"
#include "platform/draw/tests/bmp_builder.h"
#include "platform/draw/tests/draw_fixture.h"
#include "records/system.h"
#include "testing/record_guard.h"

namespace {

class ColourAnimationTest : public testing::Test {
 protected:
  cRecordGlobalsGuard m_recordGuard;
  cResetGuard<&ResetColourAnimation> m_animationGuard;
};

// The red byte of an entry's colour.
int Red(int k) { return static_cast<int>(g_AnimatedColours[k].dwColor >> 16 & 0xFF); }

// An 8-bit palette picture whose colour i is (i, 255 - i, i / 2).
std::string PalettePicture() {
  BmpDesc desc;
  for (uint32_t i = 0; i < 256; ++i) desc.colours.push_back(i << 16 | (255 - i) << 8 | i / 2);
  return MakeBmp(desc);
}

}  // namespace

TEST_F(ColourAnimationTest, PingPongTurnsBeforeEitherLimit) {
  int v = 0, d = 0;
  std::vector<int> seen;
  int nTurnsAtBottom = 0;
  for (int i = 0; i < 34; ++i) {
    seen.push_back(v);
    nTurnsAtBottom += PingPong(v, d, 16, 0, 255);
  }
  // 0, 16, ..., 240, 240, 224, ..., 16, 16, 32
  EXPECT_EQ(seen[15], 240);
  EXPECT_EQ(seen[16], 240);
  EXPECT_EQ(seen[17], 224);
  EXPECT_EQ(seen[30], 16);
  EXPECT_EQ(seen[31], 16);
  EXPECT_EQ(seen[32], 32);
  EXPECT_EQ(nTurnsAtBottom, 1);
}

TEST_F(ColourAnimationTest, TexturedBackEndPulsesNineColours) {
  cDrawLibrary lib(eBackend::Gpu32);
  ASSERT_TRUE(lib.m_bStarted);
  // Step 0: everything stays black.
  g_System.m_nColourStep = 0;
  for (int i = 0; i < 3; ++i) AnimateColours();
  for (int k = 0; k < kAnimatedColourCount; ++k)
    EXPECT_EQ(g_AnimatedColours[k].dwColor, 0xFF000000u) << k;
  EXPECT_EQ(g_AnimatedColours[1].nOperation, 10);
  EXPECT_EQ(g_AnimatedColours[2].nOperation, 7);

  ResetColourAnimation();
  g_System.m_nColourStep = 16;
  std::vector<int> reds;
  uint32_t dwFirstCycle = 0, dwAfterTurn = 0;
  for (int i = 0; i < 34; ++i) {
    AnimateColours();
    reds.push_back(Red(2));
    if (i == 1) dwFirstCycle = g_AnimatedColours[8].dwColor;
    if (i == 33) dwAfterTurn = g_AnimatedColours[8].dwColor;
  }
  EXPECT_EQ(reds[0], 0);  // an entry shows the value before its step
  EXPECT_EQ(reds[15], 240);
  EXPECT_EQ(reds[17], 224);
  EXPECT_EQ(reds[33], 48);
  EXPECT_EQ(g_AnimatedColours[6].dwColor, 0xFF000000u | 48u << 16 | 12u);  // red v, blue v / 4
  // Entry 8 is red until its value turns at the bottom, then green.
  EXPECT_EQ(dwFirstCycle, 0xFF100000u);
  EXPECT_EQ(dwAfterTurn, 0xFF003000u);
}

TEST_F(ColourAnimationTest, EightBitPaletteRotatesEverySixthFrameOnly) {
  g_System.m_bColourCycle = 1;
  for (eBackend b : {eBackend::DD16, eBackend::DD32, eBackend::DD8}) {
    cDrawLibrary lib(b);
    ASSERT_TRUE(lib.m_bStarted) << BackendName(b);
    for (int i = 0; i < 256; ++i) g_PaletteBase[i] = PALENTRY{static_cast<uint8_t>(i), 0, 0, 0};
    for (int i = 0; i < 5; ++i) AnimateColours();
    EXPECT_EQ(g_PaletteBase[208].peRed, 208) << BackendName(b);
    AnimateColours();
    const bool b8 = b == eBackend::DD8;
    // Each group of four moves one place toward the lower index.
    EXPECT_EQ(g_PaletteBase[208].peRed, b8 ? 209 : 208) << BackendName(b);
    EXPECT_EQ(g_PaletteBase[211].peRed, b8 ? 208 : 211) << BackendName(b);
    EXPECT_EQ(g_PaletteBase[239].peRed, b8 ? 236 : 239) << BackendName(b);
    EXPECT_EQ(g_PaletteBase[240].peRed, 240) << BackendName(b);
    for (int k = 0; k < kAnimatedColourCount; ++k)
      EXPECT_EQ(g_AnimatedColours[k].dwColor, 0xFF000000u) << k;
    ResetColourAnimation();
  }
}

TEST_F(ColourAnimationTest, HbtPaletteRearrangesTheTwelveColourBlocks) {
  cTestGameFolder folder;
  cDrawLibrary lib(eBackend::DD8);
  ASSERT_TRUE(lib.m_bStarted);
  folder.WriteFile("bmp\\plt\\Palette.bmp", PalettePicture());
  folder.WriteFile("bmp\\hbt\\hbt00.dat", std::string(65536, '\x07'));
  folder.WriteFile("bmp\\hbt\\hbt01.dat", std::string(65536, '\x01'));
  folder.WriteFile("bmp\\hbt\\hbt12.dat", std::string(100, '\x02'));

  ASSERT_EQ(LoadHbtPalette(0), 1);
  EXPECT_EQ(g_BlendTable[65535], 7);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(g_PaletteBase[i].peRed, i) << i;

  ASSERT_EQ(LoadHbtPalette(1), 1);  // block 1 first, block 0 at the end
  EXPECT_EQ(g_PaletteBase[16].peRed, 32);
  EXPECT_EQ(g_PaletteBase[207].peRed, 31);
  EXPECT_EQ(g_PaletteBase[208].peRed, 208);

  ASSERT_EQ(LoadHbtPalette(12), 1);  // every block a copy of entries 16..31
  for (int i = 16; i < 208; ++i) EXPECT_EQ(g_PaletteBase[i].peRed, 16 + (i - 16) % 16) << i;
  EXPECT_EQ(g_BlendTable[0], 2);
  EXPECT_EQ(g_BlendTable[65535], 1);  // a short file leaves the rest

  std::vector<std::string> boxes;
  SetMessageBoxProvider([&](const std::string& strText, const std::string&, MsgBoxType) {
    boxes.push_back(strText);
    return kMsgBoxOk;
  });
  EXPECT_EQ(LoadHbtPalette(5), 0);
  EXPECT_EQ(boxes, std::vector<std::string>{"bmp\\hbt\\hbt05.dat の読み込みに失敗！"});
}

TEST_F(ColourAnimationTest, HbtPaletteHasNothingToDoAboveEightBits) {
  cTestGameFolder folder;  // no files at all
  for (eBackend b : {eBackend::DD16, eBackend::Gpu32}) {
    cDrawLibrary lib(b);
    EXPECT_EQ(LoadHbtPalette(3), 1) << BackendName(b);
  }
}
