#include "app/base/encoding.h"

#include <iconv.h>

#include <cerrno>

namespace {

// "CP932", not "SHIFT_JIS": the latter maps 0x5C to a yen sign and would turn
// every backslash of a path into U+00A5.
std::string Convert(const char* pszTo, const char* pszFrom, std::string_view input) {
  std::string out;
  if (input.empty()) return out;
  iconv_t cd = iconv_open(pszTo, pszFrom);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    out.assign(input);
    return out;
  }
  out.reserve(input.size() * 2);
  char* pIn = const_cast<char*>(input.data());
  size_t nInLeft = input.size();
  char buffer[512];
  while (nInLeft > 0) {
    char* pOut = buffer;
    size_t nOutLeft = sizeof buffer;
    const size_t r = iconv(cd, &pIn, &nInLeft, &pOut, &nOutLeft);
    out.append(buffer, sizeof buffer - nOutLeft);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An invalid or incomplete sequence: emit '?' for one byte and go on.
      out.push_back('?');
      ++pIn;
      --nInLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) { return Convert("UTF-8", "CP932", cp932); }

std::string Utf8ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }
