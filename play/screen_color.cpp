// The screen colour: set by 画面の色を変更, drawn as the last step of every
// frame.
//
// A colour fades in over its time to its strength, or flashes (up to its
// strength and off again, a number of times), or the colour that is on
// fades out (take-back). The textured back end draws the colour over the
// frame every frame, and a colour with a strength stays on until it is
// taken back. The surface back end shows it only on an 8-bit display, by
// tinting the palette, which keeps its tint when the fade is over; frozen
// frames leave the palette alone.

#include <algorithm>

#include "app/core/surface_tables.h"
#include "objects/world.h"
#include "platform/draw/dd_blend.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_fade.h"
#include "play/play_scene.h"
#include "records/anime_db.h"

namespace {

constexpr int kNoColour = 255;
// The screen-size surface the colour is filled into while the frame is drawn
// aside (textured back end).
constexpr int kWash = 67;

// How far the fade or flash has gone, 0 to 1; 1 without a time.
double Progress(const SCREENCOLOR& c) {
  return c.nDuration > 0 ? static_cast<double>(c.nCounter) / c.nDuration : 1.0;
}

int Level(double d) { return TruncInt(std::clamp(d, 0.0, 255.0)); }

// The level of a fade to the strength, or of a flash, at this frame.
int FadeLevel(const SCREENCOLOR& c) { return Level(255 - Progress(c) * c.nStrength * 2.55); }

// The level of the colour that was on as it is taken back.
int TakeBackLevel(const SCREENCOLOR& c) {
  return Level(Progress(c) * (255 - c.nPrevLevel) + c.nPrevLevel);
}

void Apply(SCREENCOLOR& c, int nLevel) {
  c.nLevel = nLevel;
  if (lpDTCon == nullptr) {
    // The palette as loaded, tinted; level 255 gives it back unchanged.
    DDPalTint(g_PaletteShown, 0, 255, nLevel * 256 / 255, c.bRed, c.bGreen, c.bBlue, g_PaletteBase);
    DDShowPaletteEntries(g_PaletteShown, 0, 255);
    return;
  }
  if (nLevel >= kNoColour) return;  // nothing of the colour would show
  // Drawn aside, the frame is a picture that DDChangeColor would tint rather
  // than cover: the colour is blended over it from a surface of its own.
  if (lpDTCon->bVirBackBuffer) {
    DDSURFACEDATA* lpWash = &g_SurfaceTable[kWash];
    DDFillRect(lpWash, 0, 0, 640, 480,
               0xFF000000u | uint32_t{c.bRed} << 16 | uint32_t{c.bGreen} << 8 | c.bBlue);
    DDBltAlpha(&g_BackBufferSD, 0, 0, 640, 480, lpWash, 0, 0, 0, g_BlendTable, nLevel);
  } else {
    DDChangeColor(&g_BackBufferSD, 0, 0, 640, 480, nLevel, c.bRed, c.bGreen, c.bBlue);
  }
}

// One flash is over: the colour is off until the next one, and the last
// flash ends the colour.
void EndFlash(SCREENCOLOR& c) {
  c.nCounter = 0;
  if (++c.nRepeatCount >= c.nRepeats) c.bActive = 0;
}

void DrawPalette(SCREENCOLOR& c) {
  if (c.bBlink) {
    if (c.nCounter >= c.nDuration) {
      Apply(c, kNoColour);
      EndFlash(c);
      return;
    }
    Apply(c, FadeLevel(c));
  } else {
    Apply(c, c.nTakeBack ? TakeBackLevel(c) : FadeLevel(c));
  }
  if (c.nCounter >= c.nDuration)
    c.bActive = 0;
  else
    ++c.nCounter;
}

void DrawTextured(SCREENCOLOR& c, int bFrozen) {
  const bool bEnded = c.nCounter >= c.nDuration;
  if (c.bBlink) {
    Apply(c, bEnded ? kNoColour : FadeLevel(c));
  } else {
    Apply(c, c.nTakeBack ? TakeBackLevel(c) : FadeLevel(c));
  }
  if (bFrozen) return;
  if (!bEnded)
    ++c.nCounter;
  else if (c.bBlink)
    EndFlash(c);
  else if (c.nTakeBack || c.nStrength == 0)
    c.bActive = 0;  // a colour with a strength stays on
}

}  // namespace

void cPlayScene::SetScreenColor(int nRed, int nGreen, int nBlue, int nStrength, int nTakeBack,
                                int nTenths, int bBlink, int nRepeats) {
  SCREENCOLOR& c = m_ScreenColor;
  if (nTakeBack != 0 && (lpDTCon != nullptr ? !c.bActive : g_nBpp == 8 && !c.bApplied)) return;
  c.bPrevRed = c.bRed;
  c.bPrevGreen = c.bGreen;
  c.bPrevBlue = c.bBlue;
  c.nPrevStrength = c.nStrength;
  c.nPrevLevel = c.nLevel;
  c.bRed = static_cast<uint8_t>(nRed);
  c.bGreen = static_cast<uint8_t>(nGreen);
  c.bBlue = static_cast<uint8_t>(nBlue);
  c.nStrength = nStrength;
  c.nTakeBack = nTakeBack;
  c.nDuration = TenthsToFrames(nTenths);
  c.bBlink = bBlink;
  c.nRepeats = nRepeats;
  c.bActive = 1;
  c.nCounter = 0;
  c.nRepeatCount = 0;
  if (nTakeBack == 0) {
    c.nLevel = 0;
    c.bApplied = 1;
    return;
  }
  // The colour that is on stays the one that fades out.
  c.bRed = c.bPrevRed;
  c.bGreen = c.bPrevGreen;
  c.bBlue = c.bPrevBlue;
  c.nStrength = c.nPrevStrength;
  c.nLevel = c.nPrevLevel;
}

void cPlayScene::DrawScreenColor(int bFrozen) {
  SCREENCOLOR& c = m_ScreenColor;
  if (!c.bActive) return;
  if (lpDTCon != nullptr) {
    DrawTextured(c, bFrozen);
    return;
  }
  if (bFrozen) return;
  if (g_nBpp != 8) {
    c.bActive = 0;  // no screen colour on the surface back end's other depths
    return;
  }
  DrawPalette(c);
}
