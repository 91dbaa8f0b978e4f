// The player's entry: the working folder is the game folder.

#include <cstdio>

#include "app/base/report_log.h"
#include "app/version.h"

int main(int, char**) {
  if (OpenReportLog(kReportLogName) != 0) WriteReportLogHead();
  ReportLog("the game shell is not built yet: nothing to play");
  std::fprintf(stderr, "player: the report log is written; the game shell is not built yet.\n");
  return 0;
}
