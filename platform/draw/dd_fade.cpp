#include "platform/draw/dd_fade.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "app/base/report_log.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/pixels/pixel_format.h"

FADEANGLES g_FadeAngles;

void DDResetFadeAngles() { g_FadeAngles = FADEANGLES(); }

namespace {

constexpr int kTriangleStrip = 5;

// Palette ranges are kept inside the 256 entries.
bool ClampRange(int& nFirst, int& nLast) {
  nFirst = std::max(nFirst, 0);
  nLast = std::min(nLast, 255);
  return nFirst <= nLast;
}

double Brightness(double dAngle) { return std::sin(dAngle * std::numbers::pi / 180.0); }

// Moves the angle one step; true when the fade was already at its end, which
// also puts the angle back to its start for the next fade.
bool AdvanceOut(double& dAngle, double dStep) {
  if (dAngle > 0) {
    dAngle = std::max(dAngle - dStep, 0.0);
    return false;
  }
  dAngle = 90;
  return true;
}

bool AdvanceIn(double& dAngle, double dStep) {
  if (dAngle < 90) {
    dAngle = std::min(dAngle + dStep, 90.0);
    return false;
  }
  dAngle = 0;
  return true;
}

// Textured back end: a black veil of opacity (255 - level) / 255 over the
// back buffer. False when the scene or the render target could not be set.
bool DrawVeil(int nLevel) {
  DDSURFACEDATA* lpTarget = &g_BackBufferSD;
  DDRedirectBackBuffer(&lpTarget);
  lpDevice->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG2);
  lpDevice->SetTextureStageState(0, GPUTSS_COLORARG2, GPUTA_DIFFUSE);
  lpDevice->SetTextureStageState(0, GPUTSS_ALPHAOP, GPUTOP_SELECTARG2);
  lpDevice->SetTextureStageState(0, GPUTSS_ALPHAARG2, GPUTA_DIFFUSE);

  cGpuVertexBuffer* lpVB = lpTarget->lpDT ? lpTarget->lpDT->lpVB : nullptr;
  void* lpData = nullptr;
  if (!lpVB || GpuFailed(lpVB->Lock(0, 4 * sizeof(GPUVERTEX), &lpData))) return true;
  const float w = static_cast<float>(lpTarget->nWidth), h = static_cast<float>(lpTarget->nHeight);
  const float u = lpTarget->nTextureWidth ? w / static_cast<float>(lpTarget->nTextureWidth) : 1.0f;
  const float v =
      lpTarget->nTextureHeight ? h / static_cast<float>(lpTarget->nTextureHeight) : 1.0f;
  const uint32_t dwColour = static_cast<uint32_t>(255 - nLevel) << 24;
  const GPUVERTEX quad[4] = {
      {-0.5f, -0.5f, 0, 1, dwColour, 0, 0},
      {-0.5f, h - 0.5f, 0, 1, dwColour, 0, v},
      {w - 0.5f, -0.5f, 0, 1, dwColour, u, 0},
      {w - 0.5f, h - 0.5f, 0, 1, dwColour, u, v},
  };
  std::memcpy(lpData, quad, sizeof(quad));
  lpVB->Unlock();

  if (!DDBeginScene()) return false;
  if (!DDSetRenderTarget(0, lpTarget)) return false;
  lpDevice->SetStreamSource(0, lpVB, 0, sizeof(GPUVERTEX));
  lpDevice->SetFVF(GPUFVF_SCREENQUAD);
  lpDevice->DrawPrimitive(kTriangleStrip, 0, 2);
  return DDSetRenderTarget(0, lpDTCon->lpTargetSD) != 0;
}

// One fade step of either direction; bOut selects the fade.
bool FadeStep(bool bOut, PALENTRY* lpPal, int nFirst, int nLast, int bRed, int bGreen, int bBlue,
              double dStep, const PALENTRY* lpSrcPal, uint8_t bFinish) {
  if (lpDTCon) {
    double& dAngle = bOut ? g_FadeAngles.dOutD3D : g_FadeAngles.dInD3D;
    if (bFinish) dAngle = bOut ? 0 : 90;
    const int nLevel = static_cast<int>(255 * Brightness(dAngle));
    if (!DrawVeil(nLevel)) return false;
    return bOut ? AdvanceOut(dAngle, dStep) : AdvanceIn(dAngle, dStep);
  }

  double& dAngle = bOut ? g_FadeAngles.dOutDD : g_FadeAngles.dInDD;
  // The frame the fade starts from is kept; every step redraws from it.
  if (dAngle == (bOut ? 90.0 : 0.0) && g_nBpp != 8)
    DDBlt(&g_FadeSD, 0, 0, g_FadeSD.nWidth, g_FadeSD.nHeight, &g_BackBufferSD, 0, 0, 0);
  if (bFinish) dAngle = bOut ? 0 : 90;
  const int nLevel = static_cast<int>(256 * Brightness(dAngle));
  switch (g_nBpp) {
    case 8:
      if (lpPal && lpSrcPal && ClampRange(nFirst, nLast)) {
        DDPalTint(lpPal, nFirst, nLast, nLevel, bRed, bGreen, bBlue, lpSrcPal);
        DDShowPaletteEntries(lpPal, nFirst, nLast);
      }
      break;
    case 16:
    case 24:
    case 32:
      DDFade_UnPal(&g_BackBufferSD, nLevel, bRed, bGreen, bBlue, &g_FadeSD);
      break;
    default:
      break;
  }
  return bOut ? AdvanceOut(dAngle, dStep) : AdvanceIn(dAngle, dStep);
}

}  // namespace

bool DDFadeOut(PALENTRY* lpPal, int nFirst, int nLast, int bRed, int bGreen, int bBlue,
               double dStep, const PALENTRY* lpSrcPal, uint8_t bFinish) {
  return FadeStep(true, lpPal, nFirst, nLast, bRed, bGreen, bBlue, dStep, lpSrcPal, bFinish);
}

bool DDFadeIn(PALENTRY* lpPal, int nFirst, int nLast, int bRed, int bGreen, int bBlue, double dStep,
              const PALENTRY* lpSrcPal, uint8_t bFinish) {
  return FadeStep(false, lpPal, nFirst, nLast, bRed, bGreen, bBlue, dStep, lpSrcPal, bFinish);
}

int DDFade_UnPal(DDSURFACEDATA* lpDstSD, int nLevel, int bRed, int bGreen, int bBlue,
                 DDSURFACEDATA* lpSrcSD) {
  if (lpDTCon) {
    TraceLogf("D3DではDDFade_UnPalは未対応");
    return 1;
  }
  if (!lpDstSD || !lpSrcSD) return 0;
  cSurfaceLock dst(lpDstSD);
  if (!dst.IsLocked()) return 0;
  cSurfaceLock src(lpSrcSD);
  if (!src.IsLocked()) return 0;
  if (dst.m_nBpp != 16 && dst.m_nBpp != 32) return 1;

  // Only where both surfaces have pixels.
  const int nWidth = std::min(dst.m_nWidth, src.m_nWidth);
  const int nHeight = std::min(dst.m_nHeight, src.m_nHeight);
  const uint32_t nLvl = static_cast<uint32_t>(std::clamp(nLevel, 0, 256));
  const uint32_t anColour[3] = {static_cast<uint32_t>(bRed) & 0xFF,
                                static_cast<uint32_t>(bGreen) & 0xFF,
                                static_cast<uint32_t>(bBlue) & 0xFF};
  auto Blend = [&](int c, uint32_t v) { return (anColour[c] * (256 - nLvl) + nLvl * v) >> 8; };

  if (dst.m_nBpp == 16) {
    // Every 16-bit value maps through one table built from the three channels.
    const CHANNELFORMAT& f = g_PixelFormat;
    const int anShift[3] = {f.nRedShift, f.nGreenShift, f.nBlueShift};
    const int anMax[3] = {f.nRedMax, f.nGreenMax, f.nBlueMax};
    std::array<std::array<uint16_t, 256>, 3> channel{};
    uint32_t anMask[3];
    for (int c = 0; c < 3; ++c) {
      const uint32_t m = static_cast<uint32_t>(std::clamp(anMax[c], 1, 255));
      anMask[c] = m;
      for (uint32_t raw = 0; raw <= m; ++raw)
        channel[c][raw] = static_cast<uint16_t>(
            ScaleChannelFrom8(Blend(c, ScaleChannelTo8(raw, m)), m) << anShift[c]);
    }
    static thread_local std::vector<uint16_t> table(65536);
    for (uint32_t p = 0; p < 65536; ++p)
      table[p] = static_cast<uint16_t>(channel[0][p >> anShift[0] & anMask[0]] |
                                       channel[1][p >> anShift[1] & anMask[1]] |
                                       channel[2][p >> anShift[2] & anMask[2]]);
    for (int y = 0; y < nHeight; ++y) {
      uint16_t* lpDst = dst.Row<uint16_t>(y);
      const uint16_t* lpSrc = src.Row<uint16_t>(y);
      for (int x = 0; x < nWidth; ++x) lpDst[x] = table[lpSrc[x]];
    }
  } else {
    // Per byte: (colour * (256 - level) + level * value) >> 8; byte 3 kept.
    const uint32_t nInv = 256 - nLvl;
    const uint32_t kr = anColour[0] * nInv, kg = anColour[1] * nInv, kb = anColour[2] * nInv;
    for (int y = 0; y < nHeight; ++y) {
      uint32_t* lpDst = dst.Row<uint32_t>(y);
      const uint32_t* lpSrc = src.Row<uint32_t>(y);
      for (int x = 0; x < nWidth; ++x) {
        const uint32_t p = lpSrc[x];
        const uint32_t r = (kr + nLvl * (p >> 16 & 0xFF)) >> 8;
        const uint32_t g = (kg + nLvl * (p >> 8 & 0xFF)) >> 8;
        const uint32_t b = (kb + nLvl * (p & 0xFF)) >> 8;
        lpDst[x] = (lpDst[x] & 0xFF000000u) | r << 16 | g << 8 | b;
      }
    }
  }
  return 1;
}

void DDShowPaletteEntries(const PALENTRY* lpPal, int nFirst, int nLast) {
  if (!g_lpDDPalette || !lpPal || !ClampRange(nFirst, nLast)) return;
  DDPALETTEENTRY entries[256];
  for (int i = nFirst; i <= nLast; ++i)
    entries[i] = {lpPal[i].peRed, lpPal[i].peGreen, lpPal[i].peBlue, lpPal[i].peFlags};
  g_lpDDPalette->SetEntries(0, nFirst, nLast - nFirst + 1, entries + nFirst);
}

void DDPalTint(PALENTRY* lpDstPal, int nFirst, int nLast, int nLevel, int bRed, int bGreen,
               int bBlue, const PALENTRY* lpSrcPal) {
  if (!lpDstPal || !lpSrcPal || !ClampRange(nFirst, nLast)) return;
  const uint32_t nLvl = static_cast<uint32_t>(std::clamp(nLevel, 0, 256));
  auto Mix = [nLvl](uint8_t src, int colour) {
    return static_cast<uint8_t>(
        (src * nLvl + (static_cast<uint32_t>(colour) & 0xFF) * (256 - nLvl)) >> 8);
  };
  for (int i = nFirst; i <= nLast; ++i) {
    const PALENTRY s = lpSrcPal[i];
    lpDstPal[i] = PALENTRY{Mix(s.peRed, bRed), Mix(s.peGreen, bGreen), Mix(s.peBlue, bBlue), 1};
  }
}

void DDPalRotate(PALENTRY* lpDstPal, int nFirst, int nLast, int nStep, int nDirection,
                 const PALENTRY* lpSrcPal) {
  if (!lpDstPal || !lpSrcPal) return;
  if (g_nBpp != 8 && g_nBpp != 16 && g_nBpp != 32) return;
  PALENTRY old[256];
  std::memcpy(old, lpSrcPal, sizeof(old));
  std::memcpy(lpDstPal, old, sizeof(old));
  if (!ClampRange(nFirst, nLast)) return;
  const int nLength = nLast - nFirst + 1;
  if (nStep < 0 || nStep > nLength) {
    TraceLogf("DDPalRotate Err nStep = %d (%d..%d)", nStep, nFirst, nLast);
    return;
  }
  if (nDirection == 0) {
    for (int k = 0; k < nStep; ++k) lpDstPal[nFirst + k] = old[nLast - nStep + 1 + k];
    for (int i = nFirst; i + nStep <= nLast; ++i) lpDstPal[i + nStep] = old[i];
  } else if (nDirection == 1) {
    for (int i = nFirst; i + nStep <= nLast; ++i) lpDstPal[i] = old[i + nStep];
    for (int k = 0; k < nStep; ++k) lpDstPal[nLast - nStep + 1 + k] = old[nFirst + k];
  }
}

int DDSetPalette_UnPal(PALENTRY* lpPal, DDSURFACEDATA* lpSD) {
  if (!lpPal || !lpSD) return 1;
  if (g_nBpp != 16 && g_nBpp != 32) return 1;
  cSurfaceLock lock(lpSD);
  if (!lock.IsLocked()) {
    if (lpDTCon) TraceLogf("DDSetPalette_UnPal Lock Err");
    return 1;
  }
  const int nWidth = lock.m_nWidth, nHeight = lock.m_nHeight;
  // A palette image smaller than 16 x 24 gives only the entries it holds.
  if (nWidth < 16 || nHeight < 24) TraceLogf("DDSetPalette_UnPal Err Size(%d,%d)", nWidth, nHeight);
  const CHANNELFORMAT& f = g_PixelFormat;
  for (int k = 0; k < 256; ++k) {
    const int x = k % 16, y = 8 + k / 16;
    if (x >= nWidth || y >= nHeight) continue;
    PALENTRY& e = lpPal[k];
    if (g_nBpp == 16) {
      const uint32_t p = lock.Row<uint16_t>(y)[x];
      auto raw = [p](int nShift, int nMax) { return p >> nShift & static_cast<uint32_t>(nMax); };
      if (lpDTCon) {
        if (raw(f.nAlphaShift, f.nAlphaMax) == 0) continue;
        auto wide = [&](int nShift, int nMax) {
          return static_cast<uint8_t>(
              ScaleChannelTo8(raw(nShift, nMax), static_cast<uint32_t>(std::max(nMax, 1))));
        };
        e.peRed = wide(f.nRedShift, f.nRedMax);
        e.peGreen = wide(f.nGreenShift, f.nGreenMax);
        e.peBlue = wide(f.nBlueShift, f.nBlueMax);
      } else {
        e.peRed = static_cast<uint8_t>(p >> f.nRedShift) & static_cast<uint8_t>(f.nRedMax);
        e.peGreen = static_cast<uint8_t>(p >> f.nGreenShift) & static_cast<uint8_t>(f.nGreenMax);
        e.peBlue = static_cast<uint8_t>(p >> f.nBlueShift) & static_cast<uint8_t>(f.nBlueMax);
      }
    } else {
      const uint8_t* p = lock.Row<uint8_t>(y) + static_cast<size_t>(x) * 4;
      if (lpDTCon && p[3] == 0) continue;
      e = PALENTRY{p[2], p[1], p[0], p[3]};
    }
  }
  return 1;
}
