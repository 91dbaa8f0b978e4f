#pragma once
// The precomputed time lines of the character and screen effects.
//
// Every CharaEffect and ScrEffect row is turned once at start-up into a start
// value and a per-frame step, for normal and for reversed running, so that
// starting an effect is a copy and each frame one addition and one comparison.
// A running effect (the playback of the game objects) has the same layout and
// copies an entry of these lists when it starts.

#include <cstdint>

#include "app/base/checked_containers.h"

class cEffectDef;

struct EFFECTSTEPS {
  PLAYER_ELEMENT_SIZE(EFFECTSTEPS, 56);
  int32_t nEffect = 0;          // row number
  cEffectDef* lpRow = nullptr;  // the row the values were taken from
  int32_t nRunMode = 0;         // playback only: 0 normal, 1 reversed, 2 there and back
  int32_t bLoop = 0;            // playback only
  int32_t bReversed = 0;        // playback only: values come from the reversed list
  int32_t nFrame = 0;           // playback only: frames since the (re)start
  // Step data. Character effects use start, end, value, step, a and b; screen
  // effects value, shake offset, step, a and b (their start and end are the
  // row's parameters).
  int32_t nStart = 0;
  int32_t nEnd = 0;
  double dValue = 0.0;
  double dShake = 0.0;
  double dStep = 0.0;
  int32_t nA = 0;
  int32_t nB = 0;
};

using EFFECTSTEPSLIST = cCheckedVector<EFFECTSTEPS>;

// One entry per row of the CharaEffect and ScrEffect tables, built by
// BuildCharaEffectStates and BuildScrEffectStates after the database is loaded.
extern EFFECTSTEPSLIST g_CharaEffectSteps;
extern EFFECTSTEPSLIST g_CharaEffectStepsRev;
extern EFFECTSTEPSLIST g_ScrEffectSteps;
extern EFFECTSTEPSLIST g_ScrEffectStepsRev;

// Checked access: a bad index is reported ("err V[%d] ( %d , %d )"), a close
// request is made and element 0 is returned.
EFFECTSTEPS& CharaEffectStepsAt(EFFECTSTEPSLIST& steps, int nIndex);
EFFECTSTEPS& ScrEffectStepsAt(EFFECTSTEPSLIST& steps, int nIndex);

// Fills one entry from row nEffect of the CharaEffect table (bReversed 0) or of
// its working copy (bReversed 1); for reversed running the start and end
// parameters of the working-copy row are exchanged first. A kind outside 1..16
// sets only the row number and row.
void InitCharaEffectSteps(EFFECTSTEPS& steps, int nEffect, int bReversed);
// The same for a ScrEffect row (kinds 1..13); for kind 1 both coordinate pairs
// are exchanged.
void InitScrEffectSteps(EFFECTSTEPS& steps, int nEffect, int bReversed);

// Rebuild the normal and reversed lists from the whole table.
void BuildCharaEffectStates(EFFECTSTEPSLIST& normal, EFFECTSTEPSLIST& reversed);
void BuildScrEffectStates(EFFECTSTEPSLIST& normal, EFFECTSTEPSLIST& reversed);
