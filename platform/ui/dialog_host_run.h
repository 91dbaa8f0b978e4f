#pragma once
// The parts of the dialog host (dialog_host.h), one job a file:
// - dialog_host.cpp: the Dear ImGui lifetime: the context and its font, and
//   one run of the back ends over the main window (cHostRun) with its event
//   pump;
// - dialog_edit_bridge.cpp: the edit boxes, between ImGui's UTF-8 text and
//   the dialog box's CP932 items;
// - dialog_view.cpp: a dialog drawn from its template and run until it ends;
// - file_browser_view.cpp: the file browser drawn and run.

#include <SDL.h>
#include <imgui.h>

#include <map>
#include <string>
#include <vector>

#include "platform/ui/dialog_box.h"

class cFileBrowser;

inline constexpr float kDialogClientWidth = 640.0f;
inline constexpr float kDialogClientHeight = 480.0f;
inline constexpr float kDialogFontSize = 12.0f;

// One run of the host: ImGui's back ends bound to the window's renderer (a
// temporary one before the display starts) for the time of one dialog.
class cHostRun {
 public:
  cHostRun();
  ~cHostRun();
  cHostRun(const cHostRun&) = delete;
  cHostRun& operator=(const cHostRun&) = delete;
  bool Ready() const { return m_bReady; }

  // Pumps the events: ImGui's, the keys of the dialog box, the close.
  // Returns false when the main window is being closed.
  bool Pump(cDialogBox* lpBox);
  void BeginFrame();
  void EndFrame();

  struct KEY {
    int nKey;
    bool bDown, bComposing;
  };
  std::vector<KEY> m_keys;
  bool m_bEscape = false;
  bool m_bEnter = false;
  bool m_bComposing = false;

 private:
  SDL_Renderer* m_pRenderer = nullptr;
  bool m_bOwnRenderer = false;
  bool m_bReady = false;
  std::vector<SDL_Event> m_deferred;
};

// The state of one edit box while its dialog runs.
struct EDITSTATE {
  cDialogBox* lpBox = nullptr;
  int nId = 0;
  std::string strUtf8;  // the text as the box last showed it
};

// Draws the edit item at the cursor, size.x wide; typing goes through the
// dialog box's limits. bFocus puts the keyboard focus in it.
void DrawEditItem(cDialogBox& box, const DLGITEMSTATE& item, float fWidth, bool bFocus,
                  std::map<int, EDITSTATE>& edits);

void RunDialogBox(cDialogBox& box);
bool RunFileBrowser(cFileBrowser& browser);
