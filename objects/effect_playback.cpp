#include "objects/effect_playback.h"

#include <cmath>

#include "records/effect_db.h"

const EFFECTSTEPS& cEffectPlayback::Entry(bool bScreen, bool bRev, int n) {
  if (bScreen) return ScrEffectStepsAt(bRev ? g_ScrEffectStepsRev : g_ScrEffectSteps, n);
  return CharaEffectStepsAt(bRev ? g_CharaEffectStepsRev : g_CharaEffectSteps, n);
}

void cEffectPlayback::Reset() { *this = cEffectPlayback{}; }

void cEffectPlayback::StartCharaEffect(int nEffectIn, int nMode, int bLoopIn) {
  Start(false, nEffectIn, nMode, bLoopIn);
}

void cEffectPlayback::StartScrEffect(int nEffectIn, int nMode, int bLoopIn) {
  Start(true, nEffectIn, nMode, bLoopIn);
}

void cEffectPlayback::RestartCharaEffect() { Restart(false); }

void cEffectPlayback::RestartScrEffect() { Restart(true); }

void cEffectPlayback::Start(bool bScreen, int nEffectIn, int nMode, int bLoopIn) {
  bReversed = nMode == RUN_REVERSED ? 1 : 0;
  CopySteps(Entry(bScreen, bReversed, nEffectIn));
  nEffect = nEffectIn;
  nRunMode = nMode;
  nFrame = 0;
  bLoop = bLoopIn;
}

void cEffectPlayback::Restart(bool bScreen) {
  if (nRunMode == RUN_THERE_AND_BACK) bReversed = bReversed ? 0 : 1;
  CopySteps(Entry(bScreen, bReversed, nEffect));
  nFrame = 0;
}

void cEffectPlayback::CopySteps(const EFFECTSTEPS& steps) {
  lpRow = steps.lpRow;
  nStart = steps.nStart;
  nEnd = steps.nEnd;
  dValue = steps.dValue;
  dShake = steps.dShake;
  dStep = steps.dStep;
  nA = steps.nA;
  nB = steps.nB;
}

int cEffectPlayback::AfterStep(bool bScreen, bool bPassed) {
  // Without a run time the first step is the last.
  const bool bOneFrame = lpRow == nullptr || lpRow->m_anParam[0] <= 0;
  if (!bPassed && !bOneFrame) return 0;
  if (bLoop || (nRunMode == RUN_THERE_AND_BACK && !bReversed)) {
    Restart(bScreen);
    return 0;
  }
  return 1;
}

int cEffectPlayback::Step() {
  bool bPassed;
  if (nEnd < nStart) {
    dValue -= dStep;
    bPassed = dValue < nEnd;
  } else {
    dValue += dStep;
    bPassed = dValue > nEnd;
  }
  return AfterStep(false, bPassed);
}

int cEffectPlayback::StepToward(int nFrom, int nTo) {
  // Truncated in double: an int would saturate at the ends of its range and
  // never pass an end that lies there.
  bool bPassed;
  if (nTo < nFrom) {
    dValue -= dStep;
    bPassed = std::trunc(dValue) < nTo;
  } else {
    dValue += dStep;
    bPassed = std::trunc(dValue) > nTo;
  }
  return AfterStep(true, bPassed);
}
