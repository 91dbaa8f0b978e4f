#pragma once
// What the game objects read of the running stage: the play scene that owns
// them, and the rule by which positions become integers.

#include <cmath>
#include <cstdint>
#include <limits>

#include "play/play_scene.h"

// The play scene of the running stage. Objects exist only inside one.
inline cPlayScene& PlayScene() { return *g_lpPlayScene; }

// A double truncated toward zero, as every conversion of a position or a
// velocity to an integer is. Values beyond the int range saturate and a NaN
// gives 0, so that a damaged value never becomes undefined behaviour.
inline int32_t TruncInt(double d) {
  if (d >= -2147483648.0 && d < 2147483648.0) [[likely]]
    return static_cast<int32_t>(d);
  if (std::isnan(d)) return 0;
  return d < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
}
