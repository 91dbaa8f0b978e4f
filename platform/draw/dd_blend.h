#pragma once
// Blits that mix colours: a picture tinted toward a palette colour, drawn
// half transparent over the target, and a surface washed with a colour; and
// the blend table that gives these mixes on 8-bit palette displays: a
// 256 x 256 table of palette indices whose byte a * 256 + b stands for the
// half-and-half mix of colours a and b, read from a file for the palette in
// use, never computed.
//
// Under the textured back end each blit is one quad where the target is a
// render target and the source no system-memory texture, and works on
// locked pixels otherwise; the surface back end always works on locked
// pixels (dd_effect.h has the rules they share). Source pixels outside the
// source surface are never read: the part of the rectangle they cover is not
// drawn.

#include <cstdint>

#include "platform/draw/dd_device.h"
#include "platform/draw/surface/dd_surface.h"

inline constexpr int kBlendTableSize = 65536;
extern uint8_t g_BlendTable[kBlendTableSize];

// Surface back end: reads up to 65,536 bytes of the file into the table (a
// shorter file leaves the rest as it was); false only when the file cannot
// be opened. The textured back end needs no table: true, nothing read.
bool DDLoadBlendTable(uint8_t* lpBlendTable, const char* szFileName);

// The source rectangle drawn at (x, y), each pixel tinted toward the colour
// of lpPal[nColor & 0xFF] by nLevel: 1 the weakest tint, 4 the strongest.
// Textured quad: texel x a + colour x (1 - a) with a = 128, 80, 48, 16 / 255
// by level; locked pixels: half and half at level 1, a = 64, 32, 16 / 255 at
// levels 2 to 4 (the colour alone above). Surface back end: each pixel halved
// toward the colour nLevel times (at 8 bits through the blend table), and a
// negative level copies the source. Level 0 (or below, textured) draws
// nothing. bColorKey 1 leaves out transparent source pixels. False only when
// the surface back end cannot lock a surface.
bool DDBltTint(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
               DDSURFACEDATA* lpSrcSD, int sx, int sy, int bColorKey, const PALENTRY* lpPal,
               const uint8_t* lpBlendTable, int nColor, int nLevel);

// The source rectangle drawn over the target with transparency nAlpha (0
// opaque .. 255 invisible) by the textured quad; locked pixels mix half and
// half whatever nAlpha is (at 8 bits through the blend table, where a target
// index 0 takes the source index and the colour key leaves out source index
// 0; on the surface display's other depths a target pixel of the transparent
// colour takes the source pixel). False only when the surface back end
// cannot lock a surface.
bool DDBltAlpha(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                DDSURFACEDATA* lpSrcSD, int sx, int sy, int bColorKey, const uint8_t* lpBlendTable,
                int nAlpha);
// DDBltAlpha with nAlpha 128.
bool DDBltHalf(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
               DDSURFACEDATA* lpSrcSD, int sx, int sy, int bColorKey, const uint8_t* lpBlendTable);

// Textured back end: the whole of lpDstSD drawn over with lpSrcSD's texture
// (none for the back buffer: the plain colour) modulated by the colour with
// transparency nAlpha; the rectangle is not used. The surface back end does
// not have it. Always 1.
int DDChangeColorEx(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                    DDSURFACEDATA* lpSrcSD, int nAlpha, int bRed, int bGreen, int bBlue);
// DDChangeColorEx with the target as its own source.
int DDChangeColor(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nAlpha,
                  int bRed, int bGreen, int bBlue);

// 1 when lpSD is the back buffer in full screen, else 0.
int DDIsFullScreenBackBuffer(const DDSURFACEDATA* lpSD);
