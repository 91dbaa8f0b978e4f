#include "records/effect_steps.h"

#include <cmath>
#include <utility>

#include "records/database.h"

namespace {

constexpr double kTenthFrames = 6.0;          // frames per tenth of a second
constexpr double kTenthPerFrame = 1.0 / 6.0;  // tenths of a second per frame

// Per-frame step that takes a value from nFrom to nTo in nTenths tenths of a
// second. A run time of 0 or less (out of the stored range) makes a one-frame
// effect, which the playback ends at its first step: its step covers the
// whole way, so that it stays finite. The arithmetic is done in double so
// that no stored value can overflow it.
double RangeStep(int32_t nFrom, int32_t nTo, int32_t nTenths) {
  const double dWay = std::fabs(static_cast<double>(nTo) - static_cast<double>(nFrom));
  return nTenths < 1 ? dWay : dWay / (static_cast<double>(nTenths) * kTenthFrames);
}

}  // namespace

EFFECTSTEPS& CharaEffectStepsAt(EFFECTSTEPSLIST& steps, int nIndex) { return steps.At(nIndex); }

EFFECTSTEPS& ScrEffectStepsAt(EFFECTSTEPSLIST& steps, int nIndex) { return steps.At(nIndex); }

void InitCharaEffectSteps(EFFECTSTEPS& steps, int nEffect, int bReversed) {
  cCharaEffectDef& row =
      bReversed ? g_Database.m_CharaEffectWork.At(nEffect) : g_Database.m_CharaEffect.At(nEffect);
  steps.nEffect = nEffect;
  steps.lpRow = &row;
  const int32_t nKind = row.m_nKind;
  int32_t* p = row.m_anParam;
  if (nKind <= CHARAEFFECT_NONE || nKind >= CHARAEFFECT_KINDS) return;
  if (nKind == CHARAEFFECT_BLINK || nKind == CHARAEFFECT_TRANSLUCENT) {
    // Time kinds: the value counts tenths of a second up to P0, whatever the
    // direction.
    steps.nStart = 0;
    steps.nEnd = p[0];
    steps.dValue = 0.0;
    steps.dStep = kTenthPerFrame;
    steps.nA = 0;
    steps.nB = 0;
    return;
  }
  // Range kinds: the value goes from P1 to P2 over the run time.
  if (bReversed) std::swap(p[1], p[2]);
  steps.nStart = p[1];
  steps.nEnd = p[2];
  steps.dValue = p[1];
  steps.dStep = RangeStep(p[1], p[2], p[0]);
  if (nKind == CHARAEFFECT_WAVE_H || nKind == CHARAEFFECT_WAVE_V) steps.nA = 0;  // wave phase
}

void InitScrEffectSteps(EFFECTSTEPS& steps, int nEffect, int bReversed) {
  cScrEffectDef& row =
      bReversed ? g_Database.m_ScrEffectWork.At(nEffect) : g_Database.m_ScrEffect.At(nEffect);
  steps.nEffect = nEffect;
  steps.lpRow = &row;
  const int32_t nKind = row.m_nKind;
  int32_t* p = row.m_anParam;
  switch (nKind) {
    case SCREFFECT_MOVE:  // from (P1, P2) to (P3, P4) over the run time
      if (bReversed) {
        std::swap(p[1], p[3]);
        std::swap(p[2], p[4]);
      }
      steps.dValue = 0.0;
      steps.dStep = kTenthPerFrame;
      steps.nA = p[1];
      steps.nB = p[2];
      break;
    case SCREFFECT_SHAKE_H:
    case SCREFFECT_SHAKE_V:
      steps.dValue = 0.0;
      steps.dShake = 0.0;
      steps.dStep = kTenthPerFrame;
      steps.nA = 0;  // direction
      break;
    case SCREFFECT_BLINK:
      steps.dValue = 0.0;
      steps.dStep = kTenthPerFrame;
      steps.nA = 0;  // frame counter
      steps.nB = 0;  // visible flag
      break;
    case SCREFFECT_SPLIT_H:
    case SCREFFECT_SPLIT_V:
    case SCREFFECT_WAVE_H:
    case SCREFFECT_WAVE_V:
    case SCREFFECT_ROTATE:
    case SCREFFECT_CIRCLE:
    case SCREFFECT_ZOOM:
    case SCREFFECT_LENS:
    case SCREFFECT_MOSAIC:  // the value goes from P1 to P2 over the run time
      if (bReversed) std::swap(p[1], p[2]);
      steps.dValue = p[1];
      steps.dStep = RangeStep(p[1], p[2], p[0]);
      if (nKind == SCREFFECT_WAVE_H || nKind == SCREFFECT_WAVE_V) steps.nA = 0;  // wave phase
      break;
    default:
      break;
  }
}

void BuildCharaEffectStates(EFFECTSTEPSLIST& normal, EFFECTSTEPSLIST& reversed) {
  const size_t nRows = g_Database.m_CharaEffect.size();
  normal.assign(nRows, EFFECTSTEPS{});
  reversed.assign(nRows, EFFECTSTEPS{});
  for (size_t i = 0; i < nRows; ++i) {
    const int n = static_cast<int>(i);
    InitCharaEffectSteps(CharaEffectStepsAt(normal, n), n, 0);
    InitCharaEffectSteps(CharaEffectStepsAt(reversed, n), n, 1);
  }
}

void BuildScrEffectStates(EFFECTSTEPSLIST& normal, EFFECTSTEPSLIST& reversed) {
  const size_t nRows = g_Database.m_ScrEffect.size();
  normal.assign(nRows, EFFECTSTEPS{});
  reversed.assign(nRows, EFFECTSTEPS{});
  for (size_t i = 0; i < nRows; ++i) {
    const int n = static_cast<int>(i);
    InitScrEffectSteps(ScrEffectStepsAt(normal, n), n, 0);
    InitScrEffectSteps(ScrEffectStepsAt(reversed, n), n, 1);
  }
}
