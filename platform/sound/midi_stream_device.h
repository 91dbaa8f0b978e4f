#pragma once
// A MIDI stream device of our own: it keeps a queue of event buffers, runs the
// tick clock from the time division and the tempo events, and sends each
// event to its MIDI output on the output sample the clock gives. Time is
// counted in samples with an exact remainder, so a song played again and
// again never drifts.
//
// Events flagged for a callback are reported to the owner's callback
// function, which only hands them on: rendering runs in the audio callback
// and never waits for the owner. An owner that loops a song queues its start
// behind its end, so the song restarts on the very next sample; at the end of
// the song every note is released, as stopping the stream would.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/sound/audio_mixer.h"
#include "platform/sound/midi_out.h"

// A stream buffer and its state, as the owner queues it.
struct MIDIHDR {
  uint8_t* lpData = nullptr;
  uint32_t dwBufferLength = 0;
  uint32_t dwBytesRecorded = 0;
  uintptr_t dwUser = 0;
  uint32_t dwFlags = 0;
  uint32_t dwOffset = 0;
};
inline constexpr uint32_t MHDR_DONE = 1;
inline constexpr uint32_t MHDR_INQUEUE = 4;

enum eMidiStreamResult : int {
  kMidiOk = 0,
  kMidiNoOutput = 1,   // no synthesizer
  kMidiBadBuffer = 2,  // a null buffer or one already queued
};
// Text of a result for the report log.
const char* GetMidiErrorText(int nResult);

class cMidiStreamDevice : public cAudioSource {
 public:
  explicit cMidiStreamDevice(std::shared_ptr<cMidiOut> out);
  ~cMidiStreamDevice() override;

  bool HasOutput() const { return m_Out != nullptr; }

  // Called, under the device's lock, with the event word of every event that
  // carries the callback flag; it must only hand the word on.
  void SetCallback(std::function<void(uint32_t dwEvent)> fnCallback);
  // The owner has dealt with the first nHandled callbacks reported.
  void AcknowledgeCallbacks(uint64_t nHandled);
  // Every callback reported so far has been dealt with (tests wait for it
  // between the blocks they pull, as a device pulling in real time would).
  bool CallbacksHandled() const;
  // No more callbacks are reported (the owner is closing).
  void Detach();

  int SetTimeDivision(uint16_t nDivision);
  int Out(MIDIHDR* lpHeader);
  bool IsQueued(const MIDIHDR* lpHeader) const;
  int Restart();
  int Pause();
  int Stop();   // returns every queued buffer, notes off, clock halted
  int Reset();  // Stop, then the output back to its defaults

  // The output sample count so far (the clock's position).
  int64_t SamplesRendered() const;
  bool IsRunning() const;

  void MixInto(float* lpStereo, int nFrames, int nRate) override;

 private:
  void Recompute(int nRate);
  void ReturnAllBuffers();
  bool LoadNextEvent();  // adds the front event's delta to the wait
  void DispatchDueEvent();

  mutable std::mutex m_Lock;
  std::shared_ptr<cMidiOut> m_Out;
  std::function<void(uint32_t)> m_fnCallback;
  uint64_t m_nPosted = 0;
  uint64_t m_nAcked = 0;
  bool m_bDetached = false;

  std::deque<MIDIHDR*> m_Queue;
  bool m_bRunning = false;
  bool m_bEventLoaded = false;  // the front event's delta is in m_nWait
  uint16_t m_nDivision = 96;
  uint32_t m_nTempo = 500000;  // microseconds per quarter note
  int m_nRate = 0;
  // The clock in exact units: one sample is m_nUnitsPerSample units, one tick
  // m_nUnitsPerTick. m_nWait is what remains until the front event is due;
  // at or below zero the event is due, and the overshoot carries on.
  __int128 m_nWait = 0;
  __int128 m_nUnitsPerSample = 1;
  __int128 m_nUnitsPerTick = 1;
  int64_t m_nSample = 0;
};
