#pragma once
// The pixel bytes of a device surface, all zero when made. They come from
// calloc, which hands out large blocks as fresh pages of the system that are
// zero already: a surface costs nothing until it is drawn on, where filling
// the bytes at creation touched every page of every surface (most are drawn
// on later, some never, some only in part).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

class cPixelStore {
 public:
  cPixelStore() = default;
  // nBytes zero bytes; throws std::bad_alloc as a vector would.
  explicit cPixelStore(size_t nBytes)
      : m_pBytes(static_cast<uint8_t*>(std::calloc(nBytes == 0 ? 1 : nBytes, 1))),
        m_nBytes(nBytes) {
    if (m_pBytes == nullptr) throw std::bad_alloc();
  }

  uint8_t* data() { return m_pBytes.get(); }
  const uint8_t* data() const { return m_pBytes.get(); }
  size_t size() const { return m_nBytes; }
  uint8_t& operator[](size_t i) { return m_pBytes[i]; }
  const uint8_t& operator[](size_t i) const { return m_pBytes[i]; }
  void swap(cPixelStore& other) noexcept {
    m_pBytes.swap(other.m_pBytes);
    std::swap(m_nBytes, other.m_nBytes);
  }

 private:
  struct cFree {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<uint8_t[], cFree> m_pBytes;
  size_t m_nBytes = 0;
};
