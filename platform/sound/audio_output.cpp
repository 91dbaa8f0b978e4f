#include "platform/sound/audio_output.h"

#include <mutex>

#include "app/base/report_log.h"
#include "platform/sound/resampler.h"

namespace {

std::mutex g_OutputLock;
int g_nOutputUsers = 0;
bool g_bDeviceLost = false;  // in use, but its device is gone
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

// Opens the device and sets the mixer to its rate; false when there is none.
bool OpenAndStartDevice() {
  cAudioMixer& mixer = GetAudioMixer();
  const int nRate = OpenDevice(mixer, kRequestedOutputRate);
  if (nRate <= 0) return false;
  if (!IsPlayableRate(nRate)) {
    TraceLogf("audio device: %d Hz is no usable rate", nRate);
    CloseDevice();
    return false;
  }
  // The device does not pull yet: nothing renders while the rate changes.
  if (nRate != mixer.Rate()) mixer.SetRate(nRate);
  StartDevice();
  return true;
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
  if (g_nOutputUsers == 0 && !OpenAndStartDevice()) return false;
  ++g_nOutputUsers;
  return true;
}

void ReleaseAudioOutput() {
  std::lock_guard lock(g_OutputLock);
  if (g_nOutputUsers == 0) return;
  if (--g_nOutputUsers > 0) return;
  // Also after a loss: the device's own resources go with the last user.
  CloseDevice();
  g_bDeviceLost = false;
}

void AudioDeviceLost() {
  std::lock_guard lock(g_OutputLock);
  if (g_nOutputUsers == 0 || g_bDeviceLost) return;
  CloseDevice();
  g_bDeviceLost = true;
  ReportLog("the sound device was removed: play goes on without sound");
}

void AudioDeviceArrived() {
  std::lock_guard lock(g_OutputLock);
  if (g_nOutputUsers == 0 || !g_bDeviceLost) return;
  if (!OpenAndStartDevice()) return;  // not one we can use: wait for the next
  g_bDeviceLost = false;
  ReportLog("a sound device is there again: sound goes on");
}

bool IsAudioDeviceLost() {
  std::lock_guard lock(g_OutputLock);
  return g_bDeviceLost;
}

bool IsAudioOutputOpen() {
  std::lock_guard lock(g_OutputLock);
  return g_nOutputUsers > 0;
}

void SetAudioDeviceOps(cAudioDeviceOps ops) {
  std::lock_guard lock(g_OutputLock);
  g_DeviceOps = std::move(ops);
}
