// Characters against block characters, after the map-block tests of a
// sub-step: fliers are pushed out of them; walkers land on them and ride
// them, are pushed sideways or down by them and are crushed between them.
// The contact flags are the character's LRUD, shared with the map tests, so
// that a character squeezed between a block character and a map wall is
// seen as such.
//
// Where a position is only tried (could the character stand there?) its box
// is tested as a rectangle; no character is copied for a trial.

#include "play/solid_charas.h"

#include <optional>

#include "app/base/report_log.h"
#include "objects/player.h"
#include "objects/world.h"
#include "play/map_cells.h"
#include "stagedata/stage_globals.h"

namespace {

// Triggers of block characters.
constexpr int kTriggerBlockChara = 5;
constexpr int kTriggerRiding = 6;
constexpr int kTriggerRiddenByHero = 16;
constexpr int kTriggerRidden = 17;

// The strip under the feet in which a ride is looked for.
constexpr double kFeetDepth = 5.0;
// Unsticking from map cells: steps and their size.
constexpr int kUnstickSteps = 15;
constexpr double kUnstickStep = 0.1;

bool PassesBlocks(const cGameObject& obj) {
  return obj.m_bFly && obj.m_cBlockMode == BLOCKMODE_PASS;
}

// A block character that takes part: solid, not dead, appeared, not self.
bool IsSolidFor(const cComChara& x, const cGameObject& self) {
  return &x != &self && x.m_Def.m_bBlockChara && !x.m_bDead && x.m_bAppeared;
}

DRECT Box(const cGameObject& obj) { return {obj.m_dX, obj.m_dY, obj.m_dRight, obj.m_dBottom}; }
DRECT SavedBox(const cChara& c) {
  return {c.m_dSavedX[0], c.m_dSavedX[1], c.m_dSavedX[2], c.m_dSavedX[3]};
}

bool Contains(const DRECT& r, double x, double y) {
  return x >= r.x1 && x <= r.x2 && y >= r.y1 && y <= r.y2;
}

// The overlap depth of a and b along one axis, one more than the overlap
// of the two spans: from b's near edge when b starts inside a, else from
// a's near edge.
double Depth(double a1, double a2, double b1, double b2) {
  return (b1 > a1 && a2 >= b1) ? a2 - b1 + 1 : b2 - a1 + 1;
}

// The smallest and largest of the candidate positions found so far.
void KeepMin(std::optional<double>& cand, double v) {
  if (!cand || v < *cand) cand = v;
}
void KeepMax(std::optional<double>& cand, double v) {
  if (!cand || v > *cand) cand = v;
}

// The box's corner cells hold a block that is solid for the faction.
bool RectTouchesBlock(const DRECT& r, int nFaction) {
  const int nShift = PlayScene().m_ScrollX.m_nPitchShift;
  const int c1 = TruncInt(r.x1) >> kCellShift, c2 = TruncInt(r.x2) >> kCellShift;
  const int r1 = TruncInt(r.y1) >> kCellShift, r2 = TruncInt(r.y2) >> kCellShift;
  for (const int nCell : {MapCellIndex(c1, r1, nShift), MapCellIndex(c2, r1, nShift),
                          MapCellIndex(c1, r2, nShift), MapCellIndex(c2, r2, nShift)})
    if (GetBlockHitKind(g_MapCells.At(nCell), nFaction) != BLOCKHIT_NONE) return true;
  return false;
}

// The box overlaps a block character other than self and the one of id nId.
bool RectOverlapsSolid(const DRECT& r, const cGameObject& self, const std::vector<cComChara*>& list,
                       int nId) {
  for (const cComChara* lpChara : list) {
    const cComChara& x = *lpChara;
    if (IsSolidFor(x, self) && x.m_nId != nId && IsDRectOverlap(r, Box(x))) return true;
  }
  return false;
}

// The strip under the character's feet.
DRECT Feet(const cGameObject& c) {
  return {c.m_dX, c.m_dBottom, c.m_dRight, c.m_dBottom + kFeetDepth};
}

void SetY(cChara& c, double y) {
  c.m_dY = y;
  c.AfterMoveY();
}
void SetX(cChara& c, double x) {
  c.m_dX = x;
  c.AfterMoveX();
}

}  // namespace

int OverlapsSolidCharaExcept(const cGameObject& obj, const std::vector<cComChara*>& list, int nId) {
  if (PassesBlocks(obj)) return 0;
  return RectOverlapsSolid(Box(obj), obj, list, nId) ? 1 : 0;
}

int OverlapsSolidChara(const cGameObject& obj, const std::vector<cComChara*>& list) {
  return OverlapsSolidCharaExcept(obj, list, -1);
}

// ---- Pushing out -----------------------------------------------------------------

void cPlayScene::PushOutOfSolidCharas(cChara& c, int bVertical) {
  std::optional<double> lo, hi;  // up or left, down or right
  for (cComChara* lpChara : BlockCharas()) {
    const cComChara& x = *lpChara;
    if (!IsSolidFor(x, c)) continue;
    const DRECT xb = Box(x);
    if (!IsDRectOverlap(Box(c), xb)) continue;
    if (bVertical) {
      if (IsDRectOverlap({c.m_dX + 1, c.m_dY, c.m_dRight - 1, c.m_dY}, xb)) {
        c.LRUD[LRUD_UP] = 1;
        KeepMax(lo, x.m_dBottom + 1);
      }
      if (IsDRectOverlap({c.m_dX + 1, c.m_dBottom, c.m_dRight - 1, c.m_dBottom}, xb)) {
        c.LRUD[LRUD_DOWN] = 1;
        KeepMin(hi, x.m_dY - c.m_nBoxH);
      }
    } else {
      const bool bPush = !(c.m_bOnChara && x.m_nId == c.m_nRiddenId);
      if (IsDRectOverlap({c.m_dX, c.m_dY + 1, c.m_dX, c.m_dBottom - 1}, xb)) {
        c.LRUD[LRUD_LEFT] = 1;
        KeepMax(lo, x.m_dRight + 1);
        if (bPush) c.m_bLeftGround = 1;
      }
      if (IsDRectOverlap({c.m_dRight, c.m_dY + 1, c.m_dRight, c.m_dBottom - 1}, xb)) {
        c.LRUD[LRUD_RIGHT] = 1;
        KeepMin(hi, x.m_dX - c.m_nBoxW);
        if (bPush) c.m_bLeftGround = 1;
      }
    }
  }
  auto apply = [&](double v) { bVertical ? SetY(c, v) : SetX(c, v); };
  if (lo) apply(*lo);
  if (hi) apply(*hi);
}

int cPlayScene::IsEnclosedBySolidCharas(const cChara& c, const DRECT& start) {
  if (PassesBlocks(c)) return 0;
  const DRECT now = Box(c);
  auto corner = [](const DRECT& r, int i, double& x, double& y) {
    x = (i & 1) ? r.x2 : r.x1;
    y = (i & 2) ? r.y2 - 1 : r.y1;
  };
  for (int i = 0; i < 4; ++i) {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    corner(now, i, x1, y1);
    corner(start, i, x2, y2);
    bool bCovered = false;
    for (cComChara* lpChara : BlockCharas()) {
      const cComChara& x = *lpChara;
      if (!IsSolidFor(x, c)) continue;
      const DRECT xb = Box(x);
      if (Contains(xb, x1, y1) || Contains(xb, x2, y2)) {
        bCovered = true;
        break;
      }
    }
    if (!bCovered) return 0;
  }
  return 1;
}

// ---- Riding ------------------------------------------------------------------------

int cPlayScene::IsStillOnRide(const cChara& c) {
  const cChara* lpRide = FindCharaById(c.m_nRiddenId);
  return lpRide != nullptr && lpRide != &c && IsDRectOverlap(Feet(c), Box(*lpRide)) ? 1 : 0;
}

cComChara* cPlayScene::FindRideBelow(const cChara& c) {
  const DRECT feet = Feet(c);
  for (cComChara* lpChara : BlockCharas())
    if (IsSolidFor(*lpChara, c) && IsDRectOverlap(feet, Box(*lpChara))) return lpChara;
  return nullptr;
}

int cPlayScene::CarryRider(cChara& rider) {
  if (rider.m_bFly) return 0;
  cChara* lpRide = FindCharaById(rider.m_nRiddenId);
  if (lpRide == nullptr || lpRide == &rider) return 0;
  rider.m_dVX += lpRide->m_dX - rider.m_dRiddenBox.x1;
  if (lpRide->m_bFly || lpRide->m_bAirborne) rider.m_dVY = lpRide->m_dY - rider.m_dRiddenBox.y1;
  if (rider.m_nKind == OBJKIND_PLAYER) lpRide->RaiseTrigger(kTriggerRiddenByHero);
  lpRide->RaiseTrigger(kTriggerRidden);
  return 0;
}

// ---- The solid-character step ------------------------------------------------------

namespace {

// A candidate position and what found it.
struct CANDIDATE {
  std::optional<double> pos;
  double dV = 0.0;  // the pusher's velocity along the axis
  int nId = -1;     // the pusher
};

}  // namespace

int cPlayScene::CollideSolidCharas(cChara& c) {
  if (PassesBlocks(c)) return 0;
  const DRECT b = Box(c);
  const int w = c.m_nBoxW;
  const int h = c.m_nBoxH;
  bool bAny = false;

  if (c.m_bFly) {
    CANDIDATE left, right, up, down;
    for (cComChara* lpChara : BlockCharas()) {
      const cComChara& x = *lpChara;
      if (!IsSolidFor(x, c)) continue;
      const DRECT xb = Box(x);
      if (!IsDRectOverlap(b, xb)) continue;
      bAny = true;
      const double dx = Depth(b.x1, b.x2, xb.x1, xb.x2);
      const double dy = Depth(b.y1, b.y2, xb.y1, xb.y2);
      if (dx == 0) continue;
      if (dx <= dy) {
        if (IsDRectOverlap({b.x1, b.y1 + 1, b.x1, b.y2 - 1}, xb)) {
          c.LRUD[LRUD_LEFT] = 1;
          if (!left.pos || xb.x2 + 1 > *left.pos) left = {xb.x2 + 1, x.m_dVX, x.m_nId};
        }
        if (IsDRectOverlap({b.x2, b.y1 + 1, b.x2, b.y2 - 1}, xb)) {
          c.LRUD[LRUD_RIGHT] = 1;
          if (!right.pos || xb.x1 - w < *right.pos) right = {xb.x1 - w, x.m_dVX, x.m_nId};
        }
      } else {
        if (IsDRectOverlap({b.x1 + 1, b.y1, b.x2 - 1, b.y1}, xb)) {
          c.LRUD[LRUD_UP] = 1;
          if (!up.pos || xb.y2 + 1 > *up.pos) up = {xb.y2 + 1, x.m_dVY, x.m_nId};
        }
        if (IsDRectOverlap({b.x1 + 1, b.y2, b.x2 - 1, b.y2}, xb)) {
          c.LRUD[LRUD_DOWN] = 1;
          if (!down.pos || xb.y1 - h < *down.pos) down = {xb.y1 - h, x.m_dVY, x.m_nId};
        }
      }
    }
    if (bAny) c.RaiseTrigger(kTriggerBlockChara);
    if (c.m_cBlockMode == BLOCKMODE_FATAL)
      return (left.pos || right.pos || up.pos || down.pos) ? 2 : 0;
    // A pusher that moves into the character (dSign: the direction into
    // it) carries it along the other axis out of the way; otherwise the
    // character is put beside it.
    auto settle = [&](const CANDIDATE& k, int nSide, bool bHorizontal, double dSign) {
      if (!k.pos) return;
      const double dV = bHorizontal ? c.m_dVX : c.m_dVY;
      (bHorizontal ? c.m_dWalkVX : c.m_dWalkVY) = 0.0;
      if (k.dV * dSign > 0.0 && dV * dSign <= 0.0) {
        c.LRUD[nSide] = 0;
        PushOutOfSolidCharas(c, bHorizontal ? 1 : 0);
      } else if (bHorizontal) {
        SetX(c, *k.pos);
        c.m_bLeftGround = 1;
      } else {
        SetY(c, *k.pos);
      }
    };
    settle(left, LRUD_LEFT, true, -1.0);
    settle(right, LRUD_RIGHT, true, 1.0);
    settle(up, LRUD_UP, false, -1.0);
    settle(down, LRUD_DOWN, false, 1.0);
    return 0;
  }

  // A walker.
  const double dN = g_Stage.m_dSubStep;
  const double k1 = 2.0 / dN;
  const double k2 = 0.4 / dN;
  const DRECT upper{b.x1, b.y1, b.x2, b.y1 + h / 2};
  const DRECT lower{b.x1 + 1, b.y2 - h / 3, b.x2 - 1, b.y2};
  const DRECT moved{c.m_dSavedX[0], b.y1, c.m_dSavedX[2], b.y2};
  const DRECT saved = SavedBox(c);
  CANDIDATE left, right, up, down;
  const cComChara* lpLanding = nullptr;

  auto land = [&](const cComChara& x) {
    if (x.m_dVY < 0.0) c.LRUD[LRUD_DOWN] = 1;
    if (down.pos && *down.pos <= x.m_dY - h) return;
    down = {x.m_dY - h, x.m_dVY, x.m_nId};
    lpLanding = &x;
    c.m_nRiddenId = x.m_nId;
    c.m_dRiddenBox = Box(x);
  };
  auto side = [&](const cComChara& x, bool bRight) {
    if (bRight) {
      c.LRUD[LRUD_RIGHT] = 1;
      if (!right.pos || x.m_dX - w - 0.5 < *right.pos) right = {x.m_dX - w - 0.5, 0.0, x.m_nId};
    } else {
      c.LRUD[LRUD_LEFT] = 1;
      if (!left.pos || x.m_dRight + 1.5 > *left.pos) left = {x.m_dRight + 1.5, 0.0, x.m_nId};
    }
  };

  for (cComChara* lpChara : BlockCharas()) {
    const cComChara& x = *lpChara;
    if (!IsSolidFor(x, c)) continue;
    const DRECT xb = Box(x);
    if (!IsDRectOverlap(b, xb)) continue;
    bAny = true;
    const DRECT xs = SavedBox(x);
    if (IsDRectOverlap(upper, xb) && Depth(upper.x1, upper.x2, xb.x1, xb.x2) != 0) {
      const double dx = Depth(upper.x1, upper.x2, xb.x1, xb.x2);
      const double dy = Depth(upper.y1, upper.y2, xb.y1, xb.y2);
      if (c.m_dVY > k1 && IsDRectOverlap(moved, xs) && saved.y1 < xs.y1) {
        // Falling onto it from above.
        TraceLog("D Hit");
        land(x);
      } else if ((dx - dy > k2 && b.y2 > xb.y2) ||
                 (IsDRectOverlap(moved, xs) && saved.y1 > xs.y1 && !IsDRectOverlap(saved, xs))) {
        // Hit from below.
        if (x.m_dVY > 0.0) c.LRUD[LRUD_UP] = 1;
        if (!up.pos || *up.pos < xb.y2 + 1) up = {xb.y2 + 1, x.m_dVY, x.m_nId};
        if (c.m_bOnChara && c.m_dVY < 0.0) c.LRUD[LRUD_DOWN] = 1;
      } else {
        // Beside it, in the upper half: the edge it moves with first.
        const DRECT r{b.x2, b.y1, b.x2, upper.y2};
        const DRECT l{b.x1, b.y1, b.x1, upper.y2};
        if (c.m_dVX >= 0.0) {
          if (IsDRectOverlap(r, xb))
            side(x, true);
          else if (IsDRectOverlap(l, xb))
            side(x, false);
        } else {
          if (IsDRectOverlap(l, xb))
            side(x, false);
          else if (IsDRectOverlap(r, xb))
            side(x, true);
        }
      }
    } else {
      // Only the lower part overlaps.
      const double dx = std::min(b.x2, xb.x2) - std::max(b.x1, xb.x1);
      const double dy = std::min(b.y2, xb.y2) - std::max(b.y1, xb.y1);
      if (dx < dy) {
        if (IsDRectOverlap({b.x2, b.y1, b.x2, b.y2}, xb)) side(x, true);
        if (IsDRectOverlap({b.x1, b.y1, b.x1, b.y2}, xb)) side(x, false);
      } else if (IsDRectOverlap(lower, xb)) {
        land(x);
      }
    }
  }

  // Pushed down below the first block character over its upper half.
  auto pushBelow = [&] {
    for (cComChara* lpChara : BlockCharas()) {
      const cComChara& x = *lpChara;
      if (!IsSolidFor(x, c) || !IsDRectOverlap(upper, Box(x))) continue;
      c.m_dWalkVY = 0.0;
      c.m_bJumping = c.m_bJumpRise = 1;
      c.m_dVY = x.m_dVY;
      SetY(c, x.m_dBottom + 1);
      return;
    }
  };

  // Hit from below: put under the platform, when a rising one leaves room.
  if (up.pos && !down.pos) {
    bool bFree = true;
    if (up.dV < 0.0) {
      const DRECT trial{c.m_dX, *up.pos, c.m_dRight, *up.pos + h - 1};
      bFree = !RectTouchesBlock(trial, c.m_nFaction) &&
              !RectOverlapsSolid(trial, c, BlockCharas(), up.nId);
    }
    if (bFree) {
      SetY(c, *up.pos);
      c.m_bJumping = c.m_bJumpRise = 1;
      c.m_dWalkVY = 0.0;
      c.m_dVY = up.dV;
      RetestBlocksY(c);
    }
  }
  const bool bSqueezed = left.pos && right.pos;
  if (bSqueezed && !down.pos) {
    pushBelow();
    c.LRUD[LRUD_LEFT] = c.LRUD[LRUD_RIGHT] = 0;
  }

  // Landing, unless the platform sinks into a solid cell.
  bool bLanded = false;
  if (down.pos && !bSqueezed) {
    bool bRoom = true;
    if (down.dV > 0.0)
      bRoom = !RectTouchesBlock({c.m_dX, *down.pos, c.m_dRight, *down.pos + h - 1}, c.m_nFaction);
    if (!bRoom) {
      c.m_bOnChara = 0;
    } else {
      c.m_dWalkVY = 0.0;
      bLanded = true;
      if (!c.m_bOnChara) {
        c.m_bOnChara = 1;
        cChara* lpRide = FindCharaById(lpLanding->m_nId);
        if (c.m_nKind == OBJKIND_PLAYER) lpRide->RaiseTrigger(kTriggerRiddenByHero);
        lpRide->RaiseTrigger(kTriggerRidden);
      }
      SetY(c, *down.pos);
      c.m_dVY = 0.0;
      c.m_nAirTime = 0;
      c.m_bAirborne = c.m_bJumping = c.m_bJumpRise = 0;
      c.m_bKnocked = 0;
      if (c.m_nKind == OBJKIND_COM)
        c.m_bJumpBlocked = 0;
      else if (cPlayer* lpHero = dynamic_cast<cPlayer*>(&c))
        lpHero->m_bSlippery = 0;
    }
  }

  // Pushed sideways.
  const bool bRiding = c.m_bOnChara != 0;
  for (const CANDIDATE* k : {&left, &right}) {
    if (!k->pos) continue;
    c.m_dWalkVX = 0.0;
    if (!(bRiding && k->nId == c.m_nRiddenId)) c.m_bLeftGround = 1;
    SetX(c, *k->pos);
  }
  if (bSqueezed && !down.pos) {
    SetX(c, b.x1);
    pushBelow();
  }

  if (bAny || c.m_bOnChara) {
    c.RaiseTrigger(kTriggerBlockChara);
    if (c.m_bOnChara) c.RaiseTrigger(kTriggerRiding);
  }

  if ((c.LRUD[LRUD_LEFT] && c.LRUD[LRUD_RIGHT]) || (c.LRUD[LRUD_UP] && c.LRUD[LRUD_DOWN]) ||
      IsEnclosedBySolidCharas(c, b))
    return 2;

  // Out of solid map cells it was pushed into, by at most 1.5 pixels a side.
  auto unstick = [&](int nFlag, double dx, double dy) {
    if (!c.LRUD[nFlag]) return;
    for (int i = 0; i < kUnstickSteps && c.TouchesBlockEx(Box(c)); ++i) {
      if (dx != 0.0) SetX(c, c.m_dX + dx);
      if (dy != 0.0) SetY(c, c.m_dY + dy);
    }
  };
  unstick(LRUD_LEFT, -kUnstickStep, 0.0);
  unstick(LRUD_RIGHT, kUnstickStep, 0.0);
  unstick(LRUD_UP, 0.0, -kUnstickStep);
  unstick(LRUD_DOWN, 0.0, kUnstickStep);

  // Keeping the ride.
  if (c.m_bOnChara && !bLanded) {
    if (c.m_dKnockY < 0.0) {
      c.LeaveGround(1);
    } else {
      // Still on its ride, or stepped over onto another one.
      const cChara* lpRide = IsStillOnRide(c) ? FindCharaById(c.m_nRiddenId) : nullptr;
      if (const cComChara* lpBelow = FindRideBelow(c); lpBelow != nullptr && lpBelow != lpRide)
        lpRide = lpBelow;
      if (lpRide != nullptr) {
        c.m_nAirTime = 0;
        c.m_bKnocked = 0;
        c.m_nRiddenId = lpRide->m_nId;
        c.m_dRiddenBox = Box(*lpRide);
      } else {
        c.LeaveGround(1);
      }
    }
  }
  return 0;
}
