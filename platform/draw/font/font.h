#pragma once
// Text fonts: Shift-JIS text drawn on surface records with either back end,
// laid out on a fixed cell grid (or proportionally for a cell width of 0),
// with two glyph caches that turn a cached character into one colour-keyed
// blit: the half-width cache (every single-byte character, cell = byte) and
// the full-width cache (double-byte characters, pre-filled from a fixed list
// and extended on first use, never evicted).
//
// Glyphs come from a cGlyphRasterizer (font_raster.h). Under the textured
// back end they are blended with their coverage as alpha, so text is
// anti-aliased; under the surface back end they are solid pixels of the text
// colour (the palette index itself on 8-bit surfaces), so colour-keyed
// copies keep clean edges.

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/base/format.h"
#include "platform/draw/font/font_paint.h"
#include "platform/draw/font/font_raster.h"
#include "platform/draw/surface/dd_surface.h"

// One entry of the font table.
struct FONTINFO {
  std::string strFace;
  int nCharWidth;  // 0: the face's own width for the height
  int nCharHeight;
  int nCellWidth;  // 0: proportional text without caches
  int nLineHeight;
  int nColorIndex;         // palette index of the text
  int nWindowSurface;      // surface-table number of the window background
  int nWindowBorder;       // frame width in pixels
  int nWindowBorderColor;  // palette index of the frame
  int nGlyphSurface;       // surface-table number of the letters a to z
  int nCache;              // 0 no glyph caches, 1 caches
};

// One cached glyph: the character (two bytes and a zero), its cell number
// and the cell's position on the cache surface.
struct FASTGLYPH {
  char szText[4];
  int nIndex;
  int x, y;
};

class cFastFont {
 public:
  // Kind 0 half-width, 1 full-width. The surface is made at once; check
  // IsReady() for the outcome.
  cFastFont(int nKind, int nCellWidth, int nCellHeight, int nColumns, int nRows);
  ~cFastFont();
  cFastFont(const cFastFont&) = delete;
  cFastFont& operator=(const cFastFont&) = delete;

  bool IsReady() const;
  // Appends a glyph in the next free cell: 1, or 0 when the cache is full.
  int AddGlyph(const char* pszText);
  // Cell number of a cached two-byte character, -1 when not cached.
  int Find(const char* pszText) const;
  // Copies cell `byte` (half-width cache) to (x, y).
  void DrawIndex(DDSURFACEDATA* lpTarget, int x, int y, unsigned char byte, uint32_t dwFlags);
  // Copies the cell of a cached character to (x, y): 1, or 0 when not cached.
  int DrawChar(DDSURFACEDATA* lpTarget, int x, int y, const char* pszText, uint32_t dwFlags);
  // Top-left of cell n on the cache surface.
  void CellOrigin(int n, int& x, int& y) const;

  int m_nKind;
  int m_nCellWidth, m_nCellHeight;
  int m_nColumns, m_nRows;
  int m_nCapacity;
  DDSURFACEDATA m_SD;
  std::vector<FASTGLYPH> m_Glyphs;  // in the order they were added
  int m_nCount = 0;

  // Forgets what the cells hold (the surface is being cleared), or records
  // the part of cell n that holds ink (relative to the cell; grows only).
  void ClearInk();
  void AddInk(int n, const DDRECT& rcInk);

 private:
  // Cell of each two-byte code, or -1 (the lookup behind Find).
  std::vector<int16_t> m_CellOfCode;
  // The inked part of each cell: a copy covers only that part, as the rest
  // of a cell is transparent. Empty cells copy nothing.
  std::vector<DDRECT> m_Ink;
  void BlitCell(DDSURFACEDATA* lpTarget, int x, int y, int n, uint32_t dwFlags);
};

class Font {
 public:
  Font() = default;
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Makes (or remakes) the font from the fields of a font-table entry; the
  // surface numbers select entries of the library's surface table (-1 or out
  // of range: none). False when the font cannot draw.
  bool Create(const char* pszFace, int nCharWidth, int nCharHeight, int nCellWidth, int nLineHeight,
              int nColorIndex, int nWindowSurface, int nWindowBorder, int nWindowBorderColor,
              int nGlyphSurface, int nCache);
  // Rebuilds the caches whose surfaces were re-created by device recovery.
  void Restore();
  // Frees the rasteriser, both caches and the work surfaces.
  void Release();

  // Draws text, several lines when it holds line feeds. bLowerCase 1 draws a
  // to z with the font even when the glyph picture is on.
  int Draw(DDSURFACEDATA* lpTarget, int x, int y, const char* pszText, int bLowerCase);
  // Formats (at most 255 bytes, cut on a character boundary) and draws.
  void Printf(DDSURFACEDATA* lpTarget, int x, int y, const char* pszFormat, ...)
      PLAYER_PRINTF(5, 6);
  void DrawWindow(DDSURFACEDATA* lpTarget, int x, int y, int nWidth, int nHeight);
  void DrawBox(DDSURFACEDATA* lpTarget, int x, int y, int nWidth, int nHeight, const char* pszText,
               int nIndent);
  void DrawBoxEx(DDSURFACEDATA* lpTarget, int x, int y, int nWidth, int nHeight,
                 const char* pszText, int nIndent);
  // Formats (at most 511 bytes, cut on a character boundary), then DrawBoxEx.
  void PrintfBox(DDSURFACEDATA* lpTarget, int x, int y, int nWidth, int nHeight,
                 const char* pszFormat, ...) PLAYER_PRINTF(7, 8);

  // Size of a text: on the cell grid, or measured by the rasteriser for
  // proportional fonts. Lines of any length are measured whole.
  void MeasureTextLines(const char* pszText, int& nWidth, int& nHeight) const;
  // Extent of a text as the rasteriser draws it (proportional measuring).
  void GetExtent(const char* pszText, int& nWidth, int& nHeight) const;

  // Internal steps, public for the recovery code and tests.
  void BuildHalfCache();
  void BuildFullCache(bool bRestore);
  void DrawChars(DDSURFACEDATA* lpSD, int x, int y, DDSURFACEDATA* lpFinal, int fx, int fy,
                 const char* pszText, bool bSkipLower);
  // Leaves the surface locked for the next glyph; DrawChars lets it go.
  void DrawRun(DDSURFACEDATA* lpSD, int x, int y, const char* pszChars, int nCount);
  void DrawImageText(DDSURFACEDATA* lpTarget, int x, int y, const char* pszText);

  int m_nID = 0;
  std::unique_ptr<cGlyphRasterizer> m_lpRaster;  // the font's device object
  std::string m_lpszFace;
  int m_nCharWidth = 0, m_nCharHeight = 0;
  int m_nCellWidth = 0;
  int m_nLineHeight = 0;
  int m_nColorIndex = 0;
  uint32_t m_dwColor = 0;
  int m_bCenter = 0;
  DDSURFACEDATA m_WorkSD;
  DDSURFACEDATA* m_lpWindowSD = nullptr;
  int m_nWindowBorder = 0;
  int m_nWindowBorderColor = 0;
  DDSURFACEDATA* m_lpGlyphSD = nullptr;
  int m_bGlyphImage = 0;
  int m_bFastFont = 0;
  cFastFont* m_lpFastFont_Half = nullptr;
  cFastFont* m_lpFastFont_FullAdd = nullptr;

 private:
  void DeleteCaches();
  bool EnsureWorkSurface();
  // Rasterises a run and paints it at (x, y) on lpSD, clipped to lpClip when
  // given (a cache cell).
  // lpInk, when given, receives the rectangle of the pixels painted (empty
  // when none).
  void PaintRun(DDSURFACEDATA* lpSD, int x, int y, std::string_view run, const DDRECT* lpClip,
                DDRECT* lpInk = nullptr);
  void RenderCacheCell(cFastFont* lpCache, int nCell, std::string_view ch);
  // Where a character of a cell at (x, y) is drawn.
  void GlyphPosition(int x, int y, std::string_view ch, int& px, int& py) const;
  // The surface glyphs are being painted on stays locked until the font
  // copies, fills or returns, so a run of glyphs costs one lock.
  void ReleasePaintLock();
  std::unique_ptr<cGlyphCanvas> m_lpPaintLock;
  DDSURFACEDATA* m_lpPaintSD = nullptr;
  // The work surface is cleared only when something is drawn into it.
  int m_nWorkWidth = 0, m_nWorkHeight = 0;
  bool m_bWorkDirty = false;
  // Where the glyphs DrawChars sends to the work surface really go: the work
  // surface itself, or, for text queued in a caller's batch, a surface of that
  // text's own (null when none could be made: the glyphs are left out).
  DDSURFACEDATA* m_lpWorkTarget = nullptr;
  bool m_bQueueText = false;
  // Surfaces of texts queued in a caller's batch. The batch copies from them
  // when it ends, so a surface serves one text per batch and is used again in
  // a later batch (DDBatchNumber).
  struct QUEUEDTEXT {
    DDSURFACEDATA sd;
    unsigned nBatch = 0;
  };
  std::vector<std::unique_ptr<QUEUEDTEXT>> m_QueuedTexts;
  DDSURFACEDATA* QueuedTextSurface(int nWidth, int nHeight);
};

// Every font made, in creation order (device recovery walks it). The list is
// never destroyed, so that fonts that are static objects themselves may leave
// it whatever the order in which statics go at exit.
extern std::list<Font*>& g_FontList;

// Characters of the full-width cache's fixed first part, in order.
extern const char* const g_szFastFontPrefill;

// Bytes before the first line feed or the end.
int LineLength(const char* pszText);

// Font::Create for each entry: 1.
int CreateFonts(Font* lpFonts, const FONTINFO* lpInfo, int nCount);
// One digit strip per font: a surface of (cell width x 10) x line height with
// the creation flags of its surface-table entry, then DrawDigits. 1.
int CreateDigitSurfaces(DDSURFACEDATA* lpSD, const DDSURFACEINFO* lpInfo, int nCount, Font* lpFonts,
                        const FONTINFO* lpFontInfo);
// Clears the strip to the transparent colour and draws "0123456789" at (0, 0).
void DrawDigits(DDSURFACEDATA* lpSD, Font* lpFont);
