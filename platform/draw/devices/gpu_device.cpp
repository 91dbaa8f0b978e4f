#include "platform/draw/devices/gpu_device.h"

#include <algorithm>
#include <cstring>

#include "platform/draw/present/presenter.h"

namespace {
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
  m_pixels = cPixelStore(static_cast<size_t>(m_nPitch) * nHeight);
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
  return GpuReadTexel(Row(y) + x * GpuFormatBytes(m_fmt), m_fmt);
}

void cGpuSurface::WriteArgb(int x, int y, uint32_t argb) {
  GpuWriteTexel(Row(y) + x * GpuFormatBytes(m_fmt), m_fmt, argb);
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
  GpuWriteTexel(texel, rt->Format(), dwColor);
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
