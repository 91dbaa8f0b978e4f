#include "stagedata/stage_globals.h"

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
  g_Stage.SetDefaults();
  g_Stage.m_strLoadPath.clear();
  g_Stage.m_bVersioned = 0;
  g_Stage.m_bLoadOk = 0;
  g_StageStart.SetDefaults();
  g_StageStart.m_strLoadPath.clear();
  g_CommonPalette.m_vBlock.assign(1, cEdBlock());
  g_CommonPalette.m_vChara.assign(1, cEdChara());
  g_CommonPalette.m_vItem.assign(1, cEdItem());
  g_MapCells.clear();
}
