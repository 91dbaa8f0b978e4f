#include "app/version.h"

#include "app/base/report_log.h"
#include "app/base/system_report.h"

int WriteReportLogHead() {
  if (ReportLog("App : ver %s", kVersionText) == 0) return 0;
  return ReportSystemInfo();
}
