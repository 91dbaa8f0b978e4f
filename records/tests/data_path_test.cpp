#include "records/data_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/base/file_system.h"
#include "app/base/message_box.h"
#include "testing/game_folder.h"

namespace {

TEST(DataPathTest, Tables) {
  EXPECT_EQ(g_DataPath[DATAPATH_DATA], "data\\");
  EXPECT_EQ(g_DataPath[DATAPATH_SYSTEM], "data\\System.dat");
  EXPECT_EQ(g_DataPath[DATAPATH_DATABASE_FIRST + 18], "data\\database\\Bgm.dat");
  EXPECT_EQ(g_DataPath[DATAPATH_RANKING_STORY + 2], "user_data\\free\\");
  EXPECT_EQ(g_DataPath[DATAPATH_WINDOW], "user_data\\Window.dat");
  EXPECT_EQ(g_szFileExt[FILEEXT_STAGE], "stg4");
  EXPECT_EQ(g_szFileExt[FILEEXT_RANKING], "rkg");
  EXPECT_EQ(g_szFontFace[kDefaultFontFace], "ＭＳ Ｐゴシック");
  EXPECT_EQ(g_szFontFace[59], "ＭＳ ゴシック");
  EXPECT_EQ(g_szFontFace[86],
            "HG\xBA\xDE\xBC\xAF\xB8"
            "E");  // half-width katakana bytes
  EXPECT_EQ(g_szFontFace[121], "Sydnie");
  EXPECT_EQ(g_szFontFace[122], "");
}

class CreateDefaultDataTest : public ::testing::Test {
 protected:
  // Records the questions asked and answers from a script.
  void Answer(int nAnswer) {
    SetMessageBoxProvider(
        [this, nAnswer](const std::string& strText, const std::string& strCaption, MsgBoxType) {
          m_Questions.push_back(strCaption + "|" + strText);
          return nAnswer;
        });
  }
  cTestGameFolder m_Folder;
  std::vector<std::string> m_Questions;
};

TEST_F(CreateDefaultDataTest, AsksOnlyWhenDataIsMissingAndDefaultExists) {
  struct Case {
    const char* pszName;
    bool bData, bDefault;
    int nAnswer;
    int nResult;
    size_t nQuestions;
  };
  const Case cases[] = {
      {"data present", true, false, kMsgBoxYes, 1, 0},
      {"data and default present", true, true, kMsgBoxYes, 1, 0},
      {"neither", false, false, kMsgBoxYes, 0, 0},
      {"answer no", false, true, kMsgBoxNo, 0, 1},
      {"answer yes", false, true, kMsgBoxYes, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszName);
    RemoveTree("data");
    RemoveTree("default");
    m_Questions.clear();
    if (c.bData) m_Folder.WriteFile("data\\System.dat", "mine");
    if (c.bDefault) {
      m_Folder.WriteFile("default\\System.dat", "sys");
      m_Folder.WriteFile("default\\database\\Bgm.dat", "bgm");
      m_Folder.WriteFile("default\\stg4\\ステージ.stg4_695", "stage");
    }
    Answer(c.nAnswer);
    EXPECT_EQ(CreateDefaultData(), c.nResult);
    ASSERT_EQ(m_Questions.size(), c.nQuestions);
    if (c.nQuestions != 0) {
      EXPECT_EQ(
          m_Questions[0],
          "デフォルトデータ作成の確認|データが存在しません！デフォルトデータを作成しますか？\n");
    }
    if (c.bData) {
      EXPECT_EQ(m_Folder.ReadFile("data\\System.dat"), "mine");
    } else if (c.nResult == 1) {
      EXPECT_EQ(m_Folder.ReadFile("data\\System.dat"), "sys");
      EXPECT_EQ(m_Folder.ReadFile("data\\database\\Bgm.dat"), "bgm");
      EXPECT_EQ(m_Folder.ReadFile("data\\stg4\\ステージ.stg4_695"), "stage");
      EXPECT_EQ(m_Folder.ReadFile("default\\System.dat"), "sys");  // the source stays
    } else {
      EXPECT_FALSE(FileExists("data"));
    }
    EXPECT_FALSE(FileExists("data.partial"));
  }
}

TEST_F(CreateDefaultDataTest, FailedCopyLeavesNoDataFolder) {
  // A named pipe cannot be copied, so the copy stops after the first files.
  m_Folder.WriteFile("default\\System.dat", "sys");
  m_Folder.WriteFile("default\\zz\\later.dat", "x");
  ASSERT_EQ(::mkfifo(MapPath("default\\pipe").c_str(), 0644), 0);
  Answer(kMsgBoxYes);
  EXPECT_EQ(CreateDefaultData(), 0);
  EXPECT_FALSE(FileExists("data"));
  EXPECT_FALSE(FileExists("data.partial"));
}

}  // namespace
