#include "platform/draw/pixels/warp_rows.h"

#include <cmath>

#if defined(__x86_64__)
#include <immintrin.h>

#include "platform/draw/pixels/pixel_rows.h"
#endif

namespace {

// x truncated toward zero, or kLensNoOffset when it is not within int32
// (NaN included): the result cvttpd gives.
inline int32_t TruncateOffset(double x) {
  if (!(x > -2147483649.0 && x < 2147483648.0)) return kLensNoOffset;
  return static_cast<int32_t>(x);
}

void LensRowOffsetsScalar(int32_t* pU, int32_t* pV, int32_t* pVMirror, int i, int j0, int n,
                          double dRowSquare, int nDepth) {
  const double dDepth = nDepth, di = i;
  for (int k = 0; k < n; ++k) {
    const double j = j0 + k;
    const double z = std::sqrt(dRowSquare - j * j);
    if (z != 0) {
      const double w = di * dDepth / z;
      pU[k] = TruncateOffset(j * dDepth / z + 0.5);
      pV[k] = TruncateOffset(w + 0.5);
      if (pVMirror) pVMirror[k] = TruncateOffset(-w + 0.5);
    } else {
      pU[k] = j0 + k;
      pV[k] = i;
      if (pVMirror) pVMirror[k] = -i;
    }
  }
}

#if defined(__x86_64__)
// Four pixels at a time; the square root and the two divisions of each
// pixel are what the lens costs.
__attribute__((target("avx2"))) int LensRowOffsetsAvx2(int32_t* pU, int32_t* pV, int32_t* pVMirror,
                                                       int i, int j0, int n, double dRowSquare,
                                                       int nDepth) {
  const __m256d vDepth = _mm256_set1_pd(nDepth), vRow = _mm256_set1_pd(dRowSquare);
  const __m256d vIDepth = _mm256_set1_pd(static_cast<double>(i) * nDepth);
  const __m256d vHalf = _mm256_set1_pd(0.5), vZero = _mm256_setzero_pd();
  const __m256d vStep = _mm256_set1_pd(4.0);
  const __m128i vI = _mm_set1_epi32(i), vMinusI = _mm_set1_epi32(-i), vStepI = _mm_set1_epi32(4);
  const __m256d vSign = _mm256_set1_pd(-0.0);
  __m256d vj = _mm256_add_pd(_mm256_set1_pd(j0), _mm256_set_pd(3, 2, 1, 0));
  __m128i vjI = _mm_add_epi32(_mm_set1_epi32(j0), _mm_set_epi32(3, 2, 1, 0));
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    const __m256d z = _mm256_sqrt_pd(_mm256_sub_pd(vRow, _mm256_mul_pd(vj, vj)));
    const __m256d u = _mm256_add_pd(_mm256_div_pd(_mm256_mul_pd(vj, vDepth), z), vHalf);
    const __m256d w = _mm256_div_pd(vIDepth, z);
    const __m256d v = _mm256_add_pd(w, vHalf);
    // Where Z is 0 the pixel keeps its own offset.
    const __m128i zeroZ = _mm256_castsi256_si128(
        _mm256_permutevar8x32_epi32(_mm256_castpd_si256(_mm256_cmp_pd(z, vZero, _CMP_EQ_OQ)),
                                    _mm256_set_epi32(7, 5, 3, 1, 6, 4, 2, 0)));
    const __m128i uI = _mm_blendv_epi8(_mm256_cvttpd_epi32(u), vjI, zeroZ);
    const __m128i vIOut = _mm_blendv_epi8(_mm256_cvttpd_epi32(v), vI, zeroZ);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pU + k), uI);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pV + k), vIOut);
    if (pVMirror) {
      const __m256d vm = _mm256_add_pd(_mm256_xor_pd(w, vSign), vHalf);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(pVMirror + k),
                       _mm_blendv_epi8(_mm256_cvttpd_epi32(vm), vMinusI, zeroZ));
    }
    vj = _mm256_add_pd(vj, vStep);
    vjI = _mm_add_epi32(vjI, vStepI);
  }
  return k;
}
#endif

}  // namespace

void LensRowOffsets(int32_t* pU, int32_t* pV, int32_t* pVMirror, int i, int j0, int n,
                    double dRowSquare, int nDepth) {
  int k = 0;
#if defined(__x86_64__)
  if (pixel_rows_detail::g_bHasAvx2)
    k = LensRowOffsetsAvx2(pU, pV, pVMirror, i, j0, n, dRowSquare, nDepth);
#endif
  LensRowOffsetsScalar(pU + k, pV + k, pVMirror ? pVMirror + k : nullptr, i, j0 + k, n - k,
                       dRowSquare, nDepth);
}
