// A stage as a new stage record leaves it, with only its size, a floor and
// the hero placed: it plays in every kind of game. Its outer-limit values
// are the record's 0, which must not pull the world's far ends inside the
// map.

#include <gtest/gtest.h>

#include "app/core/scene.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"
#include "testing/play_world.h"

namespace {

// 30 x 15 cells, taller than the ten rows that 640 pixels less the top
// border would leave; the floor is the last two rows.
void BuildDefaultStage() {
  cEdStage& stage = g_Stage;
  stage.SetDefaults();
  stage.m_nWidth = 30;
  stage.m_nHeight = 15;
  for (int y : {13, 14}) {
    for (int x = 0; x < stage.m_nWidth; ++x) {
      cEdBlock& block = stage.m_vPlacedBlock.emplace_back();
      block.m_nGraphic = 1;
      block.m_nTileX = static_cast<int16_t>(x);
      block.m_nTileY = static_cast<int16_t>(y);
    }
  }
  cEdChara& hero = stage.m_vPlacedChara.emplace_back();
  hero.m_nKind = CHARAKIND_PLAYER;
  hero.m_nGraphic = 1;
  hero.m_nTileX = 3;
  hero.m_nTileY = 12;
  g_StageStart.CopySettingsFrom(stage);
}

TEST(StageDefaults, TheHeroStandsOnTheFloorInStoryAndFreePlay) {
  struct Case {
    const char* pszKind;
    int nGameKind;
    int nTitleChoice;
  } const cases[] = {{"story", GAMEKIND_STORY, 0}, {"free", GAMEKIND_FREE, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszKind);
    cPlayWorld world({.rows = {"H"}});
    ASSERT_TRUE(world.m_bStarted);
    BuildDefaultStage();
    world.Start();
    g_SceneManager.m_nGameKind = c.nGameKind;
    g_SceneManager.m_nTitleChoice = c.nTitleChoice;
    ASSERT_TRUE(world.RunUntilPlay());

    // The hero's feet on the last pixel row above the floor (row 13 of the
    // map, 23 of the world).
    const cPlayer& hero = *world.Scene().Hero();
    const int nLives = g_PlayData.m_nLives;
    for (int i = 0; i < 120; ++i) {
      world.Frame(0, 0);
      ASSERT_EQ(world.Scene().m_nState, 2) << "frame " << i;
      ASSERT_EQ(hero.m_bDead, 0) << "frame " << i;
      ASSERT_EQ(static_cast<int>(hero.m_dBottom), (13 + 10) * 32 - 1) << "frame " << i;
    }
    EXPECT_EQ(g_PlayData.m_nLives, nLives);
  }
}

}  // namespace
