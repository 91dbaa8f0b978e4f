#include "app/game_dialogs.h"

#include <SDL.h>

#include <cstring>

#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "app/core/game_requests.h"
#include "app/core/option_data.h"
#include "app/core/scene.h"
#include "app/core/system_ini.h"
#include "app/main_window.h"
#include "platform/draw/dd_message.h"
#include "platform/draw/font/font_raster.h"
#include "platform/draw/present/sdl_presenter.h"
#include "platform/ui/dialog_host.h"
#include "platform/ui/file_dialog.h"
#include "play/play_scene.h"
#include "records/data_path.h"
#include "records/system.h"

cNameDialog* g_lpNameDialog = nullptr;
cBootDialog* g_lpBootDialog = nullptr;
cBootRecord g_BootRecord;

namespace {

constexpr int kNameResource = 102;
constexpr int kBootResource = 103;

cWindow* g_lpDialogParent = nullptr;
// The window registry every dialog is given; the program registers nothing.
cWindowList g_WindowList;

// Moves the mouse cursor to a point of the main window's 640 x 480 client
// area, as the dialogs do to put it over their first choice.
void MoveCursorTo(int x, int y) {
  if (g_lpDialogParent == nullptr || g_lpDialogParent->m_hWnd == nullptr ||
      SDL_WasInit(SDL_INIT_VIDEO) == 0)
    return;
  int w = 0, h = 0;
  SDL_GetWindowSize(g_lpDialogParent->m_hWnd, &w, &h);
  if (w <= 0 || h <= 0) return;
  SDL_WarpMouseInWindow(g_lpDialogParent->m_hWnd, x * w / 640, y * h / 480);
}

// The window procedure both dialogs share.
template <class Dialog>
intptr_t GameDialogProc(Dialog& dialog, uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  const int r = dialog.cDialog::HandleMessage(nMsg, wParam, lParam);
  if (nMsg == UIMSG_DESTROY) return 1;
  if (nMsg == UIMSG_CLOSE) {
    dialog.Close(0);
    return 1;
  }
  return r != 0 ? 1 : 0;
}

}  // namespace

void SetDialogParentWindow(cWindow* lpParent) { g_lpDialogParent = lpParent; }

void RegisterGameDialogTemplates() {
  DLGTEMPLATE name;
  name.nResource = kNameResource;
  name.cx = 110;
  name.cy = 65;
  name.items = {{1075, DlgItemKind::Picture, "", 7, 7, 20, 21},
                {1003, DlgItemKind::Edit, "", 75, 12, 24, 14},
                {1000, DlgItemKind::DefButton, "OK", 30, 35, 50, 18},
                {1007, DlgItemKind::Text, "登録名(3文字まで)", 15, 15, 56, 16}};
  RegisterDialogTemplate(name);

  DLGTEMPLATE boot;
  boot.nResource = kBootResource;
  boot.bCaption = true;
  boot.cx = 222;
  boot.cy = 171;
  boot.items = {{1075, DlgItemKind::Picture, "", 7, 7, 20, 21},
                {1000, DlgItemKind::DefButton, "ゲーム開始", 80, 105, 50, 25},
                {1001, DlgItemKind::PushButton, "ゲーム中止", 80, 140, 50, 18},
                {1006, DlgItemKind::GroupBox, "描画モード", 15, 15, 190, 55},
                {1002, DlgItemKind::Radio, "Direct3D", 20, 30, 42, 10},
                {1003, DlgItemKind::Radio, "DirectDraw", 80, 30, 45, 10},
                {1005, DlgItemKind::Text,
                 "詳細な設定は環境設定ファイル「System.ini」で行って下さい。", 20, 50, 177, 12},
                {1004, DlgItemKind::Check, "次回からこのダイアログを表示しない", 50, 85, 120, 10}};
  RegisterDialogTemplate(boot);
}

// ---- name entry ------------------------------------------------------------------------------

cNameDialog::cNameDialog(int nResource, cWindow* lpParent, int nDerived, cWindowList* lpRegistry) {
  Init(nResource, lpParent, nDerived, lpRegistry);
  g_lpNameDialog = this;
  SetCreateParams(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  // The dialog sits at (240, 220) of the main window's client area, in a
  // window and in full screen alike (it is drawn inside the main window).
  m_nInitX = 240;
  m_nInitY = 220;
  MoveCursorTo(240 + 80, 220 + 65);
  std::string* lpText = nullptr;
  if (g_SceneManager.m_nTitleChoice == 5)
    lpText = &g_OptionData.m_strRankName;
  else if (g_lpPlayScene != nullptr)
    lpText = &g_lpPlayScene->m_strEntryName;
  if (lpText != nullptr) {
    EDITENTRY entry;
    SetEditParams(entry.params, 1003, lpText, 3, 1);
    m_Entries.push_back(entry);
  }
}

cNameDialog::~cNameDialog() {
  m_Entries.clear();
  if (g_lpNameDialog == this) g_lpNameDialog = nullptr;
}

intptr_t cNameDialog::WindowProc(uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  return GameDialogProc(*this, nMsg, wParam, lParam);
}

void cNameDialog::OnInitDialog(intptr_t wParam, intptr_t lParam) {
  cDialog::OnInitDialog(wParam, lParam);
  for (EDITENTRY& entry : m_Entries) {
    entry.control.Attach(this, entry.params);
    AddControl(&entry.control);
  }
  LoadControls();
  // Typing replaces the old name. Without a bound text there is no entry and
  // the empty box keeps the focus it has.
  if (!m_Entries.empty()) {
    const int nId = m_Entries.At(0).params.nId;
    Box()->SetFocusItem(nId);
    SetEditSelection(Box(), nId, 0, -1);
  }
  if (g_SystemIni.English) SetDlgItemString(Box(), 1007, "     Name");
  m_bInitialized = 1;
}

void cNameDialog::OnCommand(intptr_t wParam, intptr_t lParam) {
  switch (wParam & 0xFFFF) {
    case 1000:
      SaveControls();
      Close(1);
      break;
    case 1001:
      Close(0);
      break;
    default:
      cDialog::OnCommand(wParam, lParam);
      break;
  }
}

void RunNameEntryDialog() {
  DDSetDialogBoxMode(1);
  {
    cNameDialog dialog(kNameResource, g_lpDialogParent, 1, &g_WindowList);
    dialog.DoModal(0);
  }
  DDSetDialogBoxMode(0);
}

// ---- start-up choice ------------------------------------------------------------------------

void cBootRecord::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_nDrawMode);
  AddField(&m_bNoAsk);
}

cBootDialog::cBootDialog(int nResource, cWindow* lpParent, int nDerived, cWindowList* lpRegistry) {
  Init(nResource, lpParent, nDerived, lpRegistry);
  g_lpBootDialog = this;
  SetCreateParams(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  // Centred on the main window's client area as the dialog's frame was.
  const int x = static_cast<int>(320 - 187.0);
  const int y = static_cast<int>(240 - 136.0);
  m_nInitX = x;
  m_nInitY = y;
  MoveCursorTo(static_cast<int>(x + 181.9), static_cast<int>(y + 198.9));
  m_Radios.push_back({cRadioControl(), 1002, &g_BootRecord.m_nDrawMode, 1});
  m_Radios.push_back({cRadioControl(), 1003, &g_BootRecord.m_nDrawMode, 0});
  m_Checks.push_back({cCheckControl(), 1004, &g_BootRecord.m_bNoAsk});
  m_Statics.push_back({cStaticControl(), 1005});
}

cBootDialog::~cBootDialog() {
  m_Radios.clear();
  m_Checks.clear();
  m_Statics.clear();
  if (g_lpBootDialog == this) g_lpBootDialog = nullptr;
}

intptr_t cBootDialog::WindowProc(uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  return GameDialogProc(*this, nMsg, wParam, lParam);
}

cCheckControl* FindControl(std::vector<cBootDialog::CHECKENTRY>& entries, unsigned nId) {
  for (cBootDialog::CHECKENTRY& entry : entries)
    if ((static_cast<unsigned>(entry.nId) & 0xFFFF) == (nId & 0xFFFF)) return &entry.control;
  DebugBoxf("コントロールID 【%u】 が見つかりません！", nId & 0xFFFF);
  RequestClose();
  return nullptr;
}

void cBootDialog::OnInitDialog(intptr_t wParam, intptr_t lParam) {
  cDialog::OnInitDialog(wParam, lParam);
  Box()->m_strCaption = g_System.m_strTitle;
  for (RADIOENTRY& entry : m_Radios) {
    entry.control.Attach(this, entry.nId);
    entry.control.m_lpValue = entry.lpValue;
    entry.control.m_nValue = entry.nValue;
    AddControl(&entry.control);
  }
  for (CHECKENTRY& entry : m_Checks) {
    entry.control.Attach(this, entry.nId);
    entry.control.m_lpValue = entry.lpValue;
    AddControl(&entry.control);
  }
  for (STATICENTRY& entry : m_Statics) {
    entry.control.Attach(this, entry.nId);
    AddControl(&entry.control);
  }
  LoadControls();
  if (g_SystemIni.English) {
    SetDlgItemString(Box(), 1006, "Drawing mode");
    SetDlgItemString(Box(), 1000, "Start");
    SetDlgItemString(Box(), 1001, "Cancel");
    cStaticControl* lpHint = nullptr;
    for (STATICENTRY& entry : m_Statics)
      if (entry.nId == 1005) lpHint = &entry.control;
    if (lpHint != nullptr)
      lpHint->SetText("Configure the detail settings at \"System.ini\".");
    else {
      DebugBoxf("コントロールID 【%u】 が見つかりません！", 1005u);
      RequestClose();
    }
    if (cCheckControl* lpCheck = FindControl(m_Checks, 1004))
      lpCheck->SetText("Do not ask this dialog again");
  }
  m_bInitialized = 1;
}

void cBootDialog::OnCommand(intptr_t wParam, intptr_t lParam) {
  switch (wParam & 0xFFFF) {
    case 1000:
      SaveControls();
      // A choice that cannot be stored still applies to this run.
      g_BootRecord.SaveToFile(g_DataPath[DATAPATH_BOOT]);
      Close(1);
      break;
    case 1001:
      Close(0);
      break;
    default:
      cDialog::OnCommand(wParam, lParam);
      break;
  }
}

bool RunStartupChoice() {
  if (g_SystemIni.Direct3D < 2) return true;
  // A missing or damaged file leaves the defaults: the textured back end,
  // and ask.
  cBootRecord loaded;
  if (loaded.LoadFromFile(g_DataPath[DATAPATH_BOOT])) g_BootRecord.CopyFrom(loaded);
  if (g_BootRecord.m_bNoAsk == 0) {
    cBootDialog dialog(kBootResource, g_lpDialogParent, 1, &g_WindowList);
    // Only "ゲーム開始" starts: a dialog that could not be shown (no template,
    // -1, reported by DoModal) is no choice.
    if (dialog.DoModal(0) != 1) return false;
  }
  g_SystemIni.Direct3D = g_BootRecord.m_nDrawMode == 1 ? 1 : 0;
  return true;
}

// ---- the main window's requests -----------------------------------------------------------

namespace {

std::string FilterList(const FILEDIALOGPARAMS& params) {
  std::string strFilter = params.strFilterName;
  strFilter.push_back('\0');
  strFilter += params.strFilterPattern;
  strFilter.push_back('\0');
  strFilter.push_back('\0');
  return strFilter;
}

bool OpenDialog(FILEDIALOGPARAMS& params) {
  DDSetDialogBoxMode(1);
  std::string strPath;
  const int bChosen = OpenFileDialog(g_lpDialogParent, strPath, params.strFolder, params.strTitle,
                                     FilterList(params), params.strDefaultExt, 0, nullptr);
  DDSetDialogBoxMode(0);
  if (bChosen) params.strPath = strPath;
  return bChosen != 0;
}

bool SaveDialog(FILEDIALOGPARAMS& params) {
  DDSetDialogBoxMode(1);
  std::string strPath = params.strPath;
  const int bChosen = SaveFileDialog(g_lpDialogParent, strPath, params.strFolder, params.strTitle,
                                     FilterList(params), params.strDefaultExt, 1);
  DDSetDialogBoxMode(0);
  if (bChosen) params.strPath = strPath;
  return bChosen != 0;
}

}  // namespace

void InstallGameDialogs() {
  RegisterGameDialogTemplates();
  SetNameEntryDialog(RunNameEntryDialog);
  SetFileDialogs(OpenDialog, SaveDialog);
}

void InstallShellDialogs() {
  SetDialogParentWindow(&g_MainWindow);
  InstallGameDialogs();
  // Without a real display (SDL's dummy and off-screen drivers) the dialogs
  // answer as closed and the file dialogs as cancelled.
  const char* pszDriver = SDL_GetCurrentVideoDriver();
  if (g_MainWindow.m_hWnd == nullptr || pszDriver == nullptr ||
      std::strcmp(pszDriver, "dummy") == 0 || std::strcmp(pszDriver, "offscreen") == 0)
    return;
  DIALOGHOSTSETUP setup;
  setup.pWindow = g_MainWindow.m_hWnd;
  setup.renderer = []() -> SDL_Renderer* {
    cSdlPresenter* lpPresenter = MainPresenter();
    return lpPresenter != nullptr ? lpPresenter->Renderer() : nullptr;
  };
  setup.drawBackdrop = [] {
    if (cSdlPresenter* lpPresenter = MainPresenter()) lpPresenter->DrawLastFrame();
  };
  setup.strFontFile = FindFontFile("ＭＳ Ｐゴシック");
  InstallDialogHost(setup);
}

void RemoveShellDialogs() {
  RemoveDialogHost();
  cHook::UnhookAll();
  SetFileDialogs(nullptr, nullptr);
  SetNameEntryDialog(nullptr);
  SetDialogParentWindow(nullptr);
}
