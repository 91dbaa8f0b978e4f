#include "records/effect_db.h"

#include "records/anime_db.h"
#include "records/database.h"

namespace {

constexpr int kVersionEffectStored = 151;     // the Effect row's stored value
constexpr int kVersionStoredValueKept = 153;  // stored values of older files are dropped
constexpr int kVersionLastOldDefaults = 510;  // files up to here get new parameter defaults

const char* const kRunTime = "実行時間(1/10s)";

EFFECTPARAM RunTime(int16_t nDefault) { return EFFECTPARAM(kRunTime, 1, 9999, nDefault); }

// Parameter tables are written one kind per line: run time, then P1..P4
// (an empty EFFECTPARAM where the kind has no such parameter).
// clang-format off
std::array<EFFECTPARAM, CHARAEFFECT_KINDS * kEffectParams> MakeCharaEffectParams() {
  const EFFECTPARAM none;
  const EFFECTPARAM startPos("開始位置(dot)", 0, 999, 0), endPos("終了位置(dot)", 0, 999, 32);
  const EFFECTPARAM parts("分割数", 2, 16, 4);
  const EFFECTPARAM startWidth("開始幅(dot)", 0, 999, 0), endWidth("終了幅(dot)", 0, 999, 32);
  const EFFECTPARAM waves("波の数", 2, 16, 2), waveStep("波の粗さ(dot)", 1, 4, 2);
  const EFFECTPARAM startAngle("開始角度", 0, 9999, 0), endAngle("終了角度", 0, 9999, 1440);
  return {
      none, none, none, none, none,                                                   // 0
      RunTime(5), startPos, endPos, none, none,                                       // 1 破裂
      RunTime(5), startPos, endPos, parts, none,                                      // 2 分割（横）
      RunTime(5), startPos, endPos, parts, none,                                      // 3 分割（縦）
      RunTime(5), startWidth, endWidth, waves, waveStep,                              // 4 波（横）
      RunTime(5), startWidth, endWidth, waves, waveStep,                              // 5 波（縦）
      RunTime(10), {"点滅間隔(1/60s)", 1, 9999, 2}, none, none, none,                 // 6 点滅
      RunTime(10), startAngle, endAngle, none, none,                                  // 7 回転A
      RunTime(10), startAngle, endAngle, none, none,                                  // 8 回転B
      RunTime(10), {"開始位置(dot)", 0, 9999, 0}, {"終了位置(dot)", 0, 9999, 256},    // 9 回転（奥）
      none, none,
      RunTime(5), {"開始半径(dot)", 0, 32, 32}, {"終了半径(dot)", 0, 32, 0},          // 10 円
      {"円の粗さ(dot)", 1, 4, 2}, none,
      RunTime(10), {"開始幅(dot)", 0, 320, 32}, {"終了幅(dot)", 0, 320, 64}, none,    // 11 拡大
      none,
      RunTime(10), {"開始距離", 0, 100, 100}, {"終了距離", 0, 100, 5},                // 12 レンズ
      {"ズレX(dot)", -16, 16, 0}, {"ズレY(dot)", -16, 16, 0},
      RunTime(10), {"開始合成度", 1, 4, 1}, {"終了合成度", 1, 4, 1},                  // 13 色変化
      {"色", 16, 207, 16}, none,
      RunTime(10), {"点滅間隔(1/60s)", 1, 9999, 9999}, none, none, none,              // 14 半透明
      RunTime(10), {"開始強度", 1, 16, 1}, {"終了強度", 1, 16, 8}, none, none,        // 15 モザイク
      RunTime(10), {"開始強度", 1, 1, 1}, {"終了強度", 1, 4, 4}, none, none,          // 16 ぼかし
  };
}

std::array<EFFECTPARAM, SCREFFECT_KINDS * kEffectParams> MakeScrEffectParams() {
  const EFFECTPARAM none;
  const EFFECTPARAM startAngle("開始角度", 0, 9999, 0), endAngle("終了角度", 0, 9999, 1440);
  return {
      none, none, none, none, none,                                                   // 0
      RunTime(10), {"開始座標X(dot)", -640, 640, 0}, {"開始座標Y(dot)", -480, 480, 0},  // 1 移動
      {"終了座標X(dot)", -640, 640, 640}, {"終了座標Y(dot)", -480, 480, 0},
      RunTime(10), {"振動幅(dot)", 1, 640, 4}, {"振動回数", 1, 9999, 4}, none, none,  // 2 振動（横）
      RunTime(10), {"振動幅(dot)", 1, 480, 4}, {"振動回数", 1, 9999, 4}, none, none,  // 3 振動（縦）
      RunTime(10), {"開始位置(dot)", 0, 640, 0}, {"終了位置(dot)", 0, 640, 640},      // 4 分割（横）
      {"分割数", 2, 240, 15}, none,
      RunTime(10), {"開始位置(dot)", 0, 480, 0}, {"終了位置(dot)", 0, 480, 480},      // 5 分割（縦）
      {"分割数", 2, 320, 20}, none,
      RunTime(10), {"開始幅(dot)", 0, 640, 0}, {"終了幅(dot)", 0, 640, 640},          // 6 波（横）
      {"波の数", 2, 240, 4}, {"波の粗さ(dot)", 1, 48, 8},
      RunTime(10), {"開始幅(dot)", 0, 480, 0}, {"終了幅(dot)", 0, 480, 480},          // 7 波（縦）
      {"波の数", 2, 320, 4}, {"波の粗さ(dot)", 1, 64, 10},
      RunTime(10), {"点滅間隔(1/60s)", 1, 9999, 10}, none, none, none,                // 8 点滅
      RunTime(10), startAngle, endAngle, none, none,                                  // 9 回転
      RunTime(10), {"開始半径(dot)", 0, 640, 640}, {"終了半径(dot)", 0, 640, 0},      // 10 円
      {"円の粗さ(dot)", 1, 48, 8}, none,
      RunTime(10), {"開始幅(dot)", 0, 6400, 640}, {"終了幅(dot)", 0, 6400, 1280},     // 11 拡大
      none, none,
      RunTime(10), {"開始距離", 0, 1500, 1500}, {"終了距離", 0, 1500, 5},             // 12 レンズ
      {"ズレX(dot)", -320, 320, 0}, {"ズレY(dot)", -240, 240, 0},
      RunTime(10), {"開始強度", 1, 240, 1}, {"終了強度", 1, 240, 60}, none, none,     // 13 モザイク
  };
}
// clang-format on

// Files up to version 510 carried other defaults for one parameter of the
// wave and circle kinds: that parameter takes the current default.
struct PARAMRESET {
  int nKind;
  int nParam;
};
constexpr PARAMRESET kCharaParamResets[] = {
    {CHARAEFFECT_WAVE_H, 4}, {CHARAEFFECT_WAVE_V, 4}, {CHARAEFFECT_CIRCLE, 3}};
constexpr PARAMRESET kScrParamResets[] = {
    {SCREFFECT_WAVE_H, 4}, {SCREFFECT_WAVE_V, 4}, {SCREFFECT_CIRCLE, 3}};

template <size_t N, size_t M>
void ResetOldParams(cEffectDef& row, const PARAMRESET (&resets)[N],
                    const std::array<EFFECTPARAM, M>& params) {
  if (g_nFileVersion > kVersionLastOldDefaults) return;
  for (const PARAMRESET& reset : resets)
    if (row.m_nKind == reset.nKind)
      row.m_anParam[reset.nParam] = params[reset.nKind * kEffectParams + reset.nParam].nDefault;
}

}  // namespace

const std::array<EFFECTPARAM, CHARAEFFECT_KINDS* kEffectParams> g_CharaEffectParams =
    MakeCharaEffectParams();
const std::array<EFFECTPARAM, SCREFFECT_KINDS* kEffectParams> g_ScrEffectParams =
    MakeScrEffectParams();

// ---- cEffectFrame -----------------------------------------------------------

void cEffectFrame::RegisterFields(int /*nVersion*/) {
  ClearFieldLists();
  AddField(&m_nCell);
  AddField(&m_nDuration);
}

void LoadEffectFrames(cCheckedVector<cEffectFrame>& frames, cRecordReader& file) {
  ReadPlainRecordVector(frames, file, 8, "frame count");
}

// ---- cEffectAnimDef ---------------------------------------------------------

void cEffectAnimDef::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddString(&m_strName);
  if (nVersion >= kVersionEffectStored) AddField(&m_nStored);
  AddString(&m_strBitmap);
  AddField(&m_nCellWidth);
  AddField(&m_nCellHeight);
  AddField(&m_bScale);
}

void cEffectAnimDef::SetDefaults() {
  Clear();
  m_nCellWidth = 32;
  m_nCellHeight = 32;
  m_bScale = 0;
}

void cEffectAnimDef::Load(cRecordReader& file) {
  cRecord::Load(file);
  LoadEffectFrames(m_Frames, file);
  if (g_nFileVersion < kVersionStoredValueKept) m_nStored = 0;
}

void cEffectAnimDef::Save(cRecordWriter& file) {
  cRecord::Save(file);
  SaveRecordVector(m_Frames, file);
}

// ---- Character and screen effects -------------------------------------------

void cEffectDef::RegisterFields(int /*nVersion*/) {
  ClearFieldLists();
  AddString(&m_strName);
  AddField(&m_nKind);
  AddField(m_anParam, kEffectParams);
}

void cCharaEffectDef::Load(cRecordReader& file) {
  cRecord::Load(file);
  ResetOldParams(*this, kCharaParamResets, g_CharaEffectParams);
}

void cScrEffectDef::Load(cRecordReader& file) {
  cRecord::Load(file);
  ResetOldParams(*this, kScrParamResets, g_ScrEffectParams);
}

// ---- Run-time patterns ------------------------------------------------------

void BuildEffectPatterns(cCheckedVector<ANIMEPATTERN>& patterns) {
  const cCheckedVector<cEffectAnimDef>& table = g_Database.m_Effect;
  patterns.clear();
  patterns.resize(table.size());
  for (size_t i = 0; i < table.size(); ++i) {
    const cCheckedVector<cEffectFrame>& frames = table[i].m_Frames;
    ANIMEPATTERN& pattern = patterns[i];
    pattern.resize(frames.size() + 1);
    for (size_t k = 0; k < frames.size(); ++k) {
      pattern[k].nValue = frames[k].m_nCell;
      pattern[k].nDuration = i == 0 ? 0 : TenthsToFrames(frames[k].m_nDuration);
      pattern[k].nHold = i == 0 ? 1 : 0;
    }
    pattern.back() = i == 0 ? ANIMESTEP{-2, 0, 1} : ANIMESTEP{-4, 0, 0};
  }
}
