#include "play/map_cells.h"

#include <algorithm>
#include <new>

#include "app/base/report_log.h"
#include "objects/world.h"
#include "stagedata/stage.h"
#include "stagedata/stage_globals.h"

int BuildMapCells(const cEdStage& stage) {
  const int nShift = MapPitchShift(stage.m_nWidth);
  const int nPitch = 1 << nShift;
  const int nRows = stage.m_nHeight + 2 * kMapBorderCells;
  g_MapCells.clear();
  // An empty cell: no graphic, passable, unprotected, layer 0, latch 0.
  cMapCell empty;
  empty.m_nGraphic = 0;
  empty.m_nHitKind = BLOCKHIT_NONE;
  empty.m_bProtected = 0;
  empty.m_nLayer = 0;
  empty.m_bCondMet = 0;
  try {
    g_MapCells.assign(static_cast<size_t>(std::max(nRows, 0)) << nShift, empty);
  } catch (const std::bad_alloc&) {
    g_MapCells.clear();
    g_MapCells.shrink_to_fit();
    return 0;
  }
  for (const cEdBlock& block : stage.m_vPlacedBlock) {
    const int nCol = block.m_nTileX + kMapBorderCells;
    const int nRow = block.m_nTileY + kMapBorderCells;
    // A placement off the grid would land in another row or outside the
    // vector: leave it out.
    if (nCol < 0 || nCol >= nPitch || nRow < 0 || nRow >= nRows) {
      ReportLog("block placed outside the map ( %d , %d ) left out", block.m_nTileX,
                block.m_nTileY);
      continue;
    }
    g_MapCells[static_cast<size_t>(MapCellIndex(nCol, nRow, nShift))] = block;
  }
  return 1;
}

int8_t GetCondBlockHitKind(cMapCell& cell, int nGroup) {
  if (!PlayScene().CheckBlockConditions(cell)) return BLOCKHIT_NONE;
  return cell.m_nPassFaction == nGroup ? int8_t{BLOCKHIT_NONE} : cell.m_nHitKind;
}

cCheckedVector<int32_t> BuildHitSchedule(int nSubSteps, int nHits) {
  if (nSubSteps <= 0) return {};
  // A negative count would step backwards through the frame and never end;
  // it counts as 0. From nSubSteps tests on every sub-step is set, so the
  // walk below (nHits steps long) is not needed either.
  if (nHits <= 0 || nHits >= nSubSteps) return cCheckedVector<int32_t>(nSubSteps, 1);
  cCheckedVector<int32_t> steps(nSubSteps, 0);
  const double dStep = static_cast<double>(nSubSteps) / nHits;
  int nSet = 0;
  for (double v = 0.0; static_cast<int>(v) < nSubSteps; v += dStep) {
    steps[static_cast<size_t>(v)] = 1;
    ++nSet;
  }
  if (nSet < nHits) steps.back() = 1;
  return steps;
}
