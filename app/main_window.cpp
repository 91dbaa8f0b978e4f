#include "app/main_window.h"

#include <SDL.h>

#include <algorithm>

#include "app/base/close_request.h"
#include "app/base/report_log.h"
#include "app/close_sequence.h"
#include "app/core/game_requests.h"
#include "app/core/main_thread.h"
#include "app/core/shell_state.h"
#include "app/core/thread.h"
#include "app/editor_notify.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_message.h"
#include "platform/draw/present/sdl_presenter.h"
#include "platform/input/input_sdl.h"
#include "platform/input/virtual_keys.h"
#include "platform/sound/audio_output.h"
#include "platform/ui/message_box_window.h"

cMainWindow g_MainWindow;
UIRECT g_rcClientScreen;
cWindowRecord g_WindowRecord;

namespace {

cSdlPresenter* g_pPresenter = nullptr;
bool g_bLoopOver = false;

// A message box asked for by a worker thread, shown by the main thread.
struct MSGBOXREQUEST {
  const std::string* pText;
  const std::string* pCaption;
  MsgBoxType type;
};

int ShowBoxHere(const std::string& strText, const std::string& strCaption, MsgBoxType type) {
  // While the program closes at a signal no box waits for an answer: its
  // text goes to stderr and it answers as its close box would.
  if (IsCloseSignalled()) {
    ShowHeadlessMessageBox(strText, strCaption, type);
    return MsgBoxCancelAnswer(type.buttons);
  }
  // In full screen the box shows over the game in dialog-box mode.
  DDSetDialogBoxMode(1);
  const int nAnswer = ShowWindowMessageBox(strText, strCaption, type, g_MainWindow.m_hWnd);
  DDSetDialogBoxMode(0);
  return nAnswer != 0 ? nAnswer : ShowHeadlessMessageBox(strText, strCaption, type);
}

void UpdateClientScreenRect() {
  if (g_MainWindow.m_hWnd == nullptr) return;
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(g_MainWindow.m_hWnd, &x, &y);
  SDL_GetWindowSize(g_MainWindow.m_hWnd, &w, &h);
  g_rcClientScreen = UIRECT{x, y, x + w, y + h};
}

void HandleWindowEvent(const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
      g_MainWindow.WindowProc(UIMSG_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_MOVED:
      g_MainWindow.WindowProc(UIMSG_MOVE, e.data1, e.data2);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      g_MainWindow.WindowProc(UIMSG_SIZE, 0, static_cast<intptr_t>(e.data1) | e.data2 << 16);
      break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_RESTORED:
      g_MainWindow.WindowProc(UIMSG_ACTIVATEAPP, 1, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
      g_MainWindow.WindowProc(UIMSG_ACTIVATEAPP, 0, 0);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      g_MainWindow.WindowProc(UIMSG_PAINT, 0, 0);
      break;
  }
}

void PumpEvents() {
  SDL_Event event;
  while (!g_bLoopOver && SDL_PollEvent(&event)) {
    HandleInputEvent(event);
    HandleAudioEvent(event);
    switch (event.type) {
      case SDL_QUIT:
        g_MainWindow.WindowProc(UIMSG_CLOSE, 0, 0);
        break;
      case SDL_WINDOWEVENT:
        HandleWindowEvent(event.window);
        break;
      case SDL_KEYDOWN:
        g_MainWindow.WindowProc(UIMSG_KEYDOWN, ScancodeToVirtualKey(event.key.keysym.scancode), 0);
        break;
    }
  }
}

}  // namespace

void cWindowRecord::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_nX);
  AddField(&m_nY);
  AddField(&m_nWidth);
  AddField(&m_nHeight);
  AddField(&m_bMaximized);
}

void cWindowRecord::Load(cRecordReader& file) {
  cRecord::Load(file);
  const std::vector<UIRECT> displays = GetDisplayRects();
  // Kept where a display shows the top-left part of the window (where its
  // caption is grabbed); otherwise put on the nearest edge of the first.
  const int nGrabX = m_nX + 32, nGrabY = m_nY + 8;
  const bool bShown = std::any_of(displays.begin(), displays.end(), [&](const UIRECT& rc) {
    return nGrabX >= rc.left && nGrabX < rc.right && nGrabY >= rc.top && nGrabY < rc.bottom;
  });
  int nMaxW = 0, nMaxH = 0;
  for (const UIRECT& rc : displays) {
    nMaxW = std::max(nMaxW, rc.right - rc.left);
    nMaxH = std::max(nMaxH, rc.bottom - rc.top);
  }
  m_nWidth = std::clamp(m_nWidth, 0, nMaxW);
  m_nHeight = std::clamp(m_nHeight, 0, nMaxH);
  if (!bShown) {
    const UIRECT& rc = displays.front();
    m_nX = std::clamp(m_nX, rc.left, std::max(rc.left, rc.right - 64));
    m_nY = std::clamp(m_nY, rc.top, std::max(rc.top, rc.bottom - 64));
  }
  m_bMaximized = m_bMaximized != 0 ? 1 : 0;
}

void cWindowRecord::Set(int x, int y, int nWidth, int nHeight, int bMaximized) {
  m_nX = x;
  m_nY = y;
  m_nWidth = nWidth;
  m_nHeight = nHeight;
  m_bMaximized = bMaximized;
}

intptr_t cMainWindow::WindowProc(uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  if (nMsg == UIMSG_CREATE) {
    OnCreate();
    return 0;
  }
  HandleMessage(nMsg, wParam, lParam);
  switch (nMsg) {
    case UIMSG_DESTROY:
      TraceLogText("WM_DESTROY");
      if (g_bEditorLaunch) NotifyEditorEnd(1);
      g_bLoopOver = true;
      return 0;
    case UIMSG_MOVE:
      UpdateClientScreenRect();
      return 0;
    case UIMSG_CLOSE:
      CloseSequence();
      return 0;
    case UIMSG_ACTIVATEAPP:
      g_bActive.store(wParam != 0 ? 1 : 0);
      return 0;
    case UIMSG_KEYDOWN:
      if (wParam == vkey::kEscape) PostRequest(SHELLREQ_CLOSE);
      return 0;
  }
  return 0;
}

cSdlPresenter* MainPresenter() { return g_pPresenter; }
void SetMainPresenter(cSdlPresenter* pPresenter) { g_pPresenter = pPresenter; }

bool PumpMainThread() {
  const bool bPassed = RunAtThreadBoundary("main thread", [] {
    if (TakeCloseSignal() && !g_bLoopOver) g_MainWindow.WindowProc(UIMSG_CLOSE, 0, 0);
    PumpEvents();
    if (!g_bLoopOver) ServeRequests();
    if (!g_bLoopOver && g_pPresenter != nullptr) g_pPresenter->ShowPendingFrame();
  });
  // The close the boundary asked for runs in the next pass; once the close
  // itself has failed, no orderly way is left.
  if (!bPassed && IsShuttingDown() && !g_bLoopOver) EndProcessNow(1, "the close failed");
  return !g_bLoopOver;
}

bool IsMainLoopOver() { return g_bLoopOver; }

intptr_t HandleShellRequest(uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  switch (nMsg) {
    case SHELLREQ_CLOSE:
      if (!g_bLoopOver) g_MainWindow.WindowProc(UIMSG_CLOSE, 0, 0);
      return 0;
    case SHELLREQ_MESSAGEBOX: {
      const auto* pBox = reinterpret_cast<const MSGBOXREQUEST*>(lParam);
      return ShowBoxHere(*pBox->pText, *pBox->pCaption, pBox->type);
    }
  }
  return HandleGameRequest(nMsg, wParam, lParam);
}

int ShowShellMessageBox(const std::string& strText, const std::string& strCaption,
                        MsgBoxType type) {
  if (IsMainThread()) return ShowBoxHere(strText, strCaption, type);
  const MSGBOXREQUEST box{&strText, &strCaption, type};
  const intptr_t nAnswer = SendRequest(SHELLREQ_MESSAGEBOX, 0, reinterpret_cast<intptr_t>(&box));
  // Shutdown released the request: the box goes to stderr instead.
  return nAnswer != 0 ? static_cast<int>(nAnswer)
                      : ShowHeadlessMessageBox(strText, strCaption, type);
}

void ResetMainWindow() {
  g_bLoopOver = false;
  ResetCloseSignals();
  g_rcClientScreen = UIRECT{};
  g_WindowRecord = cWindowRecord();
}
