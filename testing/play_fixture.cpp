#include "testing/play_fixture.h"

#include "flow/runtime/flow_context.h"
#include "testing/stage_guard.h"

cPlayFixture::cPlayFixture(const PLAYFIXTUREOPTIONS& options) {
  ResetStageTestGlobals();
  g_Stage.m_nWidth = options.nWidth;
  g_Stage.m_nHeight = options.nHeight;
  if (options.dGravity) g_Stage.m_dGravity = *options.dGravity;
  g_Stage.SetCollisionLevel(options.nLevel);
  m_lpScene = std::make_unique<cPlayScene>();
  m_lpPrevScene = g_lpPlayScene;
  g_lpPlayScene = m_lpScene.get();
  SetupScrollAxes(g_Stage, m_lpScene->m_ScrollX, m_lpScene->m_ScrollY);
  m_lpScene->m_ScrollX.m_dPos = m_lpScene->m_ScrollX.m_nScrollMin;
  m_lpScene->m_ScrollY.m_dPos = m_lpScene->m_ScrollY.m_nScrollMin;
  BuildMapCells(g_Stage);
  m_lpScene->NewCharaId();  // 0, the hero's, whether or not a test adds it
}

cPlayFixture::~cPlayFixture() {
  m_lpScene.reset();
  g_lpPlayScene = m_lpPrevScene;
  ResetStageTestGlobals();
}

int cPlayFixture::CellIndex(int tx, int ty) const {
  return MapCellIndex(tx + kMapBorderCells, ty + kMapBorderCells,
                      m_lpScene->m_ScrollX.m_nPitchShift);
}

cMapCell& cPlayFixture::PutBlock(int tx, int ty, int8_t nHitKind) {
  cMapCell& cell = g_MapCells.At(CellIndex(tx, ty));
  cell = cEdBlock();
  cell.m_nGraphic = 1;
  cell.m_nHitKind = nHitKind;
  return cell;
}

void cPlayFixture::PutRow(int tx1, int tx2, int ty, int8_t nHitKind) {
  for (int tx = tx1; tx <= tx2; ++tx) PutBlock(tx, ty, nHitKind);
}

void cPlayFixture::SetupChara(cChara& chara, int nId, double x, double y, int w, int h, int nKind,
                              int nFaction, int nMoveMode) {
  chara.m_Def.m_nKind = static_cast<int8_t>(nKind);
  chara.m_Def.m_nFaction = static_cast<int8_t>(nFaction);
  chara.m_Def.m_nFly = static_cast<int8_t>(nMoveMode);
  chara.Reset(nullptr, x, y, 0);
  chara.Setup(nId, nKind, 0, nFaction, 0, nullptr, 0, 0, 0, w, h, 32, 32, 0, nMoveMode, 0);
  chara.m_dX = x;
  chara.m_dY = y;
  chara.ClampX(2);
  chara.ClampY(2);
}

cPlayer& cPlayFixture::AddHero(double x, double y, int w, int h) {
  cPlayScene& scene = *m_lpScene;
  scene.Player.resize(1);
  scene.m_nPlayers = 1;
  cPlayer& hero = scene.Player.front();
  SetupChara(hero, 0, x, y, w, h, OBJKIND_PLAYER, 0, MOVEMODE_WALK);
  hero.m_bJumpReady = 1;
  return hero;
}

int cTestFlowChara::RunFlows(int bDeathPass) {
  FlowContext().m_bCodeKill = 0;
  if (StepCharaFlows(*this, bDeathPass)) return 1;
  EndFlowStep(*this);
  return m_nHp <= 0 ? 1 : 0;
}

int cPlayFixture::SubStep(cChara& chara) {
  cPlayScene& scene = *m_lpScene;
  chara.ClearLRUD();
  chara.SavePosition();
  chara.StepX();
  if (scene.TestBlocksX(chara) == 2) return 2;
  chara.ApplyGravity();
  chara.StepY();
  return scene.TestBlocksY(chara);
}
