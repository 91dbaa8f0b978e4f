#include "platform/draw/devices/gpu_raster.h"

#include <algorithm>
#include <cmath>

#include "platform/draw/devices/gpu_device.h"

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
        const int tx = GpuTexelIndex(u, tex->Width()), ty = GpuTexelIndex(v, tex->Height());
        texel = GpuReadTexel(tex->Row(ty) + tx * GpuFormatBytes(tex->Format()), tex->Format());
      }
      BlendPixel(rt->Row(y) + x * nDstBytes, Shade(texel, a.diffuse));
    }
  }
}
