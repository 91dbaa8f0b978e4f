#pragma once
// A playing standard MIDI file: the converted image fed to a stream device in
// two alternating buffers of 24,000 bytes, refilled by a callback thread of
// its own when the device reports that a buffer has been played. A song that
// loops is fed on from its start right after its end, so the device plays
// the next pass on the next sample without waiting for this thread; a song
// that does not loop stops the stream at its end.
//
// The main thread (music player) and the callback thread share the read
// position, the state, the buffer index and the loop flag under m_Lock.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/sound/audio_mixer.h"
#include "platform/sound/midi_file.h"
#include "platform/sound/midi_stream_device.h"

class cMidiStream : public cMidiFile {
 public:
  // Reads and converts the file, then opens the stream on the given mixer
  // (the program's output by default) when an image exists.
  explicit cMidiStream(const char* pszFileName, cAudioMixer* lpMixer = nullptr);
  ~cMidiStream() override;

  void Play(int bLoop);
  void Stop(int bPause);  // 0 stops and rewinds, 1 pauses a playing stream

  enum { kStopped = 0, kPlaying = 1, kPaused = 2 };
  int State() const;
  // The stream device (tests read its clock), null without an image.
  cMidiStreamDevice* Device() const { return m_hStream.get(); }

  static constexpr int kBufferSize = 24000;

 private:
  void Open();
  void Close();
  void FillNextLocked();
  void StopLocked(int bPause);
  void PlayLocked(int bLoop);
  void WrapToStartLocked();
  void OnPositionCallback(uint32_t dwEvent);
  void PostCallback(uint32_t dwEvent);
  static void MidiCallbackThread(cMidiStream* lpStream);

  mutable std::mutex m_Lock;
  cAudioMixer* m_lpMixer;
  int m_nCurrent = 0;
  std::unique_ptr<cMidiStreamDevice> m_hStream;
  MIDIHDR m_lpHeaders[2];
  std::unique_ptr<uint8_t[]> m_lpBuffers[2];
  uint8_t m_nBuffers = 2;
  int m_nBufferSize = kBufferSize;
  size_t m_nPos = kMidiImageEvents;
  int m_nState = kStopped;
  int m_bLoop = 0;
  // Song ends queued with the song's start behind them (a loop fed on).
  int m_nWrapsQueued = 0;
  bool m_bReportedDrop = false;

  // The callback thread's queue of event words.
  std::thread m_hThread;
  std::mutex m_QueueLock;
  std::condition_variable m_QueueSignal;
  std::deque<uint32_t> m_Messages;
  bool m_bQuit = false;
};
