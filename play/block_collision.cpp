// Characters against the map cells: after a character has moved in one
// sub-step, the edge tests choose the cell under each edge of its box, push
// it out of solid cells with 32-pixel snapping, record the sides that
// touched (LRUD), land it or stop it at a ceiling, raise the block triggers
// and report a fatal contact (2).
//
// A cell is fatal for a character when its hit kind is 2 and the character
// is not of computer kind, or when it is solid (kind 1, or 2 for the
// computer kind) and the character is a flier that dies on contact (block
// mode 2). A flier in block mode 0 passes through everything.

#include <cstdlib>

#include "objects/player.h"
#include "objects/world.h"
#include "play/map_cells.h"
#include "play/play_scene.h"
#include "play/solid_charas.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"

namespace {

bool PassesBlocks(const cGameObject& obj) {
  return obj.m_bFly && obj.m_cBlockMode == BLOCKMODE_PASS;
}
bool DiesOnBlocks(const cGameObject& obj) {
  return obj.m_bFly && obj.m_cBlockMode == BLOCKMODE_FATAL;
}
bool IsCom(const cGameObject& obj) { return obj.m_nKind == OBJKIND_COM; }

// What a contact with a cell of kind nKind does to the character.
enum Contact { kNone, kSolid, kFatal };

Contact ContactOf(const cChara& chara, int nKind) {
  if (nKind == BLOCKHIT_SOLID) return DiesOnBlocks(chara) ? kFatal : kSolid;
  if (nKind == BLOCKHIT_FATAL) return (!IsCom(chara) || DiesOnBlocks(chara)) ? kFatal : kSolid;
  return kNone;
}

// A walker moving upward does not land unless the project lets it.
bool RisesThrough(const cChara& chara) {
  return !g_System.LandWhileRising() && !chara.m_bFly && chara.m_dVY < 0.0;
}

int Scale(const cChara& chara) { return chara.m_Def.m_nGiant; }

int CellKind(int nCell, int nFaction) { return GetBlockHitKind(g_MapCells.At(nCell), nFaction); }

}  // namespace

// ---- Cell choice -------------------------------------------------------------------

namespace {

// The cell of ChooseEdgeCell and, in nKind, the hit kind the edge tests then
// ask of it. A block without appearance conditions answers the same every
// time, so its kind from the sampling is used; one with conditions is asked
// again, as each query may draw random numbers and set the cell's latch.
int EdgeCell(int nShift, const cChara& chara, int x1, int y1, int x2, int y2, int& nKind) {
  const int s = Scale(chara);
  nKind = BLOCKHIT_NONE;
  if (s < 0) return 0;
  const int nFaction = chara.m_nFaction;
  int nBestCell = 0;
  int nBestKind = -1;
  if (x1 == x2) {
    // Samples one unscaled box height apart, from the top down; the topmost
    // of the highest kind wins.
    const int nCol = x1 >> kCellShift;
    const int nPitch = chara.m_nBaseBoxH - 1;
    for (int i = 0; i <= s; ++i) {
      const int nCell = MapCellIndex(nCol, (y1 + i * nPitch) >> kCellShift, nShift);
      const int nCellKind = CellKind(nCell, nFaction);
      if (nCellKind > nBestKind) {
        nBestKind = nCellKind;
        nBestCell = nCell;
      }
    }
  } else if (y1 == y2) {
    // Samples one unscaled box width apart; among the highest kind the one
    // nearest to the middle of the edge wins, the first on a tie.
    const int nRow = y1 >> kCellShift;
    const int nPitch = chara.m_nBaseBoxW - 1;
    const int nMid = (x1 + x2) >> 1;
    int nBestDist = 0;
    for (int i = 0; i <= s; ++i) {
      const int xs = x1 + i * nPitch;
      const int nCell = MapCellIndex(xs >> kCellShift, nRow, nShift);
      const int nCellKind = CellKind(nCell, nFaction);
      const int nDist = std::abs(xs - nMid);
      if (nCellKind > nBestKind || (nCellKind == nBestKind && nDist < nBestDist)) {
        nBestKind = nCellKind;
        nBestCell = nCell;
        nBestDist = nDist;
      }
    }
  } else {
    nKind = CellKind(0, nFaction);
    return 0;
  }
  // A character the outer limit keeps below the grid samples cells past its
  // end: the checked access reports them and answers cell 0.
  const cMapCell& best = g_MapCells.At(nBestCell);
  nKind = best.m_vCondition.empty() ? nBestKind : CellKind(nBestCell, nFaction);
  return nBestCell;
}

}  // namespace

int cPlayScene::ChooseEdgeCell(const cChara& chara, int x1, int y1, int x2, int y2) {
  int nKind = 0;
  return EdgeCell(m_ScrollX.m_nPitchShift, chara, x1, y1, x2, y2, nKind);
}

int cPlayScene::ChooseFootCell(const cChara& chara) {
  const int s = Scale(chara);
  // Always an odd number of samples, so that one lies in the middle.
  const int nCount = (s & 1) ? s + 2 : s + 1;
  const int x = TruncInt(chara.m_dX);
  const int right = TruncInt(chara.m_dRight);
  const int nMid = (x + right) >> 1;
  const int nRow = TruncInt(chara.m_dBottom) >> kCellShift;
  const int nShift = m_ScrollX.m_nPitchShift;
  // A single sample (scale 0) is the middle one.
  if (nCount <= 1) return MapCellIndex(nMid >> kCellShift, nRow, nShift);
  const int nStep = chara.m_nBoxW / (nCount - 1);
  int nBestCell = 0;
  int nBestKind = -1;
  int nBestDist = 0;
  for (int i = 0; i < nCount; ++i) {
    const int xs = i == nCount - 1 ? right : x + i * nStep;
    const int nCell = MapCellIndex(xs >> kCellShift, nRow, nShift);
    const int nKind = CellKind(nCell, chara.m_nFaction);
    const int nDist = std::abs(xs - nMid);
    if (nKind > nBestKind || (nKind == nBestKind && nDist < nBestDist)) {
      nBestKind = nKind;
      nBestCell = nCell;
      nBestDist = nDist;
    }
  }
  return nBestCell;
}

int cPlayScene::ChooseCornerCell(int nCol1, int nRow1, int nCol2, int nRow2, int nFaction) {
  const int nShift = m_ScrollX.m_nPitchShift;
  const int aCell[4] = {MapCellIndex(nCol1, nRow1, nShift), MapCellIndex(nCol2, nRow1, nShift),
                        MapCellIndex(nCol1, nRow2, nShift), MapCellIndex(nCol2, nRow2, nShift)};
  int nBestCell = aCell[0];
  int nBestKind = -1;
  for (int nCell : aCell) {
    const int nKind = CellKind(nCell, nFaction);
    if (nKind > nBestKind) {
      nBestKind = nKind;
      nBestCell = nCell;
    }
  }
  return nBestCell;
}

// ---- Edge tests --------------------------------------------------------------------

int cPlayScene::TestLeftEdge(cChara& c) {
  if (PassesBlocks(c)) return 0;
  const int x = TruncInt(c.m_dX);
  int nKind = 0;
  EdgeCell(m_ScrollX.m_nPitchShift, c, x, TruncInt(c.m_dY), x, TruncInt(c.m_dBottom), nKind);
  const Contact contact = ContactOf(c, nKind);
  if (contact == kFatal) return 2;
  if (contact == kNone) return 0;
  // The left edge onto the first pixel of the next cell to the right (a full
  // cell when it lies on a cell boundary).
  c.LRUD[LRUD_LEFT] = 1;
  c.m_dWalkVX = 0.0;
  c.m_dX += 32 - (x & 31);
  c.AfterMoveX();
  c.m_nWallSide = 0;
  c.RaiseTrigger(9);
  c.RaiseTrigger(10);
  c.RaiseTrigger(11);
  return 0;
}

int cPlayScene::TestRightEdge(cChara& c) {
  if (PassesBlocks(c)) return 0;
  const int right = TruncInt(c.m_dRight);
  int nKind = 0;
  EdgeCell(m_ScrollX.m_nPitchShift, c, right, TruncInt(c.m_dY), right, TruncInt(c.m_dBottom),
           nKind);
  const Contact contact = ContactOf(c, nKind);
  if (contact == kFatal) return 2;
  if (contact == kNone) return 0;
  // The right edge onto the last pixel of the cell before.
  c.LRUD[LRUD_RIGHT] = 1;
  c.m_dWalkVX = 0.0;
  c.m_dX -= (right & 31) + 1;
  c.AfterMoveX();
  c.m_nWallSide = 1;
  c.RaiseTrigger(9);
  c.RaiseTrigger(10);
  c.RaiseTrigger(12);
  return 0;
}

namespace {

// The bottom edge met a solid cell (kind 1 or 2): lands the character, 2
// for a fatal contact, or kRose when a rising walker passes the cell by.
constexpr int kRose = -1;

int LandOnCell(cPlayScene& scene, cChara& c, int nKind) {
  if (nKind == BLOCKHIT_SOLID) {
    if (DiesOnBlocks(c)) return 2;
    if (RisesThrough(c)) return kRose;
    if (c.m_nKind == OBJKIND_PLAYER) c.m_nFootCell = scene.ChooseFootCell(c);
  } else {
    c.m_nStoodCell = c.m_nFootCell;
    if (ContactOf(c, nKind) == kFatal) return 2;
    if (RisesThrough(c)) return kRose;
  }
  c.m_nStoodCell = c.m_nFootCell;
  c.LandOnBlock();
  return 0;
}

int BottomCell(const cPlayScene& scene, const cChara& c, int& nKind) {
  const int bottom = TruncInt(c.m_dBottom);
  return EdgeCell(scene.m_ScrollX.m_nPitchShift, c, TruncInt(c.m_dX), bottom, TruncInt(c.m_dRight),
                  bottom, nKind);
}

}  // namespace

int cPlayScene::TestBottomEdge(cChara& c) {
  if (PassesBlocks(c)) return 0;
  int nKind = 0;
  const int nCell = BottomCell(*this, c, nKind);
  c.m_nFootCell = nCell;
  if (nKind == BLOCKHIT_NONE) {
    c.m_nFootCell = -1;
    ++c.m_nAirTime;
    // After 8 frames without ground the character counts as falling; a
    // riding hero does not, and a falling hero may jump again.
    if (c.m_nAirTime >= g_Stage.m_nSubStep8) {
      if (c.m_nKind == OBJKIND_PLAYER) {
        if (!c.m_bOnChara) {
          if (auto* lpHero = dynamic_cast<cPlayer*>(&c)) lpHero->m_bJumpReady = 1;
          c.m_bAirborne = 1;
        }
      } else {
        c.m_bAirborne = 1;
      }
    }
    return 0;
  }
  if (nKind != BLOCKHIT_SOLID && nKind != BLOCKHIT_FATAL) return 0;
  return LandOnCell(*this, c, nKind) == 2 ? 2 : 0;
}

int cPlayScene::TestTopEdge(cChara& c) {
  if (PassesBlocks(c)) return 0;
  const int y = TruncInt(c.m_dY);
  int nKind = 0;
  EdgeCell(m_ScrollX.m_nPitchShift, c, TruncInt(c.m_dX), y, TruncInt(c.m_dRight), y, nKind);
  const Contact contact = ContactOf(c, nKind);
  if (contact == kFatal) return 2;
  if (contact == kSolid) c.HitCeiling();
  return 0;
}

int cPlayScene::TestBlocksX(cChara& c) {
  const bool bRightFirst = c.m_dVX > 0.0 || (c.m_bFly && c.m_cBlockMode == BLOCKMODE_COLLIDE);
  if (bRightFirst) {
    if (TestRightEdge(c) == 2) return 2;
    return TestLeftEdge(c);
  }
  if (TestLeftEdge(c) == 2) return 2;
  return TestRightEdge(c);
}

int cPlayScene::TestBlocksY(cChara& c) {
  c.m_nFootCell = -1;
  const bool bBottomFirst = c.m_dVY > 0.0 || (c.m_bFly && c.m_cBlockMode == BLOCKMODE_COLLIDE);
  if (bBottomFirst) {
    if (TestBottomEdge(c) == 2) return 2;
    return TestTopEdge(c);
  }
  if (TestTopEdge(c) == 2) return 2;
  return TestBottomEdge(c);
}

int cPlayScene::RetestBlocksX(cChara& c) {
  const int r1 = TestRightEdge(c);
  const int r2 = TestLeftEdge(c);
  return (r1 == 2 || r2 == 2) ? 2 : 0;
}

int cPlayScene::RetestBlocksY(cChara& c) {
  if (PassesBlocks(c)) return 0;
  int nResult = 0;
  int nKind = 0;
  const int nCell = BottomCell(*this, c, nKind);
  if (nKind == BLOCKHIT_SOLID || nKind == BLOCKHIT_FATAL) {
    c.m_nFootCell = nCell;
    nResult = LandOnCell(*this, c, nKind);
    // A rising walker ends the re-test before the top is looked at.
    if (nResult == kRose) return 0;
  }
  if (TestTopEdge(c) == 2) nResult = 2;
  return nResult;
}

// ---- The hero inside the view ------------------------------------------------------

void cPlayScene::KeepHeroOnScreenX(cPlayer& hero) {
  if (!m_ScrollX.m_bAutoScroll && !hero.m_bFly) return;
  hero.UpdateScreenRect();
  if (hero.m_rcScreen.left + hero.m_nBoxX < 0) {
    hero.LRUD[LRUD_LEFT] = 1;
    hero.m_dX = m_ScrollX.m_dPos;
    hero.AfterMoveX();
  } else if (hero.m_rcScreen.right - hero.m_nBoxX + 1 >= kViewWidth) {
    hero.LRUD[LRUD_RIGHT] = 1;
    hero.m_dX = m_ScrollX.m_dPos + kViewWidth - hero.m_nBoxW - 1;
    hero.AfterMoveX();
  }
}

int cPlayScene::KeepHeroOnScreenY(cPlayer& hero) {
  if (!m_ScrollY.m_bAutoScroll && !hero.m_bFly) return 0;
  hero.UpdateScreenRect();
  if (hero.m_rcScreen.top + hero.m_nBoxY < 0) {
    hero.LRUD[LRUD_UP] = 1;
    hero.m_dY = m_ScrollY.m_dPos;
    hero.AfterMoveY();
    return 0;
  }
  if (hero.m_rcScreen.bottom - hero.m_nBoxY + 1 >= kViewHeight) {
    hero.LRUD[LRUD_DOWN] = 1;
    hero.m_dY = m_ScrollY.m_dPos + kViewHeight - hero.m_nBoxH - 1;
    hero.AfterMoveY();
    // A walking hero pushed off the bottom of the view by the scroll.
    return hero.m_bFly ? 0 : 2;
  }
  return 0;
}

// ---- Free positions ----------------------------------------------------------------

int cPlayScene::IsBoxBlocked(const cGameObject& obj) {
  if (PassesBlocks(obj)) return 0;
  const int nCell = ChooseCornerCell(obj.m_nLeftCol, obj.m_nTopRow, obj.m_nRightCol,
                                     obj.m_nBottomRow, obj.m_nFaction);
  if (CellKind(nCell, obj.m_nFaction) != BLOCKHIT_NONE) return 1;
  return OverlapsSolidChara(obj, BlockCharas());
}
