// Save slots, challenge progress and replays.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>
#include <vector>

#include "app/base/file_system.h"
#include "records/record_file.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/progress/save_slots.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_globals.h"
#include "testing/game_folder.h"
#include "testing/progress_guard.h"

namespace {

class ProgressFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDirectory("user_data");
    MakeDirectory("user_data\\story");
    MakeDirectory("user_data\\challenge");
    MakeDirectory("user_data\\rpl4");
  }
  void TearDown() override { InitSaveSlotList(g_SaveSlots, kSaveSlotCount); }
  cProgressGlobalsGuard m_guard;
  cTestGameFolder m_folder;
};

TEST_F(ProgressFilesTest, SlotPathsAndTheSlotList) {
  char szPath[260];
  MakeSlotPath(szPath, 0);
  EXPECT_STREQ(szPath, "user_data\\story\\Story01.dat");
  MakeSlotPath(szPath, 98);
  EXPECT_STREQ(szPath, "user_data\\story\\Story99.dat");

  cPlayData data;
  data.SaveSlot(2);
  EXPECT_EQ(g_SaveSlots.At(2).m_bUsed, 1);
  InitSaveSlotList(g_SaveSlots, kSaveSlotCount);
  g_SaveSlots.At(5).m_bUsed = 1;
  LoadSaveSlotList(g_SaveSlots);
  for (int i = 0; i < kSaveSlotCount; ++i)
    EXPECT_EQ(g_SaveSlots.At(i).m_bUsed, i == 2 ? 1 : 0) << i;
  EXPECT_EQ(g_SaveSlots.At(2).m_SaveTime, data.m_SaveTime);
  EXPECT_GE(data.m_SaveTime.wYear, 2024);
}

TEST_F(ProgressFilesTest, DamagedSlotsListAsEmptyAsLoadSlotRefusesThem) {
  cPlayData first, second;
  first.SaveSlot(0);
  second.SaveSlot(1);
  const std::string strSecond = m_folder.ReadFile("user_data\\story\\Story02.dat");
  // Story02 cut short, Story03 only a version word and a bad field count.
  m_folder.WriteFile("user_data\\story\\Story02.dat", strSecond.substr(0, strSecond.size() / 2));
  m_folder.WriteFile("user_data\\story\\Story03.dat", std::string("\xB7\x02\x00\x00\x20\x00", 6));
  InitSaveSlotList(g_SaveSlots, kSaveSlotCount);
  LoadSaveSlotList(g_SaveSlots);
  for (int i = 0; i < 4; ++i) {
    cPlayData data;
    EXPECT_EQ(g_SaveSlots.At(i).m_bUsed, data.LoadSlot(i)) << i;
  }
  EXPECT_EQ(g_SaveSlots.At(0).m_bUsed, 1);
  EXPECT_EQ(g_SaveSlots.At(0).m_SaveTime, first.m_SaveTime);
  EXPECT_EQ(g_SaveSlots.At(1).m_bUsed, 0);
  EXPECT_EQ(g_SaveSlots.At(2).m_bUsed, 0);
}

TEST(SaveSlotDate, PadsEveryFieldAndShowsNoSeconds) {
  EXPECT_EQ(FormatSaveDate(SAVETIME{2024, 3, 6, 2, 9, 5, 59, 999}), "2024/03/02 09:05\n");
  EXPECT_EQ(FormatSaveDate(SAVETIME{987, 12, 0, 31, 23, 59, 0, 0}), "0987/12/31 23:59\n");
}

TEST_F(ProgressFilesTest, LivesRuleAfterLoadingASlot) {
  const struct {
    int infinite, projectLives, savedLives, savedStart;
    int lives, start;
  } cases[] = {
      {0, 5, kInfiniteLives, kInfiniteLives, 5, kInfiniteLives},  // infinite switched off since
      {1, 5, 2, 3, kInfiniteLives, kInfiniteLives},
      {0, 5, 2, 3, 2, 3},
  };
  for (const auto& c : cases) {
    g_System.m_abInfiniteLives.At(0) = c.infinite;
    g_System.m_anLives.At(0) = c.projectLives;
    cPlayData saved;
    saved.m_nLives = c.savedLives;
    saved.m_nStartLives = c.savedStart;
    saved.SaveSlot(0);
    cPlayData data;
    EXPECT_EQ(data.LoadSlot(0), 1);
    EXPECT_EQ(data.m_nLives, c.lives);
    EXPECT_EQ(data.m_nStartLives, c.start);
  }
}

TEST_F(ProgressFilesTest, MissingOrDamagedFilesLeaveThePlayDataAlone) {
  cPlayData data;
  data.m_nGameScore = 42;
  EXPECT_EQ(data.LoadChallenge(), 0);
  EXPECT_EQ(data.LoadSlot(7), 0);
  m_folder.WriteFile("user_data\\story\\Story08.dat", std::string("\xB7\x02\x00\x00\x20\x00", 6));
  EXPECT_EQ(data.LoadSlot(7), 0);
  EXPECT_EQ(data.m_nGameScore, 42);
}

// Files may grow only to a given size while it lives (root included): a
// write past it fails instead of raising SIGXFSZ.
class cFileSizeLimit {
 public:
  explicit cFileSizeLimit(rlim_t nBytes) {
    m_pfnOld = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &m_Old);
    rlimit limit = m_Old;
    limit.rlim_cur = nBytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~cFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_Old);
    std::signal(SIGXFSZ, m_pfnOld);
  }
  cFileSizeLimit(const cFileSizeLimit&) = delete;
  cFileSizeLimit& operator=(const cFileSizeLimit&) = delete;

 private:
  rlimit m_Old{};
  void (*m_pfnOld)(int);
};

TEST_F(ProgressFilesTest, AFailedSaveKeepsTheOldFileAndTheSlotState) {
  cPlayData data;
  data.m_nGameScore = 1;
  data.SaveSlot(1);
  const std::string strBefore = m_folder.ReadFile("user_data\\story\\Story02.dat");
  ASSERT_GT(strBefore.size(), 1000u);
  g_SaveSlots.At(1).m_bUsed = 0;
  data.m_nGameScore = 2;
  {
    // The new file cannot be written whole (the report log stays far below).
    const cFileSizeLimit limit(strBefore.size() / 2);
    data.SaveSlot(1);
  }
  EXPECT_EQ(g_SaveSlots.At(1).m_bUsed, 0);
  EXPECT_EQ(m_folder.ReadFile("user_data\\story\\Story02.dat"), strBefore);
  EXPECT_EQ(ListDirectory("user_data\\story"), std::vector<std::string>{"Story02.dat"});
  EXPECT_NE(m_folder.ReportLogText().find("Story02.dat"), std::string::npos);
}

TEST_F(ProgressFilesTest, RunLengthStreamsRecordAndPlayBack) {
  cReplayData replay;
  const int16_t frames[][2] = {{5, 0}, {5, 0}, {5, 0}, {5, 1}, {5, 1}};
  for (const auto& f : frames) replay.RecordFrame(f);
  EXPECT_EQ(replay.m_vValueA, (cCheckedVector<int16_t>{5}));
  EXPECT_EQ(replay.m_vRunA, (cCheckedVector<int32_t>{5}));
  EXPECT_EQ(replay.m_vValueB, (cCheckedVector<int16_t>{0, 1}));
  EXPECT_EQ(replay.m_vRunB, (cCheckedVector<int32_t>{3, 2}));
  for (const auto& f : frames) {
    int16_t w[2] = {-1, -1};
    ASSERT_EQ(replay.PlayFrame(w), 0);
    EXPECT_EQ(w[0], f[0]);
    EXPECT_EQ(w[1], f[1]);
  }
  int16_t w[2] = {-1, -1};
  EXPECT_EQ(replay.PlayFrame(w), 1);
  EXPECT_EQ(w[0], -1);  // nothing written after the end
}

TEST_F(ProgressFilesTest, ReplayFileRoundTripPlaysWordForWord) {
  g_Stage.m_nTimeLimit = 90;
  g_StageStart.CopySettingsFrom(g_Stage);
  cReplayData replay;
  replay.m_nSeed = 12345;
  std::vector<std::array<int16_t, 2>> words;
  for (int i = 0; i < 500; ++i)
    words.push_back({static_cast<int16_t>(i / 7 % 3), static_cast<int16_t>(i % 11 == 0)});
  for (const auto& w : words) replay.RecordFrame(w.data());
  cPlayData play;
  play.m_nLives = 4;
  ASSERT_EQ(replay.SaveReplayFile("user_data\\rpl4\\a.rpl4_695", &g_Stage, &g_StageStart, &play),
            1);

  auto pStage = std::make_unique<cEdStage>();
  auto pStart = std::make_unique<cEdStage>();
  cReplayData loaded;
  cPlayData loadedPlay;
  ASSERT_EQ(
      loaded.LoadReplayFile("user_data\\rpl4\\a.rpl4_695", pStage.get(), pStart.get(), &loadedPlay),
      1)
      << m_folder.ReportLogText();
  EXPECT_EQ(loaded.m_nSeed, 12345);
  EXPECT_EQ(loadedPlay.m_nLives, 4);
  EXPECT_EQ(pStage->m_nTimeLimit, 90);
  loaded.ResetCursors();
  for (const auto& w : words) {
    int16_t got[2];
    ASSERT_EQ(loaded.PlayFrame(got), 0);
    ASSERT_EQ(got[0], w[0]);
    ASSERT_EQ(got[1], w[1]);
  }
  int16_t got[2];
  EXPECT_EQ(loaded.PlayFrame(got), 1);

  // A damaged replay leaves what it would have loaded into as it was.
  const std::string strBytes = m_folder.ReadFile("user_data\\rpl4\\a.rpl4_695");
  m_folder.WriteFile("user_data\\rpl4\\cut.rpl4_695", strBytes.substr(0, strBytes.size() - 3));
  loadedPlay.m_nLives = 9;
  EXPECT_EQ(loaded.LoadReplayFile("user_data\\rpl4\\cut.rpl4_695", pStage.get(), pStart.get(),
                                  &loadedPlay),
            0);
  EXPECT_EQ(loadedPlay.m_nLives, 9);
  EXPECT_EQ(loaded.m_nSeed, 12345);
}

TEST_F(ProgressFilesTest, StreamsOfUnequalLengthAreRefused) {
  cReplayData replay;
  replay.m_vValueA = {1, 2};
  replay.m_vRunA = {1};
  int16_t w[2];
  EXPECT_EQ(replay.PlayFrame(w), 1);  // never reads a run that is not there
  cRecordWriter writer;
  replay.Save(writer);
  cRecordReader reader(writer.Data());
  cReplayData loaded;
  loaded.Load(reader);
  EXPECT_TRUE(reader.Failed());
}

TEST_F(ProgressFilesTest, ProposedReplayNamesSkipTakenOnes) {
  EXPECT_EQ(ProposeReplayFileName(""), "");
  EXPECT_EQ(ProposeReplayFileName("data\\stg4\\c01."), "c01_00.rpl4_695");
  m_folder.WriteFile("user_data\\rpl4\\c01_00.rpl4_695", "");
  m_folder.WriteFile("user_data\\rpl4\\c01_01.rpl4_695", "");
  EXPECT_EQ(ProposeReplayFileName("data\\stg4\\c01."), "c01_02.rpl4_695");
  for (int j = 0; j <= 8; ++j)
    m_folder.WriteFile("user_data\\rpl4\\c01_0" + std::to_string(j) + ".rpl4_695", "");
  EXPECT_EQ(ProposeReplayFileName("data\\stg4\\c01."), "c01_10.rpl4_695");
}

}  // namespace
