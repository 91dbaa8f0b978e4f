#include "platform/draw/present/presenter.h"

#include <cstring>

void cNullPresenter::Present(const PRESENTFRAME& frame, bool bVSync) {
  m_nWidth = frame.nWidth;
  m_nHeight = frame.nHeight;
  m_frame.resize(static_cast<size_t>(frame.nWidth) * frame.nHeight);
  for (int y = 0; y < frame.nHeight; ++y)
    std::memcpy(m_frame.data() + static_cast<size_t>(y) * frame.nWidth,
                frame.pPixels + static_cast<size_t>(y) * frame.nPitch,
                sizeof(uint32_t) * frame.nWidth);
  ++m_nPresents;
  m_bLastVSync = bVSync;
}

bool cNullPresenter::ChangeDesktopRefreshRate(int nRate, bool bTestOnly) {
  if (!m_bRefreshTestSucceeds) return false;
  if (!bTestOnly) m_nAppliedRefreshRate = nRate;
  return true;
}

namespace {
cNullPresenter g_nullPresenter;
cPresenter* g_pPresenter = nullptr;
}  // namespace

cPresenter* GetPresenter() { return g_pPresenter ? g_pPresenter : &g_nullPresenter; }
void SetPresenter(cPresenter* pPresenter) { g_pPresenter = pPresenter; }
