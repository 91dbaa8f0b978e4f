#pragma once
// A message box shown with SDL (over the parent window when given). Text and
// caption are CP932 and converted at this edge.

#include <string>

#include "app/base/message_box.h"

struct SDL_Window;

// The button pressed (kMsgBoxOk, kMsgBoxYes, ...; closing the box answers
// the cancelling button), or 0 when no box can be shown (no display).
int ShowSdlMessageBox(const std::string& strText, const std::string& strCaption, MsgBoxType type,
                      SDL_Window* pParent);
