#include "records/system.h"

#include <algorithm>

#include "app/base/report_log.h"
#include "app/base/sjis.h"
#include "records/database.h"

cSystem g_System;

void ResetSystemRecord() { g_System = cSystem(); }

// ---- Element records ------------------------------------------------------

void cStatusItem::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddField(&m_bShow);
  AddField(&m_bIcon);
  AddField(&m_nDigits);
  if (nVersion >= 204) AddField(&m_bShowNumber);
  if (nVersion >= 587) {
    AddField(&m_nThreshold);
    AddField(&m_bPercent);
  }
  AddString(&m_strLabel);
}

void cStatusItem::Load(cRecordReader& file) {
  cRecord::Load(file);
  if (g_nFileVersion < 204) m_bShowNumber = 1;
}

void cStatusItem::Save(cRecordWriter& file) {
  EmptyHook();
  cRecord::Save(file);
}

void cGenreFlags::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_bEnabled);
}

void cGenreFlags::Load(cRecordReader& file) {
  cRecord::Load(file);
  ReadByteVector(m_abGenres, file);
}

void cGenreFlags::Save(cRecordWriter& file) {
  EmptyHook();
  cRecord::Save(file);
  SaveByteVector(m_abGenres, file);
}

void cMenuItem::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_bShow);
  AddString(&m_strCaption);
}

void cIniEntry::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_nType);
  AddString(&m_strKey);
  AddField(&m_nValue);
  AddString(&m_strValue);
}

void cIniEntry::SetInt(const std::string& strKey, int32_t nValue) {
  m_strKey = strKey;
  m_nType = 0;
  m_nValue = nValue;
}

void cIniEntry::SetString(const std::string& strKey, const std::string& strValue) {
  m_strKey = strKey;
  m_nType = 1;
  m_strValue = strValue;
}

void SaveMenuItems(cCheckedVector<cMenuItem>& items, cRecordWriter& file) {
  SaveRecordVector(items, file);
}

void SaveIniEntries(cCheckedVector<cIniEntry>& entries, cRecordWriter& file) {
  SaveRecordVector(entries, file);
}

// ---- cSystem --------------------------------------------------------------

cSystem::cSystem() {
  RegisterFields(DATA_VERSION);
  SetDefaults();
}

void cSystem::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddString(&m_strTitle);
  if (nVersion >= 185) AddField(&m_bExtraLife);
  AddField(&m_nExtraLifeScore);
  AddField(&m_bPauseHidesStage);
  AddField(&m_bMainFontFlag);
  if (nVersion >= 205) AddField(&m_nFontFace);
  if (nVersion >= 170) AddField(&m_nFontSetting);
  if (nVersion >= 113) AddField(&m_bKeepMarkedFlows);
  if (nVersion >= 184) AddField(&m_bReplay);
  if (nVersion >= 157) AddField(&m_bMenuPicture);
  AddField(&m_bCarryLives);
  if (nVersion >= 191) {
    AddField(&m_bRetryMenu);
    AddField(&m_bMapShowsLives);
  }
  AddField(&m_nStageCount);
  AddField(&m_bSelectAllStages);
  if (nVersion >= 167) {
    AddField(&m_bMapShowsScore);
    AddField(&m_bMenuShowsTotal);
  }
  if (nVersion >= 188) AddField(&m_bResetVarsStory);
  if (nVersion >= 224) AddField(&m_bPauseRetryStory);
  if (nVersion >= 167) {
    AddField(&m_bSelectShowsScores);
    AddField(&m_bSelectShowsTotal);
  }
  if (nVersion >= 188) AddField(&m_bResetVarsChallenge);
  if (nVersion >= 224) AddField(&m_bPauseRetryChallenge);
  if (nVersion >= 188) AddField(&m_bResetVarsFree);
  if (nVersion >= 192) AddField(&m_bResetVarsDirect);
  if (nVersion >= 187) {
    AddField(&m_nBitmapFormat);
    AddField(&m_cbTransRed);
    AddField(&m_cbTransGreen);
    AddField(&m_cbTransBlue);
  }
  if (nVersion >= 214) AddField(&m_nScrollCarryMode);
  if (nVersion >= 221 && nVersion < 260) AddRetiredField<int32_t>();
  if (nVersion >= 261) AddField(&m_nScaleAnchorMode);
  if (nVersion >= 272) AddField(&m_bKeepDefeated);
  if (nVersion >= 287) AddField(&m_bCharaColours);
  if (nVersion >= 515) AddField(&m_nColourStep);
  if (nVersion >= 289) AddField(&m_bColourCycle);
  if (nVersion >= 525) AddField(&m_bRepeatRaise);
  if (nVersion >= 555) AddField(&m_bShotMode);
  if (nVersion >= 637) AddField(&m_bSummonMode);
  if (nVersion >= 669) AddField(&m_bKeySeqMode);
  if (nVersion >= 677) AddField(&m_bHitMode);
  if (nVersion >= 695) AddField(&m_bSignedMoveTime);
  if (nVersion >= 670) {
    AddField(&m_nD3DDepth);
    AddField(&m_nDDDepth);
  }
}

void cSystem::Load(cRecordReader& file) {
  cRecord::Load(file);
  const int nVersion = g_nFileVersion;
  ReadByteVector(m_abCarryOver, file);
  if (nVersion >= 501) ReadByteVector(m_abDropOnMiss, file);
  ReadRecordVector(m_StatusItems, file);
  ReadIntVector(m_anLives, file);
  if (nVersion >= 191) ReadIntVector(m_abInfiniteLives, file);
  if (nVersion >= 186) ReadRecordVector(m_RankGenres, file);
  ReadStringVector(m_Texts, file);
  ReadStringVector(m_SystemSounds, file);
  ReadIntVector(m_anSceneBgm, file);
  if (nVersion >= 202) ReadByteVector(m_abBgmRepeat, file);
  ReadRecordVector(m_TitleMenu, file);
  ReadRecordVector(m_GameMenu, file);
  ReadRecordVector(m_OptionMenu, file);
  if (nVersion >= 674) ReadStringVector(m_RankModeNames, file);
  ReadRecordVector(m_IniEntries, file);
  if (nVersion < DATA_VERSION) Migrate();
  ClampBgmIndices();
  ClampStageCount(file);
}

void cSystem::Save(cRecordWriter& file) {
  ClampBgmIndices();
  cRecord::Save(file);
  SaveByteVector(m_abCarryOver, file);
  SaveByteVector(m_abDropOnMiss, file);
  SaveRecordVector(m_StatusItems, file);
  SaveIntVector(m_anLives, file);
  SaveIntVector(m_abInfiniteLives, file);
  SaveRecordVector(m_RankGenres, file);
  SaveStringVector(m_Texts, file);
  SaveStringVector(m_SystemSounds, file);
  SaveIntVector(m_anSceneBgm, file);
  SaveByteVector(m_abBgmRepeat, file);
  SaveMenuItems(m_TitleMenu, file);
  SaveMenuItems(m_GameMenu, file);
  SaveMenuItems(m_OptionMenu, file);
  SaveStringVector(m_RankModeNames, file);
  SaveIniEntries(m_IniEntries, file);
}

namespace {

// Resizes the vector to nSize, then inserts value at k (shifting the rest
// toward the end, the last entry lost).
template <class Vec, class T>
void InsertAt(Vec& v, size_t nSize, int k, const T& value) {
  v.resize(nSize);
  InsertShifted(v, k);
  v.At(k) = value;
}

// Inserts an integer entry at k of the ten option entries.
void InsertIntEntry(cCheckedVector<cIniEntry>& entries, int k, const char* pszKey, int32_t nValue) {
  entries.resize(kIniEntryCount);
  InsertShifted(entries, k);
  entries.At(k).SetInt(pszKey, nValue);
}

}  // namespace

// Brings the members of an older file up to the current version, oldest
// change first.
void cSystem::Migrate() {
  const int v = g_nFileVersion;
  if (v < 113) m_bKeepMarkedFlows = 0;
  if (v < 157) m_bMenuPicture = 0;
  if (v < 167) {
    m_bMapShowsScore = 1;
    m_bMenuShowsTotal = 1;
    m_bSelectShowsScores = 1;
    m_bSelectShowsTotal = 1;
  }
  if (v < 168) InsertAt(m_abCarryOver, kCarriedPropertyCount, 16, uint8_t{1});
  if (v < 169) {
    m_GameMenu.resize(4);
    InsertShifted(m_GameMenu, 1);
    m_GameMenu.At(1).m_bShow = 1;
    m_GameMenu.At(1).m_strCaption = "オートセーブ";
    InsertAt(m_Texts, kSystemTextCount, 12,
             std::string("保存先が不明です！一度は「セーブ」して下さい！"));
    InsertAt(m_Texts, kSystemTextCount, 12, std::string("オートセーブＯＦＦ"));
    InsertAt(m_Texts, kSystemTextCount, 12, std::string("オートセーブＯＮ"));
  }
  if (v < 170) m_nFontSetting = 0;
  if (v < 181) {
    for (int i = 0; i < 4; ++i) {
      cCheckedVector<uint8_t>& genres = m_RankGenres.At(i).m_abGenres;
      genres.resize(5);
      genres.At(3) = 0;
      genres.At(4) = 0;
    }
    InsertAt(m_Texts, kSystemTextCount, 8, std::string("残りHP"));
    InsertAt(m_Texts, kSystemTextCount, 9, std::string("残りSP"));
  }
  if (v < 184) m_bReplay = 1;
  if (v < 185) m_bExtraLife = 1;
  if (v < 187) {
    m_nBitmapFormat = 0;
    m_cbTransRed = 0;
    m_cbTransGreen = 177;
    m_cbTransBlue = 0;
  }
  if (v < 188) {
    m_bResetVarsStory = 1;
    m_bResetVarsChallenge = 1;
    m_bResetVarsFree = 1;
  }
  if (v < 191) {
    m_abInfiniteLives.assign({0, 0, 0, 1});
    m_bRetryMenu = 0;
    m_bMapShowsLives = 0;
  }
  if (v < 192) m_bResetVarsDirect = 1;
  if (v < 193) {
    InsertAt(m_Texts, kSystemTextCount, 22, std::string("リトライ"));
    InsertAt(m_Texts, kSystemTextCount, 23, std::string("マップへ戻る"));
  }
  if (v < 201) InsertAt(m_abCarryOver, kCarriedPropertyCount, 14, uint8_t{0});
  if (v < 202) m_abBgmRepeat.assign(4, 1);
  if (v < 205) m_nFontFace = 60;
  if (v < 210) InsertAt(m_abCarryOver, kCarriedPropertyCount, 9, uint8_t{0});
  if (v < 214) m_nScrollCarryMode = 1;
  if (v < 224) {
    m_bPauseRetryStory = 0;
    m_bPauseRetryChallenge = 0;
  }
  if (v < 261) m_nScaleAnchorMode = 1;
  if (v < 272) m_bKeepDefeated = 0;
  if (v < 286) {
    InsertIntEntry(m_IniEntries, 0, "Direct3D", 1);
    if (m_IniEntries.At(3).m_nValue >= 3) m_IniEntries.At(3).m_nValue = 2;
  }
  if (v < 287) m_bCharaColours = 0;
  if (v < 289) m_bColourCycle = m_nBitmapFormat == 0 ? 1 : 0;
  if (v < 501) m_abDropOnMiss.assign(kCarriedPropertyCount, 0);
  if (v < 515) m_nColourStep = 16;
  if (v < 525) m_bRepeatRaise = 1;
  if (v < 555) m_bShotMode = 1;
  if (v < 567) InsertIntEntry(m_IniEntries, 4, "DD_VideoStretch", 0);
  if (v < 568) {
    InsertIntEntry(m_IniEntries, 4, "D3D_FontCache", 0);
    InsertIntEntry(m_IniEntries, 5, "DD_FontCache", 1);
  }
  if (v < 587) {
    m_StatusItems.resize(kStatusItemCount);
    for (int i : {2, 3}) {
      m_StatusItems.At(i).m_nThreshold = 33;
      m_StatusItems.At(i).m_bPercent = 1;
    }
  }
  if (v < 637) m_bSummonMode = v <= 616 ? 1 : 0;
  if (v < 669) m_bKeySeqMode = 1;
  if (v < 670) {
    m_nD3DDepth = 0;
    m_nDDDepth = 2;
  }
  if (v < 672) {
    m_IniEntries.resize(kIniEntryCount);
    m_IniEntries.At(9).SetInt("English", 0);
  }
  if (v < 677) m_bHitMode = 1;
  if (v < 695) m_bSignedMoveTime = 1;
}

void cSystem::ClampStageCount(const cRecordReader& file) {
  const int32_t nClamped = std::clamp(m_nStageCount, 0, kMaxStageCount);
  if (nClamped == m_nStageCount) return;
  ReportLog("%s : stage count %d out of range, %d used", file.Name().c_str(),
            static_cast<int>(m_nStageCount), static_cast<int>(nClamped));
  m_nStageCount = nClamped;
}

void cSystem::ClampBgmIndices() {
  const size_t nRows = g_Database.m_Bgm.size();
  for (int32_t& nBgm : m_anSceneBgm)
    if (static_cast<uint32_t>(nBgm) >= nRows) nBgm = 0;
}

int cSystem::CountRankingGenres(int nMode) {
  const cGenreFlags& flags = m_RankGenres.At(nMode);
  if (!flags.m_bEnabled) return 0;
  return static_cast<int>(std::count_if(flags.m_abGenres.begin(), flags.m_abGenres.end(),
                                        [](uint8_t b) { return b != 0; }));
}

// ---- Helpers of the front end and the status display ----------------------

int StatusItemReached(int nItem, int nValue, int nMax) {
  const cStatusItem& item = g_System.m_StatusItems.At(nItem);
  if (item.m_bPercent) {
    // As a double division: a maximum of 0 gives +/-infinity (or NaN for 0/0).
    if (nMax == 0) return nValue < 0 ? 1 : 0;
    return nValue * 100.0 / nMax <= item.m_nThreshold ? 1 : 0;
  }
  return nValue <= item.m_nThreshold ? 1 : 0;
}

namespace {

int WidestSystemText(int nFirst, int nCount, int bIndent) {
  int nWidest = 0;
  for (int i = 0; i < nCount; ++i)
    nWidest = std::max(nWidest, CountChars(g_System.m_Texts.At(nFirst + i).c_str()));
  return nWidest + (bIndent ? 1 : 0);
}

}  // namespace

int CenterSystemTextBlock(int x, int nFirst, int nCount, int bIndent) {
  return x - WidestSystemText(nFirst, nCount, bIndent) * 16 / 2;
}

SYSTEMTEXTBLOCK BuildSystemTextBlock(int nFirst, int nCount, int bIndent) {
  SYSTEMTEXTBLOCK block;
  if (nCount <= 0) return block;
  for (int i = 0; i < nCount; ++i) {
    if (bIndent) block.strText += ' ';
    block.strText += g_System.m_Texts.At(nFirst + i);
    block.strText += '\n';
  }
  // The drawing buffer holds 511 bytes.
  CutToCharBoundary(block.strText, 511);
  block.nWidth = WidestSystemText(nFirst, nCount, bIndent) * 16;
  block.nHeight = nCount * 16;
  return block;
}
