// WAV files, the mixer pulled without a device, and the sound-effect layer.

#include "platform/sound/sound_effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "app/base/report_log.h"
#include "platform/sound/audio_mixer.h"
#include "platform/sound/tests/sound_test_support.h"
#include "platform/sound/wave_file.h"
#include "testing/game_folder.h"

using namespace soundtest;

namespace {

TEST(WaveFile, ReadsPcmAndRefusesWhatItCannotPlay) {
  const std::string fmt8 = Chunk("fmt ", FmtBody(1, 1, 22050, 8));
  const std::string fmt16s = Chunk("fmt ", FmtBody(1, 2, 44100, 16));
  const std::string data = Chunk("data", "abcd");
  const std::string list = Chunk("LIST", "INFOISFT\x05\0\0\0xyz");  // odd size: padded
  std::string truncated = Riff(fmt8 + data);
  truncated.resize(truncated.size() - 2);
  struct Case {
    const char* name;
    std::string bytes;
    eWaveError result;
    uint32_t nSize;
  } cases[] = {
      {"plain", Riff(fmt8 + data), eWaveError::kOk, 4},
      {"LIST between fmt and data", Riff(fmt8 + list + data), eWaveError::kOk, 4},
      {"16-bit stereo keeps whole frames", Riff(fmt16s + Chunk("data", "0123456")), eWaveError::kOk,
       4},
      {"data before fmt", Riff(data + fmt8), eWaveError::kNoFormat, 0},
      {"not PCM", Riff(Chunk("fmt ", FmtBody(3, 1, 22050, 32)) + data), eWaveError::kNotPcm, 0},
      {"ADPCM bits", Riff(Chunk("fmt ", FmtBody(1, 1, 22050, 4)) + data), eWaveError::kBadFormat,
       0},
      {"truncated data", truncated, eWaveError::kTruncated, 0},
      {"no data", Riff(fmt8), eWaveError::kNoData, 0},
      {"not RIFF", "RIFX" + Riff(fmt8 + data).substr(4), eWaveError::kNotRiff, 0},
      {"short fmt", Riff(Chunk("fmt ", "\x01\0")), eWaveError::kTruncated, 0},
      {"chunk size past the end", Riff(fmt8 + "JUNK\xff\xff\xff\x7f"), eWaveError::kNoData, 0},
  };
  for (const Case& c : cases) {
    WAVEDATA wave;
    EXPECT_EQ(ParseWave(c.bytes, wave), c.result) << c.name;
    EXPECT_EQ(wave.dwSize, c.nSize) << c.name;
    EXPECT_EQ(wave.lpData != nullptr, c.result == eWaveError::kOk) << c.name;
    FreeWaveFile(wave);
  }
}

TEST(WaveFile, ReadsFromAStoredPath) {
  cTestGameFolder folder;
  folder.WriteFile("se\\効果音.wav", ConstantWav8(22050, 6, 200));
  WAVEDATA wave;
  ASSERT_TRUE(ReadWaveFile("se\\効果音.wav", wave));
  EXPECT_EQ(wave.wfx.nSamplesPerSec, 22050u);
  EXPECT_EQ(wave.dwSize, 6u);
  EXPECT_EQ(wave.lpData[5], 200);
  FreeWaveFile(wave);
  EXPECT_EQ(wave.lpData, nullptr);
  EXPECT_FALSE(ReadWaveFile("se\\missing.wav", wave));
}

// 8-bit value 160 is +0.25 of full scale.
constexpr uint8_t kQuarter = 160;

std::shared_ptr<const cSampleData> Constant(int nRate, int nFrames, uint8_t value) {
  std::vector<uint8_t> v(nFrames, value);
  return MakeSampleData(v.data(), nFrames, nRate, 1, 8);
}

TEST(AudioMixer, MixesBuffersWithOwnCursorsOverSharedData) {
  cAudioMixer mixer(22050);
  cSoundBuffer* a = mixer.CreateBuffer(Constant(22050, 100, kQuarter));
  cSoundBuffer* b = mixer.DuplicateBuffer(a);
  ASSERT_NE(b, nullptr);
  std::vector<float> out(2 * 60);

  mixer.Play(a, 0);
  mixer.Render(out.data(), 40);
  EXPECT_FLOAT_EQ(out[0], 0.25f);
  EXPECT_FLOAT_EQ(out[1], 0.25f);  // mono reaches both sides
  mixer.Play(b, 0);                // a is 40 frames in, b starts: both sound
  mixer.Render(out.data(), 60);
  EXPECT_FLOAT_EQ(out[0], 0.5f);
  EXPECT_FLOAT_EQ(out[2 * 59], 0.5f);
  EXPECT_EQ(mixer.GetPosition(a), 100u);
  mixer.Render(out.data(), 60);  // a ran out after 100 frames, b after 40 more
  EXPECT_FLOAT_EQ(out[0], 0.25f);
  EXPECT_FLOAT_EQ(out[2 * 39], 0.25f);
  EXPECT_FLOAT_EQ(out[2 * 40], 0.0f);
  EXPECT_EQ(mixer.PlayingCount(), 0);

  // Restarting a playing buffer rewinds it rather than adding a voice.
  mixer.Play(a, 0);
  mixer.Render(out.data(), 10);
  mixer.Play(a, 0);
  EXPECT_EQ(mixer.GetPosition(a), 0u);
  EXPECT_EQ(mixer.PlayingCount(), 1);
  mixer.DestroyBuffer(a);  // destroying a playing buffer is safe
  mixer.Render(out.data(), 10);
  EXPECT_FLOAT_EQ(out[0], 0.0f);
}

TEST(AudioMixer, AppliesVolumeInHundredthsOfADecibel) {
  EXPECT_FLOAT_EQ(VolumeToGain(0), 1.0f);
  EXPECT_NEAR(VolumeToGain(-600), 0.501187f, 1e-5);
  EXPECT_NEAR(VolumeToGain(-2000), 0.1f, 1e-6);
  EXPECT_EQ(VolumeToGain(-10000), 0.0f);

  cAudioMixer mixer(22050);
  cSoundBuffer* a = mixer.CreateBuffer(Constant(22050, 10, kQuarter));
  mixer.SetVolume(a, -2000);
  mixer.Play(a, 0);
  std::vector<float> out(2 * 4);
  mixer.Render(out.data(), 4);
  EXPECT_NEAR(out[0], 0.025f, 1e-6);
  mixer.SetVolume(a, -20000);
  EXPECT_EQ(mixer.GetVolume(a), -10000);
}

TEST(AudioMixer, LoopsWithoutAGapAndClampsTheOutput) {
  cAudioMixer mixer(22050);
  const uint8_t ramp[4] = {128, 160, 192, 224};  // 0, .25, .5, .75
  cSoundBuffer* a = mixer.CreateBuffer(MakeSampleData(ramp, 4, 22050, 1, 8));
  mixer.Play(a, kPlayLooping);
  std::vector<float> out(2 * 10);
  mixer.Render(out.data(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_FLOAT_EQ(out[2 * i], 0.25f * (i % 4)) << i;
  EXPECT_EQ(mixer.GetPosition(a), 2u);
  EXPECT_TRUE(mixer.IsPlaying(a));
  mixer.Stop(a);
  EXPECT_FALSE(mixer.IsPlaying(a));

  // 16-bit output is clamped, not wrapped.
  cSoundBuffer* loud = mixer.CreateBuffer(Constant(22050, 8, 255));
  cSoundBuffer* loud2 = mixer.DuplicateBuffer(loud);
  mixer.Play(loud, 0);
  mixer.Play(loud2, 0);
  int16_t s16[2 * 4];
  mixer.RenderS16(s16, 4);
  EXPECT_EQ(s16[0], 32767);
}

// Half a second of a 16-bit mono sine of amplitude 0.5.
std::shared_ptr<const cSampleData> HalfSecondSine(int nRate, double dFrequency) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < nRate / 2; ++i) {
    const auto v = static_cast<int16_t>(
        std::lrint(16384.0 * std::sin(6.283185307179586 * dFrequency * i / nRate)));
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
  }
  return MakeSampleData(bytes.data(), static_cast<uint32_t>(bytes.size()), nRate, 1, 16);
}

// An effect plays at the output rate for as long as its file lasts and at
// its file's pitch. Where the rate is lowered, a tone above the output's
// Nyquist frequency is filtered out; taking every other sample, as stepping
// through the file would at 44,100 to 22,050 Hz, would fold 15 kHz back to
// 7,050 Hz at full level.
TEST(AudioMixer, ConvertsEffectsToTheOutputRateKeepingDurationAndPitch) {
  struct Case {
    int nFileRate, nMixRate;
    double dFrequency;
    bool bKept;
  } cases[] = {{22050, 48000, 1000, true},
               {11025, 44100, 441, true},
               {48000, 44100, 1000, true},
               {44100, 22050, 15000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.nFileRate << " Hz to " << c.nMixRate << " Hz");
    cAudioMixer mixer(c.nMixRate);
    cSoundBuffer* a = mixer.CreateBuffer(HalfSecondSine(c.nFileRate, c.dFrequency));
    ASSERT_NE(a, nullptr);
    mixer.Play(a, 0);
    const int nLength = static_cast<int>(
        std::ceil(c.nFileRate / 2 * static_cast<double>(c.nMixRate) / c.nFileRate));
    std::vector<float> out(2 * static_cast<size_t>(nLength + 100));
    mixer.Render(out.data(), nLength - 1);
    EXPECT_TRUE(mixer.IsPlaying(a));
    mixer.Render(out.data() + 2 * (nLength - 1), 101);
    EXPECT_FALSE(mixer.IsPlaying(a));
    EXPECT_EQ(mixer.GetPosition(a), static_cast<uint32_t>(c.nFileRate / 2));
    const cTone tone = ToneOf(out, nLength / 10, nLength * 9 / 10);
    if (c.bKept) {
      EXPECT_NEAR(tone.dPeriod, c.nMixRate / c.dFrequency, 0.001);
      EXPECT_NEAR(tone.dRms, 0.5 / std::sqrt(2.0), 0.002);
      int nLastLoud = 0;
      for (int i = 0; i < nLength + 100; ++i)
        if (std::fabs(out[2 * i]) > 0.01f) nLastLoud = i;
      EXPECT_NEAR(nLastLoud, nLength - 1, 3);
    } else {
      EXPECT_LT(tone.dRms, 0.001);  // 50 dB down at least
    }
  }
}

// The device is asked for 48,000 Hz and the mixer runs at the rate it gives,
// which it has before the device starts pulling; a 22,050 Hz effect of a
// tenth of a second then lasts a tenth of a second at that rate.
TEST(AudioOutput, RunsTheMixerAtTheRateTheDeviceGives) {
  cTestGameFolder folder;
  folder.WriteFile("se\a.wav", ConstantWav8(22050, 2205, kQuarter));
  struct Case {
    int nGives;
    bool bOpens;
  } cases[] = {{48000, true}, {44100, true}, {22050, true}, {0, false}, {100, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nGives);
    int nAsked = 0, nRateAtStart = 0, nCloses = 0;
    SetAudioDeviceOps({[&](cAudioMixer&, int nRate) {
                         nAsked = nRate;
                         return c.nGives;
                       },
                       [&] { nRateAtStart = GetAudioMixer().Rate(); }, [&] { ++nCloses; }});
    EXPECT_EQ(DS_Init(nullptr, 22050, 8, 1), c.bOpens);
    EXPECT_EQ(nAsked, kRequestedOutputRate);
    EXPECT_EQ(nCloses, c.nGives == 100 ? 1 : 0);  // an unusable rate closes the device again
    if (c.bOpens) {
      EXPECT_EQ(nRateAtStart, c.nGives);
      SOUNDDATA sd;
      ASSERT_TRUE(DS_CreateSound(sd, "se\a.wav", 1, 0));
      DS_Play(sd, 0);
      Pull(c.nGives / 10 - 1);
      EXPECT_TRUE(GetAudioMixer().IsPlaying(sd.lpBuffers[0]));
      Pull(2);
      EXPECT_FALSE(GetAudioMixer().IsPlaying(sd.lpBuffers[0]));
      DS_ReleaseSound(sd);
      DS_Release();
      EXPECT_EQ(nCloses, 1);
    }
    SetAudioDeviceOps({});
  }
}

// The sound layer on a pulled output.
class SoundEffects : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.WriteFile("se\\a.wav", ConstantWav8(22050, 1000, kQuarter));
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  }
  void TearDown() override { DS_Release(); }

  cTestGameFolder folder;
  cPulledOutput output;
};

// Frames of the 22,050 Hz file played in n frames of the 48,000 Hz output.
uint32_t FileFrames(uint32_t n) { return n * 22050 / 48000; }

TEST_F(SoundEffects, PlaysBuffersRoundRobin) {
  SOUNDDATA sd;
  ASSERT_TRUE(DS_CreateSound(sd, "se\\a.wav", 3, 0));
  EXPECT_STREQ(sd.szFileName, "se\\a.wav");
  cAudioMixer& mixer = GetAudioMixer();
  std::vector<int> order;
  for (int i = 0; i < 4; ++i) {
    order.push_back(sd.nNext);
    DS_Play(sd, 0);
    Pull(100);
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0}));
  // The fourth play restarted buffer 0; buffers 1 and 2 went on.
  EXPECT_EQ(mixer.GetPosition(sd.lpBuffers[0]), FileFrames(100));
  EXPECT_EQ(mixer.GetPosition(sd.lpBuffers[1]), FileFrames(300));
  EXPECT_EQ(mixer.GetPosition(sd.lpBuffers[2]), FileFrames(200));
  EXPECT_NEAR(Pull(1)[0], 0.75f, 0.001f);  // the three most recent plays sound together
  DS_ReleaseSound(sd);
  EXPECT_EQ(sd.lpBuffers, nullptr);
  EXPECT_EQ(mixer.BufferCount(), 0);
}

TEST_F(SoundEffects, SetsVolumesClampedAndChecksTheBufferIndex) {
  SOUNDDATA sd;
  ASSERT_TRUE(DS_CreateSound(sd, "se\\a.wav", 2, -300));
  EXPECT_EQ(DS_GetVolume(sd, 0), -300);
  EXPECT_EQ(DS_GetVolume(sd, 1), -300);
  struct Case {
    int nVolume, bRelative, nStart, nExpected;
  } cases[] = {{-12000, 0, 0, -10000},
               {500, 0, -100, 0},
               {-200, 1, -9900, -10000},
               {-200, 1, -300, -500},
               {100, 1, -50, 0}};
  for (const Case& c : cases) {
    DS_SetVolume(sd, 1, c.nStart, 0);
    EXPECT_EQ(DS_SetVolume(sd, 1, c.nVolume, c.bRelative), c.nExpected);
    EXPECT_EQ(DS_GetVolume(sd, 1), c.nExpected);
  }
  EXPECT_EQ(DS_SetVolume(sd, 2, -100, 0), 0);  // past the last buffer
  EXPECT_EQ(DS_SetVolume(sd, -1, -100, 0), 0);
  EXPECT_EQ(DS_GetVolume(sd, 7), 0);
  DS_ReleaseSound(sd);
}

TEST_F(SoundEffects, LoadsEachSoundOnceAndKeepsGoingPastBadFiles) {
  folder.WriteFile("se\\bad.wav", "RIFF....WAVEjunk");
  std::vector<SOUNDINFO> infos(4);
  std::vector<SOUNDDATA> sounds(4);
  std::strcpy(infos[0].szFileName, "se\\a.wav");
  infos[0].nBuffers = 1;
  infos[0].nVolume = -500;
  std::strcpy(infos[1].szFileName, "se\\bad.wav");
  infos[1].nBuffers = 1;
  std::strcpy(infos[2].szFileName, "se\\a.wav");
  infos[2].nBuffers = 2;
  // infos[3]: a zeroed entry made by resizing.
  SetTraceLog(true, kTraceLogName);
  EXPECT_EQ(DS_LoadSounds(&sounds, &infos, 0), 1);
  EXPECT_NE(sounds[0].lpBuffers[0], nullptr);
  EXPECT_EQ(DS_GetVolume(sounds[0], 0), -500);  // volume 0: the entry's own
  EXPECT_EQ(sounds[1].lpBuffers[0], nullptr);   // kept, silent
  DS_Play(sounds[1], 0);
  EXPECT_EQ(sounds[2].nBuffers, 2);
  EXPECT_EQ(sounds[3].lpBuffers[0], nullptr);
  EXPECT_NE(folder.ReadFile(kTraceLogName).find("se\\bad.wav読み込み失敗！"), std::string::npos);

  cSoundBuffer* lpFirst = sounds[0].lpBuffers[0];
  EXPECT_EQ(DS_LoadSounds(&sounds, &infos, -1000), 1);  // only entries without buffers
  EXPECT_EQ(sounds[0].lpBuffers[0], lpFirst);
  EXPECT_EQ(DS_GetVolume(sounds[0], 0), -500);
  DS_Release();  // releases every sound of the table
  EXPECT_EQ(sounds[0].lpBuffers, nullptr);
  EXPECT_EQ(GetAudioMixer().BufferCount(), 0);
}

// A load in the background: whatever is asked of the sound layer meanwhile
// is answered as if the load had been made at once.
TEST_F(SoundEffects, CallsMadeDuringABackgroundLoadWaitForIt) {
  std::vector<SOUNDINFO> infos(40);
  std::vector<SOUNDDATA> sounds(40);
  for (SOUNDINFO& info : infos) {
    std::strcpy(info.szFileName, "se\\a.wav");
    info.nBuffers = 3;
  }
  DS_LoadSoundsInBackground(&sounds, &infos, -700);
  EXPECT_EQ(DS_GetVolume(sounds.back(), 2), -700);
  DS_WaitForLoad();
  for (const SOUNDDATA& sd : sounds) EXPECT_EQ(sd.nBuffers, 3);
  EXPECT_EQ(GetAudioMixer().BufferCount(), 120);

  DS_LoadSoundsInBackground(&sounds, &infos, 0);  // nothing left to load
  DS_Release();                                   // waits, then releases all
  EXPECT_EQ(sounds[0].lpBuffers, nullptr);
  EXPECT_EQ(GetAudioMixer().BufferCount(), 0);
}

TEST(SoundEffectsOff, EveryCallIsAHarmlessNoOpWithoutAnOutput) {
  cTestGameFolder folder;
  cPulledOutput noDevice(0);
  SetTraceLog(true, kTraceLogName);
  EXPECT_FALSE(DS_Init(nullptr, 22050, 8, 1));
  EXPECT_NE(folder.ReadFile(kTraceLogName).find("DIRECTSOUNDCREATE_ERR!"), std::string::npos);
  EXPECT_FALSE(DS_IsRunning());
  SOUNDDATA sd;
  EXPECT_TRUE(DS_CreateSound(sd, "se\\missing.wav", 1, 0));
  EXPECT_EQ(sd.lpBuffers, nullptr);
  DS_Play(sd, 0);
  EXPECT_EQ(DS_SetVolume(sd, 0, -100, 0), 0);
  DS_Release();
  EXPECT_FALSE(IsAudioOutputOpen());
}

}  // namespace
