#pragma once
// The input state: device table released, key configuration zero, mouse
// memory forgotten.

#include "platform/input/input_state.h"
#include "testing/reset_guard.h"

using cInputGlobalsGuard = cResetGuard<&ResetInputGlobals>;
