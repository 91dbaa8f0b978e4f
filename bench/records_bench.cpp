// The record framework beside the cost of just getting the bytes: the System
// record loaded from its file against one fread of the same file, and a large
// vector of records parsed from memory against one memcpy of the same bytes
// and loaded from its file against one fread of that file.
// Further record benchmarks go in this file under their own heading.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/base/file_system.h"
#include "records/data_path.h"
#include "records/record.h"
#include "records/system.h"

namespace {

// A temporary game folder holding "data\System.dat" with the defaults of a
// new project and a title.
class SystemFolder {
 public:
  SystemFolder() {
    namespace fs = std::filesystem;
    m_Previous = fs::current_path();
    std::string strTemplate = (fs::temp_directory_path() / "player-bench-records-XXXXXX").string();
    if (::mkdtemp(strTemplate.data()) == nullptr) std::abort();
    m_Root = strTemplate;
    fs::current_path(m_Root);
    fs::create_directories("data");
    cSystem s;
    s.m_strTitle = "ベンチマーク";
    if (!s.SaveToFile(g_DataPath[DATAPATH_SYSTEM])) std::abort();
    cFileBytes bytes;
    ReadWholeFile(g_DataPath[DATAPATH_SYSTEM], bytes);
    m_strBytes = bytes.View();
  }
  ~SystemFolder() {
    std::filesystem::current_path(m_Previous);
    std::filesystem::remove_all(m_Root);
  }
  const std::string& Bytes() const { return m_strBytes; }

 private:
  std::filesystem::path m_Root, m_Previous;
  std::string m_strBytes;
};

// ---- System record ---------------------------------------------------------

void BM_SystemLoadFromFile(benchmark::State& state) {
  SystemFolder folder;
  cSystem s;
  for (auto _ : state) {
    bool bOk = s.LoadFromFile(g_DataPath[DATAPATH_SYSTEM]);
    benchmark::DoNotOptimize(bOk);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.Bytes().size()));
}
BENCHMARK(BM_SystemLoadFromFile);

// Peer: open the same file through the same path mapping, one fread, close.
void BM_SystemFileFread(benchmark::State& state) {
  SystemFolder folder;
  std::vector<char> buffer(folder.Bytes().size());
  for (auto _ : state) {
    FILE* fp = OpenFile(g_DataPath[DATAPATH_SYSTEM], "rb");
    size_t n = std::fread(buffer.data(), 1, buffer.size(), fp);
    std::fclose(fp);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.Bytes().size()));
}
BENCHMARK(BM_SystemFileFread);

// The parse alone, from bytes already in memory (each reader takes a copy).
void BM_SystemParseFromMemory(benchmark::State& state) {
  SystemFolder folder;
  cSystem s;
  for (auto _ : state) {
    cRecordReader reader(folder.Bytes(), "System.dat");
    reader.Skip(4);
    s.Load(reader);
    benchmark::DoNotOptimize(reader.Failed());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.Bytes().size()));
}
BENCHMARK(BM_SystemParseFromMemory);

// ---- A large vector of records ---------------------------------------------

// A row as the database tables have them: a few ints, a short, bytes, a
// double and two strings.
class cBenchRow : public cRecord {
 public:
  cBenchRow() { RegisterFields(DATA_VERSION); }
  void RegisterFields(int) override {
    ClearFieldLists();
    AddField(&m_nA);
    AddField(m_anB, 4);
    AddField(&m_nC);
    AddField(m_abD, 8);
    AddField(&m_dE);
    AddString(&m_strName);
    AddString(&m_strFile);
  }
  int32_t m_nA = 0;
  int32_t m_anB[4] = {};
  int16_t m_nC = 0;
  uint8_t m_abD[8] = {};
  double m_dE = 0;
  std::string m_strName;
  std::string m_strFile;
};

std::string MakeRowBytes(int nRows) {
  std::vector<cBenchRow> rows(static_cast<size_t>(nRows));
  for (int i = 0; i < nRows; ++i) {
    rows[static_cast<size_t>(i)].m_nA = i;
    rows[static_cast<size_t>(i)].m_strName = "行" + std::to_string(i);
    rows[static_cast<size_t>(i)].m_strFile = "bmp\\chara\\c" + std::to_string(i) + ".bmp";
  }
  cRecordWriter writer;
  SaveRecordVector(rows, writer);
  return writer.Data();
}

void BM_RecordVectorParse(benchmark::State& state) {
  const std::string strBytes = MakeRowBytes(static_cast<int>(state.range(0)));
  std::vector<cBenchRow> rows;
  for (auto _ : state) {
    cRecordReader reader(strBytes);
    ReadRecordVector(rows, reader);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * strBytes.size()));
}
BENCHMARK(BM_RecordVectorParse)->Arg(10000);

// Peer: one memcpy of the same bytes.
void BM_RecordVectorMemcpy(benchmark::State& state) {
  const std::string strBytes = MakeRowBytes(static_cast<int>(state.range(0)));
  std::vector<char> buffer(strBytes.size());
  for (auto _ : state) {
    std::memcpy(buffer.data(), strBytes.data(), strBytes.size());
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * strBytes.size()));
}
BENCHMARK(BM_RecordVectorMemcpy)->Arg(10000);

// The same rows as a record file (version word, then the vector), loaded the
// way the program loads files, beside one fread of that file.
class RowFileFolder {
 public:
  explicit RowFileFolder(int nRows) {
    namespace fs = std::filesystem;
    m_Previous = fs::current_path();
    std::string strTemplate = (fs::temp_directory_path() / "player-bench-rows-XXXXXX").string();
    if (::mkdtemp(strTemplate.data()) == nullptr) std::abort();
    m_Root = strTemplate;
    fs::current_path(m_Root);
    fs::create_directories("data");
    std::string strFile(4, '\0');
    std::memcpy(strFile.data(), &g_nDataVersion, 4);
    strFile += MakeRowBytes(nRows);
    if (!WriteFileAtomically(kPath, strFile)) std::abort();
    m_nBytes = strFile.size();
  }
  ~RowFileFolder() {
    std::filesystem::current_path(m_Previous);
    std::filesystem::remove_all(m_Root);
  }
  static constexpr const char* kPath = "data\\rows.dat";
  size_t Bytes() const { return m_nBytes; }

 private:
  std::filesystem::path m_Root, m_Previous;
  size_t m_nBytes = 0;
};

void BM_RecordVectorLoadFromFile(benchmark::State& state) {
  RowFileFolder folder(static_cast<int>(state.range(0)));
  std::vector<cBenchRow> rows;
  for (auto _ : state) {
    std::unique_ptr<cRecordReader> pFile = OpenLoadFile(RowFileFolder::kPath);
    ReadRecordVector(rows, *pFile);
    if (pFile->Failed()) state.SkipWithError("the rows did not load");
    CloseFile(pFile);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.Bytes()));
}
BENCHMARK(BM_RecordVectorLoadFromFile)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Peer: open the same file through the same path mapping, one fread, close.
void BM_RecordVectorFileFread(benchmark::State& state) {
  RowFileFolder folder(static_cast<int>(state.range(0)));
  std::vector<char> buffer(folder.Bytes());
  for (auto _ : state) {
    FILE* fp = OpenFile(RowFileFolder::kPath, "rb");
    size_t n = std::fread(buffer.data(), 1, buffer.size(), fp);
    std::fclose(fp);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.Bytes()));
}
BENCHMARK(BM_RecordVectorFileFread)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_RecordVectorSave(benchmark::State& state) {
  const std::string strBytes = MakeRowBytes(static_cast<int>(state.range(0)));
  std::vector<cBenchRow> rows;
  cRecordReader reader(strBytes);
  ReadRecordVector(rows, reader);
  for (auto _ : state) {
    cRecordWriter writer;
    SaveRecordVector(rows, writer);
    benchmark::DoNotOptimize(writer.Data().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * strBytes.size()));
}
BENCHMARK(BM_RecordVectorSave)->Arg(10000);

}  // namespace
