// Deaths and removal of computer characters: a character that vanished
// (消滅) leaves quietly, without its death flows or its score; one whose HP
// ran out dies; a flow deleting another flow of its character is never a
// reason for the character to leave.

#include <gtest/gtest.h>

#include "flow/runtime/tests/flow_test_kit.h"
#include "play/play_scene.h"
#include "stagedata/progress/play_data.h"

namespace {

constexpr int kScore = 100;
constexpr bool P = true;  // parallel

cFlowCommand FlowControl(int nOp) { return MakeCommand(CMD_FLOW_CONTROL, 0, P, {nOp, 0, 0}); }
constexpr int kDelete = 4;

// A character on the stage with HP, a score on defeat and, as its death
// flow, a stage clear that would show if its death ran.
cTestFlowChara& AddScoredChara(cPlayFixture& fixture) {
  cTestFlowChara& c = fixture.AddChara<cTestFlowChara>(400, 400);
  c.m_nHp = c.m_Def.m_nMaxHp = 100;
  c.m_Def.m_nScore = kScore;
  c.m_bAppeared = 1;
  c.m_nMisc2 = 1;  // active
  return c;
}

cFlow DeathFlow() { return MakeFlow(3, {MakeCommand(CMD_STAGE_CLEAR, 0, P, {2})}); }

bool Listed(cPlayScene& scene, const cChara* lpChara) {
  for (const auto& lp : scene.CharaList())
    if (lp.get() == lpChara) return true;
  return false;
}

TEST(DeathTest, AVanishedCharacterLeavesWithoutItsDeath) {
  enum Path { kFlowStep, kBlockFlowStep, kCheckDeaths };
  const struct {
    const char* name;
    Path path;
    int nHp;
  } cases[] = {
      {"its flow step reports it gone", kFlowStep, 100},
      {"a block character's flow step", kBlockFlowStep, 100},
      {"out of HP as well", kFlowStep, 0},
      {"made to vanish by another's flow", kCheckDeaths, 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cFlowFixture fixture;
    cPlayScene& scene = fixture.Scene();
    fixture.AddHero(200, 400).m_nHp = 100;
    cTestFlowChara& chara = AddScoredChara(fixture);
    chara.m_Def.m_bBlockChara = c.path == kBlockFlowStep ? 1 : 0;
    InstallFlows(chara, {MakeFlow(0, {MakeCommand(CMD_WAIT, 1)}), DeathFlow()});
    const int nId = chara.m_nId;
    chara.m_nHp = c.nHp;
    chara.m_bVanish = 1;
    if (c.path == kCheckDeaths)
      EXPECT_EQ(scene.CheckDeaths(), 0);
    else
      EXPECT_TRUE(scene.StepComCharas(c.path == kBlockFlowStep));
    EXPECT_TRUE(scene.CharaList().empty());
    EXPECT_EQ(scene.FindCharaById(nId), nullptr);
    EXPECT_TRUE(scene.FactionCharas(1).empty());
    EXPECT_EQ(g_PlayData.m_nGameScore, 0);
    EXPECT_EQ(scene.m_nEndRequest, 0);
  }
}

// A flow that deletes a flow of its own character leaves the character
// where it is, also when it ran out of HP in the same flow step: then it
// dies with its score.
TEST(DeathTest, DeletingAFlowNeverRemovesItsCharacter) {
  cFlowFixture fixture;
  cPlayScene& scene = fixture.Scene();
  fixture.AddHero(200, 400).m_nHp = 100;
  cTestFlowChara& alive = AddScoredChara(fixture);
  InstallFlows(alive, {MakeFlow(0, {FlowControl(kDelete), MakeCommand(CMD_WAIT, 1)}),
                       MakeFlow(19, {MakeCommand(CMD_WAIT, 1)})});
  cTestFlowChara& dying = AddScoredChara(fixture);
  InstallFlows(dying, {MakeFlow(0, {FlowControl(kDelete), MakeCommand(CMD_WAIT, 1)})});
  dying.m_nHp = 0;

  EXPECT_TRUE(scene.StepComCharas(false));
  EXPECT_TRUE(Listed(scene, &alive));
  EXPECT_EQ(alive.m_vRunners.size(), 1u);
  EXPECT_EQ(alive.m_bDeleteRequest, 0);
  EXPECT_FALSE(Listed(scene, &dying));
  EXPECT_EQ(g_PlayData.m_nGameScore, kScore);
  // Nothing the deaths check removes either.
  EXPECT_EQ(scene.CheckDeaths(), 0);
  EXPECT_TRUE(Listed(scene, &alive));
}

// The stage start: a character whose stage-start flow deletes one of its own
// flows stays (the flow goes at the end of its next flow step); one that
// vanished leaves without its score; one out of HP dies with it.
TEST(DeathTest, StageStartFlowsDeletingAFlowKeepTheirCharacter) {
  cFlowFixture fixture;
  cPlayScene& scene = fixture.Scene();
  fixture.AddHero(200, 400).m_nHp = 100;
  cTestFlowChara& deleting = AddScoredChara(fixture);
  InstallFlows(deleting, {MakeFlow(18, {FlowControl(kDelete)}), MakeFlow(19, {})});
  cTestFlowChara& vanished = AddScoredChara(fixture);
  vanished.m_bVanish = 1;
  cTestFlowChara& dead = AddScoredChara(fixture);
  dead.m_nHp = 0;

  scene.RaiseStageStart();
  EXPECT_TRUE(Listed(scene, &deleting));
  EXPECT_FALSE(Listed(scene, &vanished));
  EXPECT_FALSE(Listed(scene, &dead));
  EXPECT_EQ(g_PlayData.m_nGameScore, kScore);
  ASSERT_EQ(deleting.m_vRunners.size(), 2u);
  EXPECT_EQ(deleting.RunFlows(0), 0);
  ASSERT_EQ(deleting.m_vRunners.size(), 1u);
  EXPECT_EQ(deleting.m_vRunners[0].m_nTrigger, 19);
}

}  // namespace
