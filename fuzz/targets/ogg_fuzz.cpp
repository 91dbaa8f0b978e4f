// An Ogg Vorbis music file, loaded as the music player loads it, then played
// with one loop and mixed for a moment.

#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/sound/audio_mixer.h"
#include "platform/sound/ogg_player.h"

namespace {
constexpr const char* kPath = "bgm\\fuzz.ogg";
constexpr int kRenderFrames = 22050;
}  // namespace

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  WriteFuzzInput(kPath, lpData, nSize);
  cAudioMixer mixer;
  cOggPlayer player(mixer);
  if (player.Load(kPath)) {
    player.SetLoopCount(1);
    player.Play();
    std::vector<float> out(2 * 1024);
    for (int n = 0; n < kRenderFrames; n += 1024) mixer.Render(out.data(), 1024);
  }
}
