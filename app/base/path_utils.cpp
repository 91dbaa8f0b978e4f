#include "app/base/path_utils.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "app/base/file_system.h"
#include "app/base/format.h"
#include "app/base/sjis.h"

namespace {

// Components of a stored path, split at separators that are not trail bytes.
std::vector<std::string> SplitComponents(const std::string& strPath) {
  std::vector<std::string> parts;
  std::string strCurrent;
  for (size_t i = 0; i < strPath.size(); ++i) {
    if (IsDoubleByte(strPath.c_str() + i)) {
      strCurrent.append(strPath, i, 2);
      ++i;
    } else if (strPath[i] == '\\' || strPath[i] == '/') {
      if (!strCurrent.empty()) parts.push_back(std::move(strCurrent));
      strCurrent.clear();
    } else {
      strCurrent.push_back(strPath[i]);
    }
  }
  if (!strCurrent.empty()) parts.push_back(std::move(strCurrent));
  return parts;
}

// Lower-cases single-byte letters only; the trail byte of a double-byte
// character may look like an ASCII letter and must stay as it is.
std::string FoldCase(std::string s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (IsDoubleByte(s.c_str() + i))
      ++i;
    else
      s[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
  }
  return s;
}

// Copies a string result into a 260-byte buffer; 0 when it does not fit.
int StoreInBuffer(char* pszOut, const std::string& strValue) {
  if (strValue.size() > kMaxPath) return 0;
  std::memcpy(pszOut, strValue.c_str(), strValue.size() + 1);
  return 1;
}

std::string FromBuffer(const char* psz) {
  return psz == nullptr ? std::string() : std::string(psz, strnlen(psz, kMaxPath + 1));
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && FoldCase(a) == FoldCase(b);
}

}  // namespace

size_t FindLastSeparator(const std::string& strPath) {
  size_t nLast = std::string::npos;
  for (size_t i = 0; i < strPath.size(); ++i) {
    if (IsDoubleByte(strPath.c_str() + i))
      ++i;
    else if (strPath[i] == '\\')
      nLast = i;
  }
  return nLast;
}

int ToAbsolutePath(std::string& strPath) {
  if (IsAbsoluteStoredPath(strPath)) return 1;
  std::string strFolder;
  if (!GetCurrentFolder(strFolder)) return 0;
  std::vector<std::string> parts;
  for (auto& part : SplitComponents(strFolder + "\\" + strPath)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(std::move(part));
  }
  std::string strResult;
  for (const auto& part : parts) {
    strResult += '\\';
    strResult += part;
  }
  if (strResult.empty()) strResult.assign(1, '\\');
  strPath = strResult;
  return 1;
}

int ToAbsolutePath(char* pszPath) {
  std::string strPath = FromBuffer(pszPath);
  if (ToAbsolutePath(strPath) == 0) return 0;
  return StoreInBuffer(pszPath, strPath);
}

int ToRelativePath(std::string& strPath) {
  if (!IsAbsoluteStoredPath(strPath)) return 1;
  std::string strFolder;
  if (!GetCurrentFolder(strFolder)) return 0;
  const std::vector<std::string> from = SplitComponents(strFolder);
  const std::vector<std::string> to = SplitComponents(strPath);
  if (to.empty()) return 0;
  // The file name itself is never part of the common prefix.
  size_t nCommon = 0;
  while (nCommon < from.size() && nCommon + 1 < to.size() &&
         EqualIgnoringCase(from[nCommon], to[nCommon]))
    ++nCommon;
  std::string strResult;
  if (nCommon == from.size()) {
    strResult = ".";
  } else {
    for (size_t i = nCommon; i < from.size(); ++i) strResult += i == nCommon ? ".." : "\\..";
  }
  for (size_t i = nCommon; i < to.size(); ++i) {
    strResult += '\\';
    strResult += to[i];
  }
  if (strResult.size() > kMaxPath) return 0;
  strPath = strResult;
  return 1;
}

int ToRelativePath(char* pszPath) {
  std::string strPath = FromBuffer(pszPath);
  if (ToRelativePath(strPath) == 0) return 0;
  return StoreInBuffer(pszPath, strPath);
}

void StripDirectory(std::string& strPath) {
  const size_t nSep = FindLastSeparator(strPath);
  if (nSep != std::string::npos) strPath.erase(0, nSep + 1);
}

void StripDirectory(char* pszPath) {
  std::string strPath = FromBuffer(pszPath);
  StripDirectory(strPath);
  StoreInBuffer(pszPath, strPath);
}

int ChangeExtension(std::string& strOut, const std::string& strPath, const char* pszExt) {
  strOut = strPath;
  const size_t nDot = strOut.rfind('.');  // '.' is never a trail byte
  if (nDot == std::string::npos) return 0;
  strOut.resize(pszExt != nullptr ? nDot + 1 : nDot);
  if (pszExt != nullptr) strOut += pszExt;
  return 1;
}

int ChangeExtension(char* pszOut, const char* pszPath, const char* pszExt) {
  std::string strOut;
  const int nResult = ChangeExtension(strOut, FromBuffer(pszPath), pszExt);
  if (StoreInBuffer(pszOut, strOut) == 0) return 0;
  return nResult;
}

int StripExtension(std::string& strPath) {
  const size_t nDot = strPath.rfind('.');
  if (nDot == std::string::npos) return 0;
  strPath.resize(nDot);
  return 1;
}

int StripExtension(char* pszPath) {
  std::string strPath = FromBuffer(pszPath);
  if (StripExtension(strPath) == 0) return 0;
  return StoreInBuffer(pszPath, strPath);
}

int GetExtension(std::string& strOut, const std::string& strPath) {
  const size_t nDot = strPath.rfind('.');
  if (nDot == std::string::npos) return 0;
  strOut = strPath.substr(nDot + 1);
  return 1;
}

int GetExtension(char* pszOut, const char* pszPath) {
  std::string strOut;
  if (GetExtension(strOut, FromBuffer(pszPath)) == 0) return 0;
  return StoreInBuffer(pszOut, strOut);
}

int AddNumberSuffix(std::string& strOut, const std::string& strPath, int a, int b) {
  const size_t nDot = strPath.rfind('.');
  if (nDot == std::string::npos || a < 0 || a > 9 || b < 0 || b > 9) return 0;
  std::string strSuffix;
  FormatString(strSuffix, "_%d%d", a, b);
  strOut = strPath.substr(0, nDot) + strSuffix + strPath.substr(nDot);
  return 1;
}

int AddNumberSuffix(char* pszOut, const char* pszPath, int a, int b) {
  std::string strOut;
  if (AddNumberSuffix(strOut, FromBuffer(pszPath), a, b) == 0) return 0;
  return StoreInBuffer(pszOut, strOut);
}

int FindNewestVersion(std::string& strOut, const std::string& strPath, const char* pszExt) {
  std::string strBase;
  ChangeExtension(strBase, strPath, pszExt);  // without a '.', the path as it is

  // One listing of the folder instead of a thousand lookups.
  const size_t nSep = FindLastSeparator(strBase);
  const std::string strFolder = nSep == std::string::npos ? std::string() : strBase.substr(0, nSep);
  const std::string strStem = nSep == std::string::npos ? strBase : strBase.substr(nSep + 1);
  std::unordered_set<std::string> names;
  for (const auto& name :
       ListDirectory(strFolder.empty() && nSep != std::string::npos ? "\\" : strFolder))
    names.insert(FoldCase(name));

  for (int h = 9; h >= 0; --h)
    for (int t = 9; t >= 0; --t)
      for (int u = 9; u >= 0; --u) {
        std::string strName;
        FormatString(strName, "%s_%d%d%d", strStem.c_str(), h, t, u);
        if (names.count(FoldCase(strName)) != 0) {
          FormatString(strOut, "%s_%d%d%d", strBase.c_str(), h, t, u);
          return 1;
        }
      }
  return 0;
}

int FindNewestVersion(char* pszOut, const char* pszPath, const char* pszExt) {
  std::string strOut;
  if (FindNewestVersion(strOut, FromBuffer(pszPath), pszExt) == 0) return 0;
  return StoreInBuffer(pszOut, strOut);
}
