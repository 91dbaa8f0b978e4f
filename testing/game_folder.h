#pragma once
// A throw-away game folder for tests: a fresh temporary folder that becomes
// the working folder for the test's lifetime, with a report log opened in it
// and the close-request count and message-box provider reset. Everything is
// put back and removed when the object goes.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

class cTestGameFolder {
 public:
  cTestGameFolder();
  ~cTestGameFolder();
  cTestGameFolder(const cTestGameFolder&) = delete;
  cTestGameFolder& operator=(const cTestGameFolder&) = delete;

  // Native path of the folder.
  const std::string& NativePath() const { return m_strFolder; }

  // Writes a file (stored path, relative to the folder), creating its folders.
  void WriteFile(const std::string& strStoredPath, const std::string& strData) const;
  // Contents of a file, or "<missing>".
  std::string ReadFile(const std::string& strStoredPath) const;
  // The report log's lines without their CR LF.
  std::string ReportLogText() const;
  // Empties the report log, so that the lines of one load can be counted.
  void ClearReportLog() const;
  // Lines in the report log; with a text given, the lines that hold it.
  int ReportLogLineCount(std::string_view strPart = {}) const;
  // The report log holds one refusal of a record file: one "damaged record
  // file" line, after at most the checked-access line ("err V[...]") of a
  // count beyond the registered list.
  testing::AssertionResult LoggedOneRecordFault() const;

 private:
  std::string m_strFolder;
  std::string m_strPrevious;
};
