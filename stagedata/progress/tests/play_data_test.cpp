// The play data record, its migrations and the progress operations.

#include "stagedata/progress/play_data.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/base/close_request.h"
#include "app/base/file_system.h"
#include "records/record_file.h"
#include "records/system.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_globals.h"
#include "testing/game_folder.h"
#include "testing/progress_guard.h"
#include "testing/record_bytes.h"

namespace {

class PlayDataTest : public ::testing::Test {
 protected:
  cProgressGlobalsGuard m_guard;
  cTestGameFolder m_folder;
};

TEST_F(PlayDataTest, NewRecordHoldsNewGameValues) {
  cPlayData data;
  EXPECT_EQ(data.m_StoredFlags, cCheckedVector<int32_t>(25, 0));
  EXPECT_EQ(data.m_HeroStatus.size(), 1u);
  ASSERT_EQ(data.m_ClearedFlags.size(), 1000u);
  EXPECT_EQ(data.m_ClearedFlags[0], 1);
  EXPECT_EQ(data.m_ClearedFlags.CountValue(0), 999);
  EXPECT_EQ(data.m_CommonVars, cCheckedVector<int32_t>(256, 0));
  EXPECT_TRUE(data.m_BestByName.empty());
  EXPECT_EQ(data.m_nChallengeOpen, 1);
  EXPECT_EQ(data.m_nSlot, -1);
  EXPECT_EQ(data.m_strPlayerName, "aaa");
  EXPECT_EQ(data.m_strStageKey, "");
}

TEST_F(PlayDataTest, SavesAndLoadsEveryStoredMemberByteForByte) {
  g_System.m_nStageCount = 3;
  cPlayData data;
  data.m_nLives = 5;
  data.m_nGameScore = 1234;
  data.m_strStageKey = "data\\stg4\\ソ.";
  data.m_SaveTime = SAVETIME{2024, 3, 6, 2, 9, 5, 1, 2};
  data.m_CommonVars.At(5) = -7;
  data.UpdateBestScore("data\\stg4\\a.", 50);
  data.m_HeroStatus[0].m_nHp = 9;
  data.m_HeroStatus[0].m_Chara.m_nMaxHp = 99;
  data.m_nLivesAtStart = 77;  // never stored
  MakeDirectory("user_data");
  ASSERT_TRUE(data.SaveToFile("user_data\\p.dat"));

  cPlayData loaded;
  ASSERT_TRUE(loaded.LoadFromFile("user_data\\p.dat"));
  EXPECT_EQ(loaded.m_nLives, 5);
  EXPECT_EQ(loaded.m_strStageKey, data.m_strStageKey);
  EXPECT_EQ(loaded.m_SaveTime, data.m_SaveTime);
  EXPECT_EQ(loaded.m_CommonVars.At(5), -7);
  EXPECT_EQ(loaded.GetBestScore("data\\stg4\\a."), 50);
  EXPECT_EQ(loaded.m_HeroStatus.At(0).m_Chara.m_nMaxHp, 99);
  EXPECT_EQ(loaded.m_StageResults.size(), 3u);
  EXPECT_EQ(loaded.m_nLivesAtStart, 0);
  ASSERT_TRUE(loaded.SaveToFile("user_data\\q.dat"));
  EXPECT_EQ(m_folder.ReadFile("user_data\\q.dat"), m_folder.ReadFile("user_data\\p.dat"));
}

// Bytes of a play-data file of an older version with the given field values
// in registration order at that version; every list is short or empty.
std::string OldPlayData(int nVersion, std::initializer_list<int32_t> fields, bool bStoredFlags) {
  cRecordBytes b;
  b.u32(static_cast<uint32_t>(nVersion)).Fields(static_cast<uint32_t>(fields.size()));
  for (int32_t v : fields) b.i32(v);
  b.Strings(2).str("data\\stg4\\x.").str("bob");
  for (int i = 0; i < 8; ++i) b.u16(0);
  if (bStoredFlags) b.u32(2).i32(0).i32(1);
  b.u32(0).u32(0).u32(0);         // hero status, best scores, challenge results
  b.u32(2).i32(1).i32(1);         // cleared flags: only two
  b.u32(3).i32(4).i32(5).i32(6);  // common variables: only three
  return b.Bytes();
}

TEST_F(PlayDataTest, OlderVersionsAreBroughtUpToDate) {
  // Version 165: 22 fields (no HP/SP sums, loop, auto-save, direction, left, previous position).
  // 14 ints common to every version, then multi-part, music, challenge,
  // slot, ranking switch and genre.
  std::initializer_list<int32_t> v165 = {0, 3, 4, 0, 0, 1, 1, 3, 3, 0,
                                         0, 0, 0, 0, 0, 7, 1, 0, 0, 0};
  m_folder.WriteFile("a.dat", OldPlayData(165, v165, false));
  cPlayData data;
  data.m_bLeftStage = 1;
  ASSERT_TRUE(data.LoadFromFile("a.dat"));
  EXPECT_EQ(data.m_nBgmNo, 7);
  EXPECT_EQ(data.m_nBgmLoop, 1);
  EXPECT_EQ(data.m_bLeftStage, 0);
  EXPECT_EQ(data.m_StoredFlags, cCheckedVector<int32_t>(25, 1));  // version <= 500: all stored
  EXPECT_EQ(data.m_strPlayerName, "bob");
  // Short lists are padded to the lengths the program indexes.
  EXPECT_EQ(data.m_ClearedFlags.size(), 1000u);
  EXPECT_EQ(data.m_CommonVars.size(), 256u);
  EXPECT_EQ(data.m_CommonVars.At(2), 6);
  EXPECT_EQ(data.m_HeroStatus.size(), 1u);

  // Version 190 has the left-stage flag but not the previous position.
  std::initializer_list<int32_t> v190 = {0, 3, 4, 0, 0, 1, 1, 3, 3, 0, 0, 0, 0,
                                         0, 0, 0, 0, 7, 1, 1, 1, 0, 0, 0, 0};
  m_folder.WriteFile("b.dat", OldPlayData(190, v190, false));
  cPlayData b;
  b.m_nPrevMapX = 5;
  ASSERT_TRUE(b.LoadFromFile("b.dat"));
  EXPECT_EQ(b.m_bLeftStage, 1);
  EXPECT_EQ(b.m_nPrevMapX, 0);

  // From version 501 the stored flags come from the file (and are padded).
  std::initializer_list<int32_t> v501 = {0, 3, 4, 0, 0, 1, 1, 3, 3, 0, 0, 0, 0, 0,
                                         0, 0, 0, 7, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0};
  m_folder.WriteFile("c.dat", OldPlayData(501, v501, true));
  cPlayData c;
  ASSERT_TRUE(c.LoadFromFile("c.dat"));
  ASSERT_EQ(c.m_StoredFlags.size(), 25u);
  EXPECT_EQ(c.m_StoredFlags[1], 1);
  EXPECT_EQ(c.m_StoredFlags[2], 0);
}

TEST_F(PlayDataTest, ValidateFitsTheMapAndTheChallengeStages) {
  g_System.m_nStageCount = 10;
  cPlayData data;
  data.m_nMapX = 20;
  data.m_nMapY = -1;
  data.m_nChallengeOpen = 12;
  data.m_nSlot = 400;
  data.m_nRankingGenre = 9;
  data.Validate();
  EXPECT_EQ(data.m_nMapX, 9);
  EXPECT_EQ(data.m_nMapY, 7);
  EXPECT_EQ(data.m_StageResults.size(), 10u);
  EXPECT_EQ(data.m_nChallengeOpen, 10);
  EXPECT_EQ(data.m_nSlot, -1);
  EXPECT_EQ(data.m_nRankingGenre, 0);
}

TEST_F(PlayDataTest, StagePathGivesTheStageKey) {
  const struct {
    const char* path;
    const char* key;
    int multi;
  } cases[] = {
      {"data\\stg4\\c01-1.stg4_695", "data\\stg4\\c01.", 1},
      {"data\\stg4\\c01.stg4", "data\\stg4\\c01.", 0},
      {"data\\w-1\\c01.stg4", "data\\w.", 1},  // "-1" in a folder name counts too
      {"data\\stg4\\noext", "", 0},
      {"", "", 0},
      {nullptr, "", 0},
  };
  for (const auto& c : cases) {
    cPlayData data;
    data.SetStagePath(c.path);
    EXPECT_EQ(data.m_strStageKey, c.key) << (c.path ? c.path : "null");
    EXPECT_EQ(data.m_bMultiPart, c.multi) << (c.path ? c.path : "null");
  }
}

TEST_F(PlayDataTest, BestScoresAndTheirTotal) {
  cPlayData data;
  data.UpdateBestScore("k1.", 0);
  EXPECT_EQ(data.m_BestByName.size(), 1u);
  data.UpdateBestScore("k1.", 100);
  data.UpdateBestScore("k1.", 40);
  data.UpdateBestScore("K1.", 7);  // keys compare exactly
  EXPECT_EQ(data.GetBestScore("k1."), 100);
  EXPECT_EQ(data.m_nBestTotal, 107);

  cEdWorldEvent e;
  e.m_Entries[0].m_strStageFile = "k1.stg4";
  g_WorldMap.m_Events.push_back(e);
  data.RecountTotalScore();
  EXPECT_EQ(data.m_nBestTotal, 100);  // K1. is not on the map
}

// Save files may hold any score; totals stay at the ends of the range.
TEST_F(PlayDataTest, BestScoreTotalsSaturate) {
  cPlayData data;
  data.m_nBestTotal = INT32_MAX - 5;
  data.UpdateBestScore("k1.", 100);  // a new entry
  EXPECT_EQ(data.m_nBestTotal, INT32_MAX);

  cStageClearByName low;
  low.m_strKey = "k2.";
  low.m_nBest = INT32_MIN;
  data.m_BestByName.push_back(low);
  data.m_nBestTotal = 1;
  data.UpdateBestScore("k2.", 1);  // 1 - INT32_MIN more
  EXPECT_EQ(data.m_nBestTotal, INT32_MAX);
  data.m_nBestTotal = INT32_MIN + 3;
  data.UpdateBestScore("k3.", -10);
  EXPECT_EQ(data.m_nBestTotal, INT32_MIN);

  for (const char* pszKey : {"k1.", "k2.", "k3.", "k4."}) {
    cEdWorldEvent e;
    e.m_Entries[0].m_strStageFile = std::string(pszKey) + "stg4";
    g_WorldMap.m_Events.push_back(e);
  }
  data.UpdateBestScore("k4.", INT32_MAX);
  data.RecountTotalScore();  // 100 + 1 - 10 + INT32_MAX
  EXPECT_EQ(data.m_nBestTotal, INT32_MAX);
  data.m_BestByName.At(3).m_nBest = 5;
  data.RecountTotalScore();
  EXPECT_EQ(data.m_nBestTotal, 96);
}

TEST_F(PlayDataTest, StageStartSnapshotAndRestore) {
  cPlayData data;
  data.m_nLives = 3;
  data.SaveStageStart();
  data.m_CommonVars.At(5) = 9;
  data.m_nGameScore = 500;
  data.m_nLives = 1;

  g_System.m_bResetVarsStory = 0;
  data.RestoreStageStart(0);
  EXPECT_EQ(data.m_CommonVars.At(5), 9);
  EXPECT_EQ(data.m_nGameScore, 0);
  EXPECT_EQ(data.m_nLives, 1);

  data.m_nGameScore = 500;
  data.RestoreStageStart(1);
  EXPECT_EQ(data.m_CommonVars.At(5), 0);
  EXPECT_EQ(data.m_nLives, 3);

  // Replays always start from the snapshot.
  data.m_CommonVars.At(5) = 9;
  g_nGameKind = GAMEKIND_REPLAY;
  data.RestoreStageStart(0);
  EXPECT_EQ(data.m_CommonVars.At(5), 0);
}

TEST_F(PlayDataTest, CarriedHeroProperties) {
  g_System.m_abCarryOver.Fill(0);
  g_System.m_abCarryOver.At(13) = 1;  // maximum HP
  g_System.m_abCarryOver.At(11) = 1;  // current HP
  g_System.m_abCarryOver.At(24) = 1;  // stage music
  cPlayData data;
  data.m_StoredFlags.Fill(0);
  cEdChara hero;
  hero.m_nMaxHp = 50;
  hero.m_nPower = 8;
  data.StoreHeroStatus(0, hero, 33, 0, 0, 0, 0, 100, 3, 12);
  EXPECT_EQ(data.m_bHeroStored, 1);
  EXPECT_EQ(data.m_StoredFlags.CountValue(1), 3);

  cEdChara next;
  int nHp = 10, nSp = 2;
  data.RestoreHeroStatus(0, next, &g_Stage);
  data.RestoreHeroExtra(0, &nHp, &nSp);
  EXPECT_EQ(next.m_nMaxHp, 50);
  EXPECT_EQ(next.m_nPower, 0);  // not carried
  EXPECT_EQ(g_Stage.m_nBgm, 12);
  EXPECT_EQ(nHp, 33);
  EXPECT_EQ(nSp, 2);

  // A switch turned off after storing stops the restore.
  g_System.m_abCarryOver.At(13) = 0;
  cEdChara third;
  data.RestoreHeroStatus(0, third, &g_Stage);
  EXPECT_EQ(third.m_nMaxHp, cEdChara().m_nMaxHp);

  g_System.m_abDropOnMiss.Fill(0);
  g_System.m_abDropOnMiss.At(11) = 1;
  data.ClearCarryOverFlags(0);
  EXPECT_EQ(data.m_StoredFlags.At(11), 0);
  EXPECT_EQ(data.m_StoredFlags.At(24), 1);
}

TEST_F(PlayDataTest, RankingGenreStepsOverEnabledGenres) {
  cCheckedVector<uint8_t>& genres = g_System.m_RankGenres.At(0).m_abGenres;
  genres.Fill(0);
  cPlayData data;
  data.StepRankingGenre(0, 1);
  EXPECT_EQ(data.m_nRankingGenre, 0);  // nothing enabled: unchanged
  genres.At(0) = genres.At(3) = 1;
  data.StepRankingGenre(0, 1);
  EXPECT_EQ(data.m_nRankingGenre, 3);
  data.StepRankingGenre(0, 1);
  EXPECT_EQ(data.m_nRankingGenre, 0);
  data.StepRankingGenre(0, -1);
  EXPECT_EQ(data.m_nRankingGenre, 3);
  genres.At(3) = 0;
  data.StepRankingGenre(0, 0);
  EXPECT_EQ(data.m_nRankingGenre, 0);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST_F(PlayDataTest, RestartWorldClearsEveryFlag) {
  cPlayData data;
  data.m_ClearedFlags.At(7) = 1;
  data.m_nMapX = 1;
  data.RestartWorld();
  EXPECT_EQ(data.m_ClearedFlags.CountValue(0), 1000);
  EXPECT_EQ(data.m_nRestartCount, 1);
  EXPECT_EQ(data.m_nMapX, 9);
}

}  // namespace
