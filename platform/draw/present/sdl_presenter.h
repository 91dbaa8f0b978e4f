#pragma once
// The presenter of the real window: finished frames are handed over from the
// drawing thread and shown by the main thread with SDL (a streaming texture,
// scaled with nearest sampling to a 640x480 logical size in full screen).
// The drawing thread never calls SDL; window changes it asks for are queued
// and applied by the main thread too.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/draw/present/presenter.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

class cSdlPresenter : public cPresenter {
 public:
  explicit cSdlPresenter(SDL_Window* pWindow);
  ~cSdlPresenter() override;
  cSdlPresenter(const cSdlPresenter&) = delete;
  cSdlPresenter& operator=(const cSdlPresenter&) = delete;

  // Drawing thread.
  void Present(const PRESENTFRAME& frame, bool bVSync) override;
  bool SetFullScreen(bool bFullScreen, int nWidth, int nHeight, int nRefreshRate) override;
  bool ChangeDesktopRefreshRate(int nRate, bool bTestOnly) override;
  void ShowCursor(bool bShow) override;
  void Minimize() override;
  void ShowNormal() override;

  // Main thread: applies queued window changes and shows the newest frame, if
  // one arrived since the last call. True when a frame was shown.
  bool ShowPendingFrame();

 private:
  SDL_Window* m_pWindow;
  SDL_Renderer* m_pRenderer = nullptr;
  SDL_Texture* m_pTexture = nullptr;
  int m_nTextureWidth = 0, m_nTextureHeight = 0;
  bool m_bRendererVSync = false;

  std::mutex m_mutex;  // guards the fields below
  std::vector<uint32_t> m_pending;
  int m_nPendingWidth = 0, m_nPendingHeight = 0;
  bool m_bFramePending = false;
  bool m_bVSync = false;
  int m_nFullScreen = -1;  // -1 unchanged, 0 window, 1 full screen
  int m_nCursor = -1;
  int m_nWindowState = 0;  // 1 minimise, 2 show normal
};
