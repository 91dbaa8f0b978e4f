#include "app/core/system_ini.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/base/file_system.h"

SYSTEMINIDATA g_SystemIni;

namespace {

constexpr int kMaxKeys = 10000;
constexpr size_t kMaxText = 2047;
constexpr int kFreeStageEntry = 8;
constexpr int kEnglishEntry = 9;

// The int fields in the order of the option list's entries 0..7.
int* IntField(SYSTEMINIDATA& ini, int nEntry) {
  switch (nEntry) {
    case 0:
      return &ini.Direct3D;
    case 1:
      return &ini.WindowMode;
    case 2:
      return &ini.Bpp;
    case 3:
      return &ini.VSync;
    case 4:
      return &ini.D3D_FontCache;
    case 5:
      return &ini.DD_FontCache;
    case 6:
      return &ini.DD_VideoStretch;
    case 7:
      return &ini.ShowFps;
    case kEnglishEntry:
      return &ini.English;
  }
  return nullptr;
}

void SetFreeStage(SYSTEMINIDATA& ini, const std::string& strValue) {
  std::memset(ini.FreeStage, 0, sizeof ini.FreeStage);
  std::memcpy(ini.FreeStage, strValue.data(), std::min(strValue.size(), sizeof ini.FreeStage - 1));
}

// A whole decimal number with an optional sign that fits an int.
bool ParseInt(const std::string& strValue, int& nOut) {
  if (strValue.empty()) return false;
  errno = 0;
  char* pEnd = nullptr;
  const long n = std::strtol(strValue.c_str(), &pEnd, 10);
  if (pEnd == strValue.c_str() || *pEnd != '\0' || errno == ERANGE) return false;
  if (n < INT32_MIN || n > INT32_MAX) return false;
  nOut = static_cast<int>(n);
  return true;
}

void Apply(SYSTEMINIDATA& ini, const cCheckedVector<cIniEntry>& entries, const std::string& strKey,
           std::string strValue) {
  // A line ending in CR LF leaves its CR at the end of the value.
  if (!strValue.empty() && strValue.back() == '\r') strValue.pop_back();
  for (int i = 0; i < static_cast<int>(entries.size()) && i <= kEnglishEntry; ++i) {
    if (entries[static_cast<size_t>(i)].m_strKey != strKey) continue;
    if (i == kFreeStageEntry) {
      if (strValue.size() >= 2 && strValue.size() <= 259) SetFreeStage(ini, strValue);
    } else if (int* pField = IntField(ini, i)) {
      ParseInt(strValue, *pField);
    }
    return;
  }
}

class cIniFile {
 public:
  explicit cIniFile(FILE* fp) : m_fp(fp) {}
  ~cIniFile() { std::fclose(m_fp); }
  int Get() { return std::getc(m_fp); }

 private:
  FILE* m_fp;
};

}  // namespace

void SetSystemIniDefaults(SYSTEMINIDATA& ini, const cCheckedVector<cIniEntry>& entries) {
  ini = SYSTEMINIDATA{};
  for (int i = 0; i < 8 && i < static_cast<int>(entries.size()); ++i)
    *IntField(ini, i) = entries[static_cast<size_t>(i)].m_nValue;
  if (entries.size() > kFreeStageEntry) SetFreeStage(ini, entries[kFreeStageEntry].m_strValue);
  ini.English = 0;
}

int ReadSystemIni(const char* pszFile, SYSTEMINIDATA& ini,
                  const cCheckedVector<cIniEntry>& entries) {
  FILE* fp = OpenFile(pszFile, "rb");
  if (fp == nullptr) return 0;
  cIniFile file(fp);
  // Each pass reads one key: a line without "=", or a key=value pair.
  for (int nPass = 0; nPass < kMaxKeys; ++nPass) {
    std::string strKey;
    int c;
    while ((c = file.Get()) != '=') {
      if (c == EOF || c == '\0') return 1;
      if (c == '\n') break;
      if (c == ' ' || c == '\t' || c == '\r') continue;
      if (strKey.size() >= kMaxText) return 0;
      strKey.push_back(static_cast<char>(c));
    }
    if (c == '\n') {
      if (strKey == "Exit") return 1;
      continue;  // a comment line
    }
    // The value; the rest of its line is read as the next key.
    std::string strValue;
    for (;;) {
      c = file.Get();
      if (c == EOF || c == '\0' || c == ' ' || c == '\t' || c == '/' || c == '\n') break;
      if (strValue.size() >= kMaxText) return 0;
      strValue.push_back(static_cast<char>(c));
    }
    Apply(ini, entries, strKey, strValue);
    if (c == EOF || c == '\0') return 1;
  }
  return 1;
}
