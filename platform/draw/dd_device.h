#pragma once
// The drawing library's device: its global state, the start-up and release of
// the two back ends (the textured device of gpu_device.h and the surface
// display of ddraw_device.h), the virtual back buffer, scenes and render
// targets, the frame present and the per-draw state setters.
//
// lpDTCon non-null means the textured back end runs; otherwise the surface
// back end (lpDDCon). Nothing here is thread-safe: one drawing thread at a
// time, start-up and release on the main thread while no thread draws.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/draw/devices/ddraw_device.h"
#include "platform/draw/devices/gpu_device.h"

struct DDSURFACEDATA;
struct DDSURFACEINFO;

// Colour bytes in the order the records keep them.
struct DDRGBTRIPLE {
  uint8_t rgbtBlue = 0, rgbtGreen = 0, rgbtRed = 0;
};

// One palette entry {red, green, blue, flag}.
struct PALENTRY {
  uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
};

// Channel layout of a pixel: a channel value v (0..maximum) sits at v << shift.
struct CHANNELFORMAT {
  int nRedShift = 0, nGreenShift = 0, nBlueShift = 0, nAlphaShift = 0;
  int nRedMax = 0, nGreenMax = 0, nBlueMax = 0, nAlphaMax = 0;
};

struct DTCON {
  GPUFORMAT fmtBackBuffer = GPUFMT_UNKNOWN;
  GPUFORMAT fmtTexture = GPUFMT_UNKNOWN;
  GPUPRESENTPARAMS pp;
  int nAdapter = 0;
  int devType = 1;  // hardware
  GPUFORMAT fmtDisplay = GPUFMT_UNKNOWN;
  GPUCAPS caps;
  int bPow2 = 0;
  int bSquareOnly = 0;
  int bDynamicTextures = 0;
  int bVirBackBuffer = 0;
  DDSURFACEDATA* lpTargetSD = nullptr;
  int bCopyingVirBack = 0;
  DDRGBTRIPLE rgbTransmit;
  DDRGBTRIPLE rgbTransmitKey;
  uint32_t dwTransmitTexel = 0;
  uint32_t dwTransmitColor = 0;
  uint16_t wTransmit_16 = 0;
  uint16_t wTransmitOpaque_16 = 0;
  int bInScene = 0;
  uint32_t dwDiffuse = 0xFFFFFFFF;
  uint32_t dwColorOp = GPUTOP_MODULATE;
  uint32_t dwAlphaOp = GPUTOP_MODULATE;
  int nSurfaceNumber = 0;
  int nFontNumber = 0;
  std::string strAdvice;
};

struct DDCON {
  DDRGBTRIPLE rgbTransmit;
  DDRGBTRIPLE rgbTransmitKey;
  int nFontNumber = 0;
};

// ---- global state ---------------------------------------------------------
extern DTCON* lpDTCon;
extern DDCON* lpDDCon;

extern int g_bUseD3D;
extern void* g_hWndDD;
struct DDSIZE {
  int cx = 0, cy = 0;
};
extern DDSIZE g_ScreenSize;
extern int g_nBpp;
extern int g_nBytesPerPixel;
extern int g_bWindowMode;
extern int g_bVSync;
extern int g_nBackBuffers;
extern int g_nRefreshRate;
extern int g_bUseRefreshRate;
extern DDSURFACEDATA* g_lpSDTable;
extern DDSURFACEINFO* g_lpSurfaceInfo;
extern int g_nSurfaceCount;
extern int g_bDDInitialized;
extern uint8_t g_bDDStarted;

extern cGpuDevice* lpDevice;
extern cGpu* g_lpD3D;
extern cDDrawObject* g_lpDD;
extern cDDrawPalette* g_lpDDPalette;
extern cDDrawClipper* g_lpDDClipper;

extern uint32_t g_dwTransmitPixel;
extern CHANNELFORMAT g_PixelFormat;
extern CHANNELFORMAT g_BackBufferFormat;
extern int g_nDesktopBpp;
extern DDRECT g_ClientRect;

extern DDSURFACEDATA g_PrimarySD;
extern DDSURFACEDATA g_BackBufferSD;
extern DDSURFACEDATA g_VirBackBufferSD;
extern DDSURFACEDATA g_WorkSD;
extern DDSURFACEDATA g_FadeSD;

// The loaded palette, the base the fades start from, and the working copy
// that fades and palette effects write and the 8-bit display shows.
extern PALENTRY g_Palette[256];
extern PALENTRY g_PaletteBase[256];
extern PALENTRY g_PaletteShown[256];

// ---- start-up and release ---------------------------------------------------
bool DDInit(int bUseD3D, void* hWnd, int nWidth, int nHeight, int nBpp, int bVSync, int nWindowMode,
            int nBackBuffers, int nRefreshRate, int bUseRefreshRate, DDSURFACEDATA* lpSDTable,
            DDSURFACEINFO* lpSurfaceInfo, int nSurfaceCount, int nReserved = 0);
int DDInitD3D(void* hWnd, int nWidth, int nHeight, int nBpp, int nBackBuffers);
int DDInitFullScreen(void* hWnd, int nWidth, int nHeight, int nBpp, int nBackBuffers);
int DDInitWindow(void* hWnd);
bool DDCheckInitResult(int nCode);
void DDRelease();
void DDEnd();
void DDSetDefaultRenderStates();
void DDGetPixelFormat(CHANNELFORMAT* lpFormat);

// ---- virtual back buffer, scenes, targets ------------------------------------
void DDSetVirBackBuffer(int bOn);
int DDRedirectBackBuffer(DDSURFACEDATA** lplpSD);
void DDCopyVirBackBuffer(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD);
int DDFlip(int nFrameRate, int nDebug, uint32_t dwColor);
int DDBeginScene();
void DDEndScene();
int DDSetRenderTarget(int nIgnored, DDSURFACEDATA* lpSD);
void DDResolveParentSD(DDSURFACEDATA** lplpSD);

// ---- draw state ---------------------------------------------------------------
void DDSetDiffuse(uint32_t dwColor);
void DDResetDiffuse();
void DDSetColorOp(uint32_t dwOp);
void DDResetColorOp();
void DDSetAlphaOp(uint32_t dwOp);
void DDResetAlphaOp();

// ---- texture size rules -------------------------------------------------------
void DDAdjustTextureSize(int* lpnWidth, int* lpnHeight);
int DDCheckTextureSize(int nWidth, int nHeight);

// ---- seams ----------------------------------------------------------------------
// The frame limiter DDFlip waits on when vertical sync is off: true when the
// frame is due. The application installs its own; the default is WaitRate.
using FramePaceFn = std::function<bool(int nRate, int nDebug, uint32_t dwColor)>;
void SetFramePacer(FramePaceFn fn);
// The display driver check before the textured back end starts (a version
// number; below 9 refuses). The default asks GetDDIVersion.
void SetDriverVersionQuery(std::function<int()> fn);
// What the font caches do around a device reset (DDRestoreSurface) and a
// surface restore (DDRestore): onLostDevice before the textured device is
// reset, onRestore after surfaces came back.
void SetFontDeviceHooks(std::function<void()> onLostDevice, std::function<void()> onRestore);
// Releases everything and puts every global of the drawing library back to
// its start-up value (tests).
void DDResetForTests();
