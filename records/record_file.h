#pragma once
// The byte streams under every record file.
//
// A record file is read into memory whole and parsed from there; every read is
// checked against the bytes that are left, and the first failure is written
// to the report log once and makes every later read fail as well (a "sticky"
// failure), so that a record's Load may read on without testing each step and
// its caller asks Failed() at the end. Counts that decide an allocation are
// read with ReadCount, which refuses a count whose elements cannot fit in the
// room the record being read still has (see Room).
//
// Every list of records is read through cListReader: elements are made as
// they are read, and each element's room leaves out what the elements after
// it need at least, so a list nested in an element cannot claim bytes that
// the rest of the enclosing list holds. Memory therefore follows the bytes
// actually present, however deeply lists nest.
//
// A record file is written into memory and reaches the disk in one piece
// through cAtomicFile when it is closed, so a failed save never leaves a
// half-written file behind.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "app/base/file_system.h"

class cRecordReader {
 public:
  // A reader over the bytes of a file read whole, or over a copy of bytes in
  // memory; strName names them in the log.
  explicit cRecordReader(cFileBytes data, std::string strName = "<memory>");
  explicit cRecordReader(std::string_view data, std::string strName = "<memory>")
      : cRecordReader(cFileBytes(data), std::move(strName)) {}
  cRecordReader(const cRecordReader&) = delete;
  cRecordReader& operator=(const cRecordReader&) = delete;

  const std::string& Name() const { return m_strName; }
  size_t Size() const { return m_data.size(); }
  size_t Position() const { return m_nPos; }
  size_t Remaining() const { return m_data.size() - m_nPos; }
  bool AtEnd() const { return m_nPos == m_data.size(); }
  bool Failed() const { return m_bFailed; }
  // Bytes the record being read may still take: the rest of the file, less
  // what the later elements of every list it is part of need at least.
  size_t Room() const { return m_nEnd > m_nPos ? m_nEnd - m_nPos : 0; }

  // Copies n bytes; on a short file the destination is untouched and the
  // reader fails.
  bool ReadBytes(void* pDest, size_t n) {
    if (m_bFailed || n > Remaining()) return ShortRead(n);
    if (n != 0) std::memcpy(pDest, m_data.data() + m_nPos, n);
    m_nPos += n;
    return true;
  }
  bool Skip(size_t n) {
    if (m_bFailed || n > Remaining()) return ShortRead(n);
    m_nPos += n;
    return true;
  }
  // Pointer to the next n bytes, consumed; null (and failed) when short.
  const char* Take(size_t n) {
    if (m_bFailed || n > Remaining()) {
      ShortRead(n);
      return nullptr;
    }
    const char* p = m_data.data() + m_nPos;
    m_nPos += n;
    return p;
  }

  // A plain value as stored (little-endian, raw bytes). The value is left
  // unchanged when the file is short.
  template <class T>
  bool Read(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return ReadBytes(&value, sizeof(T));
  }
  uint32_t ReadU32() {
    uint32_t n = 0;
    Read(n);
    return n;
  }
  int32_t ReadI32() {
    int32_t n = 0;
    Read(n);
    return n;
  }

  // The u32 count of a vector whose elements take at least nMinElementBytes
  // bytes each in the file. A count that cannot fit in the room left (Room)
  // fails the reader and gives 0, so nothing is allocated for it.
  uint32_t ReadCount(size_t nMinElementBytes, const char* pszWhat = "element count") {
    uint32_t n = 0;
    if (!Read(n)) return 0;
    size_t nBytes;
    if (__builtin_mul_overflow(size_t{n}, nMinElementBytes, &nBytes) || nBytes > Room())
        [[unlikely]]
      return RefuseCount(n, pszWhat);
    return n;
  }

  // Fails the reader with a reason, logged once as
  // "<name> : damaged record file at byte <pos>: <reason>".
  void Fail(const char* pszReason);
  // Fails without a further log line (the caller has logged the fault).
  void FailQuietly() { m_bFailed = true; }

 private:
  friend class cListReader;
  bool ShortRead(size_t n);
  uint32_t RefuseCount(uint32_t n, const char* pszWhat);

  cFileBytes m_data;
  std::string m_strName;
  size_t m_nPos = 0;
  // End of the room of the record being read (see Room); the file's end
  // outside every list.
  size_t m_nEnd = m_data.size();
  bool m_bFailed = false;
};

// Reads one list: its u32 count (ReadCount), then, one Next() at a time, the
// elements, each bounded to the room the elements after it do not need:
//   cListReader list(file, kMinFooBytes, "foo count");
//   v.clear();
//   ReserveForRecords(v, list.Count());
//   while (list.Next()) EmplaceForLoad(v).Load(file);
// Next() is false once every element was started or the reader failed.
class cListReader {
 public:
  cListReader(cRecordReader& file, size_t nMinElementBytes, const char* pszWhat)
      : m_File(file),
        m_nMinElementBytes(nMinElementBytes),
        m_nCount(file.ReadCount(nMinElementBytes, pszWhat)),
        m_nListEnd(file.m_nEnd) {}
  ~cListReader() { m_File.m_nEnd = m_nListEnd; }
  cListReader(const cListReader&) = delete;
  cListReader& operator=(const cListReader&) = delete;

  // The count the file gives (0 when it was refused).
  uint32_t Count() const { return m_nCount; }
  // The element the last Next() started.
  uint32_t Index() const { return m_nNext - 1; }

  bool Next() {
    if (m_nNext >= m_nCount || m_File.Failed()) {
      m_File.m_nEnd = m_nListEnd;
      return false;
    }
    // ReadCount made sure that the count's minimum fits in the list's room.
    m_File.m_nEnd = m_nListEnd - size_t{m_nCount - 1 - m_nNext} * m_nMinElementBytes;
    ++m_nNext;
    return true;
  }

 private:
  cRecordReader& m_File;
  size_t m_nMinElementBytes;
  uint32_t m_nCount;
  uint32_t m_nNext = 0;
  size_t m_nListEnd;
};

class cRecordWriter {
 public:
  cRecordWriter() = default;  // writes into memory only
  cRecordWriter(const cRecordWriter&) = delete;
  cRecordWriter& operator=(const cRecordWriter&) = delete;
  ~cRecordWriter();  // a file that was not closed is discarded

  void WriteBytes(const void* pSrc, size_t n) { m_data.append(static_cast<const char*>(pSrc), n); }
  template <class T>
  void Write(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    WriteBytes(&value, sizeof(T));
  }
  void WriteU32(uint32_t n) { Write(n); }
  void WriteI32(int32_t n) { Write(n); }

  const std::string& Data() const { return m_data; }
  std::string& Data() { return m_data; }

  // Writers made by OpenSaveFile: writes the bytes to the file in one piece
  // and replaces it atomically. False when the file could not be written; the
  // previous file is then untouched.
  bool Commit();
  bool HasFile() const { return m_pFile != nullptr; }

 private:
  friend std::unique_ptr<cRecordWriter> OpenSaveFile(const char* pszPath);
  std::string m_data;
  std::unique_ptr<cAtomicFile> m_pFile;
  std::string m_strPath;
};

// The current data version of the program, written at the head of every file.
inline constexpr int DATA_VERSION = 695;

// Version used for every re-registration and written into every file.
extern int g_nDataVersion;
// Version word of the record file this thread opened for reading most
// recently: the layout the Loads it runs read by. Each thread has its own, so
// the loader thread and the main thread may read records at the same time.
extern thread_local constinit int g_nFileVersion;
// When non-zero, strings loaded from record files lose their carriage returns.
extern int g_bStripCR;

// Restores the three globals to their start-up values (tests; the file
// version of the calling thread).
void ResetRecordGlobals();

// Reads an open file whole, with one read of the size the file has, and
// closes it. False when it is no regular file or the read came up short.
bool ReadAndCloseFile(FILE* fp, cFileBytes& data);

// Opens a record file for reading: reads it whole, takes its 4-byte version
// word into this thread's g_nFileVersion and returns a reader positioned after it. A null
// or empty path opens the name "err". Null (g_nFileVersion unchanged) when the
// file cannot be read or is shorter than its version word; the latter case
// is logged.
std::unique_ptr<cRecordReader> OpenLoadFile(const char* pszPath);

// Opens a record file for writing and puts g_nDataVersion at its head. Null,
// with a report-log line, when the file cannot be created. The bytes reach
// the disk at CloseFile.
std::unique_ptr<cRecordWriter> OpenSaveFile(const char* pszPath);

// Closes a reader (no effect on a null one).
void CloseFile(std::unique_ptr<cRecordReader>& pFile);
// Commits and closes a writer; false when the file could not be written.
bool CloseFile(std::unique_ptr<cRecordWriter>& pFile);
