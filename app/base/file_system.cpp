#include "app/base/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/base/encoding.h"

namespace fs = std::filesystem;

namespace {

bool NativeExists(const std::string& strNative) {
  struct stat st;
  return ::lstat(strNative.c_str(), &st) == 0;
}

// Name of an entry of the folder that equals name without regard to (ASCII)
// case, or empty when there is none.
std::string FindEntryIgnoringCase(const std::string& strFolder, const std::string& strName) {
  DIR* pDir = ::opendir(strFolder.empty() ? "." : strFolder.c_str());
  if (pDir == nullptr) return std::string();
  std::string strFound;
  while (const dirent* pEntry = ::readdir(pDir)) {
    if (::strcasecmp(pEntry->d_name, strName.c_str()) == 0) {
      strFound = pEntry->d_name;
      break;
    }
  }
  ::closedir(pDir);
  return strFound;
}

}  // namespace

bool IsAbsoluteStoredPath(std::string_view storedPath) {
  return !storedPath.empty() && (storedPath[0] == '\\' || storedPath[0] == '/');
}

std::string MapPath(std::string_view storedPath) {
  // Decode first: the second byte of a double-byte character may be 0x5C and
  // must never be taken for a separator.
  std::string strUtf8 = Cp932ToUtf8(storedPath);
  std::replace(strUtf8.begin(), strUtf8.end(), '\\', '/');

  const bool bAbsolute = !strUtf8.empty() && strUtf8[0] == '/';
  std::string strResult = bAbsolute ? "/" : "";
  bool bResolving = true;
  size_t nPos = 0;
  while (nPos <= strUtf8.size()) {
    size_t nEnd = strUtf8.find('/', nPos);
    if (nEnd == std::string::npos) nEnd = strUtf8.size();
    std::string strComponent = strUtf8.substr(nPos, nEnd - nPos);
    const bool bLast = nEnd == strUtf8.size();
    nPos = nEnd + 1;
    if (strComponent.empty()) {
      if (bLast && !strResult.empty() && strResult.back() != '/') strResult += '/';
      if (bLast) break;
      continue;
    }
    if (!strResult.empty() && strResult.back() != '/') strResult += '/';
    const std::string strCandidate = strResult + strComponent;
    if (bResolving && strComponent != "." && strComponent != ".." && !NativeExists(strCandidate)) {
      const std::string strFolder = strResult.empty() ? "." : strResult;
      const std::string strMatch = FindEntryIgnoringCase(strFolder, strComponent);
      if (!strMatch.empty()) {
        strResult += strMatch;
      } else {
        strResult += strComponent;
        bResolving = false;  // nothing below a missing folder can exist
      }
    } else {
      strResult = strCandidate;
    }
    if (bLast) break;
  }
  return strResult;
}

std::string ToStoredPath(std::string_view nativePath) {
  std::string strStored = Utf8ToCp932(nativePath);
  // '/' (0x2F) is never a trail byte, so this cannot touch a character.
  std::replace(strStored.begin(), strStored.end(), '/', '\\');
  return strStored;
}

bool GetCurrentFolder(std::string& strOut) {
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  if (ec) return false;
  strOut = ToStoredPath(cwd.string());
  while (strOut.size() > 1 && strOut.back() == '\\') strOut.pop_back();
  return true;
}

std::string NativeAbsolutePath(std::string_view storedPath) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(MapPath(storedPath), ec);
  return ec ? std::string() : absolute.lexically_normal().string();
}

FILE* OpenFile(std::string_view storedPath, const char* pszMode) {
  if (storedPath.empty()) return nullptr;
  return std::fopen(MapPath(storedPath).c_str(), pszMode);
}

FILE* OpenNativeFile(const std::string& strNativePath, const char* pszMode) {
  if (strNativePath.empty()) return nullptr;
  return std::fopen(strNativePath.c_str(), pszMode);
}

bool FileExists(std::string_view storedPath) {
  if (storedPath.empty()) return false;
  struct stat st;
  return ::stat(MapPath(storedPath).c_str(), &st) == 0;
}

bool IsDirectory(std::string_view storedPath) {
  if (storedPath.empty()) return false;
  struct stat st;
  return ::stat(MapPath(storedPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(std::string_view storedPath) {
  if (storedPath.empty()) return false;
  return ::mkdir(MapPath(storedPath).c_str(), 0777) == 0;
}

bool RemoveFile(std::string_view storedPath) {
  if (storedPath.empty()) return false;
  return ::unlink(MapPath(storedPath).c_str()) == 0;
}

bool RemoveTree(std::string_view storedPath) {
  if (storedPath.empty()) return false;
  std::error_code ec;
  fs::remove_all(MapPath(storedPath), ec);
  return !ec;
}

bool RenamePath(std::string_view from, std::string_view to) {
  return ::rename(MapPath(from).c_str(), MapPath(to).c_str()) == 0;
}

bool CopyTree(std::string_view from, std::string_view to) {
  const std::string strTo = MapPath(to);
  std::error_code ec;
  if (fs::exists(strTo, ec)) return false;
  fs::copy(MapPath(from), strTo, fs::copy_options::recursive, ec);
  return !ec;
}

bool GetFileSize(std::string_view storedPath, uint64_t& nSize) {
  struct stat st;
  if (storedPath.empty() || ::stat(MapPath(storedPath).c_str(), &st) != 0) return false;
  nSize = static_cast<uint64_t>(st.st_size);
  return true;
}

std::vector<std::string> ListDirectory(std::string_view storedPath) {
  std::vector<std::string> names;
  const std::string strNative = storedPath.empty() ? "." : MapPath(storedPath);
  DIR* pDir = ::opendir(strNative.c_str());
  if (pDir == nullptr) return names;
  while (const dirent* pEntry = ::readdir(pDir)) {
    const std::string_view name = pEntry->d_name;
    if (name == "." || name == "..") continue;
    names.push_back(ToStoredPath(name));
  }
  ::closedir(pDir);
  std::sort(names.begin(), names.end());
  return names;
}

cFileBytes::cFileBytes(std::string_view bytes) {
  if (!bytes.empty()) std::memcpy(Allocate(bytes.size()), bytes.data(), bytes.size());
}

char* cFileBytes::Allocate(size_t n) {
  m_pBytes = std::make_unique_for_overwrite<char[]>(n);
  m_nSize = n;
  return m_pBytes.get();
}

void cFileBytes::Append(const char* p, size_t n) {
  if (n == 0) return;
  std::unique_ptr<char[]> pOld = std::move(m_pBytes);
  const size_t nOld = m_nSize;
  char* pNew = Allocate(nOld + n);
  if (nOld != 0) std::memcpy(pNew, pOld.get(), nOld);
  std::memcpy(pNew + nOld, p, n);
}

bool ReadWholeFile(std::string_view storedPath, cFileBytes& out) {
  FILE* fp = OpenFile(storedPath, "rb");
  if (fp == nullptr) return false;
  out = cFileBytes();
  // One read of the size the file has now, then whatever it grew by.
  struct stat st;
  if (::fstat(::fileno(fp), &st) == 0 && st.st_size > 0)
    out.Truncate(std::fread(out.Allocate(static_cast<size_t>(st.st_size)), 1,
                            static_cast<size_t>(st.st_size), fp));
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, fp)) > 0) out.Append(buffer, n);
  const bool bOk = std::ferror(fp) == 0;
  std::fclose(fp);
  return bOk;
}

namespace {

// The file-creation mask, read once while the program starts, before any
// thread runs: reading it means setting it, which would race with every
// thread creating a file.
mode_t ReadCreationMask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}
const mode_t s_nCreationMask = ReadCreationMask();

std::atomic<bool> s_bDiskFull{false};  // SetAtomicFileDiskFull

}  // namespace

cAtomicFile::~cAtomicFile() { Discard(); }

bool cAtomicFile::Open(std::string_view storedPath) {
  Discard();
  m_nError = 0;
  m_strTarget = MapPath(storedPath);
  m_strTemp = m_strTarget + ".tmpXXXXXX";
  const int fd = ::mkstemp(m_strTemp.data());
  if (fd < 0) {
    m_nError = errno;
    m_strTemp.clear();
    return false;
  }
  // The permissions a plain fopen would have given the file (mkstemp makes
  // it private to its owner).
  ::fchmod(fd, 0666 & ~s_nCreationMask);
  m_fp = ::fdopen(fd, "wb");
  if (m_fp == nullptr) {
    m_nError = errno;
    ::close(fd);
    ::unlink(m_strTemp.c_str());
    m_strTemp.clear();
    return false;
  }
  return true;
}

bool cAtomicFile::Commit() {
  if (m_fp == nullptr) return false;
  // The first failure is the one that says why.
  auto check = [this](bool bStepOk) {
    if (!bStepOk && m_nError == 0) m_nError = errno != 0 ? errno : EIO;
    return bStepOk;
  };
  errno = 0;
  bool bOk = check(std::fflush(m_fp) == 0 && std::ferror(m_fp) == 0);
  if (bOk && s_bDiskFull.load()) {
    errno = ENOSPC;
    bOk = check(false);
  }
  bOk = check(::fsync(::fileno(m_fp)) == 0) && bOk;
  bOk = check(std::fclose(m_fp) == 0) && bOk;
  m_fp = nullptr;
  if (bOk && check(::rename(m_strTemp.c_str(), m_strTarget.c_str()) == 0)) {
    m_strTemp.clear();
    return true;
  }
  Discard();
  return false;
}

void SetAtomicFileDiskFull(bool bFull) { s_bDiskFull.store(bFull); }

void cAtomicFile::Discard() {
  if (m_fp != nullptr) {
    std::fclose(m_fp);
    m_fp = nullptr;
  }
  if (!m_strTemp.empty()) {
    ::unlink(m_strTemp.c_str());
    m_strTemp.clear();
  }
}

bool WriteFileAtomically(std::string_view storedPath, std::string_view data) {
  cAtomicFile file;
  if (!file.Open(storedPath)) return false;
  if (!data.empty() && std::fwrite(data.data(), 1, data.size(), file.File()) != data.size())
    return false;
  return file.Commit();
}
