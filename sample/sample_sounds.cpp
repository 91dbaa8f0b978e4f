// The sounds and music of the sample game: a short WAV for every system
// sound and for the stage sounds, a title theme in Ogg Vorbis and a stage
// theme as a standard MIDI file.
//
// Tones are made with integer oscillators, so the WAV and MIDI bytes are the
// same on every machine; the Ogg file is encoded with a fixed stream serial.

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "sample/sample_game.h"

namespace {

constexpr uint32_t kRate = 22050;  // the rate the sound layer runs at

// ---- Tones ----------------------------------------------------------------------

enum class eWave { kSquare, kTriangle, kNoise };

// One segment of a sound: the pitch glides from nFrom to nTo Hz over nMs
// milliseconds, the loudness (0 to 100) decays to nEndLevel percent of
// nLevel.
struct TONE {
  int nFrom;
  int nTo;
  int nMs;
  eWave wave;
  int nLevel = 60;
  int nEndLevel = 20;
};

// Appends the tone to 8-bit unsigned samples.
void Synthesize(std::vector<uint8_t>& out, const TONE& t) {
  const uint32_t n = kRate * static_cast<uint32_t>(t.nMs) / 1000;
  const uint32_t nAttack = std::min<uint32_t>(n / 8, 40);
  uint32_t phase = 0;
  uint32_t noise = 0x12345u;
  int noiseValue = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const int64_t f = t.nFrom + (static_cast<int64_t>(t.nTo) - t.nFrom) * i / n;
    phase += static_cast<uint32_t>((static_cast<uint64_t>(f) << 32) / kRate);
    int v;  // -64 .. 64
    switch (t.wave) {
      case eWave::kSquare:
        v = (phase >> 31) ? 64 : -64;
        break;
      case eWave::kTriangle: {
        const int p = static_cast<int>(phase >> 24);  // 0 .. 255
        v = (p < 128 ? p : 255 - p) - 64;
        break;
      }
      default:
        if ((phase >> 28) !=
            ((phase - static_cast<uint32_t>((static_cast<uint64_t>(f) << 32) / kRate)) >> 28)) {
          noise = noise * 1103515245u + 12345u;
          noiseValue = static_cast<int>((noise >> 16) & 127) - 64;
        }
        v = noiseValue;
        break;
    }
    // Level in percent, falling linearly from nLevel to nLevel x nEndLevel %.
    const int64_t level =
        t.nLevel * (100 * static_cast<int64_t>(n) - (100 - t.nEndLevel) * static_cast<int64_t>(i)) /
        (100 * static_cast<int64_t>(n));
    int64_t s = v * level / 50;  // -128 .. 128 at level 100
    if (i < nAttack) s = s * static_cast<int64_t>(i) / nAttack;
    out.push_back(static_cast<uint8_t>(std::clamp<int64_t>(128 + s, 0, 255)));
  }
}

void PutU16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void PutU32(std::string& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}
void PutU32BE(std::string& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
}

// A PCM WAV file: mono, 8 bits, 22050 Hz.
std::string WaveFile(std::initializer_list<TONE> tones) {
  std::vector<uint8_t> samples;
  for (const TONE& t : tones) Synthesize(samples, t);
  const auto nData = static_cast<uint32_t>(samples.size());
  std::string out = "RIFF";
  PutU32(out, 4 + 8 + 16 + 8 + nData + (nData & 1));
  out += "WAVEfmt ";
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, 1);  // mono
  PutU32(out, kRate);
  PutU32(out, kRate);  // bytes per second
  PutU16(out, 1);      // block align
  PutU16(out, 8);      // bits per sample
  out += "data";
  PutU32(out, nData);
  out.append(samples.begin(), samples.end());
  if (nData & 1) out.push_back('\0');  // chunks are padded to even sizes
  return out;
}

// ---- Music ------------------------------------------------------------------------

// A note of a tune: key (MIDI number, 0 = rest) and length in eighths.
struct NOTE {
  int nKey;
  int nEighths;
};

// The title theme (Ogg) and the stage theme (MIDI), each a melody over a bass.
const std::vector<NOTE> kTitleMelody = {
    {72, 2}, {76, 2}, {79, 3}, {77, 1}, {76, 2}, {74, 2}, {72, 4}, {74, 2}, {76, 2},
    {77, 2}, {79, 2}, {81, 4}, {79, 4}, {77, 2}, {76, 2}, {74, 2}, {72, 2}, {71, 2},
    {72, 2}, {74, 4}, {76, 2}, {74, 2}, {72, 2}, {67, 2}, {72, 8},
};
const std::vector<NOTE> kTitleBass = {
    {48, 8}, {53, 8}, {55, 8}, {48, 8}, {53, 8}, {55, 8}, {48, 8}, {55, 4}, {48, 4},
};
const std::vector<NOTE> kStageMelody = {
    {76, 1}, {76, 1}, {0, 1},  {76, 1}, {0, 1},  {72, 1}, {76, 2}, {79, 4}, {67, 4},
    {72, 3}, {67, 3}, {64, 2}, {69, 2}, {71, 2}, {70, 1}, {69, 3}, {67, 2}, {76, 2},
    {79, 2}, {81, 2}, {77, 1}, {79, 3}, {76, 2}, {72, 1}, {74, 1}, {71, 4},
};
const std::vector<NOTE> kStageBass = {
    {48, 2}, {55, 2}, {48, 2}, {55, 2}, {43, 2}, {50, 2}, {43, 2}, {50, 2},
    {45, 2}, {52, 2}, {45, 2}, {52, 2}, {41, 2}, {48, 2}, {43, 2}, {47, 2},
    {48, 2}, {55, 2}, {48, 2}, {55, 2}, {41, 2}, {48, 2}, {43, 2}, {50, 2},
};

// Frequency of a MIDI key in Hz x 16, from an equal-tempered table of one
// octave (integers, so the result is the same everywhere).
int KeyFreq16(int nKey) {
  static constexpr int kOctave4[12] = {4186, 4435, 4699, 4978, 5274, 5588,
                                       5920, 6272, 6645, 7040, 7459, 7902};  // C4..B4 x 16
  const int nOctave = nKey / 12 - 5;                                         // key 60 is C4
  const int f = kOctave4[nKey % 12];
  return nOctave >= 0 ? f << nOctave : f >> -nOctave;
}

// Mixes a tune into float samples: triangle notes with a short decay.
void RenderTune(std::vector<float>& out, const std::vector<NOTE>& notes, int nEighthSamples,
                float fLevel) {
  size_t pos = 0;
  for (const NOTE& note : notes) {
    const size_t n = static_cast<size_t>(note.nEighths) * nEighthSamples;
    if (note.nKey != 0) {
      const uint32_t inc =
          static_cast<uint32_t>((static_cast<uint64_t>(KeyFreq16(note.nKey)) << 28) / kRate);
      uint32_t phase = 0;
      for (size_t i = 0; i < n && pos + i < out.size(); ++i) {
        phase += inc;
        const int p = static_cast<int>(phase >> 24);
        const float v = static_cast<float>((p < 128 ? p : 255 - p) - 64) / 64.0f;
        const float env = 1.0f - 0.6f * static_cast<float>(i) / static_cast<float>(n);
        const float release = i + 200 > n ? static_cast<float>(n - i) / 200.0f : 1.0f;
        out[pos + i] += fLevel * v * env * release;
      }
    }
    pos += n;
  }
}

std::string OggFile(const std::vector<float>& samples) {
  std::string out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, 1, kRate, 0.1f) != 0) {
    vorbis_info_clear(&vi);
    return out;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 0x53414D50);  // a fixed serial keeps the file the same
  ogg_packet header, comment, code;
  vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comment);
  ogg_stream_packetin(&os, &code);
  ogg_page og;
  auto writePage = [&] {
    out.append(reinterpret_cast<const char*>(og.header), static_cast<size_t>(og.header_len));
    out.append(reinterpret_cast<const char*>(og.body), static_cast<size_t>(og.body_len));
  };
  while (ogg_stream_flush(&os, &og) != 0) writePage();
  size_t done = 0;
  bool bEnd = false;
  while (!bEnd) {
    const size_t n = std::min<size_t>(1024, samples.size() - done);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);
      bEnd = true;
    } else {
      float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      std::copy_n(samples.begin() + static_cast<ptrdiff_t>(done), n, buf[0]);
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      done += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og) != 0) writePage();
      }
    }
  }
  while (ogg_stream_flush(&os, &og) != 0) writePage();
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

std::string TitleThemeOgg() {
  const int nEighth = static_cast<int>(kRate) * 60 / 132 / 2;  // 132 beats a minute
  int nEighths = 0;
  for (const NOTE& note : kTitleMelody) nEighths += note.nEighths;
  std::vector<float> samples(static_cast<size_t>(nEighths) * nEighth, 0.0f);
  RenderTune(samples, kTitleMelody, nEighth, 0.35f);
  RenderTune(samples, kTitleBass, nEighth, 0.25f);
  return OggFile(samples);
}

void PutVLQ(std::string& out, uint32_t v) {
  char buf[4];
  int n = 0;
  buf[n++] = static_cast<char>(v & 0x7F);
  while ((v >>= 7) != 0) buf[n++] = static_cast<char>(0x80 | (v & 0x7F));
  while (n > 0) out.push_back(buf[--n]);
}

// A format-0 standard MIDI file: 96 ticks a quarter, 150 beats a minute;
// channel 0 plays the melody (square lead), channel 1 the bass.
std::string StageThemeMidi() {
  constexpr uint32_t kEighth = 48;
  struct EVENT {
    uint32_t nTick;
    int nOrder;  // at equal ticks: note-offs before note-ons
    std::string bytes;
  };
  std::vector<EVENT> events;
  auto addTune = [&](const std::vector<NOTE>& notes, int nChannel, int nVelocity) {
    uint32_t tick = 0;
    for (const NOTE& note : notes) {
      const uint32_t len = static_cast<uint32_t>(note.nEighths) * kEighth;
      if (note.nKey != 0) {
        const char ch = static_cast<char>(nChannel);
        events.push_back({tick,
                          1,
                          {static_cast<char>(0x90 | ch), static_cast<char>(note.nKey),
                           static_cast<char>(nVelocity)}});
        events.push_back(
            {tick + len - 4, 0, {static_cast<char>(0x80 | ch), static_cast<char>(note.nKey), 0}});
      }
      tick += len;
    }
  };
  addTune(kStageMelody, 0, 100);
  addTune(kStageBass, 1, 90);
  std::stable_sort(events.begin(), events.end(), [](const EVENT& a, const EVENT& b) {
    return a.nTick != b.nTick ? a.nTick < b.nTick : a.nOrder < b.nOrder;
  });

  std::string track;
  PutVLQ(track, 0);
  track += std::string("\xFF\x51\x03", 3);  // tempo: 400000 microseconds a quarter
  track += std::string("\x06\x1A\x80", 3);
  const char setup[][3] = {{'\xC0', 80, 0}, {'\xC1', 33, 0}, {'\xB0', 7, 100}, {'\xB1', 7, 110}};
  for (const auto& e : setup) {
    PutVLQ(track, 0);
    track.append(e, (e[0] & 0xF0) == 0xC0 ? 2 : 3);
  }
  uint32_t last = 0;
  for (const EVENT& e : events) {
    PutVLQ(track, e.nTick - last);
    track += e.bytes;
    last = e.nTick;
  }
  PutVLQ(track, 4);
  track += std::string("\xFF\x2F\x00", 3);

  std::string out = "MThd";
  PutU32BE(out, 6);
  out += std::string("\x00\x00\x00\x01\x00\x60", 6);  // format 0, one track, 96 ticks
  out += "MTrk";
  PutU32BE(out, static_cast<uint32_t>(track.size()));
  out += track;
  return out;
}

}  // namespace

bool WriteSampleSounds() {
  using W = eWave;
  const std::pair<const char*, std::string> files[] = {
      // System sounds 0 to 16 (their numbers are the System record's order).
      {"wave\\cursor.wav", WaveFile({{880, 880, 40, W::kSquare, 40}})},
      {"wave\\decide.wav",
       WaveFile({{660, 660, 50, W::kSquare, 45}, {1320, 1320, 70, W::kSquare}})},
      {"wave\\cancel.wav", WaveFile({{600, 300, 110, W::kSquare, 45}})},
      {"wave\\buzzer.wav", WaveFile({{150, 140, 220, W::kSquare, 50, 60}})},
      {"wave\\menu.wav",
       WaveFile({{523, 523, 60, W::kTriangle, 70}, {784, 784, 90, W::kTriangle}})},
      {"wave\\save.wav", WaveFile({{523, 523, 70, W::kTriangle, 70},
                                   {659, 659, 70, W::kTriangle, 70},
                                   {784, 784, 140, W::kTriangle, 70}})},
      {"wave\\switch.wav",
       WaveFile({{1000, 1000, 30, W::kSquare, 40}, {1400, 1400, 40, W::kSquare}})},
      {"wave\\se07.wav", WaveFile({{440, 440, 100, W::kTriangle, 70}})},
      {"wave\\miss.wav", WaveFile({{800, 100, 700, W::kSquare, 50, 10}})},
      {"wave\\defeat.wav", WaveFile({{2000, 300, 220, W::kNoise, 60, 5}})},
      {"wave\\se10.wav", WaveFile({{300, 300, 100, W::kTriangle, 70}})},
      {"wave\\se11.wav", WaveFile({{350, 350, 100, W::kTriangle, 70}})},
      {"wave\\message.wav", WaveFile({{1200, 1200, 30, W::kSquare, 35}})},
      {"wave\\warning.wav", WaveFile({{1500, 1500, 60, W::kSquare, 40, 80},
                                      {0, 0, 40, W::kSquare, 0, 0},
                                      {1500, 1500, 60, W::kSquare, 40, 80}})},
      {"wave\\clear.wav", WaveFile({{523, 523, 120, W::kTriangle, 80, 70},
                                    {659, 659, 120, W::kTriangle, 80, 70},
                                    {784, 784, 120, W::kTriangle, 80, 70},
                                    {1047, 1047, 400, W::kTriangle, 80, 10}})},
      {"wave\\extra.wav", WaveFile({{659, 659, 60, W::kSquare, 40, 80},
                                    {784, 784, 60, W::kSquare, 40, 80},
                                    {1319, 1319, 60, W::kSquare, 40, 80},
                                    {1047, 1047, 60, W::kSquare, 40, 80},
                                    {1175, 1175, 60, W::kSquare, 40, 80},
                                    {1568, 1568, 160, W::kSquare, 40, 10}})},
      {"wave\\ranking.wav",
       WaveFile({{784, 784, 80, W::kTriangle, 70}, {1047, 1047, 200, W::kTriangle, 70}})},
      // Sounds of the stages (Sound table rows 1 to 3).
      {"wave\\jump.wav", WaveFile({{300, 900, 150, W::kSquare, 40, 30}})},
      {"wave\\shot.wav", WaveFile({{1200, 400, 90, W::kSquare, 35, 20}})},
      {"wave\\coin.wav",
       WaveFile({{988, 988, 60, W::kSquare, 40, 90}, {1319, 1319, 220, W::kSquare, 40, 5}})},
      // Music.
      {"bgm\\Title.ogg", TitleThemeOgg()},
      {"bgm\\Stage.mid", StageThemeMidi()},
  };
  for (const auto& [pszPath, bytes] : files) {
    if (bytes.empty() || !WriteSampleFile(pszPath, bytes)) return false;
  }
  return true;
}
