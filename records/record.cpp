#include "records/record.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "app/base/report_log.h"
#include "app/base/sjis.h"

namespace {

size_t FieldBytes(const FIELDDESC& desc) {
  return desc.count > 0 ? static_cast<size_t>(desc.count) * static_cast<size_t>(desc.size) : 0;
}

// The checked-access line for a count beyond the registered list, then the
// reader's own fault line.
void FailSurplus(cRecordReader& file, const char* pszWhat, uint32_t nInFile, size_t nRegistered,
                 int nDescSize) {
  ReportLog("err V[%d] ( %d , %d )", static_cast<int>(nRegistered), static_cast<int>(nRegistered),
            nDescSize);
  char szReason[128];
  std::snprintf(szReason, sizeof szReason, "%" PRIu32 " %s in the file, %zu registered", nInFile,
                pszWhat, nRegistered);
  file.Fail(szReason);
}

}  // namespace

cRecord& cRecord::operator=(const cRecord& other) {
  RegisterFields(g_nDataVersion);
  const_cast<cRecord&>(other).PrepareCopy(g_nDataVersion);
  return *this;
}

cRecord& cRecord::operator=(cRecord&& other) noexcept {
  RegisterFields(g_nDataVersion);
  other.PrepareCopy(g_nDataVersion);
  return *this;
}

void cRecord::Load(cRecordReader& file) {
  RegisterFields(g_nFileVersion);

  const uint32_t n = file.ReadU32();
  if (!file.Failed()) {
    if (n > m_FieldDesc.size()) {
      FailSurplus(file, "fields", n, m_FieldDesc.size(), 16);
    } else {
      size_t nTotal = 0;
      for (uint32_t i = 0; i < n; ++i) nTotal += FieldBytes(m_FieldDesc[i]);
      // All of the fields or none: a short file leaves every field as it was.
      if (const char* p = file.Take(nTotal)) {
        for (uint32_t i = 0; i < n; ++i) {
          const FIELDDESC& desc = m_FieldDesc[i];
          const size_t nBytes = FieldBytes(desc);
          if (desc.data != nullptr && nBytes != 0) std::memcpy(desc.data, p, nBytes);
          p += nBytes;
        }
      }
    }
  }

  LoadStrings(file);
  if (g_bStripCR) StripListedStrings();
  if (g_nDataVersion != g_nFileVersion) RegisterFields(g_nDataVersion);
}

void cRecord::LoadStrings(cRecordReader& file) {
  const uint32_t m = file.ReadU32();
  if (file.Failed()) return;
  if (m > m_StringDesc.size()) {
    FailSurplus(file, "strings", m, m_StringDesc.size(), 8);
    return;
  }
  std::string strDropped;
  for (uint32_t i = 0; i < m; ++i) {
    std::string* pString = m_StringDesc[i].pString;
    if (!ReadRecordString(pString != nullptr ? *pString : strDropped, file)) return;
  }
}

void cRecord::Save(cRecordWriter& file) {
  RegisterFields(g_nDataVersion);
  file.WriteU32(static_cast<uint32_t>(m_FieldDesc.size()));
  std::string& out = file.Data();
  size_t nTotal = 0;
  for (const FIELDDESC& desc : m_FieldDesc) nTotal += FieldBytes(desc);
  const size_t nStart = out.size();
  out.resize(nStart + nTotal);  // zeros, which retired fields keep
  char* p = out.data() + nStart;
  for (const FIELDDESC& desc : m_FieldDesc) {
    const size_t nBytes = FieldBytes(desc);
    if (desc.data != nullptr && nBytes != 0) std::memcpy(p, desc.data, nBytes);
    p += nBytes;
  }
  SaveStrings(file);
}

void cRecord::SaveStrings(cRecordWriter& file) {
  file.WriteU32(static_cast<uint32_t>(m_StringDesc.size()));
  for (const STRINGDESC& desc : m_StringDesc) {
    if (desc.pString != nullptr) {
      WriteRecordString(*desc.pString, file);
    } else {
      file.WriteU32(1);
    }
  }
}

void cRecord::Clear() {
  RegisterFields(g_nDataVersion);
  for (const FIELDDESC& desc : m_FieldDesc)
    if (desc.data != nullptr) std::memset(desc.data, 0, FieldBytes(desc));
  for (const STRINGDESC& desc : m_StringDesc)
    if (desc.pString != nullptr) desc.pString->clear();
}

void cRecord::CopyFrom(const cRecord& other) {
  if (&other == this) return;
  RegisterFields(g_nDataVersion);
  // The source's lists are bookkeeping, not part of its value: registering
  // it is how its members are found.
  cRecord& source = const_cast<cRecord&>(other);
  source.RegisterFields(g_nDataVersion);
  const size_t nFields = std::min(m_FieldDesc.size(), source.m_FieldDesc.size());
  for (size_t i = 0; i < nFields; ++i) {
    const FIELDDESC& to = m_FieldDesc[i];
    const FIELDDESC& from = source.m_FieldDesc[i];
    if (to.data != nullptr && from.data != nullptr && to.size == from.size &&
        to.count == from.count)
      std::memmove(to.data, from.data, FieldBytes(to));
  }
  const size_t nStrings = std::min(m_StringDesc.size(), source.m_StringDesc.size());
  for (size_t i = 0; i < nStrings; ++i) {
    const STRINGDESC& to = m_StringDesc[i];
    const STRINGDESC& from = source.m_StringDesc[i];
    if (to.pString != nullptr && from.pString != nullptr) *to.pString = *from.pString;
  }
}

void cRecord::StripCR() {
  RegisterFields(g_nDataVersion);
  StripListedStrings();
}

void cRecord::StripListedStrings() {
  for (const STRINGDESC& desc : m_StringDesc) {
    std::string* pString = desc.pString;
    if (pString != nullptr && pString->find('\r') != std::string::npos) std::erase(*pString, '\r');
  }
}

bool cRecord::LoadFromFile(const char* pszPath) {
  std::unique_ptr<cRecordReader> pFile = OpenLoadFile(pszPath);
  if (pFile == nullptr) return false;
  Load(*pFile);
  const bool bOk = !pFile->Failed();
  CloseFile(pFile);
  return bOk;
}

bool cRecord::SaveToFile(const char* pszPath) {
  std::unique_ptr<cRecordWriter> pFile = OpenSaveFile(pszPath);
  if (pFile == nullptr) return false;
  Save(*pFile);
  return CloseFile(pFile);
}

// ---- Extras ---------------------------------------------------------------

bool ReadRecordString(std::string& str, cRecordReader& file) {
  const uint32_t nLength = file.ReadU32();
  if (file.Failed()) return false;
  if (nLength <= 1) {
    str.clear();
    return true;
  }
  if (nLength > file.Remaining()) {
    char szReason[96];
    std::snprintf(szReason, sizeof szReason, "string length %" PRIu32 " runs past the end (%zu left)",
                  nLength - 1, file.Remaining());
    file.Fail(szReason);
    return false;
  }
  const char* p = file.Take(nLength);
  const void* pNul = std::memchr(p, '\0', nLength);
  str.assign(p, pNul != nullptr ? static_cast<const char*>(pNul) - p : nLength);
  return true;
}

void WriteRecordString(std::string& str, cRecordWriter& file) {
  const size_t nNul = str.find('\0');
  if (nNul != std::string::npos) str.resize(nNul);
  if (str.size() > kMaxRecordString) CutToCharBoundary(str, kMaxRecordString);
  file.WriteU32(static_cast<uint32_t>(str.size() + 1));
  if (!str.empty()) file.WriteBytes(str.c_str(), str.size() + 1);
}
