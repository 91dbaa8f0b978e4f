// Path helpers on stored paths (CP932, backslashes).

#include "app/base/path_utils.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/base/file_system.h"
#include "testing/game_folder.h"

TEST(PathUtils, ExtensionsAndSuffixes) {
  std::string s;
  EXPECT_EQ(ChangeExtension(s, "a.b\\c", "txt"), 1);
  EXPECT_EQ(s, "a.txt");  // the last '.' may lie in a folder name
  EXPECT_EQ(ChangeExtension(s, "x.stg4_695", "stg4"), 1);
  EXPECT_EQ(s, "x.stg4");
  EXPECT_EQ(ChangeExtension(s, "x.bmp", nullptr), 1);
  EXPECT_EQ(s, "x");
  EXPECT_EQ(ChangeExtension(s, "noext", "txt"), 0);
  EXPECT_EQ(s, "noext");

  EXPECT_EQ(GetExtension(s, "rpl.rpl4_695"), 1);
  EXPECT_EQ(s, "rpl4_695");
  EXPECT_EQ(GetExtension(s, "none"), 0);

  s = "dir\\a.b.c";
  EXPECT_EQ(StripExtension(s), 1);
  EXPECT_EQ(s, "dir\\a.b");
  s = "plain";
  EXPECT_EQ(StripExtension(s), 0);

  EXPECT_EQ(AddNumberSuffix(s, "rpl.rpl4_695", 0, 3), 1);
  EXPECT_EQ(s, "rpl_03.rpl4_695");
  EXPECT_EQ(AddNumberSuffix(s, "rpl", 0, 3), 0);
}

TEST(PathUtils, StripDirectoryKeepsDoubleByteNamesWhole) {
  struct Case {
    std::string path, expected;
  } cases[] = {
      {"data\\stg4\\w01.stg4_695", "w01.stg4_695"},
      {"ソ", "ソ"},  // 83 5C: no separator in it
      {"data\\ソフト", "ソフト"},
      {"noseparator", "noseparator"},
      {"trailing\\", ""},
  };
  for (auto c : cases) {
    StripDirectory(c.path);
    EXPECT_EQ(c.path, c.expected);
  }
}

TEST(PathUtils, BufferFormsRefuseResultsLongerThan259Bytes) {
  char szOut[260] = "unchanged";
  const std::string strLong = std::string(255, 'a') + ".b";
  EXPECT_EQ(AddNumberSuffix(szOut, strLong.c_str(), 1, 2), 0);  // 261 bytes would not fit
  EXPECT_STREQ(szOut, "unchanged");
  EXPECT_EQ(AddNumberSuffix(szOut, "a.b", 1, 2), 1);
  EXPECT_STREQ(szOut, "a_12.b");
  char szPath[260] = "data\\ソ.txt";
  StripDirectory(szPath);
  EXPECT_STREQ(szPath, "ソ.txt");
}

TEST(PathUtils, FindNewestVersionPicksTheHighestNumber) {
  cTestGameFolder folder;
  std::string s = "unchanged";
  EXPECT_EQ(FindNewestVersion(s, "data\\stg4\\x.stg4", "stg4"), 0);
  EXPECT_EQ(s, "unchanged");

  folder.WriteFile("data\\stg4\\x.stg4_100", "");
  folder.WriteFile("data\\stg4\\x.stg4_695", "");
  folder.WriteFile("data\\stg4\\x.stg4_9999", "");  // four digits are no version
  folder.WriteFile("data\\stg4\\y.stg4_700", "");
  EXPECT_EQ(FindNewestVersion(s, "data\\stg4\\x.stg4", "stg4"), 1);
  EXPECT_EQ(s, "data\\stg4\\x.stg4_695");
  // Any extension of the given path is replaced first, and case does not matter.
  EXPECT_EQ(FindNewestVersion(s, "DATA\\Stg4\\X.stg4_100", "stg4"), 1);
  EXPECT_EQ(s, "DATA\\Stg4\\X.stg4_695");

  folder.WriteFile("data\\stg4\\ソフト.stg4_001", "");
  char szOut[260];
  EXPECT_EQ(FindNewestVersion(szOut, "data\\stg4\\ソフト.stg4", "stg4"), 1);
  EXPECT_STREQ(szOut, "data\\stg4\\ソフト.stg4_001");
}

TEST(PathUtils, RelativeAndAbsolutePaths) {
  cTestGameFolder folder;
  std::string strCwd;
  ASSERT_TRUE(GetCurrentFolder(strCwd));
  ASSERT_EQ(strCwd.front(), '\\');

  std::string s = "data\\stg4\\w01.stg4_695";
  EXPECT_EQ(ToRelativePath(s), 1);
  EXPECT_EQ(s, "data\\stg4\\w01.stg4_695");  // relative: left as it is

  struct Case {
    std::string absolute, expected;
  } cases[] = {
      {strCwd + "\\data\\stg4\\w01.stg4_695", ".\\data\\stg4\\w01.stg4_695"},
      {strCwd + "\\x.txt", ".\\x.txt"},
      {strCwd.substr(0, strCwd.rfind('\\')) + "\\other\\x.txt", "..\\other\\x.txt"},
  };
  for (auto c : cases) {
    EXPECT_EQ(ToRelativePath(c.absolute), 1);
    EXPECT_EQ(c.absolute, c.expected);
  }

  s = "data\\.\\stg4\\..\\w01.stg4";
  EXPECT_EQ(ToAbsolutePath(s), 1);
  EXPECT_EQ(s, strCwd + "\\data\\w01.stg4");
  EXPECT_EQ(ToAbsolutePath(s), 1);
  EXPECT_EQ(s, strCwd + "\\data\\w01.stg4");  // already absolute
}
