#pragma once
// The project's database: ten tables of rows that stages, characters, items,
// flows and the System record name by row number, one file each under
// "data\database\", plus the two working copies of the effect tables that the
// reversed effect time lines are built from.
//
// Row 0 of every table is the "none" row: no animation, no effect (kind 0),
// no sound, music off. Every table holds at least that row once loaded.
//
// The player only reads the tables. Start-up calls LoadAll once and, when it
// succeeds, BuildDatabaseTables; afterwards nothing changes them.

#include "app/base/checked_containers.h"
#include "records/anime_db.h"
#include "records/effect_db.h"
#include "records/effect_steps.h"
#include "records/record.h"
#include "records/resource_db.h"

class cDatabase : public cRecord {
 public:
  cDatabase();

  void RegisterFields(int /*nVersion*/) override { RegisterNothing(); }

  // Every table to its default rows; the working copies are left alone.
  void SetDefaults();

  // Loads the ten table files in order. On the first file that cannot be
  // opened or is damaged, "<path> のロードに失敗！" is shown and logged and 0
  // returned (earlier tables keep what was loaded, later ones their defaults).
  // A table file without rows gets its default row 0. Then row 0 of the two
  // effect tables is set to kind 0 and 1 is returned.
  int LoadAll();

  void ResetEffectEntryZero();

  // The working copies become row-by-row copies of the CharaEffect and
  // ScrEffect tables.
  void MakeEffectWorkingCopies();

  cCheckedVector<cAnimeSetDef> m_AnimeSet;
  cCheckedVector<cAnimeDef> m_Anime;
  cCheckedVector<cBmpCharaExcDef> m_BmpCharaExc;
  cCheckedVector<cSwordTypeDef> m_SwordType;
  cCheckedVector<cEffectAnimDef> m_Effect;
  cCheckedVector<cCharaEffectDef> m_CharaEffect;
  cCheckedVector<cScrEffectDef> m_ScrEffect;
  cCheckedVector<cPictureDef> m_Picture;
  cCheckedVector<cSoundDef> m_Sound;
  cCheckedVector<cBgmDef> m_Bgm;
  // Copies of CharaEffect and ScrEffect whose start and end parameters the
  // reversed time lines exchange (see InitCharaEffectSteps).
  cCheckedVector<cCharaEffectDef> m_CharaEffectWork;
  cCheckedVector<cScrEffectDef> m_ScrEffectWork;
};

extern cDatabase g_Database;

// The run-time tables built from the loaded database, in this order: the
// effect working copies, g_AnimePatterns, g_EffectPatterns, then the normal
// and reversed step lists of character and screen effects.
void BuildDatabaseTables();

// Puts the database and every table built from it back to the state of a
// fresh start (tests).
void ResetDatabaseGlobals();
