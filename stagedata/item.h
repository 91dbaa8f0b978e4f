#pragma once
// cEdItem: the stored definition of one item, a palette entry or an item
// placed on a stage map. Touching it runs its item commands on the hero.

#include <cstdint>
#include <string>
#include <vector>

#include "app/base/checked_containers.h"
#include "flow/condition.h"
#include "flow/flow.h"
#include "records/record.h"
#include "stagedata/link_flags.h"
#include "stagedata/stage_refs.h"

inline constexpr int kItemLinkGroups = 13;

// Take modes.
enum : int8_t { TAKEMODE_ONCE = 0, TAKEMODE_REPEAT = 1, TAKEMODE_NEVER = 2 };

class cEdItem : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cEdItem, 132);
  cEdItem();
  // Copies and moves take every member but the registration (see cRecord).
  cEdItem(const cEdItem&) = default;
  cEdItem(cEdItem&&) = default;
  cEdItem& operator=(const cEdItem&) = default;
  cEdItem& operator=(cEdItem&&) = default;
  ~cEdItem() override = default;

  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  int SetDefaults();
  void Validate(const cStageRefs& refs);
  void ValidateSummonRefs(const cStageRefs& refs);
  void ApplyLink(const cStageRefs& refs);

  // The placement's pixel offset from its tile (kept in the two data fields).
  int PixelOffsetX() const { return m_nItemData1; }
  int PixelOffsetY() const { return m_nItemData2; }

  // Extras (not registered).
  int16_t m_nTileX = 0;
  int16_t m_nTileY = 0;
  cLinkFlags<kItemLinkGroups> m_vLinkFlags;
  cConditionList m_vCondition;
  cFlowCommandList m_vItemCommand;

  // Registered, in this order.
  int8_t m_nLinkSrc = 0;      // 1
  int16_t m_nLinkNo = 0;      // 2
  std::string m_strName;      // the one string
  int8_t m_nCondMode = 0;     // 3
  int8_t m_bCondOnce = 0;     // 4
  int16_t m_nItemData1 = 0;   // 5: pixel offset x of a placement
  int16_t m_nItemData2 = 0;   // 6: pixel offset y of a placement
  int16_t m_nGraphic = 0;     // 7: 0 = the item does nothing when touched
  int8_t m_nGraphicKind = 2;  // 8
  int16_t m_nGraphicRow = 0;  // 9
  int8_t m_nZ = 6;            // 10
  int8_t m_bTransparent = 0;  // 11
  int8_t m_bMark = 0;         // 12
  int16_t m_nMark = 0;        // 13
  int8_t m_bShowTaken = 1;    // 14
  int8_t m_nTakeMode = 0;     // 15: TAKEMODE_*
  int8_t m_nGiant = 1;        // 16
  int16_t m_nTakeSound = 0;   // 17: Sound row, 0 none
};

inline constexpr size_t kMinItemBytes = 4 + 4 + 4 + 4 + 4 + 4;

// The item definition named by an item reference: entry nIndex of the item
// list of the common palette (source 1) or of the stage's palette (source
// 2). Null for any other source or an index outside the list; the pointer is
// valid until that list changes.
const cEdItem* GetItemDef(const cStageRefs& refs, int nSource, int nIndex);

extern const std::string g_TakeModeNames[];
