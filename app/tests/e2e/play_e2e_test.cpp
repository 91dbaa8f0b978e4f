// A stage named on the command line, played with the keyboard: the player
// opens it at once, the arrows move the hero, a coin raises the score, the
// slime ahead paces, the space bar opens the pause menu, and its quit ends
// the program.

#include <gtest/gtest.h>

#include "app/tests/e2e/player_session.h"

namespace {

// The first stage fills the view from the map's left end and top row, so
// the hero, at map cell (3, 12), stands in the 32 x 32 screen cell at
// (96, 384) until it walks past the middle of the view.
constexpr int kHeroX = 96, kHeroY = 384;
// The cell beside the steel wall of the map's left end.
constexpr int kWallSideX = 32;
// Sky above the ground that nothing crosses while the hero walks.
constexpr int kSkyX = 320, kSkyY = 160;
// The status bar along the top, which shows the score.
constexpr int kStatusHeight = 20;
// The hero's row right of where 40 frames of walking take it, to the
// view's right edge: only the slime of map cell (14, 12) moves there.
constexpr int kSlimeRowX = 256;

// Pixels that differ in a rectangle (a square when no height is given) of
// the two screenshots.
int DifferingPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int x0, int y0,
                    int nWidth, int nHeight = 0) {
  int n = 0;
  for (int y = y0; y < y0 + (nHeight ? nHeight : nWidth); ++y)
    for (int x = x0; x < x0 + nWidth; ++x)
      n += cPlayerSession::PixelAt(a, 640, x, y) != cPlayerSession::PixelAt(b, 640, x, y);
  return n;
}

TEST(PlayE2E, ACommandLineStagePlaysWithTheKeyboardAndItsPauseMenuQuits) {
  cXServer server;
  if (!server.IsRunning()) GTEST_SKIP() << "no Xvfb";
  const std::string strFolder = MakeSampleGameFolder();
  ASSERT_FALSE(strFolder.empty());
  struct REMOVE {
    const std::string& strFolder;
    ~REMOVE() { RemoveFolder(strFolder); }
  } remove{strFolder};
  {
    cPlayerSession player(server, strFolder, {}, {"data\\stg4\\w01-1.stg4"});
    const uint64_t nWindow = player.AnswerFirstStart(60000);
    ASSERT_NE(nWindow, 0u) << player.ErrorOutput();
    ASSERT_TRUE(player.WaitForScene(4, 60000)) << "the stage opens at once\n"
                                               << player.ErrorOutput();

    // A screenshot after the given number of further frames.
    auto shotAfter = [&](int nFrames) {
      player.WaitForFrames(nFrames, 60000);
      return player.Screenshot(nWindow);
    };
    // The fade-in and the start banner are over within 150 frames.
    const std::vector<uint8_t> before = shotAfter(150);
    ASSERT_FALSE(before.empty());

    // Right held for 40 frames walks the hero out of its cell and over the
    // coin three cells on, whose score shows in the status bar, while the
    // view stays: the sky does not change.
    ASSERT_TRUE(player.HoldKey(nWindow, "Right", 40));
    const std::vector<uint8_t> walked = shotAfter(10);
    ASSERT_FALSE(walked.empty());
    EXPECT_GT(DifferingPixels(before, walked, kHeroX, kHeroY, 32), 32 * 32 / 4)
        << "the hero left its start";
    EXPECT_GT(DifferingPixels(before, walked, 0, 0, 640, kStatusHeight), 20) << "the score rose";
    EXPECT_GT(DifferingPixels(before, walked, kSlimeRowX, kHeroY, 640 - kSlimeRowX, 32), 32 * 8)
        << "the slime moved";
    EXPECT_EQ(DifferingPixels(before, walked, kSkyX, kSkyY, 32), 0);
    EXPECT_EQ(DifferingPixels(before, walked, kWallSideX, kHeroY, 32), 0);

    // Left for twice as long takes it past its start to the wall at the
    // map's left end.
    ASSERT_TRUE(player.HoldKey(nWindow, "Left", 80));
    const std::vector<uint8_t> back = shotAfter(10);
    ASSERT_FALSE(back.empty());
    EXPECT_GT(DifferingPixels(before, back, kWallSideX, kHeroY, 32), 32 * 32 / 4)
        << "the hero stands by the wall";

    // Space pauses: the menu shows over the frozen stage. Its cursor starts
    // on "resume"; the row above quits, which ends a command-line stage's
    // program.
    ASSERT_TRUE(player.TapKeys(nWindow, {"space"}));
    const std::vector<uint8_t> paused = shotAfter(10);
    ASSERT_FALSE(paused.empty());
    int nMenu = 0;
    for (int y = 256; y < 320; y += 32)
      for (int x = 224; x < 416; x += 32) nMenu += DifferingPixels(back, paused, x, y, 32);
    EXPECT_GT(nMenu, 500) << "the pause menu shows";
    ASSERT_TRUE(player.TapKeys(nWindow, {"Up", "z"}));
    ASSERT_TRUE(player.WaitForExit(60000)) << "quitting the menu ends the program\n"
                                           << player.ErrorOutput();
    EXPECT_EQ(player.ExitStatus(), 0) << player.ErrorOutput();
  }
}

}  // namespace
