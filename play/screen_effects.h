#pragma once
// The screen effect of a running stage, started by flows: a ScrEffect row
// played over time by the play scene's m_ScrEffect. Each drawn frame its
// handler copies the finished picture to a work surface, fills the back
// buffer with palette colour 16 and draws the copy back transformed (moved,
// shaken, split, waved, turned, cut to a disc, zoomed, seen through a lens
// or pixelated); the blink draws the backgrounds over the stage instead.
// The handler then steps the effect, unless the frame is frozen: menus,
// banners and nested loops show the picture as it stands.
//
// Every stored parameter reaches the drawing as a finite int: run times of
// 0 or less are one-frame effects, divisions by stored values are guarded,
// and positions far outside the screen are held where they draw alike.

#include <cstdint>

#include "records/effect_db.h"

class cPlayScene;

// A screen-effect handler: draws the frame's effect; unless frozen, steps
// the effect and returns 1 when it has ended.
using SCREFFECTPROC = int (*)(cPlayScene& scene, int bFrozen);
// Indexed by the ScrEffect row's kind (0..13); kind 0 draws nothing and
// never ends.
extern const SCREFFECTPROC g_apfnScreenEffect[SCREFFECT_KINDS];
