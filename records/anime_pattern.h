#pragma once
// cAnimePattern: plays frame sequences. It holds a table of patterns, each a
// list of ANIMESTEP, and on every tick hands back the value to show (a sprite
// cell for its owner). It knows nothing of drawing.
//
// Every pattern ends with an end step (the first step with a negative value):
//   -1  the previous step stays current (the pattern holds its last step)
//   -2  the pattern restarts at step 0
//   -3  continue with pattern n (n = the end step's duration), forced
//   any other negative code: the end step itself becomes current and its code
//       is what Step returns (-4 is the "finished" code of one-shot animations)
//
// Every access to a pattern or step goes through cCheckedVector::At, so a bad
// pattern number or stepping past a final end code is reported and the
// program asked to close, never a read outside the table.

#include <cstdint>

#include "app/base/checked_containers.h"
#include "records/anime_step.h"

// One entry of a static step list as the item and shot code write them.
struct ANIMESTEPDEF {
  int32_t nValue;     // negative: end code, closes the list
  int32_t nDuration;  // ticks (end code -3: the pattern to continue with)
  uint8_t bHold;
};

class cAnimePattern {
 public:
  cAnimePattern() = default;

  // Empties the table; pattern, frame and tick become 0.
  void Clear();

  // Loads the table from a null-terminated list of step lists, one per
  // pattern; each list ends with (and includes) its first negative value.
  // A null list changes nothing.
  void SetPatterns(const ANIMESTEPDEF* const* lpList);

  // Starts pattern n at step 0. Refused (0) when force is 0 and the current
  // step holds; 1 otherwise. n is checked only when a step of it is read.
  int SetPattern(int nPattern, int bForce);
  // As SetPattern, except that asking for the current pattern succeeds
  // without restarting it.
  int ChangePattern(int nPattern, int bForce);

  // Advances one tick and returns the value to show. An empty table gives 0.
  int Step();
  // The current step's value, without advancing.
  int GetValue() const;

  cCheckedVector<ANIMEPATTERN> m_Patterns;
  int32_t m_nPattern = 0;
  int32_t m_nFrame = 0;
  int32_t m_nTick = 0;

 private:
  ANIMESTEP& CurrentStep() { return m_Patterns.At(m_nPattern).At(m_nFrame); }
  const ANIMESTEP& CurrentStep() const { return m_Patterns.At(m_nPattern).At(m_nFrame); }
};
