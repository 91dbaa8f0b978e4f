// Fonts on both back ends with the pattern rasteriser: measuring, cell
// layout, the half-width and full-width caches (fill, growth, restore, full),
// proportional text, window boxes, glyph pictures, bounded formatting, and
// the pixel values glyphs become.

#include "platform/draw/font/font.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <utility>

#include "app/base/close_request.h"
#include "app/base/report_log.h"
#include "app/base/sjis.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "testing/ci.h"
#include "testing/game_folder.h"

namespace {

struct BackEnd {
  const char* pszName;
  int bD3D;
  int nBpp;
};

constexpr int kColor = 241;  // text colour index
constexpr int kFrame = 240;  // window frame colour index
constexpr PALENTRY kColorEntry{200, 100, 50, 0};

class FontTest : public testing::TestWithParam<BackEnd> {
 protected:
  void SetUp() override {
    DDResetForTests();
    SetTraceLog(true, kTraceLogName);
    SetRasterizerFactory(
        [](const std::string&, int nHeight) { return std::make_unique<cBoxRasterizer>(nHeight); });
    ASSERT_TRUE(DDInit(GetParam().bD3D, nullptr, 640, 480, GetParam().nBpp, 0, 0, 1, 60, 0, nullptr,
                       nullptr, 0));
    g_Palette[kColor] = kColorEntry;
    g_Palette[kFrame] = PALENTRY{10, 20, 30, 0};
    ASSERT_TRUE(DDCreateSurface(&m_target, 640, 480, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
    DDPalFillSurface(&m_target, 0);
    m_background = PixelAt(&m_target, 0, 0);
  }
  void TearDown() override {
    DDReleaseSurface(&m_target);
    m_font.Release();
    DDRelease();
    DDResetForTests();
    SetRasterizerFactory(nullptr);
  }

  bool IsD3D() const { return GetParam().bD3D != 0; }

  // Cells of 16 x 20, characters 16 high, so every glyph fits its cell.
  void MakeFont(int nCache, int nCellWidth = 16, int nLineHeight = 20, int nCharHeight = 16) {
    ASSERT_TRUE(m_font.Create("ＭＳ ゴシック", 0, nCharHeight, nCellWidth, nLineHeight, kColor, -1,
                              1, kFrame, -1, nCache));
  }

  static uint32_t PixelAt(DDSURFACEDATA* lpSD, int x, int y) {
    cSurfaceLock lock(lpSD);
    if (!lock.IsLocked()) return 0xDEADBEEF;
    switch (lock.m_nBytesPerPixel) {
      case 1:
        return lock.Row<uint8_t>(y)[x];
      case 2:
        return lock.Row<uint16_t>(y)[x];
      default:
        return lock.Row<uint32_t>(y)[x];
    }
  }

  // Whether a pixel holds the text colour (the colour bits, whatever alpha).
  bool IsText(uint32_t v) const {
    const uint32_t rgb =
        uint32_t(kColorEntry.peRed) << 16 | uint32_t(kColorEntry.peGreen) << 8 | kColorEntry.peBlue;
    if (GetParam().nBpp == 8) return v == kColor;
    if (GetParam().nBpp == 32) return (v & 0xFFFFFF) == rgb;
    return v != m_background && v != 0xDEADBEEF;
  }

  // The pixels the pattern rasteriser covers for a text on the cell grid.
  std::set<std::pair<int, int>> Expected(const std::string& text, int x, int y, int nCell = 16,
                                         int nLine = 20, int nChar = 16) const {
    std::set<std::pair<int, int>> covered;
    int dx = 0, dy = 0;
    for (size_t i = 0; i < text.size();) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c == '\n') {
        dx = 0;
        dy += nLine;
        ++i;
        continue;
      }
      const bool bDouble = IsLeadByte(c) && i + 1 < text.size();
      const unsigned code = bDouble ? c << 8 | static_cast<unsigned char>(text[i + 1]) : c;
      const bool bDrawn =
          bDouble ? code != 0x8140 : ((c >= 0x21 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF));
      const int gx = bDouble ? x + dx : x + dx + (nCell >> 3);
      const int gy = bDouble ? y + dy : y + dy + (nLine >> 4) - 1;
      const int gw = bDouble ? nChar : nChar / 2;
      if (bDrawn)
        for (int py = 0; py < nChar; ++py)
          for (int px = 0; px < gw; ++px)
            if (cBoxRasterizer::IsCovered(px, py, code)) covered.insert({gx + px, gy + py});
      dx += nCell;
      i += bDouble ? 2 : 1;
    }
    return covered;
  }

  // Checks a region of a surface against the expected text pixels.
  void ExpectPixels(DDSURFACEDATA* lpSD, const std::set<std::pair<int, int>>& covered, int x1,
                    int y1, int x2, int y2, const char* pszWhat) {
    int nWrong = 0;
    for (int py = y1; py < y2; ++py)
      for (int px = x1; px < x2; ++px) {
        const uint32_t v = PixelAt(lpSD, px, py);
        const bool bWant = covered.count({px, py}) != 0;
        if (bWant != IsText(v) && nWrong++ < 5)
          ADD_FAILURE() << pszWhat << ": pixel (" << px << "," << py << ") = " << std::hex << v
                        << (bWant ? " should be text" : " should be empty");
      }
    EXPECT_EQ(nWrong, 0) << pszWhat;
  }

  cTestGameFolder m_folder;
  Font m_font;
  DDSURFACEDATA m_target;
  uint32_t m_background = 0;
};

std::string Name(const testing::TestParamInfo<BackEnd>& info) { return info.param.pszName; }

}  // namespace

TEST_P(FontTest, MeasuresOnTheCellGrid) {
  MakeFont(0);
  struct Case {
    std::string text;
    int w, h;
  } cases[] = {
      {"AB\n\xB1", 32, 40},
      {"", 0, 0},
      {"あいう", 48, 20},
      {"A\n", 16, 20},
      {"\n\nA", 16, 60},
      {"あ\nabcde", 80, 40},
      {std::string(600, 'x'), 9600, 20},  // a line longer than any buffer is measured whole
      {"\x82", 16, 20},                   // a lone lead byte is one character
  };
  for (const auto& c : cases) {
    int w = -1, h = -1;
    m_font.MeasureTextLines(c.text.c_str(), w, h);
    EXPECT_EQ(w, c.w) << c.text.substr(0, 20);
    EXPECT_EQ(h, c.h) << c.text.substr(0, 20);
  }
  EXPECT_EQ(LineLength("abc\ndef"), 3);
  EXPECT_EQ(LineLength("abc"), 3);
  EXPECT_EQ(LineLength(""), 0);
}

TEST_P(FontTest, CachedAndDirectTextLandOnTheSameCells) {
  const std::string text = "AB\n\xB1あ　z ~";
  for (int nCache : {0, 1}) {
    MakeFont(nCache);
    DDPalFillSurface(&m_target, 0);
    EXPECT_EQ(m_font.Draw(&m_target, 37, 11, text.c_str(), 0), 1);
    ExpectPixels(&m_target, Expected(text, 37, 11), 0, 0, 200, 80, nCache ? "cached" : "direct");
  }
  // The half-width katakana sits in half-cache cell 177: row 11, column 1.
  ASSERT_NE(m_font.m_lpFastFont_Half, nullptr);
  int cx, cy;
  m_font.m_lpFastFont_Half->CellOrigin(0xB1, cx, cy);
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 11 * 20);
  ExpectPixels(&m_font.m_lpFastFont_Half->m_SD, Expected("\xB1", cx, cy), cx, cy, cx + 16, cy + 20,
               "cell 177");
  // Row 0 (control bytes) and lead bytes stay empty.
  ExpectPixels(&m_font.m_lpFastFont_Half->m_SD, {}, 0, 0, 256, 20, "row 0");
  m_font.m_lpFastFont_Half->CellOrigin(0x82, cx, cy);
  ExpectPixels(&m_font.m_lpFastFont_Half->m_SD, {}, cx, cy, cx + 16, cy + 20, "lead byte 82");
}

TEST_P(FontTest, DrawsOnRenderTargetsAndTheBackBuffer) {
  DDSURFACEDATA rt;
  ASSERT_TRUE(DDCreateSurface(&rt, 320, 240, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  const std::string text = "Hi\nカナ漢";
  for (int nCache : {0, 1}) {
    MakeFont(nCache);
    for (DDSURFACEDATA* lpSD : {&g_BackBufferSD, &rt}) {
      DDPalFillSurface(lpSD, 0);
      m_font.Draw(lpSD, 100, 200 - 150 * (lpSD == &rt), text.c_str(), 0);
      const int y = lpSD == &rt ? 50 : 200;
      ExpectPixels(lpSD, Expected(text, 100, y), 90, y - 10, 200, y + 50,
                   nCache ? "cached" : "direct");
    }
    m_font.Release();
  }
  DDReleaseSurface(&rt);
}

// A glyph whose rendering throws (the frame's error reaches the thread's
// boundary) leaves no surface locked by the font: the surface's owner (a
// scene) releases it in the teardown before the fonts go.
TEST_P(FontTest, AGlyphThatThrowsLeavesTheSurfaceUnlocked) {
  class cThrowingRasterizer : public cBoxRasterizer {
   public:
    using cBoxRasterizer::cBoxRasterizer;
    bool Render(std::string_view cp932, GLYPHIMAGE& out) override {
      if (cp932.find('!') != std::string_view::npos) throw std::runtime_error("broken glyph");
      return cBoxRasterizer::Render(cp932, out);
    }
  };
  SetRasterizerFactory([](const std::string&, int nHeight) {
    return std::make_unique<cThrowingRasterizer>(nHeight);
  });
  for (int nCellWidth : {16, 0}) {  // on the cell grid and proportional
    DDSURFACEDATA rt;
    ASSERT_TRUE(DDCreateSurface(&rt, 320, 240, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    MakeFont(0, nCellWidth);
    EXPECT_THROW(m_font.Draw(&rt, 10, 10, "AB\nC!", 0), std::runtime_error);
    DDEndBatch();  // the batch the call began (the device's release ends it in the program)
    DDReleaseSurface(&rt);
    m_font.Release();
  }
}

TEST_P(FontTest, FullCacheGrowsOnFirstUseAndKeepsItsCells) {
  MakeFont(1);
  cFastFont* lpFull = m_font.m_lpFastFont_FullAdd;
  ASSERT_NE(lpFull, nullptr);
  const int nPrefilled = lpFull->m_nCount;
  EXPECT_GT(nPrefilled, 200);
  EXPECT_EQ(lpFull->Find("０"), 0);
  EXPECT_EQ(lpFull->m_Glyphs[1].szText, std::string("１"));

  EXPECT_EQ(lpFull->Find("漢"), -1);
  m_font.Draw(&m_target, 0, 0, "漢字", 0);
  EXPECT_EQ(lpFull->m_nCount, nPrefilled + 2);
  EXPECT_EQ(lpFull->Find("漢"), nPrefilled);
  EXPECT_EQ(lpFull->Find("字"), nPrefilled + 1);
  m_font.Draw(&m_target, 0, 40, "字漢", 0);  // drawn from the cache now
  EXPECT_EQ(lpFull->m_nCount, nPrefilled + 2);
  ExpectPixels(&m_target, Expected("漢字\n\n字漢", 0, 0), 0, 0, 64, 60, "grown cache");

  // Recovery re-created the surface: the same glyph comes back in the same cell.
  int cx, cy;
  lpFull->CellOrigin(nPrefilled, cx, cy);
  EXPECT_EQ(lpFull->m_Glyphs[nPrefilled].x, cx);
  EXPECT_EQ(lpFull->m_Glyphs[nPrefilled].y, cy);
  DDPalFillSurface(&lpFull->m_SD, 0);
  lpFull->m_SD.bLost = 1;
  if (IsD3D()) {
    lpDevice->InjectDeviceLost();
    lpDevice->MakeResettable();
    EXPECT_EQ(DDRestoreSurface(), 1);
    EXPECT_NE(m_folder.ReadFile(kTraceLogName).find("Font i = 0"), std::string::npos);
  } else {
    g_lpDD->InjectSurfaceLoss();
    EXPECT_TRUE(DDRestore());
  }
  EXPECT_EQ(lpFull->m_SD.bLost, 0);
  EXPECT_EQ(lpFull->Find("漢"), nPrefilled);
  ExpectPixels(&lpFull->m_SD, Expected("漢", cx, cy), cx, cy, cx + 16, cy + 20, "restored cell");
}

TEST_P(FontTest, FullCacheStaysFullAndDrawsTheRestDirectly) {
  MakeFont(1, 32, 32, 16);
  cFastFont* lpFull = m_font.m_lpFastFont_FullAdd;
  ASSERT_NE(lpFull, nullptr);
  EXPECT_EQ(lpFull->m_nColumns, IsD3D() ? 32 : 20);
  EXPECT_EQ(lpFull->m_nRows, IsD3D() ? 32 : 15);
  // Fill it with kanji from 88 9F on.
  std::string strFirst;
  unsigned code = 0x889F;
  while (lpFull->m_nCount < lpFull->m_nCapacity) {
    const char ch[3] = {static_cast<char>(code >> 8), static_cast<char>(code), 0};
    if (IsTrailByte(static_cast<unsigned char>(code)) && lpFull->Find(ch) < 0) {
      m_font.Draw(&m_target, 0, 0, ch, 0);
      if (strFirst.empty()) strFirst = ch;
    }
    ++code;
  }
  const std::vector<FASTGLYPH> before = lpFull->m_Glyphs;
  for (; !IsTrailByte(static_cast<unsigned char>(code)); ++code) {
  }
  const char extra[3] = {static_cast<char>(code >> 8), static_cast<char>(code), 0};
  for (int i = 0; i < 2; ++i) {
    DDPalFillSurface(&m_target, 0);
    m_font.Draw(&m_target, 64, 32, extra, 0);
    EXPECT_EQ(lpFull->Find(extra), -1);
    ExpectPixels(&m_target, Expected(extra, 64, 32, 32, 32, 16), 50, 20, 120, 80,
                 "drawn past a full cache");
  }
  EXPECT_EQ(lpFull->m_nCount, lpFull->m_nCapacity);
  // Nothing was evicted or moved.
  ASSERT_EQ(lpFull->m_Glyphs.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(std::string(lpFull->m_Glyphs[i].szText), before[i].szText);
    EXPECT_EQ(lpFull->m_Glyphs[i].nIndex, static_cast<int>(i));
  }
  EXPECT_GE(lpFull->Find(strFirst.c_str()), 0);
}

TEST_P(FontTest, ProportionalLinesAndCentring) {
  // Cell width 0: each line drawn whole, the next one line height lower.
  ASSERT_TRUE(m_font.Create("ＭＳ Ｐゴシック", 0, 16, 0, 24, kColor, -1, 0, 0, -1, 1));
  EXPECT_EQ(m_font.m_lpFastFont_Half, nullptr);
  EXPECT_NE(m_folder.ReadFile(kTraceLogName).find("※フォントクラスで文字間が未設定！"),
            std::string::npos);
  int w, h;
  m_font.MeasureTextLines("Ab\nあい", w, h);
  EXPECT_EQ(w, 32);
  EXPECT_EQ(h, 48);
  m_font.Draw(&m_target, 10, 10, "Ab\nあい", 0);
  // Runs packed without cells: A at x 10, b at 18 (Expected() shifts a
  // single-byte character right by a cell of 8 / 8).
  std::set<std::pair<int, int>> covered = Expected("Ab", 9, 10, 8, 16, 16);
  for (auto p : Expected("あい", 10, 34, 16, 16, 16)) covered.insert(p);
  ExpectPixels(&m_target, covered, 0, 0, 60, 60, "proportional");

  // Centred glyphs: the middle of the glyph at the middle of the cell.
  m_font.Release();
  MakeFont(0, 20, 20, 10);
  m_font.m_bCenter = 1;
  DDPalFillSurface(&m_target, 0);
  m_font.Draw(&m_target, 0, 0, "Aあ", 0);
  covered.clear();
  // "A" is 5 x 10: at (10 - 2, 10 - 5); Expected() adds 20 / 8 to x.
  for (auto p : Expected("A", 8 - 2, 5, 20, 20, 10)) covered.insert(p);
  // "あ" is 10 x 10: at (20 + 10 - 5, 10 - 5).
  for (auto p : Expected("あ", 25, 5, 20, 20, 10)) covered.insert(p);
  ExpectPixels(&m_target, covered, 0, 0, 60, 30, "centred");
}

TEST_P(FontTest, GlyphPictureAndWindowBox) {
  // A window picture of colour 5, and a glyph picture where letter k owns
  // cell k and shows a 4 x 4 block of colour 7 in its corner.
  DDSURFACEDATA pictures[2];
  ASSERT_TRUE(DDCreateSurface(&pictures[0], 640, 100, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&pictures[1], 26 * 16, 20, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  g_Palette[5] = PALENTRY{9, 9, 9, 0};
  g_Palette[7] = PALENTRY{1, 2, 3, 0};
  DDPalFillSurface(&pictures[0], 5);
  DDPalFillSurface(&pictures[1], 0);
  for (int k = 0; k < 26; ++k) DDPalFillRect(&pictures[1], k * 16, 0, 4, 4, 7);
  g_lpSDTable = pictures;
  g_nSurfaceCount = 2;
  ASSERT_TRUE(m_font.Create("x", 0, 16, 16, 20, kColor, 0, 2, kFrame, 1, 1));
  m_font.m_bGlyphImage = 1;
  const uint32_t block = PixelAt(&pictures[1], 0, 0);

  // Lower-case letters come from the picture only; other letters from the font.
  m_font.Draw(&m_target, 0, 0, "abcA", 0);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(PixelAt(&m_target, k * 16 + 1, 1), block) << k;
  ExpectPixels(&m_target, Expected("   A", 0, 0), 4, 4, 80, 20, "pictures for a to z");
  // With the lower-case flag the font's glyphs are drawn as well, under the
  // pictures (on the back buffer, where the textured back end batches them).
  DDPalFillSurface(&g_BackBufferSD, 0);
  m_font.Draw(&g_BackBufferSD, 0, 0, "ab", 1);
  const uint32_t screenBlock =
      PixelAt(&g_BackBufferSD, 16, 0);  // no glyph pixel there; (18, 0) has one
  for (int py = 0; py < 4; ++py)
    for (int px = 16; px < 20; ++px)
      EXPECT_EQ(PixelAt(&g_BackBufferSD, px, py), screenBlock) << px << "," << py;
  ExpectPixels(&g_BackBufferSD, Expected("ab", 0, 0), 4, 4, 32, 20, "font glyphs too");

  // Window box centred on the 640-wide window picture: x = 320 - 100, with a
  // frame of 2 pixels outside it.
  DDPalFillSurface(&m_target, 0);
  m_font.DrawWindow(&m_target, 10000, 50, 200, 30);
  const uint32_t frame = PixelAt(&m_target, 218, 50);
  const uint32_t inside = PixelAt(&pictures[0], 0, 0);
  EXPECT_NE(frame, m_background);
  EXPECT_NE(frame, inside);
  struct Probe {
    int x, y;
    uint32_t v;
  } probes[] = {{217, 50, m_background}, {219, 50, frame},       {220, 50, inside},
                {419, 79, inside},       {420, 50, frame},       {421, 50, frame},
                {422, 50, m_background}, {300, 48, frame},       {300, 47, m_background},
                {300, 81, frame},        {300, 82, m_background}};
  for (const auto& p : probes) EXPECT_EQ(PixelAt(&m_target, p.x, p.y), p.v) << p.x << "," << p.y;

  // PrintfBox measures the formatted text, cut to 511 bytes on a character
  // boundary: "A" and 255 two-byte characters, then the box is 256 cells wide.
  std::string strLong = "A";
  for (int i = 0; i < 400; ++i) strLong += "漢";
  DDPalFillSurface(&m_target, 0);
  m_font.Release();
  ASSERT_TRUE(m_font.Create("x", 0, 2, 2, 4, kColor, 0, 1, kFrame, 1, 0));
  m_font.PrintfBox(&m_target, 1, 10, 0, 0, "%s", strLong.c_str());
  EXPECT_EQ(PixelAt(&m_target, 1 + 256 * 2, 10), frame);
  EXPECT_EQ(PixelAt(&m_target, 1 + 256 * 2 + 1, 10), m_background);

  m_font.Release();
  DDReleaseSurface(&pictures[0]);
  DDReleaseSurface(&pictures[1]);
  g_lpSDTable = nullptr;
  g_nSurfaceCount = 0;
}

TEST_P(FontTest, TextInsideASortedBatchJoinsIt) {
  // A registered sheet (colour 1) and a plain one (colour 3) over a back
  // buffer of colour 5. The textured back end draws the registered sheet
  // last and everything else in the order queued; the other back end draws
  // each blit at once.
  g_Palette[1] = PALENTRY{255, 0, 0, 0};
  g_Palette[3] = PALENTRY{0, 0, 255, 0};
  g_Palette[5] = PALENTRY{0, 255, 0, 0};
  DDSURFACEDATA sheets[2];
  for (DDSURFACEDATA& sd : sheets)
    ASSERT_TRUE(DDCreateSurface(&sd, 32, 20, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  DDSURFACEDATA* const lpReg = &sheets[0];
  DDSURFACEDATA* const lpPlain = &sheets[1];
  DDPalFillSurface(lpReg, 1);
  DDPalFillSurface(lpPlain, 3);
  DDSURFACEDATA* const lpBB = &g_BackBufferSD;
  // The colours as the back buffer holds them (32 bits: alpha aside).
  auto Colour = [&](uint32_t v) { return GetParam().nBpp == 32 ? v & 0xFFFFFF : v; };
  uint32_t reg = 0, plain = 0, back = 0;
  for (auto [pal, lpValue] : {std::pair{1u, &reg}, {3u, &plain}, {5u, &back}}) {
    DDPalFillRect(lpBB, 600, 400, 1, 1, pal);
    *lpValue = Colour(PixelAt(lpBB, 600, 400));
  }
  // Text pixels over the given colour, and that colour elsewhere.
  auto ExpectArea = [&](int x1, int x2, const std::set<std::pair<int, int>>& text, uint32_t under,
                        const std::string& what) {
    int nWrong = 0;
    for (int py = 0; py < 20; ++py)
      for (int px = x1; px < x2; ++px) {
        const uint32_t v = Colour(PixelAt(lpBB, px, py));
        const bool bOk = text.count({px, py}) ? IsText(v) && v != under : v == under;
        if (!bOk && nWrong++ < 3)
          ADD_FAILURE() << what << ": (" << px << "," << py << ") = " << std::hex << v;
      }
    EXPECT_EQ(nWrong, 0) << what;
  };
  for (int nCache : {0, 1}) {
    const std::string what = nCache ? "cached" : "direct";
    MakeFont(nCache);
    DDPalFillSurface(lpBB, 5);
    DDBeginBatch(1);
    DDRegisterBatchSource(lpReg);
    DDBlt(lpBB, 0, 0, 16, 20, lpReg, 0, 0, 0);  // over the cell of "A"
    EXPECT_EQ(m_font.Draw(lpBB, 0, 0, "AB", 0), 1);
    DDBlt(lpBB, 100, 0, 32, 20, lpPlain, 0, 0, 0);  // under "CD"
    EXPECT_EQ(m_font.Draw(lpBB, 100, 0, "CD", 0), 1);
    DDBlt(lpBB, 100, 0, 16, 20, lpPlain, 0, 0, 0);  // over "C"
    DDBlt(lpBB, 200, 0, 16, 20, lpReg, 0, 0, 0);
    DDBlt(lpBB, 200, 0, 16, 20, lpPlain, 0, 0, 0);
    EXPECT_EQ(DDIsBatching(), IsD3D()) << what;
    DDEndBatch();
    const auto ab = Expected("AB", 0, 0);
    const auto cd = Expected("CD", 100, 0);
    if (IsD3D()) {
      ExpectArea(0, 16, {}, reg, what + ": registered sheet over the text");
      EXPECT_EQ(Colour(PixelAt(lpBB, 200, 10)), reg) << what;
    } else {
      ExpectArea(0, 16, ab, reg, what + ": text over the sheet");
      EXPECT_EQ(Colour(PixelAt(lpBB, 200, 10)), plain) << what;
    }
    ExpectArea(16, 32, ab, back, what + ": first text");
    ExpectArea(100, 116, {}, plain, what + ": plain sheet drawn later");
    ExpectArea(116, 132, cd, plain, what + ": second text over the plain sheet");
    m_font.Release();
  }
  for (DDSURFACEDATA& sd : sheets) DDReleaseSurface(&sd);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, FontTest,
                         testing::Values(BackEnd{"DD8", 0, 8}, BackEnd{"DD16", 0, 16},
                                         BackEnd{"DD32", 0, 32}, BackEnd{"D3D16", 1, 16},
                                         BackEnd{"D3D32", 1, 32}),
                         Name);

// The real faces: which file each face name of the font-face table finds,
// and what glyph pixels become on each back end.
class FontFaceTest : public testing::Test {
 protected:
  void SetUp() override {
    DDResetForTests();
    SetRasterizerFactory(nullptr);
    if (FindFontFile("ＭＳ ゴシック").empty()) SKIP_UNLESS_IN_CI("IPA Gothic is not installed");
  }
  void TearDown() override {
    DDRelease();
    DDResetForTests();
  }
  cTestGameFolder m_folder;
};

TEST_F(FontFaceTest, WindowsFacesMapToIpaGothic) {
  struct Case {
    const char* pszFace;
    const char* pszFile;
  } cases[] = {
      {"ＭＳ ゴシック", "ipag.ttf"}, {"ＭＳ 明朝", "ipag.ttf"},
      {"HGｺﾞｼｯｸE", "ipag.ttf"},      {"ＭＳ Ｐゴシック", "ipagp.ttf"},
      {"MS UI Gothic", "ipagp.ttf"}, {"HGP創英角ﾎﾟｯﾌﾟ体", "ipagp.ttf"},
      {"Arial", "ipag.ttf"},         {"", "ipag.ttf"},
  };
  for (const auto& c : cases) {
    const std::string strFile = FindFontFile(c.pszFace);
    // fonts-japanese-gothic.ttf is the system's alias of the same file.
    const bool bFound =
        strFile.ends_with(c.pszFile) ||
        (std::string(c.pszFile) == "ipag.ttf" && strFile.ends_with("fonts-japanese-gothic.ttf"));
    EXPECT_TRUE(bFound) << c.pszFace << " -> " << strFile;
  }
}

TEST_F(FontFaceTest, TexturedGlyphsAreBlendedAndSurfaceGlyphsSolid) {
  for (int bD3D : {1, 0}) {
    ASSERT_TRUE(
        DDInit(bD3D, nullptr, 640, 480, bD3D ? 32 : 8, 0, 0, 1, 60, 0, nullptr, nullptr, 0));
    g_Palette[kColor] = kColorEntry;
    {
      Font font;
      ASSERT_TRUE(font.Create("ＭＳ ゴシック", 0, 16, 16, 16, kColor, -1, 0, 0, -1, 1));
      std::set<uint32_t> values;
      cSurfaceLock lock(&font.m_lpFastFont_FullAdd->m_SD);
      ASSERT_TRUE(lock.IsLocked());
      for (int y = 0; y < 16; ++y)  // glyph 0: "０"
        for (int x = 0; x < 16; ++x)
          values.insert(bD3D ? lock.Row<uint32_t>(y)[x] : lock.Row<uint8_t>(y)[x]);
      if (bD3D) {
        // Soft edges: partial alpha over the text colour.
        int nPartial = 0;
        for (uint32_t v : values) {
          const uint32_t a = v >> 24;
          if (a > 0 && a < 255) ++nPartial;
          if (a > 0) {
            EXPECT_EQ(v & 0xFFFFFF, 0xC86432u);
          }
        }
        EXPECT_GT(nPartial, 0);
        // And they stay soft when copied from the cache onto the screen.
        lock.Unlock();
        DDPalFillSurface(&g_BackBufferSD, 0);
        font.Draw(&g_BackBufferSD, 0, 0, "０", 0);
        cSurfaceLock screen(&g_BackBufferSD);
        std::set<uint32_t> reds;
        for (int y = 0; y < 16; ++y)
          for (int x = 0; x < 16; ++x) reds.insert(screen.Row<uint32_t>(y)[x] >> 16 & 0xFF);
        EXPECT_GT(reds.size(), 4u) << "only " << reds.size() << " levels of red";
      } else {
        // Nothing but the transparent index and the text's palette index.
        EXPECT_EQ(values, (std::set<uint32_t>{0, kColor}));
      }
    }
    DDRelease();
    DDResetForTests();
  }
}

TEST_F(FontFaceTest, CreateWithoutADisplayAsksToClose) {
  const int nBefore = GetCloseRequestCount();
  Font font;
  EXPECT_FALSE(font.Create("ＭＳ ゴシック", 0, 16, 16, 16, kColor, -1, 0, 0, -1, 1));
  EXPECT_EQ(GetCloseRequestCount(), nBefore + 1);
  EXPECT_EQ(font.Draw(&g_BackBufferSD, 0, 0, "x", 0), 0);
}
