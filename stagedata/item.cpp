#include "stagedata/item.h"

#include <algorithm>
#include <type_traits>

#include "stagedata/link_apply.h"
#include "stagedata/palettes.h"

namespace {

using ItemGroupCopier = void (*)(cEdItem& to, const cEdItem& from);

#define COPY1(a) [](cEdItem& to, const cEdItem& from) { to.a = from.a; }
#define COPY2(a, b)                      \
  [](cEdItem& to, const cEdItem& from) { \
    to.a = from.a;                       \
    to.b = from.b;                       \
  }
#define COPY3(a, b, c)                   \
  [](cEdItem& to, const cEdItem& from) { \
    to.a = from.a;                       \
    to.b = from.b;                       \
    to.c = from.c;                       \
  }

// Attribute groups of an item, by the position of their link flag. The
// commands' settings objects are copied, never shared (cFlowCommand's copy).
const ItemGroupCopier kItemGroupCopiers[kItemLinkGroups] = {
    COPY1(m_strName),                                  // 0
    COPY3(m_vCondition, m_nCondMode, m_bCondOnce),     // 1
    COPY1(m_nItemData1),                               // 2
    COPY1(m_nItemData2),                               // 3
    COPY3(m_nGraphicKind, m_nGraphic, m_nGraphicRow),  // 4
    COPY1(m_nZ),                                       // 5
    COPY1(m_bTransparent),                             // 6
    COPY2(m_bMark, m_nMark),                           // 7
    COPY1(m_nGiant),                                   // 8
    COPY1(m_nTakeMode),                                // 9
    COPY1(m_bShowTaken),                               // 10
    COPY1(m_nTakeSound),                               // 11
    COPY1(m_vItemCommand),                             // 12
};

#undef COPY1
#undef COPY2
#undef COPY3

}  // namespace

const std::string g_TakeModeNames[] = {"1回だけ取れる", "何回でも取れる", "取れない", "", {}};

// The member initialisers are the defaults of SetDefaults.
cEdItem::cEdItem() : m_vLinkFlags(kItemLinkGroups, 0) {}

// Lists of definitions grow by moving them.
static_assert(std::is_nothrow_move_constructible_v<cEdItem> &&
              std::is_nothrow_move_assignable_v<cEdItem>);

void cEdItem::RegisterFields(int /*nVersion*/) {
  ClearFieldLists();
  AddString(&m_strName);
  AddField(&m_nLinkSrc);
  AddField(&m_nLinkNo);
  AddField(&m_nCondMode);
  AddField(&m_bCondOnce);
  AddField(&m_nItemData1);
  AddField(&m_nItemData2);
  AddField(&m_nGraphic);
  AddField(&m_nGraphicKind);
  AddField(&m_nGraphicRow);
  AddField(&m_nZ);
  AddField(&m_bTransparent);
  AddField(&m_bMark);
  AddField(&m_nMark);
  AddField(&m_bShowTaken);
  AddField(&m_nTakeMode);
  AddField(&m_nGiant);
  AddField(&m_nTakeSound);
}

int cEdItem::SetDefaults() {
  Clear();
  m_vLinkFlags.assign(kItemLinkGroups, 0);
  m_nGraphicKind = 2;
  m_nGraphic = 0;
  m_bShowTaken = 1;
  m_nGiant = 1;
  m_nZ = 6;
  return 1;
}

void cEdItem::Load(cRecordReader& file) {
  cRecord::Load(file);
  file.Read(m_nTileX);
  file.Read(m_nTileY);
  ReadByteVector(m_vLinkFlags, file);
  LoadConditionList(m_vCondition, file);
  LoadFlowCommandVector(m_vItemCommand, file);
  if (g_nFileVersion < 219 && m_nGraphicKind == 3)
    m_nGraphic = static_cast<int16_t>(std::min(m_nGraphic + 1, 119));
  const cStageRefs& refs = CurrentStageRefs();
  ApplyLink(refs);
  Validate(refs);
}

void cEdItem::Save(cRecordWriter& file) {
  Validate(CurrentStageRefs());
  cRecord::Save(file);
  file.Write(m_nTileX);
  file.Write(m_nTileY);
  SaveByteVector(m_vLinkFlags, file);
  SaveConditionList(m_vCondition, file);
  SaveRecordVector(m_vItemCommand, file);
}

void cEdItem::ApplyLink(const cStageRefs& refs) {
  ApplyLinkGroups(*this, refs, &GetItemPalette, kItemGroupCopiers);
}

void cEdItem::Validate(const cStageRefs& refs) {
  DropMissingLink(*this, refs, &GetItemPalette);
  if (m_nGiant <= 0) m_nGiant = 1;
  if (!IsRow(m_nTakeSound, refs.Tables().nSoundRows)) m_nTakeSound = 0;
  const ValidationContext& context = refs.FlowContext();
  for (cFlowCommand& command : m_vItemCommand) command.Validate(context);
}

void cEdItem::ValidateSummonRefs(const cStageRefs& refs) {
  const ValidationContext& context = refs.FlowContext();
  for (cFlowCommand& command : m_vItemCommand) command.ValidateSummonRefs(context);
}

const cEdItem* GetItemDef(const cStageRefs& refs, int nSource, int nIndex) {
  const cCheckedVector<cEdItem>* pList = GetItemPalette(refs, nSource);
  if (!IsPaletteIndex(pList, nIndex)) return nullptr;
  return &(*pList)[static_cast<size_t>(nIndex)];
}
