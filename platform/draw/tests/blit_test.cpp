// Fills and blits on every back end, checked pixel by pixel against pictures
// computed from the blit rules.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/draw/tests/draw_fixture.h"
#include "testing/test_random.h"

namespace {

// An 8x8 source: colours 1-6 with a transparent block and a transparent corner.
const char* const kSource[] = {
    "11112222", "1..12332", "1..12332", "11112222", "44445555", "46645..5", "46645..5", "4444555.",
};

std::string Expected(int nW, int nH, const std::function<char(int, int)>& pixel) {
  std::string s;
  for (int y = 0; y < nH; ++y) {
    for (int x = 0; x < nW; ++x) s += pixel(x, y);
    s += '\n';
  }
  return s;
}

// The source picture as it shows once drawn opaquely: transparent pixels show
// the transparent colour (palette index 0).
char Shown(int x, int y) {
  char c = kSource[y][x];
  return c == '.' ? '0' : c;
}

class BlitTest : public ::testing::TestWithParam<eBackend> {
 protected:
  cTestGameFolder m_folder;
};

TEST_P(BlitTest, FillClipsToTheSurface) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDPalFillSurface(&g_BackBufferSD, 4);
  DDPalFillRect(&g_BackBufferSD, -3, 10, 6, 5, 2);
  DDPalFillRect(&g_BackBufferSD, 14, -2, 9, 3, 3);
  DDPalFillRect(&g_BackBufferSD, 20, 20, 4, 4, 1);  // wholly outside
  EXPECT_EQ(lib.Picture(&g_BackBufferSD), Expected(16, 12, [](int x, int y) {
              if (x < 3 && y >= 10) return '2';
              if (x >= 14 && y < 1) return '3';
              return '4';
            }));
}

TEST_P(BlitTest, OpaqueAndKeyedBlitsAgreeOnTheBackBuffer) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 8, 8, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  PaintRows(&src, kSource, 8);

  struct Case {
    int x, y;
    uint32_t dwFlags;
  } cases[] = {{-2, 3, 0}, {-2, 3, 1}, {10, -5, 1}, {3, 2, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "at " << c.x << "," << c.y << " flags " << c.dwFlags);
    DDPalFillSurface(&g_BackBufferSD, 7);
    DDBlt(&g_BackBufferSD, c.x, c.y, 8, 8, &src, 0, 0, c.dwFlags);
    EXPECT_EQ(lib.Picture(&g_BackBufferSD), Expected(16, 12, [&](int x, int y) {
                int sx = x - c.x, sy = y - c.y;
                if (sx < 0 || sy < 0 || sx >= 8 || sy >= 8) return '7';
                if (c.dwFlags == 1 && kSource[sy][sx] == '.') return '7';
                return Shown(sx, sy);
              }));
  }
  DDReleaseSurface(&src);
}

TEST_P(BlitTest, FramedBlitDrawsTheFrameAroundTheCopy) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 8, 8, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  PaintRows(&src, kSource, 8);
  DDPalFillSurface(&g_BackBufferSD, 7);
  DDBltFramed(&g_BackBufferSD, 3, 2, 6, 5, &src, 2, 6);
  EXPECT_EQ(lib.Picture(&g_BackBufferSD), Expected(16, 12, [](int x, int y) {
              const int sx = x - 3, sy = y - 2;
              if (sx >= 0 && sy >= 0 && sx < 6 && sy < 5) return Shown(sx, sy);
              if (sx >= -2 && sy >= -2 && sx < 8 && sy < 7) return '6';
              return '7';
            }));
  DDReleaseSurface(&src);
}

TEST_P(BlitTest, SourceRectangleReachingPastTheSourceIsCut) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 8, 8, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  PaintRows(&src, kSource, 8);
  DDPalFillSurface(&g_BackBufferSD, 7);
  // 6x6 from (4, 5): only 4x3 lie inside the source.
  DDBlt(&g_BackBufferSD, 1, 1, 6, 6, &src, 4, 5, 0);
  EXPECT_EQ(lib.Picture(&g_BackBufferSD), Expected(16, 12, [](int x, int y) {
              if (x >= 1 && x < 5 && y >= 1 && y < 4) return Shown(x - 1 + 4, y - 1 + 5);
              return '7';
            }));
  DDReleaseSurface(&src);
}

TEST_P(BlitTest, StretchDoublesEachPixel) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 8, 8, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  PaintRows(&src, kSource, 8);
  DDPalFillSurface(&g_BackBufferSD, 7);
  DDStretchBlt(&g_BackBufferSD, 0, 2, 16, 8, &src, 0, 2, 8, 4, 1);
  EXPECT_EQ(lib.Picture(&g_BackBufferSD), Expected(16, 12, [](int x, int y) {
              if (y < 2 || y >= 10) return '7';
              char c = kSource[2 + (y - 2) / 2][x / 2];
              return c == '.' ? '7' : c;
            }));
  DDReleaseSurface(&src);
}

TEST_P(BlitTest, PaletteNumberAbove255IsReportedAndFillsWithZero) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  SetTraceLog(true, kTraceLogName);
  EXPECT_EQ(PalNumToRGB(300), 0u);
  SetTraceLog(false, kTraceLogName);
  EXPECT_NE(m_folder.ReadFile(kTraceLogName).find("PalNumToRGB(DWORD dwPalNum) Err dwPalNum = 300"),
            std::string::npos);
}

TEST_P(BlitTest, RandomRectanglesStayInsideTheSurfaces) {
  // Every entry point may get rectangles partly or wholly outside both
  // surfaces, mirrored or empty; the sanitizers watch for stray accesses.
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA keyed, system;
  ASSERT_TRUE(DDCreateSurface(&keyed, 8, 8, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&system, 8, 8, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  PaintRows(&keyed, kSource, 8);
  PaintRows(&system, kSource, 8);
  cTestRandom random;
  auto next = [&random](int lo, int hi) { return random.Between(lo, hi); };
  for (int i = 0; i < 2000; ++i) {
    DDSURFACEDATA* src = next(0, 1) ? &keyed : &system;
    DDSURFACEDATA* dst = next(0, 3) ? &g_BackBufferSD : &keyed;
    if (src == dst) continue;
    const int x = next(-20, 20), y = next(-20, 20), w = next(-4, 30), h = next(-4, 30);
    const int sx = next(-10, 12), sy = next(-10, 12), sw = next(-12, 12), sh = next(-12, 12);
    switch (next(0, 2)) {
      case 0:
        DDBlt(dst, x, y, w, h, src, sx, sy, next(0, 1));
        break;
      case 1:
        DDStretchBlt(dst, x, y, w, h, src, sx, sy, IsGpu(GetParam()) ? sw : std::abs(sw), sh,
                     next(0, 1));
        break;
      default:
        DDPalFillRect(dst, x, y, w, h, static_cast<uint32_t>(next(0, 7)));
        break;
    }
  }
  DDReleaseSurface(&system);
  DDReleaseSurface(&keyed);
}

INSTANTIATE_TEST_SUITE_P(AllBackends, BlitTest, ::testing::ValuesIn(kAllBackends),
                         [](const auto& info) { return std::string(BackendName(info.param)); });

// ---- textured back end only --------------------------------------------------------

class GpuBlitTest : public ::testing::TestWithParam<eBackend> {
 protected:
  cTestGameFolder m_folder;
};

TEST_P(GpuBlitTest, NegativeSourceWidthDrawsColumnsRightToLeft) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 8, 8, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  PaintRows(&src, kSource, 8);
  DDPalFillSurface(&g_BackBufferSD, 7);
  DDStretchBlt(&g_BackBufferSD, 2, 0, 8, 8, &src, 8, 0, -8, 8, 0);
  EXPECT_EQ(lib.Picture(&g_BackBufferSD), Expected(16, 12, [](int x, int y) {
              if (x < 2 || x >= 10 || y >= 8) return '7';
              return Shown(7 - (x - 2), y);
            }));
  DDReleaseSurface(&src);
}

TEST_P(GpuBlitTest, MirroredVariantFlipsEachCellInPlace) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA sheet, mirrored;
  ASSERT_TRUE(DDCreateSurface(&sheet, 8, 8, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  PaintRows(&sheet, kSource, 8);
  ASSERT_TRUE(DDCreateSurface(&mirrored, 8, 8, 0, 0, DTMEMORYTYPE_VIDEO_RT, 1, 0));
  mirrored.lpParentSD = &sheet;
  mirrored.nMirrorWidth = 4;
  struct Case {
    int sx, sw;
  } cases[] = {{4, 4}, {0, 4}, {5, 2}};  // a whole cell, the other cell, part of a cell
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "sx " << c.sx << " width " << c.sw);
    DDPalFillSurface(&g_BackBufferSD, 7);
    DDBlt(&g_BackBufferSD, 0, 0, c.sw, 8, &mirrored, c.sx, 0, 0);
    EXPECT_EQ(lib.Picture(&g_BackBufferSD), Expected(16, 12, [&](int x, int y) {
                if (x >= c.sw || y >= 8) return '7';
                int mx = c.sx + x;                       // column of the mirrored image
                int ox = 4 * (mx / 4 + 1) - mx % 4 - 1;  // column of the sheet it shows
                return Shown(ox, y);
              }));
  }
  DDReleaseSurface(&mirrored);
  DDReleaseSurface(&sheet);
}

TEST_P(GpuBlitTest, OpaqueCopyOfAKeyedTextureKeepsTransparency) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src, work;
  ASSERT_TRUE(DDCreateSurface(&src, 8, 8, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&work, 8, 8, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  PaintRows(&src, kSource, 8);
  DDPalFillSurface(&work, 6);
  DDBlt(&work, 0, 0, 8, 8, &src, 0, 0, 0);
  EXPECT_EQ(lib.Picture(&work), Expected(8, 8, [](int x, int y) { return kSource[y][x]; }));
  // Index 0 makes a keyed work surface transparent again.
  DDPalFillRect(&work, 0, 0, 4, 1, 0);
  EXPECT_EQ(lib.Picture(&work).substr(0, 9), "....2222\n");
  // On the back buffer value 0 is transparent black and leaves nothing.
  DDPalFillSurface(&g_BackBufferSD, 5);
  DDPalFillRect(&g_BackBufferSD, 0, 0, 16, 12, 0);
  EXPECT_EQ(lib.Picture(&g_BackBufferSD), Expected(16, 12, [](int, int) { return '5'; }));
  DDReleaseSurface(&work);
  DDReleaseSurface(&src);
}

TEST_P(GpuBlitTest, SystemMemorySourcesGoThroughLockedPixels) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 8, 8, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  EXPECT_FALSE(src.lpDT->bRenderTarget);
  PaintRows(&src, kSource, 8);
  EXPECT_EQ(lib.Picture(&src), Expected(8, 8, [](int x, int y) { return kSource[y][x]; }));
  DDPalFillSurface(&g_BackBufferSD, 7);
  DDBlt(&g_BackBufferSD, 9, -1, 8, 8, &src, 0, 0, 1);
  // Copied texels keep their 5-bit channels; onto the full-screen 16-bit back
  // buffer the green channel is doubled into 6 bits (31 becomes 62, 0xFB).
  const bool bDoubledGreen = GetParam() == eBackend::Gpu16Full;
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      int sx = x - 9, sy = y + 1;
      char c = (sx < 0 || sy < 0 || sx >= 8 || sy >= 8 || kSource[sy][sx] == '.') ? '7'
                                                                                  : kSource[sy][sx];
      uint32_t rgb = kTestColours[c - '0'];
      if (bDoubledGreen && c != '7' && (rgb & 0xFF00)) rgb = (rgb & 0xFF00FF) | 0xFB00;
      ASSERT_EQ(lib.Rgb(&g_BackBufferSD, x, y), rgb) << "at " << x << "," << y;
    }
  }
  DDReleaseSurface(&src);
}

TEST_P(GpuBlitTest, DiffuseColourModulatesTheTexture) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 4, 4, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  DDPalFillSurface(&src, 4);  // white
  DDPalFillSurface(&g_BackBufferSD, 7);
  DDBLTSTATE state{0xFF00FF00, GPUTOP_MODULATE};  // white times green
  DDBltEx(&g_BackBufferSD, 0, 0, 4, 4, &src, 0, 0, 0, &state);
  EXPECT_EQ(lib.Rgb(&g_BackBufferSD, 1, 1), 0x00FF00u);
  EXPECT_EQ(lpDTCon->dwDiffuse, 0xFFFFFFFFu);  // state put back
  DDReleaseSurface(&src);
}

INSTANTIATE_TEST_SUITE_P(TexturedBackEnds, GpuBlitTest,
                         ::testing::Values(eBackend::Gpu32, eBackend::Gpu16Window,
                                           eBackend::Gpu16Full),
                         [](const auto& info) { return std::string(BackendName(info.param)); });

// ---- full-frame blits (the block and streaming row loops) ----------------------------

class LargeBlitTest : public ::testing::TestWithParam<eBackend> {
 protected:
  cTestGameFolder m_folder;
};

TEST_P(LargeBlitTest, FullFrameCopiesMatchTheSourcePixelByPixel) {
  constexpr int kW = 640, kH = 480;
  cDrawLibrary lib(GetParam(), kW, kH);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, kW, kH, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  // Stripes of colours 1-6 with transparent runs of varying length and phase.
  for (int y = 0; y < kH; y += 4) DDPalFillRect(&src, 0, y, kW, 4, 1 + (y / 4) % 6);
  for (int y = 0; y < kH; y += 3)
    for (int x = (y * 7) % 23; x < kW; x += 41) DDPalFillRect(&src, x, y, 1 + (x + y) % 19, 1, 0);
  std::vector<uint32_t> expected(kW * kH);
  {
    cSurfaceLock lock(&src);
    ASSERT_TRUE(lock.IsLocked());
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) expected[y * kW + x] = lock.Row<uint32_t>(y)[x];
  }
  const uint32_t transparent = IsGpu(GetParam()) ? 0u : g_dwTransmitPixel;
  for (uint32_t dwFlags : {0u, 1u}) {
    SCOPED_TRACE(testing::Message() << "flags " << dwFlags);
    DDPalFillSurface(&g_BackBufferSD, 4);
    DDBlt(&g_BackBufferSD, 0, 0, kW, kH, &src, 0, 0, dwFlags);
    cSurfaceLock lock(&g_BackBufferSD);
    ASSERT_TRUE(lock.IsLocked());
    int nBad = 0;
    for (int y = 0; y < kH && nBad < 5; ++y) {
      for (int x = 0; x < kW && nBad < 5; ++x) {
        const uint32_t s = expected[y * kW + x];
        uint32_t want = s & 0xFFFFFF;
        if (s == transparent || (IsGpu(GetParam()) && (s >> 24) == 0))
          want = dwFlags ? 0xFFFFFF : kMagenta;
        const uint32_t got = lock.Row<uint32_t>(y)[x] & 0xFFFFFF;
        if (got != want) {
          ADD_FAILURE() << "at " << x << "," << y << ": " << std::hex << got << " instead of "
                        << want;
          ++nBad;
        }
      }
    }
  }
  DDReleaseSurface(&src);
}

INSTANTIATE_TEST_SUITE_P(ThirtyTwoBits, LargeBlitTest,
                         ::testing::Values(eBackend::Gpu32, eBackend::DD32),
                         [](const auto& info) { return std::string(BackendName(info.param)); });

// ---- clipping rules ----------------------------------------------------------------------

TEST(ClipBltTest, RectanglesAreClippedPerBackEnd) {
  cTestGameFolder folder;
  struct Case {
    bool bGpu;
    int x, y, w, h, sx, sy, sw, sh;
    int nResult;
    int ex, ey, ew, eh, esx, esy, esw, esh;
  } cases[] = {
      // Unscaled: a negative x moves the source edge.
      {true, -10, 0, 100, 10, 0, 0, 100, 10, 1, 0, 0, 90, 10, 10, 0, 90, 10},
      {false, -10, 0, 100, 10, 0, 0, 100, 10, 1, 0, 0, 90, 10, 10, 0, 90, 10},
      // Coordinates at the ends of the int range overflow nothing.
      {false, 2147483647, 0, 2147483647, 10, 0, 0, 2147483647, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {true, -2147483647 - 1, 0, 2147483647, 10, -2147483647 - 1, 0, 2147483647, 10, 0, 0, 0, 0, 0,
       0, 0, 0, 0},
      {true, 3, 0, 2147483647, 10, -2147483647 + 2, 0, -2147483647, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      // Unscaled past the right and bottom of the destination (200x150).
      {false, 150, 140, 100, 20, 0, 0, 100, 20, 1, 150, 140, 50, 10, 0, 0, 50, 10},
      // Zero and negative sizes draw nothing.
      {true, 0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 0, 10, 0, 0, 0, 10},
      {true, 0, 0, -5, 10, 0, 0, 4, 10, 0, 0, 0, -5, 10, 0, 0, 4, 10},
      // Scaled: the source reaching past the source surface shrinks the
      // destination in proportion; the position stays.
      {true, 5, 5, 40, 40, 80, 0, 40, 20, 1, 5, 5, 20, 40, 80, 0, 20, 20},
      // Mirrored (textured only): the span is clipped and the sign restored.
      {true, 0, 0, 40, 20, 110, 0, -20, 20, 1, 0, 0, 20, 20, 100, 0, -10, 20},
      // Scaled, surface back end: the destination is cut on the left and the
      // source in proportion.
      {false, -10, 0, 40, 20, 0, 0, 20, 10, 1, 0, 0, 30, 20, 5, 0, 15, 10},
      // Scaled wholly off the destination.
      {false, 300, 0, 40, 20, 0, 0, 20, 10, 0, 300, 0, 0, 20, 0, 0, 0, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << (c.bGpu ? "textured " : "surface ") << c.x << "," << c.y << " " << c.w << "x"
                 << c.h << " from " << c.sx << "," << c.sy << " " << c.sw << "x" << c.sh);
    DTCON con;
    lpDTCon = c.bGpu ? &con : nullptr;
    DDSURFACEDATA dst, src;
    dst.nWidth = 200;
    dst.nHeight = 150;
    src.nWidth = 100;
    src.nHeight = 20;
    int x = c.x, y = c.y, w = c.w, h = c.h, sx = c.sx, sy = c.sy, sw = c.sw, sh = c.sh;
    int nResult = DDClipBlt(&dst, &x, &y, &w, &h, &src, &sx, &sy, &sw, &sh);
    lpDTCon = nullptr;
    EXPECT_EQ(nResult, c.nResult);
    if (nResult == 0) continue;
    EXPECT_EQ((std::vector<int>{x, y, w, h, sx, sy, sw, sh}),
              (std::vector<int>{c.ex, c.ey, c.ew, c.eh, c.esx, c.esy, c.esw, c.esh}));
  }
}

}  // namespace
