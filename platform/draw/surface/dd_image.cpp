#include "platform/draw/surface/dd_image.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_fade.h"
#include "platform/draw/pixels/pixel_format.h"
#include "platform/draw/surface/bmp_file.h"

namespace {

// Size of a surface's four-vertex quad buffer.
constexpr size_t kQuadBytes = 4 * sizeof(GPUVERTEX);

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
}
uint32_t Rgb(const DDRGBTRIPLE& c) { return Rgb(c.rgbtRed, c.rgbtGreen, c.rgbtBlue); }

// An 8-bit colour value scaled to a channel of maximum m (integer division).
uint32_t Scale(uint32_t v, int m) { return v * static_cast<uint32_t>(m) / 255; }
// An 8-bit colour value cut down to a channel of maximum m, as a colour
// conversion that keeps the high bits does.
uint32_t Truncate(uint32_t v, int m) { return v * (static_cast<uint32_t>(m) + 1) / 256; }

void CopyName(char (&szDst)[260], const char* szSrc) {
  if (szDst == szSrc) return;  // a reload passes the record's own name
  std::strncpy(szDst, szSrc, sizeof(szDst) - 1);
  szDst[sizeof(szDst) - 1] = '\0';
}

// Column (or row) x of a mirrored image of cells of width w; a width of 0 or
// below (a bad stored value) mirrors nothing.
int MirrorPos(int x, int w) { return w > 0 ? w * (x / w + 1) - x % w - 1 : x; }
// Source columns (rows) copied: whole cells only when mirrored.
int MirrorLimit(int nSize, int w) { return w > 0 ? nSize / w * w : nSize; }

uint8_t*& PalIndexMapOf(DDSURFACEDATA* lpSD) {
  static uint8_t* lpNone = nullptr;
  if (lpSD->lpDT) return lpSD->lpDT->lpPalIndexMap;
  if (lpSD->lpDDraw) return lpSD->lpDDraw->lpPalIndexMap;
  lpNone = nullptr;
  return lpNone;
}

void FreePalIndexMap(DDSURFACEDATA* lpSD) {
  uint8_t*& lpMap = PalIndexMapOf(lpSD);
  delete[] lpMap;
  lpMap = nullptr;
}

// The 16-bit pixel of a full-colour pixel on the surface display; an opaque
// colour whose pixel would equal the transparent pixel is moved by one.
uint32_t FullColourToPixel16(uint32_t rgb) {
  if (rgb == Rgb(lpDDCon->rgbTransmitKey)) return g_dwTransmitPixel;
  const CHANNELFORMAT& f = g_PixelFormat;
  uint32_t v = Scale(rgb & 0xFF, f.nBlueMax) << f.nBlueShift |
               Scale(rgb >> 8 & 0xFF, f.nGreenMax) << f.nGreenShift |
               Scale(rgb >> 16 & 0xFF, f.nRedMax) << f.nRedShift;
  if (v == g_dwTransmitPixel) {
    const bool bBlueFull = (v >> f.nBlueShift & static_cast<uint32_t>(f.nBlueMax)) ==
                           static_cast<uint32_t>(f.nBlueMax);
    v = bBlueFull ? v - 1 : v + 1;
  }
  return v;
}

// The pixel of a colour as the display converts a picture (no key rule).
uint32_t ColourToDisplayPixel(uint32_t rgb, int nBpp) {
  if (nBpp == 16) {
    const CHANNELFORMAT& f = g_PixelFormat;
    return Truncate(rgb >> 16 & 0xFF, f.nRedMax) << f.nRedShift |
           Truncate(rgb >> 8 & 0xFF, f.nGreenMax) << f.nGreenShift |
           Truncate(rgb & 0xFF, f.nBlueMax) << f.nBlueShift;
  }
  return rgb & 0xFFFFFF;
}

void WritePixel(uint8_t* lpRow, int x, int nBytes, uint32_t v) {
  WritePixelBytes(lpRow + static_cast<size_t>(x) * nBytes, nBytes, v);
}

uint32_t ReadPixel(const uint8_t* lpRow, int x, int nBytes) {
  return ReadPixelBytes(lpRow + static_cast<size_t>(x) * nBytes, nBytes);
}

// Surface back end: the decoded picture into the record's surface.
bool CopyImage(DDSURFACEDATA* lpSD, const cBmpImage& image, const char* szFile, int nBpp,
               int bPalMap, int nMirrorW, int nMirrorH) {
  cDDrawSurface* lpSurface = lpSD->DDSurface();
  if (!lpSurface) {
    TraceLogf("CopyBitmap Err %s no surface", szFile);
    return false;
  }
  // A picture of another size than the surface (a file changed before a
  // reload) must not be written into it.
  if (lpSurface->Width() != image.Width() || lpSurface->Height() != image.Height()) {
    ReportLogTrace("CopyBitmap Err %s Surface(%d,%d) Bmp(%d,%d)", szFile, lpSurface->Width(),
                   lpSurface->Height(), image.Width(), image.Height());
    return false;
  }
  // An 8-bit display shows palette indices; a full-colour picture has none,
  // so the surface keeps its transparent fill.
  const bool bNoIndices = nBpp == 8 && !image.IsIndexed();
  if (bNoIndices)
    ReportLogTrace("CopyBitmap Err %s %dbit picture on an 8-bit display", szFile, image.BitCount());
  if (!bNoIndices) {
    cSurfaceLock lock(lpSD);
    if (!lock.IsLocked()) return false;
    if (lock.m_nBytesPerPixel * 8 != nBpp || nBpp < 8 || nBpp > 32) {
      TraceLogf("CopyBitmap Err %s depth %d", szFile, nBpp);
      return false;
    }
    const int nBytes = lock.m_nBytesPerPixel;
    const int nCols = MirrorLimit(image.Width(), nMirrorW);
    const int nRows = MirrorLimit(image.Height(), nMirrorH);
    const bool bKeyed16 = nBpp == 16 && (image.BitCount() == 24 || image.BitCount() == 32);
    for (int y = 0; y < nRows; ++y) {
      uint8_t* lpDst = lock.Row<uint8_t>(MirrorPos(y, nMirrorH));
      if (nBpp == 8) {
        const uint8_t* lpSrc = image.IndexRow(y);
        for (int x = 0; x < nCols; ++x) lpDst[MirrorPos(x, nMirrorW)] = lpSrc[x];
      } else if (bKeyed16) {
        const uint32_t* lpSrc = image.RgbRow(y);
        for (int x = 0; x < nCols; ++x)
          WritePixel(lpDst, MirrorPos(x, nMirrorW), 2, FullColourToPixel16(lpSrc[x]));
      } else {
        for (int x = 0; x < nCols; ++x)
          WritePixel(lpDst, MirrorPos(x, nMirrorW), nBytes,
                     ColourToDisplayPixel(image.PixelRgb(x, y), nBpp));
      }
    }
  }
  lpSD->nWidth = image.Width();
  lpSD->nHeight = image.Height();
  lpSD->nMirrorWidth = nMirrorW;
  lpSD->nMirrorHeight = nMirrorH;
  CopyName(lpSD->szFileName, szFile);
  if (bPalMap && g_nBpp != 8) return DDMakePalIndexMap(&PalIndexMapOf(lpSD), lpSD) == 1;
  FreePalIndexMap(lpSD);
  return true;
}

// The opaque texel of a colour in the texture format (2 or 4 bytes).
uint32_t OpaqueTexel(uint32_t rgb, int nBytes) {
  if (nBytes != 2) return 0xFF000000u | rgb;
  const CHANNELFORMAT& f = g_PixelFormat;
  return static_cast<uint32_t>(f.nAlphaMax) << f.nAlphaShift |
         Truncate(rgb >> 16 & 0xFF, f.nRedMax) << f.nRedShift |
         Truncate(rgb >> 8 & 0xFF, f.nGreenMax) << f.nGreenShift |
         Truncate(rgb & 0xFF, f.nBlueMax) << f.nBlueShift;
}

// Textured back end: the picture into level 0 of a texture, at its top left;
// pixels of the key colour become transparent black, the rest of the texture
// stays transparent black.
void FillTexture(cGpuTexture* lpTexture, const cBmpImage& image, uint32_t dwKeyRgb) {
  cGpuSurface* lpLevel = lpTexture->GetSurfaceLevel(0);
  uint8_t* lpBits = nullptr;
  int nPitch = 0;
  if (!lpLevel || GpuFailed(lpLevel->LockRect(&lpBits, &nPitch))) return;
  const int nBytes = GpuFormatBytes(lpLevel->Format());
  const int nWidth = std::min(image.Width(), lpLevel->Width());
  const int nHeight = std::min(image.Height(), lpLevel->Height());
  for (int y = 0; y < nHeight; ++y) {
    uint8_t* lpRow = lpBits + static_cast<size_t>(y) * nPitch;
    for (int x = 0; x < nWidth; ++x) {
      const uint32_t rgb = image.PixelRgb(x, y);
      WritePixel(lpRow, x, nBytes, rgb == dwKeyRgb ? 0u : OpaqueTexel(rgb, nBytes));
    }
  }
  lpLevel->UnlockRect();
}

int CreateSurfaceFromFileDD(DDSURFACEDATA* lpSD, const char* szFile, int bColorKey, int nBpp,
                            int nDDMemory, int bPalMap, int nMirrorW, int nMirrorH) {
  cBmpImage image;
  if (LoadBmpFile(szFile, image) != BmpLoadResult::kOk) {
    TraceLogf("%s", szFile);
    return DDIMAGE_LOADIMAGE_ERR;
  }
  if (!DDCreateSurface(lpSD, image.Width(), image.Height(), bColorKey, nDDMemory, 0, 0, 0))
    return DDIMAGE_CREATESURFACE_ERR;
  if (!CopyImage(lpSD, image, szFile, nBpp, bPalMap, nMirrorW, nMirrorH))
    return DDIMAGE_LOADIMAGE_ERR;
  lpSD->nWidth = lpSD->nTextureWidth = image.Width();
  lpSD->nHeight = lpSD->nTextureHeight = image.Height();
  lpSD->nMirrorWidth = nMirrorW;
  lpSD->nMirrorHeight = nMirrorH;
  CopyName(lpSD->szFileName, szFile);
  lpSD->nDDMemory = nDDMemory;  // the type asked for, even after a fall-back
  return DDIMAGE_OK;
}

int CreateSurfaceFromFileDT(DDSURFACEDATA* lpSD, const char* szFile, int bColorKey, int nBpp,
                            int nDDMemory, int nDTMemory, int bVariant, int bPalMap, int nMirrorW,
                            int nMirrorH, int bRecreate) {
  lpSD->DDPrepareSurfaceData();
  DTDATA* lpDT = lpSD->lpDT;
  if (!lpDT) {
    NoMemoryError();
    return DDIMAGE_CREATESURFACE_ERR;
  }
  if (!bRecreate) {
    CopyName(lpSD->szSurfaceType, "OffScreenFromFile");
    CopyName(lpSD->szFileName, szFile);
    lpDT->nMemoryType = nDTMemory;
    lpDT->lpSurface = nullptr;
    lpDT->lpSystemSurface = nullptr;
    lpDT->lpSpare = nullptr;
    lpDT->lpTexture = nullptr;
    lpDT->bColorKey = bColorKey == 1;
    if (!bVariant) {
      lpDT->nNumber = lpDTCon->nSurfaceNumber++;
      const GPURESULT hr = lpDevice->CreateVertexBuffer(
          kQuadBytes, GPUUSAGE_WRITEONLY, GPUFVF_SCREENQUAD, GPUPOOL_MANAGED, &lpDT->lpVB);
      if (GpuFailed(hr)) {
        ReportLog("CreateVertexBuffer Err %x", static_cast<unsigned>(hr));
        return hr;
      }
    }
  }

  cBmpImage image;
  if (LoadBmpFile(szFile, image) != BmpLoadResult::kOk) {
    if (szFile[0]) ReportLog("LoadImage Err %s", szFile);
    return DDIMAGE_LOADIMAGE_ERR;
  }

  int nResult = DDIMAGE_OK;
  if (bVariant) {
    lpSD->nWidth = lpSD->nTextureWidth = image.Width();
    lpSD->nHeight = lpSD->nTextureHeight = image.Height();
  } else {
    int nTexWidth = image.Width(), nTexHeight = image.Height();
    DDAdjustTextureSize(&nTexWidth, &nTexHeight);
    if (!DDCheckTextureSize(nTexWidth, nTexHeight))
      ReportLog("上記の理由でテクスチャの描画が失敗する可能性があります。(%s)", szFile);

    const uint32_t dwKeyRgb = Rgb(nBpp == 16 ? lpDTCon->rgbTransmitKey : lpDTCon->rgbTransmit);
    int nMemory = lpDT->nMemoryType;
    // A re-creation keeps a system-memory texture, pixels and all; only a
    // texture made now is filled (and mirrored) from the file.
    bool bCreated = false;
    if (nMemory == DTMEMORYTYPE_VIDEO_NORT) {
      TraceLogf(
          "DDCreateSurfaceFromFile Err DTMEMORYTYPE_VIDEO_NORTの指定は未対応です。"
          "DTMEMORYTYPE_VIDEO_RTでテクスチャを作成します。");
      nMemory = DTMEMORYTYPE_VIDEO_RT;
    }
    if (nMemory == DTMEMORYTYPE_VIDEO_RT) {
      lpDT->bRenderTarget = 0;
      cGpuTexture* lpTexture = nullptr;
      const GPURESULT hr = lpDevice->CreateTexture(nTexWidth, nTexHeight, 1, 0, lpDTCon->fmtTexture,
                                                   GPUPOOL_MANAGED, &lpTexture);
      if (hr == GPUERR_OUTOFVIDEOMEMORY) {
        ReportLog("VRAM不足のためシステムメモリにテクスチャを作成します。(%s)", szFile);
        nMemory = DTMEMORYTYPE_SYSTEM;
      } else if (GpuFailed(hr)) {
        ReportLog("テクスチャの作成に失敗。(%s)", szFile);
        return hr;
      } else {
        lpDT->lpTexture = lpTexture;
        bCreated = true;
      }
    }
    lpDT->nMemoryType = nMemory;
    if (nMemory == DTMEMORYTYPE_SYSTEM && !bRecreate) {
      lpDT->bRenderTarget = 0;
      cGpuTexture* lpTexture = nullptr;
      const GPURESULT hr =
          lpDevice->CreateTexture(nTexWidth, nTexHeight, 1, GPUUSAGE_DYNAMIC, lpDTCon->fmtTexture,
                                  GPUPOOL_SYSTEMMEM, &lpTexture);
      if (GpuFailed(hr)) {
        ReportLog("D3DXCreateTextureFromFileEx Err %x %s", static_cast<unsigned>(hr), szFile);
        if (!lpDTCon->strAdvice.empty()) ErrorBox(lpDTCon->strAdvice);
        RequestClose();
        return hr;
      }
      lpDT->lpTexture = lpTexture;
      bCreated = true;
    }
    if (lpDT->lpTexture) {
      if (bCreated) FillTexture(lpDT->lpTexture, image, dwKeyRgb);
      lpDT->lpSurface = lpDT->lpTexture->GetSurfaceLevel(0);
      lpDT->nLevelWidth = lpDT->lpSurface->Width();
      lpDT->nLevelHeight = lpDT->lpSurface->Height();
      lpDT->levelFormat = lpDT->lpSurface->Format();
    }
    lpSD->nWidth = image.Width();
    lpSD->nHeight = image.Height();
    lpSD->nTextureWidth = lpDT->nLevelWidth;
    lpSD->nTextureHeight = lpDT->nLevelHeight;

    if ((nMirrorW || nMirrorH) && bCreated) {
      DDSURFACEDATA temp;
      const int nTempResult = DDCreateSurfaceFromFile(&temp, szFile, bColorKey, nBpp, nDDMemory,
                                                      nDTMemory, 0, 0, 0, 0, 0);
      if (nTempResult != DDIMAGE_OK || !CreateMirror(lpSD, &temp, nMirrorW, nMirrorH)) {
        ReportLog("CreateMirror Err");
        nResult = DDIMAGE_MIRROR_ERR;
      }
      DDReleaseSurface(&temp);
    }
    if (!bRecreate) g_SurfaceList.push_back(lpSD);
  }

  lpSD->nMirrorWidth = nMirrorW;
  lpSD->nMirrorHeight = nMirrorH;
  lpSD->nDDMemory = nDDMemory;
  // A variant has no pixels of its own until it is linked to its parent.
  if (bPalMap && g_nBpp != 8 && (!bVariant || lpSD->lpParentSD)) {
    if (!DDMakePalIndexMap(&lpDT->lpPalIndexMap, lpSD)) return DDIMAGE_LOADIMAGE_ERR;
  } else {
    FreePalIndexMap(lpSD);
  }
  return nResult;
}

// Colour of a pixel of the locked surface as 0x00RRGGBB, channels widened to
// 0-255 (integer division) where the format has fewer bits.
uint32_t ScaledTexelRgb(uint32_t texel) {
  const CHANNELFORMAT& f = g_PixelFormat;
  auto channel = [&](int nShift, int nMax) {
    return (texel >> nShift & static_cast<uint32_t>(nMax)) * 255 / static_cast<uint32_t>(nMax);
  };
  return channel(f.nRedShift, f.nRedMax) << 16 | channel(f.nGreenShift, f.nGreenMax) << 8 |
         channel(f.nBlueShift, f.nBlueMax);
}

}  // namespace

int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* szFile, int bColorKey, int nBpp,
                            int nDDMemory, int nDTMemory, int bVariant, int bPalMap, int nMirrorW,
                            int nMirrorH, int bRecreate) {
  if (!lpSD || !szFile) return DDIMAGE_LOADIMAGE_ERR;
  if (lpDTCon)
    return CreateSurfaceFromFileDT(lpSD, szFile, bColorKey, nBpp, nDDMemory, nDTMemory, bVariant,
                                   bPalMap, nMirrorW, nMirrorH, bRecreate);
  return CreateSurfaceFromFileDD(lpSD, szFile, bColorKey, nBpp, nDDMemory, bPalMap, nMirrorW,
                                 nMirrorH);
}

bool CopyBitmap(DDSURFACEDATA* lpSD, const char* szFile, int nBpp, int bPalMap, int nMirrorW,
                int nMirrorH) {
  if (lpDTCon || !szFile || !szFile[0]) return true;
  if (!lpSD) return false;
  cBmpImage image;
  if (LoadBmpFile(szFile, image) != BmpLoadResult::kOk) return false;
  return CopyImage(lpSD, image, szFile, nBpp, bPalMap, nMirrorW, nMirrorH);
}

bool DDReloadSurface(DDSURFACEDATA* lpSD, int nBpp) {
  if (lpDTCon) return true;
  if (!lpSD || !lpSD->lpDDraw) return false;
  // The record's own name is copied first: CopyBitmap stores the name it is given.
  const std::string strFile = lpSD->szFileName;
  return CopyBitmap(lpSD, strFile.c_str(), nBpp, lpSD->lpDDraw->lpPalIndexMap != nullptr,
                    lpSD->nMirrorWidth, lpSD->nMirrorHeight);
}

bool CreateMirror(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, int nMirrorW, int nMirrorH) {
  if (!lpDTCon || nMirrorW <= 0 || nMirrorH != 0) return true;
  if (!lpDstSD || !lpSrcSD || !lpDstSD->lpDT) return false;
  if (lpDstSD->lpDT->bRenderTarget && lpDstSD->lpDT->lpSurface) {
    if (DDBeginScene() && DDSetRenderTarget(0, lpDstSD)) {
      lpDevice->Clear(0, nullptr, 1, lpDTCon->dwTransmitTexel, 1.0f, 0);
      DDSetRenderTarget(0, lpDTCon->lpTargetSD);
    }
  }
  for (int i = 0; (i + 1) * nMirrorW <= lpSrcSD->nWidth; ++i)
    DDStretchBlt(lpDstSD, i * nMirrorW, 0, nMirrorW, lpSrcSD->nHeight, lpSrcSD, (i + 1) * nMirrorW,
                 0, -nMirrorW, lpSrcSD->nHeight, 0);
  return true;
}

int DDIsBitmapTooLarge(int* lpbTooLarge, const char* szFile, int nMaxWidth, int nMaxHeight) {
  if (lpDTCon) return 1;
  cBmpImage image;
  if (!szFile || LoadBmpFile(szFile, image) != BmpLoadResult::kOk) {
    if (lpbTooLarge) *lpbTooLarge = 0;
    return 0;
  }
  if (lpbTooLarge) *lpbTooLarge = image.Width() > nMaxWidth || image.Height() > nMaxHeight;
  return 1;
}

int DDSetTransmit(const char* szFile) {
  if (!szFile) return 0;
  DDSURFACEDATA temp;
  const int nResult =
      DDCreateSurfaceFromFile(&temp, szFile, 0, g_nBpp, 1, DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0, 0);
  if (!DDCheckResult(nResult)) {
    TraceLogf("%s 作成失敗！", szFile);
    DDReleaseSurface(&temp);
    return 0;
  }
  int nReturn = 1;
  {
    cSurfaceLock lock(&temp);
    if (!lock.IsLocked()) {
      TraceLogf("Lock 失敗！");
      nReturn = 0;
    } else if (lpDTCon && (g_nBpp == 16 || g_nBpp == 32)) {
      // The colour is taken from the picture as an unkeyed texture shows it:
      // the loaded texel itself would read transparent black once the colour
      // is already the transparent one, as on a second call.
      cBmpImage image;
      if (LoadBmpFile(szFile, image) != BmpLoadResult::kOk) {
        nReturn = 0;
      } else if (g_nBpp == 16) {
        const uint32_t texel = OpaqueTexel(image.PixelRgb(0, 0), 2);
        g_dwTransmitPixel = texel;
        if (image.IsIndexed()) {
          const BMPCOLOR& c = image.Colours()[0];
          lpDTCon->rgbTransmitKey = DDRGBTRIPLE{c.rgbBlue, c.rgbGreen, c.rgbRed};
        }
        const CHANNELFORMAT& f = g_PixelFormat;
        DDSetTransmit(
            static_cast<uint8_t>(texel >> f.nRedShift & static_cast<uint32_t>(f.nRedMax)),
            static_cast<uint8_t>(texel >> f.nGreenShift & static_cast<uint32_t>(f.nGreenMax)),
            static_cast<uint8_t>(texel >> f.nBlueShift & static_cast<uint32_t>(f.nBlueMax)));
        TraceLogf("SetTrans(filename) lpDTCon->wTransmit_16 = (%x)", lpDTCon->wTransmit_16);
      } else {
        const uint32_t rgb = image.PixelRgb(0, 0);
        DDSetTransmit(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                      static_cast<uint8_t>(rgb));
      }
    } else if (!lpDTCon) {
      switch (g_nBpp) {
        case 8:
          g_dwTransmitPixel = *lock.Row<uint8_t>(0);
          break;
        case 16:
          g_dwTransmitPixel = *lock.Row<uint16_t>(0);
          break;
        case 32: {
          const uint32_t pixel = *lock.Row<uint32_t>(0);
          g_dwTransmitPixel = pixel;
          lpDDCon->rgbTransmit =
              DDRGBTRIPLE{static_cast<uint8_t>(pixel), static_cast<uint8_t>(pixel >> 8),
                          static_cast<uint8_t>(pixel >> 16)};
          break;
        }
        default:
          break;
      }
    }
  }
  DDReleaseSurface(&temp);
  return nReturn;
}

int DDSetTransmit(const DDSURFACEINFO* lpSurfaceInfo) {
  return lpSurfaceInfo ? DDSetTransmit(lpSurfaceInfo[0].szFileName) : 0;
}

void DDSetTransmit(uint8_t cbRed, uint8_t cbGreen, uint8_t cbBlue) {
  const CHANNELFORMAT& f = g_PixelFormat;
  if (lpDTCon) {
    lpDTCon->rgbTransmit = DDRGBTRIPLE{cbBlue, cbGreen, cbRed};
    TraceLogf(
        "SetTrans lpDTCon->rgbTransmit.rgbtRed = %d,lpDTCon->rgbTransmit.rgbtGreen = %d,"
        "lpDTCon->rgbTransmit.rgbtBlue = %d",
        cbRed, cbGreen, cbBlue);
    if (g_nBpp == 32 || g_nBpp == 16) {
      lpDTCon->dwTransmitTexel = 0;
      lpDTCon->dwTransmitColor = 0xFF000000u | Rgb(cbRed, cbGreen, cbBlue);
      lpDTCon->wTransmit_16 = 0;
      lpDTCon->wTransmitOpaque_16 = 0;
    }
    if (g_nBpp == 32) {
      g_dwTransmitPixel = 0;
    } else if (g_nBpp == 16) {
      auto limit = [](uint32_t v, int nMax) { return std::min(v, static_cast<uint32_t>(nMax)); };
      lpDTCon->wTransmitOpaque_16 = static_cast<uint16_t>(
          limit(cbBlue, f.nBlueMax) << f.nBlueShift | limit(cbGreen, f.nGreenMax) << f.nGreenShift |
          limit(cbRed, f.nRedMax) << f.nRedShift | 1u << f.nAlphaShift);
    }
    return;
  }
  if (!lpDDCon) return;
  if (g_nBpp == 16) {
    const uint32_t r = Scale(cbRed, f.nRedMax), g = Scale(cbGreen, f.nGreenMax),
                   b = Scale(cbBlue, f.nBlueMax);
    g_dwTransmitPixel = b << f.nBlueShift | g << f.nGreenShift | r << f.nRedShift;
    TraceLogf("※16bit色で　DDSetTransmit(BYTE cbRed,BYTE cbGreen,BYTE cbBlue)　は未対応！");
    DebugBoxf("Tr %d RGB32(%d,%d,%d) -> RGB16(%d,%d,%d)", static_cast<int>(g_dwTransmitPixel),
              cbRed, cbGreen, cbBlue, static_cast<int>(r * 255 / static_cast<uint32_t>(f.nRedMax)),
              static_cast<int>(g * 255 / static_cast<uint32_t>(f.nGreenMax)),
              static_cast<int>(b * 255 / static_cast<uint32_t>(f.nBlueMax)));
  } else if (g_nBpp == 32) {
    g_dwTransmitPixel = Rgb(cbRed, cbGreen, cbBlue);
    lpDDCon->rgbTransmit = DDRGBTRIPLE{cbBlue, cbGreen, cbRed};
  }
}

bool DDLoadPaletteFromFile(PALENTRY* lpPal, const char* szFile) {
  if (!lpPal || !szFile) return false;
  cBmpImage image;
  if (LoadBmpFile(szFile, image) != BmpLoadResult::kOk) return false;
  const bool b8BitPicture = image.BitCount() == 8;
  bool bFromTable = false;
  if (lpDTCon && b8BitPicture) {
    for (int i = 0; i < 256; ++i) {
      const BMPCOLOR& c = image.Colours()[static_cast<size_t>(i)];
      lpPal[i] = PALENTRY{c.rgbRed, c.rgbGreen, c.rgbBlue, 255};
    }
  } else if (!lpDTCon && g_nBpp == 8 && b8BitPicture) {
    bFromTable = true;
    for (int i = 0; i < 256; ++i) {
      const BMPCOLOR& c = image.Colours()[static_cast<size_t>(i)];
      const uint8_t flag = (i >= 10 && i <= 245) ? PC_RESERVED : PC_EXPLICIT;
      lpPal[i] = PALENTRY{c.rgbRed, c.rgbGreen, c.rgbBlue, flag};
    }
  }
  if (!lpDTCon && g_nBpp == 8) {
    if (g_lpDDPalette) {
      DDPALETTEENTRY entries[256];
      for (int i = 0; i < 256; ++i)
        entries[i] = {lpPal[i].peRed, lpPal[i].peGreen, lpPal[i].peBlue, lpPal[i].peFlags};
      g_lpDDPalette->SetEntries(0, 0, 256, entries);
    }
  } else if (!bFromTable && (g_nBpp == 16 || g_nBpp == 24 || g_nBpp == 32)) {
    DDSURFACEDATA temp;
    const int nResult =
        DDCreateSurfaceFromFile(&temp, szFile, 0, g_nBpp, 1, DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0, 0);
    if (nResult == DDIMAGE_OK) DDSetPalette_UnPal(lpPal, &temp);
    DDReleaseSurface(&temp);
  }
  return true;
}

bool DDLoadPaletteFromFile(PALENTRY* lpPal, const DDSURFACEINFO* lpSurfaceInfo, int /*bWindowed*/) {
  return lpSurfaceInfo && DDLoadPaletteFromFile(lpPal, lpSurfaceInfo[0].szFileName);
}

int DDMakePalIndexMap(uint8_t** lplpMap, DDSURFACEDATA* lpSD) {
  if (!lplpMap || !lpSD) return 0;
  cSurfaceLock lock(lpSD);
  if (!lock.IsLocked()) {
    NoMemoryError();
    return 0;
  }
  delete[] * lplpMap;
  *lplpMap = nullptr;
  const int nPitch = lock.m_nPitch;
  const int nHeight = std::max(lpSD->nHeight, 0);
  uint8_t* lpMap = new (std::nothrow)
      uint8_t[static_cast<size_t>(nHeight) * static_cast<size_t>(std::max(nPitch, 0)) + 1];
  if (!lpMap) {
    NoMemoryError();
    return 0;
  }
  std::memset(lpMap, 0,
              static_cast<size_t>(nHeight) * static_cast<size_t>(std::max(nPitch, 0)) + 1);
  *lplpMap = lpMap;

  // Only pixels that exist in the locked surface are read.
  const int nWidth = std::min({lpSD->nWidth, nPitch, lock.m_lpSD->nTextureWidth});
  const int nRows = std::min(nHeight, lock.m_lpSD->nTextureHeight);
  const int nBytes = lock.m_nBytesPerPixel;

  if (lock.m_nBpp == 16) {
    // Pixel value -> index, the first matching entry winning.
    std::vector<int16_t> table(65536, -1);
    if (lpDTCon) {
      const bool bKeyed = lock.m_lpSD->lpDT && lock.m_lpSD->lpDT->bColorKey;
      for (int y = 0; y < nRows; ++y) {
        const uint16_t* lpRow = lock.Row<uint16_t>(y);
        for (int x = 0; x < nWidth; ++x) {
          const uint16_t texel = lpRow[x];
          int16_t& nIndex = table[texel];
          if (nIndex < 0) {
            nIndex = 0;
            if (!(bKeyed && texel == 0)) {
              const uint32_t rgb = ScaledTexelRgb(texel);
              for (int i = 0; i < 256; ++i) {
                if (Rgb(g_Palette[i].peRed, g_Palette[i].peGreen, g_Palette[i].peBlue) == rgb) {
                  nIndex = static_cast<int16_t>(i);
                  break;
                }
              }
            }
          }
          lpMap[static_cast<size_t>(y) * nPitch + x] = static_cast<uint8_t>(nIndex);
        }
      }
    } else {
      for (int i = 255; i >= 0; --i)
        table[DDPalToRGB16(g_Palette[i]) & 0xFFFF] = static_cast<int16_t>(i);
      for (int y = 0; y < nRows; ++y) {
        const uint16_t* lpRow = lock.Row<uint16_t>(y);
        for (int x = 0; x < nWidth; ++x)
          lpMap[static_cast<size_t>(y) * nPitch + x] =
              static_cast<uint8_t>(std::max<int16_t>(table[lpRow[x]], 0));
      }
    }
  } else if (lock.m_nBpp == 24 || lock.m_nBpp == 32) {
    std::unordered_map<uint32_t, uint8_t> index;
    for (int i = 255; i >= 0; --i)
      index[Rgb(g_Palette[i].peRed, g_Palette[i].peGreen, g_Palette[i].peBlue)] =
          static_cast<uint8_t>(i);
    for (int y = 0; y < nRows; ++y) {
      const uint8_t* lpRow = lock.Row<uint8_t>(y);
      uint32_t lastRgb = 0xFFFFFFFF;
      uint8_t lastIndex = 0;
      for (int x = 0; x < nWidth; ++x) {
        const uint32_t rgb = ReadPixel(lpRow, x, nBytes) & 0xFFFFFF;
        if (rgb != lastRgb) {
          const auto it = index.find(rgb);
          lastIndex = it == index.end() ? 0 : it->second;
          lastRgb = rgb;
        }
        lpMap[static_cast<size_t>(y) * nPitch + x] = lastIndex;
      }
    }
  }
  return 1;
}

uint32_t DDPalToRGB16(const PALENTRY& entry) {
  if (lpDTCon) {
    TraceLogf("DDPalToRGB16はDirect3Dでは未対応");
    return 0;
  }
  const CHANNELFORMAT& f = g_PixelFormat;
  return (entry.peRed & static_cast<uint32_t>(f.nRedMax)) << f.nRedShift |
         (entry.peGreen & static_cast<uint32_t>(f.nGreenMax)) << f.nGreenShift |
         (entry.peBlue & static_cast<uint32_t>(f.nBlueMax)) << f.nBlueShift;
}
