#include "stagedata/chara.h"

#include <algorithm>
#include <type_traits>

#include "stagedata/link_apply.h"
#include "stagedata/palettes.h"

namespace {

using CharaGroupCopier = void (*)(cEdChara& to, const cEdChara& from);

// Group 36: the flows. The list takes the source's length and contents; a
// list left empty holds one empty flow, which Validate removes again.
void CopyFlowGroup(cEdChara& to, const cEdChara& from) {
  to.m_vFlow.resize(from.m_vFlow.size());
  for (size_t i = 0; i < from.m_vFlow.size(); ++i) to.m_vFlow[i] = from.m_vFlow[i];
  if (to.m_vFlow.empty()) to.m_vFlow.resize(1);
}

#define COPY1(a) [](cEdChara& to, const cEdChara& from) { to.a = from.a; }
#define COPY2(a, b)                        \
  [](cEdChara& to, const cEdChara& from) { \
    to.a = from.a;                         \
    to.b = from.b;                         \
  }
#define COPY3(a, b, c)                     \
  [](cEdChara& to, const cEdChara& from) { \
    to.a = from.a;                         \
    to.b = from.b;                         \
    to.c = from.c;                         \
  }

// Attribute groups of a character, by the position of their link flag.
const CharaGroupCopier kCharaGroupCopiers[kCharaLinkGroups] = {
    COPY1(m_strName),                                               // 0
    COPY2(m_nKind, m_nPlayerNo),                                    // 1
    COPY1(m_nFaction),                                              // 2
    COPY1(m_nCid),                                                  // 3
    COPY3(m_vCondition, m_nCondMode, m_bCondOnce),                  // 4
    COPY1(m_nDir),                                                  // 5
    COPY1(m_nCopies),                                               // 6
    COPY3(m_nOffsetX, m_nOffsetStepX, m_bMirrorX),                  // 7
    COPY3(m_nOffsetY, m_nOffsetStepY, m_bMirrorY),                  // 8
    COPY3(m_nGraphicKind, m_nGraphic, m_nGraphicRow),               // 9
    COPY1(m_nAnimeSet),                                             // 10
    COPY1(m_nZ),                                                    // 11
    COPY1(m_bTransparent),                                          // 12
    COPY3(m_nCharaEffect, m_nCharaEffectMode, m_bCharaEffectLoop),  // 13
    COPY2(m_nDeathEffect, m_nDeathEffectMode),                      // 14
    COPY2(m_bMark, m_nMark),                                        // 15
    COPY1(m_bFixDir),                                               // 16
    COPY1(m_nFly),                                                  // 17
    COPY2(m_nInvincible, m_nInvincibleColour),                      // 18
    COPY1(m_bBlockChara),                                           // 19
    COPY1(m_nGiant),                                                // 20
    COPY1(m_bScrollSync),                                           // 21
    COPY2(m_nSightShape, m_nSight),                                 // 22
    COPY1(m_nMaxHp),                                                // 23
    COPY1(m_nMaxSp),                                                // 24
    COPY1(m_nBodyBox),                                              // 25
    COPY1(m_nPower),                                                // 26
    COPY1(m_nImpact),                                               // 27
    COPY1(m_nHitEffect),                                            // 28
    COPY1(m_nDefence),                                              // 29
    COPY1(m_nImpactResist),                                         // 30
    COPY1(m_nStop),                                                 // 31
    COPY2(m_nActRange, m_nActMode),                                 // 32
    COPY2(m_nActGroup, m_bActGroup),                                // 33
    COPY1(m_nScore),                                                // 34
    COPY1(m_bFlag35),                                               // 35
    CopyFlowGroup,                                                  // 36
};

#undef COPY1
#undef COPY2
#undef COPY3

bool IsEmptyFlow(const cFlow& flow) {
  return flow.m_Conditions.empty() && flow.m_KeyConditions.empty() && flow.m_Commands.empty();
}

}  // namespace

const std::string g_CharaKindNames[] = {"プレイヤー", "コンピューター", ""};
const std::string g_PlayerNoNames[] = {"1", ""};
const std::string g_FlyNames[] = {"OFF", "ON (ブロックをすり抜ける)", "ON (ブロックに当たる)",
                                  "ON (ブロックに当たると即死)", ""};
const std::string g_InvincibleNames[] = {"OFF", "ON (ショットが当たる)",
                                         "ON (ショットがすり抜ける)", ""};
const std::string g_CharaOnOffNames[] = {"OFF", "ON", ""};
const std::string g_GiantNames[] = {"しない", "×4",  "×9",  "×16",  "×25", "×36",
                                    "×49",    "×64", "×81", "×100", ""};
const std::string g_GiantNames2[] = {"×4",  "×9",  "×16", "×25",  "×36",
                                     "×49", "×64", "×81", "×100", ""};
const std::string g_SightShapeNames[] = {"画面内全て",           "キャラを中心とした円形",
                                         "キャラの前方に円形",   "キャラを中心とした正方形",
                                         "キャラの前方に正方形", ""};
const std::string g_BodyBoxNames[] = {"キャラ対キャラの当たり判定範囲（推奨）",
                                      "キャラ対ショットの当たり判定範囲",
                                      "ショット対キャラの当たり判定範囲", "32×32", ""};
const std::string g_ActRangeNames[] = {"画面内", "X座標のみ画面内", "Y座標のみ画面内", "全範囲",
                                       ""};
const std::string g_ActModeNames[] = {"範囲かグループが真なら成立",
                                      "一度範囲かグループが真になると、以後無条件で成立",
                                      "範囲とグループが偽なら成立", ""};

// The member initialisers are the defaults of SetDefaults.
cEdChara::cEdChara() : m_vLinkFlags(kCharaLinkGroups, 0) {}

// Lists of definitions grow by moving them.
static_assert(std::is_nothrow_move_constructible_v<cEdChara> &&
              std::is_nothrow_move_assignable_v<cEdChara>);

void cEdChara::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddString(&m_strName);
  AddField(&m_nLinkSrc);
  AddField(&m_nLinkNo);
  AddField(&m_nCondMode);
  AddField(&m_bCondOnce);
  AddField(&m_nDir);
  AddField(&m_nCopies);
  AddField(&m_nOffsetX);
  AddField(&m_nOffsetStepX);
  AddField(&m_nOffsetY);
  AddField(&m_nOffsetStepY);
  AddField(&m_bMirrorX);
  AddField(&m_bMirrorY);
  AddField(&m_nGraphic);
  AddField(&m_nGraphicKind);
  AddField(&m_nGraphicRow);
  AddField(&m_nAnimeSet);
  AddField(&m_nZ);
  AddField(&m_bTransparent);
  AddField(&m_nCharaEffect);
  if (nVersion >= 196) AddField(&m_nCharaEffectMode);
  AddField(&m_bCharaEffectLoop);
  AddField(&m_nDeathEffect);
  if (nVersion >= 196) AddField(&m_nDeathEffectMode);
  AddField(&m_bMark);
  AddField(&m_nMark);
  AddField(&m_nKind);
  AddField(&m_nPlayerNo);
  AddField(&m_nFaction);
  AddField(&m_nCid);
  AddField(&m_nFly);
  AddField(&m_bFixDir);
  AddField(&m_nInvincible);
  if (nVersion >= 285) AddField(&m_nInvincibleColour);
  AddField(&m_bBlockChara);
  AddField(&m_nGiant);
  if (nVersion >= 210) AddField(&m_bScrollSync);
  AddField(&m_nSightShape);
  AddField(&m_nSight);
  AddField(&m_nMaxHp);
  AddField(&m_nMaxSp);
  AddField(&m_nStop);
  if (nVersion >= 201) AddField(&m_nBodyBox);
  AddField(&m_nPower);
  AddField(&m_nImpact);
  AddField(&m_nHitEffect);
  if (nVersion >= 168) AddField(&m_nDefence);
  AddField(&m_nImpactResist);
  AddField(&m_nScore);
  AddField(&m_bFlag35);
  AddField(&m_bActGroup);
  AddField(&m_nActGroup);
  AddField(&m_nActRange);
  AddField(&m_nActMode);
}

int cEdChara::SetDefaults() {
  m_nPlaceData = -1;
  Clear();
  m_vLinkFlags.assign(kCharaLinkGroups, 0);
  m_nKind = CHARAKIND_COM;
  m_nFaction = 1;
  m_nZ = 3;
  m_bCharaEffectLoop = 1;
  m_nMaxHp = 10;
  m_nDefence = 0;
  m_nGraphicKind = 1;
  m_nGraphic = 0;
  m_nGiant = 1;
  m_nStop = 10;
  m_bFixDir = 1;
  m_bFlag35 = 1;
  return 1;
}

void cEdChara::InsertLinkGroup(int nGroup) {
  m_vLinkFlags.resize(kCharaLinkGroups, 0);
  std::copy_backward(m_vLinkFlags.begin() + nGroup, m_vLinkFlags.end() - 1, m_vLinkFlags.end());
  m_vLinkFlags[static_cast<size_t>(nGroup)] = 1;
}

void cEdChara::Load(cRecordReader& file) {
  cRecord::Load(file);
  file.Read(m_nTileX);
  file.Read(m_nTileY);
  file.Read(m_nPlaceData);
  ReadByteVector(m_vLinkFlags, file);
  LoadConditionList(m_vCondition, file);
  LoadFlowVector(m_vFlow, file);
  if (!KeepTestFlows()) EraseMarkedFlows(m_vFlow);

  const int v = g_nFileVersion;
  if (v < DATA_VERSION) {
    // Each attribute group added later is inserted as linked, so a
    // definition that was linked before stays linked for it.
    if (v < 168) {
      m_nDefence = 0;
      InsertLinkGroup(27);
    }
    if (v < 196) {
      m_nCharaEffectMode = 0;
      m_nDeathEffectMode = 0;
    }
    if (v < 201) {
      m_nBodyBox = 0;
      InsertLinkGroup(24);
    }
    if (v < 206 && m_nBodyBox >= 2) ++m_nBodyBox;
    if (v < 210) {
      m_bScrollSync = 0;
      InsertLinkGroup(21);
    }
    if (v < 219 && m_nGraphicKind == 3)
      m_nGraphic = static_cast<int16_t>(std::min(m_nGraphic + 1, 119));
    if (v < 285) m_nInvincibleColour = 1;
  }
  const cStageRefs& refs = CurrentStageRefs();
  ApplyLink(refs);
  Validate(refs);
}

void cEdChara::Save(cRecordWriter& file) {
  Validate(CurrentStageRefs());
  cRecord::Save(file);
  file.Write(m_nTileX);
  file.Write(m_nTileY);
  file.Write(m_nPlaceData);
  SaveByteVector(m_vLinkFlags, file);
  SaveConditionList(m_vCondition, file);
  SaveRecordVector(m_vFlow, file);
}

void cEdChara::ApplyLink(const cStageRefs& refs) {
  ApplyLinkGroups(*this, refs, &GetCharaPalette, kCharaGroupCopiers);
}

void cEdChara::Validate(const cStageRefs& refs) {
  DropMissingLink(*this, refs, &GetCharaPalette);
  if (m_nGraphicKind == 4 && !IsRow(m_nGraphic, refs.BmpCharaExcRows())) m_nGraphic = 1;
  if (m_nGiant <= 0) m_nGiant = 1;
  if (!IsRow(m_nAnimeSet, refs.Tables().nAnimeSetRows)) m_nAnimeSet = 0;
  if (!IsRow(m_nCharaEffect, refs.Tables().nCharaEffectRows)) m_nCharaEffect = 0;
  if (!IsRow(m_nDeathEffect, refs.Tables().nCharaEffectRows)) m_nDeathEffect = 0;
  if (!IsRow(m_nHitEffect, refs.Tables().nEffectRows)) m_nHitEffect = 0;
  const ValidationContext& context = refs.FlowContext();
  for (cFlow& flow : m_vFlow) flow.Validate(context);
  std::erase_if(m_vFlow, IsEmptyFlow);
}

void cEdChara::ValidateSummonRefs(const cStageRefs& refs) {
  const ValidationContext& context = refs.FlowContext();
  for (cFlow& flow : m_vFlow) flow.ValidateSummonRefs(context);
}

double cEdChara::GetOffsetX(int n, int nFacing) const {
  const int nOffset = m_nOffsetStepX * n + m_nOffsetX;
  return (nFacing == 1 && m_bMirrorX) ? -nOffset : nOffset;
}

double cEdChara::GetOffsetY(int n, int nFacing) const {
  const int nOffset = m_nOffsetStepY * n + m_nOffsetY;
  return (nFacing == 1 && m_bMirrorY) ? -nOffset : nOffset;
}
