#pragma once
// Helpers of the stage data tests: records to bytes and back at a chosen data
// version, stage files in a test game folder; with them the guard of the
// stage data's globals.

#include <string>

#include "flow/flow.h"
#include "records/record.h"
#include "stagedata/stage.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"
#include "stagedata/stage_refs.h"
#include "testing/stage_guard.h"

// The record as a writer of data version nVersion writes it (no version word).
template <class R>
std::string RecordBytes(R& record, const cStageRefs& refs, int nVersion = DATA_VERSION) {
  cStageRefsScope scope(refs);
  g_nDataVersion = nVersion;
  cRecordWriter writer;
  record.Save(writer);
  g_nDataVersion = DATA_VERSION;
  return writer.Data();
}

// Loads the record from bytes written at nVersion; true when every byte was
// read without a fault.
template <class R>
bool LoadRecordBytes(R& record, const std::string& bytes, int nVersion, const cStageRefs& refs) {
  cStageRefsScope scope(refs);
  g_nFileVersion = nVersion;
  cRecordReader reader(bytes, "test");
  record.Load(reader);
  const bool bOk = !reader.Failed() && reader.AtEnd();
  g_nFileVersion = DATA_VERSION;
  return bOk;
}

// A stage file as the writer of version nVersion wrote it: the version word,
// the stage and, from version 173, the end marker.
inline std::string StageFileBytes(cEdStage& stage, const cStageRefs& refs,
                                  int nVersion = DATA_VERSION) {
  std::string bytes(4, '\0');
  const int32_t nWord = nVersion;
  bytes.replace(0, 4, reinterpret_cast<const char*>(&nWord), 4);
  bytes += RecordBytes(stage, refs, nVersion);
  if (nVersion <= 172) bytes.resize(bytes.size() - 4);
  return bytes;
}

inline void PutI32(std::string& bytes, size_t nOffset, int32_t nValue) {
  bytes.replace(nOffset, 4, reinterpret_cast<const char*>(&nValue), 4);
}
