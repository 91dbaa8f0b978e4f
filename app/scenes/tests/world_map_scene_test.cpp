// The world map scene driven by player 1's keys: walking, walls, events and
// their entries, the stage confirmation, the way to the game menu, and what
// is drawn.

#include "app/scenes/world_map_scene.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/base/close_request.h"
#include "app/core/game_start.h"
#include "app/core/ranking.h"
#include "app/scenes/tests/scene_world.h"
#include "platform/input/input_state.h"
#include "platform/input/virtual_keys.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/save_slots.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_globals.h"

namespace {

cEdWorldEntry& AddEvent(int x, int y) {
  cEdWorldEvent& event = g_WorldMap.m_Events.emplace_back();
  event.m_nX = x;
  event.m_nY = y;
  return event.m_Entries.At(0);
}

cEdWorldEntry& AddStage(int x, int y, int nStageNo, const char* pszFile, int bNeedsButton) {
  cEdWorldEntry& entry = AddEvent(x, y);
  entry.m_nKind = WORLDENTRY_STAGE;
  entry.m_nStageNo = nStageNo;
  entry.m_strStageFile = pszFile;
  entry.m_bNeedsButton = bNeedsButton;
  entry.m_strTitle = "はじまりの森";
  entry.m_nIcon = 1;
  return entry;
}

class WorldMapScene : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.m_bStarted);
    world.WriteStage("data\\stg4\\s1.stg4_695", "森のステージ");
    NewStoryGame();
    g_SceneManager.m_nGameKind = GAMEKIND_STORY;
  }
  // Puts the hero on a cell and enters the map from the title.
  void EnterAt(int x, int y) {
    g_PlayData.m_nMapX = x;
    g_PlayData.m_nMapY = y;
    g_SceneManager.m_nScene = SCENE_WORLDMAP;
    ASSERT_TRUE(world.Enter(SCENE_WORLDMAP));
  }
  cWorldMapScene* Map() { return world.As<cWorldMapScene>(); }
  int Column() { return g_MenuCursor.Current().nColumn; }
  int Row() { return g_MenuCursor.Current().nRow; }
  cSceneWorld world;
};

TEST_F(WorldMapScene, WalkingStopsAtTheEdgesAndAtWalls) {
  g_WorldMap.CellAt(1, 8) = 1;  // a wall chip east of the hero
  g_WorldMap.m_Events.clear();
  AddEvent(0, 7).m_nKind = WORLDENTRY_WALL;  // a wall entry on a passable chip
  // An event whose only entry does not count yet stands on a wall chip: the
  // chip decides until stage 5 is cleared, then the road entry does.
  g_WorldMap.CellAt(0, 9) = 1;
  cEdWorldEntry& road = AddEvent(0, 9);
  road.m_nKind = WORLDENTRY_ROAD;
  road.m_nNeedStage = 5;
  EnterAt(0, 8);

  struct Step {
    int nKey;
    int nColumn, nRow;
    int nHeroColour;
  } const steps[] = {
      {vkey::kLeft, 0, 8, kColourHero + FACING_LEFT},    // the map's edge
      {vkey::kRight, 0, 8, kColourHero + FACING_RIGHT},  // the wall chip
      {vkey::kUp, 0, 8, kColourHero + FACING_UP},        // the wall entry
      {vkey::kDown, 0, 8, kColourHero + FACING_DOWN},    // the chip under the event
  };
  for (const Step& s : steps) {
    world.Tap(s.nKey);
    EXPECT_EQ(Column(), s.nColumn) << s.nKey;
    EXPECT_EQ(Row(), s.nRow) << s.nKey;
    EXPECT_EQ(world.IndexAt(288 + 4, 224 + 4), s.nHeroColour) << s.nKey;
  }
  EXPECT_EQ(world.Plays(0), 4);                  // the step sound plays even when refused
  EXPECT_EQ(g_PlayData.m_nMapDir, FACING_DOWN);  // refused steps keep the map direction

  g_PlayData.m_ClearedFlags.At(5) = 1;
  world.Tap(vkey::kDown);
  EXPECT_EQ(Row(), 9);
  EXPECT_EQ(g_PlayData.m_nPrevMapX, 0);
  EXPECT_EQ(g_PlayData.m_nPrevMapY, 8);
  EXPECT_EQ(g_PlayData.m_nMapDir, FACING_DOWN);
  world.Tap(vkey::kDown);
  world.Tap(vkey::kDown);
  // Scroll (-9, 4): the wall chip (1, 8) is screen cell (10, 4); left of the
  // map is the back colour; the wall entry shows its icon at screen (9, 3).
  EXPECT_EQ(Map()->m_nScrollX, -9);
  EXPECT_EQ(Map()->m_nScrollY, 4);
  EXPECT_TRUE(world.IsFilled(320, 128, 32, 32, kColourChip + 1));
  EXPECT_TRUE(world.IsFilled(352, 128, 32, 32, kColourChip + 0));
  EXPECT_TRUE(world.IsFilled(0, 0, 32, 32, 16));
  // Entries of stage 0 count as cleared (flag 0 is always set).
  EXPECT_TRUE(world.IsFilled(288, 96, 32, 32, kColourEventDone + 0));
}

TEST_F(WorldMapScene, EntriesCountByClearedStagesVariablesAndScore) {
  cEdWorldEvent event;
  event.m_Entries.resize(3);
  event.m_Entries.At(0).m_nNeedStage = 7;
  event.m_Entries.At(1).m_nVarNo = 4;
  event.m_Entries.At(1).m_nVarOp = 4;  // v > c
  event.m_Entries.At(1).m_nVarValue = 10;
  event.m_Entries.At(2).m_nNeedScore = 500;
  struct Case {
    int bStage7;
    int nVar4;
    int nBestTotal;
    int nChosen;  // -1 none
  } const cases[] = {
      {1, 0, 0, 0},    {0, 11, 0, 1},    {0, 10, 0, -1},
      {0, 10, 500, 2}, {0, 10, 499, -1}, {1, 11, 500, 0},
  };
  for (const Case& c : cases) {
    g_PlayData.m_ClearedFlags.At(7) = c.bStage7;
    g_PlayData.m_CommonVars.At(4) = c.nVar4;
    g_PlayData.m_nBestTotal = c.nBestTotal;
    const cEdWorldEntry* lpChosen = cWorldMapScene::ChooseEntry(&event);
    const int nChosen =
        lpChosen == nullptr ? -1 : static_cast<int>(lpChosen - event.m_Entries.data());
    EXPECT_EQ(nChosen, c.nChosen) << c.bStage7 << " " << c.nVar4 << " " << c.nBestTotal;
  }
  EXPECT_EQ(cWorldMapScene::ChooseEntry(nullptr), nullptr);
}

TEST_F(WorldMapScene, AStageThatOpensByItselfSendsADecliningHeroBack) {
  cEdWorldEntry& stage = AddStage(11, 8, 3, "data\\stg4\\s1.stg4", 0);
  (void)stage;
  EnterAt(10, 8);
  world.Frame();
  EXPECT_TRUE(world.IsFilled(320, 224, 32, 32, kColourEvent + 1));  // not cleared yet
  world.Tap(vkey::kRight);
  EXPECT_EQ(Map()->m_nState, cWorldMapScene::STATE_CONFIRM);
  EXPECT_EQ(g_PlayData.m_nMapX, 11);
  world.Frame();  // the confirmation loads the stage and starts on its second choice
  EXPECT_EQ(g_Stage.m_strName, "森のステージ");
  EXPECT_EQ(g_MenuCursor.Current().nRow, 1);
  // The stage's title above the hero, the two choices below it.
  const int x = CenterSystemTextBlock(304, 10, 2, 1);
  EXPECT_TRUE(world.IsFilled(x, 260 + 16, 16, 16, kColourArrow));

  world.Tap(scenekey::kCancel);
  EXPECT_EQ(Map()->m_nState, cWorldMapScene::STATE_WALK);
  EXPECT_EQ(Column(), 10);  // back on the cell he came from
  EXPECT_EQ(g_MenuCursor.Depth(), 1);

  world.Tap(vkey::kRight);
  world.Frame();
  world.Tap(vkey::kUp);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(Map()->m_nState, cWorldMapScene::STATE_FADEOUT);
  EXPECT_EQ(g_PlayData.m_nStageNo, 3);
  EXPECT_EQ(g_PlayData.m_nPartNo, 1);
  EXPECT_EQ(g_PlayData.m_pEntry, &g_WorldMap.m_Events.At(0).m_Entries.At(0));
  EXPECT_EQ(g_PlayData.m_strStageKey, "data\\stg4\\s1.");
  EXPECT_EQ(g_PlayData.m_nMapDir, FACING_RIGHT);

  // The stand-in of stage play gives the stage up: the hero is put back.
  ASSERT_TRUE(world.Enter(SCENE_PLAY));
  world.Tap(scenekey::kCancel);
  ASSERT_TRUE(world.Enter(SCENE_WORLDMAP));
  EXPECT_EQ(g_PlayData.m_bLeftStage, 0);
  EXPECT_EQ(Column(), 10);
  EXPECT_EQ(Row(), 8);
}

TEST_F(WorldMapScene, AButtonStageOpensOnlyWithButton1) {
  cEdWorldEntry& stage = AddStage(11, 8, 3, "data\\stg4\\none.stg4", 1);
  EnterAt(10, 8);
  world.Tap(vkey::kRight);
  EXPECT_EQ(Map()->m_nState, cWorldMapScene::STATE_WALK);
  EXPECT_EQ(Map()->m_nBestScore, 0);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(Map()->m_nState, cWorldMapScene::STATE_CONFIRM);
  world.Frame();
  ASSERT_EQ(world.m_Boxes.size(), 1u);
  EXPECT_EQ(world.m_Boxes[0], "ステージファイル data\\stg4\\none.stg4 が読み込めません！");
  world.Tap(vkey::kUp);
  world.Tap(scenekey::kDecide);  // the first choice cannot be taken: the box closes
  EXPECT_EQ(Map()->m_nState, cWorldMapScene::STATE_WALK);
  EXPECT_EQ(Column(), 11);  // the hero stays on the event

  // Cleared: button 1 is ignored unless the stage may be played again.
  g_PlayData.m_ClearedFlags.At(3) = 1;
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(Map()->m_nState, cWorldMapScene::STATE_WALK);
  stage.m_bReplay = 1;
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(Map()->m_nState, cWorldMapScene::STATE_CONFIRM);
}

// A damaged stage chosen on the map is refused in its confirmation with the
// loader's message and the map's own; only the second choice can be taken,
// the hero stays on the event, the program goes on and the play data is as
// it was. Once the file is good the same event starts it.
TEST_F(WorldMapScene, ADamagedStageIsRefusedAndTheMapStays) {
  using eDamage = cSceneWorld::eDamage;
  AddStage(11, 8, 3, "data\\stg4\\bad.stg4", 1);
  EnterAt(11, 8);
  const cPlayData before(g_PlayData);
  for (eDamage damage : {eDamage::NoEndMark, eDamage::CutShort, eDamage::NoHero}) {
    SCOPED_TRACE(static_cast<int>(damage));
    const std::string strMessage = world.WriteDamagedStage("data\\stg4\\bad.stg4_695", damage);
    world.m_Boxes.clear();
    world.Tap(scenekey::kDecide);
    ASSERT_EQ(Map()->m_nState, cWorldMapScene::STATE_CONFIRM);
    world.Frame();
    EXPECT_EQ(world.m_Boxes,
              (std::vector<std::string>{
                  strMessage, "ステージファイル data\\stg4\\bad.stg4 が読み込めません！"}));
    world.Tap(vkey::kUp);
    world.Tap(scenekey::kDecide);
    EXPECT_EQ(Map()->m_nState, cWorldMapScene::STATE_WALK);
    EXPECT_EQ(Column(), 11);
    EXPECT_EQ(GetCloseRequestCount(), 0);
    EXPECT_EQ(g_PlayData.m_nMapX, before.m_nMapX);
    EXPECT_EQ(g_PlayData.m_nStageNo, before.m_nStageNo);
    EXPECT_EQ(g_PlayData.m_nLives, before.m_nLives);
    EXPECT_EQ(g_PlayData.m_strStageKey, before.m_strStageKey);
  }
  world.WriteStage("data\\stg4\\bad.stg4_695", "直った");
  world.Tap(scenekey::kDecide);
  world.Frame();
  world.Tap(vkey::kUp);
  world.Tap(scenekey::kDecide);
  EXPECT_EQ(Map()->m_nState, cWorldMapScene::STATE_FADEOUT);
  EXPECT_EQ(g_Stage.m_strName, "直った");
}

TEST_F(WorldMapScene, Button2OpensTheGameMenuAndTheMapComesBackWithoutStartingAStage) {
  AddStage(10, 8, 3, "data\\stg4\\s1.stg4", 0);
  g_WorldMap.m_Events.At(0).m_Entries.At(0).m_bNeedsButton = 1;
  EnterAt(10, 8);
  world.Tap(vkey::kLeft);
  world.Tap(scenekey::kCancel);
  EXPECT_EQ(world.Plays(4), 1);
  EXPECT_EQ(g_PlayData.m_nMapX, 9);
  ASSERT_TRUE(world.Enter(SCENE_GAMEMENU));
  world.Tap(scenekey::kCancel);  // the game menu's button 2: back to the map
  ASSERT_TRUE(world.Enter(SCENE_WORLDMAP));
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_GAMEMENU);
  EXPECT_EQ(Column(), 9);
}

TEST_F(WorldMapScene, AStageUnderANewStoryStartsAtOnce) {
  AddStage(10, 8, 3, "data\\stg4\\s1.stg4", 0);
  g_SceneManager.m_nScene = SCENE_WORLDMAP;
  EXPECT_TRUE(world.RunUntilState(SCENE_WORLDMAP, cWorldMapScene::STATE_FADEOUT));
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_PLAY);
  EXPECT_EQ(g_PlayData.m_nPrevMapX, 10);
  EXPECT_EQ(g_PlayData.m_nStageNo, 3);

  // A stage that cannot be read says so and closes the program.
  g_SceneManager.m_nScene = SCENE_TITLE;
  world.Frame();
  g_WorldMap.m_Events.At(0).m_Entries.At(0).m_strStageFile = "data\\stg4\\none.stg4";
  ResetCloseRequestCount();
  EnterAt(10, 8);
  EXPECT_EQ(GetCloseRequestCount(), 1);
  ASSERT_EQ(world.m_Boxes.size(), 1u);
}

TEST_F(WorldMapScene, LivesBoxAndAutoSaveAfterAStage) {
  g_PlayData.m_nLives = kInfiniteLives;
  EnterAt(10, 8);
  world.Frame();
  EXPECT_TRUE(world.IsFilled(589, 19, 16, 16, kColourLives));
  g_PlayData.m_nLives = 12;
  world.Frame();
  EXPECT_TRUE(world.IsFilled(573, 19, 16, 16, kColourLives));

  g_PlayData.m_bAutoSave = 1;
  g_PlayData.m_nSlot = 4;
  g_SceneManager.m_nScene = SCENE_PLAY;
  world.Frame();
  g_SceneManager.m_nPrevScene = SCENE_PLAY;
  g_SceneManager.m_nScene = SCENE_WORLDMAP;
  world.Frame();
  EXPECT_NE(world.Folder().ReadFile("user_data\\story\\Story05.dat"), "<missing>");
  EXPECT_EQ(g_SaveSlots.At(4).m_bUsed, 1);
}

TEST_F(WorldMapScene, Button3ShowsTheRankingOfTheStageUnderTheHero) {
  cRankTable table;
  table.m_Lists.At(0).Insert("abc", 1234);
  ASSERT_EQ(SaveRanking(table, GAMEKIND_STORY, "data\\stg4\\s1."), 1);
  g_SceneManager.m_bRanking = 1;
  g_PlayData.m_bShowRanking = 0;
  AddStage(11, 8, 3, "data\\stg4\\s1.stg4", 1);
  AddStage(12, 8, 4, "data\\stg4\\s2.stg4", 1);
  EnterAt(10, 8);
  // The window's frame at (367, 64) and a point inside it, away from its rows.
  auto shown = [&] {
    world.Frame();
    return world.IndexAt(367, 64 + 200) == 240 &&
           world.IndexAt(367 + 250, 64 + 200) == kColourWindow;
  };

  world.Tap(vkey::kRight);  // arriving loads the stage's ranking
  EXPECT_EQ(g_RankTable.m_Lists.At(0).m_Entries.At(0).m_nScore, 1234);
  EXPECT_FALSE(shown());
  // Held for several frames, button 3 toggles the window once.
  InputDevices().SetKey(scenekey::kButton3, true);
  for (int i = 0; i < 5; ++i) world.Frame();
  InputDevices().SetKey(scenekey::kButton3, false);
  EXPECT_EQ(world.Plays(6), 1);
  EXPECT_EQ(g_PlayData.m_bShowRanking, 1);
  EXPECT_TRUE(shown());
  world.Tap(vkey::kRight);  // a stage without a ranking file: an empty table
  EXPECT_EQ(g_RankTable.m_Lists.At(0).m_Entries.At(0).m_bUsed, 0);
  EXPECT_TRUE(shown());
  world.Tap(vkey::kRight);  // off the stages: no window
  EXPECT_FALSE(shown());
  world.Tap(vkey::kLeft);

  // Without the story's ranking, button 3 turns the window off silently.
  g_System.m_RankGenres.At(GAMEKIND_STORY).m_bEnabled = 0;
  world.Tap(scenekey::kButton3);
  EXPECT_EQ(world.Plays(6), 1);  // still the one play above
  EXPECT_EQ(g_PlayData.m_bShowRanking, 0);
  EXPECT_FALSE(shown());
}

}  // namespace
