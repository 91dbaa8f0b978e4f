#include "platform/ui/message_box_window.h"

#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/base/close_request.h"
#include "app/base/encoding.h"
#include "app/base/report_log.h"
#include "imgui_impl_sdl.h"
#include "imgui_impl_sdlrenderer.h"
#include "platform/input/input_sdl.h"

namespace {

constexpr float kFontSize = 14.0f;
constexpr float kPadding = 16.0f;
constexpr float kWrapWidth = 440.0f;
constexpr float kMinTextWidth = 200.0f;
constexpr float kButtonWidth = 88.0f;
constexpr float kButtonHeight = 26.0f;
constexpr float kButtonGap = 8.0f;

std::string g_strFontFile;

struct BUTTON {
  int nResult;
  const char* pszLabel;
};

std::vector<BUTTON> ButtonsOf(MsgBoxButtons buttons) {
  switch (buttons) {
    case MsgBoxButtons::Ok:
      return {{kMsgBoxOk, "OK"}};
    case MsgBoxButtons::OkCancel:
      return {{kMsgBoxOk, "OK"}, {kMsgBoxCancel, "Cancel"}};
    case MsgBoxButtons::YesNo:
      return {{kMsgBoxYes, "Yes"}, {kMsgBoxNo, "No"}};
    case MsgBoxButtons::YesNoCancel:
      return {{kMsgBoxYes, "Yes"}, {kMsgBoxNo, "No"}, {kMsgBoxCancel, "Cancel"}};
  }
  return {{kMsgBoxOk, "OK"}};
}

bool IsHeadlessDriver(const char* pszDriver) {
  return pszDriver != nullptr &&
         (std::strcmp(pszDriver, "dummy") == 0 || std::strcmp(pszDriver, "offscreen") == 0);
}

// SDL's video for the time of the box when the program has not started it
// yet (the single-instance question comes before the main window).
class cVideoScope {
 public:
  cVideoScope() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
      m_bReady = true;
    } else if (!IsHeadlessDriver(SDL_getenv("SDL_VIDEODRIVER"))) {
      m_bOwn = m_bReady = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    }
    m_bReady = m_bReady && !IsHeadlessDriver(SDL_GetCurrentVideoDriver());
  }
  ~cVideoScope() {
    if (m_bOwn) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  cVideoScope(const cVideoScope&) = delete;
  cVideoScope& operator=(const cVideoScope&) = delete;
  bool Ready() const { return m_bReady; }

 private:
  bool m_bReady = false;
  bool m_bOwn = false;
};

// The box's own ImGui context, current while the box runs: a box may open
// in the middle of a dialog's frame, whose context stays as it was.
class cContextScope {
 public:
  cContextScope() : m_pPrevious(ImGui::GetCurrentContext()), m_pContext(ImGui::CreateContext()) {
    ImGui::SetCurrentContext(m_pContext);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    ImGui::StyleColorsLight();
    ImGui::GetStyle().WindowRounding = 0.0f;
    ImGui::GetStyle().WindowBorderSize = 0.0f;
    ImGui::GetStyle().FrameBorderSize = 1.0f;
  }
  ~cContextScope() {
    ImGui::DestroyContext(m_pContext);
    ImGui::SetCurrentContext(m_pPrevious);
  }
  cContextScope(const cContextScope&) = delete;
  cContextScope& operator=(const cContextScope&) = delete;

 private:
  ImGuiContext* m_pPrevious;
  ImGuiContext* m_pContext;
};

// The box's window, its renderer and ImGui's back ends over them.
class cBoxWindow {
 public:
  cBoxWindow(const std::string& strCaptionUtf8, int w, int h, SDL_Window* pParent) {
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    const bool bOverParent = pParent != nullptr && (SDL_GetWindowFlags(pParent) & SDL_WINDOW_SHOWN);
    if (bOverParent) {
      int px = 0, py = 0, pw = 0, ph = 0;
      SDL_GetWindowPosition(pParent, &px, &py);
      SDL_GetWindowSize(pParent, &pw, &ph);
      x = px + (pw - w) / 2;
      y = py + (ph - h) / 2;
    }
    m_pWindow = SDL_CreateWindow(strCaptionUtf8.c_str(), x, y, w, h,
                                 SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP);
    if (m_pWindow != nullptr) m_pRenderer = SDL_CreateRenderer(m_pWindow, -1, 0);
    m_bReady = m_pRenderer != nullptr && ImGui_ImplSDL2_InitForSDLRenderer(m_pWindow) &&
               ImGui_ImplSDLRenderer_Init(m_pRenderer);
    if (!m_bReady) {
      ReportLog("message box: no window can be shown: %s", SDL_GetError());
      return;
    }
    if (bOverParent) SDL_SetWindowModalFor(m_pWindow, pParent);
    SDL_ShowWindow(m_pWindow);
    SDL_RaiseWindow(m_pWindow);
  }
  ~cBoxWindow() {
    if (m_bReady) {
      ImGui_ImplSDLRenderer_Shutdown();
      ImGui_ImplSDL2_Shutdown();
    }
    if (m_pRenderer != nullptr) SDL_DestroyRenderer(m_pRenderer);
    if (m_pWindow != nullptr) SDL_DestroyWindow(m_pWindow);
  }
  cBoxWindow(const cBoxWindow&) = delete;
  cBoxWindow& operator=(const cBoxWindow&) = delete;

  bool Ready() const { return m_bReady; }
  Uint32 Id() const { return SDL_GetWindowID(m_pWindow); }
  SDL_Renderer* Renderer() const { return m_pRenderer; }

 private:
  SDL_Window* m_pWindow = nullptr;
  SDL_Renderer* m_pRenderer = nullptr;
  bool m_bReady = false;
};

// The window an event belongs to; 0 for events of no window (the quit).
// The keys are the box's whichever window SDL names: the box is modal, and
// SDL names the window it last saw take the focus, which may still be the
// main window when the first key reaches the box.
Uint32 EventWindow(const SDL_Event& e, Uint32 nBox) {
  switch (e.type) {
    case SDL_WINDOWEVENT:
      return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTEDITING:
    case SDL_TEXTINPUT:
      return nBox;
    case SDL_MOUSEMOTION:
      return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return e.button.windowID;
    case SDL_MOUSEWHEEL:
      return e.wheel.windowID;
  }
  return 0;
}

bool IsCloseEvent(const SDL_Event& e) {
  return e.type == SDL_QUIT ||
         (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE);
}

}  // namespace

void SetMessageBoxFontFile(const std::string& strFontFile) { g_strFontFile = strFontFile; }

int ShowWindowMessageBox(const std::string& strText, const std::string& strCaption, MsgBoxType type,
                         SDL_Window* pParent) {
  const int nCancel = MsgBoxCancelAnswer(type.buttons);
  if (IsCloseSignalled()) return nCancel;
  cVideoScope video;
  if (!video.Ready()) return 0;
  const std::vector<BUTTON> buttons = ButtonsOf(type.buttons);
  const std::string strTextUtf8 = Cp932ToUtf8(strText);

  cContextScope context;
  ImGuiIO& io = ImGui::GetIO();
  // A font of the glyphs the box shows, not of every Japanese character.
  ImFontGlyphRangesBuilder glyphs;
  glyphs.AddRanges(io.Fonts->GetGlyphRangesDefault());
  glyphs.AddText(strTextUtf8.c_str());
  ImVector<ImWchar> ranges;
  glyphs.BuildRanges(&ranges);
  ImFont* pFont = nullptr;
  if (!g_strFontFile.empty())
    pFont = io.Fonts->AddFontFromFileTTF(g_strFontFile.c_str(), kFontSize, nullptr, ranges.Data);
  if (pFont == nullptr) pFont = io.Fonts->AddFontDefault();
  io.Fonts->Build();

  const ImVec2 text =
      pFont->CalcTextSizeA(pFont->FontSize, FLT_MAX, kWrapWidth, strTextUtf8.c_str());
  const float fButtons =
      static_cast<float>(buttons.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
  const float fWidth = std::max({text.x, fButtons, kMinTextWidth}) + 2 * kPadding;
  const float fHeight = text.y + 3 * kPadding + kButtonHeight;
  cBoxWindow window(Cp932ToUtf8(strCaption), static_cast<int>(std::ceil(fWidth)),
                    static_cast<int>(std::ceil(fHeight)), pParent);
  if (!window.Ready()) return 0;

  // Events of other windows wait until the box has ended; a close of the
  // program (its quit, the main window's close box) ends the box first.
  std::vector<SDL_Event> deferred;
  int nAnswer = 0;
  bool bOwnClose = false;
  while (nAnswer == 0) {
    if (IsCloseSignalled()) {
      nAnswer = nCancel;
      break;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (EventWindow(e, window.Id()) != window.Id()) {
        // Closing the box as the only window makes SDL quit: not a close of
        // the program.
        if (e.type == SDL_QUIT && bOwnClose) continue;
        if (IsCloseEvent(e)) nAnswer = nCancel;
        deferred.push_back(e);
        continue;
      }
      // A key let go while the box shows is let go for the game too.
      if (e.type == SDL_KEYUP) HandleInputEvent(e);
      if (IsCloseEvent(e)) {
        bOwnClose = true;
        nAnswer = nCancel;
      }
      if (e.type == SDL_KEYDOWN && e.key.repeat == 0) {
        const SDL_Scancode code = e.key.keysym.scancode;
        if (code == SDL_SCANCODE_RETURN || code == SDL_SCANCODE_KP_ENTER)
          nAnswer = buttons.front().nResult;
        else if (code == SDL_SCANCODE_ESCAPE)
          nAnswer = nCancel;
      }
      ImGui_ImplSDL2_ProcessEvent(&e);
    }
    if (nAnswer != 0) break;

    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    ImGui::Begin(
        "##box", nullptr,
        ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings);
    ImGui::SetCursorPos(ImVec2(kPadding, kPadding));
    ImGui::PushTextWrapPos(kPadding + kWrapWidth);
    ImGui::TextUnformatted(strTextUtf8.c_str());
    ImGui::PopTextWrapPos();
    float x = (io.DisplaySize.x - fButtons) / 2;
    for (const BUTTON& button : buttons) {
      ImGui::SetCursorPos(ImVec2(x, io.DisplaySize.y - kPadding - kButtonHeight));
      if (ImGui::Button(button.pszLabel, ImVec2(kButtonWidth, kButtonHeight)))
        nAnswer = button.nResult;
      x += kButtonWidth + kButtonGap;
    }
    ImGui::End();
    ImGui::Render();
    SDL_SetRenderDrawColor(window.Renderer(), 240, 240, 240, 255);
    SDL_RenderClear(window.Renderer());
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    SDL_RenderPresent(window.Renderer());
    SDL_Delay(10);
  }
  for (SDL_Event& e : deferred) SDL_PushEvent(&e);
  return nAnswer;
}
