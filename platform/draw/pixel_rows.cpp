#include "platform/draw/pixel_rows.h"

#if defined(__x86_64__)
#include <immintrin.h>

namespace pixel_rows_detail {

__attribute__((target("avx2"))) int CopyOpaqueRunAvx2(uint32_t* d, const uint32_t* s, int n,
                                                      bool bStream) {
  const __m256i vFull = _mm256_set1_epi32(255);
  int k = 0;
  for (; k + 32 <= n; k += 32) {
    const __m256i* p = reinterpret_cast<const __m256i*>(s + k);
    if (bStream) _mm_prefetch(reinterpret_cast<const char*>(s + k + 64), _MM_HINT_NTA);
    __m256i v0 = _mm256_loadu_si256(p), v1 = _mm256_loadu_si256(p + 1);
    __m256i v2 = _mm256_loadu_si256(p + 2), v3 = _mm256_loadu_si256(p + 3);
    __m256i all = _mm256_and_si256(_mm256_and_si256(v0, v1), _mm256_and_si256(v2, v3));
    __m256i eq = _mm256_cmpeq_epi32(_mm256_srli_epi32(all, 24), vFull);
    if (_mm256_movemask_ps(_mm256_castsi256_ps(eq)) != 0xFF) break;
    __m256i* q = reinterpret_cast<__m256i*>(d + k);
    if (bStream) {
      _mm256_stream_si256(q, v0);
      _mm256_stream_si256(q + 1, v1);
      _mm256_stream_si256(q + 2, v2);
      _mm256_stream_si256(q + 3, v3);
    } else {
      _mm256_storeu_si256(q, v0);
      _mm256_storeu_si256(q + 1, v1);
      _mm256_storeu_si256(q + 2, v2);
      _mm256_storeu_si256(q + 3, v3);
    }
  }
  return k;
}

bool HasAvx2() {
  static const bool bAvx2 = __builtin_cpu_supports("avx2");
  return bAvx2;
}

}  // namespace pixel_rows_detail
#endif
