#pragma once
// Records the text of every message box shown while it lives, answering OK,
// and puts the default provider back when it goes.

#include <string>
#include <vector>

#include "app/base/message_box.h"

class cMessageBoxLog {
 public:
  cMessageBoxLog() {
    SetMessageBoxProvider([this](const std::string& strText, const std::string&, MsgBoxType) {
      m_Texts.push_back(strText);
      return kMsgBoxOk;
    });
  }
  ~cMessageBoxLog() { SetMessageBoxProvider(nullptr); }
  cMessageBoxLog(const cMessageBoxLog&) = delete;
  cMessageBoxLog& operator=(const cMessageBoxLog&) = delete;

  std::vector<std::string> m_Texts;
};
