// The golden run: a scripted few hundred frames on a small stage, each
// frame's digest compared with the checked-in text. The files are made once,
// checked by hand against the arithmetic of the motion and regenerated only
// by running the test with PLAYER_UPDATE_GOLDEN=1.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "play/play_digest.h"
#include "play/tests/play_run.h"
#include "testing/golden.h"

#ifndef PLAYER_GOLDEN_DIR
#error PLAYER_GOLDEN_DIR names the folder of the golden files
#endif

namespace {

std::string GoldenPath(const char* pszFile) {
  return std::string(PLAYER_GOLDEN_DIR) + "/" + pszFile;
}

void CheckScriptGolden(int nLevel, const char* pszFile) {
  cPlayWorld world({.rows = kGoldenStage, .nLevel = nLevel});
  ASSERT_TRUE(world.m_bStarted);
  world.Start();
  const std::vector<std::string> digests = RunScript(world);
  ASSERT_FALSE(digests.empty());
  CheckGolden(GoldenPath(pszFile), digests, [](const std::string& a, const std::string& b) {
    return "first difference " + FirstDigestDifference(a, b);
  });
}

// A field of a digest line, as a double ("vx" of "... vx=0x1.8p+1 ...").
double Field(const std::string& strLine, const std::string& strName) {
  const std::string strLead = " " + strLine;
  const size_t n = strLead.find(" " + strName + "=");
  if (n == std::string::npos) return std::nan("");
  return std::strtod(strLead.c_str() + n + strName.size() + 2, nullptr);
}

// The checked-in files agree with the motion worked out by hand: walking
// 3 pixels a frame, gravity 0.4 pixels a frame squared, and the jump of
// frame 41 (button 1 held: 7 half blocks, 112 pixels) whose start velocity
// is the negative root of v^2 + g v - 2 g h = 0 scaled for the hero by
// 0.99 - 0.025 G, followed by the rest of the frame's gravity steps.
// Velocities are pixels per sub-step: a frame of N sub-steps adds G / N.
TEST(PlayGolden, FilesAgreeWithTheMotionArithmetic) {
  for (const int n : {1, 10}) {
    SCOPED_TRACE(n);
    const std::vector<std::string> golden =
        ReadGoldenLines(GoldenPath(n == 1 ? "play_n1.txt" : "play_n10.txt"));
    ASSERT_GT(golden.size(), 60u);
    const double G = 0.4, g = G / (n * n), h = 7 * 16;
    EXPECT_EQ(Field(golden[1], "vx") * n, 3.0);
    EXPECT_NEAR(Field(golden[2], "x") - Field(golden[1], "x"), 3.0, 1e-9);
    const double v0 = (-g - std::sqrt(g * (g + 8 * h))) * 0.5 * (0.99 - 0.025 * G);
    EXPECT_EQ(Field(golden[40], "vy"), v0 + n * g);  // frame 41, bit for bit
    for (size_t i = 41; i < 50; ++i)
      EXPECT_NEAR(Field(golden[i], "vy") - Field(golden[i - 1], "vy"), G / n, 1e-12);
    // Stage variable 1 counts the jumps from the frame the first one starts.
    EXPECT_NE(golden[39].find(" svars=- "), std::string::npos);
    EXPECT_NE(golden[40].find(" svars=1:1 "), std::string::npos);

    // The three coins go one by one, each in the frame in which the score
    // rises by a coin's worth. The first lies at x 514.5 (column 6 with the
    // 2-pixel box offset and the half pixel): the hero, from 392.5 at 3
    // pixels a frame, reaches it with the right edge of its 16-pixel pickup
    // box (from trunc(x)) in frame 36, at x = 500.5.
    std::vector<size_t> taken;
    for (size_t i = 1; i < golden.size() && Field(golden[i], "frame") > 0; ++i) {
      const double dItems = Field(golden[i], "items");
      const double dScore = Field(golden[i], "score") - Field(golden[i - 1], "score");
      if (dItems == Field(golden[i - 1], "items")) {
        EXPECT_EQ(dScore, 0.0) << i;
        continue;
      }
      EXPECT_EQ(dItems, Field(golden[i - 1], "items") - 1) << i;
      EXPECT_EQ(dScore, kCoinScore) << i;
      taken.push_back(i);
    }
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(Field(golden[0], "items"), 3.0);
    EXPECT_EQ(Field(golden[taken[0]], "frame"), 36.0);
    EXPECT_NEAR(Field(golden[taken[0]], "x"), 500.5, 1e-9);
  }
}

// Level 11: one sub-step per frame with the speed cap of 60 pixels per frame
// (level 1 would cap a jump at 6 pixels per frame).
TEST(PlayGolden, OneSubStep) { CheckScriptGolden(11, "play_n1.txt"); }

TEST(PlayGolden, TenSubSteps) { CheckScriptGolden(10, "play_n10.txt"); }

}  // namespace
