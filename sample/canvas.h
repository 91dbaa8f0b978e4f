#pragma once
// An 8-bit picture that the sample builder draws its bitmaps on, a small
// pixel font for the Latin text in them, and the writer of 8-bit Windows
// bitmap files with the sample's palette.
//
// Every pixel is a palette index. Index 0 is the transparent colour of the
// whole game (the top-left pixel of "bmp\plt\Palette.bmp"), so sprite sheets
// start filled with 0 and the opaque pictures never use it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SAMPLERGB {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const SAMPLERGB&) const = default;
};
using SamplePalette = std::array<SAMPLERGB, 256>;

class cCanvas {
 public:
  cCanvas(int nWidth, int nHeight, uint8_t nFill = 0);

  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  uint8_t At(int x, int y) const { return m_Pixels[static_cast<size_t>(y) * m_nWidth + x]; }
  const std::vector<uint8_t>& Pixels() const { return m_Pixels; }

  // Drawing clips at the picture's edges.
  void Set(int x, int y, uint8_t c);
  void Fill(int x, int y, int w, int h, uint8_t c);
  // A 1-pixel outline of the rectangle.
  void Frame(int x, int y, int w, int h, uint8_t c);
  void Line(int x0, int y0, int x1, int y1, uint8_t c);
  // A filled disc and a filled ellipse in the box (x, y, w, h).
  void Disc(int cx, int cy, int r, uint8_t c);
  void Ellipse(int x, int y, int w, int h, uint8_t c);
  // A filled triangle.
  void Triangle(int x0, int y0, int x1, int y1, int x2, int y2, uint8_t c);
  // Rows y .. y + h - 1 go from colour ramp entry nFrom to nTo (indices of
  // one ramp), dithered between neighbouring entries.
  void VerticalRamp(int x, int y, int w, int h, int nFrom, int nTo);

  // Copies a w x h block of src at (sx, sy) to (x, y); pixels of index 0 are
  // skipped when bKeyed.
  void Blit(const cCanvas& src, int sx, int sy, int w, int h, int x, int y, bool bKeyed = true);
  // The same block, mirrored left-right.
  void BlitMirrored(const cCanvas& src, int sx, int sy, int w, int h, int x, int y);
  // Every pixel of colour `from` in the block becomes `to`.
  void Recolour(int x, int y, int w, int h, uint8_t nFrom, uint8_t nTo);

  // Text in the pixel font (printable ASCII), each font pixel a scale x scale
  // square, glyphs advancing by 6 x scale. Returns the width drawn.
  int Text(int x, int y, std::string_view text, uint8_t c, int nScale = 1);
  // The same outlined and with a drop shadow in colour nShadow.
  int ShadowText(int x, int y, std::string_view text, uint8_t c, uint8_t nShadow, int nScale);
  static int TextWidth(std::string_view text, int nScale = 1);

 private:
  int m_nWidth;
  int m_nHeight;
  std::vector<uint8_t> m_Pixels;
};

// The pixel font: 5 x 7 glyphs of the printable ASCII characters; row r of a
// glyph is a 5-bit mask, bit 4 the leftmost column. Other characters are blank.
inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
const std::array<uint8_t, kGlyphHeight>& GlyphRows(char ch);

// The bytes of an 8-bit, uncompressed, bottom-up Windows bitmap file with the
// full 256-colour table.
std::string BmpFileBytes(const cCanvas& canvas, const SamplePalette& palette);
