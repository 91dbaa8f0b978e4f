#include "stagedata/progress/play_data.h"

#include <time.h>

#include <algorithm>

#include "records/system.h"
#include "stagedata/progress/world_map.h"

cPlayData g_PlayData;
cPlayData g_PlayDataStart;
cPlayData g_PlayDataPrev;
int g_nGameKind = GAMEKIND_STORY;
int g_bTestPlay = 0;

SAVETIME GetLocalSaveTime() {
  timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  tm local;
  ::localtime_r(&ts.tv_sec, &local);
  SAVETIME t;
  t.wYear = static_cast<uint16_t>(local.tm_year + 1900);
  t.wMonth = static_cast<uint16_t>(local.tm_mon + 1);
  t.wDayOfWeek = static_cast<uint16_t>(local.tm_wday);
  t.wDay = static_cast<uint16_t>(local.tm_mday);
  t.wHour = static_cast<uint16_t>(local.tm_hour);
  t.wMinute = static_cast<uint16_t>(local.tm_min);
  t.wSecond = static_cast<uint16_t>(local.tm_sec);
  t.wMilliseconds = static_cast<uint16_t>(ts.tv_nsec / 1000000);
  return t;
}

// ---- Sub-records ----------------------------------------------------------

void cHeroStatus::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_nHp);
  AddField(&m_nSp);
  AddField(&m_nTime);
  AddField(&m_nLives);
  AddField(&m_nBgmNo);
}

cHeroStatus& cHeroStatus::operator=(const cHeroStatus& other) {
  cRecord::operator=(other);
  m_Chara = other.m_Chara;
  m_nHp = other.m_nHp;
  m_nSp = other.m_nSp;
  m_nTime = other.m_nTime;
  m_nLives = other.m_nLives;
  m_nBgmNo = other.m_nBgmNo;
  return *this;
}

void cHeroStatus::Load(cRecordReader& file) {
  cRecord::Load(file);
  m_Chara.Load(file);
  EmptyHook();
}

void cHeroStatus::Save(cRecordWriter& file) {
  EmptyHook();
  cRecord::Save(file);
  m_Chara.Save(file);
}

void cStageClearByName::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_nBest);
  AddString(&m_strKey);
}

cStageClearByName& cStageClearByName::operator=(const cStageClearByName& other) {
  cRecord::operator=(other);
  m_strKey = other.m_strKey;
  m_nBest = other.m_nBest;
  return *this;
}

void cStageClear::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_bCleared);
  AddField(&m_nBest);
}

cStageClear& cStageClear::operator=(const cStageClear& other) {
  cRecord::operator=(other);
  m_bCleared = other.m_bCleared;
  m_nBest = other.m_nBest;
  return *this;
}

namespace {

// Makes target as long as source and assigns element by element.
template <class T>
std::vector<T>& AssignList(std::vector<T>& target, const std::vector<T>& source) {
  target.resize(source.size());
  for (size_t i = 0; i < source.size(); ++i) target[i] = source[i];
  return target;
}

// Pads a list read from a file to the length the program indexes.
template <class Vec>
void PadTo(Vec& v, size_t n) {
  if (v.size() < n) v.resize(n);
}

}  // namespace

std::vector<cHeroStatus>& AssignHeroStatusList(std::vector<cHeroStatus>& target,
                                               const std::vector<cHeroStatus>& source) {
  return AssignList(target, source);
}
std::vector<cStageClearByName>& AssignStageClearByNameList(
    std::vector<cStageClearByName>& target, const std::vector<cStageClearByName>& source) {
  return AssignList(target, source);
}
std::vector<cStageClear>& AssignStageClearList(std::vector<cStageClear>& target,
                                               const std::vector<cStageClear>& source) {
  return AssignList(target, source);
}

// ---- cPlayData ------------------------------------------------------------

cPlayData::cPlayData() {
  cPlayData::RegisterFields(DATA_VERSION);
  Reset();
}

void cPlayData::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddField(&m_bHeroStored);
  AddField(&m_nMapX);
  AddField(&m_nMapY);
  AddField(&m_nEntrySlot);
  AddField(&m_nRestartCount);
  AddString(&m_strStageKey);
  AddField(&m_nStageNo);
  AddField(&m_nPartNo);
  AddField(&m_nStartLives);
  AddField(&m_nLives);
  AddField(&m_nScore);
  AddField(&m_nGameScore);
  AddField(&m_nBestTotal);
  AddField(&m_nTimeLeftSum);
  AddField(&m_nClearTimeSum);
  if (nVersion >= 182) {
    AddField(&m_nHpSum);
    AddField(&m_nSpSum);
  }
  AddField(&m_bMultiPart);
  AddField(&m_nBgmNo);
  if (nVersion >= 166) AddField(&m_nBgmLoop);
  if (nVersion >= 194) AddField(&m_nMapDir);
  if (nVersion >= 190) AddField(&m_bLeftStage);
  if (nVersion >= 191) {
    AddField(&m_nPrevMapX);
    AddField(&m_nPrevMapY);
  }
  AddField(&m_nChallengeOpen);
  AddField(&m_nSlot);
  if (nVersion >= 169) AddField(&m_bAutoSave);
  AddString(&m_strPlayerName);
  AddField(&m_bShowRanking);
  AddField(&m_nRankingGenre);
  if (nVersion >= 678) {
    AddField(&m_bStartOverride);
    AddField(&m_nStartOverrideX);
    AddField(&m_nStartOverrideY);
  }
  if (nVersion >= 679) AddField(&m_nStartOverrideDir);
}

void cPlayData::CopyMembers(const cPlayData& other) {
  m_bHeroStored = other.m_bHeroStored;
  m_nMapX = other.m_nMapX;
  m_nMapY = other.m_nMapY;
  m_pEntry = other.m_pEntry;
  m_nEntrySlot = other.m_nEntrySlot;
  m_nRestartCount = other.m_nRestartCount;
  m_strStageKey = other.m_strStageKey;
  m_nStageNo = other.m_nStageNo;
  m_nPartNo = other.m_nPartNo;
  m_nStartLives = other.m_nStartLives;
  m_nLives = other.m_nLives;
  m_nScore = other.m_nScore;
  m_nGameScore = other.m_nGameScore;
  m_nBestTotal = other.m_nBestTotal;
  m_nTimeLeftSum = other.m_nTimeLeftSum;
  m_nClearTimeSum = other.m_nClearTimeSum;
  m_nHpSum = other.m_nHpSum;
  m_nSpSum = other.m_nSpSum;
  m_bMultiPart = other.m_bMultiPart;
  m_nBgmNo = other.m_nBgmNo;
  m_nBgmLoop = other.m_nBgmLoop;
  m_nMapDir = other.m_nMapDir;
  m_bLeftStage = other.m_bLeftStage;
  m_nPrevMapX = other.m_nPrevMapX;
  m_nPrevMapY = other.m_nPrevMapY;
  m_nChallengeOpen = other.m_nChallengeOpen;
  m_nSlot = other.m_nSlot;
  m_bAutoSave = other.m_bAutoSave;
  m_strPlayerName = other.m_strPlayerName;
  m_bShowRanking = other.m_bShowRanking;
  m_nRankingGenre = other.m_nRankingGenre;
  m_bStartOverride = other.m_bStartOverride;
  m_nStartOverrideX = other.m_nStartOverrideX;
  m_nStartOverrideY = other.m_nStartOverrideY;
  m_nStartOverrideDir = other.m_nStartOverrideDir;
  m_SaveTime = other.m_SaveTime;
  m_StoredFlags = other.m_StoredFlags;
  AssignHeroStatusList(m_HeroStatus, other.m_HeroStatus);
  AssignStageClearByNameList(m_BestByName, other.m_BestByName);
  AssignStageClearList(m_StageResults, other.m_StageResults);
  m_ClearedFlags = other.m_ClearedFlags;
  m_CommonVars = other.m_CommonVars;
  m_VarsAtStart = other.m_VarsAtStart;
  m_nLivesAtStart = other.m_nLivesAtStart;
  m_nScoreAtStart = other.m_nScoreAtStart;
}

cPlayData& cPlayData::operator=(const cPlayData& other) {
  if (this == &other) return *this;
  cRecord::operator=(other);
  CopyMembers(other);
  return *this;
}

void cPlayData::ResetHeroStatusList(int n) {
  m_HeroStatus.clear();
  m_HeroStatus.resize(static_cast<size_t>(std::max(n, 0)));
}

void cPlayData::Reset() {
  Clear();
  m_pEntry = nullptr;
  m_StoredFlags.assign(kStoredFlagCount, 0);
  ResetHeroStatusList(1);
  m_ClearedFlags.assign(kClearedFlagCount, 0);
  m_ClearedFlags.At(0) = 1;
  m_CommonVars.assign(kCommonVarCount, 0);
  m_BestByName.clear();
  m_StageResults.clear();
  m_nChallengeOpen = 1;
  m_nSlot = -1;
  m_strPlayerName = "aaa";
}

void cPlayData::Load(cRecordReader& file) {
  cRecord::Load(file);
  file.Read(m_SaveTime);
  if (g_nFileVersion > 500) ReadIntVector(m_StoredFlags, file);
  ReadRecordVector(m_HeroStatus, file);
  ReadRecordVector(m_BestByName, file);
  ReadRecordVector(m_StageResults, file);
  ReadIntVector(m_ClearedFlags, file);
  ReadIntVector(m_CommonVars, file);
  m_pEntry = nullptr;  // a pointer from another run means nothing
  if (g_nFileVersion < 695) {
    if (g_nFileVersion < 166) m_nBgmLoop = 1;
    if (g_nFileVersion < 169) m_bAutoSave = 0;
    if (g_nFileVersion < 182) m_nHpSum = m_nSpSum = 0;
    if (g_nFileVersion < 190) m_bLeftStage = 0;
    if (g_nFileVersion <= 190) m_nPrevMapX = m_nPrevMapY = 0;
    if (g_nFileVersion < 194) m_nMapDir = 0;
    if (g_nFileVersion <= 500) m_StoredFlags.assign(kStoredFlagCount, 1);
  }
  Validate();
}

void cPlayData::Save(cRecordWriter& file) {
  Validate();
  m_nEntrySlot = 0;
  cRecord::Save(file);
  file.Write(m_SaveTime);
  SaveIntVector(m_StoredFlags, file);
  SaveRecordVector(m_HeroStatus, file);
  SaveRecordVector(m_BestByName, file);
  SaveRecordVector(m_StageResults, file);
  SaveIntVector(m_ClearedFlags, file);
  SaveIntVector(m_CommonVars, file);
}

void cPlayData::Validate() {
  if (m_nMapX >= g_WorldMap.m_nWidth) m_nMapX = g_WorldMap.m_nStartX;
  if (m_nMapY >= g_WorldMap.m_nHeight) m_nMapY = g_WorldMap.m_nStartY;
  // A position left of or above the map cannot be stood on either.
  if (m_nMapX < 0) m_nMapX = g_WorldMap.m_nStartX;
  if (m_nMapY < 0) m_nMapY = g_WorldMap.m_nStartY;

  const int nStages = std::max(g_System.m_nStageCount, 0);
  m_StageResults.resize(static_cast<size_t>(nStages));
  if (m_nChallengeOpen > nStages) m_nChallengeOpen = nStages;

  // Lists that the program indexes by fixed numbers never end early, and
  // stored indexes stay inside what they index.
  PadTo(m_StoredFlags, kStoredFlagCount);
  PadTo(m_HeroStatus, 1);
  PadTo(m_ClearedFlags, kClearedFlagCount);
  PadTo(m_CommonVars, kCommonVarCount);
  if (m_nSlot < -1 || m_nSlot > 98) m_nSlot = -1;
  if (m_nRankingGenre < 0 || m_nRankingGenre >= kRankingGenreCount) m_nRankingGenre = 0;
}
