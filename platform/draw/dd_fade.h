#pragma once
// Screen fades and the operations on 256-entry palette arrays.

#include <cstdint>

#include "platform/draw/dd_device.h"
#include "platform/draw/surface/dd_surface.h"

// One step of the fade to the colour (the textured back end always fades to
// black). The angle moves dStep degrees toward 0; true on the call that
// completes the fade, which also makes the angle ready for the next fade.
bool DDFadeOut(PALENTRY* lpPal, int nFirst, int nLast, int bRed, int bGreen, int bBlue,
               double dStep, const PALENTRY* lpSrcPal, uint8_t bFinish);
// The same from the colour back to the picture, the angle moving toward 90.
bool DDFadeIn(PALENTRY* lpPal, int nFirst, int nLast, int bRed, int bGreen, int bBlue, double dStep,
              const PALENTRY* lpSrcPal, uint8_t bFinish);

// Surface back end: every pixel of lpDstSD becomes the pixel at the same place
// of lpSrcSD blended toward the colour (nLevel 256: the source, 0: the colour).
// 0 when a surface cannot be locked.
int DDFade_UnPal(DDSURFACEDATA* lpDstSD, int nLevel, int bRed, int bGreen, int bBlue,
                 DDSURFACEDATA* lpSrcSD);

// Entries nFirst..nLast of lpDstPal become those of lpSrcPal blended toward the
// colour (nLevel 256: the source, 0: the colour), flags 1.
void DDPalTint(PALENTRY* lpDstPal, int nFirst, int nLast, int nLevel, int bRed, int bGreen,
               int bBlue, const PALENTRY* lpSrcPal);

// The surface back end's hardware palette shows entries nFirst..nLast of
// lpPal (kept inside 0..255); nothing when there is none (textured back end,
// display without a palette).
void DDShowPaletteEntries(const PALENTRY* lpPal, int nFirst, int nLast);
// lpDstPal becomes lpSrcPal (which may be the same array) with entries
// nFirst..nLast rotated nStep places: direction 0 up, 1 down. Only at 8, 16
// and 32 bits per pixel.
void DDPalRotate(PALENTRY* lpDstPal, int nFirst, int nLast, int nStep, int nDirection,
                 const PALENTRY* lpSrcPal);

// Reads the 256 colours of a palette image (16 x 16 one-pixel cells from
// (0, 8)) into lpPal. Always 1.
int DDSetPalette_UnPal(PALENTRY* lpPal, DDSURFACEDATA* lpSD);

// The fade angles (degrees), one per fade and back end.
struct FADEANGLES {
  double dOutD3D = 90, dOutDD = 90, dInD3D = 0, dInDD = 0;
};
extern FADEANGLES g_FadeAngles;
// Puts the fade angles back to their start values (tests).
void DDResetFadeAngles();
