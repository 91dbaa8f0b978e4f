#include "app/base/sjis.h"

bool IsDoubleByte(const char* pszText) {
  if (pszText == nullptr) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(pszText);
  return IsLeadByte(p[0]) && IsTrailByte(p[1]);
}

int CountChars(const char* pszText) {
  if (pszText == nullptr) return 0;
  int nCount = 0;
  for (const char* p = pszText; *p != '\0';) {
    if (IsDoubleByte(p)) {
      p += 2;
      ++nCount;
    } else {
      if (*p != '\n') ++nCount;
      ++p;
    }
  }
  return nCount;
}

size_t CharBoundaryAtOrBefore(std::string_view text, size_t nMaxBytes) {
  if (text.size() <= nMaxBytes) return text.size();
  // Lead and trail byte ranges overlap, so only a scan from the start tells
  // where characters begin.
  size_t i = 0;
  while (i < nMaxBytes) {
    const bool bPair = i + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[i])) &&
                       IsTrailByte(static_cast<unsigned char>(text[i + 1]));
    const size_t nNext = i + (bPair ? 2 : 1);
    if (nNext > nMaxBytes) break;
    i = nNext;
  }
  return i;
}

void CutToCharBoundary(std::string& str, size_t nMaxBytes) {
  str.resize(CharBoundaryAtOrBefore(str, nMaxBytes));
}

int RecalcLength(std::string& str) {
  const size_t nNul = str.find('\0');
  if (nNul != std::string::npos) str.resize(nNul);
  return static_cast<int>(str.size());
}

std::string SubStringClamped(const std::string& strSource, int nStart, int nCount) {
  std::string strText = strSource;
  if (nStart < 0) {
    nCount += nStart;
    nStart = 0;
  } else {
    RecalcLength(strText);
    if (static_cast<size_t>(nStart) > strText.size()) return std::string();
  }
  if (nCount == 0) return std::string();
  RecalcLength(strText);
  const size_t nLength = strText.size();
  if (static_cast<size_t>(nStart) >= nLength) return std::string();
  if (nCount < 0 || static_cast<size_t>(nStart) + static_cast<size_t>(nCount) > nLength)
    return strText.substr(static_cast<size_t>(nStart));
  return strText.substr(static_cast<size_t>(nStart), static_cast<size_t>(nCount));
}
