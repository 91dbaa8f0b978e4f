#include "stagedata/fast_base.h"

#include <cstdio>

#include "app/base/report_log.h"

void BuildBaseLayout(cBaseLayout& layout, cRecord& prototype, int nVersion) {
  prototype.RegisterFields(nVersion);
  const char* pBase = reinterpret_cast<const char*>(&prototype);
  layout.vFields.clear();
  for (const FIELDDESC& desc : prototype.FieldList()) {
    const uint32_t nBytes = desc.count > 0 ? static_cast<uint32_t>(desc.count) * static_cast<uint32_t>(desc.size) : 0;
    const int32_t nOffset =
        desc.data != nullptr ? static_cast<int32_t>(static_cast<const char*>(desc.data) - pBase) : -1;
    layout.vFields.push_back({nOffset, nBytes});
  }
  layout.vCopy1.clear();
  layout.vCopy2.clear();
  layout.vCopy4.clear();
  layout.vCopy8.clear();
  layout.vOther.clear();
  layout.vOtherFile.clear();
  int32_t nFile = 0;
  for (const cBaseLayout::Field& field : layout.vFields) {
    if (field.nOffset >= 0) {
      const cBaseLayout::Copy copy{field.nOffset, nFile};
      switch (field.nBytes) {
        case 1: layout.vCopy1.push_back(copy); break;
        case 2: layout.vCopy2.push_back(copy); break;
        case 4: layout.vCopy4.push_back(copy); break;
        case 8: layout.vCopy8.push_back(copy); break;
        default:
          layout.vOther.push_back(field);
          layout.vOtherFile.push_back(nFile);
          break;
      }
    }
    nFile += static_cast<int32_t>(field.nBytes);
  }
  layout.nTotalBytes = static_cast<size_t>(nFile);
  layout.vStrings.clear();
  for (const STRINGDESC& desc : prototype.StringList()) {
    layout.vStrings.push_back(desc.pString != nullptr
                                  ? static_cast<int32_t>(reinterpret_cast<const char*>(desc.pString) - pBase)
                                  : -1);
  }
  layout.nVersion = nVersion;
}

namespace {

// The same report as the framework's for more fields or strings than the
// class registers.
void FailSurplus(cRecordReader& file, const char* pszWhat, uint32_t nInFile, size_t nRegistered, int nDescSize) {
  ReportLog("err V[%d] ( %d , %d )", static_cast<int>(nRegistered), static_cast<int>(nRegistered), nDescSize);
  char szReason[128];
  std::snprintf(szReason, sizeof szReason, "%u %s in the file, %zu registered", nInFile, pszWhat, nRegistered);
  file.Fail(szReason);
}

// Nearly every field is one plain value: copies of a known size compile to
// single moves.
inline void CopyFieldBytes(char* pDest, const char* pSrc, uint32_t nBytes) {
  switch (nBytes) {
    case 1: std::memcpy(pDest, pSrc, 1); break;
    case 2: std::memcpy(pDest, pSrc, 2); break;
    case 4: std::memcpy(pDest, pSrc, 4); break;
    case 8: std::memcpy(pDest, pSrc, 8); break;
    default: std::memcpy(pDest, pSrc, nBytes); break;
  }
}

}  // namespace

void LoadBaseWithLayout(cRecord& record, const cBaseLayout& layout, cRecordReader& file) {
  char* pBase = reinterpret_cast<char*>(&record);
  const uint32_t n = file.ReadU32();
  if (!file.Failed()) {
    if (n > layout.vFields.size()) {
      FailSurplus(file, "fields", n, layout.vFields.size(), 16);
    } else if (n == layout.vFields.size()) {
      // Every field: copies of each size in a loop of their own.
      if (const char* p = file.Take(layout.nTotalBytes)) {
        for (const cBaseLayout::Copy& c : layout.vCopy1) std::memcpy(pBase + c.nObject, p + c.nFile, 1);
        for (const cBaseLayout::Copy& c : layout.vCopy2) std::memcpy(pBase + c.nObject, p + c.nFile, 2);
        for (const cBaseLayout::Copy& c : layout.vCopy4) std::memcpy(pBase + c.nObject, p + c.nFile, 4);
        for (const cBaseLayout::Copy& c : layout.vCopy8) std::memcpy(pBase + c.nObject, p + c.nFile, 8);
        for (size_t i = 0; i < layout.vOther.size(); ++i)
          std::memcpy(pBase + layout.vOther[i].nOffset, p + layout.vOtherFile[i], layout.vOther[i].nBytes);
      }
    } else {
      size_t nTotal = 0;
      for (uint32_t i = 0; i < n; ++i) nTotal += layout.vFields[i].nBytes;
      // All of the fields or none, as the framework reads them.
      if (const char* p = file.Take(nTotal)) {
        for (uint32_t i = 0; i < n; ++i) {
          const cBaseLayout::Field& field = layout.vFields[i];
          if (field.nOffset >= 0) CopyFieldBytes(pBase + field.nOffset, p, field.nBytes);
          p += field.nBytes;
        }
      }
    }
  }

  const uint32_t m = file.ReadU32();
  if (file.Failed()) return;
  if (m > layout.vStrings.size()) {
    FailSurplus(file, "strings", m, layout.vStrings.size(), 8);
    return;
  }
  std::string strDropped;
  for (uint32_t i = 0; i < m; ++i) {
    const int32_t nOffset = layout.vStrings[i];
    std::string& str = nOffset >= 0 ? *reinterpret_cast<std::string*>(pBase + nOffset) : strDropped;
    if (!ReadRecordString(str, file)) return;
  }
  if (g_bStripCR)
    for (int32_t nOffset : layout.vStrings)
      if (nOffset >= 0) std::erase(*reinterpret_cast<std::string*>(pBase + nOffset), '\r');
}
