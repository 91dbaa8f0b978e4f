#pragma once
// Row loops of the blend blits on locked pixels at 16 and 8 bits, shared by
// both devices (the 32-bit ones are in effect_rows.h), and the key that tells
// every effect's row loops which source pixels to leave out: a left-out
// source pixel keeps the target pixel as it was.

#include <cstdint>

// Which source pixels a loop leaves out.
struct PIXELKEY {
  enum eKind : uint8_t {
    kNone,
    kAlpha0,  // a 32-bit texel with alpha 0
    kBits16,  // a 16-bit texel with bits 15 and 13 both clear
    kValue,   // a pixel equal to dwValue
  };
  eKind kind = kNone;
  uint32_t dwValue = 0;

  bool IsTransparent(uint32_t p) const {
    switch (kind) {
      case kAlpha0:
        return (p >> 24) == 0;
      case kBits16:
        return (p & 0xA000) == 0;
      case kValue:
        return p == dwValue;
      default:
        return false;
    }
  }
};

// Calls fn(isLeftOut) with a test of the key's own kind, so that a loop over
// pixels is made once per kind instead of testing the kind at each pixel.
template <class FN>
inline void WithPixelKey(const PIXELKEY& key, FN&& fn) {
  switch (key.kind) {
    case PIXELKEY::kAlpha0:
      fn([](uint32_t p) { return (p >> 24) == 0; });
      break;
    case PIXELKEY::kBits16:
      fn([](uint32_t p) { return (p & 0xA000) == 0; });
      break;
    case PIXELKEY::kValue:
      fn([v = key.dwValue](uint32_t p) { return p == v; });
      break;
    default:
      fn([](uint32_t) { return false; });
      break;
  }
}

// A 16-bit pixel mapped channel by channel: each of three channels (at
// nShift, nMask wide) looked up in its own table of ready-shifted results,
// ORed with dwSet.
struct CHANNELMAP16 {
  int anShift[3] = {};
  uint32_t anMask[3] = {};
  uint16_t aTable[3][64] = {};
  uint16_t wSet = 0;
  uint16_t Map(uint32_t p) const {
    return static_cast<uint16_t>(aTable[0][p >> anShift[0] & anMask[0]] |
                                 aTable[1][p >> anShift[1] & anMask[1]] |
                                 aTable[2][p >> anShift[2] & anMask[2]] | wSet);
  }
};

inline void MapRow16(uint16_t* d, const uint16_t* s, int n, const CHANNELMAP16& map,
                     const PIXELKEY& key) {
  WithPixelKey(key, [&](auto isLeftOut) {
    for (int k = 0; k < n; ++k)
      if (!isLeftOut(s[k])) d[k] = map.Map(s[k]);
  });
}

// Two 16-bit pixels halved field by field: floor((a + b) / 2) in every field
// whose lowest bit wMask leaves out (wMask holds each field's bits but its
// top one, shifted down by one).
inline uint16_t HalveFields16(uint32_t a, uint32_t b, uint32_t wMask) {
  return static_cast<uint16_t>((a & b) + (((a ^ b) >> 1) & wMask));
}
// Fields of A1R5G5B5 and R5G6B5 for HalveFields16.
inline constexpr uint32_t kHalve1555 = 0x3DEF;
inline constexpr uint32_t kHalve565 = 0x7BEF;

// Each source pixel, passed through fnSource, halved with the target pixel
// field by field, ORed with wSet.
template <class SOURCE>
inline void HalfRow16(uint16_t* d, const uint16_t* s, int n, uint32_t wMask, uint16_t wSet,
                      SOURCE fnSource, const PIXELKEY& key) {
  WithPixelKey(key, [&](auto isLeftOut) {
    for (int k = 0; k < n; ++k)
      if (!isLeftOut(s[k]))
        d[k] = static_cast<uint16_t>(HalveFields16(fnSource(s[k]), d[k], wMask) | wSet);
  });
}

// The surface display's 16-bit half mix: each channel scaled to 0..255, the
// two halved, scaled back; a target pixel equal to wTargetKey takes the
// source pixel.
struct CHANNELMIX16 {
  int anShift[3] = {};
  uint32_t anMask[3] = {};
  uint8_t aTo8[3][64] = {};     // channel value -> 0..255
  uint8_t aFrom8[3][256] = {};  // 0..255 -> channel value
};

inline void MixRow16(uint16_t* d, const uint16_t* s, int n, const CHANNELMIX16& mix,
                     uint16_t wTargetKey, const PIXELKEY& key) {
  WithPixelKey(key, [&](auto isLeftOut) {
    for (int k = 0; k < n; ++k) {
      const uint32_t v = s[k], p = d[k];
      if (isLeftOut(v)) continue;
      if (p == wTargetKey) {
        d[k] = static_cast<uint16_t>(v);
        continue;
      }
      uint32_t r = 0;
      for (int c = 0; c < 3; ++c) {
        const uint32_t a = mix.aTo8[c][v >> mix.anShift[c] & mix.anMask[c]];
        const uint32_t b = mix.aTo8[c][p >> mix.anShift[c] & mix.anMask[c]];
        r |= static_cast<uint32_t>(mix.aFrom8[c][(a + b) >> 1]) << mix.anShift[c];
      }
      d[k] = static_cast<uint16_t>(r);
    }
  });
}

// Palette indices through a table of 256.
inline void MapRow8(uint8_t* d, const uint8_t* s, int n, const uint8_t* lut, const PIXELKEY& key) {
  WithPixelKey(key, [&](auto isLeftOut) {
    for (int k = 0; k < n; ++k)
      if (!isLeftOut(s[k])) d[k] = lut[s[k]];
  });
}

// The 8-bit half mix through the blend table: a target index 0 takes the
// source index, any other becomes table[target * 256 + source].
inline void BlendTableRow8(uint8_t* d, const uint8_t* s, int n, const uint8_t* table,
                           const PIXELKEY& key) {
  WithPixelKey(key, [&](auto isLeftOut) {
    for (int k = 0; k < n; ++k)
      if (!isLeftOut(s[k])) d[k] = d[k] == 0 ? s[k] : table[d[k] * 256 + s[k]];
  });
}
