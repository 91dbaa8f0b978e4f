#include "objects/fire_pattern.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "app/base/random.h"
#include "app/base/report_log.h"
#include "flow/command_table.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_runner.h"
#include "flow/shot_settings.h"
#include "objects/chara.h"
#include "objects/world.h"
#include "records/system.h"
#include "stagedata/common_palette.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;
// sqrt(2) / 2, as 1 / sqrt(2).
const double K = 1.0 / std::sqrt(2.0);

enum : int {
  DIR_LEFT = 2,
  DIR_RIGHT = 3,
  DIR_UP = 6,
  DIR_DOWN = 7,
  DIR_UPLEFT = 8,
  DIR_DOWNLEFT = 9,
  DIR_UPRIGHT = 10,
  DIR_DOWNRIGHT = 11,
};

int T(double d) { return TruncInt(d); }

// The shooter's sprite as the placements read it: the truncated scroll
// positions (and the exact ones), its screen rectangle and sprite size.
struct SHOOTER {
  int sx, sy;
  double fx, fy;
  int L, T, R, B, sw, sh;
};

SHOOTER Geometry(const cChara& c) {
  const cPlayScene& scene = PlayScene();
  SHOOTER g;
  g.fx = scene.m_ScrollX.m_dPos;
  g.fy = scene.m_ScrollY.m_dPos;
  g.sx = TruncInt(g.fx);
  g.sy = TruncInt(g.fy);
  g.L = c.m_rcScreen.left;
  g.T = c.m_rcScreen.top;
  g.R = c.m_rcScreen.right;
  g.B = c.m_rcScreen.bottom;
  g.sw = c.m_nSpriteW;
  g.sh = c.m_nSpriteH;
  return g;
}

// The muzzle point: the top-left of an object of the record's size that
// leaves the shooter in direction d. False for a code outside the list.
bool Muzzle(const SHOTSPAWN& rec, const SHOOTER& g, int d, int& x, int& y) {
  const int w = rec.nWidth;
  const int h = rec.nHeight;
  const int cx = g.sx + g.L + g.sw / 2;
  const int cy = g.sy + g.T + g.sh / 2;
  const double dLeft = cx - K * (g.sw / 2 + w / 2 - 1) - w / 2;
  const double dRight = cx + K * (g.sw - g.sw / 2 + w / 2) - w / 2;
  const double dUp = cy - K * (g.sh / 2 + h / 2) - h / 2;
  const double dDown = cy + K * (g.sh - g.sh / 2 + h / 2) - h / 2;
  switch (d) {
    case DIR_LEFT:
      x = g.sx + g.L + 1 - w;
      y = g.sy + g.T + g.sh / 2 - h / 2;
      return true;
    case DIR_RIGHT:
      x = g.sx + g.R + 1;
      y = g.sy + g.T + g.sh / 2 - h / 2;
      return true;
    case DIR_UP:
      x = g.sx + g.L + g.sw / 2 - w / 2;
      y = g.sy + g.T - h;
      return true;
    case DIR_DOWN:
      x = g.sx + g.L + g.sw / 2 - w / 2;
      y = g.sy + g.B + 1;
      return true;
    case DIR_UPLEFT:
      x = T(dLeft);
      y = T(dUp);
      return true;
    case DIR_DOWNLEFT:
      x = T(dLeft);
      y = T(dDown);
      return true;
    case DIR_UPRIGHT:
      x = T(dRight);
      y = T(dUp);
      return true;
    case DIR_DOWNRIGHT:
      x = T(dRight);
      y = T(dDown);
      return true;
    default:
      return false;
  }
}

bool IsPlacedDirection(int d) {
  return d == DIR_LEFT || d == DIR_RIGHT || (d >= DIR_UP && d <= DIR_DOWNRIGHT);
}

void AddOffsets(SHOTSPAWN& rec) {
  rec.nBaseX += rec.nOffsetX;
  rec.nBaseY += rec.nOffsetY;
}

void SetVelocityOfAngle(SHOTSPAWN& rec, double dAngle) {
  AngleVelocity(dAngle, rec.dSpeed, rec.dVX, rec.dVY);
}

// The velocity of a direction, exact on the axes: (-s, 0), (s, 0), (0, -s),
// (0, s) and the diagonals at s x K.
void SetDirectionVelocity(SHOTSPAWN& rec) {
  const double s = rec.dSpeed;
  switch (rec.nDirection) {
    case DIR_LEFT:
      rec.dVX = -s;
      rec.dVY = 0.0;
      break;
    case DIR_RIGHT:
      rec.dVX = s;
      rec.dVY = 0.0;
      break;
    case DIR_UP:
      rec.dVX = 0.0;
      rec.dVY = -s;
      break;
    case DIR_DOWN:
      rec.dVX = 0.0;
      rec.dVY = s;
      break;
    case DIR_UPLEFT:
      rec.dVX = rec.dVY = -s * K;
      break;
    case DIR_DOWNLEFT:
      rec.dVX = -s * K;
      rec.dVY = s * K;
      break;
    case DIR_UPRIGHT:
      rec.dVX = s * K;
      rec.dVY = -s * K;
      break;
    default:
      rec.dVX = rec.dVY = s * K;
      break;
  }
}

// U: the pattern's first parameter in pixels.
int Interval(const cEdShot& settings) { return settings.m_anPatternParam[0] * 16; }

// The aim object of 落雷 and 包囲: 0 the shooter's target, 1 the hero, 2
// the shooter; null when there is none.
cChara* AimObject(const cEdShot& settings, cChara& shooter) {
  switch (settings.m_nCentre) {
    case 0:
      return shooter.GetTarget();
    case 1:
      return PlayScene().Hero();
    case 2:
      return &shooter;
    default:
      ReportShotFault(kShotReportCentre, "aim object %d of a fire pattern unknown: nothing fired",
                      settings.m_nCentre);
      return nullptr;
  }
}

// ---- The patterns --------------------------------------------------------------------

// Count objects from the base position by the record's steps.
void SpawnLine(SPAWNRUN& run, SHOTSPAWN& rec) {
  rec.nX = rec.nBaseX;
  rec.nY = rec.nBaseY;
  for (int i = 0; i < run.settings.m_nCount; ++i) {
    if (!SpawnFromPattern(run, rec)) return;
    rec.nX += rec.nStepX;
    rec.nY += rec.nStepY;
  }
}

void ShotPatternLineA(SPAWNRUN& run, SHOTSPAWN& rec) {
  const cEdShot& s = run.settings;
  const bool bPlaced = (s.m_nAngle != 0 || s.m_bAim) ? PlaceLineAAngled(rec, s, run.shooter)
                                                     : PlaceLineA(rec, s, run.shooter);
  if (bPlaced) SpawnLine(run, rec);
}

void ShotPatternLineB(SPAWNRUN& run, SHOTSPAWN& rec) {
  const cEdShot& s = run.settings;
  const bool bPlaced = (s.m_nAngle != 0 || s.m_bAim) ? PlaceLineBAngled(rec, s, run.shooter)
                                                     : PlaceLineB(rec, s, run.shooter);
  if (bPlaced) SpawnLine(run, rec);
}

// 拡散: the objects fan out from one point, p0 degrees apart, centred on
// the firing angle.
void ShotPatternSpread(SPAWNRUN& run, SHOTSPAWN& rec) {
  const cEdShot& s = run.settings;
  const bool bPlaced = (s.m_nAngle != 0 || s.m_bAim) ? PlaceSpreadAngled(rec, s, run.shooter)
                                                     : PlaceSpread(rec, s, run.shooter);
  if (!bPlaced) return;
  const double b = s.m_bAim ? AimAngle(rec.nBaseX + rec.nWidth / 2, rec.nBaseY + rec.nHeight / 2,
                                       run.shooter, s, rec)
                            : DirectionAngle(rec.nDirection);
  const int n = s.m_nCount;
  const double p0 = s.m_anPatternParam[0];
  const double h0 = b + rec.nAngle - p0 * (n - 1) / 2.0;
  for (int i = 0; i < n; ++i) {
    SetVelocityOfAngle(rec, h0 + i * p0);
    rec.nX = rec.nBaseX;
    rec.nY = rec.nBaseY;
    if (!SpawnFromPattern(run, rec)) return;
  }
}

// 落雷: rows of p1 columns enter from the screen's edge behind the aim
// object.
void ShotPatternThunder(SPAWNRUN& run, SHOTSPAWN& rec) {
  const cEdShot& s = run.settings;
  const cChara* lpAim = AimObject(s, run.shooter);
  if (lpAim == nullptr) return;
  const bool bPlaced = rec.nAngle != 0 ? PlaceThunderAngled(rec, s, run.shooter, *lpAim)
                                       : PlaceThunder(rec, s, run.shooter, *lpAim);
  if (!bPlaced) return;
  const int nColumns = s.m_anPatternParam[1];
  rec.nX = rec.nBaseX;
  rec.nY = rec.nBaseY;
  for (int i = 0; i < s.m_nCount; ++i) {
    SHOTSPAWN row = rec;
    for (int c = 0; c < nColumns; ++c) {
      if (!SpawnFromPattern(run, row)) return;
      row.nX += rec.nColStepX;
      row.nY += rec.nColStepY;
    }
    rec.nX += rec.nStepX;
    rec.nY += rec.nStepY;
  }
}

// 爆発: the objects leave the shooter's centre evenly round the circle.
void ShotPatternBurst(SPAWNRUN& run, SHOTSPAWN& rec) {
  PlaceAtCentre(rec, run.shooter);
  const int n = run.settings.m_nCount;
  const double a0 = DirectionAngle(rec.nDirection) + rec.nAngle;
  for (int i = 0; i < n; ++i) {
    SetVelocityOfAngle(rec, a0 + i * 360.0 / n);
    rec.nX = rec.nBaseX;
    rec.nY = rec.nBaseY;
    if (!SpawnFromPattern(run, rec)) return;
  }
}

// 包囲: the objects start on a circle of p0 half blocks around the aim
// object and close in on it.
void ShotPatternSurround(SPAWNRUN& run, SHOTSPAWN& rec) {
  const cEdShot& s = run.settings;
  cChara* lpAim = AimObject(s, run.shooter);
  if (lpAim == nullptr) return;
  const cChara& aim = *lpAim;
  const cPlayScene& scene = PlayScene();
  rec.nBaseX = T(aim.m_rcScreen.left + aim.m_nSpriteW / 2 + scene.m_ScrollX.m_dPos -
                 rec.nWidth / 2 + rec.nOffsetX);
  rec.nBaseY = T(aim.m_rcScreen.top + aim.m_nSpriteH / 2 + scene.m_ScrollY.m_dPos -
                 rec.nHeight / 2 + rec.nOffsetY);
  const double rho = s.m_anPatternParam[0] * 16.0;
  const int n = s.m_nCount;
  for (int i = 0; i < n; ++i) {
    const double u = DirectionAngle(rec.nDirection) + rec.nAngle + i * 360.0 / n;
    rec.nX = T(rho * std::cos(u * kDegToRad) + 0.5) + rec.nBaseX;
    rec.nY = T(rho * std::sin(u * kDegToRad) + 0.5) + rec.nBaseY;
    SetVelocityOfAngle(rec, u);
    if (!SpawnFromPattern(run, rec)) return;
  }
}

// The palettes a summon draws from: the stage's (1) or the common one.
template <class T>
const cCheckedVector<T>& Palette(const cEdShot& settings, cCheckedVector<T> cEdStage::*lpStage,
                                 cCheckedVector<T> cCommonPalette::*lpCommon) {
  return settings.m_nSummonPalette == 1 ? g_Stage.*lpStage : g_CommonPalette.*lpCommon;
}

// The palette's definition that the settings name, or null when the index
// lies past the list (a negative one too).
template <class T>
const T* SummonDef(const cEdShot& settings, cCheckedVector<T> cEdStage::*lpStage,
                   cCheckedVector<T> cCommonPalette::*lpCommon) {
  const cCheckedVector<T>& list = Palette(settings, lpStage, lpCommon);
  const int n = settings.m_nSummonNo;
  return n >= 0 && static_cast<size_t>(n) < list.size() ? &list[static_cast<size_t>(n)] : nullptr;
}

// A summon: the pattern once, from a spawn record of objects of size w x h
// at speed 1.
void Summon(cChara& shooter, const cEdShot& settings, int nType, int w, int h) {
  SHOTSPAWN rec;
  rec.nWidth = w;
  rec.nHeight = h;
  rec.nDirection = ResolveShotDirection(settings.m_nDirection, shooter);
  rec.dSpeed = 1.0;
  rec.nOffsetX = T(settings.GetOffsetX(0, shooter.m_nFacing));
  rec.nOffsetY = T(settings.GetOffsetY(0, shooter.m_nFacing));
  shooter.UpdateScreenRect();
  SPAWNRUN run{shooter, settings, nType};
  if (settings.m_nPattern >= kShotPatternCount) {
    ReportShotFault(kShotReportPattern, "fire pattern %d unknown: nothing placed",
                    settings.m_nPattern);
    return;
  }
  g_apfnShotPattern[settings.m_nPattern](run, rec);
}

// The firing angle of volley i: the settings' angle plus its step,
// mirrored for a shooter facing right, spread at random.
int VolleyAngle(const cEdShot& settings, const cChara& shooter, int i) {
  int nAngle = settings.m_nAngle + settings.m_nAngleStep * i;
  if (settings.m_bMirrorAngle && shooter.m_nFacing == 1) nAngle = 360 - nAngle;
  const int k = settings.m_nSpread;
  if (k != 0) nAngle += Rand() % (2 * std::abs(k) + 1) - std::abs(k);
  return nAngle;
}

}  // namespace

const SHOTPATTERNPROC g_apfnShotPattern[kShotPatternCount] = {
    ShotPatternLineA,     // 0 直進A
    ShotPatternLineB,     // 1 直進B
    ShotPatternSpread,    // 2 拡散
    ShotPatternThunder,   // 3 落雷
    ShotPatternBurst,     // 4 爆発
    ShotPatternSurround,  // 5 包囲
};

int ResolveShotDirection(int nDirection, const cChara& shooter) {
  const bool bRight = shooter.m_nFacing == 1;
  switch (nDirection) {
    case 0:
      return bRight ? DIR_RIGHT : DIR_LEFT;
    case 1:
      return bRight ? DIR_LEFT : DIR_RIGHT;
    case 4:
      return bRight ? DIR_DOWN : DIR_UP;
    case 5:
      return bRight ? DIR_UP : DIR_DOWN;
    case 12: {
      const cFlowRunner* lpRunner = FlowContext().m_lpCurRunner;
      return InputToDirection(lpRunner != nullptr ? lpRunner->m_nChannel : 0, bRight ? 1 : 0);
    }
    default:
      return nDirection;
  }
}

double DirectionAngle(int nDirection) {
  switch (nDirection) {
    case DIR_LEFT:
      return 0.0;
    case DIR_RIGHT:
      return 180.0;
    case DIR_UP:
      return 90.0;
    case DIR_DOWN:
      return 270.0;
    case DIR_UPLEFT:
      return 45.0;
    case DIR_DOWNLEFT:
      return 315.0;
    case DIR_UPRIGHT:
      return 135.0;
    case DIR_DOWNRIGHT:
      return 225.0;
    default:
      return 0.0;
  }
}

void AngleVelocity(double dAngle, double dSpeed, double& dVX, double& dVY) {
  dVX = -std::cos(dAngle * kDegToRad) * dSpeed;
  dVY = -std::sin(dAngle * kDegToRad) * dSpeed;
}

// ---- Placements ----------------------------------------------------------------------

bool PlaceLineA(SHOTSPAWN& rec, const cEdShot& settings, const cChara& shooter) {
  const SHOOTER g = Geometry(shooter);
  int mx = 0, my = 0;
  const int d = rec.nDirection;
  if (!Muzzle(rec, g, d, mx, my)) return false;
  const int n = settings.m_nCount;
  const int U = Interval(settings);
  const int w = rec.nWidth;
  const int h = rec.nHeight;
  rec.nBaseX = mx;
  rec.nBaseY = my;
  switch (d) {
    case DIR_LEFT:
    case DIR_RIGHT:
      rec.nBaseY -= (n - 1) * (U / 2 + h / 2);
      rec.nStepX = 0;
      rec.nStepY = U + h;
      break;
    case DIR_UP:
    case DIR_DOWN:
      rec.nBaseX -= (n - 1) * (U / 2 + w / 2);
      rec.nStepX = U + w;
      rec.nStepY = 0;
      break;
    case DIR_UPLEFT:
    case DIR_DOWNRIGHT:
      rec.nBaseX = T(mx - K * (n - 1) * (U / 2 + w / 2));
      rec.nBaseY = T(my + K * (n - 1) * (U / 2 + h / 2));
      rec.nStepX = U + w;
      rec.nStepY = -(U + h);
      break;
    default:  // DIR_DOWNLEFT, DIR_UPRIGHT
      rec.nBaseX = T(mx - K * (n - 1) * (U / 2 + w / 2));
      rec.nBaseY = T(my - K * (n - 1) * (U / 2 + h / 2));
      rec.nStepX = U + w;
      rec.nStepY = U + h;
      break;
  }
  SetDirectionVelocity(rec);
  AddOffsets(rec);
  return true;
}

bool PlaceLineAAngled(SHOTSPAWN& rec, const cEdShot& settings, cChara& shooter) {
  const int w = rec.nWidth;
  const int h = rec.nHeight;
  if (!settings.m_bAngledRow) {
    if (!PlaceLineA(rec, settings, shooter)) return false;
    const double c = settings.m_bAim
                         ? AimAngle(rec.nBaseX + w / 2, rec.nBaseY + h / 2, shooter, settings, rec)
                         : DirectionAngle(rec.nDirection);
    SetVelocityOfAngle(rec, c + rec.nAngle);
    return true;
  }
  // The row turned with the firing angle, its first object on the circle
  // around the shooter.
  if (!IsPlacedDirection(rec.nDirection) && !settings.m_bAim) return false;
  const SHOOTER g = Geometry(shooter);
  const int cx = g.sx + g.L + g.sw / 2;
  const int cy = g.sy + g.T + g.sh / 2;
  double c =
      settings.m_bAim
          ? AimAngle(cx + rec.nOffsetX, cy + rec.nOffsetY, shooter, settings, rec) + rec.nAngle
          : DirectionAngle(rec.nDirection) + rec.nAngle;
  PlaceRotated(rec, shooter, c);
  if (settings.m_bAim)
    c = AimAngle(rec.nBaseX + rec.nOffsetX + w / 2, rec.nBaseY + rec.nOffsetY + h / 2, shooter,
                 settings, rec) +
        rec.nAngle;
  const int n = settings.m_nCount;
  const int U = Interval(settings);
  const double sigma = std::sin(c * kDegToRad);
  const double gamma = std::cos(c * kDegToRad);
  if ((sigma >= 0.0) == (gamma >= 0.0)) {
    rec.nBaseX = T(rec.nBaseX - sigma * (n - 1) * (U / 2 + w / 2));
    rec.nStepX = T(sigma * (U + w));
    rec.nBaseY = T(rec.nBaseY + gamma * (n - 1) * (U / 2 + h / 2));
    rec.nStepY = T(-gamma * (U + h));
  } else {
    rec.nBaseX = T(rec.nBaseX + sigma * (n - 1) * (U / 2 + w / 2));
    rec.nStepX = T(-sigma * (U + w));
    rec.nBaseY = T(rec.nBaseY - gamma * (n - 1) * (U / 2 + h / 2));
    rec.nStepY = T(gamma * (U + h));
  }
  AddOffsets(rec);
  rec.dVX = -gamma * rec.dSpeed;
  rec.dVY = -sigma * rec.dSpeed;
  return true;
}

bool PlaceLineB(SHOTSPAWN& rec, const cEdShot& settings, const cChara& shooter) {
  const int d = rec.nDirection;
  if (!IsPlacedDirection(d)) return false;
  const SHOOTER g = Geometry(shooter);
  const int U = Interval(settings);
  const int w = rec.nWidth;
  const int h = rec.nHeight;
  const int xLeft = g.sx + g.L + 1 - w;
  const int xRight = g.sx + g.R + 1;
  rec.nBaseY = g.sy + g.B - h + 1;
  rec.nStepX = 0;
  rec.nStepY = -(U + h);
  switch (d) {
    case DIR_LEFT:
    case DIR_UPLEFT:
    case DIR_DOWNLEFT:
      rec.nBaseX = xLeft;
      break;
    case DIR_RIGHT:
    case DIR_UPRIGHT:
    case DIR_DOWNRIGHT:
      rec.nBaseX = xRight;
      break;
    default:  // up or down: on the side the shooter faces
      rec.nBaseX = shooter.m_nFacing == 1 ? xRight : xLeft;
      break;
  }
  SetDirectionVelocity(rec);
  AddOffsets(rec);
  return true;
}

bool PlaceLineBAngled(SHOTSPAWN& rec, const cEdShot& settings, cChara& shooter) {
  if (!PlaceLineB(rec, settings, shooter)) return false;
  const double c = settings.m_bAim ? AimAngle(rec.nBaseX + rec.nWidth / 2,
                                              rec.nBaseY + rec.nHeight / 2, shooter, settings, rec)
                                   : DirectionAngle(rec.nDirection);
  SetVelocityOfAngle(rec, c + rec.nAngle);
  return true;
}

bool PlaceSpread(SHOTSPAWN& rec, const cEdShot& settings, const cChara& shooter) {
  (void)settings;
  int mx = 0, my = 0;
  if (!Muzzle(rec, Geometry(shooter), rec.nDirection, mx, my)) return false;
  rec.nBaseX = mx;
  rec.nBaseY = my;
  AddOffsets(rec);
  return true;
}

bool PlaceSpreadAngled(SHOTSPAWN& rec, const cEdShot& settings, cChara& shooter) {
  if (!settings.m_bAngledRow) return PlaceSpread(rec, settings, shooter);
  if (!IsPlacedDirection(rec.nDirection) && !settings.m_bAim) return false;
  const SHOOTER g = Geometry(shooter);
  const int cx = g.sx + g.L + g.sw / 2;
  const int cy = g.sy + g.T + g.sh / 2;
  double c = settings.m_bAim
                 ? AimAngle(cx + rec.nOffsetX, cy + rec.nOffsetY, shooter, settings, rec)
                 : DirectionAngle(rec.nDirection);
  c += rec.nAngle;
  PlaceRotated(rec, shooter, c);
  AddOffsets(rec);
  return true;
}

bool PlaceThunder(SHOTSPAWN& rec, const cEdShot& settings, const cChara& shooter,
                  const cChara& aim) {
  (void)shooter;
  const int d = rec.nDirection;
  if (!IsPlacedDirection(d)) return false;
  const cPlayScene& scene = PlayScene();
  const int sx = TruncInt(scene.m_ScrollX.m_dPos);
  const int sy = TruncInt(scene.m_ScrollY.m_dPos);
  const int ax = aim.m_rcScreen.left + aim.m_nSpriteW / 2;
  const int ay = aim.m_rcScreen.top + aim.m_nSpriteH / 2;
  const int w = rec.nWidth;
  const int h = rec.nHeight;
  const int16_t* p = settings.m_anPatternParam;
  const int t = g_System.ThunderTightRows() ? 0 : p[0] * 16;
  const int c = p[2] * 16;
  const int a = p[1];
  const int f = (a % 2 != 0) ? ((a - 1) / 2) * c : ((a - 2) / 2) * c + p[2] * 8;
  const double s = rec.dSpeed;
  switch (d) {
    case DIR_LEFT:
      rec.nBaseX = sx + kViewWidth - w;
      rec.nBaseY = sy + ay - h / 2;
      rec.nStepX = -(w + t);
      rec.nStepY = 0;
      rec.dVX = -s;
      rec.dVY = 0.0;
      break;
    case DIR_RIGHT:
      rec.nBaseX = sx;
      rec.nBaseY = sy + ay - h / 2;
      rec.nStepX = w + t;
      rec.nStepY = 0;
      rec.dVX = s;
      rec.dVY = 0.0;
      break;
    case DIR_UP:
      rec.nBaseX = sx + ax - w / 2;
      rec.nBaseY = sy + kViewHeight - h;
      rec.nStepX = 0;
      rec.nStepY = -(h + t);
      rec.dVX = 0.0;
      rec.dVY = -s;
      break;
    case DIR_DOWN:
      rec.nBaseX = sx + ax - w / 2;
      rec.nBaseY = sy;
      rec.nStepX = 0;
      rec.nStepY = h + t;
      rec.dVX = 0.0;
      rec.dVY = s;
      break;
    case DIR_UPLEFT: {
      const int G = kViewWidth - ax;
      const int H = kViewHeight - ay;
      rec.nBaseX = G < H ? sx + kViewWidth - w : sx + ax + H - w;
      rec.nBaseY = G < H ? sy + ay + G - h : sy + kViewHeight - h;
      rec.nStepX = T(-(w + t) * K);
      rec.nStepY = T(-(h + t) * K);
      rec.dVX = -s * K;
      rec.dVY = -s * K;
      break;
    }
    case DIR_DOWNLEFT: {
      const int F = kViewWidth - ax;
      const int G = ay;
      rec.nBaseX = F < G ? sx + kViewWidth - w : sx + ax + G - w;
      rec.nBaseY = F < G ? sy + ay - F : sy;
      rec.nStepX = T(-(w + t) * K);
      rec.nStepY = T((h + t) * K);
      rec.dVX = -s * K;
      rec.dVY = s * K;
      break;
    }
    case DIR_UPRIGHT: {
      const int E = ax;
      const int D = kViewHeight - ay;
      rec.nBaseX = E < D ? sx : sx + E - D;
      rec.nBaseY = E < D ? sy + ay + E - h : sy + kViewHeight - h;
      rec.nStepX = T((w + t) * K);
      rec.nStepY = T(-(h + t) * K);
      rec.dVX = s * K;
      rec.dVY = -s * K;
      break;
    }
    default: {  // DIR_DOWNRIGHT
      const int E = ax;
      const int D = ay;
      rec.nBaseX = E < D ? sx : sx + E - D;
      rec.nBaseY = E < D ? sy + ay - E : sy;
      rec.nStepX = T((w + t) * K);
      rec.nStepY = T((h + t) * K);
      rec.dVX = s * K;
      rec.dVY = s * K;
      break;
    }
  }
  // The columns across the flight, centred on the line through the aim.
  rec.nColStepX = rec.nColStepY = 0;
  if (a >= 2) {
    switch (d) {
      case DIR_LEFT:
      case DIR_RIGHT:
        rec.nColStepY = c;
        rec.nBaseY -= f;
        break;
      case DIR_UP:
      case DIR_DOWN:
        rec.nColStepX = c;
        rec.nBaseX -= f;
        break;
      case DIR_UPLEFT:
      case DIR_DOWNRIGHT:
        rec.nColStepX = T(c * K);
        rec.nColStepY = T(-c * K);
        rec.nBaseX -= T(f * K);
        rec.nBaseY += T(f * K);
        break;
      default:
        rec.nColStepX = T(c * K);
        rec.nColStepY = T(c * K);
        rec.nBaseX -= T(f * K);
        rec.nBaseY -= T(f * K);
        break;
    }
  }
  AddOffsets(rec);
  return true;
}

bool PlaceThunderAngled(SHOTSPAWN& rec, const cEdShot& settings, const cChara& shooter,
                        const cChara& aim) {
  if (!PlaceThunder(rec, settings, shooter, aim)) return false;
  SetVelocityOfAngle(rec, DirectionAngle(rec.nDirection) + rec.nAngle);
  return true;
}

void PlaceAtCentre(SHOTSPAWN& rec, const cChara& shooter) {
  const cPlayScene& scene = PlayScene();
  rec.nBaseX = T(scene.m_ScrollX.m_dPos + shooter.m_rcScreen.left + shooter.m_nSpriteW / 2 -
                 rec.nWidth / 2) +
               rec.nOffsetX;
  rec.nBaseY = T(scene.m_ScrollY.m_dPos + shooter.m_rcScreen.top + shooter.m_nSpriteH / 2 -
                 rec.nHeight / 2) +
               rec.nOffsetY;
}

void PlaceRotated(SHOTSPAWN& rec, const cChara& shooter, double dAngle) {
  const cPlayScene& scene = PlayScene();
  const int sw = shooter.m_nSpriteW;
  const int sh = shooter.m_nSpriteH;
  const int w = rec.nWidth;
  const int h = rec.nHeight;
  const double r = K * (sh - sh / 2 + h / 2);
  const double t = K * (sw - sw / 2 + w / 2);
  const double theta = (dAngle + 225.0) * kDegToRad;
  rec.nBaseX = T(scene.m_ScrollX.m_dPos + shooter.m_rcScreen.left + sw / 2 + r * std::sin(theta) +
                 t * std::cos(theta) - w / 2);
  rec.nBaseY = T(scene.m_ScrollY.m_dPos + shooter.m_rcScreen.top + sh / 2 + t * std::sin(theta) -
                 r * std::cos(theta) - h / 2);
}

int AimAngle(int x, int y, cChara& shooter, const cEdShot& settings, SHOTSPAWN& rec) {
  const cChara* lpTarget = shooter.GetTarget();
  if (lpTarget == nullptr) return shooter.m_nFacing == 1 ? 180 : 0;
  const cChara& target = *lpTarget;
  const cPlayScene& scene = PlayScene();
  const cScrollAxis& ax = scene.m_ScrollX;
  const cScrollAxis& ay = scene.m_ScrollY;
  const bool bStill =
      (ax.m_dAutoSpeed == 0.0 || ax.m_bClamped) && (ay.m_dAutoSpeed == 0.0 || ay.m_bClamped);
  const int sx = TruncInt(ax.m_dPos);
  const int sy = TruncInt(ay.m_dPos);
  const double tx = target.m_rcScreen.left + target.m_nSpriteW / 2;
  const double ty = target.m_rcScreen.top + target.m_nSpriteH / 2;
  if (bStill || settings.m_bScrollSync || !target.m_bScrollSync)
    return T(std::atan2(sy + ty - y, sx + tx - x) * kRadToDeg + 180.0 + 0.5);

  // The target rides the scrolling view: lead it, as a shot of this
  // volley's speed would charge it.
  const double dN = g_Stage.m_dSubStep;
  const double v =
      (settings.m_nSpeed + static_cast<double>(settings.m_nSpeedStep) * rec.nIndex) * 0.1 / dN;
  double vx = 0.0, vy = 0.0;
  int nFace = 0;
  ChargeStep(vx, vy, nFace, &target, x - sx, y - sy, tx, ty, v, 0, 1, 0);
  if (!std::isfinite(vx) || !std::isfinite(vy))
    return T(std::atan2(sy + ty - y, sx + tx - x) * kRadToDeg + 180.0 + 0.5);
  rec.dSpeed = std::sqrt(vx * vx + vy * vy) * dN;
  return T(std::atan2(vy, vx) * kRadToDeg + 180.0);
}

bool SpawnFromPattern(SPAWNRUN& run, SHOTSPAWN& rec) {
  if (run.nSpawned >= kMaxSpawnsPerRun) {
    ReportShotFault(kShotReportSpawns,
                    "a fire pattern would make more than %d objects: the rest is left out",
                    kMaxSpawnsPerRun);
    return false;
  }
  ++run.nSpawned;
  cPlayScene& scene = PlayScene();
  const cEdShot& s = run.settings;
  switch (run.nType) {
    case CMD_SHOT: {
      cShot shot;
      shot.Init(scene.NextShotId(), run.shooter, CMD_SHOT, s, rec);
      cShot* lpShot = scene.AddShot(shot);
      if (lpShot == nullptr) return false;
      if (s.m_nMoveType == SHOTMOVE_AIM_TARGET || s.m_nMoveType == SHOTMOVE_HOME_TARGET)
        scene.EnterAimedShot(*lpShot);
      else
        lpShot->m_nTargetId = -1;
      return true;
    }
    case CMD_SUMMON_BLOCK:
      if (const cEdBlock* lpDef = SummonDef(s, &cEdStage::m_vBlock, &cCommonPalette::m_vBlock))
        scene.SummonBlockAt(rec.nX, rec.nY, s, *lpDef);
      return true;
    case CMD_SUMMON_CHARA: {
      const cEdChara* lpDef = SummonDef(s, &cEdStage::m_vChara, &cCommonPalette::m_vChara);
      if (lpDef == nullptr) return true;
      int nFacing = run.shooter.m_nFacing;
      if (s.m_bReverseDir) nFacing = 1 - nFacing;
      int nFaction = lpDef->m_nFaction;
      if (s.m_nSummonFaction == 1) nFaction = run.shooter.m_Def.m_nFaction;
      if (s.m_nSummonFaction == 2) nFaction = s.m_nFaction;
      scene.SpawnCharacterAt(rec.nX, rec.nY, nFaction, nFacing, s, *lpDef);
      return true;
    }
    case CMD_SUMMON_ITEM:
      if (const cEdItem* lpDef = SummonDef(s, &cEdStage::m_vItem, &cCommonPalette::m_vItem))
        scene.SpawnItemAt(rec.nX, rec.nY, s, *lpDef);
      return true;
    default:
      return true;
  }
}

// ---- The commands --------------------------------------------------------------------

void FireShots(cChara& shooter, const cEdShot& settings) {
  SHOTSPAWN rec;
  rec.nWidth = rec.nHeight = 16 * std::max<int>(settings.m_nGiant, 1);
  rec.nDirection = ResolveShotDirection(settings.m_nDirection, shooter);
  shooter.UpdateScreenRect();
  if (cChara* lpTarget = shooter.GetTarget()) {
    if (lpTarget->m_nKind == OBJKIND_COM) lpTarget->UpdateScreenRect();
  }
  if (settings.m_nPattern >= kShotPatternCount) {
    ReportShotFault(kShotReportPattern, "fire pattern %d unknown: nothing placed",
                    settings.m_nPattern);
    return;
  }
  rec.nAngle = VolleyAngle(settings, shooter, 0);
  rec.dSpeed = settings.m_nSpeed * 0.1;
  rec.nRange = settings.m_nRange;
  rec.nLife = settings.m_nLife;
  SPAWNRUN run{shooter, settings, CMD_SHOT};
  for (int i = 0; i <= settings.m_nRepeat && run.nSpawned < kMaxSpawnsPerRun; ++i) {
    rec.nIndex = static_cast<int16_t>(i);
    rec.nOffsetX = T(settings.GetOffsetX(i, shooter.m_nFacing));
    rec.nOffsetY = T(settings.GetOffsetY(i, shooter.m_nFacing));
    g_apfnShotPattern[settings.m_nPattern](run, rec);
    rec.dSpeed += settings.m_nSpeedStep * 0.1;
    rec.nAngle = VolleyAngle(settings, shooter, i + 1);
    rec.nRange += settings.m_nRangeStep;
    rec.nLife += settings.m_nLifeStep;
  }
}

void SummonCharas(cChara& shooter, const cEdShot& settings) {
  const cEdChara* lpDef = SummonDef(settings, &cEdStage::m_vChara, &cCommonPalette::m_vChara);
  if (lpDef == nullptr || lpDef->m_nKind != OBJKIND_COM) return;
  const int nSize = 32 * std::max<int>(lpDef->m_nGiant, 1);
  Summon(shooter, settings, CMD_SUMMON_CHARA, nSize, nSize);
}

void SummonItems(cChara& shooter, const cEdShot& settings) {
  const cEdItem* lpDef = SummonDef(settings, &cEdStage::m_vItem, &cCommonPalette::m_vItem);
  if (lpDef == nullptr) return;
  const int nSize = 32 * std::max<int>(lpDef->m_nGiant, 1);
  Summon(shooter, settings, CMD_SUMMON_ITEM, nSize, nSize);
}

void SummonBlocks(cChara& shooter, const cEdShot& settings) {
  if (SummonDef(settings, &cEdStage::m_vBlock, &cCommonPalette::m_vBlock) == nullptr) return;
  if (settings.m_nBlockOp == 2) PlayScene().m_vChangedCells.clear();
  Summon(shooter, settings, CMD_SUMMON_BLOCK, 32, 32);
}
