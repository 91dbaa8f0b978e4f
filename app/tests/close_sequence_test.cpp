// The close sequence with the threads it stops (these tests also run under
// ThreadSanitizer).

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "app/base/clock.h"
#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "app/core/main_thread.h"
#include "app/core/option_data.h"
#include "app/core/shell_state.h"
#include "app/core/system_ini.h"
#include "app/core/thread.h"
#include "app/main_window.h"
#include "app/scenes/option_scene.h"
#include "app/tests/shell_guard.h"
#include "platform/sound/bgm_player.h"
#include "records/data_path.h"
#include "testing/wait.h"

TEST(CloseSequence, ClosingDuringTheNestedLoopEndsTheLoopFirstAndClosesOnTheSecondRequest) {
  cShellGuard guard;
  std::atomic<bool> bLoopRunning{false};
  ASSERT_TRUE(thPause.Start([&] {
    bLoopRunning = true;
    while (!IsQuitRequested()) SleepMs(1);
    return 1;
  }));
  while (!bLoopRunning.load()) SleepMs(1);

  // First close: only the nested loop is asked to end, the play scene to quit.
  g_MainWindow.WindowProc(UIMSG_CLOSE, 0, 0);
  EXPECT_TRUE(IsPlayQuitRequested());
  EXPECT_FALSE(IsShuttingDown());
  EXPECT_FALSE(IsMainLoopOver());
  thPause.Join();  // as the game thread does; the loop saw its stop request
  EXPECT_EQ(thPause.Result(), 1);

  // The play frame asks again: now everything stops and the window goes.
  g_MainWindow.WindowProc(UIMSG_CLOSE, 0, 0);
  EXPECT_TRUE(IsShuttingDown());
  EXPECT_TRUE(IsMainLoopOver());
}

TEST(CloseSequence, TheGameThreadStopsAndThePlacementIsSavedInWindowMode) {
  cShellGuard guard;
  g_SystemIni.WindowMode = 1;
  g_bInitDone.store(1);
  guard.m_folder.WriteFile("user_data\\keep", "");
  g_MainWindow.Move(120, 80);
  g_MainWindow.SetClientSize(640, 480);
  std::atomic<int> nFrames{0};
  ASSERT_TRUE(thGame.Start([&] {
    while (!IsQuitRequested()) {
      ++nFrames;
      SleepMs(1);
    }
    return 1;
  }));
  while (nFrames.load() == 0) SleepMs(1);
  g_MainWindow.WindowProc(UIMSG_CLOSE, 0, 0);
  EXPECT_FALSE(thGame.IsRunning());
  EXPECT_EQ(guard.m_folder.ReportLogText().find("did not stop"), std::string::npos);
  cWindowRecord saved;
  ASSERT_TRUE(saved.LoadFromFile(g_DataPath[DATAPATH_WINDOW]));
  EXPECT_EQ(saved.m_nX, 120);
  EXPECT_EQ(saved.m_nY, 80);
  EXPECT_EQ(saved.m_nWidth, 640);
  EXPECT_EQ(saved.m_nHeight, 480);
  g_SystemIni = SYSTEMINIDATA{};
}

TEST(CloseSequence, TheWindowIsGoneWhenTheCloseHasRun) {
  cShellGuard guard;
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
  g_MainWindow.SetCreateParams(640, 480, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  ASSERT_TRUE(g_MainWindow.CreateNativeWindow(""));
  const uint32_t nId = SDL_GetWindowID(g_MainWindow.m_hWnd);
  g_MainWindow.WindowProc(UIMSG_CLOSE, 0, 0);
  EXPECT_TRUE(IsMainLoopOver());
  EXPECT_EQ(g_MainWindow.m_hWnd, nullptr);
  EXPECT_EQ(SDL_GetWindowFromID(nId), nullptr) << "still on screen";
  g_MainWindow.DestroyNativeWindow();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// The options switch the music on and off on the game thread while the
// main window closes: the music player is made, released and stopped on the
// main thread only, so nothing races with the close.
TEST(CloseSequence, MusicSwitchedOnAndOffWhileClosingStaysOnTheMainThread) {
  cShellGuard guard;
  BecomeRequestServer();
  SetRequestHandler(HandleShellRequest);
  std::atomic<int> nSwitches{0};
  ASSERT_TRUE(thGame.Start([&] {
    while (!IsQuitRequested()) {
      g_OptionData.m_bBgm = g_OptionData.m_bBgm != 0 ? 0 : 1;
      cOptionScene::ApplyMusicSwitch();
      ++nSwitches;
    }
    return 1;
  }));
  // The main loop serves the switches for a while, then the close comes.
  EXPECT_TRUE(WaitUntil([&] {
    ServeRequests();
    return nSwitches.load() >= 20;
  }));
  g_MainWindow.WindowProc(UIMSG_CLOSE, 0, 0);
  EXPECT_FALSE(thGame.IsRunning());
  g_BgmPlayer.Release();
  g_OptionData.SetDefaults();
}

// A frame of the game thread throws: its boundary writes one report-log line
// and shows the error box, and the close it asks for runs in order on the
// main thread, which saves the user files and stops every thread.
TEST(CloseSequence, AnExceptionInTheGameThreadClosesInOrderAndSavesTheUserFiles) {
  cShellGuard guard;
  g_SystemIni.WindowMode = 1;
  g_bInitDone.store(1);
  guard.m_folder.WriteFile("user_data\\keep", "");
  g_MainWindow.Move(120, 80);
  g_MainWindow.SetClientSize(640, 480);
  BecomeRequestServer();
  SetRequestHandler(HandleShellRequest);
  SetCloseRequestHandler([] { PostRequest(SHELLREQ_CLOSE); });
  std::atomic<int> nBoxes{0};
  SetMessageBoxProvider([&](const std::string&, const std::string&, MsgBoxType) {
    ++nBoxes;
    return static_cast<int>(kMsgBoxOk);
  });
  ASSERT_TRUE(
      thGame.Start([]() -> int { throw std::out_of_range("invalid vector<T> subscript"); }));
  EXPECT_TRUE(WaitUntil([] { return !PumpMainThread(); }));
  EXPECT_FALSE(thGame.IsRunning());
  EXPECT_EQ(nBoxes.load(), 1);
  EXPECT_EQ(guard.m_folder.ReportLogLineCount(), 1) << guard.m_folder.ReportLogText();
  EXPECT_EQ(
      guard.m_folder.ReportLogLineCount("thGame: uncaught exception: invalid vector<T> subscript"),
      1);
  cWindowRecord saved;
  ASSERT_TRUE(saved.LoadFromFile(g_DataPath[DATAPATH_WINDOW]));
  EXPECT_EQ(saved.m_nX, 120);
  EXPECT_EQ(saved.m_nY, 80);
  SetCloseRequestHandler(nullptr);
  SetMessageBoxProvider(nullptr);
  g_SystemIni = SYSTEMINIDATA{};
}
