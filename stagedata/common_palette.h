#pragma once
// The common palette: the project-wide block, character and item
// definitions that every stage can link to, summon and look items up in.
// One record file, "data\CommonPalette.cplt4", read once at start-up.

#include "app/base/checked_containers.h"
#include "records/record.h"
#include "stagedata/block.h"
#include "stagedata/chara.h"
#include "stagedata/item.h"
#include "stagedata/stage_refs.h"

class cCommonPalette : public cRecord {
 public:
  // One default entry per list.
  cCommonPalette();
  cCommonPalette(const cCommonPalette&) = delete;
  cCommonPalette& operator=(const cCommonPalette&) = delete;
  ~cCommonPalette() override = default;

  void RegisterFields(int /*nVersion*/) override { RegisterNothing(); }
  // Reads the three lists (entries link to the entries of this palette read
  // before them), resets entry 0 of each list, clears every link flag (the
  // common palette never links after loading) and validates.
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;
  // Pads each list to two entries, then validates every entry against refs
  // (with this palette as the common palette).
  void Validate(const cStageRefs& refs);

  cCheckedVector<cEdBlock> m_vBlock;
  cCheckedVector<cEdChara> m_vChara;
  cCheckedVector<cEdItem> m_vItem;
};

// List readers shared with the stage: u32 count (checked against the bytes
// left), the list reset to count default entries, then each entry's Load.
void LoadBlockList(cCheckedVector<cEdBlock>& list, cRecordReader& file);
void LoadCharaList(cCheckedVector<cEdChara>& list, cRecordReader& file);
void LoadItemList(cCheckedVector<cEdItem>& list, cRecordReader& file);

// Makes an item list n long, new entries copies of fill.
void ResizeItemList(cCheckedVector<cEdItem>& list, unsigned n, const cEdItem& fill);
void ClearItemList(cCheckedVector<cEdItem>& list);
