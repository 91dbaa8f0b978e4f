// Where characters and dedicated bitmaps are drawn from. The surfaces are
// not loaded here: only their sizes, which decide whether a cell lies on its
// sheet, are set. The surface back end without video stretch draws from the
// second copy set.

#include "objects/draw_source.h"

#include <gtest/gtest.h>

#include "app/core/surface_tables.h"
#include "records/database.h"
#include "testing/play_fixture.h"

namespace {

class DrawSourceTest : public ::testing::Test {
 protected:
  DrawSourceTest() {
    for (int i = 0; i < kSurfaceCount; ++i) {
      g_SurfaceTable[i].nWidth = 640;
      g_SurfaceTable[i].nHeight = 480;
    }
    for (int i = 0; i < 8; ++i) g_CharaExcSD.emplace_back();
    g_Database.m_BmpCharaExc.resize(3);
  }
  ~DrawSourceTest() override {
    for (int i = 0; i < kSurfaceCount; ++i)
      g_SurfaceTable[i].nWidth = g_SurfaceTable[i].nHeight = 0;
    g_CharaExcSD.clear();
  }
  static DDSURFACEDATA* Entry(int n) { return &g_SurfaceTable[n]; }

  cPlayFixture m_Fixture;
};

TEST_F(DrawSourceTest, ARightFacingCharacterDrawsFromTheMirroredSheet) {
  cTestChara& c = m_Fixture.AddChara(600, 600);
  c.m_nFacing = 1;
  DRAWSOURCE source;
  source.Select(1, GRAPHIC_CHARA, 17, 3, &c, 1);  // sheet 2, row 2, cell 3 + frame 1
  EXPECT_EQ(source.lpSrc, Entry(7));
  EXPECT_EQ(source.lpOther, Entry(6));
  EXPECT_EQ(source.lpUse, Entry(7 + 18));
  EXPECT_EQ(source.lpUseOther, Entry(6 + 18));
  EXPECT_EQ(source.nSrcX, 4 * 32);
  EXPECT_EQ(source.nSrcY, 2 * 32);
  // Without a facing, cells from 20 on come from the mirrored sheet.
  source.Select(0, GRAPHIC_CHARA, 17, 23, nullptr, 0);
  EXPECT_EQ(source.lpSrc, Entry(7));
  EXPECT_EQ(source.nSrcX, 3 * 32);
}

TEST_F(DrawSourceTest, CellsOffTheSheetAndGraphicsOfNoSheetDrawSheetOne) {
  DRAWSOURCE source;
  source.Select(0, GRAPHIC_CHARA, 17, 20 + 19, nullptr, 0);  // x 608: on the sheet
  EXPECT_EQ(source.nSrcX, 19 * 32);
  g_SurfaceTable[7 + 18].nWidth = 320;
  source.Select(0, GRAPHIC_CHARA, 17, 20 + 19, nullptr, 0);
  EXPECT_EQ(source.lpSrc, Entry(5));
  EXPECT_EQ(source.nSrcX, 0);
  EXPECT_EQ(source.nSrcY, 0);
  for (int nGraphic : {120, -1}) {
    source.Select(0, GRAPHIC_CHARA, nGraphic, 2, nullptr, 0);
    EXPECT_EQ(source.lpSrc, Entry(4)) << nGraphic;
    EXPECT_EQ(source.nSrcX, 0) << nGraphic;
  }
}

TEST_F(DrawSourceTest, DedicatedBitmapsWithCellsOfTheirOwnSize) {
  DRAWSOURCE source;
  source.Select(0, GRAPHIC_OWNBITMAP, 2, 18, nullptr, 0);
  EXPECT_EQ(source.lpSrc, &g_CharaExcSD.At(4));
  EXPECT_EQ(source.lpSrc2, &g_CharaExcSD.At(6));
  EXPECT_EQ(source.bLargeCells, 0);
  EXPECT_EQ(source.nSrcX, 2 * 32);
  EXPECT_EQ(source.nSrcY, 1 * 32);

  g_Database.m_BmpCharaExc[2].m_bOwnSize = 1;
  g_Database.m_BmpCharaExc[2].m_nSize = 2;  // 8 cells of 64 pixels a row
  source.Select(0, GRAPHIC_OWNBITMAP, 2, 9, nullptr, 0);
  EXPECT_EQ(source.bLargeCells, 1);
  EXPECT_EQ(source.cCellScale, 2);
  EXPECT_EQ(source.nSrcX, 64);
  EXPECT_EQ(source.nSrcY, 64);
  // More than 16 cells a side cannot fill a row: taken as 16, one cell a
  // row, instead of a division by zero.
  g_Database.m_BmpCharaExc[2].m_nSize = 20;
  source.Select(0, GRAPHIC_OWNBITMAP, 2, 3, nullptr, 0);
  EXPECT_EQ(source.cCellScale, 16);
  EXPECT_EQ(source.nSrcX, 0);
  EXPECT_EQ(source.nSrcY, 3 * 512);
}

}  // namespace
