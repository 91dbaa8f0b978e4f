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

// The picture with its rows (or, with bVertical, its columns) moved along a
// sine wave: bands of nBand rows (columns) move together, band b (from 0) by
// dAmplitude x sin(nCycles x (nPhase + (b + 1) x 360 x nBand / size))
// degrees, truncated toward zero, where size is nHeight (nWidth); the last
// band keeps what is left of the size. Nothing is drawn for a band or a size
// of 0 or less, nor for bands that lie outside the source.
void DDBltWave(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nCycles,
               double dAmplitude, int nPhase, int nBand, DDSURFACEDATA* lpSrcSD, int sx, int sy,
               uint32_t dwFlags, int bVertical);

// Frame nFrame of a card turning about its vertical axis (nMode 0) or its
// horizontal one (nMode 1), drawn in the rectangle: the front image (sx, sy)
// of lpSrcSD narrows to a line over u = size / 2 frames, the back image
// (sx2, sy2) of lpSrcSD2 widens from it, narrows again and the front widens
// back, each image nSrcWidth x nSrcHeight stretched over the card's width at
// the moment. The turn repeats every 2 x size frames, negative frames
// included. A card smaller than 2 pixels in the turning direction, or
// another mode, draws nothing.
void DDBltFlipCard(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                   DDSURFACEDATA* lpSrcSD, int sx, int sy, DDSURFACEDATA* lpSrcSD2, int sx2,
                   int sy2, int nSrcWidth, int nSrcHeight, uint32_t dwFlags, int nFrame, int nMode);

// The four quarters of the picture (nWidth / 2 x nHeight / 2 each; an odd
// last column or row is lost) moved nOffset pixels apart along the diagonals.
void DDBltQuarters(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                   DDSURFACEDATA* lpSrcSD, int sx, int sy, int nOffset, uint32_t dwFlags);

// The disc of radius nRadius around (scx, scy) of the source drawn around
// (cx, cy), as spans one row high (nBand 1) or nBand rows high, each as wide
// as the disc at the band's middle row; a row's half-width is the integer
// square root of R^2 - t^2, one less where it reaches R. Only rows within
// nHalfH of the centre and source columns within nHalfW of scx (and inside
// the source) are drawn. The result of the batch; 0 for a radius or a band
// of 0 or less.
int DDBltCircle(DDSURFACEDATA* lpDstSD, int cx, int cy, int nHalfW, int nHalfH, int nRadius,
                int nBand, DDSURFACEDATA* lpSrcSD, int scx, int scy, uint32_t dwFlags);
