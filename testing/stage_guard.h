#pragma once
// The stage data's global state (the current stage, its start copy, the
// common palette, the map cells, the stage-load runner) and the flows' and
// records' below it.

#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"
#include "testing/flow_guard.h"

inline void ResetStageTestGlobals() {
  ResetFlowTestGlobals();
  SetStageLoadRunner({});
  ResetStageGlobals();
}

using cStageGlobalsGuard = cResetGuard<&ResetStageTestGlobals>;
