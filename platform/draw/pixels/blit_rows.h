#pragma once
// Row loops of the locked-pixel copy (texels of a system-memory texture, or
// of any texture onto a surface that is not a render target): opaque copies,
// copies that leave out transparent texels, the 16-bit texel turned into the
// full-screen back buffer's R5G6B5 pixel, and the gather of a scaled row
// through a table of source columns.
//
// Transparent texels: at 32 bits alpha 0 (any other alpha is copied as it
// stands, not blended); at 16 bits bits 15 and 13 both clear.

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/draw/pixels/pixel_format.h"
#include "platform/draw/pixels/pixel_rows.h"

namespace blit_rows_detail {

#if defined(__SSE2__)
using pixel_rows_detail::Load;
using pixel_rows_detail::Mask;
using pixel_rows_detail::Store;
using pixel_rows_detail::StoreBlock16;

// Lanes of v whose texel has alpha 0, as all-ones.
inline __m128i ZeroAlpha(__m128i v) {
  return _mm_cmpeq_epi32(_mm_srli_epi32(v, 24), _mm_setzero_si128());
}

// Four texels: stored where the alpha is not 0.
inline void AlphaKeyedQuad(uint32_t* d, const uint32_t* s) {
  const __m128i v = Load(s);
  const __m128i z = ZeroAlpha(v);
  const int m = Mask(z);
  if (m == 0)
    Store(d, v);
  else if (m != 0xF)
    Store(d, _mm_or_si128(_mm_andnot_si128(z, v), _mm_and_si128(z, Load(d))));
}
#endif

}  // namespace blit_rows_detail

// Copies n 32-bit texels, leaving the pixels under those with alpha 0.
// Sixteen texels are tested at once: wholly opaque blocks are stored and
// wholly transparent ones skipped without touching the target. With bStream
// (copies much larger than the caches, see WorthStreaming) the blocks are
// whole cache lines of the target and the opaque ones are streamed past the
// caches; StreamFence follows the last row.
template <bool bStream = false>
inline void CopyRowAlphaKeyed(uint32_t* d, const uint32_t* s, int n) {
  int k = 0;
#if defined(__SSE2__)
  using namespace blit_rows_detail;
  if constexpr (bStream) {
    for (; k < n && (reinterpret_cast<uintptr_t>(d + k) & 63) != 0; ++k)
      if (s[k] >> 24) d[k] = s[k];
  }
  for (; k + 16 <= n; k += 16) {
    const __m128i v0 = Load(s + k), v1 = Load(s + k + 4), v2 = Load(s + k + 8),
                  v3 = Load(s + k + 12);
    const __m128i z0 = ZeroAlpha(v0), z1 = ZeroAlpha(v1), z2 = ZeroAlpha(v2), z3 = ZeroAlpha(v3);
    const int nAny = Mask(_mm_or_si128(_mm_or_si128(z0, z1), _mm_or_si128(z2, z3)));
    if (nAny == 0) {
      StoreBlock16<bStream>(d + k, v0, v1, v2, v3);
      continue;
    }
    if (Mask(_mm_and_si128(_mm_and_si128(z0, z1), _mm_and_si128(z2, z3))) == 0xF) continue;
    for (int j = k; j < k + 16; j += 4) AlphaKeyedQuad(d + j, s + j);
  }
  for (; k + 4 <= n; k += 4) AlphaKeyedQuad(d + k, s + k);
#endif
  for (; k < n; ++k)
    if (s[k] >> 24) d[k] = s[k];
}

// Copies n 16-bit texels, leaving the pixels under transparent ones.
inline void CopyRowKeyed16(uint16_t* d, const uint16_t* s, int n) {
  for (int k = 0; k < n; ++k) d[k] = (s[k] & 0xA000) ? s[k] : d[k];
}

// n texels converted by TexelTo565; with bKey transparent texels are left out.
inline void ConvertRowTo565(uint16_t* d, const uint16_t* s, int n, const RGB565SHIFTS& sh,
                            bool bKey) {
  if (bKey) {
    for (int k = 0; k < n; ++k) d[k] = (s[k] & 0xA000) ? TexelTo565(s[k], sh) : d[k];
  } else {
    for (int k = 0; k < n; ++k) d[k] = TexelTo565(s[k], sh);
  }
}

// Where columns cols[0..n) take every texel twice in a row (a 2x
// enlargement), the index of the first column that starts a pair; -1
// otherwise.
inline int DoubledColumnsFrom(const int* cols, int n) {
  if (n < 2) return -1;
  const int nFirst = cols[0] == cols[1] ? 0 : 1;
  for (int k = nFirst; k < n; ++k)
    if (cols[k] != cols[nFirst] + ((k - nFirst) >> 1)) return -1;
  return nFirst;
}

// A run of destination columns reading neighbouring source columns: offsets
// nFirst .. nFirst + nLength - 1 read nSource .. nSource + nLength - 1.
struct COLUMNRUN {
  int nFirst, nSource, nLength;
};

// The runs of columns cols[0..n); true when a row is worth copying run by
// run: four columns a run or more on average (a shrink, or an enlargement
// by less than a quarter).
inline bool ColumnRuns(const int* cols, int n, std::vector<COLUMNRUN>& runs) {
  runs.clear();
  for (int k = 0; k < n; ++k) {
    if (!runs.empty() && cols[k] == runs.back().nSource + runs.back().nLength)
      ++runs.back().nLength;
    else
      runs.push_back(COLUMNRUN{k, cols[k], 1});
  }
  return runs.size() * 4 <= static_cast<size_t>(n);
}

// out[r.nFirst + i] = s[r.nSource + i] | orBits over the runs.
inline void GatherRuns(uint32_t* out, const uint32_t* s, const std::vector<COLUMNRUN>& runs,
                       uint32_t orBits) {
#if defined(__SSE2__)
  using pixel_rows_detail::Load;
  using pixel_rows_detail::Store;
  const __m128i vOr = _mm_set1_epi32(static_cast<int>(orBits));
#endif
  for (const COLUMNRUN& r : runs) {
    uint32_t* d = out + r.nFirst;
    const uint32_t* p = s + r.nSource;
    int k = 0;
#if defined(__SSE2__)
    if (r.nLength >= 4) {
      // Whole groups of four, the last one overlapping those before it.
      for (; k + 4 < r.nLength; k += 4) Store(d + k, _mm_or_si128(Load(p + k), vOr));
      k = r.nLength - 4;
      Store(d + k, _mm_or_si128(Load(p + k), vOr));
      continue;
    }
#endif
    for (; k < r.nLength; ++k) d[k] = p[k] | orBits;
  }
}

// out[k] = s[cols[k]] | orBits for k in [0, n); nDoubledFrom as
// DoubledColumnsFrom found for the columns.
template <class T>
inline void GatherRow(T* out, const T* s, const int* cols, int nDoubledFrom, int n, T orBits = 0) {
  int k = 0;
#if defined(__SSE2__)
  if constexpr (sizeof(T) == 4) {
    if (nDoubledFrom >= 0) {
      using namespace blit_rows_detail;
      for (; k < nDoubledFrom; ++k) out[k] = s[cols[k]] | orBits;
      const T* p = s + cols[k];
      const __m128i vOr = _mm_set1_epi32(static_cast<int>(orBits));
      for (; k + 8 <= n; k += 8, p += 4) {
        const __m128i v = _mm_or_si128(Load(p), vOr);
        Store(out + k, _mm_unpacklo_epi32(v, v));
        Store(out + k + 4, _mm_unpackhi_epi32(v, v));
      }
    }
  }
#endif
  for (; k < n; ++k) out[k] = static_cast<T>(s[cols[k]] | orBits);
}
