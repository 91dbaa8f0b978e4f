// The real device path: SDL's disk audio driver writes what the mixer makes
// to a file, which must then hold the sound.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/sound/audio_output.h"
#include "platform/sound/sound_effects.h"
#include "platform/sound/tests/sound_test_support.h"
#include "testing/ci.h"
#include "testing/game_folder.h"
#include "testing/wait.h"

using namespace soundtest;

namespace {

TEST(SdlOutput, PlaysAWavThroughTheDiskDriver) {
  cTestGameFolder folder;
  const std::string strOut = folder.NativePath() + "/out.raw";
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", strOut.c_str(), 1);
  folder.WriteFile("se\\a.wav", ConstantWav8(22050, 4410, 200));
  bool bInit = DS_Init(nullptr, 22050, 8, 1);
  if (!bInit) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    SKIP_UNLESS_IN_CI("SDL has no disk audio driver here");
  }
  EXPECT_EQ(GetAudioMixer().Rate(), kRequestedOutputRate);  // the driver takes the rate asked for
  SOUNDDATA sd;
  ASSERT_TRUE(DS_CreateSound(sd, "se\\a.wav", 1, 0));
  DS_Play(sd, 0);
  // The driver writes each block after the mixer made it: wait until the
  // file holds the whole sound (16-bit stereo at +72/128 of full scale, a
  // fifth of a second), not for a fixed time.
  auto LoudSamples = [&strOut] {
    std::ifstream in(strOut, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t nLoud = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      const int16_t s = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) |
                                             (static_cast<uint8_t>(bytes[i + 1]) << 8));
      if (s > 16000) ++nLoud;
    }
    return nLoud;
  };
  const size_t nExpected = 2u * static_cast<size_t>(GetAudioMixer().Rate()) / 5;
  EXPECT_TRUE(WaitUntil([&] { return LoudSamples() >= nExpected - 2 * 64; }));
  DS_ReleaseSound(sd);
  DS_Release();
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_FALSE(IsAudioOutputOpen());
  EXPECT_LE(LoudSamples(), nExpected + 2 * 64);
}

}  // namespace
