#pragma once
// Builds record-file bytes by hand, for fixtures of older data versions and
// for damaged files. The program itself always writes the current layout;
// tests use this to write what an older editor wrote.
//
//   cRecordBytes b;
//   b.u32(160);                          // version word
//   b.Fields(3).i32(1).i32(2).i32(3);    // field count, then raw fields
//   b.Strings(1).str("title");           // string count, then strings
//   b.u32(2).u8(1).u8(0);                // an extra: byte vector of 2
//   folder.WriteFile("data\\System.dat", b.Bytes());

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

class cRecordBytes {
 public:
  cRecordBytes& u8(uint8_t v) { return Raw(&v, 1); }
  cRecordBytes& i8(int8_t v) { return Raw(&v, 1); }
  cRecordBytes& u16(uint16_t v) { return Raw(&v, 2); }
  cRecordBytes& i16(int16_t v) { return Raw(&v, 2); }
  cRecordBytes& u32(uint32_t v) { return Raw(&v, 4); }
  cRecordBytes& i32(int32_t v) { return Raw(&v, 4); }
  cRecordBytes& f64(double v) { return Raw(&v, 8); }
  // A string in record form: u32 length + 1, then unless empty the
  // characters and a NUL.
  cRecordBytes& str(std::string_view s) {
    u32(static_cast<uint32_t>(s.size() + 1));
    if (!s.empty()) {
      m_data.append(s);
      m_data.push_back('\0');
    }
    return *this;
  }
  // Counts of the base part (same bytes as u32, named for readability).
  cRecordBytes& Fields(uint32_t n) { return u32(n); }
  cRecordBytes& Strings(uint32_t n) { return u32(n); }
  // A whole base part of int fields and strings.
  template <class... S>
  cRecordBytes& IntRecord(std::initializer_list<int32_t> fields, S... strings) {
    Fields(static_cast<uint32_t>(fields.size()));
    for (int32_t v : fields) i32(v);
    Strings(sizeof...(strings));
    (str(strings), ...);
    return *this;
  }
  cRecordBytes& Raw(const void* p, size_t n) {
    m_data.append(static_cast<const char*>(p), n);
    return *this;
  }
  cRecordBytes& Append(const cRecordBytes& other) {
    m_data += other.m_data;
    return *this;
  }
  cRecordBytes& Append(std::string_view bytes) {
    m_data.append(bytes);
    return *this;
  }

  const std::string& Bytes() const { return m_data; }
  size_t Size() const { return m_data.size(); }

 private:
  std::string m_data;
};
