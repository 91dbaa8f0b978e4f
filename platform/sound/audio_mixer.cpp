#include "platform/sound/audio_mixer.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/sound/resampler.h"

class cSoundBuffer {
 public:
  std::shared_ptr<const cSampleData> data;  // as loaded
  std::shared_ptr<const cSampleData> mix;   // at the output rate (data, when it has it)
  uint32_t nPos = 0;                        // in frames of mix
  int nVolume = 0;
  float fGain = 1.0f;
  bool bPlaying = false;
  bool bLoop = false;
};

std::shared_ptr<const cSampleData> MakeSampleData(const uint8_t* lpData, uint32_t nBytes, int nRate,
                                                  int nChannels, int nBits) {
  auto data = std::make_shared<cSampleData>();
  data->nRate = nRate;
  data->nChannels = nChannels;
  if (nBits == 8) {
    data->vSamples.resize(nBytes);
    for (uint32_t i = 0; i < nBytes; ++i)
      data->vSamples[i] = static_cast<int16_t>((static_cast<int>(lpData[i]) - 128) * 256);
  } else {
    data->vSamples.resize(nBytes / 2);
    for (uint32_t i = 0; i < nBytes / 2; ++i)
      data->vSamples[i] = static_cast<int16_t>(lpData[2 * i] | (lpData[2 * i + 1] << 8));
  }
  // Whole frames only.
  data->vSamples.resize(data->vSamples.size() - data->vSamples.size() % nChannels);
  return data;
}

float VolumeToGain(int nVolume) {
  if (nVolume <= kVolumeMin) return 0.0f;
  if (nVolume >= kVolumeMax) return 1.0f;
  return static_cast<float>(std::pow(10.0, nVolume / 2000.0));
}

cAudioMixer::cAudioMixer(int nRate) : m_nRate(nRate) {}
cAudioMixer::~cAudioMixer() = default;

void cAudioMixer::SetRate(int nRate) {
  std::lock_guard lock(m_Lock);
  if (nRate == m_nRate) return;
  m_nRate = nRate;
  // Duplicates share their converted data as they share the loaded one.
  std::map<const cSampleData*, std::shared_ptr<const cSampleData>> converted;
  for (auto& b : m_vBuffers) {
    auto& mix = converted[b->data.get()];
    if (!mix) mix = ResampleSampleData(b->data, nRate);
    if (!mix) mix = std::make_shared<cSampleData>(cSampleData{nRate, b->data->nChannels, {}});
    b->nPos = static_cast<uint32_t>(std::min<uint64_t>(
        static_cast<uint64_t>(b->nPos) * mix->nRate / b->mix->nRate, mix->Frames()));
    b->mix = mix;
  }
}

cSoundBuffer* cAudioMixer::AddBuffer(std::shared_ptr<const cSampleData> data,
                                     std::shared_ptr<const cSampleData> mix) {
  auto b = std::make_unique<cSoundBuffer>();
  b->data = std::move(data);
  b->mix = std::move(mix);
  std::lock_guard lock(m_Lock);
  // The rate changed while the data was converted: convert it again.
  if (b->mix->nRate != m_nRate) b->mix = ResampleSampleData(b->data, m_nRate);
  if (!b->mix) return nullptr;
  m_vBuffers.push_back(std::move(b));
  return m_vBuffers.back().get();
}

cSoundBuffer* cAudioMixer::CreateBuffer(std::shared_ptr<const cSampleData> data) {
  if (!data || data->nChannels < 1 || data->nChannels > 2) return nullptr;
  // Converted before the lock is taken: the audio callback never waits for it.
  std::shared_ptr<const cSampleData> mix = ResampleSampleData(data, m_nRate);
  if (!mix) return nullptr;
  return AddBuffer(std::move(data), std::move(mix));
}

cSoundBuffer* cAudioMixer::DuplicateBuffer(const cSoundBuffer* lpSource) {
  if (lpSource == nullptr) return nullptr;
  std::shared_ptr<const cSampleData> data, mix;
  {
    std::lock_guard lock(m_Lock);
    data = lpSource->data;
    mix = lpSource->mix;
  }
  return AddBuffer(std::move(data), std::move(mix));
}

void cAudioMixer::DestroyBuffer(cSoundBuffer* lpBuffer) {
  if (lpBuffer == nullptr) return;
  std::lock_guard lock(m_Lock);
  std::erase(m_vPlaying, lpBuffer);
  std::erase_if(m_vBuffers, [lpBuffer](const auto& p) { return p.get() == lpBuffer; });
}

int cAudioMixer::BufferCount() const {
  std::lock_guard lock(m_Lock);
  return static_cast<int>(m_vBuffers.size());
}

void cAudioMixer::Play(cSoundBuffer* lpBuffer, uint32_t dwFlags) {
  if (lpBuffer == nullptr) return;
  std::lock_guard lock(m_Lock);
  lpBuffer->nPos = 0;
  lpBuffer->bLoop = (dwFlags & kPlayLooping) != 0;
  if (!lpBuffer->bPlaying) {
    lpBuffer->bPlaying = true;
    m_vPlaying.push_back(lpBuffer);
  }
}

void cAudioMixer::Stop(cSoundBuffer* lpBuffer) {
  if (lpBuffer == nullptr) return;
  std::lock_guard lock(m_Lock);
  if (lpBuffer->bPlaying) {
    lpBuffer->bPlaying = false;
    std::erase(m_vPlaying, lpBuffer);
  }
}

bool cAudioMixer::IsPlaying(const cSoundBuffer* lpBuffer) const {
  std::lock_guard lock(m_Lock);
  return lpBuffer != nullptr && lpBuffer->bPlaying;
}

uint32_t cAudioMixer::GetPosition(const cSoundBuffer* lpBuffer) const {
  std::lock_guard lock(m_Lock);
  if (lpBuffer == nullptr) return 0;
  const uint64_t nPos =
      static_cast<uint64_t>(lpBuffer->nPos) * lpBuffer->data->nRate / lpBuffer->mix->nRate;
  return static_cast<uint32_t>(std::min<uint64_t>(nPos, lpBuffer->data->Frames()));
}

void cAudioMixer::SetVolume(cSoundBuffer* lpBuffer, int nVolume) {
  if (lpBuffer == nullptr) return;
  nVolume = std::clamp(nVolume, kVolumeMin, kVolumeMax);
  const float fGain = VolumeToGain(nVolume);
  std::lock_guard lock(m_Lock);
  lpBuffer->nVolume = nVolume;
  lpBuffer->fGain = fGain;
}

int cAudioMixer::GetVolume(const cSoundBuffer* lpBuffer) const {
  std::lock_guard lock(m_Lock);
  return lpBuffer ? lpBuffer->nVolume : 0;
}

int cAudioMixer::PlayingCount() const {
  std::lock_guard lock(m_Lock);
  return static_cast<int>(m_vPlaying.size());
}

void cAudioMixer::AddSource(cAudioSource* lpSource) {
  std::lock_guard lock(m_Lock);
  if (std::find(m_vSources.begin(), m_vSources.end(), lpSource) == m_vSources.end())
    m_vSources.push_back(lpSource);
}

void cAudioMixer::RemoveSource(cAudioSource* lpSource) {
  std::lock_guard lock(m_Lock);
  std::erase(m_vSources, lpSource);
}

namespace {

// Mixes one voice; returns false when a one-shot voice ran out.
template <int kChannels>
bool MixVoice(cSoundBuffer& v, float* lpOut, int nFrames) {
  const int16_t* s = v.mix->vSamples.data();
  const uint32_t nLength = v.mix->Frames();
  const float g = v.fGain * (1.0f / 32768.0f);
  uint32_t nPos = v.nPos;
  for (int nDone = 0; nDone < nFrames;) {
    if (nPos >= nLength) {
      if (!v.bLoop || nLength == 0) {
        v.nPos = nPos;
        return false;
      }
      nPos = 0;
    }
    const int n =
        static_cast<int>(std::min(nLength - nPos, static_cast<uint32_t>(nFrames - nDone)));
    const int16_t* in = s + kChannels * static_cast<size_t>(nPos);
    float* out = lpOut + 2 * nDone;
    for (int i = 0; i < n; ++i) {
      if constexpr (kChannels == 1) {
        const float x = in[i] * g;
        out[2 * i] += x;
        out[2 * i + 1] += x;
      } else {
        out[2 * i] += in[2 * i] * g;
        out[2 * i + 1] += in[2 * i + 1] * g;
      }
    }
    nPos += static_cast<uint32_t>(n);
    nDone += n;
  }
  v.nPos = nPos;
  return true;
}

}  // namespace

void cAudioMixer::MixVoices(float* lpStereo, int nFrames) {
  for (size_t i = 0; i < m_vPlaying.size();) {
    cSoundBuffer& v = *m_vPlaying[i];
    const bool bGoesOn = v.mix->nChannels == 1 ? MixVoice<1>(v, lpStereo, nFrames)
                                               : MixVoice<2>(v, lpStereo, nFrames);
    if (bGoesOn) {
      ++i;
    } else {
      v.bPlaying = false;
      m_vPlaying.erase(m_vPlaying.begin() + static_cast<ptrdiff_t>(i));
    }
  }
}

void cAudioMixer::Render(float* lpStereo, int nFrames) {
  std::fill(lpStereo, lpStereo + 2 * static_cast<size_t>(nFrames), 0.0f);
  std::lock_guard lock(m_Lock);
  MixVoices(lpStereo, nFrames);
  for (cAudioSource* lpSource : m_vSources) lpSource->MixInto(lpStereo, nFrames, m_nRate);
}

void cAudioMixer::RenderS16(int16_t* lpStereo, int nFrames) {
  constexpr int kChunk = 2048;
  float aMix[2 * kChunk];
  for (int nDone = 0; nDone < nFrames;) {
    const int n = std::min(kChunk, nFrames - nDone);
    Render(aMix, n);
    for (int i = 0; i < 2 * n; ++i) {
      const float x = std::clamp(aMix[i] * 32768.0f, -32768.0f, 32767.0f);
      lpStereo[2 * nDone + i] = static_cast<int16_t>(std::lrintf(x));
    }
    nDone += n;
  }
}
