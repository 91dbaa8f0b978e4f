#include "objects/game_object.h"

#include <algorithm>
#include <cmath>

#include "objects/world.h"
#include "play/map_cells.h"
#include "play/play_scene.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"

bool IsDRectOverlap(const DRECT& a, const DRECT& b) {
  return !(a.x1 > b.x2) && a.x2 >= b.x1 && !(a.y1 > b.y2) && a.y2 >= b.y1;
}

// ---- Set-up ------------------------------------------------------------------

void cGameObject::Setup(int nId, int nKind, int nPlayerNo, int nFaction, int nGraphic,
                        const ANIMESTEPDEF* const* lpPatterns, int nFirstPattern, int nBoxX,
                        int nBoxY, int nBoxW, int nBoxH, int nSpriteW, int nSpriteH, int nFacing,
                        int nMoveMode, int nCopyIndex) {
  m_nId = nId;
  m_nKind = nKind;
  m_nPlayerNo = nPlayerNo;
  m_nFaction = nFaction;
  m_nGraphic = nGraphic;
  m_nBoxX = m_nBaseBoxX = nBoxX;
  m_nBoxY = m_nBaseBoxY = nBoxY;
  m_nBoxW = m_nBaseBoxW = nBoxW;
  m_nBoxH = m_nBaseBoxH = nBoxH;
  m_nSpriteW = m_nBaseSpriteW = nSpriteW;
  m_nSpriteH = m_nBaseSpriteH = nSpriteH;
  m_nFacing = nFacing;
  m_sCopyIndex = static_cast<int16_t>(nCopyIndex);
  m_nLifetime = NO_LIFETIME;
  m_dVX = m_dVY = m_dWalkVX = m_dWalkVY = 0.0;
  m_bAppeared = 0;
  m_bOnScreen = 0;
  m_cCondLatch = 0;
  if (lpPatterns != nullptr) {
    m_Anime.SetPatterns(lpPatterns);
    m_Anime.SetPattern(nFirstPattern, 1);
  }
  SetMoveMode(nMoveMode);
}

void cGameObject::SetMoveMode(int nMode) {
  switch (nMode) {
    case MOVEMODE_WALK:
      m_bFly = 0;
      m_cBlockMode = BLOCKMODE_COLLIDE;
      break;
    case MOVEMODE_FLY:
      m_bFly = 1;
      m_cBlockMode = BLOCKMODE_PASS;
      break;
    case MOVEMODE_FLYSOLID:
      m_bFly = 1;
      m_cBlockMode = BLOCKMODE_COLLIDE;
      break;
    case MOVEMODE_FLYFATAL:
      m_bFly = 1;
      m_cBlockMode = BLOCKMODE_FATAL;
      break;
    default:
      break;
  }
}

void cGameObject::SetScale(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_nBoxW = nNew * m_nBaseBoxW;
  m_nBoxH = nNew * m_nBaseBoxH;
  m_nBoxX = nNew * m_nBaseBoxX;
  m_nBoxY = nNew * m_nBaseBoxY;
  m_nSpriteW = nNew * m_nBaseSpriteW;
  m_nSpriteH = nNew * m_nBaseSpriteH;
  Reanchor(nNew, nOld);
  ScaleBoxes(nNew);
}

void cGameObject::Reanchor(int nNew, int nOld) {
  if (nNew == nOld) return;
  ReanchorX(nNew, nOld);
  ReanchorY(nNew, nOld);
}

void cGameObject::ReanchorX(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_dX -= (nNew - nOld) * (m_nBaseBoxW >> 1);
  ClampX(2);
}

void cGameObject::ShiftBy(double dx, double dy) {
  m_dX += dx;
  m_dRight += dx;
  m_dY += dy;
  m_dBottom += dy;
}

void cGameObject::CopyGeometry(const cGameObject& other) {
  m_rcScreen = other.m_rcScreen;
  m_nBoxX = other.m_nBoxX;
  m_nBoxY = other.m_nBoxY;
  m_nSpriteW = other.m_nSpriteW;
  m_nSpriteH = other.m_nSpriteH;
  m_nBaseBoxX = other.m_nBaseBoxX;
  m_nBaseBoxY = other.m_nBaseBoxY;
  m_nBaseSpriteW = other.m_nBaseSpriteW;
  m_nBaseSpriteH = other.m_nBaseSpriteH;
}

// ---- Motion --------------------------------------------------------------------

int cGameObject::MoveX(int nType) {
  const double dCap = g_Stage.m_dSpeedCapPerStep;
  m_dVX = std::clamp(m_dVX, -dCap, dCap);
  m_dX += m_dVX;
  return ClampX(nType);
}

int cGameObject::MoveY(int nType) {
  const double dCap = g_Stage.m_dSpeedCapPerStep;
  m_dVY = std::clamp(m_dVY, -dCap, dCap);
  m_dY += m_dVY;
  return ClampY(nType);
}

void cGameObject::ApplyGravity() {
  if (!m_bFly) m_dVY += g_Stage.m_dAccelPerStep;
}

void cGameObject::Decelerate(double& dVelocity, int bFlag) const {
  if (!bFlag) return;
  if (dVelocity > 0.0) {
    dVelocity -= m_dStop;
    if (dVelocity < 0.0) dVelocity = 0.0;
  } else if (dVelocity < 0.0) {
    dVelocity += m_dStop;
    if (dVelocity > 0.0) dVelocity = 0.0;
  }
}

void cGameObject::UpdateCellsX() {
  m_nLeftCol = TruncInt(m_dX) >> kCellShift;
  m_nRightCol = TruncInt(m_dRight) >> kCellShift;
}

void cGameObject::UpdateCellsY() {
  m_nTopRow = TruncInt(m_dY) >> kCellShift;
  m_nBottomRow = TruncInt(m_dBottom) >> kCellShift;
}

namespace {

// The clamp of one axis. Returns the classification of ClampX; ClampY maps
// it to its sides.
enum ClampSide { kInside, kClampedLow, kClampedHigh, kStageLow, kStageHigh, kViewLow, kViewHigh };

ClampSide ClampAxis(double& dPos, int nSize, int nType, const cScrollAxis& axis) {
  const double dLast = nSize - 1;
  switch (nType) {
    case 0:
      if (axis.m_nScrollMin > dPos)
        dPos = axis.m_nScrollMin;
      else if (dPos + dLast >= axis.m_nScrollMax)
        dPos = axis.m_nScrollMax - nSize;
      return kInside;
    case 1:
      if (axis.m_nStageMin > dPos) {
        dPos = axis.m_nStageMin;
        return kInside;
      }
      if (dPos + dLast >= axis.m_nStageMax) {
        dPos = axis.m_nStageMax - nSize;
        return kInside;
      }
      if (axis.m_nScrollMin > dPos) return kViewLow;
      if (dPos + dLast >= axis.m_nScrollMax) return kViewHigh;
      return kInside;
    case 2:
      if (dPos < 0.0) {
        dPos = 0.0;
        return kClampedLow;
      }
      if (dPos + dLast >= axis.m_nOuter) {
        dPos = axis.m_nOuter - nSize;
        return kClampedHigh;
      }
      if (axis.m_nStageMin > dPos) return kStageLow;
      if (dPos + dLast >= axis.m_nStageMax) return kStageHigh;
      if (axis.m_nScrollMin > dPos) return kViewLow;
      if (dPos + dLast >= axis.m_nScrollMax) return kViewHigh;
      return kInside;
    default:
      return kInside;
  }
}

}  // namespace

int cGameObject::ClampX(int nType) {
  const ClampSide side = ClampAxis(m_dX, m_nBoxW, nType, PlayScene().m_ScrollX);
  m_dRight = m_dX + m_nBoxW - 1;
  UpdateBoxX();
  UpdateCellsX();
  switch (side) {
    case kClampedLow:
    case kClampedHigh:
      return 3;
    case kStageLow:
    case kStageHigh:
      return 2;
    case kViewLow:
    case kViewHigh:
      return 1;
    default:
      return 0;
  }
}

int cGameObject::ClampY(int nType) {
  const ClampSide side = ClampAxis(m_dY, m_nBoxH, nType, PlayScene().m_ScrollY);
  m_dBottom = m_dY + m_nBoxH - 1;
  UpdateBoxY();
  UpdateCellsY();
  switch (side) {
    case kClampedLow:
      return 3;
    case kClampedHigh:
      return 6;
    case kStageLow:
      return 2;
    case kStageHigh:
      return 5;
    case kViewLow:
      return 1;
    case kViewHigh:
      return 4;
    default:
      return 0;
  }
}

// ---- Tests ---------------------------------------------------------------------

void cGameObject::UpdateScreenRect() {
  const cPlayScene& scene = PlayScene();
  m_rcScreen.left = TruncInt(m_dX - m_nBoxX - TruncInt(scene.m_ScrollX.m_dPos));
  m_rcScreen.right = m_rcScreen.left + m_nSpriteW - 1;
  m_rcScreen.top = TruncInt(m_dY - m_nBoxY - TruncInt(scene.m_ScrollY.m_dPos));
  m_rcScreen.bottom = m_rcScreen.top + m_nSpriteH - 1;
}

bool cGameObject::IsOnScreen() const { return IsOnScreenAxes(0, 0); }

bool cGameObject::IsOnScreenAxes(int bSkipX, int bSkipY) const {
  const cPlayScene& scene = PlayScene();
  const double sx = scene.m_ScrollX.m_dPos;
  const double sy = scene.m_ScrollY.m_dPos;
  if (!bSkipX && !(m_dRight >= sx && sx + kViewWidth > m_dX)) return false;
  if (!bSkipY && !(m_dBottom >= sy && sy + kViewHeight > m_dY)) return false;
  return true;
}

bool cGameObject::IsInsideStage(int bOuter) const {
  const cPlayScene& scene = PlayScene();
  const cScrollAxis& ax = scene.m_ScrollX;
  const cScrollAxis& ay = scene.m_ScrollY;
  if (bOuter == 1)
    return m_dX >= 0.0 && m_dRight < ax.m_nOuter && m_dY >= 0.0 && m_dBottom < ay.m_nOuter;
  return m_dX >= ax.m_nStageMin && m_dRight < ax.m_nStageMax && m_dY >= ay.m_nStageMin &&
         m_dBottom < ay.m_nStageMax;
}

bool cGameObject::IsInsideRect(double x1, double y1, double x2, double y2) const {
  return !(m_dX > x2) && m_dRight >= x1 && !(m_dY > y2) && m_dBottom >= y1;
}

bool cGameObject::TouchesBlock() const {
  const int nShift = PlayScene().m_ScrollX.m_nPitchShift;
  const int aCol[4] = {m_nLeftCol, m_nLeftCol, m_nRightCol, m_nRightCol};
  const int aRow[4] = {m_nTopRow, m_nBottomRow, m_nTopRow, m_nBottomRow};
  for (int i = 0; i < 4; ++i) {
    cMapCell& cell = g_MapCells.At(MapCellIndex(aCol[i], aRow[i], nShift));
    if (GetBlockHitKind(cell, m_nFaction) != 0) return true;
  }
  return false;
}

bool cGameObject::TouchesBlockEx(const DRECT& rect) const {
  (void)rect;
  return TouchesBlock();
}

bool cGameObject::IsOutsideArea(const cEdEraseArea& area) const {
  if (IsOnScreen()) return false;
  const cPlayScene& scene = PlayScene();
  const double sx = scene.m_ScrollX.m_dPos;
  const double sy = scene.m_ScrollY.m_dPos;
  if (area.m_bLeft && TruncInt(sx - area.m_nLeft * 32.0) >= m_dRight) return true;
  if (area.m_bRight && TruncInt(sx + area.m_nRight * 32.0 + kViewWidth) <= m_dX) return true;
  if (area.m_bBottom && TruncInt(sy + area.m_nBottom * 32.0 + kViewHeight) <= m_dY) return true;
  if (area.m_bTop && TruncInt(sy - area.m_nTop * 32.0) >= m_dBottom) return true;
  return m_dX <= 0.0 || m_dRight >= scene.m_ScrollX.m_nOuter - 1 || m_dY <= 0.0 ||
         m_dBottom >= scene.m_ScrollY.m_nOuter - 1;
}

// ---- Knock-back, time and circles ----------------------------------------------

void cGameObject::ImpactToVelocity(double& dVX, double& dVY, int nImpact, double dDirX,
                                   double dDirY) const {
  if (nImpact == 0) return;
  const double s = std::fabs(dDirX) + std::fabs(dDirY);
  if (s == 0.0) {
    dVX = dVY = 0.0;
    return;
  }
  const double dN = g_Stage.m_dSubStep;
  auto share = [&](double dDir) {
    const double d = nImpact * dDir / s;
    if (d == 0.0) return 0.0;
    const double v = (std::sqrt(1.0 + 128.0 * dN * std::fabs(d)) - 1.0) / (2.0 * dN);
    return d < 0.0 ? -v : v;
  };
  dVX = share(dDirX);
  dVY = share(dDirY);
}

double SubstepsToSeconds(int n) { return n / g_Stage.m_dSubStep / 60.0; }

bool RangesOverlap(double dPos, int nSize, double dLow, double dHigh, double dInset, double dBehind,
                   double dAhead, int bFlag) {
  const int nHalf = nSize >> 1;
  const double dCentre = dPos + nHalf;
  double lo = (dBehind > 0 ? dCentre - nHalf : dCentre) - dBehind;
  double hi = (dAhead > 0 ? dCentre + nHalf : dCentre) + dAhead;
  if (bFlag && dBehind == 0 && dAhead == 0) {
    lo = dCentre - nHalf;
    hi = dCentre + nHalf;
  }
  return lo <= dHigh - dInset && dLow + dInset <= hi;
}

namespace {

constexpr double kDegToRad = 0.017453292519943295;

void AdvanceAngle(double& dAngle, double dStep) {
  dAngle += dStep;
  const double dFull = 360.0 * g_Stage.m_dSubStep;
  if (dAngle >= dFull) dAngle -= dFull;
}

}  // namespace

double CircleVelocityX(double dRadius, double dAngular, double& dAngle, double dStep,
                       double dPhase) {
  const double dN = g_Stage.m_dSubStep;
  const double k = dAngular * kDegToRad;
  const double v = dRadius * k * std::cos(k * (dAngle / dN + dPhase)) / dN;
  AdvanceAngle(dAngle, dStep);
  return v;
}

double CircleVelocityY(double dRadius, double dAngular, double& dAngle, double dStep,
                       double dPhase) {
  const double dN = g_Stage.m_dSubStep;
  const double k = dAngular * kDegToRad;
  const double v = -dRadius * (k * k) * std::sin(k * (dAngle / dN + dPhase)) / g_Stage.m_dSubStepSq;
  AdvanceAngle(dAngle, dStep);
  return v;
}
