#pragma once
// The report log "Report_Game.txt" and the trace log "EC_Game.txt".
//
// Each call opens the file, appends one line and closes it again, so a line is
// on disk when the call returns; nothing is written while the file does not
// exist. Lines end with CR LF on disk.

#include <string>

#include "app/base/format.h"

inline constexpr const char* kReportLogName = "Report_Game.txt";
inline constexpr const char* kTraceLogName = "EC_Game.txt";
// Longest text of ReportLogTrace, ReportLogBox, ErrorBoxf and DebugBoxf.
inline constexpr int kLogTextMax = 1023;

// Creates or truncates the report log (a stored path) and remembers its
// absolute native path, so that lines reach it from any working folder.
int OpenReportLog(const char* pszPath);
// Forgets the report log (tests).
void CloseReportLog();
// With no report log open (a game folder that cannot be written), its lines
// go to the standard error instead (UTF-8), so that what failed is still said.
void SendReportLogToStderr(bool bOn);
// Native absolute path of the report log, empty when none.
std::string GetReportLogPath();

int ReportLog(const char* pszFormat, ...) PLAYER_PRINTF(1, 2);
int ReportLogTrace(const char* pszFormat, ...) PLAYER_PRINTF(1, 2);
int ReportLogBox(const char* pszFormat, ...) PLAYER_PRINTF(1, 2);
// Appends text as written (its own line feeds included) to the report log.
int ReportLogRaw(const std::string& strText);

void SetTraceLog(bool bEnabled, const char* pszPath);
bool IsTraceLogEnabled();
int TraceLog(const char* pszText);
void TraceLogText(const char* pszText);
void TraceLogf(const char* pszFormat, ...) PLAYER_PRINTF(1, 2);
// Trace line (when enabled), then always a close request.
void TraceFatal(const char* pszFormat, ...) PLAYER_PRINTF(1, 2);
