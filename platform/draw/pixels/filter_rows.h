#pragma once
// Row loops of the mosaic and blur filters, shared by both devices. A pixel
// becomes four 32-bit lanes, its three channels and a count (1 for a pixel
// that counts; all four lanes 0 for a transparent one), so that sums over
// blocks and boxes are sums of lanes, and an average is each channel's sum
// divided by the count.

#include <cstdint>

#include "platform/draw/pixels/blend_rows.h"
#include "platform/draw/pixels/pixel_rows.h"

struct alignas(16) LANES {
  int32_t a[4] = {};  // channels 0, 1, 2 and the count
};

namespace filter_rows_detail {
#if defined(__SSE2__)
// Lanes (all ones) of the four pixels the key leaves out.
inline __m128i Transparent4(__m128i v, const PIXELKEY& key) {
  switch (key.kind) {
    case PIXELKEY::kAlpha0:
      return _mm_cmpeq_epi32(_mm_srli_epi32(v, 24), _mm_setzero_si128());
    case PIXELKEY::kValue:
      return _mm_cmpeq_epi32(v, _mm_set1_epi32(static_cast<int>(key.dwValue)));
    default:
      return _mm_setzero_si128();
  }
}

inline __m128i LoadLanes(const LANES* p) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(p));
}
inline void StoreLanes(LANES* p, __m128i v) { _mm_store_si128(reinterpret_cast<__m128i*>(p), v); }
#endif
}  // namespace filter_rows_detail

// acc[k] += the lanes of s[k] (or -= with bSubtract) for 32-bit pixels:
// bytes 0, 1, 2 and a count of 1.
inline void AccumulateRow32(LANES* acc, const uint32_t* s, int n, const PIXELKEY& key,
                            bool bSubtract) {
  int k = 0;
#if defined(__SSE2__)
  using namespace filter_rows_detail;
  const __m128i zero = _mm_setzero_si128();
  const __m128i vColour = _mm_set1_epi32(0x00FFFFFF);
  const __m128i vCount = _mm_set1_epi32(0x01000000);
  auto add = [bSubtract](LANES* p, __m128i v) {
    const __m128i a = LoadLanes(p);
    StoreLanes(p, bSubtract ? _mm_sub_epi32(a, v) : _mm_add_epi32(a, v));
  };
  for (; k + 4 <= n; k += 4) {
    const __m128i p = pixel_rows_detail::Load(s + k);
    // Byte 3 becomes the count; a left-out pixel becomes 0.
    const __m128i v =
        _mm_andnot_si128(Transparent4(p, key), _mm_or_si128(_mm_and_si128(p, vColour), vCount));
    const __m128i lo = _mm_unpacklo_epi8(v, zero), hi = _mm_unpackhi_epi8(v, zero);
    add(acc + k, _mm_unpacklo_epi16(lo, zero));
    add(acc + k + 1, _mm_unpackhi_epi16(lo, zero));
    add(acc + k + 2, _mm_unpacklo_epi16(hi, zero));
    add(acc + k + 3, _mm_unpackhi_epi16(hi, zero));
  }
#endif
  const int32_t nSign = bSubtract ? -1 : 1;
  for (; k < n; ++k) {
    const uint32_t p = s[k];
    if (key.IsTransparent(p)) continue;
    acc[k].a[0] += nSign * static_cast<int32_t>(p & 0xFF);
    acc[k].a[1] += nSign * static_cast<int32_t>(p >> 8 & 0xFF);
    acc[k].a[2] += nSign * static_cast<int32_t>(p >> 16 & 0xFF);
    acc[k].a[3] += nSign;
  }
}

// How a 16-bit pixel's three channels become lane values: the channel at
// anShift, anMask wide, looked up in its table.
struct CHANNELEXPAND16 {
  int anShift[3] = {};
  uint32_t anMask[3] = {};
  uint8_t aTable[3][64] = {};
};

// acc[k] += the lanes of s[k] (or -= with bSubtract) for 16-bit pixels.
inline void AccumulateRow16(LANES* acc, const uint16_t* s, int n, const CHANNELEXPAND16& e,
                            const PIXELKEY& key, bool bSubtract) {
  const int32_t nSign = bSubtract ? -1 : 1;
  WithPixelKey(key, [&](auto isLeftOut) {
    for (int k = 0; k < n; ++k) {
      const uint32_t p = s[k];
      if (isLeftOut(p)) continue;
      for (int c = 0; c < 3; ++c)
        acc[k].a[c] += nSign * e.aTable[c][p >> e.anShift[c] & e.anMask[c]];
      acc[k].a[3] += nSign;
    }
  });
}

// Sums of lanes over blocks and boxes, in 64 bits: a box may cover a whole
// surface of 2^25 pixels. (The sums of lanes down a column, at most 255
// times a surface's height, stay in LANES.)
struct SUM64 {
  int64_t a[4] = {};
};

namespace filter_rows_detail {
#if defined(__SSE2__)
// Two 64-bit lanes each, channels 0 and 1, channel 2 and the count.
struct SUMV {
  __m128i lo = _mm_setzero_si128(), hi = _mm_setzero_si128();
  void Add(const LANES* p) {
    const __m128i v = LoadLanes(p), zero = _mm_setzero_si128();
    lo = _mm_add_epi64(lo, _mm_unpacklo_epi32(v, zero));
    hi = _mm_add_epi64(hi, _mm_unpackhi_epi32(v, zero));
  }
  void Sub(const LANES* p) {
    const __m128i v = LoadLanes(p), zero = _mm_setzero_si128();
    lo = _mm_sub_epi64(lo, _mm_unpacklo_epi32(v, zero));
    hi = _mm_sub_epi64(hi, _mm_unpackhi_epi32(v, zero));
  }
  SUM64 Get() const {
    SUM64 s;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s.a), lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s.a + 2), hi);
    return s;
  }
};
#else
struct SUMV {
  SUM64 s;
  void Add(const LANES* p) {
    for (int c = 0; c < 4; ++c) s.a[c] += p->a[c];
  }
  void Sub(const LANES* p) {
    for (int c = 0; c < 4; ++c) s.a[c] -= p->a[c];
  }
  SUM64 Get() const { return s; }
};
#endif
}  // namespace filter_rows_detail

// The sum of n lanes (every lane not negative).
inline SUM64 SumLanes(const LANES* row, int n) {
  filter_rows_detail::SUMV s;
  for (int k = 0; k < n; ++k) s.Add(row + k);
  return s.Get();
}

// The sum of n columns of 16-bit sums (four a column), in 32 bits: at most
// 257 rows of bytes over a surface's width.
inline SUM64 SumColumns16(const uint16_t* sums, int n) {
  uint32_t acc[4] = {};
  int k = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  __m128i v = zero;
  for (; k + 2 <= n; k += 2) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 4 * k));
    v = _mm_add_epi32(v, _mm_add_epi32(_mm_unpacklo_epi16(p, zero), _mm_unpackhi_epi16(p, zero)));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(acc), v);
#endif
  for (; k < n; ++k)
    for (int i = 0; i < 4; ++i) acc[i] += sums[4 * k + i];
  SUM64 sum;
  for (int i = 0; i < 4; ++i) sum.a[i] = acc[i];
  return sum;
}

// 1 / count, kept for the next sum of the same count (most blocks and boxes
// have the count of the one before).
class cReciprocal {
 public:
  double Of(int64_t n) {
    if (n != m_n) {
      m_n = n;
      m_r = 1.0 / static_cast<double>(n);
    }
    return m_r;
  }

 private:
  int64_t m_n = 0;
  double m_r = 0;
};

// Each channel's sum divided by the count (count > 0), truncated: exactly the
// integer quotient, since (sum + 1/2) / count lies at least 1 / (2 count) from
// any integer, far more than the rounding of a double multiply can move it
// (sums below 2^40).
inline void AverageSum(const SUM64& sum, cReciprocal& reciprocal, uint32_t out[3]) {
  const double r = reciprocal.Of(sum.a[3]);
  for (int c = 0; c < 3; ++c)
    out[c] = static_cast<uint32_t>((static_cast<double>(sum.a[c]) + 0.5) * r);
}

// Running box sums along a row of n lanes: for each position c from nFirst
// to nEnd - 1, fnVisit(c, sum of v[c + i] for i from -nRadius to nRadius - 1
// where 0 <= c + i < n), nRadius >= 1. Positions before nFirst are stepped
// over without a visit.
template <class VISIT>
inline void BoxSumRow(const LANES* v, int n, int nRadius, int nFirst, int nEnd, VISIT&& fnVisit) {
  filter_rows_detail::SUMV s;
  // The window of nFirst: [nFirst - nRadius, nFirst + nRadius) within the row.
  const int nFrom = nFirst - nRadius > 0 ? nFirst - nRadius : 0;
  const int nTo = nFirst + nRadius < n ? nFirst + nRadius : n;
  for (int c = nFrom; c < nTo; ++c) s.Add(v + c);
  for (int c = nFirst; c < nEnd; ++c) {
    fnVisit(c, s.Get());
    if (c + nRadius < n) s.Add(v + c + nRadius);
    if (c - nRadius >= 0) s.Sub(v + c - nRadius);
  }
}
