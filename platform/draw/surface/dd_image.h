#pragma once
// Image surfaces made from bitmap files, the program's single transparent
// colour, palettes read from pictures and the palette-index map.

#include <cstdint>

#include "platform/draw/dd_device.h"
#include "platform/draw/surface/dd_surface.h"

// Result codes of DDCreateSurfaceFromFile (a negative value is a texture
// creation failure code of the textured back end).
inline constexpr int DDIMAGE_OK = 0;
inline constexpr int DDIMAGE_MIRROR_ERR = 1;
inline constexpr int DDIMAGE_CREATESURFACE_ERR = 4;
inline constexpr int DDIMAGE_LOADIMAGE_ERR = 8;

// DDCreateSurfaceFromFile is declared with the surfaces (dd_surface.h).

// Surface back end: copies the file's pixels into the existing surface of the
// same size (mirrored by cells when asked). True and nothing done under the
// textured back end or with an empty name.
bool CopyBitmap(DDSURFACEDATA* lpSD, const char* szFile, int nBpp, int bPalMap, int nMirrorW,
                int nMirrorH);

// Textured back end: fills lpDstSD with the cells of lpSrcSD, each flipped
// horizontally in place. Does nothing (true) under the surface back end, for a
// cell width of 0 or with a cell height.
bool CreateMirror(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, int nMirrorW, int nMirrorH);

// Surface back end: 1 when the file could be read, with *lpbTooLarge set when
// it exceeds the limits; 0 (flag 0) when not. Textured back end: 1, flag kept.
int DDIsBitmapTooLarge(int* lpbTooLarge, const char* szFile, int nMaxWidth, int nMaxHeight);

// Sets the transparent colour from the top-left pixel of a picture (an 8-bit
// picture's colour 0 under the textured back end at 16 bits); 0 on failure.
int DDSetTransmit(const char* szFile);
// The same from the first entry of the surface table.
int DDSetTransmit(const DDSURFACEINFO* lpSurfaceInfo);
// Sets the transparent colour from three colour bytes.
void DDSetTransmit(uint8_t cbRed, uint8_t cbGreen, uint8_t cbBlue);

// Fills a 256-entry palette from a picture file (its colour table, or the
// palette image's pixels on displays without a palette); at 8 bits the
// display's palette is set too.
bool DDLoadPaletteFromFile(PALENTRY* lpPal, const char* szFile);
// The same from the first entry of the surface table.
bool DDLoadPaletteFromFile(PALENTRY* lpPal, const DDSURFACEINFO* lpSurfaceInfo, int bWindowed);

// (Re)builds a surface's palette-index map: per pixel, the first entry of
// g_Palette with the pixel's colour (0 when none matches). 1 on success.
int DDMakePalIndexMap(uint8_t** lplpMap, DDSURFACEDATA* lpSD);

// Surface back end at 16 bits: the pixel of a palette entry whose channels
// hold display channel values. Not available under the textured back end (0).
uint32_t DDPalToRGB16(const PALENTRY& entry);
