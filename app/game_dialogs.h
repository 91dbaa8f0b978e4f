#pragma once
// The game's two dialogs: the name entry (resource 102), in which the player
// types the name of at most three characters under which a result enters a
// ranking (or the fixed ranking name of the options), and the start-up
// choice (resource 103) of the drawing back end, asked before the display
// starts when System.ini's Direct3D is 2 or more, with a box that stops the
// question for good. The choice is kept in "user_data\Boot.dat".

#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "records/record.h"

// Puts the templates of resources 102 and 103 in the dialog registry.
void RegisterGameDialogTemplates();

class cNameDialog : public cDialog {
 public:
  struct EDITENTRY {
    cEditControl control;
    EDITPARAMS params;
  };

  // Binds the options' ranking name when the option scene asks (title
  // choice 5), else the play scene's entry name when a play scene exists,
  // else nothing.
  cNameDialog(int nResource, cWindow* lpParent, int nDerived, cWindowList* lpRegistry);
  ~cNameDialog() override;

  intptr_t WindowProc(uint32_t nMsg, intptr_t wParam, intptr_t lParam) override;
  void OnCommand(intptr_t wParam, intptr_t lParam) override;
  void OnInitDialog(intptr_t wParam, intptr_t lParam) override;

  cCheckedVector<EDITENTRY> m_Entries;
};
extern cNameDialog* g_lpNameDialog;

// The start-up choice.
class cBootRecord : public cRecord {
 public:
  cBootRecord() { cBootRecord::RegisterFields(DATA_VERSION); }
  void RegisterFields(int nVersion) override;

  int32_t m_nDrawMode = 1;  // 1 textured (Direct3D), 0 surface (DirectDraw)
  int32_t m_bNoAsk = 0;     // non-zero: do not ask again
};
extern cBootRecord g_BootRecord;

class cBootDialog : public cDialog {
 public:
  struct RADIOENTRY {
    cRadioControl control;
    int nId;
    int* lpValue;
    int nValue;
  };
  struct CHECKENTRY {
    cCheckControl control;
    int nId;
    int* lpValue;
  };
  struct STATICENTRY {
    cStaticControl control;
    int nId;
  };

  cBootDialog(int nResource, cWindow* lpParent, int nDerived, cWindowList* lpRegistry);
  ~cBootDialog() override;

  intptr_t WindowProc(uint32_t nMsg, intptr_t wParam, intptr_t lParam) override;
  void OnCommand(intptr_t wParam, intptr_t lParam) override;
  void OnInitDialog(intptr_t wParam, intptr_t lParam) override;

  std::vector<RADIOENTRY> m_Radios;
  std::vector<CHECKENTRY> m_Checks;
  std::vector<STATICENTRY> m_Statics;
};
extern cBootDialog* g_lpBootDialog;

// The check entry with the id's low 16 bits, or none (with a debug box and a
// close request).
cCheckControl* FindControl(std::vector<cBootDialog::CHECKENTRY>& entries, unsigned nId);

// The start-up choice, run after System.ini was read and before the display
// starts: with Direct3D 2 or more, reads Boot.dat and, unless it says not to
// ask, runs the dialog; then Direct3D becomes 1 or 0 by the choice. False
// when the user stopped the start ("ゲーム中止" or the close box) or the
// dialog could not be shown.
bool RunStartupChoice();

// The name-entry dialog, run by the main window's name request (the workers
// are suspended around it).
void RunNameEntryDialog();

// The window that owns the dialogs (the main window); none in tests.
void SetDialogParentWindow(cWindow* lpParent);

// Registers the templates and makes the main window's requests open these
// dialogs: the name entry and the open-stage, open-replay and save-replay
// file dialogs.
void InstallGameDialogs();

// The dialogs of the running program: InstallGameDialogs with the main window
// as their parent and, on a real display, the host that draws them in the
// main window. RemoveShellDialogs undoes it (shutdown).
void InstallShellDialogs();
void RemoveShellDialogs();
