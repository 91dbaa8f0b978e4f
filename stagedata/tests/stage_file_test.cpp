// Stage files: the round trip of a generated stage, files of older versions,
// the end marker, damaged and hostile files, LoadStageForPlay and the common
// palette file.

#include <gtest/gtest.h>

#include <functional>

#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "records/database.h"
#include "stagedata/common_palette.h"
#include "stagedata/tests/stage_generator.h"
#include "stagedata/tests/stage_test_util.h"
#include "testing/game_folder.h"
#include "testing/record_bytes.h"
#include "testing/test_random.h"

namespace {

class StageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GenerateCommonPalette(m_common);
    SetMessageBoxProvider([this](const std::string& strText, const std::string&, MsgBoxType) {
      m_boxes.push_back(strText);
      return kMsgBoxOk;
    });
  }
  void TearDown() override { SetMessageBoxProvider({}); }

  cStageRefs Refs() { return GeneratorRefs(&m_common, nullptr); }

  // A generated stage whose links are resolved, as a load leaves it.
  void Generate(cEdStage& stage, const cStageGenOptions& options = {}) {
    GenerateStage(stage, options);
    ResolveLinks(stage, Refs());
  }

  eStageRead ReadBytes(cEdStage& stage, const std::string& bytes) {
    m_folder.WriteFile("data\\stg4\\t.stg4_695", bytes);
    return ReadStageFile(stage, "data\\stg4\\t.stg4_695", Refs());
  }

  cTestGameFolder m_folder;
  cStageGlobalsGuard m_guard;
  cCommonPalette m_common;
  std::vector<std::string> m_boxes;
};

TEST_F(StageFileTest, GeneratedStageResavesByteForByte) {
  cEdStage stage;
  Generate(stage);
  const std::string first = StageFileBytes(stage, Refs());

  cEdStage loaded;
  ASSERT_EQ(ReadBytes(loaded, first), eStageRead::Ok);
  EXPECT_EQ(StageFileBytes(loaded, Refs()), first);

  // What the file held, seen from the loaded stage.
  EXPECT_EQ(loaded.m_strName, "ステージ１");
  EXPECT_EQ(loaded.m_vPlacedBlock.size(), 60u);
  EXPECT_EQ(loaded.m_vPlacedChara.size(), 6u);
  EXPECT_EQ(loaded.m_vPlacedItem.size(), 5u);
  EXPECT_EQ(loaded.m_vBgLayer[1].m_strBitmap, "bmp\\背景.bmp");
  EXPECT_EQ(loaded.m_EraseChara.m_nBottom, 5);
  EXPECT_EQ(loaded.m_nSubStep, 5);  // level 15
  EXPECT_EQ(loaded.FindHero(), 0);
  const cEdItem* pNested = &loaded.m_vItem[1];
  ASSERT_EQ(pNested->m_vItemCommand.size(), 2u);
  EXPECT_EQ(pNested->m_vItemCommand[1].m_Flows.size(), 2u);
  bool bMove = false, bShot = false;
  for (const cFlow& flow : loaded.m_vPlacedChara[1].m_vFlow)
    for (const cFlowCommand& command : flow.m_Commands) {
      bMove |= static_cast<bool>(command.m_pMove);
      bShot |= static_cast<bool>(command.m_pShot);
    }
  EXPECT_TRUE(bMove && bShot);
}

TEST_F(StageFileTest, TheRecordPartHoldsTheRegisteredFieldsInOrder) {
  cEdStage stage;
  Generate(stage);
  const std::string bytes = StageFileBytes(stage, Refs());
  cRecordReader reader(bytes, "t");
  EXPECT_EQ(reader.ReadI32(), DATA_VERSION);
  EXPECT_EQ(reader.ReadU32(), 98u);
  EXPECT_EQ(reader.ReadI32(), stage.m_nWidth);
  reader.Skip(4 * 19);
  double dGravity = 0;
  reader.Read(dGravity);
  EXPECT_EQ(dGravity, 0.35);
  EXPECT_EQ(reader.ReadI32(), 15);  // collision level
  reader.Skip(416 - 4 - 19 * 4 - 8 - 4);
  EXPECT_EQ(reader.ReadU32(), 1u);  // one string: the name
}

// Files of older versions: every setting a version lacks is given its
// upgrade value, whatever the stage loaded before held.
TEST_F(StageFileTest, OlderStageFilesAreUpgraded) {
  struct Case {
    const char* pszWhat;
    int nVersion;
    std::function<void(cEdStage&)> store;
    std::function<void(const cEdStage&)> check;
  } const cases[] = {
      {"flying boxes from walking boxes before 155", 154,
       [](cEdStage& s) {
         s.m_nHeroBox0WalkW = 20;
         s.m_nHeroBox0WalkH = 30;
         s.m_nComBox0WalkW = 8;
       },
       [](const cEdStage& s) {
         EXPECT_EQ(s.m_nHeroBox0FlyW, 20);
         EXPECT_EQ(s.m_nHeroBox0FlyH, 30);
         EXPECT_EQ(s.m_nComBox0FlyW, 8);
         EXPECT_EQ(s.m_bHeroBox0WalkBottom + s.m_bComBox0WalkBottom, 0);
       }},
      {"flying boxes stored from 155", 155, [](cEdStage& s) { s.m_nHeroBox0FlyW = 9; },
       [](const cEdStage& s) { EXPECT_EQ(s.m_nHeroBox0FlyW, 9); }},
      {"music option 1 before 166", 165, [](cEdStage&) {},
       [](const cEdStage& s) { EXPECT_EQ(s.m_nBgmOption, 1); }},
      {"five result switches before 181", 180, [](cEdStage& s) { s.m_vResultItem.assign(7, 1); },
       [](const cEdStage& s) {
         EXPECT_EQ(s.m_vResultItem, cCheckedVector<int32_t>({1, 1, 1, 0, 0}));
       }},
      {"result switches kept from 181", 181, [](cEdStage& s) { s.m_vResultItem.assign(7, 1); },
       [](const cEdStage& s) { EXPECT_EQ(s.m_vResultItem.size(), 7u); }},
      {"status shown before 183", 182, [](cEdStage&) {},
       [](const cEdStage& s) { EXPECT_EQ(s.m_bShowStatus, 1); }},
      {"no auto clear before 184", 183, [](cEdStage&) {},
       [](const cEdStage& s) { EXPECT_EQ(s.m_bAutoClear, 0); }},
      {"no music continue before 199", 198, [](cEdStage&) {},
       [](const cEdStage& s) { EXPECT_EQ(s.m_bBgmContinue, 0); }},
      {"hit boxes before 200", 199, [](cEdStage&) {},
       [](const cEdStage& s) {
         EXPECT_EQ(s.m_nComWalkH, 30);
         EXPECT_EQ(s.m_nComFlyH, 30);
         EXPECT_EQ(s.m_bComFlyBottom, 1);
         EXPECT_EQ(s.m_nHitBoxColour, 5);
         EXPECT_EQ(s.m_nHeroWalkH, 24);
       }},
      {"hit boxes stored from 200", 200, [](cEdStage& s) { s.m_nComWalkH = 11; },
       [](const cEdStage& s) { EXPECT_EQ(s.m_nComWalkH, 11); }},
      {"no start banner before 225", 224, [](cEdStage&) {},
       [](const cEdStage& s) { EXPECT_EQ(s.m_bShowStart, 0); }},
      {"start banner stored from 225", 225, [](cEdStage& s) { s.m_bShowStart = 1; },
       [](const cEdStage& s) { EXPECT_EQ(s.m_bShowStart, 1); }},
      {"erase rules before 125 take only the left switch and margins", 124,
       [](cEdStage& s) { s.m_EraseChara.Set(1, 1, 1, 1, 2, 3, 4, 5); },
       [](const cEdStage& s) {
         EXPECT_EQ(s.m_EraseChara.m_bLeft, 1);
         EXPECT_EQ(s.m_EraseChara.m_bRight + s.m_EraseChara.m_bTop + s.m_EraseChara.m_bBottom, 0);
         EXPECT_EQ(s.m_EraseChara.m_nBottom, 5);
         EXPECT_EQ(s.m_EraseShot1.m_bBottom, 1);  // a new stage's rule
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    cEdStage stored;
    Generate(stored);
    c.store(stored);
    const std::string bytes = StageFileBytes(stored, Refs(), c.nVersion);

    // The stage loaded before holds values the old file must not keep.
    cEdStage loaded;
    loaded.m_bShowStatus = loaded.m_bBgmContinue = loaded.m_bAutoClear = 7;
    loaded.m_EraseChara.Set(1, 1, 1, 1, 9, 9, 9, 9);
    loaded.m_EraseShot1.Set(0, 0, 0, 0, 0, 0, 0, 0);
    ASSERT_EQ(ReadBytes(loaded, bytes), eStageRead::Ok);
    EXPECT_EQ(loaded.m_nWidth, stored.m_nWidth);
    EXPECT_EQ(loaded.m_vPlacedChara.size(), stored.m_vPlacedChara.size());
    c.check(loaded);
  }
}

TEST_F(StageFileTest, PaletteEntryZeroIsAlwaysEmpty) {
  cEdStage stage;
  Generate(stage);
  const std::string bytes = StageFileBytes(stage, Refs());
  // Put a real block, character and item at index 0 of the stored palettes.
  cEdStage withEntries;
  Generate(withEntries);
  withEntries.m_vBlock[0] = withEntries.m_vBlock[1];
  withEntries.m_vChara[0] = withEntries.m_vChara[1];
  withEntries.m_vItem[0] = withEntries.m_vItem[1];
  cEdStage loaded;
  ASSERT_EQ(ReadBytes(loaded, StageFileBytes(withEntries, Refs())), eStageRead::Ok);
  EXPECT_EQ(loaded.m_vBlock[0].m_nGraphic, 0);
  EXPECT_TRUE(loaded.m_vChara[0].m_vFlow.empty());
  EXPECT_EQ(loaded.m_vChara[0].m_nMaxHp, 10);
  EXPECT_TRUE(loaded.m_vItem[0].m_vItemCommand.empty());
  EXPECT_EQ(StageFileBytes(loaded, Refs()), bytes);
}

TEST_F(StageFileTest, WordBeforeEachPlacementIsIgnored) {
  cEdStage stage;
  GenerateStage(stage, cStageGenOptions{.nPlacedBlocks = 1, .nPlacedCharas = 1, .nPlacedItems = 0});
  ResolveLinks(stage, Refs());
  std::string bytes = StageFileBytes(stage, Refs());
  // The placed-block word sits after the palettes: find it from the end.
  const std::string tail = RecordBytes(stage.m_vPlacedBlock[0], GeneratorRefs(&m_common, &stage));
  const size_t nBlock = bytes.find(tail);
  ASSERT_NE(nBlock, std::string::npos);
  PutI32(bytes, nBlock - 4, 0x7FFFFFFF);
  cEdStage loaded;
  ASSERT_EQ(ReadBytes(loaded, bytes), eStageRead::Ok);
  EXPECT_EQ(loaded.m_vPlacedBlock[0].m_nGraphic, stage.m_vPlacedBlock[0].m_nGraphic);
}

// From version 174 a file must end with the marker; 173 carries it without
// the check; 172 and older have none.
TEST_F(StageFileTest, EndMarkerRule) {
  cEdStage stage;
  Generate(stage);
  struct Case {
    int nVersion;
    bool bSpoilLastWord;
    eStageRead expected;
  } const cases[] = {
      {695, false, eStageRead::Ok},     {695, true, eStageRead::Damaged},
      {174, true, eStageRead::Damaged}, {173, true, eStageRead::Ok},
      {172, false, eStageRead::Ok},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.nVersion << (c.bSpoilLastWord ? " spoilt" : ""));
    std::string bytes = StageFileBytes(stage, Refs(), c.nVersion);
    if (c.bSpoilLastWord) PutI32(bytes, bytes.size() - 4, 0);
    m_folder.WriteFile("data\\stg4\\m.stg4_695", bytes);
    EXPECT_EQ(CheckStageFile("data\\stg4\\m.stg4_695"), c.expected == eStageRead::Damaged ? 0 : 1);
    cEdStage loaded;
    EXPECT_EQ(ReadBytes(loaded, bytes), c.expected);
  }
  EXPECT_EQ(GetCloseRequestCount(), 2);  // one per damaged file the check saw
}

// A file cut anywhere is refused, also when the cut is dressed up with an end
// marker, and nothing is read out of bounds.
TEST_F(StageFileTest, TruncatedFilesAreRefused) {
  cEdStage stage;
  GenerateStage(stage, cStageGenOptions{.nWidth = 20,
                                        .nHeight = 15,
                                        .nPlacedBlocks = 4,
                                        .nPlacedCharas = 2,
                                        .nPlacedItems = 1,
                                        .nFlowsPerChara = 1,
                                        .nCommandsPerFlow = 2});
  ResolveLinks(stage, Refs());
  const std::string bytes = StageFileBytes(stage, Refs());
  const size_t nStep = std::max<size_t>(1, bytes.size() / 400);
  for (size_t nCut = 0; nCut + 4 < bytes.size(); nCut += nStep) {
    std::string cut = bytes.substr(0, nCut);
    cEdStage loaded;
    EXPECT_NE(ReadBytes(loaded, cut), eStageRead::Ok) << "cut at " << nCut;
    if (nCut >= 4) {
      cut += bytes.substr(bytes.size() - 4);
      EXPECT_EQ(ReadBytes(loaded, cut), eStageRead::ReadFailed) << "cut at " << nCut;
    }
  }
}

TEST_F(StageFileTest, HostileCountsAreRefusedBeforeAllocating) {
  cEdStage stage;
  GenerateStage(stage, cStageGenOptions{.nPlacedBlocks = 1, .nPlacedCharas = 1, .nPlacedItems = 0});
  ResolveLinks(stage, Refs());
  const std::string bytes = StageFileBytes(stage, Refs());
  // The result-switch count follows the record part; the block palette count
  // follows the five erase rules.
  const size_t nResult = 4 + 4 + 416 + 4 + 4 + stage.m_strName.size() + 1;
  const size_t nBlocks = nResult + 4 + 5 * 4 + 5 * (4 + 32 + 4);
  for (size_t nOffset : {nResult, nBlocks}) {
    std::string hostile = bytes;
    PutI32(hostile, nOffset, -1);
    m_folder.ClearReportLog();
    cEdStage loaded;
    EXPECT_EQ(ReadBytes(loaded, hostile), eStageRead::ReadFailed) << nOffset;
    EXPECT_EQ(m_folder.ReportLogLineCount(), 1) << m_folder.ReportLogText();
    EXPECT_NE(m_folder.ReportLogText().find("damaged record file"), std::string::npos);
  }
}

// Random damage anywhere in a file: every load ends, with the stage either
// read (and then within its bounds, nothing logged) or refused with one fault
// in the report log and no box; the sanitizers watch for reads out of bounds
// and the count checks for giant allocations.
TEST_F(StageFileTest, RandomlyDamagedFilesFailWithOneFaultOrLoadWithinBounds) {
  cEdStage stage;
  GenerateStage(
      stage,
      cStageGenOptions{
          .nWidth = 24, .nHeight = 16, .nPlacedBlocks = 20, .nPlacedCharas = 4, .nPlacedItems = 3});
  ResolveLinks(stage, Refs());
  const std::string bytes = StageFileBytes(stage, Refs());
  cTestRandom random;
  int nRead = 0, nRefused = 0;
  for (int nRound = 0; nRound < 300; ++nRound) {
    SCOPED_TRACE(nRound);
    std::string damaged = bytes;
    for (int i = random.Between(1, 4); i > 0; --i) {
      // Keep the version word and the end marker, so that the damage reaches
      // the parser.
      damaged[4 + random.Index(damaged.size() - 8)] = random.Byte();
    }
    m_folder.ClearReportLog();
    cEdStage loaded;
    const eStageRead result = ReadBytes(loaded, damaged);
    if (result == eStageRead::Ok) {
      ++nRead;
      EXPECT_EQ(m_folder.ReportLogLineCount(), 0) << m_folder.ReportLogText();
      EXPECT_GE(loaded.m_nSubStep, 1);
      EXPECT_LE(loaded.m_nWidth, kMaxStageWidth);
      EXPECT_LE(loaded.m_nHeight, kMaxStageHeight);
      EXPECT_GE(loaded.m_vBlock.size(), 2u);
      EXPECT_LE(loaded.m_vBlock.size(), damaged.size());
    } else {
      ++nRefused;
      EXPECT_EQ(result, eStageRead::ReadFailed);
      EXPECT_TRUE(m_folder.LoggedOneRecordFault());
    }
    if (HasFailure()) break;  // one damaged file tells enough
  }
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_GT(nRead, 0);  // damage inside values reads as other values
  EXPECT_GT(nRefused, 0);
}

TEST_F(StageFileTest, HostileSettingsAreBoundedOnLoad) {
  cEdStage stage;
  Generate(stage);
  std::string bytes = StageFileBytes(stage, Refs());
  PutI32(bytes, 8, 1 << 30);   // width
  PutI32(bytes, 8 + 12, -50);  // height
  PutI32(bytes, 8 + 88, 0);    // collision level
  cEdStage loaded;
  ASSERT_EQ(ReadBytes(loaded, bytes), eStageRead::Ok);
  EXPECT_EQ(loaded.m_nWidth, kMaxStageWidth);
  EXPECT_EQ(loaded.m_nHeight, 0);
  EXPECT_EQ(loaded.m_nCollisionLevel, 1);
  EXPECT_EQ(loaded.m_nSubStep, 1);
}

TEST_F(StageFileTest, EmptyPaletteListsAreFilledWithDefaults) {
  cEdStage stage;
  stage.Validate(Refs());
  cRecordWriter head;
  head.WriteI32(DATA_VERSION);
  stage.cRecord::Save(head);
  SaveIntVector(stage.m_vResultItem, head);
  for (cEdEraseArea* pArea : {&stage.m_EraseChara, &stage.m_EraseBlockChara, &stage.m_EraseItem,
                              &stage.m_EraseShot0, &stage.m_EraseShot1})
    pArea->Save(head);
  std::string bytes = head.Data();
  for (int i = 0; i < 8; ++i) bytes.append(4, '\0');  // palettes, placements, layers, texts
  bytes.append(reinterpret_cast<const char*>(&END_MARK), 4);
  cEdStage loaded;
  ASSERT_EQ(ReadBytes(loaded, bytes), eStageRead::Ok);
  EXPECT_EQ(loaded.m_vBlock.size(), 2u);
  EXPECT_EQ(loaded.m_vChara.size(), 2u);
  EXPECT_EQ(loaded.m_vItem.size(), 2u);
  EXPECT_TRUE(loaded.m_vBgLayer.empty());
}

// A placed block's item reference is checked against the stage's item
// palette as Validate leaves it: padded to two entries when the file holds
// fewer, and as stored otherwise.
TEST_F(StageFileTest, PlacedItemReferencesAreCheckedAgainstTheFinalPalette) {
  auto placedBlock = [](int16_t nItemIndex) {
    cEdBlock block;
    block.m_nGraphic = 1;
    block.m_nItemSource = LINKSRC_STAGE;
    block.m_nItemIndex = nItemIndex;
    return block;
  };
  struct Case {
    const char* pszWhat;
    bool bEmptyPalettes;
    int16_t nItemIndex;
    int16_t nExpected;
  } const cases[] = {
      {"padded palette, entry 1", true, 1, 1},
      {"padded palette, past the end", true, 2, 0},
      {"stored palette, last entry", false, 2, 2},
      {"stored palette, past the end", false, 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    cEdStage stage;
    Generate(stage, cStageGenOptions{.nPlacedBlocks = 0, .nPlacedCharas = 0, .nPlacedItems = 0});
    ASSERT_EQ(stage.m_vItem.size(), 3u);
    cRecordWriter file;
    file.WriteI32(DATA_VERSION);
    {
      const cStageRefs refs = Refs().WithStage(&stage);
      cStageRefsScope scope(refs);
      stage.cRecord::Save(file);
      SaveIntVector(stage.m_vResultItem, file);
      for (cEdEraseArea* pArea : {&stage.m_EraseChara, &stage.m_EraseBlockChara, &stage.m_EraseItem,
                                  &stage.m_EraseShot0, &stage.m_EraseShot1})
        pArea->Save(file);
      if (c.bEmptyPalettes) {
        for (int i = 0; i < 3; ++i) file.WriteU32(0);
      } else {
        SaveRecordVector(stage.m_vBlock, file);
        SaveRecordVector(stage.m_vChara, file);
        SaveRecordVector(stage.m_vItem, file);
      }
      file.WriteU32(1);  // one placed block
      file.WriteU32(0);
      placedBlock(c.nItemIndex).Save(file);
      for (int i = 0; i < 4; ++i) file.WriteU32(0);  // characters, items, layers, texts
      file.WriteI32(END_MARK);
    }
    cEdStage loaded;
    ASSERT_EQ(ReadBytes(loaded, file.Data()), eStageRead::Ok);
    ASSERT_EQ(loaded.m_vPlacedBlock.size(), 1u);
    EXPECT_EQ(loaded.m_vPlacedBlock[0].m_nItemIndex, c.nExpected);
    EXPECT_EQ(loaded.m_vPlacedBlock[0].m_nItemSource,
              c.nExpected != 0 ? LINKSRC_STAGE : LINKSRC_NONE);
  }
}

TEST_F(StageFileTest, ReplayStageTakesItsSettingsFromTheStartCopy) {
  cEdStage stage;
  Generate(stage);
  cEdStage start;
  start.CopySettingsFrom(stage);
  start.m_strName = "開始時";
  start.m_vBgLayer.resize(3);
  start.m_vResultItem.assign(5, 0);
  stage.m_nTimeLimit = 5;  // changed by a flow during play
  stage.m_vPlacedBlock.resize(3);
  cRecordWriter writer;
  writer.WriteI32(DATA_VERSION);
  {
    const cStageRefs refs = Refs();
    cStageRefsScope scope(refs);
    stage.SaveForReplay(writer, start);
  }
  cEdStage loaded;
  ASSERT_EQ(ReadBytes(loaded, writer.Data()), eStageRead::Ok);
  EXPECT_EQ(loaded.m_strName, "開始時");
  EXPECT_EQ(loaded.m_nTimeLimit, 300);
  EXPECT_EQ(loaded.m_vBgLayer.size(), 3u);
  EXPECT_EQ(loaded.m_vResultItem, cCheckedVector<int32_t>(5, 0));
  EXPECT_EQ(loaded.m_vPlacedBlock.size(), 3u);
  EXPECT_EQ(loaded.m_vPlacedChara.size(), stage.m_vPlacedChara.size());
}

// A reader that names no refs (the replay reader) reads against the running
// program: the common palette and the database as loaded.
TEST_F(StageFileTest, LoadsWithoutRefsUseTheLoadedProject) {
  ResetDatabaseGlobals();
  GenerateCommonPalette(g_CommonPalette);
  g_CommonPalette.m_vChara[2].m_nMaxHp = 777;
  cEdStage stage;
  Generate(stage);
  cEdChara& placed = stage.m_vPlacedChara[1];
  placed.m_nLinkSrc = LINKSRC_COMMON;
  placed.m_nLinkNo = 2;
  placed.m_vLinkFlags.assign(37, 0);
  placed.m_vLinkFlags[23] = 1;
  placed.m_nHitEffect = 1;  // a row of the default Effect table (2 rows)
  placed.m_nAnimeSet = 0;
  m_folder.WriteFile("data\\stg4\\p.stg4_695", StageFileBytes(stage, Refs()));

  cEdStage loaded;
  ASSERT_TRUE(loaded.LoadFromFile("data\\stg4\\p.stg4_695"));
  EXPECT_EQ(loaded.m_vPlacedChara[1].m_nMaxHp, 777);
  EXPECT_EQ(loaded.m_vPlacedChara[1].m_nHitEffect, 1);
  cRecordWriter writer;
  loaded.SaveForReplay(writer, loaded);
  EXPECT_EQ(loaded.m_vPlacedChara[1].m_nHitEffect, 1);
  EXPECT_EQ(loaded.m_vPlacedChara[1].m_nLinkSrc, LINKSRC_COMMON);
}

// ---- LoadStageForPlay -----------------------------------------------------

TEST_F(StageFileTest, PlayLoadTakesTheNewestVersionAndCopiesTheSettings) {
  g_CommonPalette.m_vChara.resize(4);
  cEdStage stage;
  Generate(stage);
  stage.m_strName = "新しい";
  m_folder.WriteFile("data\\stg4\\a.stg4_695", StageFileBytes(stage, MakeProjectRefs()));
  stage.m_strName = "古い";
  m_folder.WriteFile("data\\stg4\\a.stg4_200", StageFileBytes(stage, MakeProjectRefs(), 200));

  ASSERT_EQ(LoadStageForPlay("data\\stg4\\a.stg4", 1, &g_StageStart), 1);
  EXPECT_EQ(g_Stage.m_strLoadPath, "data\\stg4\\a.stg4_695");
  EXPECT_EQ(g_Stage.m_strName, "新しい");
  EXPECT_EQ(g_Stage.m_bLoadOk, 1);
  EXPECT_EQ(g_StageStart.m_strName, "新しい");
  EXPECT_EQ(g_StageStart.m_nTimeLimit, 300);
  EXPECT_EQ(g_StageStart.m_vBgLayer.size(), 2u);
  EXPECT_EQ(g_StageStart.m_vResultItem, g_Stage.m_vResultItem);
  EXPECT_EQ(g_StageStart.m_EraseChara.m_nBottom, 5);
  EXPECT_TRUE(g_StageStart.m_vBlock.empty());
  EXPECT_TRUE(g_StageStart.m_vPlacedChara.empty());
  EXPECT_TRUE(m_boxes.empty());

  // Only an old version: that one; none at all: 0 without a message.
  ASSERT_TRUE(RemoveFile("data\\stg4\\a.stg4_695"));
  ASSERT_EQ(LoadStageForPlay("data\\stg4\\a.txt", 1, nullptr), 1);
  EXPECT_EQ(g_Stage.m_strName, "古い");
  EXPECT_EQ(LoadStageForPlay("data\\stg4\\b.stg4", 1, nullptr), 0);
  EXPECT_TRUE(m_boxes.empty());
}

TEST_F(StageFileTest, PlayLoadRefusals) {
  cEdStage stage;
  Generate(stage);
  m_folder.WriteFile("data\\stg4\\ok.stg4_695", StageFileBytes(stage, MakeProjectRefs()));
  stage.m_vPlacedChara[0].m_nKind = CHARAKIND_COM;  // no hero left
  m_folder.WriteFile("data\\stg4\\nohero.stg4_695", StageFileBytes(stage, MakeProjectRefs()));
  std::string damaged = StageFileBytes(stage, MakeProjectRefs());
  damaged.resize(damaged.size() - 10);
  m_folder.WriteFile("data\\stg4\\cut.stg4_695", damaged);

  struct Case {
    const char* pszPath;
    int nResult;
    const char* pszBox;
    int nCloses;
  } const cases[] = {
      {"data\\stg4\\ok.stg4_695", 1, nullptr, 0},
      {"data\\stg4\\nohero.stg4_695", 0, "主人公が配置されていないのでプレイできません！", 1},
      {"data\\stg4\\cut.stg4_695", 0,
       "ステージファイル data\\stg4\\cut.stg4_695 が破損しています！", 1},
      {"data\\stg4\\none.stg4_695", 0,
       "ステージファイル data\\stg4\\none.stg4_695 の読み込みに失敗しました！", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszPath);
    m_boxes.clear();
    ResetCloseRequestCount();
    EXPECT_EQ(LoadStageForPlay(c.pszPath, 0, &g_StageStart), c.nResult);
    EXPECT_EQ(m_boxes.size(), c.pszBox != nullptr ? 1u : 0u);
    if (c.pszBox != nullptr && !m_boxes.empty()) {
      EXPECT_EQ(m_boxes[0], c.pszBox);
    }
    EXPECT_EQ(GetCloseRequestCount(), c.nCloses);
  }
}

TEST_F(StageFileTest, PlayLoadRunsTheReadingThroughTheInstalledRunner) {
  cEdStage stage;
  Generate(stage);
  m_folder.WriteFile("data\\stg4\\r.stg4_695", StageFileBytes(stage, MakeProjectRefs()));
  int nRuns = 0;
  SetStageLoadRunner([&](const std::function<void()>& read) {
    ++nRuns;
    read();
    return true;
  });
  EXPECT_EQ(LoadStageForPlay("data\\stg4\\r.stg4_695", 0, nullptr), 1);
  // A runner that gives up (the program is quitting) makes the load fail
  // without a message.
  SetStageLoadRunner([&](const std::function<void()>&) { return false; });
  EXPECT_EQ(LoadStageForPlay("data\\stg4\\r.stg4_695", 0, nullptr), 0);
  EXPECT_EQ(nRuns, 1);
  EXPECT_TRUE(m_boxes.empty());
}

// ---- Common palette ---------------------------------------------------------

TEST_F(StageFileTest, CommonPaletteLoadRepairsItsEntries) {
  cCommonPalette palette;
  GenerateCommonPalette(palette);
  palette.m_vChara[2].m_nLinkSrc = LINKSRC_COMMON;
  palette.m_vChara[2].m_nLinkNo = 1;
  palette.m_vChara[2].m_vLinkFlags[23] = 1;
  palette.m_vChara[1].m_nMaxHp = 4321;
  // A file that holds a fully defined character at index 0.
  palette.m_vChara[0] = palette.m_vChara[3];
  cRecordWriter writer;
  writer.WriteI32(DATA_VERSION);
  {
    const cStageRefs refs = GeneratorRefs(&palette, nullptr);
    cStageRefsScope scope(refs);
    palette.Save(writer);
  }
  const std::string bytes = writer.Data();
  m_folder.WriteFile("data\\CommonPalette.cplt4", bytes);

  cCommonPalette loaded;
  {
    const cStageRefs refs = GeneratorRefs(nullptr, nullptr);
    cStageRefsScope scope(refs);
    ASSERT_TRUE(loaded.LoadFromFile("data\\CommonPalette.cplt4"));
  }
  ASSERT_EQ(loaded.m_vChara.size(), 4u);
  EXPECT_EQ(loaded.m_vChara[2].m_nMaxHp, 4321);  // taken through the link
  EXPECT_EQ(loaded.m_vChara[0].m_nMaxHp, 10);
  EXPECT_EQ(loaded.m_vChara[0].m_nGraphic, 0);
  EXPECT_TRUE(loaded.m_vChara[0].m_vFlow.empty());
  for (const cEdChara& chara : loaded.m_vChara)
    EXPECT_EQ(std::count(chara.m_vLinkFlags.begin(), chara.m_vLinkFlags.end(), 0), 37);
}

TEST_F(StageFileTest, CommonPaletteWithEmptyOrShortListsIsPadded) {
  cRecordBytes empty;
  empty.u32(DATA_VERSION).Fields(0).Strings(0).u32(0).u32(0).u32(0);
  m_folder.WriteFile("data\\CommonPalette.cplt4", empty.Bytes());
  ASSERT_EQ(LoadCommonPalette("data\\CommonPalette.cplt4"), 1);
  EXPECT_EQ(g_CommonPalette.m_vBlock.size(), 2u);
  EXPECT_EQ(g_CommonPalette.m_vChara.size(), 2u);
  EXPECT_EQ(g_CommonPalette.m_vItem.size(), 2u);
  EXPECT_EQ(g_CommonPalette.m_vChara[1].m_nMaxHp, 10);

  EXPECT_EQ(LoadCommonPalette("data\\Missing.cplt4"), 0);
  cRecordBytes hostile;
  hostile.u32(DATA_VERSION).Fields(0).Strings(0).u32(0xFFFFFFF0u);
  m_folder.WriteFile("data\\Hostile.cplt4", hostile.Bytes());
  EXPECT_EQ(LoadCommonPalette("data\\Hostile.cplt4"), 0);
}

}  // namespace
