// The title scene driven by player 1's keys: the menu rows and choices, the
// load-slot menu and the pictures drawn.

#include "app/scenes/title_scene.h"

#include <gtest/gtest.h>

#include "app/base/close_request.h"
#include "app/base/file_system.h"
#include "app/core/menu_cursor.h"
#include "app/scenes/tests/scene_world.h"
#include "platform/input/virtual_keys.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/save_slots.h"

namespace {

class TitleScene : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(world.m_bStarted); }
  cTitleScene* Title() { return world.As<cTitleScene>(); }
  int Row() { return g_MenuCursor.Current().nRow; }
  cSceneWorld world;
};

TEST_F(TitleScene, MenuWrapsAndShowsTheCursorOnTheTitlePicture) {
  g_System.m_bMenuPicture = 0;
  g_SceneManager.m_nTitleChoice = TITLE_FREE_PLAY;  // the choice of the last visit
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  ASSERT_NE(Title(), nullptr);
  EXPECT_EQ(Title()->m_nItemCount, 7);
  EXPECT_EQ(Row(), 3);
  world.Tap(vkey::kUp);
  world.Tap(vkey::kUp);
  world.Tap(vkey::kUp);
  world.Tap(vkey::kUp);  // past the top: the bottom row
  EXPECT_EQ(Row(), 6);
  EXPECT_EQ(world.Plays(0), 4);
  world.Tap(vkey::kDown);
  EXPECT_EQ(Row(), 0);
  // Title picture, the framed window with its caption rows, the cursor.
  EXPECT_EQ(world.IndexAt(5, 5), kColourTitle);
  EXPECT_TRUE(world.IsFilled(192, 240, 32, 32, kColourCursor));
  EXPECT_EQ(world.IndexAt(192, 240 + 32 * 2), 240);  // the window's frame
  EXPECT_EQ(world.IndexAt(192 + 1, 240 + 32 * 2 + 1), kColourWindow);
}

TEST_F(TitleScene, ChoicesStartTheirGamesAndScenes) {
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  // Options: the choice sound, then the option scene after the fade.
  for (int i = 0; i < 5; ++i) world.Tap(vkey::kDown);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(world.Plays(1), 1);
  EXPECT_EQ(g_SceneManager.m_nTitleChoice, TITLE_OPTIONS);
  ASSERT_TRUE(world.Enter(SCENE_OPTION));
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_TITLE);

  // Back: a new title scene with the cursor on the options row.
  g_SceneManager.m_nScene = SCENE_TITLE;
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  EXPECT_EQ(Row(), TITLE_OPTIONS);

  // A new story starts on the world map's start cell with the story lives.
  g_System.m_abInfiniteLives.At(0) = 0;
  g_System.m_anLives.At(0) = 3;
  g_MenuCursor.Current().nRow = 0;
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(g_SceneManager.m_nGameKind, GAMEKIND_STORY);
  EXPECT_EQ(g_SceneManager.m_bRanking, 1);
  EXPECT_EQ(g_PlayData.m_nMapX, 10);
  EXPECT_EQ(g_PlayData.m_nMapY, 8);
  EXPECT_EQ(g_PlayData.m_nLives, 2);
  EXPECT_TRUE(world.Enter(SCENE_WORLDMAP));
}

TEST_F(TitleScene, ChallengeWithoutProgressOpensTheFirstStage) {
  g_System.m_nStageCount = 12;
  g_System.m_RankGenres.At(1).m_bEnabled = 0;
  g_SceneManager.m_nTitleChoice = TITLE_CHALLENGE;
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(g_SceneManager.m_nGameKind, GAMEKIND_CHALLENGE);
  EXPECT_EQ(g_SceneManager.m_bRanking, 0);
  EXPECT_EQ(g_PlayData.m_StageResults.size(), 12u);
  EXPECT_EQ(g_PlayData.m_nChallengeOpen, 1);
  EXPECT_TRUE(world.Enter(SCENE_STAGESELECT));
}

TEST_F(TitleScene, CancelledDialogsAndQuitStayOnTheTitle) {
  g_SceneManager.m_nTitleChoice = TITLE_FREE_PLAY;
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  world.Tap(scenekey::kDecide);  // the file dialog answers "cancelled"
  EXPECT_EQ(g_SceneManager.m_nGameKind, GAMEKIND_FREE);
  EXPECT_EQ(Title()->m_nState, cTitleScene::STATE_MENU);
  EXPECT_EQ(Row(), 3);
  world.Tap(vkey::kDown);
  world.Tap(scenekey::kDecide);  // replay: cancelled as well
  EXPECT_EQ(g_SceneManager.m_nGameKind, GAMEKIND_REPLAY);
  EXPECT_EQ(Title()->m_nState, cTitleScene::STATE_MENU);
  EXPECT_EQ(world.Plays(1), 2);  // the choice sound only

  ResetCloseRequestCount();
  world.Tap(vkey::kDown);
  world.Tap(vkey::kDown);
  world.Tap(scenekey::kDecide);  // quit
  EXPECT_EQ(GetCloseRequestCount(), 1);
  EXPECT_EQ(Title()->m_nState, cTitleScene::STATE_MENU);
}

TEST_F(TitleScene, HiddenItemsKeepTheirMeaning) {
  g_System.m_TitleMenu.At(TITLE_NEW_STORY).m_bShow = 0;
  g_System.m_TitleMenu.At(TITLE_CHALLENGE).m_bShow = 0;
  g_SceneManager.m_nTitleChoice = TITLE_CHALLENGE;  // hidden: the row numbered 2
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  const int aExpected[] = {1, 3, 4, 5, 6};
  ASSERT_EQ(Title()->m_nItemCount, 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Title()->m_anItems[i], aExpected[i]);
  EXPECT_EQ(Row(), 2);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(g_SceneManager.m_nTitleChoice, TITLE_REPLAY);

  // With nothing shown the menu is the single first item.
  for (cMenuItem& item : g_System.m_TitleMenu) item.m_bShow = 0;
  g_SceneManager.m_nScene = SCENE_OPTION;
  world.Frame();
  g_SceneManager.m_nScene = SCENE_TITLE;
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  EXPECT_EQ(Title()->m_nItemCount, 1);
  EXPECT_EQ(Title()->m_anItems[0], TITLE_NEW_STORY);
}

TEST_F(TitleScene, PictureMenuShowsTheStripsOfTheItems) {
  ASSERT_EQ(g_System.m_bMenuPicture, 1);  // a new project's menu
  g_System.m_TitleMenu.At(TITLE_CONTINUE).m_bShow = 0;
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  world.Frame();
  const int x = 288 - 160 / 2;
  EXPECT_EQ(Title()->m_nMenuX, x);
  // Row 1 shows strip 2 (the challenge), row 0 the cursor over strip 0.
  EXPECT_TRUE(world.IsFilled(x + 32, 240 + 32, 160, 32, kColourGamemode + 2));
  EXPECT_TRUE(world.IsFilled(x, 240, 32, 32, kColourCursor));
  EXPECT_TRUE(world.IsFilled(x + 32, 240, 160, 32, kColourGamemode + 0));
  EXPECT_EQ(world.IndexAt(x + 8, 240 + 40), kColourTitle);  // transparent left of the strips
}

TEST_F(TitleScene, LoadSlotMenuRefusesEmptySlotsAndLoadsUsedOnes) {
  g_PlayData.Reset();
  g_PlayData.m_nMapX = 4;
  g_PlayData.m_nMapY = 5;
  g_PlayData.m_nSlot = 12;
  g_PlayData.SaveSlot(12);  // slot 13 as the user counts
  g_PlayData.Reset();
  g_SceneManager.m_nTitleChoice = TITLE_CONTINUE;
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  world.Tap(scenekey::kDecide);
  ASSERT_EQ(Title()->m_nState, cTitleScene::STATE_LOAD_SLOT);
  world.Frame();
  world.Tap(scenekey::kDecide);  // slot 1 is empty
  EXPECT_EQ(world.Plays(3), 1);
  EXPECT_EQ(Title()->m_nState, cTitleScene::STATE_LOAD_SLOT);

  world.Tap(vkey::kRight);  // a page: 9 rows
  EXPECT_EQ(Row(), 9);
  EXPECT_EQ(Title()->m_nFirst, 9);
  world.Tap(vkey::kDown);
  world.Tap(vkey::kDown);
  world.Tap(vkey::kDown);
  EXPECT_EQ(Row(), 12);
  EXPECT_TRUE(world.IsFilled(152, 160 + 16 * 3, 16, 16, kColourArrow));

  world.Tap(scenekey::kCancel);  // back to the title menu on the same row
  EXPECT_EQ(world.Plays(2), 1);
  EXPECT_EQ(Title()->m_nState, cTitleScene::STATE_MENU);
  EXPECT_EQ(Row(), 1);
  world.Tap(scenekey::kDecide);
  world.Frame();
  EXPECT_EQ(Row(), 0);  // the list starts at the top again
  for (int i = 0; i < 12; ++i) world.Tap(vkey::kDown);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(g_PlayData.m_nMapX, 4);
  EXPECT_EQ(g_PlayData.m_nMapY, 5);
  EXPECT_EQ(g_PlayData.m_nSlot, 12);
  EXPECT_TRUE(world.Enter(SCENE_WORLDMAP));
}

TEST_F(TitleScene, AMissingTitlePictureIsReportedAndClosesTheProgram) {
  // The picture menu's sheet may be missing; the title picture may not.
  ResetCloseRequestCount();
  ASSERT_TRUE(RemoveFile("bmp\\GameMode.bmp"));
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  EXPECT_TRUE(world.m_Boxes.empty());
  EXPECT_EQ(GetCloseRequestCount(), 0);

  ASSERT_TRUE(RemoveFile("bmp\\Title.bmp"));
  g_SceneManager.m_nScene = SCENE_OPTION;
  world.Frame();
  g_SceneManager.m_nScene = SCENE_TITLE;
  ASSERT_TRUE(world.Enter(SCENE_TITLE));  // the scene runs on until the close takes effect
  ASSERT_EQ(world.m_Boxes.size(), 1u);
  EXPECT_EQ(world.m_Boxes[0], "bmp\\Title.bmp の読み込みに失敗！");
  EXPECT_EQ(GetCloseRequestCount(), 1);
  world.Tap(vkey::kDown);
  EXPECT_EQ(Row(), 1);
}

}  // namespace
