#include "platform/ui/sdl_message_box.h"

#include <SDL.h>

#include <vector>

#include "app/base/encoding.h"

int ShowSdlMessageBox(const std::string& strText, const std::string& strCaption, MsgBoxType type,
                      SDL_Window* pParent) {
  struct BUTTON {
    int nResult;
    const char* pszLabel;
  };
  std::vector<BUTTON> buttons;
  switch (type.buttons) {
    case MsgBoxButtons::Ok:
      buttons = {{kMsgBoxOk, "OK"}};
      break;
    case MsgBoxButtons::OkCancel:
      buttons = {{kMsgBoxOk, "OK"}, {kMsgBoxCancel, "Cancel"}};
      break;
    case MsgBoxButtons::YesNo:
      buttons = {{kMsgBoxYes, "Yes"}, {kMsgBoxNo, "No"}};
      break;
    case MsgBoxButtons::YesNoCancel:
      buttons = {{kMsgBoxYes, "Yes"}, {kMsgBoxNo, "No"}, {kMsgBoxCancel, "Cancel"}};
      break;
  }
  std::vector<SDL_MessageBoxButtonData> data;
  for (size_t i = 0; i < buttons.size(); ++i) {
    Uint32 dwFlags = 0;
    // Return presses the first button; Escape (and closing the box) the last.
    if (i == 0) dwFlags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (i + 1 == buttons.size()) dwFlags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    data.push_back(SDL_MessageBoxButtonData{dwFlags, buttons[i].nResult, buttons[i].pszLabel});
  }
  Uint32 dwFlags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  switch (type.icon) {
    case MsgBoxIcon::Error:
      dwFlags |= SDL_MESSAGEBOX_ERROR;
      break;
    case MsgBoxIcon::Warning:
      dwFlags |= SDL_MESSAGEBOX_WARNING;
      break;
    case MsgBoxIcon::Question:
    case MsgBoxIcon::Information:
      dwFlags |= SDL_MESSAGEBOX_INFORMATION;
      break;
    case MsgBoxIcon::None:
      break;
  }
  const std::string strTextUtf8 = Cp932ToUtf8(strText);
  const std::string strCaptionUtf8 = Cp932ToUtf8(strCaption);
  SDL_MessageBoxData box{};
  box.flags = dwFlags;
  box.window = pParent;
  box.title = strCaptionUtf8.c_str();
  box.message = strTextUtf8.c_str();
  box.numbuttons = static_cast<int>(data.size());
  box.buttons = data.data();
  int nPressed = -1;
  if (SDL_ShowMessageBox(&box, &nPressed) != 0) return 0;
  return nPressed >= 0 ? nPressed : buttons.back().nResult;
}
