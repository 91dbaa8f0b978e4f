#pragma once
// The window framework: cWindow is the base of the program's windows (the
// main window, and the dialogs built on it). It keeps the native window, the
// creation parameters and the geometry (position, client size, frame sizes
// from the window style and the frame metrics), places, centres and resizes
// the window, tracks the mouse, and pre-handles the messages that the event
// pump turns native events into (HandleMessage), before the derived class's
// WindowProc.
//
// The native window is an SDL window. SDL places and sizes a window by its
// client area and the window manager draws the frame outside it, so the
// frame metrics are all 0 by default: the outer size is the client size and
// a position is the client area's top-left. Tests set other metrics to check
// the frame arithmetic.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/input/input_state.h"

struct SDL_Window;

// Messages of the framework (the pump makes them from native events).
enum : uint32_t {
  UIMSG_CREATE = 0x0001,
  UIMSG_DESTROY = 0x0002,
  UIMSG_MOVE = 0x0003,
  UIMSG_SIZE = 0x0005,
  UIMSG_PAINT = 0x000F,
  UIMSG_CLOSE = 0x0010,
  UIMSG_ACTIVATEAPP = 0x001C,
  UIMSG_GETMINMAXINFO = 0x0024,
  UIMSG_KEYDOWN = 0x0100,
  UIMSG_COMMAND = 0x0111,
  UIMSG_MOUSEMOVE = 0x0200,
  UIMSG_LBUTTONDOWN = 0x0201,
  UIMSG_LBUTTONUP = 0x0202,
  UIMSG_LBUTTONDBLCLK = 0x0203,
  UIMSG_RBUTTONDOWN = 0x0204,
  UIMSG_RBUTTONUP = 0x0205,
  UIMSG_RBUTTONDBLCLK = 0x0206,
};

// Window style bits.
enum : uint32_t {
  UISTYLE_BORDER = 0x00800000,
  UISTYLE_DLGFRAME = 0x00400000,
  UISTYLE_CAPTION = UISTYLE_BORDER | UISTYLE_DLGFRAME,
  UISTYLE_SYSMENU = 0x00080000,
  UISTYLE_THICKFRAME = 0x00040000,  // resizable
  UISTYLE_MINIMIZEBOX = 0x00020000,
  UISTYLE_MAXIMIZEBOX = 0x00010000,
  UISTYLE_HSCROLL = 0x00100000,
  UISTYLE_VSCROLL = 0x00200000,
  UISTYLE_POPUP = 0x80000000,
};

// Frame metrics in pixels.
struct UIMETRICS {
  int nCaption = 0;
  int nFrameX = 0, nFrameY = 0;        // sizing frame
  int nDlgFrameX = 0, nDlgFrameY = 0;  // fixed frame
  int nHScroll = 0, nVScroll = 0;      // scroll bar thickness
  int nMenu = 0;
};
UIMETRICS& UiMetrics();

struct UIRECT {
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct UIPOINT {
  int x = 0, y = 0;
};
// Minimum and maximum tracking sizes of a window.
struct UIMINMAX {
  UIPOINT ptMinTrackSize;
  UIPOINT ptMaxTrackSize;
};

// The desktop's size and its work area (without panels); the first display's,
// or 1024 x 768 when there is no display.
UIRECT GetDesktopRect();
UIRECT GetWorkArea();
// The bounds of every display (the desktop rectangle when none is known).
std::vector<UIRECT> GetDisplayRects();

class cWindow {
 public:
  cWindow() = default;
  virtual ~cWindow();
  cWindow(const cWindow&) = delete;
  cWindow& operator=(const cWindow&) = delete;

  // Stores the parameters and derives the sizes: the client size (plus the
  // scroll bars, the status bar and the toolbar rows that lie inside it) and
  // the minimum and maximum sizes.
  void SetCreateParams(int nWidth, int nHeight, int nMinWidth, int nMinHeight, int nMaxWidth,
                       int nMaxHeight, uint32_t dwStyle, int bMenu, int nToolbarRows,
                       int nStatusBar, int nExtra, uint32_t dwScrollFlags);
  void InitWindow(int nResource, cWindow* lpParent, void* lpUserData);
  // Makes the native window (hidden) at the stored position and client size.
  bool CreateNativeWindow(const std::string& strTitleUtf8);
  // Destroys the window as closing it does: WindowProc gets UIMSG_DESTROY
  // while the native window still exists, then the native window goes.
  void Destroy();
  // Only the native window goes (a start that failed, the destructor).
  void DestroyNativeWindow();

  void RecalcFrame();
  void UpdateStyle();
  void AddStyle(uint32_t dwBits);
  void RemoveStyle(uint32_t dwBits);
  void SetClientSize(int nWidth, int nHeight);
  void Move(int x, int y);
  void CenterOnDesktop();
  void PlaceWindow();
  UIPOINT GetPosition() const;
  void GetClientRect(UIRECT& rc) const;
  void GetFrameRect(UIMINMAX& info) const;
  int UpdateCursor(int bAnywhere, int nFlags);

  // Pre-handles a message: 1 when handled.
  int HandleMessage(uint32_t nMsg, intptr_t wParam, intptr_t lParam);
  // The derived window's procedure; 0 in the base.
  virtual intptr_t WindowProc(uint32_t nMsg, intptr_t wParam, intptr_t lParam);

  virtual void OnCommand(intptr_t, intptr_t) {}
  virtual void OnMouseMove(intptr_t, intptr_t) {}
  virtual void OnLButtonDown(intptr_t, intptr_t) {}
  virtual void OnRButtonDown(intptr_t, intptr_t) {}
  virtual void OnLButtonDblClk(intptr_t, intptr_t) {}
  virtual void OnRButtonDblClk(intptr_t, intptr_t) {}
  virtual void OnLButtonUp(intptr_t, intptr_t) {}
  virtual void OnRButtonUp(intptr_t, intptr_t) {}
  virtual void OnPaint() {}

  SDL_Window* m_hWnd = nullptr;
  int m_nResource = 0;
  cWindow* m_lpParentWindow = nullptr;
  void* m_lpUserData = nullptr;
  int m_nX = 0, m_nY = 0;
  int m_nOriginX = 0, m_nOriginY = 0;
  int m_nClientW = 0, m_nClientH = 0;
  MOUSESTATE m_Mouse = {};
  int m_nCursorX = 0, m_nCursorY = 0;
  UIRECT m_rcClient;
  UIPOINT m_ptMinSize, m_ptMaxSize;
  int m_nCreateW = 0, m_nCreateH = 0;
  int m_nMinW = 0, m_nMinH = 0, m_nMaxW = 0, m_nMaxH = 0;
  int m_nWindowX = 0, m_nWindowY = 0, m_nWindowW = 0, m_nWindowH = 0;
  uint32_t m_dwStyle = 0;
  int m_bMenu = 0;
  int m_nToolbarRows = 0;
  int m_nStatusBar = 0;
  int m_nExtra = 0;
  uint32_t m_dwScrollFlags = 0;
  int m_nFrameLeft = 0, m_nFrameRight = 0, m_nFrameTop = 0, m_nFrameBottom = 0;
  int m_bInitialized = 0;
  int m_bInCommand = 0;
  std::string m_strTraceName;
  int m_bTrace = 0;
  int m_nInitX = -1000, m_nInitY = -1000;
  cWindow* m_lpParent = nullptr;
  cWindow* m_lpOwner = nullptr;
  int m_bCenterOnOwner = 0;
};

// The name of a message, or its decimal number.
std::string GetMessageName(uint32_t nMsg);
