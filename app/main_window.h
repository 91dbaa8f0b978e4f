#pragma once
// The main window: the program's only top-level window, its window
// procedure and the main thread's event pump.
//
// The pump turns SDL events into the window's messages (close, move, size,
// activation, keys) and hands every input event to the input layer. The
// window procedure runs the close sequence (close_sequence.h), which stops
// every thread, saves the window placement to "user_data\Window.dat" and
// destroys the window.

#include <cstdint>

#include "app/base/message_box.h"
#include "platform/ui/window.h"
#include "records/record.h"

class cSdlPresenter;

class cMainWindow : public cWindow {
 public:
  intptr_t WindowProc(uint32_t nMsg, intptr_t wParam, intptr_t lParam) override;
  void OnCreate() { m_bInitialized = 1; }
};

extern cMainWindow g_MainWindow;
// The client area in screen coordinates, kept up to date on moves.
extern UIRECT g_rcClientScreen;

// "user_data\Window.dat": where the window was and how large its client area.
class cWindowRecord : public cRecord {
 public:
  cWindowRecord() { RegisterFields(DATA_VERSION); }
  void RegisterFields(int nVersion) override;
  // The base load, then a placement that lies off every display is brought
  // back onto the nearest one and sizes are kept within what a display holds.
  void Load(cRecordReader& file) override;
  void Set(int x, int y, int nWidth, int nHeight, int bMaximized);

  int32_t m_nX = 0, m_nY = 0;
  int32_t m_nWidth = 0, m_nHeight = 0;
  int32_t m_bMaximized = 0;
};
extern cWindowRecord g_WindowRecord;

// The presenter that shows the game's frames in the main window (null
// before start-up made it).
cSdlPresenter* MainPresenter();
void SetMainPresenter(cSdlPresenter* pPresenter);

// The main thread's pump: SDL events, then the requests of the other
// threads, then the newest finished frame. False once the window is gone
// (the message loop ends). It is the main thread's boundary: an exception
// in a pass is reported (RunAtThreadBoundary) and the next pass closes.
bool PumpMainThread();
// True once the window was destroyed (the quit of the message loop).
bool IsMainLoopOver();
// The serving of requests: the close and message-box requests of the shell
// and the game's requests.
intptr_t HandleShellRequest(uint32_t nMsg, intptr_t wParam, intptr_t lParam);
// Shows a message box for any thread: on the main thread in a window of its
// own (the text on stderr when there is no display), from another thread
// through a request to the main thread.
int ShowShellMessageBox(const std::string& strText, const std::string& strCaption, MsgBoxType type);

// Puts the window's globals back (tests).
void ResetMainWindow();
