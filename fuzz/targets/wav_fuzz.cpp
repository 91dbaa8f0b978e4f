// A sound-effect file, loaded as start-up loads the project's sounds (a
// buffer and a duplicate on the mixer), then played and mixed for a moment.

#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/sound/audio_output.h"
#include "platform/sound/sound_effects.h"
#include "platform/sound/tests/sound_test_support.h"

namespace {

constexpr const char* kPath = "se\\fuzz.wav";
constexpr int kRenderFrames = 4096;

void PlayFile(const uint8_t* lpData, size_t nSize) {
  WriteFuzzInput(kPath, lpData, nSize);
  SOUNDDATA sound;
  if (DS_CreateSound(sound, kPath, 2, -300)) {
    DS_Play(sound, 0);
    DS_Play(sound, kPlayLooping);
    std::vector<float> out(2 * kRenderFrames);
    GetAudioMixer().Render(out.data(), kRenderFrames);
  }
  DS_ReleaseSound(sound);
}

}  // namespace

void FuzzTargetSetUp() {
  // No device: the targets pull the mixer themselves.
  SetAudioDeviceOps({[](cAudioMixer&, int nRate) { return nRate; }, [] {}, [] {}});
  DS_Init(nullptr, 22050, 16, 2);
  // The mixer lives as long as the program, and its lists keep the room they
  // grew to: one valid sound played here grows them to what any input takes,
  // so that no input finds them grown by an earlier one.
  const std::string wav = soundtest::ConstantWav8(22050, 64, 200);
  PlayFile(reinterpret_cast<const uint8_t*>(wav.data()), wav.size());
}

void FuzzOneInput(const uint8_t* lpData, size_t nSize) { PlayFile(lpData, nSize); }
