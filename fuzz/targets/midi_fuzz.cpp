// A MIDI music file: converted and cut into stream buffers as a playing song
// is, to its end, then played for a moment through a stream on a pulled
// mixer with a synthesizer that drops what it is sent.

#include <memory>
#include <thread>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/sound/audio_mixer.h"
#include "platform/sound/midi_out.h"
#include "platform/sound/midi_stream.h"

namespace {

constexpr const char* kPath = "bgm\\fuzz.mid";
constexpr int kRenderFrames = 22050;

class cDroppingMidiOut : public cMidiOut {
 public:
  void ShortMessage(uint32_t, int64_t) override {}
  void LongMessage(const uint8_t*, size_t, int64_t) override {}
  void AllNotesOff() override {}
  void Reset() override {}
  void Render(float*, int) override {}
};

// Every buffer the image fills, as the stream takes them.
void CutIntoBuffers(std::string_view image) {
  std::vector<uint8_t> buffer(cMidiStream::kBufferSize);
  size_t nPos = kMidiImageEvents;
  for (;;) {
    const cStreamFill fill =
        FillStreamBuffer(image, nPos, buffer.data(), static_cast<uint32_t>(buffer.size()));
    if (fill.bEndOfSong || fill.nNextPos <= nPos) break;
    nPos = fill.nNextPos;
  }
}

}  // namespace

void FuzzTargetSetUp() {
  SetMidiOutMaker([](int) { return std::make_shared<cDroppingMidiOut>(); });
}

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  WriteFuzzInput(kPath, lpData, nSize);
  {
    const cMidiFile file(kPath);
    if (!file.HasImage()) return;
    CutIntoBuffers(file.Image());
  }
  cAudioMixer mixer;
  cMidiStream stream(kPath, &mixer);
  stream.Play(0);
  std::vector<float> out(2 * 1024);
  // Each block waits for the stream's thread to refill what the last one
  // played, as a device pulling in real time would: how far the song gets
  // must not depend on that thread's timing.
  for (int n = 0; n < kRenderFrames; n += 1024) {
    mixer.Render(out.data(), 1024);
    while (stream.Device() != nullptr && !stream.Device()->CallbacksHandled())
      std::this_thread::yield();
  }
  stream.Stop(0);
}
