#include "stagedata/tests/stage_generator.h"

#include "flow/command_table.h"
#include "flow/flow.h"
#include "testing/test_random.h"

namespace {

cCondition MakeCondition(cTestRandom& gen) {
  cCondition c;
  c.m_cKind = static_cast<int8_t>(1 + gen.Below(7));
  c.m_nConst = gen.Below(1000) - 500;
  c.m_nRandLow = gen.Below(10);
  c.m_nRandHigh = 10 + gen.Below(10);
  c.m_cObject = static_cast<int8_t>(gen.Below(3));
  c.m_cStatus = static_cast<int8_t>(gen.Below(15));
  c.m_sVarIndex = static_cast<int16_t>(gen.Below(256));
  c.m_cRightKind = static_cast<int8_t>(gen.Below(4));
  c.m_sRightVarIndex = static_cast<int16_t>(gen.Below(255));
  c.m_cOp = static_cast<int8_t>(gen.Below(8));
  c.m_bPercent = static_cast<uint8_t>(gen.Below(2));
  c.m_cAxis = static_cast<int8_t>(gen.Below(7));
  return c;
}

cKeyCondition MakeKeyCondition(cTestRandom& gen) {
  cKeyCondition k;
  for (auto& state : k.m_KeyStates) state = static_cast<uint8_t>(gen.Below(3));
  k.m_bFacingRelative = static_cast<uint8_t>(gen.Below(2));
  k.m_sMinHold = static_cast<int16_t>(gen.Below(5));
  k.m_sMaxHold = static_cast<int16_t>(5 + gen.Below(20));
  k.m_cMode = static_cast<int8_t>(gen.Below(3));
  return k;
}

void FillMove(cEdMove& move, cTestRandom& gen) {
  move.m_nDirection = static_cast<uint8_t>(gen.Below(13));
  move.m_nAngle = static_cast<int16_t>(gen.Below(360));
  move.m_nCellX = static_cast<int16_t>(gen.Below(20) - 10);
  move.m_nDotY = static_cast<int16_t>(gen.Below(32));
  move.m_nSpeed = static_cast<int16_t>(1 + gen.Below(100));
  move.m_nDistance = static_cast<int16_t>(gen.Below(50));
  move.m_nDistanceUnit = static_cast<uint8_t>(gen.Below(2));
  move.m_bKeepDir = static_cast<uint8_t>(gen.Below(2));
  move.m_dBrake = 0.5 + gen.Below(10) / 8.0;
}

void FillShot(cEdShot& shot, cTestRandom& gen, int nType) {
  shot.m_nCount = static_cast<uint8_t>(1 + gen.Below(5));
  shot.m_nPattern = static_cast<uint8_t>(gen.Below(6));
  shot.m_anPatternParam[1] = static_cast<int16_t>(gen.Below(90));
  shot.m_nCentre = static_cast<uint8_t>(gen.Below(3));
  shot.m_nAngle = static_cast<int16_t>(gen.Below(360));
  shot.m_nOffsetX = static_cast<int16_t>(gen.Below(40) - 20);
  shot.m_nGraphic = static_cast<int16_t>(gen.Below(120));
  shot.m_nGiant = static_cast<int8_t>(1 + gen.Below(3));
  shot.m_nMoveType = static_cast<uint8_t>(nType == CMD_SWORD ? gen.Below(2) : gen.Below(10));
  shot.m_anMoveParam[2] = static_cast<int16_t>(gen.Below(30));
  shot.m_nSpeed = static_cast<int16_t>(10 + gen.Below(90));
  shot.m_bAccel = 1;
  shot.m_nAccel = static_cast<int16_t>(gen.Below(5));
  shot.m_nPower = gen.Below(100);
  shot.m_nHitEffect = static_cast<int16_t>(gen.Below(4));
  shot.m_nItemSrc = static_cast<uint8_t>(gen.Below(3));
  shot.m_nItemNo = static_cast<int16_t>(gen.Below(2));
  shot.m_nBlockOp = static_cast<uint8_t>(gen.Below(3));
  shot.m_bSpareChara = static_cast<uint8_t>(gen.Below(2));
  shot.m_nSummonPalette = static_cast<uint8_t>(gen.Below(2));
  shot.m_nSummonNo = 1;
  shot.m_bPierceBlockChara = static_cast<uint8_t>(gen.Below(2));
}

cFlowCommand MakeCommand(cTestRandom& gen, int nSet, int nType) {
  cFlowCommand command;
  command.m_cSet = static_cast<int8_t>(nSet);
  command.m_cType = static_cast<int8_t>(nType);
  command.NormalizeParams();
  for (auto& param : command.m_Params) param = gen.Below(2);
  command.m_sUseTime = static_cast<int16_t>(gen.Below(50));
  command.m_bParallel = static_cast<uint8_t>(gen.Below(2));
  command.m_sSound = static_cast<int16_t>(gen.Below(4));
  command.m_sLeadAnime = static_cast<int16_t>(gen.Below(4));
  if (nSet == COMMANDSET_CHARA) {
    if (nType == CMD_MOVE_STRAIGHT || nType == CMD_MOVE_CHARGE) {
      CreateMove(command.m_pMove);
      FillMove(*command.m_pMove, gen);
    }
    if (nType >= CMD_SHOT && nType <= CMD_SUMMON_ITEM) {
      CreateShot(command.m_pShot);
      FillShot(*command.m_pShot, gen, nType);
    }
    if (nType == CMD_MESSAGE) command.m_strText = "こんにちは\n\\C[1] です";
    if (nType == CMD_RUN_CODE) command.m_strText = "C1 = C1 + 1";
  }
  return command;
}

// Character command types with settings objects or palette references, and
// a few plain ones.
constexpr int kCharaTypes[] = {CMD_WAIT,    CMD_MOVE_STRAIGHT, CMD_MOVE_CHARGE,  CMD_SHOT,
                               CMD_SWORD,   CMD_SUMMON_BLOCK,  CMD_SUMMON_CHARA, CMD_SUMMON_ITEM,
                               CMD_MESSAGE, CMD_GET_ITEM,      CMD_RUN_ANIME,    CMD_RUN_CODE};

cFlow MakeFlow(cTestRandom& gen, int nCommands) {
  cFlow flow;
  flow.m_cId = static_cast<int8_t>(gen.Below(27));
  flow.m_cTrigger = static_cast<int8_t>(gen.Below(20));
  flow.m_cCondMode = static_cast<int8_t>(gen.Below(2));
  for (int i = gen.Below(3); i > 0; --i) flow.m_Conditions.push_back(MakeCondition(gen));
  for (int i = gen.Below(3); i > 0; --i) flow.m_KeyConditions.push_back(MakeKeyCondition(gen));
  for (int i = 0; i < nCommands; ++i) {
    const int nType = kCharaTypes[gen.Below(static_cast<int>(std::size(kCharaTypes)))];
    flow.m_Commands.push_back(MakeCommand(gen, COMMANDSET_CHARA, nType));
  }
  if (flow.m_Commands.empty())
    flow.m_Commands.push_back(MakeCommand(gen, COMMANDSET_CHARA, CMD_WAIT));
  return flow;
}

void FillBlock(cEdBlock& block, cTestRandom& gen) {
  block.m_nGraphic = static_cast<int16_t>(1 + gen.Below(100));
  block.m_nGraphicKind = static_cast<int8_t>(gen.Below(5));
  block.m_nGraphicRow = static_cast<int16_t>(gen.Below(40));
  block.m_nLayer = static_cast<int8_t>(gen.Below(2));
  block.m_nHitKind = static_cast<int8_t>(gen.Below(3));
  block.m_nPassFaction = static_cast<int8_t>(gen.Below(9) - 1);
  block.m_nEffect = static_cast<int8_t>(gen.Below(6));
  block.m_nEffectValue = gen.Below(200);
  block.m_bProtected = static_cast<int8_t>(gen.Below(2));
}

void FillChara(cEdChara& chara, cTestRandom& gen, int nFlows, int nCommands) {
  chara.m_strName = "敵キャラ";
  chara.m_nKind = CHARAKIND_COM;
  chara.m_nGraphic = static_cast<int16_t>(1 + gen.Below(50));
  chara.m_nGraphicKind = static_cast<int8_t>(gen.Below(4));
  chara.m_nAnimeSet = static_cast<int16_t>(gen.Below(4));
  chara.m_nCharaEffect = static_cast<int16_t>(gen.Below(4));
  chara.m_nCharaEffectMode = static_cast<int8_t>(gen.Below(3));
  chara.m_nFaction = static_cast<int8_t>(1 + gen.Below(7));
  chara.m_nCopies = static_cast<int8_t>(gen.Below(3));
  chara.m_nOffsetStepX = static_cast<int16_t>(gen.Below(64));
  chara.m_bMirrorX = 1;
  chara.m_nMaxHp = 1 + gen.Below(999);
  chara.m_nBodyBox = static_cast<int8_t>(gen.Below(4));
  chara.m_nDefence = gen.Below(50);
  chara.m_nInvincibleColour = static_cast<int8_t>(gen.Below(8));
  chara.m_bScrollSync = static_cast<int8_t>(gen.Below(2));
  for (int i = gen.Below(3); i > 0; --i) chara.m_vCondition.push_back(MakeCondition(gen));
  for (int i = 0; i < nFlows; ++i) chara.m_vFlow.push_back(MakeFlow(gen, nCommands));
}

void FillItem(cEdItem& item, cTestRandom& gen) {
  item.m_strName = "回復アイテム";
  item.m_nGraphic = static_cast<int16_t>(1 + gen.Below(100));
  item.m_nItemData1 = static_cast<int16_t>(gen.Below(32) - 16);
  item.m_nItemData2 = static_cast<int16_t>(gen.Below(32) - 16);
  item.m_nTakeMode = static_cast<int8_t>(gen.Below(3));
  item.m_nTakeSound = static_cast<int16_t>(gen.Below(4));
  for (int i = gen.Below(2); i > 0; --i) item.m_vCondition.push_back(MakeCondition(gen));
  // An item command of each kind: a plain one and one that changes flows,
  // holding flows of its own.
  item.m_vItemCommand.push_back(MakeCommand(gen, COMMANDSET_ITEM, 2));
  cFlowCommand change = MakeCommand(gen, COMMANDSET_ITEM, ITEMCMD_CHANGE_FLOWS);
  change.m_Flows.push_back(MakeFlow(gen, 2));
  change.m_Flows.push_back(MakeFlow(gen, 1));
  item.m_vItemCommand.push_back(std::move(change));
}

}  // namespace

ValidationContext GeneratorTables() {
  ValidationContext tables;
  tables.nAnimeRows = tables.nAnimeSetRows = tables.nEffectRows = 8;
  tables.nCharaEffectRows = tables.nScrEffectRows = tables.nPictureRows = 8;
  tables.nSoundRows = tables.nBgmRows = 8;
  tables.vSwordTimes = {12, 30};
  return tables;
}

cStageRefs GeneratorRefs(const cCommonPalette* pCommon, const cEdStage* pStage) {
  return cStageRefs(GeneratorTables(), 4, pCommon, pStage);
}

void GenerateCommonPalette(cCommonPalette& palette) {
  cTestRandom gen(7);
  palette.m_vBlock.assign(4, cEdBlock());
  palette.m_vChara.assign(4, cEdChara());
  palette.m_vItem.assign(4, cEdItem());
  for (size_t i = 1; i < 4; ++i) {
    FillBlock(palette.m_vBlock[i], gen);
    FillChara(palette.m_vChara[i], gen, 2, 2);
    FillItem(palette.m_vItem[i], gen);
  }
}

void GenerateStage(cEdStage& stage, const cStageGenOptions& options) {
  cTestRandom gen(options.nSeed);
  stage.SetDefaults();
  stage.m_strName = "ステージ１";
  stage.m_nWidth = options.nWidth;
  stage.m_nHeight = options.nHeight;
  stage.m_bScrollLimitR = 1;
  stage.m_nScrollLimitR = options.nWidth - 5;
  stage.m_bTimeLimit = 1;
  stage.m_nTimeLimit = 300;
  stage.m_dGravity = 0.35;
  stage.m_nCollisionLevel = 15;
  stage.m_nBgm = 3;
  stage.m_nBgmOption = 1;
  stage.m_nHeroBox0FlyH = 20;
  stage.m_nComBox1W = 24;
  stage.m_vResultItem = {1, 0, 1, 1, 0};
  stage.m_EraseChara.Set(1, 1, 0, 1, 3, 3, 0, 5);
  stage.m_vBgLayer.resize(2);
  stage.m_vBgLayer[1].m_strBitmap = "bmp\\背景.bmp";
  stage.m_vBgLayer[1].m_bAutoScrollX = 1;
  stage.m_vBgLayer[1].m_dSpeedX = 1.5;
  stage.m_vStageText.resize(2);
  stage.m_vStageText[0].m_strText = "メモ";

  // The stage palette: entries of every kind, some linked to the common
  // palette or to each other.
  stage.m_vBlock.assign(4, cEdBlock());
  stage.m_vChara.assign(3, cEdChara());
  stage.m_vItem.assign(3, cEdItem());
  for (size_t i = 1; i < stage.m_vBlock.size(); ++i) FillBlock(stage.m_vBlock[i], gen);
  stage.m_vBlock[2].m_nLinkSrc = LINKSRC_COMMON;
  stage.m_vBlock[2].m_nLinkNo = 1;
  stage.m_vBlock[2].m_vLinkFlags[2] = 1;
  stage.m_vBlock[3].m_nItemSource = LINKSRC_STAGE;
  stage.m_vBlock[3].m_nItemIndex = 1;
  for (size_t i = 1; i < stage.m_vChara.size(); ++i)
    FillChara(stage.m_vChara[i], gen, options.nFlowsPerChara, options.nCommandsPerFlow);
  stage.m_vChara[2].m_nLinkSrc = LINKSRC_COMMON;
  stage.m_vChara[2].m_nLinkNo = 2;
  stage.m_vChara[2].m_vLinkFlags[23] = 1;
  for (size_t i = 1; i < stage.m_vItem.size(); ++i) FillItem(stage.m_vItem[i], gen);

  stage.m_vPlacedBlock.resize(static_cast<size_t>(options.nPlacedBlocks));
  for (int i = 0; i < options.nPlacedBlocks; ++i) {
    cEdBlock& block = stage.m_vPlacedBlock[static_cast<size_t>(i)];
    block = stage.m_vBlock[1 + static_cast<size_t>(i % 3)];
    block.m_nTileX = static_cast<int16_t>(i % options.nWidth);
    block.m_nTileY = static_cast<int16_t>((i / options.nWidth) % options.nHeight);
    if (i % 7 == 0) {
      block.m_nLinkSrc = LINKSRC_STAGE;
      block.m_nLinkNo = 1;
      block.m_vLinkFlags[6] = 1;
    }
    if (i % 11 == 0) block.m_vCondition.push_back(MakeCondition(gen));
  }

  stage.m_vPlacedItem.resize(static_cast<size_t>(options.nPlacedItems));
  for (int i = 0; i < options.nPlacedItems; ++i) {
    cEdItem& item = stage.m_vPlacedItem[static_cast<size_t>(i)];
    FillItem(item, gen);
    item.m_nTileX = static_cast<int16_t>(gen.Below(options.nWidth));
    item.m_nTileY = static_cast<int16_t>(gen.Below(options.nHeight));
    if (i % 2 == 1) {
      item.m_nLinkSrc = LINKSRC_COMMON;
      item.m_nLinkNo = 1;
      item.m_vLinkFlags[12] = 1;
    }
  }

  stage.m_vPlacedChara.resize(static_cast<size_t>(options.nPlacedCharas));
  for (int i = 0; i < options.nPlacedCharas; ++i) {
    cEdChara& chara = stage.m_vPlacedChara[static_cast<size_t>(i)];
    FillChara(chara, gen, options.nFlowsPerChara, options.nCommandsPerFlow);
    chara.m_nTileX = static_cast<int16_t>(gen.Below(options.nWidth));
    chara.m_nTileY = static_cast<int16_t>(gen.Below(options.nHeight));
    chara.m_nPlaceData = (i % 3 == 1 && options.nPlacedItems > 0) ? i % options.nPlacedItems : -1;
    if (i % 4 == 2) {
      chara.m_nLinkSrc = LINKSRC_STAGE;
      chara.m_nLinkNo = 1;
      chara.m_vLinkFlags[9] = 1;
      chara.m_vLinkFlags[36] = 1;
    }
  }
  if (options.nPlacedCharas > 0) {
    cEdChara& hero = stage.m_vPlacedChara[0];
    hero.m_strName = "主人公";
    hero.m_nKind = CHARAKIND_PLAYER;
    hero.m_nFaction = 0;
    hero.m_nGraphic = 1;
    hero.m_nLinkSrc = LINKSRC_NONE;
  }
}

void ResolveLinks(cEdStage& stage, const cStageRefs& outer) {
  const cStageRefs refs = outer.WithStage(&stage);
  for (auto& entry : stage.m_vBlock) entry.ApplyLink(refs);
  for (auto& entry : stage.m_vChara) entry.ApplyLink(refs);
  for (auto& entry : stage.m_vItem) entry.ApplyLink(refs);
  for (auto& entry : stage.m_vPlacedBlock) entry.ApplyLink(refs);
  for (auto& entry : stage.m_vPlacedChara) entry.ApplyLink(refs);
  for (auto& entry : stage.m_vPlacedItem) entry.ApplyLink(refs);
}
