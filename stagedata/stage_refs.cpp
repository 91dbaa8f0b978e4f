#include "stagedata/stage_refs.h"

#include "stagedata/common_palette.h"
#include "stagedata/stage.h"
#include "stagedata/stage_globals.h"

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
  if (t_pCurrentRefs != nullptr) return *t_pCurrentRefs;
  // Loaders that name no refs (a replay, a hero status) read against the
  // loaded project. Taken afresh: the database may have been loaded since.
  thread_local cStageRefs t_project;
  t_project = MakeProjectRefs();
  return t_project;
}

cStageRefsScope::cStageRefsScope(const cStageRefs& refs) : m_pPrevious(t_pCurrentRefs) {
  t_pCurrentRefs = &refs;
}

cStageRefsScope::~cStageRefsScope() { t_pCurrentRefs = m_pPrevious; }
