#pragma once
// Builds small Windows bitmap files in memory for the drawing tests.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct BmpDesc {
  int nWidth = 8;
  int nHeight = 8;
  int nBitCount = 8;
  bool bTopDown = false;
  // Colour table (0x00RRGGBB) for 1, 4 and 8 bits.
  std::vector<uint32_t> colours;
  // Pixel value at (x, y), y from the top: an index at 8 bits or fewer, the
  // raw 16-bit word at 16 bits, 0x00RRGGBB at 24 and 32 bits.
  std::function<uint32_t(int, int)> pixel = [](int, int) { return 0u; };
};

inline void PutLe(std::string& s, uint32_t v, int nBytes) {
  for (int i = 0; i < nBytes; ++i) s.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}

inline std::string MakeBmp(const BmpDesc& desc) {
  const int nStride = (desc.nWidth * desc.nBitCount + 31) / 32 * 4;
  const uint32_t nTable = static_cast<uint32_t>(desc.colours.size()) * 4;
  const uint32_t nOff = 14 + 40 + nTable;
  std::string s;
  s += "BM";
  PutLe(s, nOff + static_cast<uint32_t>(nStride * desc.nHeight), 4);
  PutLe(s, 0, 4);
  PutLe(s, nOff, 4);
  PutLe(s, 40, 4);
  PutLe(s, static_cast<uint32_t>(desc.nWidth), 4);
  PutLe(s, static_cast<uint32_t>(desc.bTopDown ? -desc.nHeight : desc.nHeight), 4);
  PutLe(s, 1, 2);
  PutLe(s, static_cast<uint32_t>(desc.nBitCount), 2);
  PutLe(s, 0, 4);  // uncompressed
  PutLe(s, static_cast<uint32_t>(nStride * desc.nHeight), 4);
  PutLe(s, 2835, 4);
  PutLe(s, 2835, 4);
  PutLe(s, static_cast<uint32_t>(desc.colours.size()), 4);
  PutLe(s, 0, 4);
  for (uint32_t c : desc.colours) PutLe(s, c, 4);  // blue, green, red, 0
  for (int nFileRow = 0; nFileRow < desc.nHeight; ++nFileRow) {
    const int y = desc.bTopDown ? nFileRow : desc.nHeight - 1 - nFileRow;
    std::string row(static_cast<size_t>(nStride), '\0');
    for (int x = 0; x < desc.nWidth; ++x) {
      const uint32_t v = desc.pixel(x, y);
      switch (desc.nBitCount) {
        case 1:
        case 4: {
          const int nPerByte = 8 / desc.nBitCount;
          const int nShift = 8 - desc.nBitCount * (x % nPerByte + 1);
          row[static_cast<size_t>(x / nPerByte)] |= static_cast<char>(v << nShift);
          break;
        }
        case 8:
          row[static_cast<size_t>(x)] = static_cast<char>(v);
          break;
        case 16:
          row[static_cast<size_t>(2 * x)] = static_cast<char>(v),
                                      row[static_cast<size_t>(2 * x + 1)] =
                                          static_cast<char>(v >> 8);
          break;
        case 24:
          for (int b = 0; b < 3; ++b)
            row[static_cast<size_t>(3 * x + b)] = static_cast<char>(v >> (8 * b));
          break;
        case 32:
          for (int b = 0; b < 4; ++b)
            row[static_cast<size_t>(4 * x + b)] = static_cast<char>(v >> (8 * b));
          break;
      }
    }
    s += row;
  }
  return s;
}
