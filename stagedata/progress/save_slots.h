#pragma once
// The 99 story save slots ("user_data\story\Story01.dat" .. "Story99.dat")
// and the list of them that the menus show.

#include <cstdint>
#include <string>

#include "app/base/checked_containers.h"
#include "records/record.h"
#include "stagedata/progress/play_data.h"

inline constexpr int kSaveSlotCount = 99;

class Font;
struct DDSURFACEDATA;

class cSaveSlot : public cRecord {
 public:
  cSaveSlot() { cSaveSlot::RegisterFields(DATA_VERSION); }
  cSaveSlot(const cSaveSlot& other)
      : cRecord(other), m_bUsed(other.m_bUsed), m_SaveTime(other.m_SaveTime) {}
  cSaveSlot& operator=(const cSaveSlot& other);
  void RegisterFields(int nVersion) override;

  void SetFromPlayData(const cPlayData& data);
  // Draws the save time ("2024/03/02 09:05") with the menu font; nothing for
  // a slot not in use.
  void DrawDate(Font& font, DDSURFACEDATA* lpTarget, int x, int y) const;

  int32_t m_bUsed = 0;
  SAVETIME m_SaveTime;
};

// Writes the file name of slot n (0..98) into a 260-byte buffer.
void MakeSlotPath(char* pBuffer, int n);
void InitSaveSlotList(cCheckedVector<cSaveSlot>& slots, unsigned n);
// Refreshes every slot's used flag and time from the slot files.
void LoadSaveSlotList(cCheckedVector<cSaveSlot>& slots);

// The text DrawDate shows: year, month, day, hour and minute.
std::string FormatSaveDate(const SAVETIME& time);

// Draws nCount 16-pixel lines of the slot list from slot nFirst in a
// 320-pixel window: the slot number as the user counts it and its date, with
// a separator under every line but the last.
void DrawSaveSlotList(Font& font, DDSURFACEDATA* lpTarget, int x, int y,
                      cCheckedVector<cSaveSlot>& slots, unsigned nFirst, int nCount);

extern cCheckedVector<cSaveSlot> g_SaveSlots;
