// The pixel formats: every 16-bit pixel survives widening and narrowing, the
// three-mask 555-to-565 conversion agrees with the widening path, and pixels
// of every size are stored little-endian.

#include "platform/draw/pixels/pixel_format.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(PixelFormatTest, SixteenBitPixelsRoundTripThroughArgb) {
  for (uint32_t v = 0; v <= 0xFFFF; ++v) {
    const auto p = static_cast<uint16_t>(v);
    ASSERT_EQ(ArgbTo565(Rgb565ToArgb(p)), p) << std::hex << v;
    ASSERT_EQ(ArgbTo1555(Argb1555ToArgb(p)), p) << std::hex << v;
    ASSERT_EQ(Rgb555To565(p), ArgbTo565(Argb1555ToArgb(p))) << std::hex << v;
  }
  // Widening fills the low bits from the top ones: full channels are 0xFF.
  EXPECT_EQ(Rgb565ToArgb(0xFFFF), 0xFFFFFFFFu);
  EXPECT_EQ(Argb1555ToArgb(0x7FFF), 0x00FFFFFFu);
  EXPECT_EQ(Rgb565ToArgb(0x0821), 0xFF080408u);  // 1 in each channel
}

TEST(PixelFormatTest, LockedCopyDoublesGreenInto565) {
  const RGB565SHIFTS shifts{11, 5, 0};
  EXPECT_EQ(TexelTo565(0x7FFF, shifts), 0xFFDF);  // green's low bit stays 0
  EXPECT_EQ(TexelTo565(0x0421, shifts), 0x0841);
  EXPECT_EQ(TexelTo565(0x7C00, RGB565SHIFTS{0, 5, 11}), 0x001F);  // channels placed by the shifts
}

TEST(PixelFormatTest, PixelsOfEverySizeAreLittleEndian) {
  for (int nBytes = 1; nBytes <= 4; ++nBytes) {
    std::array<uint8_t, 6> buf{};
    buf.fill(0xEE);
    WritePixelBytes(buf.data() + 1, nBytes, 0x44332211u);
    const std::array<uint8_t, 4> want{0x11, 0x22, 0x33, 0x44};
    for (int k = 0; k < 6; ++k) {
      const uint8_t expected = k >= 1 && k <= nBytes ? want[k - 1] : 0xEE;
      EXPECT_EQ(buf[k], expected) << nBytes << " bytes, byte " << k;
    }
    const uint32_t mask = nBytes == 4 ? 0xFFFFFFFFu : (1u << (8 * nBytes)) - 1;
    EXPECT_EQ(ReadPixelBytes(buf.data() + 1, nBytes), 0x44332211u & mask) << nBytes;
  }
}

}  // namespace
