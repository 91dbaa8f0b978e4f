#include "platform/draw/present/sdl_presenter.h"

#include <SDL.h>

#include <cstring>

cSdlPresenter::cSdlPresenter(SDL_Window* pWindow) : m_pWindow(pWindow) {}

cSdlPresenter::~cSdlPresenter() { ReleaseRenderer(); }

void cSdlPresenter::Present(const PRESENTFRAME& frame, bool bVSync) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_pending.resize(static_cast<size_t>(frame.nWidth) * frame.nHeight);
  for (int y = 0; y < frame.nHeight; ++y)
    std::memcpy(m_pending.data() + static_cast<size_t>(y) * frame.nWidth,
                frame.pPixels + static_cast<size_t>(y) * frame.nPitch,
                sizeof(uint32_t) * frame.nWidth);
  m_nPendingWidth = frame.nWidth;
  m_nPendingHeight = frame.nHeight;
  m_bFramePending = true;
  m_bVSync = bVSync;
  const uint64_t nSerial = ++m_nQueued;
  const std::function<void()> signal = m_frameSignal;
  lock.unlock();
  if (signal) signal();
  if (!bVSync) return;
  // A frame replaced before it was shown counts as shown with the newer one.
  lock.lock();
  m_shownSignal.wait_for(lock, std::chrono::milliseconds(250),
                         [&] { return m_bReleased || m_nShown.load() >= nSerial; });
}

void cSdlPresenter::SetFrameSignal(std::function<void()> signal) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_frameSignal = std::move(signal);
}

void cSdlPresenter::Release() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bReleased = true;
  m_shownSignal.notify_all();
}

void cSdlPresenter::ReleaseRenderer() {
  if (m_pTexture) SDL_DestroyTexture(m_pTexture);
  if (m_pRenderer) SDL_DestroyRenderer(m_pRenderer);
  m_pTexture = nullptr;
  m_pRenderer = nullptr;
  m_nTextureWidth = m_nTextureHeight = 0;
}

void cSdlPresenter::MarkShown(uint64_t nSerial) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (nSerial > m_nShown.load()) m_nShown.store(nSerial);
  m_shownSignal.notify_all();
}

bool cSdlPresenter::SetFullScreen(bool bFullScreen, int, int, int) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_nFullScreen = bFullScreen ? 1 : 0;
  return true;
}

// The desktop's refresh rate is left to the desktop.
bool cSdlPresenter::ChangeDesktopRefreshRate(int, bool) { return false; }

void cSdlPresenter::ShowCursor(bool bShow) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_nCursor = bShow ? 1 : 0;
}

void cSdlPresenter::Minimize() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_nWindowState = 1;
}

void cSdlPresenter::ShowNormal() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_nWindowState = 2;
}

bool cSdlPresenter::ShowPendingFrame() {
  std::vector<uint32_t> frame;
  int w = 0, h = 0, nFullScreen, nCursor, nWindowState;
  bool bVSync, bFrame;
  uint64_t nSerial;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    bFrame = m_bFramePending;
    nSerial = m_nQueued;
    if (bFrame) {
      frame.swap(m_pending);
      w = m_nPendingWidth;
      h = m_nPendingHeight;
      m_bFramePending = false;
    }
    bVSync = m_bVSync;
    nFullScreen = m_nFullScreen;
    nCursor = m_nCursor;
    nWindowState = m_nWindowState;
    m_nFullScreen = m_nCursor = -1;
    m_nWindowState = 0;
  }
  // Whatever happens below, the drawing thread waits for this frame no more.
  struct cShownMark {
    cSdlPresenter* p;
    uint64_t n;
    bool b;
    ~cShownMark() {
      if (b) p->MarkShown(n);
    }
  } mark{this, nSerial, bFrame};
  if (!m_pWindow) return false;
  if (nFullScreen >= 0)
    SDL_SetWindowFullscreen(m_pWindow, nFullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  if (nCursor >= 0) SDL_ShowCursor(nCursor ? SDL_ENABLE : SDL_DISABLE);
  if (nWindowState == 1) SDL_MinimizeWindow(m_pWindow);
  if (nWindowState == 2) SDL_RestoreWindow(m_pWindow);
  if (!bFrame || w <= 0 || h <= 0) return false;

  if (!m_pRenderer) {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    m_pRenderer = SDL_CreateRenderer(m_pWindow, -1, bVSync ? SDL_RENDERER_PRESENTVSYNC : 0);
    if (!m_pRenderer) return false;
    m_bRendererVSync = bVSync;
  } else if (m_bRendererVSync != bVSync) {
    SDL_RenderSetVSync(m_pRenderer, bVSync ? 1 : 0);
    m_bRendererVSync = bVSync;
  }
  if (!m_pTexture || m_nTextureWidth != w || m_nTextureHeight != h) {
    if (m_pTexture) SDL_DestroyTexture(m_pTexture);
    m_pTexture =
        SDL_CreateTexture(m_pRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
    if (!m_pTexture) return false;
    // The frame is opaque: the top byte of a pixel must never show as
    // see-through, whatever a blend left in it.
    SDL_SetTextureBlendMode(m_pTexture, SDL_BLENDMODE_NONE);
    m_nTextureWidth = w;
    m_nTextureHeight = h;
    SDL_RenderSetLogicalSize(m_pRenderer, w, h);
  }
  SDL_UpdateTexture(m_pTexture, nullptr, frame.data(), w * static_cast<int>(sizeof(uint32_t)));
  SDL_RenderClear(m_pRenderer);
  SDL_RenderCopy(m_pRenderer, m_pTexture, nullptr, nullptr);
  SDL_RenderPresent(m_pRenderer);
  ++m_nShownCount;
  {
    // Hand the buffer back so that the next frame needs no allocation.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bFramePending) m_pending.swap(frame);
  }
  return true;
}

void cSdlPresenter::DrawLastFrame() {
  if (m_pRenderer != nullptr && m_pTexture != nullptr)
    SDL_RenderCopy(m_pRenderer, m_pTexture, nullptr, nullptr);
}
