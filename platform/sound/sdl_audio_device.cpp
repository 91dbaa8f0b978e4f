// The SDL audio device: a thin pump from SDL's audio thread into the mixer.

#include <SDL.h>

#include "app/base/report_log.h"
#include "platform/sound/audio_output.h"

namespace {

SDL_AudioDeviceID g_nDevice = 0;
bool g_bSubsystem = false;      // SDL's audio subsystem is started
bool g_bKeepSubsystem = false;  // a lost device closes: keep hearing of new ones

void SDLCALL FillAudio(void* lpUser, Uint8* lpStream, int nBytes) {
  auto* lpMixer = static_cast<cAudioMixer*>(lpUser);
  lpMixer->RenderS16(reinterpret_cast<int16_t*>(lpStream), nBytes / 4);
}

}  // namespace

int OpenSdlAudioDevice(cAudioMixer& mixer, int nRate) {
  if (!g_bSubsystem) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      TraceLogf("SDL audio: %s", SDL_GetError());
      return 0;
    }
    g_bSubsystem = true;
  }
  SDL_AudioSpec want{};
  want.freq = nRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;  // about 21 ms at 48,000 Hz
  want.callback = FillAudio;
  want.userdata = &mixer;
  SDL_AudioSpec have{};
  // The rate may change to the device's own, so that SDL converts nothing:
  // the mixer then runs at that rate. Format and channels stay ours.
  g_nDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (g_nDevice == 0) {
    TraceLogf("SDL audio device: %s", SDL_GetError());
    CloseSdlAudioDevice();
    return 0;
  }
  if (have.freq <= 0) CloseSdlAudioDevice();
  return have.freq > 0 ? have.freq : 0;
}

void StartSdlAudioDevice() {
  if (g_nDevice != 0) SDL_PauseAudioDevice(g_nDevice, 0);
}

void CloseSdlAudioDevice() {
  if (g_nDevice != 0) SDL_CloseAudioDevice(g_nDevice);
  g_nDevice = 0;
  if (g_bSubsystem && !g_bKeepSubsystem) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_bSubsystem = false;
  }
}

void HandleAudioEvent(const SDL_Event& event) {
  if (event.type == SDL_AUDIODEVICEREMOVED && event.adevice.iscapture == 0 && g_nDevice != 0 &&
      event.adevice.which == g_nDevice) {
    // SDL keeps a removed device's thread running without pulling the
    // mixer; close it, but keep the subsystem that reports new devices.
    g_bKeepSubsystem = true;
    AudioDeviceLost();
    g_bKeepSubsystem = false;
  } else if (event.type == SDL_AUDIODEVICEADDED && event.adevice.iscapture == 0) {
    AudioDeviceArrived();
  }
}
