#include "flow/runtime/flow_context.h"

#include <algorithm>

#include "stagedata/progress/play_data.h"

namespace {

cFlowContext* g_lpFlowContext = nullptr;

// A checked slot: the report for a bad index, and null instead of entry 0.
int32_t* CheckedSlot(cCheckedVector<int32_t>& vars, int n) {
  if (n >= 0 && static_cast<size_t>(n) < vars.size()) [[likely]]
    return &vars[static_cast<size_t>(n)];
  ReportBadIndex('V', n, vars.size(), sizeof(int32_t));
  return nullptr;
}

}  // namespace

cFlowContext::cFlowContext() : m_vStageVar(kStageVars, 0), m_lpPrevious(g_lpFlowContext) {
  g_lpFlowContext = this;
}

cFlowContext::~cFlowContext() {
  if (g_lpFlowContext == this) g_lpFlowContext = m_lpPrevious;
}

void cFlowContext::ClearCurrent() {
  m_lpCurChara = nullptr;
  m_lpCurRunner = nullptr;
  m_lpCurState = nullptr;
}

bool cFlowContext::IsWalking(const cChara& chara) const {
  return std::find(m_vWalking.begin(), m_vWalking.end(), &chara) != m_vWalking.end();
}

cFlowWalk::cFlowWalk(const cChara& chara) : m_Ctx(FlowContext()) {
  m_Ctx.m_vWalking.push_back(&chara);
}

cFlowWalk::~cFlowWalk() { m_Ctx.m_vWalking.pop_back(); }

cFlowCurrentScope::cFlowCurrentScope()
    : m_Ctx(FlowContext()),
      m_lpChara(m_Ctx.m_lpCurChara),
      m_lpRunner(m_Ctx.m_lpCurRunner),
      m_lpState(m_Ctx.m_lpCurState) {}

cFlowCurrentScope::~cFlowCurrentScope() {
  m_Ctx.m_lpCurChara = m_lpChara;
  m_Ctx.m_lpCurRunner = m_lpRunner;
  m_Ctx.m_lpCurState = m_lpState;
}

void cFlowContext::ResetFlowState() {
  ClearCurrent();
  m_vStageVar.assign(kStageVars, 0);
  m_nEndRequest = 0;
  m_nNextPart = 0;
  m_bCodeKill = 0;
  m_bItemMessageChain = 0;
  m_bItemOverrunLogged = 0;
}

cFlowContext& FlowContext() {
  if (g_lpFlowContext) [[likely]]
    return *g_lpFlowContext;
  static cFlowContext* lpIdle = [] {
    // Built once and never destroyed; constructing it made it current, which
    // it must not stay.
    auto* lp = new cFlowContext;
    g_lpFlowContext = nullptr;
    return lp;
  }();
  return *lpIdle;
}

int32_t ReadStageVar(int n) { return FlowContext().m_vStageVar.At(n); }

int32_t* StageVarSlot(int n) { return CheckedSlot(FlowContext().m_vStageVar, n); }

int32_t ReadCommonVar(int n) { return g_PlayData.m_CommonVars.At(n); }

int32_t* CommonVarSlot(int n) { return CheckedSlot(g_PlayData.m_CommonVars, n); }
