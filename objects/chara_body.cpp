// cChara: the body state of a sub-step, gravity, landing and ceilings, the
// jump arithmetic, hit points and skill points with their gauges, impact and
// knock-back, and the conditions that test a character's state.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "flow/condition.h"
#include "objects/chara.h"
#include "objects/world.h"
#include "play/map_cells.h"
#include "stagedata/stage_globals.h"

double PercentPerSubstep(int16_t p) { return p * 0.01 / g_Stage.m_dSubStepSq; }

// ---- Sub-step bookkeeping --------------------------------------------------------

void cChara::ClearLRUD() {
  for (int32_t& nContact : LRUD) nContact = 0;
}

void cChara::SavePosition() {
  m_dSavedX[0] = m_dX;
  m_dSavedX[1] = m_dY;
  m_dSavedX[2] = m_dRight;
  m_dSavedX[3] = m_dBottom;
}

void cChara::RestorePosition() {
  m_dX = m_dSavedX[0];
  m_dY = m_dSavedX[1];
  m_dRight = m_dSavedX[2];
  m_dBottom = m_dSavedX[3];
}

void cChara::ApplyGravity() {
  if (!m_bFly && !m_bOnChara && !m_bNoGravity && m_dKnockY >= 0.0) m_dVY += g_Stage.m_dAccelPerStep;
}

namespace {

// A knock-back loses 1 pixel per frame of speed in every frame.
void DecayKnockback(double& dKnock) {
  const double dStep = 1.0 / g_Stage.m_dSubStep;
  if (dKnock > 0.0) {
    dKnock -= dStep;
    if (dKnock < 0.0) dKnock = 0.0;
  } else if (dKnock < 0.0) {
    dKnock += dStep;
    if (dKnock > 0.0) dKnock = 0.0;
  }
}

}  // namespace

void cChara::DecayKnockbackX() { DecayKnockback(m_dKnockX); }
void cChara::DecayKnockbackY() { DecayKnockback(m_dKnockY); }

void cChara::ApplyKnockbackY() {
  if (m_dKnockY != 0.0) {
    if (m_bFly) {
      m_dVY += m_dKnockY;
    } else if (m_dKnockY > 0.0 && IsOnBlock()) {
      m_dKnockY = 0.0;  // knocked downward while standing: nothing to fall into
    } else {
      // Replace the knock-back share of the velocity; gravity's share stays.
      m_dVY = m_dVY - m_dAppliedKnockY + m_dKnockY;
    }
  }
  m_dAppliedKnockY = m_dKnockY;
}

// ---- Floor and ceiling -----------------------------------------------------------

int cChara::IsOnBlock() const {
  if (m_bOnChara) return 1;
  if (m_nFootCell < 0) return 0;
  return GetBlockHitKind(g_MapCells.At(m_nFootCell), m_nFaction) != BLOCKHIT_NONE ? 1 : 0;
}

void cChara::LandOnBlock() {
  m_dVY = m_dWalkVY = 0.0;
  LRUD[LRUD_DOWN] = 1;
  m_nAirTime = 0;
  m_bJumping = m_bJumpRise = m_bAirborne = m_bKnocked = 0;
  if (m_nKind == OBJKIND_COM) m_bJumpBlocked = 0;
  // The bottom edge onto the last pixel row above the block.
  m_dY -= (TruncInt(m_dBottom) & 31) + 1;
  AfterMoveY();
  RaiseTrigger(9);
  RaiseTrigger(13);
  RaiseTrigger(15);
}

void cChara::HitCeiling() {
  m_bJumping = m_bJumpRise = m_bJumpBlocked = 1;
  LRUD[LRUD_UP] = 1;
  m_dVY = m_dWalkVY = 0.0;
  // The top edge down to the next block line.
  m_dY += 32 - (TruncInt(m_dY) & 31);
  AfterMoveY();
  RaiseTrigger(9);
  RaiseTrigger(13);
  RaiseTrigger(14);
}

void cChara::LeaveGround(int bNoteLeft) {
  m_bOnChara = 0;
  if (m_dKnockY == 0.0) m_dVY = 0.0;
  if (bNoteLeft) m_bLeftGround = 1;
}

// ---- Jump arithmetic -------------------------------------------------------------

double cChara::JumpVelocityDots(double dHeight) const {
  const double g = g_Stage.m_dAccelPerStep;
  // The negative root of v^2 + g v - 2 g h = 0. A negative height jumps as
  // a height of 0 (its root would be no number).
  const double h = std::max(dHeight, 0.0);
  double v = (-g - std::sqrt(std::max(g * (g + 8.0 * h), 0.0))) * 0.5;
  if (m_nKind == OBJKIND_PLAYER) v *= 0.99 - 0.025 * g_Stage.m_dGravity;
  return v;
}

double cChara::JumpVelocity(int8_t cHalfBlocks) const { return JumpVelocityDots(cHalfBlocks * 16); }

int cChara::JumpRiseSteps(double dVelocity) const {
  const double g = g_Stage.m_dAccelPerStep;
  // Without gravity a jump has no top: count the rise as one frame.
  if (g == 0.0) return g_Stage.m_nSubStep;
  return TruncInt(g_Stage.m_dSubStep - dVelocity / g);
}

int cChara::JumpDuration(int8_t cHalfBlocks) const {
  const int n = std::max(g_Stage.m_nSubStep, 1);
  return JumpRiseSteps(JumpVelocity(cHalfBlocks)) / n / 6 + 1;
}

// ---- Hit points and skill points -------------------------------------------------

namespace {

// value += delta (a gain limited to what is missing), kept in 0..max.
int ApplyDelta(int32_t& nValue, int nDelta, int nMax) {
  if (nDelta > 0 && nDelta > static_cast<int64_t>(nMax) - nValue) nDelta = nMax - nValue;
  const int64_t nNew = std::clamp<int64_t>(int64_t{nValue} + nDelta, 0, std::max(nMax, 0));
  nValue = static_cast<int32_t>(nNew);
  return nDelta;
}

void AnimateGauge(GAUGEANIM& gauge, int nValue, int nMax, int nDelta) {
  // Without a maximum there is no gauge to animate.
  if (nDelta == 0 || nMax <= 0) return;
  gauge.nFrames = 120;
  gauge.nWidth = static_cast<int32_t>(int64_t{nValue} * 50 / nMax);
  gauge.dChange = nDelta * 50.0 / nMax;
  gauge.dStep = gauge.dChange * 0.016666666666666666;
}

}  // namespace

int cChara::ChangeHp(int nDelta, int bForce, int bAnimate) {
  if (!bForce && nDelta <= 0 && m_Def.m_nInvincible != 0) return 0;
  nDelta = ApplyDelta(m_nHp, nDelta, m_Def.m_nMaxHp);
  if (m_nHp <= 0) {
    m_nHp = 0;
    return 1;
  }
  if (bAnimate) AnimateHpGauge(nDelta);
  return 0;
}

void cChara::ChangeSp(int nDelta, int bAnimate) {
  nDelta = ApplyDelta(m_nSp, nDelta, m_Def.m_nMaxSp);
  if (m_Def.m_nMaxSp <= 0) return;
  if (bAnimate) AnimateSpGauge(nDelta);
}

void cChara::AnimateHpGauge(int nDelta) { AnimateGauge(m_HpGauge, m_nHp, m_Def.m_nMaxHp, nDelta); }
void cChara::AnimateSpGauge(int nDelta) { AnimateGauge(m_SpGauge, m_nSp, m_Def.m_nMaxSp, nDelta); }

// ---- Impact ----------------------------------------------------------------------

void cChara::ApplyImpact(int8_t cImpact, double dDirX, double dDirY) {
  if (cImpact == 0) return;
  const int nResist = m_Def.m_nImpactResist;
  const int e =
      cImpact < 0 ? std::clamp(cImpact + nResist, -20, 0) : std::clamp(cImpact - nResist, 0, 20);
  ImpactToVelocity(m_dKnockX, m_dKnockY, e, dDirX, dDirY);
  // Motion against the knock-back stops.
  constexpr double kTol = 1e-8;
  auto against = [](double dMove, double dKnock) {
    return (dMove > kTol && dKnock < -kTol) || (dMove < -kTol && dKnock > kTol);
  };
  if (m_dWalkVX != 0.0 && against(m_dWalkVX, m_dKnockX)) m_dWalkVX = 0.0;
  if (m_dWalkVY != 0.0 && against(m_dWalkVY, m_dKnockY)) m_dWalkVY = 0.0;
  if (against(m_dVY, m_dKnockY)) m_dVY = 0.0;
  m_bKnocked = 1;
}

void cChara::ImpactFromChara(const cChara& attacker) {
  double dDirY = attacker.m_dVY;
  // Only a walker falling faster than 8 frames of gravity pushes downward.
  if (attacker.m_Def.m_nFly == 0 && attacker.m_dVY < g_Stage.m_nSubStep8 * g_Stage.m_dAccelPerStep)
    dDirY = 0.0;
  ApplyImpact(attacker.m_Def.m_nImpact, attacker.m_dVX, dDirY);
}

// ---- Conditions of a character's state -------------------------------------------

namespace {

int CompareStatus(int v, int nOp, int k) {
  switch (nOp) {
    case 0:
      return v == k;
    case 1:
      return v != k;
    case 2:
      return v >= k;
    case 3:
      return v <= k;
    case 4:
      return v > k;
    case 5:
      return v < k;
    case 6:
      return k == 0 || std::abs(int64_t{v}) % std::abs(int64_t{k}) == 0;
    case 7:
      return k != 0 && std::abs(int64_t{v}) % std::abs(int64_t{k}) != 0;
    default:
      return 0;
  }
}

}  // namespace

int cChara::CheckStatusCondition2(const cCondition* c) const {
  int v = 0;
  if (c->m_cObject == 2) {
    if (c->m_cStatus == 0)
      v = g_Stage.m_bAutoScrollX;
    else if (c->m_cStatus == 1)
      v = g_Stage.m_bAutoScrollY;
    else
      return 0;
  } else {
    const cChara* lpObject = nullptr;
    if (c->m_cObject == 0)
      lpObject = this;
    else if (c->m_cObject == 1)
      lpObject = GetTarget();
    if (lpObject == nullptr) return 0;
    const cEdChara& def = lpObject->m_Def;
    switch (c->m_cStatus) {
      case 1:
        v = def.m_bTransparent;
        break;
      case 2:
        v = def.m_bFixDir;
        break;
      case 3:
        v = def.m_nFly;
        break;
      case 4:
        v = def.m_nInvincible;
        break;
      case 5:
        v = def.m_nGiant;
        break;
      case 6:
        v = def.m_bScrollSync;
        break;
      default:
        return 0;
    }
  }
  return CompareStatus(v, c->m_cOp, c->m_sVarIndex);
}

int cChara::CheckStateCondition(const cCondition* c) {
  cChara* lpObject = nullptr;
  if (c->m_cObject == 0)
    lpObject = this;
  else if (c->m_cObject == 1)
    lpObject = GetTarget();
  if (lpObject == nullptr) return 0;
  const cChara& o = *lpObject;
  bool t = false;
  switch (c->m_cStatus) {
    case 0:
      t = o.m_nFacing == 0;
      break;
    case 1:
      t = o.m_nFacing == 1;
      break;
    case 2:
      t = o.m_Def.m_nFly == 0 && (o.m_bOnChara || (!o.m_bJumpRise && !o.m_bAirborne));
      break;
    case 3:
      t = o.m_nKind == OBJKIND_PLAYER ? o.IsOnScreen() : o.m_bOnScreen != 0;
      break;
    default:
      t = false;
      break;
  }
  return c->m_cOp == 1 ? !t : t;
}

int cChara::CheckDistanceCondition(const cCondition* c) {
  const cChara* lpOther = nullptr;
  if (c->m_cObject == 0)
    lpOther = g_lpPlayScene != nullptr ? g_lpPlayScene->Hero() : nullptr;
  else if (c->m_cObject == 1)
    lpOther = GetTarget();
  // A record that names neither the hero nor the target measures nothing.
  if (lpOther == nullptr) return 0;
  const cChara& o = *lpOther;
  const double d = c->m_nConst * 16.0;
  UpdateScreenRect();
  const bool bRight = m_nFacing == 1;
  bool bWithin = false;
  // Own range around the sprite centre: behind and ahead are how far it
  // reaches toward lower and higher coordinates.
  auto onX = [&](double dBehind, double dAhead, int bFlag) {
    return RangesOverlap(m_rcScreen.left, m_nSpriteW, o.m_rcScreen.left, o.m_rcScreen.right,
                         o.m_nBoxX, dBehind, dAhead, bFlag);
  };
  auto onY = [&](double dBehind, double dAhead, int bFlag) {
    return RangesOverlap(m_rcScreen.top, m_nSpriteH, o.m_rcScreen.top, o.m_rcScreen.bottom,
                         o.m_nBoxY, dBehind, dAhead, bFlag);
  };
  switch (c->m_cAxis) {
    case 0:
      bWithin = onX(d, d, 1);
      break;
    case 1:
      bWithin = bRight ? onX(0, d, 0) : onX(d, 0, 0);
      break;
    case 2:
      bWithin = bRight ? onX(d, 0, 0) : onX(0, d, 0);
      break;
    case 3:
      bWithin = onY(d, d, 1);
      break;
    case 4:
      bWithin = bRight ? onY(0, d, 0) : onY(d, 0, 0);
      break;
    case 5:
      bWithin = bRight ? onY(d, 0, 0) : onY(0, d, 0);
      break;
    case 6: {
      const double dx = (m_dX + m_nBoxW / 2) - (o.m_dX + o.m_nBoxW / 2);
      const double dy = (m_dY + m_nBoxH / 2) - (o.m_dY + o.m_nBoxH / 2);
      bWithin = d >= std::sqrt(dx * dx + dy * dy);
      break;
    }
    default:
      return 0;
  }
  if (c->m_cOp == 0) return bWithin;
  if (c->m_cOp == 1) return !bWithin;
  return 0;
}
