#include "platform/sound/midi_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/base/file_system.h"
#include "app/base/report_log.h"

int ReadVLQ(const uint8_t* lpBytes, uint32_t& nValue) {
  nValue = 0;
  for (int i = 0; i < 4; ++i) {
    nValue = (nValue << 7) | (lpBytes[i] & 0x7F);
    if ((lpBytes[i] & 0x80) == 0) return i + 1;
  }
  return 0;
}

int ReadVLQ(const uint8_t* lpBytes, const uint8_t* lpEnd, uint32_t& nValue) {
  nValue = 0;
  for (int i = 0; i < 4; ++i) {
    if (lpBytes + i >= lpEnd) return 0;
    nValue = (nValue << 7) | (lpBytes[i] & 0x7F);
    if ((lpBytes[i] & 0x80) == 0) return i + 1;
  }
  return 0;
}

int WriteVLQ(uint8_t* lpBytes, uint32_t nValue) {
  if (nValue > kMaxVLQ) return 0;
  int n = 1;
  while (n < 4 && (nValue >> (7 * n)) != 0) ++n;
  for (int i = 0; i < n; ++i) {
    const uint8_t b = (nValue >> (7 * (n - 1 - i))) & 0x7F;
    lpBytes[i] = i + 1 < n ? (b | 0x80) : b;
  }
  return n;
}

namespace {

uint32_t Be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// One event as it lies in the bytes: status (running status resolved), the
// data after the status, and for meta and system-exclusive events the payload
// after their length.
struct cRawEvent {
  uint32_t nDelta = 0;
  uint8_t nStatus = 0;
  size_t nDataPos = 0;
  size_t nDataLen = 0;
  uint8_t nMetaType = 0;
  size_t nPayloadPos = 0;
  uint32_t nPayloadLen = 0;
  size_t nNext = 0;
};

// Parses the event at nPos; false when it runs past nSize or is malformed.
// nRunning is the running status (0 for none); only channel messages set it.
bool ParseEvent(const uint8_t* lpBase, size_t nSize, size_t nPos, uint8_t& nRunning,
                cRawEvent& ev) {
  const uint8_t* lpEnd = lpBase + nSize;
  const int nDeltaBytes = ReadVLQ(lpBase + nPos, lpEnd, ev.nDelta);
  if (nDeltaBytes == 0) return false;
  size_t p = nPos + nDeltaBytes;
  if (p >= nSize) return false;
  if (lpBase[p] & 0x80) {
    ev.nStatus = lpBase[p++];
    if (ev.nStatus < 0xF0) nRunning = ev.nStatus;
  } else {
    if (nRunning == 0) return false;
    ev.nStatus = nRunning;
  }
  ev.nDataPos = p;
  ev.nMetaType = 0;
  ev.nPayloadPos = p;
  ev.nPayloadLen = 0;
  if (ev.nStatus == 0xF0 || ev.nStatus == 0xF7 || ev.nStatus == 0xFF) {
    if (ev.nStatus == 0xFF) {
      if (p >= nSize) return false;
      ev.nMetaType = lpBase[p++];
    }
    uint32_t nCount = 0;
    const int nCountBytes = ReadVLQ(lpBase + p, lpEnd, nCount);
    if (nCountBytes == 0) return false;
    p += nCountBytes;
    if (nCount > nSize - p) return false;
    ev.nPayloadPos = p;
    ev.nPayloadLen = nCount;
    p += nCount;
  } else {
    const size_t nLen = (ev.nStatus >= 0xC0 && ev.nStatus <= 0xDF) ? 1 : 2;
    if (nLen > nSize - p) return false;
    p += nLen;
  }
  ev.nDataLen = p - ev.nDataPos;
  ev.nNext = p;
  return true;
}

bool IsEndOfTrack(const cRawEvent& ev) { return ev.nStatus == 0xFF && ev.nMetaType == 0x2F; }

struct cTimedEvent {
  uint64_t nTime;
  uint8_t nStatus;
  uint32_t nDataPos;
  uint32_t nDataLen;
};

// An empty text event: carries a delta too long for one quantity.
constexpr uint8_t kFillerEvent[] = {0xFF, 0x01, 0x00};

void AppendDelta(std::string& out, uint64_t nDelta) {
  uint8_t aVlq[4];
  while (nDelta > kMaxVLQ) {
    out.append(reinterpret_cast<const char*>(aVlq), WriteVLQ(aVlq, kMaxVLQ));
    out.append(reinterpret_cast<const char*>(kFillerEvent), sizeof kFillerEvent);
    nDelta -= kMaxVLQ;
  }
  out.append(reinterpret_cast<const char*>(aVlq), WriteVLQ(aVlq, static_cast<uint32_t>(nDelta)));
}

void PutBe32(std::string& out, size_t nAt, uint32_t n) {
  out[nAt] = static_cast<char>(n >> 24);
  out[nAt + 1] = static_cast<char>(n >> 16);
  out[nAt + 2] = static_cast<char>(n >> 8);
  out[nAt + 3] = static_cast<char>(n);
}

// True when 8 bytes at nPos start a chunk with this id.
bool IsChunk(const uint8_t* lpBase, size_t nSize, size_t nPos, const char* pszId) {
  return nPos <= nSize && nSize - nPos >= 8 && std::memcmp(lpBase + nPos, pszId, 4) == 0;
}

}  // namespace

eMidiError BuildMidiImage(std::string_view file, std::string& image) {
  const auto* b = reinterpret_cast<const uint8_t*>(file.data());
  const size_t nSize = file.size();
  if (nSize < 14 || std::memcmp(b, "MThd", 4) != 0) return eMidiError::kNotSmf4;
  if (Be32(b + 4) != 6) return eMidiError::kNotSmf6;
  const uint16_t nFormat = Be16(b + 8);
  if (nFormat == 2) return eMidiError::kFormat2;
  if (nFormat > 2) return eMidiError::kFormatOther;
  if (!IsChunk(b, nSize, 14, "MTrk")) return eMidiError::kNotSmf4;
  const uint16_t nTracks = Be16(b + 10);
  const uint16_t nDivision = Be16(b + 12);
  if ((nDivision & 0x7FFF) == 0 || ((nDivision & 0x8000) && (nDivision & 0xFF) == 0))
    return eMidiError::kNoDivision;

  std::vector<cTimedEvent> vEvents;
  uint64_t nEndTime = 0;
  size_t nChunk = 14;
  for (int t = 0; t < nTracks; ++t) {
    // Chunks of other kinds between the tracks are skipped.
    while (!IsChunk(b, nSize, nChunk, "MTrk")) {
      if (nSize < 8 || nChunk > nSize - 8) return eMidiError::kBroken;
      nChunk += 8ull + Be32(b + nChunk + 4);
    }
    const size_t nDeclaredEnd = nChunk + 8 + std::min<uint64_t>(Be32(b + nChunk + 4), nSize);
    size_t p = nChunk + 8;
    uint64_t nTime = 0;
    uint8_t nRunning = 0;
    bool bEnded = false;
    while (p < nSize) {
      cRawEvent ev;
      if (!ParseEvent(b, nSize, p, nRunning, ev)) return eMidiError::kBroken;
      nTime += ev.nDelta;
      p = ev.nNext;
      if (IsEndOfTrack(ev)) {
        bEnded = true;
        break;
      }
      vEvents.push_back({nTime, ev.nStatus, static_cast<uint32_t>(ev.nDataPos),
                         static_cast<uint32_t>(ev.nDataLen)});
      // A track whose declared length ends here without an end-of-track
      // event ends here, when the next track follows.
      if (p == nDeclaredEnd && IsChunk(b, nSize, p, "MTrk")) break;
    }
    nEndTime = std::max(nEndTime, nTime);
    // The next track follows the end-of-track event; a declared length that
    // covers padding after it is honoured.
    nChunk = p;
    if (bEnded && !IsChunk(b, nSize, p, "MTrk") && nDeclaredEnd <= nSize &&
        IsChunk(b, nSize, nDeclaredEnd, "MTrk"))
      nChunk = nDeclaredEnd;
    if (t + 1 < nTracks && nChunk >= nSize) return eMidiError::kBroken;
  }

  // Tracks were appended in order, so a stable sort by time keeps the lower
  // track first on equal times and every track's own order.
  std::stable_sort(vEvents.begin(), vEvents.end(),
                   [](const cTimedEvent& a, const cTimedEvent& c) { return a.nTime < c.nTime; });

  image.clear();
  image.reserve(kMidiImageEvents + nSize + vEvents.size() + 8);
  image.append("MThd\0\0\0\x06\0\0\0\x01", 12);
  image.push_back(static_cast<char>(nDivision >> 8));
  image.push_back(static_cast<char>(nDivision));
  image.append("MTrk\0\0\0\0", 8);
  uint64_t nPrev = 0;
  for (const cTimedEvent& ev : vEvents) {
    AppendDelta(image, ev.nTime - nPrev);
    nPrev = ev.nTime;
    image.push_back(static_cast<char>(ev.nStatus));
    image.append(file.data() + ev.nDataPos, ev.nDataLen);
  }
  AppendDelta(image, nEndTime - nPrev);
  image.append("\xFF\x2F\x00", 3);
  if (image.size() - kMidiImageEvents > 0xFFFFFFFFull) return eMidiError::kBroken;
  PutBe32(image, 18, static_cast<uint32_t>(image.size() - kMidiImageEvents));
  return eMidiError::kOk;
}

namespace {

void PutLe32(uint8_t* p, uint32_t n) {
  p[0] = static_cast<uint8_t>(n);
  p[1] = static_cast<uint8_t>(n >> 8);
  p[2] = static_cast<uint8_t>(n >> 16);
  p[3] = static_cast<uint8_t>(n >> 24);
}

}  // namespace

cStreamFill FillStreamBuffer(std::string_view image, size_t nPos, uint8_t* lpBuffer,
                             uint32_t nBufferSize) {
  cStreamFill fill;
  std::memset(lpBuffer, 0, nBufferSize);
  const auto* b = reinterpret_cast<const uint8_t*>(image.data());
  const size_t nSize = image.size();
  uint64_t nCarry = 0;    // deltas of events not sent, added to the next one
  size_t nResume = nPos;  // where the next buffer starts when this one is full
  uint32_t nUsed = 0;
  uint8_t* lpLast = nullptr;  // record of the last event written
  uint8_t nRunning = 0;
  while (nPos < nSize) {
    cRawEvent ev;
    if (!ParseEvent(b, nSize, nPos, nRunning, ev)) {
      nPos = nSize;  // a damaged rest is dropped rather than stalled on
      break;
    }
    uint32_t dwEvent = 0;
    uint32_t nLongLen = 0;
    bool bSend = true;
    bool bEnd = false;
    if (ev.nStatus == 0xF0 || ev.nStatus == 0xF7) {
      nLongLen = 1 + ev.nPayloadLen;
      dwEvent = MEVT_LONGMSG | nLongLen;
    } else if (ev.nStatus == 0xFF) {
      if (ev.nMetaType == 0x2F) {
        dwEvent = kEndOfSongEvent | MEVT_F_CALLBACK;
        bEnd = true;
      } else if (ev.nMetaType == 0x51 && ev.nPayloadLen == 3) {
        const uint8_t* t = b + ev.nPayloadPos;
        dwEvent = (MEVT_TEMPO << 24) | (t[0] << 16) | (t[1] << 8) | t[2];
      } else {
        bSend = false;
      }
    } else {
      dwEvent = ev.nStatus;
      if (ev.nDataLen >= 1) dwEvent |= b[ev.nDataPos] << 8;
      if (ev.nDataLen >= 2) dwEvent |= b[ev.nDataPos + 1] << 16;
    }
    if (nCarry == 0) nResume = nPos;
    if (!bSend) {
      nCarry += ev.nDelta;
      nPos = ev.nNext;
      continue;
    }
    const uint32_t nPadded = (nLongLen + 3) & ~3u;
    const uint64_t nRecord = kMidiEventRecord + nPadded;
    if (nRecord > nBufferSize) {
      // Never fits: leave it out instead of stalling on it.
      ++fill.nDropped;
      nCarry += ev.nDelta;
      nPos = ev.nNext;
      continue;
    }
    // Deltas beyond 32 bits wait in no-op records. A wait of centuries is
    // cut so that its no-ops always fit one buffer.
    constexpr uint64_t kMaxWait = 1000ull * 0xFFFFFFFFull;
    uint64_t nDelta = std::min(nCarry + ev.nDelta, kMaxWait);
    const uint64_t nNops = nDelta > 0xFFFFFFFFull ? (nDelta - 1) / 0xFFFFFFFFull : 0;
    if (nUsed + nNops * kMidiEventRecord + nRecord > nBufferSize) {
      nPos = nResume;
      break;
    }
    for (uint64_t i = 0; i < nNops; ++i) {
      PutLe32(lpBuffer + nUsed, 0xFFFFFFFFu);
      PutLe32(lpBuffer + nUsed + 8, MEVT_NOP << 24);
      nDelta -= 0xFFFFFFFFu;
      nUsed += kMidiEventRecord;
      ++fill.nEvents;
    }
    lpLast = lpBuffer + nUsed;
    PutLe32(lpLast, static_cast<uint32_t>(nDelta));
    PutLe32(lpLast + 4, 0);
    PutLe32(lpLast + 8, dwEvent);
    if (nLongLen != 0) {
      lpLast[12] = ev.nStatus;
      std::memcpy(lpLast + 13, b + ev.nPayloadPos, ev.nPayloadLen);
    }
    nUsed += static_cast<uint32_t>(nRecord);
    ++fill.nEvents;
    nCarry = 0;
    nPos = ev.nNext;
    if (bEnd) {
      fill.bEndOfSong = true;
      break;
    }
  }
  if (nPos >= nSize) nPos = nSize;
  // The owner hears when the buffer has been played, to fill it again.
  if (lpLast != nullptr) lpLast[11] |= MEVT_F_CALLBACK >> 24;
  fill.nNextPos = nPos;
  fill.nBytesUsed = nUsed;
  return fill;
}

cMidiFile::cMidiFile(const char* pszFileName) { Load(pszFileName); }
cMidiFile::~cMidiFile() = default;

uint16_t cMidiFile::Division() const {
  if (!m_lpImage) return 0;
  const auto* b = reinterpret_cast<const uint8_t*>(m_lpImage->data());
  return Be16(b + 12);
}

void cMidiFile::Load(const char* pszFileName) {
  m_strName = pszFileName ? pszFileName : "";
  m_lpImage.reset();
  // Music files are small; anything past this is not one (and would cost
  // hundreds of megabytes to convert).
  constexpr uint64_t kMaxFileSize = 4ull << 20;
  uint64_t nFileSize = 0;
  cFileBytes fileBytes;
  if (!GetFileSize(m_strName, nFileSize) || IsDirectory(m_strName)) {
    ReportLog("Midi %s Create ファイルが開けません", m_strName.c_str());
    return;
  }
  if (nFileSize > kMaxFileSize) {
    ReportLog("Midi %s Init ファイルが大きすぎます", m_strName.c_str());
    return;
  }
  if (!ReadWholeFile(m_strName, fileBytes)) {
    ReportLog("Midi %s Create ファイルが開けません", m_strName.c_str());
    return;
  }
  auto image = std::make_unique<std::string>();
  switch (BuildMidiImage(fileBytes, *image)) {
    case eMidiError::kOk:
      m_lpImage = std::move(image);
      return;
    case eMidiError::kNotSmf4:
      ReportLog("Midi %s Init 標準MIDIでない(4)", m_strName.c_str());
      return;
    case eMidiError::kNotSmf6:
      ReportLog("Midi %s Init 標準MIDIでない(6)", m_strName.c_str());
      return;
    case eMidiError::kFormat2:
      ReportLog("Midi %s Init 対応フォーマットが2でない", m_strName.c_str());
      return;
    case eMidiError::kFormatOther:
      ReportLog("Midi %s Init 対応フォーマットが0または1でない", m_strName.c_str());
      return;
    case eMidiError::kNoDivision:
      ReportLog("Midi %s Init 時間単位が0です", m_strName.c_str());
      return;
    case eMidiError::kBroken:
      ReportLog("Midi %s Init トラックのデータが壊れています", m_strName.c_str());
      return;
  }
}
