#include "flow/condition.h"

namespace {

// Status indexes from `from` on moved up by one when a status was inserted
// before them; system statuses (object 2) kept their numbers.
void RenumberStatuses(cCondition& c, int nFrom) {
  if (c.m_cKind != CONDKIND_STATUS) return;
  if (c.m_cLeftKind == 0 && c.m_cObject != 2 && c.m_cStatus >= nFrom) ++c.m_cStatus;
  if (c.m_cRightKind == 2 && c.m_cRightObject != 2 && c.m_cRightStatus >= nFrom) ++c.m_cRightStatus;
}

}  // namespace

void cCondition::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddField(&m_cKind);
  AddField(&m_nConst);
  if (nVersion >= 110) {
    AddField(&m_nRandLow);
    AddField(&m_nRandHigh);
    AddField(&m_cObject);
    AddField(&m_cStatus);
    AddField(&m_cLeftKind);
    AddField(&m_cVarKind);
    AddField(&m_sVarIndex);
    AddField(&m_cRightKind);
    AddField(&m_cRightObject);
    AddField(&m_cRightStatus);
    AddField(&m_cRightVarKind);
    AddField(&m_sRightVarIndex);
  } else {
    AddRetiredField<int16_t>();
    AddRetiredField<int16_t>();
  }
  AddField(&m_cOp);
  if (nVersion >= 43) AddField(&m_bPercent);
  AddField(&m_cAxis);
}

void cCondition::Load(cRecordReader& file) {
  cRecord::Load(file);
  const int v = g_nFileVersion;
  if (v >= DATA_VERSION) return;
  // Kinds 5 and 6 were inserted before the distance condition.
  if (v < 160 && m_cKind >= 5) m_cKind = static_cast<int8_t>(m_cKind + 2);
  // "Standing on a block" used to be stated the other way round.
  if (v < 161 && m_cKind == CONDKIND_STATUS3 && m_cStatus == 2)
    m_cOp = static_cast<int8_t>(m_cOp ^ 1);
  if (v < 168) RenumberStatuses(*this, 10);
  if (v < 203) RenumberStatuses(*this, 5);
  if (v < 210 && m_cKind == CONDKIND_STATUS2 && m_cObject != 2 && m_cStatus >= 6) ++m_cStatus;
  // Distance conditions measured from the hero only.
  if (v < 657 && m_cKind == CONDKIND_DISTANCE) m_cObject = 0;
}

void cCondition::Save(cRecordWriter& file) {
  EmptyHook();
  cRecord::Save(file);
}

void LoadConditionList(std::vector<cCondition>& list, cRecordReader& file) {
  ReadRecordVector(list, file, kMinConditionBytes, "condition count");
}

void SaveConditionList(std::vector<cCondition>& list, cRecordWriter& file) {
  SaveRecordVector(list, file);
}

std::vector<cCondition>& AssignConditionList(std::vector<cCondition>& target,
                                             const std::vector<cCondition>& source) {
  if (&target != &source) target = source;
  return target;
}
