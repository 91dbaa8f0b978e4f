#pragma once
// The program's one audio output: the global mixer and the device that pulls
// it. Sound effects and music share them; the device is opened by the first
// user and closed when the last lets go. The device is asked for
// kRequestedOutputRate and the mixer runs at whatever rate it gives, so SDL
// never converts the mix again. Without a device (a server, CI) the mixer
// still exists and everything above it keeps working, silently.

#include <functional>

#include "platform/sound/audio_mixer.h"

cAudioMixer& GetAudioMixer();

// Opens the device on first use; false when no device can be opened. Each
// success is matched by one ReleaseAudioOutput.
bool AcquireAudioOutput();
void ReleaseAudioOutput();
bool IsAudioOutputOpen();

// How the device is opened: SDL by default. open asks for a rate and returns
// the rate the device runs at (0: no device); the device pulls the mixer only
// after start. Tests install their own, e.g. one that opens nothing and lets
// the test pull the mixer.
struct cAudioDeviceOps {
  std::function<int(cAudioMixer& mixer, int nRate)> open;
  std::function<void()> start;
  std::function<void()> close;
};
void SetAudioDeviceOps(cAudioDeviceOps ops);  // empty functions: SDL again

// The SDL device (sdl_audio_device.cpp): 16-bit stereo, opened paused.
int OpenSdlAudioDevice(cAudioMixer& mixer, int nRate);
void StartSdlAudioDevice();
void CloseSdlAudioDevice();
