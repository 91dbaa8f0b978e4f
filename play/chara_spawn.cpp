// The computer characters of a stage: made from its placements at stage
// set-up and summoned by flow commands. A placement or a summon makes its
// copies one by one; a copy that would not lie inside the world (or, when
// summoned, would stand in a solid cell or a block character) is dropped
// before it is listed and uses no object id, so the ids of the copies kept
// follow one another. A character is built on the heap and listed as it is:
// it is never copied, and nothing refers to it before it sits in the list.

#include <memory>

#include "flow/shot_settings.h"
#include "play/play_scene.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kBorderPixels = kMapBorderCells * 32;

}  // namespace

int cPlayScene::SpawnStageCharacters(int tx, int ty, const cEdChara& placement,
                                     const cItem* lpCarried) {
  int nMade = 0;
  for (int n = 0; n <= placement.m_nCopies; ++n) {
    auto lpChara = std::make_unique<cComChara>();
    cComChara& c = *lpChara;
    c.Init(-1, placement, (tx + kMapBorderCells) * 32 + 16, (ty + kMapBorderCells) * 32 + 16,
           static_cast<int16_t>(n), lpCarried);
    c.SetTilePos(tx, ty);
    c.ShiftBy(placement.GetOffsetX(n, c.m_nFacing), placement.GetOffsetY(n, c.m_nFacing));
    if (!c.IsInsideStage(1)) continue;
    c.AfterMoveX();
    c.AfterMoveY();
    c.m_nId = NewCharaId();
    AddCharacter(std::move(lpChara)).UpdateScreenRect();
    ++nMade;
  }
  return nMade;
}

int cPlayScene::SpawnCharacterAt(double x, double y, int nFaction, int nFacing,
                                 const cEdShot& settings, const cEdChara& def) {
  cEdChara copy = def;
  copy.m_nDir = static_cast<int8_t>(nFacing);
  copy.m_nFaction = static_cast<int8_t>(nFaction);
  if (settings.m_bNoScore) copy.m_nScore = 0;
  int nMade = 0;
  for (int n = 0; n <= copy.m_nCopies; ++n) {
    auto lpChara = std::make_unique<cComChara>();
    cComChara& c = *lpChara;
    c.Init(-1, copy, x + kBorderPixels + 16, y + kBorderPixels + 16, static_cast<int16_t>(n));
    // The sprite's top-left at (x, y).
    c.m_dX = x + c.m_nBoxX;
    c.m_dY = y + c.m_nBoxY;
    c.m_dRight = c.m_dX + c.m_nBoxW - 1;
    c.m_dBottom = c.m_dY + c.m_nBoxH - 1;
    c.ShiftBy(copy.GetOffsetX(n, nFacing), copy.GetOffsetY(n, nFacing));
    if (!c.IsInsideStage(1)) continue;
    c.AfterMoveX();
    c.AfterMoveY();
    c.UpdateScreenRect();
    if (IsBoxBlocked(c)) continue;
    if (settings.m_bLife) c.m_nLifetime = settings.m_nLife * g_Stage.m_nSubStep * 6;
    c.m_nId = NewCharaId();
    AddCharacter(std::move(lpChara));
    ++nMade;
  }
  return nMade;
}
