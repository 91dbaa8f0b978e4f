// A sound-effect file, loaded as start-up loads the project's sounds (a
// buffer and a duplicate on the mixer), then played and mixed for a moment.

#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/sound/audio_output.h"
#include "platform/sound/sound_effects.h"

namespace {
constexpr const char* kPath = "se\\fuzz.wav";
constexpr int kRenderFrames = 4096;
}  // namespace

void FuzzTargetSetUp() {
  // No device: the targets pull the mixer themselves.
  SetAudioDeviceOps({[](cAudioMixer&, int nRate) { return nRate; }, [] {}, [] {}});
  DS_Init(nullptr, 22050, 16, 2);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, size_t nSize) {
  WriteFuzzInput(kPath, lpData, nSize);
  SOUNDDATA sound;
  if (DS_CreateSound(sound, kPath, 2, -300)) {
    DS_Play(sound, 0);
    DS_Play(sound, kPlayLooping);
    std::vector<float> out(2 * kRenderFrames);
    GetAudioMixer().Render(out.data(), kRenderFrames);
  }
  DS_ReleaseSound(sound);
  return 0;
}
