// The steps of charging toward (or fleeing from) a point on screen, with the
// compensation for an autoscrolling view, and the character functions of the
// movement commands built on them.

#include <cmath>

#include "objects/chara.h"
#include "objects/world.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"

namespace {

// The autoscroll speed of an axis, 0 when it does not scroll or is clamped.
double Compensation(const cScrollAxis& axis) {
  return (axis.m_dAutoSpeed != 0.0 && !axis.m_bClamped) ? axis.m_dAutoSpeed : 0.0;
}

int FaceRequest(double dVX) { return dVX < 0.0 ? 1 : (dVX > 0.0 ? 2 : 0); }

// Solves for a velocity whose motion relative to the scrolling view heads
// straight for the target at the same speed. kEnd: a divisor was 0 and the
// step ends as it stands; kKeep: the view scrolls faster than the mover can
// travel (no real solution) and the plain velocity stays.
enum Solve { kSolved, kEnd, kKeep };

Solve SolveScrolled(double& vx, double& vy, double sx, double sy, double tx, double ty, double dx,
                    double dy, double Q, double O) {
  const double V = std::sqrt(vx * vx + vy * vy);
  const double R = dx * dx * O * O + dy * dy * Q * Q - 2.0 * dx * dy * O * Q;
  if (std::fabs(dy) >= std::fabs(dx)) {
    const double D = dy * dy;
    if (D == 0.0) return kEnd;
    const double W = dx * dx / D + 1.0;
    if (W == 0.0) return kEnd;
    const double X = (2.0 * O * dx * dx - 2.0 * dx * dy * Q) / D;
    const double dDisc = X * X - 4.0 * W * (R / D - V * V);
    if (dDisc < 0.0) return kKeep;
    double dVY = (X + std::sqrt(dDisc)) / (2.0 * W);
    if (dy < 0.0) dVY = -dVY;
    vy = dVY;
    if (O - vy == 0.0) return kEnd;
    const double t = (sy - ty) / (O - vy);
    if (t == 0.0) return kEnd;
    vx = (dx + t * Q) / t;
    return kSolved;
  }
  const double F = dx * dx;
  const double W = dy * dy / F + 1.0;
  if (W == 0.0) return kEnd;
  const double X = (2.0 * Q * dy * dy - 2.0 * dx * dy * O) / F;
  const double dDisc = X * X - 4.0 * W * (R / F - V * V);
  if (dDisc < 0.0) return kKeep;
  double dVX = (X + std::sqrt(dDisc)) / (2.0 * W);
  if (dx < 0.0) dVX = -dVX;
  vx = dVX;
  if (Q - vx == 0.0) return kEnd;
  const double t = (sx - tx) / (Q - vx);
  if (t == 0.0) return kEnd;
  vy = (dy + t * O) / t;
  return kSolved;
}

}  // namespace

int ChargeStep(double& dVX, double& dVY, int& nFaceRequest, const cGameObject* lpRef, double sx,
               double sy, double tx, double ty, double dSpeed, int bScreenFollow, int bNoFlee,
               int bStopOnArrival) {
  const cPlayScene& scene = PlayScene();
  const double cx = Compensation(scene.m_ScrollX);
  const double cy = Compensation(scene.m_ScrollY);
  const bool bCarry = g_System.ScrollCarry() != 0;
  dVX = dVY = 0.0;

  if (dSpeed < 0.0 && !bNoFlee) {
    // Flee: a diagonal away from the target.
    const double k = -dSpeed * kSqrtHalf;
    dVX = sx < tx ? -k : k;
    dVY = sy < ty ? -k : k;
    nFaceRequest = FaceRequest(dVX);
    if (bCarry) {
      dVX += cx;
      dVY += cy;
    } else if (lpRef != nullptr && (bScreenFollow != 0) != (lpRef->m_bScrollSync != 0)) {
      dVX -= cx;
      dVY -= cy;
    }
    return 0;
  }

  const double dx = tx - sx;
  const double dy = ty - sy;
  double d = std::sqrt(dx * dx + dy * dy);
  if (d == 0.0) d = 1.0;
  dVX = dSpeed * dx / d;
  dVY = dSpeed * dy / d;

  if (bCarry) {
    dVX += cx;
    dVY += cy;
  } else if (lpRef != nullptr) {
    if (!lpRef->m_bScrollSync) {
      dVX -= cx;
      dVY -= cy;
    } else if (!bScreenFollow && (cx != 0.0 || cy != 0.0)) {
      double vx = dVX;
      double vy = dVY;
      const Solve solve = SolveScrolled(vx, vy, sx, sy, tx, ty, dx, dy, cx, cy);
      if (solve != kKeep) {
        dVX = vx;
        dVY = vy;
      }
      if (solve == kEnd) return 0;
    }
  }

  nFaceRequest = FaceRequest(dVX);
  const double dReach = std::fabs(dSpeed);
  return (bStopOnArrival && std::fabs(dx) < dReach && std::fabs(dy) < dReach) ? 1 : 0;
}

int ChargeStepX(double& dVX, double& dVY, int& nFaceRequest, const cGameObject* lpRef, double x,
                double tx, double dSpeed, int bScreenFollow, int bStopOnArrival) {
  if (x < tx) {
    nFaceRequest = 2;
    dVX = dSpeed;
  } else {
    nFaceRequest = 1;
    dVX = -dSpeed;
  }
  if (!bScreenFollow && lpRef != nullptr && lpRef->m_bScrollSync && g_System.ScrollCarry())
    dVX += Compensation(PlayScene().m_ScrollX);
  dVY = 0.0;
  return (bStopOnArrival && std::fabs(dSpeed) > std::fabs(x - tx)) ? 1 : 0;
}

int ChargeStepY(double& dVX, double& dVY, int& nFaceRequest, const cGameObject* lpRef, double y,
                double ty, double dSpeed, int bScreenFollow, int bStopOnArrival) {
  dVY = y < ty ? dSpeed : -dSpeed;
  if (!bScreenFollow && lpRef != nullptr && lpRef->m_bScrollSync && g_System.ScrollCarry())
    dVY += Compensation(PlayScene().m_ScrollY);
  dVX = 0.0;
  nFaceRequest = 0;
  return (bStopOnArrival && std::fabs(dSpeed) > std::fabs(y - ty)) ? 1 : 0;
}

// ---- Character functions of the movement commands --------------------------------

namespace {

double CentreX(const cGameObject& obj) { return obj.m_rcScreen.left + (obj.m_nSpriteW >> 1); }
double CentreY(const cGameObject& obj) { return obj.m_rcScreen.top + (obj.m_nSpriteH >> 1); }

}  // namespace

void cChara::MoveTargetPoint(double& dX, double& dY, const COMMANDSTATE& state,
                             const cEdMove& move) {
  const double cx = CentreX(*this);
  const double cy = CentreY(*this);
  if (move.m_bNoMoveY) {
    dX = cx + state.m_nOffsetX;
  } else if (move.m_bNoMoveX) {
    dY = cy + state.m_nOffsetY;
  } else {
    dX = cx + state.m_nOffsetX;
    dY = cy + state.m_nOffsetY;
  }
}

int cChara::ChargeTo(COMMANDSTATE& state, const cGameObject* lpRef, double tx, double ty,
                     int bScreenFollow, int bStopOnArrival) {
  const int bArrived =
      ChargeStep(state.m_dVX, state.m_dVY, state.m_nFaceRequest, lpRef, CentreX(*this),
                 CentreY(*this), tx, ty, state.m_dSpeed, bScreenFollow, 0, bStopOnArrival);
  if (bArrived && bStopOnArrival) SetCenterStop(TruncInt(tx), TruncInt(ty), &state);
  return bArrived;
}

int cChara::ChargeX(COMMANDSTATE& state, const cGameObject* lpRef, double tx, int bScreenFollow,
                    int bStopOnArrival) {
  const int bArrived =
      ChargeStepX(state.m_dVX, state.m_dVY, state.m_nFaceRequest, lpRef, CentreX(*this), tx,
                  state.m_dSpeed, bScreenFollow, bStopOnArrival);
  if (bArrived && bStopOnArrival) SetCenterXStop(TruncInt(tx), &state);
  return bArrived;
}

int cChara::ChargeY(COMMANDSTATE& state, const cGameObject* lpRef, double ty, int bScreenFollow,
                    int bStopOnArrival) {
  const int bArrived =
      ChargeStepY(state.m_dVX, state.m_dVY, state.m_nFaceRequest, lpRef, CentreY(*this), ty,
                  state.m_dSpeed, bScreenFollow, bStopOnArrival);
  if (bArrived && bStopOnArrival) SetCenterYStop(TruncInt(ty), &state);
  return bArrived;
}
