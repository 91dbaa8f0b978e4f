#pragma once
// The keyboard hook of the dialogs. While a dialog runs, the keyboard focus
// sits in one of its items, so the dialog itself would never see the keys:
// the hook gives the active dialog a posted copy of every key press and
// release, keeps track of the Ctrl key, and hands a fixed set of
// notification keys (space, the arrows, Delete, F1 to F8) to the dialog as
// UIMSG_HOOKKEY instead of a key copy. The key itself still reaches the
// focused item. While the input method composes text, Return and the
// notification keys are left to it.
//
// The dialog box (dialog_box.h) runs every key through KeyboardHookProc; the
// hook serves the active box when that box carries the "cHook" property of
// a hook object that serves it.

#include <cstdint>

class cDialogBox;

class cHook {
 public:
  cHook() = default;
  virtual ~cHook() = default;
  // Serves the box: sets its "cHook" property and installs the one hook of
  // the program when there is none. True when a hook is installed.
  bool Install(cDialogBox* lpBox);
  static bool IsNotifyKey(int nVirtualKey);
  // Removes the hook (shutdown).
  static void UnhookAll();
  static bool IsInstalled();

  cDialogBox* m_lpBox = nullptr;
};

// 1 while Ctrl is held, as the hook saw it.
extern int g_bCtrlDown;

// Key data: bit 31 set for a release. A negative code or 3 (a peek) passes
// the key on untouched. Returns 0 (the next hook's answer).
intptr_t KeyboardHookProc(int nCode, int nVirtualKey, uint32_t dwData);
