// The main of a fuzz target outside afl++: replays files and folders of
// inputs, each through LLVMFuzzerTestOneInput, in name order. A crash, a
// sanitizer report or the heap limit ends the program as it would end a
// fuzzing run; otherwise it says how many inputs it replayed. No input at all
// is a failure: a target always has seeds.
//
//   fuzz_<target> <file or folder>...    (a missing folder counts as empty)

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, size_t nSize);

namespace {

std::vector<fs::path> InputsOf(const fs::path& arg) {
  std::vector<fs::path> inputs;
  std::error_code ec;
  if (fs::is_directory(arg, ec)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(arg, ec))
      if (entry.is_regular_file(ec)) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
  } else if (fs::exists(arg, ec)) {
    inputs.push_back(arg);
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  // Paths are taken before the initialiser makes another folder the working one.
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i)
    for (const fs::path& p : InputsOf(fs::absolute(argv[i]))) inputs.push_back(p);
  LLVMFuzzerInitialize(&argc, &argv);
  if (inputs.empty()) {
    std::fprintf(stderr, "no inputs to replay\n");
    return 1;
  }
  for (const fs::path& p : inputs) {
    std::fprintf(stderr, "%s\n", p.c_str());
    std::ifstream in(p, std::ios::binary);
    const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "%s: cannot be read\n", p.c_str());
      return 1;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  }
  std::printf("%zu inputs replayed\n", inputs.size());
  return 0;
}
