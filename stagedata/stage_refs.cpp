#include "stagedata/stage_refs.h"

#include "stagedata/common_palette.h"
#include "stagedata/stage.h"

namespace {

thread_local const cStageRefs* t_pCurrentRefs = nullptr;

template <class Palette>
PaletteCounts CountsOf(const Palette* pPalette) {
  if (pPalette == nullptr) return PaletteCounts{};
  return PaletteCounts{static_cast<int>(pPalette->m_vBlock.size()),
                       static_cast<int>(pPalette->m_vChara.size()),
                       static_cast<int>(pPalette->m_vItem.size())};
}

}  // namespace

const ValidationContext& cStageRefs::FlowContext() const {
  m_context.common = CountsOf(m_pCommon);
  m_context.stage = CountsOf(m_pStage);
  return m_context;
}

const cStageRefs& CurrentStageRefs() {
  static const cStageRefs s_empty;
  return t_pCurrentRefs != nullptr ? *t_pCurrentRefs : s_empty;
}

cStageRefsScope::cStageRefsScope(const cStageRefs& refs) : m_pPrevious(t_pCurrentRefs) {
  t_pCurrentRefs = &refs;
}

cStageRefsScope::~cStageRefsScope() {
  t_pCurrentRefs = m_pPrevious;
}
