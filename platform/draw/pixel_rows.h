#pragma once
// Row loops shared by the software devices: copies of 32-bit pixel rows that
// leave out colour-keyed pixels or blend by the texel's alpha. With SSE2 they
// test sixteen pixels at once and store whole blocks that need no per-pixel
// decision, which is what most blocks of a sprite are.

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pixel_rows_detail {
#if defined(__x86_64__)
// Source-alpha copy of 32-pixel blocks while every texel of a block is either
// opaque or fully transparent (backgrounds, keyed sprites); stops at a block
// with partial alpha and returns the pixels done. Wholly opaque blocks are
// streamed with bStream, which needs d on a 32-byte boundary.
int CopyAlphaRunAvx2(uint32_t* d, const uint32_t* s, int n, bool bStream);
bool HasAvx2();
#endif
#if defined(__SSE2__)
inline __m128i Load(const uint32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline int Mask(__m128i v) { return _mm_movemask_ps(_mm_castsi128_ps(v)); }

inline void KeyedQuad(uint32_t* d, const uint32_t* s, __m128i vKey) {
  __m128i v = Load(s);
  __m128i eq = _mm_cmpeq_epi32(v, vKey);
  int m = Mask(eq);
  if (m == 0)
    Store(d, v);
  else if (m != 0xF)
    Store(d, _mm_or_si128(_mm_andnot_si128(eq, v), _mm_and_si128(eq, Load(d))));
}

template <class BlendFn>
inline void AlphaQuad(uint32_t* d, const uint32_t* s, int k, BlendFn& blend) {
  const __m128i v = Load(s + k);
  const __m128i a = _mm_srli_epi32(v, 24);
  const __m128i full = _mm_cmpeq_epi32(a, _mm_set1_epi32(255));
  const int mFull = Mask(full);
  if (mFull == 0xF) {
    Store(d + k, v);
    return;
  }
  const int mZero = Mask(_mm_cmpeq_epi32(a, _mm_setzero_si128()));
  if ((mFull | mZero) == 0xF) {
    if (mZero != 0xF)
      Store(d + k, _mm_or_si128(_mm_and_si128(full, v), _mm_andnot_si128(full, Load(d + k))));
    return;
  }
  for (int j = k; j < k + 4; ++j) {
    uint32_t al = s[j] >> 24;
    if (al == 255)
      d[j] = s[j];
    else if (al != 0)
      blend(j);
  }
}
#endif
}  // namespace pixel_rows_detail

// Copies that cover much more than the caches write whole cache lines past
// them (no read of the old line first); smaller ones keep the target cached
// for the draws that follow.
inline bool WorthStreaming(long long nPixels) { return nPixels >= (1LL << 17); }

inline void StreamFence() {
#if defined(__SSE2__)
  _mm_sfence();
#endif
}

// Plain copy of n pixels, streaming whole cache lines.
inline void CopyRowStream(uint32_t* d, const uint32_t* s, int n) {
  int k = 0;
#if defined(__SSE2__)
  using namespace pixel_rows_detail;
  for (; k < n && (reinterpret_cast<uintptr_t>(d + k) & 63) != 0; ++k) d[k] = s[k];
  for (; k + 16 <= n; k += 16) {
    _mm_prefetch(reinterpret_cast<const char*>(s + k + 64), _MM_HINT_NTA);
    __m128i v0 = Load(s + k), v1 = Load(s + k + 4), v2 = Load(s + k + 8), v3 = Load(s + k + 12);
    __m128i* q = reinterpret_cast<__m128i*>(d + k);
    _mm_stream_si128(q, v0);
    _mm_stream_si128(q + 1, v1);
    _mm_stream_si128(q + 2, v2);
    _mm_stream_si128(q + 3, v3);
  }
#endif
  if (k < n) std::memcpy(d + k, s + k, static_cast<size_t>(n - k) * 4);
}

// Copies n pixels, leaving out those equal to key.
inline void CopyRowColourKeyed(uint32_t* d, const uint32_t* s, int n, uint32_t key) {
  int k = 0;
#if defined(__SSE2__)
  using namespace pixel_rows_detail;
  const __m128i vKey = _mm_set1_epi32(static_cast<int>(key));
  for (; k + 16 <= n; k += 16) {
    __m128i v0 = Load(s + k), v1 = Load(s + k + 4), v2 = Load(s + k + 8), v3 = Load(s + k + 12);
    __m128i eq = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(v0, vKey), _mm_cmpeq_epi32(v1, vKey)),
                              _mm_or_si128(_mm_cmpeq_epi32(v2, vKey), _mm_cmpeq_epi32(v3, vKey)));
    if (Mask(eq) == 0) {
      Store(d + k, v0);
      Store(d + k + 4, v1);
      Store(d + k + 8, v2);
      Store(d + k + 12, v3);
    } else {
      for (int j = k; j < k + 16; j += 4) KeyedQuad(d + j, s + j, vKey);
    }
  }
  for (; k + 4 <= n; k += 4) KeyedQuad(d + k, s + k, vKey);
#endif
  for (; k < n; ++k)
    if (s[k] != key) d[k] = s[k];
}

// Source-alpha copy of ARGB texels: alpha 255 replaces the pixel, alpha 0
// leaves it, anything between goes to blend(k) for pixel k.
// With bStream, blocks of opaque texels that fill a whole cache line are
// streamed (see WorthStreaming).
template <bool bStream = false, class BlendFn>
inline void CopyRowByAlpha(uint32_t* d, const uint32_t* s, int n, BlendFn blend) {
  int k = 0;
#if defined(__SSE2__)
  using namespace pixel_rows_detail;
  const __m128i vFull = _mm_set1_epi32(255);
  if constexpr (bStream) {
    // Up to the first cache line boundary of the target.
    int nHead = 0;
    while (nHead < n && (reinterpret_cast<uintptr_t>(d + nHead) & 63) != 0) ++nHead;
    for (; k < nHead; ++k) {
      uint32_t al = s[k] >> 24;
      if (al == 255)
        d[k] = s[k];
      else if (al != 0)
        blend(k);
    }
  }
#if defined(__x86_64__)
  const bool bAvx2 = HasAvx2();
#endif
  for (; k + 16 <= n; k += 16) {
#if defined(__x86_64__)
    if (bAvx2) {
      // Long stretches without partial alpha go 32 pixels at a time.
      k += CopyAlphaRunAvx2(d + k, s + k, n - k, bStream);
      if (k + 16 > n) break;
    }
#endif
    _mm_prefetch(reinterpret_cast<const char*>(s + k + 64), _MM_HINT_T0);
    __m128i v0 = Load(s + k), v1 = Load(s + k + 4), v2 = Load(s + k + 8), v3 = Load(s + k + 12);
    __m128i all = _mm_and_si128(_mm_and_si128(v0, v1), _mm_and_si128(v2, v3));
    if (Mask(_mm_cmpeq_epi32(_mm_srli_epi32(all, 24), vFull)) == 0xF) {
      if constexpr (bStream) {
        __m128i* q = reinterpret_cast<__m128i*>(d + k);
        _mm_stream_si128(q, v0);
        _mm_stream_si128(q + 1, v1);
        _mm_stream_si128(q + 2, v2);
        _mm_stream_si128(q + 3, v3);
      } else {
        Store(d + k, v0);
        Store(d + k + 4, v1);
        Store(d + k + 8, v2);
        Store(d + k + 12, v3);
      }
      continue;
    }
    // Only fully opaque and fully transparent texels (a keyed sprite): the
    // alpha's top bit selects between texel and pixel.
    const __m128i vZero = _mm_setzero_si128();
    auto binary = [&](__m128i v) {
      __m128i a = _mm_srli_epi32(v, 24);
      return _mm_or_si128(_mm_cmpeq_epi32(a, vZero), _mm_cmpeq_epi32(a, vFull));
    };
    __m128i ok =
        _mm_and_si128(_mm_and_si128(binary(v0), binary(v1)), _mm_and_si128(binary(v2), binary(v3)));
    if (Mask(ok) == 0xF) {
      auto select = [&](uint32_t* q, __m128i v) {
        __m128i full = _mm_srai_epi32(v, 31);
        Store(q, _mm_or_si128(_mm_and_si128(full, v), _mm_andnot_si128(full, Load(q))));
      };
      select(d + k, v0);
      select(d + k + 4, v1);
      select(d + k + 8, v2);
      select(d + k + 12, v3);
      continue;
    }
    for (int j = k; j < k + 16; j += 4) AlphaQuad(d, s, j, blend);
  }
  for (; k + 4 <= n; k += 4) AlphaQuad(d, s, k, blend);
#endif
  for (; k < n; ++k) {
    uint32_t al = s[k] >> 24;
    if (al == 255)
      d[k] = s[k];
    else if (al != 0)
      blend(k);
  }
}
