#include "app/core/option_data.h"

#include <algorithm>
#include <array>

#include "app/base/report_log.h"
#include "app/core/sound_table.h"
#include "records/data_path.h"

cOptionData g_OptionData;

cOptionData::cOptionData() {
  cOptionData::RegisterFields(DATA_VERSION);
  SetDefaults();
}

void cOptionData::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_nPalette);
  AddField(&m_bBgm);
  AddField(&m_nSeVolume);
  AddField(&m_nRankMode);
  AddString(&m_strRankName);
}

void cOptionData::SetDefaults() {
  Clear();
  m_nPalette = 0;
  m_bBgm = 1;
  m_nSeVolume = 7;
  m_nRankMode = 0;
  m_strRankName = "aaa";
}

namespace {

bool ClampField(int32_t& nValue, int32_t nMax) {
  const int32_t nClamped = std::clamp(nValue, 0, nMax);
  const bool bChanged = nClamped != nValue;
  nValue = nClamped;
  return bChanged;
}

}  // namespace

bool cOptionData::Clamp() {
  bool bChanged = ClampField(m_nPalette, kPaletteNumberMax);
  bChanged |= ClampField(m_bBgm, 1);
  bChanged |= ClampField(m_nSeVolume, kSeVolumeLevelMax);
  bChanged |= ClampField(m_nRankMode, kRankModeMax);
  return bChanged;
}

bool LoadOptionData() {
  const std::string& strPath = g_DataPath[DATAPATH_OPTION];
  // Read into a copy, so a file that fails half-way changes nothing.
  cOptionData loaded(g_OptionData);
  if (!loaded.LoadFromFile(strPath)) return false;
  const cOptionData stored(loaded);
  if (loaded.Clamp())
    ReportLog(
        "%s : values out of range were brought into range (palette %d, music %d, volume %d, "
        "ranking mode %d)",
        strPath.c_str(), stored.m_nPalette, stored.m_bBgm, stored.m_nSeVolume, stored.m_nRankMode);
  g_OptionData = loaded;
  return true;
}

bool SaveOptionData() { return g_OptionData.SaveToFile(g_DataPath[DATAPATH_OPTION]); }

int SeVolumeOfLevel(int nLevel) {
  static constexpr std::array<int, kSeVolumeLevelMax + 1> kVolumes = {
      -10000, -3000, -2000, -1300, -800, -500, -300, -150, -80, -30, 0};
  return kVolumes[static_cast<size_t>(std::clamp(nLevel, 0, kSeVolumeLevelMax))];
}

void ApplySeVolume(int nLevel) {
  const int nVolume = SeVolumeOfLevel(nLevel);
  DS_WaitForLoad();  // the counts below are the loaded ones
  for (SOUNDDATA& sd : g_SoundData)
    for (int i = 0; i < sd.nBuffers; ++i) DS_SetVolume(sd, i, nVolume, 0);
}
