#pragma once
// Glyph rasterisers behind the fonts. A rasteriser turns a run of CP932 text
// (one character of a cell grid, or one line of proportional text) into an
// 8-bit coverage image whose top-left corner is the pen position at the top
// of the line. The fonts decide where the image goes and how it becomes
// pixels (blended under the textured back end, solid under the surface one).
//
// cTtfRasterizer draws with a TrueType face found through fontconfig;
// cBoxRasterizer draws a fixed pattern per character code, so that layout can
// be checked to the pixel.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct GLYPHIMAGE {
  int nWidth = 0;
  int nHeight = 0;
  std::vector<uint8_t> coverage;  // nWidth x nHeight, 0 = empty, 255 = full

  uint8_t At(int x, int y) const { return coverage[static_cast<size_t>(y) * nWidth + x]; }
};

class cGlyphRasterizer {
 public:
  virtual ~cGlyphRasterizer() = default;
  // Renders the text; false (and an empty image) when nothing can be drawn.
  virtual bool Render(std::string_view cp932, GLYPHIMAGE& out) = 0;
  // Extent of the text as Render would draw it.
  virtual void Measure(std::string_view cp932, int& nWidth, int& nHeight) = 0;
};

// A TrueType face at a pixel height. Null when the face cannot be opened.
std::unique_ptr<cGlyphRasterizer> CreateTtfRasterizer(const std::string& strFile, int nPixelHeight);

// Characters as patterns: a single-byte character is nHeight / 2 wide, a
// double-byte one nHeight wide, both nHeight tall; a pixel is covered unless
// (x * 7 + y * 3 + code) % 5 == 0, the code being the character's byte or
// two bytes as a big-endian number. Spaces (20h and the full-width 8140h) and
// bytes that are no character (control bytes, lone lead bytes) stay empty.
class cBoxRasterizer : public cGlyphRasterizer {
 public:
  explicit cBoxRasterizer(int nHeight) : m_nHeight(nHeight < 1 ? 1 : nHeight) {}
  bool Render(std::string_view cp932, GLYPHIMAGE& out) override;
  void Measure(std::string_view cp932, int& nWidth, int& nHeight) override;
  static bool IsCovered(int x, int y, unsigned nCode) { return (x * 7 + y * 3 + nCode) % 5 != 0; }

 private:
  int m_nHeight;
};

// The font file for a face name of the font-face table (CP932). The Windows
// Japanese faces map to IPA Gothic, their proportional members to IPA P
// Gothic; other names are asked of fontconfig and fall back the same way.
// Empty when no usable font is installed.
std::string FindFontFile(const std::string& strFaceCp932);

// Makes the rasteriser of a font: by default a TrueType face for the face
// name (a box rasteriser, with a report-log line, when no font file is
// found). Tests install a factory of their own; an empty one restores the
// default.
using RasterizerFactory =
    std::function<std::unique_ptr<cGlyphRasterizer>(const std::string& strFaceCp932, int nHeight)>;
void SetRasterizerFactory(RasterizerFactory factory);
std::unique_ptr<cGlyphRasterizer> CreateRasterizer(const std::string& strFaceCp932, int nHeight);
