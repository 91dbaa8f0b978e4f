#include "records/record_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "app/base/report_log.h"

int g_nDataVersion = DATA_VERSION;
thread_local constinit int g_nFileVersion = DATA_VERSION;
int g_bStripCR = 1;

void ResetRecordGlobals() {
  g_nDataVersion = DATA_VERSION;
  g_nFileVersion = DATA_VERSION;
  g_bStripCR = 1;
}

// ---- cRecordReader --------------------------------------------------------

cRecordReader::cRecordReader(cFileBytes data, std::string strName)
    : m_data(std::move(data)), m_strName(std::move(strName)) {}

bool cRecordReader::ShortRead(size_t n) {
  if (!m_bFailed) {
    char szReason[96];
    std::snprintf(szReason, sizeof szReason, "file ends early (%zu bytes wanted, %zu left)", n,
                  Remaining());
    Fail(szReason);
  }
  return false;
}

// A count whose elements cannot fit in the room left: it fails the reader
// and gives 0, so nothing is allocated for it.
uint32_t cRecordReader::RefuseCount(uint32_t n, const char* pszWhat) {
  char szReason[128];
  std::snprintf(szReason, sizeof szReason, "%s %" PRIu32 " does not fit in the %zu bytes left",
                pszWhat, n, Room());
  Fail(szReason);
  return 0;
}

void cRecordReader::Fail(const char* pszReason) {
  if (m_bFailed) return;
  m_bFailed = true;
  ReportLog("%s : damaged record file at byte %zu: %s", m_strName.c_str(), m_nPos, pszReason);
}

// ---- cRecordWriter --------------------------------------------------------

cRecordWriter::~cRecordWriter() = default;

bool cRecordWriter::Commit() {
  if (m_pFile == nullptr) return false;
  FILE* fp = m_pFile->File();
  errno = 0;
  const bool bWritten =
      fp != nullptr && std::fwrite(m_data.data(), 1, m_data.size(), fp) == m_data.size();
  const int nWriteError = bWritten ? 0 : (errno != 0 ? errno : EIO);
  const bool bOk = m_pFile->Commit() && bWritten;
  // One line for the failure, whichever step failed; the file on disk is
  // still the previous one.
  if (!bOk)
    ReportLog("%s : the file could not be written (%s)", m_strPath.c_str(),
              std::strerror(nWriteError != 0 ? nWriteError : m_pFile->Error()));
  m_pFile.reset();
  return bOk;
}

// ---- File layer -----------------------------------------------------------

bool ReadAndCloseFile(FILE* fp, cFileBytes& data) {
  // One read of the whole file: its size first, then the bytes.
  struct stat st;
  bool bOk = ::fstat(::fileno(fp), &st) == 0 && S_ISREG(st.st_mode);
  if (bOk) {
    const auto nSize = static_cast<size_t>(st.st_size);
    bOk = std::fread(data.Allocate(nSize), 1, nSize, fp) == nSize;
  }
  std::fclose(fp);
  return bOk;
}

std::unique_ptr<cRecordReader> OpenLoadFile(const char* pszPath) {
  std::string strPath = (pszPath == nullptr || *pszPath == '\0') ? "err" : pszPath;
  if (strPath.size() > kMaxPath) return nullptr;
  FILE* fp = OpenFile(strPath, "rb");
  if (fp == nullptr) return nullptr;
  cFileBytes data;
  if (!ReadAndCloseFile(fp, data)) {
    ReportLog("%s : the file could not be read", strPath.c_str());
    return nullptr;
  }
  if (data.size() < 4) {
    ReportLog("%s : damaged record file: %zu bytes, shorter than its version word", strPath.c_str(),
              data.size());
    return nullptr;
  }
  auto pFile = std::make_unique<cRecordReader>(std::move(data), std::move(strPath));
  int32_t nVersion = 0;
  pFile->Read(nVersion);
  g_nFileVersion = nVersion;
  return pFile;
}

std::unique_ptr<cRecordWriter> OpenSaveFile(const char* pszPath) {
  if (pszPath == nullptr || *pszPath == '\0' || std::char_traits<char>::length(pszPath) > kMaxPath)
    return nullptr;
  auto pAtomic = std::make_unique<cAtomicFile>();
  if (!pAtomic->Open(pszPath)) {
    ReportLog("%s : the file could not be created (%s)", pszPath, std::strerror(errno));
    return nullptr;
  }
  auto pFile = std::make_unique<cRecordWriter>();
  pFile->m_pFile = std::move(pAtomic);
  pFile->m_strPath = pszPath;
  pFile->WriteI32(g_nDataVersion);
  return pFile;
}

void CloseFile(std::unique_ptr<cRecordReader>& pFile) { pFile.reset(); }

bool CloseFile(std::unique_ptr<cRecordWriter>& pFile) {
  if (pFile == nullptr) return false;
  const bool bOk = pFile->Commit();
  pFile.reset();
  return bOk;
}
