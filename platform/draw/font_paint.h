#pragma once
// Puts a glyph's coverage image onto a surface record. Under the textured
// back end the colour is blended with the coverage as alpha (on a transparent
// texel the coverage becomes the texel's alpha, so a cached glyph keeps its
// soft edge when it is later blended); under the surface back end every
// pixel covered at least half becomes the solid pixel value, so colour-keyed
// copies leave no fringe of half-mixed key colour.

#include <cstdint>

#include "platform/draw/dd_surface.h"
#include "platform/draw/font_raster.h"

struct GLYPHPAINT {
  uint32_t dwArgb = 0xFFFFFFFF;  // textured back end: colour of the text
  uint32_t dwPixel = 0;          // surface back end: pixel value (palette index at 8 bits)
};

// Paints img with its top-left at (x, y) on a locked surface, clipped to the
// surface and, when given, to lpClip (right and bottom exclusive). One lock
// serves any number of glyphs.
void PaintGlyph(const cSurfaceLock& lock, int x, int y, const GLYPHIMAGE& img, const GLYPHPAINT& paint,
                const DDRECT* lpClip);
