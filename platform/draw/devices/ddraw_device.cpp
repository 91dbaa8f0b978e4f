#include "platform/draw/devices/ddraw_device.h"

#include <algorithm>
#include <cstring>

#include "platform/draw/pixels/blit_rows.h"
#include "platform/draw/pixels/pixel_format.h"
#include "platform/draw/pixels/pixel_rows.h"
#include "platform/draw/present/presenter.h"

namespace {
DDRAWSETUP g_ddrawSetup;
}

DDRAWSETUP& DDrawSetup() { return g_ddrawSetup; }
void ResetDDrawSetup() { g_ddrawSetup = DDRAWSETUP(); }

// ---- palette, clipper ---------------------------------------------------------

DDRESULT cDDrawPalette::SetEntries(uint32_t, int nStart, int nCount,
                                   const DDPALETTEENTRY* pEntries) {
  if (nStart < 0 || nCount < 0 || nStart + nCount > 256 || !pEntries) return DDERR_INVALIDPARAMS;
  std::memcpy(m_entries + nStart, pEntries, sizeof(DDPALETTEENTRY) * nCount);
  return DD_OK;
}

DDRESULT cDDrawPalette::GetEntries(uint32_t, int nStart, int nCount,
                                   DDPALETTEENTRY* pEntries) const {
  if (nStart < 0 || nCount < 0 || nStart + nCount > 256 || !pEntries) return DDERR_INVALIDPARAMS;
  std::memcpy(pEntries, m_entries + nStart, sizeof(DDPALETTEENTRY) * nCount);
  return DD_OK;
}

DDRESULT cDDrawClipper::SetHWnd(uint32_t, void* hWnd) {
  m_hWnd = hWnd;
  return DD_OK;
}

// ---- surfaces ---------------------------------------------------------------------

cDDrawSurface::cDDrawSurface(cDDrawObject* pOwner, int w, int h, int nBpp, uint32_t dwCaps)
    : m_pOwner(pOwner), m_nWidth(w), m_nHeight(h), m_nBytes(nBpp / 8), m_dwCaps(dwCaps) {
  m_nPitch = (w * m_nBytes + 3) & ~3;
  m_pixels = cPixelStore(static_cast<size_t>(m_nPitch) * h);
}

uint32_t cDDrawSurface::ReadPixel(int x, int y) const {
  return ReadPixelBytes(Row(y) + x * m_nBytes, m_nBytes);
}

void cDDrawSurface::WritePixel(int x, int y, uint32_t value) {
  WritePixelBytes(Row(y) + x * m_nBytes, m_nBytes, value);
}

bool cDDrawSurface::ClipToClipper(DDRECT& rc) const {
  rc.left = std::max(rc.left, 0);
  rc.top = std::max(rc.top, 0);
  rc.right = std::min(rc.right, m_nWidth);
  rc.bottom = std::min(rc.bottom, m_nHeight);
  return rc.left < rc.right && rc.top < rc.bottom;
}

namespace {

template <int N>
inline void FillRow(uint8_t* p, int n, uint32_t v) {
  if constexpr (N == 1) {
    std::memset(p, static_cast<int>(v & 0xFF), n);
  } else if constexpr (N == 2) {
    std::fill_n(reinterpret_cast<uint16_t*>(p), n, static_cast<uint16_t>(v));
  } else if constexpr (N == 4) {
    std::fill_n(reinterpret_cast<uint32_t*>(p), n, v);
  } else {
    for (int i = 0; i < n; ++i, p += 3) {
      p[0] = static_cast<uint8_t>(v);
      p[1] = static_cast<uint8_t>(v >> 8);
      p[2] = static_cast<uint8_t>(v >> 16);
    }
  }
}

// Copies one row of pixels, leaving out those equal to the key.
template <int N>
inline void KeyedRow(uint8_t* d, const uint8_t* s, int n, uint32_t key) {
  if constexpr (N == 4) {
    CopyRowColourKeyed(reinterpret_cast<uint32_t*>(d), reinterpret_cast<const uint32_t*>(s), n,
                       key);
  } else if constexpr (N == 2) {
    uint16_t* dd = reinterpret_cast<uint16_t*>(d);
    const uint16_t* ss = reinterpret_cast<const uint16_t*>(s);
    const uint16_t k16 = static_cast<uint16_t>(key);
    for (int k = 0; k < n; ++k)
      if (ss[k] != k16) dd[k] = ss[k];
  } else if constexpr (N == 1) {
    const uint8_t k8 = static_cast<uint8_t>(key);
    for (int k = 0; k < n; ++k)
      if (s[k] != k8) d[k] = s[k];
  } else {
    for (int k = 0; k < n; ++k, d += 3, s += 3) {
      uint32_t v = static_cast<uint32_t>(s[0] | s[1] << 8 | s[2] << 16);
      if (v != (key & 0xFFFFFF)) std::memcpy(d, s, 3);
    }
  }
}

// Moves a row of nBytes (source and target may overlap within a surface).
// Rows of up to 32 bytes, which narrow blits copy hundreds of times in a
// row, take two fixed-size loads and stores instead of a call: both loads
// come before the stores, so an overlap moves correctly.
inline void MoveRow(uint8_t* d, const uint8_t* s, size_t nBytes) {
  auto move = [&](auto block) {
    using B = decltype(block);
    B head, tail;
    std::memcpy(&head, s, sizeof(B));
    std::memcpy(&tail, s + nBytes - sizeof(B), sizeof(B));
    std::memcpy(d, &head, sizeof(B));
    std::memcpy(d + nBytes - sizeof(B), &tail, sizeof(B));
  };
  struct BLOCK16 {
    uint64_t a, b;
  };
  if (nBytes > 32) {
    std::memmove(d, s, nBytes);
  } else if (nBytes >= 16) {
    move(BLOCK16{});
  } else if (nBytes >= 8) {
    move(uint64_t{});
  } else if (nBytes >= 4) {
    move(uint32_t{});
  } else if (nBytes >= 2) {
    move(uint16_t{});
  } else if (nBytes == 1) {
    *d = *s;
  }
}

}  // namespace

DDRESULT cDDrawSurface::Blt(const DDRECT* pDstRect, cDDrawSurface* pSrc, const DDRECT* pSrcRect,
                            uint32_t dwFlags, uint32_t dwFillColor) {
  if (m_bLost || (pSrc && pSrc->m_bLost)) return DDERR_SURFACELOST;
  if (m_bLocked || (pSrc && pSrc->m_bLocked)) return DDERR_SURFACEBUSY;
  DDRECT dst = pDstRect ? *pDstRect : DDRECT{0, 0, m_nWidth, m_nHeight};
  if (pDstRect && m_pClipper) {
    // The window's primary is addressed in screen coordinates.
    dst.left -= m_nOriginX;
    dst.right -= m_nOriginX;
    dst.top -= m_nOriginY;
    dst.bottom -= m_nOriginY;
  }
  if (dwFlags & DDBLT_COLORFILL) {
    if (!ClipToClipper(dst)) return DD_OK;
    for (int y = dst.top; y < dst.bottom; ++y) {
      uint8_t* p = Row(y) + dst.left * m_nBytes;
      int n = dst.right - dst.left;
      switch (m_nBytes) {
        case 1:
          FillRow<1>(p, n, dwFillColor);
          break;
        case 2:
          FillRow<2>(p, n, dwFillColor);
          break;
        case 3:
          FillRow<3>(p, n, dwFillColor);
          break;
        default:
          FillRow<4>(p, n, dwFillColor);
          break;
      }
    }
    PresentIfPrimary();
    return DD_OK;
  }
  if (!pSrc || pSrc->m_nBytes != m_nBytes) return DDERR_INVALIDPARAMS;
  DDRECT src = pSrcRect ? *pSrcRect : DDRECT{0, 0, pSrc->m_nWidth, pSrc->m_nHeight};
  if (src.left < 0 || src.top < 0 || src.right > pSrc->m_nWidth || src.bottom > pSrc->m_nHeight ||
      src.left >= src.right || src.top >= src.bottom || dst.left >= dst.right ||
      dst.top >= dst.bottom)
    return DDERR_INVALIDPARAMS;
  const int dw = dst.right - dst.left, dh = dst.bottom - dst.top;
  const int sw = src.right - src.left, sh = src.bottom - src.top;
  // A clipper (the window's primary) cuts the destination; the source is cut in
  // the same proportion. Surfaces without one refuse rectangles outside them.
  DDRECT clipped = dst;
  if (m_pClipper) {
    if (!ClipToClipper(clipped)) return DD_OK;
  } else if (dst.left < 0 || dst.top < 0 || dst.right > m_nWidth || dst.bottom > m_nHeight) {
    return DDERR_INVALIDPARAMS;
  }
  const bool bKey = (dwFlags & DDBLT_KEYSRC) && pSrc->m_bColorKey;
  const uint32_t key = pSrc->m_dwColorKey;
  const int nB = m_nBytes;
  if (dw == sw && dh == sh) {
    const bool bStream = nB == 4 && !bKey && pSrc != this &&
                         WorthStreaming(static_cast<long long>(clipped.right - clipped.left) *
                                        (clipped.bottom - clipped.top));
    for (int y = clipped.top; y < clipped.bottom; ++y) {
      const uint8_t* s =
          pSrc->Row(src.top + y - dst.top) + (src.left + clipped.left - dst.left) * nB;
      uint8_t* d = Row(y) + clipped.left * nB;
      int n = clipped.right - clipped.left;
      if (bStream) {
        CopyRowStream(reinterpret_cast<uint32_t*>(d), reinterpret_cast<const uint32_t*>(s), n);
      } else if (!bKey) {
        MoveRow(d, s, static_cast<size_t>(n) * nB);
      } else {
        switch (nB) {
          case 1:
            KeyedRow<1>(d, s, n, key);
            break;
          case 2:
            KeyedRow<2>(d, s, n, key);
            break;
          case 3:
            KeyedRow<3>(d, s, n, key);
            break;
          default:
            KeyedRow<4>(d, s, n, key);
            break;
        }
      }
    }
    if (bStream) StreamFence();
  } else {
    // Nearest texel at each destination pixel centre, gathered into a row
    // and copied like an unscaled row; an opaque stretch from another surface
    // gathers straight into the target, and a row that repeats (enlarged)
    // copies the target row before it. The scratch is kept from one blit to
    // the next: a stretch makes no allocation once its width has been seen.
    const int n = clipped.right - clipped.left;
    thread_local std::vector<int> cols;
    thread_local std::vector<uint8_t> row;
    if (cols.size() < static_cast<size_t>(n)) cols.resize(static_cast<size_t>(n));
    if (row.size() < static_cast<size_t>(n) * nB) row.resize(static_cast<size_t>(n) * nB);
    for (int x = clipped.left; x < clipped.right; ++x)
      cols[x - clipped.left] =
          src.left + static_cast<int>((2LL * (x - dst.left) + 1) * sw / (2LL * dw));
    // A shrink or a slight enlargement reads runs of neighbouring texels:
    // those rows are copied run by run.
    thread_local std::vector<COLUMNRUN> runs;
    const bool bRuns = ColumnRuns(cols.data(), n, runs);
    const bool bDirect = !bKey && pSrc != this;
    const uint8_t* pGathered = nullptr;  // the last row gathered, and its source row
    int nGatheredRow = -1;
    for (int y = clipped.top; y < clipped.bottom; ++y) {
      int sy = src.top + static_cast<int>((2LL * (y - dst.top) + 1) * sh / (2LL * dh));
      uint8_t* d = Row(y) + clipped.left * nB;
      if (bDirect && sy == nGatheredRow) {
        std::memcpy(d, pGathered, static_cast<size_t>(n) * nB);
        continue;
      }
      const uint8_t* srow = pSrc->Row(sy);
      uint8_t* out = bDirect ? d : row.data();
      if (bRuns && sy != nGatheredRow) {
        for (const COLUMNRUN& r : runs)
          MoveRow(out + static_cast<size_t>(r.nFirst) * nB,
                  srow + static_cast<size_t>(r.nSource) * nB, static_cast<size_t>(r.nLength) * nB);
      }
      switch (sy == nGatheredRow || bRuns ? 0 : nB) {
        case 0:
          break;
        case 1:
          for (int k = 0; k < n; ++k) out[k] = srow[cols[k]];
          break;
        case 2:
          for (int k = 0; k < n; ++k) std::memcpy(&out[2 * k], srow + 2 * cols[k], 2);
          break;
        case 3:
          for (int k = 0; k < n; ++k) std::memcpy(&out[3 * k], srow + 3 * cols[k], 3);
          break;
        default: {
          const uint32_t* s4 = reinterpret_cast<const uint32_t*>(srow);
          uint32_t* r4 = reinterpret_cast<uint32_t*>(out);
          for (int k = 0; k < n; ++k) r4[k] = s4[cols[k]];
          break;
        }
      }
      nGatheredRow = sy;
      pGathered = out;
      if (bDirect) continue;
      if (!bKey) {
        std::memcpy(d, row.data(), static_cast<size_t>(n) * nB);
      } else {
        switch (nB) {
          case 1:
            KeyedRow<1>(d, row.data(), n, key);
            break;
          case 2:
            KeyedRow<2>(d, row.data(), n, key);
            break;
          case 3:
            KeyedRow<3>(d, row.data(), n, key);
            break;
          default:
            KeyedRow<4>(d, row.data(), n, key);
            break;
        }
      }
    }
  }
  PresentIfPrimary();
  return DD_OK;
}

DDRESULT cDDrawSurface::BltFast(int x, int y, cDDrawSurface* pSrc, const DDRECT* pSrcRect,
                                uint32_t dwTrans) {
  if (!pSrc) return DDERR_INVALIDPARAMS;
  DDRECT src = pSrcRect ? *pSrcRect : DDRECT{0, 0, pSrc->m_nWidth, pSrc->m_nHeight};
  DDRECT dst{x, y, x + src.right - src.left, y + src.bottom - src.top};
  return Blt(&dst, pSrc, &src, (dwTrans & DDBLTFAST_SRCCOLORKEY) ? DDBLT_KEYSRC : 0, 0);
}

DDRESULT cDDrawSurface::Lock(const DDRECT*, DDSURFACEDESC2* pDesc, uint32_t, void*) {
  if (!pDesc || pDesc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (m_bLost) return DDERR_SURFACELOST;
  if (m_bLocked) return DDERR_SURFACEBUSY;
  GetSurfaceDesc(pDesc);
  pDesc->lpSurface = m_pixels.data();
  m_bLocked = true;
  return DD_OK;
}

DDRESULT cDDrawSurface::Unlock(const DDRECT*) {
  if (!m_bLocked) return DDERR_GENERIC;
  m_bLocked = false;
  PresentIfPrimary();
  return DD_OK;
}

DDRESULT cDDrawSurface::Flip(cDDrawSurface*, uint32_t) {
  if (!(m_dwCaps & DDSCAPS_FLIP) || !m_pAttached) return DDERR_INVALIDPARAMS;
  if (m_bLost) return DDERR_SURFACELOST;
  m_pixels.swap(m_pAttached->m_pixels);
  if (m_pOwner) m_pOwner->Present(*this);
  return DD_OK;
}

DDRESULT cDDrawSurface::Restore() {
  m_bLost = false;
  if (m_pAttached && m_pParentChain == nullptr) m_pAttached->m_bLost = false;
  return DD_OK;
}

DDRESULT cDDrawSurface::GetAttachedSurface(uint32_t dwCaps, cDDrawSurface** ppSurface) {
  *ppSurface = nullptr;
  if (!(dwCaps & DDSCAPS_BACKBUFFER) || !m_pAttached) return DDERR_NOTFOUND;
  *ppSurface = m_pAttached;
  return DD_OK;
}

DDRESULT cDDrawSurface::SetColorKey(uint32_t dwFlags, const DDCOLORKEY* pKey) {
  if (dwFlags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
  m_bColorKey = pKey != nullptr;
  m_dwColorKey = pKey ? pKey->dwColorSpaceLowValue : 0;
  return DD_OK;
}

DDRESULT cDDrawSurface::SetPalette(cDDrawPalette* pPalette) {
  if (m_nBytes != 1) return DDERR_INVALIDPARAMS;
  m_pPalette = pPalette;
  return DD_OK;
}

DDRESULT cDDrawSurface::SetClipper(cDDrawClipper* pClipper) {
  m_pClipper = pClipper;
  return DD_OK;
}

DDRESULT cDDrawSurface::GetPixelFormat(DDPIXELFORMAT* pFormat) const {
  pFormat->nBitCount = m_nBytes * 8;
  switch (m_nBytes) {
    case 2:
      pFormat->dwRBitMask = 0xF800;
      pFormat->dwGBitMask = 0x07E0;
      pFormat->dwBBitMask = 0x001F;
      break;
    case 3:
    case 4:
      pFormat->dwRBitMask = 0xFF0000;
      pFormat->dwGBitMask = 0x00FF00;
      pFormat->dwBBitMask = 0x0000FF;
      break;
    default:
      pFormat->dwRBitMask = pFormat->dwGBitMask = pFormat->dwBBitMask = 0;
      break;
  }
  return DD_OK;
}

DDRESULT cDDrawSurface::GetSurfaceDesc(DDSURFACEDESC2* pDesc) const {
  pDesc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  pDesc->nWidth = m_nWidth;
  pDesc->nHeight = m_nHeight;
  pDesc->lPitch = m_nPitch;
  pDesc->dwCaps = m_dwCaps;
  GetPixelFormat(&pDesc->pixelFormat);
  return DD_OK;
}

void cDDrawSurface::Release() {
  if (m_pParentChain) return;  // goes with its primary
  if (m_pAttached) {
    if (m_pOwner) m_pOwner->Forget(m_pAttached);
    delete m_pAttached;
  }
  if (m_pOwner) m_pOwner->Forget(this);
  delete this;
}

void cDDrawSurface::PresentIfPrimary() {
  // The primary is what the display shows: what is written to it shows at once.
  if ((m_dwCaps & DDSCAPS_PRIMARYSURFACE) && m_pOwner) m_pOwner->Present(*this);
}

// ---- the display object ---------------------------------------------------------------

cDDrawObject* CreateDDrawObject() { return g_ddrawSetup.bAvailable ? new cDDrawObject : nullptr; }

DDRESULT cDDrawObject::SetCooperativeLevel(void*, uint32_t dwFlags) {
  m_bFullScreen = (dwFlags & DDSCL_FULLSCREEN) != 0;
  if (!m_bFullScreen) m_nBpp = g_ddrawSetup.nDesktopBpp;
  return DD_OK;
}

DDRESULT cDDrawObject::SetDisplayMode(int w, int h, int nBpp, int nRefresh, uint32_t) {
  if (!m_bFullScreen || w <= 0 || h <= 0) return DDERR_INVALIDPARAMS;
  if (nBpp != 8 && nBpp != 16 && nBpp != 24 && nBpp != 32) return DDERR_INVALIDPARAMS;
  if (nRefresh != 0 && g_ddrawSetup.bRefuseRefreshRate) return DDERR_INVALIDPARAMS;
  if (m_pPresenter && !m_pPresenter->SetFullScreen(true, w, h, nRefresh)) return DDERR_GENERIC;
  m_nBpp = nBpp;
  return DD_OK;
}

DDRESULT cDDrawObject::RestoreDisplayMode() {
  if (m_pPresenter) m_pPresenter->SetFullScreen(false, 0, 0, 0);
  m_nBpp = g_ddrawSetup.nDesktopBpp;
  return DD_OK;
}

DDRESULT cDDrawObject::CreateSurface(DDSURFACEDESC2* pDesc, cDDrawSurface** ppSurface, void*) {
  *ppSurface = nullptr;
  if (!pDesc || m_nBpp == 0) return DDERR_INVALIDPARAMS;
  const uint32_t caps = pDesc->dwCaps;
  int w = pDesc->nWidth, h = pDesc->nHeight;
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    w = m_bFullScreen ? 0 : g_ddrawSetup.nClientWidth;
    h = m_bFullScreen ? 0 : g_ddrawSetup.nClientHeight;
    if (m_bFullScreen) {
      // The display mode's size is that of the mode just set; the library
      // asks for 640x480.
      w = 640;
      h = 480;
    }
  }
  // No display surface is larger than the biggest picture the bitmap reader
  // accepts (32M pixels, 32767 on a side).
  if (w <= 0 || h <= 0 || w > 32767 || h > 32767 || static_cast<long long>(w) * h > (1LL << 25))
    return DDERR_INVALIDPARAMS;
  const bool bSystem = (caps & DDSCAPS_SYSTEMMEMORY) != 0;
  const size_t nBytes = static_cast<size_t>((w * (m_nBpp / 8) + 3) & ~3) * h;
  const int nChain = (caps & DDSCAPS_FLIP) ? 1 + std::max(pDesc->nBackBufferCount, 1) : 1;
  if (bSystem) {
    if (g_ddrawSetup.bRefuseSystemMemory) return DDERR_GENERIC;
  } else {
    if (m_nVideoMemoryUsed + nBytes * nChain > g_ddrawSetup.nVideoMemoryBytes)
      return DDERR_OUTOFVIDEOMEMORY;
    m_nVideoMemoryUsed += nBytes * nChain;
  }
  auto* p = new cDDrawSurface(this, w, h, m_nBpp, caps | (bSystem ? 0 : DDSCAPS_VIDEOMEMORY));
  if ((caps & DDSCAPS_PRIMARYSURFACE) && !m_bFullScreen) {
    p->m_nOriginX = g_ddrawSetup.nClientX;
    p->m_nOriginY = g_ddrawSetup.nClientY;
  }
  m_surfaces.push_back(p);
  if (caps & DDSCAPS_FLIP) {
    auto* back = new cDDrawSurface(this, w, h, m_nBpp, DDSCAPS_BACKBUFFER | DDSCAPS_VIDEOMEMORY);
    back->m_pParentChain = p;
    p->m_pAttached = back;
    m_surfaces.push_back(back);
  }
  *ppSurface = p;
  return DD_OK;
}

DDRESULT cDDrawObject::CreatePalette(uint32_t, const DDPALETTEENTRY* pEntries,
                                     cDDrawPalette** ppPalette, void*) {
  *ppPalette = new cDDrawPalette;
  if (pEntries) (*ppPalette)->SetEntries(0, 0, 256, pEntries);
  return DD_OK;
}

DDRESULT cDDrawObject::CreateClipper(uint32_t, cDDrawClipper** ppClipper, void*) {
  *ppClipper = new cDDrawClipper;
  return DD_OK;
}

DDRESULT cDDrawObject::WaitForVerticalBlank(uint32_t, void*) { return DD_OK; }

int cDDrawObject::Release() {
  int nLeft = static_cast<int>(m_surfaces.size());
  for (cDDrawSurface* p : m_surfaces) p->m_pOwner = nullptr;
  delete this;
  return nLeft;
}

void cDDrawObject::Forget(cDDrawSurface* p) {
  if (!p->InSystemMemory()) {
    size_t nBytes = static_cast<size_t>(p->m_nPitch) * p->m_nHeight;
    m_nVideoMemoryUsed -= std::min(nBytes, m_nVideoMemoryUsed);
  }
  m_surfaces.remove(p);
}

void cDDrawObject::InjectSurfaceLoss() {
  for (cDDrawSurface* p : m_surfaces) {
    if (p->InSystemMemory()) continue;
    p->m_bLost = true;
    for (size_t i = 0; i < p->m_pixels.size(); ++i) p->m_pixels[i] = static_cast<uint8_t>(0x5A ^ i);
  }
}

void cDDrawObject::Present(const cDDrawSurface& shown) {
  cPresenter* pPresenter = m_pPresenter ? m_pPresenter : GetPresenter();
  const int w = shown.m_nWidth, h = shown.m_nHeight;
  PRESENTFRAME frame;
  frame.nWidth = w;
  frame.nHeight = h;
  if (shown.m_nBytes == 4) {
    frame.pPixels = reinterpret_cast<const uint32_t*>(shown.m_pixels.data());
    frame.nPitch = shown.m_nPitch / 4;
  } else {
    m_frame.resize(static_cast<size_t>(w) * h);
    uint32_t lut[256];
    if (shown.m_nBytes == 1) {
      // The palette in effect now: a palette change shows without touching a
      // pixel of the surface.
      const DDPALETTEENTRY* e = shown.m_pPalette ? shown.m_pPalette->Entries() : nullptr;
      for (int i = 0; i < 256; ++i)
        lut[i] = e ? 0xFF000000u | e[i].peRed << 16 | e[i].peGreen << 8 | e[i].peBlue : 0xFF000000u;
    }
    for (int y = 0; y < h; ++y) {
      const uint8_t* s = shown.Row(y);
      uint32_t* d = m_frame.data() + static_cast<size_t>(y) * w;
      switch (shown.m_nBytes) {
        case 1:
          for (int x = 0; x < w; ++x) d[x] = lut[s[x]];
          break;
        case 2:
          for (int x = 0; x < w; ++x)
            d[x] = Rgb565ToArgb(static_cast<uint16_t>(ReadPixelBytes(s + 2 * x, 2)));
          break;
        default:
          for (int x = 0; x < w; ++x) d[x] = 0xFF000000u | ReadPixelBytes(s + 3 * x, 3);
          break;
      }
    }
    frame.pPixels = m_frame.data();
    frame.nPitch = w;
  }
  pPresenter->Present(frame, false);
}
