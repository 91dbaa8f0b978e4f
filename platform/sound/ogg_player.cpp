#include "platform/sound/ogg_player.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

#include "app/base/file_system.h"
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

cOggPlayer::cOggPlayer(cAudioMixer& mixer) : m_Mixer(mixer) { m_Mixer.AddSource(this); }

cOggPlayer::~cOggPlayer() { m_Mixer.RemoveSource(this); }

bool cOggPlayer::Load(const char* pszFileName) {
  auto d = std::make_unique<cDecoder>();
  if (pszFileName == nullptr || !ReadWholeFile(pszFileName, d->fileBytes)) return false;
  const ov_callbacks callbacks = {cDecoder::ReadFn, cDecoder::SeekFn, nullptr, cDecoder::TellFn};
  if (ov_open_callbacks(d.get(), &d->vf, nullptr, 0, callbacks) != 0) {
    d->vf = OggVorbis_File{};  // nothing to clear
    return false;
  }
  const vorbis_info* lpInfo = ov_info(&d->vf, -1);
  if (lpInfo == nullptr || lpInfo->rate <= 0 || lpInfo->channels < 1) return false;
  d->nRate = static_cast<int>(lpInfo->rate);
  d->nChannels = lpInfo->channels;
  std::lock_guard lock(m_Lock);
  m_lpDecoder = std::move(d);
  m_bPlaying = false;
  m_vFrames.clear();
  m_nFrame = 0;
  m_nPhase = 0;
  return true;
}

void cOggPlayer::Play() {
  std::lock_guard lock(m_Lock);
  if (m_lpDecoder) m_bPlaying = true;
}

void cOggPlayer::Stop() {
  std::lock_guard lock(m_Lock);
  m_bPlaying = false;
}

void cOggPlayer::Unload() {
  std::unique_ptr<cDecoder> old;
  std::lock_guard lock(m_Lock);
  old = std::move(m_lpDecoder);
  m_bPlaying = false;
  m_vFrames.clear();
  m_nFrame = 0;
  m_nPhase = 0;
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
  // Keep the frames not yet passed, then decode more after them. A step of
  // more than one frame may have passed beyond the frames decoded so far:
  // what is left of it is passed in the new ones.
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

void cOggPlayer::MixInto(float* lpStereo, int nFrames, int nRate) {
  std::lock_guard lock(m_Lock);
  if (!m_bPlaying || !m_lpDecoder) return;
  const uint64_t nStep =
      (static_cast<uint64_t>(m_lpDecoder->nRate) << 32) / static_cast<uint64_t>(nRate);
  for (int i = 0; i < nFrames; ++i) {
    // Two source frames are needed to interpolate between.
    while ((m_nFrame + 1) * 2 >= m_vFrames.size()) {
      if (!Refill()) {
        // The true end: rewind for the next play and stop.
        m_bPlaying = false;
        m_vFrames.clear();
        m_nFrame = 0;
        m_nPhase = 0;
        ov_pcm_seek(&m_lpDecoder->vf, 0);
        return;
      }
    }
    const float f = static_cast<float>(m_nPhase >> 8) * (1.0f / 16777216.0f);
    const float* a = m_vFrames.data() + 2 * m_nFrame;
    lpStereo[2 * i] += a[0] + (a[2] - a[0]) * f;
    lpStereo[2 * i + 1] += a[1] + (a[3] - a[1]) * f;
    const uint64_t nNext = static_cast<uint64_t>(m_nPhase) + nStep;
    m_nFrame += static_cast<size_t>(nNext >> 32);
    m_nPhase = static_cast<uint32_t>(nNext);
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
