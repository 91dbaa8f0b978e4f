#pragma once
// cGameObject: the base of every object of a running stage (characters,
// items, shots). It holds identity, facing, the animation player, the hit box
// and sprite placement, a position in doubles, velocities, the map cells the
// box covers and how map blocks treat the object, and gives the motion
// primitives every object uses once per physics sub-step.
//
// Coordinates are world pixels, x to the right and y downward: the stage map
// plus a border of 10 cells (320 pixels) on every side. An object's position
// (m_dX, m_dY) is the top-left pixel of its hit box; m_dRight and m_dBottom
// are inclusive (x + width - 1). The cell of a pixel is (trunc(x) >> 5,
// trunc(y) >> 5). Velocities are pixels per sub-step; a frame holds N
// sub-steps (g_Stage.m_nSubStep). Conversions to integers truncate toward
// zero.
//
// The camera axes are read from the play scene (g_lpPlayScene), the sub-step
// values from the stage being played (g_Stage).

#include <cstdint>

#include "records/anime_pattern.h"

struct COMMANDSTATE;
class cEdEraseArea;
class cEdMove;
class cChara;

// A lifetime that never runs out.
inline constexpr int32_t NO_LIFETIME = 2147483647;

// sqrt(2) / 2.
inline constexpr double kSqrtHalf = 0.7071067811865476;

// A rectangle of doubles, both ends inclusive.
struct DRECT {
  double x1 = 0.0;
  double y1 = 0.0;
  double x2 = 0.0;
  double y2 = 0.0;
};

inline void CopyDRect(DRECT& dst, const DRECT& src) { dst = src; }
// Not a.x1 > b.x2, a.x2 >= b.x1, not a.y1 > b.y2 and a.y2 >= b.y1.
bool IsDRectOverlap(const DRECT& a, const DRECT& b);

// A rectangle of screen pixels, both ends inclusive.
struct SCREENRECT {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Movement modes (SetMoveMode): flying flag and block mode.
enum : int {
  MOVEMODE_WALK = 0,      // gravity, collides with blocks
  MOVEMODE_FLY = 1,       // passes through blocks and solid characters
  MOVEMODE_FLYSOLID = 2,  // collides and is pushed out
  MOVEMODE_FLYFATAL = 3,  // dies on contact
};

// How map blocks and solid characters treat an object.
enum : int8_t {
  BLOCKMODE_PASS = 0,
  BLOCKMODE_COLLIDE = 1,
  BLOCKMODE_FATAL = 2,
};

// Character kinds of an object (items 0; a shot copies its shooter's).
enum : int {
  OBJKIND_PLAYER = 0,
  OBJKIND_COM = 1,
};

class cGameObject {
 public:
  cGameObject() = default;
  cGameObject(const cGameObject& other) = default;
  cGameObject& operator=(const cGameObject& other) = default;
  virtual ~cGameObject() = default;

  // Virtual operations, in the program's slot order.
  // 1: every field, the animation player by value.
  virtual void CopyFrom(const cGameObject& other) { *this = other; }
  // 2: box, offsets and sprite scaled by the new factor, then Reanchor and
  // ScaleBoxes. Nothing when the factors are equal.
  virtual void SetScale(int nNew, int nOld);
  // 3: hook after a scale change.
  virtual void ScaleBoxes(int nScale) { (void)nScale; }
  // 4: vertical re-anchoring after a scale change.
  virtual void ReanchorY(int nNew, int nOld) { (void)nNew, (void)nOld; }
  // 5, 6: hooks after the horizontal or vertical edges changed.
  virtual void UpdateBoxX() {}
  virtual void UpdateBoxY() {}
  // 7..12: placement by the sprite centre on screen; characters implement
  // them. The Stop forms also zero the command state's worked-out velocity.
  virtual void SetCenter(int x, int y) { (void)x, (void)y; }
  virtual void SetCenterStop(int x, int y, COMMANDSTATE* lpState) {
    (void)x, (void)y, (void)lpState;
  }
  virtual void SetCenterX(int x) { (void)x; }
  virtual void SetCenterXStop(int x, COMMANDSTATE* lpState) { (void)x, (void)lpState; }
  virtual void SetCenterY(int y) { (void)y; }
  virtual void SetCenterYStop(int y, COMMANDSTATE* lpState) { (void)y, (void)lpState; }

  // Stores the values (sizes into the scaled and unscaled fields), lifetime
  // NO_LIFETIME, velocities, appeared, on screen and latch 0, loads the
  // pattern list and starts its first pattern (when a list is given), and
  // ends with SetMoveMode.
  void Setup(int nId, int nKind, int nPlayerNo, int nFaction, int nGraphic,
             const ANIMESTEPDEF* const* lpPatterns, int nFirstPattern, int nBoxX, int nBoxY,
             int nBoxW, int nBoxH, int nSpriteW, int nSpriteH, int nFacing, int nMoveMode,
             int nCopyIndex);
  // MOVEMODE_*: flying flag and block mode; other values change nothing.
  void SetMoveMode(int nMode);
  void Reanchor(int nNew, int nOld);
  // Keeps the box's horizontal centre, then ClampX(2).
  void ReanchorX(int nNew, int nOld);
  // Screen rectangle, box offsets, sprite sizes and their unscaled values.
  void CopyGeometry(const cGameObject& other);
  // Moves the box by (dx, dy) as it stands: no clamp, no cell update.
  void ShiftBy(double dx, double dy);

  // Motion. MoveX: vx capped to the speed cap per sub-step, x += vx, then
  // ClampX(nType); MoveY likewise.
  int MoveX(int nType);
  int MoveY(int nType);
  // vy += gravity per sub-step unless flying (characters have their own).
  void ApplyGravity();
  // Brings a walk velocity toward 0 by the stop factor (when bFlag is set).
  void Decelerate(double& dVelocity, int bFlag) const;
  // +1 facing right, -1 facing left.
  int FacingSign() const { return m_nFacing == 1 ? 1 : -1; }

  // Clamp against the scroll range (type 0), the stage (1) or the world (2)
  // and classify; then right (bottom), UpdateBoxX (UpdateBoxY) and the cell
  // columns (rows). ClampX: type 0 gives 0; type 1: 0 when clamped, 1 when
  // outside the scroll range; type 2: 3 when clamped, 2 outside the stage,
  // 1 outside the scroll range. ClampY tells the side as well: type 1:
  // 1 above, 4 below the view; type 2: 3 / 6 clamped at the top / bottom,
  // 2 / 5 above / below the stage, 1 / 4 above / below the view. Other
  // types clamp nothing and give 0.
  int ClampX(int nType);
  int ClampY(int nType);

  // Tests.
  void UpdateScreenRect();
  bool IsOnScreen() const;
  bool IsOnScreenAxes(int bSkipX, int bSkipY) const;
  // bOuter 1: inside the world; 0: inside the stage map.
  bool IsInsideStage(int bOuter) const;
  bool IsInsideRect(double x1, double y1, double x2, double y2) const;
  // One of the four corner cells has a non-zero hit kind for the faction.
  bool TouchesBlock() const;
  // The same test; the rectangle is not used.
  bool TouchesBlockEx(const DRECT& rect) const;
  // The off-screen erase test of an erase rule.
  bool IsOutsideArea(const cEdEraseArea& area) const;

  // Knock-back velocity of an impact (-20..20) shared along a direction;
  // impact 0 leaves the outputs as they are.
  void ImpactToVelocity(double& dVX, double& dVY, int nImpact, double dDirX, double dDirY) const;

  // Refreshes the cell columns (rows) from the edges.
  void UpdateCellsX();
  void UpdateCellsY();

  int32_t m_nId = 0;
  int32_t m_nLifetime = NO_LIFETIME;  // sub-steps left
  int32_t m_nFacing = 0;              // 1 right, 0 left
  int16_t m_sCopyIndex = 0;           // copy of a multi-copy placement (the level)
  int32_t m_nGraphic = 0;
  int32_t m_nGraphicKind = 0;
  cAnimePattern m_Anime;
  SCREENRECT m_rcScreen;
  int32_t m_nBoxX = 0;  // hit box inside the sprite (scaled)
  int32_t m_nBoxY = 0;
  int32_t m_nSpriteW = 0;  // scaled
  int32_t m_nSpriteH = 0;
  int32_t m_nBaseBoxX = 0;  // unscaled
  int32_t m_nBaseBoxY = 0;
  int32_t m_nBaseSpriteW = 0;
  int32_t m_nBaseSpriteH = 0;
  int32_t m_nKind = OBJKIND_PLAYER;
  int32_t m_nPlayerNo = 0;
  int32_t m_nFaction = 0;  // 0..7
  double m_dX = 0.0;
  double m_dY = 0.0;
  double m_dRight = 0.0;
  double m_dBottom = 0.0;
  int32_t m_nLeftCol = 0;
  int32_t m_nTopRow = 0;
  int32_t m_nRightCol = 0;
  int32_t m_nBottomRow = 0;
  double m_dVX = 0.0;
  double m_dVY = 0.0;
  double m_dWalkVX = 0.0;  // the object's own walking share; block contacts zero it
  double m_dWalkVY = 0.0;
  double m_dStop = 0.0;  // Decelerate's step per sub-step
  int32_t m_bDecelX = 0;
  int32_t m_bDecelY = 0;
  int32_t m_bScrollSync = 0;  // moves with an autoscrolling view
  int32_t m_nBoxW = 0;        // scaled
  int32_t m_nBoxH = 0;
  int32_t m_nBaseBoxW = 0;  // unscaled
  int32_t m_nBaseBoxH = 0;
  int32_t m_bFly = 0;
  int8_t m_cBlockMode = BLOCKMODE_COLLIDE;
  int32_t m_bAppeared = 0;
  int32_t m_bOnScreen = 0;
  uint8_t m_cCondLatch = 0;
};

// Sub-steps as seconds: n / N / 60.
double SubstepsToSeconds(int n);

// The one-axis range test of distance conditions.
bool RangesOverlap(double dPos, int nSize, double dLow, double dHigh, double dInset, double dBehind,
                   double dAhead, int bFlag);

// Velocity of circular motion of radius dRadius at dAngular degrees per
// frame along x and y, read at the angle accumulator (degrees x N) before it
// advances by dStep (wrapping at 360 x N).
double CircleVelocityX(double dRadius, double dAngular, double& dAngle, double dStep,
                       double dPhase);
double CircleVelocityY(double dRadius, double dAngular, double& dAngle, double dStep,
                       double dPhase);

// One step of a charge (or a flee, for a negative speed) from the screen
// point (sx, sy) toward (tx, ty), writing the velocity and the facing
// request (0 none, 1 left, 2 right). Compensates for autoscroll as the
// reference character and the screen-follow switch ask. 1 when arrived.
int ChargeStep(double& dVX, double& dVY, int& nFaceRequest, const cGameObject* lpRef, double sx,
               double sy, double tx, double ty, double dSpeed, int bScreenFollow, int bNoFlee,
               int bStopOnArrival);
int ChargeStepX(double& dVX, double& dVY, int& nFaceRequest, const cGameObject* lpRef, double x,
                double tx, double dSpeed, int bScreenFollow, int bStopOnArrival);
int ChargeStepY(double& dVX, double& dVY, int& nFaceRequest, const cGameObject* lpRef, double y,
                double ty, double dSpeed, int bScreenFollow, int bStopOnArrival);
