// The stored-path boundary and files that are never left half-written.

#include "app/base/file_system.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "testing/game_folder.h"

namespace fs = std::filesystem;

// Every umask call of this binary passes through here and is counted: setting
// the process-wide mask, even for a moment, races with any thread creating a
// file.
std::atomic<int> g_nUmaskCalls{0};
extern "C" mode_t umask(mode_t mask) noexcept {
  using Umask = mode_t (*)(mode_t);
  static const auto real = reinterpret_cast<Umask>(::dlsym(RTLD_NEXT, "umask"));
  ++g_nUmaskCalls;
  return real(mask);
}

TEST(FileSystem, MapsStoredPathsToNativeOnes) {
  cTestGameFolder folder;
  fs::create_directories("Data/Stg4");
  fs::create_directories(reinterpret_cast<const char*>(u8"bmp/ソフト"));
  { std::ofstream("Data/Stg4/W01.stg4_695") << "x"; }

  struct Case {
    std::string stored, native;
  } cases[] = {
      {"data\\stg4\\w01.stg4_695", "Data/Stg4/W01.stg4_695"},  // found without regard to case
      {"DATA\\STG4\\new.txt", "Data/Stg4/new.txt"},            // a new file in an existing folder
      {"data\\missing\\Deeper\\f", "Data/missing/Deeper/f"},   // kept as written below a gap
      {"bmp\\ソフト\\a.bmp",
       reinterpret_cast<const char*>(u8"bmp/ソフト/a.bmp")},  // 5C trail bytes
      {"data\\", "Data/"},
      {".\\data\\stg4", "./Data/Stg4"},
  };
  for (const auto& c : cases) EXPECT_EQ(MapPath(c.stored), c.native) << c.stored;

  EXPECT_EQ(ToStoredPath(reinterpret_cast<const char*>(u8"/home/ソ/x")), "\\home\\ソ\\x");
  EXPECT_TRUE(IsAbsoluteStoredPath("\\home"));
  EXPECT_FALSE(IsAbsoluteStoredPath("data\\x"));

  EXPECT_TRUE(FileExists("DATA\\stg4\\W01.STG4_695"));
  EXPECT_TRUE(IsDirectory("data\\STG4"));
  EXPECT_FALSE(MakeDirectory("data"));  // exists as "Data"
  EXPECT_TRUE(MakeDirectory("data\\stg4\\old_ver"));
  EXPECT_TRUE(fs::is_directory("Data/Stg4/old_ver"));
  EXPECT_EQ(ListDirectory("data\\stg4"), (std::vector<std::string>{"W01.stg4_695", "old_ver"}));
}

TEST(FileSystem, AtomicWriteReplacesOnlyWhenComplete) {
  cTestGameFolder folder;
  folder.WriteFile("user_data\\Option.dat", "old");
  ASSERT_TRUE(WriteFileAtomically("user_data\\Option.dat", "new contents"));
  EXPECT_EQ(folder.ReadFile("user_data\\Option.dat"), "new contents");

  {
    cAtomicFile file;  // abandoned half-way: the old file stays
    ASSERT_TRUE(file.Open("user_data\\Option.dat"));
    std::fputs("half", file.File());
  }
  EXPECT_EQ(folder.ReadFile("user_data\\Option.dat"), "new contents");
  EXPECT_EQ(ListDirectory("user_data").size(), 1u);  // no temporary left behind
}

TEST(FileSystem, AtomicWritesGiveThePlainPermissionsWithoutTouchingTheMask) {
  cTestGameFolder folder;
  const int nCallsBefore = g_nUmaskCalls;
  ASSERT_TRUE(WriteFileAtomically("a.dat", "x"));
  ASSERT_TRUE(WriteFileAtomically("a.dat", "y"));
  EXPECT_EQ(g_nUmaskCalls, nCallsBefore);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat st;
  ASSERT_EQ(::stat("a.dat", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST(FileSystem, AtomicWriteFailsCleanlyInAReadOnlyFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
  cTestGameFolder folder;
  folder.WriteFile("ro\\a.dat", "old");
  ::chmod("ro", 0555);
  EXPECT_FALSE(WriteFileAtomically("ro\\a.dat", "new"));
  ::chmod("ro", 0755);
  EXPECT_EQ(folder.ReadFile("ro\\a.dat"), "old");
}

TEST(FileSystem, AtomicWriteFailsCleanlyOnAFullDisk) {
  if (!fs::exists("/dev/full")) GTEST_SKIP();
  cTestGameFolder folder;
  folder.WriteFile("a.dat", "old");
  cAtomicFile file;
  ASSERT_TRUE(file.Open("a.dat"));
  // Swap the temporary's stream for one on a device that is always full.
  FILE* pFull = std::freopen("/dev/full", "wb", file.File());
  ASSERT_NE(pFull, nullptr);
  std::fputs(std::string(100000, 'x').c_str(), pFull);
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(folder.ReadFile("a.dat"), "old");
}

// A whole-file read takes the size from the file, then whatever follows: a
// file whose size is not known beforehand (a /proc file reports 0) comes in
// whole through the appends, and an empty file reads as no bytes.
TEST(FileSystem, WholeFileReadsTakeWhatFollowsTheStatedSize) {
  cTestGameFolder folder;
  { std::ofstream("empty.dat"); }
  { std::ofstream("a.dat") << std::string(100000, 'a') << "end"; }
  cFileBytes bytes;
  ASSERT_TRUE(ReadWholeFile("a.dat", bytes));
  EXPECT_EQ(bytes.size(), 100003u);
  EXPECT_EQ(bytes.View().substr(99998), "aaend");
  ASSERT_TRUE(ReadWholeFile("empty.dat", bytes));
  EXPECT_TRUE(bytes.empty());

  std::ifstream stream("/proc/self/cmdline");
  const std::string strExpected{std::istreambuf_iterator<char>(stream), {}};
  ASSERT_TRUE(ReadWholeFile("\\proc\\self\\cmdline", bytes));
  EXPECT_EQ(bytes.View(), strExpected);

  cFileBytes appended(std::string_view("ab"));
  appended.Append("cd", 2);
  appended.Append("e", 1);
  EXPECT_EQ(appended.View(), "abcde");
  EXPECT_FALSE(ReadWholeFile("missing.dat", bytes));
}
