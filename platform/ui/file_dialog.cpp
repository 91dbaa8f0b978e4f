#include "platform/ui/file_dialog.h"

#include <algorithm>
#include <mutex>

#include "app/base/file_system.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"

namespace {

std::mutex g_hostMutex;
FileDialogHost g_host;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// '*' any run, '?' one byte; letters without regard to case.
bool WildMatch(const char* p, const char* s) {
  if (*p == '\0') return *s == '\0';
  if (*p == '*') {
    for (const char* t = s;; ++t) {
      if (WildMatch(p + 1, t)) return true;
      if (*t == '\0') return false;
    }
  }
  if (*s == '\0') return false;
  if (*p != '?' && Lower(*p) != Lower(*s)) return false;
  return WildMatch(p + 1, s + 1);
}

std::string Join(const std::string& strFolder, const std::string& strName) {
  return strFolder.empty() ? strName : strFolder + "\\" + strName;
}

std::string TrimFolder(std::string strFolder) {
  while (!strFolder.empty() && (strFolder.back() == '\\' || strFolder.back() == '/'))
    strFolder.pop_back();
  // A folder that does not exist shows the game folder instead.
  if (!strFolder.empty() && !IsDirectory(strFolder)) return std::string();
  return strFolder;
}

bool RunBrowser(cFileBrowser& browser) {
  FileDialogHost host;
  {
    std::lock_guard lock(g_hostMutex);
    host = g_host;
  }
  if (!host) {
    ReportLog("%s: no display to show the file dialog on; cancelled", browser.m_strTitle.c_str());
    return false;
  }
  browser.m_Chosen.clear();
  return host(browser) && !browser.m_Chosen.empty();
}

}  // namespace

bool cFileBrowser::Matches(const std::string& strName) const {
  if (m_Filters.empty()) return true;
  const FILEFILTER& filter = m_Filters[static_cast<size_t>(
      std::clamp(m_nFilter, 0, static_cast<int>(m_Filters.size()) - 1))];
  size_t nStart = 0;
  while (nStart <= filter.strPattern.size()) {
    size_t nEnd = filter.strPattern.find(';', nStart);
    if (nEnd == std::string::npos) nEnd = filter.strPattern.size();
    std::string strPattern = filter.strPattern.substr(nStart, nEnd - nStart);
    nStart = nEnd + 1;
    if (strPattern.empty()) continue;
    if (strPattern.find('.') == std::string::npos && strPattern != "*")
      strPattern = "*." + strPattern;
    if (WildMatch(strPattern.c_str(), strName.c_str())) return true;
  }
  return false;
}

std::vector<FILEENTRY> cFileBrowser::List() const {
  std::vector<FILEENTRY> folders, files;
  if (!m_strFolder.empty()) folders.push_back({"..", true});
  for (const std::string& strName : ListDirectory(m_strFolder.empty() ? "." : m_strFolder)) {
    if (strName == "." || strName == "..") continue;
    if (IsDirectory(Join(m_strFolder, strName)))
      folders.push_back({strName, true});
    else if (Matches(strName))
      files.push_back({strName, false});
  }
  folders.insert(folders.end(), files.begin(), files.end());
  return folders;
}

bool cFileBrowser::EnterFolder(const std::string& strName) {
  if (strName == "..") {
    if (m_strFolder.empty()) return false;
    const size_t nSep = m_strFolder.rfind('\\');
    m_strFolder = nSep == std::string::npos ? std::string() : m_strFolder.substr(0, nSep);
    return true;
  }
  if (strName.empty() || strName.find('\\') != std::string::npos ||
      !IsDirectory(Join(m_strFolder, strName)))
    return false;
  m_strFolder = Join(m_strFolder, strName);
  return true;
}

bool cFileBrowser::Choose(const std::vector<std::string>& names) {
  std::vector<std::string> chosen;
  for (const std::string& strGiven : names) {
    std::string strName = strGiven;
    if (strName.empty() || strName == "." || strName == ".." ||
        strName.find_first_of("\\/") != std::string::npos)
      return false;
    if (m_bSave) {
      // A name without an extension takes the default one.
      if (strName.find('.') == std::string::npos && !m_strDefaultExt.empty() &&
          m_strDefaultExt.find_first_of("*?;") == std::string::npos)
        strName += "." + m_strDefaultExt;
      const std::string strPath = Join(m_strFolder, strName);
      if (IsDirectory(strPath)) return false;
      if (FileExists(strPath)) {
        std::string strText = strName + " は既に存在します。\n上書きしますか？";
        if (ShowMessageBox(strText, m_strTitle, {MsgBoxButtons::YesNo, MsgBoxIcon::Warning}) !=
            kMsgBoxYes)
          return false;
      }
      chosen.push_back(strPath);
    } else {
      const std::string strPath = Join(m_strFolder, strName);
      if (!FileExists(strPath) || IsDirectory(strPath)) return false;
      chosen.push_back(strPath);
    }
    if (!m_bMultiSelect) break;
  }
  if (chosen.empty()) return false;
  m_Chosen = std::move(chosen);
  m_strName = names.front();
  return true;
}

void SetFileDialogHost(FileDialogHost host) {
  std::lock_guard lock(g_hostMutex);
  g_host = std::move(host);
}

std::vector<FILEFILTER> ParseFilterList(const std::string& strFilter) {
  std::vector<FILEFILTER> filters;
  std::vector<std::string> texts;
  size_t nStart = 0;
  while (nStart < strFilter.size()) {
    const size_t nEnd = strFilter.find('\0', nStart);
    const std::string strText =
        strFilter.substr(nStart, (nEnd == std::string::npos ? strFilter.size() : nEnd) - nStart);
    if (strText.empty()) break;
    texts.push_back(strText);
    if (nEnd == std::string::npos) break;
    nStart = nEnd + 1;
  }
  for (size_t i = 0; i + 1 < texts.size(); i += 2) filters.push_back({texts[i], texts[i + 1]});
  return filters;
}

int OpenFileDialog(cWindow*, std::string& strBuffer, const std::string& strInitialDir,
                   const std::string& strTitle, const std::string& strFilter,
                   const std::string& strDefaultExt, int bMultiSelect,
                   std::vector<std::string>* lpResult) {
  strBuffer.clear();
  cFileBrowser browser;
  browser.m_bMultiSelect = bMultiSelect != 0;
  browser.m_strTitle = strTitle;
  browser.m_Filters = ParseFilterList(strFilter);
  browser.m_strDefaultExt = strDefaultExt;
  browser.m_strFolder = TrimFolder(strInitialDir);
  if (!RunBrowser(browser)) return 0;
  strBuffer = browser.m_Chosen.front();
  if (lpResult != nullptr)
    lpResult->insert(lpResult->end(), browser.m_Chosen.begin(), browser.m_Chosen.end());
  return 1;
}

int SaveFileDialog(cWindow*, std::string& strBuffer, const std::string& strInitialDir,
                   const std::string& strTitle, const std::string& strFilter,
                   const std::string& strDefaultExt, int bKeep) {
  if (!bKeep) strBuffer.clear();
  cFileBrowser browser;
  browser.m_bSave = true;
  browser.m_strTitle = strTitle;
  browser.m_Filters = ParseFilterList(strFilter);
  browser.m_strDefaultExt = strDefaultExt;
  browser.m_strFolder = TrimFolder(strInitialDir);
  browser.m_strName = strBuffer;
  if (!RunBrowser(browser)) return 0;
  strBuffer = browser.m_Chosen.front();
  return 1;
}
