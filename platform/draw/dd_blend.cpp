#include "platform/draw/dd_blend.h"

#include <algorithm>
#include <cstdio>

#include "app/base/file_system.h"
#include "app/base/report_log.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_effect.h"
#include "platform/draw/dd_internal.h"
#include "platform/draw/pixels/blend_rows.h"
#include "platform/draw/pixels/effect_rows.h"
#include "platform/draw/pixels/pixel_format.h"

uint8_t g_BlendTable[kBlendTableSize];

bool DDLoadBlendTable(uint8_t* lpBlendTable, const char* szFileName) {
  if (lpDTCon != nullptr) return true;
  FILE* fp = OpenFile(szFileName, "rb");
  if (fp == nullptr) return false;
  std::fread(lpBlendTable, 1, kBlendTableSize, fp);
  std::fclose(fp);
  return true;
}

namespace {

// The fields of a 16-bit format for HalveFields16: each channel's bits but
// its top one.
uint32_t HalvingMask(const CHANNELFORMAT& f) {
  EFFECTCHANNEL c[3];
  DDEffectChannels(f, c);
  uint32_t m = 0;
  for (const EFFECTCHANNEL& ch : c) m |= (ch.nMax >> 1) << ch.nShift;
  return m;
}

// A 16-bit map whose channel k goes from the format fIn to fOut through
// fnChannel(k, value).
template <class FN>
CHANNELMAP16 BuildMap16(const CHANNELFORMAT& fIn, const CHANNELFORMAT& fOut, uint16_t wSet,
                        FN fnChannel) {
  EFFECTCHANNEL in[3], out[3];
  DDEffectChannels(fIn, in);
  DDEffectChannels(fOut, out);
  CHANNELMAP16 map;
  map.wSet = wSet;
  for (int k = 0; k < 3; ++k) {
    map.anShift[k] = in[k].nShift;
    map.anMask[k] = in[k].nMax;
    for (uint32_t v = 0; v <= in[k].nMax; ++v)
      map.aTable[k][v] =
          static_cast<uint16_t>(std::min(fnChannel(k, v), out[k].nMax) << out[k].nShift);
  }
  return map;
}

// The weight of the textured quad's tint by level: the texture factor's alpha.
uint32_t QuadTintAlpha(int nLevel) {
  static constexpr uint32_t kAlpha[] = {0x80, 0x50, 0x30, 0x10};
  return nLevel >= 1 && nLevel <= 4 ? kAlpha[nLevel - 1] : 0;
}
// The weight of the locked pixels' tint at levels 2 and above.
uint32_t LockedTintWeight(int nLevel) {
  static constexpr uint32_t kWeight[] = {0x40, 0x20, 0x10};
  return nLevel >= 2 && nLevel <= 4 ? kWeight[nLevel - 2] : 0;
}

// The palette entry as channel values of a format: (entry x maximum) / 255.
void ScaledColour(const PALENTRY& e, const CHANNELFORMAT& f, uint32_t out[3]) {
  EFFECTCHANNEL c[3];
  DDEffectChannels(f, c, 255);
  const uint32_t rgb[3] = {e.peRed, e.peGreen, e.peBlue};
  for (int k = 0; k < 3; ++k) out[k] = ScaleChannelFrom8(rgb[k], c[k].nMax);
}

// Halving toward a colour settles after eight steps (the distance to the
// colour halves each step), so more steps give the same pixels.
int HalvingSteps(int nLevel) { return std::clamp(nLevel, 0, 8); }

// The 8-bit tint: the blend table's row of the colour applied nLevel times,
// composed by squaring so that any level costs a few passes over 256 entries.
void TintTable8(const uint8_t* lpBlendTable, int nColor, int nLevel, uint8_t lut[256]) {
  uint8_t step[256], tmp[256];
  for (int p = 0; p < 256; ++p) {
    lut[p] = static_cast<uint8_t>(p);
    step[p] = lpBlendTable[p * 256 + (nColor & 0xFF)];
  }
  for (unsigned n = static_cast<unsigned>(std::max(nLevel, 0)); n != 0; n >>= 1) {
    if (n & 1) {
      for (int p = 0; p < 256; ++p) tmp[p] = step[lut[p]];
      std::copy_n(tmp, 256, lut);
    }
    for (int p = 0; p < 256; ++p) tmp[p] = step[step[p]];
    std::copy_n(tmp, 256, step);
  }
}

// Textured back end, locked pixels.
void TintLockedGpu(const cEffectLock& lock, int x, int y, int w, int h, int sx, int sy, int sw,
                   int sh, const PIXELKEY& key, const PALENTRY& e, int nLevel) {
  uint32_t c[3];
  ScaledColour(e, g_PixelFormat, c);
  const uint32_t f = LockedTintWeight(nLevel);
  if (lock.m_nBpp == 32) {
    const uint32_t dwColour = c[0] << 16 | c[1] << 8 | c[2];
    DDForEachEffectRow<uint32_t>(lock, x, y, w, h, sx, sy, sw < 0, sh < 0,
                                 [&](uint32_t* d, const uint32_t* s, int n) {
                                   if (nLevel == 1)
                                     TintHalvingRow32(d, s, n, dwColour, 1, 0, 0xFF000000u, key);
                                   else
                                     TintWeightedRow32(d, s, n, dwColour, f, key);
                                 });
    return;
  }
  if (lock.m_nBpp != 16) return;
  // Level 1 halves each channel with the colour's; the full-screen back
  // buffer keeps the sum of the two greens (its green has one bit more).
  auto mix = [&](int k, uint32_t v) -> uint32_t {
    if (nLevel == 1) return lock.m_bTo565 && k == 1 ? v + c[k] : (v + c[k]) >> 1;
    const uint32_t r = (v * f + c[k] * (255 - f)) / 255;
    return lock.m_bTo565 && k == 1 ? 2 * r : r;
  };
  const CHANNELMAP16 map = BuildMap16(
      g_PixelFormat, lock.m_bTo565 ? g_BackBufferFormat : g_PixelFormat, lock.m_wAlphaBit, mix);
  DDForEachEffectRow<uint16_t>(
      lock, x, y, w, h, sx, sy, sw < 0, sh < 0,
      [&](uint16_t* d, const uint16_t* s, int n) { MapRow16(d, s, n, map, key); });
}

// Surface back end.
void TintLockedSurface(const cEffectLock& lock, int x, int y, int w, int h, int sx, int sy,
                       const PIXELKEY& key, const PALENTRY& e, const uint8_t* lpBlendTable,
                       int nColor, int nLevel) {
  switch (lock.m_nBpp) {
    case 8: {
      uint8_t lut[256];
      TintTable8(lpBlendTable, nColor, nLevel, lut);
      DDForEachEffectRow<uint8_t>(
          lock, x, y, w, h, sx, sy, false, false,
          [&](uint8_t* d, const uint8_t* s, int n) { MapRow8(d, s, n, lut, key); });
      break;
    }
    case 16: {
      // The palette holds the display's own channel values at this depth.
      EFFECTCHANNEL ch[3];
      DDEffectChannels(g_PixelFormat, ch);
      const uint32_t rgb[3] = {e.peRed, e.peGreen, e.peBlue};
      const int nSteps = HalvingSteps(nLevel);
      const CHANNELMAP16 map =
          BuildMap16(g_PixelFormat, g_PixelFormat, 0, [&](int k, uint32_t v) -> uint32_t {
            const uint32_t c = ScaleChannelTo8(rgb[k] & ch[k].nMax, ch[k].nMax);
            uint32_t s8 = ScaleChannelTo8(v, ch[k].nMax);
            for (int i = 0; i < nSteps; ++i) s8 = (s8 + c) >> 1;
            return ScaleChannelFrom8(s8, ch[k].nMax);
          });
      DDForEachEffectRow<uint16_t>(
          lock, x, y, w, h, sx, sy, false, false,
          [&](uint16_t* d, const uint16_t* s, int n) { MapRow16(d, s, n, map, key); });
      break;
    }
    case 32: {
      const uint32_t dwColour =
          static_cast<uint32_t>(e.peRed) << 16 | static_cast<uint32_t>(e.peGreen) << 8 | e.peBlue;
      const int nSteps = HalvingSteps(nLevel);
      DDForEachEffectRow<uint32_t>(
          lock, x, y, w, h, sx, sy, false, false, [&](uint32_t* d, const uint32_t* s, int n) {
            TintHalvingRow32(d, s, n, dwColour, nSteps, 0xFF000000u, 0, key);
          });
      break;
    }
    default:  // 24 bits: nothing
      break;
  }
}

}  // namespace

bool DDBltTint(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
               DDSURFACEDATA* lpSrcSD, int sx, int sy, int bColorKey, const PALENTRY* lpPal,
               const uint8_t* lpBlendTable, int nColor, int nLevel) {
  if (!lpPal || (!lpDTCon && g_nBpp == 8 && !lpBlendTable)) {
    TraceLogf("DDBltTint Err: no %s", lpPal ? "blend table" : "palette");
    return false;
  }
  const PALENTRY& e = lpPal[nColor & 0xFF];
  // An empty rectangle draws nothing (a quad of negative size would draw
  // the picture flipped beside it).
  if (nWidth <= 0 || nHeight <= 0) return true;
  if (lpDTCon) {
    if (nLevel <= 0) return true;
    int sw = nWidth, sh = nHeight;
    DDMirrorSourceRect(lpSrcSD, &sx, &sy, &sw, &sh);
    DDPrepareEffect(&lpDstSD, &lpSrcSD);
    if (DDEffectUsesQuad(lpDstSD, lpSrcSD)) {
      GPUVERTEX v[4];
      BuildQuadVertices(v, x, y, nWidth, nHeight, 0xFFFFFFFF, sx, sy, sw, sh,
                        lpSrcSD->nTextureWidth, lpSrcSD->nTextureHeight);
      if (!DDBeginSourceQuad(lpDstSD, lpSrcSD, v)) return true;
      // Each texel x a + the colour x (1 - a), a the texture factor's alpha.
      lpDevice->SetRenderState(GPURS_TEXTUREFACTOR,
                               QuadTintAlpha(nLevel) << 24 | static_cast<uint32_t>(e.peRed) << 16 |
                                   static_cast<uint32_t>(e.peGreen) << 8 | e.peBlue);
      DDSetTextureStage(GPUTOP_BLENDFACTORALPHA, GPUTOP_SELECTARG1);
      lpDevice->SetTextureStageState(0, GPUTSS_COLORARG2, GPUTA_TFACTOR);
      DDEndSourceQuad(lpSrcSD);
      return true;
    }
    cEffectLock lock(lpDstSD, lpSrcSD);
    if (lock.IsLocked())
      TintLockedGpu(lock, x, y, nWidth, nHeight, sx, sy, sw, sh, lock.Key(bColorKey == 1), e,
                    nLevel);
    return true;
  }
  if (nLevel == 0) return true;
  cEffectLock lock(lpDstSD, lpSrcSD);
  if (!lock.IsLocked()) return false;
  TintLockedSurface(lock, x, y, nWidth, nHeight, sx, sy, lock.Key(bColorKey == 1), e, lpBlendTable,
                    nColor, nLevel);
  return true;
}

bool DDBltAlpha(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                DDSURFACEDATA* lpSrcSD, int sx, int sy, int bColorKey, const uint8_t* lpBlendTable,
                int nAlpha) {
  if (nWidth <= 0 || nHeight <= 0) return true;  // as for the tint
  if (lpDTCon) {
    int sw = nWidth, sh = nHeight;
    DDMirrorSourceRect(lpSrcSD, &sx, &sy, &sw, &sh);
    DDPrepareEffect(&lpDstSD, &lpSrcSD);
    if (DDEffectUsesQuad(lpDstSD, lpSrcSD)) {
      GPUVERTEX v[4];
      const uint32_t dwAlpha = 255 - static_cast<uint32_t>(std::clamp(nAlpha, 0, 255));
      BuildQuadVertices(v, x, y, nWidth, nHeight, dwAlpha << 24 | 0xFFFFFF, sx, sy, sw, sh,
                        lpSrcSD->nTextureWidth, lpSrcSD->nTextureHeight);
      if (!DDBeginSourceQuad(lpDstSD, lpSrcSD, v)) return true;
      DDSetTextureStage(GPUTOP_MODULATE, GPUTOP_MODULATE);
      DDEndSourceQuad(lpSrcSD);
      lpDevice->SetTextureStageState(0, GPUTSS_ALPHAOP, GPUTOP_SELECTARG1);
      return true;
    }
    cEffectLock lock(lpDstSD, lpSrcSD);
    if (!lock.IsLocked()) return true;
    const PIXELKEY key = lock.Key(bColorKey == 1);
    if (lock.m_nBpp == 32) {
      DDForEachEffectRow<uint32_t>(lock, x, y, nWidth, nHeight, sx, sy, sw < 0, sh < 0,
                                   [&](uint32_t* d, const uint32_t* s, int n) {
                                     HalfRow32(d, s, n, 0, 0xFF000000u, false, 0, key);
                                   });
    } else if (lock.m_nBpp == 16) {
      // Onto the full-screen back buffer the texel's green is doubled first.
      const RGB565SHIFTS shifts = DDBackBufferShifts();
      const uint32_t wMask = HalvingMask(lock.m_bTo565 ? g_BackBufferFormat : g_PixelFormat);
      DDForEachEffectRow<uint16_t>(
          lock, x, y, nWidth, nHeight, sx, sy, sw < 0, sh < 0,
          [&](uint16_t* d, const uint16_t* s, int n) {
            if (lock.m_bTo565)
              HalfRow16(
                  d, s, n, wMask, 0, [&](uint32_t t) { return TexelTo565(t, shifts); }, key);
            else
              HalfRow16(
                  d, s, n, wMask, lock.m_wAlphaBit, [](uint32_t t) { return t; }, key);
          });
    }
    return true;
  }
  if (g_nBpp == 8 && !lpBlendTable) {
    TraceLogf("DDBltAlpha Err: no blend table");
    return false;
  }
  cEffectLock lock(lpDstSD, lpSrcSD);
  if (!lock.IsLocked()) return false;
  const PIXELKEY key = lock.Key(bColorKey == 1);
  switch (lock.m_nBpp) {
    case 8: {
      // The colour key is palette index 0 here.
      const PIXELKEY key8 = bColorKey == 1 ? PIXELKEY{PIXELKEY::kValue, 0} : PIXELKEY();
      DDForEachEffectRow<uint8_t>(lock, x, y, nWidth, nHeight, sx, sy, false, false,
                                  [&](uint8_t* d, const uint8_t* s, int n) {
                                    BlendTableRow8(d, s, n, lpBlendTable, key8);
                                  });
      break;
    }
    case 16: {
      EFFECTCHANNEL ch[3];
      DDEffectChannels(g_PixelFormat, ch);
      CHANNELMIX16 mix;
      for (int k = 0; k < 3; ++k) {
        mix.anShift[k] = ch[k].nShift;
        mix.anMask[k] = ch[k].nMax;
        for (uint32_t v = 0; v <= ch[k].nMax; ++v)
          mix.aTo8[k][v] = static_cast<uint8_t>(ScaleChannelTo8(v, ch[k].nMax));
        for (uint32_t v = 0; v < 256; ++v)
          mix.aFrom8[k][v] = static_cast<uint8_t>(ScaleChannelFrom8(v, ch[k].nMax));
      }
      const uint16_t wTargetKey = static_cast<uint16_t>(g_dwTransmitPixel);
      DDForEachEffectRow<uint16_t>(
          lock, x, y, nWidth, nHeight, sx, sy, false, false,
          [&](uint16_t* d, const uint16_t* s, int n) { MixRow16(d, s, n, mix, wTargetKey, key); });
      break;
    }
    case 32:
      DDForEachEffectRow<uint32_t>(lock, x, y, nWidth, nHeight, sx, sy, false, false,
                                   [&](uint32_t* d, const uint32_t* s, int n) {
                                     HalfRow32(d, s, n, 0xFF000000u, 0, true, g_dwTransmitPixel,
                                               key);
                                   });
      break;
    default:  // 24 bits: nothing
      break;
  }
  return true;
}

bool DDBltHalf(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
               DDSURFACEDATA* lpSrcSD, int sx, int sy, int bColorKey, const uint8_t* lpBlendTable) {
  return DDBltAlpha(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, bColorKey, lpBlendTable, 128);
}

int DDChangeColorEx(DDSURFACEDATA* lpDstSD, int, int, int, int, DDSURFACEDATA* lpSrcSD, int nAlpha,
                    int bRed, int bGreen, int bBlue) {
  if (!lpDTCon) {
    TraceLogf(
        "DDrawでは DDChangeColor(DDSURFACEDATA *lpDstSD,int x,int y,int nWidth,int nHeight,int "
        "nAlpha,BYTE bRed,BYTE bGreen,BYTE bBlue) は未対応");
    return 1;
  }
  DDPrepareEffect(&lpDstSD, &lpSrcSD);
  if (!lpDstSD || !lpSrcSD) return 1;
  const int nW = lpDstSD->nWidth, nH = lpDstSD->nHeight;
  const uint32_t dwColour = (255 - static_cast<uint32_t>(std::clamp(nAlpha, 0, 255))) << 24 |
                            static_cast<uint32_t>(bRed & 0xFF) << 16 |
                            static_cast<uint32_t>(bGreen & 0xFF) << 8 |
                            static_cast<uint32_t>(bBlue & 0xFF);
  GPUVERTEX v[4];
  BuildQuadVertices(v, 0, 0, nW, nH, dwColour, 0, 0, nW, nH, std::max(lpSrcSD->nTextureWidth, 1),
                    std::max(lpSrcSD->nTextureHeight, 1));
  // The source's texture, or none (the back buffer): the plain colour.
  if (!DDBeginSourceQuad(lpDstSD, lpSrcSD, v, false)) return 1;
  DDSetTextureStage(GPUTOP_MODULATE, GPUTOP_MODULATE);
  DDEndSourceQuad(lpSrcSD);
  return 1;
}

int DDChangeColor(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nAlpha,
                  int bRed, int bGreen, int bBlue) {
  return DDChangeColorEx(lpDstSD, x, y, nWidth, nHeight, lpDstSD, nAlpha, bRed, bGreen, bBlue);
}
