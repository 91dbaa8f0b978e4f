// Screen fades, the high-colour fade copy, and palette tint, rotation and
// palette images.

#include "platform/draw/dd_fade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/base/close_request.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/surface/dd_image.h"
#include "platform/draw/tests/bmp_builder.h"
#include "platform/draw/tests/media_fixture.h"

namespace {

// Brightness levels drawn by the ten calls of a fade-out with step 10.
const std::vector<int> kD3DLevels = {255, 251, 239, 220, 195, 163, 127, 87, 44, 0};
const std::vector<int> kDDLevels = {256, 252, 240, 221, 196, 164, 127, 87, 44, 0};

class FadeTest : public cMediaTest {
 protected:
  void SetUp() override {
    cMediaTest::SetUp();
    for (PALENTRY& e : m_src) e = PALENTRY{255, 128, 0, 0};
    for (PALENTRY& e : m_dst) e = PALENTRY{7, 7, 7, 7};
  }

  // Draws the frame of the scene: a white pixel at (5, 5).
  void DrawFrame() { SetPixelAt(&g_BackBufferSD, 5, 5, White()); }
  uint32_t White() const { return Bpp() == 16 ? 0xFFFFu : Bpp() == 8 ? 255u : 0xFFFFFFFFu; }

  // What the frame shows of the white pixel (or palette entry) at a level.
  uint32_t Expected(int nLevel) const {
    if (IsD3D()) return static_cast<uint32_t>(nLevel);  // red of white under the veil
    const uint32_t v = (255u * static_cast<uint32_t>(nLevel)) >> 8;
    if (Bpp() == 16) return v * 31 / 255;
    return v;
  }
  uint32_t Observed() {
    if (Bpp() == 8) return m_dst[5].peRed;
    const uint32_t p = PixelAt(&g_BackBufferSD, 5, 5);
    return Bpp() == 16 ? p >> 11 : p >> 16 & 0xFF;
  }
  double& OutAngle() { return IsD3D() ? g_FadeAngles.dOutD3D : g_FadeAngles.dOutDD; }
  double& InAngle() { return IsD3D() ? g_FadeAngles.dInD3D : g_FadeAngles.dInDD; }

  PALENTRY m_src[256];
  PALENTRY m_dst[256];
};

TEST_P(FadeTest, TenStepsDrawTheLevelsAndTheLastCallCompletes) {
  const std::vector<int>& levels = IsD3D() ? kD3DLevels : kDDLevels;
  for (bool bOut : {true, false}) {
    for (int i = 0; i < 10; ++i) {
      DrawFrame();
      const bool bDone = bOut ? DDFadeOut(m_dst, 0, 255, 0, 0, 0, 10, m_src, 0)
                              : DDFadeIn(m_dst, 0, 255, 0, 0, 0, 10, m_src, 0);
      EXPECT_EQ(bDone, i == 9) << (bOut ? "out " : "in ") << i;
      const int nLevel = bOut ? levels[static_cast<size_t>(i)] : levels[static_cast<size_t>(9 - i)];
      EXPECT_EQ(Observed(), Expected(nLevel)) << (bOut ? "out " : "in ") << i;
    }
    // Ready for the next fade.
    EXPECT_EQ(bOut ? OutAngle() : InAngle(), bOut ? 90.0 : 0.0);
  }
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST_P(FadeTest, AStepThatDoesNotDivideNinetyIsClamped) {
  const std::vector<double> outAngles = {65, 40, 15, 0, 90};
  const std::vector<double> inAngles = {25, 50, 75, 90, 0};
  for (size_t i = 0; i < outAngles.size(); ++i) {
    DrawFrame();
    EXPECT_EQ(DDFadeOut(m_dst, 0, 255, 0, 0, 0, 25, m_src, 0), i == 4);
    EXPECT_EQ(OutAngle(), outAngles[i]);
  }
  for (size_t i = 0; i < inAngles.size(); ++i) {
    DrawFrame();
    EXPECT_EQ(DDFadeIn(m_dst, 0, 255, 0, 0, 0, 25, m_src, 0), i == 4);
    EXPECT_EQ(InAngle(), inAngles[i]);
  }
}

TEST_P(FadeTest, FinishCompletesAtOnce) {
  DrawFrame();
  EXPECT_TRUE(DDFadeOut(m_dst, 0, 255, 0, 0, 0, 10, m_src, 1));
  EXPECT_EQ(Observed(), Expected(0));
  EXPECT_EQ(OutAngle(), 90.0);
  DrawFrame();
  EXPECT_TRUE(DDFadeIn(m_dst, 0, 255, 0, 0, 0, 10, m_src, 1));
  EXPECT_EQ(Observed(), Expected(IsD3D() ? 255 : 256));
  EXPECT_EQ(InAngle(), 0.0);
}

TEST_P(FadeTest, VeilFailuresKeepOrAdvanceTheAngle) {
  if (!IsD3D()) GTEST_SKIP() << "textured back end only";
  // No render target: nothing drawn, the angle stays for the next frame.
  DrawFrame();
  g_BackBufferSD.lpDT->bRenderTarget = 0;
  EXPECT_FALSE(DDFadeOut(m_dst, 0, 255, 0, 0, 0, 10, m_src, 1));
  g_BackBufferSD.lpDT->bRenderTarget = 1;
  EXPECT_EQ(OutAngle(), 0.0);  // the finish flag was applied, the step was not
  EXPECT_EQ(Observed(), 255u);
  // No vertex buffer to write: nothing drawn, but the fade goes on.
  cGpuVertexBuffer* lpVB = g_BackBufferSD.lpDT->lpVB;
  g_BackBufferSD.lpDT->lpVB = nullptr;
  EXPECT_TRUE(DDFadeOut(m_dst, 0, 255, 0, 0, 0, 10, m_src, 0));
  g_BackBufferSD.lpDT->lpVB = lpVB;
  EXPECT_EQ(OutAngle(), 90.0);
  EXPECT_EQ(Observed(), 255u);
}

TEST_P(FadeTest, SurfaceDisplayFadesFromTheFirstFrameOnly) {
  if (IsD3D()) GTEST_SKIP() << "the textured back end fades the frame it is given";
  if (Bpp() == 8) {
    // Only the palette range changes; the frame is not copied.
    SetPixelAt(&g_FadeSD, 1, 1, 77);
    DDFadeOut(m_dst, 2, 250, 0, 0, 0, 10, m_src, 1);
    EXPECT_EQ(m_dst[1].peRed, 7);
    EXPECT_EQ(m_dst[251].peRed, 7);
    EXPECT_EQ(m_dst[2].peRed, 0);
    EXPECT_EQ(g_lpDDPalette->Entries()[2].peRed, 0);
    EXPECT_NE(g_lpDDPalette->Entries()[251].peRed, 0);
    EXPECT_EQ(PixelAt(&g_FadeSD, 1, 1), 77u);
    return;
  }
  DrawFrame();
  DDFadeOut(m_dst, 0, 255, 0, 0, 0, 10, m_src, 0);
  // What the scene draws meanwhile is replaced by the faded first frame.
  SetPixelAt(&g_BackBufferSD, 5, 5, 0);
  DDFadeOut(m_dst, 0, 255, 0, 0, 0, 10, m_src, 0);
  EXPECT_EQ(Observed(), Expected(kDDLevels[1]));
  // A fade resumed part-way scales whatever the copy still holds.
  SetPixelAt(&g_FadeSD, 5, 5, 0);
  DrawFrame();
  DDFadeOut(m_dst, 0, 255, 0, 0, 0, 10, m_src, 0);
  EXPECT_EQ(Observed(), 0u);
}

TEST_P(FadeTest, FadeCopyBlendsEachChannelTowardTheColour) {
  DDSURFACEDATA src, dst;
  ASSERT_TRUE(DDCreateSurface(&src, 4, 2, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&dst, 4, 2, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  if (IsD3D()) {
    EXPECT_EQ(DDFade_UnPal(&dst, 128, 255, 0, 0, &src), 1);
    EXPECT_NE(TraceText().find("D3DではDDFade_UnPalは未対応"), std::string::npos);
  } else {
    const uint32_t srcPixel = Bpp() == 16  ? (10u << 11 | 40u << 5 | 31u)
                              : Bpp() == 8 ? 9u
                                           : 0x7F0A40FFu;
    SetPixelAt(&src, 2, 1, srcPixel);
    SetPixelAt(&dst, 2, 1, Bpp() == 32 ? 0x55000000u : 0u);
    struct Case {
      int nLevel;
      uint32_t expected16, expected32;
    };
    auto Mix = [](uint32_t c, uint32_t v, uint32_t l) { return (c * (256 - l) + l * v) >> 8; };
    auto Px16 = [&](uint32_t l) {
      const uint32_t r = Mix(200, 10 * 255 / 31, l) * 31 / 255,
                     g = Mix(100, 40 * 255 / 63, l) * 63 / 255, b = Mix(0, 255, l) * 31 / 255;
      return r << 11 | g << 5 | b;
    };
    auto Px32 = [&](uint32_t l) {
      return 0x55000000u | Mix(200, 0x0A, l) << 16 | Mix(100, 0x40, l) << 8 | Mix(0, 0xFF, l);
    };
    for (uint32_t l : {0u, 100u, 256u}) {
      EXPECT_EQ(DDFade_UnPal(&dst, static_cast<int>(l), 200, 100, 0, &src), 1);
      const uint32_t expected = Bpp() == 16   ? Px16(l)
                                : Bpp() == 32 ? Px32(l)
                                              : 0u;  // 8 bits: unchanged
      EXPECT_EQ(PixelAt(&dst, 2, 1), expected) << l;
    }
    // Surfaces of different sizes: only the common part is touched.
    EXPECT_EQ(DDFade_UnPal(&g_BackBufferSD, 0, 1, 2, 3, &src), 1);
    EXPECT_EQ(DDFade_UnPal(&dst, 0, 1, 2, 3, &g_FadeSD), 1);
  }
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

class PaletteImageTest : public cMediaTest {};

TEST_P(PaletteImageTest, TransparentCellsLeaveThePaletteOnTheTexturedBackEnd) {
  BmpDesc desc;
  desc.nWidth = 16;
  desc.nHeight = 24;
  desc.nBitCount = 24;
  desc.pixel = [](int, int) { return 0x000000u; };  // the key colour: black
  m_folder.WriteFile("bmp\\clear.bmp", MakeBmp(desc));
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\clear.bmp", 1, Bpp(), 1, DTMEMORYTYPE_SYSTEM, 0, 0,
                                    0, 0, 0),
            0);
  PALENTRY pal[256];
  for (PALENTRY& e : pal) e = PALENTRY{1, 2, 3, 4};
  EXPECT_EQ(DDSetPalette_UnPal(pal, &sd), 1);
  // The textured back end skips transparent cells; the surface display reads
  // every cell as it is.
  const PALENTRY expected =
      IsD3D() ? PALENTRY{1, 2, 3, 4} : PALENTRY{0, 0, 0, Bpp() == 16 ? uint8_t{4} : uint8_t{0}};
  for (int k = 0; k < 256; ++k) {
    EXPECT_EQ(pal[k].peRed, expected.peRed) << k;
    EXPECT_EQ(pal[k].peFlags, expected.peFlags) << k;
  }
  DDReleaseSurface(&sd);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, FadeTest, testing::Values(kD3D32, kDD8, kDD16, kDD32),
                         BackEndName);
INSTANTIATE_TEST_SUITE_P(BackEnds, PaletteImageTest, testing::Values(kD3D16, kD3D32, kDD16, kDD32),
                         BackEndName);

// The palette operations work on arrays alone.
class PaletteTest : public testing::Test {
 protected:
  void SetUp() override {
    m_nSavedBpp = g_nBpp;
    g_nBpp = 8;
    for (int i = 0; i < 256; ++i) m_pal[i] = PALENTRY{static_cast<uint8_t>(i), 0, 0, 0};
  }
  void TearDown() override { g_nBpp = m_nSavedBpp; }
  std::vector<int> Reds(int nFirst, int nLast) const {
    std::vector<int> v;
    for (int i = nFirst; i <= nLast; ++i) v.push_back(m_pal[i].peRed);
    return v;
  }
  int m_nSavedBpp = 0;
  PALENTRY m_pal[256];
  cTestGameFolder m_folder;
};

TEST_F(PaletteTest, TintBlendsTheRangeTowardTheColourWithFlagOne) {
  PALENTRY src[256];
  for (PALENTRY& e : src) e = PALENTRY{200, 100, 0, 9};
  struct Case {
    int nLevel;
    PALENTRY expected;
  };
  const Case cases[] = {{256, {200, 100, 0, 1}}, {0, {10, 20, 30, 1}}, {128, {105, 60, 15, 1}}};
  for (const Case& c : cases) {
    PALENTRY dst[256] = {};
    DDPalTint(dst, 3, 250, c.nLevel, 0x10A, 20, 30, src);  // only the low byte of a colour counts
    EXPECT_EQ(dst[3].peRed, c.expected.peRed) << c.nLevel;
    EXPECT_EQ(dst[250].peGreen, c.expected.peGreen) << c.nLevel;
    EXPECT_EQ(dst[100].peBlue, c.expected.peBlue) << c.nLevel;
    EXPECT_EQ(dst[100].peFlags, 1) << c.nLevel;
    EXPECT_EQ(dst[2].peFlags, 0);
    EXPECT_EQ(dst[251].peFlags, 0);
  }
  // A range reaching outside the palette stays inside it.
  PALENTRY dst[256] = {};
  DDPalTint(dst, -20, 999, 0, 1, 1, 1, src);
  EXPECT_EQ(dst[0].peFlags, 1);
  EXPECT_EQ(dst[255].peFlags, 1);
  DDPalTint(dst, 9, 8, 0, 50, 50, 50, src);  // empty range
  EXPECT_EQ(dst[8].peRed, 1);
}

TEST_F(PaletteTest, RotateMovesTheRangeAndCopiesTheRest) {
  struct Case {
    int nFirst, nLast, nStep, nDirection;
    std::vector<int> expected;  // reds of entries 0..7
  };
  const Case cases[] = {
      {2, 5, 1, 0, {0, 1, 5, 2, 3, 4, 6, 7}},
      {2, 5, 1, 1, {0, 1, 3, 4, 5, 2, 6, 7}},
      {2, 5, 3, 1, {0, 1, 5, 2, 3, 4, 6, 7}},
      {2, 5, 4, 0, {0, 1, 2, 3, 4, 5, 6, 7}},  // a whole turn
      {2, 5, 0, 1, {0, 1, 2, 3, 4, 5, 6, 7}},
      {2, 5, 9, 1, {0, 1, 2, 3, 4, 5, 6, 7}},  // a step beyond the range only copies
      {2, 5, 1, 2, {0, 1, 2, 3, 4, 5, 6, 7}},  // unknown direction only copies
  };
  for (const Case& c : cases) {
    SetUp();
    DDPalRotate(m_pal, c.nFirst, c.nLast, c.nStep, c.nDirection, m_pal);
    EXPECT_EQ(Reds(0, 7), c.expected)
        << c.nFirst << ".." << c.nLast << " step " << c.nStep << " dir " << c.nDirection;
  }
  // Palette choice 2 of the 8-bit palettes: block 2 of 16..207 comes first.
  SetUp();
  DDPalRotate(m_pal, 16, 207, 32, 1, m_pal);
  EXPECT_EQ(m_pal[16].peRed, 48);
  EXPECT_EQ(m_pal[207].peRed, 47);
  EXPECT_EQ(m_pal[208].peRed, 208);

  // Into another array: the whole source is copied first.
  PALENTRY dst[256] = {};
  DDPalRotate(dst, 10, 11, 1, 0, m_pal);
  EXPECT_EQ(dst[255].peRed, 255);
  // At 24 bits nothing happens, not even the copy.
  g_nBpp = 24;
  PALENTRY untouched[256] = {};
  DDPalRotate(untouched, 0, 255, 1, 0, m_pal);
  EXPECT_EQ(untouched[255].peRed, 0);
}

}  // namespace
