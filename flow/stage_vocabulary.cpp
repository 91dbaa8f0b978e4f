#include "flow/stage_vocabulary.h"

const std::string g_OnOffNames[3] = {"OFF", "ON", ""};
const std::string g_PaletteNames[3] = {"ステージパレット", "コモンパレット", ""};
const std::string g_LinkSrcNames[4] = {"継承しない", "コモンパレット", "ステージパレット", ""};
const std::string g_LinkSrcCommonNames[3] = {"継承しない", "コモンパレット", ""};
const std::string g_LinkSrcStageNames[3] = {"継承しない", "ステージパレット", ""};
const std::string g_LinkSrcNoneNames[2] = {"継承しない", ""};
const std::string g_GraphicKindNames[6] = {"ブロック", "キャラ",  "アイテム",
                                           "ショット", "専用bmp", ""};
const std::string g_GraphicKindNames2[6] = {"ブロック", "キャラ",  "アイテム",
                                            "ショット", "専用bmp", ""};
const std::string g_OnOffNames2[3] = {"OFF", "ON", ""};
const std::string g_ShowNames[4] = {"表示しない", "表示する", "エディターでのみ表示", ""};
const std::string g_HitKindNames[4] = {"当たらない", "当たる", "主人公が当たると即死", ""};
const std::string g_PassFactionNames[10] = {"なし", "0", "1", "2", "3", "4", "5", "6", "7", ""};
const std::string g_BlockEffectNames[7] = {"なし",
                                           "ジャンプ X=高さ(hbl)",
                                           "ジャンプ禁止",
                                           "移動速度変更 X=％",
                                           "左移動 X=移動速度",
                                           "右移動 X=移動速度",
                                           ""};
const std::string g_ItemSrcNames[4] = {"なし", "コモンパレット", "ステージパレット", ""};
const std::string g_ItemSrcCommonNames[3] = {"なし", "コモンパレット", ""};
const std::string g_ScrollModeNames[3] = {"主人公の位置に合わせてスクロール", "オートスクロール",
                                          ""};
const std::string g_ExtendXNames[3] = {"右方向へ拡張（または右を削除）",
                                       "左方向へ拡張（または左を削除）", ""};
const std::string g_ExtendYNames[3] = {"下方向へ拡張（または下を削除）",
                                       "上方向へ拡張（または上を削除）", ""};
// The number after "レベル" is the sub-step count; the speed limit is ten times
// the per-frame limit (6 x N for the first ten levels, 60 for the others).
const std::string g_CollisionLevelNames[20] = {"レベル1 (速度制限=60)",  "レベル2 (速度制限=120)",
                                               "レベル3 (速度制限=180)", "レベル4 (速度制限=240)",
                                               "レベル5 (速度制限=300)", "レベル6 (速度制限=360)",
                                               "レベル7 (速度制限=420)", "レベル8 (速度制限=480)",
                                               "レベル9 (速度制限=540)", "レベル10 (速度制限=600)",
                                               "レベル1 (速度制限=600)", "レベル2 (速度制限=600)",
                                               "レベル3 (速度制限=600)", "レベル4 (速度制限=600)",
                                               "レベル5 (速度制限=600)", "レベル6 (速度制限=600)",
                                               "レベル7 (速度制限=600)", "レベル8 (速度制限=600)",
                                               "レベル9 (速度制限=600)", ""};
const std::string g_HitStepNames[7] = {"最大 (当たり判定レベルと同じ)",
                                       "1 (対応速度=60)",
                                       "2 (対応速度=最大120)",
                                       "3 (対応速度=最大180)",
                                       "4 (対応速度=最大240)",
                                       "5 (対応速度=最大300)",
                                       ""};
const std::string g_BoxAlignNames[3] = {"中央", "下", ""};
const std::string g_BoxAlignNames2[3] = {"中", "下", ""};
const std::string g_BoxShowNames[4] = {"表示しない", "表示する", "枠のみ表示", ""};
const std::string g_BoxColourNames[9] = {"赤", "緑", "青", "黄", "赤紫", "青紫", "黒", "虹", ""};
const std::string g_DirectionNames[3] = {"水平方向", "垂直方向", ""};
