#include "platform/sound/midi_stream.h"

#include "app/base/report_log.h"
#include "platform/sound/audio_output.h"

cMidiStream::cMidiStream(const char* pszFileName, cAudioMixer* lpMixer)
    : cMidiFile(pszFileName), m_lpMixer(lpMixer ? lpMixer : &GetAudioMixer()) {
  if (HasImage()) Open();
}

cMidiStream::~cMidiStream() { Close(); }

void cMidiStream::Open() {
  m_nCurrent = 0;
  for (int i = 0; i < m_nBuffers; ++i) {
    m_lpBuffers[i] = std::make_unique<uint8_t[]>(m_nBufferSize);
    m_lpHeaders[i] = MIDIHDR{};
    m_lpHeaders[i].lpData = m_lpBuffers[i].get();
    m_lpHeaders[i].dwBufferLength = static_cast<uint32_t>(m_nBufferSize);
    m_lpHeaders[i].dwUser = static_cast<uintptr_t>(i);
  }
  m_hStream = std::make_unique<cMidiStreamDevice>(MakeMidiOut(m_lpMixer->Rate()));
  m_hThread = std::thread(MidiCallbackThread, this);
  if (!m_hStream->HasOutput())
    ReportLog("Midi %s Open %s", m_strName.c_str(), GetMidiErrorText(kMidiNoOutput));
  m_hStream->SetCallback([this](uint32_t dwEvent) { PostCallback(dwEvent); });
  const int nResult = m_hStream->SetTimeDivision(Division());
  if (nResult != kMidiOk)
    ReportLog("Midi %s Property %s", m_strName.c_str(), GetMidiErrorText(nResult));
  m_lpMixer->AddSource(m_hStream.get());
  std::lock_guard lock(m_Lock);
  m_nPos = kMidiImageEvents;
  m_nState = kStopped;
  FillNextLocked();
}

void cMidiStream::Close() {
  if (!m_hStream) return;
  // The device stops reporting, the callback thread is told to end and
  // joined, and only then is the stream taken out of the mix and deleted.
  m_hStream->Detach();
  {
    std::lock_guard lock(m_QueueLock);
    m_bQuit = true;
  }
  m_QueueSignal.notify_all();
  if (m_hThread.joinable()) m_hThread.join();
  m_hStream->Reset();
  m_lpMixer->RemoveSource(m_hStream.get());
  m_hStream.reset();
  for (auto& b : m_lpBuffers) b.reset();
}

int cMidiStream::State() const {
  std::lock_guard lock(m_Lock);
  return m_nState;
}

void cMidiStream::FillNextLocked() {
  const std::string_view image = Image();
  if (m_nPos >= image.size()) return;
  MIDIHDR& h = m_lpHeaders[m_nCurrent];
  if (m_hStream->IsQueued(&h)) return;
  const cStreamFill fill = FillStreamBuffer(image, m_nPos, h.lpData, h.dwBufferLength);
  if (fill.nDropped > 0 && !m_bReportedDrop) {
    ReportLog("Midi %s Out システムエクスクルーシブが長すぎるため送りません", m_strName.c_str());
    m_bReportedDrop = true;
  }
  m_nPos = fill.nNextPos;
  if (fill.bEndOfSong) {
    // Nothing after the end is played; a loop goes on from the start.
    m_nPos = Image().size();
    if (m_bLoop && m_nState == kPlaying) WrapToStartLocked();
  }
  h.dwBytesRecorded = fill.nBytesUsed;
  h.dwFlags = 0;
  h.dwOffset = 0;
  const int nResult = m_hStream->Out(&h);
  if (nResult != kMidiOk) ReportLog("Midi %s Out %s", m_strName.c_str(), GetMidiErrorText(nResult));
  m_nCurrent = (m_nCurrent + 1) % m_nBuffers;
}

void cMidiStream::WrapToStartLocked() {
  m_nPos = kMidiImageEvents;
  ++m_nWrapsQueued;
}

void cMidiStream::Play(int bLoop) {
  if (!HasImage()) return;
  std::lock_guard lock(m_Lock);
  PlayLocked(bLoop);
}

void cMidiStream::PlayLocked(int bLoop) {
  m_bLoop = bLoop;
  if (m_nState == kPlaying) return;
  const int nResult = m_hStream->Restart();
  if (nResult != kMidiOk)
    ReportLog("Midi %s Restart %s", m_strName.c_str(), GetMidiErrorText(nResult));
  m_nState = kPlaying;
  // The song's end may already be queued (a short song, filled while
  // stopped): a loop's next pass goes behind it. A buffer still queued from
  // before a pause is left as it is.
  if (m_bLoop && m_nPos >= Image().size()) WrapToStartLocked();
  if (m_nPos < Image().size()) FillNextLocked();
}

void cMidiStream::Stop(int bPause) {
  if (!HasImage()) return;
  std::lock_guard lock(m_Lock);
  StopLocked(bPause);
}

void cMidiStream::StopLocked(int bPause) {
  if (bPause == 0) {
    const int nResult = m_hStream->Stop();
    if (nResult != kMidiOk)
      ReportLog("Midi %s Stop %s", m_strName.c_str(), GetMidiErrorText(nResult));
    m_nState = kStopped;
    m_nPos = kMidiImageEvents;
    m_nCurrent = 0;
    m_nWrapsQueued = 0;
    FillNextLocked();
  } else if (m_nState == kPlaying) {
    const int nResult = m_hStream->Pause();
    if (nResult != kMidiOk)
      ReportLog("Midi %s Pause %s", m_strName.c_str(), GetMidiErrorText(nResult));
    m_nState = kPaused;
  }
}

void cMidiStream::OnPositionCallback(uint32_t dwEvent) {
  std::lock_guard lock(m_Lock);
  if ((dwEvent & 0xFFFFFF) == kEndOfSongEvent) {
    if (m_nWrapsQueued > 0) {
      // The device has gone on into the next pass, which a loop switched
      // off since then ends.
      --m_nWrapsQueued;
      if (!m_bLoop) {
        StopLocked(0);
        return;
      }
    } else {
      // No pass queued behind the end (the loop was switched on late):
      // start again from here.
      StopLocked(0);
      if (m_bLoop) PlayLocked(1);
      return;
    }
  }
  // The buffer this event ended has been played: fill it again.
  if (m_nPos < Image().size()) FillNextLocked();
}

void cMidiStream::PostCallback(uint32_t dwEvent) {
  {
    std::lock_guard lock(m_QueueLock);
    m_Messages.push_back(dwEvent);
  }
  m_QueueSignal.notify_one();
}

void cMidiStream::MidiCallbackThread(cMidiStream* lpStream) {
  uint64_t nHandled = 0;
  for (;;) {
    uint32_t dwEvent = 0;
    {
      std::unique_lock lock(lpStream->m_QueueLock);
      lpStream->m_QueueSignal.wait(
          lock, [lpStream] { return lpStream->m_bQuit || !lpStream->m_Messages.empty(); });
      if (lpStream->m_bQuit) return;
      dwEvent = lpStream->m_Messages.front();
      lpStream->m_Messages.pop_front();
    }
    lpStream->OnPositionCallback(dwEvent);
    lpStream->m_hStream->AcknowledgeCallbacks(++nHandled);
  }
}
