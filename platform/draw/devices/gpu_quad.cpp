#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/draw/devices/gpu_device.h"
#include "platform/draw/devices/gpu_raster.h"
#include "platform/draw/devices/gpu_shading.h"
#include "platform/draw/pixels/pixel_rows.h"
#include "platform/draw/pixels/texel_rows.h"

// How the device draws a quad: an axis-aligned quad whose corners are pixel
// edges and whose texture coordinates are texel edges takes the row loops
// its resolved states allow; any other quad is two triangles.

uint32_t cGpuDevice::Shade(uint32_t texel, uint32_t diffuse) const {
  return GpuShade(m_stageStates[0], m_renderStates[GPURS_TEXTUREFACTOR], texel, diffuse);
}

void cGpuDevice::BlendPixel(uint8_t* pDst, uint32_t src) const {
  const GPUFORMAT fmt = m_pRenderTarget->Format();
  if (!m_renderStates[GPURS_ALPHABLENDENABLE]) {
    GpuWriteTexel(pDst, fmt, src);
    return;
  }
  const uint32_t sb = m_renderStates[GPURS_SRCBLEND], db = m_renderStates[GPURS_DESTBLEND];
  const uint32_t sA = src >> 24;
  if (sb == GPUBLEND_SRCALPHA && db == GPUBLEND_INVSRCALPHA) {
    if (sA == 255) {
      GpuWriteTexel(pDst, fmt, src);
      return;
    }
    if (sA == 0) return;
  }
  GpuWriteTexel(pDst, fmt, GpuBlend(sb, db, src, GpuReadTexel(pDst, fmt)));
}

namespace {

// Texels of a source row in destination order, as ARGB: columns c0 + k, or
// cols[k] when cols is given (nDoubledFrom as DoubledColumnsFrom found for
// them).
void FetchTexels(uint32_t* out, const uint8_t* src, int c0, const int* cols, int nDoubledFrom,
                 int n, GPUFORMAT fmt) {
  switch (fmt) {
    case GPUFMT_A8R8G8B8:
    case GPUFMT_X8R8G8B8:
      FetchRow32(out, reinterpret_cast<const uint32_t*>(src), c0, cols, nDoubledFrom, n,
                 fmt == GPUFMT_X8R8G8B8 ? 0xFF000000u : 0u);
      break;
    case GPUFMT_R5G6B5:
      FetchRow16<true>(out, reinterpret_cast<const uint16_t*>(src), c0, cols, n);
      break;
    case GPUFMT_A1R5G5B5:
      FetchRow16<false>(out, reinterpret_cast<const uint16_t*>(src), c0, cols, n);
      break;
    default:
      std::fill_n(out, n, 0u);
      break;
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
    GpuWriteTexel(texel, fmt, c);
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
    const cConstantBlend16 blend16(c, fmt == GPUFMT_R5G6B5);
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
      BlendRow16<true>(reinterpret_cast<uint16_t*>(pDst), s, n);
    else
      BlendRow16<false>(reinterpret_cast<uint16_t*>(pDst), s, n);
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
  if (!GpuSnapEdge(v[0].x, &xl) || !GpuSnapEdge(v[2].x, &xr) || !GpuSnapEdge(v[0].y, &yt) ||
      !GpuSnapEdge(v[1].y, &yb))
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
  if (tex &&
      (!GpuSnapTexel(v[0].u, tex->Width(), &su0) || !GpuSnapTexel(v[2].u, tex->Width(), &su1) ||
       !GpuSnapTexel(v[0].v, tex->Height(), &sv0) || !GpuSnapTexel(v[1].v, tex->Height(), &sv1)))
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
  if (!bColsDirect) GpuMapSpan(su0, su1, nW, tex->Width(), x1 - xl, n, cols);
  if (!bRowsDirect) GpuMapSpan(sv0, sv1, nH, tex->Height(), y1 - yt, y2 - y1, rows);
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
        BlendPixel(p, Shade(GpuReadTexel(src + u * nTexBytes, tfmt), diffuse));
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
  const int nDoubledFrom = pCols ? DoubledColumnsFrom(pCols, n) : -1;
  // A shrink of 32-bit texels copies its rows run by run.
  thread_local std::vector<COLUMNRUN> runs;
  const bool bRuns = pCols && nDoubledFrom < 0 && nTexBytes == 4 && ColumnRuns(pCols, n, runs);
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
        if (bRuns)
          GatherRuns(shaded.data(), reinterpret_cast<const uint32_t*>(tex->Row(sy)), runs,
                     tfmt == GPUFMT_X8R8G8B8 ? 0xFF000000u : 0u);
        else
          FetchTexels(shaded.data(), tex->Row(sy), c0, pCols, nDoubledFrom, n, tfmt);
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

void cGpuDevice::DrawQuad(const GPUVERTEX* v) {
  if (!m_pRenderTarget || m_pRenderTarget->IsPoisoned()) return;
  if (m_pTexture && m_pTexture->m_level.IsPoisoned()) return;
  ++m_nDrawCount;
  if (DrawAlignedQuad(v)) return;
  DrawTriangle(v[0], v[1], v[2]);
  DrawTriangle(v[2], v[1], v[3]);
}
