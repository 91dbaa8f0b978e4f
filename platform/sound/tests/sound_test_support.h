#pragma once
// Shared pieces of the sound tests: WAV and MIDI bytes built by hand, an
// output that is pulled by the test instead of a device, and a MIDI output
// that records what reaches it.

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/sound/audio_output.h"
#include "platform/sound/midi_out.h"

namespace soundtest {

inline void Le16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v));
  s.push_back(static_cast<char>(v >> 8));
}
inline void Le32(std::string& s, uint32_t v) {
  Le16(s, static_cast<uint16_t>(v));
  Le16(s, static_cast<uint16_t>(v >> 16));
}
inline void Be16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v >> 8));
  s.push_back(static_cast<char>(v));
}
inline void Be32(std::string& s, uint32_t v) {
  Be16(s, static_cast<uint16_t>(v >> 16));
  Be16(s, static_cast<uint16_t>(v));
}

inline std::string Chunk(const std::string& id, const std::string& body) {
  std::string s = id;
  Le32(s, static_cast<uint32_t>(body.size()));
  s += body;
  if (body.size() & 1) s.push_back('\0');
  return s;
}

inline std::string FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  std::string f;
  Le16(f, tag);
  Le16(f, channels);
  Le32(f, rate);
  Le32(f, rate * channels * bits / 8);
  Le16(f, static_cast<uint16_t>(channels * bits / 8));
  Le16(f, bits);
  return f;
}

inline std::string Riff(const std::string& chunks) {
  std::string s = "RIFF";
  Le32(s, static_cast<uint32_t>(4 + chunks.size()));
  return s + "WAVE" + chunks;
}

// An 8-bit mono PCM file of n samples, all of one value.
inline std::string ConstantWav8(uint32_t rate, size_t n, uint8_t value) {
  return Riff(Chunk("fmt ", FmtBody(1, 1, rate, 8)) +
              Chunk("data", std::string(n, static_cast<char>(value))));
}

// Standard MIDI file: header chunk and tracks.
inline std::string Smf(uint16_t format, uint16_t division, const std::vector<std::string>& tracks) {
  std::string s = "MThd";
  Be32(s, 6);
  Be16(s, format);
  Be16(s, static_cast<uint16_t>(tracks.size()));
  Be16(s, division);
  for (const auto& t : tracks) {
    s += "MTrk";
    Be32(s, static_cast<uint32_t>(t.size()));
    s += t;
  }
  return s;
}

inline std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int x : b) s.push_back(static_cast<char>(x));
  return s;
}

// The output is pulled by the test: opening it opens nothing, and the
// device it stands for runs at nRate (0: there is no device).
class cPulledOutput {
 public:
  explicit cPulledOutput(int nRate = kRequestedOutputRate) {
    SetAudioDeviceOps({[nRate](cAudioMixer&, int) { return nRate; }, [] {}, [] {}});
  }
  ~cPulledOutput() { SetAudioDeviceOps({}); }
  cPulledOutput(const cPulledOutput&) = delete;
  cPulledOutput& operator=(const cPulledOutput&) = delete;
};

// A steady tone in a rendered block, read on the left channel from frame
// nFrom to nTo: its RMS and its period in frames, from the first to the last
// rising zero crossing (each placed between its two frames).
struct cTone {
  double dRms = 0;
  double dPeriod = 0;
};
inline cTone ToneOf(const std::vector<float>& v, size_t nFrom, size_t nTo) {
  cTone t;
  double dSum = 0, dFirst = -1, dLast = -1;
  int nCrossings = 0;
  for (size_t i = nFrom; i < nTo; ++i) {
    const double x = v[2 * i];
    dSum += x * x;
    const double p = i > nFrom ? v[2 * i - 2] : x;
    if (p < 0 && x >= 0) {
      dLast = static_cast<double>(i - 1) + p / (p - x);
      if (nCrossings++ == 0) dFirst = dLast;
    }
  }
  t.dRms = std::sqrt(dSum / static_cast<double>(nTo - nFrom));
  if (nCrossings > 1) t.dPeriod = (dLast - dFirst) / (nCrossings - 1);
  return t;
}

// Renders n frames of the global mixer.
inline std::vector<float> Pull(int n) {
  std::vector<float> v(2 * static_cast<size_t>(n));
  GetAudioMixer().Render(v.data(), n);
  return v;
}

struct cRecordedEvent {
  int64_t nSample;
  uint32_t dwMessage;  // short message, or 0xF0000000 | length for a long one
  bool operator==(const cRecordedEvent&) const = default;
};

class cRecordingMidiOut : public cMidiOut {
 public:
  void ShortMessage(uint32_t dwMessage, int64_t nSample) override {
    vEvents.push_back({nSample, dwMessage});
  }
  void LongMessage(const uint8_t*, size_t nBytes, int64_t nSample) override {
    vEvents.push_back({nSample, 0xF0000000u | static_cast<uint32_t>(nBytes)});
  }
  void AllNotesOff() override { ++nNotesOff; }
  void Reset() override { ++nResets; }
  void Render(float*, int nFrames) override { nRendered += nFrames; }

  std::vector<cRecordedEvent> vEvents;
  int nNotesOff = 0;
  int nResets = 0;
  int64_t nRendered = 0;
  int nMadeAtRate = 0;  // the output rate the maker was asked for
};

// Installs a maker that hands out one recording output; restores FluidSynth.
class cRecordingMidiGuard {
 public:
  cRecordingMidiGuard() : out(std::make_shared<cRecordingMidiOut>()) {
    SetMidiOutMaker([o = out](int nRate) {
      o->nMadeAtRate = nRate;
      return o;
    });
  }
  ~cRecordingMidiGuard() { SetMidiOutMaker(nullptr); }
  std::shared_ptr<cRecordingMidiOut> out;
};

}  // namespace soundtest
