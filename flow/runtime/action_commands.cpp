// The commands that act on characters rather than on the picture: ワープ,
// ターゲットの設定 and アイテムの取得.

#include <cmath>
#include <cstdint>

#include "app/base/checked_containers.h"
#include "flow/flow.h"
#include "flow/runtime/flow_commands.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_runner.h"
#include "flow/runtime/move_commands.h"
#include "objects/chara.h"
#include "objects/chara_search.h"
#include "objects/player.h"
#include "objects/world.h"
#include "play/play_scene.h"
#include "stagedata/item.h"
#include "stagedata/stage_globals.h"

namespace {

// ワープ: how the destination is given (the movement settings' mode).
enum : int {
  WARP_DIRECTION = 0,    // a direction and a distance
  WARP_FROM_TARGET = 1,  // a direction and a distance from the target
  WARP_POSITION = 2,     // coordinates
};

// ワープ by coordinates: what they are relative to.
enum : int {
  WARPCOORD_RELATIVE = 0,
  WARPCOORD_TILE = 1,    // a map cell of the stage plus dots
  WARPCOORD_SCREEN = 2,  // the view; the character is drawn there this frame
};

// ターゲットの設定, parameter 0.
enum : int {
  TARGETBY_HERO = 0,
  TARGETBY_SELF = 1,
  TARGETBY_NEAREST = 2,
  TARGETBY_CID = 3,
};

// ターゲットの設定's parameters after the choice.
enum : int {
  TARGETPARAM_GROUP = 1,
  TARGETPARAM_ALL_GROUPS = 2,
  TARGETPARAM_RANGE = 3,
  TARGETPARAM_NOT_SELF = 4,
  TARGETPARAM_NO_INVINCIBLE1 = 5,
  TARGETPARAM_NO_INVINCIBLE2 = 6,
  TARGETPARAM_NO_BLOCKCHARA = 7,
  TARGETPARAM_BY_CID = 8,
  TARGETPARAM_CID = 9,
};

constexpr double kRootHalf = 0.70710678118654752440;

const cEdMove& WarpSettings(const cFlowCommand& cmd) {
  static const cEdMove kNone;
  return cmd.m_pMove ? *cmd.m_pMove : kNone;
}

// Moves by d pixels along an absolute direction code (up and down whether the
// character flies or not), each axis followed by its after-move operation.
void WarpAlong(cChara& chara, int nCode, double d) {
  double dx = 0.0;
  double dy = 0.0;
  switch (nCode) {
    case DIRCODE_LEFT:
      dx = -d;
      break;
    case DIRCODE_RIGHT:
      dx = d;
      break;
    case DIRCODE_UP:
      dy = -d;
      break;
    case DIRCODE_DOWN:
      dy = d;
      break;
    case DIRCODE_UP_LEFT:
      dx = dy = -d * kRootHalf;
      break;
    case DIRCODE_DOWN_LEFT:
      dx = -d * kRootHalf;
      dy = d * kRootHalf;
      break;
    case DIRCODE_UP_RIGHT:
      dx = d * kRootHalf;
      dy = -d * kRootHalf;
      break;
    case DIRCODE_DOWN_RIGHT:
      dx = dy = d * kRootHalf;
      break;
    default:
      return;
  }
  if (dx != 0.0) {
    chara.m_dX += dx;
    chara.AfterMoveX();
  }
  if (dy != 0.0) {
    chara.m_dY += dy;
    chara.AfterMoveY();
  }
}

// The warp distance in pixels: half blocks, with the per-level part.
double WarpDistance(const cChara& chara, const cEdMove& move) {
  return 16.0 * (static_cast<double>(move.m_nDistance) +
                 static_cast<double>(move.m_nDistanceStep) * chara.m_sCopyIndex);
}

// ワープ by coordinates; an unknown coordinate kind moves nothing.
void WarpToPosition(cChara& chara, const cEdMove& move) {
  double dx = move.m_nDotX + 32.0 * move.m_nCellX;
  double dy = move.m_nDotY + 32.0 * move.m_nCellY;
  if (chara.m_nFacing == 1) {
    if (move.m_bMirrorX) dx = -dx;
    if (move.m_bMirrorY) dy = -dy;
  }
  switch (move.m_nCoordKind) {
    case WARPCOORD_RELATIVE:
      chara.m_dX += dx;
      chara.AfterMoveX();
      chara.m_dY += dy;
      chara.AfterMoveY();
      break;
    case WARPCOORD_TILE:
      chara.SetTileX(move.m_nCellX);
      chara.m_dX += move.m_nDotX;
      chara.AfterMoveX();
      chara.SetTileY(move.m_nCellY);
      chara.m_dY += move.m_nDotY;
      chara.AfterMoveY();
      break;
    case WARPCOORD_SCREEN: {
      const cPlayScene& scene = PlayScene();
      chara.m_dX = chara.m_nBoxX + scene.m_ScrollX.m_dPos + dx;
      chara.AfterMoveX();
      chara.m_dY = chara.m_nBoxY + scene.m_ScrollY.m_dPos + dy;
      chara.AfterMoveY();
      break;
    }
    default:
      break;
  }
}

// Group list n of the play scene; a number outside the eight groups is
// reported as a bad index and names none.
const cCharaPtrList* GroupList(const cPlayScene& scene, int n) {
  if (n >= 0 && n < kFactions) return &scene.FactionCharas(n);
  ReportBadIndex('V', n, kFactions, sizeof(cCharaPtrList));
  return nullptr;
}

double SpriteCentreX(const cChara& c) { return c.m_rcScreen.left + (c.m_nSpriteW >> 1); }
double SpriteCentreY(const cChara& c) { return c.m_rcScreen.top + (c.m_nSpriteH >> 1); }

// ターゲットの設定 by search: the nearest character, or the first of a
// character ID, in one group list or in each of the eight.
cChara* SearchTarget(cChara& chara, const cFlowCommand& cmd) {
  cPlayScene& scene = PlayScene();
  CHARAFILTER filter;
  filter.bByCid = cmd.Param(TARGETPARAM_BY_CID);
  filter.nCid = cmd.Param(TARGETPARAM_CID);
  filter.bExcludeId = cmd.Param(TARGETPARAM_NOT_SELF);
  filter.nId = chara.m_nId;
  filter.bNoInvincible1 = cmd.Param(TARGETPARAM_NO_INVINCIBLE1);
  filter.bNoInvincible2 = cmd.Param(TARGETPARAM_NO_INVINCIBLE2);
  filter.bNoBlockChara = cmd.Param(TARGETPARAM_NO_BLOCKCHARA);
  const bool bNearest = cmd.Param(0) == TARGETBY_NEAREST;
  const double x = SpriteCentreX(chara);
  const double y = SpriteCentreY(chara);
  const int nRule = cmd.Param(TARGETPARAM_RANGE);
  auto search = [&](const cCharaPtrList& list) {
    return bNearest ? FindCharaByRule(x, y, list, nRule, filter) : FindFirstChara(list, filter);
  };
  if (!cmd.Param(TARGETPARAM_ALL_GROUPS)) {
    const cCharaPtrList* lpList = GroupList(scene, cmd.Param(TARGETPARAM_GROUP));
    return lpList != nullptr ? search(*lpList) : nullptr;
  }
  // Every group: the first hit in group order, or the nearest of each
  // group's nearest (the earlier group on equal distance).
  cChara* lpBest = nullptr;
  double dBest = 0.0;
  for (int n = 0; n < kFactions; ++n) {
    const cCharaPtrList& list = scene.FactionCharas(n);
    if (list.empty()) continue;
    cChara* lpFound = search(list);
    if (lpFound == nullptr) continue;
    if (!bNearest) return lpFound;
    const double d =
        std::fabs(SpriteCentreX(*lpFound) - x) + std::fabs(SpriteCentreY(*lpFound) - y);
    if (lpBest == nullptr || d < dBest) {
      lpBest = lpFound;
      dBest = d;
    }
  }
  return lpBest;
}

}  // namespace

void DoWarp(cChara& chara, const cFlowCommand& cmd) {
  if (g_lpPlayScene == nullptr) return;
  const cEdMove& move = WarpSettings(cmd);
  chara.m_bPinX = 0;
  chara.m_bPinY = 0;
  const double saved[4] = {chara.m_dX, chara.m_dY, chara.m_dRight, chara.m_dBottom};
  switch (move.m_nSpecMode) {
    case WARP_DIRECTION:
      WarpAlong(chara, ResolveDirection(chara, move.m_nDirection), WarpDistance(chara, move));
      break;
    case WARP_FROM_TARGET: {
      const cChara* lpTarget = chara.GetTarget();
      if (lpTarget == nullptr) return;
      chara.SetCenter(static_cast<int>(SpriteCentreX(*lpTarget)),
                      static_cast<int>(SpriteCentreY(*lpTarget)));
      WarpAlong(chara, ResolveDirection(*lpTarget, move.m_nDirection), WarpDistance(chara, move));
      break;
    }
    case WARP_POSITION:
      WarpToPosition(chara, move);
      break;
    default:
      break;
  }
  chara.cGameObject::UpdateScreenRect();
  if (!chara.IsInsideStage(0) || PlayScene().IsBoxBlocked(chara)) {
    // Into a wall or off the stage: the character stays where it was.
    chara.m_dX = saved[0];
    chara.m_dY = saved[1];
    chara.m_dRight = saved[2];
    chara.m_dBottom = saved[3];
    chara.AfterMoveY();
    chara.AfterMoveX();
    chara.cGameObject::UpdateScreenRect();
  } else if (!chara.m_bFly) {
    chara.m_dVY = 0.0;
  }
  if (move.m_nSpecMode == WARP_POSITION && move.m_nCoordKind == WARPCOORD_SCREEN) {
    chara.m_bPinX = 1;
    chara.m_bPinY = 1;
    chara.m_nPinX = chara.m_rcScreen.left;
    chara.m_nPinY = chara.m_rcScreen.top;
  }
}

void CmdWarp(cChara& chara, COMMANDSTATE& state) { DoWarp(chara, *state.m_lpCommand); }

void DoSetTarget(cChara& chara, const cFlowCommand& cmd) {
  if (g_lpPlayScene == nullptr) return;
  cChara* lpTarget = nullptr;
  switch (cmd.Param(0)) {
    case TARGETBY_HERO:
      lpTarget = PlayScene().Hero();
      break;
    case TARGETBY_SELF:
      lpTarget = &chara;
      break;
    case TARGETBY_NEAREST:
    case TARGETBY_CID:
      lpTarget = SearchTarget(chara, cmd);
      break;
    default:
      break;
  }
  chara.SetTarget(lpTarget);
}

void CmdSetTarget(cChara& chara, COMMANDSTATE& state) { DoSetTarget(chara, *state.m_lpCommand); }

void DoGetItem(cChara& chara, const cFlowCommand& cmd) {
  (void)chara;
  if (g_lpPlayScene == nullptr) return;
  cPlayScene& scene = *g_lpPlayScene;
  cPlayer* lpHero = scene.Hero();
  // Palette 0 is the common palette (item source 1), 1 the stage's (2).
  const int nPalette = cmd.Param(0);
  if (lpHero == nullptr || (nPalette != 0 && nPalette != 1)) return;
  const cEdItem* lpDef = GetItemDef(nPalette + 1, cmd.Param(1));
  if (lpDef == nullptr) return;
  // The list's result is the end request: a stage clear, or a miss when the
  // hero's HP fell below 1. A list that ends without one leaves a request
  // made before it standing.
  const int r = lpHero->RunItemCommands(lpDef->m_vItemCommand);
  if (r != 0) scene.m_nEndRequest = r;
}

void CmdGetItem(cChara& chara, COMMANDSTATE& state) { DoGetItem(chara, *state.m_lpCommand); }
