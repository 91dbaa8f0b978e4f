#pragma once
// Ogg Vorbis music: a player decodes a file held in memory with libvorbisfile
// and mixes it into the mix: as decoded when the file is at the output rate,
// else through a band-limited converter to that rate (resampler.h), made
// when the file is loaded or played, never in the audio callback. A loop
// count says how often the song starts again after its end (kLoopForever:
// endlessly); the restart is seamless, decoding and conversion simply go on
// from the first sample.
//
// Players are made through a factory so that a program without Ogg playback
// is a real case: an empty factory means Ogg music is off.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sound/audio_mixer.h"
#include "platform/sound/resampler.h"

inline constexpr int32_t kLoopForever = 2147483647;

class cOggPlayer : public cAudioSource {
 public:
  explicit cOggPlayer(cAudioMixer& mixer);
  ~cOggPlayer() override;
  cOggPlayer(const cOggPlayer&) = delete;
  cOggPlayer& operator=(const cOggPlayer&) = delete;

  // Stored path; false when it is no Ogg Vorbis file or its rate is not
  // playable (with a report-log line).
  bool Load(const char* pszFileName);
  void Play();  // from where it stopped, or from the start after the end
  void Stop();  // pauses where it is
  void Unload();
  void SetLoopCount(int32_t nCount);  // repeats after the first play
  bool IsPlaying() const;
  bool IsLoaded() const;

  void MixInto(float* lpStereo, int nFrames, int nRate) override;

 private:
  struct cDecoder;
  bool Refill();  // decodes more frames; false at the true end
  void EndOfSong();
  // A fresh converter from the file's rate to nRate, null when none is
  // needed (or none can be made: the song then plays silently).
  static std::unique_ptr<cStreamResampler> MakeResampler(int nFileRate, int nRate);

  static constexpr int kChunk = 1024;  // frames converted at a time

  cAudioMixer& m_Mixer;
  mutable std::mutex m_Lock;
  std::unique_ptr<cDecoder> m_lpDecoder;
  bool m_bPlaying = false;
  int32_t m_nLoops = 0;
  // Decoded stereo frames waiting to be mixed, and the position in them.
  std::vector<float> m_vFrames;
  size_t m_nFrame = 0;
  bool m_bInputEnded = false;  // decoded to the true end; the converter empties
  // The converter, and whether it holds the end of a song played through
  // (the next Play makes a fresh one).
  std::unique_ptr<cStreamResampler> m_lpResampler;
  bool m_bResamplerSpent = false;
  std::vector<float> m_vConverted;  // kChunk frames, made with the player
};

using OggPlayerFactory = std::function<std::unique_ptr<cOggPlayer>()>;
// The factory the music player uses; an empty function when Ogg music is off.
OggPlayerFactory GetOggPlayerFactory();
void SetOggPlayerFactory(OggPlayerFactory factory);
// Back to players on the program's output.
void ResetOggPlayerFactory();
