// The option scene driven by player 1's keys: changing, cancelling and
// applying the options, and saving them when the scene is left.

#include "app/scenes/option_scene.h"

#include <gtest/gtest.h>

#include "app/core/menu_cursor.h"
#include "app/core/option_data.h"
#include "app/core/sound_table.h"
#include "app/scenes/tests/scene_world.h"
#include "platform/input/virtual_keys.h"
#include "platform/sound/bgm_player.h"
#include "records/system.h"

namespace {

class OptionScene : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.m_bStarted);
    g_SceneManager.m_nScene = SCENE_OPTION;
    ASSERT_TRUE(world.Enter(SCENE_OPTION));
  }
  cOptionScene* Options() { return world.As<cOptionScene>(); }
  int Row() { return g_MenuCursor.Current().nRow; }
  void ToRow(int nRow) {
    while (Row() != nRow) world.Tap(vkey::kDown);
  }
  cSceneWorld world;
};

TEST_F(OptionScene, ValuesWrapAndTheVolumeAppliesAtOnceOrComesBack) {
  world.Frame();
  EXPECT_TRUE(world.IsFilled(48, 96, 16, 16, kColourArrow));
  world.Tap(scenekey::kDecide);  // the palette number
  EXPECT_EQ(Options()->m_nSubState, cOptionScene::SUB_CHANGE);
  world.Tap(vkey::kDown);
  EXPECT_EQ(g_OptionData.m_nPalette, 23);
  world.Tap(vkey::kUp);
  EXPECT_EQ(g_OptionData.m_nPalette, 0);
  world.Frame();
  EXPECT_TRUE(world.IsFilled(48, 96, 16, 16, kColourMark));
  EXPECT_TRUE(world.IsFilled(192, 96, 16, 16, kColourArrow));
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(Options()->m_nSubState, cOptionScene::SUB_CHOOSE);

  ToRow(OPTION_SE_VOLUME);
  world.Tap(scenekey::kDecide);
  world.Tap(vkey::kDown);
  world.Tap(vkey::kDown);
  EXPECT_EQ(g_OptionData.m_nSeVolume, 5);
  EXPECT_EQ(DS_GetVolume(g_SoundData.At(9), 3), -500);
  world.Tap(scenekey::kCancel);  // the old level and volume come back
  EXPECT_EQ(g_OptionData.m_nSeVolume, 7);
  EXPECT_EQ(DS_GetVolume(g_SoundData.At(9), 3), -150);
  EXPECT_EQ(Row(), OPTION_SE_VOLUME);
}

TEST_F(OptionScene, LeavingAppliesTheMusicSwitchAndSavesTheOptions) {
  ASSERT_EQ(g_BgmPlayer.m_bInit, 0);
  ToRow(OPTION_RANK_NAME);
  world.Tap(scenekey::kDecide);  // the name-entry dialog answers "cancelled"
  EXPECT_EQ(Options()->m_nState, cOptionScene::STATE_OPTIONS);
  ToRow(OPTION_RANK_MODE);
  world.Tap(scenekey::kDecide);
  world.Tap(vkey::kUp);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(g_OptionData.m_nRankMode, 1);
  g_SceneManager.m_nBgm = 7;
  world.Tap(scenekey::kCancel);
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  // Music is on but the player was not running: it is started, and the next
  // scene asks for its music again.
  EXPECT_EQ(g_BgmPlayer.m_bInit, 1);
  EXPECT_EQ(g_SceneManager.m_nBgm, 0);
  cOptionData saved = g_OptionData;
  g_OptionData.SetDefaults();
  ASSERT_TRUE(LoadOptionData());
  EXPECT_EQ(g_OptionData.m_nRankMode, saved.m_nRankMode);

  g_OptionData.m_bBgm = 0;
  cOptionScene::ApplyMusicSwitch();
  EXPECT_EQ(g_BgmPlayer.m_bInit, 0);
}

TEST_F(OptionScene, HidingTheBackItemLeavesButton2) {
  g_System.m_OptionMenu.At(OPTION_BACK).m_bShow = 0;
  g_SceneManager.m_nScene = SCENE_TITLE;
  world.Frame();
  g_SceneManager.m_nScene = SCENE_OPTION;
  ASSERT_TRUE(world.Enter(SCENE_OPTION));
  EXPECT_EQ(Options()->m_nRowCount, 5);
  world.Tap(vkey::kUp);
  EXPECT_EQ(Row(), 4);
  world.Tap(scenekey::kCancel);
  EXPECT_TRUE(world.Enter(SCENE_TITLE));
}

}  // namespace
