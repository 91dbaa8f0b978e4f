// Ogg music, the music player's tracks and channels, and FluidSynth.

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "platform/sound/bgm_player.h"
#include "platform/sound/midi_out.h"
#include "platform/sound/ogg_player.h"
#include "platform/sound/tests/ogg_fixture.h"
#include "platform/sound/tests/sound_test_support.h"
#include "testing/ci.h"
#include "testing/game_folder.h"

using namespace soundtest;

namespace {

// Frames of a rendered block whose level is above a whisper, and the RMS.
struct Level {
  int nLoud = 0;
  double dRms = 0;
  int nLastLoud = -1;
};
Level Measure(const std::vector<float>& v) {
  Level l;
  double s = 0;
  for (size_t i = 0; i < v.size() / 2; ++i) {
    s += v[2 * i] * v[2 * i];
    if (std::fabs(v[2 * i]) > 0.01f) {
      ++l.nLoud;
      l.nLastLoud = static_cast<int>(i);
    }
  }
  l.dRms = std::sqrt(s / std::max<size_t>(v.size() / 2, 1));
  return l;
}

std::vector<float> RenderOf(cAudioMixer& mixer, int n) {
  std::vector<float> v(2 * static_cast<size_t>(n));
  mixer.Render(v.data(), n);
  return v;
}

// At the file's rate the song is mixed as decoded, at another through the
// converter, which the next play after the end starts afresh.
TEST(OggPlayer, PlaysOnceLoopsAndStops) {
  cTestGameFolder folder;
  folder.WriteFile("bgm\\s.ogg", MakeOggSine(22050, 1, 11025));  // half a second
  for (int nRate : {22050, 48000}) {
    SCOPED_TRACE(nRate);
    cAudioMixer mixer(nRate);
    cOggPlayer player(mixer);
    EXPECT_FALSE(player.Load("bgm\\missing.ogg"));
    folder.WriteFile("bgm\\junk.ogg", std::string(4000, 'x'));
    EXPECT_FALSE(player.Load("bgm\\junk.ogg"));
    ASSERT_TRUE(player.Load("bgm\\s.ogg"));

    player.SetLoopCount(0);
    player.Play();
    Level l = Measure(RenderOf(mixer, nRate));
    EXPECT_NEAR(l.dRms, 0.5 / std::sqrt(2.0) * std::sqrt(0.5), 0.05);  // sound for half the time
    EXPECT_NEAR(l.nLastLoud, nRate / 2, 30);
    EXPECT_FALSE(player.IsPlaying());

    // One loop: twice the song, then silence; the seam has no gap.
    player.SetLoopCount(1);
    player.Play();
    const std::vector<float> twice = RenderOf(mixer, nRate * 3 / 2);
    l = Measure(twice);
    EXPECT_NEAR(l.nLastLoud, nRate, 30);
    int nQuietRun = 0, nLongestQuiet = 0;
    for (int i = 100; i < nRate - 100; ++i) {
      nQuietRun = std::fabs(twice[2 * i]) < 0.01f ? nQuietRun + 1 : 0;
      nLongestQuiet = std::max(nLongestQuiet, nQuietRun);
    }
    EXPECT_LE(nLongestQuiet, 3 * nRate / 22050);  // only zero crossings: no gap at the seam
    EXPECT_FALSE(player.IsPlaying());

    // Endless, then stopped.
    player.SetLoopCount(kLoopForever);
    player.Play();
    RenderOf(mixer, 5 * nRate);
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_GT(Measure(RenderOf(mixer, nRate / 10)).dRms, 0.2);
    player.Stop();
    EXPECT_EQ(Measure(RenderOf(mixer, nRate / 10)).nLoud, 0);
    player.Unload();
    player.Play();  // nothing loaded: nothing plays
    EXPECT_FALSE(player.IsPlaying());
  }
}

TEST(OggPlayer, ResamplesStereoToTheOutputRate) {
  cTestGameFolder folder;
  folder.WriteFile("bgm\\s44.ogg", MakeOggSine(44100, 2, 22050));  // half a second
  cAudioMixer mixer(22050);
  cOggPlayer player(mixer);
  ASSERT_TRUE(player.Load("bgm\\s44.ogg"));
  player.Play();
  const std::vector<float> v = RenderOf(mixer, 22050);
  EXPECT_NEAR(Measure(v).nLastLoud, 11025, 30);
  EXPECT_NEAR(v[2 * 100], v[2 * 100 + 1], 1e-6);  // both channels carry the sine
}

// Files of more than twice the output rate step past the frames decoded so
// far; the rest of the step carries into the next ones.
TEST(OggPlayer, PlaysFilesOfAnyHigherRateWhole) {
  cTestGameFolder folder;
  for (int nRate : {47999, 48000, 50000, 64000, 72000, 96000}) {
    SCOPED_TRACE(nRate);
    folder.WriteFile("bgm\\h.ogg", MakeOggSine(nRate, 2, nRate / 2));  // half a second
    cAudioMixer mixer(22050);
    cOggPlayer player(mixer);
    ASSERT_TRUE(player.Load("bgm\\h.ogg"));
    player.Play();
    const Level l = Measure(RenderOf(mixer, 22050));
    EXPECT_NEAR(l.nLastLoud, 11025, 30);
    EXPECT_NEAR(l.dRms, 0.5 / std::sqrt(2.0) * std::sqrt(0.5), 0.05);
    EXPECT_FALSE(player.IsPlaying());
  }
}

// Lowering the rate filters out what lies above the output's Nyquist
// frequency: a 23 kHz tone of a 48,000 Hz file into a 44,100 Hz mix is gone,
// where interpolating between samples would fold it back to 21.1 kHz at
// about 40% of its level. A 1 kHz tone keeps its level and pitch.
TEST(OggPlayer, LowersTheRateBandLimited) {
  cTestGameFolder folder;
  struct Case {
    double dFrequency;
    bool bKept;
  } cases[] = {{1000, true}, {23000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dFrequency);
    folder.WriteFile("bgm\\t.ogg", MakeOggSine(48000, 1, 24000, 0.5f, c.dFrequency));
    cAudioMixer mixer(44100);
    cOggPlayer player(mixer);
    ASSERT_TRUE(player.Load("bgm\\t.ogg"));
    player.Play();
    const cTone tone = ToneOf(RenderOf(mixer, 22050), 2205, 19845);
    if (c.bKept) {
      EXPECT_NEAR(tone.dRms, 0.5 / std::sqrt(2.0), 0.01);
      EXPECT_NEAR(tone.dPeriod, 44.1, 0.01);
    } else {
      EXPECT_LT(tone.dRms, 0.0035);  // 40 dB down at least
    }
  }
}

// A file at the output's rate reaches the mix exactly as decoded.
TEST(OggPlayer, PassesAFileAtTheOutputRateThroughUnchanged) {
  cTestGameFolder folder;
  folder.WriteFile("bgm\\s.ogg", MakeOggSine(44100, 2, 4410, 0.5f, 1000));
  std::vector<float> decoded;
  OggVorbis_File vf;
  ASSERT_EQ(ov_fopen((folder.NativePath() + "/bgm/s.ogg").c_str(), &vf), 0);
  for (;;) {
    float** lppPcm = nullptr;
    int nSection = 0;
    const long n = ov_read_float(&vf, &lppPcm, 1024, &nSection);
    if (n <= 0) break;
    for (long i = 0; i < n; ++i) {
      decoded.push_back(lppPcm[0][i]);
      decoded.push_back(lppPcm[1][i]);
    }
  }
  ov_clear(&vf);
  ASSERT_EQ(decoded.size(), 2u * 4410);

  cAudioMixer mixer(44100);
  cOggPlayer player(mixer);
  ASSERT_TRUE(player.Load("bgm\\s.ogg"));
  player.Play();
  std::vector<float> out = RenderOf(mixer, 5000);
  EXPECT_FALSE(player.IsPlaying());
  out.resize(decoded.size());
  EXPECT_EQ(out, decoded);
}

// Rates far outside what sound files use are refused with a line, not
// converted with a filter or a buffer of any size they ask for.
TEST(OggPlayer, RefusesRatesNoConverterTakes) {
  cTestGameFolder folder;
  folder.WriteFile("bgm\\low.ogg", MakeOggSine(800, 1, 800));
  cAudioMixer mixer(48000);
  cOggPlayer player(mixer);
  EXPECT_FALSE(player.Load("bgm\\low.ogg"));
  EXPECT_EQ(folder.ReportLogText(),
            "Ogg bgm\\low.ogg サンプリング周波数 800 Hz は再生できません\n");
}

// The music player on a pulled output, with Ogg players on the test's mixer
// and a recording MIDI output.
class BgmPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* ogg[5] = {"bgm\\Title.ogg", "bgm\\WorldMap.ogg", "bgm\\Challenge.ogg",
                          "bgm\\Option.ogg", "bgm\\Stage.ogg"};
    const char* mid[5] = {"bgm\\Title.mid", "bgm\\WorldMap.mid", "bgm\\Challenge.mid",
                          "bgm\\Option.mid", "bgm\\Stage.mid"};
    for (int i = 0; i < 5; ++i) {
      std::strcpy(oggPath[i], ogg[i]);
      std::strcpy(midPath[i], mid[i]);
    }
    folder.WriteFile("bgm\\Title.ogg", MakeOggSine(22050, 1, 4410));
    folder.WriteFile("bgm\\Stage.mid",
                     Smf(0, 96, {Bytes({0x00, 0x90, 0x3C, 0x64, 0x60, 0xFF, 0x2F, 0x00})}));
    folder.WriteFile("bgm\\Boss.mid",
                     Smf(0, 96, {Bytes({0x00, 0x91, 0x3C, 0x64, 0x60, 0xFF, 0x2F, 0x00})}));
  }
  void TearDown() override { player.Release(); }

  cTestGameFolder folder;
  cPulledOutput output;
  cRecordingMidiGuard midi;
  char oggPath[5][kOggPathSize] = {};
  char midPath[5][kMidiPathSize] = {};
  cBgmPlayer player;
};

TEST_F(BgmPlayer, SetsTracksByTheExtension) {
  ASSERT_EQ(player.Init(1, oggPath, midPath, 5), 1);
  EXPECT_EQ(player.SetTrack(2, "bgm\\Boss.MID"), 1);
  EXPECT_STREQ(midPath[2], "bgm\\Boss.mid");
  EXPECT_STREQ(oggPath[2], "bgm\\Challenge.ogg");
  EXPECT_EQ(player.m_TrackKind[2], cBgmPlayer::kKindMidi);

  EXPECT_EQ(player.SetTrack(1, "bgm\\Field.OGG"), 1);
  EXPECT_STREQ(oggPath[1], "bgm\\Field.OGG");
  EXPECT_STREQ(midPath[1], "bgm\\WorldMap.mid");
  EXPECT_EQ(player.m_TrackKind[1], cBgmPlayer::kKindOgg);

  EXPECT_EQ(player.SetTrack(3, "bgm\\Song.wav"), 0);
  EXPECT_STREQ(oggPath[3], "bgm\\Song.wav");
  EXPECT_STREQ(midPath[3], "bgm\\Song.wav");
  EXPECT_EQ(player.m_TrackKind[3], cBgmPlayer::kKindEither);

  // A name without extension empties the track; playing it fails and
  // stops the music.
  ASSERT_EQ(player.Play(0, 4, 1, 0, 1), 1);
  EXPECT_EQ(player.SetTrack(4, "bgm\\NoExtension"), 0);
  EXPECT_STREQ(oggPath[4], "");
  EXPECT_STREQ(midPath[4], "");
  EXPECT_EQ(player.Play(0, 4, 1, 0, 1), 0);
  EXPECT_EQ(player.m_nTrack, -1);
  EXPECT_EQ(player.m_Midi.m_vStreams[0], nullptr);  // the playing stream is gone

  // Bad numbers and long names never reach past the tables.
  EXPECT_EQ(player.SetTrack(5, "bgm\\x.mid"), 0);
  EXPECT_EQ(player.SetTrack(-1, "bgm\\x.mid"), 0);
  EXPECT_EQ(player.Play(0, 9, 1, 0, 1), 0);
  EXPECT_EQ(player.Play(3, 0, 1, 0, 1), 0);
  const std::string strLong = "bgm\\" + std::string(400, 'a') + ".MID";
  EXPECT_EQ(player.SetTrack(0, strLong.c_str()), 1);
  EXPECT_EQ(std::strlen(midPath[0]), static_cast<size_t>(kMidiPathSize - 1));
  EXPECT_NE(folder.ReportLogText().find("トラック番号 5 は範囲外です"), std::string::npos);
}

TEST_F(BgmPlayer, PrefersOggFallsBackToMidiAndRestartsOnlyWhenForced) {
  ASSERT_EQ(player.Init(1, oggPath, midPath, 5), 1);
  EXPECT_EQ(player.Play(0, 0, 1, 0, 1), 1);  // Title: the Ogg file exists
  EXPECT_EQ(player.m_ChannelKind[0], cBgmPlayer::kChannelOgg);
  EXPECT_TRUE(player.m_Vox.m_lpPlayers[0]->IsPlaying());

  EXPECT_EQ(player.Play(0, 4, 1, 0, 1), 1);  // Stage: no Ogg file, MIDI plays
  EXPECT_EQ(player.m_ChannelKind[0], cBgmPlayer::kChannelMidi);
  EXPECT_FALSE(player.m_Vox.m_lpPlayers[0]->IsPlaying());
  const cMidiStream* lpFirst = player.m_Midi.m_vStreams[0].get();
  EXPECT_EQ(lpFirst->State(), cMidiStream::kPlaying);

  EXPECT_EQ(player.Play(0, 4, 1, 0, 0), 1);  // same track, not forced: untouched
  EXPECT_EQ(player.m_Midi.m_vStreams[0].get(), lpFirst);
  EXPECT_EQ(player.Play(0, 4, 1, 0, 1), 1);  // forced: a new stream from the start
  EXPECT_NE(player.m_Midi.m_vStreams[0].get(), nullptr);
  EXPECT_EQ(player.m_Midi.m_vStreams[0]->State(), cMidiStream::kPlaying);

  EXPECT_EQ(player.Play(0, 0, 1, 0, 1), 1);  // back to Ogg: MIDI stopped
  EXPECT_EQ(player.m_Midi.m_vStreams[0]->State(), cMidiStream::kStopped);
  player.Stop();
  EXPECT_FALSE(player.m_Vox.m_lpPlayers[0]->IsPlaying());

  // Nothing to play: the track is forgotten so that the next request retries.
  EXPECT_EQ(player.Play(0, 1, 1, 0, 1), 0);
  EXPECT_EQ(player.m_nTrack, -1);
  EXPECT_EQ(player.m_ChannelKind[0], cBgmPlayer::kChannelNone);
}

TEST_F(BgmPlayer, WithoutOggPlayersMidiStillPlays) {
  std::vector<std::string> boxes;
  SetMessageBoxProvider([&](const std::string& t, const std::string&, MsgBoxType) {
    boxes.push_back(t);
    return kMsgBoxOk;
  });
  SetTraceLog(true, kTraceLogName);
  SetOggPlayerFactory(nullptr);
  EXPECT_EQ(player.Init(1, oggPath, midPath, 5), 0);
  ResetOggPlayerFactory();
  EXPECT_EQ(boxes, (std::vector<std::string>{"oggの初期化に失敗！"}));
  EXPECT_NE(folder.ReadFile(kTraceLogName).find("m_Vox.Init失敗！"), std::string::npos);
  EXPECT_EQ(player.m_bInit, 1);
  EXPECT_EQ(player.Play(0, 0, 1, 0, 1), 0);  // Ogg only exists for Title: nothing
  EXPECT_EQ(player.Play(0, 4, 1, 0, 1), 1);
  EXPECT_EQ(player.m_ChannelKind[0], cBgmPlayer::kChannelMidi);
}

TEST_F(BgmPlayer, DoesNothingWhileOffAndStartsCleanWhenInitialisedAgain) {
  EXPECT_EQ(player.SetTrack(0, "bgm\\x.mid"), 1);
  EXPECT_EQ(player.Play(0, 0, 1, 0, 1), 1);
  player.Stop();
  player.Release();
  EXPECT_STREQ(midPath[0], "bgm\\Title.mid");

  ASSERT_EQ(player.Init(1, oggPath, midPath, 5), 1);
  ASSERT_EQ(player.Play(0, 4, 1, 0, 1), 1);
  ASSERT_EQ(player.Init(1, oggPath, midPath, 5), 1);  // from the options: released first
  EXPECT_EQ(player.m_Midi.m_vStreams[0], nullptr);
  EXPECT_EQ(player.m_nTrack, -1);
  player.Release();
  EXPECT_FALSE(IsAudioOutputOpen());
}

TEST(FluidSynth, RendersANoteWithTheDefaultSoundFont) {
  if (!std::filesystem::exists(GetSoundFontPath())) SKIP_UNLESS_IN_CI("no SoundFont installed");
  cTestGameFolder folder;
  std::shared_ptr<cMidiOut> out = CreateFluidMidiOut(kRequestedOutputRate, GetSoundFontPath());
  ASSERT_NE(out, nullptr);
  out->ShortMessage(0x00C0, 0);    // piano
  out->ShortMessage(0x643C90, 0);  // middle C
  std::vector<float> v(2 * 4800, 0.0f);
  out->Render(v.data(), 4800);
  float fPeak = 0;
  for (float x : v) fPeak = std::max(fPeak, std::fabs(x));
  EXPECT_GT(fPeak, 0.01f);
  EXPECT_EQ(folder.ReportLogText(), "");
}

TEST(FluidSynth, AMissingSoundFontChosenByTheEnvironmentLeavesASilentSynthesizer) {
  cTestGameFolder folder;
  ::setenv(kSoundFontVariable, "/nonexistent/none.sf2", 1);
  const std::string strPath = GetSoundFontPath();
  std::shared_ptr<cMidiOut> out = CreateFluidMidiOut(kRequestedOutputRate, strPath);
  ::unsetenv(kSoundFontVariable);
  EXPECT_EQ(strPath, "/nonexistent/none.sf2");
  EXPECT_EQ(GetSoundFontPath(), kDefaultSoundFont);
  ASSERT_NE(out, nullptr);
  out->ShortMessage(0x643C90, 0);
  std::vector<float> v(2 * 512, 0.0f);
  out->Render(v.data(), 512);
  EXPECT_EQ(Measure(v).nLoud, 0);
  EXPECT_EQ(folder.ReportLogText(), "Midi SoundFont /nonexistent/none.sf2 を読み込めません\n");
}

}  // namespace
