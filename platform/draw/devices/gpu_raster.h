#pragma once
// Where the software device's quads land: vertex positions and texture
// coordinates snapped to pixel and texel edges, the texel each pixel of a
// scaled or mirrored span samples (at pixel centres, wrapping), and, for
// quads that are not axis-aligned, the triangle rasteriser (cGpuDevice::
// DrawTriangle, in gpu_raster.cpp).

#include <vector>

// Integer source coordinate of a texture coordinate when it names a texel
// edge exactly (within float rounding).
bool GpuSnapTexel(float uv, int nSize, int* pOut);

// Whether a vertex position is a pixel edge (n - 0.5). Positions far off the
// target go to the triangle rasteriser, which clips them without spans the
// size of the quad.
bool GpuSnapEdge(float p, int* pOut);

// v wrapped into 0 .. n - 1.
inline int GpuWrap(int v, int n) {
  if (static_cast<unsigned>(v) < static_cast<unsigned>(n)) return v;
  v %= n;
  return v < 0 ? v + n : v;
}

// The wrapped texel under texture coordinate t (texel 0 for coordinates too
// large to name one).
int GpuTexelIndex(double t, int nSize);

// Texel index for destination columns kFirst .. kFirst + nCount - 1 of a span
// of nDst pixels mapped onto source texels s0..s1 (s1 < s0 mirrors),
// sampling at pixel centres.
void GpuMapSpan(int s0, int s1, int nDst, int nTexSize, int kFirst, int nCount,
                std::vector<int>& out);
