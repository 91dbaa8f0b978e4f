#include "platform/draw/surface/dd_surface.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "platform/draw/dd_blit.h"

std::list<DDSURFACEDATA*> g_SurfaceList;

// ---- the record -------------------------------------------------------------------

namespace {

void TakeFields(DDSURFACEDATA& to, DDSURFACEDATA& from) {
  to.lpDT = from.lpDT;
  to.lpDDraw = from.lpDDraw;
  std::memcpy(to.szSurfaceType, from.szSurfaceType, sizeof(to.szSurfaceType));
  to.nWidth = from.nWidth;
  to.nHeight = from.nHeight;
  to.nTextureWidth = from.nTextureWidth;
  to.nTextureHeight = from.nTextureHeight;
  std::memcpy(to.szFileName, from.szFileName, sizeof(to.szFileName));
  to.nDDMemory = from.nDDMemory;
  to.nMirrorWidth = from.nMirrorWidth;
  to.nMirrorHeight = from.nMirrorHeight;
  to.lpParentSD = from.lpParentSD;
  to.bLost = from.bLost;
  from.lpDT = nullptr;
  from.lpDDraw = nullptr;
  // The registration follows the record to its new address.
  std::replace(g_SurfaceList.begin(), g_SurfaceList.end(), &from, &to);
  if (lpDTCon && lpDTCon->lpTargetSD == &from) lpDTCon->lpTargetSD = &to;
}

}  // namespace

DDSURFACEDATA::DDSURFACEDATA(DDSURFACEDATA&& other) noexcept { TakeFields(*this, other); }

DDSURFACEDATA& DDSURFACEDATA::operator=(DDSURFACEDATA&& other) noexcept {
  if (this != &other) {
    // Whatever this record held would otherwise be lost with a live
    // registration pointing at different contents.
    ReleaseSurfaceData(this);
    TakeFields(*this, other);
  }
  return *this;
}

void DDSURFACEDATA::DDPrepareSurfaceData() {
  if (g_bUseD3D) {
    if (!lpDT) lpDT = new (std::nothrow) DTDATA();
  } else {
    if (!lpDDraw) lpDDraw = new (std::nothrow) DDRAWSURFACEDATA();
  }
}

DDSURFACEDATA& cSurfaceVector::At(int nIndex) {
  if (nIndex >= 0 && static_cast<size_t>(nIndex) < m_records.size()) [[likely]]
    return m_records[static_cast<size_t>(nIndex)];
  ReportBadIndex('V', nIndex, m_records.size(), ReportedElementSize<DDSURFACEDATA>::value);
  if (!m_records.empty()) return m_records.front();
  static DDSURFACEDATA dummy;
  dummy = DDSURFACEDATA();
  return dummy;
}

// ---- creation -----------------------------------------------------------------------

namespace {

void TextureCreationFailed() {
  if (lpDTCon && !lpDTCon->strAdvice.empty()) ErrorBox(lpDTCon->strAdvice);
  RequestClose();
}

bool CreateSurfaceGpu(DDSURFACEDATA* lpSD, int nWidth, int nHeight, int bColorKey, int nDDMemory,
                      int nDTMemory, int bVariant, int bRecreate) {
  if (!lpDevice || !lpDTCon) return false;
  if (!bRecreate && lpSD->lpDT && (lpSD->lpDT->lpTexture || lpSD->lpDT->lpVB))
    ReleaseSurfaceData(lpSD);
  lpSD->DDPrepareSurfaceData();
  if (!lpSD->lpDT) return false;
  DTDATA& dt = *lpSD->lpDT;
  if (!bRecreate) {
    std::strcpy(lpSD->szSurfaceType, "OffScreen");
    std::strcpy(lpSD->szFileName, "E");
    dt.nMemoryType = nDTMemory;
    dt.lpSurface = nullptr;
    dt.lpSystemSurface = nullptr;
    dt.lpSpare = nullptr;
    dt.lpTexture = nullptr;
    dt.bColorKey = bColorKey == 1;
    if (!bVariant) {
      dt.nNumber = lpDTCon->nSurfaceNumber++;
      GPURESULT hr = lpDevice->CreateVertexBuffer(4 * sizeof(GPUVERTEX), GPUUSAGE_WRITEONLY,
                                                  GPUFVF_SCREENQUAD, GPUPOOL_MANAGED, &dt.lpVB);
      if (GpuFailed(hr)) {
        ReportLog("CreateVertexBuffer Err");
        return false;
      }
    }
  }
  if (bVariant) {
    lpSD->nWidth = lpSD->nTextureWidth = nWidth;
    lpSD->nHeight = lpSD->nTextureHeight = nHeight;
    lpSD->nDDMemory = nDDMemory;
    return true;
  }
  int nTexW = nWidth, nTexH = nHeight;
  DDAdjustTextureSize(&nTexW, &nTexH);
  if (!DDCheckTextureSize(nTexW, nTexH))
    ReportLog("上記の理由でテクスチャの描画が失敗する可能性があります。(空)");
  if (dt.nMemoryType == DTMEMORYTYPE_VIDEO_NORT) dt.nMemoryType = DTMEMORYTYPE_VIDEO_RT;
  if (dt.nMemoryType == DTMEMORYTYPE_VIDEO_RT) {
    dt.bRenderTarget = 1;
    GPURESULT hr = lpDevice->CreateTexture(nTexW, nTexH, 1, GPUUSAGE_RENDERTARGET,
                                           lpDTCon->fmtTexture, GPUPOOL_DEFAULT, &dt.lpTexture);
    if (hr == GPUERR_OUTOFVIDEOMEMORY) {
      ReportLog("VRAM不足のためシステムメモリにテクスチャを作成します。(空)");
      dt.nMemoryType = DTMEMORYTYPE_SYSTEM;
    } else if (GpuFailed(hr)) {
      return false;
    }
  }
  if (dt.nMemoryType == DTMEMORYTYPE_SYSTEM && !bRecreate) {
    dt.bRenderTarget = 0;
    GPURESULT hr = lpDevice->CreateTexture(nTexW, nTexH, 1, GPUUSAGE_DYNAMIC, lpDTCon->fmtTexture,
                                           GPUPOOL_SYSTEMMEM, &dt.lpTexture);
    if (GpuFailed(hr)) {
      ReportLog("D3DXCreateTexture Err hr = %x", static_cast<unsigned>(hr));
      TextureCreationFailed();
      return false;
    }
  }
  dt.lpSurface = dt.lpTexture ? dt.lpTexture->GetSurfaceLevel(0) : nullptr;
  if (!dt.lpSurface) {
    ReportLog("GetSurfaceLevel Err hr = %x", static_cast<unsigned>(GPUERR_INVALIDCALL));
    return false;
  }
  dt.nLevelWidth = dt.lpSurface->Width();
  dt.nLevelHeight = dt.lpSurface->Height();
  dt.levelFormat = dt.lpSurface->Format();
  if (dt.nMemoryType == DTMEMORYTYPE_VIDEO_RT && !bRecreate) {
    GPURESULT hr = lpDevice->CreateOffscreenPlainSurface(
        dt.nLevelWidth, dt.nLevelHeight, dt.levelFormat, GPUPOOL_SYSTEMMEM, &dt.lpSystemSurface);
    if (GpuFailed(hr)) {
      ReportLog("CreateOffscreenPlainSurface Err hr = %x", static_cast<unsigned>(hr));
      TextureCreationFailed();
      return false;
    }
  }
  lpSD->nWidth = nWidth;
  lpSD->nHeight = nHeight;
  lpSD->nTextureWidth = dt.nLevelWidth;
  lpSD->nTextureHeight = dt.nLevelHeight;
  if (dt.bRenderTarget && DDSetRenderTarget(0, lpSD)) {
    lpDevice->Clear(0, nullptr, 1, lpDTCon->dwTransmitColor, 1.0f, 0);
    if (lpDTCon->lpTargetSD) DDSetRenderTarget(0, lpDTCon->lpTargetSD);
  }
  if (!bRecreate) g_SurfaceList.push_back(lpSD);
  return true;
}

bool CreateSurfaceDDraw(DDSURFACEDATA* lpSD, int nWidth, int nHeight, int bColorKey,
                        int nDDMemory) {
  if (!g_lpDD) return false;
  if (lpSD->DDSurface()) ReleaseSurfaceData(lpSD);
  lpSD->DDPrepareSurfaceData();
  if (!lpSD->lpDDraw) return false;
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.nWidth = nWidth;
  desc.nHeight = nHeight;
  desc.dwCaps = DDSCAPS_OFFSCREENPLAIN | (nDDMemory == 1 ? DDSCAPS_SYSTEMMEMORY : 0);
  int nUsed = nDDMemory;
  cDDrawSurface* pSurface = nullptr;
  if (g_lpDD->CreateSurface(&desc, &pSurface, nullptr) != DD_OK) {
    if (nDDMemory == 1) {
      ReportLog("CreateSurface System Err");
      return false;
    }
    desc.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    nUsed = 1;
    if (g_lpDD->CreateSurface(&desc, &pSurface, nullptr) != DD_OK) {
      ReportLog("CreateSurface Video -> System Err");
      return false;
    }
  }
  lpSD->lpDDraw->lpSurface = pSurface;
  if (bColorKey == 1) {
    DDCOLORKEY key{g_dwTransmitPixel, g_dwTransmitPixel};
    if (pSurface->SetColorKey(DDCKEY_SRCBLT, &key) != DD_OK) ReportLog("SetColorKey Err");
  }
  lpSD->nWidth = lpSD->nTextureWidth = nWidth;
  lpSD->nHeight = lpSD->nTextureHeight = nHeight;
  lpSD->nDDMemory = nUsed;
  DDPalFillRect(lpSD, 0, 0, nWidth, nHeight, 0);
  return true;
}

}  // namespace

bool DDCreateSurface(DDSURFACEDATA* lpSD, int nWidth, int nHeight, int bColorKey, int nDDMemory,
                     int nDTMemory, int bVariant, int bRecreate) {
  if (!lpSD || nWidth <= 0 || nHeight <= 0) return false;
  if (g_bUseD3D)
    return CreateSurfaceGpu(lpSD, nWidth, nHeight, bColorKey, nDDMemory, nDTMemory, bVariant,
                            bRecreate);
  return CreateSurfaceDDraw(lpSD, nWidth, nHeight, bColorKey, nDDMemory);
}

namespace {
DDSURFACEINFO MakeEmptyInfo(int bColorKey, int nDDMemory, int nDTMemory, int bVariant) {
  DDSURFACEINFO info;
  info.bColorKey = bColorKey;
  info.nDDMemory = nDDMemory;
  info.nDTMemory = nDTMemory;
  info.bVariant = bVariant;
  return info;
}
}  // namespace

bool DDCreateSurfaceInVector(cSurfaceVector& vSD, cCheckedVector<DDSURFACEINFO>& vInfo, int nWidth,
                             int nHeight, int bColorKey, int nDDMemory, int nDTMemory,
                             int bVariant) {
  vSD.emplace_back();
  vInfo.push_back(MakeEmptyInfo(bColorKey, nDDMemory, nDTMemory, bVariant));
  return DDCreateSurface(&vSD.back(), nWidth, nHeight, bColorKey, nDDMemory, nDTMemory, bVariant,
                         0);
}

bool DDCreateSurfaceInList(cCheckedList<DDSURFACEDATA>& lSD, cCheckedList<DDSURFACEINFO>& lInfo,
                           int nWidth, int nHeight, int bColorKey, int nDDMemory, int nDTMemory,
                           int bVariant) {
  lSD.emplace_back();
  lInfo.push_back(MakeEmptyInfo(bColorKey, nDDMemory, nDTMemory, bVariant));
  return DDCreateSurface(&lSD.back(), nWidth, nHeight, bColorKey, nDDMemory, nDTMemory, bVariant,
                         0);
}

int DDReleaseSurfaceInList(cCheckedList<DDSURFACEDATA>& lSD, cCheckedList<DDSURFACEINFO>& lInfo,
                           DDSURFACEDATA* lpSD) {
  auto itInfo = lInfo.begin();
  for (auto it = lSD.begin(); it != lSD.end(); ++it) {
    if (&*it == lpSD) {
      ReleaseSurfaceData(lpSD);
      lSD.erase(it);
      if (itInfo != lInfo.end()) lInfo.erase(itInfo);
      return 1;
    }
    if (itInfo != lInfo.end()) ++itInfo;
  }
  return 0;
}

bool DDCheckResult(int nCode) {
  switch (nCode) {
    case 4:
      TraceLogf("CREATESURFACE_ERR");
      return false;
    case 8:
      TraceLogf("LOADIMAGE_ERR");
      return false;
    case 9:
      TraceLogf("SETCOLORKEY_ERR");
      return false;
    default:
      return true;
  }
}

bool DDLoadSurfaceTable(DDSURFACEDATA* lpSDTable, const int* lpIndices, int nCount) {
  if (!lpSDTable || !g_lpSurfaceInfo) return false;
  for (int k = 0; k < nCount; ++k) {
    const int i = lpIndices[k];
    if (i < 0 || i >= g_nSurfaceCount) {
      ReportLog("DDLoadSurfaceTable index %d out of range ( %d )", i, g_nSurfaceCount);
      return false;
    }
    DDSURFACEDATA* lpSD = &lpSDTable[i];
    const DDSURFACEINFO& info = g_lpSurfaceInfo[i];
    DDReleaseSurface(lpSD);
    if (std::strcmp(info.szFileName, "E") == 0) {
      if (!DDCreateSurface(lpSD, info.nWorkWidth, info.nWorkHeight, info.bColorKey, info.nDDMemory,
                           info.nDTMemory, info.bVariant, 0) &&
          !info.bOptional) {
        NoMemoryError();
        return false;
      }
    } else {
      int nResult = DDCreateSurfaceFromFile(lpSD, info.szFileName, info.bColorKey, g_nBpp,
                                            info.nDDMemory, info.nDTMemory, info.bVariant,
                                            info.bPalMap, info.nMirrorWidth, info.nMirrorHeight, 0);
      if (!DDCheckResult(nResult) && !info.bOptional) {
        ErrorBoxf("%s の読み込みに失敗！", info.szFileName);
        return false;
      }
    }
  }
  return true;
}

DDSURFACEINFO& SetSurfaceInfo(DDSURFACEINFO& info, const char* szFileName, int bColorKey,
                              int nDDMemory, int nDTMemory, int bVariant, int bPalMap,
                              int bOptional, int nMirrorWidth, int nMirrorHeight, int nWorkWidth,
                              int nWorkHeight) {
  std::snprintf(info.szFileName, sizeof(info.szFileName), "%s", szFileName ? szFileName : "");
  info.bColorKey = bColorKey;
  info.nDDMemory = nDDMemory;
  info.nDTMemory = nDTMemory;
  info.bVariant = bVariant;
  info.bPalMap = bPalMap;
  info.bOptional = bOptional;
  info.nMirrorWidth = nMirrorWidth;
  info.nMirrorHeight = nMirrorHeight;
  info.nWorkWidth = nWorkWidth;
  info.nWorkHeight = nWorkHeight;
  return info;
}

// ---- release ----------------------------------------------------------------------

void DDReleaseSurface(DDSURFACEDATA* lpSD) { ReleaseSurfaceData(lpSD); }

void ReleaseSurfaceData(DDSURFACEDATA* lpSD) {
  if (!lpSD) return;
  if (DTDATA* dt = lpSD->lpDT) {
    if (!lpSD->lpParentSD) {
      if (dt->lpTexture) dt->lpTexture->Release();
      if (dt->lpVB) dt->lpVB->Release();
      if (dt->lpSystemSurface) cGpuDevice::ReleaseSurface(dt->lpSystemSurface);
      dt->lpTexture = nullptr;
      dt->lpVB = nullptr;
      dt->lpSystemSurface = nullptr;
      dt->lpSurface = nullptr;
      // Registration number 0 is the back buffer, which is never listed.
      if (dt->nNumber != 0 || lpSD != &g_BackBufferSD) {
        const int nNumber = dt->nNumber;
        g_SurfaceList.remove_if([&](DDSURFACEDATA* p) {
          return p == lpSD || (nNumber != 0 && p->lpDT && p->lpDT->nNumber == nNumber);
        });
      }
      delete[] dt->lpPalIndexMap;
    }
    delete dt;
    lpSD->lpDT = nullptr;
  }
  if (DDRAWSURFACEDATA* dd = lpSD->lpDDraw) {
    if (dd->lpSurface) dd->lpSurface->Release();
    delete[] dd->lpPalIndexMap;
    delete dd;
    lpSD->lpDDraw = nullptr;
  }
}

void DDReleaseSurfaceVector(cSurfaceVector& vSD) {
  for (int i = 0; static_cast<size_t>(i) < vSD.size(); ++i) ReleaseSurfaceData(&vSD.At(i));
}

void DDReleaseSurfaceList(cCheckedList<DDSURFACEDATA>& lSD) {
  for (DDSURFACEDATA& sd : lSD) ReleaseSurfaceData(&sd);
}

// ---- pixel access -------------------------------------------------------------------

bool DDLock(DDSURFACEDATA* lpSD, DDSURFACEDESC2* lpDesc, void** lplpBits, int nBpp) {
  if (lpDTCon) {
    TraceLogf("D3DではDDLockは未対応");
    return true;
  }
  cDDrawSurface* pSurface = lpSD ? lpSD->DDSurface() : nullptr;
  if (!pSurface) return false;
  *lpDesc = DDSURFACEDESC2();
  if (pSurface->Lock(nullptr, lpDesc, DDLOCK_WAIT, nullptr) != DD_OK) return false;
  if (nBpp == 8 || nBpp == 16 || nBpp == 24 || nBpp == 32) *lplpBits = lpDesc->lpSurface;
  return true;
}

cSurfaceLock::cSurfaceLock(DDSURFACEDATA* lpSD) {
  if (!lpSD) return;
  DDResolveParentSD(&lpSD);
  DDRedirectBackBuffer(&lpSD);
  m_nBpp = g_nBpp;
  m_nBytesPerPixel = g_nBytesPerPixel;
  if (lpDTCon) {
    DTDATA* dt = lpSD->lpDT;
    if (!dt || !dt->lpSurface || !lpDevice) return;
    uint8_t* pBits = nullptr;
    int nPitch = 0;
    if (dt->bRenderTarget && lpSD != &g_BackBufferSD && dt->lpSystemSurface) {
      if (GpuFailed(lpDevice->GetRenderTargetData(dt->lpSurface, dt->lpSystemSurface))) {
        TraceLogf(
            "FAILED( "
            "lpDevice->GetRenderTargetData(lpSD->lpDT->lpSurface,lpSD->lpDT->lpSystemSurface) )");
        return;
      }
      if (GpuFailed(dt->lpSystemSurface->LockRect(&pBits, &nPitch))) {
        TraceLogf("FAILED( lpSD->lpDT->lpSystemSurface->LockRect(&lock, NULL, 0) )");
        return;
      }
      m_bSystemCopy = true;
    } else if (GpuFailed(dt->lpSurface->LockRect(&pBits, &nPitch))) {
      DebugBoxf("FAILED( lpSD->lpDT->lpSurface->LockRect(&(lock), NULL, 0) )");
      return;
    }
    const cGpuSurface* pLocked = m_bSystemCopy ? dt->lpSystemSurface : dt->lpSurface;
    m_nBytesPerPixel = GpuFormatBytes(dt->lpSurface->Format());
    m_nBpp = m_nBytesPerPixel * 8;
    m_lpBits = pBits;
    m_nPitch = nPitch / m_nBytesPerPixel;
    m_nWidth = std::min({lpSD->nWidth, pLocked->Width(), m_nPitch});
    m_nHeight = std::min(lpSD->nHeight, pLocked->Height());
    m_bGpu = true;
  } else {
    DDSURFACEDESC2 desc;
    void* pBits = nullptr;
    if (!DDLock(lpSD, &desc, &pBits, g_nBpp) || !pBits) {
      if (lpSD->DDSurface() && desc.lpSurface) lpSD->DDSurface()->Unlock(nullptr);
      return;
    }
    m_nBytesPerPixel = lpSD->DDSurface()->BytesPerPixel();
    m_nBpp = m_nBytesPerPixel * 8;
    m_lpBits = static_cast<uint8_t*>(pBits);
    m_nPitch = desc.lPitch / m_nBytesPerPixel;
    m_nWidth = std::min({lpSD->nWidth, desc.nWidth, m_nPitch});
    m_nHeight = std::min(lpSD->nHeight, desc.nHeight);
  }
  m_lpSD = lpSD;
}

cSurfaceLock::~cSurfaceLock() { Unlock(); }

void cSurfaceLock::Unlock() {
  if (!m_lpSD) return;
  DDSURFACEDATA* lpSD = m_lpSD;
  m_lpSD = nullptr;
  m_lpBits = nullptr;
  if (m_bGpu) {
    DTDATA* dt = lpSD->lpDT;
    if (!dt) return;
    if (lpSD == &g_BackBufferSD) {
      if (dt->lpSurface && GpuFailed(dt->lpSurface->UnlockRect()))
        TraceLogf("Back :: D3D_OK != m_lpSD->lpDT->lpSurface->UnlockRect();");
    } else if (m_bSystemCopy) {
      if (GpuFailed(dt->lpSystemSurface->UnlockRect()))
        TraceLogf("D3D_OK != m_lpSD->lpDT->lpSystemSurface->UnlockRect();");
      if (!lpDevice ||
          GpuFailed(lpDevice->UpdateSurface(dt->lpSystemSurface, nullptr, dt->lpSurface, nullptr)))
        DebugBoxf(
            "FAILED( lpDevice->UpdateSurface(m_lpSD->lpDT->lpSystemSurface, NULL, "
            "m_lpSD->lpDT->lpSurface, NULL)");
    } else if (dt->lpSurface && GpuFailed(dt->lpSurface->UnlockRect())) {
      TraceLogf("D3D_OK != m_lpSD->lpDT->lpSurface->UnlockRect();");
    }
  } else if (cDDrawSurface* pSurface = lpSD->DDSurface()) {
    pSurface->Unlock(nullptr);
  }
}
