#pragma once
// Ogg Vorbis music: a player decodes a file held in memory with libvorbisfile
// and mixes it, resampled to the output rate, into the mix. A loop count says
// how often the song starts again after its end (kLoopForever: endlessly);
// the restart is seamless, decoding simply goes on from the first sample.
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

inline constexpr int32_t kLoopForever = 2147483647;

class cOggPlayer : public cAudioSource {
 public:
  explicit cOggPlayer(cAudioMixer& mixer);
  ~cOggPlayer() override;
  cOggPlayer(const cOggPlayer&) = delete;
  cOggPlayer& operator=(const cOggPlayer&) = delete;

  bool Load(const char* pszFileName);  // stored path; false when it is no Ogg Vorbis file
  void Play();
  void Stop();  // pauses where it is
  void Unload();
  void SetLoopCount(int32_t nCount);  // repeats after the first play
  bool IsPlaying() const;
  bool IsLoaded() const;

  void MixInto(float* lpStereo, int nFrames, int nRate) override;

 private:
  struct cDecoder;
  bool Refill();  // decodes more frames; false at the true end

  cAudioMixer& m_Mixer;
  mutable std::mutex m_Lock;
  std::unique_ptr<cDecoder> m_lpDecoder;
  bool m_bPlaying = false;
  int32_t m_nLoops = 0;
  // Decoded stereo frames waiting to be resampled, and the position in them.
  std::vector<float> m_vFrames;
  size_t m_nFrame = 0;
  uint32_t m_nPhase = 0;  // fraction of a source frame, 0.32
};

using OggPlayerFactory = std::function<std::unique_ptr<cOggPlayer>()>;
// The factory the music player uses; an empty function when Ogg music is off.
OggPlayerFactory GetOggPlayerFactory();
void SetOggPlayerFactory(OggPlayerFactory factory);
// Back to players on the program's output.
void ResetOggPlayerFactory();
