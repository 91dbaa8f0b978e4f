// The commands that change how a character or the stage looks and sounds:
// グラフィックの変更, 基本アニメセットの変更, アニメの実行, 背景の変更,
// 効果音の再生 and BGMの再生, as bodies and as flows at one and at ten
// sub-steps per frame.

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "app/base/close_request.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "records/anime_db.h"
#include "records/database.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kFirstDatabaseSound = 16;  // run-time sound of Sound row 0

TEST(PresentationCommandsTest, GraphicAndAnimeSet) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  // Kind, number and cell, on the object and its definition; values beyond
  // a field's type stop at its ends rather than wrapping.
  DoChangeGraphic(chara, MakeCommand(CMD_CHANGE_GRAPHIC, 0, false, {4, 37, 5}));
  EXPECT_EQ(chara.m_Def.m_nGraphicKind, 4);
  EXPECT_EQ(chara.m_nGraphicKind, 4);
  EXPECT_EQ(chara.m_Def.m_nGraphic, 37);
  EXPECT_EQ(chara.m_nGraphic, 37);
  EXPECT_EQ(chara.m_Def.m_nGraphicRow, 5);
  DoChangeGraphic(chara, MakeCommand(CMD_CHANGE_GRAPHIC, 0, false, {257, -70000, INT_MAX}));
  EXPECT_EQ(chara.m_Def.m_nGraphicKind, 127);
  EXPECT_EQ(chara.m_Def.m_nGraphic, -32768);
  EXPECT_EQ(chara.m_Def.m_nGraphicRow, 32767);

  // The set is rebuilt only when it changes: a new set restarts the shown
  // pattern, the same set leaves it running.
  g_Database.m_AnimeSet.resize(3);
  chara.SetAnimeSet(1, 1);
  chara.m_Anime.m_nTick = 5;
  DoChangeAnimeSet(chara, MakeCommand(CMD_CHANGE_ANIMESET, 0, false, {1}));
  EXPECT_EQ(chara.m_Anime.m_nTick, 5);
  DoChangeAnimeSet(chara, MakeCommand(CMD_CHANGE_ANIMESET, 0, false, {2}));
  EXPECT_EQ(chara.m_Def.m_nAnimeSet, 2);
  EXPECT_EQ(chara.m_Anime.m_nTick, 0);
  EXPECT_EQ(GetCloseRequestCount(), 0);
  // A set the table does not have is a bad index.
  DoChangeAnimeSet(chara, MakeCommand(CMD_CHANGE_ANIMESET, 0, false, {9}));
  EXPECT_EQ(GetCloseRequestCount(), 1);
}

// アニメの実行 puts the animation in front of the others, from its first
// frame even when that holds; as a flow command it belongs to its flow (the
// flow's pause, resume and end reach it), as an item command to no flow.
TEST(PresentationCommandsTest, RunAnimeBelongsToItsFlow) {
  cFlowFixture fixture;
  g_Database.m_Anime.resize(2);
  cAnimeDef& anime = g_Database.m_Anime[1];
  anime.m_Frames.resize(2);
  anime.m_Frames[0].m_nCell = 7;
  anime.m_Frames[0].m_nDuration = 2;
  anime.m_Frames[0].m_bHold = 1;
  anime.m_Frames[1].m_nCell = 8;
  BuildAnimePatterns(g_AnimePatterns);
  cTestChara& chara = AddFlowChara(fixture);
  InstallFlows(
      chara, {MakeFlow(19, {MakeCommand(CMD_RUN_ANIME, 0, false, {1}), MakeCommand(CMD_WAIT, 1)})});
  cFlowRunner& runner = chara.m_vRunners.At(0);
  runner.Start(chara);
  runner.Step(chara);
  ASSERT_EQ(chara.m_AnimePlays.size(), 1u);
  const ANIMEPLAY& play = chara.m_AnimePlays.front();
  EXPECT_EQ(play.nKey, runner.m_nKey);
  EXPECT_EQ(play.bPriority, 0);
  EXPECT_EQ(play.nLength, 0);
  EXPECT_EQ(play.nHold, 0);
  EXPECT_EQ(chara.CurrentAnimeCell(1), 7);

  DoRunAnime(chara, MakeItemCommand(12, {1}), kNoRunnerKey);
  ASSERT_EQ(chara.m_AnimePlays.size(), 2u);
  EXPECT_EQ(chara.m_AnimePlays.front().nKey, kNoRunnerKey);
  chara.RemoveAnimesOfFlow(runner.m_nKey);
  ASSERT_EQ(chara.m_AnimePlays.size(), 1u);
  EXPECT_EQ(chara.m_AnimePlays.front().nKey, kNoRunnerKey);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST(PresentationCommandsTest, BackgroundLayersByNumber) {
  const struct {
    const char* name;
    int nLayer;  // counted from 1
    int nOp;     // 0 show, 1 hide, 2 toggle
    int anWant[3];
  } cases[] = {
      {"show 1", 1, 0, {1, 0, 1}},    {"hide 3", 3, 1, {0, 0, 0}},
      {"toggle 2", 2, 2, {0, 1, 1}},  {"toggle 3", 3, 2, {0, 0, 0}},
      {"layer 0", 0, 2, {0, 0, 1}},   {"past the last", 4, 0, {0, 0, 1}},
      {"negative", -1, 0, {0, 0, 1}}, {"unknown operation", 1, 3, {0, 0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cFlowFixture fixture;
    cTestChara& chara = AddFlowChara(fixture);
    g_Stage.m_vBgLayer.resize(3);
    g_Stage.m_vBgLayer[0].m_bVisible = 0;
    g_Stage.m_vBgLayer[1].m_bVisible = 0;
    g_Stage.m_vBgLayer[2].m_bVisible = 1;
    DoChangeBackground(chara, MakeCommand(33, 0, false, {c.nLayer, c.nOp}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(g_Stage.m_vBgLayer[i].m_bVisible, c.anWant[i]) << i;
  }
}

TEST(PresentationCommandsTest, SoundAndMusic) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cRequestLog requests;
  // A sound for the screen only is not heard from a character off screen.
  cFlowCommand sound = MakeCommand(CMD_PLAY_SOUND, 0, false, {3});
  sound.m_bSoundOnScreen = 1;
  DoPlaySound(chara, sound);
  chara.m_dX = 5000;
  DoPlaySound(chara, sound);
  sound.m_bSoundOnScreen = 0;
  DoPlaySound(chara, sound);
  EXPECT_EQ(requests.Of(WM_GAME_PLAYSE),
            (std::vector<intptr_t>{kFirstDatabaseSound + 3, kFirstDatabaseSound + 3}));

  // The stage's music slot with the Bgm row (0 stops), the loop switch
  // kept in the play data for the player.
  DoPlayBgm(chara, MakeCommand(CMD_PLAY_BGM, 0, false, {5, 0}));
  EXPECT_EQ(g_PlayData.m_nBgmLoop, 0);
  DoPlayBgm(chara, MakeCommand(CMD_PLAY_BGM, 0, false, {0, 1}));
  EXPECT_EQ(g_PlayData.m_nBgmLoop, 1);
  using R = cRequestLog::REQUEST;
  EXPECT_EQ(requests.m_Requests.at(2), (R{WM_GAME_PLAYBGM, 4, 5}));
  EXPECT_EQ(requests.m_Requests.at(3), (R{WM_GAME_PLAYBGM, 4, 0}));
}

// Each command as a flow of one command of use time 1 (6 x N sub-steps): it
// acts in every sub-step it runs.
TEST(PresentationCommandsTest, TimelineAtOneAndTenSubSteps) {
  struct ROW {
    const char* name;
    cFlowCommand cmd;
    std::function<int(cChara&, const cRequestLog&)> read;
    std::function<int(int n)> want;
  };
  auto once = [](int nValue) { return [nValue](int) { return nValue; }; };
  auto everySubStep = [](int n) { return 6 * n; };
  const ROW rows[] = {
      {"グラフィックの変更", MakeCommand(CMD_CHANGE_GRAPHIC, 1, false, {1, 20, 3}),
       [](cChara& c, const cRequestLog&) { return int{c.m_Def.m_nGraphic}; }, once(20)},
      {"基本アニメセットの変更", MakeCommand(CMD_CHANGE_ANIMESET, 1, false, {1}),
       [](cChara& c, const cRequestLog&) { return int{c.m_Def.m_nAnimeSet}; }, once(1)},
      {"アニメの実行", MakeCommand(CMD_RUN_ANIME, 1, false, {1}),
       [](cChara& c, const cRequestLog&) { return static_cast<int>(c.m_AnimePlays.size()); },
       everySubStep},
      {"背景の変更", MakeCommand(33, 1, false, {1, 1}),
       [](cChara&, const cRequestLog&) { return g_Stage.m_vBgLayer[0].m_bVisible; }, once(0)},
      {"効果音の再生", MakeCommand(CMD_PLAY_SOUND, 1, false, {2}),
       [](cChara&, const cRequestLog& r) { return static_cast<int>(r.Of(WM_GAME_PLAYSE).size()); },
       everySubStep},
      {"BGMの再生", MakeCommand(CMD_PLAY_BGM, 1, false, {2, 1}),
       [](cChara&, const cRequestLog& r) { return static_cast<int>(r.Of(WM_GAME_PLAYBGM).size()); },
       everySubStep},
  };
  for (int n : {1, 10}) {
    for (const ROW& r : rows) {
      SCOPED_TRACE(testing::Message() << r.name << " N=" << n);
      cFlowFixture fixture({.nLevel = n});
      g_Database.m_Anime.resize(2);
      g_Database.m_AnimeSet.resize(2);
      BuildAnimePatterns(g_AnimePatterns);
      g_Stage.m_vBgLayer.resize(1);
      cTestChara& chara = AddFlowChara(fixture);
      cRequestLog requests;
      InstallFlows(chara, {MakeFlow(19, {r.cmd})});
      const TIMELINE t = RunTimeline(chara, chara.m_vRunners.At(0));
      EXPECT_EQ(t.spans, (std::vector<SPAN>{{1, 6 * n}}));
      EXPECT_EQ(t.nFinish, 6 * n);
      EXPECT_EQ(r.read(chara, requests), r.want(n));
      EXPECT_EQ(GetCloseRequestCount(), 0);
    }
  }
}

}  // namespace
