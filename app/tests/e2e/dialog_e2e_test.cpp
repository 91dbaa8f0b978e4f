// The dialogs as a user meets them: the start-up choice asked in the main
// window when System.ini says so, answered with the mouse and the keyboard,
// and the name entry, typed on the keyboard.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/core/option_data.h"
#include "app/tests/e2e/player_session.h"
#include "records/data_path.h"

namespace fs = std::filesystem;

namespace {

// The dialog's face colour, as ImGui's light style fills it.
constexpr uint32_t kDialogFace = 0xF0F0F0;

class DialogE2E : public testing::Test {
 protected:
  void SetUp() override {
    if (!m_server.IsRunning()) GTEST_SKIP() << "no Xvfb";
    m_strFolder = MakeSampleGameFolder();
    ASSERT_FALSE(m_strFolder.empty());
  }
  void TearDown() override { RemoveFolder(m_strFolder); }

  // Sets a key of System.ini.
  void SetIni(const std::string& strKey, const std::string& strValue) {
    const fs::path path = fs::path(m_strFolder) / "System.ini";
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string str = text.str();
    const size_t nAt = str.find(strKey + "=");
    ASSERT_NE(nAt, std::string::npos);
    const size_t nEnd = str.find_first_of("\r\n", nAt);
    str.replace(nAt, nEnd - nAt, strKey + "=" + strValue);
    std::ofstream(path, std::ios::binary) << str;
  }

  // First start with the start-up choice asked: the default data made and
  // the choice shown in the game's window, whose id it returns (0 when not).
  uint64_t StartToChoice(const cPlayerSession& player) const {
    const uint64_t nWindow = player.AnswerFirstStart(60000);
    if (nWindow == 0) return 0;
    // The dialog is drawn in the main window: its face below the buttons.
    const bool bShown = WaitUntil(
        [&] {
          const std::vector<uint8_t> shot = player.Screenshot(nWindow);
          return !shot.empty() && cPlayerSession::PixelAt(shot, 640, 150, 360) == kDialogFace;
        },
        20000);
    return bShown ? nWindow : 0;
  }

  cXServer m_server;
  std::string m_strFolder;
};

// Runs a function with the game folder as the working folder.
template <class Fn>
auto InFolder(const std::string& strFolder, Fn fn) {
  const fs::path previous = fs::current_path();
  fs::current_path(strFolder);
  auto result = fn();
  fs::current_path(previous);
  return result;
}

}  // namespace

TEST_F(DialogE2E, StartupChoiceIsAskedInTheMainWindowAndKept) {
  SetIni("Direct3D", "2");
  cPlayerSession player(m_server, m_strFolder);
  const uint64_t nWindow = StartToChoice(player);
  ASSERT_NE(nWindow, 0u) << player.ErrorOutput();

  // DirectDraw and the do-not-ask box with the mouse, then Enter for
  // "ゲーム開始". The dialog sits at (133, 104) under a 20-pixel caption; its
  // items at 3/2 pixel per dialog unit.
  auto click = [&](int x, int y) {
    return m_server.Run("xdotool mousemove --window " + std::to_string(nWindow) + " " +
                        std::to_string(x) + " " + std::to_string(y) + " click 1");
  };
  ASSERT_TRUE(click(133 + 120 + 6, 104 + 20 + 45 + 7));  // DirectDraw
  ASSERT_TRUE(click(133 + 75 + 6, 104 + 20 + 127 + 7));  // do not ask again
  ASSERT_TRUE(player.SendKeys(nWindow, "Return"));
  ASSERT_TRUE(player.WaitForScene(0, 20000)) << player.ErrorOutput();
  EXPECT_TRUE(WaitUntil(
      [&] { return ReadFolderFile(m_strFolder, "user_data/Boot.dat").size() == 20; }, 5000));
  const std::string strBoot = ReadFolderFile(m_strFolder, "user_data/Boot.dat");
  const int32_t* words = reinterpret_cast<const int32_t*>(strBoot.data());
  ASSERT_EQ(strBoot.size(), 20u);
  EXPECT_EQ(words[2], 0);  // DirectDraw
  EXPECT_EQ(words[3], 1);  // do not ask again
  ASSERT_TRUE(player.SendKeys(nWindow, "Escape"));
  ASSERT_TRUE(player.WaitForExit(20000));
  EXPECT_EQ(player.ExitStatus(), 0) << player.ErrorOutput();

  // The next start asks nothing.
  cPlayerSession again(m_server, m_strFolder);
  EXPECT_TRUE(again.WaitForScene(0, 20000)) << again.ErrorOutput();
  const uint64_t nAgain = again.WaitForWindow(kSampleGameTitle, 20000);
  ASSERT_NE(nAgain, 0u);
  ASSERT_TRUE(again.SendKeys(nAgain, "Escape"));
  ASSERT_TRUE(again.WaitForExit(20000));
}

TEST_F(DialogE2E, StoppingTheStartupChoiceEndsTheProgram) {
  SetIni("Direct3D", "2");
  cPlayerSession player(m_server, m_strFolder);
  const uint64_t nWindow = StartToChoice(player);
  ASSERT_NE(nWindow, 0u) << player.ErrorOutput();
  // "ゲーム中止" is the button below "ゲーム開始".
  ASSERT_TRUE(m_server.Run("xdotool mousemove --window " + std::to_string(nWindow) + " " +
                           std::to_string(133 + 120 + 37) + " " +
                           std::to_string(104 + 20 + 210 + 13) + " click 1"));
  ASSERT_TRUE(player.WaitForExit(20000));
  EXPECT_EQ(ReadFolderFile(m_strFolder, "user_data/Boot.dat"), "");
}

// The name entry as the options open it for the ranking name: the old name
// is selected, typing replaces it, at most three characters are kept, and
// Return takes the name, which the options save when they are left. The
// second start types Japanese text, which the window system delivers as text
// input, not as keys.
TEST_F(DialogE2E, NameEntryTakesTypedTextIntoTheRankingName) {
  struct Round {
    std::string strTyped;  // UTF-8, as typed
    std::string strName;   // CP932, as stored
  } const rounds[] = {{"Zedx", "Zed"}, {Utf8(u8"あいうえ"), "あいう"}};
  for (size_t i = 0; i < std::size(rounds); ++i) {
    SCOPED_TRACE(i);
    cPlayerSession player(m_server, m_strFolder);
    // The first start makes the game's data.
    const uint64_t nWindow =
        i == 0 ? player.AnswerFirstStart(60000) : player.WaitForWindow(kSampleGameTitle, 20000);
    ASSERT_NE(nWindow, 0u) << player.ErrorOutput();
    ASSERT_TRUE(player.WaitForScene(0, 20000)) << player.ErrorOutput();
    // Keys count once a scene's fade-in is over.
    auto settle = [&] {
      EXPECT_TRUE(player.WaitForFrames(60, 60000)) << "the scene did not settle";
    };
    settle();
    // The sixth row of the title is the options; their fourth shown row (the
    // sample hides the palette) the ranking name.
    ASSERT_TRUE(player.TapKeys(nWindow, {"Down", "Down", "Down", "Down", "Down", "z"}));
    ASSERT_TRUE(player.WaitForScene(5, 20000)) << player.ErrorOutput();
    settle();
    ASSERT_TRUE(player.TapKeys(nWindow, {"Down", "Down", "Down", "z"}));
    // The dialog sits at (240, 220), 165 x 97 pixels.
    auto dialogShown = [&] {
      const std::vector<uint8_t> shot = player.Screenshot(nWindow);
      return !shot.empty() && cPlayerSession::PixelAt(shot, 640, 390, 305) == kDialogFace;
    };
    ASSERT_TRUE(WaitUntil(dialogShown, 20000)) << player.ErrorOutput();
    ASSERT_TRUE(player.TypeText(nWindow, rounds[i].strTyped));
    ASSERT_TRUE(player.SendKeys(nWindow, "Return"));
    ASSERT_TRUE(WaitUntil([&] { return !dialogShown(); }, 20000));
    // Cancel leaves the options, which saves them.
    ASSERT_TRUE(player.TapKeys(nWindow, {"x"}));
    ASSERT_TRUE(player.WaitForScene(0, 20000)) << player.ErrorOutput();
    cOptionData options;
    ASSERT_TRUE(WaitUntil(
        [&] {
          return InFolder(m_strFolder,
                          [&] { return options.LoadFromFile(g_DataPath[DATAPATH_OPTION]); }) &&
                 options.m_strRankName == rounds[i].strName;
        },
        20000))
        << "stored: " << options.m_strRankName;
    ASSERT_TRUE(player.SendKeys(nWindow, "Escape"));
    ASSERT_TRUE(player.WaitForExit(20000));
    EXPECT_EQ(player.ExitStatus(), 0) << player.ErrorOutput();
  }
}
