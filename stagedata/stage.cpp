#include "stagedata/stage.h"

#include <algorithm>
#include <cmath>

#include "stagedata/palettes.h"

namespace {

template <class T>
void ResetList(cCheckedVector<T>& list, unsigned n) {
  list.clear();
  list.resize(n);
}

// Palettes hold at least the empty entry 0 and one real entry.
template <class T>
void PadPalette(cCheckedVector<T>& list) {
  if (list.size() < 2) list.resize(2);
}

}  // namespace

void ResetBlockList(cCheckedVector<cEdBlock>& list, unsigned n) { ResetList(list, n); }
void ResetCharaList(cCheckedVector<cEdChara>& list, unsigned n) { ResetList(list, n); }
void ResetItemList(cCheckedVector<cEdItem>& list, unsigned n) { ResetList(list, n); }
void ResetBgLayerList(cCheckedVector<cEdBgLayer>& list, unsigned n) { ResetList(list, n); }

int MapPitchShift(int nWidth) {
  int nShift = 0;
  for (unsigned n = static_cast<unsigned>(std::max(nWidth + 19, 0)); n != 0; n >>= 1) ++nShift;
  return nShift;
}

cEdStage::cEdStage() { SetDefaults(); }

void cEdStage::RegisterFields(int v) {
  ClearFieldLists();
  AddString(&m_strName);
  AddField(&m_nWidth);
  AddField(&m_nReserved1);
  AddField(&m_nReserved2);
  AddField(&m_nHeight);
  AddField(&m_bScrollLimitL);
  AddField(&m_bScrollLimitR);
  AddField(&m_bScrollLimitT);
  AddField(&m_bScrollLimitB);
  AddField(&m_nScrollLimitL);
  AddField(&m_nScrollLimitR);
  AddField(&m_nScrollLimitT);
  AddField(&m_nScrollLimitB);
  AddField(&m_nFrameRate);
  AddField(&m_bTimeLimit);
  AddField(&m_nTimeLimit);
  AddField(&m_nTimeWarning);
  AddField(&m_bAutoScrollX);
  AddField(&m_bAutoScrollY);
  AddField(&m_nAutoScrollSpeedX);
  AddField(&m_nAutoScrollSpeedY);
  AddField(&m_dGravity);
  AddField(&m_nCollisionLevel);
  AddField(&m_nHitSteps);
  AddField(&m_nBgm);
  if (v >= 166) AddField(&m_nBgmOption);
  if (v >= 199) AddField(&m_bBgmContinue);
  AddField(&m_bZLayers);
  AddField(&m_bUseHeroStatus);
  AddField(&m_bStoreHeroStatus);
  if (v >= 183) AddField(&m_bShowStatus);
  if (v >= 184) AddField(&m_bAutoClear);
  AddField(&m_bShowStageNo);
  if (v >= 225) AddField(&m_bShowStart);
  AddField(&m_bShowClear);
  AddField(&m_bShowGameOver);
  if (v >= 200) {
    AddField(&m_nHeroWalkW);
    AddField(&m_nHeroWalkH);
    AddField(&m_nHeroFlyW);
    AddField(&m_nHeroFlyH);
  }
  AddField(&m_nHeroBox0WalkW);
  AddField(&m_nHeroBox0WalkH);
  if (v >= 155) {
    AddField(&m_nHeroBox0FlyW);
    AddField(&m_nHeroBox0FlyH);
  }
  AddField(&m_nHeroBox1W);
  AddField(&m_nHeroBox1H);
  AddField(&m_nHeroBoxExW);
  AddField(&m_nHeroBoxExH);
  if (v >= 200) {
    AddField(&m_bHeroWalkBottom);
    AddField(&m_bHeroFlyBottom);
  }
  if (v >= 155) {
    AddField(&m_bHeroBox0WalkBottom);
    AddField(&m_bHeroBox0FlyBottom);
  }
  if (v >= 200) AddField(&m_nShowHitBox);
  AddField(&m_nShowBoxA);
  AddField(&m_nShowBoxB);
  AddField(&m_nShowBoxC);
  if (v >= 200) AddField(&m_nHitBoxColour);
  AddField(&m_nBoxAColour);
  AddField(&m_nBoxBColour);
  AddField(&m_nBoxCColour);
  if (v >= 200) {
    AddField(&m_nComWalkW);
    AddField(&m_nComWalkH);
    AddField(&m_nComFlyW);
    AddField(&m_nComFlyH);
  }
  AddField(&m_nComBox0WalkW);
  AddField(&m_nComBox0WalkH);
  if (v >= 155) {
    AddField(&m_nComBox0FlyW);
    AddField(&m_nComBox0FlyH);
  }
  AddField(&m_nComBox1W);
  AddField(&m_nComBox1H);
  if (v >= 200) {
    AddField(&m_bComWalkBottom);
    AddField(&m_bComFlyBottom);
  }
  if (v >= 155) {
    AddField(&m_bComBox0WalkBottom);
    AddField(&m_bComBox0FlyBottom);
  }
  AddField(&m_nItemBoxW);
  AddField(&m_nItemBoxH);
  AddField(&m_nBox2W);
  AddField(&m_nBox2H);
  AddField(&m_nReserved3);
  AddField(&m_nReserved4);
  AddField(&m_nComBox2W);
  AddField(&m_nComBox2H);
  AddField(&m_nReserved5);
  AddField(&m_nReserved6);
  AddField(&m_nReserved7);
  AddField(&m_nScrollMarginX);
  AddField(&m_nScrollMarginY);
  AddField(&m_nSubStep);
  AddField(&m_dSubStep);
  AddField(&m_dSubStepSq);
  AddField(&m_dMaxSpeed);
  AddField(&m_dAccelPerStep);
  AddField(&m_dSpeedCapPerStep);
  AddField(&m_nSubStep8);
  AddField(&m_bActiveOnly);
  AddField(&m_nHeroImmunity);
  AddField(&m_nHeroInvincible);
  AddField(&m_nComImmunity);
  AddField(&m_nComInvincible);
}

void cEdStage::SetDefaults() {
  Clear();
  m_vPlacedBlock.clear();
  m_vPlacedChara.clear();
  m_vPlacedItem.clear();
  ResetBlockList(m_vBlock, 1);
  ResetCharaList(m_vChara, 1);
  ResetItemList(m_vItem, 1);

  m_nTimeLimit = 200;
  m_bTimeLimit = 0;
  m_nTimeWarning = 20;
  m_dGravity = 0.4;
  m_nFrameRate = 60;
  m_nCollisionLevel = 10;
  m_nHitSteps = 0;
  m_bZLayers = 1;
  m_bActiveOnly = 1;
  m_bShowStatus = 1;
  m_bAutoClear = 0;
  m_bShowStageNo = 0;
  m_bShowStart = 1;
  m_bShowClear = 1;
  m_bShowGameOver = 1;
  m_nHeroInvincible = 0;
  m_nHeroImmunity = 30;
  m_nComInvincible = 0;
  m_nComImmunity = 30;

  // A new stage's background is a plain fill of colour 16.
  ResetBgLayerList(m_vBgLayer, 1);
  m_vBgLayer[0].m_bFill = 1;
  m_vStageText.clear();

  m_vResultItem.assign(kResultItems, 1);

  m_EraseChara.Set(0, 0, 0, 0, 0, 0, 0, 0);
  m_EraseBlockChara.Set(0, 0, 0, 0, 0, 0, 0, 0);
  m_EraseItem.Set(0, 0, 0, 0, 0, 0, 0, 0);
  m_EraseShot0.Set(1, 1, 1, 1, 0, 0, 0, 0);
  m_EraseShot1.Set(1, 1, 1, 1, 10, 10, 10, 10);

  SetLayoutDefaults();
  m_nReserved7 = 1;
}

void cEdStage::SetLayoutDefaults() {
  m_nHeroWalkW = 16;
  m_nHeroWalkH = 24;
  m_bHeroWalkBottom = 1;
  m_nHeroFlyW = 16;
  m_nHeroFlyH = 16;
  m_bHeroFlyBottom = 0;
  m_bHeroBox0FlyBottom = 0;
  m_bComFlyBottom = 0;
  m_bComBox0FlyBottom = 0;
  m_nHeroBox0WalkW = 16;
  m_nComBox1W = 30;
  m_nComBox1H = 30;
  m_nHeroBox0WalkH = 24;
  m_nComWalkH = 24;
  m_nComBox0WalkH = 24;
  m_bHeroBox0WalkBottom = 1;
  m_bComWalkBottom = 1;
  m_bComBox0WalkBottom = 1;
  m_nHeroBox0FlyW = 16;
  m_nHeroBox0FlyH = 16;
  m_nHeroBox1W = 12;
  m_nHeroBox1H = 8;
  m_nHeroBoxExW = 16;
  m_nHeroBoxExH = 16;
  m_nComWalkW = 16;
  m_nComFlyW = 16;
  m_nComFlyH = 16;
  m_nComBox0WalkW = 12;
  m_nComBox0FlyW = 12;
  m_nComBox0FlyH = 16;
  m_nItemBoxW = 28;
  m_nItemBoxH = 28;
  m_nBox2W = m_nBox2H = m_nReserved3 = m_nReserved4 = 16;
  m_nComBox2W = m_nComBox2H = m_nReserved5 = m_nReserved6 = 16;
}

void cEdStage::SetCollisionLevel(int nLevel) {
  // Levels below 1 would give no sub-steps (and divisions by zero), huge ones
  // more sub-steps than a frame can run.
  nLevel = std::clamp(nLevel, 1, kMaxCollisionLevel);
  m_nCollisionLevel = nLevel;
  const bool bCoarse = nLevel >= 11 && nLevel <= 19;
  const int n = bCoarse ? nLevel - 10 : nLevel;
  m_nSubStep = n;
  m_dSubStep = n;
  m_nMaxSpeedInt = 6 * n;
  m_dSubStepSq = static_cast<double>(n * n);
  m_nSubStep8 = 8 * n;
  m_dMaxSpeed = bCoarse ? 6.0 * 10.0 : 6.0 * n;
  m_dSpeedCapPerStep = m_dMaxSpeed / n;
  m_dAccelPerStep = m_dGravity / m_dSubStepSq;
}

void cEdStage::ValidateMapSize() {
  m_nWidth = std::clamp(m_nWidth, 0, kMaxStageWidth);
  m_nHeight = std::clamp(m_nHeight, 0, kMaxStageHeight);
  const int64_t nPitch = int64_t{1} << MapPitchShift(m_nWidth);
  const int64_t nMaxRows = kMaxMapGridCells / nPitch;
  if (m_nHeight + 2 * kMapBorderCells > nMaxRows)
    m_nHeight = static_cast<int32_t>(nMaxRows - 2 * kMapBorderCells);
}

void cEdStage::Validate(const cStageRefs& refs) { ValidateParts(refs, false); }

void cEdStage::ValidateParts(const cStageRefs& outer, bool bPlacementsValidated) {
  // A hostile or damaged file must not make play allocate a giant grid or
  // run no (or countless) physics sub-steps.
  ValidateMapSize();
  m_nScrollLimitL = std::min(m_nScrollLimitL, m_nWidth - kViewCellsX);
  m_nScrollLimitR = std::min(m_nScrollLimitR, m_nWidth - 1);
  m_nScrollLimitT = std::min(m_nScrollLimitT, m_nHeight - kViewCellsY);
  m_nScrollLimitB = std::min(m_nScrollLimitB, m_nHeight - 1);
  // Play divides by the frame rate and turns positions into integers: a
  // damaged file must not bring a zero rate or a gravity that is no number.
  m_nFrameRate = std::clamp(m_nFrameRate, 1, kMaxFrameRate);
  m_nHitSteps = std::max(m_nHitSteps, 0);
  if (!std::isfinite(m_dGravity)) m_dGravity = 0.4;
  for (cEdBgLayer& layer : m_vBgLayer) layer.RepairNumbers();
  SetCollisionLevel(m_nCollisionLevel);
  if (!IsRow(m_nBgm, outer.Tables().nBgmRows)) m_nBgm = 0;

  PadPalette(m_vBlock);
  PadPalette(m_vChara);
  PadPalette(m_vItem);

  const cStageRefs refs = outer.WithStage(this);
  for (cEdBlock& block : m_vBlock) {
    block.Validate(refs);
    block.ValidateItemLink(refs);
  }
  for (cEdChara& chara : m_vChara) {
    chara.Validate(refs);
    chara.ValidateSummonRefs(refs);
  }
  for (cEdItem& item : m_vItem) {
    item.Validate(refs);
    item.ValidateSummonRefs(refs);
  }
  if (bPlacementsValidated) return;
  for (cEdBlock& block : m_vPlacedBlock) {
    block.Validate(refs);
    block.ValidateItemLink(refs);
  }
  for (cEdChara& chara : m_vPlacedChara) {
    chara.Validate(refs);
    chara.ValidateSummonRefs(refs);
  }
  for (cEdItem& item : m_vPlacedItem) {
    item.Validate(refs);
    item.ValidateSummonRefs(refs);
  }
}

int cEdStage::FindHero() const {
  for (size_t i = 0; i < m_vPlacedChara.size(); ++i) {
    const cEdChara& chara = m_vPlacedChara[i];
    if (chara.m_nGraphic != 0 && chara.m_nKind == CHARAKIND_PLAYER) return static_cast<int>(i);
  }
  return -1;
}

const cEdItem* cEdStage::GetCarriedItem(const cEdChara& placement) const {
  const int32_t n = placement.m_nPlaceData;
  if (n < 0 || static_cast<size_t>(n) >= m_vPlacedItem.size()) return nullptr;
  return &m_vPlacedItem[static_cast<size_t>(n)];
}

void cEdStage::CopySettingsFrom(const cEdStage& other) {
  if (&other == this) return;
  CopyFrom(other);
  AssignBgLayerList(m_vBgLayer, other.m_vBgLayer);
  AssignStageTextList(m_vStageText, other.m_vStageText);
  m_EraseChara = other.m_EraseChara;
  m_EraseBlockChara = other.m_EraseBlockChara;
  m_EraseItem = other.m_EraseItem;
  m_EraseShot0 = other.m_EraseShot0;
  m_EraseShot1 = other.m_EraseShot1;
  m_vResultItem = other.m_vResultItem;
  // Fields derived outside the registered list.
  m_nMaxSpeedInt = other.m_nMaxSpeedInt;
}
