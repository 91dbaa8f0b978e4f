#pragma once
// cLinkFlags: the link flags of a block, character or item definition, one
// byte per attribute group. A file may hold any number of them, and all are
// kept and written back; up to N of them (the groups the class has) live
// inside the object, so that the tens of thousands of placements of a stage
// take no allocation each for them.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

template <size_t N>
class cLinkFlags {
 public:
  using value_type = uint8_t;

  cLinkFlags() = default;
  cLinkFlags(size_t n, uint8_t value) { assign(n, value); }

  size_t size() const { return m_nSize; }
  bool empty() const { return m_nSize == 0; }
  uint8_t* data() { return m_nSize <= N ? m_aInline.data() : m_vMore.data(); }
  const uint8_t* data() const { return m_nSize <= N ? m_aInline.data() : m_vMore.data(); }
  uint8_t* begin() { return data(); }
  uint8_t* end() { return data() + m_nSize; }
  const uint8_t* begin() const { return data(); }
  const uint8_t* end() const { return data() + m_nSize; }
  uint8_t& operator[](size_t i) { return data()[i]; }
  const uint8_t& operator[](size_t i) const { return data()[i]; }

  // New flags get value; surplus ones are removed from the end.
  void resize(size_t n, uint8_t value = 0) {
    if (n <= N) {
      if (m_nSize > N) {
        std::copy_n(m_vMore.begin(), n, m_aInline.begin());
        m_vMore = std::vector<uint8_t>();
      } else if (n > m_nSize) {
        std::fill(m_aInline.begin() + m_nSize, m_aInline.begin() + n, value);
      }
    } else {
      if (m_nSize <= N) m_vMore.assign(m_aInline.begin(), m_aInline.begin() + m_nSize);
      m_vMore.resize(n, value);
    }
    m_nSize = n;
  }
  void assign(size_t n, uint8_t value) {
    resize(0);
    resize(n, value);
  }

  friend bool operator==(const cLinkFlags& a, const cLinkFlags& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }
  friend bool operator==(const cLinkFlags& a, const std::vector<uint8_t>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }

 private:
  size_t m_nSize = 0;
  std::array<uint8_t, N> m_aInline{};
  std::vector<uint8_t> m_vMore;  // all the flags, when there are more than N
};
