#include "stagedata/palettes.h"

#include "stagedata/common_palette.h"
#include "stagedata/stage.h"

namespace {

template <class T, class Pick>
const cCheckedVector<T>* PaletteList(const cStageRefs& refs, int nSource, Pick pick) {
  if (nSource == LINKSRC_COMMON) return refs.Common() != nullptr ? &pick(*refs.Common()) : nullptr;
  if (nSource == LINKSRC_STAGE) return refs.Stage() != nullptr ? &pick(*refs.Stage()) : nullptr;
  return nullptr;
}

}  // namespace

const cCheckedVector<cEdBlock>* GetBlockPalette(const cStageRefs& refs, int nSource) {
  return PaletteList<cEdBlock>(
      refs, nSource, [](const auto& p) -> const auto& { return p.m_vBlock; });
}

const cCheckedVector<cEdChara>* GetCharaPalette(const cStageRefs& refs, int nSource) {
  return PaletteList<cEdChara>(
      refs, nSource, [](const auto& p) -> const auto& { return p.m_vChara; });
}

const cCheckedVector<cEdItem>* GetItemPalette(const cStageRefs& refs, int nSource) {
  return PaletteList<cEdItem>(
      refs, nSource, [](const auto& p) -> const auto& { return p.m_vItem; });
}
