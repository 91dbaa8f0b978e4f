#pragma once
// The presenter of the real window: finished frames are handed over from the
// drawing thread and shown by the main thread with SDL (a streaming texture,
// scaled with nearest sampling to a 640x480 logical size in full screen).
// The drawing thread never calls SDL; window changes it asks for are queued
// and applied by the main thread too.
//
// A frame presented with vertical sync makes the drawing thread wait until
// the main thread has shown it (at the display's refresh when the renderer
// syncs), so the game never runs ahead of the display. Release ends every
// such wait for good (shutdown).

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
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

  // Called (on the drawing thread) when a frame arrives: wakes the main loop.
  void SetFrameSignal(std::function<void()> signal);
  // Ends the vertical-sync waits, now and later.
  void Release();
  // Main thread, before the window goes: destroys the renderer and its
  // texture (a later frame would make them again).
  void ReleaseRenderer();
  // Main thread, for a dialog drawn over the game: the renderer (null until
  // the first frame was shown) and the last frame drawn again, not presented.
  SDL_Renderer* Renderer() const { return m_pRenderer; }
  void DrawLastFrame();
  // Frames shown so far.
  uint64_t ShownFrames() const { return m_nShownCount.load(); }

 private:
  void MarkShown(uint64_t nSerial);

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
  uint64_t m_nQueued = 0;  // frames handed over
  bool m_bReleased = false;
  std::function<void()> m_frameSignal;
  std::condition_variable m_shownSignal;
  std::atomic<uint64_t> m_nShown{0};  // serial of the last frame taken to be shown
  std::atomic<uint64_t> m_nShownCount{0};
};
