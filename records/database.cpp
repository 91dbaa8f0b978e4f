#include "records/database.h"

#include <memory>
#include <string>

#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "records/data_path.h"

// The database and everything built from it live here, so that one reset
// puts all of it back (ResetDatabaseGlobals).
cDatabase g_Database;
cCheckedVector<ANIMEPATTERN> g_AnimePatterns;
cCheckedVector<ANIMEPATTERN> g_EffectPatterns;
EFFECTSTEPSLIST g_CharaEffectSteps;
EFFECTSTEPSLIST g_CharaEffectStepsRev;
EFFECTSTEPSLIST g_ScrEffectSteps;
EFFECTSTEPSLIST g_ScrEffectStepsRev;

namespace {

// Indexes of the table files in the data-path table; each is followed by the
// same file under "default\".
enum {
  PATH_ANIMESET = DATAPATH_DATABASE_FIRST,
  PATH_ANIME = PATH_ANIMESET + 2,
  PATH_BMP_CHARAEXC = PATH_ANIME + 2,
  PATH_SWORDTYPE = PATH_BMP_CHARAEXC + 2,
  PATH_EFFECT = PATH_SWORDTYPE + 2,
  PATH_CHARAEFFECT = PATH_EFFECT + 2,
  PATH_SCREFFECT = PATH_CHARAEFFECT + 2,
  PATH_PICTURE = PATH_SCREFFECT + 2,
  PATH_SOUND = PATH_PICTURE + 2,
  PATH_BGM = PATH_SOUND + 2,
};

// A row takes at least its field and string count words in the file.
constexpr size_t kMinRowBytes = 8;

// Reads a table: u32 row count, then the rows. Rows that exist stay and are
// loaded over, so fields an older file lacks keep their previous values; rows
// added by the count start as the default row. False when the file is damaged
// (the reader has logged why).
//
// Rows are added one at a time as they are read, so that memory follows the
// bytes actually parsed: a default row (an animation set with its four slots)
// is far larger in memory than the few bytes a row may take in the file.
template <class Row>
bool LoadTableRows(cCheckedVector<Row>& table, cRecordReader& file) {
  cListReader rows(file, kMinRowBytes, "row count");
  if (file.Failed()) return false;
  if (table.size() > rows.Count()) table.resize(rows.Count());
  ReserveForRecords(table, rows.Count());
  while (rows.Next()) {
    if (rows.Index() == table.size()) EmplaceForLoad(table);
    table[rows.Index()].Load(file);  // also removes carriage returns when g_bStripCR is set
  }
  return !file.Failed();
}

// Opens and loads one table file. A file without rows keeps the program's
// assumption that row 0 exists: it gets the default row.
template <class Row>
bool LoadDatabaseFile(cCheckedVector<Row>& table, const std::string& strPath) {
  std::unique_ptr<cRecordReader> pFile = OpenLoadFile(strPath.c_str());
  const bool bLoaded = pFile != nullptr && LoadTableRows(table, *pFile);
  CloseFile(pFile);
  if (!bLoaded) {
    ReportLog("%s のロードに失敗！", strPath.c_str());
    ErrorBoxf("%s のロードに失敗！", strPath.c_str());
    return false;
  }
  if (table.empty()) {
    ReportLog("%s : the table has no rows; row 0 takes its default values", strPath.c_str());
    table.emplace_back();
  }
  return true;
}

// Brings a working copy to the table's length with default rows, then
// assigns every row.
template <class Row>
void CopyEffectTable(cCheckedVector<Row>& copy, const cCheckedVector<Row>& table) {
  copy.resize(table.size(), Row());
  for (size_t i = 0; i < table.size(); ++i) copy[i] = table[i];
}

}  // namespace

cDatabase::cDatabase() { SetDefaults(); }

void cDatabase::SetDefaults() {
  m_AnimeSet.assign(1, cAnimeSetDef());

  cAnimeDef anime;
  anime.SetDefaults();
  m_Anime.assign(2, anime);
  m_Anime[0].m_strName = "なし";
  m_Anime[1].m_strName = "アクションA";

  m_BmpCharaExc.assign(2, cBmpCharaExcDef());
  m_SwordType.assign(1, cSwordTypeDef());
  m_Effect.assign(2, cEffectAnimDef());
  m_CharaEffect.assign(2, cCharaEffectDef());
  m_ScrEffect.assign(2, cScrEffectDef());
  m_Picture.assign(2, cPictureDef());
  m_Sound.assign(2, cSoundDef());
  m_Bgm.assign(2, cBgmDef());
}

int cDatabase::LoadAll() {
  const bool bLoaded = LoadDatabaseFile(m_AnimeSet, g_DataPath[PATH_ANIMESET]) &&
                       LoadDatabaseFile(m_Anime, g_DataPath[PATH_ANIME]) &&
                       LoadDatabaseFile(m_BmpCharaExc, g_DataPath[PATH_BMP_CHARAEXC]) &&
                       LoadDatabaseFile(m_SwordType, g_DataPath[PATH_SWORDTYPE]) &&
                       LoadDatabaseFile(m_Effect, g_DataPath[PATH_EFFECT]) &&
                       LoadDatabaseFile(m_CharaEffect, g_DataPath[PATH_CHARAEFFECT]) &&
                       LoadDatabaseFile(m_ScrEffect, g_DataPath[PATH_SCREFFECT]) &&
                       LoadDatabaseFile(m_Picture, g_DataPath[PATH_PICTURE]) &&
                       LoadDatabaseFile(m_Sound, g_DataPath[PATH_SOUND]) &&
                       LoadDatabaseFile(m_Bgm, g_DataPath[PATH_BGM]);
  if (!bLoaded) return 0;
  ResetEffectEntryZero();
  return 1;
}

void cDatabase::ResetEffectEntryZero() {
  m_CharaEffect.At(0).m_nKind = 0;
  m_ScrEffect.At(0).m_nKind = 0;
}

void cDatabase::MakeEffectWorkingCopies() {
  CopyEffectTable(m_CharaEffectWork, m_CharaEffect);
  CopyEffectTable(m_ScrEffectWork, m_ScrEffect);
}

void BuildDatabaseTables() {
  g_Database.MakeEffectWorkingCopies();
  BuildAnimePatterns(g_AnimePatterns);
  BuildEffectPatterns(g_EffectPatterns);
  BuildCharaEffectStates(g_CharaEffectSteps, g_CharaEffectStepsRev);
  BuildScrEffectStates(g_ScrEffectSteps, g_ScrEffectStepsRev);
}

void ResetDatabaseGlobals() {
  // Made afresh rather than cleared, so that no list keeps the capacity an
  // earlier load gave it.
  std::destroy_at(&g_Database);
  std::construct_at(&g_Database);
  g_AnimePatterns = {};
  g_EffectPatterns = {};
  g_CharaEffectSteps = {};
  g_CharaEffectStepsRev = {};
  g_ScrEffectSteps = {};
  g_ScrEffectStepsRev = {};
}
