#pragma once
// cComChara: a character the player does not control: an enemy, a friend,
// a moving platform. Each is made from its own copy of a character
// definition, by stage set-up from the placements or by a summoning flow
// command, and lives in the play scene's character list.
//
// Beyond the character base it decides, every sub-step, whether it is in
// view and whether it is active (only active characters run their flows
// and move; an inactive one keeps its whole state and resumes where it
// stopped), keeps itself inside the world rather than moving the camera,
// and may carry an item.
//
// The carried item is the character's own copy, set up at stage set-up from
// the item placement that the character's placement links to; it never lies
// on the map. When the character dies it goes to the hero as if the hero
// had touched it (DropCarriedItem, play/play_scene.h). Now and then its
// icon blinks above the character's head.
//
// A block character (the definition's block-character switch) is solid:
// others stand on it and are pushed by it. Its hit, contact and shot boxes
// are one whole cell.
//
// Activation: a character is active in a sub-step when it is in view (by
// its view mode, one or both axes may be ignored), when a member of its
// activation group is in view, or, walking, while it is in a jump or falls
// after having been active. Activation mode 1 makes the first activation
// permanent: from then on the view test ignores both axes. This is the one
// "keep active" behaviour the character has.

#include <cstdint>
#include <list>
#include <memory>

#include "app/base/checked_containers.h"
#include "objects/chara.h"
#include "objects/item.h"

struct DDSURFACEDATA;

class cComChara : public cChara {
 public:
  // Start of life at world position (x, y) from a copy of def (a giant
  // factor of 0 taken as 1 in that copy; def is left as it is): the
  // character base, the hit box and boxes A and B of its movement mode
  // (one cell for a block character), the giant factor, the view-test
  // switches of its view mode, the walking or flying animation started and
  // its flows installed, and a copy of the carried item (none: an item
  // without a picture). Not active until the appearance update says so.
  void Init(int nId, const cEdChara& def, double x, double y, int16_t sCopyIndex,
            const cItem* lpCarried = nullptr);

  // Slot 3: a block character's boxes A and B are its hit box; the others'
  // follow the scale.
  void ScaleBoxes(int nScale) override;
  // Slots 5, 6: the edges of boxes A and B.
  void UpdateBoxX() override;
  void UpdateBoxY() override;
  // Slots 15, 16: kept inside the world; the camera is not moved.
  int AfterMoveX() override { return ClampX(2); }
  int AfterMoveY() override { return ClampY(2); }
  // Slots 17, 18: one sub-step of motion. StepX gives 4 when the character
  // was clamped at the edge of the world (it leaves); StepY gives 8 for a
  // flier clamped at the top or bottom of the world (it leaves) and 7 for a
  // walker below the stage or at the bottom of the world (it dies);
  // otherwise the world clamp's classification.
  int StepX() override;
  int StepY() override;
  // Slot 19: the flow step; 1 when the character is to leave the stage (its
  // HP ran out, or 消滅).
  int RunFlows(int bDeathPass) override;
  // Slot 20: ジャンプ, always with the command's full height, from the
  // ground only.
  void Jump(COMMANDSTATE* lpState) override;

  // Slot 14: the embedded item, never null; one whose graphic number is 0
  // stands for none.
  cItem* GetCarriedItem() override { return &m_CarriedItem; }

  // The blinking icon of the carried item, once per drawn frame after the
  // character and its gauges: counted only while the character is on
  // screen, both it and the item visible and the item carried; shown at
  // counts 64 to 96 (33 frames of 96), centred above the head.
  void DrawCarriedItemIcon(DDSURFACEDATA* lpDst);

  // The view test of the appearance update: whether the character is in
  // view (kept as the in-view flag); one in view that belongs to an
  // activation group sets that group's flag.
  int CheckAppear(cCheckedVector<uint8_t>& groups);
  // Whether the character is active in this sub-step (see the top of the
  // file); an active one has been active, and with activation mode 1 its
  // view test ignores both axes from now on.
  int Activate(const cCheckedVector<uint8_t>& groups);

  // The in-view and active flags (the general words of the character).
  int32_t& InView() { return m_nMisc1; }
  int32_t& Active() { return m_nMisc2; }
  int32_t IsActive() const { return m_nMisc2; }

  cItem m_CarriedItem;       // the item it carries, its own copy
  int32_t m_nIconTick = 0;   // frame counter of the carried item's icon, 0..96
  int32_t m_bSkipViewX = 0;  // the view test ignores the horizontal axis
  int32_t m_bSkipViewY = 0;  // ... the vertical axis
  int32_t m_bWasActive = 0;  // has been active at least once
};

// The computer characters of a stage, in list order. Each lives on the heap
// and never moves while it is in the list.
using cCharaList = std::list<std::unique_ptr<cComChara>>;
