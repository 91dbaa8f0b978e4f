#pragma once
// Row loops of the lens and the rotation on locked pixels, the same under
// both back ends: where in the source each destination pixel of a row looks,
// and the copy of a row of pixels fetched along a fixed-point walk.

#include <cstddef>
#include <cstdint>
#include <limits>

// An offset the lens gives for a pixel that can show nothing (it would lie
// 2^31 or more pixels away).
inline constexpr int32_t kLensNoOffset = std::numeric_limits<int32_t>::min();

// The lens offsets of pixels j0 .. j0 + n - 1 (offsets from the centre) of
// row i, all inside the disc: with Z = sqrt(dRowSquare - j^2), where
// dRowSquare is F^2 - i^2 as a double,
//   pU[k] = trunc(j D / Z + 0.5), pV[k] = trunc(i D / Z + 0.5)
// in doubles, or (j, i) where Z is 0; an offset of 2^31 or more in size
// becomes kLensNoOffset. pVMirror (when not null) receives the v offsets of
// row -i, whose u offsets are the same: -(i D / Z) is exactly what row -i
// divides. The vector loops give the scalar one's results bit for bit: they
// do the same IEEE operations in the same order.
void LensRowOffsets(int32_t* pU, int32_t* pV, int32_t* pVMirror, int i, int j0, int n,
                    double dRowSquare, int nDepth);

// The walk of the rotation along a destination row: the source pixel of
// step k lies at index nOrigin + nRowStep * ((V + k dV) >> 10) +
// nColStep * ((U + k dU) >> 10) of the source's pixels (shifts rounding
// toward minus infinity). The caller has made sure that every step of the
// row lands inside the source.
struct ROTATEWALK {
  long long U = 0, V = 0, dU = 0, dV = 0;
  ptrdiff_t nOrigin = 0, nRowStep = 0, nColStep = 0;
};

// n destination pixels taken along the walk and passed through land(pixel,
// destination pixel), which stores what shows (or nothing).
template <class T, class Land>
inline void RotateRow(T* d, const T* s, int n, const ROTATEWALK& w, Land land) {
  long long U = w.U, V = w.V;
  for (int k = 0; k < n; ++k, U += w.dU, V += w.dV)
    land(s[w.nOrigin + w.nRowStep * static_cast<ptrdiff_t>(V >> 10) +
           w.nColStep * static_cast<ptrdiff_t>(U >> 10)],
         d[k]);
}
