#pragma once
// Pixel formats of the drawing library, in one place: reading and writing a
// pixel of 1 to 4 bytes as the devices store it (little-endian), widening 5-
// and 6-bit channels to 8 bits, and the conversions between 32-bit ARGB and
// the 16-bit layouts R5G6B5 and A1R5G5B5.
//
// Narrowing keeps a channel's top bits; widening repeats them into the low
// bits, so that a widened channel narrows back to exactly what it was.

#include <cstdint>
#include <cstring>

// The pixel of nBytes (1 to 4) at p; any other size reads 0.
inline uint32_t ReadPixelBytes(const uint8_t* p, int nBytes) {
  switch (nBytes) {
    case 1:
      return p[0];
    case 2: {
      uint16_t w;
      std::memcpy(&w, p, 2);
      return w;
    }
    case 3:
      return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
    case 4: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    default:
      return 0;
  }
}

// Stores the low nBytes (1 to 4) of v at p; any other size writes nothing.
inline void WritePixelBytes(uint8_t* p, int nBytes, uint32_t v) {
  switch (nBytes) {
    case 1:
      p[0] = static_cast<uint8_t>(v);
      break;
    case 2:
      std::memcpy(p, &v, 2);
      break;
    case 3:
      p[0] = static_cast<uint8_t>(v);
      p[1] = static_cast<uint8_t>(v >> 8);
      p[2] = static_cast<uint8_t>(v >> 16);
      break;
    case 4:
      std::memcpy(p, &v, 4);
      break;
    default:
      break;
  }
}

// A 5-bit or 6-bit channel widened to 8 bits.
constexpr uint32_t Widen5(uint32_t v) { return (v << 3) | (v >> 2); }
constexpr uint32_t Widen6(uint32_t v) { return (v << 2) | (v >> 4); }

// A channel of a format described by its mask shifted down (nMax >= 1, as a
// CHANNELFORMAT gives it) scaled to 8 bits and back, rounding down: the
// fade and the palette read of whatever 16-bit format the device has.
constexpr uint32_t ScaleChannelTo8(uint32_t v, uint32_t nMax) { return v * 255 / nMax; }
constexpr uint32_t ScaleChannelFrom8(uint32_t v, uint32_t nMax) { return v * nMax / 255; }

// 16-bit pixels as ARGB: R5G6B5 is opaque, A1R5G5B5 opaque where bit 15 is set.
constexpr uint32_t Rgb565ToArgb(uint16_t p) {
  return 0xFF000000u | Widen5((p >> 11) & 31) << 16 | Widen6((p >> 5) & 63) << 8 | Widen5(p & 31);
}
constexpr uint32_t Argb1555ToArgb(uint16_t p) {
  return ((p & 0x8000) ? 0xFF000000u : 0u) | Widen5((p >> 10) & 31) << 16 |
         Widen5((p >> 5) & 31) << 8 | Widen5(p & 31);
}

// ARGB narrowed to 16 bits (A1R5G5B5 takes alpha's top bit).
constexpr uint16_t ArgbTo565(uint32_t c) {
  return static_cast<uint16_t>(((c >> 19) & 31) << 11 | ((c >> 10) & 63) << 5 | ((c >> 3) & 31));
}
constexpr uint16_t ArgbTo1555(uint32_t c) {
  return static_cast<uint16_t>((c >> 31) << 15 | ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 |
                               ((c >> 3) & 31));
}

// An A1R5G5B5 texel's colour as R5G6B5, the same as ArgbTo565(Argb1555ToArgb(t))
// in three masks: green's top bit repeats into the new low bit.
constexpr uint16_t Rgb555To565(uint16_t t) {
  return static_cast<uint16_t>((t & 0x7FE0) << 1 | (t & 0x200) >> 4 | (t & 0x1F));
}

// Where the channels of an R5G6B5 pixel go (the back buffer's shifts).
struct RGB565SHIFTS {
  int nRed, nGreen, nBlue;
};

// The locked copy's conversion of a 16-bit texel (5 bits a channel) into the
// back buffer's R5G6B5 pixel: green is doubled into 6 bits (its low bit
// stays 0, unlike Rgb555To565), each channel moved to its place.
inline uint16_t TexelTo565(uint32_t t, const RGB565SHIFTS& sh) {
  const uint32_t r = (t >> 10) & 31, g = ((t >> 5) & 31) * 2, b = t & 31;
  return static_cast<uint16_t>(r << sh.nRed | g << sh.nGreen | b << sh.nBlue);
}
