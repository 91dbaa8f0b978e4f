#include "objects/draw_source.h"

#include <algorithm>

#include "app/core/surface_tables.h"
#include "app/core/system_ini.h"
#include "objects/game_object.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "records/database.h"

namespace {

constexpr int kBlockSheet = 2;
constexpr int kCharaSheet = 4;
constexpr int kSecondSet = 18;  // entries from a sheet to its second copy
constexpr int kItemSheet = 40;
constexpr int kSmallItemSheet = 42;
constexpr int kWideSheet = 63;

// The first copy set is drawn under the surface back end with video stretch.
bool UsesFirstSet() { return !g_bUseD3D && g_SystemIni.DD_VideoStretch; }

bool IsLoaded(int nIndex) {
  return nIndex >= 0 && nIndex < kSurfaceCount && g_SurfaceTable[nIndex].DDSurface() != nullptr;
}

DDSURFACEDATA* Table(int nIndex) { return &g_SurfaceTable[nIndex]; }

// The cell size of a dedicated bitmap, in 32-pixel cells (1..16); 0 when it
// has 32-pixel cells. Larger sizes than a 16-cell row cannot hold count as
// 16.
int OwnCellSize(int nBitmap) {
  const cBmpCharaExcDef& row = g_Database.m_BmpCharaExc.At(nBitmap);
  if (!row.m_bOwnSize || row.m_nSize < 1) return 0;
  return std::min(row.m_nSize, 16);
}

}  // namespace

CHARASHEETS SelectCharaSheets() {
  CHARASHEETS sheets;
  if (UsesFirstSet()) {
    sheets.nMark = 43;
    sheets.nWork = 67;
  } else {
    sheets.nMark = 44;
    sheets.nWork = 68;
  }
  sheets.nWork2 = g_bUseD3D ? 70 : 68;
  return sheets;
}

int SelectSurfaceVariant(int nIndex, int bFlag) {
  if (g_bUseD3D || nIndex + kSecondSet >= kSurfaceCount) return nIndex;
  if (bFlag == 0) return IsLoaded(nIndex) ? nIndex : nIndex + kSecondSet;
  if (bFlag == 1 && IsLoaded(nIndex + kSecondSet)) return nIndex + kSecondSet;
  return nIndex;
}

void DRAWSOURCE::Select(int nMode, int nKind, int nGraphic, int nCell, const cGameObject* lpObj,
                        int nFrame) {
  bLargeCells = 0;
  cCellScale = 1;
  const bool bRight = nMode == 1 && lpObj != nullptr && lpObj->m_nFacing == 1;
  // Sets the four surfaces from the first-set entries of the current and
  // the other facing.
  auto set = [&](int nCurrent, int nOther) {
    lpSrc = Table(nCurrent);
    lpSrc2 = Table(nCurrent + kSecondSet);
    lpOther = Table(nOther);
    lpOther2 = Table(nOther + kSecondSet);
  };
  switch (nKind) {
    case GRAPHIC_BLOCK:
      set(kBlockSheet, kBlockSheet);
      lpSrc2 = lpOther2 = Table(kBlockSheet + 1);
      nSrcX = (nGraphic / 15) * 32;
      nSrcY = (nGraphic % 15) * 32;
      break;
    case GRAPHIC_CHARA: {
      const int nSheet = nGraphic / 15;  // 0..7: sheets 1..8
      bool bMirrored = bRight;
      int nColumn = nMode == 1 ? nCell + nFrame : nCell;
      if (nMode != 1 && nCell >= 20) {
        bMirrored = true;
        nColumn = nCell - 20;
      }
      nSrcX = nColumn * 32;
      nSrcY = (nGraphic % 15) * 32;
      int nPlain = kCharaSheet + 2 * nSheet;
      if (nGraphic >= 0 && nSheet < 8) {
        set(bMirrored ? nPlain + 1 : nPlain, bMirrored ? nPlain : nPlain + 1);
        const DDSURFACEDATA* lpShown = UsesFirstSet() ? lpSrc : lpSrc2;
        if (nSrcX >= 0 && nSrcY >= 0 && nSrcX < lpShown->nWidth && nSrcY < lpShown->nHeight) break;
      }
      // Outside its sheet (or no sheet of that number): cell (0, 0) of
      // character sheet 1.
      nPlain = kCharaSheet;
      set(bMirrored ? nPlain + 1 : nPlain, bMirrored ? nPlain : nPlain + 1);
      nSrcX = nSrcY = 0;
      break;
    }
    case GRAPHIC_ITEM:
      set(kItemSheet, kItemSheet);
      lpSrc2 = lpOther2 = Table(kItemSheet + 1);
      nSrcX = (nGraphic / 15) * 64 + (nMode == 2 ? nFrame * 32 : 0);
      nSrcY = (nGraphic % 15) * 32;
      break;
    case GRAPHIC_WIDE: {
      const int nCurrent = bRight ? kWideSheet + 1 : kWideSheet;
      const int nOther = nMode == 1 ? (bRight ? kWideSheet : kWideSheet + 1) : kWideSheet;
      lpSrc = lpSrc2 = Table(nCurrent);
      lpOther = lpOther2 = Table(nOther);
      nSrcX = (nGraphic / 30) * 64;
      nSrcY = (nGraphic % 30) * 32;
      break;
    }
    case GRAPHIC_OWNBITMAP: {
      const int nBase = 4 * (nGraphic - 1);
      const int k = bRight ? 1 : 0;
      lpSrc = &g_CharaExcSD.At(nBase + k);
      lpSrc2 = &g_CharaExcSD.At(nBase + 2 + k);
      lpOther = &g_CharaExcSD.At(nBase + 1 - k);
      lpOther2 = &g_CharaExcSD.At(nBase + 3 - k);
      const int c = nMode == 1 ? nCell + nFrame : nCell;
      if (const int s = OwnCellSize(nGraphic)) {
        bLargeCells = 1;
        cCellScale = static_cast<int8_t>(s);
        const int nPerRow = 16 / s;
        nSrcX = (c % nPerRow) * 32 * s;
        nSrcY = (c / nPerRow) * 32 * s;
      } else {
        nSrcX = (c % 16) * 32;
        nSrcY = (c / 16) * 32;
      }
      break;
    }
    default:
      lpSrc = lpSrc2 = lpOther = lpOther2 = nullptr;
      nSrcX = nSrcY = 0;
      break;
  }
  lpUse = UsesFirstSet() ? lpSrc : lpSrc2;
  lpUseOther = UsesFirstSet() ? lpOther : lpOther2;
}

void DrawObjectIcon(DDSURFACEDATA* lpDst, int x, int y, int nKind, int nGraphic, int nCell) {
  switch (nKind) {
    case GRAPHIC_BLOCK:
      DDStretchBlt(lpDst, x, y, 16, 16, Table(kBlockSheet + 1), (nGraphic / 15) * 32,
                   (nGraphic % 15) * 32, 32, 32, 1);
      break;
    case GRAPHIC_CHARA: {
      const int nSheet = nGraphic / 15;
      if (nGraphic < 0 || nSheet >= 8) break;
      DDStretchBlt(lpDst, x, y, 16, 16, Table(kCharaSheet + 2 * nSheet + kSecondSet), nCell * 32,
                   (nGraphic % 15) * 32, 32, 32, 1);
      break;
    }
    case GRAPHIC_ITEM:
      DDBlt(lpDst, x, y, 16, 16, Table(kSmallItemSheet), (nGraphic / 15) * 32, (nGraphic % 15) * 16,
            1);
      break;
    case GRAPHIC_WIDE:
      DDStretchBlt(lpDst, x, y, 16, 16, Table(kWideSheet), (nGraphic / 30) * 64,
                   (nGraphic % 30) * 32, 32, 32, 1);
      break;
    case GRAPHIC_OWNBITMAP: {
      DRAWSOURCE source;
      source.Select(0, GRAPHIC_OWNBITMAP, nGraphic, nCell, nullptr, 0);
      const int nSize = 32 * source.cCellScale;
      DDStretchBlt(lpDst, x, y, 16, 16, source.lpSrc2, source.nSrcX, source.nSrcY, nSize, nSize, 1);
      break;
    }
    default:
      break;
  }
}
