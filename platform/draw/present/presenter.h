#pragma once
// Where finished frames go. Both drawing back ends convert the frame they
// show to 32-bit XRGB and hand it to the current presenter; the window front
// end installs one that shows it, tests use cNullPresenter, which only keeps
// the last frame.

#include <cstddef>
#include <cstdint>
#include <vector>

struct PRESENTFRAME {
  const uint32_t* pPixels = nullptr;  // XRGB, row after row
  int nWidth = 0;
  int nHeight = 0;
  int nPitch = 0;  // in pixels
};

class cPresenter {
 public:
  virtual ~cPresenter() = default;
  // Called on the drawing thread. bVSync asks for the frame to be shown at
  // the next vertical blank. The frame's memory is valid only during the call.
  virtual void Present(const PRESENTFRAME& frame, bool bVSync) = 0;
  // Full screen: the drawing area becomes the whole display.
  virtual bool SetFullScreen(bool bFullScreen, int nWidth, int nHeight, int nRefreshRate) = 0;
  // Window mode: tests (bTestOnly) or applies a refresh rate of the desktop.
  virtual bool ChangeDesktopRefreshRate(int nRate, bool bTestOnly) = 0;
  virtual void ShowCursor(bool bShow) = 0;
  virtual void Minimize() = 0;
  virtual void ShowNormal() = 0;
};

class cNullPresenter : public cPresenter {
 public:
  void Present(const PRESENTFRAME& frame, bool bVSync) override;
  bool SetFullScreen(bool bFullScreen, int, int, int) override {
    m_bFullScreen = bFullScreen;
    return true;
  }
  bool ChangeDesktopRefreshRate(int nRate, bool bTestOnly) override;
  void ShowCursor(bool bShow) override { m_bCursor = bShow; }
  void Minimize() override { m_bMinimized = true; }
  void ShowNormal() override { m_bMinimized = false; }

  // What the last Present delivered.
  std::vector<uint32_t> m_frame;
  int m_nWidth = 0, m_nHeight = 0;
  int m_nPresents = 0;
  bool m_bLastVSync = false;
  bool m_bFullScreen = false;
  bool m_bCursor = true;
  bool m_bMinimized = false;
  // Refresh-rate changes: whether the test call succeeds, and what was applied.
  bool m_bRefreshTestSucceeds = true;
  int m_nAppliedRefreshRate = 0;
  uint32_t At(int x, int y) const {
    return m_frame[static_cast<size_t>(y) * m_nWidth + x] & 0xFFFFFF;
  }
};

// The presenter both back ends use; never null (a cNullPresenter by default).
cPresenter* GetPresenter();
// Installs a presenter (null puts the default one back). The caller keeps
// ownership and keeps it alive while the drawing library runs.
void SetPresenter(cPresenter* pPresenter);
