#include "objects/shot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "app/base/report_log.h"
#include "app/core/surface_tables.h"
#include "app/core/system_ini.h"
#include "objects/chara.h"
#include "objects/chara_search.h"
#include "objects/draw_source.h"
#include "objects/world.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "play/map_cells.h"
#include "records/database.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kShotSprite = 16;
constexpr int kShotSheet = 20;  // "bmp\Shot.bmp"; 21 its mirrored copy
constexpr int kShotGraphics = 120;
constexpr int kShotRows = 30;
constexpr double kRadToDeg = 57.29577951308232;

// Frame 0 and frame 1 of a shot's cell, four ticks each, over again.
constexpr ANIMESTEPDEF kShotSteps[] = {{0, 4, 1}, {1, 4, 1}, {-2, 0, 1}};
constexpr const ANIMESTEPDEF* kShotPatterns[] = {kShotSteps, nullptr};

double N() { return g_Stage.m_dSubStep; }

// A count of sub-steps worked out from a stored value, held within the
// int range (a tiny speed would make it any size).
int32_t StepCount(double d) { return TruncInt(d); }

// The row of the sword's type, or null when the SwordType table has none.
const cSwordTypeDef* SwordRow(const cEdShot& settings) {
  const size_t n = settings.m_nMoveType;
  return n < g_Database.m_SwordType.size() ? &g_Database.m_SwordType[n] : nullptr;
}

const cSwordFrame* SwordFrame(const cEdShot& settings, int nFrame) {
  const cSwordTypeDef* lpRow = SwordRow(settings);
  if (lpRow == nullptr || nFrame < 0 || static_cast<size_t>(nFrame) >= lpRow->m_Frames.size())
    return nullptr;
  return &lpRow->m_Frames[static_cast<size_t>(nFrame)];
}

// The sword sheet of a SwordType row for a facing: each row has four, the
// two facings and their copies for stretched drawing (the plain ones when
// the surface back end stretches in video memory). Null when the row's
// sheets are not loaded.
DDSURFACEDATA* SwordSheet(int nType, int nFacing, bool bScaled) {
  const bool bStretched = bScaled && (g_bUseD3D || !g_SystemIni.DD_VideoStretch);
  const size_t n = static_cast<size_t>(nType) * 4 + (nFacing == 1 ? 1 : 0) + (bStretched ? 2 : 0);
  return n < g_SwordSD.size() ? &g_SwordSD.At(static_cast<int>(n)) : nullptr;
}

// The centre of an object's sprite on screen.
void ScreenCentre(const cGameObject& obj, double& x, double& y) {
  const cPlayScene& scene = PlayScene();
  x = TruncInt(obj.m_dX - obj.m_nBoxX - TruncInt(scene.m_ScrollX.m_dPos)) + (obj.m_nSpriteW >> 1);
  y = TruncInt(obj.m_dY - obj.m_nBoxY - TruncInt(scene.m_ScrollY.m_dPos)) + (obj.m_nSpriteH >> 1);
}

// ---- Movement types ----------------------------------------------------------------

// The speed of the turns: (speed + speed per level x level) tenths of a
// pixel per frame, per sub-step.
double MoveSpeed(const cShot& shot) {
  const cEdShot& s = shot.m_Settings;
  return (s.m_nSpeed + static_cast<double>(s.m_nSpeedStep) * shot.m_sCopyIndex) * 0.1 / N();
}

// Sub-steps to cover nHbl half blocks at the speed of the turns; 0 at no
// speed.
int32_t StepsFor(const cShot& shot, int nHbl) {
  return shot.m_dMoveSpeed != 0.0 ? StepCount(16.0 * nHbl / shot.m_dMoveSpeed) : 0;
}

cChara* FindHero(cShot&) { return PlayScene().Hero(); }

cChara* FindNearest(cShot& shot, int nGroup) {
  double x = 0.0, y = 0.0;
  ScreenCentre(shot, x, y);
  return FindNearestCharaTo(x, y, PlayScene().FactionCharas(nGroup));
}

cChara* FindTarget(cShot& shot) { return shot.LiveTarget(); }

// The aiming types turn once, toward the character found, at the step
// m_nTurnAt (the first when p0 is 0).
template <cChara* (*Find)(cShot&)>
void AimOnce(cShot& shot) {
  const int16_t* p = shot.m_Settings.m_anMoveParam;
  if (shot.m_nSteps == 0) {
    shot.m_dMoveSpeed = MoveSpeed(shot);
    if (p[0] != 0) shot.m_nTurnAt = StepsFor(shot, p[0]);
  }
  if (shot.m_nSteps == shot.m_nTurnAt) {
    if (cChara* lpChara = Find(shot)) {
      shot.ChargeToward(*lpChara, shot.m_dBaseVX, shot.m_dBaseVY);
      if (shot.m_bAccelerating) shot.AimAt(shot.m_dBaseVX, shot.m_dBaseVY);
    }
    shot.m_bMoveDone = 1;
    return;
  }
  ++shot.m_nSteps;
}

cChara* FindNearestP1(cShot& shot) { return FindNearest(shot, shot.m_Settings.m_anMoveParam[1]); }
cChara* FindNearestP2(cShot& shot) { return FindNearest(shot, shot.m_Settings.m_anMoveParam[2]); }

// The homing types steer toward the character found from the step
// m_nTurnAt to the step m_nEndAt (p1 = 0: never).
template <cChara* (*Find)(cShot&)>
void HomeWhile(cShot& shot) {
  const int16_t* p = shot.m_Settings.m_anMoveParam;
  if (shot.m_nSteps == 0) {
    shot.m_dMoveSpeed = MoveSpeed(shot);
    if (p[0] != 0) shot.m_nTurnAt = StepsFor(shot, p[0]);
    if (p[1] != 0) shot.m_nEndAt = StepsFor(shot, p[1]);
  }
  if (shot.m_nSteps >= shot.m_nEndAt) {
    shot.m_bMoveDone = 1;
    return;
  }
  if (shot.m_nSteps >= shot.m_nTurnAt) {
    if (cChara* lpChara = Find(shot)) shot.SteerToward(*lpChara);
  }
  ++shot.m_nSteps;
}

void ShotMoveAimHero(cShot& shot) { AimOnce<FindHero>(shot); }
void ShotMoveAimNearest(cShot& shot) { AimOnce<FindNearestP1>(shot); }
void ShotMoveAimTarget(cShot& shot) { AimOnce<FindTarget>(shot); }
void ShotMoveHomeHero(cShot& shot) { HomeWhile<FindHero>(shot); }
void ShotMoveHomeNearest(cShot& shot) { HomeWhile<FindNearestP2>(shot); }
void ShotMoveHomeTarget(cShot& shot) { HomeWhile<FindTarget>(shot); }

// The wave swings the shot p0 half blocks to each side of its course at p1
// degrees a frame, starting at angle p2 (mirrored for a shot facing left).
// The amplitude is kept in pixels beside the settings, so a large p0 does
// not wrap a 16-bit setting; p1 = 0 is a wave that does not move.
void ShotMoveWave(cShot& shot) {
  const int16_t* p = shot.m_Settings.m_anMoveParam;
  const double dAngular = p[1];
  if (shot.m_nSteps == 0) {
    shot.m_dWaveAmp = 16.0 * p[0];
    shot.m_nSteps = 1;
    const double a = shot.m_nFacing == 1 ? p[2] : p[2] + 180.0;
    shot.m_dWavePhase = dAngular != 0.0 ? N() * a / dAngular : 0.0;
    const double w = CircleVelocityX(shot.m_dWaveAmp, dAngular, shot.m_dWavePhase, 1.0, 0.0);
    double t = std::atan2(shot.m_dBaseVY, shot.m_dBaseVX) * kRadToDeg;
    if (t < 0.0) t += 360.0;
    shot.m_dWaveDirX = std::cos((t - 90.0) / kRadToDeg);
    shot.m_dWaveDirY = std::sin((t - 90.0) / kRadToDeg);
    shot.m_dBaseVX += w * shot.m_dWaveDirX;
    shot.m_dBaseVY += w * shot.m_dWaveDirY;
  } else {
    const double g = CircleVelocityY(shot.m_dWaveAmp, dAngular, shot.m_dWavePhase, 1.0, 0.0);
    auto add = [](double& v, double d) {
      const double old = v;
      v += d;
      if ((old > 0.0 && v < 0.0) || (old < 0.0 && v > 0.0)) v = 0.0;
    };
    add(shot.m_dBaseVX, g * shot.m_dWaveDirX);
    add(shot.m_dBaseVY, g * shot.m_dWaveDirY);
  }
  if (shot.m_bAccelerating) shot.AimAt(shot.m_dBaseVX, shot.m_dBaseVY);
}

// The fall: after p0 half blocks the shot stops flying and gravity takes
// it.
void ShotMoveFall(cShot& shot) {
  const int16_t* p = shot.m_Settings.m_anMoveParam;
  if (shot.m_nSteps == 0) {
    shot.m_dMoveSpeed = MoveSpeed(shot);
    if (p[0] != 0) shot.m_nTurnAt = StepsFor(shot, p[0]);
  }
  if (shot.m_nSteps >= shot.m_nTurnAt) {
    shot.m_dVY = shot.m_dBaseVY;
    shot.m_bFly = 0;
    shot.m_bMoveDone = 1;
  }
  ++shot.m_nSteps;
}

}  // namespace

const SHOTMOVEPROC g_apfnShotMove[SHOTMOVE_COUNT] = {
    nullptr,              // 0 直進
    ShotMoveAimHero,      // 1
    ShotMoveAimNearest,   // 2
    ShotMoveAimTarget,    // 3
    ShotMoveHomeHero,     // 4
    ShotMoveHomeNearest,  // 5
    ShotMoveHomeTarget,   // 6
    ShotMoveHomeNearest,  // 7
    ShotMoveWave,         // 8
    ShotMoveFall,         // 9
};

// ---- The shot ------------------------------------------------------------------------

void ReportShotFault(uint32_t nBit, const char* pszLine, int nValue) {
  cPlayScene& scene = PlayScene();
  if (scene.m_nShotReports & nBit) return;
  scene.m_nShotReports |= nBit;
  ReportLog(pszLine, nValue);
}

cShot::cShot() {
  m_Settings.m_bUserFaction = 1;
  m_Settings.m_bMirrorAngle = 1;
  m_Settings.m_bMirrorX = 1;
  m_Settings.m_nGiant = 1;
}

void cShot::ScaleBoxes(int nScale) {
  m_nHitX = nScale * m_nBaseHitX;
  m_nHitY = nScale * m_nBaseHitY;
  m_nHitW = nScale * m_nBaseHitW;
  m_nHitH = nScale * m_nBaseHitH;
  UpdateBoxX();
  UpdateBoxY();
}

void cShot::UpdateBoxX() {
  m_rcHit.x1 = TruncInt(m_dX) + m_nHitX;
  m_rcHit.x2 = m_rcHit.x1 + m_nHitW - 1;
}

void cShot::UpdateBoxY() {
  m_rcHit.y1 = TruncInt(m_dY) + m_nHitY;
  m_rcHit.y2 = m_rcHit.y1 + m_nHitH - 1;
}

void cShot::Init(int nId, const cChara& shooter, int nType, const cEdShot& settings,
                 const SHOTSPAWN& spawn) {
  m_Settings = settings;
  m_Settings.RepairScale();
  const int nScale = m_Settings.m_nGiant;
  m_bIsShot = nType != kSwordCommand ? 1 : 0;

  int nFacing = 0;
  if (spawn.dVX > 0.0)
    nFacing = 1;
  else if (spawn.dVX == 0.0)
    nFacing = shooter.m_nFacing;
  int w = kShotSprite;
  int h = kShotSprite;
  if (!m_bIsShot) {
    const cSwordFrame* lpFrame = SwordFrame(m_Settings, 0);
    if (lpFrame == nullptr) {
      ReportShotFault(kShotReportSword, "sword type %d has no frame: the sword ends at once",
                      m_Settings.m_nMoveType);
      w = h = 0;
    } else {
      w = std::clamp(lpFrame->m_nWidth, 0, 4096);
      h = std::clamp(lpFrame->m_nHeight, 0, 4096);
    }
  } else if (m_Settings.m_nMoveType >= SHOTMOVE_COUNT) {
    ReportShotFault(kShotReportMove, "shot movement type %d unknown: the shot flies straight",
                    m_Settings.m_nMoveType);
  }

  m_nWielderId = shooter.m_nId;
  if (m_Settings.m_bUserFaction)
    m_Settings.m_nFaction = static_cast<uint8_t>(shooter.m_Def.m_nFaction);
  Setup(nId, shooter.m_nKind, shooter.m_nPlayerNo, m_Settings.m_nFaction, m_Settings.m_nGraphic,
        kShotPatterns, 0, 0, 0, w, h, w, h, nFacing, MOVEMODE_FLY, spawn.nIndex);
  m_nLayer = shooter.m_Def.m_nZ;

  // The hit box: a sword's is its frame; a shot's is the stage's size for
  // the shots of the hero or of computer characters, centred in the sprite.
  if (m_bIsShot) {
    const bool bHero = shooter.m_nKind == OBJKIND_PLAYER;
    m_nBaseHitW = bHero ? g_Stage.m_nBox2W : g_Stage.m_nComBox2W;
    m_nBaseHitH = bHero ? g_Stage.m_nBox2H : g_Stage.m_nComBox2H;
    m_nBaseHitX = kShotSprite / 2 - m_nBaseHitW / 2;
    m_nBaseHitY = kShotSprite / 2 - m_nBaseHitH / 2;
  } else {
    m_nBaseHitX = m_nBaseHitY = 0;
    m_nBaseHitW = w;
    m_nBaseHitH = h;
  }
  ScaleBoxes(1);
  SetScale(nScale, 1);

  m_dX = spawn.nX;
  ClampX();
  m_dY = spawn.nY;
  ClampY(2);

  const double dN = N();
  m_dBaseVX = spawn.dVX / dN;
  m_dBaseVY = spawn.dVY / dN;
  m_dWalkVX = m_dWalkVY = 0.0;
  if (m_Settings.m_bAccel) {
    m_dAccel = (m_Settings.m_nAccel + static_cast<double>(m_Settings.m_nAccelStep) * m_sCopyIndex) *
               0.1 / dN;
    m_bAccelerating = 1;
    AimAt(spawn.dVX, spawn.dVY);
  } else {
    m_dAccel = 0.0;
    m_bAccelerating = 0;
  }
  m_dVX = m_dVY = 0.0;
  m_bScrollSync = m_Settings.m_bScrollSync;

  // Tenths of a second: 6 frames of N sub-steps each.
  m_nLifeLeft = m_Settings.m_bLife ? StepCount(spawn.nLife * 6.0 * dN) : 0;

  m_nRangeLeft = 0;
  if (m_Settings.m_bRange) {
    const double A = std::max(16.0 * spawn.nRange - m_nBoxW, 0.0);
    const double D = std::fabs(spawn.dSpeed / dN);
    int32_t nRange = g_Stage.m_nSubStep;
    if (A > 0.0 && D > 0.0)
      nRange = StepCount(A / D);
    else if (m_nBoxW < D * dN)
      nRange = StepCount(m_nBoxW / D);
    if (nRange < g_Stage.m_nSubStep) {
      // Too short for a frame: the range is covered in one frame.
      const double dSum = std::fabs(spawn.dVX) + std::fabs(spawn.dVY);
      m_dBaseVX = dSum != 0.0 ? (A / dN) * spawn.dVX / dSum : 0.0;
      m_dBaseVY = dSum != 0.0 ? (A / dN) * spawn.dVY / dSum : 0.0;
      nRange = g_Stage.m_nSubStep;
    }
    m_nRangeLeft = nRange;
  }

  m_nSteps = m_nSwordFrame = m_nTurnAt = m_nEndAt = m_bMoveDone = 0;
  m_dMoveSpeed = m_dWavePhase = m_dWaveAmp = m_dWaveDirX = m_dWaveDirY = 0.0;
  m_nTargetId = shooter.m_nTargetId;
  m_vHitIds.clear();
}

namespace {

// The velocity of a sub-step before the shot's own: the view's autoscroll
// for a shot that moves with it, else none (vertically only for a flier).
void ResetVelocity(cShot& shot) {
  const cPlayScene& scene = PlayScene();
  if (!g_System.NoScrollSync() && shot.m_bScrollSync) {
    const cScrollAxis& ax = scene.m_ScrollX;
    const cScrollAxis& ay = scene.m_ScrollY;
    shot.m_dVX = ax.m_bClamped ? 0.0 : ax.m_dAutoSpeed;
    if (shot.m_bFly) shot.m_dVY = ay.m_bClamped ? 0.0 : ay.m_dAutoSpeed;
  } else {
    shot.m_dVX = 0.0;
    if (shot.m_bFly) shot.m_dVY = 0.0;
  }
}

}  // namespace

int cShot::Update() {
  if (!m_bIsShot) return UpdateSword();
  ResetVelocity(*this);
  const int nType = m_Settings.m_nMoveType;
  if (!m_bMoveDone && nType < SHOTMOVE_COUNT && g_apfnShotMove[nType] != nullptr)
    g_apfnShotMove[nType](*this);
  if (m_bAccelerating) {
    m_dBaseVX += m_dWalkVX;
    if (!m_bFly)
      m_dVY += m_dWalkVY;
    else
      m_dBaseVY += m_dWalkVY;
  }
  m_dVX += m_dBaseVX;
  if (m_bFly) m_dVY += m_dBaseVY;
  if (m_Settings.m_bLife) {
    if (m_nLifeLeft < 1) return 1;
    --m_nLifeLeft;
  }
  if (m_dVX != 0.0) m_nFacing = m_dVX > 0.0 ? 1 : 0;
  if (m_Settings.m_bRange) {
    if (m_nRangeLeft < 1) {
      if (!m_Settings.m_bStayAtRange) return 1;
      // At the end of its range the shot stays where it is.
      m_dBaseVX = m_dBaseVY = 0.0;
      m_Settings.m_nMoveType = SHOTMOVE_STRAIGHT;
      ResetVelocity(*this);
      return 0;
    }
    --m_nRangeLeft;
  }
  return 0;
}

void cShot::StepX() {
  if (m_dWalkVX != 0.0) m_dVX += m_dWalkVX;
  if (m_dVX == 0.0) return;
  const double dCap = g_Stage.m_dSpeedCapPerStep;
  m_dVX = std::clamp(m_dVX, -dCap, dCap);
  m_dX += m_dVX;
  ClampX();
}

void cShot::StepY() {
  if (m_dWalkVY != 0.0) m_dVY += m_dWalkVY;
  if (m_dVY != 0.0) MoveY(2);
}

int cShot::ClampX() { return cGameObject::ClampX(2) == 3 ? 3 : 0; }

void cShot::AimAt(double dVX, double dVY) {
  const double a = m_dAccel / N() / 60.0;
  m_dWalkVX = m_dWalkVY = 0.0;
  if (dVX != 0.0 && dVY != 0.0) {
    const double d = std::sqrt(dVX * dVX + dVY * dVY);
    m_dWalkVX = dVX / d * a;
    m_dWalkVY = dVY / d * a;
  } else if (dVX != 0.0) {
    m_dWalkVX = dVX > 0.0 ? a : -a;
  } else if (dVY != 0.0) {
    m_dWalkVY = dVY > 0.0 ? a : -a;
  }
}

void cShot::ChargeToward(const cChara& chara, double& dVX, double& dVY) const {
  double sx = 0.0, sy = 0.0, tx = 0.0, ty = 0.0;
  ScreenCentre(*this, sx, sy);
  ScreenCentre(chara, tx, ty);
  int nFace = 0;
  ChargeStep(dVX, dVY, nFace, &chara, sx, sy, tx, ty, m_dMoveSpeed, m_bScrollSync, 1, 0);
}

void cShot::SteerToward(const cChara& chara) {
  double vx = 0.0, vy = 0.0;
  ChargeToward(chara, vx, vy);
  if (!m_bAccelerating || m_nSteps == m_nTurnAt) {
    m_dBaseVX = vx;
    m_dBaseVY = vy;
  }
  if (m_bAccelerating) AimAt(vx, vy);
}

cChara* cShot::LiveTarget() const {
  if (m_nTargetId < 0) return nullptr;
  cChara* lpChara = FindCharaById(m_nTargetId);
  return lpChara != nullptr && !lpChara->m_bDead ? lpChara : nullptr;
}

int cShot::UpdateSword() {
  cChara* lpWielder = FindCharaById(m_nWielderId);
  if (lpWielder == nullptr || lpWielder->m_bDead) return 1;
  const cSwordFrame* lpFrame = SwordFrame(m_Settings, m_nSwordFrame);
  if (lpFrame == nullptr) return 1;
  const cSwordFrame& f = *lpFrame;
  cChara& wielder = *lpWielder;
  wielder.UpdateScreenRect();
  m_nFacing = wielder.m_nFacing;

  const int s = m_Settings.m_nGiant;
  if (m_nSteps == 0) {
    const int w = std::clamp(f.m_nWidth, 0, 4096);
    const int h = std::clamp(f.m_nHeight, 0, 4096);
    m_nBaseSpriteW = m_nBaseBoxW = m_nBaseHitW = w;
    m_nBaseSpriteH = m_nBaseBoxH = m_nBaseHitH = h;
    m_nSpriteW = m_nBoxW = w * s;
    m_nSpriteH = m_nBoxH = h * s;
    ScaleBoxes(s);
  }

  // The wielder's sprite in the world.
  const cPlayScene& scene = PlayScene();
  const int sx = TruncInt(scene.m_ScrollX.m_dPos);
  const int sy = TruncInt(scene.m_ScrollY.m_dPos);
  const int x1 = sx + wielder.m_rcScreen.left;
  const int x2 = sx + wielder.m_rcScreen.right;
  const int y1 = sy + wielder.m_rcScreen.top;
  const int y2 = sy + wielder.m_rcScreen.bottom;
  const int cx = x1 + (wielder.m_nSpriteW >> 1) - (m_nSpriteW >> 1);
  const int cy = y1 + (wielder.m_nSpriteH >> 1) - (m_nSpriteH >> 1);
  const bool bRight = wielder.m_nFacing == 1;
  double x = cx;
  double y = cy;
  switch (f.m_nAnchor) {
    case 0:  // in front
      x = bRight ? x2 + 1 : x1 - m_nSpriteW;
      break;
    case 1:  // behind, facing the other way
      m_nFacing = bRight ? 0 : 1;
      x = bRight ? x1 - m_nSpriteW : x2 + 1;
      break;
    case 2:  // above
      y = y1 - m_nSpriteH;
      break;
    case 3:  // below
      y = y2 + 1;
      break;
    default:
      break;
  }
  const double dx = static_cast<double>(f.m_nOffsetX) * s;
  const double dy = static_cast<double>(f.m_nOffsetY) * s;
  x += bRight && f.m_bMirrorX ? -dx : dx;
  y += bRight && f.m_bMirrorY ? -dy : dy;
  m_dX = x;
  ClampX();
  m_dY = y;
  ClampY(2);

  // The frame lasts its duration in tenths (6 frames of N sub-steps each).
  if (++m_nSteps > int64_t{f.m_nDuration} * 6 * g_Stage.m_nSubStep) {
    m_nSteps = 0;
    if (SwordFrame(m_Settings, ++m_nSwordFrame) == nullptr) return 1;
  }
  return 0;
}

void cChara::ImpactFromShot(const cShot& shot) {
  if (shot.m_bIsShot)
    ApplyImpact(shot.m_Settings.m_nImpact, shot.m_dVX, shot.m_dVY);
  else
    ApplyImpact(shot.m_Settings.m_nImpact, shot.FacingSign(), 0.0);
}

bool cShot::HitsBlock() const {
  if (m_Settings.m_bThroughBlocks == 1) return false;
  const int nShift = PlayScene().m_ScrollX.m_nPitchShift;
  auto blocked = [&](int nCol, int nRow) {
    cMapCell& cell = g_MapCells.At(MapCellIndex(nCol, nRow, nShift));
    return GetBlockHitKind(cell, m_nFaction) != 0;
  };
  if (m_nBoxW <= 32) {
    return blocked(m_nLeftCol, m_nTopRow) || blocked(m_nLeftCol, m_nBottomRow) ||
           blocked(m_nRightCol, m_nTopRow) || blocked(m_nRightCol, m_nBottomRow);
  }
  // Every cell under the box, the last step of each axis on its far edge.
  const int x1 = TruncInt(m_dX);
  const int x2 = TruncInt(m_dRight);
  const int y1 = TruncInt(m_dY);
  const int y2 = TruncInt(m_dBottom);
  for (int x = x1;; x += 32) {
    const int xc = std::min(x, x2);
    for (int y = y1;; y += 32) {
      const int yc = std::min(y, y2);
      if (blocked(xc >> kCellShift, yc >> kCellShift)) return true;
      if (yc >= y2) break;
    }
    if (xc >= x2) break;
  }
  return false;
}

void cShot::Draw(DDSURFACEDATA* lpDst, int bFrozen) {
  if (m_Settings.m_bTransparent) return;
  const int x = m_rcScreen.left;
  const int y = m_rcScreen.top;
  const bool bScaled = m_Settings.m_nGiant > 1;
  if (m_bIsShot) {
    const int a = bFrozen ? m_Anime.GetValue() : m_Anime.Step();
    const int g = m_Settings.m_nGraphic;
    if (g < 0 || g >= kShotGraphics) return;
    const int nSrcX = (2 * (g / kShotRows) + a) * kShotSprite;
    const int nSrcY = (g % kShotRows) * kShotSprite;
    DDSURFACEDATA* lpSrc =
        &g_SurfaceTable[SelectSurfaceVariant(kShotSheet + (m_nFacing == 1 ? 1 : 0), bScaled)];
    if (bScaled)
      DDStretchBlt(lpDst, x, y, m_nSpriteW, m_nSpriteH, lpSrc, nSrcX, nSrcY, kShotSprite,
                   kShotSprite, DDBLT_TRANSPARENT);
    else
      DDBlt(lpDst, x, y, kShotSprite, kShotSprite, lpSrc, nSrcX, nSrcY, DDBLT_TRANSPARENT);
    return;
  }
  const cSwordFrame* lpFrame = SwordFrame(m_Settings, m_nSwordFrame);
  DDSURFACEDATA* lpSrc = SwordSheet(m_Settings.m_nMoveType, m_nFacing, bScaled);
  if (lpFrame == nullptr || lpSrc == nullptr) return;
  if (bScaled)
    DDStretchBlt(lpDst, x, y, m_nSpriteW, m_nSpriteH, lpSrc, lpFrame->m_nSrcX, lpFrame->m_nSrcY,
                 m_nBaseSpriteW, m_nBaseSpriteH, DDBLT_TRANSPARENT);
  else
    DDBlt(lpDst, x, y, m_nSpriteW, m_nSpriteH, lpSrc, lpFrame->m_nSrcX, lpFrame->m_nSrcY,
          DDBLT_TRANSPARENT);
}
