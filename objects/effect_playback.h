#pragma once
// cEffectPlayback: a running character effect (on a character) or screen
// effect (the play scene's). Starting one copies the precomputed time line
// of its row (records/effect_steps.h) for normal or reversed running; each
// drawn frame its handler draws with the value and then steps it toward
// its end.
//
// Run modes: 0 runs the normal time line once, 1 the reversed one, 2 the
// normal one and then the reversed one (there and back). With loop set the
// time line starts again whenever it has passed its end, so the effect
// never ends by itself; there and back then goes on back and forth.
//
// A row whose run time P0 is 0 or less is a one-frame effect: it has passed
// its end at its first step (and, looping, starts again at every step).

#include <cstdint>

#include "records/effect_steps.h"

class cEffectPlayback : public EFFECTSTEPS {
 public:
  enum : int { RUN_NORMAL = 0, RUN_REVERSED = 1, RUN_THERE_AND_BACK = 2 };

  // No effect running: effect number 0, no row, no loop, not reversed.
  void Reset();
  bool IsRunning() const { return nEffect != 0; }

  // Row n of the CharaEffect (ScrEffect) table in the given run mode.
  void StartCharaEffect(int nEffect, int nMode, int bLoop);
  void StartScrEffect(int nEffect, int nMode, int bLoop);
  // The time line again from its start; there and back turns round.
  void RestartCharaEffect();
  void RestartScrEffect();

  // One frame of a character effect: the value moves one step toward the
  // end (compared as a double). 1 when it has passed the end and the effect
  // is over; 0 while it runs, and when it has started again.
  int Step();
  // The same for the screen effect between the start and end its handler
  // names, the value compared after truncation toward zero.
  int StepToward(int nFrom, int nTo);

 private:
  // Entry n of the normal or reversed list of character (screen) effects.
  static const EFFECTSTEPS& Entry(bool bScreen, bool bRev, int n);
  void Start(bool bScreen, int nEffect, int nMode, int bLoop);
  void Restart(bool bScreen);
  // Takes the row and the step data of a list entry.
  void CopySteps(const EFFECTSTEPS& steps);
  // After the value has moved one step: 1 when the effect is over, 0 while
  // it runs or when it has started again.
  int AfterStep(bool bScreen, bool bPassed);
};
