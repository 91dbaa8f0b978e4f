#include "flow/runtime/conditions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "app/base/random.h"
#include "flow/flow.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_runner.h"
#include "flow/runtime/flow_units.h"
#include "flow/runtime/status_values.h"
#include "objects/chara.h"
#include "play/play_scene.h"
#include "stagedata/block.h"
#include "stagedata/item.h"

namespace {

constexpr int32_t kGaugeMax = 999999;

// The hero, subject of item and block conditions; null before set-up.
cChara* Hero() { return g_lpPlayScene ? g_lpPlayScene->Hero() : nullptr; }

// A variable of kind 0 (common) or 1 (stage); false for another kind.
bool ReadVariable(int nKind, int nIndex, int32_t& value) {
  if (nKind == 0) {
    value = ReadCommonVar(nIndex);
    return true;
  }
  if (nKind == 1) {
    value = ReadStageVar(nIndex);
    return true;
  }
  return false;
}

// The right operand of a status condition; false when the whole condition
// is false.
bool RightOperand(const cCondition& c, cChara* lpSubject, int32_t& r) {
  switch (c.m_cRightKind) {
    case 0:
      r = c.m_nConst;
      return true;
    case 1:
      r = RandomBetween(c.m_nRandLow, c.m_nRandHigh);
      return true;
    case 2:
      return ReadStatusOperand(lpSubject, c.m_cRightObject, c.m_cRightStatus, c.m_sRightVarIndex,
                               r);
    case 3:
      if (!ReadVariable(c.m_cRightVarKind, c.m_sRightVarIndex, r)) r = 0;
      return true;
    default:
      r = 0;
      return true;
  }
}

template <class Latch>
bool CheckOwner(const cConditionList& list, int nMode, int bOnce, Latch& latch, cChara* lpSubject) {
  if (list.empty()) return true;
  if (bOnce && latch) return true;
  const bool r = CheckConditionList(list, nMode, lpSubject);
  if (r) latch = 1;
  return r;
}

}  // namespace

bool CompareByOperator(int32_t v, int32_t r, int nOp) {
  switch (nOp) {
    case 0:
      return v == r;
    case 1:
      return v != r;
    case 2:
      return v >= r;
    case 3:
      return v <= r;
    case 4:
      return v > r;
    case 5:
      return v < r;
    case 6:
      return r == 0 || std::llabs(int64_t{v}) % std::llabs(int64_t{r}) == 0;
    case 7:
      return r != 0 && std::llabs(int64_t{v}) % std::llabs(int64_t{r}) != 0;
    default:
      return false;
  }
}

int32_t ScalePercent(int32_t a, int32_t b) {
  const double x = static_cast<double>(int64_t{a} * int64_t{b}) * 0.01;
  const double rounded = std::trunc(x >= 0 ? x + 0.5 : x - 0.5);
  // |a x b x 0.01| < 2^62, exact enough to saturate from.
  return SaturateInt32(static_cast<int64_t>(rounded));
}

void ClampValue(int32_t& value, int32_t lo, int32_t hi) {
  if (value < lo)
    value = lo;
  else if (value > hi)
    value = hi;
}

int32_t RandomBetween(int32_t a, int32_t b) {
  const int64_t lo = std::min(a, b);
  const int64_t hi = std::max(a, b);
  return static_cast<int32_t>(lo + Rand() % (hi - lo + 1));
}

bool CheckConditionList(const cConditionList& list, int nMode, cChara* lpSubject) {
  if (nMode == 0) {
    for (const cCondition& c : list)
      if (!CheckCondition(c, lpSubject)) return false;
    return true;
  }
  if (nMode == 1) {
    for (const cCondition& c : list)
      if (CheckCondition(c, lpSubject)) return true;
    return false;
  }
  return false;
}

bool CheckCondition(const cCondition& c, cChara* lpSubject) {
  switch (c.m_cKind) {
    case CONDKIND_COMMONVAR:
      return CompareByOperator(ReadCommonVar(c.m_sVarIndex), c.m_nConst, c.m_cOp);
    case CONDKIND_STAGEVAR:
      return CompareByOperator(ReadStageVar(c.m_sVarIndex), c.m_nConst, c.m_cOp);
    case CONDKIND_CHARAVAR:
      return lpSubject &&
             CompareByOperator(lpSubject->m_vVars.At(c.m_sVarIndex), c.m_nConst, c.m_cOp);
    case CONDKIND_STATUS:
      return CheckStatusCondition(c, lpSubject);
    case CONDKIND_STATUS2:
      return lpSubject && lpSubject->CheckStatusCondition2(&c) != 0;
    case CONDKIND_STATUS3:
      return lpSubject && lpSubject->CheckStateCondition(&c) != 0;
    case CONDKIND_DISTANCE:
      return lpSubject && lpSubject->CheckDistanceCondition(&c) != 0;
    default:
      return false;
  }
}

bool CheckStatusCondition(const cCondition& c, cChara* lpSubject) {
  int32_t r = 0;
  if (!RightOperand(c, lpSubject, r)) return false;

  int32_t l = 0;
  int32_t nReference = 0;  // what a percentage is of
  bool bGauge = false;     // hp or sp: the percentage stays within 0..999999
  if (c.m_cLeftKind == 1) {
    if (!ReadVariable(c.m_cVarKind, c.m_sVarIndex, l)) return false;
  } else if (c.m_cLeftKind == 0) {
    if (c.m_cObject == 2) {
      l = ReadSystemStatus(c.m_cStatus);
      if (c.m_cStatus == SYSSTATUS_LIFE && l == kInfiniteLives) return false;
    } else {
      const cChara* lpObject = ObjectOfSubject(lpSubject, c.m_cObject);
      if (!lpObject) return false;
      l = ReadCharaStatus(*lpObject, c.m_cStatus, c.m_sVarIndex);
      if (c.m_cStatus == CHARASTATUS_HP) {
        nReference = lpObject->m_Def.m_nMaxHp;
        bGauge = true;
      } else if (c.m_cStatus == CHARASTATUS_SP) {
        nReference = lpObject->m_Def.m_nMaxSp;
        bGauge = true;
      }
    }
  } else {
    return false;
  }

  if (c.m_bPercent) {
    r = ScalePercent(nReference, r);
    if (bGauge) ClampValue(r, 0, kGaugeMax);
  }
  return CompareByOperator(l, r, c.m_cOp);
}

bool CheckOwnerConditions(const cConditionList& list, int nMode, int bOnce, uint8_t& latch,
                          cChara* lpSubject) {
  return CheckOwner(list, nMode, bOnce, latch, lpSubject);
}

bool CheckFlowConditions(cFlowRunner& runner, cChara& chara) {
  const cFlow& flow = *runner.m_lpFlow;
  return CheckOwner(flow.m_Conditions, flow.m_cCondMode, flow.m_bCondOnce, runner.m_bCondLatch,
                    &chara);
}

bool CheckCharacterConditions(cChara& chara) {
  const cEdChara& def = chara.m_Def;
  return CheckOwner(def.m_vCondition, def.m_nCondMode, def.m_bCondOnce, chara.m_cCondLatch, &chara);
}

bool CheckItemConditions(const cEdItem& def, uint8_t& latch) {
  return CheckOwner(def.m_vCondition, def.m_nCondMode, def.m_bCondOnce, latch, Hero());
}

bool CheckBlockConditions(cMapCell& cell) {
  return CheckOwner(cell.m_vCondition, cell.m_nCondMode, cell.m_bCondOnce, cell.m_bCondMet, Hero());
}

bool cPlayScene::CheckBlockConditions(cMapCell& cell) { return ::CheckBlockConditions(cell); }
