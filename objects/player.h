#pragma once
// cPlayer: the hero, the one character the player controls. Its flows are
// started by key triggers through its input record; beyond the character
// base it has the camera follow, a third box for picking up items, the
// jump with key-controlled height and the foot-effect and item bookkeeping
// that map blocks and items use.
//
// The hero's input record is named by its player number (m_nMisc1), never
// by address.

#include <cstdint>
#include <list>
#include <vector>

#include "app/base/element_sizes.h"
#include "objects/chara.h"

// One entry of the hit-box display.
struct HITBOXVIEW {
  int32_t nType = 0;  // 0 hit box, 1 box A, 2 box C, 3 box B
  int32_t nMode = 0;  // 0 not shown, 1 filled, 2 outlined
  int32_t nColour = 0;
  int32_t nX = 0;
  int32_t nY = 0;
  int32_t nWidth = 0;
  int32_t nHeight = 0;
  int32_t nTick = 0;  // colour cycle 0..31
};

// Timed foot effects (m_nFootEffect).
enum : int {
  FOOTEFFECT_NONE = 0,
  FOOTEFFECT_SPRING = 1,
  FOOTEFFECT_SLIPPERY = 2,
  FOOTEFFECT_SPEED = 3,
  FOOTEFFECT_CONVEYOR_LEFT = 4,
  FOOTEFFECT_CONVEYOR_RIGHT = 5,
};

class cInputState;
class cKeyCondition;

class cPlayer : public cChara {
 public:
  PLAYER_ELEMENT_SIZE(cPlayer, 1312);

  // Start of life from the hero placement at world position (x, y): the
  // character base, the boxes of the movement mode, the giant factor, the
  // jump and foot state, the hit-box display and the flows of the placement.
  void Init(int nId, cEdChara* lpDef, double x, double y);
  // The hit box of the current movement mode from the stage settings,
  // centred in the 32 x 32 sprite or standing on its bottom line.
  void HitBoxSize(int& nOffX, int& nOffY, int& nWidth, int& nHeight) const;
  // Walking or flying (MOVEMODE_*): the hit box, box A by the placement's
  // hit-box choice, boxes B and C centred on the sprite; bScale applies the
  // giant factor to the new values.
  void SetMoveMode(int nMode, int bScale);
  void BuildHitBoxDisplay();

  // Slots 3, 5, 6: boxes A, B and C follow the scale and the position.
  void ScaleBoxes(int nScale) override;
  void UpdateBoxX() override;
  void UpdateBoxY() override;
  // Slots 15, 16: the camera follows the hero (unless the axis
  // autoscrolls), then the hero is clamped: a flier to the view, a walker
  // to the stage.
  int AfterMoveX() override;
  int AfterMoveY() override;
  // Slots 17, 18: one sub-step of motion. StepY gives 7 when a walking hero
  // left the stage at the bottom.
  int StepX() override;
  int StepY() override;
  // Slot 19: the hero's flow step; 1 when its HP is 0 or less.
  int RunFlows(int bDeathPass) override;
  // Slot 20: ジャンプ.
  void Jump(COMMANDSTATE* lpState) override;

  // The hero's own screen rectangle: with an autoscrolling axis the integer
  // parts of position and scroll are subtracted, so that the hero does not
  // jitter against the scrolling map.
  void UpdateScreenRect();
  // The cell stood on at the start of the sub-step (for the item blocks).
  void SaveState() { m_nStoodCellStart = m_nStoodCell; }

  // An item's command list run on the hero when it takes the item: 2 when a
  // command leaves the hero's HP below 1, else the first result other than
  // 0 (1 stage clear), else 0.
  int RunItemCommands(const cFlowCommandList& commands);

  // The 16 x 16 icon of a graphic (kind, number, cell) pops up above the
  // hero, where it first appears on the screen, and rises there for 30
  // frames.
  void PopText(int nKind, int16_t sNumber, int16_t sCell);

  // Items the hero touches (pickup mode 1) are taken once per contact.
  int IsNotTouching(int nId) const;
  void ForgetTouched(int nId);

  // The character drawing, then the hit-box display.
  void Draw(DDSURFACEDATA* lpDst, int bFrozen);

  // The input record of the hero's player number (checked access).
  cInputState& Input() const;
  // The rise count of the jump (kept in the general word m_nMisc2).
  int32_t& RiseCount() { return m_nMisc2; }

  int32_t m_bJumpReady = 0;
  int32_t m_bSlippery = 0;
  double m_dFootScale = 0.0;  // 4 / N
  int32_t m_bJumpRan = 0;
  std::list<int32_t> m_TouchedIds;
  int32_t m_nFootEffect = FOOTEFFECT_NONE;  // running timed foot effect
  double m_dFootValue = 0.0;
  int32_t m_nFootEffectLeft = 0;  // sub-steps
  int32_t m_nItemCooldown = 0;    // sub-steps
  HITBOX m_BoxC;                  // where the hero touches items
  std::vector<HITBOXVIEW> m_vHitBoxView;
  // フローの変更 commands of items taken while the hero's own flows were being
  // raised or stepped: run at the end of its flow step.
  std::vector<cFlowCommand> m_vQueuedItemCmds;
};

// Whether the key states of k hold on the input now (newest events only,
// hold lengths not looked at).
int CheckKeyStates(const cInputState& input, const cKeyCondition& k);
