// ゲームウエイト and メッセージ: the commands that stop the game for a time or
// until the decide key, with a message of the play scene shown meanwhile.
// The command finds its message again by its serial number once the wait
// is over: frames drawn during the wait may have removed others.

#include <algorithm>
#include <cstdint>
#include <string>

#include "app/core/game_requests.h"
#include "app/core/shell_state.h"
#include "flow/flow.h"
#include "flow/runtime/flow_commands.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_runner.h"
#include "objects/chara.h"
#include "objects/message.h"
#include "play/play_scene.h"
#include "records/anime_db.h"

namespace {

// Parameters of メッセージ.
enum : int {
  MSGPARAM_POSITION = 0,
  MSGPARAM_CELL_X = 1,
  MSGPARAM_CELL_Y = 2,
  MSGPARAM_DOT_X = 3,
  MSGPARAM_DOT_Y = 4,
  MSGPARAM_KEEP_ON_SCREEN = 5,
  MSGPARAM_DISPLAY = 6,
  MSGPARAM_TIME = 7,  // tenths
  MSGPARAM_STOP_GAME = 8,
  MSGPARAM_SUBSTITUTE = 9,
  MSGPARAM_FIX_ON_SCREEN = 10,
  MSGPARAM_REFRESH = 11,
  MSGPARAM_HAS_ID = 12,
  MSGPARAM_ID = 13,
  MSGPARAM_WINDOW_FRAME = 14,
  MSGPARAM_CLOSE = 15,
  MSGPARAM_REFRESH_INTERVAL = 16,
};

constexpr int kSoundMessageOpens = 11;

// The object id the message's position follows: the hero for positions 4
// to 6, the character for 1 to 3, none otherwise.
int AnchorId(const cPlayScene& scene, const cChara& chara, int nPosition) {
  if (nPosition >= MSGPOS_ABOVE_HERO && nPosition <= MSGPOS_CENTRE_HERO) {
    const cChara* lpHero = scene.Player.empty() ? nullptr : &scene.Player.front();
    return lpHero != nullptr ? lpHero->m_nId : chara.m_nId;
  }
  if (nPosition >= MSGPOS_ABOVE_SELF && nPosition <= MSGPOS_CENTRE_SELF) return chara.m_nId;
  return 0;
}

}  // namespace

void DoGameWait(cChara&, const cFlowCommand& cmd) {
  if (g_lpPlayScene == nullptr || IsPlayQuitRequested()) return;
  cPlayScene& scene = *g_lpPlayScene;
  const int32_t nFrames = TenthsToFrames(cmd.Param(0));
  const MESSAGESETUP timer{.nKind = MSGKIND_TIMER,
                           .nDisplayMode = MSGDISPLAY_TIME,
                           .nCountdown = nFrames,
                           .bStopsGame = 1};
  const uint32_t nSerial = scene.AddMessage(timer).m_nSerial;
  scene.m_WaitRequest.Set(WAITKIND_TIMED, 0, nFrames, 0);
  scene.RunWaitRequest();
  scene.RemoveMessage(nSerial);
}

void CmdGameWait(cChara& chara, COMMANDSTATE& state) { DoGameWait(chara, *state.m_lpCommand); }

void DoMessage(cChara& chara, const cFlowCommand& cmd, int bChained) {
  if (g_lpPlayScene == nullptr || IsPlayQuitRequested()) return;
  cPlayScene& scene = *g_lpPlayScene;
  const int nPosition = cmd.Param(MSGPARAM_POSITION);
  const MESSAGESETUP setup{.nKind = MSGKIND_TEXT,
                           .strText = cmd.m_strText,
                           .nPosition = nPosition,
                           .nCellX = cmd.Param(MSGPARAM_CELL_X),
                           .nCellY = cmd.Param(MSGPARAM_CELL_Y),
                           .nOffsetX = cmd.Param(MSGPARAM_DOT_X),
                           .nOffsetY = cmd.Param(MSGPARAM_DOT_Y),
                           .bKeepOnScreen = cmd.Param(MSGPARAM_KEEP_ON_SCREEN),
                           .bFixOnScreen = cmd.Param(MSGPARAM_FIX_ON_SCREEN),
                           .nDisplayMode = cmd.Param(MSGPARAM_DISPLAY),
                           .nCountdown = TenthsToFrames(cmd.Param(MSGPARAM_TIME)),
                           .bStopsGame = cmd.Param(MSGPARAM_STOP_GAME) != 0 ? 1 : 0,
                           .nAnchorId = AnchorId(scene, chara, nPosition),
                           .bChained = bChained,
                           .bSubstitute = cmd.Param(MSGPARAM_SUBSTITUTE),
                           .bRefresh = cmd.Param(MSGPARAM_REFRESH),
                           .nRefreshInterval = cmd.Param(MSGPARAM_REFRESH_INTERVAL),
                           .bWindowFrame = cmd.Param(MSGPARAM_WINDOW_FRAME),
                           .bHasId = cmd.Param(MSGPARAM_HAS_ID),
                           .nId = cmd.Param(MSGPARAM_ID)};
  const bool bClose = cmd.Param(MSGPARAM_CLOSE) != 0;

  // A window of the same ID is closed, or shows the new text: in itself when
  // the text has its size, else a new window takes its place.
  std::list<cMessage>::iterator where = scene.m_MessageList.end();
  cMessage* lpReused = nullptr;
  if (setup.bHasId) {
    const auto it = std::ranges::find_if(scene.m_MessageList, [&](const cMessage& m) {
      return !m.m_bEnded && m.m_bHasId && m.m_nId == setup.nId;
    });
    if (it != scene.m_MessageList.end()) {
      if (bClose) {
        scene.m_MessageList.erase(it);
        return;
      }
      std::string strText = setup.strText;
      if (setup.bSubstitute) SubstituteVariables(strText);
      int w, h;
      MeasureText(w, h, strText);
      if (it->m_nKind == MSGKIND_TEXT && it->HasSurface() && w == it->m_nWidth &&
          h == it->m_nHeight)
        lpReused = &*it;
      else
        where = scene.m_MessageList.erase(it);
    } else if (bClose) {
      return;
    }
  } else if (bClose) {
    return;
  }

  cMessage* lpMessage = lpReused;
  if (lpReused != nullptr)
    lpReused->Reinit(setup);
  else
    lpMessage = &scene.AddMessage(setup, where);
  if (!setup.bStopsGame) return;

  // A window shown until the stage ends would hold the game for good: while
  // it stops the game it waits for the key as a key-wait window does.
  if (setup.nDisplayMode == MSGDISPLAY_TIME) {
    scene.m_WaitRequest.Set(WAITKIND_MESSAGE, 0, setup.nCountdown, 0);
  } else {
    scene.m_WaitRequest.Set(WAITKIND_MESSAGE, 1, 0, bChained);
    if (!bChained) PlaySE(kSoundMessageOpens);
  }
  const uint32_t nSerial = lpMessage->m_nSerial;
  scene.RunWaitRequest();
  scene.RemoveMessage(nSerial);
}

void CmdMessage(cChara& chara, COMMANDSTATE& state) {
  const cFlowRunner* lpRunner = FlowContext().m_lpCurRunner;
  DoMessage(chara, *state.m_lpCommand, lpRunner != nullptr ? lpRunner->m_bMessageChain : 0);
}

int DoItemMessage(cChara& hero, const cFlowCommand& cmd) {
  cFlowContext& ctx = FlowContext();
  DoMessage(hero, cmd, ctx.m_bItemMessageChain);
  ctx.m_bItemMessageChain = 1;
  return 0;
}
