// The audio device removed while sound plays, and a device coming back:
// nothing waits on the lost device, sound stands still meanwhile, and it
// goes on once a device is there again. Once through SDL (its dummy driver,
// told of the removal and the arrival as the window's event pump tells it),
// once through installed device operations that count what is done.

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/sound/audio_output.h"
#include "platform/sound/sound_effects.h"
#include "platform/sound/tests/sound_test_support.h"
#include "testing/game_folder.h"
#include "testing/wait.h"

using namespace soundtest;

namespace {

SDL_Event AudioEvent(uint32_t nType, uint32_t nWhich) {
  SDL_Event e{};
  e.type = nType;
  e.adevice.which = nWhich;
  e.adevice.iscapture = 0;
  return e;
}

// The id of the one SDL output device that plays, 0 when none does.
SDL_AudioDeviceID PlayingSdlDevice() {
  for (SDL_AudioDeviceID id = 1; id < 32; ++id)
    if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) return id;
  return 0;
}

TEST(AudioDeviceLoss, SdlDeviceRemovedThenAddedStopsAndResumesTheSound) {
  cTestGameFolder folder;
  // A quarter of a second of sound at the effects' rate.
  folder.WriteFile("se\\a.wav", ConstantWav8(22050, 22050 / 4, 200));
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  const SDL_AudioDeviceID nDevice = PlayingSdlDevice();
  ASSERT_NE(nDevice, 0u);
  SOUNDDATA sd;
  ASSERT_TRUE(DS_CreateSound(sd, "se\\a.wav", 1, 0));

  // Another device's removal is not ours.
  HandleAudioEvent(AudioEvent(SDL_AUDIODEVICEREMOVED, nDevice + 1));
  EXPECT_FALSE(IsAudioDeviceLost());

  HandleAudioEvent(AudioEvent(SDL_AUDIODEVICEREMOVED, nDevice));
  EXPECT_TRUE(IsAudioDeviceLost());
  EXPECT_EQ(PlayingSdlDevice(), 0u);
  EXPECT_EQ(folder.ReportLogLineCount("the sound device was removed"), 1);
  // Playing goes on without a device: nothing pulls the sound, it stands.
  DS_Play(sd, 0);
  const uint32_t nAt = GetAudioMixer().GetPosition(sd.lpBuffers[0]);
  EXPECT_EQ(GetAudioMixer().PlayingCount(), 1);
  HandleAudioEvent(AudioEvent(SDL_AUDIODEVICEREMOVED, nDevice));  // said once
  EXPECT_EQ(folder.ReportLogLineCount("the sound device was removed"), 1);
  EXPECT_EQ(GetAudioMixer().GetPosition(sd.lpBuffers[0]), nAt);

  // A device is there again: it pulls the mixer and the sound plays out.
  HandleAudioEvent(AudioEvent(SDL_AUDIODEVICEADDED, 0));
  EXPECT_FALSE(IsAudioDeviceLost());
  EXPECT_NE(PlayingSdlDevice(), 0u);
  EXPECT_EQ(folder.ReportLogLineCount("a sound device is there again"), 1);
  EXPECT_TRUE(WaitUntil([] { return GetAudioMixer().PlayingCount() == 0; }));

  DS_ReleaseSound(sd);
  DS_Release();
  EXPECT_FALSE(IsAudioOutputOpen());
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST(AudioDeviceLoss, ADeviceThatCannotOpenLeavesTheOutputLostUntilOneCan) {
  cTestGameFolder folder;
  int nOpens = 0, nStarts = 0, nCloses = 0;
  bool bDeviceThere = true;
  SetAudioDeviceOps({[&](cAudioMixer&, int nRate) {
                       ++nOpens;
                       return bDeviceThere ? nRate : 0;
                     },
                     [&] { ++nStarts; }, [&] { ++nCloses; }});
  ASSERT_TRUE(AcquireAudioOutput());
  AudioDeviceArrived();  // not lost: nothing to do
  EXPECT_EQ(nOpens, 1);

  bDeviceThere = false;
  AudioDeviceLost();
  EXPECT_EQ(nCloses, 1);
  AudioDeviceArrived();  // not one that opens
  EXPECT_TRUE(IsAudioDeviceLost());
  EXPECT_EQ(nOpens, 2);
  EXPECT_EQ(nStarts, 1);
  EXPECT_EQ(folder.ReportLogLineCount(), 1) << folder.ReportLogText();

  bDeviceThere = true;
  AudioDeviceArrived();
  EXPECT_FALSE(IsAudioDeviceLost());
  EXPECT_EQ(nStarts, 2);

  // The last user lets go of an output whose device went and never came.
  AudioDeviceLost();
  ReleaseAudioOutput();
  EXPECT_FALSE(IsAudioDeviceLost());
  EXPECT_EQ(nCloses, 3);
  SetAudioDeviceOps({});
}

}  // namespace
