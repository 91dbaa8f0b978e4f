#include "app/version.h"

#include <gtest/gtest.h>

#include "app/base/report_log.h"
#include "testing/game_folder.h"

TEST(ReportLogHead, StartsWithVersionLineAndMachineReport) {
  cTestGameFolder folder;
  // A second start truncates what the first wrote.
  ReportLog("left over from the last run");
  ASSERT_EQ(OpenReportLog(kReportLogName), 1);
  ASSERT_EQ(WriteReportLogHead(), 1);
  const std::string strLog = folder.ReportLogText();
  EXPECT_EQ(strLog.rfind("App : ver 695\nOS : ", 0), 0u) << strLog;
  EXPECT_EQ(strLog.find("left over"), std::string::npos);
  for (const char* pszKey : {"\nCPU : ", "\nMem Total : ", "\nMem Free : ", "\nVir Total : ",
                             "\nVir Free : ", "\nHD Free : "})
    EXPECT_NE(strLog.find(pszKey), std::string::npos) << pszKey;
}
