// The stage select scene driven by player 1's keys: the list of open stages,
// its scrolling, choosing a stage and coming back to the same row.

#include "app/scenes/stage_select_scene.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/base/close_request.h"
#include "app/base/file_system.h"
#include "app/base/sjis.h"
#include "app/core/menu_cursor.h"
#include "app/core/ranking.h"
#include "app/scenes/tests/scene_world.h"
#include "platform/input/virtual_keys.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"

namespace {

class StageSelectScene : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.m_bStarted);
    g_SceneManager.m_nGameKind = GAMEKIND_CHALLENGE;
    g_PlayData.Reset();
    g_PlayData.m_StageResults.resize(40);
    g_PlayData.m_nChallengeOpen = 25;
    g_System.m_bSelectAllStages = 0;  // only the stages opened so far
  }
  cStageSelectScene* Select() { return world.As<cStageSelectScene>(); }
  int Row() { return g_MenuCursor.Current().nRow; }
  cSceneWorld world;
};

TEST_F(StageSelectScene, ListsTheOpenStagesAndScrollsThem) {
  g_PlayData.m_StageResults.At(1).m_bCleared = 1;
  g_SceneManager.m_nScene = SCENE_STAGESELECT;
  ASSERT_TRUE(world.Enter(SCENE_STAGESELECT));
  EXPECT_EQ(g_PlayData.m_strStageKey, "data\\stg4\\c01.");  // stage 1 selected
  world.Frame();
  EXPECT_TRUE(world.IsFilled(32, 160, 32, 32, kColourCursor));
  // Stage 2 is cleared: its sign after "ステージ2" (System text 0 has g characters).
  const int g = CountChars(g_System.m_Texts.At(0).c_str());
  EXPECT_TRUE(world.IsFilled((g + 4) * 32, 192, 32, 32, kColourCleared));
  EXPECT_FALSE(world.IsFilled((g + 4) * 32, 160, 32, 32, kColourCleared));

  for (int i = 0; i < 10; ++i) world.Tap(vkey::kDown);
  EXPECT_EQ(Row(), 10);
  EXPECT_EQ(Select()->m_nFirst, 1);
  EXPECT_EQ(g_PlayData.m_strStageKey, "data\\stg4\\c11.");
  world.Tap(vkey::kRight);  // a page of 9 rows
  EXPECT_EQ(Row(), 19);
  world.Tap(vkey::kRight);
  world.Tap(vkey::kRight);
  EXPECT_EQ(Row(), 24);  // the last page ends at stage 25
  EXPECT_EQ(Select()->m_nFirst, 15);
  world.Tap(vkey::kDown);  // the end: still moves the selection to the last stage
  EXPECT_EQ(g_PlayData.m_strStageKey, "data\\stg4\\c25.");

  // Fewer open stages than rows: exactly those, and the cursor stops at the last.
  g_PlayData.m_nChallengeOpen = 3;
  g_SceneManager.m_nSelectCursor = g_SceneManager.m_nSelectTop = 0;
  g_SceneManager.m_nScene = SCENE_TITLE;
  world.Frame();
  g_SceneManager.m_nScene = SCENE_STAGESELECT;
  ASSERT_TRUE(world.Enter(SCENE_STAGESELECT));
  for (int i = 0; i < 4; ++i) world.Tap(vkey::kDown);
  EXPECT_EQ(Row(), 2);
  EXPECT_EQ(Select()->m_nFirst, 0);
  EXPECT_TRUE(world.IsFilled(64, 160 + 32 * 3, 32, 32, kColourWindow));  // no fourth row
  g_System.m_bSelectAllStages = 1;
  EXPECT_EQ(cStageSelectScene::StageCount(), g_System.m_nStageCount);
}

TEST_F(StageSelectScene, ChoosingAStageStartsItAndTheRowIsKept) {
  world.WriteStage("data\\stg4\\c03-1.stg4_695", "三番目");
  g_System.m_abInfiniteLives.At(1) = 0;
  g_System.m_anLives.At(1) = 4;
  g_SceneManager.m_nScene = SCENE_STAGESELECT;
  ASSERT_TRUE(world.Enter(SCENE_STAGESELECT));
  world.Tap(vkey::kDown);
  world.Tap(scenekey::kDecide);  // stage 2 has no file
  EXPECT_EQ(world.Plays(3), 1);
  ASSERT_EQ(world.m_Boxes.size(), 1u);
  EXPECT_EQ(world.m_Boxes[0], "ステージファイル data\\stg4\\c02-1.stg4 が読み込めません！");
  EXPECT_EQ(Select()->m_nState, cStageSelectScene::STATE_LIST);

  world.Tap(vkey::kDown);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(world.Plays(1), 1);
  EXPECT_EQ(g_Stage.m_strName, "三番目");
  EXPECT_EQ(g_PlayData.m_nStageNo, 3);
  EXPECT_EQ(g_PlayData.m_nPartNo, 1);
  EXPECT_EQ(g_PlayData.m_bMultiPart, 1);
  EXPECT_EQ(g_PlayData.m_nStartLives, 4);
  EXPECT_EQ(g_PlayData.m_nLives, 3);
  ASSERT_TRUE(world.Enter(SCENE_PLAY));
  world.Tap(scenekey::kCancel);  // the stage is given up
  ASSERT_TRUE(world.Enter(SCENE_STAGESELECT));
  EXPECT_EQ(Row(), 2);

  world.Tap(scenekey::kCancel);
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
}

// A damaged stage chosen from the list is refused with the loader's message
// and the scene's own; the list stays on its row, the program goes on and the
// play data is as it was. A good stage chosen next plays.
TEST_F(StageSelectScene, ADamagedStageIsRefusedAndTheListStays) {
  using eDamage = cSceneWorld::eDamage;
  world.WriteStage("data\\stg4\\c03-1.stg4_695", "三番目");
  g_SceneManager.m_nScene = SCENE_STAGESELECT;
  ASSERT_TRUE(world.Enter(SCENE_STAGESELECT));
  world.Tap(vkey::kDown);
  const cPlayData before(g_PlayData);
  for (eDamage damage : {eDamage::NoEndMark, eDamage::CutShort, eDamage::NoHero}) {
    SCOPED_TRACE(static_cast<int>(damage));
    const std::string strMessage = world.WriteDamagedStage("data\\stg4\\c02-1.stg4_695", damage);
    world.m_Boxes.clear();
    world.Tap(scenekey::kDecide);
    EXPECT_EQ(world.m_Boxes,
              (std::vector<std::string>{
                  strMessage, "ステージファイル data\\stg4\\c02-1.stg4 が読み込めません！"}));
    EXPECT_EQ(Select()->m_nState, cStageSelectScene::STATE_LIST);
    EXPECT_EQ(Row(), 1);
    EXPECT_EQ(GetCloseRequestCount(), 0);
    EXPECT_EQ(g_PlayData.m_strStageKey, before.m_strStageKey);
    EXPECT_EQ(g_PlayData.m_nStageNo, before.m_nStageNo);
    EXPECT_EQ(g_PlayData.m_nLives, before.m_nLives);
    EXPECT_EQ(g_PlayData.m_nChallengeOpen, before.m_nChallengeOpen);
  }
  world.Tap(vkey::kDown);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(g_Stage.m_strName, "三番目");
  EXPECT_EQ(Select()->m_nState, cStageSelectScene::STATE_FADEOUT);
}

TEST_F(StageSelectScene, Button3ShowsTheRankingOfTheStageUnderTheCursor) {
  MakeDirectory("user_data\\challenge");
  cRankTable table;
  table.m_Lists.At(0).Insert("abc", 999);
  ASSERT_EQ(SaveRanking(table, GAMEKIND_CHALLENGE, "data\\stg4\\c02."), 1);
  g_SceneManager.m_bRanking = 1;
  g_PlayData.m_bShowRanking = 0;
  g_SceneManager.m_nScene = SCENE_STAGESELECT;
  ASSERT_TRUE(world.Enter(SCENE_STAGESELECT));
  EXPECT_EQ(g_RankTable.m_Lists.At(0).m_Entries.At(0).m_bUsed, 0);  // stage 1 has none
  // The window's frame at (292, 108), between the rows' signs and scores.
  auto shown = [&] {
    world.Frame();
    return world.IndexAt(292, 300) == 240;
  };
  world.Tap(vkey::kDown);
  EXPECT_EQ(g_RankTable.m_Lists.At(0).m_Entries.At(0).m_nScore, 999);
  EXPECT_FALSE(shown());
  EXPECT_EQ(world.IndexAt(292, 300), kColourWindow);
  world.Tap(scenekey::kButton3);
  EXPECT_EQ(world.Plays(6), 1);
  EXPECT_TRUE(shown());
  world.Tap(scenekey::kButton3);
  EXPECT_FALSE(shown());
}

}  // namespace
