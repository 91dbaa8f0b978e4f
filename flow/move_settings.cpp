#include "flow/move_settings.h"

void cEdMove::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddField(&m_nSpecMode);
  AddField(&m_nDirection);
  AddField(&m_nAngle);
  AddField(&m_nAngleStep);
  if (nVersion >= 158) AddField(&m_bMirrorAngle);
  AddField(&m_bUseX);
  AddField(&m_bUseY);
  AddField(&m_nCellX);
  AddField(&m_nCellY);
  AddField(&m_nDotX);
  AddField(&m_nDotY);
  AddField(&m_nCoordKind);
  AddField(&m_bStopAtTarget);
  AddField(&m_bNoMoveX);
  AddField(&m_bNoMoveY);
  AddField(&m_bMirrorX);
  AddField(&m_bMirrorY);
  AddField(&m_bFollowTurn);
  AddField(&m_bExactStop);
  if (nVersion >= 162) AddField(&m_bKeepDir);
  AddField(&m_nTiming);
  AddField(&m_nSpeed);
  AddField(&m_nSpeedStep);
  AddField(&m_nDistance);
  AddField(&m_nDistanceStep);
  if (nVersion >= 159) AddField(&m_nDistanceUnit);
  AddField(&m_nRadius);
  AddField(&m_nRadiusStep);
  AddField(&m_bInertia);
  AddField(&m_nMaxSpeed);
  AddField(&m_dBrake);
  if (nVersion >= 162) AddField(&m_bKeepAnime);
}

void cEdMove::Load(cRecordReader& file) {
  cRecord::Load(file);
  const int v = g_nFileVersion;
  if (v < DATA_VERSION) {
    // Older settings had no angle mirroring, distances in half blocks only,
    // and movements always turned the character and switched its animation.
    if (v < 158) m_bMirrorAngle = 0;
    if (v < 159) m_nDistanceUnit = 0;
    if (v < 162) {
      m_bKeepDir = 0;
      m_bKeepAnime = 0;
    }
  }
  EmptyHook();
}

void cEdMove::Save(cRecordWriter& file) {
  EmptyHook();
  cRecord::Save(file);
}

void CreateMove(cEdMovePtr& target) {
  // A new object holds 0 in every field already (the member initialisers),
  // which is what clearing it would give.
  auto p = std::make_shared<cEdMove>();
  p->m_dBrake = 1.0;
  p->m_nSpeed = 10;
  p->m_bUseX = 1;
  p->m_bUseY = 1;
  p->m_bStopAtTarget = 1;
  p->m_bMirrorAngle = 1;
  p->m_bMirrorX = 1;
  p->m_bFollowTurn = 1;
  p->m_bMirrorY = 0;
  target = std::move(p);
}

void CloneMovePtr(cEdMovePtr& target, const cEdMovePtr& source) {
  if (!source) {
    target.reset();
    return;
  }
  cEdMovePtr p;
  CreateMove(p);
  *p = *source;
  target = std::move(p);
}

const std::string g_MoveSpecNames[3] = {"方向で指定", "目標座標で指定", ""};
const std::string g_WarpSpecNames[4] = {"方向と距離で指定", "ターゲットからの方向と距離で指定",
                                        "目標座標で指定", ""};
const std::string g_MoveDirNames[14] = {"前", "後",   "左",   "右",   "前Y",  "後Y",      "上",
                                        "下", "左上", "左下", "右上", "右下", "入力方向", ""};
const std::string g_CoordKindNames[5] = {"配置位置からの相対座標", "相対座標", "絶対座標",
                                         "画面座標", ""};
const std::string g_CoordKindNames2[4] = {"相対座標", "絶対座標", "画面座標", ""};
const std::string g_RotationNames[5] = {"右回り", "左回り", "左向きなら右回り、右向きなら左回り",
                                        "左向きなら左回り、右向きなら右回り", ""};
const std::string g_FaceNames[7] = {"左を向く",
                                    "右を向く",
                                    "ターゲットがいる方を向く",
                                    "ターゲットがいる方の逆を向く",
                                    "最後にブロックが当たった方を向く",
                                    "最後にブロックが当たった方の逆を向く",
                                    ""};
const std::string g_TimingNames[4] = {"時間と速度を指定", "時間と距離を指定", "速度と距離を指定",
                                      ""};
const std::string g_TimingNames2[3] = {"時間を指定", "速度を指定", ""};
const std::string g_JumpNames[4] = {"高さがキーで調節できない",
                                    "高さがキーで調節できる(主人公のみ有効)",
                                    "慣性移動速度に応じて高さを決定(主人公のみ有効)", ""};
const std::string g_UnitNames[3] = {"(hbl)で指定", "(dot)で指定", ""};
