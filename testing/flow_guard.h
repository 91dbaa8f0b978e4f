#pragma once
// The stored flows' global state (the test-play flow switch) and the
// records' below them.

#include "flow/flow.h"
#include "testing/record_guard.h"

inline void ResetFlowTestGlobals() {
  ResetRecordTestGlobals();
  SetKeepTestFlows(false);
}

using cFlowGlobalsGuard = cResetGuard<&ResetFlowTestGlobals>;
