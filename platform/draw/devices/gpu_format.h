#pragma once
// The software device's pixel formats: their sizes and names, and one texel
// of any of them read and written as 32-bit ARGB. The device blends through
// 8-bit channels; 5-bit channels widen by bit replication, so a texel read
// and written back is unchanged.

#include <cstdint>

#include "platform/draw/pixels/pixel_format.h"

// Pixel formats by their conventional numbers.
enum GPUFORMAT : int {
  GPUFMT_UNKNOWN = 0,
  GPUFMT_A8R8G8B8 = 21,
  GPUFMT_X8R8G8B8 = 22,
  GPUFMT_R5G6B5 = 23,
  GPUFMT_A1R5G5B5 = 25,
  GPUFMT_INDEX16 = 101,
};

// Bytes per pixel; 0 for a format that holds no pixels.
constexpr int GpuFormatBytes(GPUFORMAT fmt) {
  switch (fmt) {
    case GPUFMT_A8R8G8B8:
    case GPUFMT_X8R8G8B8:
      return 4;
    case GPUFMT_R5G6B5:
    case GPUFMT_A1R5G5B5:
    case GPUFMT_INDEX16:
      return 2;
    default:
      return 0;
  }
}

constexpr const char* GpuFormatName(GPUFORMAT fmt) {
  switch (fmt) {
    case GPUFMT_A8R8G8B8:
      return "A8R8G8B8";
    case GPUFMT_X8R8G8B8:
      return "X8R8G8B8";
    case GPUFMT_R5G6B5:
      return "R5G6B5";
    case GPUFMT_A1R5G5B5:
      return "A1R5G5B5";
    default:
      return "UNKNOWN";
  }
}

// The texel at p as ARGB (formats without alpha read as opaque).
inline uint32_t GpuReadTexel(const uint8_t* p, GPUFORMAT fmt) {
  switch (fmt) {
    case GPUFMT_A8R8G8B8:
      return ReadPixelBytes(p, 4);
    case GPUFMT_X8R8G8B8:
      return ReadPixelBytes(p, 4) | 0xFF000000u;
    case GPUFMT_A1R5G5B5:
      return Argb1555ToArgb(static_cast<uint16_t>(ReadPixelBytes(p, 2)));
    case GPUFMT_R5G6B5:
      return Rgb565ToArgb(static_cast<uint16_t>(ReadPixelBytes(p, 2)));
    default:
      return 0;
  }
}

// Stores an ARGB colour at p. An X8R8G8B8 pixel has no alpha: its top byte is
// written as 0xFF, so that whoever reads the bytes as ARGB (the presenter, a
// locked copy used as a texture) sees the pixel opaque.
inline void GpuWriteTexel(uint8_t* p, GPUFORMAT fmt, uint32_t c) {
  switch (fmt) {
    case GPUFMT_A8R8G8B8:
      WritePixelBytes(p, 4, c);
      break;
    case GPUFMT_X8R8G8B8:
      WritePixelBytes(p, 4, c | 0xFF000000u);
      break;
    case GPUFMT_A1R5G5B5:
      WritePixelBytes(p, 2, ArgbTo1555(c));
      break;
    case GPUFMT_R5G6B5:
      WritePixelBytes(p, 2, ArgbTo565(c));
      break;
    default:
      break;
  }
}
