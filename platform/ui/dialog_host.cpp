// The Dear ImGui lifetime of the dialog host: one context for the program,
// its font built once from the dialogs' TrueType face, and one run of ImGui's
// back ends over the main window for each dialog (cHostRun).

#include "platform/ui/dialog_host.h"

#include <algorithm>

#include "app/base/close_request.h"
#include "app/base/report_log.h"
#include "imgui_impl_sdl.h"
#include "imgui_impl_sdlrenderer.h"
#include "platform/input/input_sdl.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_host_run.h"
#include "platform/ui/file_dialog.h"

namespace {

DIALOGHOSTSETUP g_setup;
bool g_bFontBuilt = false;

}  // namespace

cHostRun::cHostRun() {
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
      pFont = io.Fonts->AddFontFromFileTTF(g_setup.strFontFile.c_str(), kDialogFontSize, nullptr,
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

cHostRun::~cHostRun() {
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

bool cHostRun::Pump(cDialogBox* lpBox) {
  // A close asked for from outside ends the dialog as its close box would.
  bool bOpen = !IsCloseSignalled();
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
    if (e.type == SDL_MOUSEMOTION || e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP ||
        e.type == SDL_KEYUP || e.type == SDL_JOYBUTTONUP)
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

void cHostRun::BeginFrame() {
  ImGui_ImplSDLRenderer_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  // The dialogs live in the 640 x 480 logical area the game's frame is
  // scaled to; the mouse comes in window pixels.
  ImGuiIO& io = ImGui::GetIO();
  int w = 0, h = 0, mx = 0, my = 0;
  SDL_GetWindowSize(g_setup.pWindow, &w, &h);
  const Uint32 buttons = SDL_GetMouseState(&mx, &my);
  io.DisplaySize = ImVec2(kDialogClientWidth, kDialogClientHeight);
  io.DisplayFramebufferScale = ImVec2(1.0f, 1.0f);
  float fx = static_cast<float>(mx), fy = static_cast<float>(my);
  if (w > 0 && h > 0) {
    // The same letterboxing as the renderer's logical size.
    const float fScale = std::min(w / kDialogClientWidth, h / kDialogClientHeight);
    fx = (mx - (w - kDialogClientWidth * fScale) / 2) / fScale;
    fy = (my - (h - kDialogClientHeight * fScale) / 2) / fScale;
  }
  io.MousePos = ImVec2(fx, fy);
  io.MouseDown[0] = io.MouseDown[0] || (buttons & SDL_BUTTON_LMASK) != 0;
  ImGui::NewFrame();
}

void cHostRun::EndFrame() {
  ImGui::Render();
  SDL_SetRenderDrawColor(m_pRenderer, 0, 0, 0, 255);
  SDL_RenderClear(m_pRenderer);
  if (!m_bOwnRenderer && g_setup.drawBackdrop) g_setup.drawBackdrop();
  ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
  SDL_RenderPresent(m_pRenderer);
  SDL_Delay(10);
}

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
