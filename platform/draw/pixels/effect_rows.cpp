#include "platform/draw/pixels/effect_rows.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "platform/draw/pixels/pixel_rows.h"

namespace {

// ---- one pixel -------------------------------------------------------------------------

// floor((a + b) / 2) in each byte.
inline uint32_t HalveBytes(uint32_t a, uint32_t b) {
  return (a & b) + (((a ^ b) >> 1) & 0x7F7F7F7Fu);
}

// x / 255 for 0 <= x < 65535.
inline uint32_t Div255(uint32_t x) { return (x + 1 + (x >> 8)) >> 8; }

inline uint32_t TintHalvingPixel(uint32_t t, uint32_t p, uint32_t c, int nSteps, uint32_t dwKeep,
                                 uint32_t dwSet) {
  for (int i = 0; i < nSteps; ++i) p = HalveBytes(p, c);
  return (p & ~dwKeep) | (t & dwKeep) | dwSet;
}

inline uint32_t TintWeightedPixel(uint32_t p, uint32_t c, uint32_t f) {
  const uint32_t nInv = 255 - f;
  uint32_t r = 0xFF000000u;
  for (int sh = 0; sh < 24; sh += 8)
    r |= Div255((p >> sh & 0xFF) * f + (c >> sh & 0xFF) * nInv) << sh;
  return r;
}

inline uint32_t HalfPixel(uint32_t t, uint32_t p, uint32_t dwKeep, uint32_t dwSet, bool bTargetKey,
                          uint32_t dwTargetKey) {
  const uint32_t h = bTargetKey && t == dwTargetKey ? p : HalveBytes(p, t);
  return (h & ~dwKeep) | (t & dwKeep) | dwSet;
}

// The lanes of p (or 0 when bCounts is false) added to sums, or stored
// without bAdd.
inline void AccumulatePixel16(uint16_t* sums, uint32_t p, bool bCounts, bool bAdd) {
  for (int i = 0; i < 4; ++i) {
    const uint32_t v = !bCounts ? 0 : i < 3 ? p >> (8 * i) & 0xFF : 1;
    sums[i] = static_cast<uint16_t>(bAdd ? sums[i] + v : v);
  }
}

#if defined(__SSE2__)

// ---- four pixels ----------------------------------------------------------------------

struct V128 {
  static constexpr int kLanes = 4;
  __m128i v;

  static V128 Load(const void* p) { return {_mm_loadu_si128(static_cast<const __m128i*>(p))}; }
  void Store(void* p) const { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
  static V128 Zero() { return {_mm_setzero_si128()}; }
  static V128 Set1(uint32_t x) { return {_mm_set1_epi32(static_cast<int>(x))}; }
  static V128 Set1_16(uint16_t x) { return {_mm_set1_epi16(static_cast<int16_t>(x))}; }
  static V128 Set1_64(uint64_t x) { return {_mm_set1_epi64x(static_cast<long long>(x))}; }
  static V128 AndNot(V128 a, V128 b) { return {_mm_andnot_si128(a.v, b.v)}; }  // ~a & b
  V128 Add32(V128 b) const { return {_mm_add_epi32(v, b.v)}; }
  V128 Add16(V128 b) const { return {_mm_add_epi16(v, b.v)}; }
  template <int N>
  V128 Srli32() const {
    return {_mm_srli_epi32(v, N)};
  }
  template <int N>
  V128 Srli16() const {
    return {_mm_srli_epi16(v, N)};
  }
  static V128 CmpEq32(V128 a, V128 b) { return {_mm_cmpeq_epi32(a.v, b.v)}; }
  static V128 MulLo16(V128 a, V128 b) { return {_mm_mullo_epi16(a.v, b.v)}; }
  static V128 UnpackLo8(V128 a, V128 b) { return {_mm_unpacklo_epi8(a.v, b.v)}; }
  static V128 UnpackHi8(V128 a, V128 b) { return {_mm_unpackhi_epi8(a.v, b.v)}; }
  static V128 PackUS16(V128 a, V128 b) { return {_mm_packus_epi16(a.v, b.v)}; }
  // ifSet where mask is all ones, ifClear where it is 0.
  static V128 Select(V128 mask, V128 ifClear, V128 ifSet) {
    return {_mm_or_si128(_mm_andnot_si128(mask.v, ifClear.v), _mm_and_si128(mask.v, ifSet.v))};
  }
  // The 16-bit lanes of UnpackLo8 and UnpackHi8 are pixels 0-1 and 2-3.
  static void Natural16(V128 lo, V128 hi, V128* first, V128* second) {
    *first = lo;
    *second = hi;
  }
};

inline V128 operator&(V128 a, V128 b) { return {_mm_and_si128(a.v, b.v)}; }
inline V128 operator|(V128 a, V128 b) { return {_mm_or_si128(a.v, b.v)}; }
inline V128 operator^(V128 a, V128 b) { return {_mm_xor_si128(a.v, b.v)}; }

}  // namespace

namespace effect_rows_sse2 {
using V = V128;
#include "platform/draw/pixels/effect_rows_simd.h"
}  // namespace effect_rows_sse2

#if defined(__x86_64__)
#pragma GCC push_options
#pragma GCC target("avx2")

// ---- eight pixels ------------------------------------------------------------------

namespace {

struct V256 {
  static constexpr int kLanes = 8;
  __m256i v;

  static V256 Load(const void* p) { return {_mm256_loadu_si256(static_cast<const __m256i*>(p))}; }
  void Store(void* p) const { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }
  static V256 Zero() { return {_mm256_setzero_si256()}; }
  static V256 Set1(uint32_t x) { return {_mm256_set1_epi32(static_cast<int>(x))}; }
  static V256 Set1_16(uint16_t x) { return {_mm256_set1_epi16(static_cast<int16_t>(x))}; }
  static V256 Set1_64(uint64_t x) { return {_mm256_set1_epi64x(static_cast<long long>(x))}; }
  static V256 AndNot(V256 a, V256 b) { return {_mm256_andnot_si256(a.v, b.v)}; }
  V256 Add32(V256 b) const { return {_mm256_add_epi32(v, b.v)}; }
  V256 Add16(V256 b) const { return {_mm256_add_epi16(v, b.v)}; }
  template <int N>
  V256 Srli32() const {
    return {_mm256_srli_epi32(v, N)};
  }
  template <int N>
  V256 Srli16() const {
    return {_mm256_srli_epi16(v, N)};
  }
  static V256 CmpEq32(V256 a, V256 b) { return {_mm256_cmpeq_epi32(a.v, b.v)}; }
  static V256 MulLo16(V256 a, V256 b) { return {_mm256_mullo_epi16(a.v, b.v)}; }
  // Unpacking and packing work within each 128-bit half, so a pack of the
  // two unpacked halves puts every pixel back in its place.
  static V256 UnpackLo8(V256 a, V256 b) { return {_mm256_unpacklo_epi8(a.v, b.v)}; }
  static V256 UnpackHi8(V256 a, V256 b) { return {_mm256_unpackhi_epi8(a.v, b.v)}; }
  static V256 PackUS16(V256 a, V256 b) { return {_mm256_packus_epi16(a.v, b.v)}; }
  static V256 Select(V256 mask, V256 ifClear, V256 ifSet) {
    return {_mm256_blendv_epi8(ifClear.v, ifSet.v, mask.v)};
  }
  // The 16-bit lanes of UnpackLo8 are pixels 0-1 and 4-5, of UnpackHi8 2-3
  // and 6-7: the halves are exchanged into 0-3 and 4-7.
  static void Natural16(V256 lo, V256 hi, V256* first, V256* second) {
    *first = {_mm256_permute2x128_si256(lo.v, hi.v, 0x20)};
    *second = {_mm256_permute2x128_si256(lo.v, hi.v, 0x31)};
  }
};

// Free functions: GCC does not give functions defined as friends the
// instruction set of the region they are in.
inline V256 operator&(V256 a, V256 b) { return {_mm256_and_si256(a.v, b.v)}; }
inline V256 operator|(V256 a, V256 b) { return {_mm256_or_si256(a.v, b.v)}; }
inline V256 operator^(V256 a, V256 b) { return {_mm256_xor_si256(a.v, b.v)}; }

}  // namespace

namespace effect_rows_avx2 {
using V = V256;
#include "platform/draw/pixels/effect_rows_simd.h"
}  // namespace effect_rows_avx2

#pragma GCC pop_options
#endif  // __x86_64__
#endif  // __SSE2__

// ---- the entries --------------------------------------------------------------------

#if defined(__SSE2__)
#if defined(__x86_64__)
#define EFFECT_ROWS(fn, ...)           \
  if (pixel_rows_detail::g_bHasAvx2) { \
    effect_rows_avx2::fn(__VA_ARGS__); \
  } else {                             \
    effect_rows_sse2::fn(__VA_ARGS__); \
  }
#else
#define EFFECT_ROWS(fn, ...) effect_rows_sse2::fn(__VA_ARGS__);
#endif

void TintHalvingRow32(uint32_t* d, const uint32_t* s, int n, uint32_t c, int nSteps,
                      uint32_t dwKeep, uint32_t dwSet, const PIXELKEY& key) {
  EFFECT_ROWS(TintHalvingRow32, d, s, n, c, nSteps, dwKeep, dwSet, key)
}

void TintWeightedRow32(uint32_t* d, const uint32_t* s, int n, uint32_t c, uint32_t f,
                       const PIXELKEY& key) {
  EFFECT_ROWS(TintWeightedRow32, d, s, n, c, f, key)
}

void HalfRow32(uint32_t* d, const uint32_t* s, int n, uint32_t dwKeep, uint32_t dwSet,
               bool bTargetKey, uint32_t dwTargetKey, const PIXELKEY& key) {
  EFFECT_ROWS(HalfRow32, d, s, n, dwKeep, dwSet, bTargetKey, dwTargetKey, key)
}

void AccumulateColumns16(uint16_t* sums, const uint32_t* s, int n, const PIXELKEY& key, bool bAdd) {
  EFFECT_ROWS(AccumulateColumns16, sums, s, n, key, bAdd)
}

void SelectRow32(uint32_t* d, const uint32_t* colours, const uint32_t* s, int n,
                 const PIXELKEY& key) {
  EFFECT_ROWS(SelectRow32, d, colours, s, n, key)
}

#undef EFFECT_ROWS
#else  // no vectors: the per-pixel forms

void TintHalvingRow32(uint32_t* d, const uint32_t* s, int n, uint32_t c, int nSteps,
                      uint32_t dwKeep, uint32_t dwSet, const PIXELKEY& key) {
  for (int k = 0; k < n; ++k)
    if (!key.IsTransparent(s[k])) d[k] = TintHalvingPixel(d[k], s[k], c, nSteps, dwKeep, dwSet);
}

void TintWeightedRow32(uint32_t* d, const uint32_t* s, int n, uint32_t c, uint32_t f,
                       const PIXELKEY& key) {
  for (int k = 0; k < n; ++k)
    if (!key.IsTransparent(s[k])) d[k] = TintWeightedPixel(s[k], c, f);
}

void HalfRow32(uint32_t* d, const uint32_t* s, int n, uint32_t dwKeep, uint32_t dwSet,
               bool bTargetKey, uint32_t dwTargetKey, const PIXELKEY& key) {
  for (int k = 0; k < n; ++k)
    if (!key.IsTransparent(s[k]))
      d[k] = HalfPixel(d[k], s[k], dwKeep, dwSet, bTargetKey, dwTargetKey);
}

void AccumulateColumns16(uint16_t* sums, const uint32_t* s, int n, const PIXELKEY& key, bool bAdd) {
  for (int k = 0; k < n; ++k) AccumulatePixel16(sums + 4 * k, s[k], !key.IsTransparent(s[k]), bAdd);
}

void SelectRow32(uint32_t* d, const uint32_t* colours, const uint32_t* s, int n,
                 const PIXELKEY& key) {
  for (int k = 0; k < n; ++k)
    if (!key.IsTransparent(s[k])) d[k] = colours[k];
}
#endif
