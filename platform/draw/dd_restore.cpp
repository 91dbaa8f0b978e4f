// Recovery after the display took the video memory away: the textured
// device's reset and the surface back end's restore.

#include <cstring>
#include <functional>
#include <vector>

#include "app/base/report_log.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_fade.h"
#include "platform/draw/dd_internal.h"
#include "platform/draw/present/presenter.h"

namespace {
std::function<void()> g_fontsLost;
std::function<void()> g_fontsRestore;

bool HasFile(const DDSURFACEDATA& sd) {
  return sd.szFileName[0] != '\0' && std::strcmp(sd.szFileName, "E") != 0;
}
}  // namespace

void SetFontDeviceHooks(std::function<void()> onLostDevice, std::function<void()> onRestore) {
  g_fontsLost = std::move(onLostDevice);
  g_fontsRestore = std::move(onRestore);
}

int DDRestoreSurface() {
  if (!lpDTCon) {
    TraceLogf("DDではDDRestoreSurfaceは未対応");
    return 1;
  }
  if (!lpDevice) return 0;
  // A device that is not lost keeps everything; releasing it here would only
  // leave the surfaces empty with no later reset to bring them back.
  if (lpDevice->TestCooperativeLevel() == GPU_OK) return 1;
  TraceLogf("Restore In");
  for (DDSURFACEDATA* lpSD : g_SurfaceList) {
    DTDATA* dt = lpSD->lpDT;
    if (!dt || dt->nMemoryType == DTMEMORYTYPE_SYSTEM) continue;
    if (dt->lpTexture) dt->lpTexture->Release();
    dt->lpTexture = nullptr;
    dt->lpSurface = nullptr;
  }
  if (g_fontsLost) g_fontsLost();
  if (g_BackBufferSD.lpDT) g_BackBufferSD.lpDT->lpSurface = nullptr;

  TraceLogf("a-");
  if (lpDevice->TestCooperativeLevel() != GPUERR_DEVICENOTRESET) {
    TraceLogf("復旧失敗…リセット可能な状態ではありません…");
    return 0;
  }
  TraceLogf("a");
  if (GpuFailed(lpDevice->Reset(lpDTCon->pp))) return 0;
  lpDTCon->bInScene = 0;
  DDSetDefaultRenderStates();
  if (g_BackBufferSD.lpDT) lpDevice->GetBackBuffer(0, 0, 0, &g_BackBufferSD.lpDT->lpSurface);

  // Copy: re-creation must not change the list it walks.
  std::vector<DDSURFACEDATA*> surfaces(g_SurfaceList.begin(), g_SurfaceList.end());
  int i = 0;
  for (DDSURFACEDATA* lpSD : surfaces) {
    TraceLogf("i = %d lpSD->szSurfaceType = %s lpSD->szFileName = %s Size = (%d,%d)", i++,
              lpSD->szSurfaceType, lpSD->szFileName, lpSD->nWidth, lpSD->nHeight);
    DTDATA* dt = lpSD->lpDT;
    // System-memory textures and their contents survived the reset.
    if (!dt || dt->nMemoryType == DTMEMORYTYPE_SYSTEM) continue;
    if (HasFile(*lpSD)) {
      if (DDCreateSurfaceFromFile(lpSD, lpSD->szFileName, dt->bColorKey, g_nBpp, lpSD->nDDMemory,
                                  dt->nMemoryType, 0, dt->lpPalIndexMap != nullptr,
                                  lpSD->nMirrorWidth, lpSD->nMirrorHeight, 1) != 0)
        TraceLogf("Err");
    } else {
      if (!DDCreateSurface(lpSD, lpSD->nWidth, lpSD->nHeight, dt->bColorKey, lpSD->nDDMemory,
                           dt->nMemoryType, 0, 1))
        TraceLogf("Err");
      lpSD->bLost = 1;
    }
  }
  DDRestoreTarget();
  if (g_fontsRestore) g_fontsRestore();
  if (!g_bWindowMode) GetPresenter()->ShowNormal();
  TraceLogf("Restore Out");
  return 1;
}

bool DDRestore() {
  if (lpDTCon) {
    TraceLogf("D3DではDDRestoreは未対応");
    return true;
  }
  cDDrawSurface* pPrimary = g_PrimarySD.DDSurface();
  if (!pPrimary || pPrimary->IsLost() != DDERR_SURFACELOST) return true;
  pPrimary->Restore();
  if (cDDrawSurface* pBack = g_BackBufferSD.DDSurface();
      pBack && pBack->IsLost() == DDERR_SURFACELOST)
    pBack->Restore();
  if (g_lpSDTable) {
    for (int i = 0; i < g_nSurfaceCount; ++i) {
      DDSURFACEDATA& sd = g_lpSDTable[i];
      cDDrawSurface* pSurface = sd.DDSurface();
      if (!pSurface || pSurface->IsLost() != DDERR_SURFACELOST) continue;
      pSurface->Restore();
      if (sd.nDDMemory != 0) continue;
      if (HasFile(sd))
        DDReloadSurface(&sd, g_nBpp);
      else
        sd.bLost = 1;
    }
  }
  if (g_nBpp == 8) DDShowPaletteEntries(g_PaletteShown, 0, 255);
  if (g_fontsRestore) g_fontsRestore();
  return true;
}
