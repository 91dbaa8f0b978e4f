#pragma once
// Helpers shared by the drawing library's own files.

#include <cstdint>

#include "platform/draw/surface/dd_surface.h"

// The four strip vertices of a quad at (x, y, w, h) showing source texels
// (sx, sy, sw, sh) of a texture of the given size (negative sizes mirror).
void BuildQuadVertices(GPUVERTEX* v, int x, int y, int w, int h, uint32_t dwColor, int sx, int sy,
                       int sw, int sh, int nTexW, int nTexH);
// The value an opaque copy from a colour-keyed source clears its rectangle
// to, so that transparency is copied too.
uint32_t DDTransparentClearValue(DDSURFACEDATA* lpDstSD);
// Makes the resting target (lpTargetSD) the render target again.
void DDRestoreTarget();
// Forgets queued fills without drawing them (tests).
void DDDropFillBatch();
