#pragma once
// The character effects: how a character is drawn while one of the 17 kinds
// of the CharaEffect table runs on it (kind 0, the plain drawing, for every
// character that runs none), one handler per kind.
//
// A handler draws the character's current cell transformed by the running
// playback's value (when bDraw is set; lpDst and lpSrc may be null
// otherwise), then, unless frozen, steps the playback one frame. It returns
// 1 when the effect has finished. Kind 0 never advances and never ends.
//
// What the handlers share:
//  - The screen rectangle's left and top (x, y), the sprite size as scaled
//    (W, H) and unscaled (uW, uH), the giant factor G (below 1 counts as 1)
//    and the source's cell scale K. The cell is drawn "resized" when it must
//    be drawn at another scale than it is stored: a dedicated bitmap with
//    cells of its own size when G differs from K, otherwise when G is above
//    1. Resized forms first copy the cell at its drawn size into a work
//    surface (cChara::BlitCell) and transform that copy.
//  - The colour state of an invincible character under the textured back
//    end: plain blits take it as a blit state, composite blits have it set
//    around them.
//  - Every value that comes from a stored parameter or the playback's double
//    value becomes an int through TruncInt and, where it places or sizes
//    something, is held within +-2^20 pixels: no stored value can make an
//    undefined conversion or overflow, and nothing that far away is on any
//    surface. Squares cleared in a work surface are cut to that surface.
//  - A row whose kind lies outside 0..16 draws as kind 0.

#include "records/effect_db.h"

class cChara;
class cEffectPlayback;
struct DDSURFACEDATA;
struct DRAWSOURCE;

using CHARAEFFECTFN = int (*)(cChara& chara, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen,
                              int bDraw);
extern const CHARAEFFECTFN g_apfnCharaEffect[CHARAEFFECT_KINDS];

// The kind of the effect a playback runs: the kind of its row, 0 when none
// runs or the row's kind has no handler.
int CharaEffectKind(const cEffectPlayback& effect);

// Whether a running effect has shown for its whole run time (P0 tenths, each
// way of a there-and-back run) and a frame more: by then its value has
// passed its end, unless its start equals its end (or the step is too small
// to move the value), when the value never passes it.
bool CharaEffectOutlasted(const cEffectPlayback& effect);
