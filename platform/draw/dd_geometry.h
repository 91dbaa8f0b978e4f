#pragma once
// The geometric effect blits: a disc of a picture seen through a convex lens,
// and a rectangle of a picture turned about a pivot. Both work on locked
// pixels under the surface back end; under the textured one the lens always
// does, the rotation draws one turned quad when it can (a render target
// drawn from a texture that is not in system memory).
//
// Every read stays inside the source surface and every write inside the
// destination, whatever the arguments: the loops visit only the pixels that
// land on the destination, so their cost follows what is drawn, not the
// radius or the rectangle asked for.

#include <cstdint>

#include "platform/draw/surface/dd_surface.h"

// The disc of radius nRadius around (scx, scy) of the source seen through a
// lens of depth nDepth, drawn around (cx, cy). With F = the integer square
// root of R^2 + D^2, the pixel at offset (j, i) from the centre shows the
// source at offset (trunc(j D / Z + 0.5), trunc(i D / Z + 0.5)), Z =
// sqrt(F^2 - i^2 - j^2) (its own offset where Z is 0): magnified F / D at the
// centre, joining the picture around it at the rim.
//   Transparent source pixels are left out: under the surface back end those
// equal to the transparent pixel, whatever bColorKey says; under the textured
// one at 32 bits those with alpha 0, at 16 bits those bits 15 and 13 clear
// when bColorKey is 1. bClearOutside (textured back end at 32 bits) makes
// the square around the disc transparent wherever the lens shows nothing.
//   False for a negative radius or depth, for a radius too small for the
// depth (F <= D), and when a surface cannot be locked; 24-bit surfaces draw
// nothing.
bool DDBltLens(DDSURFACEDATA* lpDstSD, int cx, int cy, int nRadius, int nDepth,
               DDSURFACEDATA* lpSrcSD, int scx, int scy, int bColorKey, int bClearOutside);

// The source rectangle (sx, sy, nWidth, nHeight) turned nAngle degrees
// (clockwise on the screen) about its point (nPivotX, nPivotY), drawn with
// that point on (cx, cy).
//   As a quad (textured back end, render target, source texture not in
// system memory): the texels' alpha decides what shows and bColorKey is not
// used; the part of the rectangle outside the source is cut off first.
//   On locked pixels: 10-bit fixed point, Kc = trunc(1024 cos) and Ks =
// trunc(1024 sin); each destination pixel at (dx, dy) from the pivot shows the
// rectangle's pixel at the pivot + ((Kc dx + Ks dy) >> 10, (Kc dy - Ks dx) >> 10)
// when that lies in the rectangle and the source, so the turned picture has
// no holes; with bColorKey 1 pixels equal to the transparent pixel are left
// out. 24-bit surfaces draw nothing. A mirrored variant (textured back end)
// is read mirrored on both paths.
//   False only when a surface cannot be locked; true when the textured back
// end has no destination or source.
bool DDBltRotate(DDSURFACEDATA* lpDstSD, int cx, int cy, int nWidth, int nHeight, int nPivotX,
                 int nPivotY, int nAngle, DDSURFACEDATA* lpSrcSD, int sx, int sy, int bColorKey);
