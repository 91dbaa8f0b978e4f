// Block, character and item definitions: defaults, file forms of older
// versions, palette links and validation.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <type_traits>

#include "flow/command_table.h"
#include "stagedata/common_palette.h"
#include "stagedata/tests/stage_generator.h"
#include "stagedata/tests/stage_test_util.h"
#include "testing/game_folder.h"
#include "testing/record_bytes.h"

namespace {

// Bad-index reports give the stored layout's size, not this machine's.
static_assert(ReportedElementSize<cEdChara>::value == 200);

class DefinitionsTest : public ::testing::Test {
 protected:
  cTestGameFolder m_folder;
  cStageGlobalsGuard m_guard;
  cCommonPalette m_common;
  cEdStage m_stage;
  cStageRefs Refs() { return GeneratorRefs(&m_common, &m_stage); }
};

TEST_F(DefinitionsTest, DefaultBlockIsSolidUntilValidatedWithoutGraphic) {
  cEdBlock block;
  EXPECT_EQ(block.m_nHitKind, BLOCKHIT_SOLID);
  EXPECT_EQ(block.m_nPassFaction, -1);
  EXPECT_EQ(block.m_vLinkFlags, std::vector<uint8_t>(11, 0));
  EXPECT_EQ(block.m_nGraphic, 0);
  block.m_bProtected = 1;
  block.Validate(Refs());
  EXPECT_EQ(block.m_nHitKind, BLOCKHIT_NONE);
  EXPECT_EQ(block.m_bProtected, 0);
}

TEST_F(DefinitionsTest, BlockFileFormMatchesTheStoredLayout) {
  cEdBlock block;
  block.m_strName = "壁";
  block.m_nGraphic = 7;
  block.m_nPassFaction = -1;
  block.m_nEffectValue = 0x01020304;
  block.m_nTileX = 3;
  block.m_nTileY = -2;
  const std::string bytes = RecordBytes(block, Refs());
  cRecordBytes expected;
  expected.Fields(18)
      .i8(0)
      .i16(0)
      .i8(0)
      .i8(0)
      .i16(7)
      .i8(0)
      .i16(0)
      .i8(0)
      .i8(0)
      .i8(0)
      .i16(0)
      .i8(1)
      .u8(255)
      .i8(0)
      .i32(0x01020304)
      .i8(0)
      .i16(0)
      .i8(0);
  expected.Strings(1).str("壁").i16(3).i16(-2).u32(11);
  for (int i = 0; i < 11; ++i) expected.u8(0);
  expected.u32(0);
  EXPECT_EQ(bytes, expected.Bytes());
}

TEST_F(DefinitionsTest, MapCellLatchFollowsTheBlockItHolds) {
  cEdBlock block;
  block.m_nGraphic = 4;
  cMapCell cell;
  cell.m_bCondMet = 1;
  cMapCell copy(cell);
  EXPECT_EQ(copy.m_bCondMet, 1);  // a whole cell keeps its latch
  copy = cell;
  EXPECT_EQ(copy.m_bCondMet, 1);
  copy = block;  // a new block clears it
  EXPECT_EQ(copy.m_bCondMet, 0);
  EXPECT_EQ(copy.m_nGraphic, 4);
}

// Shot sheets gained a blank first cell in version 219: definitions drawn
// from the shot sheet move one cell on, up to the last cell 119.
TEST_F(DefinitionsTest, ShotSheetGraphicsMoveOnBeforeVersion219) {
  struct Case {
    int nVersion;
    int nKind;
    int nGraphic;
    int nExpected;
  } const cases[] = {{218, 3, 5, 6}, {218, 3, 119, 119}, {218, 2, 5, 5}, {219, 3, 5, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.nVersion << " graphic " << c.nGraphic);
    cEdBlock block;
    block.m_nGraphicKind = static_cast<int8_t>(c.nKind);
    block.m_nGraphic = static_cast<int16_t>(c.nGraphic);
    cEdChara chara;
    chara.m_nGraphicKind = static_cast<int8_t>(c.nKind);
    chara.m_nGraphic = static_cast<int16_t>(c.nGraphic);
    cEdItem item;
    item.m_nGraphicKind = static_cast<int8_t>(c.nKind);
    item.m_nGraphic = static_cast<int16_t>(c.nGraphic);
    const std::string blockBytes = RecordBytes(block, Refs(), c.nVersion);
    const std::string charaBytes = RecordBytes(chara, Refs(), c.nVersion);
    const std::string itemBytes = RecordBytes(item, Refs(), c.nVersion);
    cEdBlock block2;
    cEdChara chara2;
    cEdItem item2;
    ASSERT_TRUE(LoadRecordBytes(block2, blockBytes, c.nVersion, Refs()));
    ASSERT_TRUE(LoadRecordBytes(chara2, charaBytes, c.nVersion, Refs()));
    ASSERT_TRUE(LoadRecordBytes(item2, itemBytes, c.nVersion, Refs()));
    EXPECT_EQ(block2.m_nGraphic, c.nExpected);
    EXPECT_EQ(chara2.m_nGraphic, c.nExpected);
    EXPECT_EQ(item2.m_nGraphic, c.nExpected);
  }
}

// Character files of older versions: fields a version lacks get their
// upgrade values, and attribute groups added later are inserted as linked.
TEST_F(DefinitionsTest, CharacterUpgradesByFileVersion) {
  struct Case {
    const char* pszWhat;
    int nVersion;
    std::function<void(cEdChara&)> store;
    std::function<void(const cEdChara&)> check;
  } const cases[] = {
      {"defence absent before 168", 167, [](cEdChara& c) { c.m_nDefence = 9; },
       [](const cEdChara& c) { EXPECT_EQ(c.m_nDefence, 0); }},
      {"defence stored from 168", 168, [](cEdChara& c) { c.m_nDefence = 9; },
       [](const cEdChara& c) { EXPECT_EQ(c.m_nDefence, 9); }},
      {"effect modes absent before 196", 195,
       [](cEdChara& c) { c.m_nCharaEffectMode = c.m_nDeathEffectMode = 2; },
       [](const cEdChara& c) { EXPECT_EQ(c.m_nCharaEffectMode + c.m_nDeathEffectMode, 0); }},
      {"body box absent before 201", 200, [](cEdChara& c) { c.m_nBodyBox = 2; },
       [](const cEdChara& c) { EXPECT_EQ(c.m_nBodyBox, 0); }},
      {"body box 2 becomes 3 before 206", 203, [](cEdChara& c) { c.m_nBodyBox = 2; },
       [](const cEdChara& c) { EXPECT_EQ(c.m_nBodyBox, 3); }},
      {"body box 1 stays before 206", 203, [](cEdChara& c) { c.m_nBodyBox = 1; },
       [](const cEdChara& c) { EXPECT_EQ(c.m_nBodyBox, 1); }},
      {"body box 2 stays from 206", 206, [](cEdChara& c) { c.m_nBodyBox = 2; },
       [](const cEdChara& c) { EXPECT_EQ(c.m_nBodyBox, 2); }},
      {"scroll sync absent before 210", 209, [](cEdChara& c) { c.m_bScrollSync = 1; },
       [](const cEdChara& c) { EXPECT_EQ(c.m_bScrollSync, 0); }},
      {"scroll sync stored from 210", 210, [](cEdChara& c) { c.m_bScrollSync = 1; },
       [](const cEdChara& c) { EXPECT_EQ(c.m_bScrollSync, 1); }},
      {"invincible colour 1 before 285", 284, [](cEdChara& c) { c.m_nInvincibleColour = 4; },
       [](const cEdChara& c) { EXPECT_EQ(c.m_nInvincibleColour, 1); }},
      {"invincible colour stored from 285", 285, [](cEdChara& c) { c.m_nInvincibleColour = 4; },
       [](const cEdChara& c) { EXPECT_EQ(c.m_nInvincibleColour, 4); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    cEdChara stored;
    stored.m_nMaxHp = 77;
    c.store(stored);
    const std::string bytes = RecordBytes(stored, Refs(), c.nVersion);
    cEdChara loaded;
    loaded.m_nDefence = loaded.m_nBodyBox = loaded.m_bScrollSync =
        5;  // previous values must not stay
    ASSERT_TRUE(LoadRecordBytes(loaded, bytes, c.nVersion, Refs()));
    EXPECT_EQ(loaded.m_nMaxHp, 77);
    c.check(loaded);
  }
}

TEST_F(DefinitionsTest, OldCharacterLinkFlagsGainTheNewGroupsAsLinked) {
  cEdChara stored;
  stored.m_vLinkFlags.assign(34, 0);
  for (size_t i = 0; i < 34; ++i) stored.m_vLinkFlags[i] = static_cast<uint8_t>(i % 2 == 0 ? 0 : 2);
  const std::string bytes = RecordBytes(stored, Refs(), 167);
  cEdChara loaded;
  ASSERT_TRUE(LoadRecordBytes(loaded, bytes, 167, Refs()));
  ASSERT_EQ(loaded.m_vLinkFlags.size(), 37u);
  std::vector<uint8_t> rest;  // the stored flags, in order, without the three new ones
  for (size_t i = 0; i < 37; ++i) {
    if (i == 21 || i == 25 || i == 29) {
      EXPECT_EQ(loaded.m_vLinkFlags[i], 1) << "group " << i;
    } else {
      rest.push_back(loaded.m_vLinkFlags[i]);
    }
  }
  EXPECT_EQ(rest, std::vector<uint8_t>(stored.m_vLinkFlags.begin(), stored.m_vLinkFlags.end()));
}

TEST_F(DefinitionsTest, CharacterFlowsWithNothingInThemDisappearOnLoad) {
  cEdChara chara;
  chara.m_vFlow.resize(3);
  chara.m_vFlow[1].m_KeyConditions.resize(1);                  // a key condition alone keeps a flow
  chara.m_vFlow[2].m_cTrigger = 4;                             // a trigger alone does not
  const std::string bytes = RecordBytes(chara, cStageRefs());  // Save validates first
  cEdChara loaded;
  ASSERT_TRUE(LoadRecordBytes(loaded, bytes, DATA_VERSION, Refs()));
  ASSERT_EQ(loaded.m_vFlow.size(), 1u);
  EXPECT_EQ(loaded.m_vFlow[0].m_KeyConditions.size(), 1u);
}

TEST_F(DefinitionsTest, ValidationResetsRowsPastTheTables) {
  cEdChara chara;
  chara.m_nGraphicKind = 4;
  chara.m_nGraphic = 4;  // Bmp_CharaExc has 4 rows: falls back to row 1
  chara.m_nAnimeSet = -1;
  chara.m_nCharaEffect = 8;
  chara.m_nDeathEffect = 7;
  chara.m_nHitEffect = 100;
  chara.m_nGiant = 0;
  chara.Validate(Refs());
  EXPECT_EQ(chara.m_nGraphic, 1);
  EXPECT_EQ(chara.m_nAnimeSet, 0);
  EXPECT_EQ(chara.m_nCharaEffect, 0);
  EXPECT_EQ(chara.m_nDeathEffect, 7);
  EXPECT_EQ(chara.m_nHitEffect, 0);
  EXPECT_EQ(chara.m_nGiant, 1);

  cEdItem item;
  item.m_nTakeSound = 8;
  item.m_nGiant = -3;
  item.Validate(Refs());
  EXPECT_EQ(item.m_nTakeSound, 0);
  EXPECT_EQ(item.m_nGiant, 1);
}

TEST_F(DefinitionsTest, CopyOffsetsMirrorWhenFacingRight) {
  cEdChara chara;
  chara.m_nOffsetX = 10;
  chara.m_nOffsetStepX = 4;
  chara.m_bMirrorX = 1;
  chara.m_nOffsetY = 5;
  chara.m_nOffsetStepY = -1;
  EXPECT_EQ(chara.GetOffsetX(3, 1), -22);
  EXPECT_EQ(chara.GetOffsetX(3, 0), 22);
  EXPECT_EQ(chara.GetOffsetY(3, 1), 2);  // no y mirror
}

// ---- Palette links -----------------------------------------------------

class LinkTest : public DefinitionsTest {
 protected:
  void SetUp() override { GenerateCommonPalette(m_common); }
};

TEST_F(LinkTest, BlockTakesOnlyTheFlaggedGroups) {
  cEdBlock& source = m_common.m_vBlock[3];
  source.m_nGraphicKind = 1;
  source.m_nGraphic = 33;
  source.m_nGraphicRow = 21;
  source.m_nHitKind = BLOCKHIT_FATAL;
  source.m_strName = "元";
  cEdBlock block;
  block.m_strName = "自分";
  block.m_nItemSource = LINKSRC_COMMON;
  block.m_nItemIndex = 2;
  block.m_vCondition.resize(2);
  block.m_nLinkSrc = LINKSRC_COMMON;
  block.m_nLinkNo = 3;
  block.m_vLinkFlags[2] = block.m_vLinkFlags[6] = 1;
  block.ApplyLink(Refs());
  EXPECT_EQ(block.m_nGraphicKind, 1);
  EXPECT_EQ(block.m_nGraphic, 33);
  EXPECT_EQ(block.m_nGraphicRow, 21);
  EXPECT_EQ(block.m_nHitKind, BLOCKHIT_FATAL);
  EXPECT_EQ(block.m_strName, "自分");
  EXPECT_EQ(block.m_vCondition.size(), 2u);
  EXPECT_EQ(block.m_nItemIndex, 2);
}

TEST_F(LinkTest, LinksThatNameNothingCopyNothing) {
  struct Case {
    const char* pszWhat;
    int nSource;
    int nIndex;
    int nSourceAfter;
  } const cases[] = {
      {"index 0 never links", LINKSRC_COMMON, 0, LINKSRC_COMMON},
      {"past the palette: the link is cut", LINKSRC_COMMON, 40, LINKSRC_NONE},
      {"negative index: cut", LINKSRC_STAGE, -2, LINKSRC_NONE},
      {"unknown source links to itself", 7, 1, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    cEdChara chara;
    chara.m_nMaxHp = 5;
    chara.m_nLinkSrc = static_cast<int8_t>(c.nSource);
    chara.m_nLinkNo = static_cast<int16_t>(c.nIndex);
    chara.m_vLinkFlags.assign(37, 1);
    chara.ApplyLink(Refs());
    EXPECT_EQ(chara.m_nLinkSrc, c.nSourceAfter);
    EXPECT_EQ(chara.m_nLinkNo, c.nIndex);
    EXPECT_EQ(chara.m_nMaxHp, 5);
  }
}

TEST_F(LinkTest, CharacterGroupsCopyTheirMembersOnly) {
  const cEdChara& source = m_common.m_vChara[3];
  m_common.m_vChara[3].m_nMaxHp = 345;
  cEdChara chara;
  chara.m_nLinkSrc = LINKSRC_COMMON;
  chara.m_nLinkNo = 3;
  chara.m_vLinkFlags[23] = 1;  // maximum HP
  chara.m_vLinkFlags[4] = 1;   // conditions with their mode and once switch
  chara.m_nGraphic = 2;
  m_common.m_vChara[3].m_nCondMode = 1;
  m_common.m_vChara[3].m_bCondOnce = 1;
  m_common.m_vChara[3].m_vCondition.resize(3);
  chara.ApplyLink(Refs());
  EXPECT_EQ(chara.m_nMaxHp, source.m_nMaxHp);
  EXPECT_EQ(chara.m_vCondition.size(), 3u);
  EXPECT_EQ(chara.m_nCondMode, 1);
  EXPECT_EQ(chara.m_bCondOnce, 1);
  EXPECT_EQ(chara.m_nGraphic, 2);
  EXPECT_TRUE(chara.m_vFlow.empty());
}

TEST_F(LinkTest, LinkedFlowsFromAnEntryWithoutFlowsLeaveNone) {
  m_common.m_vChara[1].m_vFlow.clear();
  cEdChara chara;
  chara.m_vFlow.resize(2);
  chara.m_vFlow[0].m_Commands.resize(1);
  chara.m_nLinkSrc = LINKSRC_COMMON;
  chara.m_nLinkNo = 1;
  chara.m_vLinkFlags[36] = 1;
  const std::string bytes = RecordBytes(chara, Refs());
  cEdChara loaded;
  ASSERT_TRUE(LoadRecordBytes(loaded, bytes, DATA_VERSION, Refs()));
  EXPECT_TRUE(loaded.m_vFlow.empty());
}

TEST_F(LinkTest, LinkedItemCommandsAreIndependentCopies) {
  cEdItem& source = m_common.m_vItem[2];
  ASSERT_FALSE(source.m_vItemCommand.empty());
  cFlowCommand shot;
  shot.m_cType = CMD_SHOT;
  CreateShot(shot.m_pShot);
  shot.m_pShot->m_nSpeed = 40;
  source.m_vItemCommand[0] = shot;
  cEdItem item;
  item.m_nLinkSrc = LINKSRC_COMMON;
  item.m_nLinkNo = 2;
  item.m_vLinkFlags[12] = 1;
  item.ApplyLink(Refs());
  ASSERT_EQ(item.m_vItemCommand.size(), source.m_vItemCommand.size());
  ASSERT_TRUE(item.m_vItemCommand[0].m_pShot);
  item.m_vItemCommand[0].m_pShot->m_nSpeed = 99;
  EXPECT_EQ(source.m_vItemCommand[0].m_pShot->m_nSpeed, 40);
}

TEST_F(LinkTest, ItemReferencesResolveInTheNamedPalette) {
  m_stage.m_vItem.resize(3);
  m_stage.m_vItem[2].m_nTakeMode = TAKEMODE_NEVER;
  EXPECT_EQ(GetItemDef(Refs(), 1, -1), nullptr);
  EXPECT_EQ(GetItemDef(Refs(), 3, 0), nullptr);
  EXPECT_EQ(GetItemDef(Refs(), 1, 4), nullptr);
  EXPECT_EQ(GetItemDef(Refs(), 2, 0), &m_stage.m_vItem[0]);
  EXPECT_EQ(GetItemDef(Refs(), 2, 2)->m_nTakeMode, TAKEMODE_NEVER);
  EXPECT_EQ(GetItemDef(Refs(), 1, 3), &m_common.m_vItem[3]);
}

// ---- Background layers and erase rules ------------------------------------

TEST_F(DefinitionsTest, BackgroundLayersOfOldVersions) {
  // Version 60: no visible switch, the factors as two dropped 4-byte values,
  // no self-scrolling switches and no offsets.
  cRecordBytes v60;
  v60.Fields(5).i32(1).i32(7).i32(1).i32(-1).i32(-1).Strings(1).str("bmp\\a.bmp");
  cEdBgLayer layer60;
  ASSERT_TRUE(LoadRecordBytes(layer60, v60.Bytes(), 60, cStageRefs()));
  EXPECT_EQ(layer60.m_bVisible, 1);
  EXPECT_EQ(layer60.m_bFill, 1);
  EXPECT_EQ(layer60.m_nFillColour, 7);
  EXPECT_EQ(layer60.m_bFront, 1);
  EXPECT_EQ(layer60.m_dSpeedX, 0.1);
  EXPECT_EQ(layer60.m_dSpeedY, 0.1);
  EXPECT_EQ(layer60.m_strBitmap, "bmp\\a.bmp");
  EXPECT_EQ(layer60.m_dOffsetX, 0);

  // Version 61: factors and self-scrolling stored, two dropped 4-byte values
  // after the string.
  cRecordBytes v61;
  v61.Fields(9).i32(0).i32(16).i32(0).f64(0.5).f64(2.0).i32(1).i32(0).i32(-1).i32(-1);
  v61.Strings(1).str("b.bmp");
  cEdBgLayer layer61;
  ASSERT_TRUE(LoadRecordBytes(layer61, v61.Bytes(), 61, cStageRefs()));
  EXPECT_EQ(layer61.m_bVisible, 1);
  EXPECT_EQ(layer61.m_dSpeedX, 0.5);
  EXPECT_EQ(layer61.m_dSpeedY, 2.0);
  EXPECT_EQ(layer61.m_bAutoScrollX, 1);
  EXPECT_EQ(layer61.m_dOffsetX, 0);

  // Version 695: ten fields of 56 bytes and the string.
  cEdBgLayer layer;
  layer.m_dOffsetY = 3.25;
  const std::string bytes = RecordBytes(layer, cStageRefs());
  EXPECT_EQ(bytes.size(), 4u + 56u + 4u + 4u);
  cEdBgLayer reloaded;
  ASSERT_TRUE(LoadRecordBytes(reloaded, bytes, DATA_VERSION, cStageRefs()));
  EXPECT_EQ(reloaded.m_dOffsetY, 3.25);
}

TEST_F(DefinitionsTest, AssignBgLayerListTakesTheSourceLength) {
  cCheckedVector<cEdBgLayer> source(3), target(5);
  source[2].m_strBitmap = "x.bmp";
  source[2].m_dSpeedX = 4;
  AssignBgLayerList(target, source);
  ASSERT_EQ(target.size(), 3u);
  EXPECT_EQ(target[2].m_strBitmap, "x.bmp");
  EXPECT_EQ(target[2].m_dSpeedX, 4);
}

// Copies and moves of definitions take every member: a source with every
// member away from its default saves byte for byte like its copies.
template <class T>
class DefinitionCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GenerateCommonPalette(m_common);
    GenerateStage(m_stage, cStageGenOptions());
  }

  // A placement of the generated stage (conditions, flows or item commands,
  // tile, link flags) with every registered member one above its default.
  // Read from the placement's bytes, not copied from it.
  void Populate(T& def) {
    EXPECT_TRUE(LoadRecordBytes(def, RecordBytes(Placement(), Refs()), DATA_VERSION, Refs()));
    const T fresh;
    for (const FIELDDESC& field : def.FieldList()) {
      const ptrdiff_t nOffset =
          static_cast<char*>(field.data) - reinterpret_cast<char*>(field.owner);
      const char* pDefault = reinterpret_cast<const char*>(static_cast<const cRecord*>(&fresh));
      for (int32_t i = 0; i < field.count; ++i) {
        char* pTo = static_cast<char*>(field.data) + i * field.size;
        const char* pFrom = pDefault + nOffset + i * field.size;
        switch (field.size) {
          case 1:
            Bump<int8_t>(pTo, pFrom);
            break;
          case 2:
            Bump<int16_t>(pTo, pFrom);
            break;
          case 4:
            Bump<int32_t>(pTo, pFrom);
            break;
          default:
            Bump<double>(pTo, pFrom);
            break;
        }
      }
    }
    for (const STRINGDESC& string : def.StringList()) *string.pString = "名前";
    def.m_nTileX = 5;
    def.m_nTileY = 6;
    def.m_vLinkFlags.assign(def.m_vLinkFlags.size(), 1);
    if constexpr (std::is_same_v<T, cEdChara>) def.m_nPlaceData = 1;  // a placed item
  }

  // Every registered member of def (after a save, which validates it) still
  // differs from a new definition's.
  void ExpectAwayFromDefaults(T& def) {
    RecordBytes(def, Refs());
    const T fresh;
    const char* pDefault = reinterpret_cast<const char*>(static_cast<const cRecord*>(&fresh));
    for (const FIELDDESC& field : def.FieldList()) {
      const ptrdiff_t nOffset =
          static_cast<char*>(field.data) - reinterpret_cast<char*>(field.owner);
      EXPECT_NE(std::memcmp(field.data, pDefault + nOffset, field.count * field.size), 0)
          << "field at offset " << nOffset;
    }
  }

  // The first placement with appearance conditions (and flows).
  T& Placement() {
    for (cEdBlock& block : m_stage.m_vPlacedBlock)
      if constexpr (std::is_same_v<T, cEdBlock>)
        if (!block.m_vCondition.empty()) return block;
    for (cEdChara& chara : m_stage.m_vPlacedChara)
      if constexpr (std::is_same_v<T, cEdChara>)
        if (!chara.m_vCondition.empty() && !chara.m_vFlow.empty()) return chara;
    for (cEdItem& item : m_stage.m_vPlacedItem)
      if constexpr (std::is_same_v<T, cEdItem>)
        if (!item.m_vCondition.empty() && !item.m_vItemCommand.empty()) return item;
    ADD_FAILURE() << "no placement holds every list";
    static T none;
    return none;
  }

  template <class V>
  static void Bump(char* pTo, const char* pFrom) {
    V value;
    std::memcpy(&value, pFrom, sizeof value);
    value = static_cast<V>(value + 1);
    std::memcpy(pTo, &value, sizeof value);
  }

  cStageRefs Refs() { return GeneratorRefs(&m_common, &m_stage); }

  cTestGameFolder m_folder;
  cStageGlobalsGuard m_guard;
  cCommonPalette m_common;
  cEdStage m_stage;
};

using DefinitionTypes = ::testing::Types<cEdBlock, cEdChara, cEdItem>;
TYPED_TEST_SUITE(DefinitionCopyTest, DefinitionTypes);

TYPED_TEST(DefinitionCopyTest, CopiesAndMovesSaveLikeTheSource) {
  TypeParam source;
  this->Populate(source);
  this->ExpectAwayFromDefaults(source);
  const std::string bytes = RecordBytes(source, this->Refs());

  TypeParam copied(source);
  TypeParam assigned;
  this->Populate(assigned);
  assigned.m_vCondition.clear();
  assigned = source;
  TypeParam moveSource(source);
  TypeParam moved(std::move(moveSource));
  TypeParam moveAssigned;
  TypeParam moveAssignSource(source);
  moveAssigned = std::move(moveAssignSource);

  for (TypeParam* pResult : {&copied, &assigned, &moved, &moveAssigned})
    EXPECT_EQ(RecordBytes(*pResult, this->Refs()), bytes);
  EXPECT_EQ(RecordBytes(source, this->Refs()), bytes);  // the copies left it alone
}

}  // namespace
