// The world map: defaults, grid resizing, validation, lookups and the file.

#include "stagedata/progress/world_map.h"

#include <gtest/gtest.h>

#include "app/base/close_request.h"
#include "app/base/file_system.h"
#include "records/record_file.h"
#include "testing/game_folder.h"
#include "testing/record_bytes.h"

namespace {

TEST(WorldMap, NewMapHasItsDefaults) {
  cEdWorldMap map;
  EXPECT_EQ(map.m_nWidth, 20);
  EXPECT_EQ(map.m_nHeight, 15);
  EXPECT_EQ(map.m_nPitch, 32);
  EXPECT_EQ(map.m_nPitch_Shift, 5);
  EXPECT_EQ(map.m_Cells.size(), 480u);
  EXPECT_EQ(map.m_nStartX, 9);
  EXPECT_EQ(map.m_nStartY, 7);
  ASSERT_EQ(map.m_Chips.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(map.m_Chips[i].m_nPicture, i);
    EXPECT_EQ(map.m_Chips[i].m_bWall, i < 5 ? 1 : 0);
    EXPECT_EQ(map.m_Chips[i].m_strName, i < 5 ? "通行不可" : "通行可");
  }
  EXPECT_TRUE(map.m_Events.empty());
  ASSERT_EQ(map.m_Templates.size(), 1u);
  EXPECT_EQ(map.m_Templates[0].m_strName, "デフォルト");
  EXPECT_EQ(map.m_Templates[0].m_Entries.size(), 1u);
}

TEST(WorldMap, PitchIsThePowerOfTwoAtOrAboveTheWidth) {
  const struct {
    int width, pitch, shift;
  } cases[] = {{1, 1, 0}, {2, 2, 1}, {3, 4, 2}, {20, 32, 5}, {32, 32, 5}, {33, 64, 6}};
  for (const auto& c : cases) {
    int nPitch = -1, nShift = -1;
    cEdWorldMap::GetPitch(c.width, &nPitch, &nShift);
    EXPECT_EQ(nPitch, c.pitch) << c.width;
    EXPECT_EQ(nShift, c.shift) << c.width;
  }
}

TEST(WorldMap, SetSizeKeepsCellsAtTheirPositions) {
  cTestGameFolder folder;
  cEdWorldMap map;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) map.CellAt(x, y) = (x + y) % 10;
  ASSERT_TRUE(map.SetSize(33, 2));
  EXPECT_EQ(map.m_nPitch, 64);
  EXPECT_EQ(map.m_nPitch_Shift, 6);
  ASSERT_EQ(map.m_Cells.size(), 128u);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 33; ++x)
      EXPECT_EQ(map.CellAt(x, y), x < 20 ? (x + y) % 10 : 0) << x << "," << y;

  EXPECT_FALSE(map.SetSize(0, 5));
  EXPECT_EQ(map.m_nWidth, 33);
  EXPECT_EQ(map.m_Cells.size(), 128u);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST(WorldMap, ValidateClampsTheStartAndDropsEventsOutside) {
  cEdWorldMap map;
  map.m_nStartX = 25;
  map.m_nStartY = 3;
  for (auto [x, y] : {std::pair{20, 0}, {21, 0}, {-1, 0}, {5, 15}, {19, 14}}) {
    cEdWorldEvent e;
    e.m_nX = x;
    e.m_nY = y;
    map.m_Events.push_back(e);
  }
  map.Validate();
  EXPECT_EQ(map.m_nStartX, 19);
  EXPECT_EQ(map.m_nStartY, 3);
  ASSERT_EQ(map.m_Events.size(), 2u);
  EXPECT_EQ(map.m_Events[0].m_nX, -1);  // no lower bound
  EXPECT_EQ(map.m_Events[1].m_nX, 19);

  // Sizes below 1, as a damaged file may hold them, put the start at 0.
  map.m_nWidth = INT32_MIN;
  map.m_nHeight = 0;
  map.Validate();
  EXPECT_EQ(map.m_nStartX, 0);
  EXPECT_EQ(map.m_nStartY, 0);
}

TEST(WorldMap, FindEventAtAndHasStage) {
  cEdWorldMap map;
  cEdWorldEvent a, b;
  a.m_nX = b.m_nX = 3;
  a.m_nY = b.m_nY = 4;
  a.m_strName = "first";
  a.m_Entries[0].m_strStageFile = "data\\stg4\\w01-1.stg4";
  b.m_Entries[0].m_strStageFile = "data\\stg4\\w02.stg4";
  b.m_Entries[0].m_nKind = WORLDENTRY_ROAD;
  map.m_Events = {a, b};
  ASSERT_NE(map.FindEventAt(3, 4), nullptr);
  EXPECT_EQ(map.FindEventAt(3, 4)->m_strName, "first");
  EXPECT_EQ(map.FindEventAt(4, 3), nullptr);

  EXPECT_TRUE(map.HasStage("data\\stg4\\w01."));
  EXPECT_FALSE(map.HasStage("DATA\\STG4\\W01."));  // keys compare exactly
  EXPECT_FALSE(map.HasStage("data\\stg4\\w02."));  // only stage entries count
  map.m_Events[1].m_Entries[0].m_nKind = WORLDENTRY_STAGE;
  EXPECT_TRUE(map.HasStage("data\\stg4\\w02."));
}

TEST(WorldMap, HostileShiftsGiveABadIndexNotUndefinedBehaviour) {
  const struct {
    int x, y, shift, expected;
  } cases[] = {{3, 2, 5, 67}, {0, 1, 32, -1}, {0, 1, -1, -1}, {0, 1 << 20, 12, -1}, {-5, 0, 5, -1}};
  for (const auto& c : cases) EXPECT_EQ(cEdWorldMap::GridIndex(c.x, c.y, c.shift), c.expected);
}

TEST(WorldMap, VariableComparisons) {
  const struct {
    int v, op, c;
    bool expected;
  } cases[] = {
      {3, 0, 3, true},  {3, 1, 3, false}, {3, 2, 4, false},         {3, 3, 4, true},
      {5, 4, 4, true},  {4, 5, 4, false}, {-9, 6, 3, true},         {7, 6, 0, true},
      {7, 7, 0, false}, {7, 7, 3, true},  {INT32_MIN, 6, -1, true}, {1, 8, 1, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CompareWorldVar(c.v, c.op, c.c), c.expected) << c.v << " " << c.op << " " << c.c;
}

TEST(WorldMap, SavesAndLoadsByteForByte) {
  cTestGameFolder folder;
  cEdWorldMap map;
  map.SetSize(3, 2);
  map.CellAt(2, 1) = 7;
  map.m_strBackPicture = "bmp\\back\\ソラ.bmp";
  MakeDirectory("data");
  cEdWorldEvent e;
  e.m_nX = 1;
  e.m_Entries[0].m_strTitle = "ステージ1";
  e.m_Entries[0].m_nNeedScore = 500;
  e.m_Entries.push_back(cEdWorldEntry());
  map.m_Events.push_back(e);
  ASSERT_TRUE(map.SaveToFile("data\\WorldMap.dat"));

  cEdWorldMap loaded;
  ASSERT_TRUE(loaded.LoadFromFile("data\\WorldMap.dat"));
  EXPECT_EQ(loaded.m_nPitch, 4);
  EXPECT_EQ(loaded.CellAt(2, 1), 7);
  ASSERT_EQ(loaded.m_Events.size(), 1u);
  EXPECT_EQ(loaded.m_Events[0].m_Entries.size(), 2u);
  EXPECT_EQ(loaded.m_Events[0].m_Entries[0].m_nNeedScore, 500);
  ASSERT_TRUE(loaded.SaveToFile("data\\Again.dat"));
  EXPECT_EQ(folder.ReadFile("data\\Again.dat"), folder.ReadFile("data\\WorldMap.dat"));
}

// A map of data version 208: entries have ten fields and no score condition;
// the stored pitch is kept even when it does not fit the width.
TEST(WorldMap, LoadsVersion208AndKeepsTheStoredPitch) {
  cTestGameFolder folder;
  cRecordBytes b;
  b.u32(208).IntRecord({4, 1, 8, 3, 0, 0, 16, 0}, "古い", "");
  b.u32(1).IntRecord({0, 1, 0}, "", "chip");
  b.u32(8);
  for (int i = 0; i < 8; ++i) b.i32(i == 5 ? 9 : 0);
  b.u32(1).IntRecord({2, 0}, "ev").u32(1).IntRecord({0, 3, 4, 0, 1, 0, 0, 0, 0, 0}, "t", "s.stg4");
  b.u32(0);
  folder.WriteFile("data\\WorldMap.dat", b.Bytes());

  cEdWorldMap map;
  map.m_Templates[0].m_Entries[0].m_nNeedScore = 77;
  ASSERT_TRUE(map.LoadFromFile("data\\WorldMap.dat"));
  EXPECT_EQ(map.m_nWidth, 4);
  EXPECT_EQ(map.m_nPitch, 8);  // not recomputed from the width
  EXPECT_EQ(map.m_strName, "古い");
  EXPECT_EQ(map.m_Cells.At(5), 9);
  ASSERT_EQ(map.m_Events.size(), 1u);
  const cEdWorldEntry& entry = map.m_Events[0].m_Entries.At(0);
  EXPECT_EQ(entry.m_nIcon, 3);
  EXPECT_EQ(entry.m_nStageNo, 4);
  EXPECT_EQ(entry.m_bReplay, 1);
  EXPECT_EQ(entry.m_nNeedScore, 0);
  EXPECT_EQ(entry.m_strStageFile, "s.stg4");
  EXPECT_TRUE(map.m_Templates.empty());
}

TEST(WorldMap, HostileFilesFailCleanly) {
  cTestGameFolder folder;
  cEdWorldMap good;
  MakeDirectory("data");
  ASSERT_TRUE(good.SaveToFile("data\\WorldMap.dat"));
  const std::string strBytes = folder.ReadFile("data\\WorldMap.dat");
  for (size_t n = 0; n < strBytes.size(); ++n) {
    folder.WriteFile("data\\Cut.dat", strBytes.substr(0, n));
    cEdWorldMap map;
    EXPECT_FALSE(map.LoadFromFile("data\\Cut.dat")) << n;
  }
  cRecordBytes huge;
  huge.u32(695).IntRecord({20, 15, 32, 5, 9, 7, 16, 0}, "", "").u32(0xFFFFFFFFu);
  folder.WriteFile("data\\Huge.dat", huge.Bytes());
  cEdWorldMap map;
  EXPECT_FALSE(map.LoadFromFile("data\\Huge.dat"));
}

}  // namespace
