#include "platform/sound/ogg_player.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/base/file_system.h"
#include "app/base/report_log.h"
#include "platform/sound/audio_output.h"

// The file's bytes and the decoder reading them.
struct cOggPlayer::cDecoder {
  cFileBytes fileBytes;
  size_t nRead = 0;
  OggVorbis_File vf{};
  int nRate = 0;
  int nChannels = 0;

  ~cDecoder() { ov_clear(&vf); }

  static size_t ReadFn(void* lpOut, size_t nSize, size_t nCount, void* lpSelf) {
    auto* d = static_cast<cDecoder*>(lpSelf);
    const size_t nWant = nSize * nCount;
    const size_t n = std::min(nWant, d->fileBytes.size() - d->nRead);
    std::memcpy(lpOut, d->fileBytes.data() + d->nRead, n);
    d->nRead += n;
    return nSize ? n / nSize : 0;
  }
  static int SeekFn(void* lpSelf, ogg_int64_t nOffset, int nWhence) {
    auto* d = static_cast<cDecoder*>(lpSelf);
    int64_t nBase = 0;
    if (nWhence == SEEK_CUR) nBase = static_cast<int64_t>(d->nRead);
    if (nWhence == SEEK_END) nBase = static_cast<int64_t>(d->fileBytes.size());
    const int64_t nPos = nBase + nOffset;
    if (nPos < 0 || nPos > static_cast<int64_t>(d->fileBytes.size())) return -1;
    d->nRead = static_cast<size_t>(nPos);
    return 0;
  }
  static long TellFn(void* lpSelf) {
    return static_cast<long>(static_cast<cDecoder*>(lpSelf)->nRead);
  }
};

cOggPlayer::cOggPlayer(cAudioMixer& mixer) : m_Mixer(mixer), m_vConverted(2 * kChunk) {
  m_Mixer.AddSource(this);
}

cOggPlayer::~cOggPlayer() { m_Mixer.RemoveSource(this); }

std::unique_ptr<cStreamResampler> cOggPlayer::MakeResampler(int nFileRate, int nRate) {
  return nFileRate == nRate ? nullptr : cStreamResampler::Create(nFileRate, nRate);
}

bool cOggPlayer::Load(const char* pszFileName) {
  auto d = std::make_unique<cDecoder>();
  if (pszFileName == nullptr || !ReadWholeFile(pszFileName, d->fileBytes)) return false;
  const ov_callbacks callbacks = {cDecoder::ReadFn, cDecoder::SeekFn, nullptr, cDecoder::TellFn};
  if (ov_open_callbacks(d.get(), &d->vf, nullptr, 0, callbacks) != 0) {
    d->vf = OggVorbis_File{};  // nothing to clear
    return false;
  }
  const vorbis_info* lpInfo = ov_info(&d->vf, -1);
  if (lpInfo == nullptr || lpInfo->channels < 1) return false;
  if (lpInfo->rate < kMinSourceRate || lpInfo->rate > kMaxSourceRate) {
    ReportLog("Ogg %s サンプリング周波数 %ld Hz は再生できません", pszFileName, lpInfo->rate);
    return false;
  }
  d->nRate = static_cast<int>(lpInfo->rate);
  d->nChannels = lpInfo->channels;
  std::unique_ptr<cStreamResampler> lpResampler = MakeResampler(d->nRate, m_Mixer.Rate());
  // What is replaced goes after the lock is released.
  std::unique_ptr<cDecoder> oldDecoder;
  std::unique_ptr<cStreamResampler> oldResampler;
  std::lock_guard lock(m_Lock);
  oldDecoder = std::exchange(m_lpDecoder, std::move(d));
  oldResampler = std::exchange(m_lpResampler, std::move(lpResampler));
  m_bResamplerSpent = false;
  m_bPlaying = false;
  m_vFrames.clear();
  m_nFrame = 0;
  m_bInputEnded = false;
  return true;
}

void cOggPlayer::Play() {
  int nFileRate = 0;
  {
    std::lock_guard lock(m_Lock);
    if (!m_lpDecoder) return;
    if (!m_bResamplerSpent) {
      m_bPlaying = true;
      return;
    }
    nFileRate = m_lpDecoder->nRate;
  }
  // The converter still holds the end of the last play: a fresh one, made
  // here rather than in the audio callback.
  std::unique_ptr<cStreamResampler> old = MakeResampler(nFileRate, m_Mixer.Rate());
  std::lock_guard lock(m_Lock);
  if (!m_lpDecoder) return;
  std::swap(old, m_lpResampler);
  m_bResamplerSpent = false;
  m_bPlaying = true;
}

void cOggPlayer::Stop() {
  std::lock_guard lock(m_Lock);
  m_bPlaying = false;
}

void cOggPlayer::Unload() {
  std::unique_ptr<cDecoder> oldDecoder;
  std::unique_ptr<cStreamResampler> oldResampler;
  std::lock_guard lock(m_Lock);
  oldDecoder = std::move(m_lpDecoder);
  oldResampler = std::move(m_lpResampler);
  m_bResamplerSpent = false;
  m_bPlaying = false;
  m_vFrames.clear();
  m_nFrame = 0;
  m_bInputEnded = false;
}

void cOggPlayer::SetLoopCount(int32_t nCount) {
  std::lock_guard lock(m_Lock);
  m_nLoops = std::max(nCount, 0);
}

bool cOggPlayer::IsPlaying() const {
  std::lock_guard lock(m_Lock);
  return m_bPlaying;
}

bool cOggPlayer::IsLoaded() const {
  std::lock_guard lock(m_Lock);
  return m_lpDecoder != nullptr;
}

bool cOggPlayer::Refill() {
  // Keep the frames not yet mixed, then decode more after them.
  const size_t nPassed = std::min(m_nFrame, m_vFrames.size() / 2);
  m_vFrames.erase(m_vFrames.begin(), m_vFrames.begin() + static_cast<ptrdiff_t>(2 * nPassed));
  m_nFrame -= nPassed;
  for (int nTries = 0; nTries < 64; ++nTries) {
    float** lppPcm = nullptr;
    int nSection = 0;
    const long n = ov_read_float(&m_lpDecoder->vf, &lppPcm, 1024, &nSection);
    if (n > 0) {
      const int nCh = m_lpDecoder->nChannels;
      const size_t nOld = m_vFrames.size();
      m_vFrames.resize(nOld + 2 * static_cast<size_t>(n));
      float* out = m_vFrames.data() + nOld;
      for (long i = 0; i < n; ++i) {
        out[2 * i] = lppPcm[0][i];
        out[2 * i + 1] = lppPcm[nCh > 1 ? 1 : 0][i];
      }
      return true;
    }
    if (n == OV_HOLE) continue;  // a gap in the data: decoding goes on
    if (n < 0) return false;
    // The end: start again when loops remain.
    if (m_nLoops <= 0 || ov_pcm_seek(&m_lpDecoder->vf, 0) != 0) return false;
    if (m_nLoops != kLoopForever) --m_nLoops;
  }
  return false;
}

void cOggPlayer::EndOfSong() {
  // Rewound for the next play, which starts a fresh converter.
  m_bPlaying = false;
  m_vFrames.clear();
  m_nFrame = 0;
  m_bInputEnded = false;
  m_bResamplerSpent = m_lpResampler != nullptr;
  ov_pcm_seek(&m_lpDecoder->vf, 0);
}

void cOggPlayer::MixInto(float* lpStereo, int nFrames, int nRate) {
  std::lock_guard lock(m_Lock);
  if (!m_bPlaying || !m_lpDecoder) return;
  const bool bConvert = m_lpDecoder->nRate != nRate;
  if (bConvert && (!m_lpResampler || m_lpResampler->InRate() != m_lpDecoder->nRate ||
                   m_lpResampler->OutRate() != nRate)) {
    // Only when the output's rate changed after the file was loaded, which
    // happens while no device pulls the mixer.
    m_lpResampler = MakeResampler(m_lpDecoder->nRate, nRate);
    m_bResamplerSpent = false;
    if (!m_lpResampler) {
      m_bPlaying = false;
      return;
    }
  }
  for (int nDone = 0; nDone < nFrames;) {
    // Never past the frames decoded so far.
    const size_t nAvail = m_vFrames.size() / 2 - m_nFrame;
    if (nAvail == 0 && !m_bInputEnded) {
      if (!Refill()) m_bInputEnded = true;
      continue;
    }
    const size_t nWant = static_cast<size_t>(nFrames - nDone);
    float* out = lpStereo + 2 * static_cast<size_t>(nDone);
    size_t nMade = 0;
    if (!bConvert) {
      if (nAvail == 0) {
        EndOfSong();
        return;
      }
      nMade = std::min(nAvail, nWant);
      const float* in = m_vFrames.data() + 2 * m_nFrame;
      for (size_t i = 0; i < 2 * nMade; ++i) out[i] += in[i];
      m_nFrame += nMade;
    } else {
      // After the end of the input the converter gives what it still holds.
      size_t nUsed = 0;
      m_lpResampler->Process(m_bInputEnded ? nullptr : m_vFrames.data() + 2 * m_nFrame, nAvail,
                             nUsed, m_vConverted.data(), std::min<size_t>(nWant, kChunk), nMade);
      m_nFrame += nUsed;
      if (nMade == 0 && nUsed == 0) {
        if (m_bInputEnded) EndOfSong();
        return;
      }
      for (size_t i = 0; i < 2 * nMade; ++i) out[i] += m_vConverted[i];
    }
    nDone += static_cast<int>(nMade);
  }
}

namespace {

OggPlayerFactory DefaultOggFactory() {
  return [] { return std::make_unique<cOggPlayer>(GetAudioMixer()); };
}

std::mutex g_FactoryLock;
OggPlayerFactory g_OggFactory = DefaultOggFactory();

}  // namespace

OggPlayerFactory GetOggPlayerFactory() {
  std::lock_guard lock(g_FactoryLock);
  return g_OggFactory;
}

void SetOggPlayerFactory(OggPlayerFactory factory) {
  std::lock_guard lock(g_FactoryLock);
  g_OggFactory = std::move(factory);
}

void ResetOggPlayerFactory() { SetOggPlayerFactory(DefaultOggFactory()); }
