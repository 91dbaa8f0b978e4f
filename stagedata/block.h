#pragma once
// cEdBlock: one block definition, in three roles: an entry of a palette (the
// common palette or a stage's own), a block placed on a stage map, and the
// content of one cell of the running map (cMapCell). A palette entry or a
// placed block may link to a palette entry and inherit from it the attribute
// groups whose link flags are set; the link is resolved when it is loaded.

#include <cstdint>
#include <string>
#include <vector>

#include "app/base/checked_containers.h"
#include "flow/condition.h"
#include "records/record.h"
#include "stagedata/link_flags.h"
#include "stagedata/stage_refs.h"

// Palettes a link or an item reference can name.
enum : int8_t {
  LINKSRC_NONE = 0,
  LINKSRC_COMMON = 1,
  LINKSRC_STAGE = 2,
};

// Hit kinds of a block.
enum : int8_t {
  BLOCKHIT_NONE = 0,
  BLOCKHIT_SOLID = 1,
  BLOCKHIT_FATAL = 2,  // solid for computer characters, fatal for the others
};

inline constexpr int kBlockLinkGroups = 11;

class cEdBlock : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cEdBlock, 124);
  cEdBlock();
  // Copies and moves take every member but the registration (see cRecord).
  cEdBlock(const cEdBlock&) = default;
  cEdBlock(cEdBlock&&) = default;
  cEdBlock& operator=(const cEdBlock&) = default;
  cEdBlock& operator=(cEdBlock&&) = default;
  ~cEdBlock() override = default;

  void RegisterFields(int nVersion) override;
  // Base part, tile position, link flags, conditions; then the shot-sheet
  // renumbering of old files, the link (with the refs of the load in
  // progress) and Validate.
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  void SetDefaults();
  // Cuts a link past its palette; a block without a graphic is neither solid
  // nor protected.
  void Validate(const cStageRefs& refs);
  // Cuts an item reference past its palette.
  void ValidateItemLink(const cStageRefs& refs);
  // Copies the flagged attribute groups from the linked palette entry.
  void ApplyLink(const cStageRefs& refs);

  // Members after the base part. Only the commented ones are registered
  // (in the order of their numbers); the rest are extras.
  int16_t m_nTileX = 0;
  int16_t m_nTileY = 0;
  int8_t m_nLinkSrc = 0;                      // 1
  int16_t m_nLinkNo = 0;                      // 2; 0 = not linked
  cLinkFlags<kBlockLinkGroups> m_vLinkFlags;  // one per attribute group
  std::string m_strName;                      // the string
  cConditionList m_vCondition;                // appearance conditions
  int8_t m_nCondMode = 0;                     // 3: 0 all hold, 1 any holds
  int8_t m_bCondOnce = 0;                     // 4
  int16_t m_nGraphic = 0;                     // 5: 0 = empty cell
  int8_t m_nGraphicKind = 0;                  // 6: 0 block 1 chara 2 item 3 shot 4 own bitmap
  int16_t m_nGraphicRow = 0;                  // 7
  int8_t m_nLayer = 0;                        // 8: 0 behind the objects, 1 in front
  int8_t m_bTransparent = 0;                  // 9: not drawn, still collides
  int8_t m_bMark = 0;                         // 10
  int16_t m_nMark = 0;                        // 11
  int8_t m_nHitKind = BLOCKHIT_SOLID;         // 12
  int8_t m_nPassFaction = -1;                 // 13: this faction passes; -1 none
  int8_t m_nEffect = 0;                       // 14: foot effect 0..5
  int32_t m_nEffectValue = 0;                 // 15
  int8_t m_nItemSource = 0;                   // 16: LINKSRC_*
  int16_t m_nItemIndex = 0;                   // 17
  int8_t m_bProtected = 0;                    // 18
};

// One cell of the running map: a block and its condition latch.
class cMapCell : public cEdBlock {
 public:
  PLAYER_ELEMENT_SIZE(cMapCell, 128);
  cMapCell() = default;
  cMapCell(const cMapCell& other) = default;
  cMapCell& operator=(const cMapCell& other) = default;
  // Putting a block into a cell clears the latch.
  cMapCell& operator=(const cEdBlock& block) {
    cEdBlock::operator=(block);
    m_bCondMet = 0;
    return *this;
  }
  ~cMapCell() override = default;

  int32_t m_bCondMet = 0;  // the conditions have held (kept with m_bCondOnce)
};

// Fixed-width parts of a block in a file (base part with an empty name and
// empty lists), for the count checks of list readers.
inline constexpr size_t kMinBlockBytes = 4 + 4 + 4 + 4 + 4;
