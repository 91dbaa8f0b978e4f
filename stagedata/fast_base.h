#pragma once
// Reading the base part of a record without registering the record itself.
//
// The definitions of a stage are read by the ten thousand; registering each
// one (two descriptor lists per object) costs more than reading it. The
// layout of a class at a data version is the same for every object, so it is
// taken once from a registered prototype, as offsets from the record, and
// each object's fields are copied straight to those offsets. The result is
// what cRecord::Load gives: the same bytes, the same checks and failures;
// the object's descriptor lists stay empty until something registers it.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "records/record.h"

struct cBaseLayout {
  struct Field {
    int32_t nOffset;  // from the cRecord base; -1 for a retired field
    uint32_t nBytes;
  };
  // The fields again, grouped by size for a copy without branches when the
  // file holds every field: (offset in the object, offset in the file).
  struct Copy {
    int32_t nObject;
    int32_t nFile;
  };
  int nVersion = -1;
  std::vector<Field> vFields;
  std::vector<int32_t> vStrings;  // offsets of the std::string members; -1 retired
  size_t nTotalBytes = 0;
  std::vector<Copy> vCopy1, vCopy2, vCopy4, vCopy8;
  std::vector<Field> vOther;  // arrays: nOffset in the object, file offset in vOtherFile
  std::vector<int32_t> vOtherFile;
};

// Builds the layout of prototype's class at nVersion (registers prototype).
void BuildBaseLayout(cBaseLayout& layout, cRecord& prototype, int nVersion);

// Reads the base part of record with layout (built for g_nFileVersion).
void LoadBaseWithLayout(cRecord& record, const cBaseLayout& layout, cRecordReader& file);

// cRecord::Load for a record of class T, without registering it.
template <class T>
void LoadBasePart(T& record, cRecordReader& file) {
  thread_local cBaseLayout t_layout;
  if (t_layout.nVersion != g_nFileVersion) {
    T prototype;
    BuildBaseLayout(t_layout, prototype, g_nFileVersion);
  }
  LoadBaseWithLayout(record, t_layout, file);
}
