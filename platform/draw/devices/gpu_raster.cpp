#include "platform/draw/devices/gpu_raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/draw/devices/gpu_device.h"
#include "platform/draw/pixels/pixel_rows.h"

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

inline int FloorDiv(long long a, long long b) {  // b > 0
  long long q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return static_cast<int>(q);
}

}  // namespace

bool GpuSnapTexel(float uv, int nSize, int* pOut) {
  return SnapNearest(static_cast<double>(uv) * nSize, 1e-3, 1e9, pOut);
}

bool GpuSnapEdge(float p, int* pOut) {
  return SnapNearest(static_cast<double>(p) + 0.5, 1e-4, 1 << 24, pOut);
}

int GpuTexelIndex(double t, int nSize) {
  const double s = std::floor(t * nSize);
  if (!(std::fabs(s) < 2e9)) return 0;
  return GpuWrap(static_cast<int>(s), nSize);
}

void GpuMapSpan(int s0, int s1, int nDst, int nTexSize, int kFirst, int nCount,
                std::vector<int>& out) {
  out.resize(nCount);
  const long long d = static_cast<long long>(s1) - s0;
  if (d == nDst) {  // one texel per pixel
    for (int i = 0; i < nCount; ++i) out[i] = GpuWrap(s0 + kFirst + i, nTexSize);
    return;
  }
  const long long D = 2LL * nDst;
  if (d < 0) {
    for (int i = 0; i < nCount; ++i)
      out[i] = GpuWrap(s0 + FloorDiv((2LL * (kFirst + i) + 1) * d, D), nTexSize);
    return;
  }
  // floor((2k + 1) * d / 2n), stepped without a division per pixel.
  const long long step = 2 * d, first = (2LL * kFirst + 1) * d;
  long long q = first / D, r = first % D;
  const long long qStep = step / D, rStep = step % D;
  for (int i = 0; i < nCount; ++i) {
    out[i] = GpuWrap(s0 + static_cast<int>(q), nTexSize);
    q += qStep;
    r += rStep;
    if (r >= D) {
      r -= D;
      ++q;
    }
  }
}

namespace {

// A triangle ready to be drawn: its vertices in counter-clockwise order on
// the screen (positive area), its edges, and the planes of its texture
// coordinates.
//   Edge i runs from p[i] to p[(i + 1) % 3]; a pixel centre (x, y) lies on its
// inner side where E_i (y - s.y) - D_i (x - s.x) > 0, or = 0 on a top or left
// edge, as doubles evaluate it. For a given row that value never rises as x
// grows when D_i > 0 and never falls when D_i < 0 (each rounded step is
// monotonic), so the pixels inside all three edges form one span.
//   A texture coordinate at a pixel centre is on the plane through the three
// vertices: At (x - x0) + (t0 + Bt (y - y0)), evaluated in that order by the
// per-pixel path and the row loops alike.
struct TRIANGLE {
  const GPUVERTEX* p[3];
  double E[3], D[3];
  bool bTopLeft[3];
  double Au = 0, Bu = 0, Av = 0, Bv = 0;

  bool Inside(int i, double x, double y) const {
    const GPUVERTEX& s = *p[i];
    const double w = E[i] * (y - s.y) - D[i] * (x - s.x);
    return w > 0 || (w == 0 && bTopLeft[i]);
  }
  bool Inside(double x, double y) const {
    return Inside(0, x, y) && Inside(1, x, y) && Inside(2, x, y);
  }
  // The pixels of row y inside the triangle, within [x1, x2]; false when none.
  bool Span(int y, int& x1, int& x2) const {
    for (int i = 0; i < 3 && x1 <= x2; ++i) {
      if (D[i] == 0) {
        if (!Inside(i, x1, y)) return false;
        continue;
      }
      // The inner side lies toward smaller x when D > 0: the last x inside;
      // otherwise the first.
      int lo = x1, hi = x2;
      if (D[i] > 0) {
        if (!Inside(i, lo, y)) return false;
        while (lo < hi) {
          const int mid = lo + (hi - lo + 1) / 2;
          if (Inside(i, mid, y))
            lo = mid;
          else
            hi = mid - 1;
        }
        x2 = lo;
      } else {
        if (!Inside(i, hi, y)) return false;
        while (lo < hi) {
          const int mid = lo + (hi - lo) / 2;
          if (Inside(i, mid, y))
            hi = mid;
          else
            lo = mid + 1;
        }
        x1 = lo;
      }
    }
    return x1 <= x2;
  }
  // The parts of the texture coordinates that depend on the row, and the
  // column's distance from the first vertex: u = Au DX(x) + RowU(y).
  double RowU(int y) const { return p[0]->u + Bu * (y - static_cast<double>(p[0]->y)); }
  double RowV(int y) const { return p[0]->v + Bv * (y - static_cast<double>(p[0]->y)); }
  double DX(int x) const { return x - static_cast<double>(p[0]->x); }
};

// Sets the triangle up; false when it covers no area (or has a vertex at
// infinity or NaN).
bool SetUpTriangle(TRIANGLE& t, const GPUVERTEX& a, const GPUVERTEX& b, const GPUVERTEX& c) {
  double area = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
  if (area == 0 || !std::isfinite(area)) return false;
  t.p[0] = &a;
  t.p[1] = &b;
  t.p[2] = &c;
  if (area < 0) {
    std::swap(t.p[1], t.p[2]);
    area = -area;
  }
  for (int i = 0; i < 3; ++i) {
    const GPUVERTEX& s = *t.p[i];
    const GPUVERTEX& e = *t.p[(i + 1) % 3];
    t.E[i] = static_cast<double>(e.x) - s.x;
    t.D[i] = static_cast<double>(e.y) - s.y;
    t.bTopLeft[i] = (t.D[i] == 0 && t.E[i] > 0) || t.D[i] < 0;
  }
  const GPUVERTEX &p0 = *t.p[0], &p1 = *t.p[1], &p2 = *t.p[2];
  const double x1 = static_cast<double>(p1.x) - p0.x, y1 = static_cast<double>(p1.y) - p0.y;
  const double x2 = static_cast<double>(p2.x) - p0.x, y2 = static_cast<double>(p2.y) - p0.y;
  const double u1 = static_cast<double>(p1.u) - p0.u, u2 = static_cast<double>(p2.u) - p0.u;
  const double v1 = static_cast<double>(p1.v) - p0.v, v2 = static_cast<double>(p2.v) - p0.v;
  t.Au = (u1 * y2 - u2 * y1) / area;
  t.Bu = (u2 * x1 - u1 * x2) / area;
  t.Av = (v1 * y2 - v2 * y1) / area;
  t.Bv = (v2 * x1 - v1 * x2) / area;
  return true;
}

#if defined(__x86_64__)
// The texels a row of a triangle samples from a texture of 32-bit texels, as
// the per-pixel path reads them (GpuTexelIndex of each coordinate), four
// columns at a time; groups with a coordinate outside the texture, which
// wraps, are left to the caller: pDone[g] says whether group g was fetched.
__attribute__((target("avx2"))) void FetchTurnedRow32Avx2(uint32_t* out, uint8_t* pDone, int x1,
                                                          int n, const TRIANGLE& t, double rowU,
                                                          double rowV, const cGpuSurface& tex,
                                                          uint32_t dwForce) {
  const __m256d vx0 = _mm256_set1_pd(t.p[0]->x);
  const __m256d vAu = _mm256_set1_pd(t.Au), vAv = _mm256_set1_pd(t.Av);
  const __m256d vRowU = _mm256_set1_pd(rowU), vRowV = _mm256_set1_pd(rowV);
  const __m256d vW = _mm256_set1_pd(tex.Width()), vH = _mm256_set1_pd(tex.Height());
  const __m256d vLimit = _mm256_set1_pd(2e9),
                vAbs = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFFLL));
  const __m128i vWi = _mm_set1_epi32(tex.Width()), vHi = _mm_set1_epi32(tex.Height());
  const __m128i vPitch = _mm_set1_epi32(tex.Pitch()),
                vForce = _mm_set1_epi32(static_cast<int>(dwForce));
  const int* pBase = reinterpret_cast<const int*>(tex.Row(0));
  __m256d vx = _mm256_add_pd(_mm256_set1_pd(x1), _mm256_set_pd(3, 2, 1, 0));
  const __m256d vStep = _mm256_set1_pd(4);
  for (int k = 0; k + 4 <= n; k += 4, vx = _mm256_add_pd(vx, vStep)) {
    const __m256d dx = _mm256_sub_pd(vx, vx0);
    const __m256d su =
        _mm256_floor_pd(_mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(vAu, dx), vRowU), vW));
    const __m256d sv =
        _mm256_floor_pd(_mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(vAv, dx), vRowV), vH));
    const __m256d okU = _mm256_cmp_pd(_mm256_and_pd(su, vAbs), vLimit, _CMP_LT_OQ);
    const __m256d okV = _mm256_cmp_pd(_mm256_and_pd(sv, vAbs), vLimit, _CMP_LT_OQ);
    // Coordinates too large to name a texel sample texel 0.
    const __m128i iu = _mm256_cvttpd_epi32(_mm256_and_pd(su, okU));
    const __m128i iv = _mm256_cvttpd_epi32(_mm256_and_pd(sv, okV));
    const __m128i outU = _mm_or_si128(_mm_cmpgt_epi32(_mm_setzero_si128(), iu),
                                      _mm_cmpgt_epi32(iu, _mm_sub_epi32(vWi, _mm_set1_epi32(1))));
    const __m128i outV = _mm_or_si128(_mm_cmpgt_epi32(_mm_setzero_si128(), iv),
                                      _mm_cmpgt_epi32(iv, _mm_sub_epi32(vHi, _mm_set1_epi32(1))));
    pDone[k >> 2] = _mm_movemask_epi8(_mm_or_si128(outU, outV)) == 0;
    if (!pDone[k >> 2]) continue;
    const __m128i offs = _mm_add_epi32(_mm_mullo_epi32(iv, vPitch), _mm_slli_epi32(iu, 2));
    const __m128i texels = _mm_i32gather_epi32(pBase, offs, 1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_or_si128(texels, vForce));
  }
}
#endif

}  // namespace

void cGpuDevice::DrawTriangle(const GPUVERTEX& a, const GPUVERTEX& b, const GPUVERTEX& c) {
  TRIANGLE t;
  if (!SetUpTriangle(t, a, b, c)) return;
  cGpuSurface* rt = m_pRenderTarget;
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
  const GPUSHADING& shading = QuadShading(a.diffuse);
  const cGpuSurface* tex =
      m_pTexture && (shading.bUsesTexel || m_bReferencePath) ? &m_pTexture->m_level : nullptr;
  const int nDstBytes = GpuFormatBytes(rt->Format());
  const GPUFORMAT tfmt = tex ? tex->Format() : GPUFMT_UNKNOWN;
  const int nTexBytes = GpuFormatBytes(tfmt);
  auto texel = [&](int x, double rowU, double rowV) {
    const double dx = t.DX(x);
    const int tx = GpuTexelIndex(t.Au * dx + rowU, tex->Width());
    const int ty = GpuTexelIndex(t.Av * dx + rowV, tex->Height());
    return GpuReadTexel(tex->Row(ty) + tx * nTexBytes, tfmt);
  };

  if (m_bReferencePath) {
    for (int y = minY; y <= maxY; ++y) {
      const double rowU = tex ? t.RowU(y) : 0, rowV = tex ? t.RowV(y) : 0;
      for (int x = minX; x <= maxX; ++x) {
        if (!t.Inside(x, y)) continue;
        const uint32_t c = tex ? texel(x, rowU, rowV) : 0xFFFFFFFF;
        BlendPixel(rt->Row(y) + x * nDstBytes, Shade(c, a.diffuse));
      }
    }
    return;
  }

  // Row by row: the span inside the triangle, its texels fetched and shaded
  // into a row of colours, then blended by the row loops.
  const eGpuBlend blend = ResolveGpuBlend(m_renderStates);
  const uint32_t dwConstant = tex ? 0 : Shade(0xFFFFFFFF, a.diffuse);
  thread_local std::vector<uint32_t> row;
  thread_local std::vector<uint8_t> done;  // per group of four columns
  if (minX <= maxX && row.size() < static_cast<size_t>(maxX - minX + 1)) {
    row.resize(static_cast<size_t>(maxX - minX + 1));
    done.resize(row.size() / 4 + 1);
  }
#if defined(__x86_64__)
  const bool bVector =
      pixel_rows_detail::g_bHasAvx2 && (tfmt == GPUFMT_A8R8G8B8 || tfmt == GPUFMT_X8R8G8B8);
#else
  const bool bVector = false;
#endif
  for (int y = minY; y <= maxY; ++y) {
    int x1 = minX, x2 = maxX;
    if (!t.Span(y, x1, x2)) continue;
    if (!tex) {
      FillAligned(x1, y, x2 + 1, y + 1, dwConstant, blend);
      continue;
    }
    const int n = x2 - x1 + 1;
    const double rowU = t.RowU(y), rowV = t.RowV(y);
    int k = 0;
#if defined(__x86_64__)
    if (bVector) {
      FetchTurnedRow32Avx2(row.data(), done.data(), x1, n, t, rowU, rowV, *tex,
                           tfmt == GPUFMT_X8R8G8B8 ? 0xFF000000u : 0u);
      for (; k + 4 <= n; k += 4)
        if (!done[k >> 2])
          for (int j = k; j < k + 4; ++j) row[j] = texel(x1 + j, rowU, rowV);
    }
#endif
    for (; k < n; ++k) row[k] = texel(x1 + k, rowU, rowV);
    if (shading.bGeneral) {
      for (int k = 0; k < n; ++k) row[k] = Shade(row[k], a.diffuse);
    } else if (!shading.IsIdentity()) {
      ModulateRow(row.data(), row.data(), n, shading.dwMul, shading.dwAdd);
    }
    BlendRow(rt->Row(y) + x1 * nDstBytes, row.data(), n, blend, false);
  }
}
