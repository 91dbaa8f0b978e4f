#include "flow/runtime/flow_commands.h"

#include <algorithm>

#include "flow/flow.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_runner.h"
#include "flow/runtime/move_commands.h"
#include "objects/chara.h"
#include "play/play_scene.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/world_map.h"

namespace {

enum : int {
  FLOWOP_START = 0,
  FLOWOP_END = 1,
  FLOWOP_PAUSE = 2,
  FLOWOP_RESUME = 3,
  FLOWOP_DELETE = 4,
  FLOWOP_HALT = 5,
};

enum : int {
  FLOWSCOPE_THIS = 0,
  FLOWSCOPE_OTHERS = 1,
  FLOWSCOPE_ID = 2,
};

void ApplyFlowOperation(cChara& chara, cFlowRunner& runner, int nOp) {
  switch (nOp) {
    case FLOWOP_START:
      runner.Stop(chara);
      chara.RemoveAnimesOfFlow(runner.m_nKey);
      runner.Start(chara);
      runner.m_bAbort = 1;
      break;
    case FLOWOP_END:
      runner.Stop(chara);
      chara.RemoveAnimesOfFlow(runner.m_nKey);
      runner.m_bAbort = 1;
      break;
    case FLOWOP_PAUSE:
      runner.Pause();
      chara.PauseAnimesOfFlow(runner.m_nKey);
      runner.m_bAbort = 1;
      break;
    case FLOWOP_RESUME:
      runner.Resume();
      chara.ResumeAnimesOfFlow(runner.m_nKey);
      break;
    case FLOWOP_DELETE:
      chara.m_bDeleteRequest = 1;
      runner.m_bDeletePending = 1;
      runner.m_bAbort = 1;
      break;
    case FLOWOP_HALT:
      runner.Halt(chara);
      chara.RemoveAnimesOfFlow(runner.m_nKey);
      runner.m_bAbort = 1;
      break;
    default:
      break;
  }
}

}  // namespace

void CmdFlowControl(cChara& chara, COMMANDSTATE& state) {
  const cFlowCommand& cmd = *state.m_lpCommand;
  const int nOp = cmd.Param(0);
  const int nScope = cmd.Param(1);
  const int nId = cmd.Param(2);
  const cFlowRunner* lpCurrent = FlowContext().m_lpCurRunner;
  if (nScope != FLOWSCOPE_THIS && nScope != FLOWSCOPE_OTHERS && nScope != FLOWSCOPE_ID) return;
  for (size_t i = 0; i < chara.m_vRunners.size(); ++i) {
    cFlowRunner& runner = chara.m_vRunners[i];
    bool bInScope = false;
    if (nScope == FLOWSCOPE_THIS)
      bInScope = &runner == lpCurrent;
    else if (nScope == FLOWSCOPE_OTHERS)
      bInScope = &runner != lpCurrent;
    else
      bInScope = runner.m_lpFlow->m_cId != 0 && runner.m_lpFlow->m_cId == nId;
    if (bInScope) ApplyFlowOperation(chara, runner, nOp);
  }
}

int DoStageClear(cChara& chara, const cFlowCommand& cmd) {
  cFlowContext& ctx = FlowContext();
  switch (cmd.Param(0)) {
    case 0:
      ctx.m_nNextPart = g_PlayData.m_nStageNo + 1;
      break;
    case 1:
      ctx.m_nNextPart = cmd.Param(1);
      break;
    case 2:
      ctx.m_nNextPart = 0;
      break;
    default:
      break;
  }
  if (cmd.Param(2)) {
    // Kept on the map: a negative position is as far off as one past the end.
    g_PlayData.m_nMapX = std::clamp(cmd.Param(3), 0, std::max(g_WorldMap.m_nWidth - 1, 0));
    g_PlayData.m_nMapY = std::clamp(cmd.Param(4), 0, std::max(g_WorldMap.m_nHeight - 1, 0));
    g_PlayData.m_nEntrySlot = 0;
  }
  if (cmd.Param(5)) {
    g_PlayData.m_bStartOverride = 1;
    g_PlayData.m_nStartOverrideX = cmd.Param(6);
    g_PlayData.m_nStartOverrideY = cmd.Param(7);
    int nFacing = cmd.Param(8);
    if (nFacing == 2) {
      const cChara* lpHero = g_lpPlayScene ? g_lpPlayScene->Hero() : nullptr;
      nFacing = (lpHero ? lpHero : &chara)->m_nFacing;
    }
    g_PlayData.m_nStartOverrideDir = nFacing;
  } else {
    g_PlayData.m_bStartOverride = 0;
  }
  return 1;
}

void CmdStageClear(cChara& chara, COMMANDSTATE& state) {
  FlowContext().m_nEndRequest = DoStageClear(chara, *state.m_lpCommand);
}

// Types 1 (ウエイト) and every type whose behaviour is not built here only use
// their time.
const FLOWCOMMANDPROC g_apfnCommand[kCharaCommandCount] = {
    nullptr,              // 0
    nullptr,              // 1 ウエイト
    CmdLinearMove,        // 2
    CmdGroundTurnMove,    // 3
    CmdCircleMove,        // 4
    CmdChargeMove,        // 5
    CmdHomingMove,        // 6
    CmdStayOnScreenMove,  // 7
    CmdCancelMove,        // 8
    CmdTurn,              // 9
    CmdJump,              // 10
    nullptr,              // 11 ショット
    nullptr,              // 12 ソード
    nullptr,              // 13 ブロック召喚
    nullptr,              // 14 キャラ召喚
    nullptr,              // 15 アイテム召喚
    CmdFlowControl,       // 16
    CmdStageClear,        // 17
};

// ステージクリア (item type 2) runs the body of the flow command but leaves the
// end request alone: its result 1 ends the item's list, and the item
// handling passes it on.
const ITEMCOMMANDPROC g_apfnItemCommand[kItemCommandCount] = {
    nullptr,       // 0
    nullptr,       // 1 フローの変更
    DoStageClear,  // 2 ステージクリア
};

const FLOWSETUPPROC g_apfnCommandSetup[kCharaCommandCount] = {
    nullptr,            // 0
    nullptr,            // 1
    PrepareLinearMove,  // 2
    PrepareMoveTiming,  // 3
    PrepareCircleMove,  // 4
    PrepareChargeMove,  // 5
    PrepareHomingMove,  // 6
    PrepareMoveTiming,  // 7
    nullptr,            // 8
    nullptr,            // 9
    PrepareJump,        // 10
};
