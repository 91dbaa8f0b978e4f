#pragma once
// The map of a running stage: g_MapCells, one cMapCell per 32-pixel cell.
//
// For a stage of W x H cells the grid has a border of 10 cells on every side:
// H + 20 rows of 2^p cells, 2^p being the smallest power of two not below
// W + 20 (p = MapPitchShift(W), the number of bits of W + 19). Cell
// (column, row) has the index column + (row << p); a placement at map cell
// (sx, sy) lies at column sx + 10, row sy + 10; world pixel (px, py) lies in
// column (int)px >> 5, row (int)py >> 5. Columns W + 20 .. 2^p - 1 exist and
// hold no blocks.

#include <cstdint>
#include <vector>

#include "app/base/checked_containers.h"
#include "stagedata/block.h"

class cEdStage;

inline constexpr int kCellSize = 32;
inline constexpr int kCellShift = 5;

// Index of cell (column, row) in a grid of row pitch 1 << nPitchShift.
inline int MapCellIndex(int nCol, int nRow, int nPitchShift) {
  return nCol + (nRow << nPitchShift);
}

// Empties g_MapCells and builds it for the stage: (height + 20) << pitch
// shift empty cells, then each placed block copied into its cell. A placement
// outside the grid is left out with a line in the report log. 0 when the
// grid cannot be allocated (g_MapCells is then empty), else 1.
int BuildMapCells(const cEdStage& stage);

// The hit kind (BLOCKHIT_*) of the cell's block for an object of faction
// nGroup: 0 when the block's appearance conditions do not hold (checked for
// the hero through the play scene) or when nGroup passes through it.
// Its part for a block with appearance conditions.
int8_t GetCondBlockHitKind(cMapCell& cell, int nGroup);

inline int8_t GetBlockHitKind(cMapCell& cell, int nGroup) {
  if (!cell.m_vCondition.empty()) [[unlikely]]
    return GetCondBlockHitKind(cell, nGroup);
  return cell.m_nPassFaction == nGroup ? int8_t{BLOCKHIT_NONE} : cell.m_nHitKind;
}

// The faction hit schedule of a frame of nSubSteps sub-steps with nHits hit
// tests per frame: one flag per sub-step. nHits 0 (or below 0) tests in
// every sub-step; otherwise the tests are spread nSubSteps / nHits apart
// from the first sub-step, and the last sub-step is added when rounding left
// one out.
cCheckedVector<int32_t> BuildHitSchedule(int nSubSteps, int nHits);
