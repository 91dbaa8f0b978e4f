#include "platform/draw/pixel_rows.h"

#if defined(__x86_64__)
#include <immintrin.h>

namespace pixel_rows_detail {

__attribute__((target("avx2"))) int CopyAlphaRunAvx2(uint32_t* d, const uint32_t* s, int n,
                                                     bool bStream) {
  const __m256i vFull = _mm256_set1_epi32(255);
  const __m256i vZero = _mm256_setzero_si256();
  int k = 0;
  for (; k + 32 <= n; k += 32) {
    const __m256i* p = reinterpret_cast<const __m256i*>(s + k);
    if (bStream) _mm_prefetch(reinterpret_cast<const char*>(s + k + 64), _MM_HINT_NTA);
    __m256i v[4] = {_mm256_loadu_si256(p), _mm256_loadu_si256(p + 1), _mm256_loadu_si256(p + 2),
                    _mm256_loadu_si256(p + 3)};
    __m256i* q = reinterpret_cast<__m256i*>(d + k);
    __m256i all = _mm256_and_si256(_mm256_and_si256(v[0], v[1]), _mm256_and_si256(v[2], v[3]));
    if (_mm256_movemask_ps(
            _mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_srli_epi32(all, 24), vFull))) == 0xFF) {
      for (int i = 0; i < 4; ++i) {
        if (bStream)
          _mm256_stream_si256(q + i, v[i]);
        else
          _mm256_storeu_si256(q + i, v[i]);
      }
      continue;
    }
    // Texels either opaque or fully transparent: the alpha's top bit picks.
    __m256i ok = _mm256_set1_epi32(-1);
    for (int i = 0; i < 4; ++i) {
      __m256i a = _mm256_srli_epi32(v[i], 24);
      ok = _mm256_and_si256(
          ok, _mm256_or_si256(_mm256_cmpeq_epi32(a, vZero), _mm256_cmpeq_epi32(a, vFull)));
    }
    if (_mm256_movemask_ps(_mm256_castsi256_ps(ok)) != 0xFF) break;
    for (int i = 0; i < 4; ++i) {
      __m256i pick = _mm256_srai_epi32(v[i], 31);
      _mm256_storeu_si256(q + i, _mm256_blendv_epi8(_mm256_loadu_si256(q + i), v[i], pick));
    }
  }
  return k;
}

const bool g_bHasAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));

}  // namespace pixel_rows_detail
#endif
