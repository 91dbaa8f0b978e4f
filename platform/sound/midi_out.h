#pragma once
// Where MIDI events go: a synthesizer that renders into the mix. The stream
// device calls every operation with its own lock held, from the thread that
// renders or from the one that stops the stream, never two at once.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class cMidiOut {
 public:
  virtual ~cMidiOut() = default;
  // A channel message: status in bits 0-7, data bytes in bits 8-15 and 16-23.
  // nSample is the output sample the event belongs to.
  virtual void ShortMessage(uint32_t dwMessage, int64_t nSample) = 0;
  // A system-exclusive message as stored (F0 ... F7, or F7 ...).
  virtual void LongMessage(const uint8_t* lpBytes, size_t nBytes, int64_t nSample) = 0;
  // Releases every sounding note (stop and pause).
  virtual void AllNotesOff() = 0;
  // Notes off and controllers back to their defaults (stream reset).
  virtual void Reset() = 0;
  // Adds the synthesizer's next nFrames stereo frames to lpStereo.
  virtual void Render(float* lpStereo, int nFrames) = 0;
};

// The synthesizer for a stream at the given output rate: FluidSynth with the
// SoundFont of PLAYER_SOUNDFONT, else the default one. Null when none can be
// made. Tests install their own maker; an empty function restores FluidSynth.
using MidiOutMaker = std::function<std::shared_ptr<cMidiOut>(int nRate)>;
void SetMidiOutMaker(MidiOutMaker maker);
std::shared_ptr<cMidiOut> MakeMidiOut(int nRate);

inline constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
inline constexpr const char* kSoundFontVariable = "PLAYER_SOUNDFONT";
// Native path of the SoundFont to use.
std::string GetSoundFontPath();

// FluidSynth at nRate with the SoundFont at strPath; null when FluidSynth
// cannot start. A SoundFont that does not load leaves a silent synthesizer
// and a report-log line.
std::shared_ptr<cMidiOut> CreateFluidMidiOut(int nRate, const std::string& strSoundFont);
