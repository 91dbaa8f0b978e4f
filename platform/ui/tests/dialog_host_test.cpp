// The real dialog host, drawing into a window of SDL's dummy driver.

#include "platform/ui/dialog_host.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "app/base/close_request.h"
#include "platform/ui/dialog.h"
#include "platform/ui/file_dialog.h"
#include "testing/game_folder.h"

namespace {

constexpr int kResource = 901;

class cCloseDialog : public cDialog {
 public:
  cCloseDialog() { Init(kResource, nullptr, 1, nullptr); }
  intptr_t WindowProc(uint32_t nMsg, intptr_t wParam, intptr_t lParam) override {
    const int r = HandleMessage(nMsg, wParam, lParam);
    if (nMsg == UIMSG_CLOSE) {
      ++m_nCloses;
      Close(0);
      return 1;
    }
    return r != 0 ? 1 : 0;
  }
  int m_nCloses = 0;
};

class RealDialogHost : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    m_pWindow = SDL_CreateWindow("", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
    ASSERT_NE(m_pWindow, nullptr);
    DIALOGHOSTSETUP setup;
    setup.pWindow = m_pWindow;
    InstallDialogHost(setup);
    DLGTEMPLATE tmpl;
    tmpl.nResource = kResource;
    tmpl.cx = 110;
    tmpl.cy = 65;
    tmpl.items = {{1000, DlgItemKind::DefButton, "OK", 30, 35, 50, 18}};
    RegisterDialogTemplate(tmpl);
  }
  void TearDown() override {
    ResetCloseSignal();
    RemoveDialogHost();
    if (m_pWindow != nullptr) SDL_DestroyWindow(m_pWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  cTestGameFolder m_folder;
  SDL_Window* m_pWindow = nullptr;
};

}  // namespace

// A close asked for from outside while a dialog or the file browser shows
// ends it as its close box would: the dialog closed, the file cancelled.
TEST_F(RealDialogHost, ACloseSignalEndsTheDialogAndTheFileBrowserAsCancelled) {
  NoteCloseSignal();
  cCloseDialog dialog;
  EXPECT_EQ(dialog.DoModal(0), 0);
  EXPECT_EQ(dialog.m_nCloses, 1);

  m_folder.WriteFile("data\\stg4\\a.stg4_695", "s");
  std::string strPath = "data\\stg4\\a.stg4_695";
  EXPECT_EQ(OpenFileDialog(nullptr, strPath, "data\\stg4", "", "", "", 0, nullptr), 0);
}
