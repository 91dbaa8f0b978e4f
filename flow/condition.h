#pragma once
// cCondition: one condition of a flow or of the appearance of a block,
// character or item. It compares a game value with another; the evaluation
// belongs to the flow runtime. Here: the stored record, its registration by
// data version, its migrations and the list loader and assigner.

#include <cstdint>
#include <vector>

#include "app/base/checked_containers.h"
#include "records/record.h"

// Condition kinds (m_cKind).
enum : int {
  CONDKIND_NONE = 0,
  CONDKIND_COMMONVAR = 1,
  CONDKIND_STAGEVAR = 2,
  CONDKIND_CHARAVAR = 3,
  CONDKIND_STATUS = 4,
  CONDKIND_STATUS2 = 5,
  CONDKIND_STATUS3 = 6,
  CONDKIND_DISTANCE = 7,
};

class cCondition : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cCondition, 72);
  cCondition() {}

  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;
  // Conditions have no references to check.
  void Validate() {}

  int8_t m_cKind = 0;       // CONDKIND_*
  int8_t m_cLeftKind = 0;   // status condition: 0 a status, 1 a variable
  int8_t m_cVarKind = 0;    // left variable: 0 common, 1 stage
  int8_t m_cObject = 0;     // 0 self, 1 target, 2 system (distance: 0 hero, 1 target)
  int8_t m_cStatus = 0;     // status index; status 2 the property, status 3 the state
  int16_t m_sVarIndex = 0;  // variable index; status 2 the value compared with
  int8_t m_cRightKind = 0;  // 0 constant, 1 random, 2 status, 3 variable
  int32_t m_nConst = 0;     // constant; distance in units of 16 pixels
  int32_t m_nRandLow = 0;
  int32_t m_nRandHigh = 0;
  int8_t m_cRightObject = 0;
  int8_t m_cRightStatus = 0;
  int8_t m_cRightVarKind = 0;
  int16_t m_sRightVarIndex = 0;
  int8_t m_cOp = 0;  // comparison 0..7; status 3 and distance: 0 as stated, 1 negated
  uint8_t m_bPercent = 0;
  int8_t m_cAxis = 0;  // distance axis 0..6
};

using cConditionList = cCheckedVector<cCondition>;

// Reads u32 n and n conditions into the list (emptied first).
void LoadConditionList(std::vector<cCondition>& list, cRecordReader& file);
// Writes u32 n and each condition.
void SaveConditionList(std::vector<cCondition>& list, cRecordWriter& file);
// Makes target an element-by-element copy of source; returns target.
std::vector<cCondition>& AssignConditionList(std::vector<cCondition>& target,
                                             const std::vector<cCondition>& source);

// Smallest number of bytes a condition takes in a file (its two count words).
inline constexpr size_t kMinConditionBytes = 8;
