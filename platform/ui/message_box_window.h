#pragma once
// A message box in a window of its own, drawn with Dear ImGui: the caption
// as the window's title, the text, and the buttons of its type, over the
// parent window when one is given. Its event loop runs on the calling thread
// (the main thread) until a button is pressed or the box is closed. Return
// presses the first button; Escape and the close box answer as the box's
// cancelling button (MsgBoxCancelAnswer).
//
// The box lives in this process: nothing of it outlives the program. It ends
// at once, answering as its close box would, when the program is asked to
// close (IsCloseSignalled, or the main window's close), so no box holds up a
// close; asked to show while a close is pending, it shows nothing and
// answers so.
//
// Text and caption are CP932 and converted at this edge.

#include <string>

#include "app/base/message_box.h"

struct SDL_Window;

// The TrueType font of the boxes' text (a Japanese Gothic face). Without one
// the text shows in ImGui's own font, Japanese characters as question marks.
void SetMessageBoxFontFile(const std::string& strFontFile);

// The button pressed, or 0 when no box can be shown: no display (SDL's dummy
// and off-screen drivers count as none) or no window.
int ShowWindowMessageBox(const std::string& strText, const std::string& strCaption, MsgBoxType type,
                         SDL_Window* pParent);
