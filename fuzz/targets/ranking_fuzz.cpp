// A stage's ranking file, "user_data\free\c01.rkg", read as the play scene
// and the previews read it, then used as the play scene uses it: a result
// placed and inserted in every genre and the table saved. A table that read
// must read back the same after it was saved.

#include <cstdlib>

#include "app/core/ranking.h"
#include "fuzz/fuzz_support.h"
#include "records/record.h"

namespace {

constexpr const char* kStageKey = "data\\stg4\\c01.";

bool SameTable(const cRankTable& a, const cRankTable& b) {
  if (a.m_Lists.size() != b.m_Lists.size()) return false;
  for (size_t l = 0; l < a.m_Lists.size(); ++l) {
    const cRankList& la = a.m_Lists[l];
    const cRankList& lb = b.m_Lists[l];
    if (la.m_bHighFirst != lb.m_bHighFirst || la.m_Entries.size() != lb.m_Entries.size())
      return false;
    for (size_t i = 0; i < la.m_Entries.size(); ++i) {
      const cRankEntry& ea = la.m_Entries[i];
      const cRankEntry& eb = lb.m_Entries[i];
      if (ea.m_bUsed != eb.m_bUsed || ea.m_nScore != eb.m_nScore || ea.m_strName != eb.m_strName)
        return false;
    }
  }
  return true;
}

}  // namespace

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  const std::string strPath = MakeRankingPath(2, kStageKey);
  WriteFuzzInput(strPath, lpData, nSize);
  cRankTable table;
  if (LoadRanking(table, 2, kStageKey)) {
    for (int g = 0; g < kRankGenreCount; ++g) {
      cRankList& list = table.m_Lists.At(g);
      if (list.FindInsertPos(1000) != -1) list.Insert("abc", 1000);
    }
    if (!SaveRanking(table, 2, kStageKey)) std::abort();
    cRankTable reread;
    if (!LoadRanking(reread, 2, kStageKey) || !SameTable(table, reread)) std::abort();
  }
  ResetRecordGlobals();
}
