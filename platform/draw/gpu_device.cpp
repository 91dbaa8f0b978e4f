#include "platform/draw/gpu_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/draw/pixel_rows.h"
#include "platform/draw/presenter.h"

// ---- pixel formats ---------------------------------------------------------

int GpuFormatBytes(GPUFORMAT fmt) {
  switch (fmt) {
    case GPUFMT_A8R8G8B8:
    case GPUFMT_X8R8G8B8:
      return 4;
    case GPUFMT_R5G6B5:
    case GPUFMT_A1R5G5B5:
    case GPUFMT_INDEX16:
      return 2;
    default:
      return 0;
  }
}

const char* GpuFormatName(GPUFORMAT fmt) {
  switch (fmt) {
    case GPUFMT_A8R8G8B8:
      return "A8R8G8B8";
    case GPUFMT_X8R8G8B8:
      return "X8R8G8B8";
    case GPUFMT_R5G6B5:
      return "R5G6B5";
    case GPUFMT_A1R5G5B5:
      return "A1R5G5B5";
    default:
      return "UNKNOWN";
  }
}

namespace {

inline uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }
inline uint32_t Expand6(uint32_t v) { return (v << 2) | (v >> 4); }

inline uint32_t Argb1555ToArgb(uint16_t p) {
  return ((p & 0x8000) ? 0xFF000000u : 0u) | Expand5((p >> 10) & 31) << 16 |
         Expand5((p >> 5) & 31) << 8 | Expand5(p & 31);
}
inline uint32_t Rgb565ToArgb(uint16_t p) {
  return 0xFF000000u | Expand5((p >> 11) & 31) << 16 | Expand6((p >> 5) & 63) << 8 |
         Expand5(p & 31);
}
inline uint16_t ArgbTo1555(uint32_t c) {
  return static_cast<uint16_t>((c >> 31) << 15 | ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 |
                               ((c >> 3) & 31));
}
inline uint16_t ArgbTo565(uint32_t c) {
  return static_cast<uint16_t>(((c >> 19) & 31) << 11 | ((c >> 10) & 63) << 5 | ((c >> 3) & 31));
}

inline uint32_t Mul255(uint32_t a, uint32_t b) {  // a * b / 255, rounded
  uint32_t t = a * b + 128;
  return (t + (t >> 8)) >> 8;
}

// The 5-bit and 1-bit texel is copied raw between the two 16-bit layouts only
// where the library does it itself; the device blends through 8-bit channels.
inline uint32_t ReadTexel(const uint8_t* p, GPUFORMAT fmt) {
  switch (fmt) {
    case GPUFMT_A8R8G8B8: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    case GPUFMT_X8R8G8B8: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v | 0xFF000000u;
    }
    case GPUFMT_A1R5G5B5: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return Argb1555ToArgb(v);
    }
    case GPUFMT_R5G6B5: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return Rgb565ToArgb(v);
    }
    default:
      return 0;
  }
}

inline void WriteTexel(uint8_t* p, GPUFORMAT fmt, uint32_t c) {
  switch (fmt) {
    case GPUFMT_A8R8G8B8:
    case GPUFMT_X8R8G8B8:
      std::memcpy(p, &c, 4);
      break;
    case GPUFMT_A1R5G5B5: {
      uint16_t v = ArgbTo1555(c);
      std::memcpy(p, &v, 2);
      break;
    }
    case GPUFMT_R5G6B5: {
      uint16_t v = ArgbTo565(c);
      std::memcpy(p, &v, 2);
      break;
    }
    default:
      break;
  }
}

GPUADAPTERSETUP g_adapterSetup;

}  // namespace

GPUADAPTERSETUP& GpuAdapterSetup() { return g_adapterSetup; }
void ResetGpuAdapterSetup() { g_adapterSetup = GPUADAPTERSETUP(); }

// ---- surfaces, textures, buffers ----------------------------------------------

cGpuSurface::cGpuSurface(int nWidth, int nHeight, GPUFORMAT fmt, GPUPOOL pool, bool bRenderTarget)
    : m_nWidth(nWidth),
      m_nHeight(nHeight),
      m_fmt(fmt),
      m_pool(pool),
      m_bRenderTarget(bRenderTarget) {
  m_nPitch = ((nWidth * GpuFormatBytes(fmt)) + 3) & ~3;
  m_pixels.assign(static_cast<size_t>(m_nPitch) * nHeight, 0);
}

GPURESULT cGpuSurface::LockRect(uint8_t** ppBits, int* pnPitch) {
  if (m_bPoisoned || m_bLocked) return GPUERR_INVALIDCALL;
  m_bLocked = true;
  *ppBits = m_pixels.data();
  *pnPitch = m_nPitch;
  return GPU_OK;
}

GPURESULT cGpuSurface::UnlockRect() {
  if (!m_bLocked) return GPUERR_INVALIDCALL;
  m_bLocked = false;
  return GPU_OK;
}

uint32_t cGpuSurface::ReadArgb(int x, int y) const {
  return ReadTexel(Row(y) + x * GpuFormatBytes(m_fmt), m_fmt);
}

void cGpuSurface::WriteArgb(int x, int y, uint32_t argb) {
  WriteTexel(Row(y) + x * GpuFormatBytes(m_fmt), m_fmt, argb);
}

void cGpuSurface::Poison() {
  m_bPoisoned = true;
  // Scramble what is left so that a missed re-creation shows.
  for (size_t i = 0; i < m_pixels.size(); ++i) m_pixels[i] = static_cast<uint8_t>(0xA5 ^ i);
}

cGpuTexture::cGpuTexture(cGpuDevice* pDevice, int w, int h, uint32_t dwUsage, GPUFORMAT fmt,
                         GPUPOOL pool)
    : m_pDevice(pDevice),
      m_dwUsage(dwUsage),
      m_level(w, h, fmt, pool, (dwUsage & GPUUSAGE_RENDERTARGET) != 0) {}

void cGpuTexture::Release() {
  if (m_pDevice) m_pDevice->OnTextureReleased(this);
  delete this;
}

GPURESULT cGpuVertexBuffer::Lock(size_t nOffset, size_t nSize, void** ppData) {
  if (nOffset + nSize > m_bytes.size()) return GPUERR_INVALIDCALL;
  *ppData = m_bytes.data() + nOffset;
  return GPU_OK;
}

GPURESULT cGpuIndexBuffer::Lock(size_t nOffset, size_t nSize, void** ppData) {
  if (nOffset + nSize > m_indices.size() * 2) return GPUERR_INVALIDCALL;
  *ppData = reinterpret_cast<uint8_t*>(m_indices.data()) + nOffset;
  return GPU_OK;
}

// ---- adapter --------------------------------------------------------------------

cGpu* CreateGpu() { return g_adapterSetup.bAvailable ? new cGpu : nullptr; }

GPURESULT cGpu::GetDeviceCaps(int, int, GPUCAPS* pCaps) const {
  if (g_adapterSetup.bCapsFail) return GPUERR_INVALIDCALL;
  *pCaps = g_adapterSetup.caps;
  return GPU_OK;
}

GPURESULT cGpu::CreateDevice(int, int, void*, uint32_t dwFlags, GPUPRESENTPARAMS* pp,
                             cGpuDevice** ppDevice) {
  *ppDevice = nullptr;
  if (dwFlags & g_adapterSetup.dwRefusedCreateFlags) return GPUERR_NOTAVAILABLE;
  if (GpuFormatBytes(pp->BackBufferFormat) == 0) return GPUERR_INVALIDCALL;
  *ppDevice = new cGpuDevice(
      *pp, g_adapterSetup.nClientWidth, g_adapterSetup.nClientHeight,
      g_adapterSetup.nVideoMemoryBytes,
      std::max(g_adapterSetup.caps.MaxTextureWidth, g_adapterSetup.caps.MaxTextureHeight));
  return GPU_OK;
}

// ---- device -----------------------------------------------------------------------

cGpuDevice::cGpuDevice(const GPUPRESENTPARAMS& pp, int nClientWidth, int nClientHeight,
                       size_t nVideoMemory, int nMaxSide)
    : m_pp(pp),
      m_nClientWidth(nClientWidth),
      m_nClientHeight(nClientHeight),
      m_nVideoMemory(nVideoMemory),
      m_nMaxSide(nMaxSide) {
  CreateBackBuffer();
  ResetStates();
}

cGpuDevice::~cGpuDevice() {
  // Textures still alive no longer have a device to report to.
  for (cGpuTexture* p : m_defaultTextures) p->m_pDevice = nullptr;
}

void cGpuDevice::CreateBackBuffer() {
  int w = m_pp.BackBufferWidth ? m_pp.BackBufferWidth : m_nClientWidth;
  int h = m_pp.BackBufferHeight ? m_pp.BackBufferHeight : m_nClientHeight;
  m_backBuffer = std::make_unique<cGpuSurface>(w, h, m_pp.BackBufferFormat, GPUPOOL_DEFAULT, true);
  m_pRenderTarget = m_backBuffer.get();
}

void cGpuDevice::ResetStates() {
  std::fill(std::begin(m_renderStates), std::end(m_renderStates), 0u);
  m_renderStates[GPURS_SRCBLEND] = GPUBLEND_ONE;
  m_renderStates[GPURS_DESTBLEND] = GPUBLEND_ZERO;
  m_renderStates[GPURS_TEXTUREFACTOR] = 0xFFFFFFFF;
  for (auto& stage : m_stageStates) {
    stage[GPUTSS_COLOROP] = GPUTOP_MODULATE;
    stage[GPUTSS_COLORARG1] = GPUTA_TEXTURE;
    stage[GPUTSS_COLORARG2] = GPUTA_CURRENT;
    stage[GPUTSS_ALPHAOP] = GPUTOP_SELECTARG1;
    stage[GPUTSS_ALPHAARG1] = GPUTA_TEXTURE;
    stage[GPUTSS_ALPHAARG2] = GPUTA_CURRENT;
  }
  m_pTexture = nullptr;
  m_pStream = nullptr;
  m_pIndices = nullptr;
  m_bInScene = false;
}

void cGpuDevice::OnTextureReleased(cGpuTexture* pTexture) {
  if (m_pTexture == pTexture) m_pTexture = nullptr;
  if (m_pRenderTarget == &pTexture->m_level) m_pRenderTarget = m_backBuffer.get();
  if (m_defaultTextures.erase(pTexture)) {
    const cGpuSurface& s = pTexture->m_level;
    m_nVideoMemoryUsed -= static_cast<size_t>(s.Pitch()) * s.Height();
  }
}

GPURESULT cGpuDevice::CreateTexture(int w, int h, int nLevels, uint32_t dwUsage, GPUFORMAT fmt,
                                    GPUPOOL pool, cGpuTexture** ppTexture) {
  *ppTexture = nullptr;
  if (w <= 0 || h <= 0 || w > m_nMaxSide || h > m_nMaxSide || nLevels != 1 ||
      (GpuFormatBytes(fmt) != 4 && GpuFormatBytes(fmt) != 2))
    return GPUERR_INVALIDCALL;
  if ((dwUsage & GPUUSAGE_RENDERTARGET) && pool != GPUPOOL_DEFAULT) return GPUERR_INVALIDCALL;
  size_t nBytes = static_cast<size_t>(((w * GpuFormatBytes(fmt)) + 3) & ~3) * h;
  if (pool == GPUPOOL_DEFAULT) {
    if (m_nVideoMemoryUsed + nBytes > m_nVideoMemory) return GPUERR_OUTOFVIDEOMEMORY;
    m_nVideoMemoryUsed += nBytes;
  }
  auto* p = new cGpuTexture(this, w, h, dwUsage, fmt, pool);
  if (pool == GPUPOOL_DEFAULT) m_defaultTextures.insert(p);
  *ppTexture = p;
  return GPU_OK;
}

GPURESULT cGpuDevice::CreateOffscreenPlainSurface(int w, int h, GPUFORMAT fmt, GPUPOOL pool,
                                                  cGpuSurface** ppSurface) {
  *ppSurface = nullptr;
  if (w <= 0 || h <= 0 || w > m_nMaxSide || h > m_nMaxSide || GpuFormatBytes(fmt) == 0)
    return GPUERR_INVALIDCALL;
  *ppSurface = new cGpuSurface(w, h, fmt, pool, false);
  return GPU_OK;
}

GPURESULT cGpuDevice::CreateVertexBuffer(size_t nBytes, uint32_t, uint32_t, GPUPOOL,
                                         cGpuVertexBuffer** ppVB) {
  *ppVB = nBytes ? new cGpuVertexBuffer(nBytes) : nullptr;
  return *ppVB ? GPU_OK : GPUERR_INVALIDCALL;
}

GPURESULT cGpuDevice::CreateIndexBuffer(size_t nBytes, uint32_t, GPUFORMAT, GPUPOOL,
                                        cGpuIndexBuffer** ppIB) {
  *ppIB = nBytes ? new cGpuIndexBuffer(nBytes) : nullptr;
  return *ppIB ? GPU_OK : GPUERR_INVALIDCALL;
}

GPURESULT cGpuDevice::GetBackBuffer(int, int, int, cGpuSurface** ppSurface) {
  *ppSurface = m_backBuffer.get();
  return GPU_OK;
}

GPURESULT cGpuDevice::SetRenderTarget(int nIndex, cGpuSurface* pSurface) {
  if (nIndex != 0 || !pSurface || !pSurface->IsRenderTarget() || pSurface->IsPoisoned())
    return GPUERR_INVALIDCALL;
  m_pRenderTarget = pSurface;
  return GPU_OK;
}

GPURESULT cGpuDevice::GetRenderTargetData(cGpuSurface* pRT, cGpuSurface* pSys) {
  if (!pRT || !pSys || pRT->IsPoisoned() || pSys->Pool() != GPUPOOL_SYSTEMMEM ||
      pRT->Width() != pSys->Width() || pRT->Height() != pSys->Height() ||
      pRT->Format() != pSys->Format())
    return GPUERR_INVALIDCALL;
  for (int y = 0; y < pRT->Height(); ++y) std::memcpy(pSys->Row(y), pRT->Row(y), pSys->Pitch());
  return GPU_OK;
}

GPURESULT cGpuDevice::UpdateSurface(cGpuSurface* pSrc, const GPURECT*, cGpuSurface* pDst,
                                    const void*) {
  if (!pSrc || !pDst || pDst->IsPoisoned() || pSrc->Pool() != GPUPOOL_SYSTEMMEM ||
      pSrc->Width() != pDst->Width() || pSrc->Height() != pDst->Height() ||
      pSrc->Format() != pDst->Format())
    return GPUERR_INVALIDCALL;
  for (int y = 0; y < pSrc->Height(); ++y) std::memcpy(pDst->Row(y), pSrc->Row(y), pDst->Pitch());
  return GPU_OK;
}

GPURESULT cGpuDevice::BeginScene() {
  if (m_bInScene) return GPUERR_INVALIDCALL;
  m_bInScene = true;
  return GPU_OK;
}

GPURESULT cGpuDevice::EndScene() {
  if (!m_bInScene) return GPUERR_INVALIDCALL;
  m_bInScene = false;
  return GPU_OK;
}

GPURESULT cGpuDevice::Clear(int nCount, const GPURECT* pRects, uint32_t, uint32_t dwColor, float,
                            uint32_t) {
  cGpuSurface* rt = m_pRenderTarget;
  if (!rt || rt->IsPoisoned()) return GPUERR_INVALIDCALL;
  GPURECT whole{0, 0, rt->Width(), rt->Height()};
  if (nCount == 0) {
    pRects = &whole;
    nCount = 1;
  }
  const int nBytes = GpuFormatBytes(rt->Format());
  uint8_t texel[4];
  WriteTexel(texel, rt->Format(), dwColor);
  for (int i = 0; i < nCount; ++i) {
    int x1 = std::max(pRects[i].x1, 0), y1 = std::max(pRects[i].y1, 0);
    int x2 = std::min(pRects[i].x2, rt->Width()), y2 = std::min(pRects[i].y2, rt->Height());
    if (x1 >= x2 || y1 >= y2) continue;
    for (int y = y1; y < y2; ++y) {
      uint8_t* p = rt->Row(y) + x1 * nBytes;
      if (nBytes == 4) {
        uint32_t v;
        std::memcpy(&v, texel, 4);
        std::fill_n(reinterpret_cast<uint32_t*>(p), x2 - x1, v);
      } else {
        uint16_t v;
        std::memcpy(&v, texel, 2);
        std::fill_n(reinterpret_cast<uint16_t*>(p), x2 - x1, v);
      }
    }
  }
  return GPU_OK;
}

GPURESULT cGpuDevice::SetRenderState(GPURENDERSTATE state, uint32_t dwValue) {
  if (state < 0 || state >= GPURS_COUNT) return GPUERR_INVALIDCALL;
  m_renderStates[state] = dwValue;
  return GPU_OK;
}

GPURESULT cGpuDevice::SetTextureStageState(int nStage, GPUSTAGESTATE state, uint32_t dwValue) {
  if (nStage < 0 || nStage > 1 || state < 0 || state >= GPUTSS_COUNT) return GPUERR_INVALIDCALL;
  m_stageStates[nStage][state] = dwValue;
  return GPU_OK;
}

GPURESULT cGpuDevice::SetSamplerState(int nSampler, GPUSAMPSTATE state, uint32_t dwValue) {
  if (nSampler < 0 || nSampler > 1 || state < 0 || state >= GPUSAMP_COUNT)
    return GPUERR_INVALIDCALL;
  m_samplerStates[nSampler][state] = dwValue;
  return GPU_OK;
}

GPURESULT cGpuDevice::SetTexture(int nStage, cGpuTexture* pTexture) {
  if (nStage == 0) m_pTexture = pTexture;
  return GPU_OK;
}

GPURESULT cGpuDevice::SetStreamSource(int, cGpuVertexBuffer* pVB, int nOffset, int nStride) {
  m_pStream = pVB;
  m_nStreamOffset = nOffset;
  m_nStride = nStride;
  return GPU_OK;
}

GPURESULT cGpuDevice::SetIndices(cGpuIndexBuffer* pIB) {
  m_pIndices = pIB;
  return GPU_OK;
}

GPURESULT cGpuDevice::SetFVF(uint32_t) { return GPU_OK; }

GPURESULT cGpuDevice::DrawPrimitive(int, int nStartVertex, int nPrimitiveCount) {
  if (!m_pStream || nPrimitiveCount != 2 || m_nStride != sizeof(GPUVERTEX))
    return GPUERR_INVALIDCALL;
  size_t off = m_nStreamOffset + static_cast<size_t>(nStartVertex) * m_nStride;
  if (off + 4 * sizeof(GPUVERTEX) > m_pStream->Size()) return GPUERR_INVALIDCALL;
  GPUVERTEX v[4];
  std::memcpy(v, m_pStream->Data() + off, sizeof(v));
  DrawQuad(v);
  return GPU_OK;
}

GPURESULT cGpuDevice::DrawIndexedPrimitive(int, int nBaseVertex, int, int, int nStartIndex,
                                           int nPrimitiveCount) {
  if (!m_pStream || !m_pIndices || nPrimitiveCount != 2 || m_nStride != sizeof(GPUVERTEX))
    return GPUERR_INVALIDCALL;
  if (static_cast<size_t>(nStartIndex) + 4 > m_pIndices->Count()) return GPUERR_INVALIDCALL;
  GPUVERTEX v[4];
  for (int i = 0; i < 4; ++i) {
    size_t off =
        m_nStreamOffset +
        (static_cast<size_t>(m_pIndices->Data()[nStartIndex + i]) + nBaseVertex) * m_nStride;
    if (off + sizeof(GPUVERTEX) > m_pStream->Size()) return GPUERR_INVALIDCALL;
    std::memcpy(&v[i], m_pStream->Data() + off, sizeof(GPUVERTEX));
  }
  DrawQuad(v);
  return GPU_OK;
}

// ---- shading -------------------------------------------------------------------------

namespace {

inline uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFF; }

uint32_t ApplyOp(uint32_t op, uint32_t a1, uint32_t a2, uint32_t diffuseAlpha, uint32_t texAlpha,
                 uint32_t factorAlpha) {
  switch (op) {
    case GPUTOP_SELECTARG1:
      return a1;
    case GPUTOP_SELECTARG2:
      return a2;
    case GPUTOP_MODULATE:
      return Mul255(a1, a2);
    case GPUTOP_MODULATE2X:
      return std::min(2 * Mul255(a1, a2), 255u);
    case GPUTOP_MODULATE4X:
      return std::min(4 * Mul255(a1, a2), 255u);
    case GPUTOP_ADD:
      return std::min(a1 + a2, 255u);
    case GPUTOP_ADDSIGNED:
      return static_cast<uint32_t>(std::clamp(static_cast<int>(a1 + a2) - 128, 0, 255));
    case GPUTOP_SUBTRACT:
      return a1 > a2 ? a1 - a2 : 0;
    case GPUTOP_BLENDDIFFUSEALPHA:
      return Mul255(a1, diffuseAlpha) + Mul255(a2, 255 - diffuseAlpha);
    case GPUTOP_BLENDTEXTUREALPHA:
      return Mul255(a1, texAlpha) + Mul255(a2, 255 - texAlpha);
    case GPUTOP_BLENDFACTORALPHA:
      return Mul255(a1, factorAlpha) + Mul255(a2, 255 - factorAlpha);
    default:
      return a1;
  }
}

inline uint32_t BlendFactor(uint32_t mode, uint32_t srcC, uint32_t srcA, uint32_t dstC,
                            uint32_t dstA) {
  switch (mode) {
    case GPUBLEND_ZERO:
      return 0;
    case GPUBLEND_ONE:
      return 255;
    case GPUBLEND_SRCCOLOR:
      return srcC;
    case GPUBLEND_INVSRCCOLOR:
      return 255 - srcC;
    case GPUBLEND_SRCALPHA:
      return srcA;
    case GPUBLEND_INVSRCALPHA:
      return 255 - srcA;
    case GPUBLEND_DESTALPHA:
      return dstA;
    case GPUBLEND_INVDESTALPHA:
      return 255 - dstA;
    case GPUBLEND_DESTCOLOR:
      return dstC;
    case GPUBLEND_INVDESTCOLOR:
      return 255 - dstC;
    default:
      return 255;
  }
}

}  // namespace

uint32_t cGpuDevice::Shade(uint32_t texel, uint32_t diffuse) const {
  const uint32_t* st = m_stageStates[0];
  const uint32_t factor = m_renderStates[GPURS_TEXTUREFACTOR];
  auto arg = [&](uint32_t a) {
    switch (a & 0xF) {
      case GPUTA_TEXTURE:
        return texel;
      case GPUTA_TFACTOR:
        return factor;
      default:
        return diffuse;  // diffuse and, at stage 0, current
    }
  };
  const uint32_t c1 = arg(st[GPUTSS_COLORARG1]), c2 = arg(st[GPUTSS_COLORARG2]);
  const uint32_t a1 = arg(st[GPUTSS_ALPHAARG1]), a2 = arg(st[GPUTSS_ALPHAARG2]);
  const uint32_t dA = diffuse >> 24, tA = texel >> 24, fA = factor >> 24;
  uint32_t out = 0;
  uint32_t cop = st[GPUTSS_COLOROP];
  if (cop == GPUTOP_DISABLE) {
    out = diffuse & 0xFFFFFF;
  } else {
    for (int s = 0; s < 24; s += 8)
      out |= std::min(ApplyOp(cop, Channel(c1, s), Channel(c2, s), dA, tA, fA), 255u) << s;
  }
  uint32_t aop = st[GPUTSS_ALPHAOP];
  uint32_t alpha =
      aop == GPUTOP_DISABLE ? dA : std::min(ApplyOp(aop, a1 >> 24, a2 >> 24, dA, tA, fA), 255u);
  return out | alpha << 24;
}

void cGpuDevice::BlendPixel(uint8_t* pDst, uint32_t src) const {
  const GPUFORMAT fmt = m_pRenderTarget->Format();
  if (!m_renderStates[GPURS_ALPHABLENDENABLE]) {
    WriteTexel(pDst, fmt, src);
    return;
  }
  const uint32_t sb = m_renderStates[GPURS_SRCBLEND], db = m_renderStates[GPURS_DESTBLEND];
  const uint32_t sA = src >> 24;
  if (sb == GPUBLEND_SRCALPHA && db == GPUBLEND_INVSRCALPHA) {
    if (sA == 255) {
      WriteTexel(pDst, fmt, src);
      return;
    }
    if (sA == 0) return;
  }
  const uint32_t dst = ReadTexel(pDst, fmt);
  const uint32_t dA = dst >> 24;
  uint32_t out = 0;
  for (int s = 0; s <= 24; s += 8) {
    uint32_t sc = Channel(src, s), dc = Channel(dst, s);
    uint32_t fs = BlendFactor(sb, sc, sA, dc, dA), fd = BlendFactor(db, sc, sA, dc, dA);
    if (s == 24) {  // alpha blends with the alpha parts of the factors
      fs = BlendFactor(sb, sA, sA, dA, dA);
      fd = BlendFactor(db, sA, sA, dA, dA);
    }
    out |= std::min(Mul255(sc, fs) + Mul255(dc, fd), 255u) << s;
  }
  WriteTexel(pDst, fmt, out);
}

namespace {

// Integer source coordinate of a texture coordinate when it names a texel
// edge exactly (within float rounding).
bool SnapTexel(float uv, int nSize, int* pOut) {
  double s = static_cast<double>(uv) * nSize;
  double r = std::nearbyint(s);
  if (std::fabs(s - r) > 1e-3) return false;
  *pOut = static_cast<int>(r);
  return true;
}

// Whether a vertex position is a pixel edge (n - 0.5).
bool SnapEdge(float p, int* pOut) {
  double s = static_cast<double>(p) + 0.5;
  double r = std::nearbyint(s);
  if (std::fabs(s - r) > 1e-4) return false;
  *pOut = static_cast<int>(r);
  return true;
}

inline int FloorDiv(long long a, long long b) {  // b > 0
  long long q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return static_cast<int>(q);
}

inline int Wrap(int v, int n) {
  if (static_cast<unsigned>(v) < static_cast<unsigned>(n)) return v;
  v %= n;
  return v < 0 ? v + n : v;
}

// Texel index for each destination column k of a span of nDst pixels mapped
// onto source texels s0..s1 (s1 < s0 mirrors), sampling at pixel centres.
void MapSpan(int s0, int s1, int nDst, int nTexSize, std::vector<int>& out) {
  out.resize(nDst);
  const long long d = s1 - s0;
  if (d == nDst) {  // one texel per pixel
    for (int k = 0; k < nDst; ++k) out[k] = Wrap(s0 + k, nTexSize);
    return;
  }
  if (d < 0) {
    for (int k = 0; k < nDst; ++k)
      out[k] = Wrap(s0 + FloorDiv((2LL * k + 1) * d, 2LL * nDst), nTexSize);
    return;
  }
  // floor((2k + 1) * d / 2n), stepped without a division per pixel.
  const long long D = 2LL * nDst, step = 2 * d;
  long long q = d / D, r = d % D;
  const long long qStep = step / D, rStep = step % D;
  for (int k = 0; k < nDst; ++k) {
    out[k] = Wrap(s0 + static_cast<int>(q), nTexSize);
    q += qStep;
    r += rStep;
    if (r >= D) {
      r -= D;
      ++q;
    }
  }
}

}  // namespace

bool cGpuDevice::DrawAlignedQuad(const GPUVERTEX* v) {
  // Strip order: left-top, left-bottom, right-top, right-bottom.
  if (v[0].x != v[1].x || v[2].x != v[3].x || v[0].y != v[2].y || v[1].y != v[3].y) return false;
  if (v[0].u != v[1].u || v[2].u != v[3].u || v[0].v != v[2].v || v[1].v != v[3].v) return false;
  if (v[0].diffuse != v[1].diffuse || v[0].diffuse != v[2].diffuse || v[0].diffuse != v[3].diffuse)
    return false;
  int xl, xr, yt, yb;
  if (!SnapEdge(v[0].x, &xl) || !SnapEdge(v[2].x, &xr) || !SnapEdge(v[0].y, &yt) ||
      !SnapEdge(v[1].y, &yb))
    return false;
  const cGpuSurface* tex = m_pTexture ? &m_pTexture->m_level : nullptr;
  int su0 = 0, su1 = 0, sv0 = 0, sv1 = 0;
  if (tex && (!SnapTexel(v[0].u, tex->Width(), &su0) || !SnapTexel(v[2].u, tex->Width(), &su1) ||
              !SnapTexel(v[0].v, tex->Height(), &sv0) || !SnapTexel(v[1].v, tex->Height(), &sv1)))
    return false;
  // A quad given right to left or bottom to top covers the same pixels with
  // the texture running the other way.
  if (xr < xl) {
    std::swap(xl, xr);
    std::swap(su0, su1);
  }
  if (yb < yt) {
    std::swap(yt, yb);
    std::swap(sv0, sv1);
  }
  const int nW = xr - xl, nH = yb - yt;
  if (nW == 0 || nH == 0) return true;
  cGpuSurface* rt = m_pRenderTarget;
  const int x1 = std::max(xl, 0), x2 = std::min(xr, rt->Width());
  const int y1 = std::max(yt, 0), y2 = std::min(yb, rt->Height());
  if (x1 >= x2 || y1 >= y2) return true;
  const uint32_t diffuse = v[0].diffuse;
  const int nDstBytes = GpuFormatBytes(rt->Format());

  if (!tex) {
    uint32_t c = Shade(0xFFFFFFFF, diffuse);
    for (int y = y1; y < y2; ++y) {
      uint8_t* p = rt->Row(y) + x1 * nDstBytes;
      for (int x = x1; x < x2; ++x, p += nDstBytes) BlendPixel(p, c);
    }
    return true;
  }

  thread_local std::vector<int> cols, rows;
  MapSpan(su0, su1, nW, tex->Width(), cols);
  MapSpan(sv0, sv1, nH, tex->Height(), rows);
  const GPUFORMAT tfmt = tex->Format();
  const int nTexBytes = GpuFormatBytes(tfmt);

  // The common case: the texel passes through unchanged and source-alpha
  // blending makes it either replace the target pixel or leave it.
  const uint32_t* st = m_stageStates[0];
  const bool bPassColor =
      (st[GPUTSS_COLOROP] == GPUTOP_SELECTARG1 && st[GPUTSS_COLORARG1] == GPUTA_TEXTURE) ||
      (st[GPUTSS_COLOROP] == GPUTOP_MODULATE && (diffuse & 0xFFFFFF) == 0xFFFFFF &&
       (st[GPUTSS_COLORARG1] == GPUTA_TEXTURE) != (st[GPUTSS_COLORARG2] == GPUTA_TEXTURE));
  const bool bPassAlpha =
      (st[GPUTSS_ALPHAOP] == GPUTOP_SELECTARG1 && st[GPUTSS_ALPHAARG1] == GPUTA_TEXTURE) ||
      (st[GPUTSS_ALPHAOP] == GPUTOP_MODULATE && (diffuse >> 24) == 0xFF &&
       (st[GPUTSS_ALPHAARG1] == GPUTA_TEXTURE) != (st[GPUTSS_ALPHAARG2] == GPUTA_TEXTURE));
  const bool bKeyBlend = m_renderStates[GPURS_ALPHABLENDENABLE] &&
                         m_renderStates[GPURS_SRCBLEND] == GPUBLEND_SRCALPHA &&
                         m_renderStates[GPURS_DESTBLEND] == GPUBLEND_INVSRCALPHA;
  const bool bUnscaled = su1 - su0 == nW;

  if (bPassColor && bPassAlpha && bKeyBlend && nTexBytes == 4 && nDstBytes == 4) {
    const bool bOpaqueTarget = rt->Format() == GPUFMT_X8R8G8B8;
    const int n = x2 - x1;
    // Texels of one row in destination order: taken in place for an
    // unscaled, unwrapped span, gathered otherwise.
    thread_local std::vector<uint32_t> gathered;
    const bool bDirect = bUnscaled && cols[x2 - 1 - xl] == cols[x1 - xl] + (n - 1);
    const bool bStream = WorthStreaming(static_cast<long long>(n) * (y2 - y1));
    if (!bDirect) gathered.resize(n);
    int nGatheredRow = -1;  // an enlarged row repeats: gather it once
    for (int y = y1; y < y2; ++y) {
      const uint32_t* src = reinterpret_cast<const uint32_t*>(tex->Row(rows[y - yt]));
      uint32_t* d = reinterpret_cast<uint32_t*>(rt->Row(y)) + x1;
      const uint32_t* s;
      if (bDirect) {
        s = src + cols[x1 - xl];
      } else {
        if (rows[y - yt] != nGatheredRow) {
          for (int k = 0; k < n; ++k) gathered[k] = src[cols[x1 - xl + k]];
          nGatheredRow = rows[y - yt];
        }
        s = gathered.data();
      }
      auto blend = [&](int k) {
        const uint32_t t = s[k], a = t >> 24;
        if (bOpaqueTarget) {
          const uint32_t o = d[k];
          uint32_t r = 0;
          for (int sh = 0; sh < 24; sh += 8)
            r |= (Mul255(Channel(t, sh), a) + Mul255(Channel(o, sh), 255 - a)) << sh;
          d[k] = r | (o & 0xFF000000u);
        } else {
          BlendPixel(reinterpret_cast<uint8_t*>(d + k), t);
        }
      };
      if (bStream)
        CopyRowByAlpha<true>(d, s, n, blend);
      else
        CopyRowByAlpha<false>(d, s, n, blend);
    }
    if (bStream) StreamFence();
    return true;
  }
  if (bPassColor && bPassAlpha && bKeyBlend && tfmt == GPUFMT_A1R5G5B5 && nDstBytes == 2) {
    const bool bSame = rt->Format() == GPUFMT_A1R5G5B5;
    for (int y = y1; y < y2; ++y) {
      const uint16_t* src = reinterpret_cast<const uint16_t*>(tex->Row(rows[y - yt]));
      uint16_t* dst = reinterpret_cast<uint16_t*>(rt->Row(y));
      for (int x = x1; x < x2; ++x) {
        uint16_t t = src[cols[x - xl]];
        if (!(t & 0x8000)) continue;
        dst[x] =
            bSame ? t : static_cast<uint16_t>((t & 0x7FE0) << 1 | (t & 0x200) >> 4 | (t & 0x1F));
      }
    }
    return true;
  }
  for (int y = y1; y < y2; ++y) {
    const uint8_t* src = tex->Row(rows[y - yt]);
    uint8_t* p = rt->Row(y) + x1 * nDstBytes;
    for (int x = x1; x < x2; ++x, p += nDstBytes)
      BlendPixel(p, Shade(ReadTexel(src + cols[x - xl] * nTexBytes, tfmt), diffuse));
  }
  return true;
}

void cGpuDevice::DrawTriangle(const GPUVERTEX& a, const GPUVERTEX& b, const GPUVERTEX& c) {
  cGpuSurface* rt = m_pRenderTarget;
  double area = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
  if (area == 0) return;
  const GPUVERTEX* p[3] = {&a, &b, &c};
  if (area < 0) {
    std::swap(p[1], p[2]);
    area = -area;
  }
  int minX = static_cast<int>(std::floor(std::min({a.x, b.x, c.x})));
  int maxX = static_cast<int>(std::ceil(std::max({a.x, b.x, c.x})));
  int minY = static_cast<int>(std::floor(std::min({a.y, b.y, c.y})));
  int maxY = static_cast<int>(std::ceil(std::max({a.y, b.y, c.y})));
  minX = std::max(minX, 0);
  minY = std::max(minY, 0);
  maxX = std::min(maxX, rt->Width() - 1);
  maxY = std::min(maxY, rt->Height() - 1);
  const cGpuSurface* tex = m_pTexture ? &m_pTexture->m_level : nullptr;
  const int nDstBytes = GpuFormatBytes(rt->Format());
  // Edge i runs from p[i] to p[(i+1)%3]; a pixel centre on an edge belongs to
  // the triangle only for top and left edges.
  auto edge = [&](int i, double px, double py) {
    const GPUVERTEX& s = *p[i];
    const GPUVERTEX& e = *p[(i + 1) % 3];
    return (static_cast<double>(e.x) - s.x) * (py - s.y) -
           (static_cast<double>(e.y) - s.y) * (px - s.x);
  };
  auto topLeft = [&](int i) {
    const GPUVERTEX& s = *p[i];
    const GPUVERTEX& e = *p[(i + 1) % 3];
    double dy = static_cast<double>(e.y) - s.y, dx = static_cast<double>(e.x) - s.x;
    return (dy == 0 && dx > 0) || dy < 0;
  };
  for (int y = minY; y <= maxY; ++y) {
    for (int x = minX; x <= maxX; ++x) {
      double w[3];
      bool inside = true;
      for (int i = 0; i < 3 && inside; ++i) {
        w[i] = edge(i, x, y);
        if (w[i] < 0 || (w[i] == 0 && !topLeft(i))) inside = false;
      }
      if (!inside) continue;
      // w[i] weighs the vertex opposite edge i.
      double l0 = w[1] / area, l1 = w[2] / area, l2 = w[0] / area;
      uint32_t texel = 0xFFFFFFFF;
      if (tex) {
        double u = l0 * p[0]->u + l1 * p[1]->u + l2 * p[2]->u;
        double v = l0 * p[0]->v + l1 * p[1]->v + l2 * p[2]->v;
        int tx = Wrap(static_cast<int>(std::floor(u * tex->Width())), tex->Width());
        int ty = Wrap(static_cast<int>(std::floor(v * tex->Height())), tex->Height());
        texel = ReadTexel(tex->Row(ty) + tx * GpuFormatBytes(tex->Format()), tex->Format());
      }
      BlendPixel(rt->Row(y) + x * nDstBytes, Shade(texel, a.diffuse));
    }
  }
}

void cGpuDevice::DrawQuad(const GPUVERTEX* v) {
  if (!m_pRenderTarget || m_pRenderTarget->IsPoisoned()) return;
  if (m_pTexture && m_pTexture->m_level.IsPoisoned()) return;
  ++m_nDrawCount;
  if (DrawAlignedQuad(v)) return;
  DrawTriangle(v[0], v[1], v[2]);
  DrawTriangle(v[2], v[1], v[3]);
}

// ---- present and loss --------------------------------------------------------------

GPURESULT cGpuDevice::Present(const void*, const void*, void*, const void*) {
  if (m_lostState) return GPUERR_DEVICELOST;
  cPresenter* pPresenter = m_pPresenter ? m_pPresenter : GetPresenter();
  const cGpuSurface& bb = *m_backBuffer;
  PRESENTFRAME frame;
  frame.nWidth = bb.Width();
  frame.nHeight = bb.Height();
  if (GpuFormatBytes(bb.Format()) == 4) {
    frame.pPixels = reinterpret_cast<const uint32_t*>(bb.Bits());
    frame.nPitch = bb.Pitch() / 4;
  } else {
    m_frame.resize(static_cast<size_t>(bb.Width()) * bb.Height());
    for (int y = 0; y < bb.Height(); ++y) {
      const uint16_t* s = reinterpret_cast<const uint16_t*>(bb.Row(y));
      uint32_t* d = m_frame.data() + static_cast<size_t>(y) * bb.Width();
      if (bb.Format() == GPUFMT_R5G6B5)
        for (int x = 0; x < bb.Width(); ++x) d[x] = Rgb565ToArgb(s[x]);
      else
        for (int x = 0; x < bb.Width(); ++x) d[x] = Argb1555ToArgb(s[x]) | 0xFF000000u;
    }
    frame.pPixels = m_frame.data();
    frame.nPitch = bb.Width();
  }
  pPresenter->Present(frame, m_pp.PresentationInterval != GPUPRESENT_INTERVAL_IMMEDIATE);
  return GPU_OK;
}

GPURESULT cGpuDevice::TestCooperativeLevel() const {
  switch (m_lostState) {
    case 0:
      return GPU_OK;
    case 1:
      return GPUERR_DEVICELOST;
    default:
      return GPUERR_DEVICENOTRESET;
  }
}

GPURESULT cGpuDevice::Reset(const GPUPRESENTPARAMS& pp) {
  if (m_lostState == 1) return GPUERR_DEVICELOST;
  if (GpuFormatBytes(pp.BackBufferFormat) == 0) return GPUERR_INVALIDCALL;
  // Whatever still lives in the default pool has lost its memory.
  for (cGpuTexture* p : m_defaultTextures) p->m_level.Poison();
  m_pp = pp;
  m_backBuffer->Poison();
  CreateBackBuffer();
  ResetStates();
  m_lostState = 0;
  return GPU_OK;
}

void cGpuDevice::InjectDeviceLost() {
  if (m_lostState == 0) m_lostState = 1;
}

void cGpuDevice::MakeResettable() {
  if (m_lostState) m_lostState = 2;
}
