#include "stagedata/stage_globals.h"

#include <algorithm>
#include <climits>

#include "records/database.h"
#include "stagedata/palettes.h"

cEdStage g_Stage;
cEdStage g_StageStart;
cCommonPalette g_CommonPalette;

ValidationContext MakeTableCounts(const cDatabase& database) {
  ValidationContext tables;
  tables.nAnimeRows = static_cast<int>(database.m_Anime.size());
  tables.nAnimeSetRows = static_cast<int>(database.m_AnimeSet.size());
  tables.nEffectRows = static_cast<int>(database.m_Effect.size());
  tables.nCharaEffectRows = static_cast<int>(database.m_CharaEffect.size());
  tables.nScrEffectRows = static_cast<int>(database.m_ScrEffect.size());
  tables.nPictureRows = static_cast<int>(database.m_Picture.size());
  tables.nSoundRows = static_cast<int>(database.m_Sound.size());
  tables.nBgmRows = static_cast<int>(database.m_Bgm.size());
  tables.vSwordTimes.reserve(database.m_SwordType.size());
  for (const cSwordTypeDef& sword : database.m_SwordType) {
    int64_t nSum = 0;
    for (const cSwordFrame& frame : sword.m_Frames) nSum += frame.m_nDuration;
    tables.vSwordTimes.push_back(static_cast<int32_t>(std::clamp<int64_t>(nSum, INT32_MIN, INT32_MAX)));
  }
  return tables;
}

cStageRefs MakeProjectRefs() {
  return cStageRefs(MakeTableCounts(g_Database), static_cast<int>(g_Database.m_BmpCharaExc.size()),
                    &g_CommonPalette, &g_Stage);
}

const cEdItem* GetItemDef(int nSource, int nIndex) {
  return GetItemDef(cStageRefs(ValidationContext{}, 0, &g_CommonPalette, &g_Stage), nSource, nIndex);
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
}
