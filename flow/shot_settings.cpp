#include "flow/shot_settings.h"

#include "flow/validation.h"

void cEdShot::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddField(&m_nCount);
  AddField(&m_nPattern);
  AddField(m_anPatternParam, 3);
  if (nVersion >= 671) AddField(&m_nCentre);
  AddField(&m_nDirection);
  AddField(&m_bAim);
  AddField(&m_nAngle);
  AddField(&m_nAngleStep);
  if (nVersion >= 158) AddField(&m_bMirrorAngle);
  AddField(&m_nSpread);
  AddField(&m_bAngledRow);
  AddField(&m_nRepeat);
  AddField(&m_nOffsetX);
  AddField(&m_nOffsetStepX);
  AddField(&m_nOffsetY);
  AddField(&m_nOffsetStepY);
  AddField(&m_bMirrorX);
  AddField(&m_bMirrorY);
  AddField(&m_nGraphic);
  AddField(&m_nShotExtra1);
  AddField(&m_bTransparent);
  AddField(&m_bUserFaction);
  AddField(&m_nFaction);
  AddField(&m_nShotExtra2);
  AddField(&m_nGiant);
  AddField(&m_nShotExtra3);
  AddField(&m_nMoveType);
  AddField(m_anMoveParam, 3);
  if (nVersion >= 211) AddField(&m_bScrollSync);
  AddField(&m_nSpeed);
  AddField(&m_nSpeedStep);
  if (nVersion >= 213) {
    AddField(&m_bAccel);
    AddField(&m_nAccel);
    AddField(&m_nAccelStep);
  }
  AddField(&m_nRange);
  AddField(&m_bRange);
  AddField(&m_nRangeStep);
  AddField(&m_bStayAtRange);
  AddField(&m_bLife);
  AddField(&m_nLife);
  AddField(&m_nLifeStep);
  AddField(&m_bThroughBlocks);
  AddField(&m_bPierceChara);
  if (nVersion >= 636) AddField(&m_bPierceBlockChara);
  AddField(&m_bBreakable);
  AddField(&m_nShotStrength);
  AddField(&m_nPower);
  AddField(&m_nShotExtra4);
  AddField(&m_nImpact);
  AddField(&m_nHitEffect);
  AddField(&m_nItemSrc);
  AddField(&m_nItemNo);
  AddField(&m_nBlockOp);
  AddField(&m_bSpareHero);
  if (nVersion >= 197) AddField(&m_bSpareChara);
  AddField(&m_nSummonPalette);
  AddField(&m_nSummonNo);
  AddField(&m_nSummonFaction);
  AddField(&m_bNoScore);
  AddField(&m_bReverseDir);
}

void cEdShot::Load(cRecordReader& file) {
  cRecord::Load(file);
  const int v = g_nFileVersion;
  if (v < DATA_VERSION) {
    if (v < 158) m_bMirrorAngle = 0;
    // The character rule of a block summon once covered the hero only.
    if (v < 197) m_bSpareChara = m_bSpareHero;
    // Homing shots used to move with the automatic scroll, the others not.
    // This overwrites the switch a version-211 file stored.
    if (v < 212) m_bScrollSync = (m_nMoveType >= 4 && m_nMoveType <= 7) ? 1 : 0;
    if (v < 213) {
      m_bAccel = 0;
      m_nAccel = 0;
      m_nAccelStep = 0;
    }
    // Block characters followed the rule for characters.
    if (v < 636) m_bPierceBlockChara = m_bPierceChara;
    if (v <= 670) m_nCentre = 0;
  }
  RepairScale();
}

void cEdShot::Save(cRecordWriter& file) {
  RepairScale();
  cRecord::Save(file);
}

void cEdShot::RepairScale() {
  if (m_nGiant <= 0) m_nGiant = 1;
}

void cEdShot::Validate(const ValidationContext& ctx) {
  RepairScale();
  // Compared as unsigned: a negative row is out of range as well.
  if (static_cast<uint32_t>(static_cast<int32_t>(m_nHitEffect)) >=
      static_cast<uint32_t>(ctx.nEffectRows > 0 ? ctx.nEffectRows : 0))
    m_nHitEffect = 0;
}

double cEdShot::GetOffsetX(int k, int nFacing) const {
  const double d = static_cast<double>(m_nOffsetStepX) * k + m_nOffsetX;
  return (nFacing == 1 && m_bMirrorX) ? -d : d;
}

double cEdShot::GetOffsetY(int k, int nFacing) const {
  const double d = static_cast<double>(m_nOffsetStepY) * k + m_nOffsetY;
  return (nFacing == 1 && m_bMirrorY) ? -d : d;
}

void CreateShot(cEdShotPtr& target) {
  // A new object holds 0 in every field already (the member initialisers),
  // which is what clearing it would give.
  auto p = std::make_shared<cEdShot>();
  p->m_bUserFaction = 1;
  p->m_bMirrorAngle = 1;
  p->m_bMirrorX = 1;
  p->m_bMirrorY = 0;
  p->m_nGiant = 1;
  target = std::move(p);
}

void CloneShotPtr(cEdShotPtr& target, const cEdShotPtr& source) {
  if (!source) {
    target.reset();
    return;
  }
  cEdShotPtr p;
  CreateShot(p);
  *p = *source;
  target = std::move(p);
}

const std::string g_ShotPatternNames[7] = {"直進A", "直進B", "拡散", "落雷", "爆発", "包囲", ""};
const EFFECTPARAM g_ShotPatternParams[18] = {
    {"間隔(hbl)", 0, 40, 0},
    {},
    {},
    {"間隔(hbl)", 0, 40, 0},
    {},
    {},
    {"角度", 0, 180, 30},
    {},
    {},
    {"間隔(hbl)", 0, 40, 0},
    {"列の数", 1, 50, 1},
    {"列の間隔(hbl)", 0, 40, 0},
    {},
    {},
    {},
    {"距離(hbl)", 0, 40, 6},
    {},
    {},
};
const std::string g_ShotCentreNames[4] = {"ターゲット", "主人公", "自分", ""};
const std::string g_ShotMoveNames[11] = {"直進",
                                         "主人公を狙う",
                                         "近いキャラを狙う",
                                         "ターゲットを狙う",
                                         "主人公へ誘導",
                                         "近いキャラへ誘導（対象死亡時、誘導を無効化）",
                                         "ターゲットへ誘導",
                                         "近いキャラへ誘導（対象死亡時、対象を変更）",
                                         "ウェーブ",
                                         "落下",
                                         ""};
const EFFECTPARAM g_ShotMoveParams[30] = {
    {},
    {},
    {},
    {"軌道変更(hbl)", 0, 40, 0},
    {},
    {},
    {"軌道変更(hbl)", 0, 40, 0},
    {"対象勢力", 0, 7, 0},
    {},
    {"軌道変更(hbl)", 0, 40, 0},
    {},
    {},
    {"誘導開始(hbl)", 0, 40, 0},
    {"誘導終了(hbl)", 0, 999, 999},
    {},
    {"誘導開始(hbl)", 0, 40, 0},
    {"誘導終了(hbl)", 0, 999, 999},
    {"対象勢力", 0, 7, 0},
    {"誘導開始(hbl)", 0, 40, 0},
    {"誘導終了(hbl)", 0, 999, 999},
    {},
    {"誘導開始(hbl)", 0, 40, 0},
    {"誘導終了(hbl)", 0, 999, 999},
    {"対象勢力", 0, 7, 0},
    {"波の最大(hbl)", 0, 100, 4},
    {"波の速度", 0, 100, 4},
    {"開始角度", 0, 359, 0},
    {"軌道変更(hbl)", 0, 40, 0},
    {},
    {},
};
const std::string g_BlockOpNames[4] = {"ブロックを召喚", "ブロックを消す",
                                       "ブロックがなければ召喚、ブロックがあれば消す", ""};
const std::string g_SummonPaletteNames[3] = {"コモンパレット", "ステージパレット", ""};
const std::string g_SummonPaletteNames2[2] = {"コモンパレット", ""};
const std::string g_SummonFactionNames[4] = {"パレットの設定に準ずる", "使用者と同じ", "番号で指定",
                                             ""};
