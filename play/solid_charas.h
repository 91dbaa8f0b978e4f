#pragma once
// Block characters: characters whose block-character switch is set stand in
// the way of others like map blocks. A block character takes part when it is
// not dead and has appeared.

#include "play/play_scene.h"

// 1 when the object's box overlaps one of the block characters other than
// itself; 0 for a flier that passes through blocks.
int OverlapsSolidChara(const cGameObject& obj, const std::vector<cComChara*>& blockCharas);
// The same, also ignoring the block character with object id nId.
int OverlapsSolidCharaExcept(const cGameObject& obj, const std::vector<cComChara*>& blockCharas,
                             int nId);
