#pragma once
// What a command that stops play hands to the nested draw-only loop of the
// pause thread: a timed wait, or a wait for the decide button after a short
// delay.

#include <cstdint>

class cPlayScene;

// Kinds of wait.
enum : int {
  WAITKIND_TIMED = 0,
  WAITKIND_MESSAGE = 1,
  WAITKIND_EFFECT = 2,
  WAITKIND_PICTURE = 3,
  WAITKIND_EXTRALIFE = 4,
};

struct WAITREQUEST {
  int32_t nKind = WAITKIND_TIMED;
  int32_t nDelay = 0;     // frames in which input is ignored before a key wait
  int32_t bKeyWait = 0;   // ends on a newly pressed decide button
  int32_t nDuration = 0;  // without a key wait: frames left; ends below 0
  int32_t nLast = 0;      // spare word, 0

  // A message that waits for a key ignores it for 10 frames unless bNoDelay.
  void Set(int nKindIn, int bKeyWaitIn, int nDurationIn, int bNoDelay) {
    nKind = nKindIn;
    bKeyWait = bKeyWaitIn;
    nDuration = nDurationIn;
    nLast = 0;
    nDelay = (bKeyWait && nKind == WAITKIND_MESSAGE && !bNoDelay) ? 10 : 0;
  }
};

// The routine of the pause thread: draw-only frames of the play scene until
// the scene's wait request is done. 0 at once when the scene must quit.
int PauseThreadProc(cPlayScene* lpScene);
// The routine of the ranking thread: the rankings after a registration, over
// the frozen play frame, until decide.
int RankingThreadProc(cPlayScene* lpScene);
