// One second of 48,000 Hz output: 16 sound-effect voices (22,050 Hz files,
// converted when loaded) plus a MIDI track through FluidSynth or an Ogg
// Vorbis song (decoded, and converted when its rate is not the output's),
// pulled in device-sized blocks. Beside it: the same second copied with
// memcpy (the floor for moving the bytes at all) and each part alone. Each
// iteration is one second of sound, so the time per iteration divided by one
// second is the share of one core the sound takes. Converting one effect
// when it is loaded is measured apart: it happens at start-up, not per block.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/audio_mixer.h"
#include "platform/sound/midi_file.h"
#include "platform/sound/midi_out.h"
#include "platform/sound/midi_stream.h"
#include "platform/sound/ogg_player.h"
#include "platform/sound/resampler.h"
#include "platform/sound/tests/ogg_fixture.h"

namespace {

constexpr int kRate = kRequestedOutputRate;
constexpr int kBlock = 1024;  // the SDL device's block

void Be(std::string& s, uint32_t v, int n) {
  for (int i = n - 1; i >= 0; --i) s.push_back(static_cast<char>(v >> (8 * i)));
}

// A game song of 32 bars at 120 beats a minute: melody and bass in eighth
// notes, a three-note string pad held per bar and drums on every beat, about
// twelve notes at once. nDensity doubles the parts (8 channels for 2).
std::string Song(int nDensity) {
  std::string t;
  auto event = [&t](int delta, int status, int d1, int d2) {
    uint8_t v[4];
    t.append(reinterpret_cast<const char*>(v), WriteVLQ(v, static_cast<uint32_t>(delta)));
    t.push_back(static_cast<char>(status));
    t.push_back(static_cast<char>(d1));
    if (d2 >= 0) t.push_back(static_cast<char>(d2));
  };
  const int aProgram[4] = {0, 33, 48, 80};
  for (int c = 0; c < 4 * nDensity; ++c) event(0, 0xC0 | (c % 9), aProgram[c % 4], -1);
  for (int bar = 0; bar < 32; ++bar) {
    for (int eighth = 0; eighth < 8; ++eighth) {
      for (int d = 0; d < nDensity; ++d) {
        const int m = 4 * d;
        event(0, 0x90 | m, 72 + (bar * 3 + eighth * 5) % 12, 100);  // melody
        event(0, 0x90 | (m + 1), 36 + (bar % 4) * 2, 90);           // bass
        if (eighth == 0)
          for (int k = 0; k < 3; ++k) event(0, 0x90 | (m + 2), 60 + k * 4, 70);  // pad
        if (eighth % 2 == 0) event(0, 0x99, eighth == 0 ? 36 : 38, 100);         // drums
        if (eighth % 2 == 0) event(0, 0x99, 42, 80);
      }
      bool bFirst = true;
      for (int d = 0; d < nDensity; ++d) {
        const int m = 4 * d;
        event(bFirst ? 48 : 0, 0x80 | m, 72 + (bar * 3 + eighth * 5) % 12, 0);
        bFirst = false;
        event(0, 0x80 | (m + 1), 36 + (bar % 4) * 2, 0);
        if (eighth == 7)
          for (int k = 0; k < 3; ++k) event(0, 0x80 | (m + 2), 60 + k * 4, 0);
      }
    }
  }
  t += std::string("\x00\xFF\x2F\x00", 4);
  std::string s = "MThd";
  Be(s, 6, 4);
  Be(s, 0, 2);
  Be(s, 1, 2);
  Be(s, 96, 2);
  s += "MTrk";
  Be(s, static_cast<uint32_t>(t.size()), 4);
  return s + t;
}

// A second of a 16-bit mono noise-like effect at 22,050 Hz, the rate the
// program's effect files have.
std::shared_ptr<const cSampleData> Effect(int seed) {
  std::vector<uint8_t> bytes(2 * 22050);
  uint32_t x = 12345u + seed;
  for (auto& b : bytes) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
  return MakeSampleData(bytes.data(), static_cast<uint32_t>(bytes.size()), 22050, 1, 16);
}

void UseBenchFolder(std::filesystem::path& folder) {
  folder = std::filesystem::temp_directory_path() / "player-sound-bench";
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
}

struct cScene {
  // nOggRate: the song's file rate (0: no Ogg song).
  cScene(bool bVoices, int nMidiNotes, int nOggRate = 0) : mixer(kRate) {
    if (bVoices) {
      for (int i = 0; i < 16; ++i) {
        cSoundBuffer* b = mixer.CreateBuffer(Effect(i));
        mixer.SetVolume(b, -600);
        mixer.Play(b, kPlayLooping);
      }
    }
    if (nMidiNotes > 0) {
      UseBenchFolder(folder);
      std::ofstream(folder / "song.mid", std::ios::binary) << Song(nMidiNotes);
      stream = std::make_unique<cMidiStream>("song.mid", &mixer);
      if (!stream->HasImage()) std::abort();
      stream->Play(1);
    }
    if (nOggRate > 0) {
      // Two seconds of stereo, looped.
      UseBenchFolder(folder);
      std::ofstream(folder / "song.ogg", std::ios::binary)
          << soundtest::MakeOggSine(nOggRate, 2, 2 * nOggRate);
      ogg = std::make_unique<cOggPlayer>(mixer);
      if (!ogg->Load("song.ogg")) std::abort();
      ogg->SetLoopCount(kLoopForever);
      ogg->Play();
    }
  }
  cAudioMixer mixer;
  std::filesystem::path folder;
  std::unique_ptr<cMidiStream> stream;
  std::unique_ptr<cOggPlayer> ogg;
};

void RenderOneSecond(benchmark::State& state, cScene& scene) {
  std::vector<int16_t> out(2 * kBlock);
  for (auto _ : state) {
    for (int n = 0; n < kRate; n += kBlock) {
      scene.mixer.RenderS16(out.data(), std::min(kBlock, kRate - n));
      benchmark::DoNotOptimize(out.data());
    }
  }
  // Seconds of sound made per second of work: 1 / this is the core share.
  state.counters["x_realtime"] =
      benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

// Argument: the song's density (0: no MIDI track).
void BM_Mix16VoicesAndMidi(benchmark::State& state) {
  cScene scene(true, static_cast<int>(state.range(0)));
  RenderOneSecond(state, scene);
}
BENCHMARK(BM_Mix16VoicesAndMidi)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_Mix16Voices(benchmark::State& state) {
  cScene scene(true, 0);
  RenderOneSecond(state, scene);
}
BENCHMARK(BM_Mix16Voices)->Unit(benchmark::kMillisecond);

// Argument: the Ogg song's rate (44,100 converted, 48,000 as decoded).
void BM_Mix16VoicesAndOgg(benchmark::State& state) {
  cScene scene(true, 0, static_cast<int>(state.range(0)));
  RenderOneSecond(state, scene);
}
BENCHMARK(BM_Mix16VoicesAndOgg)->Arg(44100)->Arg(48000)->Unit(benchmark::kMillisecond);

void BM_OggOnly(benchmark::State& state) {
  cScene scene(false, 0, static_cast<int>(state.range(0)));
  RenderOneSecond(state, scene);
}
BENCHMARK(BM_OggOnly)->Arg(44100)->Arg(48000)->Unit(benchmark::kMillisecond);

// Loading one second-long effect: its conversion from 22,050 Hz to the output.
void BM_ConvertEffectWhenLoaded(benchmark::State& state) {
  const std::shared_ptr<const cSampleData> data = Effect(0);
  for (auto _ : state) benchmark::DoNotOptimize(ResampleSampleData(data, kRate));
}
BENCHMARK(BM_ConvertEffectWhenLoaded)->Unit(benchmark::kMicrosecond);

void BM_MidiTrackOnly(benchmark::State& state) {
  cScene scene(false, static_cast<int>(state.range(0)));
  RenderOneSecond(state, scene);
}
BENCHMARK(BM_MidiTrackOnly)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The floor: copying one second of 16-bit stereo output in the same blocks.
void BM_MemcpyOneSecond(benchmark::State& state) {
  std::vector<int16_t> src(2 * kRate, 7), dst(2 * kBlock);
  for (auto _ : state) {
    for (int n = 0; n < kRate; n += kBlock) {
      const int m = std::min(kBlock, kRate - n);
      std::memcpy(dst.data(), src.data() + 2 * n, sizeof(int16_t) * 2 * m);
      benchmark::DoNotOptimize(dst.data());
    }
  }
  // Seconds of sound made per second of work: 1 / this is the core share.
  state.counters["x_realtime"] =
      benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MemcpyOneSecond)->Unit(benchmark::kMicrosecond);

}  // namespace
