// Ranking lists: insertion, the file and its name, hostile files, the number
// texts, and the list and result panel as drawn on both back ends.

#include "app/core/ranking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "app/base/file_system.h"
#include "app/base/sjis.h"
#include "app/core/scene.h"
#include "app/core/surface_tables.h"
#include "app/core/system_ini.h"
#include "platform/draw/font/font_raster.h"
#include "platform/draw/tests/draw_fixture.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"
#include "testing/game_folder.h"
#include "testing/progress_guard.h"
#include "testing/record_bytes.h"

namespace {

int LogLines(const cTestGameFolder& folder) {
  const std::string strLog = folder.ReportLogText();
  return static_cast<int>(std::count(strLog.begin(), strLog.end(), '\n'));
}

// A list of the given direction whose first places hold the values.
cRankList ListOf(int32_t bHighFirst, std::initializer_list<int> values) {
  cRankList list;
  list.m_bHighFirst = bHighFirst;
  int i = 0;
  for (int v : values) {
    list.m_Entries.At(i).m_bUsed = 1;
    list.m_Entries.At(i).m_nScore = v;
    list.m_Entries.At(i).m_strName = std::to_string(i);
    ++i;
  }
  return list;
}

std::vector<int> Scores(const cRankList& list) {
  std::vector<int> v;
  for (const cRankEntry& e : list.m_Entries)
    if (e.m_bUsed) v.push_back(e.m_nScore);
  return v;
}

std::initializer_list<int> kFullHigh = {2000, 1900, 1800, 1700, 1600, 1500, 1400, 1300, 1200, 1100,
                                        1000, 900,  800,  700,  600,  500,  400,  300,  200,  100};

TEST(RankList, InsertPositionsAndTheListAfterwards) {
  struct Case {
    const char* what;
    int32_t bHighFirst;
    std::vector<int> before;
    int nValue;
    int nPos;
  } cases[] = {
      {"empty, high first", 1, {}, -5, 0},
      {"empty, low first", 0, {}, 99999, 0},
      {"high first, ties go behind", 1, {500, 300, 300}, 300, 3},
      {"high first, beats the second", 1, {500, 300}, 301, 1},
      {"low first, tie goes behind", 0, {1000, 2000}, 1000, 1},
      {"low first, best", 0, {1000, 2000}, 999, 0},
      {"signed comparison", 1, {0, -10}, -5, 1},
      {"full, equals the last", 1, kFullHigh, 100, -1},
      {"full, beats the 20th place", 1, kFullHigh, 101, 19},
      {"full, new best", 1, kFullHigh, 5000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    cRankList list;
    list.m_bHighFirst = c.bHighFirst;
    for (size_t i = 0; i < c.before.size(); ++i) {
      list.m_Entries.At(static_cast<int>(i)).m_bUsed = 1;
      list.m_Entries.At(static_cast<int>(i)).m_nScore = c.before[i];
    }
    EXPECT_EQ(list.FindInsertPos(c.nValue), c.nPos);
    list.Insert("new", c.nValue);
    EXPECT_EQ(list.m_Entries.size(), 20u);
    std::vector<int> expected = c.before;
    if (c.nPos >= 0) {
      expected.insert(expected.begin() + c.nPos, c.nValue);
      if (expected.size() > 20) expected.pop_back();
      EXPECT_EQ(list.m_Entries.At(c.nPos).m_strName, "new");
    }
    EXPECT_EQ(Scores(list), expected);
  }
}

TEST(RankTable, NewAndResetTablesRankOnlyTheClearTimeLowerFirst) {
  cRankTable table;
  table.m_Lists.At(0).m_Entries.At(0).m_bUsed = 1;
  table.m_Lists.resize(2);
  table.Reset();
  ASSERT_EQ(table.m_Lists.size(), 5u);
  const int32_t expected[] = {1, 1, 0, 1, 1};
  for (int g = 0; g < 5; ++g) {
    EXPECT_EQ(table.m_Lists.At(g).m_bHighFirst, expected[g]) << g;
    EXPECT_EQ(Scores(table.m_Lists.At(g)), std::vector<int>{}) << g;
    EXPECT_EQ(table.m_Lists.At(g).m_Entries.size(), 20u);
  }
  // Each genre's direction decides where a value lands.
  for (int g = 0; g < 5; ++g) {
    cRankList& list = table.m_Lists.At(g);
    list.Insert("a", 500);
    EXPECT_EQ(list.FindInsertPos(400), g == 2 ? 0 : 1) << g;
  }
}

TEST(RankList, ResetKeepsPlacesAndMakesExactlyTwenty) {
  cRankList list = ListOf(1, {7, 6});
  list.m_Entries.resize(25);
  list.Reset();
  EXPECT_EQ(list.m_Entries.size(), 20u);
  EXPECT_EQ(list.m_bHighFirst, 0);
  EXPECT_EQ(Scores(list), (std::vector<int>{7, 6}));
  list.m_Entries.resize(3);
  list.Reset();
  EXPECT_EQ(list.m_Entries.size(), 20u);
}

TEST(RankingPath, FolderByGameKindAndTheStageStem) {
  struct Case {
    int nKind;
    const char* key;
    const char* path;
  } cases[] = {
      {0, "data\\stg4\\c01.", "user_data\\story\\c01.rkg"},
      {1, "data\\stg4\\c01.", "user_data\\challenge\\c01.rkg"},
      {2, "data\\stg4\\c01.", "user_data\\free\\c01.rkg"},
      // The second byte of ソ is a backslash: not a folder separator.
      {2, "data\\stg4\\ソード.", "user_data\\free\\ソード.rkg"},
      {2, "c02.", "user_data\\free\\c02.rkg"},
      {3, "data\\stg4\\c01.", ""},
      {-1, "data\\stg4\\c01.", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeRankingPath(c.nKind, c.key), c.path) << c.nKind << " " << c.key;
    char szPath[260] = "untouched";
    EXPECT_EQ(MakeRankingPath(szPath, c.nKind, c.key), *c.path ? 1 : 0);
    if (*c.path) {
      EXPECT_STREQ(szPath, c.path);
    }
  }
}

class RankingFile : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDirectory("user_data");
    MakeDirectory("user_data\\free");
  }
  // Ranking file bytes: nLists lists with the given direction, each of
  // nEntries entries, entry i holding value 100 - i and a name.
  static cRecordBytes File(int nVersion, int nLists, int nEntries, int32_t bHighFirst = 1,
                           const std::string& strName = "abc") {
    cRecordBytes b;
    b.u32(static_cast<uint32_t>(nVersion)).IntRecord({}).u32(static_cast<uint32_t>(nLists));
    for (int l = 0; l < nLists; ++l) {
      b.IntRecord({bHighFirst}).u32(static_cast<uint32_t>(nEntries));
      for (int i = 0; i < nEntries; ++i) b.IntRecord({1, 100 - i}, strName);
    }
    return b;
  }
  cTestGameFolder m_folder;
  const std::string m_strKey = "data\\stg4\\c01.";
  const std::string m_strPath = "user_data\\free\\c01.rkg";
};

TEST_F(RankingFile, RoundTripWritesTheLayoutAndReadsItBack) {
  cRankTable table;
  table.m_Lists.At(0).Insert("あい", 300);
  table.m_Lists.At(2).Insert("xyz", 345);
  ASSERT_EQ(SaveRanking(table, 2, m_strKey), 1);

  // The layout written: five lists, empty places with empty names.
  cRecordBytes b;
  b.u32(695).IntRecord({}).u32(5);
  const int32_t flags[] = {1, 1, 0, 1, 1};
  for (int g = 0; g < 5; ++g) {
    b.IntRecord({flags[g]}).u32(20);
    for (int i = 0; i < 20; ++i) {
      if (i == 0 && g == 0)
        b.IntRecord({1, 300}, "あい");
      else if (i == 0 && g == 2)
        b.IntRecord({1, 345}, "xyz");
      else
        b.IntRecord({0, 0}, "");
    }
  }
  EXPECT_EQ(m_folder.ReadFile(m_strPath), b.Bytes());

  cRankTable loaded;
  loaded.m_Lists.At(1).Insert("old", 1);
  ASSERT_EQ(LoadRanking(loaded, 2, m_strKey), 1);
  ASSERT_EQ(loaded.m_Lists.size(), 5u);
  for (int g = 0; g < 5; ++g) {
    EXPECT_EQ(loaded.m_Lists.At(g).m_bHighFirst, table.m_Lists.At(g).m_bHighFirst);
    for (int i = 0; i < 20; ++i) {
      const cRankEntry& a = loaded.m_Lists.At(g).m_Entries.At(i);
      const cRankEntry& e = table.m_Lists.At(g).m_Entries.At(i);
      EXPECT_EQ(a.m_bUsed, e.m_bUsed);
      EXPECT_EQ(a.m_nScore, e.m_nScore);
      EXPECT_EQ(a.m_strName, e.m_strName);
    }
  }
  EXPECT_EQ(LogLines(m_folder), 0);
}

TEST_F(RankingFile, MissingFileAndOtherKindsLeaveAResetTable) {
  cRankTable table;
  table.m_Lists.At(0).Insert("x", 5);
  EXPECT_EQ(LoadRanking(table, 2, m_strKey), 0);
  EXPECT_EQ(Scores(table.m_Lists.At(0)), std::vector<int>{});
  table.m_Lists.At(0).Insert("x", 5);
  EXPECT_EQ(LoadRanking(table, 3, m_strKey), 0);
  EXPECT_EQ(Scores(table.m_Lists.At(0)), std::vector<int>{});
  EXPECT_EQ(SaveRanking(table, 3, m_strKey), 0);
  EXPECT_EQ(LogLines(m_folder), 0);
}

TEST_F(RankingFile, OldFilesGetFiveListsAndHigherFirstHpAndSp) {
  m_folder.WriteFile(m_strPath, File(180, 3, 20, 0).Bytes());
  cRankTable table;
  ASSERT_EQ(LoadRanking(table, 2, m_strKey), 1);
  ASSERT_EQ(table.m_Lists.size(), 5u);
  const int32_t expected[] = {0, 0, 0, 1, 1};
  for (int g = 0; g < 5; ++g) EXPECT_EQ(table.m_Lists.At(g).m_bHighFirst, expected[g]) << g;
  EXPECT_EQ(Scores(table.m_Lists.At(1)).size(), 20u);
  EXPECT_EQ(Scores(table.m_Lists.At(3)).size(), 0u);

  m_folder.WriteFile(m_strPath, File(160, 7, 20, 0).Bytes());
  ASSERT_EQ(LoadRanking(table, 2, m_strKey), 1);
  EXPECT_EQ(table.m_Lists.size(), 5u);

  // From 181 on a file is taken as it is: seven lists stay seven.
  m_folder.WriteFile(m_strPath, File(181, 7, 20, 0).Bytes());
  ASSERT_EQ(LoadRanking(table, 2, m_strKey), 1);
  EXPECT_EQ(table.m_Lists.size(), 7u);
  EXPECT_EQ(table.m_Lists.At(4).m_bHighFirst, 0);
  EXPECT_EQ(LogLines(m_folder), 0);
}

TEST_F(RankingFile, ShapesNoWriterMakesAreMendedWithOneLineEach) {
  struct Case {
    const char* what;
    std::string bytes;
    size_t nLists;
  } cases[] = {
      {"three lists at the current version", File(695, 3, 20).Bytes(), 5},
      {"lists of no places", File(695, 5, 0).Bytes(), 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_folder.WriteFile(m_strPath, c.bytes);
    const int nBefore = LogLines(m_folder);
    cRankTable table;
    ASSERT_EQ(LoadRanking(table, 2, m_strKey), 1);
    ASSERT_EQ(table.m_Lists.size(), c.nLists);
    for (const cRankList& list : table.m_Lists) EXPECT_EQ(list.m_Entries.size(), 20u);
    // A list added for a missing genre has that genre's direction.
    EXPECT_EQ(table.m_Lists.At(3).m_bHighFirst, 1);
    EXPECT_GT(LogLines(m_folder), nBefore);
  }

  // 25 places: the first 20 stay.
  m_folder.WriteFile(m_strPath, File(695, 5, 25).Bytes());
  cRankTable table;
  ASSERT_EQ(LoadRanking(table, 2, m_strKey), 1);
  EXPECT_EQ(Scores(table.m_Lists.At(0)).size(), 20u);
  EXPECT_EQ(table.m_Lists.At(0).m_Entries.At(19).m_nScore, 81);

  // An overlong name is cut on a character boundary (8 double-byte
  // characters and one more byte: 16 bytes would split the ninth).
  const int nBefore = LogLines(m_folder);
  m_folder.WriteFile(m_strPath,
                     File(695, 5, 20, 1, "a" + std::string("あいうえおかきくけ")).Bytes());
  ASSERT_EQ(LoadRanking(table, 2, m_strKey), 1);
  EXPECT_EQ(table.m_Lists.At(4).m_Entries.At(7).m_strName, "aあいうえおかき");
  EXPECT_EQ(LogLines(m_folder), nBefore + 5 * 20);
}

TEST_F(RankingFile, DamagedFilesAreRefusedWithOneLineAndLeaveAResetTable) {
  const std::string good = File(695, 5, 20).Bytes();
  cRecordBytes hugeLists;
  hugeLists.u32(695).IntRecord({}).u32(0x7FFFFFFF);
  cRecordBytes hugeEntries;
  hugeEntries.u32(695).IntRecord({}).u32(5).IntRecord({1}).u32(0xFFFFFFF0);
  cRecordBytes hugeName;
  hugeName.u32(695)
      .IntRecord({})
      .u32(5)
      .IntRecord({1})
      .u32(20)
      .Fields(2)
      .i32(1)
      .i32(5)
      .Strings(1)
      .u32(0x40000000);
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"cut in the middle", good.substr(0, good.size() / 2)},
      {"cut inside the version word", good.substr(0, 3)},
      {"a list count beyond the file", hugeLists.Bytes()},
      {"an entry count beyond the file", hugeEntries.Bytes()},
      {"a name length beyond the file", hugeName.Bytes()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_folder.WriteFile(m_strPath, c.bytes);
    const int nBefore = LogLines(m_folder);
    cRankTable table;
    table.m_Lists.At(0).Insert("x", 5);
    EXPECT_EQ(LoadRanking(table, 2, m_strKey), 0);
    EXPECT_EQ(LogLines(m_folder), nBefore + 1);
    ASSERT_EQ(table.m_Lists.size(), 5u);
    EXPECT_EQ(Scores(table.m_Lists.At(0)), std::vector<int>{});
  }
}

TEST_F(RankingFile, AFailedSaveKeepsTheTableAndSaysSo) {
  // (That the old file survives a failed save is cAtomicFile's guarantee.)
  cRankTable table;
  table.m_Lists.At(0).Insert("x", 5);
  // The story folder does not exist: the file cannot be made.
  EXPECT_EQ(SaveRanking(table, 0, m_strKey), 0);
  EXPECT_EQ(Scores(table.m_Lists.At(0)), std::vector<int>{5});
  EXPECT_NE(m_folder.ReportLogText().find("user_data\\story\\c01.rkg"), std::string::npos);
}

TEST(RankingText, TimesZeroPaddingAndDigits) {
  struct TimeCase {
    int t;
    const char* text;
  } times[] = {
      {0, "00:00.00"},           {345, "00:03.45"},
      {6000, "01:00.00"},        {600000, "100:00.00"},
      {-345, "00:-03.-45"},      {-6001, "-01:00.-01"},
      {INT_MAX, "357913:56.47"}, {INT_MIN, "-357913:-56.-48"},
  };
  for (const TimeCase& c : times) {
    std::string s;
    FormatTime(s, c.t);
    EXPECT_EQ(s, c.text) << c.t;
  }
  struct PadCase {
    int nValue, nWidth, bKeep, bPlus;
    const char* text;
  } pads[] = {
      {7, 3, 1, 0, "007"},   {7, 3, 0, 0, "  7"},
      {-7, 3, 0, 0, "-  7"}, {7, 3, 0, 1, "+  7"},
      {0, 3, 0, 0, "  0"},   {12345, 2, 1, 0, "12345"},
      {5, 0, 1, 0, "5"},     {INT_MIN, 0, 1, 0, "-2147483648"},
  };
  for (const PadCase& c : pads) {
    std::string s;
    FormatZeroPadded(s, c.nValue, c.nWidth, c.bKeep, c.bPlus);
    EXPECT_EQ(s, c.text) << c.nValue << " " << c.nWidth;
  }
}

// ---- drawing ------------------------------------------------------------------------

constexpr int kTextColour = 4;    // white
constexpr int kBorderColour = 1;  // red
constexpr int kIconColour = 5;    // yellow
constexpr int kBackground = 7;    // black

class RankingDraw : public ::testing::TestWithParam<eBackend> {
 protected:
  void SetUp() override {
    g_SystemIni = SYSTEMINIDATA();
    g_nGameKind = 2;
    SetRasterizerFactory(
        [](const std::string&, int nHeight) { return std::make_unique<cBoxRasterizer>(nHeight); });
    m_pLib = std::make_unique<cDrawLibrary>(GetParam(), 320, 400);
    ASSERT_TRUE(m_pLib->m_bStarted);
    ASSERT_TRUE(
        g_Fonts[1].Create("ＭＳ ゴシック", 0, 16, 8, 16, kTextColour, -1, 1, kBorderColour, -1, 1));
    // The accessory sheet: the icon cell in yellow on black.
    ASSERT_TRUE(DDCreateSurface(&g_SurfaceTable[49], 64, 64, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    DDPalFillSurface(&g_SurfaceTable[49], kBackground);
    DDPalFillRect(&g_SurfaceTable[49], 16, 48, 16, 16, kIconColour);
    DDPalFillSurface(&g_BackBufferSD, kBackground);
  }
  void TearDown() override {
    g_Fonts[1].Release();
    DDReleaseSurface(&g_SurfaceTable[49]);
    m_pLib.reset();
    SetRasterizerFactory(nullptr);
  }
  uint32_t At(int x, int y) { return m_pLib->Rgb(&g_BackBufferSD, x, y); }
  // Pixels of a palette colour of the test palette inside a rectangle.
  int Count(int x0, int y0, int x1, int y1, int nColour) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += At(x, y) == kTestColours[nColour];
    return n;
  }
  cTestGameFolder m_folder;
  cProgressGlobalsGuard m_guard;
  std::unique_ptr<cDrawLibrary> m_pLib;
};

TEST_P(RankingDraw, ListRowsAlignValuesOnTheFirstPlace) {
  cRankTable table;
  cRankList& list = table.m_Lists.At(0);
  list.Insert("abc", 12345);
  list.Insert("de", 99);
  // Only the score genre ranks: no switch hint.
  for (int g = 1; g < 5; ++g) g_System.m_RankGenres.At(2).m_abGenres.At(g) = 0;
  g_System.m_RankGenres.At(2).m_bEnabled = 1;
  const int x = 10, y = 10;
  table.Draw(&g_BackBufferSD, x, y, 0, 1);

  // The frame around (x + 1, y + 1), 270 x 350.
  EXPECT_EQ(At(x, y + 100), kTestColours[kBorderColour]);
  EXPECT_EQ(At(x + 271, y + 100), kTestColours[kBorderColour]);
  EXPECT_EQ(At(x + 100, y + 351), kTestColours[kBorderColour]);
  // Rows: rank at x + 16, name at x + 64; the 5-digit value from x + 144,
  // the 2-digit one right-aligned from x + (5 - 2 + 9) x 16.
  EXPECT_GT(Count(x + 16, y + 16, x + 32, y + 32, kTextColour), 0);
  EXPECT_GT(Count(x + 64, y + 16, x + 88, y + 32, kTextColour), 0);
  EXPECT_GT(Count(x + 144, y + 16, x + 184, y + 32, kTextColour), 0);
  EXPECT_EQ(Count(x + 96, y + 32, x + 192, y + 48, kTextColour), 0);
  EXPECT_GT(Count(x + 192, y + 32, x + 208, y + 48, kTextColour), 0);
  // Empty places draw nothing.
  EXPECT_EQ(Count(x + 2, y + 48, x + 270, y + 336, kTextColour), 0);
  // The icon at place 1 (row 2), from (16, 48) of the accessory sheet.
  EXPECT_EQ(Count(x, y + 32, x + 16, y + 48, kIconColour), 256);
  EXPECT_EQ(Count(x, y + 16, x + 16, y + 32, kIconColour), 0);
  // No hint line under the list.
  EXPECT_EQ(Count(x, y + 336, x + 270, y + 352, kTextColour), 0);

  // Two genres ranked: the hint is centred on x + 136 under the 20 places.
  g_System.m_RankGenres.At(2).m_abGenres.At(1) = 1;
  DDPalFillSurface(&g_BackBufferSD, kBackground);
  EXPECT_EQ(DrawRankList(list, &g_BackBufferSD, x, y, 0, -1), -1);
  const int nChars = CountChars(g_System.m_Texts.At(24).c_str());
  const int xHint = x + 136 - nChars * 8;
  EXPECT_GT(Count(xHint, y + 336, xHint + 16, y + 352, kTextColour), 0);
  EXPECT_EQ(Count(x, y + 336, xHint, y + 352, kTextColour), 0);
  EXPECT_EQ(Count(x, y, x + 16, y + 350, kIconColour), 0);
}

TEST_P(RankingDraw, ClearTimeRowsShowTheTimeForm) {
  cRankTable table;
  table.m_Lists.At(2).Insert("abc", 345);
  const int x = 0, y = 0;
  table.Draw(&g_BackBufferSD, x, y, 2, -1);
  // "00:03.45" is eight half-width cells from x + 144.
  EXPECT_GT(Count(x + 144, y + 16, x + 152, y + 32, kTextColour), 0);
  EXPECT_GT(Count(x + 200, y + 16, x + 208, y + 32, kTextColour), 0);
  EXPECT_EQ(Count(x + 208, y + 16, x + 260, y + 32, kTextColour), 0);
}

TEST_P(RankingDraw, ResultPanelSizesToItsGenresAndStacksIconsFromTheTop) {
  for (int g = 0; g < 5; ++g) g_Stage.m_vResultItem.At(g) = g == 0 || g == 2 || g == 4;
  cCheckedVector<uint8_t>& ranked = g_System.m_RankGenres.At(2).m_abGenres;
  for (int g = 0; g < 5; ++g) ranked.At(g) = g != 4;  // SP shown by the stage, not ranked
  g_PlayData.m_nGameScore = 123;
  g_PlayData.m_nClearTimeSum = 345;
  const int x = 20, y = 30;
  DrawResultPanel(&g_BackBufferSD, x, y, {-1, -1, 4, -1, -1});

  // Two rows; labels up to 5 characters ("クリア時間"), values 8 wide (the
  // time): a frame (8 + 5 + 3) x 16 = 256 wide and 32 high.
  const int nWidth = 256;
  EXPECT_EQ(At(x + nWidth, y + 10), kTestColours[kBorderColour]);
  EXPECT_EQ(At(x + nWidth + 1, y + 10), kTestColours[kBackground]);
  EXPECT_EQ(At(x + 100, y + 32), kTestColours[kBorderColour]);
  EXPECT_EQ(At(x + 100, y + 33), kTestColours[kBackground]);
  // Labels at x + 16, values at x + 32 + 5 x 16.
  EXPECT_GT(Count(x + 16, y, x + 32, y + 16, kTextColour), 0);
  EXPECT_GT(Count(x + 112, y, x + 120, y + 16, kTextColour), 0);
  EXPECT_GT(Count(x + 112, y + 16, x + 120, y + 32, kTextColour), 0);
  EXPECT_EQ(Count(x + 96, y, x + 112, y + 32, kTextColour), 0);
  // The one placed genre's icon sits on the first row, not on its own.
  EXPECT_EQ(Count(x, y, x + 16, y + 16, kIconColour), 256);
  EXPECT_EQ(Count(x, y + 16, x + 16, y + 32, kIconColour), 0);

  // A test play shows every genre the stage shows, ranked or not.
  g_bTestPlay = 1;
  DDPalFillSurface(&g_BackBufferSD, kBackground);
  DrawResultPanel(&g_BackBufferSD, x, y, {-1, -1, -1, -1, -1});
  EXPECT_EQ(At(x + 100, y + 48), kTestColours[kBorderColour]);
  EXPECT_EQ(Count(x, y, x + 16, y + 48, kIconColour), 0);

  // Nothing shown: nothing drawn.
  for (int g = 0; g < 5; ++g) g_Stage.m_vResultItem.At(g) = 0;
  DDPalFillSurface(&g_BackBufferSD, kBackground);
  DrawResultPanel(&g_BackBufferSD, x, y, {0, 0, 0, 0, 0});
  EXPECT_EQ(Count(0, 0, 320, 100, kBackground), 320 * 100);
}

INSTANTIATE_TEST_SUITE_P(Backends, RankingDraw,
                         ::testing::Values(eBackend::Gpu32, eBackend::DD8, eBackend::DD32),
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
