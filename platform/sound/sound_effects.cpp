#include "platform/sound/sound_effects.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "app/base/report_log.h"
#include "platform/sound/audio_output.h"
#include "platform/sound/wave_file.h"

namespace {

// The state the first DS_Init sets up. A false m_bRunning means sound is off.
struct cSoundState {
  std::atomic<bool> bRunning{false};
  void* hWnd = nullptr;
  std::vector<SOUNDDATA>* lpSounds = nullptr;
  std::vector<SOUNDINFO>* lpInfos = nullptr;
};
cSoundState g_Sound;
// The game thread plays cursor sounds and sets volumes while the main thread
// plays requested sounds: the tables' cursors and pointers change under this.
std::recursive_mutex g_TableLock;

// The background load (DS_LoadSoundsInBackground) and whether it may still
// run; the loading thread itself never waits for it.
std::mutex g_LoaderLock;
std::thread g_Loader;
std::atomic<bool> g_bLoaderStarted{false};
thread_local bool t_bLoader = false;

cSoundBuffer* BufferAt(const SOUNDDATA& sd, int nIndex) {
  if (sd.lpBuffers == nullptr || nIndex < 0 || nIndex >= sd.nBuffers) return nullptr;
  return sd.lpBuffers[nIndex];
}

}  // namespace

void DS_WaitForLoad() {
  if (t_bLoader || !g_bLoaderStarted.load(std::memory_order_acquire)) return;
  std::lock_guard lock(g_LoaderLock);
  if (g_Loader.joinable()) g_Loader.join();
  g_bLoaderStarted.store(false, std::memory_order_release);
}

bool DS_Init(void* hWnd, int /*nSamplesPerSec*/, int /*nBitsPerSample*/, int /*nChannels*/) {
  DS_WaitForLoad();
  std::lock_guard lock(g_TableLock);
  // The output always mixes to 16-bit stereo at the device's own rate, which
  // music shares; the requested format describes the effect files, and each
  // buffer is converted from its file's rate when it is made.
  if (g_Sound.bRunning) return true;
  if (!AcquireAudioOutput()) {
    TraceLogText("DIRECTSOUNDCREATE_ERR!");
    return false;
  }
  g_Sound.hWnd = hWnd;
  g_Sound.lpSounds = nullptr;
  g_Sound.lpInfos = nullptr;
  g_Sound.bRunning = true;
  return true;
}

bool DS_IsRunning() { return g_Sound.bRunning; }

void DS_Release() {
  DS_WaitForLoad();
  std::lock_guard lock(g_TableLock);
  if (!g_Sound.bRunning) return;
  if (g_Sound.lpSounds != nullptr)
    for (SOUNDDATA& sd : *g_Sound.lpSounds) DS_ReleaseSound(sd);
  g_Sound.bRunning = false;
  g_Sound.lpSounds = nullptr;
  g_Sound.lpInfos = nullptr;
  g_Sound.hWnd = nullptr;
  ReleaseAudioOutput();
}

int DS_LoadSounds(std::vector<SOUNDDATA>* lpSounds, std::vector<SOUNDINFO>* lpInfos, int nVolume) {
  DS_WaitForLoad();
  std::lock_guard lock(g_TableLock);
  g_Sound.lpSounds = lpSounds;
  g_Sound.lpInfos = lpInfos;
  if (lpSounds == nullptr || lpInfos == nullptr) return 1;
  const size_t nCount = std::min(lpSounds->size(), lpInfos->size());
  for (size_t i = 0; i < nCount; ++i) {
    SOUNDDATA& sd = (*lpSounds)[i];
    if (sd.lpBuffers != nullptr) continue;
    const SOUNDINFO& info = (*lpInfos)[i];
    char szName[260];
    std::memcpy(szName, info.szFileName, sizeof szName);
    szName[259] = '\0';
    DS_CreateSound(sd, szName, info.nBuffers, nVolume != 0 ? nVolume : info.nVolume);
  }
  return 1;
}

void DS_LoadSoundsInBackground(std::vector<SOUNDDATA>* lpSounds, std::vector<SOUNDINFO>* lpInfos,
                               int nVolume) {
  DS_WaitForLoad();
  std::lock_guard lock(g_LoaderLock);
  try {
    g_Loader = std::thread([lpSounds, lpInfos, nVolume] {
      t_bLoader = true;
      DS_LoadSounds(lpSounds, lpInfos, nVolume);
    });
    g_bLoaderStarted.store(true, std::memory_order_release);
  } catch (const std::system_error&) {
    t_bLoader = true;  // no thread to spare: loaded here
    DS_LoadSounds(lpSounds, lpInfos, nVolume);
    t_bLoader = false;
  }
}

bool DS_CreateSound(SOUNDDATA& sd, const char* pszFileName, int nBuffers, int nVolume) {
  DS_WaitForLoad();
  std::lock_guard lock(g_TableLock);
  if (!g_Sound.bRunning) return true;
  DS_ReleaseSound(sd);  // a sound made again lets go of its old buffers first
  sd = SOUNDDATA{};
  nBuffers = std::clamp(nBuffers, 1, kMaxSoundBuffers);
  sd.lpBuffers = new (std::nothrow) cSoundBuffer*[nBuffers]();
  if (sd.lpBuffers == nullptr) {
    TraceLogf("%sのメモリ確保失敗！", pszFileName);
    return false;
  }
  // The count is set now so that a partly made sound is released whole.
  sd.nBuffers = nBuffers;
  if (!DS_LoadWave(&sd.lpBuffers[0], pszFileName)) return false;
  for (int i = 1; i < nBuffers; ++i) {
    if (!DS_DuplicateBuffer(&sd.lpBuffers[i], sd.lpBuffers[0])) {
      TraceLogf("%sのメモリ共用バッファの生成失敗！", pszFileName);
      return false;
    }
  }
  std::strncpy(sd.szFileName, pszFileName, 259);
  sd.szFileName[259] = '\0';
  if (nVolume != 0)
    for (int i = 0; i < nBuffers; ++i) DS_SetVolume(sd, i, nVolume, 0);
  return true;
}

void DS_ReleaseSound(SOUNDDATA& sd) {
  DS_WaitForLoad();
  std::lock_guard lock(g_TableLock);
  if (!g_Sound.bRunning || sd.lpBuffers == nullptr) return;
  cAudioMixer& mixer = GetAudioMixer();
  for (int i = sd.nBuffers - 1; i >= 0; --i) mixer.DestroyBuffer(sd.lpBuffers[i]);
  delete[] sd.lpBuffers;
  sd.lpBuffers = nullptr;
  sd.nBuffers = 0;
  sd.nNext = 0;
}

bool DS_LoadWave(cSoundBuffer** lplpBuffer, const char* pszFileName) {
  if (!g_Sound.bRunning) return true;
  WAVEDATA wave;
  if (!ReadWaveFile(pszFileName, wave)) {
    TraceLogf("%s読み込み失敗！", pszFileName);
    return false;
  }
  auto data = MakeSampleData(wave.lpData, wave.dwSize, static_cast<int>(wave.wfx.nSamplesPerSec),
                             wave.wfx.nChannels, wave.wfx.wBitsPerSample);
  FreeWaveFile(wave);
  *lplpBuffer = GetAudioMixer().CreateBuffer(std::move(data));
  if (*lplpBuffer == nullptr) {
    TraceLogf("%s生成失敗！", pszFileName);
    return false;
  }
  return true;
}

bool DS_DuplicateBuffer(cSoundBuffer** lplpBuffer, cSoundBuffer* lpSource) {
  if (!g_Sound.bRunning) return true;
  *lplpBuffer = GetAudioMixer().DuplicateBuffer(lpSource);
  return *lplpBuffer != nullptr;
}

void DS_Play(SOUNDDATA& sd, uint32_t dwFlags) {
  DS_WaitForLoad();
  std::lock_guard lock(g_TableLock);
  if (!g_Sound.bRunning || sd.lpBuffers == nullptr || sd.nBuffers <= 0) return;
  if (sd.nNext < 0 || sd.nNext >= sd.nBuffers) sd.nNext = 0;
  cSoundBuffer* lpBuffer = sd.lpBuffers[sd.nNext];
  if (lpBuffer == nullptr) return;
  GetAudioMixer().Play(lpBuffer, dwFlags);
  if (++sd.nNext >= sd.nBuffers) sd.nNext = 0;
}

int DS_SetVolume(SOUNDDATA& sd, int nIndex, int nVolume, int bRelative) {
  DS_WaitForLoad();
  std::lock_guard lock(g_TableLock);
  if (!g_Sound.bRunning) return 0;
  cSoundBuffer* lpBuffer = BufferAt(sd, nIndex);
  if (lpBuffer == nullptr) return 0;
  cAudioMixer& mixer = GetAudioMixer();
  int64_t nNew = nVolume;
  if (bRelative == 1) nNew += mixer.GetVolume(lpBuffer);
  const int nSet = static_cast<int>(std::clamp<int64_t>(nNew, kVolumeMin, kVolumeMax));
  mixer.SetVolume(lpBuffer, nSet);
  return nSet;
}

int DS_GetVolume(SOUNDDATA& sd, int nIndex) {
  DS_WaitForLoad();
  std::lock_guard lock(g_TableLock);
  if (!g_Sound.bRunning) return 0;
  cSoundBuffer* lpBuffer = BufferAt(sd, nIndex);
  return lpBuffer ? GetAudioMixer().GetVolume(lpBuffer) : 0;
}
