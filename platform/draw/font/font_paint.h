#pragma once
// Puts a glyph's coverage image onto a surface record. Under the textured
// back end the colour is blended with the coverage as alpha (on a transparent
// texel the coverage becomes the texel's alpha, so a cached glyph keeps its
// soft edge when it is later blended); under the surface back end every
// pixel covered at least half becomes the solid pixel value, so colour-keyed
// copies leave no fringe of half-mixed key colour.

#include <cstdint>
#include <optional>

#include "platform/draw/font/font_raster.h"
#include "platform/draw/surface/dd_surface.h"

struct GLYPHPAINT {
  uint32_t dwArgb = 0xFFFFFFFF;  // textured back end: colour of the text
  uint32_t dwPixel = 0;          // surface back end: pixel value (palette index at 8 bits)
};

// Pixel access for painting glyphs, held for a run of glyphs. A texture is
// written in place, render targets included, as text drawn into a render
// target would land there (a read-back through its system copy would cost
// two whole-texture copies per glyph); surfaces of the surface back end are
// locked as usual.
class cGlyphCanvas {
 public:
  explicit cGlyphCanvas(DDSURFACEDATA* lpSD);
  ~cGlyphCanvas();
  cGlyphCanvas(const cGlyphCanvas&) = delete;
  cGlyphCanvas& operator=(const cGlyphCanvas&) = delete;
  bool IsReady() const { return m_lpBits != nullptr; }

  uint8_t* m_lpBits = nullptr;
  int m_nPitch = 0;  // bytes
  int m_nBytesPerPixel = 0;
  int m_nWidth = 0, m_nHeight = 0;
  GPUFORMAT m_format = GPUFMT_UNKNOWN;  // textured back end; UNKNOWN for the surface back end

 private:
  cGpuSurface* m_lpGpuSurface = nullptr;
  std::optional<cSurfaceLock> m_lock;
};

// Paints img with its top-left at (x, y), clipped to the canvas and, when
// given, to lpClip (right and bottom exclusive).
void PaintGlyph(const cGlyphCanvas& canvas, int x, int y, const GLYPHIMAGE& img,
                const GLYPHPAINT& paint, const DDRECT* lpClip);
