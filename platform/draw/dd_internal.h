#pragma once
// Helpers shared by the drawing library's own files.

#include <cmath>
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
// Stage 0 as textured draws set it: colour and alpha from the texture and the
// vertex colour by the given operations.
void DDSetTextureStage(uint32_t dwColorOp, uint32_t dwAlphaOp);
// One quad drawn from a source's texture through the source's own vertex
// buffer, both surfaces already resolved and redirected: DDBeginSourceQuad
// writes the four strip vertices, opens the scene and makes the destination
// the render target (false, nothing to draw, when any of it failed, or when
// the source has no texture and bTextureNeeded is set); the caller then sets
// stage 0 (and may clear); DDEndSourceQuad binds the texture (none for a
// source without one, such as the back buffer) and the buffer, draws and
// makes the resting target current again.
bool DDBeginSourceQuad(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, const GPUVERTEX* v,
                       bool bTextureNeeded = true);
void DDEndSourceQuad(DDSURFACEDATA* lpSrcSD);
// Forgets queued fills without drawing them (tests).
void DDDropFillBatch();

// The integer square root of n (below 2^63): the largest r with r * r <= n.
inline uint64_t ISqrt(uint64_t n) {
  uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(n)));
  while (r > 0 && r * r > n) --r;
  while ((r + 1) * (r + 1) <= n) ++r;
  return r;
}
