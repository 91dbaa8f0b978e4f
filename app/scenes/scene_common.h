#pragma once
// What the front-end scenes (title, world map, game menu, stage select,
// options) share: their input, their surface groups and work surfaces, the
// screen fades and the cells of the accessory sheet they draw cursors with.

#include <cstdint>
#include <span>

#include "app/core/scene.h"
#include "platform/draw/dd_blit.h"

class Font;
class cInputState;

// Numbers of the surface table the scenes draw from.
enum : int {
  SURFACE_WINDOW = 45,
  SURFACE_TITLE = 47,
  SURFACE_GAMEMODE = 48,
  SURFACE_ACCESSORY = 49,
  SURFACE_SYMBOL = 50,
  SURFACE_WORLDMAPCHIP = 52,
  SURFACE_WORLDEVENT = 53,
  SURFACE_WORLDBACK = 54,
  SURFACE_MAPWORK = 67,
};

// Palette colours of the front end.
inline constexpr uint32_t kSceneFillColour = 16;
inline constexpr uint32_t kWindowFrameColour = 240;

// Buttons of player 1's button byte.
inline constexpr uint16_t kButton1 = 1;  // decide
inline constexpr uint16_t kButton2 = 2;  // cancel
inline constexpr uint16_t kButton3 = 4;
inline constexpr uint16_t kButton4 = 8;

// Player 1's input for a menu frame: the menu key repeat applied and the
// masked buttons made one-shot.
cInputState& ReadMenuInput(int nButtonMask);

// The surface-table record of a number.
DDSURFACEDATA* SceneSurface(int nNumber);
// The back buffer.
DDSURFACEDATA* BackBuffer();
// Font 0, 1 (16-pixel cells) or 2 (32-pixel cells).
Font& SceneFont(int n);

// Loads a surface group; a failure (already shown by the loader) asks the
// program to close and the scene goes on.
bool LoadSceneSurfaces(std::span<const int> group);
void ReleaseSceneSurfaces(std::span<const int> group);
// Releases every work surface of the scenes and empties their lists.
void ReleaseSceneWork();
// A new work surface of the scenes (colour key as asked, system memory);
// null, after asking the program to close, when it cannot be made.
DDSURFACEDATA* CreateSceneWork(int nWidth, int nHeight, int bColorKey);

// One step of the screen fade at the scene manager's speed; true when done.
bool SceneFadeIn();
bool SceneFadeOut();
// The end of a fade-out: the screen filled, the cursor reset and the next
// scene made current (nSelf becomes the previous scene).
void FinishSceneFadeOut(int nSelf);

// Copies a cell of the accessory sheet (cursors, marks, the hero) to the back
// buffer (or the given surface), transparent.
void DrawAccessory(int sx, int sy, int nWidth, int nHeight, int x, int y,
                   DDSURFACEDATA* lpTarget = nullptr);
inline void DrawArrowCursor(int x, int y) { DrawAccessory(64, 0, 16, 16, x, y); }
inline void DrawChosenMark(int x, int y) { DrawAccessory(80, 0, 16, 16, x, y); }

// Whether a work surface was restored after a loss (its picture must be drawn
// again); the flag is cleared.
bool TakeLostFlag(DDSURFACEDATA* lpSD);
// Whether the display shows 8-bit colour (palette-dependent pictures are
// drawn again before each fade-in step).
bool IsPaletteDisplay();

// The indices of the shown items of a menu list, in list order; the single
// item 0 when none is shown. At most nMax.
template <class Items>
int CollectShownItems(const Items& items, int* pOut, int nMax) {
  int n = 0;
  for (int i = 0; i < static_cast<int>(items.size()) && n < nMax; ++i)
    if (items.At(i).m_bShow != 0) pOut[n++] = i;
  if (n == 0) pOut[n++] = 0;
  return n;
}
