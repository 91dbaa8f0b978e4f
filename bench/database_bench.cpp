// Loading the project database (the ten tables and the System record) beside
// reading the same files with one fread each, the cost of just getting the
// bytes from the page cache.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/base/file_system.h"
#include "records/data_path.h"
#include "records/database.h"
#include "records/system.h"
#include "records/tests/table_files.h"

namespace {

// A generated project in a temporary game folder: every table with nRows
// rows, except that table nLarge (an index of kTablePaths, or -1) has
// nLargeRows, and the System record.
class ProjectFolder {
 public:
  ProjectFolder(int nRows, int nLarge, int nLargeRows) {
    namespace fs = std::filesystem;
    m_Previous = fs::current_path();
    std::string strTemplate = (fs::temp_directory_path() / "player-bench-db-XXXXXX").string();
    if (::mkdtemp(strTemplate.data()) == nullptr) std::abort();
    m_Root = strTemplate;
    fs::current_path(m_Root);
    fs::create_directories("data/database");

    cDatabase db;
    FillSampleDatabase(db, nRows);
    std::string files[10];
    TableFilesOf(db, files);
    if (nLarge >= 0) {
      cDatabase large;
      FillSampleDatabase(large, nLargeRows);
      std::string largeFiles[10];
      TableFilesOf(large, largeFiles);
      files[nLarge] = largeFiles[nLarge];
    }
    for (int i = 0; i < 10; ++i) {
      WriteFileAtomically(kTablePaths[i], files[i]);
      m_Paths.push_back(kTablePaths[i]);
      m_nBytes += files[i].size();
    }
    ResetSystemRecord();
    g_System.SaveToFile(g_DataPath[DATAPATH_SYSTEM]);
    m_Paths.push_back(g_DataPath[DATAPATH_SYSTEM]);
    uint64_t nSize = 0;
    GetFileSize(g_DataPath[DATAPATH_SYSTEM], nSize);
    m_nBytes += nSize;
  }
  ~ProjectFolder() {
    std::filesystem::current_path(m_Previous);
    std::filesystem::remove_all(m_Root);
    ResetDatabaseGlobals();
    ResetSystemRecord();
  }

  const std::vector<std::string>& Paths() const { return m_Paths; }
  size_t Bytes() const { return m_nBytes; }

 private:
  std::filesystem::path m_Root, m_Previous;
  std::vector<std::string> m_Paths;
  size_t m_nBytes = 0;
};

// As at start-up: every table holds its default rows before the load.
void LoadProject(benchmark::State& state, const ProjectFolder& folder) {
  for (auto _ : state) {
    state.PauseTiming();
    ResetDatabaseGlobals();
    state.ResumeTiming();
    if (!g_Database.LoadAll()) state.SkipWithError("the database did not load");
    if (!g_System.LoadFromFile(g_DataPath[DATAPATH_SYSTEM]))
      state.SkipWithError("the System record did not load");
    benchmark::DoNotOptimize(g_Database.m_Anime.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.Bytes()));
}

// The peer: open, one fread of the whole file, close, for the same files.
void ReadProjectBytes(benchmark::State& state, const ProjectFolder& folder) {
  std::string buffer;
  std::vector<std::string> native;
  for (const std::string& strPath : folder.Paths()) native.push_back(MapPath(strPath));
  for (auto _ : state) {
    for (const std::string& strPath : native) {
      FILE* fp = std::fopen(strPath.c_str(), "rb");
      if (fp == nullptr) std::abort();
      std::fseek(fp, 0, SEEK_END);
      buffer.resize(static_cast<size_t>(std::ftell(fp)));
      std::fseek(fp, 0, SEEK_SET);
      if (std::fread(buffer.data(), 1, buffer.size(), fp) != buffer.size()) std::abort();
      std::fclose(fp);
      benchmark::DoNotOptimize(buffer.data());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.Bytes()));
}

// A project of 50 rows per table.
void BM_LoadProject(benchmark::State& state) { LoadProject(state, ProjectFolder(50, -1, 0)); }
void BM_ReadProjectFiles(benchmark::State& state) {
  ReadProjectBytes(state, ProjectFolder(50, -1, 0));
}
BENCHMARK(BM_LoadProject);
BENCHMARK(BM_ReadProjectFiles);

// The same with one table of 10,000 rows: argument 1 the Anime table (three
// frames a row), 5 the CharaEffect table (flat rows).
void BM_LoadLargeTable(benchmark::State& state) {
  LoadProject(state, ProjectFolder(2, static_cast<int>(state.range(0)), 10000));
}
void BM_ReadLargeTableFiles(benchmark::State& state) {
  ReadProjectBytes(state, ProjectFolder(2, static_cast<int>(state.range(0)), 10000));
}
BENCHMARK(BM_LoadLargeTable)->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadLargeTableFiles)->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);

// What the rows cost before any byte is parsed: 10,000 CharaEffect rows made
// and registered against their shared layout (freeing them is not timed, as
// in BM_LoadLargeTable). The floor of BM_LoadLargeTable/5.
void BM_RegisterRowsOnly(benchmark::State& state) {
  cCheckedVector<cCharaEffectDef> rows;
  for (auto _ : state) {
    state.PauseTiming();
    rows = cCheckedVector<cCharaEffectDef>();
    state.ResumeTiming();
    for (int i = 0; i < 10000; ++i) rows.emplace_back().RegisterFields(DATA_VERSION);
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_RegisterRowsOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
