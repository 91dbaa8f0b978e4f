#pragma once
// The program's one audio output: the global mixer and the device that pulls
// it. Sound effects and music share them; the device is opened by the first
// user and closed when the last lets go. Without a device (a server, CI) the
// mixer still exists and everything above it keeps working, silently.

#include <functional>

#include "platform/sound/audio_mixer.h"

inline constexpr int kDefaultOutputRate = 22050;

cAudioMixer& GetAudioMixer();

// Opens the device on first use (the rate applies only then); false when no
// device can be opened. Each success is matched by one ReleaseAudioOutput.
bool AcquireAudioOutput(int nRate);
void ReleaseAudioOutput();
bool IsAudioOutputOpen();

// How the device is opened: SDL by default. Tests install their own, e.g. one
// that opens nothing and lets the test pull the mixer.
struct cAudioDeviceOps {
  std::function<bool(cAudioMixer& mixer, int nRate)> open;
  std::function<void()> close;
};
void SetAudioDeviceOps(cAudioDeviceOps ops);  // empty functions: SDL again

// The SDL device (sdl_audio_device.cpp): 16-bit stereo at the mixer's rate.
bool OpenSdlAudioDevice(cAudioMixer& mixer, int nRate);
void CloseSdlAudioDevice();
