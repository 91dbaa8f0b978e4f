#include "platform/ui/file_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/base/message_box.h"
#include "testing/game_folder.h"

namespace {

using namespace std::string_literals;

const std::string kStageFilter = "StageFile ( *.stg4_*;*.rpl4_* )\0stg4_*;rpl4_*\0\0"s;
const std::string kReplayFilter = "ReplayFile ( *.rpl4_695 )\0*.rpl4_695\0\0"s;

class FileDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    m_folder.WriteFile("data\\stg4\\c01.stg4_695", "s");
    m_folder.WriteFile("data\\stg4\\c02.RPL4_695", "r");
    m_folder.WriteFile("data\\stg4\\note.txt", "t");
    m_folder.WriteFile("data\\stg4\\ステージ\\d01.stg4_695", "d");
    m_folder.WriteFile("user_data\\rpl4\\old.rpl4_695", "o");
  }
  void TearDown() override {
    SetFileDialogHost(nullptr);
    SetMessageBoxProvider(nullptr);
  }
  cTestGameFolder m_folder;
};

std::vector<std::string> Names(const std::vector<FILEENTRY>& entries) {
  std::vector<std::string> names;
  for (const FILEENTRY& e : entries) names.push_back((e.bFolder ? "[" : "") + e.strName);
  return names;
}

}  // namespace

TEST_F(FileDialogTest, OpenListsFoldersAndFilteredFilesAndWalksTheGameFolder) {
  std::vector<std::string> shown, inner, top;
  SetFileDialogHost([&](cFileBrowser& browser) {
    shown = Names(browser.List());
    EXPECT_TRUE(browser.EnterFolder("ステージ"));
    inner = Names(browser.List());
    EXPECT_TRUE(browser.EnterFolder(".."));
    EXPECT_TRUE(browser.EnterFolder(".."));
    EXPECT_TRUE(browser.EnterFolder(".."));
    top = Names(browser.List());
    EXPECT_FALSE(browser.EnterFolder(".."));  // nothing above the game folder
    EXPECT_TRUE(browser.EnterFolder("data"));
    EXPECT_TRUE(browser.EnterFolder("stg4"));
    EXPECT_FALSE(browser.Choose({"missing.stg4_695"}));
    return browser.Choose({"c01.stg4_695"});
  });
  std::string strPath;
  std::vector<std::string> result = {"kept"};
  EXPECT_EQ(OpenFileDialog(nullptr, strPath, "data\\stg4\\", "open", kStageFilter, "", 0, &result),
            1);
  EXPECT_EQ(shown, (std::vector<std::string>{"[..", "[ステージ", "c01.stg4_695", "c02.RPL4_695"}));
  EXPECT_EQ(inner, (std::vector<std::string>{"[..", "d01.stg4_695"}));
  EXPECT_EQ(top, (std::vector<std::string>{"[data", "[user_data"}));
  EXPECT_EQ(strPath, "data\\stg4\\c01.stg4_695");
  EXPECT_EQ(result, (std::vector<std::string>{"kept", "data\\stg4\\c01.stg4_695"}));
}

TEST_F(FileDialogTest, MultiSelectGivesEveryPathInOrderAndSingleSelectOne) {
  for (int bMulti : {1, 0}) {
    SetFileDialogHost([](cFileBrowser& browser) {
      return browser.Choose({"c02.RPL4_695", "c01.stg4_695"});
    });
    std::string strPath;
    std::vector<std::string> result;
    EXPECT_EQ(
        OpenFileDialog(nullptr, strPath, "data\\stg4", "open", kStageFilter, "", bMulti, &result),
        1);
    std::vector<std::string> expected = {"data\\stg4\\c02.RPL4_695"};
    if (bMulti) expected.push_back("data\\stg4\\c01.stg4_695");
    EXPECT_EQ(result, expected);
  }
}

TEST_F(FileDialogTest, CancelIsReportedAsCancelled) {
  SetFileDialogHost([](cFileBrowser& browser) {
    browser.Choose({"c01.stg4_695"});  // chosen, then the dialog is cancelled
    return false;
  });
  std::string strPath = "x";
  std::vector<std::string> result;
  EXPECT_EQ(OpenFileDialog(nullptr, strPath, "data\\stg4", "open", kStageFilter, "", 1, &result),
            0);
  EXPECT_TRUE(result.empty());

  // Without a host nothing waits: cancelled, with a line in the report log.
  SetFileDialogHost(nullptr);
  std::string strSave = "name";
  EXPECT_EQ(
      SaveFileDialog(nullptr, strSave, "user_data\\rpl4\\", "save", kReplayFilter, "rpl4_695", 1),
      0);
  EXPECT_NE(m_folder.ReportLogText().find("save"), std::string::npos);
}

TEST_F(FileDialogTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
  std::string strSuggested;
  std::vector<int> answers = {kMsgBoxNo, kMsgBoxYes};
  int nAsked = 0;
  SetMessageBoxProvider([&](const std::string&, const std::string&, MsgBoxType type) {
    EXPECT_EQ(type.buttons, MsgBoxButtons::YesNo);
    return answers.at(static_cast<size_t>(nAsked++));
  });
  SetFileDialogHost([&](cFileBrowser& browser) {
    strSuggested = browser.m_strName;
    EXPECT_FALSE(browser.Choose({"old"}));  // "No": not replaced
    return browser.Choose({"old"});         // "Yes"
  });
  std::string strPath = "c01_00.rpl4_695";
  EXPECT_EQ(
      SaveFileDialog(nullptr, strPath, "user_data\\rpl4\\", "save", kReplayFilter, "rpl4_695", 1),
      1);
  EXPECT_EQ(strSuggested, "c01_00.rpl4_695");
  EXPECT_EQ(strPath, "user_data\\rpl4\\old.rpl4_695");
  EXPECT_EQ(nAsked, 2);

  // A new name is not asked about; without the keep flag nothing is suggested.
  SetFileDialogHost([&](cFileBrowser& browser) {
    strSuggested = browser.m_strName;
    return browser.Choose({"new.rpl4_695"});
  });
  EXPECT_EQ(
      SaveFileDialog(nullptr, strPath, "user_data\\rpl4\\", "save", kReplayFilter, "rpl4_695", 0),
      1);
  EXPECT_EQ(strSuggested, "");
  EXPECT_EQ(strPath, "user_data\\rpl4\\new.rpl4_695");
  EXPECT_EQ(nAsked, 2);
}
