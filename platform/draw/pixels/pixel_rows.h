#pragma once
// Row loops shared by the software devices: copies of 32-bit pixel rows that
// leave out colour-keyed pixels or blend by the texel's alpha, constant-colour
// blends and per-channel modulation. With SSE2 they test sixteen pixels at
// once and store whole blocks that need no per-pixel decision, which is what
// most blocks of a sprite are; the blends work on 16-bit lanes with the same
// rounding as the per-pixel arithmetic, so the results are bit-identical.

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Whether the row loops may use AVX2 where the processor has it (on by
// default; tests switch it off to run the SSE2 loops).
void UseAvx2RowLoops(bool bOn);

namespace pixel_rows_detail {

// a * b / 255 rounded to nearest, exact for a, b in 0..255.
inline uint32_t Mul255(uint32_t a, uint32_t b) {
  uint32_t t = a * b + 128;
  return (t + (t >> 8)) >> 8;
}

// Source-alpha blend of one ARGB colour over one ARGB pixel, every channel
// including alpha: c * a + p * (255 - a). dwForce is ORed into the result
// unless the colour is fully transparent (which leaves the pixel as it was);
// 0xFF000000 keeps the top byte of an X8R8G8B8 target opaque.
inline uint32_t BlendSourceAlpha(uint32_t c, uint32_t p, uint32_t dwForce) {
  const uint32_t a = c >> 24, ia = 255 - a;
  uint32_t r = 0;
  for (int sh = 0; sh < 32; sh += 8)
    r |= (Mul255((c >> sh) & 0xFF, a) + Mul255((p >> sh) & 0xFF, ia)) << sh;
  return a ? r | dwForce : r;
}

#if defined(__x86_64__)
// Source-alpha copy of 32-pixel blocks while every texel of a block is either
// opaque or fully transparent (backgrounds, keyed sprites); stops at a block
// with partial alpha and returns the pixels done. Wholly opaque blocks are
// streamed with bStream, which needs d on a 32-byte boundary.
int CopyAlphaRunAvx2(uint32_t* d, const uint32_t* s, int n, bool bStream);
// BlendSourceAlpha on groups of eight pixels (skipping wholly transparent
// ones) while eight remain, up to a wholly opaque group after the first (a
// run CopyAlphaRunAvx2 copies faster); returns the pixels done.
int BlendAlphaRunAvx2(uint32_t* d, const uint32_t* s, int n, uint32_t dwForce);
// ModulateRow on groups of eight pixels while eight remain; returns the
// pixels done.
int ModulateRunAvx2(uint32_t* out, const uint32_t* s, int n, uint32_t mul, uint32_t add);
extern bool g_bHasAvx2;
#endif
#if defined(__SSE2__)
inline __m128i Load(const uint32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline int Mask(__m128i v) { return _mm_movemask_ps(_mm_castsi128_ps(v)); }

// Sixteen pixels stored at d; with bStream streamed past the caches, which
// needs d on a 16-byte boundary.
template <bool bStream>
inline void StoreBlock16(uint32_t* d, __m128i v0, __m128i v1, __m128i v2, __m128i v3) {
  if constexpr (bStream) {
    __m128i* q = reinterpret_cast<__m128i*>(d);
    _mm_stream_si128(q, v0);
    _mm_stream_si128(q + 1, v1);
    _mm_stream_si128(q + 2, v2);
    _mm_stream_si128(q + 3, v3);
  } else {
    Store(d, v0);
    Store(d + 4, v1);
    Store(d + 8, v2);
    Store(d + 12, v3);
  }
}

inline void KeyedQuad(uint32_t* d, const uint32_t* s, __m128i vKey) {
  __m128i v = Load(s);
  __m128i eq = _mm_cmpeq_epi32(v, vKey);
  int m = Mask(eq);
  if (m == 0)
    Store(d, v);
  else if (m != 0xF)
    Store(d, _mm_or_si128(_mm_andnot_si128(eq, v), _mm_and_si128(eq, Load(d))));
}

// Mul255 on eight 16-bit lanes holding 0..255.
inline __m128i Mul255x8(__m128i a, __m128i b) {
  const __m128i t = _mm_add_epi16(_mm_mullo_epi16(a, b), _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Each pixel's alpha in all four lanes of that pixel (two pixels).
inline __m128i SpreadAlpha(__m128i v) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xFF), 0xFF);
}

// BlendSourceAlpha on four pixels; vForce is dwForce in every lane.
inline __m128i BlendSourceAlpha4(__m128i c, __m128i p, __m128i vForce) {
  const __m128i zero = _mm_setzero_si128(), v255 = _mm_set1_epi16(255);
  const __m128i cl = _mm_unpacklo_epi8(c, zero), ch = _mm_unpackhi_epi8(c, zero);
  const __m128i pl = _mm_unpacklo_epi8(p, zero), ph = _mm_unpackhi_epi8(p, zero);
  const __m128i al = SpreadAlpha(cl), ah = SpreadAlpha(ch);
  const __m128i rl = _mm_add_epi16(Mul255x8(cl, al), Mul255x8(pl, _mm_sub_epi16(v255, al)));
  const __m128i rh = _mm_add_epi16(Mul255x8(ch, ah), Mul255x8(ph, _mm_sub_epi16(v255, ah)));
  const __m128i transparent = _mm_cmpeq_epi32(_mm_srli_epi32(c, 24), zero);
  return _mm_or_si128(_mm_packus_epi16(rl, rh), _mm_andnot_si128(transparent, vForce));
}

// Source-alpha copy of four texels. The blend gives opaque and transparent
// texels their exact results too, so for small quads only a wholly
// transparent group is worth a branch (mixed glyph edges would mispredict any
// finer test). bStore: a wholly opaque group is stored without reading the
// pixels, for targets being streamed (not in the cache).
template <bool bStore>
inline void AlphaQuad(uint32_t* d, const uint32_t* s, __m128i vForce) {
  const __m128i v = Load(s);
  const __m128i a = _mm_srli_epi32(v, 24);
  if constexpr (bStore) {
    if (Mask(_mm_cmpeq_epi32(a, _mm_set1_epi32(255))) == 0xF) {
      Store(d, v);
      return;
    }
  }
  if (Mask(_mm_cmpeq_epi32(a, _mm_setzero_si128())) == 0xF) return;
  Store(d, BlendSourceAlpha4(v, Load(d), vForce));
}

// BlendSourceAlpha on pixels k..n-1 (fewer than four) at the end of a row,
// gathered one by one: a wider load would overlap the stores just made to the
// pixels before them and stall until those are written.
inline void AlphaTail(uint32_t* d, const uint32_t* s, int k, int n, __m128i vForce) {
  const int t = n - k;
  __m128i c = _mm_cvtsi32_si128(static_cast<int>(s[k]));
  __m128i p = _mm_cvtsi32_si128(static_cast<int>(d[k]));
  if (t > 1) {
    c = _mm_unpacklo_epi32(c, _mm_cvtsi32_si128(static_cast<int>(s[k + 1])));
    p = _mm_unpacklo_epi32(p, _mm_cvtsi32_si128(static_cast<int>(d[k + 1])));
  }
  if (t > 2) {
    c = _mm_unpacklo_epi64(c, _mm_cvtsi32_si128(static_cast<int>(s[k + 2])));
    p = _mm_unpacklo_epi64(p, _mm_cvtsi32_si128(static_cast<int>(d[k + 2])));
  }
  const __m128i r = BlendSourceAlpha4(c, p, vForce);
  d[k] = static_cast<uint32_t>(_mm_cvtsi128_si32(r));
  if (t > 1) d[k + 1] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(r, 4)));
  if (t > 2) d[k + 2] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(r, 8)));
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
    StoreBlock16<true>(d + k, Load(s + k), Load(s + k + 4), Load(s + k + 8), Load(s + k + 12));
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
// leaves it, anything between blends (BlendSourceAlpha with dwForce).
// With bStream, blocks of opaque texels that fill a whole cache line are
// streamed (see WorthStreaming).
template <bool bStream = false>
__attribute__((always_inline)) inline void BlendRowSourceAlpha(uint32_t* d, const uint32_t* s,
                                                               int n, uint32_t dwForce) {
  using namespace pixel_rows_detail;
  int k = 0;
#if defined(__SSE2__)
  const __m128i vFull = _mm_set1_epi32(255);
  const __m128i vForce = _mm_set1_epi32(static_cast<int>(dwForce));
  if constexpr (bStream) {
    // Up to the first cache line boundary of the target.
    int nHead = 0;
    while (nHead < n && (reinterpret_cast<uintptr_t>(d + nHead) & 63) != 0) ++nHead;
    for (; k < nHead; ++k) {
      const uint32_t al = s[k] >> 24;
      if (al == 255)
        d[k] = s[k];
      else if (al != 0)
        d[k] = BlendSourceAlpha(s[k], d[k], dwForce);
    }
  }
#if defined(__x86_64__)
  if (g_bHasAvx2) {
    // Stretches without partial alpha go 32 pixels at a time, the others
    // eight at a time. A streamed row leaves its last blocks to the SSE2
    // loop (stores and selects without arithmetic) and keeps the copy runs
    // on whole cache lines; other rows go on until under eight pixels remain.
    if constexpr (bStream) {
      while (n - k >= 32) {
        k += CopyAlphaRunAvx2(d + k, s + k, n - k, true);
        if (n - k < 32) break;
        k += BlendAlphaRunAvx2(d + k, s + k, n - k, dwForce);
        if ((reinterpret_cast<uintptr_t>(d + k) & 63) != 0 && n - k >= 8)
          k += BlendAlphaRunAvx2(d + k, s + k, 8, dwForce);
      }
    } else {
      while (n - k >= 8) {
        k += CopyAlphaRunAvx2(d + k, s + k, n - k, false);
        k += BlendAlphaRunAvx2(d + k, s + k, n - k, dwForce);
      }
    }
  }
#endif
  for (; k + 16 <= n; k += 16) {
    _mm_prefetch(reinterpret_cast<const char*>(s + k + 64), _MM_HINT_T0);
    __m128i v0 = Load(s + k), v1 = Load(s + k + 4), v2 = Load(s + k + 8), v3 = Load(s + k + 12);
    __m128i all = _mm_and_si128(_mm_and_si128(v0, v1), _mm_and_si128(v2, v3));
    if (Mask(_mm_cmpeq_epi32(_mm_srli_epi32(all, 24), vFull)) == 0xF) {
      StoreBlock16<bStream>(d + k, v0, v1, v2, v3);
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
    for (int j = k; j < k + 16; j += 4) AlphaQuad<bStream>(d + j, s + j, vForce);
  }
  for (; k + 4 <= n; k += 4) AlphaQuad<bStream>(d + k, s + k, vForce);
  if constexpr (bStream) {
    for (; k < n; ++k) {
      const uint32_t al = s[k] >> 24;
      if (al == 255)
        d[k] = s[k];
      else if (al != 0)
        d[k] = BlendSourceAlpha(s[k], d[k], dwForce);
    }
  } else if (k < n) {
    AlphaTail(d, s, k, n, vForce);
  }
#else
  for (; k < n; ++k) {
    const uint32_t al = s[k] >> 24;
    if (al == 255)
      d[k] = s[k];
    else if (al != 0)
      d[k] = BlendSourceAlpha(s[k], d[k], dwForce);
  }
#endif
}

// BlendRowSourceAlpha over nRows rows; pitches in pixels. Small quads (glyphs)
// pay the row loop's setup once instead of once per row.
// The target rows of a small quad are a pitch apart, a stride the hardware
// prefetchers do not follow across pages: they are fetched a few rows ahead.
template <bool bStream = false>
void BlendRectSourceAlpha(uint32_t* d, ptrdiff_t nDstPitch, const uint32_t* s, ptrdiff_t nSrcPitch,
                          int n, int nRows, uint32_t dwForce) {
#if defined(__SSE2__)
  const bool bPrefetch = !bStream && n <= 64;
  for (int y = 0; y < nRows && y < 3 && bPrefetch; ++y) {
    _mm_prefetch(reinterpret_cast<const char*>(d + y * nDstPitch), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(d + y * nDstPitch + n - 1), _MM_HINT_T0);
  }
#endif
  for (int y = 0; y < nRows; ++y, d += nDstPitch, s += nSrcPitch) {
#if defined(__SSE2__)
    if (bPrefetch && y + 3 < nRows) {
      _mm_prefetch(reinterpret_cast<const char*>(d + 3 * nDstPitch), _MM_HINT_T0);
      _mm_prefetch(reinterpret_cast<const char*>(d + 3 * nDstPitch + n - 1), _MM_HINT_T0);
    }
#endif
    BlendRowSourceAlpha<bStream>(d, s, n, dwForce);
  }
}

// Source-alpha blend of one colour c over n pixels (its alpha neither 0 nor
// 255 is what makes this worth a loop of its own: the colour's products are
// taken once).
inline void BlendRowConstant(uint32_t* d, int n, uint32_t c, uint32_t dwForce) {
  using namespace pixel_rows_detail;
  int k = 0;
  const uint32_t a = c >> 24;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i vc = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(c)), zero);
  const __m128i vTerm = Mul255x8(vc, _mm_set1_epi16(static_cast<int16_t>(a)));
  const __m128i vInv = _mm_set1_epi16(static_cast<int16_t>(255 - a));
  const __m128i vForce = _mm_set1_epi32(a ? static_cast<int>(dwForce) : 0);
  for (; k + 4 <= n; k += 4) {
    const __m128i p = Load(d + k);
    const __m128i rl = _mm_add_epi16(vTerm, Mul255x8(_mm_unpacklo_epi8(p, zero), vInv));
    const __m128i rh = _mm_add_epi16(vTerm, Mul255x8(_mm_unpackhi_epi8(p, zero), vInv));
    Store(d + k, _mm_or_si128(_mm_packus_epi16(rl, rh), vForce));
  }
#endif
  for (; k < n; ++k) d[k] = BlendSourceAlpha(c, d[k], dwForce);
}

// Per-channel modulation of ARGB colours: out = s * mul / 255 (rounded) + add
// in every channel.
inline void ModulateRow(uint32_t* out, const uint32_t* s, int n, uint32_t mul, uint32_t add) {
  using namespace pixel_rows_detail;
  int k = 0;
#if defined(__x86_64__)
  if (g_bHasAvx2) k = ModulateRunAvx2(out, s, n, mul, add);
#endif
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i vMul = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(mul)), zero);
  const __m128i vAdd = _mm_set1_epi32(static_cast<int>(add));
  for (; k + 4 <= n; k += 4) {
    const __m128i v = Load(s + k);
    const __m128i rl = Mul255x8(_mm_unpacklo_epi8(v, zero), vMul);
    const __m128i rh = Mul255x8(_mm_unpackhi_epi8(v, zero), vMul);
    Store(out + k, _mm_add_epi8(_mm_packus_epi16(rl, rh), vAdd));
  }
#endif
  for (; k < n; ++k) {
    uint32_t r = 0;
    for (int sh = 0; sh < 32; sh += 8)
      r |= (Mul255((s[k] >> sh) & 0xFF, (mul >> sh) & 0xFF) + ((add >> sh) & 0xFF)) << sh;
    out[k] = r;
  }
}
