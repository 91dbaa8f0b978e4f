#pragma once
// A clean input world per test: device table released, key configuration
// zero, mouse memory forgotten; put back the same way afterwards.

#include <gtest/gtest.h>

#include "platform/input/input_state.h"

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetInputGlobals(); }
  void TearDown() override { ResetInputGlobals(); }
  cInputDevices& Dev() { return InputDevices(); }
};
