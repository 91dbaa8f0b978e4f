// The SDL audio device: a thin pump from SDL's audio thread into the mixer.

#include <SDL.h>

#include "app/base/report_log.h"
#include "platform/sound/audio_output.h"

namespace {

SDL_AudioDeviceID g_nDevice = 0;

void SDLCALL FillAudio(void* lpUser, Uint8* lpStream, int nBytes) {
  auto* lpMixer = static_cast<cAudioMixer*>(lpUser);
  lpMixer->RenderS16(reinterpret_cast<int16_t*>(lpStream), nBytes / 4);
}

}  // namespace

bool OpenSdlAudioDevice(cAudioMixer& mixer, int nRate) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    TraceLogf("SDL audio: %s", SDL_GetError());
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = nRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 512;
  want.callback = FillAudio;
  want.userdata = &mixer;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware wants, so the
  // mixer always runs at its own rate.
  g_nDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (g_nDevice == 0) {
    TraceLogf("SDL audio device: %s", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(g_nDevice, 0);
  return true;
}

void CloseSdlAudioDevice() {
  if (g_nDevice == 0) return;
  SDL_CloseAudioDevice(g_nDevice);
  g_nDevice = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
