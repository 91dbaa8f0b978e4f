#include "records/record.h"

#include <algorithm>
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <typeinfo>

#include "app/base/report_log.h"
#include "app/base/sjis.h"

namespace {

using Field = cRecordLayout::Field;
constexpr int32_t kRetired = cRecordLayout::kRetired;

// ---- The layouts of all classes ------------------------------------------

// Every layout made so far, by class and version. Layouts are never freed
// (but by RestoreRecordLayouts, for the fuzz targets): records hold plain
// pointers to them from any thread, up to the end of the program (hence a
// leaked singleton, untouched by static destruction).
class cLayoutStore {
 public:
  static cLayoutStore& Get() {
    static cLayoutStore* s_pStore = new cLayoutStore;
    return *s_pStore;
  }

  const cRecordLayout* Find(const std::type_info& type, int nVersion) {
    std::lock_guard lock(m_Mutex);
    auto it = m_ByClass.find(Key{&type, nVersion});
    return it != m_ByClass.end() ? it->second : nullptr;
  }

  // Files a layout made outside the lock. When another thread filed the same
  // class and version first, its layout stands; equal layouts are shared.
  const cRecordLayout* Add(const std::type_info& type, int nVersion, cRecordLayout&& layout) {
    layout.MakeRuns();
    std::lock_guard lock(m_Mutex);
    const cRecordLayout*& pSlot = m_ByClass[Key{&type, nVersion}];
    if (pSlot != nullptr) return pSlot;
    for (const auto& pKnown : m_Layouts)
      if (*pKnown == layout) return pSlot = pKnown.get();
    m_Layouts.push_back(std::make_unique<cRecordLayout>(std::move(layout)));
    return pSlot = m_Layouts.back().get();
  }

  void Mark() {
    std::lock_guard lock(m_Mutex);
    m_Layouts.shrink_to_fit();
    m_MarkedByClass = m_ByClass;
    m_nMarkedLayouts = m_Layouts.size();
    m_bMarked = true;
  }

  // Layouts are only ever appended, and the marked entries name marked ones.
  // The list's capacity goes back too, or the next layout added would take
  // another path.
  void Restore() {
    std::lock_guard lock(m_Mutex);
    if (!m_bMarked) return;
    m_ByClass = m_MarkedByClass;
    m_Layouts.resize(m_nMarkedLayouts);
    m_Layouts.shrink_to_fit();
  }

 private:
  // Classes are told apart by the address of their type_info: two objects
  // for one class (which a shared library could bring) only mean two equal
  // entries.
  using Key = std::pair<const std::type_info*, int>;
  std::mutex m_Mutex;
  std::map<Key, const cRecordLayout*> m_ByClass;
  std::vector<std::unique_ptr<cRecordLayout>> m_Layouts;
  std::map<Key, const cRecordLayout*> m_MarkedByClass;
  size_t m_nMarkedLayouts = 0;
  bool m_bMarked = false;
};

// A per-thread index in front of the store, so that registering takes no
// lock: direct-mapped, a collision only costs a look-up in the store.
struct cLayoutSlot {
  const std::type_info* pType;
  int nVersion;
  uint32_t nFields;  // the layout's counts, at hand with the key
  uint32_t nStrings;
  const cRecordLayout* pLayout;
};
constexpr size_t kLayoutSlots = 128;
thread_local cLayoutSlot t_LayoutSlots[kLayoutSlots];

inline cLayoutSlot& SlotFor(const std::type_info& type, int nVersion) {
  const uintptr_t nKey =
      (reinterpret_cast<uintptr_t>(&type) >> 4) ^ static_cast<unsigned>(nVersion);
  return t_LayoutSlots[nKey % kLayoutSlots];
}

// The record whose RegisterFields is being described into a new layout on
// this thread, and that layout; its AddField calls go there.
struct cDescribing {
  const cRecord* pRecord = nullptr;
  cRecordLayout* pLayout = nullptr;
};
thread_local cDescribing t_Describing;

Field MakeField(const std::vector<Field>& vBefore, int32_t nOffset, int32_t nCount, int32_t nSize) {
  const uint32_t nBytes =
      nCount > 0 ? static_cast<uint32_t>(nCount) * static_cast<uint32_t>(nSize) : 0;
  return Field{nOffset, nCount, nSize, nBytes,
               (vBefore.empty() ? 0 : vBefore.back().nEnd) + nBytes};
}

// ---- Reading ---------------------------------------------------------------

// The checked-access line for a count beyond the registered list, then the
// reader's own fault line.
[[gnu::cold, gnu::noinline]] void FailSurplus(cRecordReader& file, const char* pszWhat,
                                              uint32_t nInFile, size_t nRegistered, int nDescSize) {
  ReportLog("err V[%d] ( %d , %d )", static_cast<int>(nRegistered), static_cast<int>(nRegistered),
            nDescSize);
  char szReason[128];
  std::snprintf(szReason, sizeof szReason, "%" PRIu32 " %s in the file, %zu registered", nInFile,
                pszWhat, nRegistered);
  file.Fail(szReason);
}

// Nearly every field is one plain value: copies of a known size compile to
// single moves.
inline void CopyFieldBytes(char* pDest, const char* pSrc, uint32_t nBytes) {
  switch (nBytes) {
    case 1:
      std::memcpy(pDest, pSrc, 1);
      break;
    case 2:
      std::memcpy(pDest, pSrc, 2);
      break;
    case 4:
      std::memcpy(pDest, pSrc, 4);
      break;
    case 8:
      std::memcpy(pDest, pSrc, 8);
      break;
    default:
      std::memcpy(pDest, pSrc, nBytes);
      break;
  }
}

// A run of fields: most are a few dozen bytes, copied as two overlapping
// moves instead of a call.
template <size_t N>
inline void CopyEnds(char* pDest, const char* pSrc, uint32_t nBytes) {
  char a[N], b[N];
  std::memcpy(a, pSrc, N);
  std::memcpy(b, pSrc + nBytes - N, N);
  std::memcpy(pDest, a, N);
  std::memcpy(pDest + nBytes - N, b, N);
}
inline void CopyRunBytes(char* pDest, const char* pSrc, uint32_t nBytes) {
  if (nBytes > 32)
    std::memcpy(pDest, pSrc, nBytes);
  else if (nBytes >= 16)
    CopyEnds<16>(pDest, pSrc, nBytes);
  else if (nBytes >= 8)
    CopyEnds<8>(pDest, pSrc, nBytes);
  else if (nBytes >= 4)
    CopyEnds<4>(pDest, pSrc, nBytes);
  else if (nBytes >= 2)
    CopyEnds<2>(pDest, pSrc, nBytes);
  else if (nBytes == 1)
    *pDest = *pSrc;
}

// Bytes of p[0, n) with a high bit in each byte equal to c; the lowest one
// set is exact (bytes above a match may show false ones).
inline uint64_t BytesEqual(uint64_t nWord, uint8_t c) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  const uint64_t x = nWord ^ (kOnes * c);
  return (x - kOnes) & ~x & (kOnes * 0x80);
}

// The length of the characters before the first NUL of p[0, n), and whether
// a carriage return is among them. Record strings are short: they are looked
// at eight bytes a step, with no call and no loop per byte. nReadable (at
// least n) is how many bytes from p may be read: the words may reach past
// the string into the rest of the file.
size_t ScanRecordString(const char* p, size_t n, size_t nReadable, bool& bCR) {
  static_assert(std::endian::native == std::endian::little);
  bCR = false;
  for (size_t i = 0; i < n; i += 8) {
    uint64_t nWord = ~uint64_t{0};  // past the readable bytes: neither NUL nor CR
    if (nReadable - i >= 8)
      std::memcpy(&nWord, p + i, 8);
    else
      std::memcpy(&nWord, p + i, nReadable - i);
    const uint64_t nInString = n - i >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * (n - i))) - 1;
    const uint64_t nNul = BytesEqual(nWord, 0) & nInString;
    const uint64_t nCR = BytesEqual(nWord, '\r') & nInString;
    if (nNul != 0) {
      // Only the lowest NUL is exact; a CR below it is exact as well.
      if ((nCR & ((nNul & (~nNul + 1)) - 1)) != 0) bCR = true;
      return i + static_cast<size_t>(std::countr_zero(nNul) >> 3);
    }
    if (nCR != 0) bCR = true;
  }
  return n;
}

[[gnu::cold, gnu::noinline]] bool FailLongString(cRecordReader& file, uint32_t nLength) {
  char szReason[96];
  std::snprintf(szReason, sizeof szReason, "string length %" PRIu32 " runs past the end (%zu left)",
                nLength - 1, file.Remaining());
  file.Fail(szReason);
  return false;
}

// ReadRecordString, removing carriage returns on the way when bStripCR.
bool ReadString(std::string& str, cRecordReader& file, bool bStripCR) {
  const uint32_t nLength = file.ReadU32();
  if (file.Failed()) return false;
  if (nLength <= 1) {
    str.clear();
    return true;
  }
  if (nLength > file.Remaining()) [[unlikely]]
    return FailLongString(file, nLength);
  const char* p = file.Take(nLength);
  bool bCR;
  str.assign(p, ScanRecordString(p, nLength, nLength + file.Remaining(), bCR));
  if (bCR && bStripCR) std::erase(str, '\r');
  return true;
}

}  // namespace

// ---- Registration ----------------------------------------------------------

void MarkRecordLayouts() { cLayoutStore::Get().Mark(); }

void RestoreRecordLayouts() {
  cLayoutStore::Get().Restore();
  std::fill(std::begin(t_LayoutSlots), std::end(t_LayoutSlots), cLayoutSlot{});
}

void cRecordLayout::MakeRuns() {
  vRuns.clear();
  for (const Field& field : vFields) {
    if (field.nOffset == kRetired || field.nBytes == 0) continue;
    const uint32_t nFileStart = field.nEnd - field.nBytes;
    if (!vRuns.empty()) {
      Run& last = vRuns.back();
      if (last.nFileStart + last.nBytes == nFileStart &&
          static_cast<int64_t>(last.nOffset) + last.nBytes == field.nOffset) {
        last.nBytes += field.nBytes;
        continue;
      }
    }
    vRuns.push_back(Run{field.nOffset, nFileStart, field.nBytes});
  }
}

inline const cRecordLayout& cRecord::LayoutFor(int nVersion) {
  const std::type_info& type = typeid(*this);
  const cLayoutSlot& slot = SlotFor(type, nVersion);
  if (slot.pType == &type && slot.nVersion == nVersion) [[likely]]
    return *slot.pLayout;
  return FindOrDescribeLayout(type, nVersion);
}

inline void cRecord::Register(int nVersion) {
  const std::type_info& type = typeid(*this);
  const cLayoutSlot& slot = SlotFor(type, nVersion);
  if (slot.pType != &type || slot.nVersion != nVersion) [[unlikely]]
    FindOrDescribeLayout(type, nVersion);  // fills the slot
  m_pLayout = slot.pLayout;
  m_nFields = slot.nFields;
  m_nStrings = slot.nStrings;
  m_pOwnLayout.reset();
}

[[gnu::noinline]] const cRecordLayout& cRecord::FindOrDescribeLayout(const std::type_info& type,
                                                                     int nVersion) {
  cLayoutStore& store = cLayoutStore::Get();
  const cRecordLayout* pLayout = store.Find(type, nVersion);
  if (pLayout == nullptr) {
    // Described outside the lock: RegisterFields is the class's own code.
    cRecordLayout layout;
    DescribeInto(layout, nVersion);
    pLayout = store.Add(type, nVersion, std::move(layout));
  }
  SlotFor(type, nVersion) =
      cLayoutSlot{&type, nVersion, static_cast<uint32_t>(pLayout->vFields.size()),
                  static_cast<uint32_t>(pLayout->vStrings.size()), pLayout};
  return *pLayout;
}

void cRecord::DescribeInto(cRecordLayout& layout, int nVersion) {
  // Describing may nest: a direct registration looks up the layout it is
  // matched against, which may have to be described first.
  // The record's own registration is lost on the way (it is left empty);
  // every caller sets it afterwards.
  const cDescribing outer = t_Describing;
  t_Describing = cDescribing{this, &layout};
  struct cRestore {
    cDescribing outer;
    cRecord& record;
    ~cRestore() {
      t_Describing = outer;
      record.m_pLayout = nullptr;
      record.m_nFields = 0;
      record.m_nStrings = 0;
    }
  } restore{outer, *this};
  StartDescribing();
  RegisterFields(nVersion);
}

void cRecord::StartDescribing() {
  // The record points at the empty layout being described, so that every
  // addition goes out of line and is appended there.
  cRecordLayout& layout = *t_Describing.pLayout;
  layout.vFields.clear();
  layout.vStrings.clear();
  m_pLayout = &layout;
  m_nFields = 0;
  m_nStrings = 0;
}

// A RegisterFields body that runs outside Register (a constructor calls it,
// say) registers through the calls below. Its additions are matched against
// the shared layout of the class at g_nDataVersion, where such calls nearly
// always register, so that a matching registration costs no allocation and
// may stop anywhere (a prefix of that layout). Only an addition that differs
// makes the record a layout of its own.
void cRecord::ClearFieldLists() {
  if (t_Describing.pRecord == this) {
    StartDescribing();
    return;
  }
  m_pLayout = &LayoutFor(g_nDataVersion);
  m_nFields = 0;
  m_nStrings = 0;
  if (m_pOwnLayout != nullptr) {
    m_pOwnLayout->vFields.clear();
    m_pOwnLayout->vStrings.clear();
  }
}

cRecordLayout& cRecord::OwnLayout() {
  if (m_pLayout == m_pOwnLayout.get() && m_pLayout != nullptr) return *m_pOwnLayout;
  if (m_pOwnLayout == nullptr) m_pOwnLayout = std::make_unique<cRecordLayout>();
  cRecordLayout& own = *m_pOwnLayout;
  if (m_pLayout != nullptr) {
    own.vFields.assign(m_pLayout->vFields.begin(), m_pLayout->vFields.begin() + m_nFields);
    own.vStrings.assign(m_pLayout->vStrings.begin(), m_pLayout->vStrings.begin() + m_nStrings);
  } else {
    own.vFields.clear();
    own.vStrings.clear();
  }
  m_pLayout = &own;
  return own;
}

void cRecord::AddOtherField(int32_t nOffset, int32_t nCount, int32_t nSize) {
  cRecordLayout& layout = t_Describing.pRecord == this ? *t_Describing.pLayout : OwnLayout();
  layout.vFields.resize(m_nFields);
  layout.vFields.push_back(MakeField(layout.vFields, nOffset, nCount, nSize));
  ++m_nFields;
}

void cRecord::AddOtherString(int32_t nOffset) {
  cRecordLayout& layout = t_Describing.pRecord == this ? *t_Describing.pLayout : OwnLayout();
  layout.vStrings.resize(m_nStrings);
  layout.vStrings.push_back(nOffset);
  ++m_nStrings;
}

std::vector<FIELDDESC> cRecord::FieldList() const {
  std::vector<FIELDDESC> list;
  list.reserve(m_nFields);
  for (uint32_t i = 0; i < m_nFields; ++i) {
    const Field& field = m_pLayout->vFields[i];
    const bool bRetired = field.nOffset == kRetired;
    list.push_back(FIELDDESC{bRetired ? nullptr : const_cast<cRecord*>(this),
                             bRetired ? nullptr : &MemberAt<char>(field.nOffset), field.nCount,
                             static_cast<int8_t>(field.nSize)});
  }
  return list;
}

std::vector<STRINGDESC> cRecord::StringList() const {
  std::vector<STRINGDESC> list;
  list.reserve(m_nStrings);
  for (uint32_t i = 0; i < m_nStrings; ++i) {
    const int32_t nOffset = m_pLayout->vStrings[i];
    if (nOffset == kRetired)
      list.push_back(STRINGDESC{nullptr, nullptr});
    else
      list.push_back(STRINGDESC{const_cast<cRecord*>(this), &MemberAt<std::string>(nOffset)});
  }
  return list;
}

// ---- Operations --------------------------------------------------------------

cRecord& cRecord::operator=(const cRecord& other) {
  Register(g_nDataVersion);
  const_cast<cRecord&>(other).PrepareCopy(g_nDataVersion);
  return *this;
}

cRecord& cRecord::operator=(cRecord&& other) noexcept {
  Register(g_nDataVersion);
  other.PrepareCopy(g_nDataVersion);
  return *this;
}

inline void cRecord::LoadRegistered(cRecordReader& file) {
  const uint32_t n = file.ReadU32();
  if (!file.Failed() && n != 0) {
    if (n > m_nFields) {
      FailSurplus(file, "fields", n, m_nFields, 16);
    } else {
      const cRecordLayout& layout = *m_pLayout;
      const Field* pFields = layout.vFields.data();
      // All of the fields or none: a short file leaves every field as it was.
      if (const char* p = file.Take(pFields[n - 1].nEnd)) {
        if (n == layout.vFields.size()) {
          for (const cRecordLayout::Run& run : layout.vRuns)
            CopyRunBytes(&MemberAt<char>(run.nOffset), p + run.nFileStart, run.nBytes);
        } else {
          for (uint32_t i = 0; i < n; ++i) {
            const Field& field = pFields[i];
            if (field.nOffset != kRetired)
              CopyFieldBytes(&MemberAt<char>(field.nOffset), p, field.nBytes);
            p += field.nBytes;
          }
        }
      }
    }
  }

  // Carriage returns go from the strings read on the way, and from every
  // other registered string after.
  const uint32_t nRead = ReadStrings(file, g_bStripCR != 0);
  if (g_bStripCR && nRead < m_nStrings) StripListedStrings(nRead);
}

void cRecord::Load(cRecordReader& file) {
  Register(g_nFileVersion);
  LoadRegistered(file);
  if (g_nDataVersion != g_nFileVersion) Register(g_nDataVersion);
}

cRecord::cSameClassLoader::cSameClassLoader(cRecord& first) {
  first.Register(g_nFileVersion);
  m_File = cRegistration{first.m_pLayout, first.m_nFields, first.m_nStrings};
  first.Register(g_nDataVersion);
  m_Data = cRegistration{first.m_pLayout, first.m_nFields, first.m_nStrings};
}

void cRecord::cSameClassLoader::Load(cRecord& record, cRecordReader& file) const {
  record.m_pOwnLayout.reset();
  record.m_pLayout = m_File.pLayout;
  record.m_nFields = m_File.nFields;
  record.m_nStrings = m_File.nStrings;
  record.LoadRegistered(file);
  record.m_pLayout = m_Data.pLayout;
  record.m_nFields = m_Data.nFields;
  record.m_nStrings = m_Data.nStrings;
}

void cRecord::LoadStrings(cRecordReader& file) { ReadStrings(file, false); }

uint32_t cRecord::ReadStrings(cRecordReader& file, bool bStripCR) {
  const uint32_t m = file.ReadU32();
  if (file.Failed() || m == 0) return 0;
  if (m > m_nStrings) {
    FailSurplus(file, "strings", m, m_nStrings, 8);
    return 0;
  }
  const int32_t* pOffsets = m_pLayout->vStrings.data();
  for (uint32_t i = 0; i < m; ++i) {
    if (pOffsets[i] != kRetired) {
      if (!ReadString(MemberAt<std::string>(pOffsets[i]), file, bStripCR)) return i;
    } else {
      std::string strDropped;
      if (!ReadString(strDropped, file, false)) return i;
    }
  }
  return m;
}

void cRecord::Save(cRecordWriter& file) {
  Register(g_nDataVersion);
  file.WriteU32(m_nFields);
  if (m_nFields != 0) {
    const Field* pFields = m_pLayout->vFields.data();
    std::string& out = file.Data();
    const size_t nStart = out.size();
    out.resize(nStart + pFields[m_nFields - 1].nEnd);  // zeros, which retired fields keep
    char* p = out.data() + nStart;
    for (const cRecordLayout::Run& run : m_pLayout->vRuns)
      CopyRunBytes(p + run.nFileStart, &MemberAt<char>(run.nOffset), run.nBytes);
  }
  SaveStrings(file);
}

void cRecord::SaveStrings(cRecordWriter& file) {
  file.WriteU32(m_nStrings);
  for (uint32_t i = 0; i < m_nStrings; ++i) {
    const int32_t nOffset = m_pLayout->vStrings[i];
    if (nOffset != kRetired) {
      WriteRecordString(MemberAt<std::string>(nOffset), file);
    } else {
      file.WriteU32(1);
    }
  }
}

void cRecord::Clear() {
  Register(g_nDataVersion);
  for (const cRecordLayout::Run& run : m_pLayout->vRuns)
    std::memset(&MemberAt<char>(run.nOffset), 0, run.nBytes);
  for (uint32_t i = 0; i < m_nStrings; ++i) {
    const int32_t nOffset = m_pLayout->vStrings[i];
    if (nOffset != kRetired) MemberAt<std::string>(nOffset).clear();
  }
}

void cRecord::CopyFrom(const cRecord& other) {
  if (&other == this) return;
  Register(g_nDataVersion);
  // The source's registration is bookkeeping, not part of its value:
  // registering it is how its members are found.
  cRecord& source = const_cast<cRecord&>(other);
  source.Register(g_nDataVersion);
  const cRecordLayout& to = *m_pLayout;
  const cRecordLayout& from = *source.m_pLayout;
  if (&to == &from) {
    for (const cRecordLayout::Run& run : to.vRuns)
      std::memmove(&MemberAt<char>(run.nOffset), &source.MemberAt<char>(run.nOffset), run.nBytes);
    for (int32_t nOffset : to.vStrings)
      if (nOffset != kRetired)
        MemberAt<std::string>(nOffset) = source.MemberAt<std::string>(nOffset);
    return;
  }
  const size_t nFields = std::min(m_nFields, source.m_nFields);
  for (size_t i = 0; i < nFields; ++i) {
    const Field& fieldTo = to.vFields[i];
    const Field& fieldFrom = from.vFields[i];
    if (fieldTo.nOffset != kRetired && fieldFrom.nOffset != kRetired &&
        fieldTo.nSize == fieldFrom.nSize && fieldTo.nCount == fieldFrom.nCount)
      std::memmove(&MemberAt<char>(fieldTo.nOffset), &source.MemberAt<char>(fieldFrom.nOffset),
                   fieldTo.nBytes);
  }
  const size_t nStrings = std::min(m_nStrings, source.m_nStrings);
  for (size_t i = 0; i < nStrings; ++i) {
    if (to.vStrings[i] != kRetired && from.vStrings[i] != kRetired)
      MemberAt<std::string>(to.vStrings[i]) = source.MemberAt<std::string>(from.vStrings[i]);
  }
}

void cRecord::StripCR() {
  Register(g_nDataVersion);
  StripListedStrings(0);
}

void cRecord::StripListedStrings(uint32_t nFirst) {
  for (uint32_t i = nFirst; i < m_nStrings; ++i) {
    const int32_t nOffset = m_pLayout->vStrings[i];
    if (nOffset == kRetired) continue;
    std::string& str = MemberAt<std::string>(nOffset);
    if (str.find('\r') != std::string::npos) std::erase(str, '\r');
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
  return ReadString(str, file, false);
}

void WriteRecordString(std::string& str, cRecordWriter& file) {
  const size_t nNul = str.find('\0');
  if (nNul != std::string::npos) str.resize(nNul);
  if (str.size() > kMaxRecordString) CutToCharBoundary(str, kMaxRecordString);
  file.WriteU32(static_cast<uint32_t>(str.size() + 1));
  if (!str.empty()) file.WriteBytes(str.c_str(), str.size() + 1);
}
