// The play scene's pictures: the background slots and the sheets built
// from the database, the background layers (back and front, tiled, with
// parallax or their own scrolling) and the visible map cells.

#include <cmath>

#include "app/base/report_log.h"
#include "app/core/surface_tables.h"
#include "objects/draw_source.h"
#include "objects/world.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/surface/dd_image.h"
#include "play/map_cells.h"
#include "play/play_scene.h"
#include "records/database.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kBackgroundSlot = 55;
constexpr int kBackgroundLayers = 8;
constexpr int kShotSheet = 20;
constexpr int kShotWide = 63;
constexpr int kMarkSheet = 43;
constexpr uint32_t kBackColour = 16;
constexpr int kMaxTiles = 1000;

// A layer's picture: null when it is missing or has no size.
DDSURFACEDATA* LayerSurface(int i) {
  DDSURFACEDATA* lpSD = &g_SurfaceTable[kBackgroundSlot + i];
  const bool bLoaded = lpSD->lpDT != nullptr || lpSD->DDSurface() != nullptr;
  if (!bLoaded || lpSD->nWidth <= 0 || lpSD->nHeight <= 0) return nullptr;
  return lpSD;
}

// An offset kept inside [0, nSize).
void WrapOffset(double& d, int nSize) {
  if (d < 0.0)
    d += nSize;
  else if (d >= nSize)
    d -= nSize;
  if (d < 0.0 || d >= nSize) {
    // More than one picture's size in one step.
    d = std::fmod(d, nSize);
    if (d < 0.0) d += nSize;
    if (d >= nSize) d = 0.0;
  }
}

// v mod n made non-negative.
int Modulo(int v, int n) {
  const int r = v % n;
  return r < 0 ? r + n : r;
}

// How one sheet of a database table is made (see AddSheet).
struct SHEETENTRY {
  int nDDMemory = 0;  // surface back end: 0 video, 1 system memory
  int bVariant = 0;   // textured back end: drawn through the parent's texture
  int bOptional = 0;
  int nMirror = 0;  // mirrored copy with cells of this width
  DDSURFACEDATA* lpParent = nullptr;
};

void ReleaseSheets(cSurfaceVector& sheets, cCheckedVector<DDSURFACEINFO>& infos) {
  DDReleaseSurfaceVector(sheets);
  sheets.clear();
  infos.clear();
}

// Appends a sheet made from a file (colour key on) with its description. A
// file that cannot be read leaves the sheet empty, with the trace line.
DDSURFACEDATA& AddSheet(cSurfaceVector& sheets, cCheckedVector<DDSURFACEINFO>& infos,
                        const char* pszFile, const SHEETENTRY& entry, const char* pszTrace) {
  DDSURFACEDATA& sd = sheets.emplace_back();
  DDSURFACEINFO& info = infos.emplace_back();
  SetSurfaceInfo(info, pszFile, 1, entry.nDDMemory, 0, entry.bVariant, 0, entry.bOptional,
                 entry.nMirror, 0, 0, 0);
  sd.lpParentSD = entry.lpParent;
  const int nResult = DDCreateSurfaceFromFile(&sd, info.szFileName, 1, g_nBpp, info.nDDMemory, 0,
                                              info.bVariant, 0, info.nMirrorWidth, 0, 0);
  if (!DDCheckResult(nResult)) TraceLogf(pszTrace, info.szFileName);
  return sd;
}

// One cell of the map: its block's picture and its overlay icon.
void DrawCellBlock(const cMapCell& cell, DDSURFACEDATA* lpTarget, int x, int y) {
  DRAWSOURCE src;
  src.Select(0, cell.m_nGraphicKind, cell.m_nGraphic, cell.m_nGraphicRow, nullptr, 0);
  DDBlt(lpTarget, x, y, 32, 32, src.lpUse, src.nSrcX, src.nSrcY, 1);
  if (cell.m_bMark == 1) {
    const int n = cell.m_nMark;
    DDBlt(lpTarget, x, y, 32, 32, &g_SurfaceTable[kMarkSheet], (n / 15) * 32, (n % 15) * 32, 1);
  }
}

}  // namespace

void cPlayScene::FillBackgroundSlots() {
  for (int i = 0; i < kBackgroundLayers; ++i) {
    DDSURFACEINFO& info = g_SurfaceInfoTable[kBackgroundSlot + i];
    const bool bLayer = static_cast<size_t>(i) < g_Stage.m_vBgLayer.size() &&
                        !g_Stage.m_vBgLayer[static_cast<size_t>(i)].m_bFill;
    const char* pszFile =
        bLayer ? g_Stage.m_vBgLayer[static_cast<size_t>(i)].m_strBitmap.c_str() : "";
    std::snprintf(info.szFileName, sizeof(info.szFileName), "%s", pszFile);
    if (bLayer && !g_bUseD3D) {
      int bTooLarge = 0;
      DDIsBitmapTooLarge(&bTooLarge, info.szFileName, 640, 480);
      info.nDDMemory = bTooLarge ? 1 : 0;
    }
  }
}

void cPlayScene::PrepareShotSheets() {
  for (int k = 0; k < 2; ++k) {
    DDSURFACEDATA* lpWide = &g_SurfaceTable[kShotWide + k];
    DDSURFACEDATA* lpShot = &g_SurfaceTable[kShotSheet + k];
    DDPalFillSurface(lpWide, 0);
    for (int r = 0; r < 30; ++r) {
      for (int c = 0; c < 4; ++c) {
        DDBlt(lpWide, 64 * c + 8, 32 * r + 8, 16, 16, lpShot, 32 * c, 16 * r, 1);
        DDBlt(lpWide, 64 * c + 40, 32 * r + 8, 16, 16, lpShot, 32 * c + 16, 16 * r, 1);
      }
    }
  }
}

void cPlayScene::LoadCharaExcSheets() {
  ReleaseSheets(g_CharaExcSD, g_CharaExcSDInfo);
  const int nRows = static_cast<int>(g_Database.m_BmpCharaExc.size());
  g_CharaExcSDInfo.reserve(static_cast<size_t>(std::max(nRows - 1, 0)) * 4);
  for (int b = 1; b < nRows; ++b) {
    const cBmpCharaExcDef& row = g_Database.m_BmpCharaExc.At(b);
    const int nMirror = row.m_bOwnSize && row.m_nSize > 0 ? row.m_nSize * 32 : 32;
    // Plain and mirrored copies of the first set, then of the second.
    const int aDDMemory[4] = {0, 0, 1, 1};
    const int aVariant[4] = {0, 1, 1, 1};
    const int aMirror[4] = {0, nMirror, 0, nMirror};
    const int nFirst = static_cast<int>(g_CharaExcSD.size());
    for (int k = 0; k < 4; ++k) {
      SHEETENTRY entry{.nDDMemory = aDDMemory[k], .bVariant = aVariant[k], .nMirror = aMirror[k]};
      if (k > 0) entry.lpParent = &g_CharaExcSD.At(nFirst);
      AddSheet(g_CharaExcSD, g_CharaExcSDInfo, row.m_strBitmap.c_str(), entry,
               "専用bmp %s 読み込み失敗！");
    }
  }
}

void cPlayScene::LoadSwordSheets() {
  ReleaseSheets(g_SwordSD, g_SwordSDInfo);
  const size_t nRows = g_Database.m_SwordType.size();
  g_SwordSDInfo.reserve(nRows * 4);
  for (size_t r = 0; r < nRows; ++r) {
    const cSwordTypeDef& row = g_Database.m_SwordType[r];
    const char* apszFile[2] = {row.m_strBitmap2.c_str(), row.m_strBitmap1.c_str()};
    const int nFirst = static_cast<int>(g_SwordSD.size());
    for (int k = 0; k < 4; ++k) {
      SHEETENTRY entry{.nDDMemory = k < 2 ? 0 : 1, .bVariant = k < 2 ? 0 : 1};
      if (k >= 2) entry.lpParent = &g_SwordSD.At(nFirst + k - 2);
      AddSheet(g_SwordSD, g_SwordSDInfo, apszFile[k % 2], entry, "ソード %s 読み込み失敗！");
    }
  }
}

void cPlayScene::LoadEffectSheets() {
  ReleaseSheets(g_EffectSD, g_EffectSDInfo);
  const int nRows = static_cast<int>(g_Database.m_Effect.size());
  g_EffectSDInfo.reserve(static_cast<size_t>(std::max(nRows - 1, 0)) * 2);
  // Row r >= 1: entry 2r - 2 in video memory, entry 2r - 1 its system-memory
  // variant.
  for (int r = 1; r < nRows; ++r) {
    const char* pszFile = g_Database.m_Effect.At(r).m_strBitmap.c_str();
    const char* pszTrace = "エフェクト %s 読み込み失敗！";
    DDSURFACEDATA& first =
        AddSheet(g_EffectSD, g_EffectSDInfo, pszFile, {.nDDMemory = 0, .bOptional = 1}, pszTrace);
    AddSheet(g_EffectSD, g_EffectSDInfo, pszFile,
             {.nDDMemory = 1, .bVariant = 1, .bOptional = 1, .lpParent = &first}, pszTrace);
  }
}

void cPlayScene::ScrollBackgrounds() {
  const size_t nLayers = std::min<size_t>(g_Stage.m_vBgLayer.size(), kBackgroundLayers);
  for (size_t i = 0; i < nLayers; ++i) {
    cEdBgLayer& layer = g_Stage.m_vBgLayer[i];
    // A layer without a picture has nothing to wrap by and does not scroll.
    const DDSURFACEDATA* lpSD = LayerSurface(static_cast<int>(i));
    if (lpSD == nullptr) continue;
    if (layer.m_bAutoScrollX) {
      layer.m_dOffsetX -= layer.m_dSpeedX;
      WrapOffset(layer.m_dOffsetX, lpSD->nWidth);
    }
    if (layer.m_bAutoScrollY) {
      layer.m_dOffsetY -= layer.m_dSpeedY;
      WrapOffset(layer.m_dOffsetY, lpSD->nHeight);
    }
  }
}

void cPlayScene::DrawBackgrounds(DDSURFACEDATA* lpTarget, int bFront) {
  int nDrawn = 0;
  const size_t nLayers = std::min<size_t>(g_Stage.m_vBgLayer.size(), kBackgroundLayers);
  for (size_t i = 0; i < nLayers; ++i) {
    const cEdBgLayer& layer = g_Stage.m_vBgLayer[i];
    if (!layer.m_bVisible || (layer.m_bFront != 0) != (bFront != 0)) continue;
    if (layer.m_bFill) {
      DDPalFillRect(lpTarget, 0, 0, 640, 480, static_cast<uint32_t>(layer.m_nFillColour & 255));
      ++nDrawn;
      continue;
    }
    DDSURFACEDATA* lpSD = LayerSurface(static_cast<int>(i));
    if (lpSD == nullptr) continue;
    const double sx = m_ScrollX.m_dPos;
    const double sy = m_ScrollY.m_dPos;
    const int ox = layer.m_bAutoScrollX ? TruncInt(sx + layer.m_dOffsetX - 320)
                                        : TruncInt((TruncInt(sx + 0.5) - 320) * layer.m_dSpeedX);
    const int oy = layer.m_bAutoScrollY ? TruncInt(sy + layer.m_dOffsetY - 320)
                                        : TruncInt((TruncInt(sy) - 320) * layer.m_dSpeedY);
    const int w = lpSD->nWidth;
    const int h = lpSD->nHeight;
    const int x0 = Modulo(ox, w);
    const int y0 = Modulo(oy, h);
    // The first layer of the back pass covers the screen; the others are
    // drawn with the transparent colour.
    const uint32_t dwFlags = (!bFront && nDrawn == 0) ? 0 : 1;
    DDBeginBatch(0);
    int y = 0;
    for (int nRow = 0; y < 480 && nRow < kMaxTiles; ++nRow) {
      const int syRow = nRow == 0 ? y0 : 0;
      const int th = h - syRow;
      int x = 0;
      for (int nColumn = 0; x <= 639 && nColumn < kMaxTiles; ++nColumn) {
        const int sxColumn = nColumn == 0 ? x0 : 0;
        const int tw = w - sxColumn;
        DDBlt(lpTarget, x, y, tw, th, lpSD, sxColumn, syRow, dwFlags);
        x += tw;
      }
      y += th;
    }
    DDEndBatch();
    ++nDrawn;
  }
  if (!bFront && nDrawn == 0) DDPalFillRect(lpTarget, 0, 0, 640, 480, kBackColour);
}

void cPlayScene::DrawMapCells(DDSURFACEDATA* lpTarget, int bFront) {
  const int cx = TruncInt(m_ScrollX.m_dPos);
  const int cy = TruncInt(m_ScrollY.m_dPos);
  const int nFirstColumn = cx >> 5;
  const int nFirstRow = cy >> 5;
  const int nColumns = g_Stage.m_nWidth + 2 * kMapBorderCells;
  const int nRows = g_Stage.m_nHeight + 2 * kMapBorderCells;
  const int nShift = m_ScrollX.m_nPitchShift;
  DDBeginBatch(1);
  DDRegisterBatchSource(&g_SurfaceTable[kMarkSheet]);
  for (int r = 0; r < 16; ++r) {
    const int nRow = nFirstRow + r;
    if (nRow < 0 || nRow >= nRows) continue;
    for (int c = 0; c < 21; ++c) {
      const int nColumn = nFirstColumn + c;
      if (nColumn < 0 || nColumn >= nColumns) continue;
      cMapCell& cell = g_MapCells.At(MapCellIndex(nColumn, nRow, nShift));
      if (cell.m_nGraphic == 0 || (cell.m_nLayer != 0) != (bFront != 0) || cell.m_bTransparent)
        continue;
      if (!cell.m_vCondition.empty() && !CheckBlockConditions(cell)) continue;
      DrawCellBlock(cell, lpTarget, c * 32 - (cx & 31), r * 32 - (cy & 31));
    }
  }
  DDEndBatch();
}
