#pragma once
// cChara: the base of the hero (cPlayer) and the computer characters. Beyond
// a moving sprite a character has its own copy of its definition, its
// running flows (one cFlowRunner per flow, in flow order) with the per-tag
// bookkeeping of triggers, the links to its target and to the characters
// that target it, the body state of the physics (knock-back, landing and air
// flags, the block contacts LRUD of the current sub-step), hit points and
// skill points with their gauge animations, the animations started by flows
// and two extra boxes for the hit tests.
//
// Links between characters hold object ids, never addresses: a character may
// be built as a temporary and copied into its list, and copies are made for
// trial positions. An id is resolved through the play scene
// (FindCharaById); a link to a character that has left the stage resolves to
// null. Who targets a character is found by looking for its id among the
// characters' targets when it dies or leaves (UnlinkCharas), so no list of
// back-links can fall out of step with the targets. Map cells under the feet
// are held as indexes into g_MapCells (-1 for none).
//
// Counting: a frame holds N sub-steps; a tenth is 6 frames (6 x N
// sub-steps); a half block is 16 pixels.

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "app/base/checked_containers.h"
#include "flow/runtime/flow_runner.h"
#include "objects/effect_playback.h"
#include "objects/game_object.h"
#include "stagedata/chara.h"

class cCondition;
class cItem;
class cShot;
class cMapCell;
struct DDSURFACEDATA;
struct DRAWSOURCE;

// The block contacts of a sub-step, indexes into cChara::LRUD.
enum : int { LRUD_LEFT = 0, LRUD_RIGHT = 1, LRUD_UP = 2, LRUD_DOWN = 3 };

// Flow tags: 0 "-", 1..26 A..Z.
inline constexpr int kFlowTags = 27;
// Character variables.
inline constexpr int kCharaVars = 9;
// The jump from a solid character is 1.02 times as fast, as the program
// always had it in single precision.
inline constexpr double kRideJumpBoost = static_cast<double>(1.02f);

// A box of a character: world edges (refreshed by UpdateBoxX and
// UpdateBoxY), its offset from the object position and size as currently
// scaled, and the same unscaled.
struct HITBOX {
  DRECT rc;
  int32_t nX = 0;
  int32_t nY = 0;
  int32_t nWidth = 0;
  int32_t nHeight = 0;
  int32_t nBaseX = 0;
  int32_t nBaseY = 0;
  int32_t nBaseWidth = 0;
  int32_t nBaseHeight = 0;
};

// A box centred on the sprite centre of obj, as current and unscaled values.
void SetCentredBox(HITBOX& box, const cGameObject& obj, int nWidth, int nHeight);
// The current values of a box: nScale times the unscaled ones.
void ScaleBox(HITBOX& box, int nScale);
// The world edges of a box from the object position x (y).
void UpdateBoxEdgesX(HITBOX& box, double x);
void UpdateBoxEdgesY(HITBOX& box, double y);

// The animation of a HP or SP gauge after a change.
struct GAUGEANIM {
  int32_t nFrames = 0;   // countdown, 120 when started
  double dChange = 0.0;  // width of the change bar in pixels, signed
  double dStep = 0.0;    // pixels the change bar shrinks per frame
  int32_t nWidth = 0;    // width of the value bar when the change happened, 0..50
};

// Immunity against one attacker.
struct IMMUNITY {
  int32_t nAttackerId = 0;
  int32_t nLeft = 0;  // sub-steps
};

// An animation started by a flow.
struct ANIMEPLAY {
  PLAYER_ELEMENT_SIZE(ANIMEPLAY, 48);
  cAnimePattern Pattern;  // pattern 0 is the animation
  int32_t bPriority = 0;  // from lead-in cues and アニメの実行
  int32_t nLength = 0;    // frames left of its nominal length
  int32_t nHold = 0;      // the starting command's use time x 6 (frames)
  int32_t nKey = 0;       // m_nKey of the runner whose flow started it
  int32_t bPaused = 0;
};

// The members of a character, apart so that copies are made member by member
// by the compiler (cChara adds the re-binding of its runners).
struct cCharaFields {
  cCharaFields();
  cCharaFields(const cCharaFields& other);
  cCharaFields& operator=(const cCharaFields& other);
  ~cCharaFields();

  int32_t m_nTargetId = -1;                // ターゲット; -1 none
  std::vector<int32_t> m_vShots;           // ids of the shots aimed at this character
  cEdChara m_Def;                          // own copy of the definition and its flows
  int32_t m_nRunnerKey = 0;                // serial of runner keys
  cCheckedVector<cFlowRunner> m_vRunners;  // runner i runs flow i of m_Def
  cCheckedVector<uint8_t> m_vTagActive;    // by tag: a trigger-0 flow runs
  cCheckedVector<uint8_t> m_vTagEnded;     // by tag: a flow stopped or halted
  cCheckedVector<uint8_t> m_vTagStarted;   // by tag: started in this frame
  int32_t m_bTagEndRequest = 0;
  int32_t m_bDeleteRequest = 0;  // a runner waits to be deleted at the end of the flow step
  double m_dHomeX = 0.0;         // where the character was placed
  double m_dHomeY = 0.0;
  int32_t m_bAnimeByCommand = 0;
  double m_dKnockX = 0.0;  // pixels per sub-step
  double m_dKnockY = 0.0;
  int32_t m_bKnocked = 0;
  double m_dAppliedKnockY = 0.0;
  int32_t m_bNoGravity = 0;
  int32_t m_nWallSide = -1;  // -1 none, 0 left, 1 right
  int32_t m_bAirborne = 0;
  int32_t m_bJumping = 0;
  int32_t m_bJumpRise = 0;
  int32_t m_bJumpBlocked = 0;
  int32_t m_nAirTime = 0;          // sub-steps without ground
  int32_t m_nFootCell = -1;        // g_MapCells index under the feet
  int32_t m_nStoodCell = -1;       // the cell last stood on
  int32_t m_nStoodCellStart = -1;  // m_nStoodCell at the start of the sub-step
  int32_t m_nModeGrace = 0;
  int32_t m_bPinX = 0;
  int32_t m_bPinY = 0;
  int32_t m_nPinX = 0;
  int32_t m_nPinY = 0;
  int32_t m_bDead = 0;
  int32_t m_nDyingFrames = 0;
  int32_t LRUD[4] = {};  // contacts of the sub-step: left, right, up, down
  int32_t m_bLeftGround = 0;
  int32_t m_bOnChara = 0;    // standing on a solid character
  int32_t m_nRiddenId = -1;  // that character at the last riding contact
  DRECT m_dRiddenBox;        // its box then
  double m_dSavedX[4] = {};  // x, y, right, bottom at the start of the sub-step
  int32_t m_nHp = 0;
  GAUGEANIM m_HpGauge;
  int32_t m_nSp = 0;
  GAUGEANIM m_SpGauge;
  cCheckedVector<int32_t> m_vVars;   // character variables
  int32_t m_nInvincible = 0;         // sub-steps
  std::vector<IMMUNITY> m_Immunity;  // keeps its room: a fight allocates nothing
  std::list<ANIMEPLAY> m_AnimePlays;
  int32_t m_bVanish = 0;  // 消滅: the character leaves without its death or score
  int32_t m_nSightDots = 0;
  cEffectPlayback m_CharaEffect;  // the running character effect; number 0 for none
  HITBOX m_BoxA;                  // body against body; placing hit effects
  HITBOX m_BoxB;                  // where shots hit
  int32_t m_nMisc1 = 0;           // computer: in view; hero: input record of its jump key test
  int32_t m_nMisc2 = 0;           // computer: active; hero: sub-steps the jump key is held
};

class cChara : public cGameObject, public cCharaFields {
 public:
  cChara();
  cChara(const cChara& other);
  cChara& operator=(const cChara& other);
  ~cChara() override;

  // Slots 13..20 of the program's table.
  // 13: every member, then the runners re-pointed at this copy's flows.
  virtual void CopyCharaFrom(const cChara& other);
  // 14: the item a computer character carries.
  virtual cItem* GetCarriedItem() { return nullptr; }
  // 15, 16: after a move along x or y.
  virtual int AfterMoveX() { return 0; }
  virtual int AfterMoveY() { return 0; }
  // 17, 18: one sub-step of motion.
  virtual int StepX() { return 0; }
  virtual int StepY() { return 0; }
  // 19: the flow step.
  virtual int RunFlows(int bDeathPass) {
    (void)bDeathPass;
    return 0;
  }
  // 20: ジャンプ.
  virtual void Jump(COMMANDSTATE* lpState) { (void)lpState; }

  // Placement (slots 4, 7..12): by the sprite centre on screen.
  void ReanchorY(int nNew, int nOld) override;
  void SetCenter(int x, int y) override;
  void SetCenterStop(int x, int y, COMMANDSTATE* lpState) override;
  void SetCenterX(int x) override;
  void SetCenterXStop(int x, COMMANDSTATE* lpState) override;
  void SetCenterY(int y) override;
  void SetCenterYStop(int y, COMMANDSTATE* lpState) override;

  // Start of life: links, tags, home, body state, HP and SP, variables,
  // the definition copy (when given), animation set. Runners are left to
  // the Init of the class (SetFlows).
  void Reset(const cEdChara* lpDef, double x, double y, int16_t sCopyIndex);

  // Flow and runner lists.
  void SetFlows(const cFlowList& flows, int nFacing, int bAppend, int nIndex);
  void BindFlows();
  void AssignRunners(const cCheckedVector<cFlowRunner>& runners);
  void DeleteFlow(int nSlot);
  int DeleteFlowsById(int8_t cId);
  void ResetTriggerLatches();

  // Triggers (the flow runtime): raises trigger nKey (0..19) on this
  // character; the flow context's current character, runner and command
  // state are as it found them when it returns.
  void RaiseTrigger(int nKey);
  // The flow's key conditions, with edge detection (the flow runtime).
  bool CheckKeyCondition(cFlowRunner& runner);
  // Starts the lead-in animations that are due at the runners' frame
  // counters (the flow runtime).
  void StartFlowAnimeCues();
  // Puts an entry for Anime row sAnime at the front of the anime-play list,
  // under runner key nKey, not paused, without priority, length or hold,
  // and starts it from its first frame even over a hold frame.
  ANIMEPLAY& StartFlowAnime(int16_t sAnime, int nKey);

  // Animations.
  void SetAnimeSet(int16_t sNumber, int bForce);
  void RemoveAnimesOfFlow(int nKey);
  void PauseAnimesOfFlow(int nKey);
  void ResumeAnimesOfFlow(int nKey);
  int CurrentAnimeCell(int bNoAdvance);

  // Boxes and tiles.
  void SetBoxA(int bBottomAlign, int nWidth, int nHeight);
  void SetTile(int tx, int ty);
  void SetTileX(int tx);
  void SetTileY(int ty);
  void SetTilePos(int tx, int ty);

  // Links (ids resolved through the play scene).
  cChara* GetTarget() const;
  // Makes lpTarget (or none) the target.
  void SetTarget(cChara* lpTarget);
  // Leaves every link: the hero and the computer characters whose target
  // this is lose their target, this one loses its own, and the shots aimed
  // at it (m_vShots) lose their target.
  void UnlinkCharas();

  // Sub-step bookkeeping.
  void ClearLRUD();
  void SavePosition();
  void RestorePosition();
  // vy += gravity unless flying, riding, suspended or knocked upward.
  void ApplyGravity();
  void DecayKnockbackX();
  void DecayKnockbackY();
  void ApplyKnockbackY();

  // Floor and ceiling.
  int IsOnBlock() const;
  void LandOnBlock();
  void HitCeiling();
  void LeaveGround(int bNoteLeft);

  // Jump arithmetic.
  double JumpVelocityDots(double dHeight) const;
  double JumpVelocity(int8_t cHalfBlocks) const;
  int JumpRiseSteps(double dVelocity) const;
  int JumpDuration(int8_t cHalfBlocks) const;

  // Hit points and skill points.
  int ChangeHp(int nDelta, int bForce, int bAnimate);
  void ChangeSp(int nDelta, int bAnimate);
  void AnimateHpGauge(int nDelta);
  void AnimateSpGauge(int nDelta);
  void DrawHpGauge(DDSURFACEDATA* lpDst);
  void DrawSpGauge(DDSURFACEDATA* lpDst);
  void DrawGauge(DDSURFACEDATA* lpDst, GAUGEANIM& gauge, int bSp);

  // Drawing (objects/chara_effect.h has the character effects). Draw
  // advances the animations (unless frozen) and draws the current cell
  // through the running character effect, then the mark; an invisible
  // character only advances its effect. GraphicCell gives the sheet column
  // of the current graphic with the anime set's flying, block and
  // invincible offsets and the colour state of an invincible character.
  void Draw(DDSURFACEDATA* lpDst, int bFrozen);
  int GraphicCell(DRAWSOURCE& src);
  // The running character effect's handler, drawing from lpSrc onto lpDst
  // when bDraw is set (a source without a sheet draws nothing); an effect
  // that ends is no longer running. 1 when it ended.
  int RunCharaEffect(DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw);
  // The running character effect without drawing; 1 when it has ended.
  int TickCharaEffect(int bFrozen);
  // The current cell at the drawn size, copied to (0, 0) of a work surface
  // without the colour key (from the copy in use, scaled, when resized;
  // otherwise from the second copy); and the cell copied unscaled from the
  // first copy. Both with the colour state.
  void BlitCell(DDSURFACEDATA* lpWork, const DRAWSOURCE& src);
  void BlitPlain(DDSURFACEDATA* lpWork, const DRAWSOURCE& src);

  // One sub-step of the invincibility countdown and of the immunity
  // against each attacker.
  void TickImmunity();
  // The general invincibility countdown started: N times the stage's
  // invincibility frames of the hero or of computer characters, by kind.
  void StartInvincibility();
  // StartInvincibility, then immunity against the attacker of that object
  // id for N times the stage's per-attacker frames (by kind). An attacker
  // may be listed more than once; entries only expire.
  void AddImmunity(int nAttackerId);
  int IsInvincible() const { return m_nInvincible > 0; }
  // Invincible, or immune to that attacker.
  int IsImmuneTo(int nAttackerId) const;
  // Damage by a touching character: its power less the own defence (a
  // power of 0 or below unchanged: a negative one heals, even through
  // defence and 無敵), its hit effect placed from both A boxes, its impact,
  // then triggers 1 (power not 0) and 2 (impact not 0). 1 when HP reached 0.
  int DamageFromChara(const cChara& attacker);
  // Damage by a shot or a sword, the same with the shot's power, impact and
  // hit effect (placed from box B and the shot's hit rectangle, grown with
  // its size factor).
  int DamageFromShot(const cShot& shot);
  // Death: triggers 3 and the death pass of the flows, the score on defeat,
  // then the links are cut, the character is marked dead and its death
  // effect starts in place of whatever effect ran (a dead character plays
  // only its death effect, never looping). 1 instead (the character stays
  // alive and linked) when a stage clear is pending.
  int Die();
  // A dead character, once per drawn frame: its death effect drawn; 1 when
  // its death is over. A computer character's is over when its death effect
  // ends, at once without one; the hero's after its death effect and then
  // the frame rate's frames (61 at 60 frames per second). A death effect
  // ends at the latest once it has shown for its run time, even when its
  // value cannot move (a start equal to its end). Frozen frames advance
  // nothing, but a computer character without an effect still reports 1:
  // its removal is the caller's to hold back.
  int DrawDying(DDSURFACEDATA* lpDst, int bFrozen);

  // Impact.
  void ApplyImpact(int8_t cImpact, double dDirX, double dDirY);
  void ImpactFromChara(const cChara& attacker);
  // The impact of a shot along its velocity, or of a sword along its
  // facing (objects/shot.cpp).
  void ImpactFromShot(const cShot& shot);

  // Conditions of kinds 5 (status 2), 6 (state) and 7 (distance).
  int CheckStatusCondition2(const cCondition* c) const;
  int CheckStateCondition(const cCondition* c);
  int CheckDistanceCondition(const cCondition* c);

  // Movement helpers of the movement commands.
  void MoveTargetPoint(double& dX, double& dY, const COMMANDSTATE& state, const cEdMove& move);
  int ChargeTo(COMMANDSTATE& state, const cGameObject* lpRef, double tx, double ty,
               int bScreenFollow, int bStopOnArrival);
  int ChargeX(COMMANDSTATE& state, const cGameObject* lpRef, double tx, int bScreenFollow,
              int bStopOnArrival);
  int ChargeY(COMMANDSTATE& state, const cGameObject* lpRef, double ty, int bScreenFollow,
              int bStopOnArrival);
};

// Non-owning lists of characters (the faction lists).
using cCharaPtrList = std::list<cChara*>;

// n half blocks in pixels.
inline int HblToDots(int8_t n) { return n * 16; }
// A per-frame percentage as a per-sub-step rate: p x 0.01 / N^2.
double PercentPerSubstep(int16_t p);

// The hero or computer character with object id nId in the play scene, or
// null.
cChara* FindCharaById(int nId);
