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

// The device went away while in use (unplugged, its server gone): it is
// closed, and the mixer is no longer pulled, so sounds and music stand still
// and play goes on silently. When an output device appears again the device
// is opened anew (at the rate it gives) and pulls the mixer once more. Both
// are called on the main thread from its event pump; each change says so in
// one report-log line.
void AudioDeviceLost();
void AudioDeviceArrived();
// Whether a device is gone and not back (while the output is in use).
bool IsAudioDeviceLost();

// How the device is opened: SDL by default. open asks for a rate and returns
// the rate the device runs at (0: no device); the device pulls the mixer only
// after start; close is called once more when the last user lets go of an
// output whose device was lost. Tests install their own, e.g. one that opens
// nothing and lets the test pull the mixer.
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
// Follows SDL's reports of output devices removed (ours) and added:
// AudioDeviceLost and AudioDeviceArrived. Other events are ignored.
union SDL_Event;
void HandleAudioEvent(const SDL_Event& event);
