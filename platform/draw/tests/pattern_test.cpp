// The composite blits (wave, card turn, quarters, circle) on every back end,
// against pictures that plain reference loops paint pixel by pixel from the
// blits' rules.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "platform/draw/dd_pattern.h"
#include "platform/draw/tests/draw_fixture.h"

namespace {

constexpr int kW = 72, kH = 40;        // the back buffer
constexpr int kSrcW = 24, kSrcH = 20;  // the picture drawn
constexpr char kBack = '4';            // the back buffer's colour before each draw

class PatternTest : public ::testing::TestWithParam<eBackend> {
 protected:
  void SetUp() override {
    m_lib = std::make_unique<cDrawLibrary>(GetParam(), kW, kH);
    ASSERT_TRUE(m_lib->m_bStarted);
    ASSERT_TRUE(DDCreateSurface(&m_src, kSrcW, kSrcH, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    PaintRows(&m_src, m_picture);
  }
  void TearDown() override { DDReleaseSurface(&m_src); }

  void Clear() { DDPalFillSurface(&g_BackBufferSD, kBack - '0'); }
  std::string Shown() const { return m_lib->Picture(&g_BackBufferSD); }
  // What a transparent source pixel leaves: nothing with the colour key, the
  // transparent colour (digit 0) in an opaque copy.
  static char Transparent(uint32_t dwFlags) { return dwFlags ? 0 : '0'; }

  cTestGameFolder m_folder;
  std::unique_ptr<cDrawLibrary> m_lib;
  std::vector<std::string> m_picture = RandomPicture(kSrcW, kSrcH, 7);
  DDSURFACEDATA m_src;
};

// ---- wave -------------------------------------------------------------------------------

struct WAVE {
  int x, y, nWidth, nHeight, nCycles;
  double dAmplitude;
  int nPhase, nBand, sx, sy;
  uint32_t dwFlags;
  int bVertical;
};

// Band b moves by trunc(A sin(cycles (phase + (b + 1) 360 band / size))) and
// copies its rows (columns) of the picture; the last band is what is left.
std::string WaveReference(const std::vector<std::string>& src, const WAVE& w, char cTransparent) {
  cCanvas c(kW, kH, kBack);
  const int nSize = w.bVertical ? w.nWidth : w.nHeight;
  if (w.nBand <= 0 || nSize <= 0) return c.Str();
  const double k = w.nCycles * std::numbers::pi / 180.0;
  for (int b = 0; b * w.nBand < nSize; ++b) {
    const int o = b * w.nBand, n = std::min(w.nBand, nSize - o);
    const long long d = static_cast<long long>(
        w.dAmplitude * std::sin(k * (w.nPhase + (b + 1) * (360.0 / nSize * w.nBand))));
    for (int i = o; i < o + n; ++i) {
      for (int r = 0; r < (w.bVertical ? w.nHeight : w.nWidth); ++r) {
        if (w.bVertical)
          c.Copy(w.x + i, w.y + d + r, src, w.sx + i, w.sy + r, cTransparent);
        else
          c.Copy(w.x + d + r, w.y + i, src, w.sx + r, w.sy + i, cTransparent);
      }
    }
  }
  return c.Str();
}

void DrawWave(DDSURFACEDATA* lpSrcSD, const WAVE& w) {
  DDBltWave(&g_BackBufferSD, w.x, w.y, w.nWidth, w.nHeight, w.nCycles, w.dAmplitude, w.nPhase,
            w.nBand, lpSrcSD, w.sx, w.sy, w.dwFlags, w.bVertical);
}

TEST_P(PatternTest, WaveBandsOfSevenOverTwentyRowsMoveBySevenSevenAndSix) {
  // One cycle, amplitude 4, phase 0: the bands sit at 126, 252 and 378
  // degrees, sin 0.809, -0.951 and 0.309, so they move 3, -3 and 1 pixels.
  Clear();
  DrawWave(&m_src, WAVE{10, 5, kSrcW, kSrcH, 1, 4.0, 0, 7, 0, 0, 1, 0});
  cCanvas c(kW, kH, kBack);
  const int aFirst[] = {0, 7, 14, 20}, aShift[] = {3, -3, 1};
  for (int b = 0; b < 3; ++b)
    for (int r = aFirst[b]; r < aFirst[b + 1]; ++r)
      for (int k = 0; k < kSrcW; ++k) c.Copy(10 + aShift[b] + k, 5 + r, m_picture, k, r, 0);
  EXPECT_EQ(Shown(), c.Str());
}

TEST_P(PatternTest, WaveMatchesTheReference) {
  const WAVE kCases[] = {
      {4, 3, 24, 20, 2, 5.5, 30, 1, 0, 0, 1, 0},      // rows one by one
      {4, 3, 24, 20, 3, -7.0, 200, 3, 0, 0, 0, 1},    // columns in threes, opaque
      {-5, 30, 20, 16, 1, 9.0, 90, 6, 2, 3, 1, 0},    // off the top-left and bottom
      {50, 2, 30, 25, 1, 12.0, 45, 4, -3, -2, 1, 1},  // reaching past the source
      {4, 3, 24, 20, 1, 3.0, 0, 40, 0, 0, 1, 0},      // one band larger than the picture
  };
  for (const WAVE& w : kCases) {
    SCOPED_TRACE(testing::Message() << "band " << w.nBand << " vertical " << w.bVertical);
    Clear();
    DrawWave(&m_src, w);
    EXPECT_EQ(Shown(), WaveReference(m_picture, w, Transparent(w.dwFlags)));
  }
}

// ---- card turn ----------------------------------------------------------------------------

TEST_P(PatternTest, CardTurnNarrowsTheFrontThenWidensTheBack) {
  DDSURFACEDATA front, back;
  ASSERT_TRUE(DDCreateSurface(&front, 8, 4, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&back, 8, 4, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  DDPalFillSurface(&front, 1);
  DDPalFillSurface(&back, 2);
  // A card 64 wide turns in u = 32 frames per quarter: (frame, colour shown,
  // inset on each side); the turn repeats every 128 frames.
  struct Case {
    int nFrame;
    char cShown;
    int nInset;
  } kCases[] = {{0, '1', 0},   {31, '1', 31}, {32, '2', 31}, {63, '2', 0},   {64, '2', 0},
                {96, '1', 31}, {127, '1', 0}, {-1, '1', 0},  {-33, '2', 31}, {-32, '1', 31}};
  for (const Case& k : kCases) {
    SCOPED_TRACE(testing::Message() << "frame " << k.nFrame);
    Clear();
    DDBltFlipCard(&g_BackBufferSD, 4, 2, 64, 6, &front, 0, 0, &back, 0, 0, 8, 4, 0, k.nFrame, 0);
    cCanvas c(kW, kH, kBack);
    for (int y = 2; y < 8; ++y)
      for (int x = 4 + k.nInset; x < 68 - k.nInset; ++x) c.Put(x, y, k.cShown);
    EXPECT_EQ(Shown(), c.Str());
  }
  // About the horizontal axis the height narrows: 32 high, frame 20 widens
  // the back to 32 - 2 x 11.
  Clear();
  DDBltFlipCard(&g_BackBufferSD, 4, 2, 6, 32, &front, 0, 0, &back, 0, 0, 8, 4, 0, 20, 1);
  cCanvas c(kW, kH, kBack);
  for (int y = 2 + 11; y < 2 + 32 - 11; ++y)
    for (int x = 4; x < 10; ++x) c.Put(x, y, '2');
  EXPECT_EQ(Shown(), c.Str());
  // A card narrower than 2 pixels in the turning direction, or another
  // mode, has nothing to show.
  Clear();
  const std::string sClear = Shown();
  for (int nSize : {0, 1})
    for (int nFrame : {0, 1, 7})
      DDBltFlipCard(&g_BackBufferSD, 4, 2, nSize, 6, &front, 0, 0, &back, 0, 0, 8, 4, 0, nFrame, 0);
  DDBltFlipCard(&g_BackBufferSD, 4, 2, 6, 1, &front, 0, 0, &back, 0, 0, 8, 4, 0, 3, 1);
  DDBltFlipCard(&g_BackBufferSD, 4, 2, 64, 6, &front, 0, 0, &back, 0, 0, 8, 4, 0, 3, 2);
  EXPECT_EQ(Shown(), sClear);
  DDReleaseSurface(&front);
  DDReleaseSurface(&back);
}

// ---- quarters -----------------------------------------------------------------------------

TEST_P(PatternTest, QuartersMoveApartAlongTheDiagonals) {
  // 23 x 19: quarters of 11 x 9, the last column and row lost. Offset 0 draws
  // the picture in one piece; a negative one overlaps the quarters, the
  // later ones on top. (The textured back end's batch clears the rectangles
  // of an opaque run before it draws any of them.)
  const bool bClearsFirst = IsGpu(GetParam());
  for (int nOffset : {0, 3, -2}) {
    for (uint32_t dwFlags : {0u, 1u}) {
      SCOPED_TRACE(testing::Message() << "offset " << nOffset << " flags " << dwFlags);
      Clear();
      DDBltQuarters(&g_BackBufferSD, 20, 10, 23, 19, &m_src, 1, 1, nOffset, dwFlags);
      cCanvas c(kW, kH, kBack);
      for (int nPass = bClearsFirst && !dwFlags ? 0 : 1; nPass < 2; ++nPass) {
        for (int q = 0; q < 4; ++q) {
          const int nRight = q & 1, nBottom = q >> 1;
          const int x = 20 + nRight * 11 + (nRight ? nOffset : -nOffset);
          const int y = 10 + nBottom * 9 + (nBottom ? nOffset : -nOffset);
          for (int j = 0; j < 9; ++j) {
            for (int k = 0; k < 11; ++k) {
              if (nPass == 0)
                c.Put(x + k, y + j, '0');
              else
                c.Copy(x + k, y + j, m_picture, 1 + nRight * 11 + k, 1 + nBottom * 9 + j,
                       bClearsFirst ? 0 : Transparent(dwFlags));
            }
          }
        }
      }
      EXPECT_EQ(Shown(), c.Str());
      if (nOffset == 0) {
        Clear();
        DDBlt(&g_BackBufferSD, 20, 10, 22, 18, &m_src, 1, 1, dwFlags);
        EXPECT_EQ(Shown(), c.Str());
      }
    }
  }
}

// ---- circle ---------------------------------------------------------------------------------

struct CIRCLE {
  int cx, cy, nHalfW, nHalfH, nRadius, nBand, scx, scy;
  uint32_t dwFlags;
};

long long IntegerSqrt(long long n) {
  long long r = static_cast<long long>(std::sqrt(static_cast<double>(n)));
  while (r * r > n) --r;
  while ((r + 1) * (r + 1) <= n) ++r;
  return r;
}

// The walk as the rules state it: rows (or band tops) from the bottom of the
// disc up, skipping, stopping and moving bands at nHalfH; each span as wide
// as the disc at its middle row, cut to the columns within nHalfW of scx.
std::string CircleReference(const std::vector<std::string>& src, const CIRCLE& k,
                            char cTransparent) {
  cCanvas c(kW, kH, kBack);
  const long long R = k.nRadius, n = k.nBand, H = k.nHalfH;
  if (R <= 0 || n <= 0) return c.Str();
  const long long nLeft = std::max(k.scx - k.nHalfW, 0);
  const long long nRight = std::min<long long>(k.scx + k.nHalfW, kSrcW);
  auto span = [&](long long t, long long m) {
    long long h = IntegerSqrt(R * R - m * m);
    if (h == R) h = R - 1;
    long long s = k.scx - h, xd = k.cx - h, w = 2 * h;
    if (s < nLeft) {
      w -= nLeft - s;
      xd += nLeft - s;
      s = nLeft;
    }
    if (s + w >= nRight) w = nRight - s;
    for (long long r = 0; r < n; ++r)
      for (long long i = 0; i < w; ++i)
        c.Copy(xd + i, k.cy + t + r, src, s + i, k.scy + t + r, cTransparent);
  };
  if (n == 1) {
    for (long long t = R - 1; t >= -R; --t) {
      if (t >= H) continue;
      if (t < -H) break;
      span(t, t);
    }
  } else {
    for (long long t = R - n; t >= -R; t -= n) {
      if (t >= H) continue;
      if (t + n <= -H) break;
      if (t + n > H) t = H - n;
      if (t < -H) t = -H;
      span(t, t + (n >> 1));
    }
  }
  return c.Str();
}

TEST_P(PatternTest, CircleMatchesTheWalkOfItsRows) {
  const CIRCLE kCases[] = {
      {30, 20, 12, 10, 9, 1, 12, 10, 1},        // a whole disc, row by row
      {30, 20, 12, 10, 9, 3, 12, 10, 0},        // in bands of three, opaque
      {30, 20, 12, 10, 9, 4, 12, 10, 1},        // the last band moves down
      {30, 20, 12, 6, 9, 4, 12, 10, 1},         // bands cut at half-height 6
      {30, 20, 5, 7, 12, 5, 12, 10, 1},         // half-widths narrower than the disc
      {30, 20, 40, 40, 30, 7, 12, 10, 1},       // larger than the picture
      {5, 3, 12, 10, 9, 2, 3, 17, 1},           // off the edges of both
      {30, 20, 12, 10, 9, 30, 12, 10, 1},       // one band higher than the disc
      {30, 20, 12, 3, 9, 8, 12, 10, 1},         // a band higher than twice nHalfH
      {30, 20, 12, 0, 9, 1, 12, 10, 1},         // no rows
      {30, 20, 12, -4, 9, 12, 12, 10, 1},       // a negative half-height
      {30, 20, 12, 10, 1000000, 3, 12, 10, 1},  // a radius far beyond the rows
  };
  for (const CIRCLE& k : kCases) {
    SCOPED_TRACE(testing::Message() << "radius " << k.nRadius << " band " << k.nBand << " half "
                                    << k.nHalfW << "x" << k.nHalfH);
    Clear();
    DDBltCircle(&g_BackBufferSD, k.cx, k.cy, k.nHalfW, k.nHalfH, k.nRadius, k.nBand, &m_src, k.scx,
                k.scy, k.dwFlags);
    EXPECT_EQ(Shown(), CircleReference(m_picture, k, Transparent(k.dwFlags)));
  }
}

TEST_P(PatternTest, CircleOfRadiusOneIsEmptyAndOfRadiusTenEighteenWide) {
  DDSURFACEDATA solid;
  ASSERT_TRUE(DDCreateSurface(&solid, 40, 30, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  DDPalFillSurface(&solid, 2);
  Clear();
  const std::string sClear = Shown();
  DDBltCircle(&g_BackBufferSD, 30, 20, 20, 15, 1, 1, &solid, 20, 15, 0);
  EXPECT_EQ(Shown(), sClear);
  DDBltCircle(&g_BackBufferSD, 30, 20, 20, 15, 10, 1, &solid, 20, 15, 0);
  const std::string s = Shown();
  const std::string sCentreRow = s.substr(20 * (kW + 1), kW);
  EXPECT_EQ(sCentreRow, std::string(21, kBack) + std::string(18, '2') + std::string(33, kBack));
  // Radius 0 and band 0 draw nothing.
  Clear();
  EXPECT_EQ(DDBltCircle(&g_BackBufferSD, 30, 20, 20, 15, 0, 1, &solid, 20, 15, 0), 0);
  EXPECT_EQ(DDBltCircle(&g_BackBufferSD, 30, 20, 20, 15, 10, 0, &solid, 20, 15, 0), 0);
  EXPECT_EQ(Shown(), sClear);
  DDReleaseSurface(&solid);
}

// ---- extreme arguments --------------------------------------------------------------------

TEST_P(PatternTest, ExtremeArgumentsDrawOnlyWhatLandsOnTheSurfaces) {
  // Each call beside the plain draw it comes down to (nothing, where the
  // result lies off the surfaces); none may overflow, read outside the
  // source or take time for what is not drawn.
  constexpr int kMax = 2147483647, kMin = -2147483647 - 1;
  DDSURFACEDATA* src = &m_src;
  DDSURFACEDATA* dst = &g_BackBufferSD;
  auto whole = [=] { DDBlt(dst, 10, 5, kSrcW, kSrcH, src, 0, 0, 1); };
  auto nothing = [] {};
  struct Case {
    const char* szName;
    std::function<void()> draw, same;
  } kCases[] = {
      {"wave of amplitude 1e300",
       [=] {
         DrawWave(src, WAVE{10, 5, 24, 20, 1, 1e300, 0, 1, 0, 0, 1, 0});
       },
       nothing},
      {"wave of amplitude NaN",
       [=] {
         DrawWave(src, WAVE{10, 5, 24, 20, 1, std::nan(""), 0, 3, 0, 0, 1, 1});
       },
       whole},
      {"wave of height 2^31 - 1",
       [=] {
         DrawWave(src, WAVE{10, 5, 24, kMax, 1, 0, 0, 1, 0, 0, 1, 0});
       },
       whole},
      {"wave of width 2^31 - 1",
       [=] {
         DrawWave(src, WAVE{10, 5, kMax, 20, 7, 0, 0, 2, 0, 0, 1, 1});
       },
       whole},
      {"wave of band 2^31 - 1",
       [=] {
         DrawWave(src, WAVE{10, 5, 24, 20, 1, 0, 0, kMax, 0, 0, 1, 0});
       },
       whole},
      {"wave of band -5",
       [=] {
         DrawWave(src, WAVE{10, 5, 24, 20, 1, 3, 0, -5, 0, 0, 1, 0});
       },
       nothing},
      {"wave of width 0",
       [=] {
         DrawWave(src, WAVE{10, 5, 0, 20, 1, 3, 0, 1, 0, 0, 1, 1});
       },
       nothing},
      {"wave at the int ends",
       [=] {
         DrawWave(src, WAVE{kMax, kMin, 24, 20, 1, 1e9, kMax, 1, kMin, kMax, 1, 0});
       },
       nothing},
      {"quarters moved 2^31 - 1 apart",
       [=] { DDBltQuarters(dst, 10, 5, 24, 20, src, 0, 0, kMax, 1); }, nothing},
      {"quarters moved -2^31 apart", [=] { DDBltQuarters(dst, 10, 5, 24, 20, src, 0, 0, kMin, 1); },
       nothing},
      {"quarters of width 2^31 - 1",
       [=] { DDBltQuarters(dst, 10, 5, kMax, kMax, src, 0, 0, 0, 1); }, whole},
      {"card at frame 2^31 - 1 (127 of 128)",
       [=] { DDBltFlipCard(dst, 4, 2, 64, 6, src, 0, 0, src, 4, 4, 8, 4, 1, kMax, 0); },
       [=] { DDBltFlipCard(dst, 4, 2, 64, 6, src, 0, 0, src, 4, 4, 8, 4, 1, 127, 0); }},
      {"card at frame -2^31 (0 of 128)",
       [=] { DDBltFlipCard(dst, 4, 2, 64, 6, src, 0, 0, src, 4, 4, 8, 4, 1, kMin, 0); },
       [=] { DDBltFlipCard(dst, 4, 2, 64, 6, src, 0, 0, src, 4, 4, 8, 4, 1, 0, 0); }},
      {"card 2^31 - 1 wide",
       [=] { DDBltFlipCard(dst, 4, 2, kMax, 6, src, 0, 0, src, 4, 4, 8, 4, 1, 5, 0); },
       [=] { DDStretchBlt(dst, 9, 2, kMax - 10, 6, src, 0, 0, 8, 4, 1); }},
      {"card of width 1",
       [=] { DDBltFlipCard(dst, 4, 2, 1, 6, src, 0, 0, src, 4, 4, 8, 4, 1, 0, 0); }, nothing},
      {"circle of radius and half-sizes 2^31 - 1, row by row",
       [=] { DDBltCircle(dst, 22, 15, kMax, kMax, kMax, 1, src, 12, 10, 1); }, whole},
      {"circle of radius and half-sizes 2^31 - 1, in bands",
       [=] { DDBltCircle(dst, 22, 15, kMax, kMax, kMax, 7, src, 12, 10, 1); }, whole},
      {"circle of band 2^31 - 1 (one band each side of the centre)",
       [=] { DDBltCircle(dst, 22, 15, kMax, kMax, kMax, kMax, src, 12, 10, 1); }, whole},
      {"circle of band 2^31 - 1 and half-height 10 (one band up from 10)",
       [=] { DDBltCircle(dst, 22, 15, kMax, 10, kMax, kMax, src, 12, 10, 1); }, whole},
      {"circle of half-width -2^31",
       [=] { DDBltCircle(dst, 22, 15, kMin, 10, 9, 1, src, 12, 10, 1); }, nothing},
      {"circle at the int ends",
       [=] { DDBltCircle(dst, kMin, kMax, 20, 20, 1000000, 3, src, kMax, kMin, 1); }, nothing},
  };
  for (const Case& k : kCases) {
    SCOPED_TRACE(k.szName);
    Clear();
    k.draw();
    const std::string sDrawn = Shown();
    Clear();
    k.same();
    EXPECT_EQ(sDrawn, Shown());
  }
}

INSTANTIATE_TEST_SUITE_P(AllBackends, PatternTest, ::testing::ValuesIn(kAllBackends),
                         [](const auto& info) { return std::string(BackendName(info.param)); });

}  // namespace
