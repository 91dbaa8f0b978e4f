// The commands that put objects into the stage: ショット (11), ソード (12) and
// the block, character and item summons (13 to 15). Their settings are the
// command's cEdShot; the placement is the fire patterns'
// (objects/fire_pattern.h).

#include "app/core/game_requests.h"
#include "flow/flow.h"
#include "flow/runtime/flow_commands.h"
#include "flow/runtime/flow_runner.h"
#include "objects/chara.h"
#include "objects/fire_pattern.h"
#include "objects/shot.h"
#include "objects/world.h"
#include "stagedata/stage_globals.h"

namespace {

// The repeat clock of ショット and the summons: the command acts in its first
// sub-step and again every tenth of a second (6 x N sub-steps) while it has
// time.
bool RepeatClockActs(COMMANDSTATE& state) {
  const bool bAct = state.m_nCount == 0;
  if (++state.m_nCount >= 6 * g_Stage.m_nSubStep) state.m_nCount = 0;
  return bAct;
}

// The command's settings when it acts now (its sound played), else null.
const cEdShot* Acting(cChara& chara, COMMANDSTATE& state) {
  const cFlowCommand& cmd = *state.m_lpCommand;
  if (!RepeatClockActs(state) || !cmd.m_pShot) return nullptr;
  if (IsCommandHeard(chara, cmd)) PlayDatabaseSE(cmd.m_sSound);
  return cmd.m_pShot.get();
}

}  // namespace

void CmdShot(cChara& chara, COMMANDSTATE& state) {
  if (const cEdShot* lpSettings = Acting(chara, state)) FireShots(chara, *lpSettings);
}

void CmdSword(cChara& chara, COMMANDSTATE& state) {
  // Once a run of the command, however long it lasts.
  if (state.m_nCount != 0) return;
  state.m_nCount = 1;
  const cFlowCommand& cmd = *state.m_lpCommand;
  if (!cmd.m_pShot) return;
  if (IsCommandHeard(chara, cmd)) PlayDatabaseSE(cmd.m_sSound);
  cPlayScene& scene = PlayScene();
  cShot sword;
  sword.Init(scene.NextShotId(), chara, kSwordCommand, *cmd.m_pShot, SHOTSPAWN{});
  if (cShot* lpSword = scene.AddShot(sword)) lpSword->m_nTargetId = -1;
}

void CmdSummonBlock(cChara& chara, COMMANDSTATE& state) {
  if (const cEdShot* lpSettings = Acting(chara, state)) SummonBlocks(chara, *lpSettings);
}

void CmdSummonChara(cChara& chara, COMMANDSTATE& state) {
  if (const cEdShot* lpSettings = Acting(chara, state)) SummonCharas(chara, *lpSettings);
}

void CmdSummonItem(cChara& chara, COMMANDSTATE& state) {
  if (const cEdShot* lpSettings = Acting(chara, state)) SummonItems(chara, *lpSettings);
}
