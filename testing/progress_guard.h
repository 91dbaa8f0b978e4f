#pragma once
// The progress state (world map, play data, game kind, test-play flag) and
// the stage data's, flows' and records' below it.

#include "stagedata/progress/play_data.h"
#include "stagedata/progress/world_map.h"
#include "testing/stage_guard.h"

inline void ResetProgressTestGlobals() {
  ResetStageTestGlobals();
  g_WorldMap = cEdWorldMap();
  g_PlayData.Reset();
  g_nGameKind = GAMEKIND_STORY;
  g_bTestPlay = 0;
}

using cProgressGlobalsGuard = cResetGuard<&ResetProgressTestGlobals>;
