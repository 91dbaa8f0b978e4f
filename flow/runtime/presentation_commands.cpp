// The commands that change how a character or the stage looks and sounds:
// グラフィックの変更, 基本アニメセットの変更, アニメの実行, 背景の変更,
// 効果音の再生 and BGMの再生. Each body acts in full whenever it is called: a
// flow command of use time t acts in each of its sub-steps, an item command
// once.

#include "app/core/game_requests.h"
#include "flow/flow.h"
#include "flow/runtime/flow_commands.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_runner.h"
#include "flow/runtime/flow_units.h"
#include "objects/chara.h"
#include "play/play_scene.h"
#include "stagedata/stage_globals.h"

namespace {

// 背景の変更, parameter 1.
enum : int {
  BGVIEW_SHOW = 0,
  BGVIEW_HIDE = 1,
  BGVIEW_TOGGLE = 2,
};

}  // namespace

void DoChangeGraphic(cChara& chara, const cFlowCommand& cmd) {
  cEdChara& def = chara.m_Def;
  StoreSaturated(def.m_nGraphicKind, cmd.Param(0));
  StoreSaturated(def.m_nGraphic, cmd.Param(1));
  StoreSaturated(def.m_nGraphicRow, cmd.Param(2));
  chara.m_nGraphicKind = def.m_nGraphicKind;
  chara.m_nGraphic = def.m_nGraphic;
}

void CmdChangeGraphic(cChara& chara, COMMANDSTATE& state) {
  DoChangeGraphic(chara, *state.m_lpCommand);
}

void DoChangeAnimeSet(cChara& chara, const cFlowCommand& cmd) {
  int16_t sSet = 0;
  StoreSaturated(sSet, cmd.Param(0));
  chara.SetAnimeSet(sSet, 0);
}

void CmdChangeAnimeSet(cChara& chara, COMMANDSTATE& state) {
  DoChangeAnimeSet(chara, *state.m_lpCommand);
}

void DoRunAnime(cChara& chara, const cFlowCommand& cmd, int nKey) {
  int16_t sAnime = 0;
  StoreSaturated(sAnime, cmd.Param(0));
  chara.StartFlowAnime(sAnime, nKey);
}

void CmdRunAnime(cChara& chara, COMMANDSTATE& state) {
  const cFlowRunner* lpRunner = FlowContext().m_lpCurRunner;
  DoRunAnime(chara, *state.m_lpCommand, lpRunner != nullptr ? lpRunner->m_nKey : kNoRunnerKey);
}

void DoChangeBackground(cChara& chara, const cFlowCommand& cmd) {
  (void)chara;
  // Layers are counted from 1; 0 and numbers past the stage's layers name
  // none.
  const int nLayer = cmd.Param(0);
  if (nLayer < 1 || static_cast<size_t>(nLayer) > g_Stage.m_vBgLayer.size()) return;
  int32_t& bVisible = g_Stage.m_vBgLayer[static_cast<size_t>(nLayer - 1)].m_bVisible;
  switch (cmd.Param(1)) {
    case BGVIEW_SHOW:
      bVisible = 1;
      break;
    case BGVIEW_HIDE:
      bVisible = 0;
      break;
    case BGVIEW_TOGGLE:
      bVisible = bVisible ? 0 : 1;
      break;
    default:
      break;
  }
}

void CmdChangeBackground(cChara& chara, COMMANDSTATE& state) {
  DoChangeBackground(chara, *state.m_lpCommand);
}

void DoPlaySound(cChara& chara, const cFlowCommand& cmd) {
  if (IsCommandHeard(chara, cmd)) PlayDatabaseSE(cmd.Param(0));
}

void CmdPlaySound(cChara& chara, COMMANDSTATE& state) { DoPlaySound(chara, *state.m_lpCommand); }

void DoPlayBgm(cChara& chara, const cFlowCommand& cmd) {
  (void)chara;
  if (g_lpPlayScene != nullptr) g_lpPlayScene->RequestStageBgm(cmd.Param(0), cmd.Param(1));
}

void CmdPlayBgm(cChara& chara, COMMANDSTATE& state) { DoPlayBgm(chara, *state.m_lpCommand); }
