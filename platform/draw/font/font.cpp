#include "platform/draw/font/font.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstring>

#include "app/base/close_request.h"
#include "app/base/report_log.h"
#include "app/base/sjis.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/font/font_paint.h"

std::list<Font*>& g_FontList = *new std::list<Font*>;

const char* const g_szFastFontPrefill =
    "０１２３４５６７８９ー～、。．！？「」（）・…※→↑↓←＋－＝○●×ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱ"
    "ＲＳＴＵＶＷＸＹＺ"
    "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚあいうえおかきくけこさしすせそたちつてとな"
    "にぬねのはひふへほ"
    "まみむめもやゆよらりるれろわをんがぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉっ"
    "ゃゅょアイウエオ"
    "カキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲンガギグゲゴザ"
    "ジズゼゾダヂヅデト"
    "バビブベボヴパピプペポァィゥェォッャュョ□■☆★％＆＜＞：";

namespace {

inline const unsigned char* U(const char* p) { return reinterpret_cast<const unsigned char*>(p); }

// Bytes of the character at p: 2 for a lead byte with a valid trail byte.
inline int CharBytes(const char* p) { return IsLeadByte(U(p)[0]) && IsTrailByte(U(p)[1]) ? 2 : 1; }

// Single bytes that are characters of their own in CP932.
inline bool IsSingleByteChar(unsigned b) {
  return (b >= 0x21 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF);
}

inline bool IsFullWidthSpace(const char* p) { return U(p)[0] == 0x81 && U(p)[1] == 0x40; }

DDSURFACEDATA* SurfaceOfTable(int n) {
  return g_lpSDTable && n >= 0 && n < g_nSurfaceCount ? &g_lpSDTable[n] : nullptr;
}

bool HasSurface(const DDSURFACEDATA& sd) {
  return (sd.lpDT && sd.lpDT->lpTexture) || sd.DDSurface();
}

}  // namespace

int LineLength(const char* pszText) {
  if (!pszText) return 0;
  const char* p = std::strchr(pszText, '\n');
  return static_cast<int>(p ? p - pszText : std::strlen(pszText));
}

// ---------------------------------------------------------------------------
// Creation and release

Font::~Font() {
  Release();
  g_FontList.remove(this);
}

void Font::DeleteCaches() {
  delete m_lpFastFont_Half;
  delete m_lpFastFont_FullAdd;
  m_lpFastFont_Half = nullptr;
  m_lpFastFont_FullAdd = nullptr;
  m_bFastFont = 0;
}

void Font::ReleasePaintLock() {
  m_lpPaintLock.reset();
  m_lpPaintSD = nullptr;
}

void Font::Release() {
  ReleasePaintLock();
  m_lpRaster.reset();
  DeleteCaches();
  DDReleaseSurface(&m_WorkSD);
  for (auto& lpText : m_QueuedTexts) DDReleaseSurface(&lpText->sd);
  m_QueuedTexts.clear();
}

bool Font::EnsureWorkSurface() {
  if (HasSurface(m_WorkSD)) return true;
  int w = g_BackBufferSD.nWidth > 0 ? g_BackBufferSD.nWidth : g_ScreenSize.cx;
  int h = g_BackBufferSD.nHeight > 0 ? g_BackBufferSD.nHeight : g_ScreenSize.cy;
  if (w <= 0 || h <= 0) return false;
  if (!DDCreateSurface(&m_WorkSD, w, h, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0)) return false;
  std::strncpy(m_WorkSD.szSurfaceType, "Font::Work", sizeof(m_WorkSD.szSurfaceType) - 1);
  return true;
}

DDSURFACEDATA* Font::QueuedTextSurface(int nWidth, int nHeight) {
  // The first surface not read by the batch that is on: one that is large
  // enough, else one to make again at the larger size, else a new one.
  if (nWidth <= 0 || nHeight <= 0) return nullptr;
  const unsigned nBatch = DDBatchNumber();
  QUEUEDTEXT* lpText = nullptr;
  for (auto& p : m_QueuedTexts) {
    if (p->nBatch == nBatch) continue;
    if (HasSurface(p->sd) && p->sd.nWidth >= nWidth && p->sd.nHeight >= nHeight) {
      lpText = p.get();
      break;
    }
    if (!lpText) lpText = p.get();
  }
  if (!lpText) lpText = m_QueuedTexts.emplace_back(std::make_unique<QUEUEDTEXT>()).get();
  DDSURFACEDATA& sd = lpText->sd;
  if (!HasSurface(sd) || sd.nWidth < nWidth || sd.nHeight < nHeight) {
    const int w = std::max(nWidth, sd.nWidth), h = std::max(nHeight, sd.nHeight);
    DDReleaseSurface(&sd);
    if (!DDCreateSurface(&sd, w, h, 1, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0)) {
      TraceLogf("DDCreateSurface Font::Queued %d x %d", w, h);
      return nullptr;
    }
    std::strncpy(sd.szSurfaceType, "Font::Queued", sizeof(sd.szSurfaceType) - 1);
  }
  lpText->nBatch = nBatch;
  return &sd;
}

bool Font::Create(const char* pszFace, int nCharWidth, int nCharHeight, int nCellWidth,
                  int nLineHeight, int nColorIndex, int nWindowSurface, int nWindowBorder,
                  int nWindowBorderColor, int nGlyphSurface, int nCache) {
  m_lpszFace = pszFace ? std::string(pszFace, strnlen(pszFace, 255)) : std::string();
  m_nCharWidth = nCharWidth;
  m_nCharHeight = nCharHeight;
  m_nCellWidth = std::max(nCellWidth, 0);
  m_nLineHeight = std::max(nLineHeight, 0);
  m_nColorIndex = std::clamp(nColorIndex, 0, 255);
  m_lpWindowSD = SurfaceOfTable(nWindowSurface);
  m_nWindowBorder = nWindowBorder;
  m_nWindowBorderColor = nWindowBorderColor;
  m_lpGlyphSD = SurfaceOfTable(nGlyphSurface);

  // The text colour from the palette, once the display depth is known.
  if (g_nBpp != 0) {
    const PALENTRY& pe = g_Palette[m_nColorIndex];
    if (lpDTCon) {
      m_dwColor = 0xFF000000u | uint32_t(pe.peRed) << 16 | uint32_t(pe.peGreen) << 8 | pe.peBlue;
    } else {
      uint32_t r = pe.peRed, g = pe.peGreen, b = pe.peBlue;
      if (g_nBpp == 16 && g_PixelFormat.nRedMax > 0 && g_PixelFormat.nGreenMax > 0 &&
          g_PixelFormat.nBlueMax > 0) {
        r = r * 255 / g_PixelFormat.nRedMax;
        g = g * 255 / g_PixelFormat.nGreenMax;
        b = b * 255 / g_PixelFormat.nBlueMax;
      }
      m_dwColor = std::min(r, 255u) | std::min(g, 255u) << 8 | std::min(b, 255u) << 16;
    }
  }

  m_lpRaster = CreateRasterizer(m_lpszFace, m_nCharHeight > 0 ? m_nCharHeight : m_nLineHeight);
  if (!EnsureWorkSurface()) {
    TraceLog("DDCreateSurface Font::Work");
    RequestClose();
    return false;
  }

  if (lpDTCon)
    m_nID = lpDTCon->nFontNumber++;
  else if (lpDDCon)
    m_nID = lpDDCon->nFontNumber++;
  if (std::find(g_FontList.begin(), g_FontList.end(), this) == g_FontList.end())
    g_FontList.push_back(this);
  // Device recovery brings the caches back through the font list.
  SetFontDeviceHooks(
      [] {
        // The rasterisers hold no device objects; only the trace remains.
        int i = 0;
        for (Font* lpFont : g_FontList) {
          lpFont->ReleasePaintLock();
          TraceLogf("Font i = %d", i++);
        }
      },
      [] {
        for (Font* lpFont : g_FontList) lpFont->Restore();
      });

  DeleteCaches();
  if (nCache == 0) return true;
  if (m_nCellWidth == 0 || m_nLineHeight == 0) {
    TraceLog("※フォントクラスで文字間が未設定！");
    return true;
  }
  m_lpFastFont_Half = new cFastFont(0, m_nCellWidth, m_nLineHeight, 16, 16);
  if (!m_lpFastFont_Half->IsReady()) {
    TraceLog("m_lpFastFont_Half Err");
    DeleteCaches();
    RequestClose();
    return false;
  }
  int nColumns, nRows;
  if (lpDTCon) {
    nColumns = std::min(1024 / m_nCellWidth, 32);
    nRows = std::min(1024 / m_nLineHeight, 32);
  } else {
    const int w = g_BackBufferSD.nWidth > 0 ? g_BackBufferSD.nWidth : g_ScreenSize.cx;
    const int h = g_BackBufferSD.nHeight > 0 ? g_BackBufferSD.nHeight : g_ScreenSize.cy;
    nColumns = std::min(w / m_nCellWidth, 32);
    nRows = std::min(h / m_nLineHeight, 30);
  }
  m_lpFastFont_FullAdd = new cFastFont(1, m_nCellWidth, m_nLineHeight, nColumns, nRows);
  if (!m_lpFastFont_FullAdd->IsReady()) {
    TraceLog("m_lpFastFont_FullAdd Err");
    DeleteCaches();
    RequestClose();
    return false;
  }
  m_bFastFont = 1;
  BuildHalfCache();
  BuildFullCache(false);
  return true;
}

int CreateFonts(Font* lpFonts, const FONTINFO* lpInfo, int nCount) {
  for (int i = 0; i < nCount; ++i) {
    const FONTINFO& fi = lpInfo[i];
    lpFonts[i].Create(fi.strFace.c_str(), fi.nCharWidth, fi.nCharHeight, fi.nCellWidth,
                      fi.nLineHeight, fi.nColorIndex, fi.nWindowSurface, fi.nWindowBorder,
                      fi.nWindowBorderColor, fi.nGlyphSurface, fi.nCache);
  }
  return 1;
}

void DrawDigits(DDSURFACEDATA* lpSD, Font* lpFont) {
  if (!lpSD || !lpFont) return;
  DDPalFillSurface(lpSD, 0);
  lpFont->Draw(lpSD, 0, 0, "0123456789", 0);
}

int CreateDigitSurfaces(DDSURFACEDATA* lpSD, const DDSURFACEINFO* lpInfo, int nCount, Font* lpFonts,
                        const FONTINFO* lpFontInfo) {
  for (int i = 0; i < nCount; ++i) {
    int w = lpFontInfo[i].nCellWidth * 10, h = lpFontInfo[i].nLineHeight;
    if (w <= 0) lpFonts[i].MeasureTextLines("0123456789", w, h);  // proportional digits
    if (w <= 0 || h <= 0 ||
        !DDCreateSurface(&lpSD[i], w, h, lpInfo[i].bColorKey, lpInfo[i].nDDMemory,
                         lpInfo[i].nDTMemory, lpInfo[i].bVariant, 0)) {
      ReportLog("数字の面 %d (%d x %d) を作れません", i, w, h);
      continue;
    }
    DrawDigits(&lpSD[i], &lpFonts[i]);
  }
  return 1;
}

// ---------------------------------------------------------------------------
// Caches

void Font::RenderCacheCell(cFastFont* lpCache, int nCell, std::string_view ch) {
  int cx, cy;
  lpCache->CellOrigin(nCell, cx, cy);
  const DDRECT cell{cx, cy, cx + lpCache->m_nCellWidth, cy + lpCache->m_nCellHeight};
  int px, py;
  GlyphPosition(cx, cy, ch, px, py);
  DDRECT ink;
  PaintRun(&lpCache->m_SD, px, py, ch, &cell, &ink);
  lpCache->AddInk(nCell, DDRECT{ink.left - cx, ink.top - cy, ink.right - cx, ink.bottom - cy});
}

void Font::BuildHalfCache() {
  cFastFont* lpCache = m_lpFastFont_Half;
  if (!lpCache || !lpCache->IsReady()) return;
  ReleasePaintLock();
  DDPalFillSurface(&lpCache->m_SD, 0);
  lpCache->ClearInk();
  // Byte b lies in cell b. Bytes that are no character of their own (control
  // bytes, lead bytes) keep an empty cell.
  for (unsigned b = 0; b < 256; ++b) {
    if (!IsSingleByteChar(b)) continue;
    const char ch = static_cast<char>(b);
    RenderCacheCell(lpCache, static_cast<int>(b), std::string_view(&ch, 1));
  }
  ReleasePaintLock();
}

void Font::BuildFullCache(bool bRestore) {
  cFastFont* lpCache = m_lpFastFont_FullAdd;
  if (!lpCache || !lpCache->IsReady()) return;
  if (!bRestore) {
    for (const char* p = g_szFastFontPrefill; p[0] && p[1]; p += 2)
      if (!lpCache->AddGlyph(p)) break;
  }
  ReleasePaintLock();
  DDPalFillSurface(&lpCache->m_SD, 0);
  lpCache->ClearInk();
  for (const FASTGLYPH& g : lpCache->m_Glyphs)
    RenderCacheCell(lpCache, g.nIndex, std::string_view(g.szText, 2));
  ReleasePaintLock();
}

void Font::Restore() {
  if (!lpDTCon) {
    if (cDDrawSurface* p = m_WorkSD.DDSurface(); p && p->IsLost() != DD_OK) p->Restore();
  }
  cFastFont* apCache[2] = {m_lpFastFont_Half, m_lpFastFont_FullAdd};
  for (int i = 0; i < 2; ++i) {
    cFastFont* lpCache = apCache[i];
    if (!lpCache) continue;
    bool bRebuild = lpCache->m_SD.bLost != 0;
    if (cDDrawSurface* p = lpCache->m_SD.DDSurface(); p && p->IsLost() != DD_OK) {
      p->Restore();
      bRebuild = true;
    }
    if (!bRebuild) continue;
    if (i == 0)
      BuildHalfCache();
    else
      BuildFullCache(true);
    lpCache->m_SD.bLost = 0;
  }
}

// ---------------------------------------------------------------------------
// Measuring

void Font::GetExtent(const char* pszText, int& nWidth, int& nHeight) const {
  nWidth = nHeight = 0;
  if (m_lpRaster && pszText)
    m_lpRaster->Measure(std::string_view(pszText, LineLength(pszText)), nWidth, nHeight);
}

void Font::MeasureTextLines(const char* pszText, int& nWidth, int& nHeight) const {
  nWidth = nHeight = 0;
  if (!pszText) return;
  int nLines = 0, nWidest = 0;
  for (const char* p = pszText; *p;) {
    const int nLength = LineLength(p);
    int nLineWidth = 0;
    if (m_nCellWidth == 0) {
      int h;
      if (m_lpRaster) m_lpRaster->Measure(std::string_view(p, nLength), nLineWidth, h);
    } else {
      int nChars = 0;
      for (int i = 0; i < nLength; i += (i + 1 < nLength ? CharBytes(p + i) : 1)) ++nChars;
      nLineWidth = nChars * m_nCellWidth;
    }
    nWidest = std::max(nWidest, nLineWidth);
    ++nLines;
    p += nLength;
    if (*p == '\n') ++p;
  }
  nWidth = nWidest;
  nHeight = nLines * m_nLineHeight;
}

// ---------------------------------------------------------------------------
// Drawing

void Font::GlyphPosition(int x, int y, std::string_view ch, int& px, int& py) const {
  if (m_bCenter) {
    int gw = 0, gh = 0;
    if (m_lpRaster) m_lpRaster->Measure(ch, gw, gh);
    px = x + (m_nCellWidth >> 1) - (gw >> 1);
    py = y + (m_nLineHeight >> 1) - (gh >> 1);
  } else if (ch.size() == 1) {
    px = x + (m_nCellWidth >> 3);
    py = y + (m_nLineHeight >> 4) - 1;
  } else {
    px = x;
    py = y;
  }
}

void Font::PaintRun(DDSURFACEDATA* lpSD, int x, int y, std::string_view run, const DDRECT* lpClip,
                    DDRECT* lpInk) {
  if (lpInk) *lpInk = DDRECT{0, 0, 0, 0};
  if (!m_lpRaster || run.empty()) return;
  GLYPHIMAGE img;
  if (!m_lpRaster->Render(run, img)) return;
  const bool bWork = lpSD == &m_WorkSD;
  if (bWork) {
    if (!m_bWorkDirty) {
      ReleasePaintLock();
      m_lpWorkTarget = m_bQueueText ? QueuedTextSurface(m_nWorkWidth, m_nWorkHeight) : &m_WorkSD;
      if (m_lpWorkTarget) DDPalFillRect(m_lpWorkTarget, 0, 0, m_nWorkWidth, m_nWorkHeight, 0);
      m_bWorkDirty = true;
    }
    if (!m_lpWorkTarget) return;
    lpSD = m_lpWorkTarget;
  }
  const bool bCache = (m_lpFastFont_Half && lpSD == &m_lpFastFont_Half->m_SD) ||
                      (m_lpFastFont_FullAdd && lpSD == &m_lpFastFont_FullAdd->m_SD);
  if (lpDTCon && DDIsBatching() && !bCache && !bWork) {
    // Only in the font's own batch, on a render target: the copies queued
    // for this target so far must land first.
    ReleasePaintLock();
    DDEndBatch();
    DDBeginBatch(0);
  }
  if (m_lpPaintSD != lpSD) {
    ReleasePaintLock();
    m_lpPaintLock = std::make_unique<cGlyphCanvas>(lpSD);
    m_lpPaintSD = lpSD;
  }
  GLYPHPAINT paint;
  paint.dwArgb = m_dwColor | 0xFF000000u;
  paint.dwPixel = PalNumToRGB(static_cast<uint32_t>(m_nColorIndex));
  PaintGlyph(*m_lpPaintLock, x, y, img, paint, lpClip);
  if (lpInk) {
    // Pixels that took ink: any coverage when blended, half when solid.
    const uint8_t nMin = lpDTCon ? 1 : 128;
    DDRECT rc{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int iy = 0; iy < img.nHeight; ++iy)
      for (int ix = 0; ix < img.nWidth; ++ix)
        if (img.At(ix, iy) >= nMin) {
          rc.left = std::min(rc.left, x + ix);
          rc.top = std::min(rc.top, y + iy);
          rc.right = std::max(rc.right, x + ix + 1);
          rc.bottom = std::max(rc.bottom, y + iy + 1);
        }
    if (lpClip) {
      rc.left = std::max(rc.left, lpClip->left);
      rc.top = std::max(rc.top, lpClip->top);
      rc.right = std::min(rc.right, lpClip->right);
      rc.bottom = std::min(rc.bottom, lpClip->bottom);
    }
    if (rc.left < rc.right && rc.top < rc.bottom) *lpInk = rc;
  }
}

void Font::DrawRun(DDSURFACEDATA* lpSD, int x, int y, const char* pszChars, int nCount) {
  const std::string_view ch(pszChars, nCount == 2 ? 2 : 1);
  int px, py;
  GlyphPosition(x, y, ch, px, py);
  PaintRun(lpSD, px, py, ch, nullptr);
}

void Font::DrawChars(DDSURFACEDATA* lpSD, int x, int y, DDSURFACEDATA* lpFinal, int fx, int fy,
                     const char* pszText, bool bSkipLower) {
  // The surface is let go however the call ends, a glyph that throws
  // included: its owner may release it as soon as the call is over.
  struct cUnlockAtEnd {
    Font& font;
    ~cUnlockAtEnd() { font.ReleasePaintLock(); }
  } unlockAtEnd{*this};
  if (m_nCellWidth == 0) {  // proportional: whole lines
    for (const char* p = pszText; *p;) {
      const int nLength = LineLength(p);
      PaintRun(lpSD, x, y, std::string_view(p, nLength), nullptr);
      y += m_nLineHeight;
      p += nLength;
      if (*p == '\n') ++p;
    }
    return;
  }
  const bool bCaches = m_bFastFont && m_lpFastFont_Half && m_lpFastFont_FullAdd && lpFinal;
  int dx = 0, dy = 0;
  for (const char* p = pszText; *p;) {
    if (CharBytes(p) == 2) {
      if (!IsFullWidthSpace(p)) {
        cFastFont* lpCache = m_lpFastFont_FullAdd;
        if (!bCaches) {
          DrawRun(lpSD, x + dx, y + dy, p, 2);
        } else {
          ReleasePaintLock();
          if (lpCache->DrawChar(lpFinal, fx + dx, fy + dy, p, DDBLT_TRANSPARENT)) {
            // cached
          } else if (!lpCache->AddGlyph(p)) {
            DrawRun(lpSD, x + dx, y + dy, p, 2);  // full: drawn directly every time
          } else {
            RenderCacheCell(lpCache, lpCache->m_nCount - 1, std::string_view(p, 2));
            ReleasePaintLock();
            lpCache->DrawChar(lpFinal, fx + dx, fy + dy, p, DDBLT_TRANSPARENT);
          }
        }
      }
      dx += m_nCellWidth;
      p += 2;
      continue;
    }
    const unsigned char c = U(p)[0];
    if (c == '\n') {
      dx = 0;
      dy += m_nLineHeight;
    } else if (c == ' ' || (bSkipLower && m_lpGlyphSD && c >= 'a' && c <= 'z')) {
      dx += m_nCellWidth;
    } else {
      if (bCaches) {
        ReleasePaintLock();
        m_lpFastFont_Half->DrawIndex(lpFinal, fx + dx, fy + dy, c, DDBLT_TRANSPARENT);
      } else {
        DrawRun(lpSD, x + dx, y + dy, p, 1);
      }
      dx += m_nCellWidth;
    }
    ++p;
  }
}

void Font::DrawImageText(DDSURFACEDATA* lpTarget, int x, int y, const char* pszText) {
  if (!m_bGlyphImage || !m_lpGlyphSD || m_nCellWidth == 0) return;
  int dx = 0, dy = 0;
  for (const char* p = pszText; *p;) {
    const int n = CharBytes(p);
    const unsigned char c = U(p)[0];
    if (n == 1 && c == '\n') {
      dx = 0;
      dy += m_nLineHeight;
    } else {
      if (n == 1 && c >= 'a' && c <= 'z')
        DDBlt(lpTarget, x + dx, y + dy, m_nCellWidth, m_nLineHeight, m_lpGlyphSD,
              (c - 'a') * m_nCellWidth, 0, DDBLT_TRANSPARENT);
      dx += m_nCellWidth;
    }
    p += n;
  }
}

int Font::Draw(DDSURFACEDATA* lpTarget, int x, int y, const char* pszText, int bLowerCase) {
  if (!lpTarget || !pszText || !*pszText || (!lpDTCon && !lpDDCon)) return 0;
  const bool bSkipLower = m_bGlyphImage && !bLowerCase;
  if (lpDTCon) {
    DDResolveParentSD(&lpTarget);
    DDRedirectBackBuffer(&lpTarget);
  }
  // Inside a caller's batch the text's copies join it: its order and its
  // registered sources stay as they are.
  const bool bOuterBatch = lpDTCon && DDIsBatching();
  const bool bRenderTarget =
      lpDTCon && lpTarget->lpDT && lpTarget->lpDT->nMemoryType == DTMEMORYTYPE_VIDEO_RT;
  if (lpDTCon && !bOuterBatch) DDBeginBatch(0);

  if (bRenderTarget && !bOuterBatch) {
    // A render target takes the glyphs directly.
    DrawChars(lpTarget, x, y, lpTarget, x, y, pszText, bSkipLower);
  } else {
    // Glyphs that are not cached go through a work surface, cleared to the
    // transparent colour when the first one arrives, and then one
    // colour-keyed copy. Queued in a caller's batch, that copy reads the
    // surface when the batch ends, so the text gets a surface of its own
    // which no later text paints over.
    int w, h;
    MeasureTextLines(pszText, w, h);
    m_nWorkWidth = std::min(w, m_WorkSD.nWidth);
    m_nWorkHeight = std::min(h, m_WorkSD.nHeight);
    m_bWorkDirty = false;
    m_bQueueText = bRenderTarget;
    m_lpWorkTarget = nullptr;
    DrawChars(&m_WorkSD, 0, 0, lpTarget, x, y, pszText, bSkipLower);
    if (m_lpWorkTarget)
      DDBlt(lpTarget, x, y, m_nWorkWidth, m_nWorkHeight, m_lpWorkTarget, 0, 0, DDBLT_TRANSPARENT);
    m_bWorkDirty = false;
    m_bQueueText = false;
    m_lpWorkTarget = nullptr;
  }
  if (lpDTCon && !bOuterBatch) DDEndBatch();
  // The pictures go over the glyphs: after the font's own batch, or queued
  // after the glyphs in the caller's.
  if (m_bGlyphImage && m_lpGlyphSD && m_nCellWidth != 0) DrawImageText(lpTarget, x, y, pszText);
  return 1;
}

void Font::Printf(DDSURFACEDATA* lpTarget, int x, int y, const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  const std::string strText = FormatStringV(255, pszFormat, args);
  va_end(args);
  Draw(lpTarget, x, y, strText.c_str(), 0);
}

void Font::DrawWindow(DDSURFACEDATA* lpTarget, int x, int y, int nWidth, int nHeight) {
  const int nSurfW = m_lpWindowSD ? m_lpWindowSD->nWidth : g_ScreenSize.cx;
  const int nSurfH = m_lpWindowSD ? m_lpWindowSD->nHeight : g_ScreenSize.cy;
  if (x == 10000) x = nSurfW / 2 - nWidth / 2;
  if (y == 10000) y = nSurfH / 2 - nHeight / 2;
  if (m_lpWindowSD) DDBlt(lpTarget, x, y, nWidth, nHeight, m_lpWindowSD, 0, 0, DDBLT_OPAQUE);
  const int f = m_nWindowBorder;
  if (f <= 0) return;
  const uint32_t c = static_cast<uint32_t>(std::clamp(m_nWindowBorderColor, 0, 255));
  DDPalFillRect(lpTarget, x - f, y - f, nWidth + 2 * f, f, c);
  DDPalFillRect(lpTarget, x - f, y + nHeight, nWidth + 2 * f, f, c);
  DDPalFillRect(lpTarget, x - f, y, f, nHeight, c);
  DDPalFillRect(lpTarget, x + nWidth, y, f, nHeight, c);
}

void Font::DrawBoxEx(DDSURFACEDATA* lpTarget, int x, int y, int nWidth, int nHeight,
                     const char* pszText, int nIndent) {
  if (!pszText) pszText = "";
  if (nWidth == 0 || nHeight == 0) {
    int w, h;
    MeasureTextLines(pszText, w, h);
    if (nWidth == 0) nWidth = nIndent + w;
    if (nHeight == 0) nHeight = h;
  }
  const int nSurfW = m_lpWindowSD ? m_lpWindowSD->nWidth : g_ScreenSize.cx;
  const int nSurfH = m_lpWindowSD ? m_lpWindowSD->nHeight : g_ScreenSize.cy;
  if (x == 10000) x = nSurfW / 2 - nWidth / 2;
  if (y == 10000) y = nSurfH / 2 - nHeight / 2;
  DrawWindow(lpTarget, x, y, nWidth, nHeight);
  Draw(lpTarget, x + nIndent, y, pszText, 0);
}

void Font::DrawBox(DDSURFACEDATA* lpTarget, int x, int y, int nWidth, int nHeight,
                   const char* pszText, int nIndent) {
  DrawBoxEx(lpTarget, x, y, nWidth, nHeight, pszText, nIndent);
}

void Font::PrintfBox(DDSURFACEDATA* lpTarget, int x, int y, int nWidth, int nHeight,
                     const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  const std::string strText = FormatStringV(511, pszFormat, args);
  va_end(args);
  DrawBoxEx(lpTarget, x, y, nWidth, nHeight, strText.c_str(), 0);
}
