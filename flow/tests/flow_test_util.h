#pragma once
// Helpers of the flow record tests: save a record to bytes, load one from
// bytes as a file of a given data version.

#include <string>

#include "flow/flow.h"
#include "records/record.h"
#include "testing/flow_guard.h"

template <class R>
std::string SaveToBytes(R& record) {
  cRecordWriter writer;
  record.Save(writer);
  return writer.Data();
}

// Loads as a record written at nVersion; true when the reader did not fail
// and every byte was used.
template <class R>
bool LoadFromBytes(R& record, const std::string& bytes, int nVersion) {
  g_nFileVersion = nVersion;
  cRecordReader reader(bytes, "test");
  record.Load(reader);
  const bool bOk = !reader.Failed() && reader.AtEnd();
  g_nFileVersion = DATA_VERSION;
  return bOk;
}
