#include "platform/sound/bgm_player.h"

#include <cstring>
#include <string>

#include "app/base/message_box.h"
#include "app/base/path_utils.h"
#include "app/base/report_log.h"
#include "platform/sound/audio_output.h"

cBgmPlayer g_BgmPlayer;

namespace {

// Copies a path into a fixed entry, cut to fit.
template <size_t N>
void CopyPath(char (&szEntry)[N], const std::string& strPath) {
  const size_t n = std::min(strPath.size(), N - 1);
  std::memcpy(szEntry, strPath.data(), n);
  szEntry[n] = '\0';
}

template <size_t N>
std::string EntryText(const char (&szEntry)[N]) {
  return std::string(szEntry, strnlen(szEntry, N));
}

}  // namespace

// ---- cVox ----

int cVox::Init() {
  m_lpfnCreateVox = GetOggPlayerFactory();
  if (!m_lpfnCreateVox) {
    ErrorBox("oggの初期化に失敗！");
    return 0;
  }
  return 1;
}

int cVox::CreatePlayers(int nCount) {
  m_lpPlayers.clear();
  m_nPlayers = 0;
  m_nPlaying = -1;
  if (!m_lpfnCreateVox) return 1;
  for (int i = 0; i < nCount; ++i) {
    std::unique_ptr<cOggPlayer> lpPlayer = m_lpfnCreateVox();
    if (!lpPlayer) {
      NoMemoryError();
      break;
    }
    m_lpPlayers.push_back(std::move(lpPlayer));
    m_nPlayers = static_cast<int>(m_lpPlayers.size());
  }
  return 1;
}

int cVox::Play(int nChannel, const char* pszPath, int bLoop) {
  if (pszPath == nullptr || *pszPath == '\0') return 0;
  Stop();
  if (nChannel < 0 || nChannel >= m_nPlayers) return 0;
  cOggPlayer& player = *m_lpPlayers[nChannel];
  player.Unload();
  if (!player.Load(pszPath)) {
    m_nPlaying = -1;
    return 0;
  }
  player.SetLoopCount(bLoop ? kLoopForever : 0);
  player.Play();
  m_nPlaying = nChannel;
  return 1;
}

void cVox::Stop() {
  if (m_nPlaying >= 0 && m_nPlaying < m_nPlayers) m_lpPlayers[m_nPlaying]->Stop();
  m_nPlaying = -1;
}

void cVox::Release() {
  m_lpPlayers.clear();
  m_nPlayers = 0;
  m_nPlaying = -1;
  m_lpfnCreateVox = nullptr;
}

// ---- cMidiList ----

void cMidiList::StopAll(int bPause) {
  for (auto& lpStream : m_vStreams)
    if (lpStream) lpStream->Stop(bPause);
}

void cMidiList::DeleteAll() {
  for (auto& lpStream : m_vStreams) lpStream.reset();
}

int cMidiList::Play(int nChannel, const char* pszPath, int bLoop) {
  StopAll(1);
  DeleteAll();
  if (nChannel < 0 || static_cast<size_t>(nChannel) >= m_vStreams.size() || pszPath == nullptr)
    return 0;
  std::string strExt;
  if (!GetExtension(strExt, pszPath) || strExt != "mid") return 0;
  m_vStreams[nChannel] = std::make_unique<cMidiStream>(pszPath);
  if (!m_vStreams[nChannel]->HasImage()) return 0;
  m_vStreams[nChannel]->Play(bLoop);
  return 1;
}

// ---- cBgmPlayer ----

cBgmPlayer::~cBgmPlayer() { Release(); }

int cBgmPlayer::Init(int nChannels, char (*lpOggPath)[kOggPathSize],
                     char (*lpMidiPath)[kMidiPathSize], int nTracks) {
  // Switching music on again from the options starts from a clean player.
  Release();
  m_bInit = 1;
  m_nTrack = -1;
  m_Midi.m_vStreams.clear();
  m_bOutput = AcquireAudioOutput();
  if (!m_bOutput) TraceLogText("BGM: オーディオ出力を開けません");
  // Without Ogg playback the tables are still sized, so MIDI music plays.
  const int nVox = m_Vox.Init();
  if (nVox == 0) TraceLogText("m_Vox.Init失敗！");
  SetChannelCount(nChannels);
  m_lpOggPath = lpOggPath;
  m_lpMidiPath = lpMidiPath;
  m_TrackKind.assign(std::max(nTracks, 0), kKindEither);
  if (lpOggPath == nullptr || lpMidiPath == nullptr) m_TrackKind.clear();
  return nVox;
}

int cBgmPlayer::SetChannelCount(int nChannels) {
  nChannels = std::max(nChannels, 0);
  m_Midi.m_vStreams.clear();
  m_Midi.m_vStreams.resize(nChannels);
  m_Vox.CreatePlayers(nChannels);
  m_ChannelKind.assign(nChannels, kChannelNone);
  return 1;
}

int cBgmPlayer::SetTrack(int nTrack, const char* pszFileName) {
  if (!m_bInit) return 1;
  if (nTrack < 0 || static_cast<size_t>(nTrack) >= m_TrackKind.size() || pszFileName == nullptr) {
    ReportLog("BGM SetTrack: トラック番号 %d は範囲外です", nTrack);
    return 0;
  }
  const std::string strName(pszFileName);
  std::string strExt;
  if (!GetExtension(strExt, strName)) {
    m_lpOggPath[nTrack][0] = '\0';
    m_lpMidiPath[nTrack][0] = '\0';
    m_TrackKind[nTrack] = kKindEither;
    return 0;
  }
  if (strExt == "mid" || strExt == "MID") {
    std::string strMidi;
    ChangeExtension(strMidi, strName, "mid");
    CopyPath(m_lpMidiPath[nTrack], strMidi);
    m_TrackKind[nTrack] = kKindMidi;
    return 1;
  }
  if (strExt == "ogg" || strExt == "OGG") {
    CopyPath(m_lpOggPath[nTrack], strName);
    m_TrackKind[nTrack] = kKindOgg;
    return 1;
  }
  CopyPath(m_lpOggPath[nTrack], strName);
  CopyPath(m_lpMidiPath[nTrack], strName);
  m_TrackKind[nTrack] = kKindEither;
  return 0;
}

int cBgmPlayer::Play(int nChannel, int nTrack, int bLoop, int bMidiPause, int bForce) {
  if (!m_bInit) return 1;
  if (nTrack == m_nTrack && !bForce) return 1;
  if (nTrack < 0 || static_cast<size_t>(nTrack) >= m_TrackKind.size() || nChannel < 0 ||
      static_cast<size_t>(nChannel) >= m_ChannelKind.size()) {
    ReportLog("BGM Play: チャンネル %d トラック %d は範囲外です", nChannel, nTrack);
    Stop();
    m_nTrack = -1;
    return 0;
  }
  m_nTrack = nTrack;
  const std::string strOgg = EntryText(m_lpOggPath[nTrack]);
  const std::string strMidi = EntryText(m_lpMidiPath[nTrack]);
  const int nKind = m_TrackKind[nTrack];
  if (nKind == kKindEither || nKind == kKindOgg) {
    if (m_Vox.Play(nChannel, strOgg.c_str(), bLoop)) {
      m_ChannelKind[nChannel] = kChannelOgg;
      m_Midi.StopAll(nKind == kKindEither ? bMidiPause : 0);
      return 1;
    }
  }
  if (nKind == kKindEither || nKind == kKindMidi) {
    if (m_Midi.Play(nChannel, strMidi.c_str(), bLoop)) {
      m_ChannelKind[nChannel] = kChannelMidi;
      m_Vox.Stop();
      return 1;
    }
  }
  m_ChannelKind[nChannel] = kChannelNone;
  m_nTrack = -1;
  m_Vox.Stop();
  m_Midi.StopAll(0);
  return 0;
}

void cBgmPlayer::Stop() {
  if (!m_bInit) return;
  m_Midi.StopAll(0);
  m_Vox.Stop();
}

void cBgmPlayer::Release() {
  if (!m_bInit) return;
  m_Vox.Release();
  m_Midi.DeleteAll();
  m_Midi.m_vStreams.clear();
  m_bInit = 0;
  m_nTrack = -1;
  m_TrackKind.clear();
  m_ChannelKind.clear();
  if (m_bOutput) ReleaseAudioOutput();
  m_bOutput = false;
}
