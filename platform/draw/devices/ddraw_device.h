#pragma once
// A software display with the shape the drawing library's surface back end
// expects: surfaces in the display's pixel format (8-bit indexed with a
// 256-entry palette, 16-bit R5G6B5, 24-bit, 32-bit), colour fills, plain,
// colour-keyed and stretched blits, locks with a pitch, a primary surface
// with a flip chain, a palette and a clipper. The primary hands what it shows
// to a cPresenter, converted to 32 bits (8-bit through the palette).

#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

#include "platform/draw/pixels/pixel_store.h"

class cPresenter;

using DDRESULT = int32_t;
inline constexpr DDRESULT DD_OK = 0;
inline constexpr DDRESULT DDERR_SURFACELOST = static_cast<DDRESULT>(0x887601C2u);
inline constexpr DDRESULT DDERR_INVALIDPARAMS = static_cast<DDRESULT>(0x80070057u);
inline constexpr DDRESULT DDERR_OUTOFVIDEOMEMORY = static_cast<DDRESULT>(0x8876017Cu);
inline constexpr DDRESULT DDERR_SURFACEBUSY = static_cast<DDRESULT>(0x887601AEu);
inline constexpr DDRESULT DDERR_GENERIC = static_cast<DDRESULT>(0x80004005u);
inline constexpr DDRESULT DDERR_NOTFOUND = static_cast<DDRESULT>(0x887600FFu);

inline constexpr uint32_t DDSCAPS_BACKBUFFER = 0x4;
inline constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
inline constexpr uint32_t DDSCAPS_FLIP = 0x10;
inline constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
inline constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
inline constexpr uint32_t DDSCAPS_SYSTEMMEMORY = 0x800;
inline constexpr uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;

inline constexpr uint32_t DDSD_CAPS = 0x1;
inline constexpr uint32_t DDSD_HEIGHT = 0x2;
inline constexpr uint32_t DDSD_WIDTH = 0x4;
inline constexpr uint32_t DDSD_BACKBUFFERCOUNT = 0x20;

inline constexpr uint32_t DDBLT_COLORFILL = 0x400;
inline constexpr uint32_t DDBLT_KEYSRC = 0x8000;
inline constexpr uint32_t DDBLT_WAIT = 0x1000000;
inline constexpr uint32_t DDBLTFAST_NOCOLORKEY = 0x0;
inline constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 0x1;
inline constexpr uint32_t DDBLTFAST_WAIT = 0x10;
inline constexpr uint32_t DDFLIP_WAIT = 0x1;
inline constexpr uint32_t DDLOCK_WAIT = 0x1;
inline constexpr uint32_t DDCKEY_SRCBLT = 0x8;

inline constexpr uint32_t DDSCL_NORMAL = 0x8;
inline constexpr uint32_t DDSCL_FULLSCREEN = 0x1;
inline constexpr uint32_t DDSCL_ALLOWREBOOT = 0x2;
inline constexpr uint32_t DDSCL_EXCLUSIVE = 0x10;

inline constexpr uint32_t DDPCAPS_8BIT = 0x4;
inline constexpr uint32_t DDPCAPS_ALLOW256 = 0x400;
inline constexpr uint8_t PC_RESERVED = 0x1;
inline constexpr uint8_t PC_EXPLICIT = 0x2;

struct DDRECT {
  int32_t left, top, right, bottom;  // right and bottom exclusive
};

struct DDPIXELFORMAT {
  int nBitCount = 0;
  uint32_t dwRBitMask = 0, dwGBitMask = 0, dwBBitMask = 0;
};

struct DDSURFACEDESC2 {
  uint32_t dwSize = sizeof(DDSURFACEDESC2);
  uint32_t dwFlags = 0;
  int nWidth = 0, nHeight = 0;
  int lPitch = 0;  // bytes
  int nBackBufferCount = 0;
  uint32_t dwCaps = 0;
  DDPIXELFORMAT pixelFormat;
  void* lpSurface = nullptr;
};

struct DDCOLORKEY {
  uint32_t dwColorSpaceLowValue = 0, dwColorSpaceHighValue = 0;
};

struct DDPALETTEENTRY {
  uint8_t peRed, peGreen, peBlue, peFlags;
};

class cDDrawObject;

class cDDrawPalette {
 public:
  DDRESULT SetEntries(uint32_t dwFlags, int nStart, int nCount, const DDPALETTEENTRY* pEntries);
  DDRESULT GetEntries(uint32_t dwFlags, int nStart, int nCount, DDPALETTEENTRY* pEntries) const;
  const DDPALETTEENTRY* Entries() const { return m_entries; }
  void Release() { delete this; }

 private:
  DDPALETTEENTRY m_entries[256] = {};
};

class cDDrawClipper {
 public:
  DDRESULT SetHWnd(uint32_t dwFlags, void* hWnd);
  void* HWnd() const { return m_hWnd; }
  void Release() { delete this; }

 private:
  void* m_hWnd = nullptr;
};

class cDDrawSurface {
 public:
  DDRESULT Blt(const DDRECT* pDstRect, cDDrawSurface* pSrc, const DDRECT* pSrcRect,
               uint32_t dwFlags, uint32_t dwFillColor);
  DDRESULT BltFast(int x, int y, cDDrawSurface* pSrc, const DDRECT* pSrcRect, uint32_t dwTrans);
  DDRESULT Lock(const DDRECT* pRect, DDSURFACEDESC2* pDesc, uint32_t dwFlags, void* hEvent);
  DDRESULT Unlock(const DDRECT* pRect);
  DDRESULT Flip(cDDrawSurface* pTarget, uint32_t dwFlags);
  DDRESULT IsLost() const { return m_bLost ? DDERR_SURFACELOST : DD_OK; }
  DDRESULT Restore();
  DDRESULT GetAttachedSurface(uint32_t dwCaps, cDDrawSurface** ppSurface);
  DDRESULT SetColorKey(uint32_t dwFlags, const DDCOLORKEY* pKey);
  DDRESULT SetPalette(cDDrawPalette* pPalette);
  DDRESULT SetClipper(cDDrawClipper* pClipper);
  DDRESULT GetPixelFormat(DDPIXELFORMAT* pFormat) const;
  DDRESULT GetSurfaceDesc(DDSURFACEDESC2* pDesc) const;
  // Releases the surface (a primary takes its attached back buffers along;
  // an attached back buffer is released with its primary).
  void Release();

  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  int Pitch() const { return m_nPitch; }
  int BytesPerPixel() const { return m_nBytes; }
  bool InSystemMemory() const { return (m_dwCaps & DDSCAPS_SYSTEMMEMORY) != 0; }
  bool HasColorKey() const { return m_bColorKey; }
  uint32_t ColorKey() const { return m_dwColorKey; }
  uint8_t* Row(int y) { return m_pixels.data() + static_cast<size_t>(y) * m_nPitch; }
  const uint8_t* Row(int y) const { return m_pixels.data() + static_cast<size_t>(y) * m_nPitch; }
  uint32_t ReadPixel(int x, int y) const;
  void WritePixel(int x, int y, uint32_t value);

 private:
  friend class cDDrawObject;
  cDDrawSurface(cDDrawObject* pOwner, int w, int h, int nBpp, uint32_t dwCaps);
  ~cDDrawSurface() = default;
  void PresentIfPrimary();
  bool ClipToClipper(DDRECT& rc) const;

  cDDrawObject* m_pOwner;
  int m_nWidth, m_nHeight, m_nBytes, m_nPitch;
  uint32_t m_dwCaps;
  bool m_bLost = false;
  bool m_bLocked = false;
  bool m_bColorKey = false;
  uint32_t m_dwColorKey = 0;
  cDDrawPalette* m_pPalette = nullptr;
  cDDrawClipper* m_pClipper = nullptr;
  cDDrawSurface* m_pAttached = nullptr;  // flip chain: primary -> back buffer
  cDDrawSurface* m_pParentChain = nullptr;
  int m_nOriginX = 0, m_nOriginY = 0;  // window primary: the client area's screen position
  cPixelStore m_pixels;
};

// Knobs of the simulated display (tests use them to reach failure paths).
struct DDRAWSETUP {
  bool bAvailable = true;
  int nDesktopBpp = 32;
  // The client area in screen coordinates (the window's primary takes
  // destination rectangles in screen coordinates).
  int nClientX = 0, nClientY = 0, nClientWidth = 640, nClientHeight = 480;
  bool bRefuseRefreshRate = false;  // SetDisplayMode refuses an explicit rate
  size_t nVideoMemoryBytes = 64u << 20;
  bool bRefuseSystemMemory = false;
};
DDRAWSETUP& DDrawSetup();
void ResetDDrawSetup();

class cDDrawObject {
 public:
  DDRESULT SetCooperativeLevel(void* hWnd, uint32_t dwFlags);
  DDRESULT SetDisplayMode(int w, int h, int nBpp, int nRefresh, uint32_t dwFlags);
  DDRESULT RestoreDisplayMode();
  DDRESULT CreateSurface(DDSURFACEDESC2* pDesc, cDDrawSurface** ppSurface, void* pOuter);
  DDRESULT CreatePalette(uint32_t dwFlags, const DDPALETTEENTRY* pEntries,
                         cDDrawPalette** ppPalette, void* pOuter);
  DDRESULT CreateClipper(uint32_t dwFlags, cDDrawClipper** ppClipper, void* pOuter);
  DDRESULT WaitForVerticalBlank(uint32_t dwFlags, void* hEvent);
  // Returns the references still held: every surface not yet released.
  int Release();

  int DisplayBpp() const { return m_nBpp; }
  void SetPresenter(cPresenter* pPresenter) { m_pPresenter = pPresenter; }
  cPresenter* Presenter() const { return m_pPresenter; }
  // Loss injection: every video-memory surface (the primary chain included)
  // reports lost and its pixels are scrambled until it is restored.
  void InjectSurfaceLoss();
  int LiveSurfaces() const { return static_cast<int>(m_surfaces.size()); }

 private:
  friend class cDDrawSurface;
  friend cDDrawObject* CreateDDrawObject();
  cDDrawObject() = default;
  ~cDDrawObject() = default;
  void Present(const cDDrawSurface& shown);
  void Forget(cDDrawSurface* p);

  int m_nBpp = 0;
  bool m_bFullScreen = false;
  size_t m_nVideoMemoryUsed = 0;
  std::list<cDDrawSurface*> m_surfaces;
  cPresenter* m_pPresenter = nullptr;
  std::vector<uint32_t> m_frame;
};

// Null when the simulated display is switched off.
cDDrawObject* CreateDDrawObject();
