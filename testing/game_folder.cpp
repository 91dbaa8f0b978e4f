#include "testing/game_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/base/close_request.h"
#include "app/base/file_system.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"

namespace fs = std::filesystem;

cTestGameFolder::cTestGameFolder() {
  m_strPrevious = fs::current_path().string();
  std::string strTemplate = (fs::temp_directory_path() / "player-test-XXXXXX").string();
  if (::mkdtemp(strTemplate.data()) == nullptr) ADD_FAILURE() << "cannot make a temporary folder";
  m_strFolder = strTemplate;
  fs::current_path(m_strFolder);
  OpenReportLog(kReportLogName);
  ResetCloseRequestCount();
  SetCloseRequestHandler(nullptr);
  SetMessageBoxProvider(nullptr);
  SetTraceLog(false, kTraceLogName);
}

cTestGameFolder::~cTestGameFolder() {
  CloseReportLog();
  SetTraceLog(false, kTraceLogName);
  SetMessageBoxProvider(nullptr);
  fs::current_path(m_strPrevious);
  std::error_code ec;
  fs::remove_all(m_strFolder, ec);
}

void cTestGameFolder::WriteFile(const std::string& strStoredPath,
                                const std::string& strData) const {
  const fs::path native = MapPath(strStoredPath);
  if (native.has_parent_path()) fs::create_directories(native.parent_path());
  std::ofstream out(native, std::ios::binary);
  out << strData;
}

std::string cTestGameFolder::ReadFile(const std::string& strStoredPath) const {
  cFileBytes data;
  return ReadWholeFile(strStoredPath, data) ? std::string(data.View()) : "<missing>";
}

std::string cTestGameFolder::ReportLogText() const {
  std::string strText = ReadFile(kReportLogName);
  std::string out;
  for (char c : strText)
    if (c != '\r') out.push_back(c);
  return out;
}

void cTestGameFolder::ClearReportLog() const { WriteFile(kReportLogName, ""); }

int cTestGameFolder::ReportLogLineCount(std::string_view strPart) const {
  std::istringstream lines(ReportLogText());
  int n = 0;
  for (std::string strLine; std::getline(lines, strLine);)
    n += strLine.find(strPart) != std::string::npos;
  return n;
}

testing::AssertionResult cTestGameFolder::LoggedOneRecordFault() const {
  const int nFaults = ReportLogLineCount("damaged record file");
  const int nChecked = ReportLogLineCount("err V[");
  if (nFaults == 1 && nChecked <= 1 && ReportLogLineCount() == nFaults + nChecked)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "report log:\n" << ReportLogText();
}
