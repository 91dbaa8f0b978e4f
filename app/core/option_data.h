#pragma once
// The user's own settings, "user_data\Option.dat": the 8-bit palette number,
// the music switch, the sound-effect volume level and how rankings are
// registered. Loaded once at start-up, changed and saved by the option scene.

#include <cstdint>
#include <string>

#include "records/record.h"

// Ranges of the four numbers.
inline constexpr int kPaletteNumberMax = 23;
inline constexpr int kSeVolumeLevelMax = 10;
inline constexpr int kRankModeMax = 3;

class cOptionData : public cRecord {
 public:
  cOptionData();
  cOptionData(const cOptionData&) = default;
  cOptionData& operator=(const cOptionData&) = default;
  void RegisterFields(int nVersion) override;

  // The values of a new user.
  void SetDefaults();
  // Brings every number back into its range; true when one was out.
  bool Clamp();

  int32_t m_nPalette = 0;   // 8-bit screen colours "bmp\hbt\hbt%s.dat", 0 .. 23
  int32_t m_bBgm = 1;       // music on
  int32_t m_nSeVolume = 7;  // sound-effect volume level, 0 .. 10
  int32_t m_nRankMode = 0;  // ranking registration mode, 0 .. 3
  std::string m_strRankName = "aaa";
};

extern cOptionData g_OptionData;

// Loads g_OptionData from "user_data\Option.dat". A missing or damaged file
// leaves the values as they were (a damaged one is reported by the reader);
// numbers out of range are clamped with one report-log line. True when the
// file was read.
bool LoadOptionData();
// Saves g_OptionData to "user_data\Option.dat" in one piece.
bool SaveOptionData();

// The volume of a level in hundredths of a decibel (-10000 silent .. 0 full);
// levels outside 0 .. 10 take the nearest end.
int SeVolumeOfLevel(int nLevel);
// Gives every buffer of every sound of the sound table the level's volume.
void ApplySeVolume(int nLevel);
