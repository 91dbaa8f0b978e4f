#include "flow/runtime/flow_runner.h"

#include <algorithm>

#include "app/base/report_log.h"
#include "flow/command_table.h"
#include "flow/flow.h"
#include "flow/runtime/flow_commands.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_units.h"
#include "objects/chara.h"
#include "records/database.h"

namespace {

// The trigger that runs a flow's parallel commands once at stage set-up.
constexpr int kTriggerStageStart = 18;
constexpr int kTriggerDeath = 3;

// A メッセージ that chains into the next one: display mode 0 (until a key)
// and no window closed.
bool IsChainingMessage(const COMMANDSTATE& state) {
  return state.m_nType == CMD_MESSAGE && state.m_lpCommand->Param(6) == 0 &&
         state.m_lpCommand->Param(15) == 0;
}

// Duration in frames of an animation up to its first hold frame, in tenths.
int64_t LeadInTenths(int nAnime) {
  int64_t nTenths = 0;
  for (const cAnimeFrame& frame : g_Database.m_Anime.At(nAnime).m_Frames) {
    if (frame.m_bHold) break;
    nTenths += frame.m_nDuration;
  }
  return nTenths;
}

// Runner fields and the command states of flow `flow`, before any run.
void BuildStates(cFlowRunner& runner, cChara& chara, cFlow& flow, int nFacing) {
  const int nLevel = chara.m_sCopyIndex;
  const int n = SubSteps();
  runner.m_States.assign(flow.m_Commands.size(), COMMANDSTATE());
  for (size_t j = 0; j < runner.m_States.size(); ++j) {
    COMMANDSTATE& state = runner.m_States[j];
    cFlowCommand& cmd = flow.m_Commands[j];
    state.m_lpCommand = &cmd;
    state.m_nType = cmd.CharaType();
    state.m_bParallel = cmd.m_bParallel ? 1 : 0;
    state.m_lpMove = cmd.m_pMove.get();
    state.m_nDuration =
        TenthsToSubSteps(int64_t{cmd.m_sUseTime} + int64_t{cmd.m_sUseTimePerLevel} * nLevel);
    if (const cEdMove* lpMove = cmd.m_pMove.get()) {
      state.m_dSpeed = SafeDiv((lpMove->m_nSpeed + lpMove->m_nSpeedStep * nLevel) * 0.1, n);
      if (lpMove->m_bInertia) state.m_dMaxSpeed = SafeDiv(lpMove->m_nMaxSpeed * 0.1, n);
      state.m_cDirection = static_cast<int8_t>(lpMove->m_nDirection);
    }
    const int nType = state.m_nType;
    if (nType >= 0 && nType < kCharaCommandCount && g_apfnCommandSetup[nType])
      g_apfnCommandSetup[nType](state, chara, nFacing);
  }
}

// The lead-in cues: each command's lead-in animation is scheduled to end as
// the command begins, or starts at once with its first frames skipped when
// the flow begins too late for all of it.
void BuildAnimeCues(cFlowRunner& runner) {
  runner.m_AnimeCues.clear();
  const int64_t n = SubSteps();
  int64_t nStart = 0;  // sub-step at which command j begins
  for (size_t j = 0; j < runner.m_States.size(); ++j) {
    const COMMANDSTATE& state = runner.m_States[j];
    const cFlowCommand& cmd = *state.m_lpCommand;
    if (cmd.m_sLeadAnime != 0) {
      const int64_t nLength = 6 * LeadInTenths(cmd.m_sLeadAnime);  // frames
      int64_t t = n * nLength;                                     // sub-steps
      ANIMECUE cue;
      cue.sAnime = cmd.m_sLeadAnime;
      bool bPlaced = false;
      for (size_t k = j; k-- > 0;) {
        const COMMANDSTATE& before = runner.m_States[k];
        if (before.m_bParallel) continue;
        t -= before.m_nDuration;
        if (t < 1) {
          cue.nFrame = SaturateInt32(nStart - n * nLength);
          cue.nSkip = 0;
          cue.nLength = SaturateInt32(nLength);
          bPlaced = true;
          break;
        }
      }
      if (!bPlaced) {
        const int64_t nSkip = n > 0 ? std::min(t / n, nLength) : nLength;
        cue.nFrame = 0;
        cue.nSkip = SaturateInt32(nSkip);
        cue.nLength = SaturateInt32(nLength - nSkip);
      }
      cue.nHold = SaturateInt32(int64_t{cmd.m_sUseTime} * 6);
      const int nType = state.m_nType;
      cue.bExtendHold = (nType == CMD_SWORD || nType == CMD_JUMP) ? 0 : 1;
      runner.m_AnimeCues.push_back(cue);
    }
    if (!state.m_bParallel) nStart += state.m_nDuration;
  }
}

// The share of kMaxCommandsPerStep of one walk over a flow's commands. The
// outermost walk starts the count; walks it starts inside it count on.
class cWalkBudget {
 public:
  explicit cWalkBudget(cFlowContext& ctx) : m_Ctx(ctx) {
    if (m_Ctx.m_nWalkDepth++ == 0) {
      m_Ctx.m_nWalkRuns = 0;
      m_Ctx.m_bWalkOverrun = 0;
    }
  }
  ~cWalkBudget() { --m_Ctx.m_nWalkDepth; }
  cWalkBudget(const cWalkBudget&) = delete;
  cWalkBudget& operator=(const cWalkBudget&) = delete;

  // Counts the next command of `runner`'s walk; false when the walk stops
  // before it, which the first runner to meet the limit reports, once.
  bool Take(cFlowRunner& runner) {
    if (m_Ctx.m_nWalkRuns < kMaxCommandsPerStep) {
      ++m_Ctx.m_nWalkRuns;
      return true;
    }
    if (!m_Ctx.m_bWalkOverrun && !runner.m_bOverrunLogged) {
      ReportLog("flow %d stopped after %d commands in one sub-step", runner.m_nSlot,
                kMaxCommandsPerStep);
      runner.m_bOverrunLogged = 1;
    }
    m_Ctx.m_bWalkOverrun = 1;
    return false;
  }

 private:
  cFlowContext& m_Ctx;
};

}  // namespace

// ---- COMMANDSTATE ----------------------------------------------------------

void COMMANDSTATE::Reset() {
  m_nCountdown = m_nDuration;
  m_bDone = 0;
  m_nCount = 0;
  m_bBegun = 0;
  m_dPhaseX = 0.0;
  m_dPhaseY = 0.0;
}

int COMMANDSTATE::Run() {
  cFlowContext& ctx = FlowContext();
  ctx.m_lpCurState = this;
  if (ctx.m_lpCurChara) DispatchFlowCommand(*ctx.m_lpCurChara, *this);
  if (--m_nCountdown > 0) return 0;
  m_nCountdown = 0;
  return 1;
}

void DispatchFlowCommand(cChara& chara, COMMANDSTATE& state) {
  const int nType = state.m_nType;
  if (!state.m_lpCommand || nType < 0 || nType >= kCharaCommandCount) return;
  if (const FLOWCOMMANDPROC pfn = g_apfnCommand[nType]) pfn(chara, state);
}

// ---- cFlowRunner -----------------------------------------------------------

int FlowTag(const cFlow& flow) {
  return (flow.m_cTag >= 1 && flow.m_cTag < kFlowTags) ? flow.m_cTag : 0;
}

void cFlowRunner::Build(cChara& chara, cFlow& flow, int nSlot, int nFacing) {
  *this = cFlowRunner();
  m_nKey = chara.m_nRunnerKey++;
  Bind(flow, nSlot);
  BuildStates(*this, chara, flow, nFacing);
  BuildAnimeCues(*this);
}

void cFlowRunner::Bind(cFlow& flow, int nSlot) {
  m_nSlot = nSlot;
  m_lpFlow = &flow;
  m_nTrigger = flow.m_cTrigger;
  m_KeyConds.clear();
  for (cKeyCondition& k : flow.m_KeyConditions) m_KeyConds.push_back(&k);
  // The states were built from this flow's commands, one each.
  const size_t nCount = std::min(m_States.size(), flow.m_Commands.size());
  for (size_t j = 0; j < nCount; ++j) {
    m_States[j].m_lpCommand = &flow.m_Commands[j];
    m_States[j].m_lpMove = flow.m_Commands[j].m_pMove.get();
  }
}

void cFlowRunner::Start(cChara& chara) {
  m_bRunning = 1;
  m_nIndex = 0;
  m_nFrames = 0;
  m_bMessageChain = 0;
  for (COMMANDSTATE& state : m_States) state.m_bDone = 0;
  m_bStarted = 1;

  const int nTag = FlowTag(*m_lpFlow);
  if (m_nTrigger == 0 && nTag != 0) {
    chara.m_vTagActive.At(nTag) = 1;
    chara.m_vTagStarted.At(nTag) = 1;
  }

  if (m_States.empty() || m_nTrigger != kTriggerStageStart) return;
  // Before the stage starts only the parallel commands of the later types
  // run, each once and at once; the flow is idle afterwards.
  // A フローの操作 of another flow may start this one in the middle of that
  // flow's walk, which goes on afterwards as the current one.
  cFlowContext& ctx = FlowContext();
  const cFlowCurrentScope outer;
  ctx.m_lpCurRunner = this;
  m_bAbort = 0;
  cWalkBudget budget(ctx);
  for (COMMANDSTATE& state : m_States) {
    if (state.m_nType < CMD_FLOW_CONTROL || !state.m_bParallel) continue;
    if (!budget.Take(*this)) break;
    // Its countdown is 0, so it completes in this one run.
    if (!state.Run()) TraceLog("使用時間0なので、ここにくることはあり得ないはず！");
    if (m_bAbort) break;
    state.m_bDone = 1;
  }
  Stop(chara);
}

void cFlowRunner::Stop(cChara& chara) {
  if (!m_bRunning) return;
  m_bRunning = 0;
  for (COMMANDSTATE& state : m_States) state.m_nCountdown = 0;
  if (const int nTag = FlowTag(*m_lpFlow)) {
    chara.m_vTagEnded.At(nTag) = 1;
    chara.m_bTagEndRequest = 1;
  }
}

void cFlowRunner::Halt(cChara& chara) {
  m_bHalted = 1;
  if (!m_bRunning) return;
  for (COMMANDSTATE& state : m_States) state.m_nCountdown = 0;
  if (const int nTag = FlowTag(*m_lpFlow)) {
    chara.m_vTagEnded.At(nTag) = 1;
    chara.m_bTagEndRequest = 1;
  }
}

int cFlowRunner::Step(cChara& chara) {
  cFlowContext& ctx = FlowContext();
  ctx.m_lpCurChara = &chara;
  ctx.m_lpCurRunner = this;
  m_bAbort = 0;

  const int nLast = static_cast<int>(m_States.size()) - 1;
  cWalkBudget budget(ctx);
  // The bound is read again after every command: a passed command moves it.
  for (int i = 0; i <= m_nIndex; ++i) {
    if (i > nLast) continue;
    COMMANDSTATE& state = m_States[static_cast<size_t>(i)];
    if (state.m_bDone) continue;
    // Whatever a stage file holds, one sub-step stays bounded; the walk goes
    // on from here in the next sub-step.
    if (!budget.Take(*this)) return 0;
    if (state.m_nCountdown == 0) {
      state.Reset();
      if (!state.m_bParallel && !IsChainingMessage(state)) m_bMessageChain = 0;
    }
    if (state.m_bParallel) {
      if (state.Run()) {
        state.m_bDone = 1;
        if (i == nLast) return 1;
      }
      if (i == m_nIndex) ++m_nIndex;
      if (m_bAbort) return 0;
    } else {
      if (!state.Run()) {
        if (m_bAbort) return 0;
        continue;
      }
      state.m_bDone = 1;
      if (IsChainingMessage(state)) m_bMessageChain = 1;
      if (i == nLast) return 1;
      ++m_nIndex;
      break;
    }
  }
  if (nLast >= 0 && m_States.back().m_bDone) return 1;
  ++m_nFrames;
  return 0;
}

// ---- The character's side ----------------------------------------------------

ANIMEPLAY& cChara::StartFlowAnime(int16_t sAnime, int nKey) {
  ANIMEPLAY& play = m_AnimePlays.emplace_front();
  play.Pattern.m_Patterns.assign(1, g_AnimePatterns.At(sAnime));
  play.nKey = nKey;
  play.Pattern.SetPattern(0, 1);
  return play;
}

void cChara::StartFlowAnimeCues() {
  for (const cFlowRunner& runner : m_vRunners) {
    if (!runner.m_bRunning || runner.m_bPaused) continue;
    for (const ANIMECUE& cue : runner.m_AnimeCues) {
      if (cue.nFrame != runner.m_nFrames) continue;
      ANIMEPLAY& play = StartFlowAnime(cue.sAnime, runner.m_nKey);
      play.bPriority = 1;
      play.nLength = cue.nLength;
      play.nHold = cue.nHold;
      if (cue.nSkip != 0) play.Pattern.m_nTick += cue.nSkip;
      if (cue.nHold >= 2 && cue.bExtendHold) {
        for (ANIMESTEP& step : play.Pattern.m_Patterns[0]) {
          if (step.nValue < 0) break;
          if (step.nHold) {
            step.nDuration = SaturateInt32(int64_t{step.nDuration} + cue.nHold - 1);
            break;
          }
        }
      }
    }
  }
}

int StepCharaFlows(cChara& chara, int bDeathPass) {
  cFlowContext& ctx = FlowContext();
  const cFlowWalk walk(chara);
  ctx.m_lpCurChara = &chara;
  chara.StartFlowAnimeCues();
  // No runner moves while the walk runs: changes of the flow list wait for
  // its end (削除, the hero's queue).
  for (size_t i = 0; i < chara.m_vRunners.size(); ++i) {
    cFlowRunner& runner = chara.m_vRunners[i];
    if (!runner.m_bRunning) continue;
    if (runner.m_States.empty()) {
      runner.Stop(chara);
      continue;
    }
    const int nTrigger = runner.m_nTrigger;
    if (runner.m_bPaused || runner.m_bHalted) continue;
    if (bDeathPass && nTrigger != kTriggerDeath) continue;
    ctx.m_lpCurChara = &chara;
    if (runner.Step(chara)) runner.Stop(chara);
    if (chara.m_bVanish || (!bDeathPass && nTrigger != kTriggerDeath && chara.m_nHp <= 0)) {
      ctx.ClearCurrent();
      return 1;
    }
  }
  return 0;
}

void EndFlowStep(cChara& chara) {
  FlowContext().ClearCurrent();
  if (chara.m_bDeleteRequest) {
    for (size_t i = chara.m_vRunners.size(); i-- > 0;)
      if (chara.m_vRunners[i].m_bDeletePending) chara.DeleteFlow(static_cast<int>(i));
    chara.m_bDeleteRequest = 0;
  }
  if (chara.m_bTagEndRequest) {
    for (size_t t = 0; t < chara.m_vTagEnded.size(); ++t) {
      if (!chara.m_vTagEnded[t]) continue;
      chara.m_vTagEnded[t] = 0;
      if (t < chara.m_vTagActive.size()) chara.m_vTagActive[t] = 0;
    }
    chara.m_bTagEndRequest = 0;
  }
}
