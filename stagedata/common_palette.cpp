#include "stagedata/common_palette.h"

#include <algorithm>

namespace {

template <class T>
void PadList(cCheckedVector<T>& list) {
  if (list.size() < 2) list.resize(2);
}

}  // namespace

void LoadBlockList(cCheckedVector<cEdBlock>& list, cRecordReader& file) {
  ReadRecordVector(list, file, kMinBlockBytes, "block count");
}

void LoadCharaList(cCheckedVector<cEdChara>& list, cRecordReader& file) {
  ReadRecordVector(list, file, kMinCharaBytes, "character count");
}

void LoadItemList(cCheckedVector<cEdItem>& list, cRecordReader& file) {
  ReadRecordVector(list, file, kMinItemBytes, "item count");
}

void ResizeItemList(cCheckedVector<cEdItem>& list, unsigned n, const cEdItem& fill) {
  list.resize(n, fill);
}

void ClearItemList(cCheckedVector<cEdItem>& list) { list.clear(); }

cCommonPalette::cCommonPalette() {
  Clear();
  m_vBlock.resize(1);
  m_vChara.resize(1);
  m_vItem.resize(1);
}

void cCommonPalette::Load(cRecordReader& file) {
  // Entries that link to the common palette see this one while it loads.
  cStageRefs refs = CurrentStageRefs();
  refs = cStageRefs(refs.Tables(), refs.BmpCharaExcRows(), this, refs.Stage());
  cStageRefsScope scope(refs);

  cRecord::Load(file);
  LoadBlockList(m_vBlock, file);
  LoadCharaList(m_vChara, file);
  LoadItemList(m_vItem, file);

  // Entry 0 of each list is the empty entry, whatever the file holds.
  // (A fresh entry: its lists, conditions and flows go too.)
  if (!m_vBlock.empty()) m_vBlock[0] = cEdBlock();
  if (!m_vChara.empty()) m_vChara[0] = cEdChara();
  if (!m_vItem.empty()) m_vItem[0] = cEdItem();

  for (cEdBlock& block : m_vBlock)
    std::fill(block.m_vLinkFlags.begin(), block.m_vLinkFlags.end(), 0);
  for (cEdChara& chara : m_vChara)
    std::fill(chara.m_vLinkFlags.begin(), chara.m_vLinkFlags.end(), 0);
  for (cEdItem& item : m_vItem) std::fill(item.m_vLinkFlags.begin(), item.m_vLinkFlags.end(), 0);

  Validate(refs);
}

void cCommonPalette::Save(cRecordWriter& file) {
  cStageRefs refs = CurrentStageRefs();
  refs = cStageRefs(refs.Tables(), refs.BmpCharaExcRows(), this, refs.Stage());
  cStageRefsScope scope(refs);
  Validate(refs);
  cRecord::Save(file);
  SaveRecordVector(m_vBlock, file);
  SaveRecordVector(m_vChara, file);
  SaveRecordVector(m_vItem, file);
}

void cCommonPalette::Validate(const cStageRefs& outer) {
  PadList(m_vBlock);
  PadList(m_vChara);
  PadList(m_vItem);
  const cStageRefs refs(outer.Tables(), outer.BmpCharaExcRows(), this, outer.Stage());
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
}
