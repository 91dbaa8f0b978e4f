// The blend blits (tint, half transparency, colour wash) on every back end
// and depth, held against plain loops of their rules on random rectangles,
// and the cases their rules single out.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/draw/dd_blend.h"
#include "platform/draw/devices/gpu_format.h"
#include "platform/draw/devices/gpu_shading.h"
#include "platform/draw/tests/effect_fixture.h"

namespace {

// ---- the rules, pixel by pixel ------------------------------------------------------

// Rule 5: each rectangle pixel inside both surfaces, as fn(destination x, y,
// source x, y).
template <class FN>
void ForEachInside(const PIXELS& dst, const PIXELS& src, const EFFECTARGS& b, FN fn) {
  const auto [i0, i1] = InsideBoth(b.h, b.y, dst.nHeight, b.sy, src.nHeight);
  const auto [j0, j1] = InsideBoth(b.w, b.x, dst.nWidth, b.sx, src.nWidth);
  for (long long i = i0; i < i1; ++i)
    for (long long j = j0; j < j1; ++j)
      fn(static_cast<int>(b.x + j), static_cast<int>(b.y + i), static_cast<int>(b.sx + j),
         static_cast<int>(b.sy + i));
}

// 16-bit channels: red, green, blue of a format.
uint32_t Channel(uint32_t p, const CHANNELFORMAT& f, int k) {
  const int anShift[3] = {f.nRedShift, f.nGreenShift, f.nBlueShift};
  const int anMax[3] = {f.nRedMax, f.nGreenMax, f.nBlueMax};
  return p >> anShift[k] & static_cast<uint32_t>(anMax[k]);
}
uint32_t Compose16(const uint32_t rgb[3], const CHANNELFORMAT& f) {
  return rgb[0] << f.nRedShift | rgb[1] << f.nGreenShift | rgb[2] << f.nBlueShift;
}
uint32_t Byte(uint32_t p, int k) { return p >> (8 * k) & 0xFF; }

// The textured quad: destination pixel (x + k, y + j) inside the target shows
// texel (sx + k, sy + j) of the source (wrapping), shaded by stage 0 and
// blended by its alpha, as the device's per-pixel path does it.
void QuadModel(PIXELS& dst, const PIXELS& src, const EFFECTARGS& b, const uint32_t* stage,
               uint32_t dwFactor, uint32_t dwDiffuse, GPUFORMAT dstFmt, GPUFORMAT srcFmt) {
  const auto [i0, i1] = InsideBoth(b.h, b.y, dst.nHeight, b.y, dst.nHeight);
  const auto [j0, j1] = InsideBoth(b.w, b.x, dst.nWidth, b.x, dst.nWidth);
  for (int i = static_cast<int>(i0); i < i1; ++i) {
    for (int j = static_cast<int>(j0); j < j1; ++j) {
      const int tx = ((b.sx + j) % src.nWidth + src.nWidth) % src.nWidth;
      const int ty = ((b.sy + i) % src.nHeight + src.nHeight) % src.nHeight;
      uint8_t texel[4], pixel[4];
      WritePixelBytes(texel, src.nBytes, src.At(tx, ty));
      WritePixelBytes(pixel, dst.nBytes, dst.At(b.x + j, b.y + i));
      const uint32_t c = GpuShade(stage, dwFactor, GpuReadTexel(texel, srcFmt), dwDiffuse);
      if (c >> 24 == 0) continue;
      GpuWriteTexel(pixel, dstFmt,
                    c >> 24 == 255 ? c
                                   : GpuBlend(GPUBLEND_SRCALPHA, GPUBLEND_INVSRCALPHA, c,
                                              GpuReadTexel(pixel, dstFmt)));
      dst.At(b.x + j, b.y + i) = ReadPixelBytes(pixel, dst.nBytes);
    }
  }
}

GPUFORMAT TargetFormat(eBackend be, DDSURFACEDATA* lpDst) {
  if (BackendBpp(be) == 32) return lpDst == &g_BackBufferSD ? GPUFMT_X8R8G8B8 : GPUFMT_A8R8G8B8;
  return be == eBackend::Gpu16Full && lpDst == &g_BackBufferSD ? GPUFMT_R5G6B5 : GPUFMT_A1R5G5B5;
}

bool DrawsQuad(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc) {
  return lpDTCon && lpDst->lpDT->bRenderTarget && lpSrc->lpDT->nMemoryType != DTMEMORYTYPE_SYSTEM;
}

// A test blend table of the surface display's 8 bits: the "mix" of a and b
// is (a + 3b) / 4, so that a tint moves an index a quarter of the way at
// each step (and not in one).
void FillTestBlendTable(uint8_t* table) {
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) table[a * 256 + b] = static_cast<uint8_t>((a + 3 * b) / 4);
}

// DDBltTint's rules.
void TintModel(eBackend be, PIXELS& dst, const PIXELS& src, const EFFECTARGS& b, const PALENTRY& e,
               const uint8_t* table, int nColor, bool bQuad, GPUFORMAT dstFmt) {
  const int nLevel = b.nValue;
  if (IsGpu(be) && nLevel <= 0) return;
  if (!IsGpu(be) && nLevel == 0) return;
  if (bQuad) {
    static constexpr uint32_t kAlpha[] = {0, 0x80, 0x50, 0x30, 0x10};
    const uint32_t a = nLevel <= 4 ? kAlpha[nLevel] : 0;
    const uint32_t stage[] = {GPUTOP_BLENDFACTORALPHA, GPUTA_TEXTURE, GPUTA_TFACTOR,
                              GPUTOP_SELECTARG1,       GPUTA_TEXTURE, GPUTA_DIFFUSE};
    QuadModel(dst, src, b, stage,
              a << 24 | static_cast<uint32_t>(e.peRed) << 16 | e.peGreen << 8 | e.peBlue,
              0xFFFFFFFF, dstFmt, BackendBpp(be) == 32 ? GPUFMT_A8R8G8B8 : GPUFMT_A1R5G5B5);
    return;
  }
  const uint32_t rgb[3] = {e.peRed, e.peGreen, e.peBlue};
  ForEachInside(dst, src, b, [&](int dx, int dy, int sx, int sy) {
    const uint32_t s = src.At(sx, sy);
    uint32_t& d = dst.At(dx, dy);
    if (b.bKey && IsKeyPixel(be, s)) return;
    if (IsGpu(be)) {
      static constexpr uint32_t kWeight[] = {0, 0, 0x40, 0x20, 0x10};
      const uint32_t f = nLevel <= 4 ? kWeight[nLevel] : 0;
      auto mix = [&](uint32_t sv, uint32_t cv) {
        return nLevel == 1 ? (sv + cv) >> 1 : (sv * f + cv * (255 - f)) / 255;
      };
      if (BackendBpp(be) == 32) {
        d = 0xFF000000u | mix(Byte(s, 2), rgb[0]) << 16 | mix(Byte(s, 1), rgb[1]) << 8 |
            mix(Byte(s, 0), rgb[2]);
      } else if (be == eBackend::Gpu16Full && dst.bIsBackBuffer) {
        uint32_t out[3];
        for (int k = 0; k < 3; ++k) {
          const uint32_t sv = Channel(s, g_PixelFormat, k), cv = rgb[k] * 31 / 255;
          out[k] = k == 1 ? (nLevel == 1 ? sv + cv : 2 * mix(sv, cv)) : mix(sv, cv);
        }
        d = Compose16(out, g_BackBufferFormat);
      } else {
        uint32_t out[3];
        for (int k = 0; k < 3; ++k)
          out[k] = mix(Channel(s, g_PixelFormat, k), rgb[k] * 31 / 255) & 31;
        d = Compose16(out, g_PixelFormat) | 0x8000;
      }
      return;
    }
    switch (BackendBpp(be)) {
      case 8: {
        uint32_t p = s;
        for (int i = 0; i < nLevel; ++i) p = table[p * 256 + (nColor & 0xFF)];
        d = p;
        break;
      }
      case 16: {
        const int anMax[3] = {g_PixelFormat.nRedMax, g_PixelFormat.nGreenMax,
                              g_PixelFormat.nBlueMax};
        uint32_t out[3];
        for (int k = 0; k < 3; ++k) {
          const uint32_t m = static_cast<uint32_t>(anMax[k]);
          uint32_t v = Channel(s, g_PixelFormat, k) * 255 / m;
          const uint32_t c = (rgb[k] & m) * 255 / m;
          for (int i = 0; i < nLevel; ++i) v = (v + c) >> 1;
          out[k] = v * m / 255;
        }
        d = Compose16(out, g_PixelFormat);
        break;
      }
      default: {
        uint32_t out = d & 0xFF000000u;
        for (int k = 0; k < 3; ++k) {
          uint32_t v = Byte(s, k);
          for (int i = 0; i < nLevel; ++i) v = (v + rgb[2 - k]) >> 1;
          out |= v << (8 * k);
        }
        d = out;
        break;
      }
    }
  });
}

// DDBltAlpha's rules.
void AlphaModel(eBackend be, PIXELS& dst, const PIXELS& src, const EFFECTARGS& b,
                const uint8_t* table, bool bQuad, GPUFORMAT dstFmt) {
  if (bQuad) {
    const uint32_t stage[] = {GPUTOP_MODULATE, GPUTA_TEXTURE, GPUTA_DIFFUSE,
                              GPUTOP_MODULATE, GPUTA_TEXTURE, GPUTA_DIFFUSE};
    const uint32_t a = 255 - static_cast<uint32_t>(std::clamp(b.nValue, 0, 255));
    QuadModel(dst, src, b, stage, 0, a << 24 | 0xFFFFFF, dstFmt,
              BackendBpp(be) == 32 ? GPUFMT_A8R8G8B8 : GPUFMT_A1R5G5B5);
    return;
  }
  ForEachInside(dst, src, b, [&](int dx, int dy, int sx, int sy) {
    const uint32_t s = src.At(sx, sy);
    uint32_t& d = dst.At(dx, dy);
    if (b.bKey && (be == eBackend::DD8 ? s == 0 : IsKeyPixel(be, s))) return;
    if (IsGpu(be)) {
      if (BackendBpp(be) == 32) {
        d = 0xFF000000u | ((Byte(s, 2) + Byte(d, 2)) >> 1) << 16 |
            ((Byte(s, 1) + Byte(d, 1)) >> 1) << 8 | ((Byte(s, 0) + Byte(d, 0)) >> 1);
      } else if (be == eBackend::Gpu16Full && dst.bIsBackBuffer) {
        uint32_t out[3];
        for (int k = 0; k < 3; ++k) {
          const uint32_t sv = Channel(s, g_PixelFormat, k), dv = Channel(d, g_BackBufferFormat, k);
          out[k] = k == 1 ? (dv + 2 * sv) >> 1 : (sv + dv) >> 1;
        }
        d = Compose16(out, g_BackBufferFormat);
      } else {
        uint32_t out[3];
        for (int k = 0; k < 3; ++k)
          out[k] = ((Channel(s, g_PixelFormat, k) + Channel(d, g_PixelFormat, k)) >> 1) & 31;
        d = Compose16(out, g_PixelFormat) | 0x8000;
      }
      return;
    }
    switch (BackendBpp(be)) {
      case 8:
        d = d == 0 ? s : table[d * 256 + s];
        break;
      case 16: {
        if (d == g_dwTransmitPixel) {
          d = s;
          break;
        }
        const int anMax[3] = {g_PixelFormat.nRedMax, g_PixelFormat.nGreenMax,
                              g_PixelFormat.nBlueMax};
        uint32_t out[3];
        for (int k = 0; k < 3; ++k) {
          const uint32_t m = static_cast<uint32_t>(anMax[k]);
          out[k] =
              ((Channel(d, g_PixelFormat, k) * 255 / m + Channel(s, g_PixelFormat, k) * 255 / m) >>
               1) *
              m / 255;
        }
        d = Compose16(out, g_PixelFormat);
        break;
      }
      default:
        if (d == g_dwTransmitPixel) {
          d = (d & 0xFF000000u) | (s & 0xFFFFFF);
          break;
        }
        d = (d & 0xFF000000u) | ((Byte(s, 2) + Byte(d, 2)) >> 1) << 16 |
            ((Byte(s, 1) + Byte(d, 1)) >> 1) << 8 | ((Byte(s, 0) + Byte(d, 0)) >> 1);
        break;
    }
  });
}

// ---- tests ------------------------------------------------------------------------------

class BlendBlitTest : public ::testing::TestWithParam<eBackend> {
 protected:
  void SetUp() override { FillTestBlendTable(m_table); }
  cTestGameFolder m_folder;
  uint8_t m_table[kBlendTableSize];
};

TEST_P(BlendBlitTest, TintFollowsItsRulesOnRandomRectangles) {
  const eBackend be = GetParam();
  cDrawLibrary lib(be, 48, 36);
  ASSERT_TRUE(lib.m_bStarted);
  cTestRandom rnd(31);
  cEffectSurfaces s(rnd);
  ForEachRowLoopSet([&] {
    for (int i = 0; i < 240 && !HasFailure(); ++i) {
      DDSURFACEDATA* lpDst = s.Target(i);
      DDSURFACEDATA* lpSrc = s.Source(i);
      const EFFECTARGS b = RandomEffectArgs(rnd, -1, 6);
      const int nColor = rnd.Below(600);
      PIXELS want = ReadPixels(lpDst);
      TintModel(be, want, ReadPixels(lpSrc), b, g_PaletteShown[nColor & 0xFF], m_table, nColor,
                DrawsQuad(lpDst, lpSrc), IsGpu(be) ? TargetFormat(be, lpDst) : GPUFMT_UNKNOWN);
      EXPECT_TRUE(DDBltTint(lpDst, b.x, b.y, b.w, b.h, lpSrc, b.sx, b.sy, b.bKey, g_PaletteShown,
                            m_table, nColor, b.nValue));
      ExpectSamePixels(ReadPixels(lpDst), want, Describe("tint", b, lpDst, lpSrc));
    }
  });
}

TEST_P(BlendBlitTest, HalfTransparencyFollowsItsRulesOnRandomRectangles) {
  const eBackend be = GetParam();
  cDrawLibrary lib(be, 48, 36);
  ASSERT_TRUE(lib.m_bStarted);
  cTestRandom rnd(47);
  cEffectSurfaces s(rnd);
  ForEachRowLoopSet([&] {
    for (int i = 0; i < 240 && !HasFailure(); ++i) {
      DDSURFACEDATA* lpDst = s.Target(i);
      DDSURFACEDATA* lpSrc = s.Source(i);
      const EFFECTARGS b = RandomEffectArgs(rnd, -20, 280);
      PIXELS want = ReadPixels(lpDst);
      AlphaModel(be, want, ReadPixels(lpSrc), b, m_table, DrawsQuad(lpDst, lpSrc),
                 IsGpu(be) ? TargetFormat(be, lpDst) : GPUFMT_UNKNOWN);
      EXPECT_TRUE(
          DDBltAlpha(lpDst, b.x, b.y, b.w, b.h, lpSrc, b.sx, b.sy, b.bKey, m_table, b.nValue));
      ExpectSamePixels(ReadPixels(lpDst), want, Describe("alpha", b, lpDst, lpSrc));
    }
  });
}

// Whole frames take every block path of the row loops.
TEST_P(BlendBlitTest, FullFramesFollowTheRules) {
  const eBackend be = GetParam();
  constexpr int kW = 320, kH = 96;
  cDrawLibrary lib(be, kW, kH);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, kW, kH, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  cTestRandom rnd(5);
  PaintRandom(&src, rnd);
  ForEachRowLoopSet([&] {
    for (int nLevel : {1, 2, 4}) {
      for (bool bKey : {false, true}) {
        PaintRandom(&g_BackBufferSD, rnd);
        const EFFECTARGS b{0, 0, kW, kH, 0, 0, bKey, nLevel};
        PIXELS want = ReadPixels(&g_BackBufferSD);
        TintModel(be, want, ReadPixels(&src), b, g_PaletteShown[3], m_table, 3, false,
                  GPUFMT_UNKNOWN);
        DDBltTint(&g_BackBufferSD, 0, 0, kW, kH, &src, 0, 0, bKey, g_PaletteShown, m_table, 3,
                  nLevel);
        ExpectSamePixels(ReadPixels(&g_BackBufferSD), want,
                         Describe("tint", b, &g_BackBufferSD, &src));
        want = ReadPixels(&g_BackBufferSD);
        AlphaModel(be, want, ReadPixels(&src), b, m_table, false, GPUFMT_UNKNOWN);
        DDBltHalf(&g_BackBufferSD, 0, 0, kW, kH, &src, 0, 0, bKey, m_table);
        ExpectSamePixels(ReadPixels(&g_BackBufferSD), want,
                         Describe("half", b, &g_BackBufferSD, &src));
      }
    }
  });
  DDReleaseSurface(&src);
}

// Positions and sizes far outside the surfaces, and levels and alphas no
// caller passes: nothing is drawn outside the surfaces, nothing hangs.
TEST_P(BlendBlitTest, ExtremeArgumentsDrawOnlyWhatTheRulesGive) {
  const eBackend be = GetParam();
  cDrawLibrary lib(be, 24, 16);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 20, 12, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  cTestRandom rnd(9);
  PaintRandom(&src, rnd);
  PaintRandom(&g_BackBufferSD, rnd);
  for (const EFFECTARGS& t : ExtremeEffectArgs(2)) {
    // Halving toward a colour settles long before 64 steps (the test
    // table's quarter steps too): the model needs no more.
    EFFECTARGS m = t;
    m.nValue = std::min(t.nValue, 64);
    PIXELS want = ReadPixels(&g_BackBufferSD);
    TintModel(be, want, ReadPixels(&src), m, g_PaletteShown[5], m_table, 5, false, GPUFMT_UNKNOWN);
    DDBltTint(&g_BackBufferSD, t.x, t.y, t.w, t.h, &src, t.sx, t.sy, t.bKey, g_PaletteShown,
              m_table, 5, t.nValue);
    ExpectSamePixels(ReadPixels(&g_BackBufferSD), want, Describe("tint", t, &g_BackBufferSD, &src));
    want = ReadPixels(&g_BackBufferSD);
    AlphaModel(be, want, ReadPixels(&src), t, m_table, false, GPUFMT_UNKNOWN);
    DDBltAlpha(&g_BackBufferSD, t.x, t.y, t.w, t.h, &src, t.sx, t.sy, t.bKey, m_table, t.nValue);
    ExpectSamePixels(ReadPixels(&g_BackBufferSD), want,
                     Describe("alpha", t, &g_BackBufferSD, &src));
  }
  DDReleaseSurface(&src);
}

INSTANTIATE_TEST_SUITE_P(EffectBackEnds, BlendBlitTest, ::testing::ValuesIn(kEffectBackends),
                         BackendParamName);

// ---- cases the rules single out ------------------------------------------------------

// The 8-bit display's blends through the blend table, as the rules single
// them out: a half mix onto index 0 takes the source index, the colour key
// leaves out source index 0; a tint applies the table once per level, not at
// level 0, and any level costs the same (the table's row composed).
TEST(SurfaceBlendTest, EightBitBlendsGoThroughTheTable) {
  cTestGameFolder folder;
  cDrawLibrary lib(eBackend::DD8, 3, 1);
  ASSERT_TRUE(lib.m_bStarted);
  uint8_t table[kBlendTableSize];
  FillTestBlendTable(table);  // the mix of a and b is (a + 3b) / 4
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 3, 1, 1, 1, 0, 0, 0));
  PIXELS pixels = ReadPixels(&src);
  pixels.v = {0, 8, 40};
  WritePixels(&src, pixels);
  auto run = [&](uint32_t d0, uint32_t d1, uint32_t d2, auto&& blit) {
    PIXELS target = ReadPixels(&g_BackBufferSD);
    target.v = {d0, d1, d2};
    WritePixels(&g_BackBufferSD, target);
    blit();
    return ReadPixels(&g_BackBufferSD).v;
  };
  using V = std::vector<uint32_t>;
  EXPECT_EQ(run(0, 0, 100, [&] { DDBltHalf(&g_BackBufferSD, 0, 0, 3, 1, &src, 0, 0, 1, table); }),
            (V{0, 8, (100 + 3 * 40) / 4}));
  EXPECT_EQ(run(9, 9, 9, [&] { DDBltHalf(&g_BackBufferSD, 0, 0, 3, 1, &src, 0, 0, 0, table); }),
            (V{table[9 * 256], table[9 * 256 + 8], table[9 * 256 + 40]}));
  // Three steps toward 200: 8 -> 152 -> 188 -> 197; 40 -> 160 -> 190 -> 197.
  EXPECT_EQ(run(1, 1, 1,
                [&] {
                  DDBltTint(&g_BackBufferSD, 0, 0, 3, 1, &src, 0, 0, 1, g_PaletteShown, table, 200,
                            3);
                }),
            (V{1, 197, 197}));
  EXPECT_EQ(run(1, 1, 1,
                [&] {
                  DDBltTint(&g_BackBufferSD, 0, 0, 3, 1, &src, 0, 0, 1, g_PaletteShown, table, 200,
                            0);
                }),
            (V{1, 1, 1}));
  // A table that only counts up: a million steps are a million modulo 256.
  for (int a = 0; a < 256; ++a) table[a * 256 + 200] = static_cast<uint8_t>(a + 1);
  EXPECT_EQ(run(1, 1, 1,
                [&] {
                  DDBltTint(&g_BackBufferSD, 0, 0, 3, 1, &src, 0, 0, 0, g_PaletteShown, table, 200,
                            1'000'000);
                }),
            (V{1'000'000 % 256, (8 + 1'000'000) % 256, (40 + 1'000'000) % 256}));
  DDReleaseSurface(&src);
}

// What each back end does not have: the textured one needs no blend table
// (true, nothing read, even for a missing file), the surface display has no
// colour wash (traced, 1, nothing drawn).
TEST(BlendBackEndTest, EachBackEndLacksWhatTheOtherHas) {
  cTestGameFolder folder;
  {
    cDrawLibrary lib(eBackend::Gpu32, 4, 2);
    ASSERT_TRUE(lib.m_bStarted);
    uint8_t table[kBlendTableSize] = {};
    EXPECT_TRUE(DDLoadBlendTable(table, "bmp\\hbt\\hbt99.dat"));
  }
  cDrawLibrary lib(eBackend::DD32, 4, 2);
  ASSERT_TRUE(lib.m_bStarted);
  DDPalFillSurface(&g_BackBufferSD, 3);
  SetTraceLog(true, kTraceLogName);
  EXPECT_EQ(DDChangeColor(&g_BackBufferSD, 0, 0, 4, 2, 0, 255, 0, 0), 1);
  SetTraceLog(false, kTraceLogName);
  EXPECT_NE(folder.ReadFile(kTraceLogName).find("DDrawでは DDChangeColor("), std::string::npos);
  EXPECT_EQ(lib.Picture(&g_BackBufferSD), "3333\n3333\n");
}

class GpuBlendTest : public ::testing::TestWithParam<eBackend> {
 protected:
  cTestGameFolder m_folder;
};

// A red picture tinted toward blue: the quad and the locked pixels agree at
// level 1 (half and half) and differ at level 2 (a = 80 and 64 of 255).
TEST_P(GpuBlendTest, TintLevelsOfTheQuadAndTheLockedPixels) {
  cDrawLibrary lib(GetParam(), 8, 4);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA video, system;
  ASSERT_TRUE(DDCreateSurface(&video, 8, 4, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&system, 8, 4, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  DDPalFillSurface(&video, 1);   // red
  DDPalFillSurface(&system, 1);  // red
  const bool b32 = g_nBpp == 32;
  struct CASE {
    int nLevel;
    bool bQuad;
    uint32_t dwRgb;  // 32 bits
    uint32_t dwRgb16;
  } cases[] = {
      {1, true, 0x80007F, 0x84007B}, {1, false, 0x7F007F, 0x7B007B},
      {2, true, 0x5000AF, 0x5200AD}, {2, false, 0x4000BF, 0x3900BD},
      {4, true, 0x1000EF, 0x1000EF}, {4, false, 0x1000EF, 0x0800EF},
  };
  for (const CASE& c : cases) {
    DDPalFillSurface(&g_BackBufferSD, 7);
    DDBltTint(&g_BackBufferSD, 0, 0, 8, 4, c.bQuad ? &video : &system, 0, 0, 0, g_PaletteShown,
              g_BlendTable, 3, c.nLevel);
    EXPECT_EQ(lib.Rgb(&g_BackBufferSD, 2, 1), b32 ? c.dwRgb : c.dwRgb16)
        << "level " << c.nLevel << (c.bQuad ? " quad" : " locked");
  }
  DDReleaseSurface(&system);
  DDReleaseSurface(&video);
}

// The quad honours the alpha: 0 draws the source as it is, 255 nothing;
// locked pixels mix half and half whatever the alpha.
TEST_P(GpuBlendTest, AlphaOfTheQuadAndTheLockedPixels) {
  cDrawLibrary lib(GetParam(), 8, 4);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA video, system;
  ASSERT_TRUE(DDCreateSurface(&video, 8, 4, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&system, 8, 4, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  DDPalFillSurface(&video, 4);   // white
  DDPalFillSurface(&system, 4);  // white
  // Half of white over black; the R5G6B5 back buffer keeps green's sixth bit.
  const uint32_t dwHalf = g_nBpp == 32                        ? 0x7F7F7F
                          : GetParam() == eBackend::Gpu16Full ? 0x7B7D7B
                                                              : 0x7B7B7B;
  struct CASE {
    int nAlpha;
    bool bQuad;
    uint32_t dwRgb;
  } cases[] = {
      {0, true, 0xFFFFFF}, {255, true, 0x000000}, {0, false, dwHalf}, {255, false, dwHalf}};
  for (const CASE& c : cases) {
    DDPalFillSurface(&g_BackBufferSD, 7);  // black
    DDBltAlpha(&g_BackBufferSD, 0, 0, 8, 4, c.bQuad ? &video : &system, 0, 0, 0, g_BlendTable,
               c.nAlpha);
    EXPECT_EQ(lib.Rgb(&g_BackBufferSD, 5, 2), c.dwRgb)
        << "alpha " << c.nAlpha << (c.bQuad ? " quad" : " locked");
  }
  DDReleaseSurface(&system);
  DDReleaseSurface(&video);
}

// Rule 6 at 16 bits: a texel counts as opaque when bit 15 or bit 13 is set.
TEST(GpuBlendKeyTest, SixteenBitTexelsAreTransparentWhenBits15And13AreClear) {
  cTestGameFolder folder;
  cDrawLibrary lib(eBackend::Gpu16Window, 4, 1);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 4, 1, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  PIXELS texels = ReadPixels(&src);
  texels.v = {0x2000, 0x0000, 0x1FFF, 0x8000};
  WritePixels(&src, texels);
  DDPalFillSurface(&g_BackBufferSD, 4);
  const PIXELS before = ReadPixels(&g_BackBufferSD);
  DDBltHalf(&g_BackBufferSD, 0, 0, 4, 1, &src, 0, 0, 1, g_BlendTable);
  const PIXELS after = ReadPixels(&g_BackBufferSD);
  EXPECT_NE(after.v[0], before.v[0]);
  EXPECT_EQ(after.v[1], before.v[1]);
  EXPECT_EQ(after.v[2], before.v[2]);
  EXPECT_NE(after.v[3], before.v[3]);
  DDReleaseSurface(&src);
}

// The wash covers the whole target whatever rectangle is passed: alpha 0 the
// opaque colour, alpha 255 nothing visible.
TEST_P(GpuBlendTest, ColourWashCoversTheWholeTarget) {
  cDrawLibrary lib(GetParam(), 8, 4);
  ASSERT_TRUE(lib.m_bStarted);
  DDPalFillSurface(&g_BackBufferSD, 3);  // blue
  EXPECT_EQ(DDChangeColor(&g_BackBufferSD, 2, 1, 2, 2, 255, 255, 0, 0), 1);
  EXPECT_EQ(lib.Picture(&g_BackBufferSD), "33333333\n33333333\n33333333\n33333333\n");
  EXPECT_EQ(DDChangeColor(&g_BackBufferSD, 2, 1, 2, 2, 0, 255, 0, 0), 1);
  EXPECT_EQ(lib.Picture(&g_BackBufferSD), "11111111\n11111111\n11111111\n11111111\n");
}

// A mirrored cell's mapped rectangle (DDMirrorSourceRect) is read mirrored on
// the locked path too, as the quad shows it, not forwards from its far edge:
// the half mix from the mirrored variant equals the one from a picture
// painted mirrored.
TEST_P(GpuBlendTest, MirroredCellsAreReadMirroredOnTheLockedPath) {
  cDrawLibrary lib(GetParam(), 8, 4);
  ASSERT_TRUE(lib.m_bStarted);
  const char* const kSheet[] = {"12345671", "23456712", "34567123", "45671234"};
  // Every 4-pixel cell mirrored in place.
  std::string flippedRows[4];
  const char* kFlipped[4];
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) flippedRows[y] += kSheet[y][4 * (x / 4 + 1) - x % 4 - 1];
    kFlipped[y] = flippedRows[y].c_str();
  }
  DDSURFACEDATA sheet, variant, flipped;
  ASSERT_TRUE(DDCreateSurface(&sheet, 8, 4, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&variant, 8, 4, 0, 1, DTMEMORYTYPE_SYSTEM, 1, 0));
  ASSERT_TRUE(DDCreateSurface(&flipped, 8, 4, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  PaintRows(&sheet, kSheet, 4);
  PaintRows(&flipped, kFlipped, 4);
  variant.lpParentSD = &sheet;
  variant.nMirrorWidth = 4;
  struct CASE {
    int sx, w;
  } cases[] = {{4, 4}, {0, 4}, {5, 2}};  // a whole cell, the other one, part of one
  for (const CASE& c : cases) {
    PIXELS shown[2];
    for (int i = 0; i < 2; ++i) {
      DDPalFillSurface(&g_BackBufferSD, 6);
      DDBltHalf(&g_BackBufferSD, 1, 0, c.w, 4, i ? &flipped : &variant, c.sx, 0, 0, g_BlendTable);
      shown[i] = ReadPixels(&g_BackBufferSD);
    }
    ExpectSamePixels(shown[0], shown[1], "from column " + std::to_string(c.sx));
  }
  DDReleaseSurface(&flipped);
  DDReleaseSurface(&variant);
  DDReleaseSurface(&sheet);
}

TEST_P(GpuBlendTest, FullScreenBackBufferIsTheWindowlessBackBufferOnly) {
  cDrawLibrary lib(GetParam(), 8, 4);
  ASSERT_TRUE(lib.m_bStarted);
  EXPECT_EQ(DDIsFullScreenBackBuffer(&g_BackBufferSD), GetParam() == eBackend::Gpu16Full ? 1 : 0);
  EXPECT_EQ(DDIsFullScreenBackBuffer(&g_VirBackBufferSD), 0);
}

INSTANTIATE_TEST_SUITE_P(TexturedBackEnds, GpuBlendTest,
                         ::testing::Values(eBackend::Gpu32, eBackend::Gpu16Window,
                                           eBackend::Gpu16Full),
                         BackendParamName);

}  // namespace
