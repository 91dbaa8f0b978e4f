// The user options and "user_data\Option.dat".

#include "app/core/option_data.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/base/file_system.h"
#include "app/core/tests/core_test_support.h"
#include "testing/game_folder.h"
#include "testing/record_bytes.h"

namespace {

constexpr const char* kPath = "user_data\\Option.dat";

// Option.dat bytes as a writer of the current version lays them out.
std::string OptionFile(int32_t nPalette, int32_t bBgm, int32_t nVolume, int32_t nMode,
                       const std::string& strName) {
  cRecordBytes b;
  b.u32(695).IntRecord({nPalette, bBgm, nVolume, nMode}, strName);
  return b.Bytes();
}

class OptionData : public ::testing::Test {
 protected:
  void SetUp() override {
    g_OptionData.SetDefaults();
    MakeDirectory("user_data");
  }
  void TearDown() override { g_OptionData.SetDefaults(); }
  int LogLines() const {
    const std::string strLog = folder.ReportLogText();
    return static_cast<int>(std::count(strLog.begin(), strLog.end(), '\n'));
  }
  cTestGameFolder folder;
};

TEST_F(OptionData, ASaveThatCannotBeWrittenIsReported) {
  // "user_data" is a file: nothing can be created in it.
  ASSERT_TRUE(RemoveTree("user_data"));
  folder.WriteFile("user_data", "");
  EXPECT_FALSE(SaveOptionData());
  EXPECT_EQ(LogLines(), 1);
  EXPECT_EQ(folder.ReportLogLineCount(kPath), 1) << folder.ReportLogText();
}

TEST_F(OptionData, WritesTheDefaultsAsA36ByteFileAndReadsThemBack) {
  ASSERT_TRUE(SaveOptionData());
  EXPECT_EQ(folder.ReadFile(kPath), OptionFile(0, 1, 7, 0, "aaa"));
  EXPECT_EQ(folder.ReadFile(kPath).size(), 36u);

  g_OptionData.m_nPalette = 23;
  g_OptionData.m_bBgm = 0;
  g_OptionData.m_nSeVolume = 0;
  g_OptionData.m_nRankMode = 3;
  g_OptionData.m_strRankName = "ぷれいやー";
  ASSERT_TRUE(SaveOptionData());
  const cOptionData saved(g_OptionData);
  g_OptionData.SetDefaults();
  ASSERT_TRUE(LoadOptionData());
  EXPECT_EQ(g_OptionData.m_nPalette, saved.m_nPalette);
  EXPECT_EQ(g_OptionData.m_bBgm, saved.m_bBgm);
  EXPECT_EQ(g_OptionData.m_nSeVolume, saved.m_nSeVolume);
  EXPECT_EQ(g_OptionData.m_nRankMode, saved.m_nRankMode);
  EXPECT_EQ(g_OptionData.m_strRankName, saved.m_strRankName);
}

TEST_F(OptionData, ClampsValuesOutOfRangeWithOneLogLine) {
  struct Case {
    int32_t aIn[4];
    int32_t aOut[4];
    int nLogLines;
  } cases[] = {
      {{24, 2, 11, 4}, {23, 1, 10, 3}, 1},
      {{-1, -5, -100, INT32_MIN}, {0, 0, 0, 0}, 1},
      {{INT32_MAX, 1, 7, 0}, {23, 1, 7, 0}, 1},
      {{23, 0, 10, 3}, {23, 0, 10, 3}, 0},
  };
  for (const Case& c : cases) {
    folder.WriteFile(kPath, OptionFile(c.aIn[0], c.aIn[1], c.aIn[2], c.aIn[3], "名前"));
    const int nBefore = LogLines();
    ASSERT_TRUE(LoadOptionData());
    EXPECT_EQ(LogLines() - nBefore, c.nLogLines) << c.aIn[0];
    EXPECT_EQ(g_OptionData.m_nPalette, c.aOut[0]);
    EXPECT_EQ(g_OptionData.m_bBgm, c.aOut[1]);
    EXPECT_EQ(g_OptionData.m_nSeVolume, c.aOut[2]);
    EXPECT_EQ(g_OptionData.m_nRankMode, c.aOut[3]);
    EXPECT_EQ(g_OptionData.m_strRankName, "名前");
  }
  EXPECT_NE(folder.ReportLogText().find("Option.dat"), std::string::npos);
}

TEST_F(OptionData, AMissingOrDamagedFileChangesNothing) {
  g_OptionData.m_nSeVolume = 3;
  EXPECT_FALSE(LoadOptionData());  // missing: silent
  EXPECT_EQ(LogLines(), 0);
  EXPECT_EQ(g_OptionData.m_nSeVolume, 3);

  std::string strFile = OptionFile(5, 0, 9, 2, "abcdef");
  for (size_t nCut : {size_t{3}, size_t{12}, strFile.size() - 3}) {
    folder.WriteFile(kPath, strFile.substr(0, nCut));
    const int nBefore = LogLines();
    EXPECT_FALSE(LoadOptionData()) << nCut;
    EXPECT_EQ(LogLines() - nBefore, 1) << nCut;
    EXPECT_EQ(g_OptionData.m_nPalette, 0) << nCut;
    EXPECT_EQ(g_OptionData.m_nSeVolume, 3) << nCut;
    EXPECT_EQ(g_OptionData.m_strRankName, "aaa") << nCut;
  }
}

TEST(SeVolume, LevelsMapToTheVolumeTableAndReachEveryBuffer) {
  const int aExpected[] = {-10000, -3000, -2000, -1300, -800, -500, -300, -150, -80, -30, 0};
  for (int i = 0; i <= kSeVolumeLevelMax; ++i) EXPECT_EQ(SeVolumeOfLevel(i), aExpected[i]);
  EXPECT_EQ(SeVolumeOfLevel(-1), -10000);
  EXPECT_EQ(SeVolumeOfLevel(11), 0);

  cTestGameFolder folder;
  cSoundTableFixture sounds(3, 2);
  ApplySeVolume(4);
  for (SOUNDDATA& sd : g_SoundData)
    for (int i = 0; i < sd.nBuffers; ++i) EXPECT_EQ(DS_GetVolume(sd, i), -800);
}

}  // namespace
