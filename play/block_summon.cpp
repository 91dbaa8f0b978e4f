// Changes of map cells by the block-summon command: put, erase and toggle,
// with the crush test that may cancel a put.

#include <algorithm>

#include "app/base/report_log.h"
#include "flow/shot_settings.h"
#include "objects/world.h"
#include "play/map_cells.h"
#include "play/play_scene.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"

namespace {

bool ConditionsHold(cPlayScene& scene, cMapCell& cell) {
  return cell.m_vCondition.empty() || scene.CheckBlockConditions(cell);
}

bool CrushCancels(const cEdShot& settings) {
  return settings.m_bSpareHero || settings.m_bSpareChara;
}

}  // namespace

int cPlayScene::CheckCrush(int nCell, int nCol, int nRow, const cEdShot& settings) {
  cMapCell& cell = g_MapCells.At(nCell);
  const double x1 = nCol * 32.0;
  const double x2 = nCol * 32.0 + 32 - 0.1;
  const double y1 = nRow * 32.0;
  const double y2 = nRow * 32.0 + 32 - 0.1;
  auto crushed = [&](const cChara& c) {
    return c.m_dX <= x2 && c.m_dRight >= x1 && c.m_dY <= y2 && c.m_dBottom >= y1 &&
           GetBlockHitKind(cell, c.m_nFaction) != BLOCKHIT_NONE;
  };
  std::vector<cChara*> victims;
  bool bHero = false;
  bool bChara = false;
  for (cPlayer& hero : Player) {
    if (!hero.m_bDead && crushed(hero)) {
      victims.push_back(&hero);
      bHero = true;
    }
  }
  for (const std::unique_ptr<cComChara>& lpChara : m_CharaList) {
    if (!lpChara->m_bDead && lpChara->m_bAppeared && crushed(*lpChara)) {
      victims.push_back(lpChara.get());
      bChara = true;
    }
  }
  if ((bHero && settings.m_bSpareHero) || (bChara && settings.m_bSpareChara)) return 1;
  for (cChara* lpVictim : victims) lpVictim->m_bPinY = 2;
  return 0;
}

void cPlayScene::SummonBlockAt(double x, double y, const cEdShot& settings, const cEdBlock& def) {
  // The cell that holds the centre of a block placed at (x, y).
  const int nCol = TruncInt(x + 16.5) >> kCellShift;
  const int nRow = TruncInt(y + 16.5) >> kCellShift;
  const int nRows = static_cast<int>(g_MapCells.size() >> m_ScrollX.m_nPitchShift);
  if (nCol < 0 || nCol >= (1 << m_ScrollX.m_nPitchShift) || nRow < 0 || nRow >= nRows) {
    ReportLog("block summoned outside the map ( %d , %d ) left out", nCol, nRow);
    return;
  }
  const int nCell = MapCellIndex(nCol, nRow, m_ScrollX.m_nPitchShift);
  cMapCell& cell = g_MapCells.At(nCell);

  if (g_System.BlockProtection()) {
    if (cell.m_bProtected) return;
  } else if (cell.m_nGraphic != 0 && cell.m_bProtected && ConditionsHold(*this, cell)) {
    return;
  }

  // Puts the definition into the cell; false when the crush test cancelled
  // it (the cell is then as it was).
  auto put = [&]() {
    if (!CrushCancels(settings)) {
      cell = def;
      CheckCrush(nCell, nCol, nRow, settings);
      return true;
    }
    const cMapCell saved = cell;
    cell = def;
    if (CheckCrush(nCell, nCol, nRow, settings) == 1) {
      cell = saved;
      return false;
    }
    return true;
  };
  auto erase = [&]() { cell = static_cast<const cEdBlock&>(g_CommonPalette.m_vBlock.At(0)); };

  switch (settings.m_nBlockOp) {
    case 0:
      put();
      break;
    case 1:
      erase();
      break;
    case 2: {
      // A cell toggles at most once per run of the command.
      if (std::find(m_vChangedCells.begin(), m_vChangedCells.end(), nCell) != m_vChangedCells.end())
        break;
      bool bChanged = true;
      if (cell.m_nGraphic != 0 && ConditionsHold(*this, cell))
        erase();
      else
        bChanged = put();
      if (bChanged) m_vChangedCells.push_back(nCell);
      break;
    }
    default:
      break;
  }
}
