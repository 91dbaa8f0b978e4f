#include "app/base/report_log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "app/base/close_request.h"
#include "app/base/encoding.h"
#include "app/base/file_system.h"
#include "app/base/message_box.h"

namespace {

// Lines come from every thread; one lock keeps each line whole.
std::recursive_mutex g_logMutex;
std::string g_strReportPath;     // native
bool g_bStderrFallback = false;  // SendReportLogToStderr
bool g_bTraceEnabled = false;
std::string g_strTracePath = kTraceLogName;
bool g_bTraceStarted = false;

// Text files end their lines with CR LF on disk.
std::string ToDiskText(const std::string& strText) {
  std::string out;
  out.reserve(strText.size() + 8);
  for (char c : strText) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

// Appends to a file opened with "r+b", so only to one that exists, and
// closes it.
bool AppendToFile(FILE* fp, const std::string& strText) {
  if (fp == nullptr) return false;
  std::fseek(fp, 0, SEEK_END);
  const std::string strDisk = ToDiskText(strText);
  std::fwrite(strDisk.data(), 1, strDisk.size(), fp);
  std::fclose(fp);
  return true;
}

std::string FormatLimited(const char* pszFormat, va_list args) {
  return FormatStringV(kLogTextMax, pszFormat, args);
}

}  // namespace

int OpenReportLog(const char* pszPath) {
  std::lock_guard lock(g_logMutex);
  if (pszPath == nullptr) return 0;
  FILE* fp = OpenFile(pszPath, "wb");
  if (fp == nullptr) return 0;
  std::fclose(fp);
  // Native: the folders above the game folder may hold characters that the
  // stored form cannot.
  g_strReportPath = NativeAbsolutePath(pszPath);
  return 1;
}

void CloseReportLog() {
  std::lock_guard lock(g_logMutex);
  g_strReportPath.clear();
}

std::string GetReportLogPath() {
  std::lock_guard lock(g_logMutex);
  return g_strReportPath;
}

int ReportLogRaw(const std::string& strText) {
  std::lock_guard lock(g_logMutex);
  if (g_strReportPath.empty() && g_bStderrFallback) {
    const std::string strUtf8 = Cp932ToUtf8(strText);
    std::fwrite(strUtf8.data(), 1, strUtf8.size(), stderr);
    return 1;
  }
  return AppendToFile(OpenNativeFile(g_strReportPath, "r+b"), strText) ? 1 : 0;
}

void SendReportLogToStderr(bool bOn) {
  std::lock_guard lock(g_logMutex);
  g_bStderrFallback = bOn;
}

int ReportLog(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  const std::string strText = FormatStringV(-1, pszFormat, args);
  va_end(args);
  return ReportLogRaw(strText + "\n");
}

namespace {

// One line to the report log and the same text to the trace log; nothing to
// either when the report log cannot be opened.
bool ReportAndTrace(const std::string& strText) {
  std::lock_guard lock(g_logMutex);
  if (ReportLogRaw(strText + "\n") == 0) return false;
  TraceLog(strText.c_str());
  return true;
}

}  // namespace

int ReportLogTrace(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  const std::string strText = FormatLimited(pszFormat, args);
  va_end(args);
  return ReportAndTrace(strText) ? 1 : 0;
}

int ReportLogBox(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  const std::string strText = FormatLimited(pszFormat, args);
  va_end(args);
  if (!ReportAndTrace(strText)) return 0;
  // The text is shown as it is; a '%' in it is not interpreted again.
  ErrorBox(strText);
  return 1;
}

void SetTraceLog(bool bEnabled, const char* pszPath) {
  std::lock_guard lock(g_logMutex);
  g_bTraceEnabled = bEnabled;
  g_strTracePath = pszPath != nullptr ? pszPath : "";
  g_bTraceStarted = false;
}

bool IsTraceLogEnabled() {
  std::lock_guard lock(g_logMutex);
  return g_bTraceEnabled;
}

int TraceLog(const char* pszText) {
  std::lock_guard lock(g_logMutex);
  if (!g_bTraceEnabled || pszText == nullptr) return 0;
  const std::string strLine = std::string(pszText) + "\n";
  if (!g_bTraceStarted) {
    // The first line of a run starts the file afresh.
    FILE* fp = OpenFile(g_strTracePath, "wb");
    if (fp == nullptr) return 0;
    const std::string strDisk = ToDiskText(strLine);
    std::fwrite(strDisk.data(), 1, strDisk.size(), fp);
    std::fclose(fp);
    g_bTraceStarted = true;
    return 1;
  }
  return AppendToFile(OpenFile(g_strTracePath, "r+b"), strLine) ? 1 : 0;
}

void TraceLogText(const char* pszText) { TraceLog(pszText); }

void TraceLogf(const char* pszFormat, ...) {
  if (!IsTraceLogEnabled()) return;
  va_list args;
  va_start(args, pszFormat);
  const std::string strText = FormatStringV(kFormatStringMax, pszFormat, args);
  va_end(args);
  TraceLog(strText.c_str());
}

void TraceFatal(const char* pszFormat, ...) {
  if (IsTraceLogEnabled()) {
    va_list args;
    va_start(args, pszFormat);
    const std::string strText = FormatStringV(kFormatStringMax, pszFormat, args);
    va_end(args);
    TraceLog(strText.c_str());
  }
  RequestClose();
}
