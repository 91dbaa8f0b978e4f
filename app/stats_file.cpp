#include "app/stats_file.h"

#include <cstdio>
#include <cstdlib>

#include "app/base/clock.h"
#include "app/base/file_system.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "app/main_window.h"
#include "platform/draw/present/sdl_presenter.h"

cStatsFile::cStatsFile() {
  const char* pszPath = std::getenv("PLAYER_STATS_FILE");
  if (pszPath != nullptr) m_strPath = pszPath;
}

void cStatsFile::Update() {
  if (m_strPath.empty()) return;
  const uint32_t dwNow = GetTimeMs();
  if (m_bWritten && dwNow - m_dwLast < 100) return;
  m_bWritten = true;
  m_dwLast = dwNow;
  const cSdlPresenter* pPresenter = MainPresenter();
  char szLine[160];
  std::snprintf(szLine, sizeof szLine, "ms=%u frames=%d shown=%llu scene=%d active=%d\n", dwNow,
                g_nFrameCount.load(),
                static_cast<unsigned long long>(pPresenter ? pPresenter->ShownFrames() : 0),
                g_nSceneRunning.load(), g_bActive.load());
  // Whole or not at all: a reader never sees half a line.
  WriteFileAtomically(ToStoredPath(m_strPath), szLine);
}
