#pragma once
// Dialog templates and the live dialog box: the layer that the dialog
// framework (dialog.h) runs on.
//
// A dialog template describes a dialog as its resource did: size and items in
// dialog units, each item with its id, kind and text. A cDialogBox is one
// running dialog made from a template: it holds every item's state (text,
// check, selection, focus, enabled) and delivers messages to the dialog's
// procedure, sent at once or posted to its queue. The item functions below
// (SetDlgItemString, GetDlgItemString, the check and selection functions) are
// what the framework's controls call; the input functions (TypeText,
// ClickItem, PressKey, CloseBox) are what a dialog host calls for the user: the
// real host that draws the box over the game (dialog_host.h), or a test's
// script.
//
// Texts are CP932. Dialog units become pixels as for the dialogs' 9-point
// font: 3 pixels per 2 units in both directions.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/window.h"

// Messages of the dialogs, beside the window messages of window.h.
enum : uint32_t {
  UIMSG_KEYUP = 0x0101,
  UIMSG_NOTIFY = 0x004E,
  UIMSG_INITDIALOG = 0x0110,
  UIMSG_HSCROLL = 0x0114,
  UIMSG_VSCROLL = 0x0115,
  // A notification key handed to a dialog by the keyboard hook.
  UIMSG_HOOKKEY = 2024,
};

// Notification codes in the high word of a command's wParam.
enum : uint32_t {
  BN_CLICKED = 0,
  EN_KILLFOCUS = 0x0200,
  EN_UPDATE = 0x0400,
};

inline intptr_t MakeCommandParam(int nId, uint32_t nCode) {
  return static_cast<intptr_t>((nCode << 16) | (static_cast<uint32_t>(nId) & 0xFFFF));
}

enum class DlgItemKind {
  Picture,  // static picture
  Text,     // static text, left aligned
  GroupBox,
  Edit,        // edit box with border
  PushButton,  // push button
  DefButton,   // default push button: Enter chooses it
  Radio,       // automatic radio button: a run of them is one group
  Check,       // automatic check box
};

struct DLGITEMTEMPLATE {
  int nId = 0;
  DlgItemKind kind = DlgItemKind::Text;
  std::string strText;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct DLGTEMPLATE {
  int nResource = 0;
  bool bCaption = false;  // a caption bar (its text is set at run time)
  int cx = 0, cy = 0;     // dialog units
  std::vector<DLGITEMTEMPLATE> items;
};

// Dialog units to pixels.
inline int DialogUnitsToPixels(int n) { return n * 3 / 2; }

// The templates of the program's dialogs, by resource number.
void RegisterDialogTemplate(const DLGTEMPLATE& tmpl);
const DLGTEMPLATE* FindDialogTemplate(int nResource);

// A dialog procedure: the message, wParam, lParam; non-zero when handled.
using DialogProc = std::function<intptr_t(uint32_t nMsg, intptr_t wParam, intptr_t lParam)>;

struct DLGITEMSTATE {
  DLGITEMTEMPLATE tmpl;
  std::string strText;
  int bChecked = 0;
  int bEnabled = 1;
  int nSelStart = 0, nSelEnd = 0;  // edit boxes: byte offsets
};

class cDialogBox {
 public:
  cDialogBox(const DLGTEMPLATE& tmpl, DialogProc proc);

  // Sends WM_INITDIALOG. Call once, after the box is reachable through the
  // dialog object.
  void Init();

  // ---- the dialog's side -------------------------------------------------
  intptr_t Send(uint32_t nMsg, intptr_t wParam = 0, intptr_t lParam = 0);
  void Post(uint32_t nMsg, intptr_t wParam = 0, intptr_t lParam = 0);
  // Delivers the posted messages, in order; returns how many.
  int DeliverPosted();
  void End(intptr_t nResult);
  bool IsEnded() const { return m_bEnded; }
  intptr_t Result() const { return m_nResult; }

  DLGITEMSTATE* Item(int nId);
  const std::vector<DLGITEMSTATE>& Items() const { return m_items; }
  const DLGTEMPLATE& Template() const { return m_tmpl; }
  int FocusId() const { return m_nFocus; }
  void SetFocusItem(int nId);
  std::string m_strCaption;
  // Top-left corner of the box in the main window's client area (pixels).
  int m_nX = 0, m_nY = 0;

  // ---- the user's side (a host or a test script) -------------------------
  // The edit box nId now holds strText with the caret range [start, end)
  // (CP932 byte offsets): the box stores it and sends EN_UPDATE, as typing
  // does. False when the item is no enabled edit box.
  bool TypeText(int nId, const std::string& strText, int nSelStart, int nSelEnd);
  // Types at the caret of the focused edit box: replaces the selection with
  // strChars, or with bBackspace deletes the selection or the character
  // before the caret. Returns false without a focused edit box.
  bool TypeAtCaret(const std::string& strChars, bool bBackspace = false);
  // A click on a button, radio button or check box: the automatic ones
  // change their check first, then BN_CLICKED is sent. False when the item
  // is missing or disabled.
  bool ClickItem(int nId);
  // A key press or release as the keyboard delivers it: through the keyboard
  // hook (keyboard_hook.h), then the box's own handling of Enter (the
  // default button) and Tab (the next item). bComposing: the input method
  // holds an unconverted composition.
  void PressKey(int nVirtualKey, bool bDown, bool bComposing = false);
  // The close box of the caption or the window's close: WM_CLOSE.
  void CloseBox();
  // True while Backspace is held (the edit limits look at it).
  bool m_bBackspaceDown = false;
  // True while the input method holds an unconverted composition.
  bool m_bComposing = false;
  // The window property "cHook": the hook object serving this box.
  class cHook* m_lpHookProperty = nullptr;

 private:
  DLGTEMPLATE m_tmpl;
  DialogProc m_proc;
  std::vector<DLGITEMSTATE> m_items;
  struct POSTED {
    uint32_t nMsg;
    intptr_t wParam, lParam;
  };
  std::deque<POSTED> m_posted;
  int m_nFocus = 0;
  bool m_bEnded = false;
  intptr_t m_nResult = 0;
};

// The box that is running modally (the active window), or none.
cDialogBox* ActiveDialogBox();
void SetActiveDialogBox(cDialogBox* lpBox);

// Item functions (a missing item does nothing and reads as empty / 0).
// Setting an edit box's text sends its dialog EN_UPDATE.
int SetDlgItemString(cDialogBox* lpBox, int nId, const std::string& strText);
// Reads at most nMax - 1 bytes (nMax at most 5120), never splitting a
// double-byte character.
void GetDlgItemString(cDialogBox* lpBox, int nId, std::string& strOut, int nMax);
void CheckDlgItem(cDialogBox* lpBox, int nId, int bCheck);
int IsDlgItemChecked(cDialogBox* lpBox, int nId);
void SetEditSelection(cDialogBox* lpBox, int nId, int nStart, int nEnd);
void GetEditSelection(cDialogBox* lpBox, int nId, int& nStart, int& nEnd);
void EnableDlgItem(cDialogBox* lpBox, int nId, int bEnable);

// The longest text an item read takes.
inline constexpr int kDlgItemTextMax = 5120;
