#pragma once
// Copying the linked attribute groups of a block, character or item
// definition from the palette entry it links to.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "app/base/checked_containers.h"
#include "stagedata/block.h"
#include "stagedata/palettes.h"

// Drops a link to the common or stage palette whose entry does not exist.
template <class Def>
void DropMissingLink(Def& def, const cStageRefs& refs,
                     const cCheckedVector<Def>* (*pfnPalette)(const cStageRefs&, int)) {
  if ((def.m_nLinkSrc == LINKSRC_COMMON || def.m_nLinkSrc == LINKSRC_STAGE) &&
      !IsPaletteIndex(pfnPalette(refs, def.m_nLinkSrc), def.m_nLinkNo)) {
    def.m_nLinkSrc = LINKSRC_NONE;
    def.m_nLinkNo = 0;
  }
}

// Copies every group whose link flag is set from the linked entry of the
// common or stage palette (pfnPalette looks the list up). A link to an entry
// that does not exist is dropped; any other link source links a definition
// to itself, which copies nothing. Flags past the known groups are ignored.
template <class Def, class Copier, size_t N>
void ApplyLinkGroups(Def& def, const cStageRefs& refs,
                     const cCheckedVector<Def>* (*pfnPalette)(const cStageRefs&, int),
                     const Copier (&copiers)[N]) {
  if (def.m_nLinkNo == 0 || def.m_nLinkSrc == LINKSRC_NONE) return;
  const Def* pSource = &def;
  if (def.m_nLinkSrc == LINKSRC_COMMON || def.m_nLinkSrc == LINKSRC_STAGE) {
    const cCheckedVector<Def>* pList = pfnPalette(refs, def.m_nLinkSrc);
    if (!IsPaletteIndex(pList, def.m_nLinkNo)) {
      def.m_nLinkSrc = LINKSRC_NONE;
      return;
    }
    pSource = &(*pList)[static_cast<uint16_t>(def.m_nLinkNo)];
  }
  if (pSource == &def) return;
  const size_t nGroups = std::min<size_t>(def.m_vLinkFlags.size(), N);
  for (size_t g = 0; g < nGroups; ++g)
    if (def.m_vLinkFlags[g] != 0) copiers[g](def, *pSource);
}
