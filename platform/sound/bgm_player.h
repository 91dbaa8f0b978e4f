#pragma once
// Background music: a small table of tracks (one per music slot), each with
// an Ogg path and a MIDI path, played on a channel, Ogg first, falling back
// to MIDI. One instance, g_BgmPlayer; the music requests reach it on the main
// thread. The path tables belong to the caller; SetTrack overwrites them.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sound/midi_stream.h"
#include "platform/sound/ogg_player.h"

inline constexpr int kOggPathSize = 260;
inline constexpr int kMidiPathSize = 264;

// The Ogg side: one player per channel, made by the Ogg player factory.
class cVox {
 public:
  int Init();  // 0 when there is no Ogg player factory
  int CreatePlayers(int nCount);
  int Play(int nChannel, const char* pszPath, int bLoop);
  void Stop();
  void Release();

  std::vector<std::unique_ptr<cOggPlayer>> m_lpPlayers;
  int m_nPlayers = 0;
  int m_nPlaying = -1;
  OggPlayerFactory m_lpfnCreateVox;
};

// The MIDI side: one stream per channel, null when the channel has none.
class cMidiList {
 public:
  void StopAll(int bPause);
  int Play(int nChannel, const char* pszPath, int bLoop);
  void DeleteAll();

  std::vector<std::unique_ptr<cMidiStream>> m_vStreams;
};

class cBgmPlayer {
 public:
  cBgmPlayer() = default;
  ~cBgmPlayer();
  cBgmPlayer(const cBgmPlayer&) = delete;
  cBgmPlayer& operator=(const cBgmPlayer&) = delete;

  // 1 on success; 0 when Ogg playback is not available (MIDI still plays).
  int Init(int nChannels, char (*lpOggPath)[kOggPathSize], char (*lpMidiPath)[kMidiPathSize],
           int nTracks);
  int SetChannelCount(int nChannels);
  int SetTrack(int nTrack, const char* pszFileName);
  int Play(int nChannel, int nTrack, int bLoop, int bMidiPause, int bForce);
  void Stop();
  void Release();

  enum { kKindEither = 0, kKindOgg = 1, kKindMidi = 2 };
  enum { kChannelNone = 0, kChannelOgg = 1, kChannelMidi = 2 };

  int m_bInit = 0;
  cVox m_Vox;
  char (*m_lpOggPath)[kOggPathSize] = nullptr;
  cMidiList m_Midi;
  char (*m_lpMidiPath)[kMidiPathSize] = nullptr;
  int m_nTrack = -1;
  std::vector<int32_t> m_TrackKind;
  std::vector<int32_t> m_ChannelKind;

 private:
  bool m_bOutput = false;  // holds the audio output
};

extern cBgmPlayer g_BgmPlayer;
