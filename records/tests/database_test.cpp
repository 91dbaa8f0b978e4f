// The database set: loading the ten table files, defaults, the repairs made
// after loading, and damaged files.

#include "records/database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/base/close_request.h"
#include "app/base/file_system.h"
#include "app/base/message_box.h"
#include "records/tests/table_files.h"
#include "testing/game_folder.h"
#include "testing/record_bytes.h"
#include "testing/record_guard.h"
#include "testing/test_random.h"

namespace {

class Database : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxProvider([this](const std::string& strText, const std::string&, MsgBoxType) {
      m_Boxes.push_back(strText);
      return kMsgBoxOk;
    });
  }
  void TearDown() override { SetMessageBoxProvider(nullptr); }

  void WriteFiles(const std::string (&files)[10]) {
    for (int i = 0; i < 10; ++i) m_Folder.WriteFile(kTablePaths[i], files[i]);
  }
  // The ten files of a small project with every field set.
  void SampleFiles(std::string (&files)[10], int nRows = 3) {
    cDatabase db;
    FillSampleDatabase(db, nRows);
    TableFilesOf(db, files);
  }
  bool LogHas(const std::string& strText) const {
    return m_Folder.ReportLogText().find(strText) != std::string::npos;
  }

  cRecordGlobalsGuard m_Guard;
  cTestGameFolder m_Folder;
  std::vector<std::string> m_Boxes;
};

TEST_F(Database, DefaultsBeforeAnyFileIsRead) {
  const cDatabase& db = g_Database;
  ASSERT_EQ(db.m_AnimeSet.size(), 1u);
  ASSERT_EQ(db.m_AnimeSet[0].m_Slots.size(), 4u);
  EXPECT_EQ(db.m_AnimeSet[0].m_Slots[1].m_strName, "立ち移動");
  EXPECT_EQ(db.m_AnimeSet[0].m_nBlockOffset, 8);
  ASSERT_EQ(db.m_Anime.size(), 2u);
  EXPECT_EQ(db.m_Anime[0].m_strName, "なし");
  EXPECT_EQ(db.m_Anime[1].m_strName, "アクションA");
  EXPECT_EQ(db.m_SwordType.size(), 1u);
  for (size_t n : {db.m_BmpCharaExc.size(), db.m_Effect.size(), db.m_CharaEffect.size(),
                   db.m_ScrEffect.size(), db.m_Picture.size(), db.m_Sound.size(), db.m_Bgm.size()})
    EXPECT_EQ(n, 2u);
  EXPECT_EQ(db.m_CharaEffect[0].m_nKind, 1);
  EXPECT_TRUE(db.m_CharaEffectWork.empty());
}

// Every row class, loaded from the current layout and written again, gives
// the same bytes.
TEST_F(Database, LoadedTablesWriteBackByteIdentical) {
  std::string files[10];
  SampleFiles(files);
  WriteFiles(files);
  ASSERT_EQ(g_Database.LoadAll(), 1);
  EXPECT_TRUE(m_Boxes.empty());
  std::string again[10];
  TableFilesOf(g_Database, again);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(again[i], files[i]) << kTablePaths[i];
}

TEST_F(Database, MissingFileStopsTheLoadAtIt) {
  std::string files[10];
  SampleFiles(files);
  WriteFiles(files);
  RemoveFile("data\\database\\Effect.dat");
  EXPECT_EQ(g_Database.LoadAll(), 0);
  ASSERT_EQ(m_Boxes.size(), 1u);
  EXPECT_EQ(m_Boxes[0], "data\\database\\Effect.dat のロードに失敗！");
  EXPECT_TRUE(LogHas("data\\database\\Effect.dat のロードに失敗！"));
  EXPECT_EQ(g_Database.m_SwordType.size(), 3u);  // loaded
  EXPECT_EQ(g_Database.m_AnimeSet[2].m_strName, "セット行2");
  EXPECT_EQ(g_Database.m_Effect.size(), 2u);  // defaults from here on
  EXPECT_EQ(g_Database.m_Bgm.size(), 2u);
  EXPECT_EQ(g_Database.m_CharaEffect[0].m_nKind, 1);  // row 0 not reset
}

TEST_F(Database, RowZeroOfTheEffectTablesHasNoKind) {
  cDatabase db;
  FillSampleDatabase(db, 3);
  db.m_CharaEffect[0].m_nKind = 5;
  db.m_ScrEffect[0].m_nKind = 3;
  db.m_CharaEffect[1].m_nKind = 5;
  std::string files[10];
  TableFilesOf(db, files);
  WriteFiles(files);
  ASSERT_EQ(g_Database.LoadAll(), 1);
  EXPECT_EQ(g_Database.m_CharaEffect[0].m_nKind, 0);
  EXPECT_EQ(g_Database.m_ScrEffect[0].m_nKind, 0);
  EXPECT_EQ(g_Database.m_CharaEffect[1].m_nKind, 5);
  BuildDatabaseTables();
  EXPECT_EQ(g_Database.m_CharaEffectWork[0].m_nKind, 0);
  EXPECT_EQ(g_Database.m_CharaEffectWork[1].m_nKind, 5);
  EXPECT_EQ(g_CharaEffectSteps.size(), 3u);
  EXPECT_EQ(g_ScrEffectStepsRev.size(), 3u);
  EXPECT_EQ(g_AnimePatterns.size(), 3u);
  EXPECT_EQ(g_EffectPatterns.size(), 3u);
}

// Rows that existed before the load keep the fields an older file lacks;
// rows the file adds start from the default row.
TEST_F(Database, OlderTableLoadsOverTheRowsThatExist) {
  std::string files[10];
  SampleFiles(files);
  cRecordBytes bmp;
  bmp.u32(171).u32(3);
  for (const char* name : {"a", "b", "c"}) bmp.IntRecord({0}, name, "x.bmp");
  files[2] = bmp.Bytes();
  WriteFiles(files);
  for (cBmpCharaExcDef& row : g_Database.m_BmpCharaExc) {
    row.m_bOwnSize = 1;
    row.m_nSize = 7;
  }
  ASSERT_EQ(g_Database.LoadAll(), 1);
  ASSERT_EQ(g_Database.m_BmpCharaExc.size(), 3u);
  for (int i : {0, 1}) {
    EXPECT_EQ(g_Database.m_BmpCharaExc[i].m_bOwnSize, 1);
    EXPECT_EQ(g_Database.m_BmpCharaExc[i].m_nSize, 7);
  }
  EXPECT_EQ(g_Database.m_BmpCharaExc[2].m_bOwnSize, 0);
  EXPECT_EQ(g_Database.m_BmpCharaExc[2].m_nSize, 2);
  EXPECT_EQ(g_Database.m_BmpCharaExc[2].m_strName, "c");
}

TEST_F(Database, CarriageReturnsAreStrippedFromNames) {
  std::string files[10];
  SampleFiles(files);
  cRecordBytes sound;
  sound.u32(695).u32(1).IntRecord({0}, "前\r\n後", "s.wav");
  files[8] = sound.Bytes();
  WriteFiles(files);
  ASSERT_EQ(g_Database.LoadAll(), 1);
  EXPECT_EQ(g_Database.m_Sound.at(0).m_strName, "前\n後");
}

// A table stored without rows still gives the row 0 that every reader
// indexes, and the run-time tables build from it.
TEST_F(Database, EmptyTablesGetTheirDefaultRowZero) {
  std::string files[10];
  for (std::string& file : files) file = cRecordBytes().u32(695).u32(0).Bytes();
  WriteFiles(files);
  ASSERT_EQ(g_Database.LoadAll(), 1);
  const cDatabase& db = g_Database;
  for (size_t n : {db.m_AnimeSet.size(), db.m_Anime.size(), db.m_BmpCharaExc.size(),
                   db.m_SwordType.size(), db.m_Effect.size(), db.m_CharaEffect.size(),
                   db.m_ScrEffect.size(), db.m_Picture.size(), db.m_Sound.size(), db.m_Bgm.size()})
    EXPECT_EQ(n, 1u);
  EXPECT_EQ(db.m_CharaEffect[0].m_nKind, 0);
  EXPECT_EQ(db.m_AnimeSet[0].m_Slots.size(), 4u);
  EXPECT_TRUE(LogHas("data\\database\\Bgm.dat : the table has no rows"));
  BuildDatabaseTables();
  ASSERT_EQ(g_AnimePatterns.size(), 1u);
  EXPECT_EQ(g_AnimePatterns[0].back(), (ANIMESTEP{-2, 0, 1}));
  EXPECT_EQ(g_CharaEffectStepsRev.size(), 1u);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

// Every proper prefix of every file of a valid project is refused with the
// load message and a log line naming the fault; nothing crashes or leaks.
TEST_F(Database, TruncatedFilesFailTheLoad) {
  std::string files[10];
  SampleFiles(files, 2);
  WriteFiles(files);
  for (int nFile = 0; nFile < 10; ++nFile) {
    for (size_t nLength = 0; nLength < files[nFile].size(); ++nLength) {
      SCOPED_TRACE(testing::Message() << kTablePaths[nFile] << " cut to " << nLength);
      m_Folder.WriteFile(kTablePaths[nFile], files[nFile].substr(0, nLength));
      m_Boxes.clear();
      ResetDatabaseGlobals();
      ASSERT_EQ(g_Database.LoadAll(), 0);
      ASSERT_EQ(m_Boxes.size(), 1u);
      EXPECT_EQ(m_Boxes[0], std::string(kTablePaths[nFile]) + " のロードに失敗！");
    }
    m_Folder.WriteFile(kTablePaths[nFile], files[nFile]);
  }
  EXPECT_TRUE(LogHas("damaged record file"));
}

// Bytes changed at random: the load either succeeds, and the run-time tables
// build from whatever values arrived, or fails with its message.
TEST_F(Database, CorruptedFilesLoadOrFailCleanly) {
  std::string files[10];
  SampleFiles(files, 2);
  WriteFiles(files);
  cTestRandom random;
  int nLoaded = 0;
  for (int nRound = 0; nRound < 600; ++nRound) {
    const int nFile = random.Below(10);
    std::string bytes = files[nFile];
    for (int nFlips = random.Between(1, 4); nFlips > 0; --nFlips)
      bytes[random.Index(bytes.size())] = random.Byte();
    m_Folder.WriteFile(kTablePaths[nFile], bytes);
    m_Boxes.clear();
    ResetDatabaseGlobals();
    if (g_Database.LoadAll() == 1) {
      ++nLoaded;
      EXPECT_TRUE(m_Boxes.empty());
      BuildDatabaseTables();
      EXPECT_EQ(g_AnimePatterns.size(), g_Database.m_Anime.size());
    } else {
      EXPECT_EQ(m_Boxes.size(), 1u) << "round " << nRound;
    }
    m_Folder.WriteFile(kTablePaths[nFile], files[nFile]);
  }
  EXPECT_GT(nLoaded, 0);  // values changed inside fields still load
}

TEST_F(Database, HugeCountsAreRefusedBeforeAnyAllocation) {
  const uint32_t kHuge = 0xFFFFFFFF;
  struct Case {
    int nFile;
    cRecordBytes bytes;
    const char* pszReason;
  };
  std::vector<Case> cases;
  cases.push_back({8, cRecordBytes().u32(695).u32(kHuge), "row count 4294967295"});
  cases.push_back(
      {1,
       cRecordBytes().u32(695).u32(1).Fields(3).i16(0).u8(1).i16(0).Strings(1).str("a").u32(kHuge),
       "frame count 4294967295"});
  cases.push_back({0, cRecordBytes().u32(695).u32(1).IntRecord({4, 8, 0}, "s").u32(kHuge),
                   "slot count 4294967295"});
  cases.push_back({3, cRecordBytes().u32(695).u32(1).IntRecord({0}, "a", "b", "c").u32(kHuge),
                   "frame count 4294967295"});
  cases.push_back({4, cRecordBytes().u32(695).u32(1).IntRecord({0, 32, 32, 0}, "e", "f").u32(kHuge),
                   "frame count 4294967295"});
  cases.push_back({7, cRecordBytes().u32(695).u32(1).Fields(1).i32(0).Strings(2).u32(kHuge),
                   "damaged record file"});
  cases.push_back({5, cRecordBytes().u32(695).u32(1).Fields(kHuge), "damaged record file"});
  for (const Case& c : cases) {
    SCOPED_TRACE(kTablePaths[c.nFile]);
    std::string files[10];
    SampleFiles(files, 2);
    files[c.nFile] = c.bytes.Bytes();
    WriteFiles(files);
    m_Boxes.clear();
    ResetDatabaseGlobals();
    EXPECT_EQ(g_Database.LoadAll(), 0);
    EXPECT_EQ(m_Boxes.size(), 1u);
    EXPECT_TRUE(LogHas(c.pszReason));
  }
}

}  // namespace
