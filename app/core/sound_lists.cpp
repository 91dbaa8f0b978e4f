#include "app/core/sound_lists.h"

#include <cstring>
#include <string>

#include "records/database.h"
#include "records/system.h"

char g_szBgmOggPath[kMusicSlots][kOggPathSize];
char g_szBgmMidiPath[kMusicSlots][kMidiPathSize];

namespace {

constexpr char kFirstOggPath[kMusicSlots][kOggPathSize] = {"bgm\\Title.ogg", "bgm\\WorldMap.ogg",
                                                           "bgm\\Challenge.ogg", "bgm\\Option.ogg",
                                                           "bgm\\Stage.ogg"};
constexpr char kFirstMidiPath[kMusicSlots][kMidiPathSize] = {"bgm\\Title.mid", "bgm\\WorldMap.mid",
                                                             "bgm\\Challenge.mid",
                                                             "bgm\\Option.mid", "bgm\\Stage.mid"};

void SetMusicPathTables() {
  std::memcpy(g_szBgmOggPath, kFirstOggPath, sizeof g_szBgmOggPath);
  std::memcpy(g_szBgmMidiPath, kFirstMidiPath, sizeof g_szBgmMidiPath);
}

const bool g_bPathTablesSet = (SetMusicPathTables(), true);

void SetInfo(SOUNDINFO& info, const std::string& strFile) {
  info = SOUNDINFO{};
  std::strncpy(info.szFileName, strFile.c_str(), sizeof info.szFileName - 1);
  info.nBuffers = 1;
  info.nVolume = 0;
  info.nReserved = 1;
}

}  // namespace

void BuildSoundList() {
  const int nRows = static_cast<int>(g_Database.m_Sound.size());
  const int nCount = nRows + kSoundRowBase;
  for (SOUNDDATA& sd : g_SoundData) DS_ReleaseSound(sd);
  g_SoundData.assign(static_cast<size_t>(nCount), SOUNDDATA{});
  g_SoundInfo.assign(static_cast<size_t>(nCount), SOUNDINFO{});
  for (int i = 0; i < kSystemSoundCount; ++i)
    SetInfo(g_SoundInfo.At(i), g_System.m_SystemSounds.At(i));
  for (int k = 1; k < nRows; ++k)
    SetInfo(g_SoundInfo.At(k + kSoundRowBase), g_Database.m_Sound.At(k).m_strFile);
}

int InitMusicPlayer() { return g_BgmPlayer.Init(1, g_szBgmOggPath, g_szBgmMidiPath, kMusicSlots); }

void ResetSoundLists() {
  for (SOUNDDATA& sd : g_SoundData) DS_ReleaseSound(sd);
  g_SoundData.clear();
  g_SoundInfo.clear();
  SetMusicPathTables();
}
