// The flow runner: when each command runs and when a flow finishes, counted
// in sub-steps from 1 (the sub-step of Start's first Step), at one and two
// sub-steps per frame. A tenth of a second is 6 x N sub-steps.

#include "flow/runtime/flow_runner.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/base/close_request.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "records/database.h"
#include "stagedata/progress/world_map.h"
#include "testing/game_folder.h"

namespace {

struct CMDSPEC {
  int nUseTime;
  bool bParallel;
};

struct TIMELINECASE {
  const char* name;
  std::vector<CMDSPEC> commands;
  std::vector<SPAN> spansN1;
  int nFinishN1;
  std::vector<SPAN> spansN2;
  int nFinishN2;
};

cFlow WaitFlow(const std::vector<CMDSPEC>& commands) {
  std::vector<cFlowCommand> list;
  for (const CMDSPEC& c : commands) list.push_back(MakeCommand(CMD_WAIT, c.nUseTime, c.bParallel));
  return MakeFlow(19, std::move(list));
}

constexpr bool B = false;  // blocking
constexpr bool P = true;   // parallel

TEST(FlowRunnerTest, TimelineOfBlockingAndParallelCommands) {
  const TIMELINECASE cases[] = {
      {"one tenth", {{1, B}}, {{1, 6}}, 6, {{1, 12}}, 12},
      // A blocking command of no time still takes its whole sub-step.
      {"two of no time", {{0, B}, {0, B}}, {{1, 1}, {2, 2}}, 2, {{1, 1}, {2, 2}}, 2},
      // Everything begins at once; the last command ends the flow first and
      // the parallel ones end with it.
      {"parallel then last",
       {{1, P}, {1, P}, {0, B}},
       {{1, 1}, {1, 1}, {1, 1}},
       1,
       {{1, 1}, {1, 1}, {1, 1}},
       1},
      {"last parallel keeps stepping",
       {{0, B}, {2, P}},
       {{1, 1}, {2, 13}},
       13,
       {{1, 1}, {2, 25}},
       25},
      {"parallel beside blocking", {{1, P}, {2, B}}, {{1, 6}, {1, 12}}, 12, {{1, 12}, {1, 24}}, 24},
      {"parallel between blocking",
       {{1, B}, {0, P}, {1, B}},
       {{1, 6}, {7, 7}, {7, 12}},
       12,
       {{1, 12}, {13, 13}, {13, 24}},
       24},
      {"longer parallel cut by the end",
       {{2, P}, {1, B}},
       {{1, 6}, {1, 6}},
       6,
       {{1, 12}, {1, 12}},
       12},
      {"single parallel of no time", {{0, P}}, {{1, 1}}, 1, {{1, 1}}, 1},
  };
  for (int n : {1, 2}) {
    cFlowFixture fixture({.nLevel = n});
    cTestChara& chara = AddFlowChara(fixture);
    for (const TIMELINECASE& c : cases) {
      InstallFlows(chara, {WaitFlow(c.commands)});
      const TIMELINE t = RunTimeline(chara, chara.m_vRunners.At(0));
      EXPECT_EQ(t.spans, n == 1 ? c.spansN1 : c.spansN2) << c.name << " N=" << n;
      EXPECT_EQ(t.nFinish, n == 1 ? c.nFinishN1 : c.nFinishN2) << c.name << " N=" << n;
      EXPECT_EQ(chara.m_vRunners.At(0).m_bRunning, 0) << c.name;
    }
  }
}

TEST(FlowRunnerTest, DurationsTakeTheLevelAndStayDefinedForEveryStoredTime) {
  cFlowFixture fixture({.nLevel = 3});
  cTestChara& chara = AddFlowChara(fixture);
  chara.m_sCopyIndex = 32767;
  cFlowCommand perLevel = MakeCommand(CMD_WAIT, 1);
  perLevel.m_sUseTimePerLevel = 2;
  cFlowCommand huge = MakeCommand(CMD_WAIT, 32767);
  huge.m_sUseTimePerLevel = 32767;
  InstallFlows(chara, {MakeFlow(19, {perLevel, huge, MakeCommand(99, 1, B, {5})})});
  cFlowRunner& runner = chara.m_vRunners.At(0);
  EXPECT_EQ(runner.m_States[0].m_nDuration, (1 + 2 * 32767) * 3 * 6);
  EXPECT_EQ(runner.m_States[1].m_nDuration, INT32_MAX);
  // A command type outside the table only uses its time.
  EXPECT_EQ(runner.m_States[2].m_nDuration, 18);
  runner.Start(chara);
  runner.m_States[0].m_bDone = runner.m_States[1].m_bDone = 1;
  runner.m_nIndex = 2;
  for (int i = 1; i < 18; ++i) ASSERT_EQ(runner.Step(chara), 0);
  EXPECT_EQ(runner.Step(chara), 1);
}

TEST(FlowRunnerTest, FlowControlActsWithinTheSubStep) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cFlowContext& ctx = FlowContext();
  auto Control = [](int nOp, int nScope, int nId, bool bParallel) {
    return MakeCommand(CMD_FLOW_CONTROL, 0, bParallel, {nOp, nScope, nId});
  };

  // 終了 on this flow: the walk ends and the next parallel command never runs.
  InstallFlows(chara, {MakeFlow(19, {Control(1, 0, 0, P), MakeCommand(CMD_WAIT, 1, P)})});
  cFlowRunner& ended = chara.m_vRunners.At(0);
  ended.Start(chara);
  EXPECT_EQ(ended.Step(chara), 0);
  EXPECT_EQ(ended.m_bRunning, 0);
  EXPECT_EQ(ended.m_States[1].m_nCountdown, 0);
  EXPECT_EQ(ended.m_States[1].m_bDone, 0);

  // 開始 on this flow from inside it: the flow begins afresh and the
  // command that restarted it counts as done in the new run.
  InstallFlows(chara, {MakeFlow(19, {Control(0, 0, 0, B), MakeCommand(CMD_WAIT, 1)})});
  cFlowRunner& restarted = chara.m_vRunners.At(0);
  restarted.Start(chara);
  restarted.m_nFrames = 5;
  EXPECT_EQ(restarted.Step(chara), 0);
  EXPECT_EQ(restarted.m_bRunning, 1);
  EXPECT_EQ(restarted.m_States[0].m_bDone, 1);
  EXPECT_EQ(restarted.m_nIndex, 1);
  EXPECT_EQ(restarted.m_nFrames, 1);
  EXPECT_EQ(restarted.Step(chara), 0);
  EXPECT_EQ(restarted.m_States[1].m_nCountdown, 6 - 1);

  // 一時停止 of another flow by ID ends nothing here; 再開 does not end the
  // walk either: the parallel wait after it runs in the same sub-step.
  cFlow other = WaitFlow({{1, B}});
  other.m_cId = 7;
  InstallFlows(chara, {MakeFlow(19, {Control(2, 2, 7, P), MakeCommand(CMD_WAIT, 1, P)}),
                       MakeFlow(19, {Control(3, 2, 7, P), MakeCommand(CMD_WAIT, 1, P)}), other});
  cFlowRunner& target = chara.m_vRunners.At(2);
  target.Start(chara);
  cFlowRunner& pauser = chara.m_vRunners.At(0);
  pauser.Start(chara);
  pauser.Step(chara);
  EXPECT_EQ(target.m_bPaused, 1);
  EXPECT_EQ(pauser.m_States[1].m_nCountdown, 5);
  cFlowRunner& resumer = chara.m_vRunners.At(1);
  resumer.Start(chara);
  resumer.Step(chara);
  EXPECT_EQ(target.m_bPaused, 0);
  EXPECT_EQ(resumer.m_States[1].m_nCountdown, 5);
  EXPECT_EQ(ctx.m_lpCurRunner, &resumer);
}

TEST(FlowRunnerTest, DeleteAndHaltTakeEffectAtTheEndOfTheFlowStep) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cFlow deleting = MakeFlow(0, {MakeCommand(CMD_FLOW_CONTROL, 0, P, {4, 0, 0}), MakeCommand(1, 1)});
  deleting.m_cTag = 3;
  cFlow halting = MakeFlow(0, {MakeCommand(CMD_FLOW_CONTROL, 0, P, {5, 0, 0}), MakeCommand(1, 1)});
  InstallFlows(chara, {deleting, halting, WaitFlow({{1, B}})});
  chara.RaiseTrigger(0);
  EXPECT_EQ(chara.m_vTagActive.At(3), 1);
  EXPECT_EQ(StepCharaFlows(chara, 0), 0);
  ASSERT_EQ(chara.m_vRunners.size(), 3u);  // deleted only at the end
  EndFlowStep(chara);
  ASSERT_EQ(chara.m_vRunners.size(), 2u);
  EXPECT_EQ(chara.m_vRunners[0].m_nSlot, 0);
  EXPECT_EQ(chara.m_vRunners[0].m_lpFlow, &chara.m_Def.m_vFlow[0]);
  EXPECT_EQ(chara.m_vRunners[0].m_bHalted, 1);
  EXPECT_EQ(chara.m_vTagActive.At(3), 0);
  // The halted flow never starts again.
  chara.ResetTriggerLatches();
  chara.RaiseTrigger(0);
  EXPECT_EQ(chara.m_vRunners[0].m_bStarted, 0);
  EXPECT_EQ(FlowContext().m_lpCurChara, nullptr);
}

// Every command of a stage file runs in bounded time: a flow that would run
// more commands in one sub-step than the limit is stopped there, with one
// report line, and goes on in the next sub-step.
TEST(FlowRunnerTest, ASubStepRunsAtMostTheCommandLimit) {
  cTestGameFolder folder;
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  const int nCount = kMaxCommandsPerStep + 100;
  std::vector<cFlowCommand> commands;
  for (int i = 0; i < nCount; ++i) commands.push_back(MakeCommand(CMD_WAIT, 0, P));
  InstallFlows(chara, {MakeFlow(19, std::move(commands))});
  cFlowRunner& runner = chara.m_vRunners.At(0);
  runner.Start(chara);
  EXPECT_EQ(runner.Step(chara), 0);
  int nDone = 0;
  for (const COMMANDSTATE& s : runner.m_States) nDone += s.m_bDone;
  EXPECT_EQ(nDone, kMaxCommandsPerStep);
  EXPECT_EQ(runner.Step(chara), 1);
  const std::string strLog = folder.ReportLogText();
  const size_t nAt = strLog.find("stopped after");
  EXPECT_NE(nAt, std::string::npos) << strLog;
  EXPECT_EQ(strLog.find("stopped after", nAt + 1), std::string::npos) << strLog;
}

// Stage-start flows run their commands inside the フローの操作 that starts
// them, so flows that start themselves or each other would go on without
// end: the commands run within one walk, together with the walks it starts,
// stay within the limit, with one report line.
TEST(FlowRunnerTest, StageStartFlowsThatStartEachOtherStopAtTheCommandLimit) {
  const struct {
    const char* name;
    int nFlows;
    int nScope;  // 0 this flow, 1 every other flow
  } cases[] = {{"itself", 1, 0}, {"each other", 2, 1}, {"three in a ring", 3, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cTestGameFolder folder;
    cFlowFixture fixture;
    cTestChara& chara = AddFlowChara(fixture);
    std::vector<cFlow> flows;
    for (int f = 0; f < c.nFlows; ++f)
      flows.push_back(MakeFlow(18, {MakeCommand(CMD_FLOW_CONTROL, 0, P, {0, c.nScope})}));
    // A trigger-0 flow that starts them from its walk as well.
    flows.push_back(
        MakeFlow(0, {MakeCommand(CMD_FLOW_CONTROL, 0, P, {0, 1}), MakeCommand(CMD_WAIT, 1, B)}));
    InstallFlows(chara, std::move(flows));
    chara.RaiseTrigger(18);
    for (int f = 0; f < c.nFlows; ++f) EXPECT_EQ(chara.m_vRunners.At(f).m_bRunning, 0);
    const std::string strLog = folder.ReportLogText();
    const size_t nAt = strLog.find("stopped after");
    EXPECT_NE(nAt, std::string::npos) << strLog;
    EXPECT_EQ(strLog.find("stopped after", nAt + 1), std::string::npos) << strLog;
    // Started from a flow step, they end within it.
    chara.ResetTriggerLatches();
    chara.RaiseTrigger(0);
    EXPECT_EQ(StepCharaFlows(chara, 0), 0);
    EndFlowStep(chara);
    for (int f = 0; f < c.nFlows; ++f) EXPECT_EQ(chara.m_vRunners.At(f).m_bRunning, 0);
    EXPECT_EQ(FlowContext().m_lpCurChara, nullptr);
  }
}

// A trigger-18 flow runs its parallel commands of types 16 and above once,
// at once, when raised (stage set-up), and is idle afterwards.
TEST(FlowRunnerTest, StageStartFlowRunsItsLaterParallelCommandsOnce) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  g_PlayData.m_nStageNo = 4;
  InstallFlows(chara,
               {MakeFlow(18, {MakeCommand(CMD_WAIT, 1, P), MakeCommand(CMD_STAGE_CLEAR, 0, B),
                              MakeCommand(CMD_STAGE_CLEAR, 0, P, {1, 9})})});
  chara.RaiseTrigger(18);
  const cFlowRunner& runner = chara.m_vRunners.At(0);
  EXPECT_EQ(runner.m_bRunning, 0);
  EXPECT_EQ(runner.m_States[0].m_bDone, 0);  // type 1: not run
  EXPECT_EQ(runner.m_States[1].m_bDone, 0);  // blocking: not run
  EXPECT_EQ(runner.m_States[2].m_bDone, 1);
  EXPECT_EQ(fixture.Scene().m_nEndRequest, 1);
  EXPECT_EQ(fixture.Scene().m_nNextPart, 9);
  // It is idle and not raised by anything else.
  EXPECT_EQ(StepCharaFlows(chara, 0), 0);
  EXPECT_EQ(runner.m_bRunning, 0);
}

TEST(FlowRunnerTest, StageClearAsksForTheNextStageAndTheHeroStart) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  chara.m_nFacing = 1;
  g_PlayData.m_nStageNo = 4;
  g_WorldMap.m_nWidth = 20;
  g_WorldMap.m_nHeight = 15;
  cFlowCommand next = MakeCommand(CMD_STAGE_CLEAR, 0, B, {0, 0, 1, 50, -3, 1, 6, 7, 2});
  EXPECT_EQ(DoStageClear(chara, next), 1);
  EXPECT_EQ(fixture.Scene().m_nNextPart, 5);
  EXPECT_EQ(g_PlayData.m_nMapX, 19);
  EXPECT_EQ(g_PlayData.m_nMapY, 0);
  EXPECT_EQ(g_PlayData.m_bStartOverride, 1);
  EXPECT_EQ(g_PlayData.m_nStartOverrideX, 6);
  EXPECT_EQ(g_PlayData.m_nStartOverrideY, 7);
  EXPECT_EQ(g_PlayData.m_nStartOverrideDir, 1);  // as the running character faces
  EXPECT_EQ(DoStageClear(chara, MakeCommand(CMD_STAGE_CLEAR, 0, B, {2})), 1);
  EXPECT_EQ(fixture.Scene().m_nNextPart, 0);
  EXPECT_EQ(g_PlayData.m_bStartOverride, 0);
}

// Lead-in animations are placed to end where their command begins, or start
// at once with their first frames skipped when the flow begins too late.
TEST(FlowRunnerTest, LeadInCuesEndWhereTheirCommandBegins) {
  cFlowFixture fixture({.nLevel = 2});
  // Anime 1: 1 + 1 tenths before its hold frame: 12 frames, 24 sub-steps.
  g_Database.m_Anime.resize(2);
  cAnimeDef& anime = g_Database.m_Anime[1];
  anime.m_Frames.resize(3);
  anime.m_Frames[0].m_nDuration = 1;
  anime.m_Frames[1].m_nDuration = 1;
  anime.m_Frames[2].m_nDuration = 4;
  anime.m_Frames[2].m_bHold = 1;
  BuildAnimePatterns(g_AnimePatterns);
  cTestChara& chara = AddFlowChara(fixture);

  cFlowCommand lead = MakeCommand(CMD_WAIT, 3);
  lead.m_sLeadAnime = 1;
  InstallFlows(chara, {MakeFlow(19, {MakeCommand(CMD_WAIT, 3), MakeCommand(CMD_WAIT, 5, P), lead}),
                       MakeFlow(19, {MakeCommand(CMD_WAIT, 1), lead})});
  // Command 2 begins at sub-step 36 (the parallel one takes no turn).
  ASSERT_EQ(chara.m_vRunners[0].m_AnimeCues.size(), 1u);
  const ANIMECUE& early = chara.m_vRunners[0].m_AnimeCues[0];
  EXPECT_EQ(early.nFrame, 36 - 24);
  EXPECT_EQ(early.nSkip, 0);
  EXPECT_EQ(early.nLength, 12);
  EXPECT_EQ(early.nHold, 18);
  EXPECT_EQ(early.bExtendHold, 1);
  // Only 12 sub-steps before command 1: start at once, 6 frames skipped.
  const ANIMECUE& late = chara.m_vRunners[1].m_AnimeCues.at(0);
  EXPECT_EQ(late.nFrame, 0);
  EXPECT_EQ(late.nSkip, 6);
  EXPECT_EQ(late.nLength, 6);

  // Due cues become priority animations of the character when the flow
  // step begins at their frame; the hold frame lasts the command's time.
  cFlowRunner& runner = chara.m_vRunners[1];
  runner.Start(chara);
  chara.StartFlowAnimeCues();
  ASSERT_EQ(chara.m_AnimePlays.size(), 1u);
  const ANIMEPLAY& play = chara.m_AnimePlays.front();
  EXPECT_EQ(play.bPriority, 1);
  EXPECT_EQ(play.nKey, runner.m_nKey);
  EXPECT_EQ(play.nLength, 6);
  EXPECT_EQ(play.nHold, 18);
  EXPECT_EQ(play.Pattern.m_nTick, 6);
  EXPECT_EQ(play.Pattern.m_Patterns[0][2].nDuration, 4 * 6 + 18 - 1);
  runner.m_nFrames = 1;
  chara.StartFlowAnimeCues();
  EXPECT_EQ(chara.m_AnimePlays.size(), 1u);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

}  // namespace
