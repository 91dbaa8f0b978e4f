#include "stagedata/stage_globals.h"

#include <memory>

#include "flow/validation.h"
#include "records/database.h"
#include "stagedata/palettes.h"

cEdStage g_Stage;
cEdStage g_StageStart;
cCommonPalette g_CommonPalette;
cCheckedVector<cMapCell> g_MapCells;

cStageRefs MakeProjectRefs() {
  return cStageRefs(MakeDatabaseContext(g_Database),
                    static_cast<int>(g_Database.m_BmpCharaExc.size()), &g_CommonPalette, &g_Stage);
}

const cEdItem* GetItemDef(int nSource, int nIndex) {
  return GetItemDef(cStageRefs(ValidationContext{}, 0, &g_CommonPalette, &g_Stage), nSource,
                    nIndex);
}

int LoadCommonPalette(const char* pszPath) {
  const cStageRefs refs = MakeProjectRefs();
  cStageRefsScope scope(refs);
  return g_CommonPalette.LoadFromFile(pszPath) ? 1 : 0;
}

void ResetStageGlobals() {
  // Made afresh rather than cleared, so that no list keeps the capacity an
  // earlier stage gave it (a reset stage is then exactly a new one).
  std::destroy_at(&g_Stage);
  std::construct_at(&g_Stage);
  std::destroy_at(&g_StageStart);
  std::construct_at(&g_StageStart);
  std::destroy_at(&g_CommonPalette);
  std::construct_at(&g_CommonPalette);
  g_MapCells = cCheckedVector<cMapCell>();
}
