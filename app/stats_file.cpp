#include "app/stats_file.h"

#include <cstdlib>

#include "app/base/clock.h"
#include "app/base/close_request.h"
#include "app/base/file_system.h"
#include "app/base/format.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "app/main_window.h"
#include "platform/draw/present/sdl_presenter.h"

cStatsFile::cStatsFile() {
  const char* pszPath = std::getenv("PLAYER_STATS_FILE");
  if (pszPath != nullptr) m_strPath = pszPath;
  m_bQuitOnTitle = std::getenv("PLAYER_QUIT_ON_TITLE") != nullptr;
}

void cStatsFile::Update() {
  if (m_strPath.empty()) return;
  const uint32_t dwNow = GetTimeMs();
  const cSdlPresenter* pPresenter = MainPresenter();
  const uint64_t nShown = pPresenter != nullptr ? pPresenter->ShownFrames() : 0;
  if (m_dwTitleShown == 0) {
    // A frame is presented after its scene ran, so a frame shown after the
    // title was seen running is the title's (at worst the one after it).
    if (!m_bTitleRunning && g_nSceneRunning.load() == SCENE_TITLE) {
      m_bTitleRunning = true;
      m_nShownBeforeTitle = nShown;
    } else if (m_bTitleRunning && nShown > m_nShownBeforeTitle) {
      m_dwTitleShown = dwNow;
      Write(dwNow);
      if (m_bQuitOnTitle) RequestClose();
      return;
    }
  }
  if (m_bWritten && dwNow - m_dwLast < 100) return;
  Write(dwNow);
}

void cStatsFile::Write(uint32_t dwNow) {
  m_bWritten = true;
  m_dwLast = dwNow;
  const cSdlPresenter* pPresenter = MainPresenter();
  std::string strLine;
  FormatString(strLine, "ms=%u frames=%d shown=%llu scene=%d active=%d title=%u\n", dwNow,
               g_nFrameCount.load(),
               static_cast<unsigned long long>(pPresenter ? pPresenter->ShownFrames() : 0),
               g_nSceneRunning.load(), g_bActive.load(), m_dwTitleShown);
  // Whole or not at all: a reader never sees half a line.
  WriteFileAtomically(ToStoredPath(m_strPath), strLine);
}
