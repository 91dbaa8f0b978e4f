#include "stagedata/progress/save_slots.h"

#include <cstdio>

#include "app/base/format.h"
#include "app/base/report_log.h"
#include "records/data_path.h"
#include "records/system.h"

cCheckedVector<cSaveSlot> g_SaveSlots(kSaveSlotCount);

void cSaveSlot::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_bUsed);
}

cSaveSlot& cSaveSlot::operator=(const cSaveSlot& other) {
  cRecord::operator=(other);
  m_bUsed = other.m_bUsed;
  m_SaveTime = other.m_SaveTime;
  return *this;
}

void cSaveSlot::SetFromPlayData(const cPlayData& data) {
  m_bUsed = 1;
  m_SaveTime = data.m_SaveTime;
}

std::string FormatSaveDate(const SAVETIME& time) {
  std::string strText;
  FormatString(strText, "%04d/%02d/%02d %02d:%02d\n", time.wYear, time.wMonth, time.wDay,
               time.wHour, time.wMinute);
  return strText;
}

void MakeSlotPath(char* pBuffer, int n) {
  std::snprintf(pBuffer, 260, "%s%02d.dat", g_DataPath[DATAPATH_STORY_SLOT].c_str(), n + 1);
}

void InitSaveSlotList(cCheckedVector<cSaveSlot>& slots, unsigned n) {
  slots.clear();
  slots.resize(n);
}

void LoadSaveSlotList(cCheckedVector<cSaveSlot>& slots) {
  for (int i = 0; static_cast<size_t>(i) < slots.size(); ++i) {
    char szPath[260];
    MakeSlotPath(szPath, i);
    // A slot is used when LoadSlot would load it: a damaged file (already in
    // the report log) lists as empty, as a missing one does.
    cPlayData data;
    if (data.LoadFromFile(szPath))
      slots.At(i).SetFromPlayData(data);
    else
      slots.At(i).m_bUsed = 0;
  }
}

void cPlayData::ApplyLivesRule(int nMode) {
  if (g_System.m_abInfiniteLives.At(nMode) != 0) {
    m_nStartLives = m_nLives = kInfiniteLives;
  } else if (m_nLives == kInfiniteLives) {
    m_nLives = g_System.m_anLives.At(nMode);
  }
}

void cPlayData::SaveSlot(int n) {
  m_SaveTime = GetLocalSaveTime();
  char szPath[260];
  MakeSlotPath(szPath, n);
  // A slot whose file could not be written stays as it was on screen too,
  // so the player is not told a game was saved when it was not. The record
  // layer has reported the failure.
  if (!SaveToFile(szPath)) return;
  g_SaveSlots.At(n).SetFromPlayData(*this);
}

int cPlayData::LoadSlot(int n) {
  char szPath[260];
  MakeSlotPath(szPath, n);
  // Load into a copy so that a damaged file leaves the play data as it was.
  cPlayData loaded(*this);
  if (!loaded.LoadFromFile(szPath)) return 0;
  *this = loaded;
  ApplyLivesRule(PLAYMODE_STORY);
  return 1;
}

int cPlayData::LoadChallenge() {
  cPlayData loaded(*this);
  if (!loaded.LoadFromFile(g_DataPath[DATAPATH_CHALLENGE_PROGRESS])) return 0;
  *this = loaded;
  ApplyLivesRule(PLAYMODE_CHALLENGE);
  return 1;
}
