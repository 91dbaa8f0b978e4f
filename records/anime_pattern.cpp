#include "records/anime_pattern.h"

void cAnimePattern::Clear() {
  m_Patterns.clear();
  m_nPattern = 0;
  m_nFrame = 0;
  m_nTick = 0;
}

void cAnimePattern::SetPatterns(const ANIMESTEPDEF* const* lpList) {
  if (!lpList) return;
  Clear();
  int nPatterns = 0;
  while (lpList[nPatterns]) ++nPatterns;
  m_Patterns.resize(static_cast<size_t>(nPatterns));
  for (int j = 0; j < nPatterns; ++j) {
    const ANIMESTEPDEF* lpSteps = lpList[j];
    int nSteps = 0;
    while (lpSteps[nSteps].nValue >= 0) ++nSteps;
    ++nSteps;  // the end step belongs to the pattern
    ANIMEPATTERN& pattern = m_Patterns.At(j);
    pattern.resize(static_cast<size_t>(nSteps));
    for (int i = 0; i < nSteps; ++i) {
      ANIMESTEP& step = pattern.At(i);
      step.nValue = lpSteps[i].nValue;
      step.nDuration = lpSteps[i].nDuration;
      step.nHold = lpSteps[i].bHold;
    }
  }
}

int cAnimePattern::SetPattern(int nPattern, int bForce) {
  if (!bForce && CurrentStep().nHold) return 0;
  m_nPattern = nPattern;
  m_nFrame = 0;
  m_nTick = 0;
  return 1;
}

int cAnimePattern::ChangePattern(int nPattern, int bForce) {
  if (nPattern == m_nPattern) return 1;
  return SetPattern(nPattern, bForce);
}

int cAnimePattern::Step() {
  if (m_Patterns.empty()) return 0;
  ++m_nTick;
  // Each step is read once per move, so a bad index is reported once per call.
  const ANIMESTEP* lpStep = &CurrentStep();
  if (m_nTick >= lpStep->nDuration) {
    m_nTick = 0;
    ++m_nFrame;
    lpStep = &CurrentStep();
    switch (lpStep->nValue) {
      case -3:
        SetPattern(lpStep->nDuration, 1);
        lpStep = &CurrentStep();
        break;
      case -2:
        m_nFrame = 0;
        lpStep = &CurrentStep();
        break;
      case -1:
        --m_nFrame;
        lpStep = &CurrentStep();
        break;
      default:
        break;
    }
  }
  return lpStep->nValue;
}

int cAnimePattern::GetValue() const { return CurrentStep().nValue; }
