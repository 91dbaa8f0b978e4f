// The game menu scene driven by player 1's keys: saving into a slot, the
// auto-save switch, and the ways back to the map and to the title.

#include "app/scenes/game_menu_scene.h"

#include <gtest/gtest.h>

#include "app/core/game_start.h"
#include "app/core/menu_cursor.h"
#include "app/scenes/tests/scene_world.h"
#include "platform/input/virtual_keys.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/save_slots.h"

namespace {

class GameMenuScene : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.m_bStarted);
    NewStoryGame();
    g_SceneManager.m_nScene = SCENE_GAMEMENU;
    ASSERT_TRUE(world.Enter(SCENE_GAMEMENU));
  }
  cGameMenuScene* Menu() { return world.As<cGameMenuScene>(); }
  int State() { return Menu()->m_nState; }
  int Row() { return g_MenuCursor.Current().nRow; }
  std::string Slot(int n) {
    char szPath[260];
    MakeSlotPath(szPath, n);
    return world.Folder().ReadFile(szPath);
  }
  cSceneWorld world;
};

TEST_F(GameMenuScene, SavesIntoTheChosenSlotAfterTheQuestion) {
  world.Frame();
  EXPECT_TRUE(world.IsFilled(264, 192, 16, 16, kColourArrow));
  EXPECT_EQ(world.IndexAt(5, 5), 16);
  world.Tap(scenekey::kDecide);  // セーブ
  ASSERT_EQ(State(), cGameMenuScene::STATE_SAVE);
  world.Frame();
  EXPECT_EQ(Row(), 0);  // never saved: the list starts at the top
  for (int i = 0; i < 12; ++i) world.Tap(vkey::kDown);
  EXPECT_EQ(Menu()->m_nFirst, 3);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(Row(), 1);  // the question starts on "no"
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(Slot(12), "<missing>");
  EXPECT_EQ(Row(), 12);  // back in the list on the same slot

  world.Tap(scenekey::kDecide);
  world.Tap(vkey::kUp);
  world.Frame();
  // The chosen slot is marked beside the list, the question's cursor on "yes".
  EXPECT_TRUE(world.IsFilled(152, 160 + 16 * 9, 16, 16, kColourMark));
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(world.Plays(5), 1);
  EXPECT_NE(Slot(12), "<missing>");
  EXPECT_EQ(g_PlayData.m_nSlot, 12);
  EXPECT_EQ(g_SaveSlots.At(12).m_bUsed, 1);

  world.Tap(scenekey::kCancel);  // out of the list
  EXPECT_EQ(State(), cGameMenuScene::STATE_MENU);
  EXPECT_EQ(Row(), 0);
  world.Tap(scenekey::kDecide);  // the next visit starts on the saved slot, at the top
  world.Frame();
  EXPECT_EQ(Row(), 12);
  EXPECT_EQ(Menu()->m_nFirst, 12);
}

TEST_F(GameMenuScene, AutoSaveNeedsASlotAndSavesWhenTurnedOn) {
  world.Tap(vkey::kDown);
  world.Tap(scenekey::kDecide);  // オートセーブ, never saved: the message
  ASSERT_EQ(State(), cGameMenuScene::STATE_AUTOSAVE);
  world.Frame();
  world.Frame();
  EXPECT_EQ(Menu()->m_nSubState, 2);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(State(), cGameMenuScene::STATE_MENU);
  EXPECT_EQ(g_PlayData.m_bAutoSave, 0);

  g_PlayData.m_nSlot = 2;
  world.Tap(scenekey::kDecide);
  world.Frame();
  EXPECT_EQ(Row(), 1);  // off
  world.Tap(vkey::kUp);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(g_PlayData.m_bAutoSave, 1);
  EXPECT_NE(Slot(2), "<missing>");
  EXPECT_EQ(State(), cGameMenuScene::STATE_MENU);
  EXPECT_EQ(Row(), 1);
}

TEST_F(GameMenuScene, BackToTheTitleAsksFirst) {
  world.Tap(vkey::kUp);  // タイトルへ
  world.Tap(scenekey::kDecide);
  world.Frame();
  EXPECT_EQ(Row(), 1);
  world.Tap(scenekey::kDecide);  // "no"
  EXPECT_EQ(State(), cGameMenuScene::STATE_MENU);
  EXPECT_EQ(Row(), 3);
  world.Tap(scenekey::kDecide);
  world.Tap(vkey::kUp);
  world.Tap(scenekey::kDecide);
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_GAMEMENU);
}

TEST_F(GameMenuScene, HiddenItemsKeepTheirMeaning) {
  g_System.m_GameMenu.At(0).m_bShow = 0;  // no セーブ
  g_SceneManager.m_nScene = SCENE_TITLE;
  world.Frame();
  g_SceneManager.m_nScene = SCENE_GAMEMENU;
  ASSERT_TRUE(world.Enter(SCENE_GAMEMENU));
  EXPECT_EQ(Menu()->m_nItemCount, 3);
  world.Tap(scenekey::kDecide);  // the first row is オートセーブ
  EXPECT_EQ(State(), cGameMenuScene::STATE_AUTOSAVE);
  world.Tap(scenekey::kCancel);
  world.Tap(vkey::kDown);
  world.Tap(scenekey::kDecide);  // もどる
  ASSERT_TRUE(world.Enter(SCENE_WORLDMAP));
}

}  // namespace
