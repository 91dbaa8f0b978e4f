#pragma once
// cItem: an item of a running stage, a picture on the map that does
// something to the hero when the hero touches it. It keeps its own copy of
// the item definition it was made from and does not move: the play frame
// counts its lifetime and erases it by the erase area, the pickup test
// applies it and the frame drawing draws it.
//
// Map items live in the play scene's item list. An item a computer character
// carries belongs to that character and never lies on the map; an item of an
// item block (or of a shot that hits) is built on the spot, applied to the
// hero once and dropped.
//
// Geometry: the stage's item hit box (28 x 28 in a new stage) centred in a
// 32 x 32 sprite; a scale factor s makes box, offsets and sprite s times as
// large, the sprite centred on its cell and standing on the cell's bottom
// edge (for an even box height). A carried item keeps the unscaled geometry.

#include <cstdint>
#include <list>

#include "objects/game_object.h"
#include "stagedata/item.h"

struct DDSURFACEDATA;

class cItem : public cGameObject {
 public:
  // The definition defaults (graphic kind 2, pop-up 1, scale 1, layer 6),
  // not carried. Copies take every field, the animation player by value.
  cItem() = default;
  cItem(const cItem& other) = default;
  cItem(cItem&& other) = default;
  cItem& operator=(const cItem& other) = default;
  cItem& operator=(cItem&& other) = default;
  ~cItem() override = default;

  // Slot 3: an item has no boxes besides its hit box.
  void ScaleBoxes(int nScale) override { (void)nScale; }
  // Slot 4: keeps the sprite's bottom edge where it was (for an even box
  // height), then ClampY(2). Nothing when the factors are equal.
  void ReanchorY(int nNew, int nOld) override;

  // Sets the item up from a definition: its own copy of it (a scale of 0
  // taken as 1 in that copy; the definition given is left as it is), the
  // base fields of an item with object id nId, and the scale. A carried
  // item has appeared and keeps the unscaled geometry.
  void Init(int nId, const cEdItem& def, int bCarried);
  // Places a set-up item on stage map cell (tx, ty): its box centred on the
  // cell (x half a pixel right), scaled about that, clamped to the world.
  void SetTile(int tx, int ty);
  // Draws the item at its screen rectangle (the caller refreshes it first):
  // the picture of the current animation frame, advanced one tick unless
  // frozen, stretched when scaled; then its mark icon. An invisible item is
  // neither drawn nor animated.
  void Draw(DDSURFACEDATA* lpDst, int bFrozen);

  // The box as a rectangle of world pixels, both ends inclusive.
  DRECT Box() const { return DRECT{m_dX, m_dY, m_dRight, m_dBottom}; }
  // The scale factor, at least 1.
  int Scale() const { return m_Def.m_nGiant; }

  cEdItem m_Def;           // the item's own copy of its definition
  int32_t m_bCarried = 0;  // belongs to a computer character
};

// The items of a stage, in list order.
using cItemList = std::list<cItem>;
