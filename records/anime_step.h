#pragma once
// One step of an animation pattern, as the pattern tables built from the
// animation and effect databases hold them and cAnimePattern plays them.

#include <cstdint>

#include "app/base/checked_containers.h"

struct ANIMESTEP {
  PLAYER_ELEMENT_SIZE(ANIMESTEP, 12);
  int32_t nValue = 0;     // cell number; a negative value is an end code
  int32_t nDuration = 0;  // ticks the step stays current (end code -3: next pattern)
  int32_t nHold = 0;      // 1: an unforced change of pattern is refused
  bool operator==(const ANIMESTEP&) const = default;
};

using ANIMEPATTERN = cCheckedVector<ANIMESTEP>;
