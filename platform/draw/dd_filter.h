#pragma once
// Pixel filters on locked pixels, under both back ends: a rectangle of a
// source surface cut into square blocks of one colour (mosaic), or each pixel
// averaged with a box around it (blur), written at a position of a
// destination surface.
//
// Rectangle pixel (c, r) is source pixel (sx + c, sy + r) and destination
// pixel (x + c, y + r). Only the part of the rectangle inside the source is
// read, and only pixels inside both surfaces are written. With dwFlags 1
// transparent source pixels are neither averaged nor sampled, and the
// destination pixels under them keep what they show.

#include <cstdint>

#include "platform/draw/surface/dd_surface.h"

// Blocks of nSize x nSize from the rectangle's top-left corner (the last ones
// cut at its edges), each filled with one colour: the average of its pixels
// (textured 32 bits with alpha 255; surface display 16 bits through 0..255
// channels, where with dwFlags 1 an average equal to the transparent colour
// is not written; 32 bits), or its top-left pixel (textured 16 bits; palette
// indices at 8 bits). A block with nothing to average or a transparent top-
// left pixel stays as it was. True after filtering, also for a size of 0 or
// less, which does nothing; false when a surface cannot be locked.
bool DDMosaic(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nSize,
              DDSURFACEDATA* lpSrcSD, int sx, int sy, uint32_t dwFlags);

// Each pixel becomes the average of the source pixels (c + i, r + j) for i
// from -nRadiusX to nRadiusX - 1 and j from -nRadiusY to nRadiusY - 1 that
// lie in the rectangle, channel by channel (truncated); the box is clipped to
// the rectangle, so a radius beyond it costs nothing more. Textured pixels
// are written opaque (onto the full-screen back buffer as R5G6B5). An 8-bit
// display has no blur (traced). True after filtering, also for a radius of 0
// or less, which does nothing; false when a surface cannot be locked.
bool DDBlur(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nRadiusX,
            int nRadiusY, DDSURFACEDATA* lpSrcSD, int sx, int sy, uint32_t dwFlags);
