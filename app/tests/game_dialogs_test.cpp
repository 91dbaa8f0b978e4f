#include "app/game_dialogs.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

#include "app/core/game_requests.h"
#include "app/core/main_thread.h"
#include "app/core/option_data.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "app/core/system_ini.h"
#include "platform/input/virtual_keys.h"
#include "platform/ui/file_dialog.h"
#include "records/data_path.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "testing/game_folder.h"
#include "testing/record_bytes.h"

namespace {

class GameDialogsTest : public testing::Test {
 protected:
  void SetUp() override {
    RegisterGameDialogTemplates();
    g_SystemIni = SYSTEMINIDATA();
    g_BootRecord = cBootRecord();
    g_OptionData.SetDefaults();
    g_SceneManager.m_nTitleChoice = 0;
    g_System.m_strTitle = "テストゲーム";
    // Start-up makes the user folder before it asks.
    m_folder.WriteFile("user_data\\keep", "");
  }
  void TearDown() override {
    SetDialogHost(nullptr);
    g_SystemIni = SYSTEMINIDATA();
    g_BootRecord = cBootRecord();
    g_OptionData.SetDefaults();
    g_SceneManager.m_nTitleChoice = 0;
    g_System.m_strTitle.clear();
  }
  cTestGameFolder m_folder;
};

// Boot.dat as the program writes it: version, field count 2, the two ints,
// no strings.
std::string BootFile(int32_t nDrawMode, int32_t bNoAsk) {
  cRecordBytes bytes;
  bytes.u32(DATA_VERSION).IntRecord({nDrawMode, bNoAsk});
  return bytes.Bytes();
}

}  // namespace

TEST_F(GameDialogsTest, StartupChoiceIsAskedOnlyFromTwoOn) {
  int nRuns = 0;
  SetDialogHost([&](cDialogBox& box) {
    ++nRuns;
    box.ClickItem(1000);
  });
  for (int nSetting : {0, 1}) {
    g_SystemIni.Direct3D = nSetting;
    m_folder.WriteFile("user_data\\Boot.dat", BootFile(0, 0));
    EXPECT_TRUE(RunStartupChoice());
    EXPECT_EQ(g_SystemIni.Direct3D, nSetting);
    EXPECT_EQ(g_BootRecord.m_nDrawMode, 1) << "Boot.dat is not read";
  }
  EXPECT_EQ(nRuns, 0);
}

TEST_F(GameDialogsTest, StartupChoiceIsStoredAndTheDoNotAskBoxHonouredNextTime) {
  g_SystemIni.Direct3D = 2;
  std::string strCaption;
  int nD3D = -1, nDD = -1, nNoAsk = -1;
  SetDialogHost([&](cDialogBox& box) {
    strCaption = box.m_strCaption;
    nD3D = IsDlgItemChecked(&box, 1002);
    nDD = IsDlgItemChecked(&box, 1003);
    nNoAsk = IsDlgItemChecked(&box, 1004);
    box.ClickItem(1003);
    box.ClickItem(1004);
    box.PressKey(vkey::kReturn, true);  // the default button, ゲーム開始
  });
  EXPECT_TRUE(RunStartupChoice());
  EXPECT_EQ(strCaption, "テストゲーム");
  EXPECT_EQ(nD3D, 1);
  EXPECT_EQ(nDD, 0);
  EXPECT_EQ(nNoAsk, 0);
  EXPECT_EQ(g_SystemIni.Direct3D, 0);
  EXPECT_EQ(m_folder.ReadFile("user_data\\Boot.dat"), BootFile(0, 1));

  // The next start asks nothing and takes the surface back end.
  g_BootRecord = cBootRecord();
  g_SystemIni.Direct3D = 2;
  bool bAsked = false;
  SetDialogHost([&](cDialogBox& box) {
    bAsked = true;
    box.CloseBox();
  });
  EXPECT_TRUE(RunStartupChoice());
  EXPECT_FALSE(bAsked);
  EXPECT_EQ(g_SystemIni.Direct3D, 0);
}

TEST_F(GameDialogsTest, StoppingTheStartStoresNothing) {
  const std::function<void(cDialogBox&)> stops[] = {
      [](cDialogBox& box) {
        box.ClickItem(1004);
        box.ClickItem(1001);  // ゲーム中止
      },
      [](cDialogBox& box) {
        box.ClickItem(1004);
        box.CloseBox();
      },
      [](cDialogBox& box) {
        box.PressKey(0x1B, true);  // Escape leaves the dialog open
        box.CloseBox();
      },
      // A dialog that could not be shown is no choice to start.
      [](cDialogBox& box) { box.End(-1); }};
  for (const auto& stop : stops) {
    g_SystemIni.Direct3D = 2;
    SetDialogHost(stop);
    EXPECT_FALSE(RunStartupChoice());
    EXPECT_EQ(m_folder.ReadFile("user_data\\Boot.dat"), "<missing>");
  }
}

TEST_F(GameDialogsTest, StoredModeOutsideZeroAndOneChecksNoButtonAndPicksTheSurfaceBackEnd) {
  m_folder.WriteFile("user_data\\Boot.dat", BootFile(7, 0));
  g_SystemIni.Direct3D = 3;
  int nChecked = -1;
  SetDialogHost([&](cDialogBox& box) {
    nChecked = IsDlgItemChecked(&box, 1002) + IsDlgItemChecked(&box, 1003);
    box.ClickItem(1000);
  });
  EXPECT_TRUE(RunStartupChoice());
  EXPECT_EQ(nChecked, 0);
  EXPECT_EQ(g_SystemIni.Direct3D, 0);
  EXPECT_EQ(m_folder.ReadFile("user_data\\Boot.dat"), BootFile(7, 0));
}

TEST_F(GameDialogsTest, EnglishRelabelsAllButTheRadioButtonsAndTheCaption) {
  g_SystemIni.Direct3D = 2;
  g_SystemIni.English = 1;
  std::vector<std::string> texts;
  std::string strCaption;
  SetDialogHost([&](cDialogBox& box) {
    for (int nId : {1006, 1000, 1001, 1005, 1004, 1002, 1003})
      texts.push_back(box.Item(nId)->strText);
    strCaption = box.m_strCaption;
    box.ClickItem(1001);
  });
  RunStartupChoice();
  const std::vector<std::string> expected = {"Drawing mode",
                                             "Start",
                                             "Cancel",
                                             "Configure the detail settings at \"System.ini\".",
                                             "Do not ask this dialog again",
                                             "Direct3D",
                                             "DirectDraw"};
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(strCaption, "テストゲーム");
}

TEST_F(GameDialogsTest, NameEntryEditsTheOptionsNameWhenTheOptionSceneAsks) {
  g_SceneManager.m_nTitleChoice = 5;
  g_OptionData.m_strRankName = "abc";
  std::string strShown, strLabel;
  int nStart = -1, nEnd = -1, nFocus = -1, x = -1, y = -1;
  SetDialogHost([&](cDialogBox& box) {
    strShown = box.Item(1003)->strText;
    strLabel = box.Item(1007)->strText;
    GetEditSelection(&box, 1003, nStart, nEnd);
    nFocus = box.FocusId();
    x = box.m_nX;
    y = box.m_nY;
    // Typing replaces the whole selected name; the fourth character is refused.
    for (const char* psz : {"あ", "x", "い", "y"}) box.TypeAtCaret(psz);
    box.PressKey(vkey::kReturn, true);
  });
  RunNameEntryDialog();
  EXPECT_EQ(strShown, "abc");
  EXPECT_EQ(strLabel, "登録名(3文字まで)");
  EXPECT_EQ(nStart, 0);
  EXPECT_EQ(nEnd, 3);
  EXPECT_EQ(nFocus, 1003);
  EXPECT_EQ(x, 240);
  EXPECT_EQ(y, 220);
  EXPECT_EQ(g_OptionData.m_strRankName, "あxい");
}

TEST_F(GameDialogsTest, NameEntryKeepsTheNameWhenClosedAndStoresAnEmptyOne) {
  g_SceneManager.m_nTitleChoice = 5;
  g_OptionData.m_strRankName = "abc";
  SetDialogHost([](cDialogBox& box) {
    box.TypeAtCaret("z");
    box.CloseBox();
  });
  RunNameEntryDialog();
  EXPECT_EQ(g_OptionData.m_strRankName, "abc");

  g_SystemIni.English = 1;
  std::string strLabel;
  SetDialogHost([&](cDialogBox& box) {
    strLabel = box.Item(1007)->strText;
    box.TypeAtCaret("", true);
    box.ClickItem(1000);
  });
  RunNameEntryDialog();
  EXPECT_EQ(strLabel, "     Name");
  EXPECT_EQ(g_OptionData.m_strRankName, "");
}

TEST_F(GameDialogsTest, NameEntryWithoutABoundTextShowsAnEmptyBox) {
  std::string strShown = "?";
  SetDialogHost([&](cDialogBox& box) {
    box.TypeAtCaret("abcd");
    strShown = box.Item(1003)->strText;
    box.ClickItem(1000);
  });
  RunNameEntryDialog();
  EXPECT_EQ(strShown, "abcd");  // no control keeps an unbound box's limits
  EXPECT_EQ(g_OptionData.m_strRankName, "aaa");
}

TEST_F(GameDialogsTest, MainWindowRequestsOpenTheDialogs) {
  InstallGameDialogs();
  g_SceneManager.m_nTitleChoice = 5;
  SetDialogHost([](cDialogBox& box) {
    box.TypeAtCaret("xyz");
    box.PressKey(vkey::kReturn, true);
  });
  g_bNameDone.store(0);
  HandleGameRequest(WM_GAME_NAMEENTRY, 0, 0);
  EXPECT_EQ(g_bNameDone.load(), 1);
  EXPECT_EQ(g_OptionData.m_strRankName, "xyz");

  // The replay save proposes a name in the replay folder; the chosen name is
  // written there.
  m_folder.WriteFile("user_data\\rpl4\\keep", "");
  g_PlayData.m_strStageKey = "data\\stg4\\c01.";
  g_Replay.Clear();
  g_Replay.RecordFrame(std::array<int16_t, 2>{1, 2}.data());
  std::string strSuggested, strFolder;
  SetFileDialogHost([&](cFileBrowser& browser) {
    strSuggested = browser.m_strName;
    strFolder = browser.m_strFolder;
    return browser.Choose({"mine"});
  });
  g_bFileDialogDone.store(0);
  HandleGameRequest(WM_GAME_SAVEREPLAY, 0, 0);
  EXPECT_EQ(g_bFileDialogDone.load(), 1);
  EXPECT_EQ(g_bFileDialogResult.load(), 1);
  EXPECT_EQ(strFolder, "user_data\\rpl4");
  EXPECT_EQ(strSuggested, "c01_00." + ReplayExtension());
  EXPECT_NE(m_folder.ReadFile("user_data\\rpl4\\mine." + ReplayExtension()), "<missing>");

  // A cancelled open reads as cancelled.
  SetFileDialogHost([](cFileBrowser&) { return false; });
  g_bFileDialogDone.store(0);
  HandleGameRequest(WM_GAME_OPENREPLAY, 0, 0);
  EXPECT_EQ(g_bFileDialogDone.load(), 1);
  EXPECT_EQ(g_bFileDialogResult.load(), 0);

  SetFileDialogHost(nullptr);
  SetFileDialogs(nullptr, nullptr);
  SetNameEntryDialog(nullptr);
  g_Replay.Clear();
  g_PlayData.m_strStageKey.clear();
}
