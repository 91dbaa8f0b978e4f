#include "stagedata/block.h"

#include <algorithm>
#include <type_traits>

#include "stagedata/item.h"
#include "stagedata/link_apply.h"
#include "stagedata/palettes.h"

namespace {

// Attribute groups of a block, by the position of their link flag.
using BlockGroupCopier = void (*)(cEdBlock& to, const cEdBlock& from);

const BlockGroupCopier kBlockGroupCopiers[kBlockLinkGroups] = {
    [](cEdBlock& to, const cEdBlock& from) { to.m_strName = from.m_strName; },
    [](cEdBlock& to, const cEdBlock& from) {
      to.m_vCondition = from.m_vCondition;
      to.m_nCondMode = from.m_nCondMode;
      to.m_bCondOnce = from.m_bCondOnce;
    },
    [](cEdBlock& to, const cEdBlock& from) {
      to.m_nGraphicKind = from.m_nGraphicKind;
      to.m_nGraphic = from.m_nGraphic;
      to.m_nGraphicRow = from.m_nGraphicRow;
    },
    [](cEdBlock& to, const cEdBlock& from) { to.m_nLayer = from.m_nLayer; },
    [](cEdBlock& to, const cEdBlock& from) { to.m_bTransparent = from.m_bTransparent; },
    [](cEdBlock& to, const cEdBlock& from) {
      to.m_bMark = from.m_bMark;
      to.m_nMark = from.m_nMark;
    },
    [](cEdBlock& to, const cEdBlock& from) { to.m_nHitKind = from.m_nHitKind; },
    [](cEdBlock& to, const cEdBlock& from) { to.m_nPassFaction = from.m_nPassFaction; },
    [](cEdBlock& to, const cEdBlock& from) {
      to.m_nEffect = from.m_nEffect;
      to.m_nEffectValue = from.m_nEffectValue;
    },
    [](cEdBlock& to, const cEdBlock& from) {
      to.m_nItemSource = from.m_nItemSource;
      to.m_nItemIndex = from.m_nItemIndex;
    },
    [](cEdBlock& to, const cEdBlock& from) { to.m_bProtected = from.m_bProtected; },
};

}  // namespace

// The member initialisers are the defaults of SetDefaults; a new block
// registers its fields only when it is first read, written or cleared.
cEdBlock::cEdBlock() : m_vLinkFlags(kBlockLinkGroups, 0) {}

// Lists of definitions grow by moving them.
static_assert(std::is_nothrow_move_constructible_v<cEdBlock> &&
              std::is_nothrow_move_assignable_v<cEdBlock>);

void cEdBlock::RegisterFields(int /*nVersion*/) {
  ClearFieldLists();
  AddField(&m_nLinkSrc);
  AddField(&m_nLinkNo);
  AddField(&m_nCondMode);
  AddField(&m_bCondOnce);
  AddField(&m_nGraphic);
  AddField(&m_nGraphicKind);
  AddField(&m_nGraphicRow);
  AddField(&m_nLayer);
  AddField(&m_bTransparent);
  AddField(&m_bMark);
  AddField(&m_nMark);
  AddField(&m_nHitKind);
  AddField(&m_nPassFaction);
  AddField(&m_nEffect);
  AddField(&m_nEffectValue);
  AddField(&m_nItemSource);
  AddField(&m_nItemIndex);
  AddField(&m_bProtected);
  AddString(&m_strName);
}

void cEdBlock::SetDefaults() {
  Clear();
  m_nHitKind = BLOCKHIT_SOLID;
  m_vLinkFlags.assign(kBlockLinkGroups, 0);
  m_nPassFaction = -1;
  m_nGraphic = 0;
}

void cEdBlock::Load(cRecordReader& file) {
  cRecord::Load(file);
  file.Read(m_nTileX);
  file.Read(m_nTileY);
  ReadByteVector(m_vLinkFlags, file);
  LoadConditionList(m_vCondition, file);
  // Shot sheets gained a blank cell 0 in version 219.
  if (g_nFileVersion < 219 && m_nGraphicKind == 3)
    m_nGraphic = static_cast<int16_t>(std::min(m_nGraphic + 1, 119));
  const cStageRefs& refs = CurrentStageRefs();
  ApplyLink(refs);
  Validate(refs);
}

void cEdBlock::Save(cRecordWriter& file) {
  Validate(CurrentStageRefs());
  cRecord::Save(file);
  file.Write(m_nTileX);
  file.Write(m_nTileY);
  SaveByteVector(m_vLinkFlags, file);
  SaveConditionList(m_vCondition, file);
}

void cEdBlock::ApplyLink(const cStageRefs& refs) {
  ApplyLinkGroups(*this, refs, &GetBlockPalette, kBlockGroupCopiers);
}

void cEdBlock::Validate(const cStageRefs& refs) {
  DropMissingLink(*this, refs, &GetBlockPalette);
  if (m_nGraphic == 0) {
    m_nHitKind = BLOCKHIT_NONE;
    m_bProtected = 0;
  }
}

void cEdBlock::ValidateItemLink(const cStageRefs& refs) {
  if ((m_nItemSource == LINKSRC_COMMON || m_nItemSource == LINKSRC_STAGE) &&
      !IsPaletteIndex(GetItemPalette(refs, m_nItemSource), m_nItemIndex)) {
    m_nItemSource = LINKSRC_NONE;
    m_nItemIndex = 0;
  }
}
