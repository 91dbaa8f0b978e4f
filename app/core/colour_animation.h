#pragma once
// The flashing and cycling colours, advanced once per drawn frame by every
// scene (AnimateColours), and the 8-bit palettes of the user's palette
// choice (LoadHbtPalette).
//
// Under the textured back end nine pulsing colours are kept in
// g_AnimatedColours; a character with colour-animation number k (1..9)
// draws tinted with entry k - 1. On an 8-bit surface display the palette
// rotates instead: every sixth frame the eight groups of four entries
// 208..239 move by one place.

#include <cstdint>

struct ANIMATEDCOLOUR {
  uint32_t dwColor = 0xFF000000;  // alpha, red, green, blue from the top byte down
  int nOperation = 0;             // the colour operation the drawing uses
};

inline constexpr int kAnimatedColourCount = 9;
extern ANIMATEDCOLOUR g_AnimatedColours[kAnimatedColourCount];

// One step of a value that bounces between two limits without reaching
// them; 1 when it has just turned at the minimum.
int PingPong(int& nValue, int& nDirection, int nStep, int nMin, int nMax);

// One animation step; nothing under the surface back end above 8 bits.
void AnimateColours();

// Surface back end at 8 bits: loads the blend table "bmp\hbt\hbtNN.dat" and
// the pictures' palette rearranged for palette choice n. 1 on success or
// when there is nothing to do; 0 after a message when a file is missing.
int LoadHbtPalette(int n);

// Puts the channel values, directions and counters back to 0 (tests).
void ResetColourAnimation();
