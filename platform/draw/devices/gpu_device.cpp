#include "platform/draw/devices/gpu_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/draw/devices/gpu_shading.h"
#include "platform/draw/pixels/pixel_format.h"
#include "platform/draw/pixels/pixel_rows.h"
#include "platform/draw/present/presenter.h"

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

// The 5-bit and 1-bit texel is copied raw between the two 16-bit layouts only
// where the library does it itself; the device blends through 8-bit channels.
inline uint32_t ReadTexel(const uint8_t* p, GPUFORMAT fmt) {
  switch (fmt) {
    case GPUFMT_A8R8G8B8:
      return ReadPixelBytes(p, 4);
    case GPUFMT_X8R8G8B8:
      return ReadPixelBytes(p, 4) | 0xFF000000u;
    case GPUFMT_A1R5G5B5:
      return Argb1555ToArgb(static_cast<uint16_t>(ReadPixelBytes(p, 2)));
    case GPUFMT_R5G6B5:
      return Rgb565ToArgb(static_cast<uint16_t>(ReadPixelBytes(p, 2)));
    default:
      return 0;
  }
}

// An X8R8G8B8 pixel has no alpha: its top byte is written as 0xFF, so that
// whoever reads the bytes as ARGB (the presenter, a locked copy used as a
// texture) sees the pixel opaque.
inline void WriteTexel(uint8_t* p, GPUFORMAT fmt, uint32_t c) {
  switch (fmt) {
    case GPUFMT_A8R8G8B8:
      WritePixelBytes(p, 4, c);
      break;
    case GPUFMT_X8R8G8B8:
      WritePixelBytes(p, 4, c | 0xFF000000u);
      break;
    case GPUFMT_A1R5G5B5:
      WritePixelBytes(p, 2, ArgbTo1555(c));
      break;
    case GPUFMT_R5G6B5:
      WritePixelBytes(p, 2, ArgbTo565(c));
      break;
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

uint32_t cGpuDevice::Shade(uint32_t texel, uint32_t diffuse) const {
  return GpuShade(m_stageStates[0], m_renderStates[GPURS_TEXTUREFACTOR], texel, diffuse);
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
  WriteTexel(pDst, fmt, GpuBlend(sb, db, src, ReadTexel(pDst, fmt)));
}

namespace {

// The integer nearest s when s lies within tolerance of it and inside
// ±nLimit; NaN never snaps.
inline bool SnapNearest(double s, double tolerance, double nLimit, int* pOut) {
  if (!(std::fabs(s) < nLimit)) return false;
  const double r = static_cast<double>(static_cast<long long>(s + (s < 0 ? -0.5 : 0.5)));
  if (std::fabs(s - r) > tolerance) return false;
  *pOut = static_cast<int>(r);
  return true;
}

// Integer source coordinate of a texture coordinate when it names a texel
// edge exactly (within float rounding).
bool SnapTexel(float uv, int nSize, int* pOut) {
  return SnapNearest(static_cast<double>(uv) * nSize, 1e-3, 1e9, pOut);
}

// Whether a vertex position is a pixel edge (n - 0.5). Positions far off the
// target go to the triangle rasteriser, which clips them without spans the
// size of the quad.
bool SnapEdge(float p, int* pOut) {
  return SnapNearest(static_cast<double>(p) + 0.5, 1e-4, 1 << 24, pOut);
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

// The wrapped texel under texture coordinate t (texel 0 for coordinates too
// large to name one).
inline int TexelIndex(double t, int nSize) {
  const double s = std::floor(t * nSize);
  if (!(std::fabs(s) < 2e9)) return 0;
  return Wrap(static_cast<int>(s), nSize);
}

// Texel index for destination columns kFirst .. kFirst + nCount - 1 of a span
// of nDst pixels mapped onto source texels s0..s1 (s1 < s0 mirrors),
// sampling at pixel centres.
void MapSpan(int s0, int s1, int nDst, int nTexSize, int kFirst, int nCount,
             std::vector<int>& out) {
  out.resize(nCount);
  const long long d = static_cast<long long>(s1) - s0;
  if (d == nDst) {  // one texel per pixel
    for (int i = 0; i < nCount; ++i) out[i] = Wrap(s0 + kFirst + i, nTexSize);
    return;
  }
  const long long D = 2LL * nDst;
  if (d < 0) {
    for (int i = 0; i < nCount; ++i)
      out[i] = Wrap(s0 + FloorDiv((2LL * (kFirst + i) + 1) * d, D), nTexSize);
    return;
  }
  // floor((2k + 1) * d / 2n), stepped without a division per pixel.
  const long long step = 2 * d, first = (2LL * kFirst + 1) * d;
  long long q = first / D, r = first % D;
  const long long qStep = step / D, rStep = step % D;
  for (int i = 0; i < nCount; ++i) {
    out[i] = Wrap(s0 + static_cast<int>(q), nTexSize);
    q += qStep;
    r += rStep;
    if (r >= D) {
      r -= D;
      ++q;
    }
  }
}

}  // namespace

namespace {

// Where the columns take every texel twice in a row (a 2x enlargement), the
// index of the first column that starts a pair; -1 otherwise.
int DoubledFrom(const int* cols, int n) {
  if (n < 2) return -1;
  const int nFirst = cols[0] == cols[1] ? 0 : 1;
  for (int k = nFirst; k < n; ++k)
    if (cols[k] != cols[nFirst] + ((k - nFirst) >> 1)) return -1;
  return nFirst;
}

// Texels of a source row in destination order, as ARGB: columns c0 + k, or
// cols[k] when cols is given (nDoubledFrom as DoubledFrom found for them).
void FetchRow(uint32_t* out, const uint8_t* src, int c0, const int* cols, int nDoubledFrom, int n,
              GPUFORMAT fmt) {
  if (fmt == GPUFMT_A8R8G8B8 || fmt == GPUFMT_X8R8G8B8) {
    const uint32_t* s = reinterpret_cast<const uint32_t*>(src);
    const uint32_t dwForce = fmt == GPUFMT_X8R8G8B8 ? 0xFF000000u : 0u;
    int k = 0;
    if (!cols) {
#if defined(__SSE2__)
      const __m128i vForce = _mm_set1_epi32(static_cast<int>(dwForce));
      for (; k + 4 <= n; k += 4)
        _mm_storeu_si128(
            reinterpret_cast<__m128i*>(out + k),
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + c0 + k)), vForce));
#endif
      for (; k < n; ++k) out[k] = s[c0 + k] | dwForce;
      return;
    }
#if defined(__SSE2__)
    if (nDoubledFrom >= 0) {
      for (; k < nDoubledFrom; ++k) out[k] = s[cols[k]] | dwForce;
      const uint32_t* p = s + cols[k];
      const __m128i vForce = _mm_set1_epi32(static_cast<int>(dwForce));
      for (; k + 8 <= n; k += 8, p += 4) {
        const __m128i v =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), vForce);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_unpacklo_epi32(v, v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k + 4), _mm_unpackhi_epi32(v, v));
      }
    }
#endif
    for (; k < n; ++k) out[k] = s[cols[k]] | dwForce;
    return;
  }
  const int nBytes = GpuFormatBytes(fmt);
  for (int k = 0; k < n; ++k) out[k] = ReadTexel(src + (cols ? cols[k] : c0 + k) * nBytes, fmt);
}

// One channel of a 16-bit pixel.
struct FIELD {
  int nShift, nBits;
};

// Source-alpha blend of a constant colour over 16-bit pixels: each channel
// of the result depends only on the same channel of the pixel, so a table per
// channel, filled through the per-pixel arithmetic, gives the result.
class cConstantBlend16 {
 public:
  cConstantBlend16(uint32_t c, GPUFORMAT fmt) {
    static constexpr FIELD k565[] = {{0, 5}, {5, 6}, {11, 5}};
    static constexpr FIELD k1555[] = {{0, 5}, {5, 5}, {10, 5}, {15, 1}};
    const FIELD* pFields = fmt == GPUFMT_R5G6B5 ? k565 : k1555;
    m_nFields = fmt == GPUFMT_R5G6B5 ? 3 : 4;
    for (int f = 0; f < m_nFields; ++f) {
      m_fields[f] = pFields[f];
      const uint32_t nMask = (1u << pFields[f].nBits) - 1;
      for (uint32_t v = 0; v <= nMask; ++v) {
        uint8_t in[4] = {}, out[4] = {};
        const uint16_t p = static_cast<uint16_t>(v << pFields[f].nShift);
        std::memcpy(in, &p, 2);
        WriteTexel(out, fmt, pixel_rows_detail::BlendSourceAlpha(c, ReadTexel(in, fmt), 0));
        uint16_t r;
        std::memcpy(&r, out, 2);
        m_tables[f][v] = static_cast<uint16_t>(r & (nMask << pFields[f].nShift));
      }
    }
  }
  void Row(uint16_t* d, int n) const {
    for (int k = 0; k < n; ++k) {
      const uint32_t p = d[k];
      uint16_t r = 0;
      for (int f = 0; f < m_nFields; ++f)
        r |= m_tables[f][(p >> m_fields[f].nShift) & ((1u << m_fields[f].nBits) - 1)];
      d[k] = r;
    }
  }

 private:
  int m_nFields;
  FIELD m_fields[4];
  uint16_t m_tables[4][64];  // by the channel's stored value (at most 6 bits)
};

// Source-alpha blend of ARGB colours over 16-bit pixels of one format.
template <GPUFORMAT fmt>
void BlendRow16(uint8_t* p, const uint32_t* s, int n) {
  for (int k = 0; k < n; ++k, p += 2) {
    const uint32_t a = s[k] >> 24;
    if (a == 255)
      WriteTexel(p, fmt, s[k]);
    else if (a != 0)
      WriteTexel(p, fmt, pixel_rows_detail::BlendSourceAlpha(s[k], ReadTexel(p, fmt), 0));
  }
}

}  // namespace

void cGpuDevice::FillAligned(int x1, int y1, int x2, int y2, uint32_t c, eGpuBlend blend) {
  cGpuSurface* rt = m_pRenderTarget;
  const GPUFORMAT fmt = rt->Format();
  const int nBytes = GpuFormatBytes(fmt);
  const int n = x2 - x1;
  const uint32_t a = c >> 24;
  if (blend == eGpuBlend::kSourceAlpha && a == 0) return;
  if (blend == eGpuBlend::kReplace || (blend == eGpuBlend::kSourceAlpha && a == 255)) {
    uint8_t texel[4];
    WriteTexel(texel, fmt, c);
    for (int y = y1; y < y2; ++y) {
      uint8_t* p = rt->Row(y) + x1 * nBytes;
      if (nBytes == 4) {
        uint32_t v;
        std::memcpy(&v, texel, 4);
        std::fill_n(reinterpret_cast<uint32_t*>(p), n, v);
      } else {
        uint16_t v;
        std::memcpy(&v, texel, 2);
        std::fill_n(reinterpret_cast<uint16_t*>(p), n, v);
      }
    }
    return;
  }
  if (blend == eGpuBlend::kSourceAlpha && nBytes == 4) {
    const uint32_t dwForce = fmt == GPUFMT_X8R8G8B8 ? 0xFF000000u : 0u;
    for (int y = y1; y < y2; ++y)
      BlendRowConstant(reinterpret_cast<uint32_t*>(rt->Row(y)) + x1, n, c, dwForce);
    return;
  }
  if (blend == eGpuBlend::kSourceAlpha) {
    const cConstantBlend16 blend16(c, fmt);
    for (int y = y1; y < y2; ++y) blend16.Row(reinterpret_cast<uint16_t*>(rt->Row(y)) + x1, n);
    return;
  }
  for (int y = y1; y < y2; ++y) {
    uint8_t* p = rt->Row(y) + x1 * nBytes;
    for (int x = x1; x < x2; ++x, p += nBytes) BlendPixel(p, c);
  }
}

void cGpuDevice::BlendRow(uint8_t* pDst, const uint32_t* s, int n, eGpuBlend blend, bool bStream) {
  const GPUFORMAT fmt = m_pRenderTarget->Format();
  if (fmt == GPUFMT_A8R8G8B8 || fmt == GPUFMT_X8R8G8B8) {
    uint32_t* d = reinterpret_cast<uint32_t*>(pDst);
    const uint32_t dwForce = fmt == GPUFMT_X8R8G8B8 ? 0xFF000000u : 0u;
    switch (blend) {
      case eGpuBlend::kSourceAlpha:
        if (bStream)
          BlendRowSourceAlpha<true>(d, s, n, dwForce);
        else
          BlendRowSourceAlpha<false>(d, s, n, dwForce);
        return;
      case eGpuBlend::kReplace:
        for (int k = 0; k < n; ++k) d[k] = s[k] | dwForce;
        return;
      case eGpuBlend::kGeneral:
        break;
    }
  } else if (blend == eGpuBlend::kSourceAlpha) {
    if (fmt == GPUFMT_R5G6B5)
      BlendRow16<GPUFMT_R5G6B5>(pDst, s, n);
    else
      BlendRow16<GPUFMT_A1R5G5B5>(pDst, s, n);
    return;
  }
  const int nBytes = GpuFormatBytes(fmt);
  for (int k = 0; k < n; ++k, pDst += nBytes) BlendPixel(pDst, s[k]);
}

const GPUSHADING& cGpuDevice::QuadShading(uint32_t diffuse) {
  uint32_t key[GPUTSS_COUNT + 2];
  std::copy_n(m_stageStates[0], GPUTSS_COUNT, key);
  key[GPUTSS_COUNT] = m_renderStates[GPURS_TEXTUREFACTOR];
  key[GPUTSS_COUNT + 1] = diffuse;
  if (!m_bShadingValid || std::memcmp(key, m_shadingKey, sizeof(key)) != 0) {
    m_shading = ResolveGpuShading(m_stageStates[0], m_renderStates[GPURS_TEXTUREFACTOR], diffuse);
    std::memcpy(m_shadingKey, key, sizeof(key));
    m_bShadingValid = true;
  }
  return m_shading;
}

bool cGpuDevice::DrawAlignedQuad(const GPUVERTEX* v) {
  // Strip order: left-top, left-bottom, right-top, right-bottom.
  if (v[0].x != v[1].x || v[2].x != v[3].x || v[0].y != v[2].y || v[1].y != v[3].y) return false;
  if (v[0].diffuse != v[1].diffuse || v[0].diffuse != v[2].diffuse || v[0].diffuse != v[3].diffuse)
    return false;
  int xl, xr, yt, yb;
  if (!SnapEdge(v[0].x, &xl) || !SnapEdge(v[2].x, &xr) || !SnapEdge(v[0].y, &yt) ||
      !SnapEdge(v[1].y, &yb))
    return false;
  const uint32_t diffuse = v[0].diffuse;
  const GPUSHADING& shading = QuadShading(diffuse);
  // A texture the shading does not read needs no exact texel mapping (the
  // whole quad takes one colour).
  const cGpuSurface* tex =
      m_pTexture && (shading.bUsesTexel || m_bReferencePath) ? &m_pTexture->m_level : nullptr;
  if ((tex || m_bReferencePath) &&
      (v[0].u != v[1].u || v[2].u != v[3].u || v[0].v != v[2].v || v[1].v != v[3].v))
    return false;
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
  const int nDstBytes = GpuFormatBytes(rt->Format());
  const eGpuBlend blend = ResolveGpuBlend(m_renderStates);

  if (!tex) {
    const uint32_t c = Shade(0xFFFFFFFF, diffuse);
    if (m_bReferencePath) {
      for (int y = y1; y < y2; ++y) {
        uint8_t* p = rt->Row(y) + x1 * nDstBytes;
        for (int x = x1; x < x2; ++x, p += nDstBytes) BlendPixel(p, c);
      }
    } else {
      FillAligned(x1, y1, x2, y2, c, blend);
    }
    return true;
  }

  // Source column and row of each target column and row; an unscaled span
  // inside the texture needs no table.
  const bool bColsDirect = su1 - su0 == nW && su0 >= 0 && su1 <= tex->Width();
  const bool bRowsDirect = sv1 - sv0 == nH && sv0 >= 0 && sv1 <= tex->Height();
  const int n = x2 - x1;
  thread_local std::vector<int> cols, rows;
  if (!bColsDirect) MapSpan(su0, su1, nW, tex->Width(), x1 - xl, n, cols);
  if (!bRowsDirect) MapSpan(sv0, sv1, nH, tex->Height(), y1 - yt, y2 - y1, rows);
  const int c0 = su0 + (x1 - xl);
  const int* pCols = bColsDirect ? nullptr : cols.data();
  auto sourceRow = [&](int y) { return bRowsDirect ? sv0 + (y - yt) : rows[y - y1]; };
  const GPUFORMAT tfmt = tex->Format();
  const int nTexBytes = GpuFormatBytes(tfmt);

  if (m_bReferencePath) {
    for (int y = y1; y < y2; ++y) {
      const uint8_t* src = tex->Row(sourceRow(y));
      uint8_t* p = rt->Row(y) + x1 * nDstBytes;
      for (int k = 0; k < n; ++k, p += nDstBytes) {
        const int u = pCols ? pCols[k] : c0 + k;
        BlendPixel(p, Shade(ReadTexel(src + u * nTexBytes, tfmt), diffuse));
      }
    }
    return true;
  }

  // Keyed 16-bit texels onto a 16-bit target: one bit of alpha either
  // replaces the pixel or leaves it.
  if (shading.IsIdentity() && blend == eGpuBlend::kSourceAlpha && tfmt == GPUFMT_A1R5G5B5 &&
      nDstBytes == 2) {
    const bool bSame = rt->Format() == GPUFMT_A1R5G5B5;
    for (int y = y1; y < y2; ++y) {
      const uint16_t* src = reinterpret_cast<const uint16_t*>(tex->Row(sourceRow(y)));
      uint16_t* dst = reinterpret_cast<uint16_t*>(rt->Row(y)) + x1;
      for (int k = 0; k < n; ++k) {
        uint16_t t = src[pCols ? pCols[k] : c0 + k];
        if (!(t & 0x8000)) continue;
        dst[k] = bSame ? t : Rgb555To565(t);
      }
    }
    return true;
  }

  // Each row: the shaded colours of its texels (taken in place for an
  // unscaled, unwrapped span of ARGB texels that pass through unchanged,
  // fetched and shaded once per source row otherwise; an enlarged row
  // repeats), then blended into the target.
  const bool bDirect = tfmt == GPUFMT_A8R8G8B8 && shading.IsIdentity() &&
                       (bColsDirect || (su1 - su0 == nW && pCols[n - 1] == pCols[0] + (n - 1)));
  const bool bStream = nDstBytes == 4 && blend == eGpuBlend::kSourceAlpha &&
                       WorthStreaming(static_cast<long long>(n) * (y2 - y1));
  if (bDirect && bRowsDirect && nDstBytes == 4 && blend == eGpuBlend::kSourceAlpha) {
    const uint32_t* s =
        reinterpret_cast<const uint32_t*>(tex->Row(sv0 + (y1 - yt))) + (pCols ? pCols[0] : c0);
    uint32_t* d = reinterpret_cast<uint32_t*>(rt->Row(y1)) + x1;
    const uint32_t dwForce = rt->Format() == GPUFMT_X8R8G8B8 ? 0xFF000000u : 0u;
    if (bStream) {
      BlendRectSourceAlpha<true>(d, rt->Pitch() / 4, s, tex->Pitch() / 4, n, y2 - y1, dwForce);
      StreamFence();
    } else {
      BlendRectSourceAlpha<false>(d, rt->Pitch() / 4, s, tex->Pitch() / 4, n, y2 - y1, dwForce);
    }
    return true;
  }
  thread_local std::vector<uint32_t> shaded;
  if (!bDirect) shaded.resize(n);
  const int nDoubledFrom = pCols ? DoubledFrom(pCols, n) : -1;
  int nShadedRow = -1;
  for (int y = y1; y < y2; ++y) {
    const int sy = sourceRow(y);
    const uint32_t* s;
    if (bDirect) {
      s = reinterpret_cast<const uint32_t*>(tex->Row(sy)) + (pCols ? pCols[0] : c0);
    } else {
      if (sy != nShadedRow && !pCols && tfmt == GPUFMT_A8R8G8B8 && !shading.bGeneral) {
        // Modulated straight from the texture row.
        ModulateRow(shaded.data(), reinterpret_cast<const uint32_t*>(tex->Row(sy)) + c0, n,
                    shading.dwMul, shading.dwAdd);
        nShadedRow = sy;
      } else if (sy != nShadedRow) {
        FetchRow(shaded.data(), tex->Row(sy), c0, pCols, nDoubledFrom, n, tfmt);
        if (shading.bGeneral) {
          for (int k = 0; k < n; ++k) shaded[k] = Shade(shaded[k], diffuse);
        } else if (!shading.IsIdentity()) {
          ModulateRow(shaded.data(), shaded.data(), n, shading.dwMul, shading.dwAdd);
        }
        nShadedRow = sy;
      }
      s = shaded.data();
    }
    BlendRow(rt->Row(y) + x1 * nDstBytes, s, n, blend, bStream);
  }
  if (bStream) StreamFence();
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
  if (!std::isfinite(area)) return;  // a vertex at infinity or NaN
  // The bounding box, clipped to the target before it becomes an int.
  auto clip = [](double v, int nMax) {
    return static_cast<int>(std::clamp(v, -1.0, static_cast<double>(nMax)));
  };
  const int minX = std::max(clip(std::floor(std::min({a.x, b.x, c.x})), rt->Width()), 0);
  const int maxX =
      std::min(clip(std::ceil(std::max({a.x, b.x, c.x})), rt->Width()), rt->Width() - 1);
  const int minY = std::max(clip(std::floor(std::min({a.y, b.y, c.y})), rt->Height()), 0);
  const int maxY =
      std::min(clip(std::ceil(std::max({a.y, b.y, c.y})), rt->Height()), rt->Height() - 1);
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
        const int tx = TexelIndex(u, tex->Width()), ty = TexelIndex(v, tex->Height());
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
