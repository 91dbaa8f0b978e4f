#include "flow/runtime/flow_commands.h"

#include <algorithm>
#include <cstdint>

#include "flow/flow.h"
#include "flow/runtime/effect_commands.h"
#include "flow/runtime/expression.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_runner.h"
#include "flow/runtime/move_commands.h"
#include "flow/runtime/status_operation.h"
#include "flow/runtime/status_values.h"
#include "objects/chara.h"
#include "objects/player.h"
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

// ステータスの操作2 object 2: the stage (0 and 1 are self and its target).
constexpr int kStatus2System = 2;

enum : int {
  STATUS2_VANISH = 0,
  STATUS2_TRANSPARENT = 1,
  STATUS2_FIXDIR = 2,
  STATUS2_FLY = 3,
  STATUS2_INVINCIBLE = 4,
  STATUS2_GIANT = 5,
  STATUS2_SCROLLSYNC = 6,
};

// A ステータスの操作2 value within the range of its setting (a byte of the
// definition; a giant factor beyond 10 would scale boxes past any stage).
int8_t Status2Value(int32_t v, int nMin, int nMax) {
  return static_cast<int8_t>(std::clamp<int32_t>(v, nMin, nMax));
}

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

namespace {

enum : int {
  CHANGEFLOWS_APPEND = 0,
  CHANGEFLOWS_REPLACE = 1,
  CHANGEFLOWS_DELETE = 2,
};

// Deletes the flows of the ID a フローの変更 names (0: every flow); the slot of
// the first one deleted, -1 when none was. A stored ID that no flow can have
// names none, rather than the ID its low byte would give (a wrapped 0 would
// delete every flow).
int DeleteNamedFlows(cChara& chara, int32_t nId) {
  if (nId < INT8_MIN || nId > INT8_MAX) return -1;
  return chara.DeleteFlowsById(static_cast<int8_t>(nId));
}

int ChangeFlowsItem(cChara& hero, const cFlowCommand& cmd) { return ChangeFlows(hero, cmd, 0); }

}  // namespace

int ChangeFlows(cChara& chara, const cFlowCommand& cmd, int bQueued) {
  cPlayer* lpHero = g_lpPlayScene != nullptr ? g_lpPlayScene->Hero() : nullptr;
  if (!bQueued && lpHero == &chara && FlowContext().IsWalking(chara)) {
    lpHero->m_vQueuedItemCmds.push_back(cmd);
    return 0;
  }
  const int nFacing = chara.m_Def.m_nDir;
  switch (cmd.Param(0)) {
    case CHANGEFLOWS_APPEND:
      chara.SetFlows(cmd.m_Flows, nFacing, 1, -1);
      break;
    case CHANGEFLOWS_REPLACE:
      chara.SetFlows(cmd.m_Flows, nFacing, 1, DeleteNamedFlows(chara, cmd.Param(1)));
      break;
    case CHANGEFLOWS_DELETE:
      DeleteNamedFlows(chara, cmd.Param(1));
      break;
    default:
      break;
  }
  return 0;
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

void CmdStatus(cChara& chara, COMMANDSTATE& state) {
  ApplyStatusOperation(chara, *state.m_lpCommand);
}

int DoStatus2(cChara& chara, const cFlowCommand& cmd) {
  const int nObject = cmd.Param(0);
  const int nItem = cmd.Param(1);
  const int32_t v = cmd.Param(2);
  if (nObject == kStatus2System) {
    if (nItem == 0) WriteSystemStatus(SYSSTATUS_SCROLLX, v);
    if (nItem == 1) WriteSystemStatus(SYSSTATUS_SCROLLY, v);
    return 0;
  }
  cChara* lpObject = ObjectOfSubject(&chara, nObject);
  if (!lpObject) return 0;
  cChara& object = *lpObject;
  cEdChara& def = object.m_Def;
  cPlayer* lpHero = dynamic_cast<cPlayer*>(lpObject);
  switch (nItem) {
    case STATUS2_VANISH:
      if (lpHero)
        lpHero->m_nHp = 0;
      else
        object.m_bVanish = 1;
      if (lpObject != &chara) FlowContext().m_bCodeKill = 1;
      break;
    case STATUS2_TRANSPARENT:
      def.m_bTransparent = Status2Value(v, 0, 1);
      break;
    case STATUS2_FIXDIR:
      def.m_bFixDir = Status2Value(v, 0, 1);
      break;
    case STATUS2_FLY:
      if (lpHero) lpHero->SetMoveMode(Status2Value(v, MOVEMODE_WALK, MOVEMODE_FLYFATAL), 1);
      break;
    case STATUS2_INVINCIBLE:
      def.m_nInvincible = Status2Value(v, 0, 2);
      break;
    case STATUS2_GIANT: {
      const int8_t nGiant = Status2Value(v, 1, 10);
      object.SetScale(nGiant, Status2Value(def.m_nGiant, 1, 10));
      def.m_nGiant = nGiant;
      if (lpHero) lpHero->BuildHitBoxDisplay();
      break;
    }
    case STATUS2_SCROLLSYNC:
      def.m_bScrollSync = Status2Value(v, 0, 1);
      object.m_bScrollSync = def.m_bScrollSync;
      break;
    default:
      break;
  }
  return 0;
}

void CmdStatus2(cChara& chara, COMMANDSTATE& state) { DoStatus2(chara, *state.m_lpCommand); }

bool IsCommandHeard(const cChara& chara, const cFlowCommand& cmd) {
  return !cmd.m_bSoundOnScreen || chara.IsOnScreen();
}

int DoRunCode(cChara& chara, const cFlowCommand& cmd) {
  ExecuteCode(cmd.m_strText, chara);
  return 0;
}

void CmdRunCode(cChara& chara, COMMANDSTATE& state) { DoRunCode(chara, *state.m_lpCommand); }

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
    CmdShot,              // 11
    CmdSword,             // 12
    CmdSummonBlock,       // 13
    CmdSummonChara,       // 14
    CmdSummonItem,        // 15
    CmdFlowControl,       // 16
    CmdStageClear,        // 17
    CmdGameWait,          // 18
    CmdMessage,           // 19
    CmdWarp,              // 20
    CmdSetTarget,         // 21
    CmdStatus,            // 22
    CmdStatus2,           // 23
    CmdGetItem,           // 24
    CmdChangeGraphic,     // 25
    CmdChangeAnimeSet,    // 26
    CmdRunAnime,          // 27
    CmdRunEffect,         // 28
    CmdCharaEffect,       // 29
    CmdScreenEffect,      // 30
    CmdShowPicture,       // 31
    CmdScreenColor,       // 32
    CmdChangeBackground,  // 33
    CmdPlaySound,         // 34
    CmdPlayBgm,           // 35
    CmdRunCode,           // 36
};

namespace {

// An item command runs the body of its flow command once; the list goes on
// whatever the body returns.
template <auto Body>
int RunOnce(cChara& hero, const cFlowCommand& cmd) {
  Body(hero, cmd);
  return 0;
}

int RunAnimeItem(cChara& hero, const cFlowCommand& cmd) {
  DoRunAnime(hero, cmd, kNoRunnerKey);
  return 0;
}

}  // namespace

// ステージクリア (item type 2) runs the body of the flow command but leaves the
// end request alone: its result 1 ends the item's list, and the item
// handling passes it on.
const ITEMCOMMANDPROC g_apfnItemCommand[kItemCommandCount] = {
    nullptr,                        // 0
    ChangeFlowsItem,                // 1
    DoStageClear,                   // 2
    RunOnce<DoGameWait>,            // 3
    DoItemMessage,                  // 4
    RunOnce<DoWarp>,                // 5
    RunOnce<DoSetTarget>,           // 6
    RunOnce<ApplyStatusOperation>,  // 7
    RunOnce<DoStatus2>,             // 8
    RunOnce<DoGetItem>,             // 9
    RunOnce<DoChangeGraphic>,       // 10
    RunOnce<DoChangeAnimeSet>,      // 11
    RunAnimeItem,                   // 12
    RunOnce<DoRunEffect>,           // 13
    RunOnce<DoCharaEffect>,         // 14
    RunOnce<DoScreenEffect>,        // 15
    RunOnce<DoShowPicture>,         // 16
    RunOnce<DoScreenColor>,         // 17
    RunOnce<DoChangeBackground>,    // 18
    RunOnce<DoPlaySound>,           // 19
    RunOnce<DoPlayBgm>,             // 20
    RunOnce<DoRunCode>,             // 21
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
