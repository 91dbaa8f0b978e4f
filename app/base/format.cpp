#include "app/base/format.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/base/sjis.h"

std::string FormatStringV(int nMaxBytes, const char* pszFormat, va_list args) {
  if (pszFormat == nullptr) return std::string();
  char stackBuffer[1024];
  va_list copy;
  va_copy(copy, args);
  const int nNeeded = std::vsnprintf(stackBuffer, sizeof stackBuffer, pszFormat, copy);
  va_end(copy);
  if (nNeeded < 0) return std::string();

  std::string strResult;
  if (static_cast<size_t>(nNeeded) < sizeof stackBuffer) {
    strResult.assign(stackBuffer, static_cast<size_t>(nNeeded));
  } else {
    std::vector<char> buffer(static_cast<size_t>(nNeeded) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), pszFormat, args);
    strResult.assign(buffer.data(), static_cast<size_t>(nNeeded));
  }
  if (nMaxBytes >= 0) CutToCharBoundary(strResult, static_cast<size_t>(nMaxBytes));
  return strResult;
}

void FormatString(std::string& strOut, const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  strOut = FormatStringV(kFormatStringMax, pszFormat, args);
  va_end(args);
}

int CountDigits(int nValue) {
  // The magnitude in 64 bits, so that INT_MIN has one.
  int64_t n = nValue < 0 ? -static_cast<int64_t>(nValue) : nValue;
  int nDigits = 1;
  while (n >= 10 && nDigits < 10) {
    n /= 10;
    ++nDigits;
  }
  return nDigits;
}
