#include "platform/draw/pixels/pixel_rows.h"

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

namespace {

__attribute__((target("avx2"))) inline __m256i Mul255x16(__m256i a, __m256i b) {
  const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

}  // namespace

// The same lane arithmetic as BlendSourceAlpha4, eight pixels at a time.
__attribute__((target("avx2"))) int BlendAlphaRunAvx2(uint32_t* d, const uint32_t* s, int n,
                                                      uint32_t dwForce) {
  const __m256i zero = _mm256_setzero_si256(), v255 = _mm256_set1_epi16(255);
  const __m256i vForce = _mm256_set1_epi32(static_cast<int>(dwForce));
  const __m256i vFull = _mm256_set1_epi32(255);
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + k));
    const __m256i a = _mm256_srli_epi32(c, 24);
    if (_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(a, vFull))) == 0xFF) {
      if (k > 0) break;
      // Stored without reading the pixels (a target being streamed is not
      // in the cache).
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), c);
      continue;
    }
    const __m256i transparent = _mm256_cmpeq_epi32(a, zero);
    if (_mm256_movemask_ps(_mm256_castsi256_ps(transparent)) == 0xFF) continue;
    __m256i* q = reinterpret_cast<__m256i*>(d + k);
    const __m256i p = _mm256_loadu_si256(q);
    const __m256i cl = _mm256_unpacklo_epi8(c, zero), ch = _mm256_unpackhi_epi8(c, zero);
    const __m256i pl = _mm256_unpacklo_epi8(p, zero), ph = _mm256_unpackhi_epi8(p, zero);
    const __m256i al = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(cl, 0xFF), 0xFF);
    const __m256i ah = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(ch, 0xFF), 0xFF);
    const __m256i rl =
        _mm256_add_epi16(Mul255x16(cl, al), Mul255x16(pl, _mm256_sub_epi16(v255, al)));
    const __m256i rh =
        _mm256_add_epi16(Mul255x16(ch, ah), Mul255x16(ph, _mm256_sub_epi16(v255, ah)));
    _mm256_storeu_si256(
        q, _mm256_or_si256(_mm256_packus_epi16(rl, rh), _mm256_andnot_si256(transparent, vForce)));
  }
  return k;
}

// The same lane arithmetic as ModulateRow's SSE2 loop, eight pixels at a time.
__attribute__((target("avx2"))) int ModulateRunAvx2(uint32_t* out, const uint32_t* s, int n,
                                                    uint32_t mul, uint32_t add) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i vMul = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(mul)), zero);
  const __m256i vAdd = _mm256_set1_epi32(static_cast<int>(add));
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + k));
    const __m256i rl = Mul255x16(_mm256_unpacklo_epi8(v, zero), vMul);
    const __m256i rh = Mul255x16(_mm256_unpackhi_epi8(v, zero), vMul);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k),
                        _mm256_add_epi8(_mm256_packus_epi16(rl, rh), vAdd));
  }
  return k;
}

namespace {
bool CpuHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
}  // namespace

bool g_bHasAvx2 = CpuHasAvx2();

}  // namespace pixel_rows_detail

void UseAvx2RowLoops(bool bOn) {
  pixel_rows_detail::g_bHasAvx2 = bOn && pixel_rows_detail::CpuHasAvx2();
}
#else
void UseAvx2RowLoops(bool) {}
#endif
