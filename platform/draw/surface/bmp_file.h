#pragma once
// Reader of uncompressed Windows bitmap files (1, 4, 8, 16, 24 and 32 bits
// per pixel; bottom-up or top-down rows; BITMAPCOREHEADER and the info
// headers from 40 bytes up, with bit-field masks at 16 and 32 bits).
//
// Every size and offset in the file is checked against the file's length
// before use, and the picture's dimensions against fixed limits, so a
// truncated or hostile file is refused with a reason instead of being read
// past its end or causing a giant allocation.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A colour-table entry in the layout of the file (blue, green, red, reserved).
struct BMPCOLOR {
  uint8_t rgbBlue = 0;
  uint8_t rgbGreen = 0;
  uint8_t rgbRed = 0;
  uint8_t rgbReserved = 0;
  bool operator==(const BMPCOLOR&) const = default;
};

// Limits of a picture the reader accepts.
inline constexpr int kBmpMaxSide = 32767;
inline constexpr int64_t kBmpMaxPixels = int64_t{1} << 25;

// A decoded bitmap. Pictures of 8 bits or fewer keep one palette index per
// pixel and their colour table; deeper pictures keep 0x00RRGGBB per pixel.
// Rows are counted from the top of the picture whatever the file's order.
class cBmpImage {
 public:
  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  int BitCount() const { return m_nBitCount; }  // as stored in the file
  bool IsIndexed() const { return m_nBitCount <= 8; }

  // Indexed pictures: the indices of row y.
  const uint8_t* IndexRow(int y) const {
    return m_Indices.data() + static_cast<size_t>(y) * m_nWidth;
  }
  // Direct-colour pictures: the 0x00RRGGBB values of row y.
  const uint32_t* RgbRow(int y) const { return m_Rgb.data() + static_cast<size_t>(y) * m_nWidth; }
  // Colour of a pixel as 0x00RRGGBB, through the colour table when indexed
  // (an index beyond the table gives black).
  uint32_t PixelRgb(int x, int y) const;

  // The colour table (indexed pictures; entries past the file's count are 0).
  const std::array<BMPCOLOR, 256>& Colours() const { return m_Colours; }
  int ColourCount() const { return m_nColours; }

  // Decodes a whole file image. On failure the image is left empty and
  // strError says why.
  bool Decode(const uint8_t* lpData, size_t nSize, std::string& strError);

 private:
  int m_nWidth = 0;
  int m_nHeight = 0;
  int m_nBitCount = 0;
  int m_nColours = 0;
  std::array<BMPCOLOR, 256> m_Colours{};
  std::vector<uint8_t> m_Indices;
  std::vector<uint32_t> m_Rgb;
};

enum class BmpLoadResult { kOk, kMissing, kBad };

// Largest bitmap file read at all.
inline constexpr uint64_t kBmpMaxFileSize = uint64_t{256} << 20;

// Reads a bitmap file (stored path). A file that cannot be opened gives
// kMissing and is left to the caller to report; a file that is not a bitmap
// this reader understands gives kBad after the report-log line
// "Bitmap Err %s : %s" (file, reason).
BmpLoadResult LoadBmpFile(std::string_view storedPath, cBmpImage& image);
