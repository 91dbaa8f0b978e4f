#pragma once
// The palette lists that links, item references and validations consult,
// looked up through the refs, and the row counts of the database tables.

#include <cstdint>

#include "app/base/checked_containers.h"
#include "stagedata/stage_refs.h"

class cEdBlock;
class cEdChara;
class cEdItem;

// The list of a palette named by a link source (LINKSRC_COMMON or
// LINKSRC_STAGE); null for any other source and for a palette the refs do
// not name.
const cCheckedVector<cEdBlock>* GetBlockPalette(const cStageRefs& refs, int nSource);
const cCheckedVector<cEdChara>* GetCharaPalette(const cStageRefs& refs, int nSource);
const cCheckedVector<cEdItem>* GetItemPalette(const cStageRefs& refs, int nSource);

// Whether index names an entry of the list. The index is compared as
// unsigned, so a negative one never does; a missing list holds nothing.
template <class T>
bool IsPaletteIndex(const cCheckedVector<T>* pList, int nIndex) {
  return pList != nullptr && static_cast<uint32_t>(nIndex) < pList->size();
}

// Row checks against the database tables (unsigned comparison, so a
// negative index is never a row).
inline bool IsRow(int nIndex, int nRows) {
  return static_cast<uint32_t>(nIndex) < static_cast<uint32_t>(nRows < 0 ? 0 : nRows);
}
