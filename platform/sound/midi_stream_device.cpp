#include "platform/sound/midi_stream_device.h"

#include <algorithm>

#include "platform/sound/midi_file.h"

const char* GetMidiErrorText(int nResult) {
  switch (nResult) {
    case kMidiOk:
      return "成功";
    case kMidiNoOutput:
      return "MIDI出力がありません";
    case kMidiBadBuffer:
      return "バッファが不正です";
    default:
      return "不明なエラー";
  }
}

namespace {

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

cMidiStreamDevice::cMidiStreamDevice(std::shared_ptr<cMidiOut> out) : m_Out(std::move(out)) {}

cMidiStreamDevice::~cMidiStreamDevice() {
  std::lock_guard lock(m_Lock);
  ReturnAllBuffers();
}

void cMidiStreamDevice::SetCallback(std::function<void(uint32_t)> fnCallback) {
  std::lock_guard lock(m_Lock);
  m_fnCallback = std::move(fnCallback);
}

void cMidiStreamDevice::AcknowledgeCallbacks(uint64_t nHandled) {
  std::lock_guard lock(m_Lock);
  m_nAcked = std::max(m_nAcked, nHandled);
}

bool cMidiStreamDevice::CallbacksHandled() const {
  std::lock_guard lock(m_Lock);
  return m_nAcked >= m_nPosted || m_bDetached;
}

void cMidiStreamDevice::Detach() {
  std::lock_guard lock(m_Lock);
  m_bDetached = true;
  m_fnCallback = nullptr;
}

int cMidiStreamDevice::SetTimeDivision(uint16_t nDivision) {
  std::lock_guard lock(m_Lock);
  m_nDivision = nDivision;
  if (m_nRate > 0) Recompute(m_nRate);
  return kMidiOk;
}

void cMidiStreamDevice::Recompute(int nRate) {
  m_nRate = nRate;
  if (m_nDivision & 0x8000) {
    // Frames per second (29 meaning 29.97) times ticks per frame.
    const int nFps = -static_cast<int8_t>(m_nDivision >> 8);
    const int nFps100 = nFps == 29 ? 2997 : nFps * 100;
    m_nUnitsPerSample =
        static_cast<__int128>(std::max(nFps100, 1)) * std::max(m_nDivision & 0xFF, 1);
    m_nUnitsPerTick = static_cast<__int128>(nRate) * 100;
  } else {
    m_nUnitsPerSample = static_cast<__int128>(1000000) * std::max<int>(m_nDivision, 1);
    m_nUnitsPerTick = static_cast<__int128>(m_nTempo) * nRate;
  }
}

int cMidiStreamDevice::Out(MIDIHDR* lpHeader) {
  std::lock_guard lock(m_Lock);
  if (lpHeader == nullptr || (lpHeader->dwFlags & MHDR_INQUEUE)) return kMidiBadBuffer;
  lpHeader->dwFlags = (lpHeader->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
  lpHeader->dwOffset = 0;
  m_Queue.push_back(lpHeader);
  return kMidiOk;
}

bool cMidiStreamDevice::IsQueued(const MIDIHDR* lpHeader) const {
  std::lock_guard lock(m_Lock);
  return (lpHeader->dwFlags & MHDR_INQUEUE) != 0;
}

int cMidiStreamDevice::Restart() {
  std::lock_guard lock(m_Lock);
  m_bRunning = true;
  return kMidiOk;
}

int cMidiStreamDevice::Pause() {
  std::lock_guard lock(m_Lock);
  if (m_bRunning && m_Out) m_Out->AllNotesOff();
  m_bRunning = false;
  return kMidiOk;
}

void cMidiStreamDevice::ReturnAllBuffers() {
  for (MIDIHDR* h : m_Queue) h->dwFlags = (h->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  m_Queue.clear();
  m_bEventLoaded = false;
  // Keep only the sub-sample overshoot, so that playing again continues the
  // exact timeline (a loop restarts on the sample its end fell on).
  if (m_nWait > 0) m_nWait = 0;
}

int cMidiStreamDevice::Stop() {
  std::lock_guard lock(m_Lock);
  m_bRunning = false;
  ReturnAllBuffers();
  if (m_Out) m_Out->AllNotesOff();
  return kMidiOk;
}

int cMidiStreamDevice::Reset() {
  std::lock_guard lock(m_Lock);
  m_bRunning = false;
  ReturnAllBuffers();
  if (m_Out) m_Out->Reset();
  return kMidiOk;
}

int64_t cMidiStreamDevice::SamplesRendered() const {
  std::lock_guard lock(m_Lock);
  return m_nSample;
}

bool cMidiStreamDevice::IsRunning() const {
  std::lock_guard lock(m_Lock);
  return m_bRunning;
}

bool cMidiStreamDevice::LoadNextEvent() {
  while (!m_Queue.empty()) {
    MIDIHDR* h = m_Queue.front();
    if (static_cast<uint64_t>(h->dwOffset) + kMidiEventRecord <= h->dwBytesRecorded) {
      m_nWait += static_cast<__int128>(Le32(h->lpData + h->dwOffset)) * m_nUnitsPerTick;
      m_bEventLoaded = true;
      return true;
    }
    // An empty or used-up buffer goes back at once.
    h->dwFlags = (h->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    m_Queue.pop_front();
  }
  return false;
}

void cMidiStreamDevice::DispatchDueEvent() {
  MIDIHDR* h = m_Queue.front();
  const uint8_t* lpRecord = h->lpData + h->dwOffset;
  const uint32_t dwEvent = Le32(lpRecord + 8);
  uint32_t nRecord = kMidiEventRecord;
  m_bEventLoaded = false;
  if (dwEvent & MEVT_LONGMSG) {
    const uint32_t nLen = dwEvent & 0x00FFFFFF;
    const uint32_t nPadded = (nLen + 3) & ~3u;
    const uint64_t nAvail = h->dwBytesRecorded - h->dwOffset - kMidiEventRecord;
    if (nPadded <= nAvail) {
      if (m_Out) m_Out->LongMessage(lpRecord + kMidiEventRecord, nLen, m_nSample);
      nRecord += nPadded;
    } else {
      nRecord = h->dwBytesRecorded - h->dwOffset;  // a damaged record ends the buffer
    }
  } else {
    switch ((dwEvent >> 24) & 0x3F) {
      case MEVT_SHORTMSG:
        // FF 2F 00 only marks the end of the song; it is not sent, and the
        // notes still held are released (a loop starts afresh).
        if ((dwEvent & 0xFFFFFF) == kEndOfSongEvent) {
          if (m_Out) m_Out->AllNotesOff();
        } else if ((dwEvent & 0xFF) != 0xFF && m_Out) {
          m_Out->ShortMessage(dwEvent & 0xFFFFFF, m_nSample);
        }
        break;
      case MEVT_TEMPO:
        m_nTempo = std::max<uint32_t>(dwEvent & 0xFFFFFF, 1);
        Recompute(m_nRate);
        break;
      default:
        break;
    }
  }
  h->dwOffset += nRecord;
  if (h->dwOffset + kMidiEventRecord > h->dwBytesRecorded) {
    h->dwFlags = (h->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    m_Queue.pop_front();
  }
  if ((dwEvent & MEVT_F_CALLBACK) && m_fnCallback && !m_bDetached) {
    ++m_nPosted;
    m_fnCallback(dwEvent);
  }
  if (m_bRunning && !m_bEventLoaded) LoadNextEvent();
}

void cMidiStreamDevice::MixInto(float* lpStereo, int nFrames, int nRate) {
  std::lock_guard lock(m_Lock);
  if (nRate != m_nRate) Recompute(nRate);
  int nDone = 0;
  while (nDone < nFrames) {
    int n = nFrames - nDone;
    if (m_bRunning) {
      if (!m_bEventLoaded) LoadNextEvent();
      if (m_bEventLoaded) {
        if (m_nWait <= 0) {
          DispatchDueEvent();
          continue;
        }
        const __int128 nSamples = (m_nWait + m_nUnitsPerSample - 1) / m_nUnitsPerSample;
        if (nSamples < n) n = static_cast<int>(nSamples);
      }
    }
    if (m_Out) m_Out->Render(lpStereo + 2 * nDone, n);
    if (m_bRunning && m_bEventLoaded) m_nWait -= m_nUnitsPerSample * n;
    m_nSample += n;
    nDone += n;
  }
}
