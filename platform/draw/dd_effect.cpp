#include "platform/draw/dd_effect.h"

#include <algorithm>

#include "platform/draw/dd_internal.h"

int DDIsFullScreenBackBuffer(const DDSURFACEDATA* lpSD) {
  return lpSD == &g_BackBufferSD && g_bWindowMode == 0 ? 1 : 0;
}

void DDPrepareEffect(DDSURFACEDATA** lplpDstSD, DDSURFACEDATA** lplpSrcSD) {
  if (!lpDTCon) return;
  DDResolveParentSD(lplpDstSD);
  DDResolveParentSD(lplpSrcSD);
  DDRedirectBackBuffer(lplpDstSD);
  DDRedirectBackBuffer(lplpSrcSD);
}

bool DDEffectUsesQuad(const DDSURFACEDATA* lpDstSD, const DDSURFACEDATA* lpSrcSD) {
  return lpDTCon && lpDstSD && lpSrcSD && lpDstSD->lpDT && lpSrcSD->lpDT &&
         lpDstSD->lpDT->bRenderTarget && lpSrcSD->lpDT->nMemoryType != DTMEMORYTYPE_SYSTEM;
}

RGB565SHIFTS DDBackBufferShifts() {
  return RGB565SHIFTS{g_BackBufferFormat.nRedShift, g_BackBufferFormat.nGreenShift,
                      g_BackBufferFormat.nBlueShift};
}

void DDEffectChannels(const CHANNELFORMAT& f, EFFECTCHANNEL out[3], int nLargest) {
  out[0] = EFFECTCHANNEL{f.nRedShift, static_cast<uint32_t>(std::clamp(f.nRedMax, 1, nLargest))};
  out[1] =
      EFFECTCHANNEL{f.nGreenShift, static_cast<uint32_t>(std::clamp(f.nGreenMax, 1, nLargest))};
  out[2] = EFFECTCHANNEL{f.nBlueShift, static_cast<uint32_t>(std::clamp(f.nBlueMax, 1, nLargest))};
}

EFFECTRANGE DDEffectRange(int n, long long a, int nA, long long b, int nB) {
  // Positions are the callers' and may be anything: 64 bits hold every sum.
  const long long nFirst = std::max({0LL, -a, -b});
  const long long nEnd = std::min({static_cast<long long>(n), nA - a, nB - b});
  if (nFirst >= nEnd) return EFFECTRANGE();
  return EFFECTRANGE{static_cast<int>(nFirst), static_cast<int>(nEnd)};
}

cEffectLock::cEffectLock(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD)
    : m_dst(lpDstSD), m_src(m_dst.IsLocked() ? lpSrcSD : nullptr) {
  m_bGpu = lpDTCon != nullptr;
  // Both surfaces of a device have its depth; anything else is not drawn.
  if (!IsLocked() || m_dst.m_nBytesPerPixel != m_src.m_nBytesPerPixel) return;
  m_nBpp = m_dst.m_nBpp;
  if (m_bGpu && m_nBpp == 16) {
    m_bTo565 = DDIsFullScreenBackBuffer(m_dst.m_lpSD) != 0;
    if (!m_bTo565)
      m_wAlphaBit =
          static_cast<uint16_t>((g_PixelFormat.nAlphaMax & 1) << g_PixelFormat.nAlphaShift);
  }
}

PIXELKEY cEffectLock::Key(bool bColorKey) const {
  if (!bColorKey) return PIXELKEY();
  if (!m_bGpu) return PIXELKEY{PIXELKEY::kValue, g_dwTransmitPixel};
  return PIXELKEY{m_nBpp == 16 ? PIXELKEY::kBits16 : PIXELKEY::kAlpha0, 0};
}
