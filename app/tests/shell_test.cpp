#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/startup.h"
#include "testing/game_folder.h"

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
