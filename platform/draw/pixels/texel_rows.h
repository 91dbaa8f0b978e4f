#pragma once
// Row loops of the textured device's quads: rows of texels fetched as ARGB
// colours (in place, through a table of source columns, or enlarged twice),
// and ARGB colours blended by their alpha into 16-bit pixels (R5G6B5 or
// A1R5G5B5), per pixel or for one colour through a table per channel.

#include <cstdint>
#include <cstring>

#include "platform/draw/pixels/blit_rows.h"
#include "platform/draw/pixels/pixel_format.h"
#include "platform/draw/pixels/pixel_rows.h"

// One 16-bit layout as ARGB and back.
template <bool b565>
inline uint32_t Texel16ToArgb(uint16_t t) {
  return b565 ? Rgb565ToArgb(t) : Argb1555ToArgb(t);
}
template <bool b565>
inline uint16_t ArgbToTexel16(uint32_t c) {
  return b565 ? ArgbTo565(c) : ArgbTo1555(c);
}

// 32-bit texels s[c0 + k], or s[cols[k]] when cols is given (nDoubledFrom as
// DoubledColumnsFrom found for them), with dwForce ORed into each.
inline void FetchRow32(uint32_t* out, const uint32_t* s, int c0, const int* cols, int nDoubledFrom,
                       int n, uint32_t dwForce) {
  if (cols) {
    GatherRow(out, s, cols, nDoubledFrom, n, dwForce);
    return;
  }
  int k = 0;
#if defined(__SSE2__)
  using pixel_rows_detail::Load;
  using pixel_rows_detail::Store;
  const __m128i vForce = _mm_set1_epi32(static_cast<int>(dwForce));
  for (; k + 4 <= n; k += 4) Store(out + k, _mm_or_si128(Load(s + c0 + k), vForce));
#endif
  for (; k < n; ++k) out[k] = s[c0 + k] | dwForce;
}

// 16-bit texels s[c0 + k], or s[cols[k]], as ARGB.
template <bool b565>
inline void FetchRow16(uint32_t* out, const uint16_t* s, int c0, const int* cols, int n) {
  for (int k = 0; k < n; ++k) out[k] = Texel16ToArgb<b565>(s[cols ? cols[k] : c0 + k]);
}

// Source-alpha blend of ARGB colours over 16-bit pixels: alpha 255 replaces
// the pixel, 0 leaves it.
template <bool b565>
inline void BlendRow16(uint16_t* d, const uint32_t* s, int n) {
  for (int k = 0; k < n; ++k) {
    const uint32_t a = s[k] >> 24;
    if (a == 255)
      d[k] = ArgbToTexel16<b565>(s[k]);
    else if (a != 0)
      d[k] = ArgbToTexel16<b565>(
          pixel_rows_detail::BlendSourceAlpha(s[k], Texel16ToArgb<b565>(d[k]), 0));
  }
}

// Source-alpha blend of one colour over 16-bit pixels: each channel of the
// result depends only on the same channel of the pixel, so a table per
// channel, filled through the per-pixel arithmetic, gives the result.
class cConstantBlend16 {
 public:
  cConstantBlend16(uint32_t c, bool b565) {
    if (b565)
      Build<true>(c);
    else
      Build<false>(c);
  }
  void Row(uint16_t* d, int n) const {
    for (int k = 0; k < n; ++k) {
      const uint32_t p = d[k];
      uint16_t r = 0;
      for (int f = 0; f < m_nFields; ++f)
        r |= m_tables[f][(p >> m_fields[f].nShift) & ((1u << m_fields[f].nBits) - 1)];
      d[k] = r;
    }
  }

 private:
  // One channel of a 16-bit pixel.
  struct FIELD {
    int nShift, nBits;
  };
  template <bool b565>
  void Build(uint32_t c) {
    static constexpr FIELD k565[] = {{0, 5}, {5, 6}, {11, 5}};
    static constexpr FIELD k1555[] = {{0, 5}, {5, 5}, {10, 5}, {15, 1}};
    const FIELD* pFields = b565 ? k565 : k1555;
    m_nFields = b565 ? 3 : 4;
    for (int f = 0; f < m_nFields; ++f) {
      m_fields[f] = pFields[f];
      const uint32_t nMask = (1u << pFields[f].nBits) - 1;
      for (uint32_t v = 0; v <= nMask; ++v) {
        const uint16_t p = static_cast<uint16_t>(v << pFields[f].nShift);
        const uint16_t r =
            ArgbToTexel16<b565>(pixel_rows_detail::BlendSourceAlpha(c, Texel16ToArgb<b565>(p), 0));
        m_tables[f][v] = static_cast<uint16_t>(r & (nMask << pFields[f].nShift));
      }
    }
  }
  int m_nFields = 0;
  FIELD m_fields[4] = {};
  uint16_t m_tables[4][64] = {};  // by the channel's stored value (at most 6 bits)
};
