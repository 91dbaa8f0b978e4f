#pragma once
// The dialog host of a real display: draws the running dialog, or the file
// browser, with Dear ImGui inside the main window over the last game frame,
// and runs it modally on the main thread until it closes. It is not a second
// window: in full screen a window of its own could stay hidden behind the
// game, which would look like a hang.
//
// The dialogs work in the main window's 640 x 480 client area, scaled as the
// game's frame is. Texts go to ImGui as UTF-8 and come back as CP932; a typed
// character that CP932 cannot hold is refused at the edit box. Typed text,
// input-method composition included, comes from SDL's text input; keys go
// through the dialog box (the keyboard hook, Enter, Tab). Closing the main
// window while a dialog runs, or a close asked for from outside
// (IsCloseSignalled), closes the dialog as its close box would (the file
// browser as cancelled) and leaves the close to the main window.
//
// The game's palette is untouched while a dialog shows: the dialog is drawn
// in true colour over the frame, so the colour the game gives palette entry 0
// never reaches the dialog.

#include <functional>
#include <string>

struct SDL_Window;
struct SDL_Renderer;

struct DIALOGHOSTSETUP {
  SDL_Window* pWindow = nullptr;
  // The main window's renderer, or null when the window has none yet (the
  // start-up choice, before the display starts): the host then makes one for
  // the time of the dialog and draws on black.
  std::function<SDL_Renderer*()> renderer;
  // Draws the last game frame over the renderer's 640 x 480 logical area.
  std::function<void()> drawBackdrop;
  // The TrueType font file of the dialogs' text (a Japanese Gothic face).
  std::string strFontFile;
};

// Installs the host for cDialog::DoModal and the file dialogs.
void InstallDialogHost(const DIALOGHOSTSETUP& setup);
// Puts back the hosts that answer without a display, and frees ImGui.
void RemoveDialogHost();
