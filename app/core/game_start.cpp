#include "app/core/game_start.h"

#include "app/base/format.h"
#include "app/base/path_utils.h"
#include "records/data_path.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"

void SetStartLives(cPlayData& data, int nMode) {
  if (g_System.m_abInfiniteLives.At(nMode) != 0) {
    data.m_nStartLives = kInfiniteLives;
    data.m_nLives = kInfiniteLives;
    return;
  }
  const int32_t nLives = g_System.m_anLives.At(nMode);
  data.m_nStartLives = nLives;
  data.m_nLives = nLives - 1;
}

int StartStageFile(const char* pszPath, int bVersioned) {
  // A copy: the caller's text may live in the stage that is about to be
  // replaced (the next part of a stage passes its own load path).
  std::string strPath = pszPath != nullptr ? pszPath : "";
  if (strPath.size() > 259) strPath.resize(259);
  g_PlayData.Reset();
  if (!LoadStageForPlay(strPath.c_str(), bVersioned, &g_StageStart)) return 0;
  g_PlayData.m_nStageNo = 1;
  g_PlayData.m_nPartNo = 1;
  if (g_bTestPlay != 0) {
    g_PlayData.m_nStartLives = kInfiniteLives;
    g_PlayData.m_nLives = kInfiniteLives;
  } else {
    SetStartLives(g_PlayData, PLAYMODE_FREE);
  }
  ToRelativePath(strPath);
  g_PlayData.SetStagePath(strPath.c_str());
  return 1;
}

void NewStoryGame() {
  g_PlayData.Reset();
  g_PlayData.m_nMapX = g_WorldMap.m_nStartX;
  g_PlayData.m_nMapY = g_WorldMap.m_nStartY;
  g_PlayData.m_nRestartCount = 0;
  SetStartLives(g_PlayData, PLAYMODE_STORY);
}

std::string ChallengeStagePath(int n) {
  std::string strPath;
  FormatString(strPath, "%s%02d-1.%s", g_DataPath[DATAPATH_CHALLENGE_STAGE].c_str(), n,
               g_szFileExt[FILEEXT_STAGE].c_str());
  return strPath;
}
