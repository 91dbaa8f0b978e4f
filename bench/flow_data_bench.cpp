// Reading and copying a character's flow list, beside a memcpy of the same
// bytes: the list is read from memory field group by field group, so the
// figure of interest is how far above a plain copy it stays.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "flow/command_table.h"
#include "flow/flow.h"

namespace {

// A busy character: 40 flows, each with two conditions, a key condition and
// six commands (a movement, a shot, a message and parameter commands).
std::vector<cFlow> MakeFlowList() {
  std::vector<cFlow> flows(40);
  for (cFlow& flow : flows) {
    flow.m_Conditions.resize(2);
    flow.m_KeyConditions.resize(1);
    for (int nType : {CMD_MOVE_STRAIGHT, CMD_SHOT, CMD_MESSAGE, CMD_STATUS, CMD_JUMP, CMD_WAIT}) {
      cFlowCommand cmd;
      cmd.m_cType = static_cast<int8_t>(nType);
      cmd.NormalizeParams();
      if (nType == CMD_MOVE_STRAIGHT) CreateMove(cmd.m_pMove);
      if (nType == CMD_SHOT) CreateShot(cmd.m_pShot);
      if (nType == CMD_MESSAGE) cmd.m_strText = "メッセージの本文です。";
      flow.m_Commands.push_back(cmd);
    }
  }
  return flows;
}

std::string SaveList(std::vector<cFlow>& flows) {
  cRecordWriter writer;
  SaveRecordVector(flows, writer);
  return writer.Data();
}

void BM_LoadFlowList(benchmark::State& state) {
  std::vector<cFlow> source = MakeFlowList();
  const std::string bytes = SaveList(source);
  for (auto _ : state) {
    cRecordReader reader(bytes, "bench");
    std::vector<cFlow> flows;
    LoadFlowVector(flows, reader);
    benchmark::DoNotOptimize(flows.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadFlowList);

void BM_CopyFlowList(benchmark::State& state) {
  const std::vector<cFlow> source = MakeFlowList();
  for (auto _ : state) {
    std::vector<cFlow> fresh(source);
    benchmark::DoNotOptimize(fresh.data());
  }
}
BENCHMARK(BM_CopyFlowList);

void BM_MemcpyFlowListBytes(benchmark::State& state) {
  std::vector<cFlow> source = MakeFlowList();
  const std::string bytes = SaveList(source);
  for (auto _ : state) {
    // Includes the allocation, as the reader's copy of the file does.
    std::string copy(bytes.size(), '\0');
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_MemcpyFlowListBytes);

}  // namespace
