#pragma once
// The dialog framework: cDialog, the base of the program's dialogs, and the
// controls that bind a dialog item to a program value. ShowValue copies the
// value into the item when the dialog opens, StoreValue copies it back when
// the user confirms. The edit control keeps its text within a total size, a
// per-line length and a line count while the user types, counting a
// double-byte character as one when asked (this keeps a player name to three
// characters).
//
// A dialog runs on a cDialogBox (dialog_box.h) made from the template of its
// resource number. DoModal makes the box, sends it WM_INITDIALOG and hands it
// to the dialog host, which runs it until the dialog closes: the real host
// draws it over the game in the main window (dialog_host.h); without one, and
// in tests, a replaceable host answers (SetDialogHost), so that nothing ever
// waits on a dialog that nobody sees.
//
// A derived dialog supplies WindowProc, which calls cDialog::HandleMessage
// first, returns 1 for UIMSG_DESTROY, closes with 0 for UIMSG_CLOSE, and
// otherwise returns 1 when the message was handled.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/base/checked_containers.h"
#include "platform/ui/dialog_box.h"
#include "platform/ui/keyboard_hook.h"
#include "platform/ui/window.h"

class cDialog;

// The control kinds.
enum : int {
  CTRL_STATIC = 0,
  CTRL_EDIT = 3,
  CTRL_VIEW = 4,
  CTRL_CHECK = 5,
  CTRL_RADIO = 6,
  CTRL_SCROLLBAR = 11,
};

class cControl {
 public:
  explicit cControl(int nKind = CTRL_STATIC) : m_nKind(nKind) {}
  virtual ~cControl() = default;
  cControl(const cControl&) = default;
  cControl& operator=(const cControl&) = default;

  virtual void Enable(bool bEnable);
  virtual void ShowValue() {}
  virtual void StoreValue() {}
  virtual void OnUpdate() {}
  virtual int OnNotify(intptr_t, intptr_t) { return 0; }
  virtual int OnScroll(intptr_t, intptr_t) { return 0; }
  virtual void OnKillFocus() {}
  virtual void OnKeyDown(int, intptr_t, int) {}

  void Attach(cDialog* lpDialog, int nId);
  void UpdateOffset();
  void Resize(int nWidth, int nHeight);
  void SetText(const std::string& strText);
  // True when the item exists in the running dialog.
  bool HasItem() const;

  cDialog* m_lpDialog = nullptr;
  cDialogBox* m_lpBox = nullptr;  // the parent dialog's box
  int m_nKind;
  uint16_t m_nId = 0;
  int m_nScreenX = 0, m_nScreenY = 0;
  int m_nX = 0, m_nY = 0;  // relative to the dialog's client area
  int m_bInUpdate = 0;     // re-entry guard of the edit control
};

class cStaticControl : public cControl {
 public:
  cStaticControl() : cControl(CTRL_STATIC) {}
};

// The set-up of an edit control. A limit of 0 means its default.
struct EDITPARAMS {
  int nId = 0;
  std::string* lpText = nullptr;
  int nTotalLimit = 0;  // default 4096
  int nLineChars = 0;   // per line, default 1024
  int nLineLimit = 0;   // lines, default 32
  int bCountChars = 0;  // a double-byte character counts 1, "\n" 0
  int anExtra[4] = {};
};
// Id and text; total limit n + 1, per-line limit n with the counting flag
// (else the default), one line.
void SetEditParams(EDITPARAMS& params, int nId, std::string* lpText, int n, int bCountChars);

class cEditControl : public cControl {
 public:
  cEditControl() : cControl(CTRL_EDIT) {}
  void Attach(cDialog* lpDialog, const EDITPARAMS& params);
  void ShowValue() override;
  void StoreValue() override;
  void OnUpdate() override { EnforceLimits(); }
  // Brings the item's text within the limits after a change (see dialog.cpp).
  void EnforceLimits();
  // The most bytes an item read takes, the terminator included.
  int ReadSize() const;

  std::string* m_lpText = nullptr;
  int m_nTotalLimit = 4096;
  int m_bCountChars = 0;
  int m_nLineChars = 1024;
  int m_nLineLimit = 32;
  int m_bInitializing = 0;
  std::string m_strLast;  // the last accepted text
  int m_nSelStart = 0, m_nSelEnd = 0;
  int m_anExtra[4] = {};
};

class cCheckControl : public cControl {
 public:
  cCheckControl() : cControl(CTRL_CHECK) {}
  void ShowValue() override;
  void StoreValue() override;
  int* m_lpValue = nullptr;
};

// Radio controls bound to one int with different values form a group.
class cRadioControl : public cControl {
 public:
  cRadioControl() : cControl(CTRL_RADIO) {}
  void ShowValue() override;
  void StoreValue() override;
  int* m_lpValue = nullptr;
  int m_nValue = 0;
};

// The registry of windows that a modal run may hide (flag 2) or disable
// (flag 4). The dialogs of this program register nothing.
class cWindowList {
 public:
  void ShowAll(bool bShow);
  void EnableAll(bool bEnable);
  std::vector<cWindow*> m_Windows;
};

inline constexpr uint32_t UISTYLE_DISABLED = 0x08000000;

class cDialog : public cWindow {
 public:
  cDialog() = default;
  ~cDialog() override;

  void Init(int nResource, cWindow* lpParent, int nDerived, cWindowList* lpRegistry);
  void Create(int nResource, cWindow* lpParent, cWindowList* lpRegistry);
  // Runs the dialog until it closes; its result, 0 when the dialog is
  // already running, -1 when its template is missing.
  intptr_t DoModal(int nFlags);
  void Close(intptr_t nResult);
  void LoadControls();
  void SaveControls();
  void AddControl(cControl* lpControl) { m_Controls.push_back(lpControl); }

  int HandleMessage(uint32_t nMsg, intptr_t wParam, intptr_t lParam);
  void OnCommand(intptr_t wParam, intptr_t lParam) override;
  virtual void OnInitDialog(intptr_t wParam, intptr_t lParam);

  // The running dialog's box (null between runs).
  cDialogBox* Box() const { return m_lpBox; }

  int m_nModalFlags = 0;
  intptr_t m_nResult = 0;
  cHook m_Hook;
  cWindow* m_lpParentObject = nullptr;
  int m_nDerived = 0;
  cWindowList* m_lpRegistry = nullptr;
  cCheckedVector<cControl*> m_Controls;
  MOUSESTATE m_MouseAtInit = {};

 private:
  cDialogBox* m_lpBox = nullptr;
};

// The host that runs a dialog box until it ends. Installing an empty
// function puts back the default, which closes every dialog as the close box
// would (with a report-log line).
using DialogHost = std::function<void(cDialogBox& box)>;
void SetDialogHost(DialogHost host);
