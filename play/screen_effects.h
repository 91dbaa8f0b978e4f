#pragma once
// The two whole-screen treatments of a running stage, both started by flows:
//
// - The screen effect: a ScrEffect row played over time by the play scene's
//   m_ScrEffect. Each drawn frame its handler copies the finished picture to
//   a work surface, fills the back buffer with palette colour 16 and draws
//   the copy back transformed (moved, shaken, split, waved, turned, cut to a
//   disc, zoomed, seen through a lens or pixelated); the blink draws the
//   backgrounds over the stage instead. The handler then steps the effect,
//   unless the frame is frozen: menus, banners and nested loops show the
//   picture as it stands.
// - The screen colour (SCREENCOLOR): the screen washed toward a colour, set
//   with a fade, flashed a number of times, or taken back. The textured back
//   end draws it over every frame; the surface back end tints the 8-bit
//   palette and leaves the pixels alone (at other depths it has none).
//
// Every stored parameter reaches the drawing as a finite int: run times of
// 0 or less are one-frame effects, divisions by stored values are guarded,
// and positions far outside the screen are held where they draw alike.

#include <cstdint>

#include "records/effect_db.h"

class cPlayScene;

// A screen-effect handler: draws the frame's effect; unless frozen, steps
// the effect and returns 1 when it has ended.
using SCREFFECTPROC = int (*)(cPlayScene& scene, int bFrozen);
// Indexed by the ScrEffect row's kind (0..13); kind 0 draws nothing and
// never ends.
extern const SCREFFECTPROC g_apfnScreenEffect[SCREFFECT_KINDS];

// The screen-colour state of the play scene. A level is a transparency of
// the colour: 255 shows none of it, 0 only the colour.
struct SCREENCOLOR {
  int32_t bApplied = 0;  // a colour was set since set-up
  uint8_t bRed = 0, bGreen = 0, bBlue = 0;
  int32_t nStrength = 0;  // percent
  int32_t nTakeBack = 0;  // not 0: the colour that is on fades out
  int32_t nDuration = 0;  // frames of the fade or of one flash
  int32_t bBlink = 0;     // the colour flashes nRepeats times
  int32_t nRepeats = 0;
  int32_t bActive = 0;   // being drawn
  int32_t nCounter = 0;  // frames since the fade or flash began
  int32_t nRepeatCount = 0;
  int32_t nLevel = 0;  // the level last applied
  // The colour that was on before the last command: a take-back fades it.
  uint8_t bPrevRed = 0, bPrevGreen = 0, bPrevBlue = 0;
  int32_t nPrevStrength = 0;
  int32_t nPrevLevel = 255;
};
