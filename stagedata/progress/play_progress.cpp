// What the scenes and the play scene do with the play data: the stage key,
// best scores, the stage-start snapshot, carried hero properties, the restart
// of the world and the ranking genre.

#include <algorithm>
#include <climits>

#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_globals.h"

namespace {

// Scores come from save files, which may hold any value: totals are summed
// in 64 bits and kept at the ends of the stored range.
int32_t SaturateScore(int64_t nScore) {
  return static_cast<int32_t>(std::clamp<int64_t>(nScore, INT32_MIN, INT32_MAX));
}

}  // namespace

void cPlayData::SetStagePath(const char* pszPath) {
  const std::string strPath = pszPath != nullptr ? pszPath : "";
  m_strStageKey = strPath;
  m_bMultiPart = 0;
  // The last "-1" of the path marks the first part of a stage in several
  // files; the key ends with a '.' in place of its '-'.
  const size_t nMulti = strPath.rfind("-1");
  if (nMulti != std::string::npos) {
    m_bMultiPart = 1;
    m_strStageKey = strPath.substr(0, nMulti) + ".";
    return;
  }
  const size_t nDot = strPath.rfind('.');
  m_strStageKey = nDot == std::string::npos ? std::string() : strPath.substr(0, nDot + 1);
}

void cPlayData::UpdateBestScore(const std::string& strKey, int nScore) {
  for (auto& entry : m_BestByName) {
    if (entry.m_strKey != strKey) continue;
    if (entry.m_nBest >= nScore) return;
    m_nBestTotal = SaturateScore(int64_t{m_nBestTotal} + nScore - entry.m_nBest);
    entry.m_nBest = nScore;
    return;
  }
  cStageClearByName entry;
  entry.m_strKey = strKey;
  entry.m_nBest = nScore;
  m_BestByName.push_back(entry);
  m_nBestTotal = SaturateScore(int64_t{m_nBestTotal} + nScore);
}

int cPlayData::GetBestScore(const std::string& strKey) const {
  for (const auto& entry : m_BestByName)
    if (entry.m_strKey == strKey) return entry.m_nBest;
  return 0;
}

void cPlayData::RecountTotalScore() {
  int64_t nTotal = 0;
  for (const auto& entry : m_BestByName)
    if (g_WorldMap.HasStage(entry.m_strKey)) nTotal += entry.m_nBest;
  m_nBestTotal = SaturateScore(nTotal);
}

void cPlayData::SaveStageStart() {
  m_VarsAtStart = m_CommonVars;
  m_nLivesAtStart = m_nLives;
  m_nScoreAtStart = m_nGameScore;
}

void cPlayData::RestoreStageStart(int bAlways) {
  if (bAlways != 0) {
    m_CommonVars = m_VarsAtStart;
    m_nGameScore = m_nScoreAtStart;
    m_nLives = m_nLivesAtStart;
    return;
  }
  int32_t bReset = 1;  // a replay always starts from the snapshot
  if (g_bTestPlay != 0) {
    bReset = g_System.m_bResetVarsDirect;
  } else {
    switch (g_nGameKind) {
      case GAMEKIND_STORY:
        bReset = g_System.m_bResetVarsStory;
        break;
      case GAMEKIND_CHALLENGE:
        bReset = g_System.m_bResetVarsChallenge;
        break;
      case GAMEKIND_FREE:
        bReset = g_System.m_bResetVarsFree;
        break;
      default:
        break;
    }
  }
  if (bReset != 0) m_CommonVars = m_VarsAtStart;
  m_nGameScore = m_nScoreAtStart;
}

namespace {

// Copies carried property k between a hero definition and its stored copy.
void CopyCarriedProperty(int k, cEdChara& to, const cEdChara& from) {
  switch (k) {
    case 0:
      to.m_nGraphic = from.m_nGraphic;
      to.m_nGraphicKind = from.m_nGraphicKind;
      to.m_nGraphicRow = from.m_nGraphicRow;
      break;
    case 1:
      to.m_nAnimeSet = from.m_nAnimeSet;
      break;
    case 2:
      to.m_nZ = from.m_nZ;
      break;
    case 3:
      to.m_bTransparent = from.m_bTransparent;
      break;
    case 4:
      to.m_nCharaEffect = from.m_nCharaEffect;
      to.m_nCharaEffectMode = from.m_nCharaEffectMode;
      to.m_bCharaEffectLoop = from.m_bCharaEffectLoop;
      break;
    case 5:
      to.m_bFixDir = from.m_bFixDir;
      break;
    case 6:
      to.m_nFly = from.m_nFly;
      break;
    case 7:
      to.m_nInvincible = from.m_nInvincible;
      break;
    case 8:
      to.m_nGiant = from.m_nGiant;
      break;
    case 9:
      to.m_bScrollSync = from.m_bScrollSync;
      break;
    case 10:
      to.m_nSightShape = from.m_nSightShape;
      to.m_nSight = from.m_nSight;
      break;
    case 13:
      to.m_nMaxHp = from.m_nMaxHp;
      break;
    case 14:
      to.m_nMaxSp = from.m_nMaxSp;
      break;
    case 15:
      to.m_nBodyBox = from.m_nBodyBox;
      break;
    case 16:
      to.m_nPower = from.m_nPower;
      break;
    case 17:
      to.m_nImpact = from.m_nImpact;
      break;
    case 18:
      to.m_nDefence = from.m_nDefence;
      break;
    case 19:
      to.m_nImpactResist = from.m_nImpactResist;
      break;
    case 20:
      to.m_nStop = from.m_nStop;
      break;
    case 21:
      AssignFlowList(to.m_vFlow, from.m_vFlow);
      break;
    default:
      break;
  }
}

}  // namespace

void cPlayData::StoreHeroStatus(int n, const cEdChara& chara, int nHp, int nSp, int16_t nEffect,
                                int nEffectParam, int8_t cEffectFlag, int nTime, int nLives,
                                int nBgm) {
  m_bHeroStored = 1;
  cHeroStatus& status = m_HeroStatus.At(n);
  for (int k = 0; k < kStoredFlagCount; ++k) {
    if (g_System.m_abCarryOver.At(k) == 0) continue;
    switch (k) {
      case 4:  // the running character effect, not the definition's
        status.m_Chara.m_nCharaEffect = nEffect;
        status.m_Chara.m_nCharaEffectMode = static_cast<int8_t>(nEffectParam & 0xFF);
        status.m_Chara.m_bCharaEffectLoop = cEffectFlag;
        break;
      case 11:
        status.m_nHp = nHp;
        break;
      case 12:
        status.m_nSp = nSp;
        break;
      case 22:
        status.m_nTime = nTime;
        break;
      case 23:
        status.m_nLives = nLives;
        break;
      case 24:
        status.m_nBgmNo = nBgm;
        break;
      default:
        CopyCarriedProperty(k, status.m_Chara, chara);
        break;
    }
    m_StoredFlags.At(k) = 1;
  }
}

void cPlayData::RestoreHeroStatus(int n, cEdChara& chara, cEdStage*) {
  if (m_bHeroStored == 0) return;
  const cHeroStatus& status = m_HeroStatus.At(n);
  for (int k = 0; k < kStoredFlagCount; ++k) {
    if (k == 11 || k == 12) continue;
    if (g_System.m_abCarryOver.At(k) == 0 || m_StoredFlags.At(k) == 0) continue;
    switch (k) {
      case 0:
        CopyCarriedProperty(k, chara, status.m_Chara);
        if (chara.m_nGraphic == 0) chara.m_nGraphic = 1;
        break;
      case 22:
        g_Stage.m_nTimeLimit = status.m_nTime;
        break;
      case 23:
        m_nLives = status.m_nLives;
        break;
      case 24:
        g_Stage.m_nBgm = status.m_nBgmNo;
        break;
      default:
        CopyCarriedProperty(k, chara, status.m_Chara);
        break;
    }
  }
}

void cPlayData::RestoreHeroExtra(int n, int* pHp, int* pSp) {
  if (m_bHeroStored == 0) return;
  const cHeroStatus& status = m_HeroStatus.At(n);
  if (g_System.m_abCarryOver.At(11) != 0 && m_StoredFlags.At(11) != 0) *pHp = status.m_nHp;
  if (g_System.m_abCarryOver.At(12) != 0 && m_StoredFlags.At(12) != 0) *pSp = status.m_nSp;
}

void cPlayData::ClearCarryOverFlags(int) {
  for (int i = 0; static_cast<size_t>(i) < g_System.m_abDropOnMiss.size(); ++i)
    if (g_System.m_abDropOnMiss.At(i) != 0) m_StoredFlags.At(i) = 0;
}

void cPlayData::RestartWorld() {
  ++m_nRestartCount;
  m_ClearedFlags.Fill(0);
  m_nMapX = g_WorldMap.m_nStartX;
  m_nMapY = g_WorldMap.m_nStartY;
}

void cPlayData::StepRankingGenre(int nMode, int nStep) {
  cCheckedVector<uint8_t>& genres = g_System.m_RankGenres.At(nMode).m_abGenres;
  bool bAny = false;
  for (int g = 0; g < kRankingGenreCount; ++g)
    if (genres.At(g) != 0) bAny = true;
  if (!bAny) return;
  auto next = [&](int nDelta) {
    do {
      m_nRankingGenre = (m_nRankingGenre + nDelta + kRankingGenreCount) % kRankingGenreCount;
    } while (genres.At(m_nRankingGenre) == 0);
  };
  if (m_nRankingGenre < 0 || m_nRankingGenre >= kRankingGenreCount) m_nRankingGenre = 0;
  if (nStep > 0) {
    for (int i = 0; i < nStep; ++i) next(1);
  } else if (nStep < 0) {
    for (int i = 0; i < -nStep; ++i) next(-1);
  } else if (genres.At(m_nRankingGenre) == 0) {
    next(1);
  }
}

void cPlayData::ClearStageCounters() {
  m_nGameScore = 0;
  m_nTimeLeftSum = 0;
  m_nClearTimeSum = 0;
  m_nHpSum = 0;
  m_nSpSum = 0;
}
