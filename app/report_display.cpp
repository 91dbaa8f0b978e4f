#include "app/report_display.h"

#include "app/base/report_log.h"
#include "platform/draw/dd_device.h"

int ReportDisplayInfo(int) {
  if (ReportLogRaw(g_bWindowMode ? "Mode : Window\n" : "Mode : Fullscreen\n") == 0) return 0;
  return ReportLog("Bpp : %d", g_nBpp);
}

void GetVideoMemoryMB(int* pnTotal, int* pnFree) {
  if (pnTotal != nullptr) *pnTotal = 0;
  if (pnFree != nullptr) *pnFree = 0;
}
