#include "stagedata/progress/save_slots.h"

#include <cstdio>

#include "app/base/format.h"
#include "app/base/report_log.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/font/font.h"
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

void cSaveSlot::DrawDate(Font& font, DDSURFACEDATA* lpTarget, int x, int y) const {
  if (m_bUsed == 0) return;
  font.Printf(lpTarget, x, y, "%s", FormatSaveDate(m_SaveTime).c_str());
}

void DrawSaveSlotList(Font& font, DDSURFACEDATA* lpTarget, int x, int y,
                      cCheckedVector<cSaveSlot>& slots, unsigned nFirst, int nCount) {
  constexpr int kLine = 16;
  constexpr int kWidth = 320;
  constexpr uint32_t kSeparatorColour = 240;
  font.DrawWindow(lpTarget, x, y, kWidth, nCount * kLine);
  for (int i = 0; i < nCount; ++i) {
    const int yLine = y + kLine * i;
    // The separator comes before the slot test, so a list cut short by the
    // last slot still shows the separator under its last written line.
    if (i != nCount - 1) DDPalFillRect(lpTarget, x, yLine + kLine - 1, kWidth, 1, kSeparatorColour);
    const uint64_t nSlot = uint64_t{nFirst} + static_cast<uint64_t>(i);
    if (slots.empty() || nSlot >= slots.size()) break;
    font.Printf(lpTarget, x + 16, yLine, "%d", static_cast<int>(nSlot) + 1);
    slots.At(static_cast<int>(nSlot)).DrawDate(font, lpTarget, x + 64, yLine);
  }
}

void MakeSlotPath(char* pBuffer, int n) {
  std::snprintf(pBuffer, 260, "%s%02d.dat", g_DataPath[DATAPATH_STORY_SLOT].c_str(), n + 1);
}

void InitSaveSlotList(cCheckedVector<cSaveSlot>& slots, unsigned n) {
  slots.clear();
  slots.resize(n);
}

void LoadSaveSlotList(cCheckedVector<cSaveSlot>& slots) {
  cPlayData data;
  for (int i = 0; static_cast<size_t>(i) < slots.size(); ++i) {
    char szPath[260];
    MakeSlotPath(szPath, i);
    std::unique_ptr<cRecordReader> pFile = OpenLoadFile(szPath);
    if (pFile == nullptr) {
      slots.At(i).m_bUsed = 0;
      continue;
    }
    slots.At(i).m_bUsed = 1;
    data.Load(*pFile);
    slots.At(i).SetFromPlayData(data);
    CloseFile(pFile);
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
  // so the player is not told a game was saved when it was not.
  if (!SaveToFile(szPath)) {
    ReportLog("%s の保存に失敗しました", szPath);
    return;
  }
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
