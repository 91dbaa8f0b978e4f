#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>

#include "app/base/clock.h"
#include "app/core/main_thread.h"
#include "app/core/shell_state.h"
#include "app/core/thread.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "records/data_path.h"
#include "testing/game_folder.h"
#include "testing/record_bytes.h"

namespace {

// The shell's globals put back around a test.
class cShellGuard {
 public:
  cShellGuard() { Reset(); }
  ~cShellGuard() { Reset(); }
  cTestGameFolder m_folder;

 private:
  static void Reset() {
    ResetRequestQueue();
    ResetShellState();
    ResetMainWindow();
  }
};

}  // namespace

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

TEST(WindowRecord, APlacementOffEveryDisplayComesBackOnTheFirst) {
  // Without a display the desktop counts as one 1024 x 768 display.
  struct CASE {
    int x, y, w, h;
    int nX, nY, nW, nH;
  };
  const CASE kCases[] = {
      {100, 50, 640, 480, 100, 50, 640, 480},      // on screen: kept
      {-50, 10, 640, 480, 0, 10, 640, 480},        // off the left edge
      {5000, 4000, 640, 480, 960, 704, 640, 480},  // far off the bottom right
      {-10, -5, 0, 0, -10, -5, 0, 0},              // its caption still on the display
      {10, 10, 99999, -5, 10, 10, 1024, 0},        // sizes within a display
  };
  for (const CASE& c : kCases) {
    cTestGameFolder folder;
    cWindowRecord rec;
    rec.Set(c.x, c.y, c.w, c.h, 0);
    ASSERT_TRUE(rec.SaveToFile("Window.dat"));
    cWindowRecord loaded;
    ASSERT_TRUE(loaded.LoadFromFile("Window.dat"));
    EXPECT_EQ(loaded.m_nX, c.nX) << c.x;
    EXPECT_EQ(loaded.m_nY, c.nY) << c.y;
    EXPECT_EQ(loaded.m_nWidth, c.nW) << c.w;
    EXPECT_EQ(loaded.m_nHeight, c.nH) << c.h;
    // The file is a record file of five ints: 32 bytes.
    EXPECT_EQ(folder.ReadFile("Window.dat").size(), 32u);
  }
}

TEST(DisplayMode, SettingsAndProjectDepthsGiveTheModeOrAReason) {
  struct CASE {
    int nD3D, nWindow, nBpp, nVSync;
    int nBitmapFormat, nD3DDepth, nDDDepth;
    bool bOk;
    int nModeBpp, bVSync, bResizable;
    const char* pszError;
  };
  const char* kWindowText =
      "画面モードが不正です！\nウインドウモードではSystem.iniの設定と画面の色の設定を合わせて下"
      "さい！";
  const char* kGeneralText = "画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！";
  const CASE kCases[] = {
      {1, 1, 0, 2, 0, 0, 0, true, 32, 1, 0, ""},             // window at the desktop's depth
      {1, 2, 0, 0, 0, 0, 0, true, 32, 0, 1, ""},             // resizable textured window
      {0, 2, 0, 1, 0, 0, 0, true, 32, 0, 0, ""},             // surface window: no sync, fixed
      {1, 1, 16, 0, 0, 0, 0, false, 0, 0, 0, kWindowText},   // 16 in a 32-bit desktop
      {0, 0, 8, 0, 1, 0, 0, false, 0, 0, 0, kGeneralText},   // 8 bits with full colour
      {0, 0, 8, 2, 0, 0, 0, true, 8, 0, 0, ""},              // 8 bits full screen, palette
      {1, 0, 0, 2, 0, 1, 0, true, 16, 1, 0, ""},             // textured full screen: project 16
      {0, 0, 0, 1, 0, 0, 2, true, 8, 1, 0, ""},              // surface full screen: project 8
      {0, 0, 0, 0, 1, 0, 2, true, 32, 0, 0, ""},             // ... but 32 with full colour
      {1, 1, 24, 0, 0, 0, 0, false, 0, 0, 0, kGeneralText},  // no such depth
  };
  for (const CASE& c : kCases) {
    SYSTEMINIDATA ini;
    ini.Direct3D = c.nD3D;
    ini.WindowMode = c.nWindow;
    ini.Bpp = c.nBpp;
    ini.VSync = c.nVSync;
    cSystem system;
    system.m_nBitmapFormat = c.nBitmapFormat;
    system.m_nD3DDepth = c.nD3DDepth;
    system.m_nDDDepth = c.nDDDepth;
    DISPLAYMODE mode;
    std::string strError;
    const bool bOk = ChooseDisplayMode(ini, system, 32, mode, strError);
    const std::string strCase = std::to_string(&c - kCases);
    EXPECT_EQ(bOk, c.bOk) << strCase;
    EXPECT_EQ(strError, c.pszError) << strCase;
    if (!bOk) continue;
    EXPECT_EQ(mode.nBpp, c.nModeBpp) << strCase;
    EXPECT_EQ(ini.Bpp, c.nModeBpp) << strCase;  // the chosen depth is written back
    EXPECT_EQ(mode.bVSync, c.bVSync) << strCase;
    EXPECT_EQ(mode.bResizable, c.bResizable) << strCase;
  }
}

TEST(CommandLine, ArgumentsJoinIntoOneStagePathWithoutQuotes) {
  // Arguments arrive in UTF-8.
  const char* argv[] = {"player", "\"data/stg4/my", "stage.stg4\"",
                        reinterpret_cast<const char*>(u8"ステージ")};
  EXPECT_EQ(CommandLineStage(4, const_cast<char**>(argv)),
            "data/stg4/my stage.stg4 \x83\x58\x83\x65\x81\x5B\x83\x57");
  EXPECT_EQ(CommandLineStage(1, const_cast<char**>(argv)), "");
}
