#pragma once
// The 32-bit row loops of the pixel effects (tint, half mix, mosaic), shared
// by both devices. Each runs on whole vectors of pixels, eight at a time with
// AVX2 where the processor has it (UseAvx2RowLoops switches, as for the other
// row loops) and four with SSE2, with the pixels at the end of a row done one
// by one; every form gives exactly the per-pixel arithmetic stated here.
//
// Per byte, floor((a + b) / 2) is (a & b) + ((a ^ b) >> 1) with the bits
// that cross a byte boundary masked off; the weighted mix divides by 255 as
// (x + 1 + (x >> 8)) >> 8, exact for x below 65535.

#include <cstdint>

#include "platform/draw/pixels/blend_rows.h"

// Each source pixel halved toward the colour c nSteps times, per byte
// (v = floor((v + c) / 2)); the target's bits in dwKeep stay, the bits in
// dwSet are set. nSteps 0 copies the source through the same masks.
void TintHalvingRow32(uint32_t* d, const uint32_t* s, int n, uint32_t c, int nSteps,
                      uint32_t dwKeep, uint32_t dwSet, const PIXELKEY& key);

// Each source pixel mixed with the colour c by weight f (0..255) per colour
// byte: (s * f + c * (255 - f)) / 255, truncated; alpha 255.
void TintWeightedRow32(uint32_t* d, const uint32_t* s, int n, uint32_t c, uint32_t f,
                       const PIXELKEY& key);

// Each source pixel halved with the target pixel per byte; a target pixel
// equal to dwTargetKey (with bTargetKey) takes the source pixel instead.
// The target's bits in dwKeep stay, the bits in dwSet are set.
void HalfRow32(uint32_t* d, const uint32_t* s, int n, uint32_t dwKeep, uint32_t dwSet,
               bool bTargetKey, uint32_t dwTargetKey, const PIXELKEY& key);

// Sums down columns for the mosaic, in 16 bits: sums[4k + i] += byte i of
// s[k] for i = 0, 1, 2, and sums[4k + 3] += 1, for each pixel the key does
// not leave out (without bAdd the sums start from this row). 257 rows of
// bytes fit.
void AccumulateColumns16(uint16_t* sums, const uint32_t* s, int n, const PIXELKEY& key, bool bAdd);

// d[k] = colours[k] where the key does not leave out s[k].
void SelectRow32(uint32_t* d, const uint32_t* colours, const uint32_t* s, int n,
                 const PIXELKEY& key);
