#pragma once
// cSystem: the project's game-wide settings, loaded once from
// "data\System.dat" into g_System and then only read.
//
// The base part holds the title and 42 plain fields (at data version 695);
// 15 vectors follow it in the file. Engine switches are 0 in a new project
// (the newer behaviour); loading a file saved before a switch existed sets
// the value that keeps that project's old behaviour.

#include <cstdint>
#include <string>

#include "app/base/checked_containers.h"
#include "records/record.h"

// One item of the play scene's status display.
class cStatusItem : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cStatusItem, 76);
  cStatusItem() { RegisterFields(DATA_VERSION); }
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  int32_t m_bShow = 0;
  int32_t m_bIcon = 0;        // an icon of the status picture instead of the label
  int32_t m_nDigits = 0;      // value width in 16-pixel characters
  int32_t m_bShowNumber = 0;  // gauges also print their value (from 204)
  int32_t m_nThreshold = 0;   // warning threshold of a gauge (from 587)
  int32_t m_bPercent = 0;     // the threshold is a percentage (from 587)
  std::string m_strLabel;
};

// Ranking genres of one play mode.
class cGenreFlags : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cGenreFlags, 56);
  cGenreFlags() : m_abGenres(5, 0) { RegisterFields(DATA_VERSION); }
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  int32_t m_bEnabled = 0;
  cCheckedVector<uint8_t> m_abGenres;  // per genre: non-zero = ranked
};

// One menu item.
class cMenuItem : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cMenuItem, 56);
  cMenuItem() { RegisterFields(DATA_VERSION); }
  void RegisterFields(int nVersion) override;

  int32_t m_bShow = 1;
  std::string m_strCaption;
};

// One "System.ini" key with its type and default.
class cIniEntry : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cIniEntry, 76);
  cIniEntry() { RegisterFields(DATA_VERSION); }
  void RegisterFields(int nVersion) override;

  void SetInt(const std::string& strKey, int32_t nValue);
  void SetString(const std::string& strKey, const std::string& strValue);

  int32_t m_nType = 0;  // 0 integer, 1 string
  std::string m_strKey;
  int32_t m_nValue = 0;
  std::string m_strValue;
};

// Play modes that index the per-mode vectors.
enum : int { PLAYMODE_STORY = 0, PLAYMODE_CHALLENGE = 1, PLAYMODE_FREE = 2 };

inline constexpr int kSystemTextCount = 28;
inline constexpr int kSystemSoundCount = 17;
inline constexpr int kCarriedPropertyCount = 25;
inline constexpr int kStatusItemCount = 5;
inline constexpr int kIniEntryCount = 10;

// Most stages a project may have; a stored count beyond it is cut to it (play
// data holds a result per stage).
inline constexpr int32_t kMaxStageCount = 999;

class cSystem : public cRecord {
 public:
  cSystem();

  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // The values of a new project.
  void SetDefaults();
  // Music slots whose row does not exist in g_Database's Bgm table become 0
  // (no music).
  void ClampBgmIndices();
  // A stage count outside 0..kMaxStageCount is cut into it, with a log line
  // naming the file.
  void ClampStageCount(const cRecordReader& file);
  // Number of ranking genres enabled for a play mode (0 when it is off).
  int CountRankingGenres(int nMode);

  // The same switches under the names play, objects and flows use.
  int32_t NoScrollSync() const { return m_nScrollCarryMode; }
  int32_t ScrollCarry() const { return m_nScrollCarryMode; }
  int32_t ScaleFromHitBoxBottom() const { return m_nScaleAnchorMode; }
  int32_t KeepDefeated() const { return m_bKeepDefeated; }
  int32_t InvincibleColours() const { return m_bCharaColours; }
  int32_t AnimatePaletteColours() const { return m_bColourCycle; }
  int32_t AllowRetriggerInFrame() const { return m_bRepeatRaise; }
  int32_t ThunderTightRows() const { return m_bShotMode; }
  int32_t BlockProtection() const { return m_bSummonMode; }
  int32_t AllowOverlappedKeys() const { return m_bKeySeqMode; }
  int32_t LandWhileRising() const { return m_bHitMode; }
  int32_t SignedMoveDuration() const { return m_bSignedMoveTime; }
  int32_t KeepTestFlows() const { return m_bKeepMarkedFlows; }
  // Transparent areas are filled with the transparent pixel, not colour 0.
  int32_t PixelFill() const { return m_nBitmapFormat != 0; }

  std::string m_strTitle;

  // Registered fields, in registration (file) order.
  int32_t m_bExtraLife = 0;
  int32_t m_nExtraLifeScore = 0;
  int32_t m_bPauseHidesStage = 0;
  int32_t m_bMainFontFlag = 0;
  int32_t m_nFontFace = 0;
  int32_t m_nFontSetting = 0;
  int32_t m_bKeepMarkedFlows = 0;
  int32_t m_bReplay = 0;
  int32_t m_bMenuPicture = 0;
  int32_t m_bCarryLives = 0;
  int32_t m_bRetryMenu = 0;
  int32_t m_bMapShowsLives = 0;
  int32_t m_nStageCount = 0;  // 0..kMaxStageCount once loaded
  int32_t m_bSelectAllStages = 0;
  int32_t m_bMapShowsScore = 0;
  int32_t m_bMenuShowsTotal = 0;
  int32_t m_bResetVarsStory = 0;
  int32_t m_bPauseRetryStory = 0;
  int32_t m_bSelectShowsScores = 0;
  int32_t m_bSelectShowsTotal = 0;
  int32_t m_bResetVarsChallenge = 0;
  int32_t m_bPauseRetryChallenge = 0;
  int32_t m_bResetVarsFree = 0;
  int32_t m_bResetVarsDirect = 0;
  int32_t m_nBitmapFormat = 0;  // 0 256 colours with a palette, 1 full colour
  uint8_t m_cbTransRed = 0;
  uint8_t m_cbTransGreen = 0;
  uint8_t m_cbTransBlue = 0;
  int32_t m_nScrollCarryMode = 0;
  int32_t m_nScaleAnchorMode = 0;
  int32_t m_bKeepDefeated = 0;
  int32_t m_bCharaColours = 0;
  int32_t m_nColourStep = 0;
  int32_t m_bColourCycle = 0;
  int32_t m_bRepeatRaise = 0;
  int32_t m_bShotMode = 0;
  int32_t m_bSummonMode = 0;
  int32_t m_bKeySeqMode = 0;
  int32_t m_bHitMode = 0;
  int32_t m_bSignedMoveTime = 0;
  int32_t m_nD3DDepth = 0;
  int32_t m_nDDDepth = 0;

  // Written after the base part, in this order.
  cCheckedVector<uint8_t> m_abCarryOver;      // per carried hero property
  cCheckedVector<uint8_t> m_abDropOnMiss;     // per carried hero property (from 501)
  cCheckedVector<cStatusItem> m_StatusItems;  // total score, stage score, HP, SP, lives
  cCheckedVector<int32_t> m_anLives;          // by play mode
  cCheckedVector<int32_t> m_abInfiniteLives;  // by play mode (from 191)
  cCheckedVector<cGenreFlags> m_RankGenres;   // by play mode (from 186)
  cCheckedVector<std::string> m_Texts;
  cCheckedVector<std::string> m_SystemSounds;
  cCheckedVector<int32_t> m_anSceneBgm;   // Bgm row per music slot, 0 none
  cCheckedVector<uint8_t> m_abBgmRepeat;  // per music slot (from 202)
  cCheckedVector<cMenuItem> m_TitleMenu;
  cCheckedVector<cMenuItem> m_GameMenu;
  cCheckedVector<cMenuItem> m_OptionMenu;
  cCheckedVector<std::string> m_RankModeNames;  // from 674
  cCheckedVector<cIniEntry> m_IniEntries;

 private:
  void Migrate();
};

extern cSystem g_System;

// Puts g_System back to a new project's values (tests).
void ResetSystemRecord();

// Record-vector writers under the names the System record uses.
void SaveMenuItems(cCheckedVector<cMenuItem>& items, cRecordWriter& file);
void SaveIniEntries(cCheckedVector<cIniEntry>& entries, cRecordWriter& file);

// Moves entries k .. size-2 one place toward the end (the last is lost);
// entry k keeps its value for the caller to overwrite. Nothing when
// k >= size - 1.
template <class Vec>
void InsertShifted(Vec& v, int k) {
  const int nSize = static_cast<int>(v.size());
  if (k < 0 || k >= nSize - 1) return;
  for (int i = nSize - 1; i > k; --i) v[static_cast<size_t>(i)] = v[static_cast<size_t>(i) - 1];
}

// 1 when the value is at or below the status item's threshold (or, with its
// percent switch, value x 100 / maximum is).
int StatusItemReached(int nItem, int nValue, int nMax);

// Left edge that centres the block of System texts nFirst .. nFirst+nCount-1
// on x (16-pixel characters, one more when indented).
int CenterSystemTextBlock(int x, int nFirst, int nCount, int bIndent);

// The text and box size DrawSystemTextBlock (app/core/menu_text.h) draws: the texts as lines, each
// preceded by a blank when indented; the box is w x 16 by nCount x 16 pixels.
struct SYSTEMTEXTBLOCK {
  std::string strText;
  int nWidth = 0;
  int nHeight = 0;
};
SYSTEMTEXTBLOCK BuildSystemTextBlock(int nFirst, int nCount, int bIndent);
