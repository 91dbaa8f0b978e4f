#include "platform/sound/resampler.h"

#include <soxr.h>

#include <cmath>

namespace {

// 20-bit precision, linear phase: the pass band reaches 91% of the lower
// Nyquist frequency, and what lies above it is held more than 100 dB down.
soxr_quality_spec_t Quality() { return soxr_quality_spec(SOXR_HQ, 0); }

}  // namespace

std::shared_ptr<const cSampleData> ResampleSampleData(std::shared_ptr<const cSampleData> data,
                                                      int nRate) {
  if (!data || !IsPlayableRate(data->nRate) || !IsPlayableRate(nRate)) return nullptr;
  if (data->nRate == nRate) return data;
  const size_t nChannels = static_cast<size_t>(data->nChannels);
  const size_t nIn = data->Frames();
  const size_t nOut = static_cast<size_t>(
      std::ceil(static_cast<double>(nIn) * nRate / static_cast<double>(data->nRate)));
  if (nOut * nChannels > kMaxConvertedSamples) return nullptr;
  auto out = std::make_shared<cSampleData>();
  out->nRate = nRate;
  out->nChannels = data->nChannels;
  out->vSamples.resize(nOut * nChannels);
  if (nIn > 0) {
    // No dither: the same sound converts to the same samples every time.
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = Quality();
    size_t nMade = 0;
    if (soxr_oneshot(data->nRate, nRate, static_cast<unsigned>(nChannels), data->vSamples.data(),
                     nIn, nullptr, out->vSamples.data(), nOut, &nMade, &io, &quality,
                     nullptr) != nullptr)
      return nullptr;
    out->vSamples.resize(nMade * nChannels);
  }
  return out;
}

std::unique_ptr<cStreamResampler> cStreamResampler::Create(int nInRate, int nOutRate) {
  if (!IsPlayableRate(nInRate) || !IsPlayableRate(nOutRate)) return nullptr;
  soxr_error_t error = nullptr;
  const soxr_quality_spec_t quality = Quality();
  soxr_t lpSoxr = soxr_create(nInRate, nOutRate, 2, &error, nullptr, &quality, nullptr);
  if (lpSoxr == nullptr || error != nullptr) {
    soxr_delete(lpSoxr);
    return nullptr;
  }
  return std::unique_ptr<cStreamResampler>(new cStreamResampler(lpSoxr, nInRate, nOutRate));
}

cStreamResampler::~cStreamResampler() { soxr_delete(m_lpSoxr); }

void cStreamResampler::Process(const float* lpIn, size_t nIn, size_t& nUsed, float* lpOut,
                               size_t nOut, size_t& nMade) {
  nUsed = 0;
  nMade = 0;
  if (soxr_process(m_lpSoxr, lpIn, lpIn ? nIn : 0, &nUsed, lpOut, nOut, &nMade) != nullptr) {
    nUsed = lpIn ? nIn : 0;  // a converter in error passes the input by silently
    nMade = 0;
  }
}
