// Setting up the play data for a free play of a stage file and a new story.

#include "app/core/game_start.h"

#include <gtest/gtest.h>

#include "app/base/file_system.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"
#include "testing/game_folder.h"
#include "testing/progress_guard.h"

namespace {

class GameStart : public ::testing::Test {
 protected:
  cProgressGlobalsGuard m_guard;
  void WriteStage(const char* pszPath, const char* pszName) {
    cEdStage stage;
    stage.m_strName = pszName;
    cEdChara& hero = stage.m_vPlacedChara.emplace_back();
    hero.m_nKind = CHARAKIND_PLAYER;
    hero.m_nGraphic = 1;
    ASSERT_TRUE(WriteStageFile(stage, pszPath, MakeProjectRefs()));
  }
  cTestGameFolder folder;
};

TEST_F(GameStart, FreePlayStartsFromANewGameWithTheFreePlayLives) {
  MakeDirectory("data");
  WriteStage("data\\ステージ.stg4_695", "はじまり");
  g_System.m_abInfiniteLives.At(PLAYMODE_FREE) = 0;
  g_System.m_anLives.At(PLAYMODE_FREE) = 3;
  g_PlayData.m_nSlot = 4;
  g_PlayData.m_nScore = 99;

  ASSERT_EQ(StartStageFile("data\\ステージ.stg4", 1), 1);
  EXPECT_EQ(g_StageStart.m_strName, "はじまり");
  EXPECT_EQ(g_PlayData.m_nSlot, -1);  // new-game values
  EXPECT_EQ(g_PlayData.m_nScore, 0);
  EXPECT_EQ(g_PlayData.m_nStageNo, 1);
  EXPECT_EQ(g_PlayData.m_nPartNo, 1);
  EXPECT_EQ(g_PlayData.m_nStartLives, 3);
  EXPECT_EQ(g_PlayData.m_nLives, 2);
  EXPECT_EQ(g_PlayData.m_strStageKey, "data\\ステージ.");

  // A test play has infinite lives whatever the project says; the caller's
  // text may be the stage's own load path.
  g_bTestPlay = 1;
  ASSERT_EQ(StartStageFile(g_Stage.m_strLoadPath.c_str(), 0), 1);
  EXPECT_EQ(g_PlayData.m_nStartLives, kInfiniteLives);
  EXPECT_EQ(g_PlayData.m_nLives, kInfiniteLives);
  EXPECT_EQ(g_PlayData.m_strStageKey, "data\\ステージ.");

  EXPECT_EQ(StartStageFile("data\\none.stg4", 1), 0);
}

TEST_F(GameStart, NewStoryStartsOnTheWorldMapStart) {
  g_WorldMap.m_nStartX = 3;
  g_WorldMap.m_nStartY = 12;
  g_PlayData.m_nRestartCount = 5;
  g_PlayData.m_nStageNo = 7;
  g_System.m_abInfiniteLives.At(PLAYMODE_STORY) = 0;
  g_System.m_anLives.At(PLAYMODE_STORY) = 5;
  NewStoryGame();
  EXPECT_EQ(g_PlayData.m_nMapX, 3);
  EXPECT_EQ(g_PlayData.m_nMapY, 12);
  EXPECT_EQ(g_PlayData.m_nRestartCount, 0);
  EXPECT_EQ(g_PlayData.m_nStageNo, 0);
  EXPECT_EQ(g_PlayData.m_nStartLives, 5);
  EXPECT_EQ(g_PlayData.m_nLives, 4);
  EXPECT_EQ(g_PlayData.m_ClearedFlags.size(), 1000u);

  g_System.m_abInfiniteLives.At(PLAYMODE_STORY) = 1;
  NewStoryGame();
  EXPECT_EQ(g_PlayData.m_nLives, kInfiniteLives);
}

TEST(ChallengeStage, PathsCarryTwoDigitsAtLeast) {
  EXPECT_EQ(ChallengeStagePath(7), "data\\stg4\\c07-1.stg4");
  EXPECT_EQ(ChallengeStagePath(100), "data\\stg4\\c100-1.stg4");
}

}  // namespace
