#include "platform/ui/window.h"

#include <SDL.h>

#include <algorithm>

#include "app/base/report_log.h"
#include "platform/input/input_devices.h"

namespace {

UIMETRICS g_metrics;

}  // namespace

UIMETRICS& UiMetrics() { return g_metrics; }

UIRECT GetDesktopRect() {
  SDL_DisplayMode mode;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDesktopDisplayMode(0, &mode) != 0)
    return UIRECT{0, 0, 1024, 768};
  return UIRECT{0, 0, mode.w, mode.h};
}

UIRECT GetWorkArea() {
  SDL_Rect rc;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDisplayUsableBounds(0, &rc) != 0)
    return GetDesktopRect();
  return UIRECT{rc.x, rc.y, rc.x + rc.w, rc.y + rc.h};
}

std::vector<UIRECT> GetDisplayRects() {
  std::vector<UIRECT> rects;
  const int nDisplays = SDL_WasInit(SDL_INIT_VIDEO) != 0 ? SDL_GetNumVideoDisplays() : 0;
  for (int i = 0; i < nDisplays; ++i) {
    SDL_Rect rc;
    if (SDL_GetDisplayBounds(i, &rc) == 0)
      rects.push_back(UIRECT{rc.x, rc.y, rc.x + rc.w, rc.y + rc.h});
  }
  if (rects.empty()) rects.push_back(GetDesktopRect());
  return rects;
}

cWindow::~cWindow() { DestroyNativeWindow(); }

void cWindow::SetCreateParams(int nWidth, int nHeight, int nMinWidth, int nMinHeight, int nMaxWidth,
                              int nMaxHeight, uint32_t dwStyle, int bMenu, int nToolbarRows,
                              int nStatusBar, int nExtra, uint32_t dwScrollFlags) {
  m_nCreateW = nWidth;
  m_nCreateH = nHeight;
  m_nMinW = nMinWidth;
  m_nMinH = nMinHeight;
  m_nMaxW = nMaxWidth;
  m_nMaxH = nMaxHeight;
  m_dwStyle = dwStyle;
  m_bMenu = bMenu;
  m_nToolbarRows = nToolbarRows;
  m_nStatusBar = nStatusBar;
  m_nExtra = nExtra;
  m_dwScrollFlags = dwScrollFlags;
  // Scroll bars, the status bar and the toolbar rows lie inside the client
  // area, which grows by them.
  const int nExtraW = (dwScrollFlags & 2) ? g_metrics.nVScroll : 0;
  const int nExtraH = ((dwScrollFlags & 1) ? g_metrics.nHScroll : 0) +
                      (nStatusBar == 1 || nStatusBar == 2 ? 20 : 0) + nToolbarRows * 28;
  m_ptMinSize = UIPOINT{nMinWidth + nExtraW, nMinHeight + nExtraH};
  m_ptMaxSize = UIPOINT{nMaxWidth + nExtraW, nMaxHeight + nExtraH};
  m_rcClient = UIRECT{0, 0, nWidth + nExtraW, nHeight + nExtraH};
  RecalcFrame();
}

void cWindow::InitWindow(int nResource, cWindow* lpParent, void* lpUserData) {
  m_nResource = nResource;
  m_lpParentWindow = lpParent;
  m_lpUserData = lpUserData;
}

bool cWindow::CreateNativeWindow(const std::string& strTitleUtf8) {
  if (m_hWnd != nullptr) return true;
  Uint32 dwFlags = SDL_WINDOW_HIDDEN;
  if (m_dwStyle & UISTYLE_THICKFRAME) dwFlags |= SDL_WINDOW_RESIZABLE;
  m_hWnd = SDL_CreateWindow(strTitleUtf8.c_str(), m_nWindowX, m_nWindowY,
                            std::max(m_rcClient.right - m_rcClient.left, 1),
                            std::max(m_rcClient.bottom - m_rcClient.top, 1), dwFlags);
  if (m_hWnd == nullptr) {
    ReportLog("SDL_CreateWindow: %s", SDL_GetError());
    return false;
  }
  SDL_SetWindowMinimumSize(m_hWnd, std::max(m_ptMinSize.x, 1), std::max(m_ptMinSize.y, 1));
  return true;
}

void cWindow::Destroy() {
  SDL_Window* pWindow = m_hWnd;
  WindowProc(UIMSG_DESTROY, 0, 0);
  // The destroy message made the object forget its window.
  m_hWnd = pWindow;
  DestroyNativeWindow();
}

void cWindow::DestroyNativeWindow() {
  if (m_hWnd == nullptr) return;
  SDL_DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
}

void cWindow::RecalcFrame() {
  m_nFrameLeft = m_nFrameRight = m_nFrameTop = m_nFrameBottom = 0;
  if (m_dwStyle & UISTYLE_CAPTION) m_nFrameTop += g_metrics.nCaption;
  if (m_dwStyle & UISTYLE_THICKFRAME) {
    m_nFrameLeft += g_metrics.nFrameX;
    m_nFrameRight += g_metrics.nFrameX;
    m_nFrameTop += g_metrics.nFrameY;
    m_nFrameBottom += g_metrics.nFrameY;
  } else if (m_dwStyle & UISTYLE_DLGFRAME) {
    m_nFrameLeft += g_metrics.nDlgFrameX;
    m_nFrameRight += g_metrics.nDlgFrameX;
    m_nFrameTop += g_metrics.nDlgFrameY;
    m_nFrameBottom += g_metrics.nDlgFrameY;
  }
  if (m_dwStyle & UISTYLE_HSCROLL) m_nFrameBottom += g_metrics.nHScroll;
  if (m_dwStyle & UISTYLE_VSCROLL) m_nFrameRight += g_metrics.nVScroll;
  if (m_bMenu) m_nFrameTop += g_metrics.nMenu;
  const int nClientW = m_rcClient.right - m_rcClient.left;
  const int nClientH = m_rcClient.bottom - m_rcClient.top;
  m_nWindowW = nClientW + m_nFrameLeft + m_nFrameRight;
  m_nWindowH = nClientH + m_nFrameTop + m_nFrameBottom;
  m_nOriginX = 0;
  m_nOriginY = m_nToolbarRows * 28;
  m_nClientW = nClientW;
  m_nClientH = nClientH - m_nOriginY;
  if (m_dwScrollFlags & 1) m_nClientH -= g_metrics.nHScroll;
  if (m_dwScrollFlags & 2) m_nClientW -= g_metrics.nVScroll;
  if (m_nStatusBar == 1) m_nClientH -= 20;
}

void cWindow::UpdateStyle() {
  if (m_hWnd != nullptr) {
    int w = 0, h = 0;
    SDL_GetWindowSize(m_hWnd, &w, &h);
    m_rcClient = UIRECT{0, 0, w, h};
  }
  RecalcFrame();
}

void cWindow::AddStyle(uint32_t dwBits) {
  m_dwStyle |= dwBits;
  if (m_hWnd != nullptr && (dwBits & UISTYLE_THICKFRAME)) SDL_SetWindowResizable(m_hWnd, SDL_TRUE);
  UpdateStyle();
}

void cWindow::RemoveStyle(uint32_t dwBits) {
  m_dwStyle &= ~dwBits;
  if (m_hWnd != nullptr && (dwBits & UISTYLE_THICKFRAME)) SDL_SetWindowResizable(m_hWnd, SDL_FALSE);
  UpdateStyle();
}

void cWindow::SetClientSize(int nWidth, int nHeight) {
  m_rcClient = UIRECT{0, 0, nWidth, nHeight};
  if (m_hWnd != nullptr) SDL_SetWindowSize(m_hWnd, nWidth, nHeight);
  RecalcFrame();
}

void cWindow::Move(int x, int y) {
  m_nX = m_nWindowX = x;
  m_nY = m_nWindowY = y;
  if (m_hWnd != nullptr) SDL_SetWindowPosition(m_hWnd, x, y);
  RecalcFrame();
}

void cWindow::CenterOnDesktop() {
  const UIRECT rc = GetDesktopRect();
  Move((rc.right - rc.left - m_nWindowW) / 2, (rc.bottom - rc.top - m_nWindowH) / 2);
}

void cWindow::PlaceWindow() {
  int x, y;
  if (const cWindow* pBase = m_lpOwner != nullptr ? m_lpOwner : m_lpParent) {
    x = pBase->m_nX;
    y = pBase->m_nY;
    if (m_bCenterOnOwner) {
      x += pBase->m_nClientW / 2 - m_nClientW / 2;
      y += pBase->m_nClientH / 2 - m_nClientH / 2;
    }
  } else {
    if (m_nInitX == -1000 || m_nInitY == -1000) return;
    x = m_nInitX;
    y = m_nInitY;
  }
  const UIRECT rcWork = GetWorkArea();
  x = std::max(x, 0);
  y = std::max(y, 0);
  if (x + m_nWindowW >= rcWork.right) x = rcWork.right - m_nWindowW;
  if (y + m_nWindowH >= rcWork.bottom) y = rcWork.bottom - m_nWindowH;
  Move(x, y);
}

UIPOINT cWindow::GetPosition() const {
  UIPOINT pt{m_nX, m_nY};
  if (m_hWnd != nullptr) SDL_GetWindowPosition(m_hWnd, &pt.x, &pt.y);
  return pt;
}

void cWindow::GetClientRect(UIRECT& rc) const {
  if (m_hWnd == nullptr) return;
  int w = 0, h = 0;
  SDL_GetWindowSize(m_hWnd, &w, &h);
  rc = UIRECT{0, 0, w, h};
}

void cWindow::GetFrameRect(UIMINMAX& info) const {
  const int nFrameW = m_nFrameLeft + m_nFrameRight, nFrameH = m_nFrameTop + m_nFrameBottom;
  info.ptMinTrackSize = UIPOINT{m_ptMinSize.x + nFrameW, m_ptMinSize.y + nFrameH};
  info.ptMaxTrackSize = UIPOINT{m_ptMaxSize.x + nFrameW, m_ptMaxSize.y + nFrameH};
}

int cWindow::UpdateCursor(int bAnywhere, int nFlags) {
  int x = 0, y = 0;
  InputDevices().GetMousePosition(x, y);
  x -= m_nOriginX;
  y -= m_nOriginY;
  if (!bAnywhere && (x < 0 || y < 0 || x >= m_nClientW || y >= m_nClientH)) return 0;
  m_Mouse.x = x;
  m_Mouse.y = y;
  m_nCursorX = m_nX + x;
  m_nCursorY = m_nY + y + m_nFrameTop + m_nOriginY;
  UpdateMouseButtons(m_Mouse, nFlags);
  return 1;
}

intptr_t cWindow::WindowProc(uint32_t, intptr_t, intptr_t) { return 0; }

int cWindow::HandleMessage(uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  if (nMsg == UIMSG_COMMAND) {
    if (m_bInCommand) return 0;
    m_bInCommand = 1;
  }
  if (m_bTrace)
    TraceLogf("%s | msg:%s | wp:%lld | lp:%lld", m_strTraceName.c_str(),
              GetMessageName(nMsg).c_str(), static_cast<long long>(wParam),
              static_cast<long long>(lParam));
  UpdateCursor(0, 7);
  switch (nMsg) {
    case UIMSG_DESTROY:
      m_hWnd = nullptr;
      return 1;
    case UIMSG_MOVE:
      m_nX = static_cast<int>(wParam);
      m_nY = static_cast<int>(lParam);
      return 1;
    case UIMSG_SIZE:
      UpdateStyle();
      return 1;
    case UIMSG_ACTIVATEAPP:
      return 1;
    case UIMSG_PAINT:
      OnPaint();
      return 1;
    case UIMSG_GETMINMAXINFO:
      GetFrameRect(*reinterpret_cast<UIMINMAX*>(lParam));
      return 1;
    case UIMSG_COMMAND:
      OnCommand(wParam, lParam);
      m_bInCommand = 0;
      return 1;
    case UIMSG_MOUSEMOVE:
      OnMouseMove(wParam, lParam);
      return 1;
    case UIMSG_LBUTTONDOWN:
      OnLButtonDown(wParam, lParam);
      return 1;
    case UIMSG_RBUTTONDOWN:
      OnRButtonDown(wParam, lParam);
      return 1;
    case UIMSG_LBUTTONDBLCLK:
      OnLButtonDblClk(wParam, lParam);
      return 1;
    case UIMSG_RBUTTONDBLCLK:
      OnRButtonDblClk(wParam, lParam);
      return 1;
    case UIMSG_LBUTTONUP:
      OnLButtonUp(wParam, lParam);
      return 1;
    case UIMSG_RBUTTONUP:
      OnRButtonUp(wParam, lParam);
      return 1;
  }
  return 0;
}

std::string GetMessageName(uint32_t nMsg) {
  struct NAME {
    uint32_t n;
    const char* psz;
  };
  static constexpr NAME kNames[] = {{UIMSG_CREATE, "UIMSG_CREATE"},
                                    {UIMSG_DESTROY, "UIMSG_DESTROY"},
                                    {UIMSG_MOVE, "UIMSG_MOVE"},
                                    {UIMSG_SIZE, "UIMSG_SIZE"},
                                    {UIMSG_PAINT, "UIMSG_PAINT"},
                                    {UIMSG_CLOSE, "UIMSG_CLOSE"},
                                    {UIMSG_ACTIVATEAPP, "UIMSG_ACTIVATEAPP"},
                                    {UIMSG_GETMINMAXINFO, "UIMSG_GETMINMAXINFO"},
                                    {UIMSG_KEYDOWN, "UIMSG_KEYDOWN"},
                                    {UIMSG_COMMAND, "UIMSG_COMMAND"},
                                    {UIMSG_MOUSEMOVE, "UIMSG_MOUSEMOVE"},
                                    {UIMSG_LBUTTONDOWN, "UIMSG_LBUTTONDOWN"},
                                    {UIMSG_LBUTTONUP, "UIMSG_LBUTTONUP"},
                                    {UIMSG_LBUTTONDBLCLK, "UIMSG_LBUTTONDBLCLK"},
                                    {UIMSG_RBUTTONDOWN, "UIMSG_RBUTTONDOWN"},
                                    {UIMSG_RBUTTONUP, "UIMSG_RBUTTONUP"},
                                    {UIMSG_RBUTTONDBLCLK, "UIMSG_RBUTTONDBLCLK"}};
  for (const NAME& name : kNames)
    if (name.n == nMsg) return name.psz;
  return std::to_string(nMsg);
}
