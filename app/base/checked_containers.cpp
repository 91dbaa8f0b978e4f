#include "app/base/checked_containers.h"

#include <string>

#include "app/base/close_request.h"
#include "app/base/format.h"
#include "app/base/report_log.h"

void ReportBadIndex(char cKind, int nIndex, size_t nCount, int nElementSize) {
  std::string strMessage;
  FormatString(strMessage, cKind == 'L' ? "err L[%d] ( %d , %d )" : "err V[%d] ( %d , %d )", nIndex,
               static_cast<int>(nCount), nElementSize);
  TraceLog(strMessage.c_str());
  ReportLog("%s", strMessage.c_str());
  RequestClose();
}
