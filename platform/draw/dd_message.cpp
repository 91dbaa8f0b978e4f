#include "platform/draw/dd_message.h"

#include <cstdarg>
#include <cstdio>

#include "app/base/report_log.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/present/presenter.h"

int DDSetDialogBoxMode(int bOn) {
  if (g_bWindowMode || !g_bDDInitialized) return 1;
  if (bOn && lpDTCon != nullptr) DDEndScene();
  GetPresenter()->ShowCursor(bOn != 0);
  return 1;
}

int DDMesBox(const char* pszText, const char* pszCaption, MsgBoxType type) {
  if (!DDSetDialogBoxMode(1)) {
    TraceLogf("DDMesBox 失敗! %s, %s", pszText, pszCaption);
    return 0;
  }
  ShowMessageBox(pszText, pszCaption, type);
  DDSetDialogBoxMode(0);
  return 1;
}

int DDDrawDebugText(DDSURFACEDATA* lpDstSD, int x, int y, int nCellWidth, int nCellHeight,
                    DDSURFACEDATA* lpGlyphSD, const char* pszText) {
  // The cells make one batch of their own, or join the caller's batch (its
  // order and registered sources stay as they are).
  const bool bBatch = lpDTCon != nullptr && !DDIsBatching();
  if (bBatch) DDBeginBatch(0);
  int nColumn = 0;
  int nLine = y;
  for (const char* p = pszText; *p != '\0'; ++p) {
    const int b = static_cast<unsigned char>(*p);
    if (b == '\n') {
      nColumn = 0;
      nLine += nCellHeight;
      continue;
    }
    int nRow = b / 16;
    if (b >= 0xA6 && b <= 0xBF)
      nRow -= 10;
    else if (b >= 0xC0 && b <= 0xDD)
      nRow -= 4;
    DDBlt(lpDstSD, x + nColumn, nLine, nCellWidth, nCellHeight, lpGlyphSD, nCellWidth * (b % 16),
          nCellHeight * nRow, DDBLT_TRANSPARENT);
    nColumn += nCellWidth;
    if (nColumn >= g_ScreenSize.cx) {
      nColumn = 0;
      nLine += nCellHeight;
    }
  }
  return bBatch ? DDEndBatch() : 0;
}

int DDPrintDebugText(DDSURFACEDATA* lpDstSD, int x, int y, int nCellWidth, int nCellHeight,
                     DDSURFACEDATA* lpGlyphSD, const char* pszFormat, ...) {
  char szText[256];
  va_list args;
  va_start(args, pszFormat);
  std::vsnprintf(szText, sizeof szText, pszFormat, args);
  va_end(args);
  return DDDrawDebugText(lpDstSD, x, y, nCellWidth, nCellHeight, lpGlyphSD, szText);
}
