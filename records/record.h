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
// The descriptor lists always describe this object: operations that use them
// register first, and a copied or moved record starts with empty lists (so
// no list ever names another object).
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
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/base/checked_containers.h"
#include "records/record_file.h"

class cRecord;

// One registered plain field.
struct FIELDDESC {
  cRecord* owner;   // the record whose member this is; null for a retired field
  void* data;       // first byte of the member; null for a retired field
  int32_t count;    // number of elements
  int8_t size;      // bytes per element: 1, 2, 4 or 8
};

// One registered string member.
struct STRINGDESC {
  cRecord* owner;        // null for a retired string
  std::string* pString;  // null for a retired string
};

// Longest string a record file holds (the rest is cut when saving).
inline constexpr size_t kMaxRecordString = 5119;

class cRecord {
public:
  cRecord() = default;
  // Copies and moves start with empty lists: they register on first use.
  cRecord(const cRecord&) {}
  cRecord(cRecord&& other) noexcept
      : m_FieldDesc(std::move(other.m_FieldDesc)), m_StringDesc(std::move(other.m_StringDesc)) {
    // Keep the buffers, not the entries (they name the source).
    m_FieldDesc.clear();
    m_StringDesc.clear();
  }
  // Registers this record with g_nDataVersion; copies no member data (the
  // derived class's assignment copies its members).
  cRecord& operator=(const cRecord&);
  cRecord& operator=(cRecord&&) noexcept;
  virtual ~cRecord() = default;

  // Called on the source of an assignment before its lists are used.
  virtual void PrepareCopy(int /*nVersion*/) {}
  // Lists the stored members for a data version. The base registers nothing
  // and leaves the lists untouched.
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

  const std::vector<FIELDDESC>& FieldList() const { return m_FieldDesc; }
  const std::vector<STRINGDESC>& StringList() const { return m_StringDesc; }

  // Does nothing; stands where a validation step has nothing to do.
  void EmptyHook() {}

protected:
  void ClearFieldLists() {
    m_FieldDesc.clear();
    m_StringDesc.clear();
  }
  // RegisterFields of a class with no stored members.
  void RegisterNothing() { ClearFieldLists(); }

  // A plain field of `count` elements. Stored members are exact-width
  // integers of 1, 2 or 4 bytes, or doubles.
  template <class T>
  void AddField(T* pData, int32_t count = 1) {
    static_assert(IsStorableField<T>(), "stored fields are exact-width integers or doubles");
    if (m_FieldDesc.capacity() == 0) m_FieldDesc.reserve(kFieldListReserve);
    m_FieldDesc.push_back(FIELDDESC{this, pData, count, static_cast<int8_t>(sizeof(T))});
  }
  // A member of older versions only: its bytes are read and dropped.
  template <class T>
  void AddRetiredField(int32_t count = 1) {
    static_assert(IsStorableField<T>(), "stored fields are exact-width integers or doubles");
    m_FieldDesc.push_back(FIELDDESC{nullptr, nullptr, count, static_cast<int8_t>(sizeof(T))});
  }
  // `count` consecutive strings starting at pString (callers pass 1).
  void AddString(std::string* pString, int count = 1) {
    if (m_StringDesc.capacity() == 0) m_StringDesc.reserve(kStringListReserve);
    for (int i = 0; i < count; ++i) m_StringDesc.push_back(STRINGDESC{this, pString + i});
  }
  void AddRetiredString() { m_StringDesc.push_back(STRINGDESC{nullptr, nullptr}); }

  std::vector<FIELDDESC> m_FieldDesc;
  std::vector<STRINGDESC> m_StringDesc;

private:
  void StripListedStrings();

  // First allocation of each list: most records fit without growing it.
  static constexpr size_t kFieldListReserve = 8;
  static constexpr size_t kStringListReserve = 2;

  template <class T>
  static constexpr bool IsStorableField() {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, bool>) return false;
    else if constexpr (std::is_integral_v<U>) return sizeof(U) == 1 || sizeof(U) == 2 || sizeof(U) == 4;
    else return std::is_same_v<U, double>;
  }
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
  const uint32_t n = file.ReadCount(4, "string count");
  v.resize(n);  // every entry is read below; kept entries lend their buffers
  for (auto& str : v)
    if (!ReadRecordString(str, file)) break;
}
// Vector of records: u32 count, then each element's Load. The vector is
// emptied and filled with default-constructed elements first.
template <class Vec>
void ReadRecordVector(Vec& v, cRecordReader& file) {
  // A record takes at least its two count words.
  const uint32_t n = file.ReadCount(8, "record count");
  v.clear();
  // Elements are made as they are read, so a damaged count costs no more
  // memory than the records actually present.
  constexpr size_t kReserveBytes = size_t{16} << 20;
  v.reserve(std::min<size_t>(n, kReserveBytes / sizeof(typename Vec::value_type)));
  for (uint32_t i = 0; i < n; ++i) {
    v.emplace_back().Load(file);
    if (file.Failed()) break;
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
