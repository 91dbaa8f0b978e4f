#pragma once
// Writes database table files the way the editor does (version word, row
// count, rows), for tests and benchmarks. The player itself never writes them.

#include <cstdint>
#include <string>

#include "records/database.h"
#include "records/record.h"

// The bytes of a table file at g_nDataVersion.
template <class Table>
std::string TableFileBytes(Table& table) {
  cRecordWriter writer;
  writer.WriteI32(g_nDataVersion);
  writer.WriteU32(static_cast<uint32_t>(table.size()));
  for (auto& row : table) row.Save(writer);
  return writer.Data();
}

// Stored paths of the ten table files, in load order.
inline const char* const kTablePaths[10] = {
    "data\\database\\AnimeSet.dat",     "data\\database\\Anime.dat",
    "data\\database\\Bmp_CharaExc.dat", "data\\database\\SwordType.dat",
    "data\\database\\Effect.dat",       "data\\database\\CharaEffect.dat",
    "data\\database\\ScrEffect.dat",    "data\\database\\Picture.dat",
    "data\\database\\Sound.dat",        "data\\database\\Bgm.dat",
};

// The ten table files of a database, in load order.
inline void TableFilesOf(cDatabase& db, std::string (&files)[10]) {
  files[0] = TableFileBytes(db.m_AnimeSet);
  files[1] = TableFileBytes(db.m_Anime);
  files[2] = TableFileBytes(db.m_BmpCharaExc);
  files[3] = TableFileBytes(db.m_SwordType);
  files[4] = TableFileBytes(db.m_Effect);
  files[5] = TableFileBytes(db.m_CharaEffect);
  files[6] = TableFileBytes(db.m_ScrEffect);
  files[7] = TableFileBytes(db.m_Picture);
  files[8] = TableFileBytes(db.m_Sound);
  files[9] = TableFileBytes(db.m_Bgm);
}

// A database with every field away from its default, nRows rows per table
// (at least 2), so that a load that drops or shifts a field shows.
inline void FillSampleDatabase(cDatabase& db, int nRows) {
  auto name = [](const char* pszKind, int i) {
    return std::string(pszKind) + "行" + std::to_string(i);
  };
  db.m_AnimeSet.resize(nRows);
  db.m_Anime.resize(nRows);
  db.m_BmpCharaExc.resize(nRows);
  db.m_SwordType.resize(nRows);
  db.m_Effect.resize(nRows);
  db.m_CharaEffect.resize(nRows);
  db.m_ScrEffect.resize(nRows);
  db.m_Picture.resize(nRows);
  db.m_Sound.resize(nRows);
  db.m_Bgm.resize(nRows);
  for (int i = 0; i < nRows; ++i) {
    cAnimeSetDef& set = db.m_AnimeSet[i];
    set.m_strName = name("セット", i);
    set.m_nInvincibleOffset = 10 + i;
    set.m_nBlockOffset = 20 + i;
    set.m_nFlyingOffset = 30 + i;
    for (cAnimeDef& slot : set.m_Slots) {
      slot.m_sStored1 = -3;
      slot.m_byStored2 = 200;
      slot.m_sStored3 = 7;
      slot.m_Frames.resize(2);
      slot.m_Frames[1] = cAnimeFrame();
      slot.m_Frames[1].m_nCell = i;
      slot.m_Frames[1].m_bHold = 1;
    }
    cAnimeDef& anime = db.m_Anime[i];
    anime.m_strName = name("アニメ", i);
    anime.m_sStored1 = static_cast<int16_t>(i);
    anime.m_byStored2 = 9;
    anime.m_sStored3 = -1;
    anime.m_Frames.resize(3);
    for (int k = 0; k < 3; ++k) {
      anime.m_Frames[k].m_nCell = i + k;
      anime.m_Frames[k].m_nDuration = k + 2;
      anime.m_Frames[k].m_bHold = k == 1;
    }
    cBmpCharaExcDef& bmp = db.m_BmpCharaExc[i];
    bmp.m_strName = name("画像", i);
    bmp.m_nStored = 5;
    bmp.m_strBitmap = "bmp\\chara" + std::to_string(i) + ".bmp";
    bmp.m_bOwnSize = 1;
    bmp.m_nSize = 3;
    cSwordTypeDef& sword = db.m_SwordType[i];
    sword.m_strName = name("剣", i);
    sword.m_nStored = 6;
    sword.m_strBitmap1 = "bmp\\sword_l.bmp";
    sword.m_strBitmap2 = "bmp\\sword_r.bmp";
    sword.m_Frames.resize(2);
    for (int k = 0; k < 2; ++k) {
      cSwordFrame& f = sword.m_Frames[k];
      f.m_nOffsetX = -4 - k;
      f.m_nOffsetY = 3;
      f.m_bMirrorX = 0;
      f.m_bMirrorY = 1;
      f.m_nAnchor = 2;
      f.m_nSrcX = 32 * k;
      f.m_nSrcY = 16;
      f.m_nWidth = 40;
      f.m_nHeight = 12;
      f.m_nDuration = 2;
    }
    cEffectAnimDef& effect = db.m_Effect[i];
    effect.m_strName = name("効果", i);
    effect.m_nStored = 8;
    effect.m_strBitmap = "bmp\\effect.bmp";
    effect.m_nCellWidth = 48;
    effect.m_nCellHeight = 24;
    effect.m_bScale = 1;
    effect.m_Frames.resize(2);
    effect.m_Frames[1].m_nCell = 4;
    effect.m_Frames[1].m_nDuration = 3;
    cCharaEffectDef& chara = db.m_CharaEffect[i];
    chara.m_strName = name("キャラ", i);
    chara.m_nKind = 1 + i % 16;
    for (int k = 0; k < kEffectParams; ++k) chara.m_anParam[k] = 10 * k + i + 1;
    cScrEffectDef& scr = db.m_ScrEffect[i];
    scr.m_strName = name("画面", i);
    scr.m_nKind = 1 + i % 13;
    for (int k = 0; k < kEffectParams; ++k) scr.m_anParam[k] = -10 * k + i + 1;
    db.m_Picture[i].m_strName = name("絵", i);
    db.m_Picture[i].m_nStored = 11;
    db.m_Picture[i].m_strFile = "pic\\p.bmp";
    db.m_Sound[i].m_strName = name("音", i);
    db.m_Sound[i].m_nStored = 12;
    db.m_Sound[i].m_strFile = "se\\s.wav";
    db.m_Bgm[i].m_strName = name("曲", i);
    db.m_Bgm[i].m_nStored = 13;
    db.m_Bgm[i].m_strFile = "bgm\\b.ogg";
  }
  // Row 0 of the effect tables is loaded with kind 0.
  db.m_CharaEffect[0].m_nKind = 0;
  db.m_ScrEffect[0].m_nKind = 0;
}
