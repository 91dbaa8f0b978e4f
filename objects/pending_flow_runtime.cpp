// Stand-ins for functions of the flow runtime that the objects and the block
// collision call, so that the game library links before the runtime has
// them. Each goes when the runtime defines its own; none is meant to stay.

#include "flow/runtime/flow_runner.h"
#include "objects/chara.h"
#include "play/play_scene.h"

// Nothing runs yet: a raised trigger starts no flow.
void cChara::RaiseTrigger(int nKey) { (void)nKey; }

// Appearance conditions of blocks hold until conditions are evaluated.
bool cPlayScene::CheckBlockConditions(cMapCell& cell) {
  (void)cell;
  return true;
}

void cFlowRunner::Build(cChara& chara, cFlow& flow, int nSlot, int nFacing) {
  (void)chara, (void)nFacing;
  Bind(flow, nSlot);
}

void cFlowRunner::Bind(cFlow& flow, int nSlot) {
  m_nSlot = nSlot;
  m_lpFlow = &flow;
}

void cFlowRunner::Stop(cChara& chara) {
  (void)chara;
  m_bRunning = 0;
}
