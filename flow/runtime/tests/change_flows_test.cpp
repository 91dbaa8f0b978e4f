// フローの変更 (ChangeFlows): flows appended, replaced and deleted by ID, and
// the hero's queue that holds the changes back while its own flows are being
// walked, so that no runner or command moves under the walk.

#include <gtest/gtest.h>

#include <vector>

#include "flow/runtime/flow_context.h"
#include "flow/runtime/tests/flow_test_kit.h"

namespace {

cFlow IdFlow(int nId, int nTrigger = 19) {
  cFlow flow = MakeFlow(nTrigger, {MakeCommand(CMD_WAIT, 1)});
  flow.m_cId = static_cast<int8_t>(nId);
  return flow;
}

// An item command フローの変更 with the nested flows of the given IDs.
cFlowCommand ChangeCommand(int nOp, int nId, const std::vector<int>& added) {
  cFlowCommand cmd;
  cmd.m_cSet = COMMANDSET_ITEM;
  cmd.m_cType = ITEMCMD_CHANGE_FLOWS;
  cmd.NormalizeParams();
  cmd.m_Params.At(0) = nOp;
  cmd.m_Params.At(1) = nId;
  for (int n : added) cmd.m_Flows.push_back(IdFlow(n));
  return cmd;
}

std::vector<int> FlowIds(const cChara& chara) {
  std::vector<int> ids;
  for (const cFlow& flow : chara.m_Def.m_vFlow) ids.push_back(flow.m_cId);
  return ids;
}

// Runner i runs flow i of the character's own list.
void ExpectBound(const cChara& chara) {
  ASSERT_EQ(chara.m_vRunners.size(), chara.m_Def.m_vFlow.size());
  for (size_t i = 0; i < chara.m_vRunners.size(); ++i) {
    EXPECT_EQ(chara.m_vRunners[i].m_nSlot, static_cast<int>(i));
    EXPECT_EQ(chara.m_vRunners[i].m_lpFlow, &chara.m_Def.m_vFlow[i]);
  }
}

TEST(ChangeFlowsTest, AppendsReplacesAndDeletesByFlowId) {
  const struct {
    const char* name;
    int nOp;
    int nId;
    std::vector<int> want;
  } cases[] = {
      {"append", 0, 0, {1, 3, 3, 2, 7, 8}},
      {"replace at the first of the ID", 1, 3, {1, 7, 8, 2}},
      {"replace every flow", 1, 0, {7, 8}},
      {"replace an ID none has: append", 1, 9, {1, 3, 3, 2, 7, 8}},
      {"delete by ID", 2, 3, {1, 2}},
      {"delete every flow", 2, 0, {}},
      // A stored ID beyond any flow's names none, not its low byte's flow.
      {"delete ID 259", 2, 259, {1, 3, 3, 2}},
      {"replace ID 256", 1, 256, {1, 3, 3, 2, 7, 8}},
      {"an unknown operation", 3, 3, {1, 3, 3, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cFlowFixture fixture;
    cTestChara& chara = AddFlowChara(fixture);
    InstallFlows(chara, {IdFlow(1), IdFlow(3), IdFlow(3), IdFlow(2)});
    EXPECT_EQ(ChangeFlows(chara, ChangeCommand(c.nOp, c.nId, {7, 8}), 0), 0);
    EXPECT_EQ(FlowIds(chara), c.want);
    ExpectBound(chara);
  }
}

// An item taken in the middle of the hero's walk (アイテムの取得 in one of its
// flows) changes the hero's flows only at the end of its flow step, in the
// order the changes came: the walk goes on with the runner and command it
// holds. Under AddressSanitizer a change made at once would show as a use
// of the freed runner vector.
TEST(ChangeFlowsTest, TheHerosChangesWaitForTheEndOfItsFlowStep) {
  cFlowFixture fixture;
  cPlayer& hero = fixture.AddHero(400, 400);
  hero.m_nHp = hero.m_Def.m_nMaxHp = 100;
  InstallFlows(hero, {IdFlow(1, 0)});
  hero.RaiseTrigger(0);
  cFlowRunner& runner = hero.m_vRunners.At(0);
  ASSERT_EQ(runner.m_bRunning, 1);
  {
    const cFlowWalk walk(hero);
    std::vector<int> many(40, 5);
    cFlowCommandList items;
    items.push_back(ChangeCommand(0, 0, many));
    items.push_back(ChangeCommand(2, 5, {}));
    items.push_back(ChangeCommand(0, 0, {6}));
    EXPECT_EQ(hero.RunItemCommands(items), 0);
    EXPECT_EQ(FlowIds(hero), std::vector<int>{1});
    EXPECT_EQ(runner.Step(hero), 0);
    EXPECT_EQ(runner.m_States[0].m_nCountdown, 6 - 1);
  }
  EXPECT_EQ(hero.m_vQueuedItemCmds.size(), 3u);

  EXPECT_EQ(hero.RunFlows(0), 0);
  EXPECT_EQ(FlowIds(hero), (std::vector<int>{1, 6}));
  ExpectBound(hero);
  EXPECT_TRUE(hero.m_vQueuedItemCmds.empty());
  // Outside its flows the change is made at once.
  EXPECT_EQ(hero.RunItemCommands({ChangeCommand(2, 6, {})}), 0);
  EXPECT_EQ(FlowIds(hero), std::vector<int>{1});
}

}  // namespace
