#pragma once
// Composite blits built from plain ones: a frame of a palette colour, a
// number from a sheet of digit cells, and a picture cut into strips that
// move apart.

#include <cstdint>

#include "platform/draw/surface/dd_surface.h"

// A frame nThick pixels wide lying inside the rectangle, in palette colour
// dwPalNum (its corners are filled twice).
void DDFrameRect(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nThick,
                 uint32_t dwPalNum);

// nNumber (not below 0) as digit cells of nWidth x nHeight; the cell of
// digit d lies at (sx + d x nWidth, sy) of the source. Fewer digits than
// nMinDigits are right-aligned in a field of nMinDigits cells, or centred
// in it with bCentre; no leading zeros are drawn.
void DDBltNumber(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                 DDSURFACEDATA* lpSrcSD, int sx, int sy, uint32_t dwFlags, int nNumber,
                 int nMinDigits, int bCentre);

// The picture cut into strips nBand pixels wide (horizontal strips, or
// vertical ones with bVertical); odd strips move by -nShift, even ones by
// +nShift. A remainder narrower than a strip is not drawn; nBand 0 is a
// plain blit and a negative band draws nothing.
int DDBltInterlace(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nBand,
                   int nShift, DDSURFACEDATA* lpSrcSD, int sx, int sy, uint32_t dwFlags,
                   int bVertical);
