#pragma once
// Flows built in code for the tests of the flow runtime, and a running stage
// to run them in: the play fixture (stage, map, play scene) with the input
// records and the play data put back around each test.

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/base/close_request.h"
#include "app/core/main_thread.h"
#include "flow/command_table.h"
#include "flow/flow.h"
#include "flow/runtime/flow_commands.h"
#include "flow/runtime/flow_runner.h"
#include "objects/chara.h"
#include "platform/input/input_state.h"
#include "stagedata/progress/play_data.h"
#include "testing/input_guard.h"
#include "testing/play_fixture.h"

// A command of the character set: type, use time in tenths, parallel flag
// and its first parameters (the rest 0).
inline cFlowCommand MakeCommand(int nType, int nUseTime, bool bParallel = false,
                                std::initializer_list<int32_t> params = {}) {
  cFlowCommand cmd;
  cmd.m_cSet = COMMANDSET_CHARA;
  cmd.m_cType = static_cast<int8_t>(nType);
  cmd.NormalizeParams();
  int i = 0;
  for (int32_t p : params) {
    if (static_cast<size_t>(i) >= cmd.m_Params.size()) cmd.m_Params.push_back(0);
    cmd.m_Params[static_cast<size_t>(i++)] = p;
  }
  cmd.m_sUseTime = static_cast<int16_t>(nUseTime);
  cmd.m_bParallel = bParallel ? 1 : 0;
  return cmd;
}

// A command of the item set: type and its first parameters (the rest 0).
inline cFlowCommand MakeItemCommand(int nType, std::initializer_list<int32_t> params = {}) {
  cFlowCommand cmd;
  cmd.m_cSet = COMMANDSET_ITEM;
  cmd.m_cType = static_cast<int8_t>(nType);
  cmd.NormalizeParams();
  int i = 0;
  for (int32_t p : params) cmd.m_Params.At(i++) = p;
  return cmd;
}

// A movement command with default settings changed by `edit`.
inline cFlowCommand MakeMove(int nType, int nUseTime, bool bParallel,
                             const std::function<void(cEdMove&)>& edit) {
  cFlowCommand cmd = MakeCommand(nType, nUseTime, bParallel);
  CreateMove(cmd.m_pMove);
  edit(*cmd.m_pMove);
  return cmd;
}

inline cFlow MakeFlow(int nTrigger, std::vector<cFlowCommand> commands) {
  cFlow flow;
  flow.m_cTrigger = static_cast<int8_t>(nTrigger);
  for (cFlowCommand& cmd : commands) flow.m_Commands.push_back(std::move(cmd));
  return flow;
}

// A key condition: the held states by list ("R" right only, "L", "U", "D",
// "N" no direction, "A" any direction, "1".."8" buttons) as 押 (pressed)
// unless prefixed by '-' (離, released).
inline cKeyCondition MakeKey(std::initializer_list<const char*> states, int nMin = 1,
                             int nMax = 1000, int nMode = 0) {
  cKeyCondition k;
  for (const char* psz : states) {
    const bool bReleased = psz[0] == '-';
    const std::string s = bReleased ? psz + 1 : psz;
    int nList = 0;
    if (s == "N") nList = 0;
    if (s == "L") nList = 1;
    if (s == "R") nList = 2;
    if (s == "U") nList = 3;
    if (s == "D") nList = 4;
    if (s == "A") nList = 9;
    if (s[0] >= '1' && s[0] <= '8') nList = kDirEventLists + (s[0] - '0');
    k.m_KeyStates[static_cast<size_t>(nList)] = bReleased ? 2 : 1;
  }
  k.m_sMinHold = static_cast<int16_t>(nMin);
  k.m_sMaxHold = static_cast<int16_t>(nMax);
  k.m_cMode = static_cast<int8_t>(nMode);
  return k;
}

// Installs the flows on the character (its own list, rebuilt runners).
inline void InstallFlows(cChara& chara, std::vector<cFlow> flows, int nFacing = 0) {
  chara.m_Def.m_vFlow.clear();
  for (cFlow& f : flows) chara.m_Def.m_vFlow.push_back(std::move(f));
  chara.SetFlows(chara.m_Def.m_vFlow, nFacing, 0, 0);
}

// Player 1's input for one frame: held keys as in MakeKey ("LU1" = left,
// up and button 1), then the frame's event lists.
inline void PushInputFrame(const std::string& strHeld) {
  cInputState& input = g_InputStates.At(0);
  input.m_wDir = 0;
  input.m_wButtons = 0;
  for (char c : strHeld) {
    if (c == 'L') input.m_wDir |= kDirLeft;
    if (c == 'R') input.m_wDir |= kDirRight;
    if (c == 'U') input.m_wDir |= kDirUp;
    if (c == 'D') input.m_wDir |= kDirDown;
    if (c >= '1' && c <= '8') input.m_wButtons |= static_cast<uint16_t>(1u << (c - '1'));
  }
  input.UpdateKeyEvents();
}

// A computer character of the fixture with hit points, so that its flow step
// does not report it dead.
inline cTestChara& AddFlowChara(cPlayFixture& fixture, double x = 400, double y = 400,
                                int nFaction = 1) {
  cTestChara& chara = fixture.AddChara(x, y, 16, 24, nFaction);
  chara.m_Def.m_nMaxHp = 100;
  chara.m_nHp = 100;
  return chara;
}

// Sub-steps counted from 1, the sub-step of Start's first Step.
struct SPAN {
  int nFirst = 0;  // first sub-step the command ran in, 0 = never
  int nLast = 0;
  bool operator==(const SPAN&) const = default;
};

struct TIMELINE {
  std::vector<SPAN> spans;
  int nFinish = 0;  // sub-step in which Step reported the flow finished
};

// Starts the runner and steps it until its flow finishes (at most nMax
// sub-steps), noting in which sub-steps each command ran: a run changes the
// command's countdown or makes it done.
inline TIMELINE RunTimeline(cChara& chara, cFlowRunner& runner, int nMax = 400) {
  TIMELINE t;
  t.spans.resize(runner.m_States.size());
  runner.Start(chara);
  for (int nStep = 1; nStep <= nMax; ++nStep) {
    std::vector<COMMANDSTATE> before = runner.m_States;
    const int r = runner.Step(chara);
    for (size_t j = 0; j < before.size(); ++j) {
      const COMMANDSTATE& now = runner.m_States[j];
      if (now.m_nCountdown == before[j].m_nCountdown && now.m_bDone == before[j].m_bDone) continue;
      if (!t.spans[j].nFirst) t.spans[j].nFirst = nStep;
      t.spans[j].nLast = nStep;
    }
    if (r) {
      runner.Stop(chara);
      t.nFinish = nStep;
      break;
    }
  }
  return t;
}

// The requests sent to the main thread while it lives (sounds and music
// play nowhere), as (message, wParam, lParam).
class cRequestLog {
 public:
  struct REQUEST {
    uint32_t nMsg;
    intptr_t w;
    intptr_t l;
    bool operator==(const REQUEST&) const = default;
  };
  cRequestLog() {
    SetRequestHandler([this](uint32_t nMsg, intptr_t w, intptr_t l) -> intptr_t {
      m_Requests.push_back({nMsg, w, l});
      return 0;
    });
  }
  ~cRequestLog() { SetRequestHandler(nullptr); }
  cRequestLog(const cRequestLog&) = delete;
  cRequestLog& operator=(const cRequestLog&) = delete;

  // The wParams of the requests of one message, in order.
  std::vector<intptr_t> Of(uint32_t nMsg) const {
    std::vector<intptr_t> v;
    for (const REQUEST& r : m_Requests)
      if (r.nMsg == nMsg) v.push_back(r.w);
    return v;
  }

  std::vector<REQUEST> m_Requests;
};

// A running stage for flow tests; the input records, the play data and the
// generator are put back as well.
class cFlowFixture : public cPlayFixture {
 public:
  explicit cFlowFixture(const PLAYFIXTUREOPTIONS& options = {}) : cPlayFixture(options) {
    g_PlayData.Reset();
    ResetCloseRequestCount();
  }
  ~cFlowFixture() { g_PlayData.Reset(); }

 private:
  cInputGlobalsGuard m_inputGuard;
};
