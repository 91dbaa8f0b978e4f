// The play scene's side of the rankings: the places a cleared stage's totals
// would take, and their registration under the entered name.

#include <gtest/gtest.h>

#include <string>

#include "app/core/main_thread.h"
#include "app/core/option_data.h"
#include "app/core/ranking.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "play/play_scene.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"
#include "testing/game_folder.h"
#include "testing/play_fixture.h"

namespace {

constexpr const char* kStageKey = "data\\stg4\\c01.";

class RankingRegisterTest : public testing::Test {
 protected:
  void SetUp() override {
    m_folder.WriteFile("user_data\\free\\keep", "");
    g_SceneManager.m_bRanking = 1;
    g_SceneManager.m_nGameKind = 2;
    g_System.m_RankGenres.resize(3);
    g_System.m_RankGenres.At(2).m_abGenres.assign(5, 1);
    g_System.m_RankGenres.At(2).m_abGenres.At(4) = 0;  // SP is not ranked
    g_Stage.m_vResultItem.assign(5, 1);
    g_Stage.m_vResultItem.At(3) = 0;  // the stage shows no HP row
    g_PlayData.m_strStageKey = kStageKey;
    g_PlayData.m_strPlayerName = "old";
    g_RankTable.Reset();
    // Score: a full list of better scores; time left: one place taken.
    for (int i = 0; i < kRankPlaceCount; ++i) g_RankTable.m_Lists.At(0).Insert("top", 100000);
    g_RankTable.m_Lists.At(1).Insert("one", 50);
    m_fixture.AddHero(100, 100);
    // Sounds play nowhere; the name dialog types "new".
    SetRequestHandler([this](uint32_t nMsg, intptr_t, intptr_t) -> intptr_t {
      if (nMsg == WM_GAME_NAMEENTRY) {
        ++m_nNameRequests;
        m_fixture.Scene().m_strEntryName = "new";
        g_bNameDone.store(1);
      }
      return 0;
    });
  }
  void TearDown() override {
    SetRequestHandler(nullptr);
    ClearPlayQuitRequest();
    g_SceneManager.m_bRanking = 0;
    g_SceneManager.m_nGameKind = 0;
    g_OptionData.SetDefaults();
    g_RankTable.Reset();
    g_PlayData.m_strStageKey.clear();
  }

  cTestGameFolder m_folder;
  cPlayFixture m_fixture;
  int m_nNameRequests = 0;
};

}  // namespace

TEST_F(RankingRegisterTest, ClearedStageFindsItsPlacesAndRegistersUnderTheEnteredName) {
  cPlayScene& scene = m_fixture.Scene();
  g_PlayData.m_nScore = 500;
  g_PlayData.m_nTimeLeftSum = 70;
  scene.FinishClearedStage();
  // Score behind the full list; time left before the one place; clear time
  // into the empty list; HP not shown; SP not ranked.
  EXPECT_EQ(scene.m_vRankPos, (cCheckedVector<int32_t>{-1, 0, 0, -1, -1}));
  EXPECT_EQ(scene.m_bRanked, 1);

  g_OptionData.m_nRankMode = 0;
  RequestPlayQuit();  // the ranking display leaves at once
  scene.RegisterRanking();
  EXPECT_EQ(m_nNameRequests, 1);
  EXPECT_EQ(g_PlayData.m_strPlayerName, "new");
  EXPECT_EQ(scene.m_bRegistered, 1);

  cRankTable saved;
  ASSERT_TRUE(LoadRanking(saved, 2, kStageKey));
  EXPECT_EQ(saved.m_Lists.At(1).m_Entries.At(0).m_strName, "new");
  EXPECT_EQ(saved.m_Lists.At(1).m_Entries.At(0).m_nScore, scene.m_vRankValue.At(1));
  EXPECT_EQ(saved.m_Lists.At(1).m_Entries.At(1).m_strName, "one");
  EXPECT_EQ(saved.m_Lists.At(2).m_Entries.At(0).m_strName, "new");
  EXPECT_EQ(saved.m_Lists.At(0).m_Entries.At(kRankPlaceCount - 1).m_strName, "top");

  // Registered once only.
  scene.RegisterRanking();
  EXPECT_EQ(m_nNameRequests, 1);
}

TEST_F(RankingRegisterTest, FixedNameModesAskNothingAndUnrankedStagesRegisterNothing) {
  cPlayScene& scene = m_fixture.Scene();
  g_PlayData.m_nTimeLeftSum = 70;
  scene.FinishClearedStage();
  g_OptionData.m_nRankMode = 3;
  g_OptionData.m_strRankName = "fix";
  RequestPlayQuit();
  scene.RegisterRanking();
  EXPECT_EQ(m_nNameRequests, 0);
  EXPECT_EQ(g_RankTable.m_Lists.At(1).m_Entries.At(0).m_strName, "fix");

  // Rankings off: no places, nothing registered.
  g_SceneManager.m_bRanking = 0;
  scene.FinishClearedStage();
  EXPECT_EQ(scene.m_bRanked, 0);
  EXPECT_EQ(scene.m_vRankPos.CountValue(-1), 5);
}
