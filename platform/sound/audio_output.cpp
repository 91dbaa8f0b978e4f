#include "platform/sound/audio_output.h"

#include <mutex>

namespace {

std::mutex g_OutputLock;
int g_nOutputUsers = 0;
cAudioDeviceOps g_DeviceOps;

}  // namespace

cAudioMixer& GetAudioMixer() {
  // Never destroyed: static players (the music player) may still let go of
  // their sources while the program's statics are torn down.
  static cAudioMixer* const lpMixer = new cAudioMixer(kDefaultOutputRate);
  return *lpMixer;
}

bool AcquireAudioOutput(int nRate) {
  std::lock_guard lock(g_OutputLock);
  if (g_nOutputUsers == 0) {
    cAudioMixer& mixer = GetAudioMixer();
    if (nRate > 0) mixer.SetRate(nRate);
    const bool bOpened = g_DeviceOps.open ? g_DeviceOps.open(mixer, mixer.Rate())
                                          : OpenSdlAudioDevice(mixer, mixer.Rate());
    if (!bOpened) return false;
  }
  ++g_nOutputUsers;
  return true;
}

void ReleaseAudioOutput() {
  std::lock_guard lock(g_OutputLock);
  if (g_nOutputUsers == 0) return;
  if (--g_nOutputUsers == 0) {
    if (g_DeviceOps.close)
      g_DeviceOps.close();
    else
      CloseSdlAudioDevice();
  }
}

bool IsAudioOutputOpen() {
  std::lock_guard lock(g_OutputLock);
  return g_nOutputUsers > 0;
}

void SetAudioDeviceOps(cAudioDeviceOps ops) {
  std::lock_guard lock(g_OutputLock);
  g_DeviceOps = std::move(ops);
}
