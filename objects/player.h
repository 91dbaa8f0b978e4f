#pragma once
// cPlayer: the hero, the one character the player controls. Its flows are
// started by key triggers through its input record; beyond the character
// base it has the camera follow, a third box for picking up items, the
// jump with key-controlled height and the foot-effect and item bookkeeping
// that map blocks and items use.
//
// Here: its members and what the block collision uses of it; the hero's
// own operations are declared with their definitions.

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

class cPlayer : public cChara {
 public:
  PLAYER_ELEMENT_SIZE(cPlayer, 1312);
  // The hero's own screen rectangle: with an autoscrolling axis the integer
  // parts of position and scroll are subtracted, so that the hero does not
  // jitter against the scrolling map.
  void UpdateScreenRect();

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
  std::vector<cFlowCommand> m_vQueuedItemCmds;
};
