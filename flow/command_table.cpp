#include "flow/command_table.h"

const COMMANDDEF g_aCommandDef[kCharaCommandCount] = {
    {"", 0},
    {"ウエイト", 0},
    {"直線移動", 0},
    {"地上折り返し移動", 0},
    {"円移動", 0},
    {"突撃移動", 0},
    {"誘導移動", 0},
    {"画面外回避移動", 0},
    {"移動の無効化", 0},
    {"向き変更", 1},
    {"ジャンプ", 5},
    {"ショット", 0},
    {"ソード", 0},
    {"ブロック召喚", 0},
    {"キャラ召喚", 0},
    {"アイテム召喚", 0},
    {"フローの操作", 3},
    {"ステージクリア", 9},
    {"ゲームウエイト", 1},
    {"メッセージ", 17},
    {"ワープ", 0},
    {"ターゲットの設定", 10},
    {"ステータスの操作", 18},
    {"ステータスの操作2", 3},
    {"アイテムの取得", 2},
    {"グラフィックの変更", 3},
    {"基本アニメセットの変更", 1},
    {"アニメの実行", 1},
    {"エフェクトの実行", 8},
    {"キャラエフェクトの実行", 3},
    {"画面エフェクトの実行", 3},
    {"ピクチャーの表示", 14},
    {"画面の色を変更", 8},
    {"背景の変更", 2},
    {"効果音の再生", 1},
    {"BGMの再生", 2},
    {"コードの実行", 0},
};

// Rows 2..21 repeat character rows 17..36 (names and counts).
const COMMANDDEF g_aItemCommandDef[kItemCommandCount] = {
    {"", 0},
    {"フローの変更", 2},
    {"ステージクリア", 9},
    {"ゲームウエイト", 1},
    {"メッセージ", 17},
    {"ワープ", 0},
    {"ターゲットの設定", 10},
    {"ステータスの操作", 18},
    {"ステータスの操作2", 3},
    {"アイテムの取得", 2},
    {"グラフィックの変更", 3},
    {"基本アニメセットの変更", 1},
    {"アニメの実行", 1},
    {"エフェクトの実行", 8},
    {"キャラエフェクトの実行", 3},
    {"画面エフェクトの実行", 3},
    {"ピクチャーの表示", 14},
    {"画面の色を変更", 8},
    {"背景の変更", 2},
    {"効果音の再生", 1},
    {"BGMの再生", 2},
    {"コードの実行", 0},
};

const COMMANDDEF& GetCommandDef(int nSet, int nType) {
  if (nSet == COMMANDSET_CHARA && nType >= 0 && nType < kCharaCommandCount)
    return g_aCommandDef[nType];
  if (nSet == COMMANDSET_ITEM && nType >= 0 && nType < kItemCommandCount)
    return g_aItemCommandDef[nType];
  return g_aCommandDef[CMD_EMPTY];
}

int CharaCommandType(int nSet, int nType) {
  if (nSet == COMMANDSET_CHARA) return (nType >= 0 && nType < kCharaCommandCount) ? nType : -1;
  if (nSet == COMMANDSET_ITEM && nType >= 2 && nType < kItemCommandCount)
    return nType + kItemCommandOffset;
  return -1;
}

const char* const g_aTriggerName[kTriggerCount + 1] = {
    "常時",
    "ダメージを受けた時",
    "衝撃を受けた時",
    "死亡した時",
    "キャラに当たった時",
    "ブロックキャラに当たった時",
    "ブロックキャラに乗っている時",
    "ショットに当たった時",
    "アイテムに当たった時",
    "ブロックに当たった時",
    "自分の左右にブロックが当たった時",
    "自分の左にブロックが当たった時",
    "自分の右にブロックが当たった時",
    "自分の上下にブロックが当たった時",
    "自分の上にブロックが当たった時",
    "自分の下にブロックが当たった時",
    "主人公に乗られている時",
    "キャラに乗られている時",
    "ステージ開始前",
    "なし（フローの操作コマンドで実行）",
    "",
};

int InputToDirection(int nChannel, int bFacingRight) {
  // Channel 1..9 -> left, right, up, down, up-left, down-left, up-right,
  // down-right, any (front).
  static constexpr int kCodes[10] = {-1, 2, 3, 6, 7, 8, 9, 10, 11, 0};
  if (nChannel >= 1 && nChannel <= 9) return kCodes[nChannel];
  return bFacingRight ? 3 : 2;
}
