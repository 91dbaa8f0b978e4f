#include "app/base/message_box.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "app/base/close_request.h"
#include "app/base/encoding.h"
#include "app/base/report_log.h"

namespace {

std::mutex g_providerMutex;
MessageBoxProvider g_provider;
size_t g_nScriptedAnswersUsed = 0;

int FirstButton(MsgBoxButtons buttons) {
  switch (buttons) {
    case MsgBoxButtons::Ok:
    case MsgBoxButtons::OkCancel:
      return kMsgBoxOk;
    case MsgBoxButtons::YesNo:
    case MsgBoxButtons::YesNoCancel:
      return kMsgBoxYes;
  }
  return kMsgBoxOk;
}

// The next answer of PLAYER_MSGBOX_ANSWERS ("yes,no,ok"), or 0 when used up.
int NextScriptedAnswer() {
  const char* pszAnswers = std::getenv("PLAYER_MSGBOX_ANSWERS");
  if (pszAnswers == nullptr) return 0;
  const std::string strAnswers = pszAnswers;
  size_t nStart = 0;
  for (size_t nIndex = 0; nStart <= strAnswers.size(); ++nIndex) {
    size_t nEnd = strAnswers.find(',', nStart);
    if (nEnd == std::string::npos) nEnd = strAnswers.size();
    if (nIndex == g_nScriptedAnswersUsed) {
      ++g_nScriptedAnswersUsed;
      const std::string strWord = strAnswers.substr(nStart, nEnd - nStart);
      if (strWord == "yes") return kMsgBoxYes;
      if (strWord == "no") return kMsgBoxNo;
      if (strWord == "cancel") return kMsgBoxCancel;
      if (strWord == "ok") return kMsgBoxOk;
      return 0;
    }
    nStart = nEnd + 1;
  }
  return 0;
}

int HeadlessBox(const std::string& strText, const std::string& strCaption, MsgBoxType type) {
  std::fprintf(stderr, "[%s] %s\n", Cp932ToUtf8(strCaption).c_str(), Cp932ToUtf8(strText).c_str());
  const int nAnswer = NextScriptedAnswer();
  return nAnswer != 0 ? nAnswer : FirstButton(type.buttons);
}

}  // namespace

int MsgBoxCancelAnswer(MsgBoxButtons buttons) {
  switch (buttons) {
    case MsgBoxButtons::Ok:
      return kMsgBoxOk;
    case MsgBoxButtons::YesNo:
      return kMsgBoxNo;
    case MsgBoxButtons::OkCancel:
    case MsgBoxButtons::YesNoCancel:
      return kMsgBoxCancel;
  }
  return kMsgBoxCancel;
}

void SetMessageBoxProvider(MessageBoxProvider provider) {
  std::lock_guard lock(g_providerMutex);
  g_provider = std::move(provider);
  g_nScriptedAnswersUsed = 0;
}

int ShowHeadlessMessageBox(const std::string& strText, const std::string& strCaption,
                           MsgBoxType type) {
  std::lock_guard lock(g_providerMutex);
  return HeadlessBox(strText, strCaption, type);
}

int ShowMessageBox(const std::string& strText, const std::string& strCaption, MsgBoxType type) {
  MessageBoxProvider provider;
  {
    std::lock_guard lock(g_providerMutex);
    provider = g_provider;
    if (!provider) return HeadlessBox(strText, strCaption, type);
  }
  return provider(strText, strCaption, type);
}

int ErrorBox(const std::string& strText) {
  return ShowMessageBox(strText, "エラー", MsgBoxType{MsgBoxButtons::Ok, MsgBoxIcon::None});
}

int ErrorBoxf(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  const std::string strText = FormatStringV(kLogTextMax, pszFormat, args);
  va_end(args);
  return ErrorBox(strText);
}

int DebugBoxf(const char* pszFormat, ...) {
  if (!IsTraceLogEnabled()) return 0;
  va_list args;
  va_start(args, pszFormat);
  const std::string strText = FormatStringV(kLogTextMax, pszFormat, args);
  va_end(args);
  return ErrorBox(strText);
}

void NoMemoryError() {
  ErrorBox("メモリが不足しています！");
  RequestClose();
}
