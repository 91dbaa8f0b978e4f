#include "platform/draw/dd_device.h"

#include <cstring>

#include "app/base/clock.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "app/base/system_report.h"
#include "app/base/timing.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_internal.h"
#include "platform/draw/present/presenter.h"
#include "platform/draw/surface/dd_surface.h"

DTCON* lpDTCon = nullptr;
DDCON* lpDDCon = nullptr;

int g_bUseD3D = 0;
void* g_hWndDD = nullptr;
DDSIZE g_ScreenSize;
int g_nBpp = 0;
int g_nBytesPerPixel = 0;
int g_bWindowMode = 1;
int g_bVSync = 0;
int g_nBackBuffers = 1;
int g_nRefreshRate = 60;
int g_bUseRefreshRate = 0;
DDSURFACEDATA* g_lpSDTable = nullptr;
DDSURFACEINFO* g_lpSurfaceInfo = nullptr;
int g_nSurfaceCount = 0;
int g_bDDInitialized = 0;
uint8_t g_bDDStarted = 0;

cGpuDevice* lpDevice = nullptr;
cGpu* g_lpD3D = nullptr;
cDDrawObject* g_lpDD = nullptr;
cDDrawPalette* g_lpDDPalette = nullptr;
cDDrawClipper* g_lpDDClipper = nullptr;

uint32_t g_dwTransmitPixel = 0;
CHANNELFORMAT g_PixelFormat;
CHANNELFORMAT g_BackBufferFormat;
int g_nDesktopBpp = 0;
DDRECT g_ClientRect = {};

DDSURFACEDATA g_PrimarySD;
DDSURFACEDATA g_BackBufferSD;
DDSURFACEDATA g_VirBackBufferSD;
DDSURFACEDATA g_WorkSD;
DDSURFACEDATA g_FadeSD;

PALENTRY g_Palette[256];
PALENTRY g_PaletteBase[256];
PALENTRY g_PaletteShown[256];

namespace {

FramePaceFn g_framePacer;
std::function<int()> g_driverVersion;

// Whatever back-end record is left at program end goes with the program.
struct cDeviceRecordCleanup {
  ~cDeviceRecordCleanup() {
    delete lpDTCon;
    lpDTCon = nullptr;
    delete lpDDCon;
    lpDDCon = nullptr;
  }
} g_deviceRecordCleanup;

bool FramePaceDue(int nRate) {
  if (g_framePacer) return g_framePacer(nRate, 0, 0);
  return WaitRate(static_cast<uint32_t>(nRate > 0 ? nRate : 0));
}

void SetChannel(CHANNELFORMAT& f, int r, int g, int b, int a, int rm, int gm, int bm, int am) {
  f = CHANNELFORMAT{r, g, b, a, rm, gm, bm, am};
}

// Gives a record a surface-back-end holder for an existing display surface.
void AttachDDrawSurface(DDSURFACEDATA& sd, cDDrawSurface* pSurface) {
  sd.DDPrepareSurfaceData();
  if (sd.lpDDraw) sd.lpDDraw->lpSurface = pSurface;
}

}  // namespace

void SetFramePacer(FramePaceFn fn) { g_framePacer = std::move(fn); }
void SetDriverVersionQuery(std::function<int()> fn) { g_driverVersion = std::move(fn); }

// ---- start-up ------------------------------------------------------------------

bool DDInit(int bUseD3D, void* hWnd, int nWidth, int nHeight, int nBpp, int bVSync, int nWindowMode,
            int nBackBuffers, int nRefreshRate, int bUseRefreshRate, DDSURFACEDATA* lpSDTable,
            DDSURFACEINFO* lpSurfaceInfo, int nSurfaceCount, int /*nReserved*/) {
  g_bUseD3D = bUseD3D;
  g_hWndDD = hWnd;
  g_ScreenSize = DDSIZE{nWidth, nHeight};
  g_nBpp = nBpp;
  g_nBytesPerPixel = nBpp / 8;
  g_bVSync = bVSync;
  g_bWindowMode = nWindowMode;
  g_nBackBuffers = nBackBuffers;
  g_nRefreshRate = nRefreshRate;
  g_bUseRefreshRate = bUseRefreshRate;
  g_lpSDTable = lpSDTable;
  g_lpSurfaceInfo = lpSurfaceInfo;
  g_nSurfaceCount = nSurfaceCount;

  if (bUseD3D) {
    if (!DDInitD3D(hWnd, nWidth, nHeight, nBpp, nBackBuffers)) return false;
  } else if (nWindowMode == 0) {
    // The old device goes first (it owns the old DDCON); the new record is
    // made for the new device.
    if (g_bDDStarted) DDEnd();
    delete lpDDCon;
    lpDDCon = new DDCON;
    if (!DDCheckInitResult(DDInitFullScreen(hWnd, nWidth, nHeight, nBpp, nBackBuffers)))
      return false;
  } else if (nWindowMode == 1) {
    if (g_lpDD) g_lpDD->RestoreDisplayMode();
    if (g_bDDStarted) DDRelease();
    delete lpDDCon;
    lpDDCon = new DDCON;
    if (!DDCheckInitResult(DDInitWindow(hWnd))) return false;
  } else {
    delete lpDDCon;
    lpDDCon = new DDCON;
  }
  g_bDDInitialized = 1;
  g_bDDStarted = 1;
  return true;
}

int DDInitD3D(void* hWnd, int nWidth, int nHeight, int nBpp, int /*nBackBuffers*/) {
  int nVersion = g_driverVersion ? g_driverVersion() : GetDDIVersion();
  if (nVersion < 9) {
    ReportLog("ビデオカードのドライバがDirectX9をサポートしていません！ %d", nVersion);
    return 0;
  }
  g_lpD3D = CreateGpu();
  if (!g_lpD3D) {
    ReportLog("ビデオカードがDirectX9をサポートしていません！");
    return 0;
  }
  delete lpDTCon;
  lpDTCon = new DTCON;
  DTCON& con = *lpDTCon;
  con.dwDiffuse = 0xFFFFFFFF;
  con.dwColorOp = GPUTOP_MODULATE;
  con.dwAlphaOp = GPUTOP_MODULATE;
  cPresenter* pPresenter = GetPresenter();

  GPUPRESENTPARAMS& pp = con.pp;
  pp = GPUPRESENTPARAMS();
  if (g_bWindowMode) {
    pp.Windowed = 1;
    pp.BackBufferWidth = 0;
    pp.BackBufferHeight = 0;
    pp.FullScreen_RefreshRateInHz = 0;
    if (g_bVSync && pPresenter->ChangeDesktopRefreshRate(60, true)) {
      if (!pPresenter->ChangeDesktopRefreshRate(60, false))
        ReportLog("ChangeDisplaySettings Err = %x", 0);
    }
  } else {
    pp.Windowed = 0;
    pp.BackBufferWidth = nWidth;
    pp.BackBufferHeight = nHeight;
    pp.FullScreen_RefreshRateInHz = 60;
  }
  pp.PresentationInterval = g_bVSync ? GPUPRESENT_INTERVAL_DEFAULT : GPUPRESENT_INTERVAL_IMMEDIATE;

  con.nAdapter = 0;
  con.devType = 1;
  if (GpuFailed(g_lpD3D->GetDeviceCaps(0, 1, &con.caps))) TraceLogf("GetDeviceCaps Err");
  pp.SwapEffect =
      (con.caps.Caps3 & GPUCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD) ? GPUSWAP_DISCARD : GPUSWAP_COPY;
  con.bPow2 = (con.caps.TextureCaps & GPUTEXCAPS_POW2) != 0;
  con.bSquareOnly = (con.caps.TextureCaps & GPUTEXCAPS_SQUAREONLY) != 0;
  con.bDynamicTextures = (con.caps.Caps2 & GPUCAPS2_DYNAMICTEXTURES) != 0;

  if (nBpp == 16) {
    con.fmtBackBuffer = g_bWindowMode ? GPUFMT_A1R5G5B5 : GPUFMT_R5G6B5;
    con.fmtTexture = GPUFMT_A1R5G5B5;
    SetChannel(g_PixelFormat, 10, 5, 0, 15, 31, 31, 31, 1);
    if (g_bWindowMode)
      SetChannel(g_BackBufferFormat, 10, 5, 0, 15, 31, 31, 31, 1);
    else
      SetChannel(g_BackBufferFormat, 11, 5, 0, 16, 31, 63, 31, 0);
  } else if (nBpp == 32) {
    con.fmtBackBuffer = GPUFMT_X8R8G8B8;
    con.fmtTexture = GPUFMT_A8R8G8B8;
    SetChannel(g_PixelFormat, 16, 8, 0, 24, 255, 255, 255, 255);
  } else {
    return 0;
  }

  pp.BackBufferFormat = con.fmtBackBuffer;
  pp.BackBufferCount = 1;
  pp.hDeviceWindow = nullptr;
  pp.EnableAutoDepthStencil = 0;
  pp.AutoDepthStencilFormat = con.fmtBackBuffer;
  pp.Flags = GPUPRESENTFLAG_LOCKABLE_BACKBUFFER;

  GPURESULT hr =
      g_lpD3D->CreateDevice(0, 1, hWnd, GPUCREATE_HARDWARE_VERTEXPROCESSING, &pp, &lpDevice);
  if (!GpuFailed(hr)) {
    ReportLog("Device HAL-HARD");
  } else {
    hr = g_lpD3D->CreateDevice(0, 1, hWnd, GPUCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &lpDevice);
    if (!GpuFailed(hr)) ReportLog("Device HAL-SOFT");
  }
  con.fmtDisplay = con.fmtBackBuffer;
  if (GpuFailed(hr) || !lpDevice) {
    TraceLogf("CreateDevice Err");
    return 0;
  }
  ReportLog("%s", GpuFormatName(con.fmtBackBuffer));
  if (!g_bWindowMode) pPresenter->SetFullScreen(true, nWidth, nHeight, 60);

  DDSetDefaultRenderStates();
  DDResetDiffuse();
  DDResetColorOp();
  DDResetAlphaOp();

  // The back buffer record: the device's own back buffer as a render target.
  g_BackBufferSD.DDPrepareSurfaceData();
  if (!g_BackBufferSD.lpDT) return 0;
  DTDATA& bb = *g_BackBufferSD.lpDT;
  g_BackBufferSD.nWidth = g_BackBufferSD.nTextureWidth = nWidth;
  g_BackBufferSD.nHeight = g_BackBufferSD.nTextureHeight = nHeight;
  g_BackBufferSD.nDDMemory = 0;
  bb.nMemoryType = DTMEMORYTYPE_VIDEO_RT;
  std::strcpy(g_BackBufferSD.szSurfaceType, "BackBuffer");
  bb.bColorKey = 0;
  bb.bRenderTarget = 1;
  if (!bb.lpVB) {
    hr = lpDevice->CreateVertexBuffer(4 * sizeof(GPUVERTEX), GPUUSAGE_WRITEONLY, GPUFVF_SCREENQUAD,
                                      GPUPOOL_MANAGED, &bb.lpVB);
    if (GpuFailed(hr)) {
      ReportLog("Back CreateVertexBuffer Err %x", static_cast<unsigned>(hr));
      return 0;
    }
  }
  lpDevice->GetBackBuffer(0, 0, 0, &bb.lpSurface);
  bb.nLevelWidth = bb.lpSurface->Width();
  bb.nLevelHeight = bb.lpSurface->Height();
  bb.levelFormat = bb.lpSurface->Format();
  bb.nNumber = 0;
  con.nSurfaceNumber = 1;
  con.nFontNumber = 0;
  con.lpTargetSD = &g_BackBufferSD;

  g_VirBackBufferSD.DDPrepareSurfaceData();
  DDSetVirBackBuffer(0);
  DDCreateSurface(&g_VirBackBufferSD, nWidth, nHeight, 0, 0, 0, 0, 0);
  std::strcpy(g_VirBackBufferSD.szSurfaceType, "VirBackBuffer");
  DDCreateSurface(&g_WorkSD, nWidth, nHeight, 0, 0, 0, 0, 0);
  std::strcpy(g_WorkSD.szSurfaceType, "WorkSD");

  if (!g_bWindowMode) pPresenter->ShowCursor(false);
  return 1;
}

int DDInitFullScreen(void* hWnd, int nWidth, int nHeight, int nBpp, int nBackBuffers) {
  g_PrimarySD.nWidth = g_BackBufferSD.nWidth = g_FadeSD.nWidth = nWidth;
  g_PrimarySD.nHeight = g_BackBufferSD.nHeight = g_FadeSD.nHeight = nHeight;
  g_PrimarySD.nDDMemory = 0;
  g_BackBufferSD.nDDMemory = 0;
  g_FadeSD.nDDMemory = 1;

  g_lpDD = CreateDDrawObject();
  if (!g_lpDD) {
    ReportLog("DirectDrawCreateEx Err");
    return 1;
  }
  g_lpDD->SetPresenter(GetPresenter());
  if (g_lpDD->SetCooperativeLevel(hWnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT) !=
      DD_OK) {
    ReportLog("SetCooperativeLevel Err");
    return 2;
  }
  DDRESULT hr;
  if (g_bUseRefreshRate) {
    hr = g_lpDD->SetDisplayMode(nWidth, nHeight, nBpp, g_nRefreshRate, 0);
    if (hr != DD_OK) hr = g_lpDD->SetDisplayMode(nWidth, nHeight, nBpp, 0, 0);
  } else {
    hr = g_lpDD->SetDisplayMode(nWidth, nHeight, nBpp, 0, 0);
  }
  if (hr != DD_OK) {
    ReportLog("SetDisplayMode Err");
    return 3;
  }
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  desc.nBackBufferCount = nBackBuffers == 1 ? 1 : 2;
  cDDrawSurface* pPrimary = nullptr;
  if (g_lpDD->CreateSurface(&desc, &pPrimary, nullptr) != DD_OK) {
    ReportLog("Primary CreateSurface Err");
    return 4;
  }
  AttachDDrawSurface(g_PrimarySD, pPrimary);
  cDDrawSurface* pBack = nullptr;
  if (pPrimary->GetAttachedSurface(DDSCAPS_BACKBUFFER, &pBack) != DD_OK) {
    ReportLog("GetAttachedSurface Err");
    return 5;
  }
  AttachDDrawSurface(g_BackBufferSD, pBack);
  if (!DDCreateSurface(&g_FadeSD, nWidth, nHeight, 0, 1, 0, 0, 0)) return 4;

  DDPALETTEENTRY entries[256];
  for (int i = 0; i < 256; ++i)
    entries[i] = DDPALETTEENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0, PC_RESERVED};
  entries[0].peBlue = 255;
  if (g_lpDD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &g_lpDDPalette, nullptr) !=
      DD_OK) {
    ReportLog("CreatePalette Err");
    return 6;
  }
  if (nBpp > 8) {
    DDGetPixelFormat(&g_PixelFormat);
  } else if (pPrimary->SetPalette(g_lpDDPalette) != DD_OK) {
    ReportLog("SetPalette Err");
    return 7;
  }
  GetPresenter()->ShowCursor(false);
  return 0;
}

int DDInitWindow(void* hWnd) {
  const DDRAWSETUP& setup = DDrawSetup();
  g_ClientRect = DDRECT{setup.nClientX, setup.nClientY, setup.nClientX + setup.nClientWidth,
                        setup.nClientY + setup.nClientHeight};
  const int w = setup.nClientWidth, h = setup.nClientHeight;
  g_PrimarySD.nWidth = g_BackBufferSD.nWidth = g_FadeSD.nWidth = w;
  g_PrimarySD.nHeight = g_BackBufferSD.nHeight = g_FadeSD.nHeight = h;
  g_PrimarySD.nDDMemory = 0;
  g_BackBufferSD.nDDMemory = 0;
  g_FadeSD.nDDMemory = 1;
  g_nDesktopBpp = setup.nDesktopBpp;

  g_lpDD = CreateDDrawObject();
  if (!g_lpDD) {
    ReportLog("DirectDrawCreateEx Err");
    return 1;
  }
  g_lpDD->SetPresenter(GetPresenter());
  if (g_lpDD->SetCooperativeLevel(hWnd, DDSCL_NORMAL) != DD_OK) {
    ReportLog("SetCooperativeLevel Err");
    return 2;
  }
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS;
  desc.dwCaps = DDSCAPS_PRIMARYSURFACE;
  cDDrawSurface* pPrimary = nullptr;
  if (g_lpDD->CreateSurface(&desc, &pPrimary, nullptr) != DD_OK) {
    ReportLog("Primary CreateSurface Err");
    return 4;
  }
  AttachDDrawSurface(g_PrimarySD, pPrimary);
  if (!DDCreateSurface(&g_BackBufferSD, w, h, 0, 0, 0, 0, 0)) return 4;
  if (!DDCreateSurface(&g_FadeSD, w, h, 0, 1, 0, 0, 0)) return 4;

  DDPALETTEENTRY entries[256];
  for (int i = 0; i < 256; ++i) {
    bool bSystem = i < 10 || i > 245;
    entries[i] =
        bSystem ? DDPALETTEENTRY{static_cast<uint8_t>(i), 0, 0, PC_EXPLICIT}
                : DDPALETTEENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0, PC_RESERVED};
  }
  if (g_lpDD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &g_lpDDPalette, nullptr) !=
      DD_OK) {
    ReportLog("CreatePalette Err");
    return 6;
  }
  if (g_nDesktopBpp > 8) {
    DDGetPixelFormat(&g_PixelFormat);
  } else if (pPrimary->SetPalette(g_lpDDPalette) != DD_OK) {
    ReportLog("SetPalette Err");
    return 7;
  }
  if (g_lpDD->CreateClipper(0, &g_lpDDClipper, nullptr) != DD_OK) {
    ReportLog("CreateClipper Err");
    return 10;
  }
  if (g_lpDDClipper->SetHWnd(0, hWnd) != DD_OK) {
    ReportLog("SetHWnd Err");
    return 11;
  }
  if (pPrimary->SetClipper(g_lpDDClipper) != DD_OK) {
    ReportLog("SetClipper Err");
    return 12;
  }
  GetPresenter()->ShowCursor(true);
  return 0;
}

bool DDCheckInitResult(int nCode) {
  static const struct {
    int nCode;
    const char* pszName;
  } kNames[] = {{1, "CREATEEX_ERR"},      {2, "SETCOOPLEVEL_ERR"},       {3, "SETDISPLAYMODE_ERR"},
                {4, "CREATESURFACE_ERR"}, {5, "GETATTACHEDSURFACE_ERR"}, {6, "CREATEPALETTE_ERR"},
                {7, "SETPALETTE_ERR"},    {10, "CLIPPER_ERR"},           {11, "SETHWND_ERR"},
                {12, "SETCLIPPER_ERR"}};
  if (nCode == 0) return true;
  for (const auto& n : kNames) {
    if (n.nCode == nCode) {
      TraceLogf("%s", n.pszName);
      return false;
    }
  }
  return true;
}

void DDGetPixelFormat(CHANNELFORMAT* lpFormat) {
  cDDrawSurface* pPrimary = g_PrimarySD.DDSurface();
  if (!pPrimary) return;
  DDPIXELFORMAT pf;
  pPrimary->GetPixelFormat(&pf);
  auto channel = [&](uint32_t mask, int* pShift, int* pMax) {
    int nShift = 0;
    while (nShift < pf.nBitCount && !(mask & (1u << nShift))) ++nShift;
    *pShift = nShift;
    *pMax = nShift < 32 ? static_cast<int>(mask >> nShift) : 0;
  };
  *lpFormat = CHANNELFORMAT();
  channel(pf.dwRBitMask, &lpFormat->nRedShift, &lpFormat->nRedMax);
  channel(pf.dwGBitMask, &lpFormat->nGreenShift, &lpFormat->nGreenMax);
  channel(pf.dwBBitMask, &lpFormat->nBlueShift, &lpFormat->nBlueMax);
}

// ---- release ---------------------------------------------------------------------

void DDRelease() {
  if (g_lpDD) {
    if (g_lpSDTable)
      for (int i = 0; i < g_nSurfaceCount; ++i) DDReleaseSurface(&g_lpSDTable[i]);
    if (g_lpDDClipper) {
      g_lpDDClipper->Release();
      g_lpDDClipper = nullptr;
    }
    if (g_lpDDPalette) {
      g_lpDDPalette->Release();
      g_lpDDPalette = nullptr;
    }
    DDReleaseSurface(&g_BackBufferSD);
    DDReleaseSurface(&g_PrimarySD);
    DDReleaseSurface(&g_FadeSD);
    if (g_lpDD->Release() != 0) {
      ShowMessageBox("解放漏れがあります", "DirectDraw",
                     MsgBoxType{MsgBoxButtons::Ok, MsgBoxIcon::Error});
    }
    g_lpDD = nullptr;
    delete lpDDCon;
    lpDDCon = nullptr;
  }
  if (g_lpD3D) {
    if (lpDevice) {
      if (g_lpSDTable)
        for (int i = 0; i < g_nSurfaceCount; ++i) DDReleaseSurface(&g_lpSDTable[i]);
      DDReleaseSurface(&g_WorkSD);
      DDReleaseSurface(&g_VirBackBufferSD);
      DDReleaseSurface(&g_BackBufferSD);
      lpDevice->Release();
      lpDevice = nullptr;
    }
    g_lpD3D->Release();
    g_lpD3D = nullptr;
  }
  // A textured start that failed after its record was made leaves it here, so
  // that a retry with the surface back end takes the surface paths.
  delete lpDTCon;
  lpDTCon = nullptr;
  g_bDDInitialized = 0;
}

void DDEnd() { DDRelease(); }

void DDSetDefaultRenderStates() {
  if (!lpDevice) return;
  lpDevice->SetRenderState(GPURS_CULLMODE, GPUCULL_NONE);
  lpDevice->SetRenderState(GPURS_ZENABLE, 0);
  lpDevice->SetRenderState(GPURS_ALPHABLENDENABLE, 1);
  lpDevice->SetRenderState(GPURS_SRCBLEND, GPUBLEND_SRCALPHA);
  lpDevice->SetRenderState(GPURS_DESTBLEND, GPUBLEND_INVSRCALPHA);
  lpDevice->SetRenderState(GPURS_DIFFUSEMATERIALSOURCE, GPUMCS_COLOR1);
  lpDevice->SetRenderState(GPURS_COLORVERTEX, 1);
  for (int i = 0; i < 2; ++i) {
    lpDevice->SetSamplerState(i, GPUSAMP_ADDRESSU, GPUTADDRESS_WRAP);
    lpDevice->SetSamplerState(i, GPUSAMP_ADDRESSV, GPUTADDRESS_WRAP);
    lpDevice->SetSamplerState(i, GPUSAMP_MINFILTER, GPUTEXF_POINT);
    lpDevice->SetSamplerState(i, GPUSAMP_MAGFILTER, GPUTEXF_POINT);
  }
}

// ---- virtual back buffer, scenes, targets -------------------------------------------

void DDSetVirBackBuffer(int bOn) {
  if (!lpDTCon) return;
  if (lpDTCon->bVirBackBuffer && !bOn && g_VirBackBufferSD.lpDT &&
      g_VirBackBufferSD.lpDT->lpSurface)
    DDCopyVirBackBuffer(&g_BackBufferSD, &g_VirBackBufferSD);
  lpDTCon->bVirBackBuffer = bOn;
  lpDTCon->lpTargetSD = bOn ? &g_BackBufferSD : &g_VirBackBufferSD;
  DDSURFACEDATA* lpSD = lpDTCon->lpTargetSD;
  if (lpDevice && lpSD->lpDT && lpSD->lpDT->lpSurface)
    lpDevice->SetRenderTarget(0, lpSD->lpDT->lpSurface);
}

int DDRedirectBackBuffer(DDSURFACEDATA** lplpSD) {
  if (lpDTCon && lpDTCon->bVirBackBuffer && *lplpSD == &g_BackBufferSD) {
    *lplpSD = &g_VirBackBufferSD;
    return 1;
  }
  return 0;
}

void DDCopyVirBackBuffer(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD) {
  if (!lpDTCon) return;
  lpDTCon->bCopyingVirBack = 1;
  DDSetAlphaOp(GPUTOP_DISABLE);
  DDBlt(lpDstSD, 0, 0, lpSrcSD->nWidth, lpSrcSD->nHeight, lpSrcSD, 0, 0, 0);
  DDResetAlphaOp();
  lpDTCon->bCopyingVirBack = 0;
}

int DDFlip(int nFrameRate, int, uint32_t) {
  if (!lpDTCon || !lpDevice) return 1;
  if (lpDTCon->bVirBackBuffer) DDCopyVirBackBuffer(&g_BackBufferSD, &g_VirBackBufferSD);
  if (!g_bVSync)
    while (!FramePaceDue(nFrameRate)) SleepMs(1);
  DDEndScene();
  GPURESULT hr = lpDevice->Present(nullptr, nullptr, nullptr, nullptr);
  if (hr == GPUERR_DEVICELOST) {
    if (!g_bWindowMode) GetPresenter()->Minimize();
    return 0;
  }
  return 1;
}

int DDBeginScene() {
  if (!lpDevice || !lpDTCon) return 0;
  if (lpDTCon->bInScene) return 1;
  GPURESULT hr = lpDevice->BeginScene();
  if (GpuFailed(hr)) {
    ReportLog("BeginScene Err %x", static_cast<unsigned>(hr));
    return 0;
  }
  lpDTCon->bInScene = 1;
  return 1;
}

void DDEndScene() {
  if (lpDevice && lpDTCon && lpDTCon->bInScene) {
    lpDevice->EndScene();
    lpDTCon->bInScene = 0;
  }
}

int DDSetRenderTarget(int, DDSURFACEDATA* lpSD) {
  if (!lpDevice || !lpSD || !lpSD->lpDT || !lpSD->lpDT->bRenderTarget) return 0;
  // A target whose texture went with a lost device: the draw is dropped
  // quietly until the reset brings it back (no report line per draw).
  if (!lpSD->lpDT->lpSurface) return 0;
  GPURESULT hr = lpDevice->SetRenderTarget(0, lpSD->lpDT->lpSurface);
  if (GpuFailed(hr)) {
    ReportLog("SetRenderTarget Err %x (%s)", static_cast<unsigned>(hr), lpSD->szFileName);
    return 0;
  }
  return 1;
}

void DDResolveParentSD(DDSURFACEDATA** lplpSD) {
  if (lpDTCon && *lplpSD && (*lplpSD)->lpParentSD) *lplpSD = (*lplpSD)->lpParentSD;
}

// ---- draw state ------------------------------------------------------------------------

void DDSetDiffuse(uint32_t dwColor) {
  if (lpDTCon) lpDTCon->dwDiffuse = dwColor;
}
void DDResetDiffuse() { DDSetDiffuse(0xFFFFFFFF); }
void DDSetColorOp(uint32_t dwOp) {
  if (lpDTCon) lpDTCon->dwColorOp = dwOp;
}
void DDResetColorOp() { DDSetColorOp(GPUTOP_MODULATE); }
void DDSetAlphaOp(uint32_t dwOp) {
  if (lpDTCon) lpDTCon->dwAlphaOp = dwOp;
}
void DDResetAlphaOp() { DDSetAlphaOp(GPUTOP_SELECTARG1); }

// ---- texture size rules --------------------------------------------------------------------

void DDAdjustTextureSize(int* lpnWidth, int* lpnHeight) {
  if (!lpDTCon) return;
  auto pow2 = [](int n) {
    if (n <= 0 || (n & (n - 1)) == 0) return n;
    int p = 1;
    while (p <= n && p < (1 << 30)) p <<= 1;
    return p;
  };
  if (lpDTCon->bPow2) {
    *lpnWidth = pow2(*lpnWidth);
    *lpnHeight = pow2(*lpnHeight);
  }
  if (lpDTCon->bSquareOnly) {
    int n = *lpnWidth > *lpnHeight ? *lpnWidth : *lpnHeight;
    *lpnWidth = *lpnHeight = n;
  }
}

int DDCheckTextureSize(int nWidth, int nHeight) {
  if (!lpDTCon) return 1;
  int bOk = 1;
  if (nWidth > lpDTCon->caps.MaxTextureWidth) {
    ReportLog("このビデオカードでは横幅%dを超える画像はサポートされていません！",
              lpDTCon->caps.MaxTextureWidth);
    bOk = 0;
  }
  if (nHeight > lpDTCon->caps.MaxTextureHeight) {
    ReportLog("このビデオカードでは縦幅%dを超える画像はサポートされていません！",
              lpDTCon->caps.MaxTextureHeight);
    bOk = 0;
  }
  return bOk;
}

// ---- tests -----------------------------------------------------------------------------------

void DDResetForTests() {
  DDRelease();
  g_SurfaceList.clear();
  auto clear = [](DDSURFACEDATA& sd) { sd = DDSURFACEDATA(); };
  clear(g_PrimarySD);
  clear(g_BackBufferSD);
  clear(g_VirBackBufferSD);
  clear(g_WorkSD);
  clear(g_FadeSD);
  g_bUseD3D = 0;
  g_hWndDD = nullptr;
  g_ScreenSize = DDSIZE();
  g_nBpp = g_nBytesPerPixel = 0;
  g_bWindowMode = 1;
  g_bVSync = 0;
  g_nBackBuffers = 1;
  g_nRefreshRate = 60;
  g_bUseRefreshRate = 0;
  g_lpSDTable = nullptr;
  g_lpSurfaceInfo = nullptr;
  g_nSurfaceCount = 0;
  g_bDDStarted = 0;
  g_dwTransmitPixel = 0;
  g_PixelFormat = CHANNELFORMAT();
  g_BackBufferFormat = CHANNELFORMAT();
  g_nDesktopBpp = 0;
  g_ClientRect = DDRECT{};
  for (int i = 0; i < 256; ++i) g_Palette[i] = g_PaletteBase[i] = g_PaletteShown[i] = PALENTRY();
  g_framePacer = nullptr;
  g_driverVersion = nullptr;
  ResetGpuAdapterSetup();
  ResetDDrawSetup();
  DDEndBatch();
  DDDropFillBatch();
}
