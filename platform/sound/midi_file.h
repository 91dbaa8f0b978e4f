#pragma once
// Standard MIDI files read whole and converted into one format-0 image: the
// tracks of a format 0 or 1 file merged by time (lower track first on equal
// times), running status expanded, one end-of-track at the latest end. The
// image is then cut into stream buffers of fixed-size event records.
//
// Every read is checked against the file's size: a file that runs short, a
// quantity longer than four bytes or a data byte without a status refuses
// the file with a report-log line; nothing is read past the end.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Largest variable-length quantity (four bytes).
inline constexpr uint32_t kMaxVLQ = 0x0FFFFFFF;

// Reads a quantity of 1 to 4 bytes; 0 when the fourth byte still continues.
int ReadVLQ(const uint8_t* lpBytes, uint32_t& nValue);
// The same, reading nothing at or past lpEnd; 0 also when the bytes run out.
int ReadVLQ(const uint8_t* lpBytes, const uint8_t* lpEnd, uint32_t& nValue);
// Writes 1 to 4 bytes; 0 (nothing written) for a value above kMaxVLQ.
int WriteVLQ(uint8_t* lpBytes, uint32_t nValue);

// Image layout: "MThd", 6, format 0, 1 track, division, "MTrk", length, events.
inline constexpr size_t kMidiImageEvents = 22;

enum class eMidiError { kOk, kNotSmf4, kNotSmf6, kFormat2, kFormatOther, kBroken, kNoDivision };

// Converts the bytes of a file; image is filled only on kOk.
eMidiError BuildMidiImage(std::string_view file, std::string& image);

// Stream buffers hold records of {delta ticks, stream id 0, event word}, the
// event word's top byte giving its type; long messages follow their record,
// padded to four bytes.
inline constexpr uint32_t MEVT_SHORTMSG = 0x00;
inline constexpr uint32_t MEVT_TEMPO = 0x01;
inline constexpr uint32_t MEVT_NOP = 0x02;
inline constexpr uint32_t MEVT_LONGMSG = 0x80000000;  // flag; length in the low bits
inline constexpr uint32_t MEVT_F_CALLBACK = 0x40000000;
inline constexpr uint32_t kEndOfSongEvent = 0x2FFF;  // FF 2F 00 as a short message
inline constexpr size_t kMidiEventRecord = 12;

struct cStreamFill {
  size_t nNextPos = 0;      // image position after the events taken
  uint32_t nBytesUsed = 0;  // bytes of the buffer filled
  int nEvents = 0;          // records written
  int nDropped = 0;         // messages too long for any buffer, left out
  bool bEndOfSong = false;  // the end-of-song record was written
};

// Fills a buffer with the events of the image from nPos (an event start) on.
// A message too long for an empty buffer is left out (its delta carried on),
// so the music never stalls on it.
cStreamFill FillStreamBuffer(std::string_view image, size_t nPos, uint8_t* lpBuffer,
                             uint32_t nBufferSize);

class cMidiFile {
 public:
  explicit cMidiFile(const char* pszFileName);
  virtual ~cMidiFile();
  cMidiFile(const cMidiFile&) = delete;
  cMidiFile& operator=(const cMidiFile&) = delete;

  bool HasImage() const { return m_lpImage != nullptr; }
  std::string_view Image() const {
    return m_lpImage ? std::string_view(*m_lpImage) : std::string_view();
  }
  const std::string& Name() const { return m_strName; }
  uint16_t Division() const;

 protected:
  void Load(const char* pszFileName);

  std::unique_ptr<std::string> m_lpImage;  // null when the file was not read or refused
  std::string m_strName;
};
