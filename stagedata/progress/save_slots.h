#pragma once
// The 99 story save slots ("user_data\story\Story01.dat" .. "Story99.dat")
// and the list of them that the menus show.

#include <cstdint>
#include <string>

#include "app/base/checked_containers.h"
#include "records/record.h"
#include "stagedata/progress/play_data.h"

inline constexpr int kSaveSlotCount = 99;

class cSaveSlot : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cSaveSlot, 56);
  cSaveSlot() { cSaveSlot::RegisterFields(DATA_VERSION); }
  cSaveSlot(const cSaveSlot& other)
      : cRecord(other), m_bUsed(other.m_bUsed), m_SaveTime(other.m_SaveTime) {}
  cSaveSlot& operator=(const cSaveSlot& other);
  void RegisterFields(int nVersion) override;

  void SetFromPlayData(const cPlayData& data);

  int32_t m_bUsed = 0;
  SAVETIME m_SaveTime;
};

// Writes the file name of slot n (0..98) into a 260-byte buffer.
void MakeSlotPath(char* pBuffer, int n);
void InitSaveSlotList(cCheckedVector<cSaveSlot>& slots, unsigned n);
// Refreshes every slot's used flag and time from the slot files. A slot is
// used exactly when its file loads (cPlayData::LoadSlot would succeed).
void LoadSaveSlotList(cCheckedVector<cSaveSlot>& slots);

// The text a slot's date shows (app/core/menu_text.h): year, month, day,
// hour and minute.
std::string FormatSaveDate(const SAVETIME& time);

extern cCheckedVector<cSaveSlot> g_SaveSlots;
