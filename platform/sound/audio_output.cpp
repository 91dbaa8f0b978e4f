#include "platform/sound/audio_output.h"

#include <mutex>

#include "app/base/report_log.h"
#include "platform/sound/resampler.h"

namespace {

std::mutex g_OutputLock;
int g_nOutputUsers = 0;
cAudioDeviceOps g_DeviceOps;

// The installed device, or SDL's when none is.
int OpenDevice(cAudioMixer& mixer, int nRate) {
  return g_DeviceOps.open ? g_DeviceOps.open(mixer, nRate) : OpenSdlAudioDevice(mixer, nRate);
}
void StartDevice() {
  if (!g_DeviceOps.open)
    StartSdlAudioDevice();
  else if (g_DeviceOps.start)
    g_DeviceOps.start();
}
void CloseDevice() {
  if (!g_DeviceOps.open)
    CloseSdlAudioDevice();
  else if (g_DeviceOps.close)
    g_DeviceOps.close();
}

}  // namespace

cAudioMixer& GetAudioMixer() {
  // Never destroyed: static players (the music player) may still let go of
  // their sources while the program's statics are torn down.
  static cAudioMixer* const lpMixer = new cAudioMixer(kRequestedOutputRate);
  return *lpMixer;
}

bool AcquireAudioOutput() {
  std::lock_guard lock(g_OutputLock);
  if (g_nOutputUsers == 0) {
    cAudioMixer& mixer = GetAudioMixer();
    const int nRate = OpenDevice(mixer, kRequestedOutputRate);
    if (nRate <= 0) return false;
    if (!IsPlayableRate(nRate)) {
      TraceLogf("audio device: %d Hz is no usable rate", nRate);
      CloseDevice();
      return false;
    }
    // The device does not pull yet: nothing renders while the rate changes.
    mixer.SetRate(nRate);
    StartDevice();
  }
  ++g_nOutputUsers;
  return true;
}

void ReleaseAudioOutput() {
  std::lock_guard lock(g_OutputLock);
  if (g_nOutputUsers == 0) return;
  if (--g_nOutputUsers == 0) CloseDevice();
}

bool IsAudioOutputOpen() {
  std::lock_guard lock(g_OutputLock);
  return g_nOutputUsers > 0;
}

void SetAudioDeviceOps(cAudioDeviceOps ops) {
  std::lock_guard lock(g_OutputLock);
  g_DeviceOps = std::move(ops);
}
