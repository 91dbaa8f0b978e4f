// A seeded random-key soak of the front end: the sample game's title, world
// map, game menu, stage select, options and stages walked by random keys,
// one at a time and held for a while (with the pause, the replay keys and
// the ranking key tapped now and then), the dialogs answered at random:
// names typed or the box closed, files chosen or the browser cancelled.
// The run is cut into sessions, each a new start of the program at the
// title that takes the next of its choices (so that every scene is
// reached) and reads the options from the user's file; story games are
// saved into slots and loaded again, options changed and saved, rankings
// and replays written. It holds that nothing is written to the report log,
// that every scene was reached, and that every user file is still read by
// its reader afterwards (and no temporary file of a save is left); under
// the sanitizers a fault of memory, arithmetic or a leak fails it too.
//
// A run is 3,000 frames; PLAYER_SOAK_MENU_FRAMES asks for another number
// (scripts/soak.sh runs 20,000). The run prints its figures on a line that
// starts with "soak:".

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/base/clock.h"
#include "app/base/close_request.h"
#include "app/base/file_system.h"
#include "app/core/game_requests.h"
#include "app/core/main_thread.h"
#include "app/core/menu_cursor.h"
#include "app/core/option_data.h"
#include "app/core/ranking.h"
#include "app/core/scene.h"
#include "app/game_dialogs.h"
#include "app/main_window.h"
#include "app/scenes/front_end.h"
#include "app/scenes/tests/scene_world.h"
#include "app/scenes/title_scene.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/surface/dd_image.h"
#include "platform/input/input_devices.h"
#include "platform/input/input_state.h"
#include "platform/input/virtual_keys.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_box.h"
#include "platform/ui/file_dialog.h"
#include "records/data_path.h"
#include "records/database.h"
#include "records/system.h"
#include "sample/sample_game.h"
#include "soak/soak_input.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kDefaultFrames = 3000;
constexpr uint32_t kSeed = 20261212;
// The run is cut into sessions, each a new start of the program, at least
// this long; a session's first frames are the title's fade-in.
constexpr int kMinSessionFrames = 500;
constexpr int kTitleFrames = 20;

int SoakFrames() {
  const char* psz = std::getenv("PLAYER_SOAK_MENU_FRAMES");
  const int n = psz != nullptr ? std::atoi(psz) : kDefaultFrames;
  return n > 0 ? n : kDefaultFrames;
}

// The keys a player of the sample presses, one at a time, each held for a
// while: the arrows and the four buttons of the fixed layout, the arrows and
// the decision button more often than the others.
constexpr std::array<int, 8> kHeldKeys = {vkey::kLeft,        vkey::kRight,      vkey::kUp,
                                          vkey::kDown,        scenekey::kDecide, scenekey::kCancel,
                                          scenekey::kButton3, scenekey::kButton4};
constexpr std::array<int, 8> kKeyWeights = {3, 3, 3, 3, 4, 2, 1, 1};
// On the world map the cancel button opens the game menu; in the game menu
// the cursor moves up and down and the decision button saves.
constexpr std::array<int, 8> kWorldMapKeyWeights = {3, 3, 3, 3, 3, 3, 1, 1};
constexpr std::array<int, 8> kGameMenuKeyWeights = {1, 1, 3, 3, 5, 1, 1, 1};

const std::array<int, 8>& KeyWeights(int nScene) {
  return nScene == SCENE_WORLDMAP   ? kWorldMapKeyWeights
         : nScene == SCENE_GAMEMENU ? kGameMenuKeyWeights
                                    : kKeyWeights;
}
constexpr int kDecideKey = 4;  // in kHeldKeys
// Keys tapped for a frame now and then: pause, the two replay keys, the
// ranking key.
constexpr std::array<int, 4> kTappedKeys = {vkey::kSpace, vkey::kF1, vkey::kF1 + 1, vkey::kF1 + 2};

// The sample game in the scene world's folder, loaded as start-up loads it,
// with the real play scene.
bool LoadSampleGame() {
  if (!RemoveTree("data") || !WriteSampleGame() || !CopyTree("default", "data")) return false;
  if (g_Database.LoadAll() != 1) return false;
  BuildDatabaseTables();
  if (!g_System.LoadFromFile(g_DataPath[DATAPATH_SYSTEM])) return false;
  DDSetTransmit(g_System.m_cbTransRed, g_System.m_cbTransGreen, g_System.m_cbTransBlue);
  for (const char* pszFolder : {"user_data\\challenge", "user_data\\free", "user_data\\rpl4"})
    MakeDirectory(pszFolder);
  SetDefaultKeyConfig(g_KeyConfig);
  for (cInputState& state : g_InputStates) state.InitButtonMasks();
  LoadOptionData();
  if (!g_WorldMap.LoadFromFile(g_DataPath[DATAPATH_WORLD_MAP])) return false;
  if (!LoadCommonPalette(g_DataPath[DATAPATH_COMMON_PALETTE].c_str())) return false;
  RegisterFrontEndScenes();
  return true;
}

// Answers to the dialogs, drawn from their own generator.
class cDialogAnswers {
 public:
  explicit cDialogAnswers(uint32_t nSeed) : m_Random(nSeed) {}

  void Name(cDialogBox& box) {
    ++m_nDialogs;
    if (m_Random.Below(4) == 0) {
      box.CloseBox();
      return;
    }
    static const char* const kChars[] = {"a", "Z", "7", "あ", "ン", "漢"};
    for (int n = m_Random.Below(5); n > 0; --n)
      box.TypeAtCaret(kChars[m_Random.Below(static_cast<int>(std::size(kChars)))]);
    if (m_Random.Below(5) == 0) box.TypeAtCaret("", true);
    box.PressKey(vkey::kReturn, true);
    box.PressKey(vkey::kReturn, false);
  }

  bool File(cFileBrowser& browser) {
    ++m_nFileDialogs;
    if (m_Random.Below(4) == 0) return false;
    std::vector<std::string> files;
    for (const FILEENTRY& entry : browser.List())
      if (!entry.bFolder) files.push_back(entry.strName);
    if (browser.m_bSave) {
      const std::string strName = "soak" + std::to_string(m_Random.Below(4));
      return browser.Choose({strName});
    }
    if (files.empty()) return false;
    return browser.Choose(
        {files[static_cast<size_t>(m_Random.Below(static_cast<int>(files.size())))]});
  }

  int m_nDialogs = 0;
  int m_nFileDialogs = 0;

 private:
  cTestRandom m_Random;
};

// Every file under user_data\ read by its reader; the failures, one line
// each.
std::vector<std::string> UnreadableUserFiles(int& nFiles) {
  std::vector<std::string> failures;
  nFiles = 0;
  auto check = [&](const std::string& strPath, bool bRead) {
    ++nFiles;
    if (!bRead) failures.push_back(strPath + " cannot be read");
  };
  std::vector<std::string> folders = {"user_data"};
  while (!folders.empty()) {
    const std::string strFolder = folders.back();
    folders.pop_back();
    for (const std::string& strName : ListDirectory(strFolder)) {
      const std::string strPath = strFolder + "\\" + strName;
      if (IsDirectory(strPath)) {
        folders.push_back(strPath);
        continue;
      }
      if (strFolder == "user_data" && strName == "Option.dat") {
        cOptionData options;
        check(strPath, options.LoadFromFile(strPath));
      } else if (strFolder == "user_data" && strName == "KeyConfig.dat") {
        KEYCONFIG cfg;
        check(strPath, LoadKeyConfig(strPath, cfg) != 0);
      } else if (strFolder == "user_data\\story" && strName.starts_with("Story")) {
        cPlayData data;
        check(strPath, data.LoadSlot(std::atoi(strName.c_str() + 5) - 1) != 0);
      } else if (strFolder == "user_data\\challenge" && strName == "Challenge.dat") {
        cPlayData data;
        check(strPath, data.LoadChallenge() != 0);
      } else if (strFolder == "user_data\\rpl4") {
        cReplayData replay;
        cEdStage stage, start;
        cPlayData data;
        check(strPath, replay.LoadReplayFile(strPath.c_str(), &stage, &start, &data) != 0);
      } else if (strFolder == "user_data\\story" || strFolder == "user_data\\challenge" ||
                 strFolder == "user_data\\free") {
        cRankTable table;
        check(strPath, table.LoadFromFile(strPath));
      } else {
        failures.push_back(strPath + ": no reader known for it");
      }
    }
  }
  return failures;
}

TEST(FrontEndSoak, RandomKeysReachEverySceneLogNothingAndLeaveEveryUserFileReadable) {
  cSceneWorld world;
  ASSERT_TRUE(world.m_bStarted);
  ASSERT_TRUE(LoadSampleGame()) << world.ReportLog();
  SetRequestHandler(HandleGameRequest);
  InstallGameDialogs();
  cDialogAnswers answers(kSeed + 1);
  SetDialogHost([&](cDialogBox& box) { answers.Name(box); });
  SetFileDialogHost([&](cFileBrowser& browser) { return answers.File(browser); });
  world.Folder().ClearReportLog();

  // A clock that moves on by a frame at every reading: the frame pacing of
  // the surface back end lets every frame run at once.
  std::atomic<uint32_t> nClock{0};
  SetClockSource([&] { return nClock += 17; });

  const int nFrames = SoakFrames();
  const int nSessionFrames = std::max(kMinSessionFrames, nFrames / 12);
  cSoakInput input(kSeed);
  std::array<int, kSceneCount> frames{};
  int nHeldBefore = -1;
  int nTapped = -1;
  int nSessions = 0;
  auto release = [&] {
    if (nHeldBefore >= 0) InputDevices().SetKey(kHeldKeys[static_cast<size_t>(nHeldBefore)], false);
    if (nTapped >= 0) InputDevices().SetKey(kTappedKeys[static_cast<size_t>(nTapped)], false);
    nHeldBefore = nTapped = -1;
  };
  for (int f = 0; f < nFrames; ++f) {
    const int nInSession = f % nSessionFrames;
    if (nInSession == 0) {
      // A new start of the program: the title, its cursor on the next of
      // its choices but the last (which ends the program), and the options
      // read from the user's file.
      release();
      g_SceneManager.DeleteScenes();
      ResetMenuCursor();
      g_PlayData.Reset();
      LoadOptionData();
      g_SceneManager.m_nScene = SCENE_TITLE;
      g_SceneManager.m_nTitleChoice = nSessions++ % TITLE_QUIT;
    }
    // The title fades in, then its choice is taken; random keys after that.
    const int nHeld = nInSession < kTitleFrames ? -1
                      : nInSession < kTitleFrames + 2
                          ? kDecideKey
                          : input.NextKey(KeyWeights(g_SceneManager.m_nScene), 2);
    if (nHeld != nHeldBefore) {
      if (nHeldBefore >= 0)
        InputDevices().SetKey(kHeldKeys[static_cast<size_t>(nHeldBefore)], false);
      if (nHeld >= 0) InputDevices().SetKey(kHeldKeys[static_cast<size_t>(nHeld)], true);
      nHeldBefore = nHeld;
    }
    if (nTapped >= 0) InputDevices().SetKey(kTappedKeys[static_cast<size_t>(nTapped)], false);
    nTapped = input.OneIn(300) ? input.OneIn(2) ? 0 : 1 + (f % 3) : -1;
    if (nTapped >= 0) InputDevices().SetKey(kTappedKeys[static_cast<size_t>(nTapped)], true);
    ASSERT_EQ(g_SceneManager.RunFrame(), 1) << "frame " << f;
    const int nScene = g_SceneManager.m_nScene;
    if (nScene >= 0 && nScene < kSceneCount) ++frames[static_cast<size_t>(nScene)];
  }
  release();
  g_SceneManager.DeleteScenes();

  EXPECT_EQ(world.ReportLog(), "");
  static const char* const kNames[kSceneCount] = {"title",        "world map", "game menu",
                                                  "stage select", "play",      "options"};
  std::string strFrames;
  for (int n = 0; n < kSceneCount; ++n) {
    EXPECT_GT(frames[static_cast<size_t>(n)], 0) << "never reached: " << kNames[n];
    strFrames += std::string(n ? ", " : "") + kNames[n] + " " +
                 std::to_string(frames[static_cast<size_t>(n)]);
  }
  int nFiles = 0;
  for (const std::string& strFailure : UnreadableUserFiles(nFiles)) ADD_FAILURE() << strFailure;
  std::printf(
      "soak: front end: %d frames in %d sessions (%s); %d dialogs, %d file dialogs, %zu message "
      "boxes; %d user "
      "files read back\n",
      nFrames, nSessions, strFrames.c_str(), answers.m_nDialogs, answers.m_nFileDialogs,
      world.m_Boxes.size(), nFiles);
  SetDialogHost(nullptr);
  SetFileDialogHost(nullptr);
  SetNameEntryDialog(nullptr);
  SetFileDialogs(nullptr, nullptr);
  SetRequestHandler(nullptr);
  SetClockSource(nullptr);
}

}  // namespace
