#include "platform/draw/surface/bmp_file.h"

#include <algorithm>
#include <bit>
#include <string>

#include "app/base/file_system.h"
#include "app/base/report_log.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// One channel described by a bit mask, widened to 0-255.
struct Channel {
  uint32_t nMask = 0;
  int nShift = 0;
  uint32_t nMax = 0;

  explicit Channel(uint32_t mask) : nMask(mask) {
    if (!mask) return;
    nShift = std::countr_zero(mask);
    nMax = mask >> nShift;
  }
  // A mask must be one run of set bits.
  bool IsValid() const { return nMask && (nMax & (nMax + 1)) == 0; }
  uint32_t Extract(uint32_t pixel) const {
    const uint64_t v = (pixel & nMask) >> nShift;
    return static_cast<uint32_t>((v * 255 + nMax / 2) / nMax);
  }
};

}  // namespace

uint32_t cBmpImage::PixelRgb(int x, int y) const {
  if (!IsIndexed()) return RgbRow(y)[x];
  const BMPCOLOR& c = m_Colours[IndexRow(y)[x]];
  return static_cast<uint32_t>(c.rgbRed) << 16 | static_cast<uint32_t>(c.rgbGreen) << 8 | c.rgbBlue;
}

bool cBmpImage::Decode(const uint8_t* lpData, size_t nSize, std::string& strError) {
  *this = cBmpImage();
  auto Fail = [&](const char* pszReason) {
    *this = cBmpImage();
    strError = pszReason;
    return false;
  };

  if (nSize < kFileHeaderSize + 4) return Fail("file too short for a bitmap header");
  if (lpData[0] != 'B' || lpData[1] != 'M') return Fail("not a bitmap file (no BM signature)");
  const uint32_t nOffBits = Read32(lpData + 10);
  const uint32_t nHeaderSize = Read32(lpData + kFileHeaderSize);
  const uint8_t* lpHeader = lpData + kFileHeaderSize;
  if (nHeaderSize != kCoreHeaderSize && nHeaderSize < kInfoHeaderSize)
    return Fail("unknown bitmap header size");
  if (nHeaderSize > nSize - kFileHeaderSize) return Fail("bitmap header truncated");

  int64_t nWidth = 0, nHeight = 0;
  uint32_t nBitCount = 0, nCompression = kBiRgb, nClrUsed = 0;
  size_t nEntrySize = 4;
  if (nHeaderSize == kCoreHeaderSize) {
    nWidth = Read16(lpHeader + 4);
    nHeight = Read16(lpHeader + 6);
    nBitCount = Read16(lpHeader + 10);
    nEntrySize = 3;
  } else {
    nWidth = static_cast<int32_t>(Read32(lpHeader + 4));
    nHeight = static_cast<int32_t>(Read32(lpHeader + 8));
    nBitCount = Read16(lpHeader + 14);
    nCompression = Read32(lpHeader + 16);
    nClrUsed = Read32(lpHeader + 32);
  }
  if (Read16(lpHeader + (nHeaderSize == kCoreHeaderSize ? 8 : 12)) != 1)
    return Fail("bitmap plane count is not 1");

  const bool bTopDown = nHeight < 0;
  if (bTopDown) nHeight = -nHeight;
  if (nWidth <= 0 || nHeight <= 0) return Fail("bitmap width or height is not positive");
  if (nWidth > kBmpMaxSide || nHeight > kBmpMaxSide || nWidth * nHeight > kBmpMaxPixels)
    return Fail("bitmap dimensions too large");

  switch (nBitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return Fail("unsupported bits per pixel");
  }
  if (nCompression == kBiBitfields) {
    if (nBitCount != 16 && nBitCount != 32)
      return Fail("bit-field masks need 16 or 32 bits per pixel");
  } else if (nCompression != kBiRgb) {
    return Fail("compressed bitmaps are not supported");
  }

  // Bit-field masks follow a 40-byte header and lie inside the larger ones.
  size_t nTablePos = kFileHeaderSize + nHeaderSize;
  uint32_t anMask[3] = {0x7C00, 0x03E0, 0x001F};  // 16-bit default: 5-5-5
  if (nBitCount == 32) anMask[0] = 0xFF0000, anMask[1] = 0xFF00, anMask[2] = 0xFF;
  if (nCompression == kBiBitfields) {
    const size_t nMaskPos = kFileHeaderSize + kInfoHeaderSize;
    if (nMaskPos + 12 > nSize) return Fail("bit-field masks truncated");
    for (int i = 0; i < 3; ++i) anMask[i] = Read32(lpData + nMaskPos + 4 * i);
    if (nHeaderSize == kInfoHeaderSize) nTablePos += 12;
  }
  const Channel red(anMask[0]), green(anMask[1]), blue(anMask[2]);
  if (!red.IsValid() || !green.IsValid() || !blue.IsValid()) return Fail("bad bit-field masks");

  // Colour table of an indexed picture.
  if (nBitCount <= 8) {
    const uint32_t nMaxColours = 1u << nBitCount;
    const uint32_t nColours = (nClrUsed == 0 || nClrUsed > nMaxColours) ? nMaxColours : nClrUsed;
    if (nTablePos > nSize || nColours * nEntrySize > nSize - nTablePos)
      return Fail("colour table truncated");
    for (uint32_t i = 0; i < nColours; ++i) {
      const uint8_t* p = lpData + nTablePos + i * nEntrySize;
      m_Colours[i] = BMPCOLOR{p[0], p[1], p[2], nEntrySize == 4 ? p[3] : uint8_t{0}};
    }
    m_nColours = static_cast<int>(nColours);
  }

  // Pixel rows: each row is padded to 4 bytes; all of them must be present.
  const uint64_t nStride = ((static_cast<uint64_t>(nWidth) * nBitCount + 31) / 32) * 4;
  if (nOffBits < kFileHeaderSize + nHeaderSize || nOffBits > nSize)
    return Fail("bad pixel data offset");
  if (nStride * static_cast<uint64_t>(nHeight) > nSize - nOffBits)
    return Fail("pixel data truncated");

  m_nWidth = static_cast<int>(nWidth);
  m_nHeight = static_cast<int>(nHeight);
  m_nBitCount = static_cast<int>(nBitCount);
  const size_t nPixels = static_cast<size_t>(nWidth * nHeight);
  if (nBitCount <= 8)
    m_Indices.resize(nPixels);
  else
    m_Rgb.resize(nPixels);

  for (int y = 0; y < m_nHeight; ++y) {
    const int nFileRow = bTopDown ? y : m_nHeight - 1 - y;
    const uint8_t* src = lpData + nOffBits + static_cast<size_t>(nStride) * nFileRow;
    const size_t nRow = static_cast<size_t>(y) * m_nWidth;
    switch (nBitCount) {
      case 1:
      case 4: {
        const int nPerByte = 8 / static_cast<int>(nBitCount);
        const int nMask = (1 << nBitCount) - 1;
        for (int x = 0; x < m_nWidth; ++x) {
          const int nShift = 8 - static_cast<int>(nBitCount) * (x % nPerByte + 1);
          m_Indices[nRow + x] = static_cast<uint8_t>(src[x / nPerByte] >> nShift & nMask);
        }
        break;
      }
      case 8:
        std::copy(src, src + m_nWidth, m_Indices.begin() + static_cast<ptrdiff_t>(nRow));
        break;
      case 24:
        for (int x = 0; x < m_nWidth; ++x, src += 3)
          m_Rgb[nRow + x] =
              static_cast<uint32_t>(src[2]) << 16 | static_cast<uint32_t>(src[1]) << 8 | src[0];
        break;
      case 16:
      case 32:
        for (int x = 0; x < m_nWidth; ++x) {
          uint32_t pixel;
          if (nBitCount == 16) {
            pixel = Read16(src), src += 2;
          } else {
            pixel = Read32(src), src += 4;
          }
          m_Rgb[nRow + x] =
              red.Extract(pixel) << 16 | green.Extract(pixel) << 8 | blue.Extract(pixel);
        }
        break;
    }
  }
  return true;
}

BmpLoadResult LoadBmpFile(std::string_view storedPath, cBmpImage& image) {
  image = cBmpImage();
  const std::string strName(storedPath);
  uint64_t nSize = 0;
  if (storedPath.empty() || !GetFileSize(storedPath, nSize) || IsDirectory(storedPath))
    return BmpLoadResult::kMissing;
  if (nSize > kBmpMaxFileSize) {
    ReportLog("Bitmap Err %s : file too large", strName.c_str());
    return BmpLoadResult::kBad;
  }
  cFileBytes data;
  if (!ReadWholeFile(storedPath, data)) return BmpLoadResult::kMissing;
  std::string strError;
  if (!image.Decode(reinterpret_cast<const uint8_t*>(data.data()), data.size(), strError)) {
    ReportLog("Bitmap Err %s : %s", strName.c_str(), strError.c_str());
    return BmpLoadResult::kBad;
  }
  return BmpLoadResult::kOk;
}
