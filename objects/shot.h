#pragma once
// cShot: a fired object of the play scene, a shot of a ショット command or
// the sword of a ソード command. It carries its own copy of the firing
// settings, moves each sub-step by its own velocity, an optional
// acceleration and one of ten movement types, and ends after a lifetime or
// a range. A sword follows its wielder through the frames of a SwordType
// row instead.
//
// Links are object ids, never addresses: the wielder (m_nWielderId) and the
// target of the aiming and homing types (m_nTargetId, -1 for none) are
// resolved through the play scene each time, so a shot built as a
// temporary (the predicted aim, the argument of AddShot) or copied leaves no
// dangling link and touches no list. Only the play scene's shot list enters
// a shot into its target's list of aimed shots and takes it out again.
//
// Units: settings give speeds in tenths of a pixel per frame, lengths in
// half blocks (16 pixels) and times in tenths of a second; the shot counts
// in sub-steps (N a frame, g_Stage.m_nSubStep) and pixels per sub-step.

#include <cstdint>
#include <list>
#include <vector>

#include "app/base/element_sizes.h"
#include "flow/shot_settings.h"
#include "objects/game_object.h"

class cChara;
struct DDSURFACEDATA;

// The spawn record of one run of a ショット or summon command: where the
// object being made starts and how fast it moves, and what the placement
// worked out for the pattern.
struct SHOTSPAWN {
  int16_t nIndex = 0;   // volley of the command (0 for summons): the shot's level
  double dSpeed = 0.0;  // pixels per frame
  int32_t nAngle = 0;   // extra degrees added to the pattern's angle
  int32_t nRange = 0;   // half blocks
  int32_t nLife = 0;    // tenths of a second
  double dVX = 0.0;     // pixels per frame of the object being made
  double dVY = 0.0;
  int32_t nX = 0;  // top-left of the object being made, world pixels
  int32_t nY = 0;
  int32_t nBaseX = 0;  // the placement's first position
  int32_t nBaseY = 0;
  int32_t nStepX = 0;  // from one object to the next (落雷: one row to the next)
  int32_t nStepY = 0;
  int32_t nColStepX = 0;  // 落雷: from one column to the next
  int32_t nColStepY = 0;
  int32_t nWidth = 0;  // size of the objects
  int32_t nHeight = 0;
  int32_t nOffsetX = 0;  // added to the base position
  int32_t nOffsetY = 0;
  int32_t nDirection = 0;  // resolved direction code
};

// Movement types of the settings (m_nMoveType).
enum : int {
  SHOTMOVE_STRAIGHT = 0,
  SHOTMOVE_AIM_HERO = 1,
  SHOTMOVE_AIM_NEAREST = 2,
  SHOTMOVE_AIM_TARGET = 3,
  SHOTMOVE_HOME_HERO = 4,
  SHOTMOVE_HOME_NEAREST = 5,
  SHOTMOVE_HOME_TARGET = 6,
  SHOTMOVE_HOME_NEAREST_NEXT = 7,
  SHOTMOVE_WAVE = 8,
  SHOTMOVE_FALL = 9,
  SHOTMOVE_COUNT = 10,
};

// Faults of shots and fire patterns, each reported once an attempt (bits of
// the play scene's m_nShotReports).
enum : uint32_t {
  kShotReportCap = 1,      // the stage holds kMaxLiveShots shots
  kShotReportSpawns = 2,   // a command run reached its limit of objects
  kShotReportPattern = 4,  // a fire pattern number past the table
  kShotReportCentre = 8,   // an aim object number past the list
  kShotReportMove = 16,    // a movement type past the table
  kShotReportSword = 32,   // a sword type without a frame
};

// Command types that make shot objects.
inline constexpr int kShotCommand = 11;
inline constexpr int kSwordCommand = 12;

class cShot;
// The shots of a stage in firing order; a shot never moves while listed.
using cShotList = std::list<cShot>;
// Non-owning lists of shots (the faction lists).
using cShotPtrList = std::list<cShot*>;

// Where a listed shot stands in the shot list and its faction list. Only the play scene's
// shot list sets it; a copy of a shot is not listed, so copying leaves the
// place of the copy as it was.
struct SHOTLISTPLACE {
  SHOTLISTPLACE() = default;
  SHOTLISTPLACE(const SHOTLISTPLACE&) {}
  SHOTLISTPLACE& operator=(const SHOTLISTPLACE&) { return *this; }
  int32_t nFaction = -1;  // -1: not listed
  cShotList::iterator itShot;
  cShotPtrList::iterator itFaction;
};

// A movement handler, once per sub-step until the shot's m_bMoveDone.
using SHOTMOVEPROC = void (*)(cShot& shot);
extern const SHOTMOVEPROC g_apfnShotMove[SHOTMOVE_COUNT];

// One report-log line of fault nBit (kShotReport*) an attempt; pszLine has
// one %d for nValue.
void ReportShotFault(uint32_t nBit, const char* pszLine, int nValue);

class cShot : public cGameObject {
 public:
  // An empty shot with the settings of a new command.
  cShot();
  cShot(const cShot& other) = default;
  cShot& operator=(const cShot& other) = default;
  ~cShot() override = default;

  // Slot 3: the hit box follows the size factor.
  void ScaleBoxes(int nScale) override;
  // Slots 5, 6: the hit rectangle from the position: left = trunc(x) +
  // offset, right = left + width - 1 (top and bottom likewise).
  void UpdateBoxX() override;
  void UpdateBoxY() override;

  // Sets the shot up for the shooter from a command of type nType (11 shot,
  // 12 sword) with its settings and the spawn record: own copy of the
  // settings, facing from the spawn velocity, box and hit box, position,
  // velocity per sub-step, acceleration, lifetime and range. The target is
  // the shooter's target.
  void Init(int nId, const cChara& shooter, int nType, const cEdShot& settings,
            const SHOTSPAWN& spawn);
  // One sub-step before StepY and StepX: the velocity of the step (the
  // movement type, acceleration), the lifetime and the range. 1 when the
  // shot is to go.
  int Update();
  // Motion of the sub-step along x (capped, kept inside the world) and y.
  void StepX();
  void StepY();
  // Keeps x inside the world: 3 when it had to, else 0.
  using cGameObject::ClampX;
  int ClampX();
  // A map cell under the shot blocks it (never with pass-through value 1).
  bool HitsBlock() const;
  // Draws the shot or the sword at its screen rectangle (the caller
  // refreshes it); its animation advances unless frozen. Nothing when
  // hidden.
  void Draw(DDSURFACEDATA* lpDst, int bFrozen);

  // The acceleration vector along (vx, vy) at m_dAccel / N / 60.
  void AimAt(double dVX, double dVY);
  // The homing step toward chara at m_dMoveSpeed.
  void SteerToward(const cChara& chara);
  // One sub-step of a sword: placed by its wielder and its frame; 1 when
  // the wielder is gone or the last frame has run.
  int UpdateSword();
  // The velocity toward chara's centre at m_dMoveSpeed (the turn of the
  // aiming and homing types).
  void ChargeToward(const cChara& chara, double& dVX, double& dVY) const;
  // The target when it is on the stage and alive, else null.
  cChara* LiveTarget() const;

  // The hit rectangle, world pixels, both ends inclusive.
  DRECT Hit() const { return m_rcHit; }

  int32_t m_nWielderId = -1;  // the character that fired it
  int32_t m_bIsShot = 1;      // 1 shot, 0 sword
  int32_t m_nRangeLeft = 0;   // sub-steps
  int32_t m_nLifeLeft = 0;    // sub-steps
  int32_t m_nSteps = 0;       // steps counted by the movement type; a sword's in its frame
  int32_t m_nSwordFrame = 0;
  double m_dAccel = 0.0;      // acceleration magnitude
  double m_dMoveSpeed = 0.0;  // speed of the turns, pixels per sub-step
  double m_dBaseVX = 0.0;     // the shot's own velocity, pixels per sub-step
  double m_dBaseVY = 0.0;
  int32_t m_bAccelerating = 0;
  int32_t m_nTurnAt = 0;  // step at which an aiming type turns, a homing one starts
  int32_t m_nEndAt = 0;   // step at which a homing type ends
  int32_t m_bMoveDone = 0;
  double m_dWavePhase = 0.0;
  double m_dWaveAmp = 0.0;   // pixels to each side
  double m_dWaveDirX = 0.0;  // unit vector across the own velocity
  double m_dWaveDirY = 0.0;
  DRECT m_rcHit;
  int32_t m_nHitX = 0;  // hit box inside the box, scaled
  int32_t m_nHitY = 0;
  int32_t m_nHitW = 0;
  int32_t m_nHitH = 0;
  int32_t m_nBaseHitX = 0;  // unscaled
  int32_t m_nBaseHitY = 0;
  int32_t m_nBaseHitW = 0;
  int32_t m_nBaseHitH = 0;
  cEdShot m_Settings;
  int32_t m_nTargetId = -1;  // the shooter's target at firing time
  int32_t m_nLayer = 0;      // depth layer: the shooter's
  // The characters this sword or piercing shot has hit already (object ids).
  std::vector<int32_t> m_vHitIds;
  SHOTLISTPLACE m_Place;
};

// A faction list reports the element size the program's layout has.
template <>
struct ReportedElementSize<cShotPtrList> : std::integral_constant<int, 12> {};
