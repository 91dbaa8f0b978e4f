#pragma once
// A clean input world per test: device table released, key configuration
// zero, mouse memory forgotten; put back the same way afterwards.

#include <gtest/gtest.h>

#include "platform/input/input_state.h"
#include "testing/input_guard.h"

class InputTest : public ::testing::Test {
 protected:
  cInputDevices& Dev() { return InputDevices(); }
  cInputGlobalsGuard m_inputGuard;
};
