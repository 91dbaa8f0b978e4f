// Mosaic and blur on every back end and depth, held against plain loops of
// their rules (the blur against the windowed sum of each pixel's box), and
// the cases their rules single out.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/draw/dd_filter.h"
#include "platform/draw/tests/effect_fixture.h"

namespace {

// A pixel as three channels for averaging: bytes 0..2 at 32 bits (blue,
// green, red), red, green, blue at 16 bits (raw, or on the surface display's
// mosaic scaled to 0..255).
void ToChannels(uint32_t p, int nBpp, bool bScaled, long long out[3]) {
  if (nBpp == 32) {
    for (int k = 0; k < 3; ++k) out[k] = p >> (8 * k) & 0xFF;
    return;
  }
  const CHANNELFORMAT& f = g_PixelFormat;
  const int anShift[3] = {f.nRedShift, f.nGreenShift, f.nBlueShift};
  const int anMax[3] = {f.nRedMax, f.nGreenMax, f.nBlueMax};
  for (int k = 0; k < 3; ++k) {
    const long long v = p >> anShift[k] & static_cast<uint32_t>(anMax[k]);
    out[k] = bScaled ? v * 255 / anMax[k] : v;
  }
}

// The average (each channel's sum over the count, truncated) as the pixel
// the back end writes.
uint32_t FromChannels(eBackend be, bool bToBackBuffer, const long long sum[3], long long n,
                      bool bScaled) {
  uint32_t v[3];
  for (int k = 0; k < 3; ++k) v[k] = static_cast<uint32_t>(sum[k] / n);
  if (BackendBpp(be) == 32) return (IsGpu(be) ? 0xFF000000u : 0u) | v[2] << 16 | v[1] << 8 | v[0];
  const CHANNELFORMAT& f = g_PixelFormat;
  if (bScaled) {
    const int anMax[3] = {f.nRedMax, f.nGreenMax, f.nBlueMax};
    for (int k = 0; k < 3; ++k) v[k] = v[k] * anMax[k] / 255;
  }
  if (be == eBackend::Gpu16Full && bToBackBuffer) {
    const CHANNELFORMAT& b = g_BackBufferFormat;
    return v[0] << b.nRedShift | 2 * v[1] << b.nGreenShift | v[2] << b.nBlueShift;
  }
  return v[0] << f.nRedShift | v[1] << f.nGreenShift | v[2] << f.nBlueShift |
         (IsGpu(be) ? 0x8000u : 0u);
}

// The mosaic's rules: blocks of nSize from the rectangle's corner, each
// filled from the part of it inside the source.
void MosaicModel(eBackend be, PIXELS& dst, const PIXELS& src, const EFFECTARGS& f) {
  if (f.nValue <= 0 || BackendBpp(be) == 24) return;
  const auto [r0, r1] = InsideBoth(f.h, f.sy, src.nHeight, f.sy, src.nHeight);
  const auto [c0, c1] = InsideBoth(f.w, f.sx, src.nWidth, f.sx, src.nWidth);
  const auto [w0, w1] = InsideBoth(f.h, f.y, dst.nHeight, f.sy, src.nHeight);
  const auto [v0, v1] = InsideBoth(f.w, f.x, dst.nWidth, f.sx, src.nWidth);
  const long long n = f.nValue;
  for (long long br = w0 / n * n; br < w1; br += n) {
    for (long long bc = v0 / n * n; bc < v1; bc += n) {
      const long long rr0 = std::max(br, r0), rr1 = std::min(br + n, r1);
      const long long cc0 = std::max(bc, c0), cc1 = std::min(bc + n, c1);
      uint32_t colour;
      const uint32_t topLeft = src.At(static_cast<int>(f.sx + cc0), static_cast<int>(f.sy + rr0));
      if (be == eBackend::DD8 || (IsGpu(be) && BackendBpp(be) == 16)) {
        if (f.bKey && IsKeyPixel(be, topLeft)) continue;
        colour = topLeft;
        if (be == eBackend::Gpu16Full && dst.bIsBackBuffer) {
          const CHANNELFORMAT& b = g_BackBufferFormat;
          colour = ((topLeft >> 10) & 31) << b.nRedShift |
                   ((topLeft >> 5) & 31) * 2 << b.nGreenShift | (topLeft & 31) << b.nBlueShift;
        }
      } else {
        long long sum[3] = {}, count = 0;
        for (long long r = rr0; r < rr1; ++r) {
          for (long long c = cc0; c < cc1; ++c) {
            const uint32_t p = src.At(static_cast<int>(f.sx + c), static_cast<int>(f.sy + r));
            if (f.bKey && IsKeyPixel(be, p)) continue;
            long long ch[3];
            ToChannels(p, BackendBpp(be), be == eBackend::DD16, ch);
            for (int k = 0; k < 3; ++k) sum[k] += ch[k];
            ++count;
          }
        }
        if (count == 0) continue;
        colour = FromChannels(be, dst.bIsBackBuffer, sum, count, be == eBackend::DD16);
        if (be == eBackend::DD16 && f.bKey && colour == g_dwTransmitPixel) continue;
      }
      for (long long r = std::max(br, w0); r < std::min(br + n, w1); ++r)
        for (long long c = std::max(bc, v0); c < std::min(bc + n, v1); ++c)
          if (!f.bKey ||
              !IsKeyPixel(be, src.At(static_cast<int>(f.sx + c), static_cast<int>(f.sy + r))))
            dst.At(static_cast<int>(f.x + c), static_cast<int>(f.y + r)) = colour;
    }
  }
}

// The blur's rules: each pixel the average of the counted source pixels
// (c + i, r + j), i in [-R, R), j in [-R, R), inside the rectangle (and the
// source): the windowed sum, pixel by pixel.
void BlurModel(eBackend be, PIXELS& dst, const PIXELS& src, const EFFECTARGS& f) {
  if (f.nValue <= 0 || BackendBpp(be) == 8 || BackendBpp(be) == 24) return;
  const auto [r0, r1] = InsideBoth(f.h, f.sy, src.nHeight, f.sy, src.nHeight);
  const auto [c0, c1] = InsideBoth(f.w, f.sx, src.nWidth, f.sx, src.nWidth);
  const auto [w0, w1] = InsideBoth(f.h, f.y, dst.nHeight, f.sy, src.nHeight);
  const auto [v0, v1] = InsideBoth(f.w, f.x, dst.nWidth, f.sx, src.nWidth);
  for (long long r = w0; r < w1; ++r) {
    for (long long c = v0; c < v1; ++c) {
      if (f.bKey && IsKeyPixel(be, src.At(static_cast<int>(f.sx + c), static_cast<int>(f.sy + r))))
        continue;
      long long sum[3] = {}, count = 0;
      for (long long j = std::max(r - f.nValue, r0); j < std::min(r + f.nValue, r1); ++j) {
        for (long long i = std::max(c - f.nValue, c0); i < std::min(c + f.nValue, c1); ++i) {
          const uint32_t p = src.At(static_cast<int>(f.sx + i), static_cast<int>(f.sy + j));
          if (f.bKey && IsKeyPixel(be, p)) continue;
          long long ch[3];
          ToChannels(p, BackendBpp(be), false, ch);
          for (int k = 0; k < 3; ++k) sum[k] += ch[k];
          ++count;
        }
      }
      if (count > 0)
        dst.At(static_cast<int>(f.x + c), static_cast<int>(f.y + r)) =
            FromChannels(be, dst.bIsBackBuffer, sum, count, false);
    }
  }
}

class FilterTest : public ::testing::TestWithParam<eBackend> {
 protected:
  cTestGameFolder m_folder;
};

TEST_P(FilterTest, MosaicAndBlurFollowTheirRulesOnRandomRectangles) {
  const eBackend be = GetParam();
  cDrawLibrary lib(be, 48, 36);
  ASSERT_TRUE(lib.m_bStarted);
  cTestRandom rnd(77);
  cEffectSurfaces s(rnd);
  ForEachRowLoopSet([&] {
    for (int i = 0; i < 300 && !HasFailure(); ++i) {
      DDSURFACEDATA* lpDst = s.Target(i);
      DDSURFACEDATA* lpSrc = s.Source(i);
      const bool bBlur = i % 4 >= 2;
      EFFECTARGS f = RandomEffectArgs(rnd, -2, bBlur ? 9 : 40);
      if (rnd.Below(10) == 0) f.nValue = 1'000'000;  // past any rectangle
      PIXELS want = ReadPixels(lpDst);
      if (bBlur) {
        BlurModel(be, want, ReadPixels(lpSrc), f);
        EXPECT_TRUE(
            DDBlur(lpDst, f.x, f.y, f.w, f.h, f.nValue, f.nValue, lpSrc, f.sx, f.sy, f.bKey));
      } else {
        MosaicModel(be, want, ReadPixels(lpSrc), f);
        EXPECT_TRUE(DDMosaic(lpDst, f.x, f.y, f.w, f.h, f.nValue, lpSrc, f.sx, f.sy, f.bKey));
      }
      ExpectSamePixels(ReadPixels(lpDst), want, Describe(bBlur ? "blur" : "mosaic", f, lpDst));
    }
  });
}

// Whole frames take every block path of the row loops; blocks taller than
// 257 rows take the column sums in more than one go.
TEST_P(FilterTest, FullFramesFollowTheRules) {
  const eBackend be = GetParam();
  constexpr int kW = 320, kH = 300;
  cDrawLibrary lib(be, kW, kH);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, kW, kH, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  cTestRandom rnd(11);
  PaintRandom(&src, rnd);
  ForEachRowLoopSet([&] {
    for (bool bKey : {false, true}) {
      for (int nSize : {7, 290}) {
        PaintRandom(&g_BackBufferSD, rnd);
        const EFFECTARGS f{0, 0, kW, kH, 0, 0, bKey, nSize};
        PIXELS want = ReadPixels(&g_BackBufferSD);
        MosaicModel(be, want, ReadPixels(&src), f);
        DDMosaic(&g_BackBufferSD, 0, 0, kW, kH, nSize, &src, 0, 0, bKey);
        ExpectSamePixels(ReadPixels(&g_BackBufferSD), want, Describe("mosaic", f, &g_BackBufferSD));
      }
      const EFFECTARGS f{0, 0, kW, kH, 0, 0, bKey, 2};
      PIXELS want = ReadPixels(&g_BackBufferSD);
      BlurModel(be, want, ReadPixels(&src), f);
      DDBlur(&g_BackBufferSD, 0, 0, kW, kH, 2, 2, &src, 0, 0, bKey);
      ExpectSamePixels(ReadPixels(&g_BackBufferSD), want, Describe("blur", f, &g_BackBufferSD));
    }
  });
  DDReleaseSurface(&src);
}

// Positions, sizes and radii no caller passes: a size of 0 or less and a
// radius of 0 or less do nothing, a radius beyond the rectangle is the
// rectangle, nothing outside the surfaces is read or written.
TEST_P(FilterTest, ExtremeArgumentsFollowTheRules) {
  const eBackend be = GetParam();
  cDrawLibrary lib(be, 24, 16);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 20, 12, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  cTestRandom rnd(3);
  PaintRandom(&src, rnd);
  PaintRandom(&g_BackBufferSD, rnd);
  for (const EFFECTARGS& f : ExtremeEffectArgs(3)) {
    PIXELS want = ReadPixels(&g_BackBufferSD);
    MosaicModel(be, want, ReadPixels(&src), f);
    EXPECT_TRUE(DDMosaic(&g_BackBufferSD, f.x, f.y, f.w, f.h, f.nValue, &src, f.sx, f.sy, f.bKey));
    ExpectSamePixels(ReadPixels(&g_BackBufferSD), want, Describe("mosaic", f, &g_BackBufferSD));
    want = ReadPixels(&g_BackBufferSD);
    BlurModel(be, want, ReadPixels(&src), f);
    EXPECT_TRUE(
        DDBlur(&g_BackBufferSD, f.x, f.y, f.w, f.h, f.nValue, f.nValue, &src, f.sx, f.sy, f.bKey));
    ExpectSamePixels(ReadPixels(&g_BackBufferSD), want, Describe("blur", f, &g_BackBufferSD));
  }
  DDReleaseSurface(&src);
}

// 100 x 100 in blocks of 32: 4 x 4 blocks, the last row and column of blocks
// 4 pixels wide, each of one colour.
TEST_P(FilterTest, MosaicCutsTheRectangleIntoBlocksFromItsCorner) {
  const eBackend be = GetParam();
  cDrawLibrary lib(be, 112, 104);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 100, 100, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) DDPalFillRect(&src, x, y, 1, 1, 1 + (x / 7 + y / 5) % 6);
  DDPalFillSurface(&g_BackBufferSD, 7);
  ASSERT_TRUE(DDMosaic(&g_BackBufferSD, 5, 2, 100, 100, 32, &src, 0, 0, 0));
  const PIXELS got = ReadPixels(&g_BackBufferSD);
  for (int y = 0; y < got.nHeight; ++y) {
    for (int x = 0; x < got.nWidth; ++x) {
      const int bx = x - 5, by = y - 2;
      if (bx < 0 || by < 0 || bx >= 100 || by >= 100) continue;
      // Each pixel shows its block's colour, the one at the block's corner.
      ASSERT_EQ(got.At(x, y), got.At(5 + bx / 32 * 32, 2 + by / 32 * 32)) << x << "," << y;
    }
  }
  // The frame around it is untouched, and the blocks are 32 (or 4) apart.
  EXPECT_EQ(lib.Rgb(&g_BackBufferSD, 4, 50), 0u);
  EXPECT_EQ(lib.Rgb(&g_BackBufferSD, 105, 50), 0u);
  EXPECT_EQ(lib.Rgb(&g_BackBufferSD, 50, 102), 0u);
  DDReleaseSurface(&src);
}

INSTANTIATE_TEST_SUITE_P(EffectBackEnds, FilterTest, ::testing::ValuesIn(kEffectBackends),
                         BackendParamName);

// On the surface display's 16 bits an average that comes out as the
// transparent colour is not written with the colour key (it would make the
// block transparent); without the key it is.
TEST(MosaicTest, SixteenBitAverageOfTheTransparentColourIsNotWrittenWithTheKey) {
  cTestGameFolder folder;
  cDrawLibrary lib(eBackend::DD16, 4, 2);
  ASSERT_TRUE(lib.m_bStarted);
  ASSERT_EQ(g_dwTransmitPixel, 0xF81Fu);  // magenta
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 4, 2, 1, 1, 0, 0, 0));
  // Magenta with the lowest green: counted, and its average through 0..255
  // channels (green 4 of 255) comes back as green 0.
  PIXELS pixels = ReadPixels(&src);
  std::fill(pixels.v.begin(), pixels.v.end(), 0xF83Fu);
  WritePixels(&src, pixels);
  for (uint32_t dwFlags : {1u, 0u}) {
    DDPalFillSurface(&g_BackBufferSD, 4);
    const uint32_t white = ReadPixels(&g_BackBufferSD).v[0];
    EXPECT_TRUE(DDMosaic(&g_BackBufferSD, 0, 0, 4, 2, 2, &src, 0, 0, dwFlags));
    EXPECT_EQ(ReadPixels(&g_BackBufferSD).v[0], dwFlags ? white : 0xF81Fu) << dwFlags;
  }
  DDReleaseSurface(&src);
}

// Radius 1 averages the 2 x 2 box of the pixel and its left, upper and
// upper-left neighbours; at the corner only what lies in the rectangle.
TEST(BlurTest, RadiusOneAveragesTheTwoByTwoBoxUpAndLeft) {
  cTestGameFolder folder;
  for (eBackend be : {eBackend::Gpu32, eBackend::DD32}) {
    cDrawLibrary lib(be, 3, 2);
    ASSERT_TRUE(lib.m_bStarted);
    DDSURFACEDATA src;
    ASSERT_TRUE(DDCreateSurface(&src, 3, 2, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
    PIXELS p = ReadPixels(&src);
    p.v = {0xFF000010, 0xFF000020, 0xFF000040, 0xFF000008, 0xFF000004, 0xFF000002};
    WritePixels(&src, p);
    ASSERT_TRUE(DDBlur(&g_BackBufferSD, 0, 0, 3, 2, 1, 1, &src, 0, 0, 0));
    const PIXELS got = ReadPixels(&g_BackBufferSD);
    EXPECT_EQ(got.At(0, 0) & 0xFFFFFF, 0x10u) << BackendName(be);               // itself
    EXPECT_EQ(got.At(1, 0) & 0xFFFFFF, (0x10u + 0x20) / 2) << BackendName(be);  // and its left
    EXPECT_EQ(got.At(0, 1) & 0xFFFFFF, (0x10u + 0x08) / 2) << BackendName(be);  // and above
    EXPECT_EQ(got.At(2, 1) & 0xFFFFFF, (0x20u + 0x40 + 0x04 + 0x02) / 4) << BackendName(be);
    DDReleaseSurface(&src);
  }
}

// An 8-bit display has no blur: the refusal is traced and nothing changes.
TEST(BlurTest, EightBitDisplayRefusesTheBlur) {
  cTestGameFolder folder;
  cDrawLibrary lib(eBackend::DD8, 8, 4);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 8, 4, 0, 1, 0, 0, 0));
  DDPalFillSurface(&src, 2);
  DDPalFillSurface(&g_BackBufferSD, 5);
  SetTraceLog(true, kTraceLogName);
  EXPECT_TRUE(DDBlur(&g_BackBufferSD, 0, 0, 8, 4, 2, 2, &src, 0, 0, 0));
  SetTraceLog(false, kTraceLogName);
  EXPECT_NE(folder.ReadFile(kTraceLogName).find("8ビットぼかしは不可能！"), std::string::npos);
  EXPECT_EQ(lib.Picture(&g_BackBufferSD), "55555555\n55555555\n55555555\n55555555\n");
  DDReleaseSurface(&src);
}

}  // namespace
