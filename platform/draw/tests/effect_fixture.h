#pragma once
// What the tests of the pixel-level effects share: the back ends and depths
// the effects run on, a surface's raw pixels read and written whole, random
// pictures with transparent runs, the comparison of a whole target with a
// reference picture, and the table of extreme arguments.
//
// A test of an effect draws on every back end and depth, and holds the
// library's result against a plain loop of its own that follows the rules
// pixel by pixel (PIXELS in, PIXELS out).

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/draw/pixels/pixel_rows.h"
#include "platform/draw/tests/draw_fixture.h"
#include "testing/test_random.h"

// The depths of each back end the effects serve (24 bits draws nothing).
inline constexpr eBackend kEffectBackends[] = {eBackend::Gpu32,     eBackend::Gpu16Window,
                                               eBackend::Gpu16Full, eBackend::DD8,
                                               eBackend::DD16,      eBackend::DD32};

inline std::string BackendParamName(const ::testing::TestParamInfo<eBackend>& info) {
  return BackendName(info.param);
}

// Runs fn with each set of row loops: with AVX2 where the processor has it,
// then with SSE2 alone.
template <class FN>
void ForEachRowLoopSet(FN fn) {
  for (bool bAvx2 : {true, false}) {
    SCOPED_TRACE(bAvx2 ? "AVX2 row loops" : "SSE2 row loops");
    UseAvx2RowLoops(bAvx2);
    fn();
  }
  UseAvx2RowLoops(true);
}

// Arguments no caller should pass but any may: every effect takes them
// without a crash, a hang or undefined behaviour.
inline constexpr int kExtremeInts[] = {0, 1, -1, -5, 1'000'000, -1'000'000, INT_MAX, INT_MIN};

// The raw pixels of a locked surface (what the lock reaches), widened to 32
// bits.
struct PIXELS {
  int nWidth = 0, nHeight = 0, nBytes = 0;
  bool bIsBackBuffer = false;
  std::vector<uint32_t> v;
  uint32_t& At(int x, int y) { return v[static_cast<size_t>(y) * nWidth + x]; }
  uint32_t At(int x, int y) const { return v[static_cast<size_t>(y) * nWidth + x]; }
  bool Inside(long long x, long long y) const {
    return x >= 0 && y >= 0 && x < nWidth && y < nHeight;
  }
};

inline PIXELS ReadPixels(DDSURFACEDATA* lpSD) {
  cSurfaceLock lock(lpSD);
  EXPECT_TRUE(lock.IsLocked());
  PIXELS p;
  if (!lock.IsLocked()) return p;
  p.nWidth = lock.m_nWidth;
  p.nHeight = lock.m_nHeight;
  p.nBytes = lock.m_nBytesPerPixel;
  p.bIsBackBuffer = lock.m_lpSD == &g_BackBufferSD;
  p.v.resize(static_cast<size_t>(p.nWidth) * p.nHeight);
  for (int y = 0; y < p.nHeight; ++y)
    for (int x = 0; x < p.nWidth; ++x)
      p.At(x, y) = ReadPixelBytes(lock.Row<uint8_t>(y) + x * p.nBytes, p.nBytes);
  return p;
}

inline void WritePixels(DDSURFACEDATA* lpSD, const PIXELS& p) {
  cSurfaceLock lock(lpSD);
  ASSERT_TRUE(lock.IsLocked());
  for (int y = 0; y < p.nHeight; ++y)
    for (int x = 0; x < p.nWidth; ++x)
      WritePixelBytes(lock.Row<uint8_t>(y) + x * p.nBytes, p.nBytes, p.At(x, y));
}

// Fills a surface with random pixels in runs of 1 to 40 (so that whole
// blocks of SIMD lanes are sometimes alike): transparent runs (the
// transparent colour of the surface display, alpha 0 or bits 15 and 13
// clear on the textured one), opaque runs and, at 32 textured bits, runs of
// partial alpha.
inline void PaintRandom(DDSURFACEDATA* lpSD, cTestRandom& rnd) {
  cSurfaceLock lock(lpSD);
  ASSERT_TRUE(lock.IsLocked());
  const bool bGpu = lpDTCon != nullptr;
  const int nBytes = lock.m_nBytesPerPixel;
  int nLeft = 0, nKind = 0;
  for (int y = 0; y < lock.m_nHeight; ++y) {
    for (int x = 0; x < lock.m_nWidth; ++x) {
      if (nLeft-- <= 0) {
        nLeft = rnd.Below(40);
        nKind = rnd.Below(3);
      }
      uint32_t v = rnd.Next() << 17 ^ rnd.Next() << 2 ^ rnd.Next();
      if (!bGpu) {
        if (nKind == 0) v = g_dwTransmitPixel;
      } else if (nBytes == 4) {
        const uint32_t a = nKind == 0 ? 0 : nKind == 1 ? 0xFF : 1 + rnd.Below(254);
        v = a << 24 | (v & 0xFFFFFF);
      } else if (nKind == 0) {
        v &= ~0xA000u;
      } else if ((v & 0xA000) == 0) {
        v |= nKind == 1 ? 0x8000 : 0x2000;
      }
      WritePixelBytes(lock.Row<uint8_t>(y) + x * nBytes, nBytes, v);
    }
  }
}

// The whole target against the reference, naming the first few pixels that
// differ.
inline void ExpectSamePixels(const PIXELS& got, const PIXELS& want, const std::string& what) {
  ASSERT_EQ(got.v.size(), want.v.size()) << what;
  int nBad = 0;
  for (size_t i = 0; i < got.v.size() && nBad < 3; ++i) {
    if (got.v[i] == want.v[i]) continue;
    ADD_FAILURE() << what << " at " << i % got.nWidth << "," << i / got.nWidth << ": " << std::hex
                  << got.v[i] << " instead of " << want.v[i];
    ++nBad;
  }
}

// ---- one call of an effect ------------------------------------------------------------

// The rectangle of an effect: w x h at (x, y) of the destination read from
// (sx, sy) of the source, the colour key, and the effect's own value (a
// level, an alpha, a block size, a radius).
struct EFFECTARGS {
  int x, y, w, h, sx, sy;
  bool bKey;
  int nValue;
};

inline std::string Describe(const char* pszWhat, const EFFECTARGS& a, DDSURFACEDATA* lpDst,
                            DDSURFACEDATA* lpSrc = nullptr) {
  return std::string(pszWhat) + " " +
         testing::PrintToString(
             std::vector<int>{a.x, a.y, a.w, a.h, a.sx, a.sy, a.bKey, a.nValue}) +
         (lpDst == &g_BackBufferSD ? " onto the back buffer" : " onto a surface") +
         (lpSrc && lpSrc->lpDT && lpSrc->lpDT->nMemoryType == DTMEMORYTYPE_SYSTEM
              ? " from system memory"
              : "");
}

// A rectangle partly or wholly outside the surfaces of cEffectSurfaces, of
// any size from -2, with or without the key, and a value in nFrom .. nTo.
inline EFFECTARGS RandomEffectArgs(cTestRandom& rnd, int nFrom, int nTo) {
  EFFECTARGS a;
  a.x = rnd.Between(-30, 45);
  a.y = rnd.Between(-25, 40);
  a.w = rnd.Between(-2, 50);
  a.h = rnd.Between(-2, 40);
  a.sx = rnd.Between(-12, 35);
  a.sy = rnd.Between(-12, 30);
  a.bKey = rnd.Below(2) == 1;
  a.nValue = rnd.Between(nFrom, nTo);
  return a;
}

// Calls with every pair of extreme values in the places of the rectangle and
// of the value.
inline std::vector<EFFECTARGS> ExtremeEffectArgs(int nValue) {
  std::vector<EFFECTARGS> calls;
  for (int a : kExtremeInts) {
    for (int b : kExtremeInts) {
      calls.push_back({a, 2, b, 5, 1, 1, true, nValue});
      calls.push_back({1, a, 5, b, 2, 1, false, nValue});
      calls.push_back({3, 2, 9, 7, a, b, true, nValue});
      calls.push_back({2, 2, 14, 9, 0, 0, a % 2 != 0, a});
      calls.push_back({-3, 1, 30, 20, 2, -4, true, b});
    }
  }
  return calls;
}

// Sources and targets of every path, painted at random: under the textured
// back end a render-target texture and a system-memory texture as sources,
// and a surface that is no render target beside the back buffer as targets.
struct cEffectSurfaces {
  DDSURFACEDATA src, sysSrc, target;
  explicit cEffectSurfaces(cTestRandom& rnd) {
    EXPECT_TRUE(DDCreateSurface(&src, 37, 29, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    EXPECT_TRUE(DDCreateSurface(&sysSrc, 23, 31, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
    EXPECT_TRUE(DDCreateSurface(&target, 41, 23, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
    for (DDSURFACEDATA* p : {&src, &sysSrc, &target, &g_BackBufferSD}) PaintRandom(p, rnd);
  }
  ~cEffectSurfaces() {
    DDReleaseSurface(&target);
    DDReleaseSurface(&sysSrc);
    DDReleaseSurface(&src);
  }
  // The target and source of call i of a series: every pairing in turn.
  DDSURFACEDATA* Target(int i) { return i % 2 ? &g_BackBufferSD : &target; }
  DDSURFACEDATA* Source(int i) { return i % 3 ? &src : &sysSrc; }
};

// ---- the rules the models share -------------------------------------------------------

// The offsets k of 0 .. n - 1 with 0 <= a + k < nA and 0 <= b + k < nB, as
// [first, end).
inline std::pair<long long, long long> InsideBoth(int n, long long a, int nA, long long b, int nB) {
  return {std::max({0LL, -a, -b}), std::min({static_cast<long long>(n), nA - a, nB - b})};
}

// A source pixel the colour key leaves out, as each back end sees it.
inline bool IsKeyPixel(eBackend be, uint32_t p) {
  if (!IsGpu(be)) return p == g_dwTransmitPixel;
  return BackendBpp(be) == 32 ? (p >> 24) == 0 : (p & 0xA000) == 0;
}
