// The bitmap reader: every depth and row order, header variants, and files
// that are truncated or lie about their sizes.

#include "platform/draw/surface/bmp_file.h"

#include <gtest/gtest.h>

#include <string>

#include "app/base/close_request.h"
#include "platform/draw/tests/bmp_builder.h"
#include "testing/game_folder.h"
#include "testing/test_random.h"

namespace {

bool Decode(const std::string& file, cBmpImage& image, std::string& strError) {
  return image.Decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), strError);
}

void Poke32(std::string& s, size_t nPos, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[nPos + i] = static_cast<char>(v >> (8 * i));
}

std::vector<uint32_t> GreyRamp(int n) {
  std::vector<uint32_t> colours;
  for (int i = 0; i < n; ++i) {
    const uint32_t g = static_cast<uint32_t>(i * 255 / (n - 1));
    colours.push_back(g << 16 | (255 - g) << 8 | static_cast<uint32_t>(i));
  }
  return colours;
}

TEST(BmpFile, DecodesEveryDepthInBothRowOrders) {
  struct Case {
    int nBitCount;
    int nColours;
  };
  for (const Case& c : {Case{1, 2}, Case{4, 16}, Case{8, 256}, Case{24, 0}, Case{32, 0}}) {
    for (bool bTopDown : {false, true}) {
      BmpDesc desc;
      desc.nWidth = 13;  // odd width: rows carry padding at every depth
      desc.nHeight = 5;
      desc.nBitCount = c.nBitCount;
      desc.bTopDown = bTopDown;
      if (c.nColours) desc.colours = GreyRamp(c.nColours);
      const uint32_t nIndices = c.nColours ? static_cast<uint32_t>(c.nColours) : 1;
      desc.pixel = [&](int x, int y) {
        if (c.nColours) return static_cast<uint32_t>(x * 7 + y * 3) % nIndices;
        return static_cast<uint32_t>(x * 19) << 16 | static_cast<uint32_t>(y * 50) << 8 |
               static_cast<uint32_t>(x + y);
      };
      cBmpImage image;
      std::string strError;
      ASSERT_TRUE(Decode(MakeBmp(desc), image, strError)) << c.nBitCount << " " << strError;
      EXPECT_EQ(image.Width(), 13);
      EXPECT_EQ(image.Height(), 5);
      EXPECT_EQ(image.BitCount(), c.nBitCount);
      EXPECT_EQ(image.ColourCount(), c.nColours);
      for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 13; ++x) {
          const uint32_t v = desc.pixel(x, y);
          if (c.nColours) {
            EXPECT_EQ(image.IndexRow(y)[x], v) << c.nBitCount << " " << x << "," << y;
            EXPECT_EQ(image.PixelRgb(x, y), desc.colours[v]);
          } else {
            EXPECT_EQ(image.PixelRgb(x, y), v) << c.nBitCount << " " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST(BmpFile, SixteenBitsAndBitFieldMasks) {
  // 16 bits without masks is 5-5-5.
  BmpDesc desc;
  desc.nWidth = 3;
  desc.nHeight = 1;
  desc.nBitCount = 16;
  desc.pixel = [](int x, int) { return std::array<uint32_t, 3>{0x7C00, 0x03E0, 0x0421}[x]; };
  cBmpImage image;
  std::string strError;
  ASSERT_TRUE(Decode(MakeBmp(desc), image, strError)) << strError;
  EXPECT_EQ(image.PixelRgb(0, 0), 0xFF0000u);
  EXPECT_EQ(image.PixelRgb(1, 0), 0x00FF00u);
  EXPECT_EQ(image.PixelRgb(2, 0), 0x080808u);

  // 5-6-5 masks after the 40-byte header.
  std::string file = MakeBmp(desc);
  Poke32(file, 30, 3);
  std::string masks;
  for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) PutLe(masks, m, 4);
  file.insert(54, masks);
  Poke32(file, 10, 54 + 12);
  Poke32(file, 2, static_cast<uint32_t>(file.size()));
  // Pixels: pure red, pure green, then green's top bit only.
  file.replace(66, 6, std::string("\x00\xF8\xE0\x07\x00\x04", 6));
  ASSERT_TRUE(Decode(file, image, strError)) << strError;
  EXPECT_EQ(image.PixelRgb(0, 0), 0xFF0000u);
  EXPECT_EQ(image.PixelRgb(1, 0), 0x00FF00u);
  EXPECT_EQ(image.PixelRgb(2, 0), 0x008200u);

  Poke32(file, 54, 0xF0F0);  // not one run of bits
  EXPECT_FALSE(Decode(file, image, strError));
  EXPECT_EQ(strError, "bad bit-field masks");
}

TEST(BmpFile, CoreHeaderWithThreeByteColourTable) {
  std::string file = "BM";
  PutLe(file, 0, 4);
  PutLe(file, 0, 4);
  PutLe(file, 14 + 12 + 6, 4);
  PutLe(file, 12, 4);
  PutLe(file, 2, 2);  // width
  PutLe(file, 1, 2);  // height
  PutLe(file, 1, 2);
  PutLe(file, 1, 2);  // 1 bit
  file += std::string("\x10\x20\x30\x40\x50\x60", 6);
  file += std::string("\x40\x00\x00\x00", 4);  // pixels 0, 1
  cBmpImage image;
  std::string strError;
  ASSERT_TRUE(Decode(file, image, strError)) << strError;
  EXPECT_EQ(image.PixelRgb(0, 0), 0x302010u);
  EXPECT_EQ(image.PixelRgb(1, 0), 0x605040u);
}

TEST(BmpFile, EveryTruncationIsRefused) {
  BmpDesc desc;
  desc.nWidth = 5;
  desc.nHeight = 3;
  desc.colours = GreyRamp(4);
  const std::string full = MakeBmp(desc);
  cBmpImage image;
  std::string strError;
  ASSERT_TRUE(Decode(full, image, strError));
  for (size_t n = 0; n < full.size(); ++n) {
    EXPECT_FALSE(Decode(full.substr(0, n), image, strError)) << n;
    EXPECT_FALSE(strError.empty());
    EXPECT_EQ(image.Width(), 0);
  }
}

TEST(BmpFile, HostileHeadersAreRefusedWithAReason) {
  BmpDesc desc;
  desc.nWidth = 4;
  desc.nHeight = 4;
  desc.colours = GreyRamp(2);
  const std::string good = MakeBmp(desc);
  struct Case {
    const char* reason;
    std::function<void(std::string&)> edit;
  };
  const Case cases[] = {
      {"not a bitmap file (no BM signature)", [](std::string& s) { s[0] = 'X'; }},
      {"unknown bitmap header size", [](std::string& s) { Poke32(s, 14, 20); }},
      {"bitmap header truncated", [](std::string& s) { Poke32(s, 14, 0x7FFFFFF0); }},
      {"bitmap width or height is not positive", [](std::string& s) { Poke32(s, 18, 0); }},
      {"bitmap width or height is not positive", [](std::string& s) { Poke32(s, 18, 0xFFFFFFFC); }},
      {"bitmap dimensions too large", [](std::string& s) { Poke32(s, 18, 0x7FFFFFFF); }},
      {"bitmap dimensions too large", [](std::string& s) { Poke32(s, 22, 0x80000000); }},
      {"bitmap dimensions too large",
       [](std::string& s) { Poke32(s, 18, 30000), Poke32(s, 22, 30000); }},
      {"pixel data truncated", [](std::string& s) { Poke32(s, 18, 4000), Poke32(s, 22, 4000); }},
      {"unsupported bits per pixel", [](std::string& s) { s[28] = 7; }},
      {"compressed bitmaps are not supported", [](std::string& s) { Poke32(s, 30, 1); }},
      {"bit-field masks need 16 or 32 bits per pixel", [](std::string& s) { Poke32(s, 30, 3); }},
      {"bitmap plane count is not 1", [](std::string& s) { s[26] = 2; }},
      {"bad pixel data offset", [](std::string& s) { Poke32(s, 10, 0xFFFFFFFF); }},
      {"bad pixel data offset", [](std::string& s) { Poke32(s, 10, 20); }},
      {"colour table truncated", [](std::string& s) { s[28] = 8, Poke32(s, 46, 0); }},
  };
  for (const Case& c : cases) {
    std::string file = good;
    c.edit(file);
    cBmpImage image;
    std::string strError;
    EXPECT_FALSE(Decode(file, image, strError)) << c.reason;
    EXPECT_EQ(strError, c.reason);
  }
}

TEST(BmpFile, RandomCorruptionIsRefusedOrStaysInBounds) {
  std::vector<std::string> bases;
  for (int nBitCount : {1, 4, 8, 16, 24, 32}) {
    BmpDesc desc;
    desc.nWidth = 11;
    desc.nHeight = 6;
    desc.nBitCount = nBitCount;
    desc.bTopDown = nBitCount % 3 == 0;
    if (nBitCount <= 8) desc.colours = GreyRamp(1 << nBitCount);
    desc.pixel = [nBitCount](int x, int y) {
      return static_cast<uint32_t>(x * 31 + y * 7) %
             (nBitCount <= 8 ? (1u << nBitCount) : 0xFFFFFFu);
    };
    bases.push_back(MakeBmp(desc));
  }
  cTestRandom random;
  int nDecoded = 0;
  for (int i = 0; i < 3000; ++i) {
    std::string file = bases[random.Index(bases.size())];
    const int nEdits = random.Between(1, 4);
    for (int e = 0; e < nEdits; ++e) {
      // Mostly the headers, where sizes and offsets live.
      file[random.Index(random.Below(4) ? 70u : file.size())] = random.Byte();
    }
    if (random.Below(8) == 0) file.resize(random.Index(file.size()));
    cBmpImage image;
    std::string strError;
    if (!Decode(file, image, strError)) continue;
    ++nDecoded;
    ASSERT_LE(int64_t{image.Width()} * image.Height(), kBmpMaxPixels);
    uint32_t nSum = 0;
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x) nSum += image.PixelRgb(x, y);
    EXPECT_GE(nSum, 0u);
  }
  EXPECT_GT(nDecoded, 100);  // the corruption also leaves many files readable
}

TEST(BmpFile, LoadReportsBadFilesAndLeavesMissingOnesToTheCaller) {
  cTestGameFolder folder;
  BmpDesc desc;
  desc.nBitCount = 24;
  desc.pixel = [](int x, int y) { return static_cast<uint32_t>(x << 8 | y); };
  folder.WriteFile("bmp\\絵.bmp", MakeBmp(desc));
  folder.WriteFile("bmp\\broken.bmp", MakeBmp(desc).substr(0, 60));

  cBmpImage image;
  EXPECT_EQ(LoadBmpFile("bmp\\絵.bmp", image), BmpLoadResult::kOk);
  EXPECT_EQ(image.PixelRgb(3, 5), 0x000305u);
  EXPECT_EQ(LoadBmpFile("bmp\\none.bmp", image), BmpLoadResult::kMissing);
  EXPECT_EQ(LoadBmpFile("", image), BmpLoadResult::kMissing);
  EXPECT_EQ(LoadBmpFile("bmp", image), BmpLoadResult::kMissing);
  EXPECT_EQ(folder.ReportLogText(), "");
  EXPECT_EQ(LoadBmpFile("bmp\\broken.bmp", image), BmpLoadResult::kBad);
  EXPECT_EQ(image.Width(), 0);
  EXPECT_EQ(folder.ReportLogText(), "Bitmap Err bmp\\broken.bmp : pixel data truncated\n");
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

}  // namespace
