#include "platform/ui/dialog_host.h"

#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "app/base/encoding.h"
#include "app/base/report_log.h"
#include "imgui_impl_sdl.h"
#include "imgui_impl_sdlrenderer.h"
#include "platform/input/input_sdl.h"
#include "platform/ui/dialog.h"
#include "platform/ui/file_dialog.h"

namespace {

constexpr float kClientWidth = 640.0f;
constexpr float kClientHeight = 480.0f;
constexpr float kFontSize = 12.0f;
constexpr float kCaptionHeight = 20.0f;

DIALOGHOSTSETUP g_setup;
bool g_bFontBuilt = false;

// One run of the host: ImGui's back ends bound to the window's renderer (a
// temporary one before the display starts) for the time of one dialog.
class cHostRun {
 public:
  cHostRun() {
    if (ImGui::GetCurrentContext() == nullptr) {
      ImGui::CreateContext();
      ImGuiIO& io = ImGui::GetIO();
      io.IniFilename = nullptr;
      io.LogFilename = nullptr;
      ImGui::StyleColorsLight();
      ImGuiStyle& style = ImGui::GetStyle();
      style.WindowRounding = 0.0f;
      style.FrameBorderSize = 1.0f;
      style.WindowPadding = ImVec2(0.0f, 0.0f);
    }
    if (!g_bFontBuilt) {
      ImGuiIO& io = ImGui::GetIO();
      ImFont* pFont = nullptr;
      if (!g_setup.strFontFile.empty())
        pFont = io.Fonts->AddFontFromFileTTF(g_setup.strFontFile.c_str(), kFontSize, nullptr,
                                             io.Fonts->GetGlyphRangesJapanese());
      if (pFont == nullptr) {
        ReportLog("dialogs: font %s not usable; Japanese text shows as boxes",
                  g_setup.strFontFile.c_str());
        io.Fonts->AddFontDefault();
      }
      g_bFontBuilt = true;
    }
    m_pRenderer = g_setup.renderer ? g_setup.renderer() : nullptr;
    if (m_pRenderer == nullptr) {
      m_pRenderer = SDL_CreateRenderer(g_setup.pWindow, -1, 0);
      m_bOwnRenderer = m_pRenderer != nullptr;
      if (m_pRenderer != nullptr) SDL_RenderSetLogicalSize(m_pRenderer, 640, 480);
    }
    m_bReady = m_pRenderer != nullptr && ImGui_ImplSDL2_InitForSDLRenderer(g_setup.pWindow) &&
               ImGui_ImplSDLRenderer_Init(m_pRenderer);
    if (!m_bReady) ReportLog("dialogs: cannot draw in the main window: %s", SDL_GetError());
    SDL_StartTextInput();
  }
  ~cHostRun() {
    SDL_StopTextInput();
    if (m_bReady) {
      ImGui_ImplSDLRenderer_Shutdown();
      ImGui_ImplSDL2_Shutdown();
    }
    if (m_bOwnRenderer) SDL_DestroyRenderer(m_pRenderer);
    // A quit, and the window's moves, focus and activation that came during
    // the dialog, are the main window's to handle.
    for (SDL_Event& e : m_deferred) SDL_PushEvent(&e);
  }
  bool Ready() const { return m_bReady; }

  // Pumps the events: ImGui's, the keys of the dialog box, the close.
  // Returns false when the main window is being closed.
  bool Pump(cDialogBox* lpBox) {
    bool bOpen = true;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (e.type == SDL_QUIT ||
          (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)) {
        m_deferred.push_back(e);
        bOpen = false;
        continue;
      }
      if (e.type == SDL_WINDOWEVENT) m_deferred.push_back(e);
      // The game's input follows the mouse and every release, so that a key
      // held when the dialog opened is not held for ever after it.
      if (e.type == SDL_MOUSEMOTION || e.type == SDL_MOUSEBUTTONDOWN ||
          e.type == SDL_MOUSEBUTTONUP || e.type == SDL_KEYUP || e.type == SDL_JOYBUTTONUP)
        HandleInputEvent(e);
      if (e.type == SDL_TEXTEDITING) m_bComposing = e.edit.text[0] != '\0';
      if (e.type == SDL_TEXTINPUT) m_bComposing = false;
      ImGui_ImplSDL2_ProcessEvent(&e);
      if (lpBox != nullptr && (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP)) {
        const int nKey = ScancodeToVirtualKey(e.key.keysym.scancode);
        if (nKey != 0) m_keys.push_back({nKey, e.type == SDL_KEYDOWN, m_bComposing});
      }
      // A press and its release may come within one frame: the keys the
      // browser acts on are taken from the events.
      if (e.type == SDL_KEYDOWN && e.key.keysym.scancode == SDL_SCANCODE_ESCAPE) m_bEscape = true;
      if (e.type == SDL_KEYDOWN && !m_bComposing &&
          (e.key.keysym.scancode == SDL_SCANCODE_RETURN ||
           e.key.keysym.scancode == SDL_SCANCODE_KP_ENTER))
        m_bEnter = true;
    }
    return bOpen;
  }

  void BeginFrame() {
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    // The dialogs live in the 640 x 480 logical area the game's frame is
    // scaled to; the mouse comes in window pixels.
    ImGuiIO& io = ImGui::GetIO();
    int w = 0, h = 0, mx = 0, my = 0;
    SDL_GetWindowSize(g_setup.pWindow, &w, &h);
    const Uint32 buttons = SDL_GetMouseState(&mx, &my);
    io.DisplaySize = ImVec2(kClientWidth, kClientHeight);
    io.DisplayFramebufferScale = ImVec2(1.0f, 1.0f);
    float fx = static_cast<float>(mx), fy = static_cast<float>(my);
    if (w > 0 && h > 0) {
      // The same letterboxing as the renderer's logical size.
      const float fScale = std::min(w / kClientWidth, h / kClientHeight);
      fx = (mx - (w - kClientWidth * fScale) / 2) / fScale;
      fy = (my - (h - kClientHeight * fScale) / 2) / fScale;
    }
    io.MousePos = ImVec2(fx, fy);
    io.MouseDown[0] = io.MouseDown[0] || (buttons & SDL_BUTTON_LMASK) != 0;
    ImGui::NewFrame();
  }

  void EndFrame() {
    ImGui::Render();
    SDL_SetRenderDrawColor(m_pRenderer, 0, 0, 0, 255);
    SDL_RenderClear(m_pRenderer);
    if (!m_bOwnRenderer && g_setup.drawBackdrop) g_setup.drawBackdrop();
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    SDL_RenderPresent(m_pRenderer);
    SDL_Delay(10);
  }

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

// ---- edit boxes -------------------------------------------------------------------------

struct EDITSTATE {
  cDialogBox* lpBox;
  int nId;
  std::string strUtf8;  // the text as the box last showed it
};

// The UTF-8 byte offset of a CP932 offset into text, and back.
int Utf8Offset(const std::string& strCp932, int nCp932) {
  nCp932 = std::clamp(nCp932, 0, static_cast<int>(strCp932.size()));
  return static_cast<int>(Cp932ToUtf8(strCp932.substr(0, static_cast<size_t>(nCp932))).size());
}

int EditCallback(ImGuiInputTextCallbackData* data) {
  auto* state = static_cast<EDITSTATE*>(data->UserData);
  if (data->EventFlag != ImGuiInputTextFlags_CallbackEdit) return 0;
  const std::string strTyped(data->Buf, static_cast<size_t>(data->BufTextLen));
  const std::string strCp932 = Utf8ToCp932(strTyped);
  DLGITEMSTATE* item = state->lpBox->Item(state->nId);
  if (item == nullptr) return 0;
  std::string strShow;
  int nCaret;
  if (Cp932ToUtf8(strCp932) != strTyped) {
    // A character CP932 cannot hold: the text stays as it was.
    strShow = state->strUtf8;
    nCaret = Utf8Offset(item->strText, item->nSelEnd);
  } else {
    const int nAt = static_cast<int>(
        Utf8ToCp932(strTyped.substr(0, static_cast<size_t>(data->CursorPos))).size());
    state->lpBox->m_bBackspaceDown = ImGui::IsKeyDown(SDL_SCANCODE_BACKSPACE);
    state->lpBox->TypeText(state->nId, strCp932, nAt, nAt);
    state->lpBox->m_bBackspaceDown = false;
    strShow = Cp932ToUtf8(item->strText);
    nCaret = Utf8Offset(item->strText, item->nSelEnd);
  }
  if (strShow != strTyped) {
    data->DeleteChars(0, data->BufTextLen);
    data->InsertChars(0, strShow.c_str());
  }
  data->CursorPos = data->SelectionStart = data->SelectionEnd = std::min(nCaret, data->BufTextLen);
  state->strUtf8 = strShow;
  return 0;
}

// ---- the dialog --------------------------------------------------------------------------

void DrawItem(cDialogBox& box, const DLGITEMSTATE& item, bool bFirstFrame,
              std::map<int, EDITSTATE>& edits) {
  const DLGITEMTEMPLATE& t = item.tmpl;
  const ImVec2 pos(static_cast<float>(DialogUnitsToPixels(t.x)),
                   static_cast<float>(DialogUnitsToPixels(t.y)) +
                       (box.Template().bCaption ? kCaptionHeight : 0.0f));
  const ImVec2 size(static_cast<float>(DialogUnitsToPixels(t.cx)),
                    static_cast<float>(DialogUnitsToPixels(t.cy)));
  const std::string strLabel = Cp932ToUtf8(item.strText) + "##" + std::to_string(t.nId);
  ImGui::SetCursorPos(pos);
  ImGui::BeginDisabled(!item.bEnabled);
  switch (t.kind) {
    case DlgItemKind::Picture:
      break;
    case DlgItemKind::Text:
      ImGui::PushTextWrapPos(pos.x + size.x);
      ImGui::TextUnformatted(Cp932ToUtf8(item.strText).c_str());
      ImGui::PopTextWrapPos();
      break;
    case DlgItemKind::GroupBox: {
      const ImVec2 origin = ImGui::GetWindowPos();
      const ImVec2 a(origin.x + pos.x, origin.y + pos.y + kFontSize / 2);
      ImGui::GetWindowDrawList()->AddRect(a, ImVec2(a.x + size.x, a.y + size.y - kFontSize / 2),
                                          ImGui::GetColorU32(ImGuiCol_Border));
      ImGui::SetCursorPos(ImVec2(pos.x + 6, pos.y));
      ImGui::TextUnformatted(Cp932ToUtf8(item.strText).c_str());
      break;
    }
    case DlgItemKind::Edit: {
      EDITSTATE& state = edits[t.nId];
      state.lpBox = &box;
      state.nId = t.nId;
      std::string strUtf8 = Cp932ToUtf8(item.strText);
      char buf[1024];
      std::snprintf(buf, sizeof buf, "%s", strUtf8.c_str());
      if (bFirstFrame && box.FocusId() == t.nId) ImGui::SetKeyboardFocusHere();
      ImGui::SetNextItemWidth(size.x);
      state.strUtf8 = strUtf8;
      ImGui::InputText(("##edit" + std::to_string(t.nId)).c_str(), buf, sizeof buf,
                       ImGuiInputTextFlags_CallbackEdit | ImGuiInputTextFlags_AutoSelectAll,
                       EditCallback, &state);
      if (ImGui::IsItemActivated()) box.SetFocusItem(t.nId);
      break;
    }
    case DlgItemKind::PushButton:
    case DlgItemKind::DefButton: {
      if (t.kind == DlgItemKind::DefButton)
        ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 2.0f);
      const bool bClicked = ImGui::Button(strLabel.c_str(), size);
      if (t.kind == DlgItemKind::DefButton) ImGui::PopStyleVar();
      if (bClicked) box.ClickItem(t.nId);
      break;
    }
    case DlgItemKind::Radio:
      if (ImGui::RadioButton(strLabel.c_str(), item.bChecked != 0)) box.ClickItem(t.nId);
      break;
    case DlgItemKind::Check: {
      bool bChecked = item.bChecked != 0;
      if (ImGui::Checkbox(strLabel.c_str(), &bChecked)) box.ClickItem(t.nId);
      break;
    }
  }
  ImGui::EndDisabled();
}

void RunDialogBox(cDialogBox& box) {
  cHostRun run;
  if (!run.Ready()) {
    box.CloseBox();
    if (!box.IsEnded()) box.End(0);
    return;
  }
  std::map<int, EDITSTATE> edits;
  const ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                 ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                                 ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoTitleBar;
  bool bFirst = true;
  while (!box.IsEnded()) {
    if (!run.Pump(&box)) {
      box.CloseBox();
      break;
    }
    for (const cHostRun::KEY& key : run.m_keys) {
      box.PressKey(key.nKey, key.bDown, key.bComposing);
      if (box.IsEnded()) break;
    }
    run.m_keys.clear();
    box.DeliverPosted();
    if (box.IsEnded()) break;
    run.BeginFrame();
    const DLGTEMPLATE& t = box.Template();
    const float fHeight =
        static_cast<float>(DialogUnitsToPixels(t.cy)) + (t.bCaption ? kCaptionHeight : 0.0f);
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(box.m_nX), static_cast<float>(box.m_nY)));
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(DialogUnitsToPixels(t.cx)), fHeight));
    ImGui::SetNextWindowFocus();
    ImGui::Begin("##dialog", nullptr, flags);
    if (t.bCaption) {
      // The caption bar, with its close box.
      ImDrawList* pDraw = ImGui::GetWindowDrawList();
      const ImVec2 origin = ImGui::GetWindowPos();
      pDraw->AddRectFilled(origin,
                           ImVec2(origin.x + DialogUnitsToPixels(t.cx), origin.y + kCaptionHeight),
                           ImGui::GetColorU32(ImGuiCol_TitleBgActive));
      ImGui::SetCursorPos(ImVec2(6, 4));
      ImGui::TextUnformatted(Cp932ToUtf8(box.m_strCaption).c_str());
      ImGui::SetCursorPos(ImVec2(DialogUnitsToPixels(t.cx) - 20.0f, 2));
      if (ImGui::Button("x##close", ImVec2(16, 16))) box.CloseBox();
    }
    for (const DLGITEMSTATE& item : box.Items()) {
      if (box.IsEnded()) break;
      DrawItem(box, item, bFirst, edits);
    }
    ImGui::End();
    bFirst = false;
    run.EndFrame();
  }
}

// ---- the file browser ----------------------------------------------------------------------

bool RunFileBrowser(cFileBrowser& browser) {
  cHostRun run;
  if (!run.Ready()) return false;
  std::set<std::string> selected;
  std::string strNameUtf8 = Cp932ToUtf8(browser.m_strName);
  const ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                 ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;
  ImGuiStyle& style = ImGui::GetStyle();
  const ImVec2 oldPadding = style.WindowPadding;
  style.WindowPadding = ImVec2(8, 8);
  bool bResult = false;
  bool bFirst = true;
  // The folder is read again only when it or the filter changes, not in
  // every frame the browser shows.
  std::vector<FILEENTRY> entries;
  std::string strListedFolder;
  int nListedFilter = -1;
  for (bool bDone = false; !bDone;) {
    if (!run.Pump(nullptr) || run.m_bEscape) break;
    if (nListedFilter != browser.m_nFilter || strListedFolder != browser.m_strFolder) {
      entries = browser.List();
      strListedFolder = browser.m_strFolder;
      nListedFilter = browser.m_nFilter;
    }
    run.BeginFrame();
    ImGui::SetNextWindowPos(ImVec2(80, 60));
    ImGui::SetNextWindowSize(ImVec2(480, 360));
    bool bOpen = true;
    ImGui::Begin((Cp932ToUtf8(browser.m_strTitle) + "###files").c_str(), &bOpen, flags);
    if (!bOpen) bDone = true;
    ImGui::TextUnformatted(Cp932ToUtf8("\\" + browser.m_strFolder).c_str());
    ImGui::BeginChild("##list", ImVec2(0, 230), true);
    std::string strEnter;
    for (const FILEENTRY& entry : entries) {
      // Appended rather than "[" + name + "]", which g++ 12 misreads as an
      // overlapping copy at -O3 (-Wrestrict).
      std::string strShown = Cp932ToUtf8(entry.strName);
      if (entry.bFolder) strShown.insert(0, 1, '[').push_back(']');
      const bool bSelected = selected.count(entry.strName) != 0;
      if (ImGui::Selectable(strShown.c_str(), bSelected, ImGuiSelectableFlags_AllowDoubleClick)) {
        if (entry.bFolder) {
          if (ImGui::IsMouseDoubleClicked(0)) strEnter = entry.strName;
        } else {
          if (!browser.m_bMultiSelect || !ImGui::GetIO().KeyCtrl) selected.clear();
          selected.insert(entry.strName);
          strNameUtf8 = Cp932ToUtf8(entry.strName);
          if (ImGui::IsMouseDoubleClicked(0) && browser.Choose({entry.strName})) {
            bResult = bDone = true;
          }
        }
      }
    }
    ImGui::EndChild();
    if (!strEnter.empty() && browser.EnterFolder(strEnter)) selected.clear();
    char buf[512];
    std::snprintf(buf, sizeof buf, "%s", strNameUtf8.c_str());
    ImGui::SetNextItemWidth(300);
    if (bFirst) ImGui::SetKeyboardFocusHere();
    bFirst = false;
    if (ImGui::InputText("##name", buf, sizeof buf)) {
      // Only what CP932 holds stays in the name.
      const std::string strCp932 = Utf8ToCp932(buf);
      if (Cp932ToUtf8(strCp932) == buf) {
        strNameUtf8 = buf;
        selected.clear();
      }
    }
    if (!browser.m_Filters.empty()) {
      ImGui::SetNextItemWidth(300);
      const int nFilter =
          std::clamp(browser.m_nFilter, 0, static_cast<int>(browser.m_Filters.size()) - 1);
      if (ImGui::BeginCombo("##filter", Cp932ToUtf8(browser.m_Filters[nFilter].strName).c_str())) {
        for (size_t i = 0; i < browser.m_Filters.size(); ++i)
          if (ImGui::Selectable(Cp932ToUtf8(browser.m_Filters[i].strName).c_str(),
                                static_cast<int>(i) == nFilter))
            browser.m_nFilter = static_cast<int>(i);
        ImGui::EndCombo();
      }
    }
    const bool bEnter = run.m_bEnter && !bDone;
    run.m_bEnter = false;
    if (ImGui::Button("OK", ImVec2(80, 0)) || bEnter) {
      std::vector<std::string> names;
      if (selected.size() > 1 ||
          (selected.size() == 1 && Cp932ToUtf8(*selected.begin()) == strNameUtf8))
        names.assign(selected.begin(), selected.end());
      else if (!strNameUtf8.empty())
        names.push_back(Utf8ToCp932(strNameUtf8));
      if (names.size() == 1 && browser.EnterFolder(names[0])) {
        strNameUtf8.clear();
        selected.clear();
      } else if (!names.empty() && browser.Choose(names)) {
        bResult = bDone = true;
      }
    }
    ImGui::SameLine();
    if (ImGui::Button("Cancel", ImVec2(80, 0))) bDone = true;
    ImGui::End();
    run.EndFrame();
  }
  style.WindowPadding = oldPadding;
  return bResult;
}

}  // namespace

void InstallDialogHost(const DIALOGHOSTSETUP& setup) {
  g_setup = setup;
  g_bFontBuilt = false;
  if (ImGui::GetCurrentContext() != nullptr) ImGui::GetIO().Fonts->Clear();
  SetDialogHost(RunDialogBox);
  SetFileDialogHost(RunFileBrowser);
}

void RemoveDialogHost() {
  SetDialogHost(nullptr);
  SetFileDialogHost(nullptr);
  if (ImGui::GetCurrentContext() != nullptr) ImGui::DestroyContext();
  g_bFontBuilt = false;
  g_setup = DIALOGHOSTSETUP();
}
