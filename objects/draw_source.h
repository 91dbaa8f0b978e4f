#pragma once
// Where the pictures of characters, blocks and items come from. An object
// names its picture by a graphic kind and a graphic number; the sheets are
// entries of the surface table, each loaded twice (a first and a second copy
// set), character sheets and dedicated bitmaps also as mirrored copies.
// Sheets face left; a right-facing object draws from the mirrored copy.
//
// Surface-table entries: 2 / 3 the block sheet (first / second set); 4 + 2k
// and 5 + 2k character sheet k + 1 (1..8, graphics 15k .. 15k + 14) plain
// and mirrored, 18 entries later in the second set; 40 / 41 the item sheet; 42 the small item
// sheet; 43 / 44 the mark sheet; 49 the accessory sheet; 63 and 64 the two wide sheets. Dedicated
// bitmap b (a Bmp_CharaExc row, 1-based) has four surfaces in g_CharaExcSD from 4 x (b - 1): plain
// and mirrored of the first set, then plain and mirrored of the second.

#include <cstdint>

struct DDSURFACEDATA;
class cGameObject;

// Graphic kinds.
enum : int {
  GRAPHIC_BLOCK = 0,
  GRAPHIC_CHARA = 1,
  GRAPHIC_ITEM = 2,
  GRAPHIC_WIDE = 3,
  GRAPHIC_OWNBITMAP = 4,
};

// The sheets chosen for the character marks and character effects when the
// play scene starts.
struct CHARASHEETS {
  int nMark = 44;   // surface-table entry of the mark sheet
  int nWork = 68;   // first work surface
  int nWork2 = 70;  // second work surface
};
CHARASHEETS SelectCharaSheets();

struct DRAWSOURCE {
  DDSURFACEDATA* lpSrc = nullptr;    // current facing, first set
  DDSURFACEDATA* lpSrc2 = nullptr;   // current facing, second set
  DDSURFACEDATA* lpOther = nullptr;  // other facing, first set
  DDSURFACEDATA* lpOther2 = nullptr;
  DDSURFACEDATA* lpUse = nullptr;  // the pair in use
  DDSURFACEDATA* lpUseOther = nullptr;
  int32_t bColour = 0;  // colour state, filled by the character drawing
  uint32_t dwDiffuse = 0;
  uint32_t dwColourOp = 0;
  int32_t bLargeCells = 0;  // a dedicated bitmap with cells of its own size
  int8_t cCellScale = 1;    // that size in 32-pixel cells
  int32_t nSrcX = 0;        // source cell position in pixels
  int32_t nSrcY = 0;

  // Mode 1 draws an object with a facing (lpObj, its frame advancing the
  // cell); other modes draw a bare graphic (mode 2 advances item cells by
  // the frame). A picture outside its sheet, or a graphic of no character
  // sheet, draws cell (0, 0) of character sheet 1.
  void Select(int nMode, int nKind, int nGraphic, int nCell, const cGameObject* lpObj, int nFrame);
};

// The surface-table entry to draw from: under the surface back end the
// second copy set (index + 18) stands in for an unloaded first one (flag 0)
// or is preferred when loaded (flag 1); the textured back end uses index.
int SelectSurfaceVariant(int nIndex, int bFlag);

// A 16 x 16 icon of a graphic at (x, y), with the transparent colour.
void DrawObjectIcon(DDSURFACEDATA* lpDst, int x, int y, int nKind, int nGraphic, int nCell);
