// Standard MIDI files to stream images, stream buffers, and the stream
// device's clock and callbacks, checked through a recording MIDI output.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#include "app/base/clock.h"
#include "platform/sound/audio_mixer.h"
#include "platform/sound/midi_file.h"
#include "platform/sound/midi_stream.h"
#include "platform/sound/tests/sound_test_support.h"
#include "testing/game_folder.h"
#include "testing/wait.h"

using namespace soundtest;

namespace {

std::string Hex(const std::string& s) {
  static const char* d = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (!out.empty()) out.push_back(' ');
    out.push_back(d[c >> 4]);
    out.push_back(d[c & 15]);
  }
  return out;
}

std::string ImageHeader(uint16_t division, uint32_t length) {
  std::string s = "MThd";
  Be32(s, 6);
  Be16(s, 0);
  Be16(s, 1);
  Be16(s, division);
  s += "MTrk";
  Be32(s, length);
  return s;
}

// The file with one byte changed.
std::string WithByte(std::string file, size_t nIndex, uint8_t nValue) {
  file[nIndex] = static_cast<char>(nValue);
  return file;
}

TEST(Vlq, WritesAndReadsOneToFourBytes) {
  struct Case {
    uint32_t value;
    std::string bytes;
  } cases[] = {{0, Bytes({0x00})},
               {0x7F, Bytes({0x7F})},
               {0x80, Bytes({0x81, 0x00})},
               {0x3FFF, Bytes({0xFF, 0x7F})},
               {0x4000, Bytes({0x81, 0x80, 0x00})},
               {268435455, Bytes({0xFF, 0xFF, 0xFF, 0x7F})}};
  for (const Case& c : cases) {
    uint8_t out[4] = {};
    ASSERT_EQ(WriteVLQ(out, c.value), static_cast<int>(c.bytes.size())) << c.value;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), c.bytes.size()), c.bytes);
    uint32_t v = 1;
    const auto* p = reinterpret_cast<const uint8_t*>(c.bytes.data());
    EXPECT_EQ(ReadVLQ(p, v), static_cast<int>(c.bytes.size()));
    EXPECT_EQ(v, c.value);
    EXPECT_EQ(ReadVLQ(p, p + c.bytes.size(), v), static_cast<int>(c.bytes.size()));
  }
  uint8_t out[4] = {9, 9, 9, 9};
  EXPECT_EQ(WriteVLQ(out, 268435456), 0);
  EXPECT_EQ(out[0], 9);
  const uint8_t five[5] = {0x81, 0x80, 0x80, 0x80, 0x00};
  uint32_t v = 0;
  EXPECT_EQ(ReadVLQ(five, v), 0);            // a fifth byte is never read
  EXPECT_EQ(ReadVLQ(five, five + 2, v), 0);  // runs out
}

TEST(MidiImage, Format0ExpandsRunningStatusAndKeepsMetaEvents) {
  const std::string track = Bytes({0x00, 0xC0, 0x05,                         // program
                                   0x00, 0x90, 0x3C, 0x64,                   // note on
                                   0x60, 0x3E, 0x64,                         // running status
                                   0x00, 0xFF, 0x01, 0x03, 'a',  'b',  'c',  // text
                                   0x30, 0x80, 0x3C, 0x00,                   // note off
                                   0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7,       // sysex
                                   0x00, 0xFF, 0x2F, 0x00});
  std::string image;
  ASSERT_EQ(BuildMidiImage(Smf(0, 96, {track}), image), eMidiError::kOk);
  const std::string events =
      Bytes({0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x64, 0x60, 0x90, 0x3E, 0x64,
             0x00, 0xFF, 0x01, 0x03, 'a',  'b',  'c',  0x30, 0x80, 0x3C, 0x00,
             0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x00, 0xFF, 0x2F, 0x00});
  EXPECT_EQ(Hex(image), Hex(ImageHeader(96, events.size()) + events));
}

TEST(MidiImage, Format1MergesTracksByTimeWithLowerTrackFirst) {
  const std::string tempo =
      Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,        // 500000 at 0
             0x83, 0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,  // 1000000 at 384
             0x00, 0xFF, 0x2F, 0x00});
  const std::string one =
      Bytes({0x00, 0x90, 0x3C, 0x64, 0x83, 0x00, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00});
  const std::string two = Bytes({0x00, 0x91, 0x40, 0x64, 0x83, 0x00, 0x81, 0x40, 0x00, 0x81, 0x00,
                                 0xFF, 0x2F, 0x00});  // ends last, at 512
  std::string image;
  ASSERT_EQ(BuildMidiImage(Smf(1, 96, {tempo, one, two}), image), eMidiError::kOk);
  const std::string events =
      Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 0x3C, 0x64, 0x00,
             0x91, 0x40, 0x64, 0x83, 0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00,
             0x80, 0x3C, 0x00, 0x00, 0x81, 0x40, 0x00, 0x81, 0x00, 0xFF, 0x2F, 0x00});
  EXPECT_EQ(Hex(image), Hex(ImageHeader(96, events.size()) + events));
}

TEST(MidiImage, RefusesWhatItCannotReadWithoutReadingPastTheEnd) {
  const std::string ok = Bytes({0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00});
  std::string header7 = Smf(0, 96, {ok});
  header7[7] = 7;
  struct Case {
    const char* name;
    std::string file;
    eMidiError result;
  } cases[] = {
      {"format 2", Smf(2, 96, {ok}), eMidiError::kFormat2},
      {"format 3", Smf(3, 96, {ok}), eMidiError::kFormatOther},
      {"header length 7", header7, eMidiError::kNotSmf6},
      {"not MThd", "RIFF" + Smf(0, 96, {ok}).substr(4), eMidiError::kNotSmf4},
      {"no MTrk", Smf(0, 96, {}) + "XTrk\0\0\0\0", eMidiError::kNotSmf4},
      {"too short", "MThd", eMidiError::kNotSmf4},
      {"division 0", Smf(0, 0, {ok}), eMidiError::kNoDivision},
      {"cut inside an event", Smf(0, 96, {Bytes({0x00, 0x90, 0x3C})}), eMidiError::kBroken},
      {"five-byte delta", Smf(0, 96, {Bytes({0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 0x3C, 0x64})}),
       eMidiError::kBroken},
      {"data byte without a status", Smf(0, 96, {Bytes({0x00, 0x3C, 0x64})}), eMidiError::kBroken},
      {"meta length past the end", Smf(0, 96, {Bytes({0x00, 0xFF, 0x01, 0x7F, 'a'})}),
       eMidiError::kBroken},
      {"sysex length past the end", Smf(0, 96, {Bytes({0x00, 0xF0, 0x8F, 0xFF, 0xFF, 0x7F})}),
       eMidiError::kBroken},
      {"fewer tracks than declared", WithByte(Smf(1, 96, {ok}), 11, 0x05), eMidiError::kBroken},
      {"no end-of-track at the end of the file", Smf(0, 96, {Bytes({0x00, 0x90, 0x3C, 0x64})}),
       eMidiError::kOk},
  };
  for (const Case& c : cases) {
    std::string image;
    EXPECT_EQ(BuildMidiImage(c.file, image), c.result) << c.name;
  }
}

TEST(MidiImage, LoadReportsRefusedFiles) {
  cTestGameFolder folder;
  const std::string ok = Bytes({0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00});
  std::string header7 = Smf(0, 96, {ok});
  header7[7] = 7;
  folder.WriteFile("bgm\\f2.mid", Smf(2, 96, {ok}));
  folder.WriteFile("bgm\\h7.mid", header7);
  folder.WriteFile("bgm\\曲.mid", Smf(0, 96, {ok}));
  EXPECT_FALSE(cMidiFile("bgm\\f2.mid").HasImage());
  EXPECT_FALSE(cMidiFile("bgm\\h7.mid").HasImage());
  EXPECT_FALSE(cMidiFile("bgm\\none.mid").HasImage());
  cMidiFile good("bgm\\曲.mid");
  EXPECT_TRUE(good.HasImage());
  EXPECT_EQ(good.Division(), 96);
  EXPECT_EQ(folder.ReportLogText(),
            "Midi bgm\\f2.mid Init 対応フォーマットが2でない\n"
            "Midi bgm\\h7.mid Init 標準MIDIでない(6)\n"
            "Midi bgm\\none.mid Create ファイルが開けません\n");
}

// Reads the records of a filled buffer back.
struct Record {
  uint32_t delta, event;
  bool operator==(const Record&) const = default;
};
std::vector<Record> Records(const uint8_t* b, uint32_t n) {
  auto le = [b](uint32_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
  };
  std::vector<Record> v;
  for (uint32_t at = 0; at + 12 <= n;) {
    const uint32_t ev = le(at + 8);
    v.push_back({le(at), ev});
    at += 12 + ((ev & MEVT_LONGMSG) ? (((ev & 0xFFFFFF) + 3) & ~3u) : 0);
  }
  return v;
}

std::string ImageOf(const std::string& events) {
  std::string image = ImageHeader(96, events.size()) + events;
  return image;
}

TEST(StreamBuffer, PacksEventsUpToTheBufferBudget) {
  std::string events;
  for (int i = 0; i < 2001; ++i) events += Bytes({0x01, 0x90, 0x3C, 0x64});
  events += Bytes({0x00, 0xFF, 0x2F, 0x00});
  const std::string image = ImageOf(events);
  std::vector<uint8_t> buffer(cMidiStream::kBufferSize);

  cStreamFill fill = FillStreamBuffer(image, kMidiImageEvents, buffer.data(), 24000);
  EXPECT_EQ(fill.nEvents, 2000);
  EXPECT_EQ(fill.nBytesUsed, 24000u);
  EXPECT_EQ(fill.nNextPos, kMidiImageEvents + 2000 * 4);
  std::vector<Record> r = Records(buffer.data(), fill.nBytesUsed);
  EXPECT_EQ(r[0], (Record{1, 0x643C90}));
  EXPECT_EQ(r[1998].event, 0x643C90u);  // only the last carries the callback flag
  EXPECT_EQ(r[1999].event, 0x643C90u | MEVT_F_CALLBACK);

  fill = FillStreamBuffer(image, fill.nNextPos, buffer.data(), 24000);
  EXPECT_TRUE(fill.bEndOfSong);
  EXPECT_EQ(fill.nNextPos, image.size());
  r = Records(buffer.data(), fill.nBytesUsed);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0], (Record{1, 0x643C90}));
  EXPECT_EQ(r[1], (Record{0, kEndOfSongEvent | MEVT_F_CALLBACK}));
}

TEST(StreamBuffer, CarriesSkippedDeltasAndPadsLongMessages) {
  // Note, text 10 ticks later, note 20 ticks after that, a 10-byte sysex,
  // tempo, end.
  const std::string events =
      Bytes({0x00, 0x90, 0x3C, 0x64, 0x0A, 0xFF, 0x01, 0x01, 'x',  0x14, 0x80, 0x3C, 0x00,
             0x05, 0xF0, 0x0A, 1,    2,    3,    4,    5,    6,    7,    8,    9,    0xF7,
             0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0x00});
  const std::string image = ImageOf(events);
  std::vector<uint8_t> buffer(24000);
  const cStreamFill fill = FillStreamBuffer(image, kMidiImageEvents, buffer.data(), 24000);
  EXPECT_EQ(fill.nBytesUsed, 12u + 12u + (12u + 12u) + 12u + 12u);  // 11 sysex bytes pad to 12
  const std::vector<Record> r = Records(buffer.data(), fill.nBytesUsed);
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[1], (Record{30, 0x003C80}));  // the text's delta is carried over
  EXPECT_EQ(r[2], (Record{5, MEVT_LONGMSG | 11}));
  EXPECT_EQ(buffer[36], 0xF0);
  EXPECT_EQ(buffer[46], 0xF7);
  EXPECT_EQ(r[3], (Record{0, (MEVT_TEMPO << 24) | 1000000}));
}

TEST(StreamBuffer, NeverStallsOnAMessageLongerThanABufferOrAHugeDelta) {
  std::string events =
      Bytes({0x00, 0x90, 0x3C, 0x64, 0x07, 0xF0, 0x81, 0xBB, 0x40});  // 24000 bytes
  events += std::string(24000, '\x01');
  events += Bytes({0x03, 0x80, 0x3C, 0x00});
  // Seventeen skipped events of the largest delta: more than 32 bits of ticks.
  for (int i = 0; i < 17; ++i) events += Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00});
  events += Bytes({0x02, 0x90, 0x40, 0x64, 0x00, 0xFF, 0x2F, 0x00});
  const std::string image = ImageOf(events);
  std::vector<uint8_t> buffer(24000);
  const cStreamFill fill = FillStreamBuffer(image, kMidiImageEvents, buffer.data(), 24000);
  EXPECT_EQ(fill.nDropped, 1);
  EXPECT_TRUE(fill.bEndOfSong);
  const std::vector<Record> r = Records(buffer.data(), fill.nBytesUsed);
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[1], (Record{10, 0x003C80}));  // the dropped message's delta carried
  const uint64_t nTotal = 17ull * 268435455 + 2;
  EXPECT_EQ(r[2], (Record{0xFFFFFFFFu, MEVT_NOP << 24}));
  EXPECT_EQ(r[3], (Record{static_cast<uint32_t>(nTotal - 0xFFFFFFFFu), 0x644090}));
}

TEST(StreamBuffer, ResumesBeforeSkippedEventsWhenTheBufferIsFull) {
  // Two short events fit a 24-byte buffer; the text after them is resumed
  // from in the next buffer so that its delta is not lost.
  const std::string events = Bytes({0x00, 0x90, 0x3C, 0x64, 0x00, 0x90, 0x3D, 0x64, 0x05, 0xFF,
                                    0x01, 0x00, 0x05, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00});
  const std::string image = ImageOf(events);
  uint8_t buffer[24];
  cStreamFill fill = FillStreamBuffer(image, kMidiImageEvents, buffer, 24);
  EXPECT_EQ(fill.nEvents, 2);
  EXPECT_EQ(fill.nNextPos, kMidiImageEvents + 8);
  fill = FillStreamBuffer(image, fill.nNextPos, buffer, 24);
  EXPECT_EQ(Records(buffer, fill.nBytesUsed)[0], (Record{10, 0x003C80}));
}

// A stream on its own mixer, pulled by the test, with a recording output.
class MidiStreamPlay : public ::testing::Test {
 protected:
  // Pulls frames in blocks of a device's size. Between blocks the stream's
  // callback thread catches up, as it does while a device plays in real
  // time (a block lasts far longer than handling a callback).
  void Pull(const cMidiStream& stream, int64_t nFrames) {
    std::vector<float> block(2 * 512);
    while (nFrames > 0) {
      const int n = static_cast<int>(std::min<int64_t>(512, nFrames));
      mixer.Render(block.data(), n);
      ASSERT_TRUE(WaitUntil([&] { return stream.Device()->CallbacksHandled(); }));
      nFrames -= n;
    }
  }
  std::vector<int64_t> SamplesOf(uint32_t dwMessage) const {
    std::vector<int64_t> v;
    for (const auto& e : midi.out->vEvents)
      if (e.dwMessage == dwMessage) v.push_back(e.nSample);
    return v;
  }

  cTestGameFolder folder;
  cRecordingMidiGuard midi;
  cAudioMixer mixer{22050};
};

// Events land on output samples of the mixer's rate, and the synthesizer is
// made for that rate. Tempo 500000 at 96 ticks per quarter is 114.84375
// samples a tick at 22,050 Hz, 229.6875 at 44,100 Hz and 250 at 48,000 Hz;
// from tick 384 on, 1 s a quarter doubles them.
TEST_F(MidiStreamPlay, EventsLandOnTheSampleTheTickClockGives) {
  const std::string tempo =
      Bytes({0x83, 0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,  // 1 s/quarter at 384
             0x00, 0xFF, 0x2F, 0x00});
  const std::string notes =
      Bytes({0x00, 0x90, 0x3C, 0x64, 0x01, 0x90, 0x3D, 0x64, 0x60, 0xFF, 0x01, 0x01, 'x',  0x00,
             0x90, 0x3E, 0x64,  // text between
             0x82, 0x1F, 0x80, 0x3C, 0x00, 0x81, 0x00, 0x80, 0x3D, 0x00, 0x00, 0xFF, 0x2F, 0x00});
  folder.WriteFile("bgm\\t.mid", Smf(1, 96, {tempo, notes}));
  struct Case {
    int nRate;
    int64_t nTick1, nTick97, nTick384, nTick512;
  } cases[] = {
      // tick 1: 114.84 -> the next whole sample; tick 97: 11139.8, the text
      // event moved nothing; tick 512: 384 ticks, then 128 at twice the length.
      {22050, 115, 11140, 44100, 73500},
      {44100, 230, 22280, 88200, 147000},
      {48000, 250, 24250, 96000, 160000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nRate);
    mixer.SetRate(c.nRate);
    midi.out->vEvents.clear();
    cMidiStream stream("bgm\\t.mid", &mixer);
    ASSERT_TRUE(stream.HasImage());
    EXPECT_EQ(midi.out->nMadeAtRate, c.nRate);
    stream.Play(0);
    Pull(stream, c.nTick512 + 30000);
    const std::vector<cRecordedEvent> expected = {
        {0, 0x643C90},          {c.nTick1, 0x643D90},
        {c.nTick97, 0x643E90},  {c.nTick384, 0x003C80},  // as the tempo changes
        {c.nTick512, 0x003D80},
    };
    EXPECT_EQ(midi.out->vEvents, expected);
    EXPECT_EQ(stream.State(), cMidiStream::kStopped);  // no loop: stopped at the end
  }
}

TEST_F(MidiStreamPlay, LoopingRestartsOnTheSampleOfTheEndWithoutDrift) {
  // A note on at 0 and an end at tick 7: 803.90625 samples a pass.
  folder.WriteFile("bgm\\l.mid",
                   Smf(0, 96, {Bytes({0x00, 0x90, 0x3C, 0x64, 0x07, 0xFF, 0x2F, 0x00})}));
  cMidiStream stream("bgm\\l.mid", &mixer);
  stream.Play(1);
  Pull(stream, 40 * 804);
  const std::vector<int64_t> starts = SamplesOf(0x643C90);
  ASSERT_GE(starts.size(), 39u);
  for (size_t k = 0; k < starts.size(); ++k)
    EXPECT_EQ(starts[k], static_cast<int64_t>(std::ceil(k * 803.90625))) << k;
  EXPECT_EQ(stream.State(), cMidiStream::kPlaying);
}

TEST_F(MidiStreamPlay, RefillsBuffersOnTimeAcrossALongSong) {
  std::string track;
  for (int i = 0; i < 5000; ++i) track += Bytes({0x01, 0x90, 0x3C, 0x40});
  track += Bytes({0x00, 0xFF, 0x2F, 0x00});
  folder.WriteFile("bgm\\long.mid", Smf(0, 96, {track}));
  cMidiStream stream("bgm\\long.mid", &mixer);
  stream.Play(0);
  Pull(stream, 5001 * 115);
  const std::vector<int64_t> v = SamplesOf(0x403C90);
  ASSERT_EQ(v.size(), 5000u);
  for (int k = 1; k <= 5000; k += 499)
    EXPECT_EQ(v[k - 1], static_cast<int64_t>(std::ceil(k * 114.84375))) << k;
}

TEST_F(MidiStreamPlay, PausesResumesAndStopsBackToTheStart) {
  folder.WriteFile(
      "bgm\\p.mid",
      Smf(0, 96,
          {Bytes({0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00})}));
  cMidiStream stream("bgm\\p.mid", &mixer);
  stream.Play(0);
  Pull(stream, 1000);
  stream.Stop(1);
  EXPECT_EQ(stream.State(), cMidiStream::kPaused);
  EXPECT_GE(midi.out->nNotesOff, 1);
  Pull(stream, 5000);  // time stands still for the song
  stream.Play(0);
  Pull(stream, 20000);
  EXPECT_EQ(SamplesOf(0x003C80), (std::vector<int64_t>{11025 + 5000}));

  stream.Play(0);  // stopped at the end: plays from the start
  const int64_t nRestart = stream.Device()->SamplesRendered();
  Pull(stream, 100);
  stream.Stop(0);
  EXPECT_EQ(stream.State(), cMidiStream::kStopped);
  Pull(stream, 20000);
  stream.Play(0);
  const int64_t nAgain = stream.Device()->SamplesRendered();
  Pull(stream, 100);
  EXPECT_EQ(SamplesOf(0x643C90), (std::vector<int64_t>{0, nRestart, nAgain}));
}

// The device renders in the audio callback: at a song's end with nothing
// queued behind it, it goes on at once, whatever its owner does. Two
// hundred ends with an owner that never answers: a wait of even a few
// milliseconds at each would take seconds.
TEST(MidiStreamDevice, RenderingNeverWaitsForTheOwner) {
  cRecordingMidiGuard midi;
  cMidiStreamDevice device(midi.out);
  int nCallbacks = 0;
  device.SetCallback([&](uint32_t) { ++nCallbacks; });  // never acknowledged
  ASSERT_EQ(device.SetTimeDivision(96), kMidiOk);
  // A note and the end of the song, both at tick 0.
  uint8_t abRecords[24] = {};
  const uint32_t adwEvents[2] = {0x643C90, kEndOfSongEvent | MEVT_F_CALLBACK};
  for (int i = 0; i < 2; ++i) std::memcpy(abRecords + 12 * i + 8, &adwEvents[i], 4);
  MIDIHDR h;
  h.lpData = abRecords;
  h.dwBufferLength = h.dwBytesRecorded = sizeof abRecords;
  ASSERT_EQ(device.Restart(), kMidiOk);
  std::vector<float> block(2 * 64);
  const uint32_t nStart = GetTimeMs();
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(device.Out(&h), kMidiOk);
    device.MixInto(block.data(), 64, 22050);
  }
  EXPECT_LT(GetTimeMs() - nStart, 2000u);
  EXPECT_EQ(nCallbacks, 200);
  EXPECT_EQ(midi.out->vEvents.size(), 200u);
  EXPECT_EQ(midi.out->nNotesOff, 200);  // every end releases the notes held
  EXPECT_FALSE(device.CallbacksHandled());
}

TEST(MidiStreamLifetime, DeletingStreamsWhileTheMixerRunsIsSafe) {
  cTestGameFolder folder;
  cRecordingMidiGuard midi;
  cAudioMixer mixer(22050);
  folder.WriteFile("bgm\\s.mid",
                   Smf(0, 96, {Bytes({0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00})}));
  std::atomic<bool> bDone{false};
  std::thread puller([&] {
    std::vector<float> block(2 * 256);
    while (!bDone) mixer.Render(block.data(), 256);
  });
  int nRendered = 0;
  for (int i = 0; i < 30; ++i) {
    cMidiStream stream("bgm\\s.mid", &mixer);
    stream.Play(1);  // loops every sample: callbacks keep coming
    // Deleted while the mixer renders it, once it has rendered a block.
    const int64_t nBefore = stream.Device()->SamplesRendered();
    nRendered += WaitUntil([&] { return stream.Device()->SamplesRendered() > nBefore; });
  }
  bDone = true;
  puller.join();
  EXPECT_EQ(nRendered, 30);
  // Every stream played its note, and every one reset its output as it went.
  const auto NoteOns = [&] {
    return std::count_if(midi.out->vEvents.begin(), midi.out->vEvents.end(),
                         [](const cRecordedEvent& e) { return e.dwMessage == 0x643C90; });
  };
  EXPECT_GE(NoteOns(), 30);
  EXPECT_EQ(midi.out->nResets, 30);
  // Nothing of them is left in the mix: further blocks send no event.
  const size_t nEvents = midi.out->vEvents.size();
  std::vector<float> block(2 * 256);
  for (int i = 0; i < 8; ++i) mixer.Render(block.data(), 256);
  EXPECT_EQ(midi.out->vEvents.size(), nEvents);
}

}  // namespace
