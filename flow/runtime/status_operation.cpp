#include "flow/runtime/status_operation.h"

#include <algorithm>
#include <cstdint>

#include "flow/flow.h"
#include "flow/runtime/conditions.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_units.h"
#include "flow/runtime/status_values.h"
#include "objects/chara.h"
#include "stagedata/progress/play_data.h"

namespace {

enum : int {
  STATUSOP_SET = 0,
  STATUSOP_ADD = 1,
  STATUSOP_SUB = 2,
  STATUSOP_MUL = 3,
  STATUSOP_DIV = 4,
  STATUSOP_MOD = 5,
  STATUSOP_PERCENT = 6,
};

// Left object 2: a system status (0 and 1 are self and its target).
constexpr int kObjectSystem = 2;

// HP and SP: the right operand is plain, a percentage of the maximum or of
// the current value.
enum : int {
  GAUGEPERCENT_MAX = 1,
  GAUGEPERCENT_CURRENT = 2,
};

// x <op> r, exact, then clamped to the range. Division and remainder
// truncate toward zero; by 0 they leave x.
int32_t Operate(int32_t x, int nOp, int32_t r, STATUSRANGE range) {
  int64_t v = x;
  switch (nOp) {
    case STATUSOP_SET:
      v = r;
      break;
    case STATUSOP_ADD:
      v = int64_t{x} + r;
      break;
    case STATUSOP_SUB:
      v = int64_t{x} - r;
      break;
    case STATUSOP_MUL:
      v = int64_t{x} * r;
      break;
    case STATUSOP_DIV:
      if (r != 0) v = int64_t{x} / r;
      break;
    case STATUSOP_MOD:
      if (r != 0) v = int64_t{x} % r;
      break;
    case STATUSOP_PERCENT:
      v = ScalePercent(x, r);
      break;
    default:
      break;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(v, range.nMin, range.nMax));
}

// Where a common (0) or stage (1) variable lives; null for another kind and
// for a bad index (reported).
int32_t* VariableSlot(int nKind, int nIndex) {
  if (nKind == 0) return CommonVarSlot(nIndex);
  if (nKind == 1) return StageVarSlot(nIndex);
  return nullptr;
}

// The right operand; false when the whole operation does nothing.
bool RightOperand(cChara& self, const cFlowCommand& cmd, int32_t& r) {
  r = 0;
  switch (cmd.Param(6)) {
    case 0:
      r = cmd.Param(7);
      return true;
    case 1:
      r = RandomBetween(cmd.Param(8), cmd.Param(9));
      return true;
    case 2:
      return ReadStatusOperand(&self, cmd.Param(12), cmd.Param(13), cmd.Param(11), r);
    case 3:
      if (cmd.Param(10) == 0) r = ReadCommonVar(cmd.Param(11));
      if (cmd.Param(10) == 1) r = ReadStageVar(cmd.Param(11));
      return true;
    default:
      return true;
  }
}

// The right operand as a percentage of the left value, when asked for.
int32_t PercentOf(const cFlowCommand& cmd, int32_t nValue, int32_t r) {
  return cmd.Param(14) ? ScalePercent(nValue, r) : r;
}

// A variable (common, stage or character variable); nothing without one.
void OperateOnVariable(int32_t* lpVar, const cFlowCommand& cmd, int32_t r) {
  if (!lpVar) return;
  r = PercentOf(cmd, *lpVar, r);
  *lpVar = Operate(*lpVar, cmd.Param(5), r, kVariableRange);
}

void OperateOnSystem(const cFlowCommand& cmd, int nStatus, int32_t r) {
  if (nStatus < 0 || nStatus >= SYSSTATUS_COUNT) return;
  const int32_t x = ReadSystemStatus(nStatus);
  if (nStatus == SYSSTATUS_LIFE && x == kInfiniteLives) return;
  r = PercentOf(cmd, x, r);
  WriteSystemStatus(nStatus, Operate(x, cmd.Param(5), r, kSystemStatusRange[nStatus]));
}

// HP or SP: the new value worked out within 0..999999, then reached through
// the character's own change (forced for HP), whose rules have the last say.
void OperateOnGauge(cChara& chara, const cFlowCommand& cmd, bool bSp, int32_t r) {
  const int32_t x = bSp ? chara.m_nSp : chara.m_nHp;
  const int32_t nMax = bSp ? chara.m_Def.m_nMaxSp : chara.m_Def.m_nMaxHp;
  if (cmd.Param(15) == GAUGEPERCENT_MAX) r = ScalePercent(nMax, r);
  if (cmd.Param(15) == GAUGEPERCENT_CURRENT) r = ScalePercent(x, r);
  const int32_t nNew = Operate(x, cmd.Param(5), r, kCharaStatusRange[CHARASTATUS_HP]);
  const int nDelta = SaturateInt32(int64_t{nNew} - x);
  if (bSp)
    chara.ChangeSp(nDelta, cmd.Param(16));
  else
    chara.ChangeHp(nDelta, 1, cmd.Param(16));
}

void OperateOnChara(cChara& self, const cFlowCommand& cmd, int32_t r) {
  cChara* lpChara = ObjectOfSubject(&self, cmd.Param(3));
  if (!lpChara) return;
  cChara& chara = *lpChara;
  if (cmd.Param(17) && chara.m_Def.m_nInvincible != 0) return;
  const int nStatus = cmd.Param(4);
  if (nStatus < 0 || nStatus >= CHARASTATUS_COUNT) return;
  if (nStatus == CHARASTATUS_SIGHT && chara.m_nKind != OBJKIND_PLAYER) return;
  if (nStatus == CHARASTATUS_HP || nStatus == CHARASTATUS_SP) {
    OperateOnGauge(chara, cmd, nStatus == CHARASTATUS_SP, r);
  } else if (nStatus == CHARASTATUS_VAR) {
    OperateOnVariable(CharaVarSlot(chara, cmd.Param(2)), cmd, r);
  } else {
    const int32_t x = ReadCharaStatus(chara, nStatus, 0);
    r = PercentOf(cmd, x, r);
    WriteCharaStatus(chara, nStatus, 0, Operate(x, cmd.Param(5), r, kCharaStatusRange[nStatus]));
  }
  // Another character left without HP dies once its own flows are through.
  const bool bHpChange = nStatus == CHARASTATUS_HP || nStatus == CHARASTATUS_MAXHP;
  if (bHpChange && &chara != &self && chara.m_nHp <= 0) FlowContext().m_bCodeKill = 1;
}

}  // namespace

void ApplyStatusOperation(cChara& chara, const cFlowCommand& cmd) {
  int32_t r = 0;
  if (!RightOperand(chara, cmd, r)) return;
  if (cmd.Param(0) == 1) {
    OperateOnVariable(VariableSlot(cmd.Param(1), cmd.Param(2)), cmd, r);
  } else if (cmd.Param(0) == 0) {
    if (cmd.Param(3) == kObjectSystem)
      OperateOnSystem(cmd, cmd.Param(4), r);
    else
      OperateOnChara(chara, cmd, r);
  }
}
