// The lens and the rotation on every back end, against pictures that plain
// reference loops paint pixel by pixel from the blits' rules: each
// destination pixel is worked out on its own, with the square roots,
// divisions and products of the rules, none of the blits' clipping or
// stepping.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "platform/draw/dd_geometry.h"
#include "platform/draw/pixels/pixel_rows.h"
#include "platform/draw/tests/draw_fixture.h"

namespace {

constexpr int kW = 64, kH = 48;        // the back buffer
constexpr int kSrcW = 24, kSrcH = 20;  // the picture drawn
constexpr char kBack = '4';            // the back buffer's colour before each draw

long long IntegerSqrt(long long n) {
  unsigned long long r = static_cast<unsigned long long>(std::sqrt(static_cast<double>(n)));
  const unsigned long long m = static_cast<unsigned long long>(n);
  while (r * r > m) --r;
  while ((r + 1) * (r + 1) <= m) ++r;
  return static_cast<long long>(r);
}

class GeometryTest : public ::testing::TestWithParam<eBackend> {
 protected:
  void SetUp() override {
    m_lib = std::make_unique<cDrawLibrary>(GetParam(), kW, kH);
    ASSERT_TRUE(m_lib->m_bStarted);
    // A render-target texture (the rotation's quad) and a system-memory one
    // (its locked path); the surface back end has only the first.
    ASSERT_TRUE(DDCreateSurface(&m_src, kSrcW, kSrcH, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    ASSERT_TRUE(DDCreateSurface(&m_system, kSrcW, kSrcH, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
    PaintRows(&m_src, m_picture);
    PaintRows(&m_system, m_picture);
  }
  void TearDown() override {
    DDReleaseSurface(&m_src);
    DDReleaseSurface(&m_system);
  }

  bool Gpu() const { return IsGpu(GetParam()); }
  void Clear() { DDPalFillSurface(&g_BackBufferSD, kBack - '0'); }
  std::string Shown() const {
    return m_lib->Picture(&g_BackBufferSD, GetParam() == eBackend::Gpu16Full);
  }
  // How a texel or pixel of value 0 (a transparent source pixel copied, or
  // the lens's clearing) shows on the back buffer.
  char Zero() const {
    switch (GetParam()) {
      case eBackend::Gpu32:
      case eBackend::Gpu16Full:
        return '7';  // black
      case eBackend::Gpu16Window:
        return '.';  // a texel without its alpha bit
      default:
        return '0';  // the transparent colour's pixel
    }
  }
  // Whether the depth draws locked effects at all.
  bool Draws() const { return GetParam() != eBackend::DD24; }
  // The source the rotation's locked path reads.
  DDSURFACEDATA* LockedSource() { return Gpu() ? &m_system : &m_src; }

  cTestGameFolder m_folder;
  std::unique_ptr<cDrawLibrary> m_lib;
  std::vector<std::string> m_picture = RandomPicture(kSrcW, kSrcH, 11);
  DDSURFACEDATA m_src, m_system;
};

// ---- lens -----------------------------------------------------------------------------------

struct LENS {
  int cx, cy, nRadius, nDepth, scx, scy, bColorKey;
};

// The lens pixel by pixel; what a transparent source pixel does depends on
// the back end and depth.
std::string LensReference(eBackend b, const std::vector<std::string>& src, const LENS& k,
                          char cZero) {
  cCanvas c(kW, kH, kBack);
  const long long R = k.nRadius, D = k.nDepth;
  if (R < 0 || D < 0) return c.Str();
  const long long F = IntegerSqrt(R * R + D * D);
  if (F <= D || b == eBackend::DD24) return c.Str();
  for (long long y = 0; y < kH; ++y) {
    for (long long x = 0; x < kW; ++x) {
      const long long i = y - k.cy, j = x - k.cx;
      if (i < -R || i > R || j < -R || j > R || i * i + j * j > R * R) continue;
      const double z = std::sqrt(static_cast<double>(F * F - i * i - j * j));
      long long u = j, v = i;
      if (z != 0) {
        u = static_cast<long long>(static_cast<double>(j) * D / z + 0.5);
        v = static_cast<long long>(static_cast<double>(i) * D / z + 0.5);
      }
      const long long sx = k.scx + u, sy = k.scy + v;
      if (sx < 0 || sx >= kSrcW || sy < 0 || sy >= kSrcH) continue;
      const char s = src[sy][sx];
      // The surface back end leaves out the transparent colour whatever
      // bColorKey says; the textured one at 32 bits every texel of alpha 0,
      // at 16 bits those transparent with bColorKey.
      const bool bSkip = s == '.' && (!IsGpu(b) || BackendBpp(b) == 32 || k.bColorKey == 1);
      if (!bSkip) c.Put(x, y, s == '.' ? cZero : s);
    }
  }
  return c.Str();
}

TEST_P(GeometryTest, LensMatchesTheReference) {
  const LENS kCases[] = {
      {30, 22, 12, 10, 12, 10, 1},                  // a disc inside everything
      {30, 22, 40, 30, 12, 10, 1},                  // F = 50: 5/3 at the centre, past the edges
      {30, 22, 9, 0, 12, 10, 1},                    // depth 0: all the source centre but the rim
      {30, 22, 14, 6, 12, 10, 0},                   // transparent pixels without the colour key
      {3, 45, 20, 8, 2, 18, 1},                     // a centre near the corners of both
      {-30, 22, 40, 25, 12, 10, 1},                 // a centre off the destination
      {30, -5, 12, 10, 12, 10, 1},                  // only rows below the centre land
      {30, 55, 12, 10, 12, 10, 1},                  // only rows above it
      {30, 22, 1000000, 0, 12, 10, 1},              // a huge radius: F = R
      {30, 22, 1000000, 999999, 12, 10, 1},         // a huge radius and depth
      {30, 22, 2147483647, 2147483647, 12, 10, 1},  // R^2 + D^2 near 2^63
      {-2147483647 - 1, 22, 2147483647, 3, 12, 10, 1},
      {30, 2147483647, 2147483647, 3, -2147483647 - 1, 2147483647, 1},
  };
  // With and without the vector loop of the square roots.
  for (bool bAvx2 : {true, false}) {
    UseAvx2RowLoops(bAvx2);
    for (const LENS& k : kCases) {
      SCOPED_TRACE(testing::Message() << "radius " << k.nRadius << " depth " << k.nDepth << " at "
                                      << k.cx << "," << k.cy << (bAvx2 ? "" : ", no AVX2"));
      Clear();
      EXPECT_TRUE(DDBltLens(&g_BackBufferSD, k.cx, k.cy, k.nRadius, k.nDepth, &m_src, k.scx, k.scy,
                            k.bColorKey, 0));
      EXPECT_EQ(Shown(), LensReference(GetParam(), m_picture, k, Zero()));
    }
  }
  UseAvx2RowLoops(true);
}

TEST_P(GeometryTest, LensRefusesARadiusTooSmallForItsDepth) {
  Clear();
  const std::string sClear = Shown();
  // R 10, D 60: F = trunc(sqrt(3700)) = 60, not above the depth.
  EXPECT_FALSE(DDBltLens(&g_BackBufferSD, 30, 22, 10, 60, &m_src, 12, 10, 1, 0));
  EXPECT_FALSE(DDBltLens(&g_BackBufferSD, 30, 22, -1, 5, &m_src, 12, 10, 1, 0));
  EXPECT_FALSE(DDBltLens(&g_BackBufferSD, 30, 22, 5, -1, &m_src, 12, 10, 1, 0));
  EXPECT_FALSE(DDBltLens(&g_BackBufferSD, 30, 22, 0, 0, &m_src, 12, 10, 1, 0));
  EXPECT_EQ(Shown(), sClear);
  // R 40, D 30: F = 50, and the centre pixel shows the source centre.
  EXPECT_TRUE(DDBltLens(&g_BackBufferSD, 30, 22, 40, 30, &m_src, 12, 10, 1, 0));
  const char cCentre = m_picture[10][12];
  EXPECT_EQ(Shown()[22 * (kW + 1) + 30], Draws() && cCentre != '.' ? cCentre : kBack);
}

TEST_P(GeometryTest, LensClearsTheSquareAroundTheDiscOnlyAtThirtyTwoBits) {
  // Onto a keyed work surface: with bClearOutside the textured back end at
  // 32 bits makes every pixel of the square that shows nothing transparent.
  DDSURFACEDATA work;
  ASSERT_TRUE(DDCreateSurface(&work, 40, 30, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  DDPalFillSurface(&work, 4);
  const LENS k{20, 15, 8, 5, 12, 10, 1};
  ASSERT_TRUE(DDBltLens(&work, k.cx, k.cy, k.nRadius, k.nDepth, &m_src, k.scx, k.scy, 1, 1));
  const std::string s = m_lib->Picture(&work);
  const bool bClears = GetParam() == eBackend::Gpu32;
  const long long F = IntegerSqrt(8 * 8 + 5 * 5);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const long long i = y - k.cy, j = x - k.cx;
      const char cShown = s[static_cast<size_t>(y * 41 + x)];
      if (std::abs(i) > 8 || std::abs(j) > 8) {
        EXPECT_EQ(cShown, '4') << x << "," << y;
        continue;
      }
      char cWant = bClears ? '.' : '4';
      if (i * i + j * j <= 64 && Draws()) {
        const double z = std::sqrt(static_cast<double>(F * F - i * i - j * j));
        const long long u = static_cast<long long>(static_cast<double>(j) * 5 / z + 0.5);
        const long long v = static_cast<long long>(static_cast<double>(i) * 5 / z + 0.5);
        const long long sx = k.scx + u, sy = k.scy + v;
        const char c = sx >= 0 && sx < kSrcW && sy >= 0 && sy < kSrcH ? m_picture[sy][sx] : '.';
        if (c != '.') cWant = c;
      }
      EXPECT_EQ(cShown, cWant) << x << "," << y;
    }
  }
  DDReleaseSurface(&work);
}

// ---- rotation ---------------------------------------------------------------------------------

struct ROTATE {
  int cx, cy, nWidth, nHeight, nPivotX, nPivotY, nAngle, sx, sy, bColorKey;
};

// The locked rotation pixel by pixel: each destination pixel inside the box
// around the turned corners takes the rectangle's pixel its fixed-point
// products name.
std::string RotateReference(const std::vector<std::string>& src, const ROTATE& k, char cZero,
                            bool bDraws) {
  cCanvas c(kW, kH, kBack);
  if (!bDraws || k.nWidth <= 0 || k.nHeight <= 0) return c.Str();
  const double a = k.nAngle * std::numbers::pi / 180.0;
  const long long Kc = static_cast<long long>(1024 * std::cos(a));
  const long long Ks = static_cast<long long>(1024 * std::sin(a));
  const long long W = k.nWidth, H = k.nHeight, pX = k.nPivotX, pY = k.nPivotY;
  long long xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  const long long aCorners[4][2] = {{0, 0}, {W - 1, 0}, {0, H - 1}, {W - 1, H - 1}};
  for (int n = 0; n < 4; ++n) {
    const long long dx = aCorners[n][0] - pX, dy = aCorners[n][1] - pY;
    const long long X = pX + ((Kc * dx - Ks * dy) >> 10), Y = pY + ((Ks * dx + Kc * dy) >> 10);
    xMin = n ? std::min(xMin, X) : X;
    xMax = n ? std::max(xMax, X) : X;
    yMin = n ? std::min(yMin, Y) : Y;
    yMax = n ? std::max(yMax, Y) : Y;
  }
  for (long long y = 0; y < kH; ++y) {
    for (long long x = 0; x < kW; ++x) {
      const long long X = x - k.cx + pX, Y = y - k.cy + pY;
      if (X < xMin - 2 || X >= xMax + 2 || Y < yMin - 2 || Y >= yMax + 2) continue;
      const long long dx = X - pX, dy = Y - pY;
      const long long u = pX + ((Kc * dx + Ks * dy) >> 10), v = pY + ((Kc * dy - Ks * dx) >> 10);
      if (u < 0 || u >= W || v < 0 || v >= H) continue;
      const long long sx = k.sx + u, sy = k.sy + v;
      if (sx < 0 || sx >= kSrcW || sy < 0 || sy >= kSrcH) continue;
      const char s = src[sy][sx];
      if (s == '.' && k.bColorKey == 1) continue;
      c.Put(x, y, s == '.' ? cZero : s);
    }
  }
  return c.Str();
}

TEST_P(GeometryTest, LockedRotationMatchesTheReference) {
  const ROTATE kCases[] = {
      {30, 22, 24, 20, 12, 10, 0, 0, 0, 1},    // unchanged, its pivot on (30, 22)
      {30, 22, 24, 20, 12, 10, 90, 0, 0, 1},   // 24 x 20 becomes 20 x 24
      {30, 22, 24, 20, 12, 10, 180, 0, 0, 0},  // one pixel off the 0-degree picture
      {30, 22, 24, 20, 12, 10, 30, 0, 0, 1},
      {30, 22, 16, 12, 3, 9, -45, 4, 5, 0},     // another pivot, part of the source
      {2, 44, 24, 20, 12, 10, 200, 0, 0, 1},    // reaching past the destination
      {30, 22, 30, 26, 15, 13, 60, -3, -4, 1},  // reaching past the source
      {30, 22, 24, 20, 12, 10, 1000000, 0, 0, 1},
      {30, 22, 24, 20, 12, 10, -1000000, 0, 0, 1},
      {30, 22, 0, 20, 0, 10, 45, 0, 0, 1},            // width 0
      {30, 22, 1, 20, 0, 10, 45, 0, 0, 1},            // width 1
      {30, 22, 2147483647, 20, 12, 10, 90, 0, 0, 1},  // a rectangle far beyond the source
      {30, 22, 24, 20, -2147483647 - 1, 2147483647, 45, 0, 0, 1},  // pivots at the int ends
      {2147483647, -2147483647 - 1, 24, 20, 12, 10, 45, 2147483647, 0, 1},
  };
  for (const ROTATE& k : kCases) {
    SCOPED_TRACE(testing::Message() << "angle " << k.nAngle << " " << k.nWidth << "x" << k.nHeight);
    Clear();
    EXPECT_TRUE(DDBltRotate(&g_BackBufferSD, k.cx, k.cy, k.nWidth, k.nHeight, k.nPivotX, k.nPivotY,
                            k.nAngle, LockedSource(), k.sx, k.sy, k.bColorKey));
    EXPECT_EQ(Shown(), RotateReference(m_picture, k, Zero(), Draws()));
  }
}

TEST_P(GeometryTest, TurnedQuadShowsRightAnglesExactly) {
  if (!Gpu()) GTEST_SKIP() << "the quad belongs to the textured back end";
  // Pivot (12, 10) of the 24 x 20 rectangle on (30, 22). Continuous turns
  // about the pivot: source pixel (u, v) lands at 0 degrees on
  // (30 - 12 + u, 22 - 10 + v); at 90 on (30 - 1 - (v - 10), 22 + (u - 12));
  // at 180 on (30 - 1 - (u - 12), 22 - 1 - (v - 10)). Transparent texels
  // leave the picture under them.
  for (int nAngle : {0, 90, 180, 360, -270}) {
    SCOPED_TRACE(testing::Message() << "angle " << nAngle);
    Clear();
    EXPECT_TRUE(DDBltRotate(&g_BackBufferSD, 30, 22, 24, 20, 12, 10, nAngle, &m_src, 0, 0, 0));
    cCanvas c(kW, kH, kBack);
    for (int v = 0; v < kSrcH; ++v) {
      for (int u = 0; u < kSrcW; ++u) {
        const int nTurn = ((nAngle % 360) + 360) % 360;
        int x = 18 + u, y = 12 + v;
        if (nTurn == 90) {
          x = 29 - (v - 10);
          y = 22 + (u - 12);
        } else if (nTurn == 180) {
          x = 29 - (u - 12);
          y = 21 - (v - 10);
        }
        c.Copy(x, y, m_picture, u, v, 0);
      }
    }
    EXPECT_EQ(Shown(), c.Str());
  }
}

TEST_P(GeometryTest, MirroredVariantTurnsMirrored) {
  if (!Gpu()) GTEST_SKIP() << "variants share their parent's texture on the textured back end";
  // A variant whose cells (the whole 24 pixels) show mirrored: at 0 degrees
  // both paths draw the picture with its columns reversed.
  for (DDSURFACEDATA* lpParent : {&m_src, &m_system}) {
    DDSURFACEDATA variant;
    ASSERT_TRUE(DDCreateSurface(&variant, kSrcW, kSrcH, 1, 0, DTMEMORYTYPE_VIDEO_RT, 1, 0));
    variant.lpParentSD = lpParent;
    variant.nMirrorWidth = kSrcW;
    Clear();
    EXPECT_TRUE(DDBltRotate(&g_BackBufferSD, 30, 22, 24, 20, 12, 10, 0, &variant, 0, 0, 1));
    cCanvas c(kW, kH, kBack);
    for (int v = 0; v < kSrcH; ++v)
      for (int u = 0; u < kSrcW; ++u) c.Copy(18 + u, 12 + v, m_picture, kSrcW - 1 - u, v, 0);
    EXPECT_EQ(Shown(), c.Str());
    DDReleaseSurface(&variant);
  }
}

TEST_P(GeometryTest, TurnedQuadTakesExtremeArguments) {
  if (!Gpu()) GTEST_SKIP() << "the quad belongs to the textured back end";
  // Pivots and positions at the ends of the int range put the rectangle far
  // off the destination; sizes there are cut to the source.
  Clear();
  const std::string sClear = Shown();
  const ROTATE kCases[] = {
      {30, 22, 24, 20, -2147483647 - 1, 2147483647, 1000000, 0, 0, 0},
      {-2147483647 - 1, 2147483647, 2147483647, 2147483647, 12, 10, -1000000, 0, 0, 0},
      {30, 22, 24, 20, 12, 10, 45, -2147483647 - 1, 2147483647, 0},
      {30, 22, 0, 20, 0, 10, 45, 0, 0, 0},
      {30, 22, -5, 20, 0, 10, 45, 0, 0, 0},
  };
  for (const ROTATE& k : kCases)
    EXPECT_TRUE(DDBltRotate(&g_BackBufferSD, k.cx, k.cy, k.nWidth, k.nHeight, k.nPivotX, k.nPivotY,
                            k.nAngle, &m_src, k.sx, k.sy, k.bColorKey));
  EXPECT_EQ(Shown(), sClear);
}

INSTANTIATE_TEST_SUITE_P(AllBackends, GeometryTest, ::testing::ValuesIn(kAllBackends),
                         [](const auto& info) { return std::string(BackendName(info.param)); });

}  // namespace
