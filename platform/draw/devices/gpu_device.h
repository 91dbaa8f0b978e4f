#pragma once
// A small software graphics device with the shape the drawing library's
// textured back end expects: textures in memory pools, render targets, clears,
// and quads drawn as two-triangle strips with a single texture stage, point
// sampling and source-alpha blending. Nothing here needs a window or a GPU;
// a finished frame goes to a cPresenter.
//
// The device is in parts: its objects, states and present here
// (gpu_device.cpp); the pixel formats (gpu_format.h); the shading and
// blending of one pixel and what a quad's states reduce them to
// (gpu_shading.h); how a quad is drawn (gpu_quad.cpp: axis-aligned quads
// whose texture coordinates map whole texels take an exact integer path,
// mirrored quads included, whose row loops from pixels/ are chosen once per
// quad); and where quads land (gpu_raster.h: snapping, span mapping and the
// triangle rasteriser, which samples at pixel centres, for anything else).

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "platform/draw/devices/gpu_format.h"
#include "platform/draw/devices/gpu_shading.h"
#include "platform/draw/pixels/pixel_store.h"

class cPresenter;

using GPURESULT = int32_t;
inline constexpr GPURESULT GPU_OK = 0;
inline constexpr GPURESULT GPUERR_DEVICELOST = static_cast<GPURESULT>(0x88760868u);
inline constexpr GPURESULT GPUERR_DEVICENOTRESET = static_cast<GPURESULT>(0x88760869u);
inline constexpr GPURESULT GPUERR_OUTOFVIDEOMEMORY = static_cast<GPURESULT>(0x8876017Cu);
inline constexpr GPURESULT GPUERR_INVALIDCALL = static_cast<GPURESULT>(0x8876086Cu);
inline constexpr GPURESULT GPUERR_NOTAVAILABLE = static_cast<GPURESULT>(0x8876086Au);
inline bool GpuFailed(GPURESULT hr) { return hr < 0; }

enum GPUPOOL : int { GPUPOOL_DEFAULT = 0, GPUPOOL_MANAGED = 1, GPUPOOL_SYSTEMMEM = 2 };

inline constexpr uint32_t GPUUSAGE_RENDERTARGET = 0x1;
inline constexpr uint32_t GPUUSAGE_WRITEONLY = 0x8;
inline constexpr uint32_t GPUUSAGE_DYNAMIC = 0x200;

// Texture stage operations and arguments.
enum GPUTEXTUREOP : uint32_t {
  GPUTOP_DISABLE = 1,
  GPUTOP_SELECTARG1 = 2,
  GPUTOP_SELECTARG2 = 3,
  GPUTOP_MODULATE = 4,
  GPUTOP_MODULATE2X = 5,
  GPUTOP_MODULATE4X = 6,
  GPUTOP_ADD = 7,
  GPUTOP_ADDSIGNED = 8,
  GPUTOP_SUBTRACT = 10,
  GPUTOP_BLENDDIFFUSEALPHA = 12,
  GPUTOP_BLENDTEXTUREALPHA = 13,
  GPUTOP_BLENDFACTORALPHA = 14,
};
enum GPUTEXARG : uint32_t {
  GPUTA_DIFFUSE = 0,
  GPUTA_CURRENT = 1,
  GPUTA_TEXTURE = 2,
  GPUTA_TFACTOR = 3
};

enum GPUBLEND : uint32_t {
  GPUBLEND_ZERO = 1,
  GPUBLEND_ONE = 2,
  GPUBLEND_SRCCOLOR = 3,
  GPUBLEND_INVSRCCOLOR = 4,
  GPUBLEND_SRCALPHA = 5,
  GPUBLEND_INVSRCALPHA = 6,
  GPUBLEND_DESTALPHA = 7,
  GPUBLEND_INVDESTALPHA = 8,
  GPUBLEND_DESTCOLOR = 9,
  GPUBLEND_INVDESTCOLOR = 10,
};

enum GPURENDERSTATE : int {
  GPURS_ALPHABLENDENABLE,
  GPURS_SRCBLEND,
  GPURS_DESTBLEND,
  GPURS_TEXTUREFACTOR,
  GPURS_CULLMODE,
  GPURS_ZENABLE,
  GPURS_DIFFUSEMATERIALSOURCE,
  GPURS_COLORVERTEX,
  GPURS_COUNT
};
enum GPUSTAGESTATE : int {
  GPUTSS_COLOROP,
  GPUTSS_COLORARG1,
  GPUTSS_COLORARG2,
  GPUTSS_ALPHAOP,
  GPUTSS_ALPHAARG1,
  GPUTSS_ALPHAARG2,
  GPUTSS_COUNT
};
enum GPUSAMPSTATE : int {
  GPUSAMP_ADDRESSU,
  GPUSAMP_ADDRESSV,
  GPUSAMP_MINFILTER,
  GPUSAMP_MAGFILTER,
  GPUSAMP_COUNT
};
inline constexpr uint32_t GPUTADDRESS_WRAP = 1;
inline constexpr uint32_t GPUTEXF_POINT = 1;
inline constexpr uint32_t GPUCULL_NONE = 1;
inline constexpr uint32_t GPUMCS_COLOR1 = 1;

// One vertex of a screen-space quad: position with reciprocal w, diffuse
// colour, one texture coordinate pair (28 bytes).
struct GPUVERTEX {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};
static_assert(sizeof(GPUVERTEX) == 28);
inline constexpr uint32_t GPUFVF_SCREENQUAD = 0x144;

struct GPURECT {
  int32_t x1, y1, x2, y2;  // right and bottom exclusive
};

// A 2D array of pixels in one format. Level surfaces of textures, the back
// buffer and system-memory copies are all of this kind.
class cGpuSurface {
 public:
  cGpuSurface(int nWidth, int nHeight, GPUFORMAT fmt, GPUPOOL pool, bool bRenderTarget);
  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  GPUFORMAT Format() const { return m_fmt; }
  GPUPOOL Pool() const { return m_pool; }
  bool IsRenderTarget() const { return m_bRenderTarget; }
  int Pitch() const { return m_nPitch; }  // bytes
  uint8_t* Bits() { return m_pixels.data(); }
  const uint8_t* Bits() const { return m_pixels.data(); }
  uint8_t* Row(int y) { return m_pixels.data() + static_cast<size_t>(y) * m_nPitch; }
  const uint8_t* Row(int y) const { return m_pixels.data() + static_cast<size_t>(y) * m_nPitch; }

  // Pixel access; fails (INVALIDCALL) on a poisoned surface or when locked.
  GPURESULT LockRect(uint8_t** ppBits, int* pnPitch);
  GPURESULT UnlockRect();
  bool IsLocked() const { return m_bLocked; }

  // Reads/writes one pixel as A8R8G8B8 (5-bit channels widened by bit
  // replication; formats without alpha read as opaque).
  uint32_t ReadArgb(int x, int y) const;
  void WriteArgb(int x, int y, uint32_t argb);

  // Contents destroyed by a device reset; every use fails from then on.
  void Poison();
  bool IsPoisoned() const { return m_bPoisoned; }

 private:
  int m_nWidth, m_nHeight;
  GPUFORMAT m_fmt;
  GPUPOOL m_pool;
  bool m_bRenderTarget;
  int m_nPitch;
  bool m_bLocked = false;
  bool m_bPoisoned = false;
  cPixelStore m_pixels;
};

class cGpuDevice;

// A single-level texture. Release() destroys it.
class cGpuTexture {
 public:
  cGpuSurface* GetSurfaceLevel(int nLevel) { return nLevel == 0 ? &m_level : nullptr; }
  const cGpuSurface& Level() const { return m_level; }
  GPUPOOL Pool() const { return m_level.Pool(); }
  uint32_t Usage() const { return m_dwUsage; }
  void Release();

 private:
  friend class cGpuDevice;
  cGpuTexture(cGpuDevice* pDevice, int w, int h, uint32_t dwUsage, GPUFORMAT fmt, GPUPOOL pool);
  ~cGpuTexture() = default;
  cGpuDevice* m_pDevice;
  uint32_t m_dwUsage;
  cGpuSurface m_level;
};

class cGpuVertexBuffer {
 public:
  explicit cGpuVertexBuffer(size_t nBytes) : m_bytes(nBytes) {}
  GPURESULT Lock(size_t nOffset, size_t nSize, void** ppData);
  GPURESULT Unlock() { return GPU_OK; }
  size_t Size() const { return m_bytes.size(); }
  const uint8_t* Data() const { return m_bytes.data(); }
  void Release() { delete this; }

 private:
  std::vector<uint8_t> m_bytes;
};

class cGpuIndexBuffer {
 public:
  explicit cGpuIndexBuffer(size_t nBytes) : m_indices((nBytes + 1) / 2) {}
  GPURESULT Lock(size_t nOffset, size_t nSize, void** ppData);
  GPURESULT Unlock() { return GPU_OK; }
  const uint16_t* Data() const { return m_indices.data(); }
  size_t Count() const { return m_indices.size(); }
  void Release() { delete this; }

 private:
  std::vector<uint16_t> m_indices;
};

inline constexpr uint32_t GPUTEXCAPS_POW2 = 0x2;
inline constexpr uint32_t GPUTEXCAPS_SQUAREONLY = 0x20;
inline constexpr uint32_t GPUCAPS2_DYNAMICTEXTURES = 0x20000000;
inline constexpr uint32_t GPUCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD = 0x20;

struct GPUCAPS {
  uint32_t Caps2 = GPUCAPS2_DYNAMICTEXTURES;
  uint32_t Caps3 = GPUCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD;
  uint32_t TextureCaps = 0;
  int MaxTextureWidth = 4096;
  int MaxTextureHeight = 4096;
};

enum GPUSWAPEFFECT : int { GPUSWAP_DISCARD = 1, GPUSWAP_COPY = 3 };
inline constexpr uint32_t GPUPRESENT_INTERVAL_DEFAULT = 0;
inline constexpr uint32_t GPUPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;
inline constexpr uint32_t GPUPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x1;

struct GPUPRESENTPARAMS {
  int BackBufferWidth = 0;  // 0: the window's client size
  int BackBufferHeight = 0;
  GPUFORMAT BackBufferFormat = GPUFMT_UNKNOWN;
  int BackBufferCount = 1;
  GPUSWAPEFFECT SwapEffect = GPUSWAP_DISCARD;
  void* hDeviceWindow = nullptr;
  int Windowed = 1;
  int EnableAutoDepthStencil = 0;
  GPUFORMAT AutoDepthStencilFormat = GPUFMT_UNKNOWN;
  uint32_t Flags = 0;
  int FullScreen_RefreshRateInHz = 0;
  uint32_t PresentationInterval = GPUPRESENT_INTERVAL_DEFAULT;
};

inline constexpr uint32_t GPUCREATE_HARDWARE_VERTEXPROCESSING = 0x40;
inline constexpr uint32_t GPUCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;

// Knobs of the simulated adapter (tests use them to reach the failure paths).
struct GPUADAPTERSETUP {
  bool bAvailable = true;             // the factory returns an object
  GPUCAPS caps;                       // what GetDeviceCaps reports
  bool bCapsFail = false;             // GetDeviceCaps fails
  uint32_t dwRefusedCreateFlags = 0;  // CreateDevice fails for these flags
  int nClientWidth = 640, nClientHeight = 480;
  size_t nVideoMemoryBytes = 256u << 20;  // default-pool budget
};
GPUADAPTERSETUP& GpuAdapterSetup();
void ResetGpuAdapterSetup();

class cGpuDevice {
 public:
  // Textures and surfaces larger than nMaxSide on a side are refused.
  cGpuDevice(const GPUPRESENTPARAMS& pp, int nClientWidth, int nClientHeight, size_t nVideoMemory,
             int nMaxSide = 4096);
  ~cGpuDevice();
  cGpuDevice(const cGpuDevice&) = delete;
  cGpuDevice& operator=(const cGpuDevice&) = delete;
  void Release() { delete this; }

  GPURESULT CreateTexture(int w, int h, int nLevels, uint32_t dwUsage, GPUFORMAT fmt, GPUPOOL pool,
                          cGpuTexture** ppTexture);
  GPURESULT CreateOffscreenPlainSurface(int w, int h, GPUFORMAT fmt, GPUPOOL pool,
                                        cGpuSurface** ppSurface);
  GPURESULT CreateVertexBuffer(size_t nBytes, uint32_t dwUsage, uint32_t dwFVF, GPUPOOL pool,
                               cGpuVertexBuffer** ppVB);
  GPURESULT CreateIndexBuffer(size_t nBytes, uint32_t dwUsage, GPUFORMAT fmt, GPUPOOL pool,
                              cGpuIndexBuffer** ppIB);
  // Plain surfaces are owned by their creator; this deletes one.
  static void ReleaseSurface(cGpuSurface* pSurface) { delete pSurface; }

  GPURESULT GetBackBuffer(int nSwapChain, int nIndex, int nType, cGpuSurface** ppSurface);
  GPURESULT SetRenderTarget(int nIndex, cGpuSurface* pSurface);
  cGpuSurface* GetRenderTarget() const { return m_pRenderTarget; }
  GPURESULT GetRenderTargetData(cGpuSurface* pRenderTarget, cGpuSurface* pSystem);
  GPURESULT UpdateSurface(cGpuSurface* pSource, const GPURECT* pSrcRect, cGpuSurface* pDest,
                          const void* pDestPoint);

  GPURESULT BeginScene();
  GPURESULT EndScene();
  // Clears rectangles (or the whole target when nCount is 0) of the render
  // target to an ARGB colour.
  GPURESULT Clear(int nCount, const GPURECT* pRects, uint32_t dwFlags, uint32_t dwColor, float z,
                  uint32_t dwStencil);

  GPURESULT SetRenderState(GPURENDERSTATE state, uint32_t dwValue);
  uint32_t GetRenderState(GPURENDERSTATE state) const { return m_renderStates[state]; }
  GPURESULT SetTextureStageState(int nStage, GPUSTAGESTATE state, uint32_t dwValue);
  uint32_t GetTextureStageState(int nStage, GPUSTAGESTATE state) const {
    return m_stageStates[nStage & 1][state];
  }
  GPURESULT SetSamplerState(int nSampler, GPUSAMPSTATE state, uint32_t dwValue);
  GPURESULT SetTexture(int nStage, cGpuTexture* pTexture);
  GPURESULT SetStreamSource(int nStream, cGpuVertexBuffer* pVB, int nOffset, int nStride);
  GPURESULT SetIndices(cGpuIndexBuffer* pIB);
  GPURESULT SetFVF(uint32_t dwFVF);
  // Triangle strips of two primitives (one quad) are what the library draws.
  GPURESULT DrawPrimitive(int nType, int nStartVertex, int nPrimitiveCount);
  GPURESULT DrawIndexedPrimitive(int nType, int nBaseVertex, int nMinIndex, int nVertices,
                                 int nStartIndex, int nPrimitiveCount);

  // Converts the back buffer to 32 bits and hands it to the presenter.
  // DEVICELOST while the device is lost.
  GPURESULT Present(const void*, const void*, void*, const void*);
  GPURESULT TestCooperativeLevel() const;
  GPURESULT Reset(const GPUPRESENTPARAMS& pp);

  // Loss injection: the device stops presenting (DEVICELOST); once it is
  // marked resettable TestCooperativeLevel answers DEVICENOTRESET and a Reset
  // can succeed. A reset poisons every default-pool texture still alive.
  void InjectDeviceLost();
  void MakeResettable();
  bool IsLost() const { return m_lostState != 0; }

  void SetPresenter(cPresenter* pPresenter) { m_pPresenter = pPresenter; }
  const GPUPRESENTPARAMS& PresentParams() const { return m_pp; }
  int LiveDefaultPoolTextures() const { return static_cast<int>(m_defaultTextures.size()); }
  // Counts for tests and the benchmark: quads drawn, clears done.
  int DrawCount() const { return m_nDrawCount; }
  // Draws every pixel through the per-pixel shading and blending, which the
  // row loops chosen per quad must match bit for bit (tests compare the two).
  void SetReferencePath(bool bOn) { m_bReferencePath = bOn; }

 private:
  friend class cGpuTexture;
  void OnTextureReleased(cGpuTexture* pTexture);
  void CreateBackBuffer();
  void ResetStates();
  // gpu_quad.cpp
  void DrawQuad(const GPUVERTEX* v);
  bool DrawAlignedQuad(const GPUVERTEX* v);
  const GPUSHADING& QuadShading(uint32_t diffuse);
  void FillAligned(int x1, int y1, int x2, int y2, uint32_t c, eGpuBlend blend);
  void BlendRow(uint8_t* pDst, const uint32_t* s, int n, eGpuBlend blend, bool bStream);
  uint32_t Shade(uint32_t texel, uint32_t diffuse) const;
  void BlendPixel(uint8_t* pDst, uint32_t src) const;
  // gpu_raster.cpp
  void DrawTriangle(const GPUVERTEX& a, const GPUVERTEX& b, const GPUVERTEX& c);

  GPUPRESENTPARAMS m_pp;
  int m_nClientWidth, m_nClientHeight;
  size_t m_nVideoMemory;
  size_t m_nVideoMemoryUsed = 0;
  int m_nMaxSide;
  std::unique_ptr<cGpuSurface> m_backBuffer;
  cGpuSurface* m_pRenderTarget = nullptr;
  cGpuTexture* m_pTexture = nullptr;
  cGpuVertexBuffer* m_pStream = nullptr;
  int m_nStreamOffset = 0, m_nStride = 28;
  cGpuIndexBuffer* m_pIndices = nullptr;
  bool m_bInScene = false;
  int m_lostState = 0;  // 0 running, 1 lost, 2 lost and resettable
  uint32_t m_renderStates[GPURS_COUNT] = {};
  uint32_t m_stageStates[2][GPUTSS_COUNT] = {};
  uint32_t m_samplerStates[2][GPUSAMP_COUNT] = {};
  std::set<cGpuTexture*> m_defaultTextures;
  cPresenter* m_pPresenter = nullptr;
  std::vector<uint32_t> m_frame;
  int m_nDrawCount = 0;
  bool m_bReferencePath = false;
  // The last quad's shading and what it was resolved from (stage 0, texture
  // factor, diffuse): a run of quads with the same states resolves once.
  uint32_t m_shadingKey[GPUTSS_COUNT + 2] = {};
  GPUSHADING m_shading;
  bool m_bShadingValid = false;
};

// The adapter object: capabilities and device creation.
class cGpu {
 public:
  GPURESULT GetDeviceCaps(int nAdapter, int nDevType, GPUCAPS* pCaps) const;
  GPURESULT CreateDevice(int nAdapter, int nDevType, void* hFocusWindow, uint32_t dwFlags,
                         GPUPRESENTPARAMS* pp, cGpuDevice** ppDevice);
  void Release() { delete this; }
};
// Null when the simulated adapter is switched off.
cGpu* CreateGpu();
