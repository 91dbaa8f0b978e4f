// Shift-JIS text helpers, formatting and the CP932 <-> UTF-8 boundary.

#include <gtest/gtest.h>

#include "app/base/encoding.h"
#include "app/base/format.h"
#include "app/base/sjis.h"

// Literals are compiled to CP932: "ソ" is 83 5C, whose trail byte is a backslash.
static_assert(sizeof("ソ") == 3 && "ソ"[1] == '\\');

TEST(SjisText, CountChars) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"", 0},          {"アイウ", 3}, {"ab\ncd", 4},
      {"aソb", 3},      {"\x83", 1},  // a lone lead byte at the end is one character
      {"a\x81\x0a", 2},               // lead byte followed by a line feed: not a pair
  };
  for (const auto& c : cases) EXPECT_EQ(CountChars(c.text), c.expected) << c.text;
  EXPECT_EQ(CountChars(nullptr), 0);
}

TEST(SjisText, CutNeverSplitsADoubleByteCharacter) {
  struct Case {
    std::string text;
    size_t max;
    std::string expected;
  } cases[] = {
      {"abc", 5, "abc"},       {"aアイ", 2, "a"},  // the limit falls inside ア
      {"aアイ", 3, "aア"},     {"アイ", 1, ""},
      {"ソソ", 3, "ソ"},        // 83 5C 83 5C: the 5C is no boundary
      {"ab\x83", 3, "ab\x83"},  // a lone lead byte at the end is one byte
  };
  for (auto c : cases) {
    CutToCharBoundary(c.text, c.max);
    EXPECT_EQ(c.text, c.expected);
  }
}

TEST(SjisText, SubStringClampedAndRecalcLength) {
  struct Case {
    int start, count;
    const char* expected;
  } cases[] = {
      {-2, 4, "ab"}, {4, 10, "ef"},   {7, 1, ""},   {6, 1, ""},
      {0, 0, ""},    {2, -1, "cdef"}, {1, 2, "bc"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SubStringClamped("abcdef", c.start, c.count), c.expected)
        << c.start << "," << c.count;

  std::string strWritten("abc\0def", 7);
  EXPECT_EQ(RecalcLength(strWritten), 3);
  EXPECT_EQ(strWritten, "abc");
  EXPECT_EQ(SubStringClamped(std::string("abc\0def", 7), 1, 10), "bc");
}

TEST(FormatString, FormatsAndCutsAt5119OnACharacterBoundary) {
  std::string s = "old";
  FormatString(s, "%d-%s", 42, "x");
  EXPECT_EQ(s, "42-x");

  FormatString(s, "%s", std::string(6000, 'a').c_str());
  EXPECT_EQ(s.size(), 5119u);

  // 5118 single bytes then a double-byte character across the limit.
  FormatString(s, "%s%s", std::string(5118, 'a').c_str(), "アイ");
  EXPECT_EQ(s.size(), 5118u);

  // A null text argument prints as "(null)" instead of crashing; the pointer
  // goes through a volatile so that the compiler cannot see it is null.
  const char* volatile pszNull = nullptr;
  FormatString(s, "%s", pszNull);
  EXPECT_EQ(s, "(null)");
  FormatString(s, nullptr);
  EXPECT_EQ(s, "");
}

TEST(FormatString, CountDigitsOfTheMagnitude) {
  const std::pair<int, int> cases[] = {{0, 1},      {9, 1},          {10, 2},        {-10, 2},
                                       {999999, 6}, {INT32_MAX, 10}, {INT32_MIN, 10}};
  for (const auto& [nValue, nDigits] : cases) EXPECT_EQ(CountDigits(nValue), nDigits) << nValue;
}

TEST(Encoding, RoundTripsAndKeepsBackslashes) {
  const std::string strSjis = "data\\ソフト\\ゲーム.bmp";
  const std::string strUtf8 = Cp932ToUtf8(strSjis);
  EXPECT_EQ(strUtf8, reinterpret_cast<const char*>(u8"data\\ソフト\\ゲーム.bmp"));
  EXPECT_EQ(Utf8ToCp932(strUtf8), strSjis);
  // 0x5C is a backslash in CP932, never a yen sign.
  EXPECT_EQ(Cp932ToUtf8("\\"), "\\");
  // Bytes that are not text become '?' instead of failing.
  EXPECT_EQ(Cp932ToUtf8("ab\x83"), "ab?");
  EXPECT_EQ(Cp932ToUtf8(""), "");
}
