#pragma once
// Tests that need something of the machine (a font, a SoundFont, an audio
// driver, an X server) skip where it is missing, but not in CI: the CI
// machine is given all of it (bash scripts/deps.sh ci), so there a missing
// piece fails the test instead, and no stage passes having run nothing.

#include <gtest/gtest.h>

// The environment variable CI is set (CI services set it to "true", and so
// does .ci/run): anything but empty, "0" or "false" (any case).
bool InCi();

// Skips the test for want of what `message` names, or in CI fails it. Like
// GTEST_SKIP and FAIL it returns from the calling function.
#define SKIP_UNLESS_IN_CI(message)                                                   \
  do {                                                                               \
    if (InCi()) FAIL() << message << " (in CI every test runs: scripts/deps.sh ci)"; \
    GTEST_SKIP() << message;                                                         \
  } while (false)
