#include "app/core/surface_tables.h"

#include <gtest/gtest.h>

#include <string>

TEST(SurfaceTables, RowsNameTheirFilesOptionsAndParents) {
  struct ROW {
    int n;
    const char* pszFile;
    int bColorKey, nDDMemory, nDTMemory, bVariant, bOptional, nMirror, nWorkW, nWorkH, nParent;
  };
  const ROW kRows[] = {
      {0, "bmp\\plt\\Palette.bmp", 0, 1, 0, 0, 0, 0, 0, 0, -1},
      {3, "bmp\\Block.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 2},
      {4, "bmp\\Character1.bmp", 1, 0, 0, 0, 0, 0, 0, 0, -1},
      {5, "bmp\\Character1.bmp", 1, 0, 0, 1, 0, 32, 0, 0, 4},
      {6, "bmp\\Character2.bmp", 1, 0, 0, 0, 1, 0, 0, 0, -1},
      {19, "bmp\\Character8.bmp", 1, 0, 0, 1, 1, 32, 0, 0, 18},
      {21, "bmp\\Shot.bmp", 1, 0, 0, 1, 0, 16, 0, 0, 20},
      {22, "bmp\\Character1.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 4},
      {23, "bmp\\Character1.bmp", 1, 1, 0, 1, 0, 32, 0, 0, 4},
      {37, "bmp\\Character8.bmp", 1, 1, 0, 1, 1, 32, 0, 0, 18},
      {39, "bmp\\Shot.bmp", 1, 1, 0, 1, 0, 16, 0, 0, 20},
      {47, "bmp\\Title.bmp", 0, 0, 0, 0, 0, 0, 0, 0, -1},
      {48, "bmp\\GameMode.bmp", 1, 0, 0, 0, 1, 0, 0, 0, -1},
      {54, "bmp\\WorldBack.bmp", 0, 1, 0, 0, 1, 0, 0, 0, -1},
      {55, "背景その1.bmp", 1, 0, 0, 0, 1, 0, 0, 0, -1},
      {63, "E", 1, 1, 0, 0, 0, 0, 256, 960, -1},
      {68, "E", 1, 1, 0, 1, 0, 0, 640, 480, 67},
      {69, "E", 1, 0, 2, 0, 0, 0, 1024, 1024, -1},
      {70, "E", 1, 1, 1, 0, 0, 0, 1024, 1024, -1},
  };
  for (const ROW& r : kRows) {
    const DDSURFACEINFO& info = g_SurfaceInfoTable[r.n];
    EXPECT_EQ(std::string(info.szFileName), r.pszFile) << r.n;
    EXPECT_EQ(info.bColorKey, r.bColorKey) << r.n;
    EXPECT_EQ(info.nDDMemory, r.nDDMemory) << r.n;
    EXPECT_EQ(info.nDTMemory, r.nDTMemory) << r.n;
    EXPECT_EQ(info.bVariant, r.bVariant) << r.n;
    EXPECT_EQ(info.bOptional, r.bOptional) << r.n;
    EXPECT_EQ(info.nMirrorWidth, r.nMirror) << r.n;
    EXPECT_EQ(info.nWorkWidth, r.nWorkW) << r.n;
    EXPECT_EQ(info.nWorkHeight, r.nWorkH) << r.n;
    EXPECT_EQ(g_anSurfaceParent[r.n], r.nParent) << r.n;
  }
  // Exactly the entries marked as variants have a parent.
  for (int n = 0; n < kSurfaceCount; ++n)
    EXPECT_EQ(g_SurfaceInfoTable[n].bVariant != 0, g_anSurfaceParent[n] >= 0) << n;
  LinkSurfaceVariants();
  EXPECT_EQ(g_SurfaceTable[23].lpParentSD, &g_SurfaceTable[4]);
  EXPECT_EQ(g_SurfaceTable[4].lpParentSD, nullptr);
  for (DDSURFACEDATA& sd : g_SurfaceTable) sd.lpParentSD = nullptr;
}

TEST(SurfaceTables, FontTableGivesThreeCellSizes) {
  const int kCells[kFontCount][3] = {{9, 10, 2}, {16, 16, 2}, {30, 32, 0}};
  for (int i = 0; i < kFontCount; ++i) {
    const FONTINFO& f = g_FontTable[i];
    EXPECT_EQ(f.strFace, "ＭＳ ゴシック");
    EXPECT_EQ(f.nCharHeight, kCells[i][0]);
    EXPECT_EQ(f.nCellWidth, kCells[i][1]);
    EXPECT_EQ(f.nLineHeight, kCells[i][1]);
    EXPECT_EQ(f.nCache, kCells[i][2]);
    EXPECT_EQ(f.nColorIndex, 241);
    EXPECT_EQ(f.nWindowSurface, 45);
    EXPECT_EQ(f.nWindowBorderColor, 240);
    EXPECT_EQ(f.nGlyphSurface, 50);
  }
  EXPECT_EQ(g_FontWorkInfo[2].bColorKey, 1);
}
