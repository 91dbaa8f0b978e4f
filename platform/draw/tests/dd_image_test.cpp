// Image surfaces, the transparent colour, palettes from pictures and the
// palette-index map, on each back end and depth.

#include "platform/draw/surface/dd_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/base/close_request.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/surface/bmp_file.h"
#include "platform/draw/tests/bmp_builder.h"
#include "platform/draw/tests/media_fixture.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

// A 24-bit picture whose top-left pixel is magenta (the transparent colour).
BmpDesc FullColourPicture(std::vector<uint32_t> row) {
  BmpDesc desc;
  desc.nWidth = static_cast<int>(row.size());
  desc.nHeight = 2;
  desc.nBitCount = 24;
  desc.pixel = [row](int x, int) { return row[static_cast<size_t>(x)]; };
  return desc;
}

// An 8-bit picture: colour i of the table is (i, 255 - i, 2i), index 0 magenta.
BmpDesc IndexedPicture(int nWidth, int nHeight, std::function<uint32_t(int, int)> pixel) {
  BmpDesc desc;
  desc.nWidth = nWidth;
  desc.nHeight = nHeight;
  desc.nBitCount = 8;
  for (uint32_t i = 0; i < 256; ++i)
    desc.colours.push_back(i << 16 | (255 - i) << 8 | ((2 * i) & 0xFF));
  desc.colours[0] = kMagenta;
  desc.pixel = std::move(pixel);
  return desc;
}

uint32_t TableColour(uint32_t i) {
  return i == 0 ? kMagenta : i << 16 | (255 - i) << 8 | ((2 * i) & 0xFF);
}

class ImageTest : public cMediaTest {
 protected:
  // Sets the transparent colour as start-up does: from the first picture, and
  // with full-colour pictures at 16 bits the explicit colour as the key.
  void SetTransparent(const char* szFile, uint32_t rgbExplicit) {
    ASSERT_EQ(DDSetTransmit(szFile), 1);
    const DDRGBTRIPLE key{static_cast<uint8_t>(rgbExplicit), static_cast<uint8_t>(rgbExplicit >> 8),
                          static_cast<uint8_t>(rgbExplicit >> 16)};
    if (Bpp() == 16) (IsD3D() ? lpDTCon->rgbTransmitKey : lpDDCon->rgbTransmitKey) = key;
  }
};

// The pixel each back end stores for an opaque full-colour pixel.
uint32_t ExpectedOpaque(const BackEnd& be, uint32_t rgb) {
  const uint32_t r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
  if (be.bD3D && be.nBpp == 32) return 0xFF000000u | rgb;
  if (be.bD3D) return 0x8000u | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
  if (be.nBpp == 16) return (r * 31 / 255) << 11 | (g * 63 / 255) << 5 | b * 31 / 255;
  return rgb;
}

TEST_P(ImageTest, FullColourPictureKeysTheTransparentColour) {
  const std::vector<uint32_t> row = {kMagenta, 0x123456, 0xFFFFFF, 0x000000, 0x80FF01};
  m_folder.WriteFile("bmp\\絵.bmp", MakeBmp(FullColourPicture(row)));
  if (Bpp() == 8) {
    // No palette indices to show: the surface stays transparent, with a report.
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\絵.bmp", 1, 8, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(PixelAt(&sd, 1, 1), 0u);
    EXPECT_NE(m_folder.ReportLogText().find(
                  "CopyBitmap Err bmp\\絵.bmp 24bit picture on an 8-bit display"),
              std::string::npos);
    DDReleaseSurface(&sd);
    return;
  }
  SetTransparent("bmp\\絵.bmp", kMagenta);

  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\絵.bmp", 1, Bpp(), 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(sd.nWidth, 5);
  EXPECT_EQ(sd.nHeight, 2);
  EXPECT_STREQ(sd.szFileName, "bmp\\絵.bmp");
  const uint32_t key = IsD3D() ? 0u : g_dwTransmitPixel;
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(PixelAt(&sd, 0, y), key);
    for (int x = 1; x < 5; ++x)
      EXPECT_EQ(PixelAt(&sd, x, y), ExpectedOpaque(GetParam(), row[x])) << x;
  }
  if (IsD3D()) {
    EXPECT_STREQ(sd.szSurfaceType, "OffScreenFromFile");
    EXPECT_EQ(g_SurfaceList.back(), &sd);
  }
  DDReleaseSurface(&sd);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST_P(ImageTest, PalettePictureKeepsIndicesOrColours) {
  m_folder.WriteFile("bmp\\pal.bmp",
                     MakeBmp(IndexedPicture(6, 3, [](int x, int y) { return x * 40 + y; })));
  SetTransparent("bmp\\pal.bmp", kMagenta);
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\pal.bmp", 1, Bpp(), 0, 0, 0, 0, 0, 0, 0), 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) {
      const uint32_t index = static_cast<uint32_t>(x * 40 + y);
      uint32_t expected;
      if (Bpp() == 8) {
        expected = index;
      } else if (IsD3D() && TableColour(index) == kMagenta) {
        expected = 0;  // the key colour loads as transparent black
      } else if (!IsD3D() && Bpp() == 16) {
        const uint32_t c = TableColour(index);
        expected = (c >> 19 & 31) << 11 | (c >> 10 & 63) << 5 | (c >> 3 & 31);
      } else {
        expected = ExpectedOpaque(GetParam(), TableColour(index));
      }
      EXPECT_EQ(PixelAt(&sd, x, y), expected) << x << "," << y;
    }
  }
  DDReleaseSurface(&sd);
}

TEST_P(ImageTest, MissingAndBrokenFilesFailWithAReport) {
  m_folder.WriteFile("bmp\\broken.bmp",
                     MakeBmp(IndexedPicture(8, 8, [](int, int) { return 1u; })).substr(0, 100));
  for (const char* szFile : {"bmp\\none.bmp", "bmp\\broken.bmp"}) {
    DDSURFACEDATA sd;
    EXPECT_EQ(DDCreateSurfaceFromFile(&sd, szFile, 1, Bpp(), 0, 0, 0, 0, 0, 0, 0), 8) << szFile;
    EXPECT_FALSE(DDCheckResult(8));
    DDReleaseSurface(&sd);
  }
  const std::string strLog = m_folder.ReportLogText();
  EXPECT_NE(strLog.find("Bitmap Err bmp\\broken.bmp : colour table truncated"), std::string::npos)
      << strLog;
  if (IsD3D()) {
    EXPECT_NE(strLog.find("LoadImage Err bmp\\none.bmp"), std::string::npos) << strLog;
  } else {
    EXPECT_NE(TraceText().find("bmp\\none.bmp"), std::string::npos);
  }
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST_P(ImageTest, MirrorCellsFlipEachWholeCellInPlace) {
  // Columns carry their own number; 100 columns hold three whole 32-pixel cells.
  BmpDesc desc = IndexedPicture(100, 2, [](int x, int) { return static_cast<uint32_t>(x + 1); });
  m_folder.WriteFile("bmp\\cells.bmp", MakeBmp(desc));
  SetTransparent("bmp\\cells.bmp", kMagenta);

  DDSURFACEDATA plain, mirrored;
  ASSERT_EQ(DDCreateSurfaceFromFile(&plain, "bmp\\cells.bmp", 1, Bpp(), 0, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(DDCreateSurfaceFromFile(&mirrored, "bmp\\cells.bmp", 1, Bpp(), 0, 0, 0, 0, 32, 0, 0),
            0);
  EXPECT_EQ(mirrored.nMirrorWidth, 32);
  for (int x = 0; x < 96; ++x) {
    const int nFrom = 32 * (x / 32 + 1) - x % 32 - 1;
    EXPECT_EQ(PixelAt(&mirrored, x, 1), PixelAt(&plain, nFrom, 1)) << x;
  }
  // The part cell at the end is not copied under the surface back end; the
  // textured back end keeps it as loaded.
  for (int x = 96; x < 100; ++x) {
    const uint32_t expected = IsD3D() ? PixelAt(&plain, x, 0) : PalNumToRGB(0);
    EXPECT_EQ(PixelAt(&mirrored, x, 0), expected) << x;
  }

  // A cell height: rows are flipped by the surface back end; the textured
  // back end leaves such a picture unmirrored.
  DDSURFACEDATA tall;
  BmpDesc rows = IndexedPicture(3, 5, [](int, int y) { return static_cast<uint32_t>(y + 1); });
  m_folder.WriteFile("bmp\\rows.bmp", MakeBmp(rows));
  DDSURFACEDATA rowsPlain;
  ASSERT_EQ(DDCreateSurfaceFromFile(&rowsPlain, "bmp\\rows.bmp", 1, Bpp(), 0, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(DDCreateSurfaceFromFile(&tall, "bmp\\rows.bmp", 1, Bpp(), 0, 0, 0, 0, 3, 2, 0), 0);
  for (int y = 0; y < 4; ++y) {
    const int nFrom = IsD3D() ? y : 2 * (y / 2 + 1) - y % 2 - 1;
    EXPECT_EQ(PixelAt(&tall, 1, y), PixelAt(&rowsPlain, 1, nFrom)) << y;
  }
  // Bad stored cell sizes neither hang nor write outside the surface.
  DDSURFACEDATA odd[3];
  const int anCells[3][2] = {{-32, 0}, {0, -2}, {1000, 1000}};
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(DDCreateSurfaceFromFile(&odd[i], "bmp\\cells.bmp", 1, Bpp(), 0, 0, 0, 0,
                                      anCells[i][0], anCells[i][1], 0),
              0);
  EXPECT_EQ(PixelAt(&odd[0], 7, 1), PixelAt(&plain, 7, 1));
  for (DDSURFACEDATA& sd : odd) DDReleaseSurface(&sd);
  for (DDSURFACEDATA* lpSD : {&plain, &mirrored, &tall, &rowsPlain}) DDReleaseSurface(lpSD);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST_P(ImageTest, DetectsPicturesTooLargeOnlyOnTheSurfaceBackEnd) {
  m_folder.WriteFile("bmp\\big.bmp", MakeBmp(IndexedPicture(40, 20, [](int, int) { return 0u; })));
  struct Case {
    const char* szFile;
    int nMaxWidth, nMaxHeight;
    int nResult, bFlag;
  };
  const Case cases[] = {{"bmp\\big.bmp", 40, 20, 1, 0},
                        {"bmp\\big.bmp", 39, 20, 1, 1},
                        {"bmp\\big.bmp", 40, 19, 1, 1},
                        {"bmp\\none.bmp", 40, 20, 0, 0}};
  for (const Case& c : cases) {
    int bFlag = 7;
    const int nResult = DDIsBitmapTooLarge(&bFlag, c.szFile, c.nMaxWidth, c.nMaxHeight);
    if (IsD3D()) {
      EXPECT_EQ(nResult, 1);
      EXPECT_EQ(bFlag, 7);
    } else {
      EXPECT_EQ(nResult, c.nResult) << c.nMaxWidth << "x" << c.nMaxHeight;
      EXPECT_EQ(bFlag, c.bFlag) << c.nMaxWidth << "x" << c.nMaxHeight;
    }
  }
}

TEST_P(ImageTest, TransparentColourFromThreeBytes) {
  DDSetTransmit(uint8_t{250}, uint8_t{40}, uint8_t{7});
  const BackEnd& be = GetParam();
  if (be.bD3D) {
    EXPECT_EQ(lpDTCon->rgbTransmit.rgbtRed, 250);
    EXPECT_EQ(lpDTCon->dwTransmitColor, 0xFFFA2807u);
    EXPECT_EQ(lpDTCon->dwTransmitTexel, 0u);
    EXPECT_EQ(lpDTCon->wTransmit_16, 0u);
    // At 16 bits the bytes are channel values, limited to each channel.
    EXPECT_EQ(lpDTCon->wTransmitOpaque_16,
              be.nBpp == 16 ? 0x8000u | 31u << 10 | 31u << 5 | 7u : 0u);
    if (be.nBpp == 32) {
      EXPECT_EQ(g_dwTransmitPixel, 0u);
    }
  } else if (be.nBpp == 16) {
    EXPECT_EQ(g_dwTransmitPixel, (250u * 31 / 255) << 11 | (40u * 63 / 255) << 5 | 7u * 31 / 255);
  } else if (be.nBpp == 32) {
    EXPECT_EQ(g_dwTransmitPixel, 0xFA2807u);
    EXPECT_EQ(lpDDCon->rgbTransmit.rgbtBlue, 7);
  } else {
    EXPECT_EQ(g_dwTransmitPixel, 0u);
  }
}

TEST_P(ImageTest, TransparentColourFromThePicture) {
  BmpDesc desc = IndexedPicture(4, 4, [](int x, int y) { return x == 0 && y == 0 ? 0u : 9u; });
  desc.colours[0] = 0x204060;
  m_folder.WriteFile("bmp\\first.bmp", MakeBmp(desc));
  DDSURFACEINFO info[1];
  std::strcpy(info[0].szFileName, "bmp\\first.bmp");
  ASSERT_EQ(DDSetTransmit(info), 1);
  const BackEnd& be = GetParam();
  if (be.bD3D && be.nBpp == 16) {
    const uint32_t texel = 0x8000u | (0x20 >> 3) << 10 | (0x40 >> 3) << 5 | (0x60 >> 3);
    EXPECT_EQ(g_dwTransmitPixel, texel);
    EXPECT_EQ(lpDTCon->rgbTransmitKey.rgbtRed, 0x20);
    EXPECT_EQ(lpDTCon->rgbTransmitKey.rgbtBlue, 0x60);
    EXPECT_EQ(lpDTCon->wTransmitOpaque_16, texel);
  } else if (be.bD3D) {
    EXPECT_EQ(lpDTCon->dwTransmitColor, 0xFF204060u);
  } else if (be.nBpp == 8) {
    EXPECT_EQ(g_dwTransmitPixel, 0u);
  } else if (be.nBpp == 16) {
    EXPECT_EQ(g_dwTransmitPixel, (0x20u >> 3) << 11 | (0x40u >> 2) << 5 | (0x60u >> 3));
  } else {
    EXPECT_EQ(g_dwTransmitPixel, 0x204060u);
    EXPECT_EQ(lpDDCon->rgbTransmit.rgbtGreen, 0x40);
  }
  // Asking again gives the same colour, although the picture now loads with
  // its top-left pixel transparent.
  const uint32_t dwPixel = g_dwTransmitPixel;
  const uint32_t dwColour = be.bD3D ? lpDTCon->dwTransmitColor : 0;
  ASSERT_EQ(DDSetTransmit(info), 1);
  EXPECT_EQ(g_dwTransmitPixel, dwPixel);
  if (be.bD3D) {
    EXPECT_EQ(lpDTCon->dwTransmitColor, dwColour);
  }
  EXPECT_EQ(DDSetTransmit("bmp\\none.bmp"), 0);
  EXPECT_NE(TraceText().find("bmp\\none.bmp 作成失敗！"), std::string::npos);
}

// A palette image: 16 x 16 one-pixel cells from (0, 8); cell k has colour
// (k, 255 - k, 3k) and index k of an 8-bit table whose colours are different.
BmpDesc PaletteImage(int nBitCount, int nWidth = 16, int nHeight = 24) {
  BmpDesc desc;
  desc.nWidth = nWidth;
  desc.nHeight = nHeight;
  desc.nBitCount = nBitCount;
  auto cell = [](int x, int y) { return y >= 8 ? static_cast<uint32_t>((y - 8) * 16 + x) : 0u; };
  if (nBitCount == 8) {
    for (uint32_t k = 0; k < 256; ++k)
      desc.colours.push_back(k << 16 | (255 - k) << 8 | ((3 * k) & 0xFF));
    desc.pixel = cell;
  } else {
    desc.pixel = [cell](int x, int y) {
      const uint32_t k = cell(x, y);
      return k << 16 | (255 - k) << 8 | ((3 * k) & 0xFF);
    };
  }
  return desc;
}

TEST_P(ImageTest, PaletteFromThePicture) {
  m_folder.WriteFile("bmp\\palette.bmp", MakeBmp(PaletteImage(8)));
  PALENTRY pal[256];
  ASSERT_TRUE(DDLoadPaletteFromFile(pal, "bmp\\palette.bmp"));
  const BackEnd& be = GetParam();
  for (int k = 0; k < 256; ++k) {
    const uint8_t r = static_cast<uint8_t>(k), g = static_cast<uint8_t>(255 - k),
                  b = static_cast<uint8_t>(3 * k);
    PALENTRY expected{r, g, b, 255};
    if (!be.bD3D && be.nBpp == 8) {
      expected.peFlags = (k >= 10 && k <= 245) ? PC_RESERVED : PC_EXPLICIT;
    } else if (!be.bD3D && be.nBpp == 16) {
      // The display's own channel values; flags as they were.
      expected = PALENTRY{static_cast<uint8_t>(r >> 3), static_cast<uint8_t>(g >> 2),
                          static_cast<uint8_t>(b >> 3), pal[k].peFlags};
    } else if (be.bD3D && be.nBpp == 16) {
      // Read back from the 5-bit texels (the table's colours were replaced).
      expected = PALENTRY{static_cast<uint8_t>((r >> 3) * 255 / 31),
                          static_cast<uint8_t>((g >> 3) * 255 / 31),
                          static_cast<uint8_t>((b >> 3) * 255 / 31), 255};
    } else if (!be.bD3D && be.nBpp == 32) {
      expected.peFlags = 0;
    }
    EXPECT_EQ(pal[k].peRed, expected.peRed) << k;
    EXPECT_EQ(pal[k].peGreen, expected.peGreen) << k;
    EXPECT_EQ(pal[k].peBlue, expected.peBlue) << k;
    EXPECT_EQ(pal[k].peFlags, expected.peFlags) << k;
  }
  if (!be.bD3D && be.nBpp == 8) {
    EXPECT_EQ(g_lpDDPalette->Entries()[200].peGreen, 55);
    EXPECT_EQ(g_lpDDPalette->Entries()[3].peFlags, PC_EXPLICIT);
  }
  EXPECT_FALSE(DDLoadPaletteFromFile(pal, "bmp\\none.bmp"));
}

TEST_P(ImageTest, SmallPaletteImageGivesOnlyTheEntriesItHolds) {
  if (Bpp() == 8) GTEST_SKIP() << "the 8-bit display reads the colour table";
  m_folder.WriteFile("bmp\\small.bmp", MakeBmp(PaletteImage(24, 10, 10)));
  PALENTRY pal[256];
  for (PALENTRY& e : pal) e = PALENTRY{1, 2, 3, 4};
  ASSERT_TRUE(DDLoadPaletteFromFile(pal, "bmp\\small.bmp"));
  for (int k = 0; k < 256; ++k) {
    const bool bInside = k % 16 < 10 && k / 16 < 2;
    EXPECT_EQ(pal[k].peGreen != 2, bInside) << k;
  }
  EXPECT_NE(TraceText().find("DDSetPalette_UnPal Err"), std::string::npos);
}

TEST_P(ImageTest, PaletteIndexMapNamesTheFirstMatchingEntry) {
  if (Bpp() == 8) GTEST_SKIP() << "no map at 8 bits";
  const std::vector<uint32_t> row = {kMagenta, 0xFF0000, 0x00FF00, 0x0000FF};
  m_folder.WriteFile("bmp\\map.bmp", MakeBmp(FullColourPicture(row)));
  SetTransparent("bmp\\map.bmp", kMagenta);
  // Palette entries hold colours as the display keeps them.
  auto Entry = [&](uint32_t rgb) {
    uint8_t r = static_cast<uint8_t>(rgb >> 16), g = static_cast<uint8_t>(rgb >> 8),
            b = static_cast<uint8_t>(rgb);
    if (!IsD3D() && Bpp() == 16) r >>= 3, g >>= 2, b >>= 3;
    return PALENTRY{r, g, b, 0};
  };
  for (PALENTRY& e : g_Palette) e = PALENTRY{9, 9, 9, 0};
  g_Palette[5] = Entry(0xFF0000);
  g_Palette[9] = Entry(0xFF0000);  // a later duplicate does not win
  g_Palette[7] = Entry(0x00FF00);

  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\map.bmp", 1, Bpp(), 0, 0, 0, 1, 0, 0, 0), 0);
  const uint8_t* lpMap = IsD3D() ? sd.lpDT->lpPalIndexMap : sd.lpDDraw->lpPalIndexMap;
  ASSERT_NE(lpMap, nullptr);
  int nPitch;
  {
    cSurfaceLock lock(&sd);
    nPitch = lock.m_nPitch;
  }
  for (int y = 0; y < 2; ++y) {
    const uint8_t* lpRow = lpMap + static_cast<size_t>(y) * nPitch;
    EXPECT_EQ(lpRow[0], 0);  // the transparent colour
    EXPECT_EQ(lpRow[1], 5);
    EXPECT_EQ(lpRow[2], 7);
    EXPECT_EQ(lpRow[3], 0);  // no entry has this colour
  }
  // Rebuilding after the palette changed.
  g_Palette[2] = Entry(0x0000FF);
  uint8_t*& lpOwned = IsD3D() ? sd.lpDT->lpPalIndexMap : sd.lpDDraw->lpPalIndexMap;
  ASSERT_EQ(DDMakePalIndexMap(&lpOwned, &sd), 1);
  EXPECT_EQ(lpOwned[3], 2);
  DDReleaseSurface(&sd);
}

TEST_P(ImageTest, ReloadRefillsTheSurfaceAndRefusesAChangedSize) {
  m_folder.WriteFile("bmp\\re.bmp",
                     MakeBmp(IndexedPicture(8, 4, [](int x, int) { return x + 1u; })));
  SetTransparent("bmp\\re.bmp", kMagenta);
  if (IsD3D()) {
    DDSURFACEDATA sd;
    EXPECT_TRUE(DDReloadSurface(&sd, Bpp()));
    EXPECT_TRUE(CopyBitmap(&sd, "bmp\\none.bmp", Bpp(), 0, 0, 0));
    // A device reset re-creates the texture from the record's own file name.
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\re.bmp", 1, Bpp(), 0, 0, 0, 0, 0, 0, 0), 0);
    const uint32_t original = PixelAt(&sd, 3, 2);
    const size_t nListed = g_SurfaceList.size();
    sd.lpDT->lpTexture->Release();
    sd.lpDT->lpTexture = nullptr;
    sd.lpDT->lpSurface = nullptr;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, sd.szFileName, 1, Bpp(), 0, 0, 0, 0, 0, 0, 1), 0);
    EXPECT_EQ(PixelAt(&sd, 3, 2), original);
    EXPECT_STREQ(sd.szFileName, "bmp\\re.bmp");
    EXPECT_EQ(g_SurfaceList.size(), nListed);
    DDReleaseSurface(&sd);
    // A system-memory texture survives a reset: its pixels are kept as drawn.
    DDSURFACEDATA sys;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sys, "bmp\\re.bmp", 1, Bpp(), 0, DTMEMORYTYPE_SYSTEM, 0, 0,
                                      0, 0, 0),
              0);
    SetPixelAt(&sys, 3, 2, 0x1234);
    ASSERT_EQ(DDCreateSurfaceFromFile(&sys, sys.szFileName, 1, Bpp(), 0, DTMEMORYTYPE_SYSTEM, 0, 0,
                                      0, 0, 1),
              0);
    EXPECT_EQ(PixelAt(&sys, 3, 2), 0x1234u);
    DDReleaseSurface(&sys);
    return;
  }
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\re.bmp", 1, Bpp(), 0, 0, 0, 0, 0, 0, 0), 0);
  const uint32_t original = PixelAt(&sd, 3, 2);
  SetPixelAt(&sd, 3, 2, 0);
  ASSERT_TRUE(DDReloadSurface(&sd, Bpp()));
  EXPECT_EQ(PixelAt(&sd, 3, 2), original);

  // The file grew meanwhile: nothing is written into the smaller surface and
  // the record keeps the surface's size.
  m_folder.WriteFile("bmp\\re.bmp", MakeBmp(IndexedPicture(64, 64, [](int, int) { return 7u; })));
  SetPixelAt(&sd, 3, 2, 0);
  EXPECT_FALSE(DDReloadSurface(&sd, Bpp()));
  EXPECT_EQ(PixelAt(&sd, 3, 2), 0u);
  EXPECT_EQ(sd.nWidth, 8);
  EXPECT_EQ(sd.nHeight, 4);
  EXPECT_NE(TraceText().find("CopyBitmap Err bmp\\re.bmp Surface(8,4) Bmp(64,64)"),
            std::string::npos);
  DDReleaseSurface(&sd);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST_P(ImageTest, OpaquePixelThatWouldTakeTheKeyIsMovedByOne) {
  if (IsD3D() || Bpp() != 16) GTEST_SKIP() << "16-bit surface display only";
  struct Case {
    uint32_t keyRgb, rgb, expected;
  };
  // (255, 3, 255) converts to the key pixel of magenta and has full blue: minus
  // one; (3, 3, 3) converts to the key pixel of black: plus one.
  const Case cases[] = {{kMagenta, 0xFF03FF, 0xF81Eu}, {0x000000, 0x030303, 0x0001u}};
  for (const Case& c : cases) {
    m_folder.WriteFile("bmp\\k.bmp", MakeBmp(FullColourPicture({c.keyRgb, c.rgb})));
    DDSetTransmit(static_cast<uint8_t>(c.keyRgb >> 16), static_cast<uint8_t>(c.keyRgb >> 8),
                  static_cast<uint8_t>(c.keyRgb));
    lpDDCon->rgbTransmitKey =
        DDRGBTRIPLE{static_cast<uint8_t>(c.keyRgb), static_cast<uint8_t>(c.keyRgb >> 8),
                    static_cast<uint8_t>(c.keyRgb >> 16)};
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\k.bmp", 1, 16, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(PixelAt(&sd, 0, 0), g_dwTransmitPixel);
    EXPECT_EQ(PixelAt(&sd, 1, 0), c.expected) << std::hex << c.rgb;
    DDReleaseSurface(&sd);
  }
}

TEST_P(ImageTest, TexturesForVideoWithoutRenderTargetAreManaged) {
  if (!IsD3D()) GTEST_SKIP() << "textured back end only";
  m_folder.WriteFile("bmp\\t.bmp", MakeBmp(IndexedPicture(20, 10, [](int, int) { return 3u; })));
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\t.bmp", 1, Bpp(), 0, DTMEMORYTYPE_VIDEO_NORT, 0, 0,
                                    0, 0, 0),
            0);
  EXPECT_NE(TraceText().find("DTMEMORYTYPE_VIDEO_NORTの指定は未対応です。"), std::string::npos);
  ASSERT_NE(sd.lpDT->lpTexture, nullptr);
  EXPECT_EQ(sd.lpDT->lpTexture->Pool(), GPUPOOL_MANAGED);
  EXPECT_EQ(sd.lpDT->nMemoryType, DTMEMORYTYPE_VIDEO_RT);
  EXPECT_EQ(sd.lpDT->bRenderTarget, 0);
  EXPECT_EQ(sd.nTextureWidth, sd.lpDT->nLevelWidth);

  // A variant takes its size from the picture and gets no texture.
  DDSURFACEDATA variant;
  ASSERT_EQ(DDCreateSurfaceFromFile(&variant, "bmp\\t.bmp", 1, Bpp(), 0, 0, 1, 0, 32, 0, 0), 0);
  EXPECT_EQ(variant.lpDT->lpTexture, nullptr);
  EXPECT_EQ(variant.lpDT->nNumber, 0);
  EXPECT_EQ(variant.nWidth, 20);
  EXPECT_EQ(variant.nMirrorWidth, 32);
  DDReleaseSurface(&variant);
  DDReleaseSurface(&sd);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, ImageTest, testing::Values(kD3D16, kD3D32, kDD8, kDD16, kDD32),
                         BackEndName);

}  // namespace
