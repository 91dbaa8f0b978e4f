// The locked-pixel copy of the textured back ends (system-memory sources,
// targets that are not render targets) checked against a per-pixel model of
// its rules on random rectangles, scales, mirrors and texels, at every depth:
// the row loops it runs must give exactly the model's pixels.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/draw/tests/effect_fixture.h"

namespace {

// The copy rule pixel by pixel: unscaled, pixel (x + k, y + j) takes source
// (sx + k, sy + j); scaled, column k takes sx + trunc(k * fx) (one less for a
// negative source width) while that offset stays within the source width,
// rows likewise. Only positions inside both surfaces are copied; keyed
// copies leave out transparent texels; at 16 bits onto the full-screen back
// buffer the texel becomes R5G6B5.
void ModelCopy(PIXELS& dst, const PIXELS& src, int x, int y, int w, int h, int sx, int sy, int sw,
               int sh, bool bKey, bool bTo565) {
  const bool bUnscaled = sw == w && sh == h;
  const double fx = static_cast<double>(sw) / w, fy = static_cast<double>(sh) / h;
  const CHANNELFORMAT& bf = g_BackBufferFormat;
  for (int j = 0; j < h; ++j) {
    const int dy = y + j;
    const int oy = bUnscaled ? j : static_cast<int>(j * fy);
    if (dy < 0 || dy >= dst.nHeight || (!bUnscaled && std::abs(oy) >= std::abs(sh))) continue;
    const int ry = bUnscaled ? sy + j : (sh < 0 ? sy + oy - 1 : sy + oy);
    if (ry < 0 || ry >= src.nHeight) continue;
    for (int k = 0; k < w; ++k) {
      const int dx = x + k;
      const int ox = bUnscaled ? k : static_cast<int>(k * fx);
      if (dx < 0 || dx >= dst.nWidth || (!bUnscaled && std::abs(ox) >= std::abs(sw))) continue;
      const int rx = bUnscaled ? sx + k : (sw < 0 ? sx + ox - 1 : sx + ox);
      if (rx < 0 || rx >= src.nWidth) continue;
      uint32_t t = src.v[static_cast<size_t>(ry) * src.nWidth + rx];
      if (src.nBytes == 4) {
        if (bKey && (t >> 24) == 0) continue;
      } else {
        if (bKey && (t & 0xA000) == 0) continue;
        if (bTo565)
          t = ((t >> 10) & 31) << bf.nRedShift | (((t >> 5) & 31) * 2) << bf.nGreenShift |
              (t & 31) << bf.nBlueShift;
        t &= 0xFFFF;
      }
      dst.At(dx, dy) = t;
    }
  }
}

struct COPYCASE {
  int x, y, w, h, sx, sy, sw, sh;
  uint32_t dwFlags;
};

std::string Describe(const COPYCASE& c) {
  return testing::PrintToString(
      std::vector<int>{c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh, static_cast<int>(c.dwFlags)});
}

// Runs one DDStretchBlt and compares the whole target with the model.
void ExpectCopyMatchesModel(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, const COPYCASE& c,
                            bool bTo565Target) {
  PIXELS want = ReadPixels(lpDst);
  const PIXELS src = ReadPixels(lpSrc);
  ModelCopy(want, src, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh, c.dwFlags != 0,
            bTo565Target && want.bIsBackBuffer && want.nBytes == 2);
  DDStretchBlt(lpDst, c.x, c.y, c.w, c.h, lpSrc, c.sx, c.sy, c.sw, c.sh, c.dwFlags);
  ExpectSamePixels(ReadPixels(lpDst), want, Describe(c));
}

class LockedCopyTest : public ::testing::TestWithParam<eBackend> {
 protected:
  cTestGameFolder m_folder;
};

TEST_P(LockedCopyTest, RandomCopiesMatchThePerPixelRule) {
  cDrawLibrary lib(GetParam(), 48, 36);
  ASSERT_TRUE(lib.m_bStarted);
  const bool bTo565 = GetParam() == eBackend::Gpu16Full;
  DDSURFACEDATA src, sysTarget, rtTarget;
  ASSERT_TRUE(DDCreateSurface(&src, 37, 29, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&sysTarget, 41, 23, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&rtTarget, 40, 30, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  cTestRandom rnd(2024);
  PaintRandom(&src, rnd);
  PaintRandom(&sysTarget, rnd);
  PaintRandom(&rtTarget, rnd);
  DDPalFillSurface(&g_BackBufferSD, 7);
  auto next = [&rnd](int lo, int hi) { return rnd.Between(lo, hi); };
  DDSURFACEDATA* const targets[] = {&g_BackBufferSD, &sysTarget, &rtTarget};
  for (int i = 0; i < 600; ++i) {
    COPYCASE c{next(-40, 40),
               next(-30, 30),
               next(-2, 70),
               next(-2, 50),
               next(-10, 40),
               next(-10, 35),
               0,
               0,
               static_cast<uint32_t>(next(0, 1))};
    switch (next(0, 3)) {
      case 0:  // unscaled
        c.sw = c.w;
        c.sh = c.h;
        break;
      case 1:  // whole enlargements, mirrored or not
        c.sw = c.w / next(1, 3) * (next(0, 1) ? -1 : 1);
        c.sh = c.h / next(1, 3) * (next(0, 1) ? -1 : 1);
        break;
      default:  // any sizes, one of them sometimes unscaled
        c.sw = next(0, 4) == 0 ? c.w : next(-45, 45);
        c.sh = next(-35, 35);
        break;
    }
    ExpectCopyMatchesModel(targets[i % 3], &src, c, bTo565);
    if (HasFailure()) break;
  }
  DDReleaseSurface(&rtTarget);
  DDReleaseSurface(&sysTarget);
  DDReleaseSurface(&src);
}

// Full frames take the streaming stores and the block tests of whole rows.
TEST_P(LockedCopyTest, FullFrameCopiesMatchThePerPixelRule) {
  constexpr int kW = 640, kH = 480;
  cDrawLibrary lib(GetParam(), kW, kH);
  ASSERT_TRUE(lib.m_bStarted);
  const bool bTo565 = GetParam() == eBackend::Gpu16Full;
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, kW, kH, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  cTestRandom rnd(77);
  PaintRandom(&src, rnd);
  const COPYCASE cases[] = {
      {0, 0, kW, kH, 0, 0, kW, kH, 0},            // opaque, whole frame
      {0, 0, kW, kH, 0, 0, kW, kH, 1},            // keyed, whole frame
      {3, -5, kW, kH, 0, 0, kW, kH, 1},           // keyed, off the target's edges
      {0, 0, kW, kH, 0, 0, kW / 2, kH / 2, 0},    // enlarged twice
      {-1, 0, kW, kH, 17, 9, kW / 2, kH / 2, 1},  // enlarged twice, keyed, odd columns
      {0, 0, kW, kH, kW, 0, -kW / 3, kH / 3, 1},  // enlarged three times, mirrored
  };
  for (const COPYCASE& c : cases) {
    DDPalFillSurface(&g_BackBufferSD, 4);
    ExpectCopyMatchesModel(&g_BackBufferSD, &src, c, bTo565);
  }
  DDReleaseSurface(&src);
}

INSTANTIATE_TEST_SUITE_P(TexturedBackEnds, LockedCopyTest,
                         ::testing::Values(eBackend::Gpu32, eBackend::Gpu16Window,
                                           eBackend::Gpu16Full),
                         [](const auto& info) { return std::string(BackendName(info.param)); });

}  // namespace
