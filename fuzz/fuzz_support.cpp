#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/base/close_request.h"
#include "app/base/file_system.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "records/record.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's allocator interface (g++ ships no header for it).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                              void (*)(const volatile void*));
size_t __sanitizer_get_allocated_size(const volatile void* ptr);
}
#endif

namespace fs = std::filesystem;

namespace {

// ---- Heap limit -----------------------------------------------------------
// The sanitizer's malloc and free hooks keep the bytes the program holds; an
// input that raises them more than kFuzzHeapLimit above what they were when
// it began aborts. Hooks run inside the allocator: no allocation, no stdio.

#if defined(__SANITIZE_ADDRESS__)
// Signed: blocks allocated before the hooks were installed are subtracted
// when freed without having been added.
std::atomic<int64_t> g_nHeld{0};
std::atomic<int64_t> g_nHeldAtStart{0};

void Fail(const char* pszText) {
  ssize_t n = ::write(2, pszText, std::char_traits<char>::length(pszText));
  (void)n;
  std::abort();
}

void OnMalloc(const volatile void* /*ptr*/, size_t nSize) {
  const int64_t nHeld = g_nHeld.fetch_add(static_cast<int64_t>(nSize), std::memory_order_relaxed) +
                        static_cast<int64_t>(nSize);
  if (nHeld - g_nHeldAtStart.load(std::memory_order_relaxed) > static_cast<int64_t>(kFuzzHeapLimit))
    Fail("fuzz: one input made the program hold more than 100 MB\n");
}

void OnFree(const volatile void* ptr) {
  g_nHeld.fetch_sub(static_cast<int64_t>(__sanitizer_get_allocated_size(ptr)),
                    std::memory_order_relaxed);
}
#endif

// ---- Game folder ----------------------------------------------------------

pid_t g_nOwner = 0;
std::string g_strFolder;

void RemoveFolder() {
  // Forked children (afl's fork server) share the folder; only its maker
  // removes it.
  if (::getpid() != g_nOwner) return;
  std::error_code ec;
  fs::remove_all(g_strFolder, ec);
}

void MakeGameFolder() {
  std::string strTemplate = (fs::temp_directory_path() / "player-fuzz-XXXXXX").string();
  if (::mkdtemp(strTemplate.data()) == nullptr) {
    std::perror("fuzz: cannot make a temporary folder");
    std::exit(1);
  }
  g_strFolder = strTemplate;
  g_nOwner = ::getpid();
  fs::current_path(g_strFolder);
  std::atexit(RemoveFolder);
}

}  // namespace

void BeginFuzzInput() {
#if defined(__SANITIZE_ADDRESS__)
  g_nHeldAtStart.store(g_nHeld.load(std::memory_order_relaxed), std::memory_order_relaxed);
#endif
}

void WriteFuzzInput(std::string_view storedPath, const uint8_t* lpData, size_t nSize) {
  BeginFuzzInput();
  const fs::path native = MapPath(storedPath);
  std::error_code ec;
  if (native.has_parent_path()) fs::create_directories(native.parent_path(), ec);
  FILE* fp = std::fopen(native.c_str(), "wb");
  if (fp == nullptr || std::fwrite(lpData, 1, nSize, fp) != nSize || std::fclose(fp) != 0) {
    std::perror("fuzz: cannot write the input file");
    std::abort();
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, size_t nSize) {
  FuzzOneInput(lpData, nSize);
  // At the end, not the start of the next input: the work of forgetting
  // depends on this input alone.
  RestoreRecordLayouts();
  return 0;
}

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  // PLAYER_FUZZ_LOG names a file for the report log, to see what the readers
  // said about a replayed input.
  const char* pszLog = std::getenv("PLAYER_FUZZ_LOG");
  std::error_code ec;
  const fs::path log = pszLog != nullptr ? fs::absolute(pszLog, ec) : fs::path();
  MakeGameFolder();
  if (!log.empty())
    OpenReportLog(log.c_str());
  else
    CloseReportLog();
  SetTraceLog(false, kTraceLogName);
  // Every box answers with its first button, as a user who clicks on.
  SetMessageBoxProvider([](const std::string&, const std::string&, MsgBoxType type) {
    return type.buttons == MsgBoxButtons::YesNo || type.buttons == MsgBoxButtons::YesNoCancel
               ? kMsgBoxYes
               : kMsgBoxOk;
  });
  SetCloseRequestHandler(nullptr);
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
#endif
  if (FuzzTargetSetUp) FuzzTargetSetUp();
  MarkRecordLayouts();
  return 0;
}
