#include "platform/draw/font/font_paint.h"

#include <algorithm>
#include <cstring>

#include "platform/draw/dd_device.h"
#include "platform/draw/pixels/pixel_format.h"

namespace {

inline uint32_t Mix(uint32_t src, uint32_t dst, uint32_t a) {  // 8-bit channels
  return (src * a + dst * (255 - a) + 127) / 255;
}

// Blends an A8R8G8B8 colour with coverage a onto a 32-bit texel.
uint32_t Blend32(uint32_t dst, uint32_t argb, uint32_t a, bool bHasAlpha) {
  const uint32_t da = bHasAlpha ? dst >> 24 : 255;
  if (da == 0) return a << 24 | (argb & 0xFFFFFF);  // a transparent texel takes the glyph as it is
  const uint32_t r = Mix(argb >> 16 & 255, dst >> 16 & 255, a);
  const uint32_t g = Mix(argb >> 8 & 255, dst >> 8 & 255, a);
  const uint32_t b = Mix(argb & 255, dst & 255, a);
  const uint32_t outA = bHasAlpha ? a + (da * (255 - a) + 127) / 255 : 255;
  return outA << 24 | r << 16 | g << 8 | b;
}

}  // namespace

cGlyphCanvas::cGlyphCanvas(DDSURFACEDATA* lpSD) {
  if (!lpSD) return;
  if (lpDTCon) {
    DDResolveParentSD(&lpSD);
    DDRedirectBackBuffer(&lpSD);
    cGpuSurface* lpSurface = lpSD->lpDT ? lpSD->lpDT->lpSurface : nullptr;
    int nPitch = 0;
    if (!lpSurface || GpuFailed(lpSurface->LockRect(&m_lpBits, &nPitch))) {
      m_lpBits = nullptr;
      return;
    }
    m_lpGpuSurface = lpSurface;
    m_format = lpSurface->Format();
    m_nBytesPerPixel = GpuFormatBytes(m_format);
    m_nPitch = nPitch;
    m_nWidth = std::min(lpSD->nWidth, lpSurface->Width());
    m_nHeight = std::min(lpSD->nHeight, lpSurface->Height());
    return;
  }
  m_lock.emplace(lpSD);
  if (!m_lock->IsLocked()) return;
  const DDSURFACEDATA* lpLocked = m_lock->m_lpSD;
  m_lpBits = m_lock->m_lpBits;
  m_nBytesPerPixel = m_lock->m_nBytesPerPixel;
  m_nPitch = m_lock->m_nPitch * m_nBytesPerPixel;
  m_nWidth = std::min(lpLocked->nWidth, m_lock->m_nPitch);
  m_nHeight = lpLocked->nHeight;
  if (const cDDrawSurface* pSurface = lpLocked->DDSurface()) {
    m_nWidth = std::min(m_nWidth, pSurface->Width());
    m_nHeight = std::min(m_nHeight, pSurface->Height());
  }
}

cGlyphCanvas::~cGlyphCanvas() {
  if (m_lpGpuSurface) m_lpGpuSurface->UnlockRect();
}

void PaintGlyph(const cGlyphCanvas& canvas, int x, int y, const GLYPHIMAGE& img,
                const GLYPHPAINT& paint, const DDRECT* lpClip) {
  if (!canvas.IsReady() || img.nWidth <= 0 || img.nHeight <= 0) return;
  const int nWidth = canvas.m_nWidth, nHeight = canvas.m_nHeight;
  auto Row = [&](int py) { return canvas.m_lpBits + static_cast<size_t>(py) * canvas.m_nPitch; };
  int x1 = std::max(0, x), y1 = std::max(0, y);
  int x2 = std::min(nWidth, x + img.nWidth), y2 = std::min(nHeight, y + img.nHeight);
  if (lpClip) {
    x1 = std::max<int>(x1, lpClip->left);
    y1 = std::max<int>(y1, lpClip->top);
    x2 = std::min<int>(x2, lpClip->right);
    y2 = std::min<int>(y2, lpClip->bottom);
  }
  if (x1 >= x2 || y1 >= y2) return;

  if (canvas.m_format != GPUFMT_UNKNOWN) {
    const GPUFORMAT fmt = canvas.m_format;
    for (int py = y1; py < y2; ++py) {
      for (int px = x1; px < x2; ++px) {
        const uint32_t a = img.At(px - x, py - y);
        if (a == 0) continue;
        switch (fmt) {
          case GPUFMT_A8R8G8B8:
          case GPUFMT_X8R8G8B8: {
            uint32_t& texel = reinterpret_cast<uint32_t*>(Row(py))[px];
            texel = Blend32(texel, paint.dwArgb, a, fmt == GPUFMT_A8R8G8B8);
            break;
          }
          case GPUFMT_A1R5G5B5:  // one bit of alpha: half coverage decides
            if (a >= 128)
              reinterpret_cast<uint16_t*>(Row(py))[px] = ArgbTo1555(paint.dwArgb | 0xFF000000u);
            break;
          case GPUFMT_R5G6B5: {
            uint16_t& texel = reinterpret_cast<uint16_t*>(Row(py))[px];
            texel = ArgbTo565(Blend32(Rgb565ToArgb(texel), paint.dwArgb, a, false));
            break;
          }
          default:
            break;
        }
      }
    }
    return;
  }

  const uint32_t v = paint.dwPixel;
  for (int py = y1; py < y2; ++py) {
    for (int px = x1; px < x2; ++px) {
      if (img.At(px - x, py - y) < 128) continue;
      WritePixelBytes(Row(py) + px * canvas.m_nBytesPerPixel, canvas.m_nBytesPerPixel, v);
    }
  }
}
