#pragma once
// cPlayData: the progress of one game — lives, scores, the stage being
// played, the world-map position and cleared stages, the common variables,
// best scores and the hero properties carried from stage to stage. Stored in
// the story save slots, the challenge progress file and every replay.

#include <cstdint>
#include <string>

#include "app/base/checked_containers.h"
#include "records/record.h"
#include "stagedata/chara.h"

class cEdStage;
class cEdWorldEntry;

inline constexpr int32_t kInfiniteLives = 999999;
inline constexpr int kClearedFlagCount = 1000;
inline constexpr int kCommonVarCount = 256;
inline constexpr int kStoredFlagCount = 25;
inline constexpr int kRankingGenreCount = 5;

// Local time of a save, as eight 16-bit words in the file.
struct SAVETIME {
  uint16_t wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0;
  uint16_t wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
  bool operator==(const SAVETIME&) const = default;
};
static_assert(sizeof(SAVETIME) == 16);

// The current local time.
SAVETIME GetLocalSaveTime();

// Stored hero properties of one hero.
class cHeroStatus : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cHeroStatus, 256);
  cHeroStatus() { cHeroStatus::RegisterFields(DATA_VERSION); }
  cHeroStatus(const cHeroStatus& other) : cRecord(other) { *this = other; }
  cHeroStatus& operator=(const cHeroStatus& other);
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  cEdChara m_Chara;
  int32_t m_nHp = 0;
  int32_t m_nSp = 0;
  int32_t m_nTime = 0;
  int32_t m_nLives = 0;
  int32_t m_nBgmNo = 0;
};

// Best score of one stage key.
class cStageClearByName : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cStageClearByName, 56);
  cStageClearByName() { cStageClearByName::RegisterFields(DATA_VERSION); }
  cStageClearByName(const cStageClearByName& other) : cRecord(other) { *this = other; }
  cStageClearByName& operator=(const cStageClearByName& other);
  void RegisterFields(int nVersion) override;

  std::string m_strKey;
  int32_t m_nBest = 0;
};

// Result of one numbered challenge stage.
class cStageClear : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cStageClear, 44);
  cStageClear() { cStageClear::RegisterFields(DATA_VERSION); }
  cStageClear(const cStageClear& other) : cRecord(other) { *this = other; }
  cStageClear& operator=(const cStageClear& other);
  void RegisterFields(int nVersion) override;

  int32_t m_bCleared = 0;
  int32_t m_nBest = 0;
};

class cPlayData : public cRecord {
 public:
  cPlayData();
  cPlayData(const cPlayData& other) : cRecord(other) { *this = other; }
  cPlayData& operator=(const cPlayData& other);
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // New-game values.
  void Reset();
  // Fits the record to the world map and the System record, and brings every
  // fixed-length list and index back into range.
  void Validate();
  void ResetHeroStatusList(int n);

  // ---- Progress operations ----
  void SetStagePath(const char* pszPath);
  void UpdateBestScore(const std::string& strKey, int nScore);
  int GetBestScore(const std::string& strKey) const;
  void RecountTotalScore();
  void SaveStageStart();
  void RestoreStageStart(int bAlways);
  void StoreHeroStatus(int n, const cEdChara& chara, int nHp, int nSp, int16_t nEffect,
                       int nEffectParam, int8_t cEffectFlag, int nTime, int nLives, int nBgm);
  void RestoreHeroStatus(int n, cEdChara& chara, cEdStage* pStage);
  void RestoreHeroExtra(int n, int* pHp, int* pSp);
  void ClearCarryOverFlags(int nUnused);
  void RestartWorld();
  void StepRankingGenre(int nMode, int nStep);
  void ClearStageCounters();

  // ---- Save slots and challenge progress ----
  void SaveSlot(int n);
  int LoadSlot(int n);
  int LoadChallenge();
  // The lives rule after loading a slot (mode 0) or the challenge (mode 1).
  void ApplyLivesRule(int nMode);

  // Registered, in file order.
  int32_t m_bHeroStored = 0;
  int32_t m_nMapX = 0;
  int32_t m_nMapY = 0;
  // The world-map entry whose stage is being played; the file keeps a 4-byte
  // slot for it whose loaded value is never used.
  cEdWorldEntry* m_pEntry = nullptr;
  int32_t m_nEntrySlot = 0;
  int32_t m_nRestartCount = 0;
  std::string m_strStageKey;
  int32_t m_nStageNo = 0;
  int32_t m_nPartNo = 0;
  int32_t m_nStartLives = 0;
  int32_t m_nLives = 0;
  int32_t m_nScore = 0;
  int32_t m_nGameScore = 0;
  int32_t m_nBestTotal = 0;
  int32_t m_nTimeLeftSum = 0;
  int32_t m_nClearTimeSum = 0;
  int32_t m_nHpSum = 0;
  int32_t m_nSpSum = 0;
  int32_t m_bMultiPart = 0;
  int32_t m_nBgmNo = 0;
  int32_t m_nBgmLoop = 0;
  int32_t m_nMapDir = 0;
  int32_t m_bLeftStage = 0;
  int32_t m_nPrevMapX = 0;
  int32_t m_nPrevMapY = 0;
  int32_t m_nChallengeOpen = 1;
  int32_t m_nSlot = -1;
  int32_t m_bAutoSave = 0;
  std::string m_strPlayerName = "aaa";
  int32_t m_bShowRanking = 0;
  int32_t m_nRankingGenre = 0;
  int32_t m_bStartOverride = 0;
  int32_t m_nStartOverrideX = 0;
  int32_t m_nStartOverrideY = 0;
  int32_t m_nStartOverrideDir = 0;

  // Extras, in file order.
  SAVETIME m_SaveTime;
  cCheckedVector<int32_t> m_StoredFlags;
  cCheckedVector<cHeroStatus> m_HeroStatus;
  cCheckedVector<cStageClearByName> m_BestByName;
  cCheckedVector<cStageClear> m_StageResults;
  cCheckedVector<int32_t> m_ClearedFlags;
  cCheckedVector<int32_t> m_CommonVars;

  // Never stored: the snapshot at stage start.
  cCheckedVector<int32_t> m_VarsAtStart;
  int32_t m_nLivesAtStart = 0;
  int32_t m_nScoreAtStart = 0;

 private:
  void CopyMembers(const cPlayData& other);
};

std::vector<cHeroStatus>& AssignHeroStatusList(std::vector<cHeroStatus>& target,
                                               const std::vector<cHeroStatus>& source);
std::vector<cStageClearByName>& AssignStageClearByNameList(
    std::vector<cStageClearByName>& target, const std::vector<cStageClearByName>& source);
std::vector<cStageClear>& AssignStageClearList(std::vector<cStageClear>& target,
                                               const std::vector<cStageClear>& source);

// Kinds of game, as the scene manager names them.
enum : int { GAMEKIND_STORY = 0, GAMEKIND_CHALLENGE = 1, GAMEKIND_FREE = 2, GAMEKIND_REPLAY = 3 };

// The kind of game being played (the scene manager keeps it up to date) and
// whether the program was started directly on a stage (the editor's test play).
extern int g_nGameKind;
extern int g_bTestPlay;

extern cPlayData g_PlayData;       // the live progress
extern cPlayData g_PlayDataStart;  // as it was when the current attempt started
extern cPlayData g_PlayDataPrev;   // the same for the previous attempt
