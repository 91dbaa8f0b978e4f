#pragma once
// cRecord: the base of every stored class.
//
// A record does not serialise its members by hand. Its RegisterFields(version)
// lists them, in a fixed order, in two descriptor lists (plain fields and
// strings), and the base class reads, writes, clears and copies whatever is
// listed. A member added in data version N is registered only for versions
// >= N, so an older file is read with the layout it was written with; a
// member that existed only for a range of versions is registered there with
// AddRetiredField, which reads its bytes and drops them.
//
// What a class registers at a version is described once and shared by every
// object of the class (see cRecordLayout): operations that use the lists
// register first, which costs a table look-up, not an allocation. A copied or
// moved record starts unregistered, so no list ever names another object.
//
// Layout of a record in a file (after the file's 4-byte version word):
//   u32 n, the raw bytes of the first n registered fields in order,
//   u32 m, m strings (u32 length + 1, then unless that is 1 the characters
//   and a NUL), then whatever the class's Save writes after the base part.
//
// Writing a RegisterFields:
//   void cFoo::RegisterFields(int nVersion) {
//     ClearFieldLists();
//     AddField(&m_nA);                          // int32_t
//     if (nVersion >= 120) AddField(m_anB, 5);  // int32_t[5], from 120
//     if (nVersion >= 130 && nVersion < 150) AddRetiredField<int32_t>();
//     AddString(&m_strName);
//   }
// A stored class whose members all have initialisers still declares an empty
// constructor of its own (`cFoo() {}`): without one, the value-initialisation
// of emplace_back() and resize() zeroes the whole object before running the
// initialisers, which costs as much as reading a small record.
// Writing a Load/Save with extras:
//   void cFoo::Load(cRecordReader& file) {
//     cRecord::Load(file);
//     ReadIntVector(m_anList, file);
//     if (g_nFileVersion >= 140) ReadRecordVector(m_Items, file);
//     if (g_nFileVersion < 120) ...migration...
//   }
//   void cFoo::Save(cRecordWriter& file) {
//     cRecord::Save(file);
//     SaveIntVector(m_anList, file);
//     SaveRecordVector(m_Items, file);
//   }

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "app/base/checked_containers.h"
#include "records/record_file.h"

class cRecord;

// One registered plain field, as FieldList() hands it out.
struct FIELDDESC {
  PLAYER_ELEMENT_SIZE(FIELDDESC, 16);
  cRecord* owner;  // the record whose member this is; null for a retired field
  void* data;      // first byte of the member; null for a retired field
  int32_t count;   // number of elements
  int8_t size;     // bytes per element: 1, 2, 4 or 8
};

// One registered string member, as StringList() hands it out.
struct STRINGDESC {
  PLAYER_ELEMENT_SIZE(STRINGDESC, 8);
  cRecord* owner;        // null for a retired string
  std::string* pString;  // null for a retired string
};

// The stored members of a class at one data version, each as an offset from
// the record's cRecord part. Offsets are the same in every object of a class,
// so one layout, made once per class and version, serves every object of it:
// registering an object is pointing it at the layout, not building lists.
struct cRecordLayout {
  static constexpr int32_t kRetired = INT32_MIN;  // offset of a retired member

  struct Field {
    int32_t nOffset;  // kRetired: read and dropped, written as zeros
    int32_t nCount;   // elements
    int32_t nSize;    // bytes per element
    uint32_t nBytes;  // nCount x nSize (0 for a count below 1)
    uint32_t nEnd;    // bytes of this field and all before it in the file
    bool operator==(const Field&) const = default;
  };
  // Neighbouring fields that are neighbours in the record as well, merged:
  // a whole base part is read and written a run at a time.
  struct Run {
    int32_t nOffset;      // in the record
    uint32_t nFileStart;  // in the base part's field bytes
    uint32_t nBytes;
    bool operator==(const Run&) const = default;
  };

  std::vector<Field> vFields;
  std::vector<int32_t> vStrings;  // offsets of std::string members
  std::vector<Run> vRuns;         // of all of vFields (retired ones left out)

  // Makes vRuns from vFields.
  void MakeRuns();

  bool operator==(const cRecordLayout&) const = default;
};

// Fuzz targets: MarkRecordLayouts notes the layouts described so far, and
// RestoreRecordLayouts frees every layout described since and empties the
// calling thread's index in front of them, so that each input meets the same
// store and takes the same path through it (a layout an earlier input
// described would otherwise only be looked up). Single-threaded use only; no
// record registered after the mark may be used once restored.
void MarkRecordLayouts();
void RestoreRecordLayouts();

// Longest string a record file holds (the rest is cut when saving).
inline constexpr size_t kMaxRecordString = 5119;

class cRecord {
 public:
  cRecord() = default;
  // Copies and moves start unregistered: they register on first use, so no
  // registration ever names another object.
  cRecord(const cRecord&) {}
  cRecord(cRecord&&) noexcept {}
  // Registers this record with g_nDataVersion; copies no member data (the
  // derived class's assignment copies its members).
  cRecord& operator=(const cRecord&);
  cRecord& operator=(cRecord&&) noexcept;
  virtual ~cRecord() = default;

  // Called on the source of an assignment before its lists are used.
  virtual void PrepareCopy(int /*nVersion*/) {}
  // Lists the stored members for a data version, in file order, with
  // ClearFieldLists, AddField and AddString. The result must depend on the
  // version only, never on the values of members: it is made once per class
  // and version and shared by every object of the class. Registered members
  // lie inside the record. The base registers nothing.
  virtual void RegisterFields(int /*nVersion*/) {}
  // Reads the base part (fields and strings of the file's version); overrides
  // call it first and then read their extras. Faults are left in the reader.
  virtual void Load(cRecordReader& file);
  // Writes the base part at g_nDataVersion; overrides call it first and then
  // write their extras.
  virtual void Save(cRecordWriter& file);

  // Every registered field's bytes 0, every registered string empty.
  void Clear();
  // Copies the registered members of another record of the same class.
  void CopyFrom(const cRecord& other);
  // Removes every carriage return from the registered strings.
  void StripCR();

  void LoadStrings(cRecordReader& file);
  void SaveStrings(cRecordWriter& file);

  // Reads the record from a record file. True only when the file was opened
  // and read whole without a fault; a fault is in the report log.
  bool LoadFromFile(const char* pszPath);
  bool LoadFromFile(const std::string& strPath) { return LoadFromFile(strPath.c_str()); }
  // Writes the record as a record file (version word, then Save) atomically.
  bool SaveToFile(const char* pszPath);
  bool SaveToFile(const std::string& strPath) { return SaveToFile(strPath.c_str()); }

  // The fields and strings of the last registration, naming this record's
  // members (empty before the first registration).
  std::vector<FIELDDESC> FieldList() const;
  std::vector<STRINGDESC> StringList() const;

  // Does nothing; stands where a validation step has nothing to do.
  void EmptyHook() {}

  // The registrations of one class at the file's and the program's data
  // versions, looked up once for a list of records of that class: Load(r)
  // is r.cRecord::Load for each r of the class (see ReadPlainRecordVector).
  class cSameClassLoader {
   public:
    explicit cSameClassLoader(cRecord& first);
    void Load(cRecord& record, cRecordReader& file) const;

   private:
    struct cRegistration {
      const cRecordLayout* pLayout;
      uint32_t nFields;
      uint32_t nStrings;
    };
    cRegistration m_File, m_Data;
  };

 protected:
  // Starts a registration: both lists empty.
  void ClearFieldLists();
  // RegisterFields of a class with no stored members.
  void RegisterNothing() { ClearFieldLists(); }

  // A plain field of `count` elements. Stored members are exact-width
  // integers of 1, 2 or 4 bytes, or doubles.
  template <class T>
  void AddField(T* pData, int32_t count = 1) {
    static_assert(IsStorableField<T>(), "stored fields are exact-width integers or doubles");
    AddFieldAt(OffsetOf(pData), count, static_cast<int32_t>(sizeof(T)));
  }
  // A member of older versions only: its bytes are read and dropped.
  template <class T>
  void AddRetiredField(int32_t count = 1) {
    static_assert(IsStorableField<T>(), "stored fields are exact-width integers or doubles");
    AddFieldAt(cRecordLayout::kRetired, count, static_cast<int32_t>(sizeof(T)));
  }
  // `count` consecutive strings starting at pString (callers pass 1).
  void AddString(std::string* pString, int count = 1) {
    for (int i = 0; i < count; ++i) AddStringAt(OffsetOf(pString + i));
  }
  void AddRetiredString() { AddStringAt(cRecordLayout::kRetired); }

 private:
  // Points this record at its class's layout for nVersion, made on first use.
  void Register(int nVersion);
  // Load after the registration at the file's version.
  void LoadRegistered(cRecordReader& file);
  // The shared layout of this record's class at nVersion.
  const cRecordLayout& LayoutFor(int nVersion);
  const cRecordLayout& FindOrDescribeLayout(const std::type_info& type, int nVersion);
  // Calls RegisterFields(nVersion) with the additions collected into layout.
  void DescribeInto(cRecordLayout& layout, int nVersion);
  void StartDescribing();
  // A layout of this record's own, holding the registration so far.
  cRecordLayout& OwnLayout();

  // The additions of a registration. While they agree with the layout the
  // record points at, they only move its counts on; the rest is done out of
  // line (see ClearFieldLists).
  void AddFieldAt(int32_t nOffset, int32_t nCount, int32_t nSize) {
    if (m_pLayout != nullptr && m_nFields < m_pLayout->vFields.size()) {
      const cRecordLayout::Field& next = m_pLayout->vFields[m_nFields];
      if (next.nOffset == nOffset && next.nCount == nCount && next.nSize == nSize) {
        ++m_nFields;
        return;
      }
    }
    AddOtherField(nOffset, nCount, nSize);
  }
  void AddStringAt(int32_t nOffset) {
    if (m_pLayout != nullptr && m_nStrings < m_pLayout->vStrings.size() &&
        m_pLayout->vStrings[m_nStrings] == nOffset) {
      ++m_nStrings;
      return;
    }
    AddOtherString(nOffset);
  }
  void AddOtherField(int32_t nOffset, int32_t nCount, int32_t nSize);
  void AddOtherString(int32_t nOffset);
  // Reads the string count and strings; the number read whole.
  uint32_t ReadStrings(cRecordReader& file, bool bStripCR);
  // Removes carriage returns from the registered strings from nFirst on.
  void StripListedStrings(uint32_t nFirst);

  template <class T>
  int32_t OffsetOf(const T* pMember) const {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(pMember) -
                                reinterpret_cast<intptr_t>(this));
  }
  template <class T>
  T& MemberAt(int32_t nOffset) const {
    return *reinterpret_cast<T*>(reinterpret_cast<intptr_t>(this) + nOffset);
  }

  template <class T>
  static constexpr bool IsStorableField() {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, bool>)
      return false;
    else if constexpr (std::is_integral_v<U>)
      return sizeof(U) == 1 || sizeof(U) == 2 || sizeof(U) == 4;
    else
      return std::is_same_v<U, double>;
  }

  // The registration: the first m_nFields fields and m_nStrings strings of
  // *m_pLayout (a registration made by calling RegisterFields directly may be
  // a prefix of the layout it was matched against). Null before the first.
  const cRecordLayout* m_pLayout = nullptr;
  uint32_t m_nFields = 0;
  uint32_t m_nStrings = 0;
  // Set only when a direct RegisterFields call registered what no shared
  // layout describes; m_pLayout then points here.
  std::unique_ptr<cRecordLayout> m_pOwnLayout;
};

// ---- Extras: values written after a record's base part --------------------

// One string in record form: u32 length + 1, then unless that is 1 the
// characters and a NUL. Reading stops the string at its first NUL.
bool ReadRecordString(std::string& str, cRecordReader& file);
// Cuts the string at an embedded NUL and to kMaxRecordString bytes (on a
// character boundary), in the string itself, then writes it.
void WriteRecordString(std::string& str, cRecordWriter& file);

// Byte, int and string vectors: u32 count, then the elements. Reading resizes
// the vector to the count (new entries 0 or empty).
template <class Vec>
void ReadByteVector(Vec& v, cRecordReader& file) {
  static_assert(sizeof(typename Vec::value_type) == 1);
  const uint32_t n = file.ReadCount(1, "byte count");
  v.resize(n);
  if (n != 0) file.ReadBytes(v.data(), n);
}
template <class Vec>
void ReadIntVector(Vec& v, cRecordReader& file) {
  static_assert(sizeof(typename Vec::value_type) == 4 &&
                std::is_integral_v<typename Vec::value_type>);
  const uint32_t n = file.ReadCount(4, "int count");
  v.resize(n);
  if (n != 0) file.ReadBytes(v.data(), size_t{n} * 4);
}
template <class Vec>
void ReadStringVector(Vec& v, cRecordReader& file) {
  cListReader list(file, 4, "string count");
  // Kept entries lend their buffers; new ones are added as they are read.
  if (v.size() > list.Count()) v.resize(list.Count());
  while (list.Next()) {
    if (list.Index() == v.size()) v.emplace_back();
    if (!ReadRecordString(v[list.Index()], file)) break;
  }
}
// Room for the n records a file announces, up to 16 MiB of them, so that
// reading them does not move the vector again and again while a damaged
// count still cannot make a giant allocation. Elements are made as they are
// read, so memory follows the records actually present.
template <class Vec>
void ReserveForRecords(Vec& v, size_t n) {
  constexpr size_t kReserveBytes = size_t{16} << 20;
  v.reserve(std::min<size_t>(n, kReserveBytes / sizeof(typename Vec::value_type)));
}

// A class whose Load replaces part of its defaults whole (a list it reads
// afresh) may have a constructor taking cForLoad that leaves that part
// unmade; readers make the elements they are about to load with it.
struct cForLoad {};

// Appends an element about to be loaded: made with cForLoad where the class
// has such a constructor, default-constructed otherwise.
template <class Vec>
typename Vec::reference EmplaceForLoad(Vec& v) {
  if constexpr (std::is_constructible_v<typename Vec::value_type, cForLoad>)
    return v.emplace_back(cForLoad{});
  else
    return v.emplace_back();
}

// Vector of records: u32 count, then each element's Load. The vector is
// emptied first and each element made just before it is read (see
// cListReader). Each element takes at least nMinElementBytes in the file (a
// record at least its two count words).
template <class Vec>
void ReadRecordVector(Vec& v, cRecordReader& file, size_t nMinElementBytes = 8,
                      const char* pszWhat = "record count") {
  cListReader list(file, nMinElementBytes, pszWhat);
  v.clear();
  ReserveForRecords(v, list.Count());
  while (list.Next()) EmplaceForLoad(v).Load(file);
}

// ReadRecordVector for a class whose Load is cRecord's own (no extras): its
// registrations are looked up once for the list instead of once per element.
template <class Vec>
void ReadPlainRecordVector(Vec& v, cRecordReader& file, size_t nMinElementBytes = 8,
                           const char* pszWhat = "record count") {
  using T = typename Vec::value_type;
  static_assert(std::is_same_v<decltype(&T::Load), void (cRecord::*)(cRecordReader&)>,
                "the class has a Load of its own");
  cListReader list(file, nMinElementBytes, pszWhat);
  v.clear();
  ReserveForRecords(v, list.Count());
  std::optional<cRecord::cSameClassLoader> loader;
  while (list.Next()) {
    T& record = EmplaceForLoad(v);
    if (!loader) loader.emplace(record);
    loader->Load(record, file);
  }
}

template <class Vec>
void SaveByteVector(const Vec& v, cRecordWriter& file) {
  static_assert(sizeof(typename Vec::value_type) == 1);
  file.WriteU32(static_cast<uint32_t>(v.size()));
  file.WriteBytes(v.data(), v.size());
}
template <class Vec>
void SaveIntVector(const Vec& v, cRecordWriter& file) {
  static_assert(sizeof(typename Vec::value_type) == 4 &&
                std::is_integral_v<typename Vec::value_type>);
  file.WriteU32(static_cast<uint32_t>(v.size()));
  file.WriteBytes(v.data(), v.size() * 4);
}
template <class Vec>
void SaveStringVector(Vec& v, cRecordWriter& file) {
  file.WriteU32(static_cast<uint32_t>(v.size()));
  for (auto& str : v) WriteRecordString(str, file);
}
template <class Vec>
void SaveRecordVector(Vec& v, cRecordWriter& file) {
  file.WriteU32(static_cast<uint32_t>(v.size()));
  for (auto& element : v) element.Save(file);
}
