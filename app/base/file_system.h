#pragma once
// The boundary between the program's stored paths and the Linux file system.
//
// Inside the program a path keeps its stored form: CP932 bytes with
// backslashes, relative to the game folder (the working folder), for example
// "data\stg4\w01.stg4_695". MapPath turns such a path into a native one:
// decode CP932 to UTF-8, turn '\' into '/', then match each component without
// regard to case when the exact name is missing. Every open, stat, mkdir,
// opendir, remove and rename of the program goes through this file.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Longest stored path in bytes (the stored buffers hold 260 with the NUL).
inline constexpr size_t kMaxPath = 259;

// Stored path -> native UTF-8 path. Components that exist under another case
// resolve to the existing name; the rest are kept as written.
std::string MapPath(std::string_view storedPath);

// Native UTF-8 path -> stored form (CP932, backslashes).
std::string ToStoredPath(std::string_view nativePath);

// A stored path is absolute when it starts at the root ('\' or '/').
bool IsAbsoluteStoredPath(std::string_view storedPath);

// The working folder in stored form, without a trailing backslash.
bool GetCurrentFolder(std::string& strOut);

// The absolute native path a stored path maps to from the working folder
// now; empty when the working folder cannot be read. A path remembered this
// way names the same file after the working folder changes, whatever
// characters the folders above hold (CP932 cannot hold every name).
std::string NativeAbsolutePath(std::string_view storedPath);

FILE* OpenFile(std::string_view storedPath, const char* pszMode);
// Opens a path in native form, one that came from the file system.
FILE* OpenNativeFile(const std::string& strNativePath, const char* pszMode);
bool FileExists(std::string_view storedPath);  // file or folder
bool IsDirectory(std::string_view storedPath);
bool MakeDirectory(std::string_view storedPath);  // false also when it exists
bool RemoveFile(std::string_view storedPath);
bool RemoveTree(std::string_view storedPath);                 // a folder and all it holds
bool RenamePath(std::string_view from, std::string_view to);  // replaces a file at `to`
bool CopyTree(std::string_view from, std::string_view to);    // `to` must not exist
bool GetFileSize(std::string_view storedPath, uint64_t& nSize);

// Names (stored form, no folder) of the entries of a folder, sorted.
std::vector<std::string> ListDirectory(std::string_view storedPath);

// The bytes of a file read whole. Allocate gives storage that is not cleared
// first (the read overwrites it; clearing it cost a twentieth of a stage
// load), which a std::string cannot give.
class cFileBytes {
 public:
  cFileBytes() = default;
  explicit cFileBytes(std::string_view bytes);  // a copy of bytes in memory

  const char* data() const { return m_pBytes.get(); }
  size_t size() const { return m_nSize; }
  bool empty() const { return m_nSize == 0; }
  std::string_view View() const { return {m_pBytes.get(), m_nSize}; }
  operator std::string_view() const { return View(); }

  // n bytes of uninitialised storage, replacing what was held.
  char* Allocate(size_t n);
  // Keeps the first n bytes (n <= size()).
  void Truncate(size_t n) { m_nSize = n < m_nSize ? n : m_nSize; }
  void Append(const char* p, size_t n);

 private:
  std::unique_ptr<char[]> m_pBytes;
  size_t m_nSize = 0;
};

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(std::string_view storedPath, cFileBytes& out);

// Writes a file so that a failure never leaves it half-written: the data goes
// to a temporary sibling that replaces the file only once it is complete and
// flushed. On failure the previous file is untouched and the temporary removed.
class cAtomicFile {
 public:
  cAtomicFile() = default;
  ~cAtomicFile();  // an uncommitted file is discarded
  cAtomicFile(const cAtomicFile&) = delete;
  cAtomicFile& operator=(const cAtomicFile&) = delete;

  bool Open(std::string_view storedPath);
  FILE* File() const { return m_fp; }
  // Flushes, closes and renames over the target; false when any write failed.
  bool Commit();
  void Discard();
  // Why the last Open or Commit failed (an errno value), 0 when it did not.
  int Error() const { return m_nError; }

 private:
  FILE* m_fp = nullptr;
  std::string m_strTarget;  // native
  std::string m_strTemp;    // native
  int m_nError = 0;
};

// Test seam: while on, every commit fails as on a full disk: the data goes to
// the temporary file, then the flush reports ENOSPC.
void SetAtomicFileDiskFull(bool bFull);

// Convenience: writes all of data through cAtomicFile.
bool WriteFileAtomically(std::string_view storedPath, std::string_view data);
