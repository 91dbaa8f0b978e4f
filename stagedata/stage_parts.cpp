#include "stagedata/stage_parts.h"

#include <cmath>

void cEdBgLayer::RegisterFields(int nVersion) {
  ClearFieldLists();
  if (nVersion >= 62) AddField(&m_bVisible);
  AddField(&m_bFill);
  AddField(&m_nFillColour);
  AddField(&m_bFront);
  if (nVersion >= 61) {
    AddField(&m_dSpeedX);
    AddField(&m_dSpeedY);
    AddField(&m_bAutoScrollX);
    AddField(&m_bAutoScrollY);
  } else {
    // The factors were 4-byte values then, read and dropped.
    AddRetiredField<int32_t>();
    AddRetiredField<int32_t>();
  }
  AddString(&m_strBitmap);
  if (nVersion >= 62) {
    AddField(&m_dOffsetX);
    AddField(&m_dOffsetY);
  } else if (nVersion == 61) {
    AddRetiredField<int32_t>();
    AddRetiredField<int32_t>();
  }
}

void cEdBgLayer::SetDefaults() {
  Clear();
  m_bVisible = 1;
  m_nFillColour = 16;
  m_dSpeedX = 0.1;
  m_dSpeedY = 0.1;
}

void cEdBgLayer::RepairNumbers() {
  if (!std::isfinite(m_dSpeedX)) m_dSpeedX = 0.1;
  if (!std::isfinite(m_dSpeedY)) m_dSpeedY = 0.1;
  if (!std::isfinite(m_dOffsetX)) m_dOffsetX = 0;
  if (!std::isfinite(m_dOffsetY)) m_dOffsetY = 0;
}

void cEdStageText::RegisterFields(int /*nVersion*/) {
  ClearFieldLists();
  AddString(&m_strText);
}

void cEdEraseArea::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddField(&m_bLeft);
  if (nVersion >= 125) {
    AddField(&m_bRight);
    AddField(&m_bTop);
    AddField(&m_bBottom);
  }
  AddField(&m_nLeft);
  AddField(&m_nRight);
  AddField(&m_nTop);
  AddField(&m_nBottom);
}

void cEdEraseArea::Set(int32_t bLeft, int32_t bRight, int32_t bTop, int32_t bBottom, int32_t nLeft,
                       int32_t nRight, int32_t nTop, int32_t nBottom) {
  m_bLeft = bLeft;
  m_bRight = bRight;
  m_bTop = bTop;
  m_bBottom = bBottom;
  m_nLeft = nLeft;
  m_nRight = nRight;
  m_nTop = nTop;
  m_nBottom = nBottom;
}

cCheckedVector<cEdBgLayer>& AssignBgLayerList(cCheckedVector<cEdBgLayer>& target,
                                              const cCheckedVector<cEdBgLayer>& source) {
  if (&target == &source) return target;
  target.resize(source.size());
  for (size_t i = 0; i < source.size(); ++i) target[i].CopyFrom(source[i]);
  return target;
}

cCheckedVector<cEdStageText>& AssignStageTextList(cCheckedVector<cEdStageText>& target,
                                                  const cCheckedVector<cEdStageText>& source) {
  if (&target == &source) return target;
  target.resize(source.size());
  for (size_t i = 0; i < source.size(); ++i) target[i] = source[i];
  return target;
}
