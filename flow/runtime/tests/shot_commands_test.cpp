// ショット, ソード and the summons as flow commands: the repeat clock of the
// shot, the one swing of a sword that follows its wielder, and what the
// character and block summons make.
//
// At N = 1 a tenth of a second is 6 sub-steps. The fixture's view stands at
// (320, 320); the character at (400, 400) has a 32 x 32 sprite (box offset
// 0), faces left and runs its flows from sub-step 1.

#include <gtest/gtest.h>

#include <vector>

#include "flow/runtime/tests/flow_test_kit.h"
#include "objects/fire_pattern.h"
#include "objects/shot.h"
#include "play/play_scene.h"
#include "records/database.h"
#include "stagedata/common_palette.h"
#include "stagedata/stage_globals.h"

namespace {

cFlowCommand ShotCommand(int nType, int nUseTime) {
  cFlowCommand cmd = MakeCommand(nType, nUseTime);
  CreateShot(cmd.m_pShot);
  cmd.m_pShot->m_nCount = 1;
  cmd.m_pShot->m_nSpeed = 30;
  return cmd;
}

// Runs the character's only flow for n sub-steps, the shots after it as
// the play frame does; the number of shots fired so far after each.
std::vector<int> RunSubSteps(cFlowFixture& fixture, cChara& chara, int n) {
  cPlayScene& scene = fixture.Scene();
  cFlowRunner& runner = chara.m_vRunners.At(0);
  runner.Start(chara);
  std::vector<int> fired;
  for (int i = 1; i <= n; ++i) {
    runner.Step(chara);
    scene.StepShots(i == 1 ? 1 : 2);
    fired.push_back(scene.NextShotId());
  }
  return fired;
}

// ショット acts in its first sub-step and every tenth of a second after while
// it has time: use time 3 fires three times, use time 0 once.
TEST(ShotCommandTest, AShotCommandFiresOnceATenthWhileItHasTime) {
  struct CASE {
    int nUseTime;
    std::vector<int> firedAt;  // sub-steps in which a shot was fired
  } cases[] = {{3, {1, 7, 13}}, {0, {1}}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nUseTime);
    cFlowFixture fixture;
    cTestChara& chara = AddFlowChara(fixture);
    InstallFlows(chara, {MakeFlow(19, {ShotCommand(CMD_SHOT, c.nUseTime)})});
    const std::vector<int> fired = RunSubSteps(fixture, chara, 24);
    std::vector<int> firedAt;
    for (size_t i = 0; i < fired.size(); ++i)
      if (fired[i] != (i == 0 ? 0 : fired[i - 1])) firedAt.push_back(static_cast<int>(i) + 1);
    EXPECT_EQ(firedAt, c.firedAt);
  }
}

// ソード swings once however long it lasts: the sword stands in front of
// its wielder, centred on it, and goes with its last frame, or in the
// sub-step after its wielder died.
TEST(ShotCommandTest, ASwordSwingsOnceInFrontOfItsWielder) {
  for (const bool bDies : {false, true}) {
    SCOPED_TRACE(bDies);
    cFlowFixture fixture;
    g_Database.m_SwordType.resize(1);
    cSwordFrame& frame = g_Database.m_SwordType[0].m_Frames.At(0);
    frame.m_nWidth = 24;
    frame.m_nHeight = 8;
    frame.m_nDuration = 1;  // 6 sub-steps
    cTestChara& chara = AddFlowChara(fixture);
    cFlowCommand sword = ShotCommand(CMD_SWORD, 30);
    sword.m_pShot->m_nMoveType = 0;  // SwordType row 0
    InstallFlows(chara, {MakeFlow(19, {sword})});
    cPlayScene& scene = fixture.Scene();
    RunSubSteps(fixture, chara, 1);
    ASSERT_EQ(scene.ShotList().size(), 1u);
    const cShot& shot = scene.ShotList().front();
    EXPECT_EQ(shot.m_bIsShot, 0);
    EXPECT_EQ(shot.m_dX, 400.0 - 24);      // facing left: left of the sprite
    EXPECT_EQ(shot.m_dY, 400.0 + 16 - 4);  // centred on it
    if (bDies) {
      chara.m_bDead = 1;
      scene.StepShots(2);
      EXPECT_TRUE(scene.ShotList().empty());
      continue;
    }
    cFlowRunner& runner = chara.m_vRunners.At(0);
    int nSteps = 1;
    while (!scene.ShotList().empty() && nSteps < 100) {
      runner.Step(chara);
      scene.StepShots(2);
      ++nSteps;
    }
    EXPECT_EQ(nSteps, 7);  // one frame of a tenth
    for (int i = 0; i < 50; ++i) runner.Step(chara);
    EXPECT_EQ(scene.NextShotId(), 1);
  }
}

// キャラ召喚 summons computer-kind definitions only; with the reverse-facing
// switch the new character faces away from the summoner's facing.
TEST(ShotCommandTest, ACharacterSummonMakesComputerCharactersFacingAsAsked) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cPlayScene& scene = fixture.Scene();
  g_Stage.m_vChara.resize(2);
  g_Stage.m_vChara[0].m_nKind = OBJKIND_PLAYER;
  g_Stage.m_vChara[1].m_nKind = OBJKIND_COM;
  g_Stage.m_vChara[1].m_nMaxHp = 1;
  cEdShotPtr settings;
  CreateShot(settings);
  settings->m_nCount = 1;
  settings->m_nSummonPalette = 1;
  settings->m_bReverseDir = 1;
  const size_t nBefore = scene.CharaList().size();
  SummonCharas(chara, *settings);
  EXPECT_EQ(scene.CharaList().size(), nBefore);
  settings->m_nSummonNo = 1;
  SummonCharas(chara, *settings);
  ASSERT_EQ(scene.CharaList().size(), nBefore + 1);
  EXPECT_EQ(scene.CharaList().back()->m_nFacing, 1);
  settings->m_nSummonNo = 2;  // past the palette
  SummonCharas(chara, *settings);
  EXPECT_EQ(scene.CharaList().size(), nBefore + 1);
}

// アイテム召喚 puts an item of the palette's definition ahead of the summoner;
// with the lifetime switch it lives that many tenths.
TEST(ShotCommandTest, AnItemSummonPutsAnItemThatLivesItsTime) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cPlayScene& scene = fixture.Scene();
  g_CommonPalette.m_vItem.resize(2);
  g_CommonPalette.m_vItem[1].m_nGraphic = 1;
  cEdShotPtr settings;
  CreateShot(settings);
  settings->m_nCount = 1;
  settings->m_nSummonNo = 1;
  settings->m_bLife = 1;
  settings->m_nLife = 10;
  const size_t nBefore = scene.ItemList().size();
  SummonItems(chara, *settings);
  ASSERT_EQ(scene.ItemList().size(), nBefore + 1);
  const cItem& item = scene.ItemList().back();
  EXPECT_LT(item.m_dRight, chara.m_dX);  // ahead of a summoner facing left
  EXPECT_EQ(item.m_nLifetime, 10 * 6);
}

// ブロック召喚 in toggle mode whose two blocks fall on one cell toggles it
// once a run; the next run toggles it back.
TEST(ShotCommandTest, ABlockToggleChangesACellOnceARun) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  g_CommonPalette.m_vBlock.At(0).m_nHitKind = BLOCKHIT_NONE;
  g_Stage.m_vBlock.resize(1);
  g_Stage.m_vBlock[0].m_nGraphic = 9;
  cEdShotPtr settings;
  CreateShot(settings);
  settings->m_nCount = 2;
  settings->m_anPatternParam[0] = -2;  // -32 pixels apart: both on one cell
  settings->m_nSummonPalette = 1;
  settings->m_nBlockOp = 2;
  chara.UpdateScreenRect();
  // Both blocks at (369, 400), left of the sprite and level with it: their
  // centre (385, 416) lies in world cell (12, 13), map cell (2, 3).
  const int nCell = fixture.CellIndex(2, 3);
  SummonBlocks(chara, *settings);
  EXPECT_EQ(g_MapCells.At(nCell).m_nGraphic, 9);
  SummonBlocks(chara, *settings);
  EXPECT_EQ(g_MapCells.At(nCell).m_nGraphic, 0);
}

}  // namespace
