#include "flow/flow_vocabulary.h"

#include "flow/stage_vocabulary.h"

#define PLAYER_LETTERS(a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q, r, s, t, u, v, w, x, y, \
                       z)                                                                         \
  a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q, r, s, t, u, v, w, x, y, z

const std::string g_FlowIdNames[28] = {
    "-",
    PLAYER_LETTERS("A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P",
                   "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"),
    ""};
const std::string g_FlowTagNames[28] = {
    "-",
    PLAYER_LETTERS("a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p",
                   "q", "r", "s", "t", "u", "v", "w", "x", "y", "z"),
    ""};
const std::string g_FlowOpNames[7] = {"開始", "終了", "一時停止", "再開", "削除", "永久停止", ""};
const std::string g_FlowOpTargetNames[4] = {"このフロー", "このフロー以外全て", "IDで指定", ""};

const std::string g_ObjectNames[3] = {"自分", "ターゲット", ""};
const std::string g_ObjectSysNames[4] = {"自分", "ターゲット", "システム", ""};
const std::string g_HeroObjectNames[3] = {"主人公", "ターゲット", ""};
const std::string g_HeroObjectSysNames[4] = {"主人公", "ターゲット", "システム", ""};

const std::string g_LeftKindNames[3] = {"ステータス", "変数", ""};
const std::string g_RightKindNames[5] = {"定数", "乱数", "ステータス", "変数", ""};
const std::string g_VarKindNames[3] = {"コモン変数", "ステージ変数", ""};
const std::string g_PercentModeNames[4] = {"通常の計算", "最大値に対する％で指定",
                                           "現在値に対する％で指定", ""};
const std::string g_OnlyOnNames[2] = {"ON", ""};

const STATUSDEF g_CharaStatusDefs[15] = {
    {"キャラ変数", -999999, 999999, -999999, 999999, 0, 0, 0},
    {"HP", 0, 999999, -999999, 999999, 0, 1, 0},
    {"SP", 0, 999999, -999999, 999999, 0, 1, 0},
    {"最大HP", 0, 999999, -999999, 999999, 0, 0, 0},
    {"最大SP", 0, 999999, -999999, 999999, 0, 0, 0},
    {"キャラID", 0, 99, -999999, 999999, 0, 0, 0},
    {"Z座標", 0, 7, -999999, 999999, 0, 0, 0},
    {"マーク番号", 0, 119, -999999, 999999, 0, 0, 0},
    {"視界範囲(hbl)", 0, 40, -999999, 999999, 0, 0, 0},
    {"体当たりの威力", -999999, 999999, -999999, 999999, 0, 0, 0},
    {"体当たりの衝撃", -20, 20, -999999, 999999, 0, 0, 0},
    {"防御力", 0, 999999, -999999, 999999, 0, 0, 0},
    {"衝撃耐性", 0, 20, -999999, 999999, 0, 0, 0},
    {"止まりやすさ", 0, 200, -999999, 999999, 0, 0, 0},
    {"倒したら獲得するスコア", -999999, 999999, -999999, 999999, 0, 0, 0},
};
const STATUSDEF g_SystemStatusDefs[5] = {
    {"時間", 0, 999, -999999, 999999, 0, 0, 0},
    {"横スクロール速度", -480, 480, -999999, 999999, 0, 0, 0},
    {"縦スクロール速度", -480, 480, -999999, 999999, 0, 0, 0},
    {"スコア", 0, 999999, -999999, 999999, 0, 0, 0},
    {"残り人数", 0, 99, -999999, 999999, 0, 0, 0},
};

const std::string g_Status2FlyNames[5] = {
    "OFF", "ON (ブロックをすり抜ける)", "ON (ブロックに当たる)", "ON (ブロックに当たると即死)", ""};
const std::string g_Status2InvincibleNames[4] = {"OFF", "ON (ショットが当たる)",
                                                 "ON (ショットがすり抜ける)", ""};
const std::string g_Status2GiantNames[11] = {"しない", "×4",  "×9",  "×16",  "×25", "×36",
                                             "×49",    "×64", "×81", "×100", ""};

const STATUS2PROP g_Status2Props[9] = {
    {"消滅", 0, 1, 0, g_OnOffNames},
    {"透明", 0, 1, 0, g_OnOffNames},
    {"向き固定", 0, 1, 0, g_OnOffNames2},
    {"飛行", 0, 3, 0, g_Status2FlyNames},
    {"無敵", 0, 2, 0, g_Status2InvincibleNames},
    {"巨大化", 1, 10, 1, g_Status2GiantNames},
    {"オートスクロールとシンクロ", 0, 1, 0, g_OnOffNames},
    {"", 0, 0, 0, nullptr},
    {"", 0, 0, 0, nullptr},
};

const std::string g_State3Names[5] = {
    "左向き", "右向き", "ブロックに乗っている(ブロックキャラも含む)", "画面内にいる", ""};
const std::string g_KeyCondModeNames[4] = {"全てのキーが真なら成立", "1つ以上のキーが真なら成立",
                                           "1つだけキーが真なら成立", ""};
const std::string g_KeyStateNames[4] = {"--", "押", "離", ""};
const std::string g_ClearDestNames[4] = {"次のステージへ", "番号で指定", "ワールドクリア", ""};
const std::string g_ClearFacingNames[4] = {"左向き", "右向き", "ステージクリア時の向きと同じ", ""};
const std::string g_MessagePosNames[10] = {"画面中央に表示",     "自分の上に表示",
                                           "自分の下に表示",     "自分の中心に表示",
                                           "主人公の上に表示",   "主人公の下に表示",
                                           "主人公の中心に表示", "画面座標で指定",
                                           "ステージ座標で指定", ""};
const std::string g_DurationNames[4] = {"進行キーが押されるまで表示", "ステージ終了まで表示",
                                        "時間で指定", ""};
const std::string g_TargetChoiceNames[5] = {"主人公", "自分", "最も近いキャラ",
                                            "キャラ(キャラIDで指定)", ""};
const std::string g_TargetRangeNames[4] = {"全範囲（画面内のキャラ優先）", "全範囲", "画面内のみ",
                                           ""};
const std::string g_CmdPaletteNames[3] = {"コモンパレット", "ステージパレット", ""};
const std::string g_CmdPaletteNames2[2] = {"コモンパレット", ""};
const std::string g_PicturePosNames[6] = {"画面中央に表示",     "キャラの中心に表示",
                                          "主人公の中心に表示", "画面座標で指定",
                                          "ステージ座標で指定", ""};
const std::string g_RunDirNames[4] = {"通常実行", "反転実行", "往復実行", ""};
const std::string g_VisibilityNames[4] = {"表示", "非表示", "反転(表示⇔非表示)", ""};
const std::string g_ChangeFlowOpNames[4] = {"追加", "変更", "削除", ""};
const std::string g_ChangeFlowIdNames[28] = {
    "全て削除",
    PLAYER_LETTERS("A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P",
                   "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"),
    ""};
const std::string g_CondKindNames[9] = {"",
                                        "コモン変数条件",
                                        "ステージ変数条件",
                                        "キャラ変数条件",
                                        "ステータス条件",
                                        "ステータス条件2",
                                        "ステータス条件3",
                                        "距離条件",
                                        ""};
const std::string g_CondModeNames[3] = {"全ての条件が真なら成立", "1つ以上の条件が真なら成立", ""};
const std::string g_DistObjectNames[3] = {"主人公", "ターゲット", ""};
const std::string g_DistAxisNames[8] = {"横", "前", "後", "縦", "前Y", "後Y", "円", ""};
const std::string g_DistTestNames[3] = {"以内", "外", ""};
const std::string g_CharaVarNames[9] = {"1 キャラ変数-1", "2 キャラ変数-2", "3 キャラ変数-3",
                                        "4 キャラ変数-4", "5 キャラ変数-5", "6 キャラ変数-6",
                                        "7 キャラ変数-7", "8 キャラ変数-8", ""};
const std::string g_OperationNames[8] = {"＝", "＋", "－", "×", "÷", "÷ X の余り", "X ％", ""};
const std::string g_CompareNames[9] = {"である", "でない",       "以上",         "以下", "より上",
                                       "より下", "の倍数である", "の倍数でない", ""};
const std::string g_IfNames[3] = {"なら", "でないなら", ""};
