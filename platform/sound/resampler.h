#pragma once
// Band-limited sample-rate conversion (libsoxr) to the output's rate. Sound
// effects are converted once, when they are loaded, so that mixing them is a
// plain sum; music is converted block by block while it plays. Lowering the
// rate filters out what lies above the new Nyquist frequency instead of
// folding it back into the audible band, as interpolating between samples
// would.

#include <cstddef>
#include <memory>

#include "platform/sound/audio_mixer.h"

struct soxr;

// Source rates the converters accept. Outside these a file is refused: the
// filter for a far higher rate, or the converted data of a far lower one,
// would grow without a sensible bound.
inline constexpr int kMinSourceRate = 1000;
inline constexpr int kMaxSourceRate = 384000;
inline bool IsPlayableRate(int nRate) { return nRate >= kMinSourceRate && nRate <= kMaxSourceRate; }

// The largest converted sound, in samples (about 23 minutes of mono at
// 48,000 Hz); a larger one is refused.
inline constexpr size_t kMaxConvertedSamples = size_t{1} << 26;

// The data at nRate: the same data when it already is at that rate, null
// when either rate is not playable or the result would be too large.
std::shared_ptr<const cSampleData> ResampleSampleData(std::shared_ptr<const cSampleData> data,
                                                      int nRate);

// A converter for a stream of interleaved stereo float frames. Made outside
// the audio callback; Process neither allocates nor waits once running.
class cStreamResampler {
 public:
  // Null when the converter cannot be made.
  static std::unique_ptr<cStreamResampler> Create(int nInRate, int nOutRate);
  ~cStreamResampler();
  cStreamResampler(const cStreamResampler&) = delete;
  cStreamResampler& operator=(const cStreamResampler&) = delete;

  int InRate() const { return m_nInRate; }
  int OutRate() const { return m_nOutRate; }

  // Takes up to nIn frames of lpIn (nUsed says how many) and writes up to
  // nOut frames to lpOut (nMade). A null lpIn means the input has ended: the
  // frames still held come out, and nMade is 0 once they all have.
  void Process(const float* lpIn, size_t nIn, size_t& nUsed, float* lpOut, size_t nOut,
               size_t& nMade);

 private:
  cStreamResampler(soxr* lpSoxr, int nInRate, int nOutRate)
      : m_lpSoxr(lpSoxr), m_nInRate(nInRate), m_nOutRate(nOutRate) {}

  soxr* m_lpSoxr;
  int m_nInRate;
  int m_nOutRate;
};
