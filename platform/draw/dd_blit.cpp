#include "platform/draw/dd_blit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "app/base/report_log.h"
#include "platform/draw/dd_internal.h"
#include "platform/draw/pixels/blit_rows.h"
#include "platform/draw/pixels/pixel_format.h"
#include "platform/draw/pixels/pixel_rows.h"
#include "platform/draw/quad_buffers.h"

// ---- colours ---------------------------------------------------------------------

uint32_t PalNumToRGB(uint32_t dwPalNum) {
  if (dwPalNum > 255) {
    TraceLogf("PalNumToRGB(DWORD dwPalNum) Err dwPalNum = %d", static_cast<int>(dwPalNum));
    return 0;
  }
  const PALENTRY& e = g_Palette[dwPalNum];
  if (lpDTCon) {
    if (g_nBpp == 16 || g_nBpp == 32) {
      if (dwPalNum == 0) return lpDTCon->dwTransmitTexel;
      return 0xFF000000u | static_cast<uint32_t>(e.peRed) << 16 |
             static_cast<uint32_t>(e.peGreen) << 8 | e.peBlue;
    }
    return g_nBpp == 8 ? dwPalNum : 0;
  }
  switch (g_nBpp) {
    case 8:
      return dwPalNum;
    case 16: {
      const CHANNELFORMAT& f = g_PixelFormat;
      return static_cast<uint32_t>((e.peRed & f.nRedMax) << f.nRedShift |
                                   (e.peGreen & f.nGreenMax) << f.nGreenShift |
                                   (e.peBlue & f.nBlueMax) << f.nBlueShift);
    }
    case 24:
    case 32:
      return static_cast<uint32_t>(e.peRed) << 16 | static_cast<uint32_t>(e.peGreen) << 8 |
             e.peBlue;
    default:
      return 0;
  }
}

namespace {

// Clips a rectangle to a surface of the given size; false when nothing is left.
bool ClipRect(int nSurfW, int nSurfH, int& x, int& y, int& w, int& h) {
  int x2 = std::min(x + w, nSurfW), y2 = std::min(y + h, nSurfH);
  x = std::max(x, 0);
  y = std::max(y, 0);
  w = x2 - x;
  h = y2 - y;
  return w > 0 && h > 0;
}

void ColorFillDDraw(DDSURFACEDATA* lpSD, int x, int y, int w, int h, uint32_t dwValue) {
  cDDrawSurface* pSurface = lpSD ? lpSD->DDSurface() : nullptr;
  if (!pSurface || !ClipRect(pSurface->Width(), pSurface->Height(), x, y, w, h)) return;
  DDRECT rc{x, y, x + w, y + h};
  pSurface->Blt(&rc, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, dwValue);
}

void WriteQuad(GPUVERTEX* v, int x, int y, int w, int h, uint32_t dwColor, float u1, float v1,
               float u2, float v2) {
  const float l = static_cast<float>(x) - 0.5f, t = static_cast<float>(y) - 0.5f;
  const float r = static_cast<float>(x + w) - 0.5f, b = static_cast<float>(y + h) - 0.5f;
  v[0] = GPUVERTEX{l, t, 0, 1, dwColor, u1, v1};
  v[1] = GPUVERTEX{l, b, 0, 1, dwColor, u1, v2};
  v[2] = GPUVERTEX{r, t, 0, 1, dwColor, u2, v1};
  v[3] = GPUVERTEX{r, b, 0, 1, dwColor, u2, v2};
}

struct DDFILLITEM {
  DDSURFACEDATA* lpSD;
  int x, y, nWidth, nHeight;
  uint32_t dwValue;
};
std::vector<DDFILLITEM> g_FillBatch;
bool g_bFillBatch = false;

}  // namespace

// The transparent value a keyed source leaves behind in an opaque copy.
uint32_t DDTransparentClearValue(DDSURFACEDATA* lpDstSD) {
  if (lpDstSD != &g_BackBufferSD)
    return g_nBpp == 16 ? lpDTCon->wTransmit_16 : lpDTCon->dwTransmitTexel;
  if (g_nBpp != 16) return lpDTCon->dwTransmitColor;
  // The 16-bit texel holds raw 5-bit channels; widened, the device narrows
  // it back to exactly the same texel.
  return Argb1555ToArgb(static_cast<uint16_t>(lpDTCon->wTransmitOpaque_16 | 0x8000));
}

void DDRestoreTarget() {
  if (lpDTCon && lpDTCon->lpTargetSD) DDSetRenderTarget(0, lpDTCon->lpTargetSD);
}

void DDSetTextureStage(uint32_t dwColorOp, uint32_t dwAlphaOp) {
  lpDevice->SetTextureStageState(0, GPUTSS_COLOROP, dwColorOp);
  lpDevice->SetTextureStageState(0, GPUTSS_COLORARG1, GPUTA_TEXTURE);
  lpDevice->SetTextureStageState(0, GPUTSS_COLORARG2, GPUTA_DIFFUSE);
  lpDevice->SetTextureStageState(0, GPUTSS_ALPHAOP, dwAlphaOp);
  lpDevice->SetTextureStageState(0, GPUTSS_ALPHAARG1, GPUTA_TEXTURE);
  lpDevice->SetTextureStageState(0, GPUTSS_ALPHAARG2, GPUTA_DIFFUSE);
}

bool DDBeginSourceQuad(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, const GPUVERTEX* v,
                       bool bTextureNeeded) {
  DTDATA* sd = lpSrcSD->lpDT;
  if (!lpDevice || !sd || !sd->lpVB || (bTextureNeeded && !sd->lpTexture)) return false;
  void* pData = nullptr;
  if (GpuFailed(sd->lpVB->Lock(0, 4 * sizeof(GPUVERTEX), &pData))) return false;
  std::memcpy(pData, v, 4 * sizeof(GPUVERTEX));
  sd->lpVB->Unlock();
  return DDBeginScene() && DDSetRenderTarget(0, lpDstSD);
}

void DDEndSourceQuad(DDSURFACEDATA* lpSrcSD) {
  DTDATA* sd = lpSrcSD->lpDT;
  lpDevice->SetTexture(0, sd->lpTexture);
  lpDevice->SetStreamSource(0, sd->lpVB, 0, sizeof(GPUVERTEX));
  lpDevice->SetFVF(GPUFVF_SCREENQUAD);
  lpDevice->DrawPrimitive(5, 0, 2);
  DDRestoreTarget();
}

void BuildQuadVertices(GPUVERTEX* v, int x, int y, int w, int h, uint32_t dwColor, int sx, int sy,
                       int sw, int sh, int nTexW, int nTexH) {
  WriteQuad(v, x, y, w, h, dwColor, static_cast<float>(sx) / nTexW, static_cast<float>(sy) / nTexH,
            static_cast<float>(sx + sw) / nTexW, static_cast<float>(sy + sh) / nTexH);
}

// ---- fills -------------------------------------------------------------------------------

void DDPalFillRect(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, uint32_t dwPalNum) {
  const uint32_t dwValue = PalNumToRGB(dwPalNum);
  if (lpDTCon)
    DDFillRect(lpSD, x, y, nWidth, nHeight, dwValue);
  else
    ColorFillDDraw(lpSD, x, y, nWidth, nHeight, dwValue);
}

void DDPalFillSurface(DDSURFACEDATA* lpSD, uint32_t dwPalNum) {
  if (lpSD) DDPalFillRect(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, dwPalNum);
}

void DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, uint32_t dwValue) {
  if (!lpSD) return;
  if (!lpDTCon) {
    ColorFillDDraw(lpSD, x, y, nWidth, nHeight, dwValue);
    return;
  }
  DDResolveParentSD(&lpSD);
  DDRedirectBackBuffer(&lpSD);
  DTDATA* dt = lpSD->lpDT;
  if (!dt || !lpDevice) return;
  if (dt->bRenderTarget) {
    if (!ClipRect(lpSD->nWidth, lpSD->nHeight, x, y, nWidth, nHeight)) return;
    const uint32_t dwTransparent =
        lpSD == &g_BackBufferSD ? lpDTCon->dwTransmitColor : lpDTCon->dwTransmitTexel;
    if (dt->bColorKey && (g_nBpp == 16 || g_nBpp == 32) && dwValue == dwTransparent) {
      if (!DDBeginScene() || !DDSetRenderTarget(0, lpSD)) return;
      GPURECT rc{x, y, x + nWidth, y + nHeight};
      lpDevice->Clear(1, &rc, 1, dwValue, 1.0f, 0);
      DDRestoreTarget();
      return;
    }
    if (g_bFillBatch) {
      g_FillBatch.push_back(DDFILLITEM{lpSD, x, y, nWidth, nHeight, dwValue});
      return;
    }
    if (!dt->lpVB) return;
    void* pData = nullptr;
    if (GpuFailed(dt->lpVB->Lock(0, 4 * sizeof(GPUVERTEX), &pData))) return;
    WriteQuad(static_cast<GPUVERTEX*>(pData), x, y, nWidth, nHeight, dwValue, 0, 0, 0, 0);
    dt->lpVB->Unlock();
    if (!DDBeginScene() || !DDSetRenderTarget(0, lpSD)) return;
    lpDevice->SetRenderState(GPURS_TEXTUREFACTOR, dwValue);
    lpDevice->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG2);
    lpDevice->SetTextureStageState(0, GPUTSS_COLORARG2, GPUTA_TFACTOR);
    lpDevice->SetTextureStageState(0, GPUTSS_ALPHAOP, GPUTOP_SELECTARG2);
    lpDevice->SetTextureStageState(0, GPUTSS_ALPHAARG2, GPUTA_TFACTOR);
    lpDevice->SetStreamSource(0, dt->lpVB, 0, sizeof(GPUVERTEX));
    lpDevice->SetFVF(GPUFVF_SCREENQUAD);
    lpDevice->DrawPrimitive(5, 0, 2);
    DDRestoreTarget();
    return;
  }
  cSurfaceLock lock(lpSD);
  if (!lock.IsLocked()) return;
  const int nW = lpSD->nWidth, nH = lpSD->nHeight;
  if (!ClipRect(nW, nH, x, y, nWidth, nHeight)) return;
  if (lock.m_nBytesPerPixel == 4) {
    for (int j = y; j < y + nHeight; ++j) std::fill_n(lock.Row<uint32_t>(j) + x, nWidth, dwValue);
  } else if (lock.m_nBytesPerPixel == 2) {
    const CHANNELFORMAT& f = g_PixelFormat;
    const uint32_t a = dwValue >> 24, r = (dwValue >> 16) & 0xFF, g = (dwValue >> 8) & 0xFF,
                   b = dwValue & 0xFF;
    const uint16_t texel = static_cast<uint16_t>(
        (b * f.nBlueMax / 255) << f.nBlueShift | (g * f.nGreenMax / 255) << f.nGreenShift |
        (r * f.nRedMax / 255) << f.nRedShift | (a * f.nAlphaMax / 255) << f.nAlphaShift);
    for (int j = y; j < y + nHeight; ++j) std::fill_n(lock.Row<uint16_t>(j) + x, nWidth, texel);
  }
}

void DDFillSurface(DDSURFACEDATA* lpSD, uint32_t dwValue) {
  if (lpSD) DDFillRect(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, dwValue);
}

void DDDropFillBatch() {
  g_FillBatch.clear();
  g_bFillBatch = false;
}

void DDBeginFill() {
  if (!lpDTCon) return;
  g_bFillBatch = true;
  g_FillBatch.clear();
}

void DDEndFill() {
  if (!lpDTCon) return;
  g_bFillBatch = false;
  // Drawn in place: nothing queues fills while the batch is off, and the
  // queue keeps its storage for the next batch.
  const std::vector<DDFILLITEM>& items = g_FillBatch;
  size_t i = 0;
  while (i < items.size()) {
    size_t end = i + 1;
    while (end < items.size() && end - i < kMaxQuadRun && items[end].lpSD == items[i].lpSD) ++end;
    const int n = static_cast<int>(end - i);
    cGpuVertexBuffer* pVB = QuadRunVertexBuffer(n);
    cGpuIndexBuffer* pIB = pVB ? QuadRunIndexBuffer(n) : nullptr;
    void* pV = nullptr;
    if (!pIB || GpuFailed(pVB->Lock(0, static_cast<size_t>(n) * 4 * sizeof(GPUVERTEX), &pV))) {
      i = end;  // the run is skipped
      continue;
    }
    DDSURFACEDATA* lpSD = items[i].lpSD;
    for (int j = 0; j < n; ++j) {
      const DDFILLITEM& it = items[i + j];
      WriteQuad(static_cast<GPUVERTEX*>(pV) + 4 * j, it.x, it.y, it.nWidth, it.nHeight, it.dwValue,
                0, 0, static_cast<float>(it.nWidth), static_cast<float>(it.nHeight));
    }
    pVB->Unlock();
    if (DDBeginScene() && DDSetRenderTarget(0, lpSD)) {
      lpDevice->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG2);
      lpDevice->SetTextureStageState(0, GPUTSS_COLORARG2, GPUTA_DIFFUSE);
      lpDevice->SetTextureStageState(0, GPUTSS_ALPHAOP, GPUTOP_DISABLE);
      lpDevice->SetTexture(0, g_WorkSD.lpDT ? g_WorkSD.lpDT->lpTexture : nullptr);
      lpDevice->SetStreamSource(0, pVB, 0, sizeof(GPUVERTEX));
      lpDevice->SetIndices(pIB);
      lpDevice->SetFVF(GPUFVF_SCREENQUAD);
      for (int j = 0; j < n; ++j) lpDevice->DrawIndexedPrimitive(5, 0, 4 * j, 4, 4 * j, 2);
      lpDevice->SetIndices(nullptr);
      lpDevice->SetStreamSource(0, nullptr, 0, sizeof(GPUVERTEX));
      DDRestoreTarget();
    }
    i = end;
  }
  g_FillBatch.clear();
}

// ---- clipping -----------------------------------------------------------------------------

// Positions and sizes are worked out in 64 bits, so that no int the caller
// passes can overflow on the way; what comes back lies within the surfaces.
int DDClipBlt(DDSURFACEDATA* lpDstSD, int* x, int* y, int* nWidth, int* nHeight,
              DDSURFACEDATA* lpSrcSD, int* sx, int* sy, int* nSrcWidth, int* nSrcHeight) {
  if (!lpDstSD || !lpSrcSD) return 0;
  if (*nWidth == 0 || *nHeight == 0 || *nSrcWidth == 0 || *nSrcHeight == 0 || *nWidth < 1 ||
      *nHeight < 1)
    return 0;
  const long long nDstW = lpDstSD->nWidth, nDstH = lpDstSD->nHeight;
  const long long nSrcW = lpSrcSD->nWidth, nSrcH = lpSrcSD->nHeight;
  if (*nSrcWidth == *nWidth && *nSrcHeight == *nHeight) {
    // The source is cut to the source surface (the destination position
    // stays), then a destination edge before the destination's moves the
    // source edge with it.
    long long X = *x, Y = *y;
    long long l = std::max<long long>(*sx, 0), t = std::max<long long>(*sy, 0);
    long long r = std::min(static_cast<long long>(*sx) + *nSrcWidth, nSrcW);
    long long b = std::min(static_cast<long long>(*sy) + *nSrcHeight, nSrcH);
    if (X < 0) {
      l -= X;
      X = 0;
    }
    if (Y < 0) {
      t -= Y;
      Y = 0;
    }
    r = std::min(r, l + (nDstW - X));
    b = std::min(b, t + (nDstH - Y));
    if (r <= l || b <= t) return 0;
    *x = static_cast<int>(X);
    *y = static_cast<int>(Y);
    *sx = static_cast<int>(l);
    *sy = static_cast<int>(t);
    *nSrcWidth = *nWidth = static_cast<int>(r - l);
    *nSrcHeight = *nHeight = static_cast<int>(b - t);
    return 1;
  }
  const bool bMirrorW = *nSrcWidth < 0, bMirrorH = *nSrcHeight < 0;
  // Source spans as [l, r) whatever the direction.
  const long long sx0 = *sx, sy0 = *sy;
  long long l = bMirrorW ? sx0 + *nSrcWidth : sx0, r = bMirrorW ? sx0 : sx0 + *nSrcWidth;
  long long t = bMirrorH ? sy0 + *nSrcHeight : sy0, b = bMirrorH ? sy0 : sy0 + *nSrcHeight;
  const long long nSpanW = r - l, nSpanH = b - t;
  l = std::max(l, 0LL);
  t = std::max(t, 0LL);
  r = std::min(r, nSrcW);
  b = std::min(b, nSrcH);
  if (r <= l || b <= t) return 0;
  long long X = *x, Y = *y;
  long long w = *nWidth * (r - l) / nSpanW, h = *nHeight * (b - t) / nSpanH;
  long long su = bMirrorW ? r : l, sv = bMirrorH ? b : t;
  long long sw = bMirrorW ? -(r - l) : r - l, sh = bMirrorH ? -(b - t) : b - t;
  if (!lpDTCon) {
    // The surface blitter cannot draw outside its target: cut the destination
    // and the source in proportion.
    if (w <= 0 || h <= 0) return 0;
    auto cut = [](long long& pos, long long& size, long long& spos, long long& ssize,
                  long long nLimit) {
      if (pos < 0) {
        const long long c = -pos * ssize / size;
        spos += c;
        ssize -= c;
        size += pos;
        pos = 0;
      }
      if (pos + size > nLimit && size > 0) {
        const long long over = pos + size - nLimit;
        ssize -= over * ssize / size;
        size -= over;
      }
    };
    cut(X, w, su, sw, nDstW);
    cut(Y, h, sv, sh, nDstH);
  }
  const bool bSrcOk = (bMirrorW ? sw < 0 : sw > 0) && (bMirrorH ? sh < 0 : sh > 0);
  if (!bSrcOk || w <= 0 || h <= 0) return 0;
  *x = static_cast<int>(X);
  *y = static_cast<int>(Y);
  *nWidth = static_cast<int>(w);
  *nHeight = static_cast<int>(h);
  *sx = static_cast<int>(su);
  *sy = static_cast<int>(sv);
  *nSrcWidth = static_cast<int>(sw);
  *nSrcHeight = static_cast<int>(sh);
  return 1;
}

void DDMirrorSourceRect(DDSURFACEDATA* lpSrcSD, int* sx, int* sy, int* nSrcWidth, int* nSrcHeight) {
  if (!lpDTCon || !lpSrcSD || !lpSrcSD->lpParentSD) return;
  auto mirror = [](int nCell, int* pos, int* size) {
    if (nCell <= 0) return;
    if (*size == nCell) {
      *size = -nCell;
      *pos += nCell;
    } else if (*size < nCell) {
      *size = -*size;
      *pos = *pos + nCell - 2 * (*pos % nCell);
    }
  };
  mirror(lpSrcSD->nMirrorWidth, sx, nSrcWidth);
  mirror(lpSrcSD->nMirrorHeight, sy, nSrcHeight);
}

// ---- blits -----------------------------------------------------------------------------------

int DDBlt(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD,
          int sx, int sy, uint32_t dwFlags) {
  if (lpDTCon)
    return DDStretchBlt(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, nWidth, nHeight, dwFlags);
  int sw = nWidth, sh = nHeight;
  if (!DDClipBlt(lpDstSD, &x, &y, &nWidth, &nHeight, lpSrcSD, &sx, &sy, &sw, &sh)) return 0;
  cDDrawSurface* pDst = lpDstSD->DDSurface();
  cDDrawSurface* pSrc = lpSrcSD->DDSurface();
  if (!pDst || !pSrc) return 0;
  DDRECT rc{sx, sy, sx + sw, sy + sh};
  return pDst->BltFast(x, y, pSrc, &rc, (dwFlags & 1 ? DDBLTFAST_SRCCOLORKEY : 0) | DDBLTFAST_WAIT);
}

void DDBltFramed(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                 DDSURFACEDATA* lpSrcSD, int nFrame, uint32_t dwPalNum) {
  DDBlt(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, 0, 0, DDBLT_OPAQUE);
  if (nFrame <= 0) return;
  const int nOuter = nWidth + 2 * nFrame;
  DDPalFillRect(lpDstSD, x - nFrame, y - nFrame, nOuter, nFrame, dwPalNum);
  DDPalFillRect(lpDstSD, x - nFrame, y + nHeight, nOuter, nFrame, dwPalNum);
  DDPalFillRect(lpDstSD, x - nFrame, y, nFrame, nHeight, dwPalNum);
  DDPalFillRect(lpDstSD, x + nWidth, y, nFrame, nHeight, dwPalNum);
}

namespace {

// Scratch of the locked-pixel copy, kept between calls so that a copy makes
// no allocation once the largest width has been seen: the source column of
// each visible destination column, the runs of columns that read one, and a
// gathered source row of each depth.
std::vector<int> g_CopyColumns;
std::vector<std::pair<int, int>> g_CopySpans;
std::vector<uint32_t> g_CopyRow32;
std::vector<uint16_t> g_CopyRow16;

// The source column (or row) that destination offset k reads: s0 + k
// unscaled; otherwise trunc(k * f) from s0 (one less for a mirrored source)
// while that stays within the source size ns. -1 when there is none or it
// lies outside the source surface's nLimit columns.
int LockedSource(bool bUnscaled, int k, double f, int s0, int ns, int nLimit) {
  long long r;
  if (bUnscaled) {
    r = static_cast<long long>(s0) + k;
  } else {
    const int o = static_cast<int>(k * f);
    if (std::abs(static_cast<long long>(o)) >= std::abs(static_cast<long long>(ns))) return -1;
    r = static_cast<long long>(s0) + o - (ns < 0 ? 1 : 0);
  }
  return r >= 0 && r < nLimit ? static_cast<int>(r) : -1;
}

// Copies pixels of a locked source to a locked target where both positions
// lie inside their surfaces: unscaled pixel (x + k, y + j) takes source
// (sx + k, sy + j); scaled, it takes the source column and row LockedSource
// gives. The source columns are worked out once per copy and each source row
// is gathered once however many target rows repeat it; the rows are then
// copied whole (opaque) or without their transparent texels (dwFlags 1).
void LockedCopy(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx,
                int sy, int sw, int sh, uint32_t dwFlags) {
  cSurfaceLock dst(lpDstSD);
  if (!dst.IsLocked()) return;
  cSurfaceLock src(lpSrcSD);
  if (!src.IsLocked()) return;
  const int nDstW = dst.m_lpSD->nWidth, nDstH = dst.m_lpSD->nHeight;
  const int nSrcW = src.m_lpSD->nWidth, nSrcH = src.m_lpSD->nHeight;
  const int nBytes = dst.m_nBytesPerPixel;
  if (nBytes != src.m_nBytesPerPixel || (nBytes != 2 && nBytes != 4)) return;
  if (w <= 0 || h <= 0) return;
  // Destination offsets that land inside the target.
  const int kBeg = static_cast<int>(std::max(0LL, -static_cast<long long>(x)));
  const int kEnd = static_cast<int>(std::min<long long>(w, static_cast<long long>(nDstW) - x));
  const int jBeg = static_cast<int>(std::max(0LL, -static_cast<long long>(y)));
  const int jEnd = static_cast<int>(std::min<long long>(h, static_cast<long long>(nDstH) - y));
  if (kBeg >= kEnd || jBeg >= jEnd) return;
  const bool bKey = (dwFlags & 1) != 0;
  const bool bTo565 = nBytes == 2 && dst.m_lpSD == &g_BackBufferSD && !g_bWindowMode;
  const bool bUnscaled = sw == w && sh == h;
  const double fx = static_cast<double>(sw) / w, fy = static_cast<double>(sh) / h;

  // Source columns, and the spans of destination columns that have one
  // (a single span: the columns move one way along the source).
  const int n = kEnd - kBeg;
  std::vector<int>& cols = g_CopyColumns;
  std::vector<std::pair<int, int>>& spans = g_CopySpans;
  cols.resize(static_cast<size_t>(n));
  spans.clear();
  int nAnyColumn = -1;
  for (int i = 0; i < n; ++i) {
    cols[i] = LockedSource(bUnscaled, kBeg + i, fx, sx, sw, nSrcW);
    if (cols[i] < 0) continue;
    if (nAnyColumn < 0) nAnyColumn = cols[i];
    if (!spans.empty() && spans.back().second == i)
      ++spans.back().second;
    else
      spans.emplace_back(i, i + 1);
  }
  if (spans.empty()) return;
  // Columns without a source still get one to gather (never copied).
  bool bDirect = spans.size() == 1;
  const int c0 = spans.front().first, c1 = spans.back().second;
  for (int i = c0; i < c1; ++i) {
    if (cols[i] < 0) cols[i] = nAnyColumn;
    if (cols[i] != cols[c0] + (i - c0)) bDirect = false;
  }
  const int nGather = c1 - c0;
  const int nDoubledFrom = bDirect ? -1 : DoubledColumnsFrom(&cols[c0], nGather);
  if (!bDirect) {
    if (nBytes == 4)
      g_CopyRow32.resize(static_cast<size_t>(nGather));
    else
      g_CopyRow16.resize(static_cast<size_t>(nGather));
  }
  const bool bStream = nBytes == 4 && WorthStreaming(static_cast<long long>(n) * (jEnd - jBeg));
  const RGB565SHIFTS shifts{g_BackBufferFormat.nRedShift, g_BackBufferFormat.nGreenShift,
                            g_BackBufferFormat.nBlueShift};

  int nGatheredRow = -1;
  for (int j = jBeg; j < jEnd; ++j) {
    const int ry = LockedSource(bUnscaled, j, fy, sy, sh, nSrcH);
    if (ry < 0) continue;
    if (nBytes == 4) {
      const uint32_t* s = src.Row<uint32_t>(ry) + cols[c0];
      if (!bDirect) {
        if (ry != nGatheredRow)
          GatherRow(g_CopyRow32.data(), src.Row<uint32_t>(ry), &cols[c0], nDoubledFrom, nGather);
        s = g_CopyRow32.data();
      }
      uint32_t* d = dst.Row<uint32_t>(y + j) + (x + kBeg + c0);
      for (const auto& [a, b] : spans) {
        if (bKey && bStream)
          CopyRowAlphaKeyed<true>(d + (a - c0), s + (a - c0), b - a);
        else if (bKey)
          CopyRowAlphaKeyed(d + (a - c0), s + (a - c0), b - a);
        else if (bStream)
          CopyRowStream(d + (a - c0), s + (a - c0), b - a);
        else
          std::memmove(d + (a - c0), s + (a - c0), static_cast<size_t>(b - a) * 4);
      }
    } else {
      const uint16_t* s = src.Row<uint16_t>(ry) + cols[c0];
      if (!bDirect) {
        if (ry != nGatheredRow)
          GatherRow(g_CopyRow16.data(), src.Row<uint16_t>(ry), &cols[c0], nDoubledFrom, nGather);
        s = g_CopyRow16.data();
      }
      uint16_t* d = dst.Row<uint16_t>(y + j) + (x + kBeg + c0);
      for (const auto& [a, b] : spans) {
        if (bTo565)
          ConvertRowTo565(d + (a - c0), s + (a - c0), b - a, shifts, bKey);
        else if (bKey)
          CopyRowKeyed16(d + (a - c0), s + (a - c0), b - a);
        else
          std::memmove(d + (a - c0), s + (a - c0), static_cast<size_t>(b - a) * 2);
      }
    }
    nGatheredRow = ry;
  }
  if (bStream) StreamFence();
}

}  // namespace

int DDStretchBlt(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                 DDSURFACEDATA* lpSrcSD, int sx, int sy, int nSrcWidth, int nSrcHeight,
                 uint32_t dwFlags) {
  DDMirrorSourceRect(lpSrcSD, &sx, &sy, &nSrcWidth, &nSrcHeight);
  if (!lpDTCon) {
    if (!DDClipBlt(lpDstSD, &x, &y, &nWidth, &nHeight, lpSrcSD, &sx, &sy, &nSrcWidth, &nSrcHeight))
      return 0;
    cDDrawSurface* pDst = lpDstSD->DDSurface();
    cDDrawSurface* pSrc = lpSrcSD->DDSurface();
    if (!pDst || !pSrc) return 0;
    DDRECT rcDst{x, y, x + nWidth, y + nHeight};
    DDRECT rcSrc{sx, sy, sx + nSrcWidth, sy + nSrcHeight};
    return pDst->Blt(&rcDst, pSrc, &rcSrc, dwFlags == 1 ? DDBLT_KEYSRC | DDBLT_WAIT : DDBLT_WAIT,
                     0);
  }
  if (!lpDstSD || !lpSrcSD || !lpDevice) return 0;
  DDResolveParentSD(&lpDstSD);
  DDResolveParentSD(&lpSrcSD);
  if (lpDTCon->bCopyingVirBack) {
    lpDstSD = &g_BackBufferSD;
    lpSrcSD = &g_VirBackBufferSD;
  } else {
    DDRedirectBackBuffer(&lpDstSD);
    DDRedirectBackBuffer(&lpSrcSD);
  }
  DTDATA* dd = lpDstSD->lpDT;
  DTDATA* sd = lpSrcSD->lpDT;
  if (!dd || !sd) return 0;
  if (dd->bRenderTarget && sd->nMemoryType != DTMEMORYTYPE_SYSTEM) {
    if (!DDClipBlt(lpDstSD, &x, &y, &nWidth, &nHeight, lpSrcSD, &sx, &sy, &nSrcWidth, &nSrcHeight))
      return 0;
    if (DDIsBatching()) {
      DDQueueBatchItem(lpDstSD, lpSrcSD, x, y, nWidth, nHeight, sx, sy, nSrcWidth, nSrcHeight,
                       dwFlags);
      return 1;
    }
    GPUVERTEX v[4];
    BuildQuadVertices(v, x, y, nWidth, nHeight, lpDTCon->dwDiffuse, sx, sy, nSrcWidth, nSrcHeight,
                      lpSrcSD->nTextureWidth, lpSrcSD->nTextureHeight);
    if (!DDBeginSourceQuad(lpDstSD, lpSrcSD, v)) return 0;
    if (dwFlags == 0 && sd->bColorKey) {
      GPURECT rc{x, y, x + nWidth, y + nHeight};
      lpDevice->Clear(1, &rc, 1, DDTransparentClearValue(lpDstSD), 1.0f, 0);
    }
    DDSetTextureStage(lpDTCon->dwColorOp, lpDTCon->dwAlphaOp);
    DDEndSourceQuad(lpSrcSD);
    return 1;
  }
  LockedCopy(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, nSrcWidth, nSrcHeight, dwFlags);
  return 1;
}

int DDBltEx(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD,
            int sx, int sy, uint32_t dwFlags, const DDBLTSTATE* lpState) {
  if (lpDTCon)
    return DDBltWithState(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, nWidth, nHeight, dwFlags,
                          lpState);
  return DDBlt(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, dwFlags);
}

int DDBltWithState(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                   DDSURFACEDATA* lpSrcSD, int sx, int sy, int nSrcWidth, int nSrcHeight,
                   uint32_t dwFlags, const DDBLTSTATE* lpState) {
  if (!lpDTCon || !lpState)
    return DDStretchBlt(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, nSrcWidth, nSrcHeight,
                        dwFlags);
  DDSetDiffuse(lpState->dwDiffuse);
  DDSetColorOp(lpState->dwColorOp);
  int nResult =
      DDStretchBlt(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, nSrcWidth, nSrcHeight, dwFlags);
  DDResetDiffuse();
  DDResetColorOp();
  return nResult;
}
