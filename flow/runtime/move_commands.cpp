#include "flow/runtime/move_commands.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/core/game_requests.h"
#include "flow/command_table.h"
#include "flow/flow.h"
#include "flow/runtime/flow_commands.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_runner.h"
#include "flow/runtime/flow_units.h"
#include "objects/chara.h"
#include "objects/world.h"
#include "play/map_cells.h"
#include "play/play_scene.h"
#include "records/system.h"

namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRootHalf = 0.7071067811865476;  // 1 / sqrt(2)

bool IsFacingFixed(const cChara& chara) { return chara.m_Def.m_bFixDir != 0; }
bool IsMirrored(int nFacing) { return nFacing == 1; }

// The face request of a move along x, when the facing may follow it.
int FaceRequest(const cChara& chara, int nFace) {
  return IsFacingFixed(chara) ? FACEREQ_NONE : nFace;
}

// The centre of the character's hit box in stage pixels.
double CentreX(const cGameObject& obj) { return obj.m_dX + obj.m_nBoxW / 2; }
double CentreY(const cGameObject& obj) { return obj.m_dY + obj.m_nBoxH / 2; }
// The centre of its sprite on screen.
double SpriteCentreX(const cGameObject& obj) { return obj.m_rcScreen.left + obj.m_nSpriteW / 2; }

// The command's sound, unless it is to be heard only while the character is
// on screen and it is not.
void PlayCommandSound(const cChara& chara, const cFlowCommand& cmd) {
  if (IsCommandHeard(chara, cmd)) PlayDatabaseSE(cmd.m_sSound);
}

void ClearPins(cChara& chara) {
  chara.m_bPinX = 0;
  chara.m_bPinY = 0;
}

// Angle plus per-level angle, mirrored when asked, below 360.
void PrepareAngle(COMMANDSTATE& state, const cEdMove& move, int nLevel, int nFacing) {
  int64_t nAngle = int64_t{move.m_nAngle} + int64_t{move.m_nAngleStep} * nLevel;
  if (IsMirrored(nFacing) && move.m_bMirrorAngle) nAngle = 360 - nAngle;
  if (nAngle >= 360) nAngle %= 360;
  state.m_nAngle = static_cast<int32_t>(nAngle);
}

// Target offset in pixels, mirrored when asked.
void PrepareOffsets(COMMANDSTATE& state, const cEdMove& move, int nFacing) {
  state.m_nOffsetX = move.m_nDotX + 32 * move.m_nCellX;
  state.m_nOffsetY = move.m_nDotY + 32 * move.m_nCellY;
  if (IsMirrored(nFacing)) {
    if (move.m_bMirrorX) state.m_nOffsetX = -state.m_nOffsetX;
    if (move.m_bMirrorY) state.m_nOffsetY = -state.m_nOffsetY;
  }
}

cScrollAxis* Axis(int nAxis) {
  if (!g_lpPlayScene) return nullptr;
  return nAxis == 0 ? &g_lpPlayScene->m_ScrollX : &g_lpPlayScene->m_ScrollY;
}

// Charge toward a point on screen along the axes the move may use.
void ChargeByAxes(cChara& chara, COMMANDSTATE& state, const cEdMove& move, double tx, double ty) {
  const int bSync = chara.m_bScrollSync;
  const int bStop = move.m_bExactStop;
  if (!move.m_bNoMoveX && !move.m_bNoMoveY)
    chara.ChargeTo(state, &chara, tx, ty, bSync, bStop);
  else if (move.m_bNoMoveX) {
    if (!move.m_bNoMoveY) chara.ChargeY(state, &chara, ty, bSync, bStop);
  } else {
    chara.ChargeX(state, &chara, tx, bSync, bStop);
  }
}

// A charge along x toward the target's sprite centre plus the offset.
void ChargeAlongX(cChara& chara, COMMANDSTATE& state, const cEdMove& move, const cChara& target) {
  ChargeStepX(state.m_dVX, state.m_dVY, state.m_nFaceRequest, &chara, SpriteCentreX(chara),
              SpriteCentreX(target) + state.m_nOffsetX, state.m_dSpeed, chara.m_bScrollSync,
              move.m_bExactStop);
}

// The living target of the character, or null.
cChara* LivingTarget(const cChara& chara) {
  cChara* lpTarget = chara.GetTarget();
  return (lpTarget && !lpTarget->m_bDead) ? lpTarget : nullptr;
}

MOVEVELOCITY StateVelocity(const COMMANDSTATE& state) {
  return {state.m_dVX, state.m_dVY, state.m_nFaceRequest};
}

void StoreVelocity(COMMANDSTATE& state, const MOVEVELOCITY& v) {
  state.m_dVX = v.vx;
  state.m_dVY = v.vy;
  state.m_nFaceRequest = v.nFace;
}

// Ground turn: whether the cell under one foot edge is solid for the
// character.
bool SolidUnderFoot(const cChara& chara, double x) {
  if (!g_lpPlayScene) return false;
  const cScrollAxis& ax = g_lpPlayScene->m_ScrollX;
  const cScrollAxis& ay = g_lpPlayScene->m_ScrollY;
  const int nRow = std::min(TruncInt(chara.m_dBottom + 1.1) >> kCellShift, ay.m_nCells - 1);
  const int nCol = TruncInt(x) >> kCellShift;
  return GetBlockHitKind(g_MapCells.At(MapCellIndex(nCol, nRow, ax.m_nPitchShift)),
                         chara.m_nFaction) != 0;
}

MOVEVELOCITY TurnAroundVelocity(const cChara& chara, const COMMANDSTATE& state) {
  MOVEVELOCITY v;
  v.vx = chara.FacingSign() * state.m_dSpeed;
  const bool bLeft = SolidUnderFoot(chara, chara.m_dX);
  const bool bRight = SolidUnderFoot(chara, chara.m_dRight);
  if (bLeft && !bRight) v.nFace = FACEREQ_LEFT;
  if (bRight && !bLeft) v.nFace = FACEREQ_RIGHT;
  return v;
}

// One axis of StayOnScreenVelocity: a velocity that brings the character
// back into the view from the side it may not leave by.
double StayOnAxis(const cScrollAxis* lpAxis, double dLow, double dHigh, bool bToLow, bool bToHigh,
                  double dSpeed, int nFar) {
  if (!lpAxis) return 0.0;
  const double dPos = lpAxis->m_dPos;
  const double dScreenLow = TruncInt(dLow - dPos);
  const double dScreenHigh = TruncInt(dHigh - dPos);
  const double c = (lpAxis->m_bAutoScroll && !lpAxis->m_bClamped) ? lpAxis->m_dAutoSpeed : 0.0;
  if (c == 0.0) {
    if (bToLow && dScreenLow > nFar) return -dSpeed;
    if (bToHigh && dScreenHigh < 32) return dSpeed;
    return 0.0;
  }
  const double e = std::fabs(c + 1.0);
  const double dEnd = lpAxis->m_nScrollMax - lpAxis->m_nView;
  if (bToLow) {
    if (dScreenLow > nFar - e && dPos > 0 && dPos + c >= lpAxis->m_nScrollMin && dPos + c <= dEnd)
      return c - dSpeed;
  } else if (bToHigh) {
    if (dScreenHigh < e + 32 && dPos + c > 0 && dPos < dEnd) return c + dSpeed;
  }
  return 0.0;
}

}  // namespace

const cEdMove& MoveSettings(const COMMANDSTATE& state) {
  static const cEdMove kNone;
  return state.m_lpMove ? *state.m_lpMove : kNone;
}

// ---- Directions and velocities ----------------------------------------------

int ResolveDirection(const cChara& chara, int nCode) {
  const bool bRight = chara.m_nFacing == 1;
  switch (nCode) {
    case DIRCODE_FORWARD:
      return bRight ? DIRCODE_RIGHT : DIRCODE_LEFT;
    case DIRCODE_BACK:
      return bRight ? DIRCODE_LEFT : DIRCODE_RIGHT;
    case DIRCODE_FORWARD_Y:
      return bRight ? DIRCODE_DOWN : DIRCODE_UP;
    case DIRCODE_BACK_Y:
      return bRight ? DIRCODE_UP : DIRCODE_DOWN;
    case DIRCODE_INPUT: {
      const cFlowRunner* lpRunner = FlowContext().m_lpCurRunner;
      int nDir = InputToDirection(lpRunner ? lpRunner->m_nChannel : 0, bRight);
      if (!chara.m_bFly) {
        if (nDir == DIRCODE_UP_LEFT || nDir == DIRCODE_DOWN_LEFT) nDir = DIRCODE_LEFT;
        if (nDir == DIRCODE_UP_RIGHT || nDir == DIRCODE_DOWN_RIGHT) nDir = DIRCODE_RIGHT;
      }
      return nDir;
    }
    default:
      return nCode;
  }
}

MOVEVELOCITY DirectionVelocity(const cChara& chara, double s, int nCode) {
  MOVEVELOCITY v;
  const bool bFly = chara.m_bFly != 0;
  const double d = s * kRootHalf;
  switch (nCode) {
    case DIRCODE_LEFT:
      v.vx = -s;
      v.nFace = FACEREQ_LEFT;
      break;
    case DIRCODE_RIGHT:
      v.vx = s;
      v.nFace = FACEREQ_RIGHT;
      break;
    case DIRCODE_UP:
      if (bFly) v.vy = -s;
      break;
    case DIRCODE_DOWN:
      if (bFly) v.vy = s;
      break;
    case DIRCODE_UP_LEFT:
    case DIRCODE_DOWN_LEFT:
      v.vx = -d;
      if (bFly) v.vy = nCode == DIRCODE_UP_LEFT ? -d : d;
      v.nFace = FACEREQ_LEFT;
      break;
    case DIRCODE_UP_RIGHT:
    case DIRCODE_DOWN_RIGHT:
      v.vx = d;
      if (bFly) v.vy = nCode == DIRCODE_UP_RIGHT ? -d : d;
      v.nFace = FACEREQ_RIGHT;
      break;
    default:
      break;
  }
  v.nFace = FaceRequest(chara, v.nFace);
  return v;
}

MOVEVELOCITY AngleVelocity(const cChara& chara, double s, int nCode, int nAngle) {
  int nBase = 0;
  int nFace = FACEREQ_NONE;
  switch (nCode) {
    case DIRCODE_LEFT:
      nBase = 0, nFace = FACEREQ_LEFT;
      break;
    case DIRCODE_RIGHT:
      nBase = 180, nFace = FACEREQ_RIGHT;
      break;
    case DIRCODE_UP:
      nBase = 90;
      break;
    case DIRCODE_DOWN:
      nBase = 270;
      break;
    case DIRCODE_UP_LEFT:
      nBase = 45, nFace = FACEREQ_LEFT;
      break;
    case DIRCODE_DOWN_LEFT:
      nBase = 315, nFace = FACEREQ_LEFT;
      break;
    case DIRCODE_UP_RIGHT:
      nBase = 135, nFace = FACEREQ_RIGHT;
      break;
    case DIRCODE_DOWN_RIGHT:
      nBase = 225, nFace = FACEREQ_RIGHT;
      break;
    default:
      return {};
  }
  MOVEVELOCITY v;
  const double a = (nBase + nAngle) * kDegToRad;
  v.vx = -std::cos(a) * s;
  if (chara.m_bFly) v.vy = -std::sin(a) * s;
  v.nFace = FaceRequest(chara, nFace);
  return v;
}

MOVEVELOCITY TargetVelocity(const cChara& chara, double s, COMMANDSTATE& state) {
  const cEdMove& move = MoveSettings(state);
  const double cx = CentreX(chara);
  const double cy = CentreY(chara);
  // The target along one axis, relative to the character's centre.
  auto Delta = [&](int nAxis, double dOffset, double dCentre, double dHome) -> double {
    switch (move.m_nCoordKind) {
      case 0:
        return dHome + dOffset - dCentre;
      case 1:
        return dOffset;
      case 2: {
        const cScrollAxis* lpAxis = Axis(nAxis);
        const int nMargin = lpAxis ? lpAxis->m_nMargin : 0;
        return 32.0 * nMargin + 16 + dOffset - dCentre;
      }
      case 3: {
        const cScrollAxis* lpAxis = Axis(nAxis);
        return (lpAxis ? lpAxis->m_dPos : 0.0) + 16 + dOffset - dCentre;
      }
      default:
        return 0.0;
    }
  };
  const double dx = move.m_bUseX ? Delta(0, state.m_nOffsetX, cx, chara.m_dHomeX) : 0.0;
  const double dy = move.m_bUseY ? Delta(1, state.m_nOffsetY, cy, chara.m_dHomeY) : 0.0;
  const double d = std::sqrt(dx * dx + dy * dy);
  MOVEVELOCITY v;
  if (d == 0.0) return v;
  if (!move.m_bNoMoveX) v.vx = dx / d * s;
  if (!move.m_bNoMoveY) v.vy = dy / d * s;
  if (!IsFacingFixed(chara)) {
    if (v.vx < -1e-8)
      v.nFace = FACEREQ_LEFT;
    else if (v.vx > 1e-8)
      v.nFace = FACEREQ_RIGHT;
  }
  if (move.m_bStopAtTarget && s != 0.0) {
    state.m_nCountdown = TruncInt(std::fabs(d) / std::fabs(s));
    if (state.m_nCountdown < 1 && move.m_bExactStop) {
      if (move.m_bUseX && !move.m_bNoMoveX) {
        v.vx = 0.0;
        v.nFace = FACEREQ_NONE;
      }
      if (move.m_bUseY && !move.m_bNoMoveY) v.vy = 0.0;
    }
  }
  return v;
}

void ApplyMoveVelocity(cChara& chara, const MOVEVELOCITY& v, COMMANDSTATE& state, int bForce) {
  const cEdMove& move = MoveSettings(state);
  if ((!IsFacingFixed(chara) || bForce) && !move.m_bKeepDir) {
    if (v.nFace == FACEREQ_LEFT) chara.m_nFacing = 0;
    if (v.nFace == FACEREQ_RIGHT) chara.m_nFacing = 1;
  }
  if (!move.m_bInertia) {
    chara.m_dVX += v.vx;
    chara.m_dVY += v.vy;
  } else {
    const int n = SubSteps();
    auto Accelerate = [&](double& dWalk, int32_t& bDecel, double dV) {
      const double dAccel = n != 0 ? dV / n / 60 : 0.0;
      if ((dWalk < 0 && dV > 0) || (dWalk > 0 && dV < 0)) {
        dWalk += dAccel * move.m_dBrake;
      } else {
        bDecel = 0;
        dWalk += dAccel;
      }
      dWalk = std::clamp(dWalk, -std::fabs(state.m_dMaxSpeed), std::fabs(state.m_dMaxSpeed));
    };
    Accelerate(chara.m_dWalkVX, chara.m_bDecelX, v.vx);
    Accelerate(chara.m_dWalkVY, chara.m_bDecelY, v.vy);
  }
  if (!move.m_bKeepAnime) {
    chara.m_bAnimeByCommand = 1;
    chara.m_Anime.ChangePattern(chara.m_bFly ? 3 : 1, 0);
  }
}

// ---- Timing ---------------------------------------------------------------

void COMMANDSTATE::ComputeMoveTiming(int nLevel) {
  const cEdMove& move = MoveSettings(*this);
  if (move.m_nTiming == 0) return;
  double dDistance =
      static_cast<double>(move.m_nDistance) + static_cast<double>(move.m_nDistanceStep) * nLevel;
  if (move.m_nDistanceUnit != 1) dDistance *= 16;
  if (move.m_nTiming == 1) {
    m_dSpeed = SafeDiv(dDistance, m_nDuration);
  } else if (move.m_nTiming == 2) {
    m_nDuration = TruncInt(SafeDiv(dDistance, m_dSpeed));
    if (m_nDuration < 0 && !g_System.SignedMoveDuration())
      m_nDuration = m_nDuration == std::numeric_limits<int32_t>::min()
                        ? std::numeric_limits<int32_t>::max()
                        : -m_nDuration;
  }
}

// ---- Set-ups ------------------------------------------------------------------

void PrepareLinearMove(COMMANDSTATE& state, cChara& chara, int nFacing) {
  const cEdMove& move = MoveSettings(state);
  PrepareAngle(state, move, chara.m_sCopyIndex, nFacing);
  if (move.m_nSpecMode == 1) PrepareOffsets(state, move, nFacing);
  state.ComputeMoveTiming(chara.m_sCopyIndex);
}

void PrepareMoveTiming(COMMANDSTATE& state, cChara& chara, int nFacing) {
  (void)nFacing;
  state.ComputeMoveTiming(chara.m_sCopyIndex);
}

void PrepareCircleMove(COMMANDSTATE& state, cChara& chara, int nFacing) {
  const cEdMove& move = MoveSettings(state);
  const int nLevel = chara.m_sCopyIndex;
  const int64_t n = SubSteps();
  int nSense = move.m_nDirection;
  int nTurn = 0;
  if (IsMirrored(nFacing)) {
    auto Swap = [](int s) { return s == 0 ? 1 : s == 1 ? 0 : s; };
    if (move.m_bMirrorX) {
      nTurn = 180;
      nSense = Swap(nSense);
    }
    if (move.m_bMirrorY) nSense = Swap(nSense);
  }
  state.m_cDirection = static_cast<int8_t>(nSense);
  const int64_t nRadius =
      std::clamp<int64_t>(int64_t{move.m_nRadius} + int64_t{move.m_nRadiusStep} * nLevel, 0, 20);
  state.m_nRadius = SaturateInt32(nRadius * 16 * n);
  state.m_nStartAngle =
      SaturateInt32((int64_t{move.m_nAngle} + nTurn + int64_t{move.m_nAngleStep} * nLevel) * n);
  state.m_nEndAngle = SaturateInt32(
      (int64_t{move.m_nDistance} + nTurn + int64_t{move.m_nDistanceStep} * nLevel) * n);
  const double dRange = move.m_nAngle < move.m_nDistance
                            ? static_cast<double>(state.m_nEndAngle) - state.m_nStartAngle
                            : static_cast<double>(state.m_nStartAngle) - state.m_nEndAngle;
  if (move.m_nTiming == 0)
    state.m_dSpeed = SafeDiv(SafeDiv(dRange, state.m_nDuration), static_cast<double>(n));
  else if (move.m_nTiming == 1)
    state.m_nDuration =
        TruncInt(std::fabs(SafeDiv(SafeDiv(dRange, state.m_dSpeed), static_cast<double>(n))));
}

void PrepareChargeMove(COMMANDSTATE& state, cChara& chara, int nFacing) {
  const cEdMove& move = MoveSettings(state);
  PrepareAngle(state, move, chara.m_sCopyIndex, nFacing);
  PrepareOffsets(state, move, nFacing);
  state.ComputeMoveTiming(chara.m_sCopyIndex);
}

void PrepareHomingMove(COMMANDSTATE& state, cChara& chara, int nFacing) {
  const cEdMove& move = MoveSettings(state);
  PrepareOffsets(state, move, nFacing);
  state.m_nRadius = SaturateInt32(
      (int64_t{move.m_nRadius} + int64_t{move.m_nRadiusStep} * chara.m_sCopyIndex) * SubSteps());
  state.ComputeMoveTiming(chara.m_sCopyIndex);
}

void PrepareJump(COMMANDSTATE& state, cChara& chara, int nFacing) {
  (void)nFacing;
  cFlowCommand& cmd = *state.m_lpCommand;
  const auto cHeight = static_cast<int8_t>(std::clamp(cmd.Param(2), -128, 127));
  state.m_dSpeed = chara.JumpVelocity(cHeight);
  cmd.m_sUseTime = static_cast<int16_t>(std::clamp(chara.JumpDuration(cHeight), -32768, 32767));
  state.m_nDuration = TenthsToSubSteps(cmd.m_sUseTime);
}

// ---- Handlers -------------------------------------------------------------------

void CmdLinearMove(cChara& chara, COMMANDSTATE& state) {
  ClearPins(chara);
  const cEdMove& move = MoveSettings(state);
  if (!state.m_bBegun) {
    state.m_bBegun = 1;
    MOVEVELOCITY v;
    if (move.m_nSpecMode == 0) {
      const int nCode = ResolveDirection(chara, state.m_cDirection);
      v = state.m_nAngle != 0 ? AngleVelocity(chara, state.m_dSpeed, nCode, state.m_nAngle)
                              : DirectionVelocity(chara, state.m_dSpeed, nCode);
    } else if (move.m_nSpecMode == 1) {
      v = TargetVelocity(chara, state.m_dSpeed, state);
    }
    StoreVelocity(state, v);
  } else if (move.m_bFollowTurn && IsFacingFixed(chara) && chara.m_nFacing != state.m_nLastFacing) {
    state.m_dVX = -state.m_dVX;
    state.m_dVY = -state.m_dVY;
  }
  if (!chara.m_bFly) state.m_dVY = 0.0;
  ApplyMoveVelocity(chara, StateVelocity(state), state, 0);
  state.m_nLastFacing = chara.m_nFacing;
}

void CmdGroundTurnMove(cChara& chara, COMMANDSTATE& state) {
  ClearPins(chara);
  if (chara.m_bFly) return;
  MOVEVELOCITY v;
  if (chara.m_dKnockX != 0.0 || chara.m_dKnockY != 0.0)
    v.vx = chara.FacingSign() * state.m_dSpeed;
  else
    v = TurnAroundVelocity(chara, state);
  StoreVelocity(state, v);
  ApplyMoveVelocity(chara, v, state, 1);
}

void CmdCircleMove(cChara& chara, COMMANDSTATE& state) {
  ClearPins(chara);
  if (state.m_nRadius == 0) return;
  const cEdMove& move = MoveSettings(state);
  if (!state.m_bBegun) {
    state.m_bBegun = 1;
    state.m_dPhaseX = state.m_nStartAngle;
    state.m_dPhaseY = state.m_nStartAngle;
  }
  int nSense = state.m_cDirection;
  if (nSense == 2) nSense = chara.m_nFacing == 1 ? 1 : 0;
  if (nSense == 3) nSense = chara.m_nFacing == 0 ? 1 : 0;
  const double w = SubSteps() * state.m_dSpeed;
  MOVEVELOCITY v;
  if (!move.m_bNoMoveX)
    v.vx = -CircleVelocityX(state.m_nRadius, 1.0, state.m_dPhaseX, w, 0.0) * state.m_dSpeed;
  if (chara.m_bFly && !move.m_bNoMoveY)
    v.vy = -CircleVelocityX(state.m_nRadius, 1.0, state.m_dPhaseY, w, nSense == 0 ? 270.0 : 90.0) *
           state.m_dSpeed;
  StoreVelocity(state, v);
  ApplyMoveVelocity(chara, v, state, 0);
}

void CmdChargeMove(cChara& chara, COMMANDSTATE& state) {
  ClearPins(chara);
  const cEdMove& move = MoveSettings(state);
  if (!state.m_bBegun) {
    state.m_bBegun = 1;
    cChara* lpTarget = chara.GetTarget();
    if (!lpTarget) {
      state.m_dVX = 0.0;
      state.m_dVY = 0.0;
      return;
    }
    if (lpTarget->m_bDead) return;
    if (chara.m_bFly) {
      double tx = 0.0;
      double ty = 0.0;
      lpTarget->MoveTargetPoint(tx, ty, state, move);
      ChargeByAxes(chara, state, move, tx, ty);
    } else if (move.m_bNoMoveX) {
      state.m_dVX = 0.0;
    } else {
      ChargeAlongX(chara, state, move, *lpTarget);
    }
    if (state.m_nAngle != 0) {
      const double a =
          (TruncInt(std::atan2(state.m_dVX, state.m_dVY) / kDegToRad + 90) + state.m_nAngle) *
          kDegToRad;
      state.m_dVX = state.m_dSpeed * std::cos(a);
      if (chara.m_bFly) state.m_dVY = -state.m_dSpeed * std::sin(a);
    }
  }
  if (!chara.m_bFly) state.m_dVY = 0.0;
  ApplyMoveVelocity(chara, StateVelocity(state), state, 0);
}

void CmdHomingMove(cChara& chara, COMMANDSTATE& state) {
  ClearPins(chara);
  cChara* lpTarget = LivingTarget(chara);
  if (!lpTarget) return;
  const cEdMove& move = MoveSettings(state);
  const int nInterval = state.m_nRadius;
  if (chara.m_bFly) {
    double tx = 0.0;
    double ty = 0.0;
    lpTarget->MoveTargetPoint(tx, ty, state, move);
    if (nInterval == 0) {
      ChargeByAxes(chara, state, move, tx, ty);
    } else if (state.m_nCount == 0) {
      state.m_Points.assign(1, FLOWPOINT{tx, ty});
      ChargeByAxes(chara, state, move, tx, ty);
    } else if (state.m_nCount % nInterval == 0) {
      const FLOWPOINT aim = state.m_Points.empty() ? FLOWPOINT{tx, ty} : state.m_Points.front();
      ChargeByAxes(chara, state, move, aim.x, aim.y);
      state.m_Points.assign(1, FLOWPOINT{tx, ty});
    }
  } else {
    if (move.m_bNoMoveX) return;
    state.m_dVY = 0.0;
    const double tx = SpriteCentreX(*lpTarget) + state.m_nOffsetX;
    auto ChargeToX = [&](double x) {
      chara.ChargeX(state, &chara, x, chara.m_bScrollSync, move.m_bExactStop);
    };
    if (nInterval == 0) {
      ChargeToX(tx);
    } else if (state.m_nCount == 0) {
      state.m_Points.assign(1, FLOWPOINT{tx, 0.0});
      ChargeToX(tx);
    } else if (state.m_nCount % nInterval == 0) {
      const double aim = state.m_Points.empty() ? tx : state.m_Points.front().x;
      ChargeToX(aim);
      state.m_Points.assign(1, FLOWPOINT{tx, 0.0});
    }
  }
  ApplyMoveVelocity(chara, StateVelocity(state), state, 0);
  ++state.m_nCount;
}

void CmdStayOnScreenMove(cChara& chara, COMMANDSTATE& state) {
  ClearPins(chara);
  const int nCode = ResolveDirection(chara, state.m_cDirection);
  const bool bLeft =
      nCode == DIRCODE_LEFT || nCode == DIRCODE_UP_LEFT || nCode == DIRCODE_DOWN_LEFT;
  const bool bRight =
      nCode == DIRCODE_RIGHT || nCode == DIRCODE_UP_RIGHT || nCode == DIRCODE_DOWN_RIGHT;
  const bool bUp = nCode == DIRCODE_UP || nCode == DIRCODE_UP_LEFT || nCode == DIRCODE_UP_RIGHT;
  const bool bDown =
      nCode == DIRCODE_DOWN || nCode == DIRCODE_DOWN_LEFT || nCode == DIRCODE_DOWN_RIGHT;
  state.m_dVX = StayOnAxis(Axis(0), chara.m_dX, chara.m_dRight, bLeft, bRight, state.m_dSpeed,
                           kViewWidth - 32);
  state.m_dVY = chara.m_bFly ? StayOnAxis(Axis(1), chara.m_dY, chara.m_dBottom, bUp, bDown,
                                          state.m_dSpeed, kViewHeight - 32)
                             : 0.0;
  ApplyMoveVelocity(chara, StateVelocity(state), state, 0);
  ++state.m_nCount;
}

void CmdCancelMove(cChara& chara, COMMANDSTATE& state) {
  (void)state;
  chara.m_dVX = chara.m_dVY = 0.0;
  chara.m_dWalkVX = chara.m_dWalkVY = 0.0;
  chara.m_dKnockX = chara.m_dKnockY = 0.0;
  ClearPins(chara);
  chara.m_bNoGravity = 1;
}

void CmdTurn(cChara& chara, COMMANDSTATE& state) {
  if (!IsFacingFixed(chara)) return;
  if (state.m_nCount == 0) {
    PlayCommandSound(chara, *state.m_lpCommand);
    const int nMode = state.m_lpCommand->Param(0);
    int nFacing = chara.m_nFacing;
    switch (nMode) {
      case 0:
      case 1:
        nFacing = nMode;
        break;
      case 2:
      case 3: {
        const cChara* lpTarget = chara.GetTarget();
        if (!lpTarget) return;
        const int nToward = CentreX(*lpTarget) > CentreX(chara) ? 1 : 0;
        nFacing = nMode == 2 ? nToward : 1 - nToward;
        break;
      }
      case 4:
      case 5:
        if (chara.m_nWallSide == 0 || chara.m_nWallSide == 1)
          nFacing = nMode == 4 ? chara.m_nWallSide : 1 - chara.m_nWallSide;
        break;
      default:
        break;
    }
    chara.m_nFacing = nFacing;
  }
  if (++state.m_nCount >= 6 * SubSteps()) state.m_nCount = 0;
}

void CmdJump(cChara& chara, COMMANDSTATE& state) {
  ClearPins(chara);
  chara.Jump(&state);
  ++state.m_nCount;
}
