#include "testing/golden.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <fstream>

bool GoldenUpdateMode() {
  const char* p = std::getenv("PLAYER_UPDATE_GOLDEN");
  return p != nullptr && *p == '1';
}

std::vector<std::string> ReadGoldenLines(const std::string& strPath) {
  std::vector<std::string> lines;
  std::ifstream file(strPath);
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

void CheckGolden(const std::string& strPath, const std::vector<std::string>& lines,
                 const std::function<std::string(const std::string& strGolden,
                                                 const std::string& strActual)>& fnDescribe) {
  if (GoldenUpdateMode()) {
    std::ofstream file(strPath, std::ios::trunc);
    for (const std::string& line : lines) file << line << '\n';
    if (!file) {
      ADD_FAILURE() << "cannot write " << strPath;
      return;
    }
    GTEST_SKIP() << "wrote " << strPath;
  }
  const std::vector<std::string> golden = ReadGoldenLines(strPath);
  const size_t nCommon = std::min(golden.size(), lines.size());
  for (size_t i = 0; i < nCommon; ++i) {
    if (golden[i] == lines[i]) continue;
    ADD_FAILURE() << strPath << ", line " << i + 1 << ":\n  golden: " << golden[i]
                  << "\n  actual: " << lines[i]
                  << (fnDescribe ? "\n  " + fnDescribe(golden[i], lines[i]) : std::string());
    return;
  }
  if (golden.size() != lines.size())
    ADD_FAILURE() << strPath << ": " << golden.size() << " golden lines, " << lines.size()
                  << " produced";
}

uint64_t FrameChecksum(const uint32_t* pPixels, int nWidth, int nHeight, int nPitch) {
  uint64_t h = 14695981039346656037ull;
  for (int y = 0; y < nHeight; ++y) {
    const uint32_t* row = pPixels + static_cast<ptrdiff_t>(y) * nPitch;
    for (int x = 0; x < nWidth; ++x) {
      const uint32_t v = row[x];
      for (int k = 0; k < 24; k += 8) {
        h ^= (v >> k) & 0xFF;
        h *= 1099511628211ull;
      }
    }
  }
  return h;
}
