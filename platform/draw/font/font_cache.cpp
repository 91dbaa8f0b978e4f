// The glyph caches: a surface of cells and the list of glyphs in them.

#include <algorithm>
#include <cstring>

#include "platform/draw/dd_blit.h"
#include "platform/draw/font/font.h"

namespace {
unsigned CodeOf(const char* pszText) {
  return static_cast<unsigned char>(pszText[0]) << 8 | static_cast<unsigned char>(pszText[1]);
}
}  // namespace

cFastFont::cFastFont(int nKind, int nCellWidth, int nCellHeight, int nColumns, int nRows)
    : m_nKind(nKind),
      m_nCellWidth(nCellWidth),
      m_nCellHeight(nCellHeight),
      m_nColumns(nColumns),
      m_nRows(nRows),
      m_nCapacity(nColumns * nRows) {
  std::strncpy(m_SD.szSurfaceType, nKind == 0 ? "FastFont::Half" : "FastFont::FullAdd",
               sizeof(m_SD.szSurfaceType) - 1);
  if (nCellWidth <= 0 || nCellHeight <= 0 || nColumns <= 0 || nRows <= 0) {
    m_nCapacity = 0;
    return;
  }
  if (!DDCreateSurface(&m_SD, nCellWidth * nColumns, nCellHeight * nRows, 1, 1,
                       DTMEMORYTYPE_VIDEO_RT, 0, 0)) {
    m_nCapacity = 0;
    return;
  }
  m_Glyphs.reserve(static_cast<size_t>(m_nCapacity));
  m_Ink.assign(static_cast<size_t>(m_nCapacity), DDRECT{0, 0, 0, 0});
  if (nKind == 1) m_CellOfCode.assign(65536, -1);
}

cFastFont::~cFastFont() { DDReleaseSurface(&m_SD); }

bool cFastFont::IsReady() const { return m_SD.lpDT != nullptr || m_SD.DDSurface() != nullptr; }

void cFastFont::CellOrigin(int n, int& x, int& y) const {
  x = m_nColumns > 0 ? (n % m_nColumns) * m_nCellWidth : 0;
  y = m_nColumns > 0 ? (n / m_nColumns) * m_nCellHeight : 0;
}

int cFastFont::AddGlyph(const char* pszText) {
  if (m_nCount >= m_nCapacity) return 0;
  FASTGLYPH glyph{};
  glyph.szText[0] = pszText[0];
  glyph.szText[1] = pszText[0] ? pszText[1] : 0;
  glyph.nIndex = m_nCount;
  CellOrigin(m_nCount, glyph.x, glyph.y);
  m_Glyphs.push_back(glyph);
  if (!m_CellOfCode.empty() && m_CellOfCode[CodeOf(glyph.szText)] < 0)
    m_CellOfCode[CodeOf(glyph.szText)] = static_cast<int16_t>(m_nCount);
  ++m_nCount;
  return 1;
}

int cFastFont::Find(const char* pszText) const {
  if (!m_CellOfCode.empty()) return m_CellOfCode[CodeOf(pszText)];
  for (const FASTGLYPH& g : m_Glyphs)
    if (g.szText[0] == pszText[0] && g.szText[1] == pszText[1]) return g.nIndex;
  return -1;
}

void cFastFont::ClearInk() { std::fill(m_Ink.begin(), m_Ink.end(), DDRECT{0, 0, 0, 0}); }

void cFastFont::AddInk(int n, const DDRECT& rc) {
  if (n < 0 || static_cast<size_t>(n) >= m_Ink.size() || rc.left >= rc.right || rc.top >= rc.bottom)
    return;
  DDRECT& ink = m_Ink[static_cast<size_t>(n)];
  if (ink.left >= ink.right || ink.top >= ink.bottom) {
    ink = rc;
    return;
  }
  ink = DDRECT{std::min(ink.left, rc.left), std::min(ink.top, rc.top),
               std::max(ink.right, rc.right), std::max(ink.bottom, rc.bottom)};
}

void cFastFont::BlitCell(DDSURFACEDATA* lpTarget, int x, int y, int n, uint32_t dwFlags) {
  if (n < 0 || static_cast<size_t>(n) >= m_Ink.size()) return;
  const DDRECT& ink = m_Ink[static_cast<size_t>(n)];
  if (ink.left >= ink.right || ink.top >= ink.bottom) return;
  int sx, sy;
  CellOrigin(n, sx, sy);
  DDBlt(lpTarget, x + ink.left, y + ink.top, ink.right - ink.left, ink.bottom - ink.top, &m_SD,
        sx + ink.left, sy + ink.top, dwFlags);
}

void cFastFont::DrawIndex(DDSURFACEDATA* lpTarget, int x, int y, unsigned char byte,
                          uint32_t dwFlags) {
  BlitCell(lpTarget, x, y, byte, dwFlags);
}

int cFastFont::DrawChar(DDSURFACEDATA* lpTarget, int x, int y, const char* pszText,
                        uint32_t dwFlags) {
  const int n = Find(pszText);
  if (n < 0) return 0;
  BlitCell(lpTarget, x, y, n, dwFlags);
  return 1;
}
