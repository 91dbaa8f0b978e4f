// The System record of a new project: front-end menus and texts, status
// display, ranking genres, lives, music slots and the "System.ini" entries.

#include "records/system.h"

namespace {

const char* const kDefaultTexts[kSystemTextCount] = {
    "ワールド",                                        // 0 stage-select row label
    "ステージ",                                        // 1
    "スコア",                                          // 2 world-map panel score
    "ハイスコア",                                      // 3 stage-select score heading
    "トータルスコア",                                  // 4
    "スコア",                                          // 5 result value 1, genre 0
    "残り時間",                                        // 6 result value 2, genre 1
    "クリア時間",                                      // 7 result value 3, genre 2
    "残りHP",                                          // 8 result value 4, genre 3
    "残りSP",                                          // 9 result value 5, genre 4
    "ステージに挑む",                                  // 10 world-map confirmation
    "やっぱりやめる",                                  // 11
    "セーブする",                                      // 12 save confirmation
    "やっぱりやめる",                                  // 13
    "オートセーブＯＮ",                                // 14 auto-save choice
    "オートセーブＯＦＦ",                              // 15
    "保存先が不明です！一度は「セーブ」して下さい！",  // 16 auto-save without a slot
    "タイトルへ戻る",                                  // 17 return-to-title confirmation
    "やっぱりやめる",                                  // 18
    "しゅうりょう",                                    // 19 pause menu
    "つづける",                                        // 20
    "リトライ",                                        // 21
    "リトライ",                                        // 22 retry-or-return menu
    "マップへ戻る",                                    // 23
    "Vキーでジャンルの切り替え",                       // 24 ranking genre hint
    "スペースキーでタイトルへ戻る",                    // 25 test-play hint
    "スペースキーで終了",                              // 26 direct-start hint
    "F3キーでランキングへ登録",                        // 27 ranking registration hint
};

}  // namespace

void cSystem::SetDefaults() {
  Clear();

  m_nExtraLifeScore = 100;
  m_bPauseHidesStage = 1;
  m_bMainFontFlag = 0;
  m_nFontFace = 60;
  m_bReplay = 1;
  m_bMenuPicture = 1;
  m_bMapShowsScore = 1;
  m_bMenuShowsTotal = 1;
  m_bSelectShowsScores = 1;
  m_bSelectShowsTotal = 1;
  m_bResetVarsStory = 1;
  m_bResetVarsChallenge = 1;
  m_bResetVarsFree = 1;
  m_bPauseRetryStory = 1;
  m_bPauseRetryChallenge = 1;
  m_nColourStep = 16;
  m_bCarryLives = 1;
  m_bRetryMenu = 1;
  m_bMapShowsLives = 1;
  m_nStageCount = 40;
  m_bSelectAllStages = 1;
  m_nD3DDepth = 0;
  m_nDDDepth = 2;

  // Carried hero properties; entries 9 and 18 keep their value.
  m_abCarryOver.resize(kCarriedPropertyCount);
  for (int i : {0, 1, 13, 14, 16, 17, 19, 20, 21}) m_abCarryOver.At(i) = 1;
  for (int i : {2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 15, 22, 23, 24}) m_abCarryOver.At(i) = 0;

  m_abDropOnMiss.resize(kCarriedPropertyCount);
  m_abDropOnMiss.Fill(0);
  m_abDropOnMiss.At(11) = 1;
  m_abDropOnMiss.At(12) = 1;

  struct StatusDefault {
    int32_t nDigits;
    const char* pszLabel;
  };
  static const StatusDefault kStatus[kStatusItemCount] = {
      {4, "スコア"}, {3, "スコア"}, {0, "HP"}, {0, "SP"}, {2, "人"}};
  m_StatusItems.resize(kStatusItemCount);
  for (int i = 0; i < kStatusItemCount; ++i) {
    cStatusItem& item = m_StatusItems.At(i);
    item.m_bShow = 1;
    item.m_bIcon = 1;
    item.m_nDigits = kStatus[i].nDigits;
    item.m_strLabel = kStatus[i].pszLabel;
  }

  m_RankGenres.resize(4);
  for (int nMode = 0; nMode < 4; ++nMode) {
    cGenreFlags& flags = m_RankGenres.At(nMode);
    const uint8_t bOn = nMode < 3 ? 1 : 0;
    flags.m_bEnabled = bOn;
    for (int g = 0; g < 5; ++g) flags.m_abGenres.At(g) = bOn;
  }

  static const char* const kTitleMenu[] = {"はじめから", "つづきから", "チャレンジ",  "フリー",
                                           "リプレイ",   "オプション", "しゅうりょう"};
  m_TitleMenu.resize(7);
  for (int i = 0; i < 7; ++i) m_TitleMenu.At(i).m_strCaption = kTitleMenu[i];

  static const char* const kGameMenu[] = {"セーブ", "オートセーブ", "もどる", "タイトルへ"};
  m_GameMenu.resize(4);
  for (int i = 0; i < 4; ++i) m_GameMenu.At(i).m_strCaption = kGameMenu[i];

  static const char* const kOptionMenu[] = {"BGM", "SE", "ランキング登録", "ランキング登録名",
                                            "もどる"};
  m_OptionMenu.resize(6);
  for (int i = 0; i < 5; ++i) m_OptionMenu.At(i).m_strCaption = kOptionMenu[i];

  static const char* const kRankModes[] = {"手動登録（登録名入力）", "手動登録（登録名固定）",
                                           "自動登録（登録名入力）", "自動登録（登録名固定）"};
  m_RankModeNames.resize(4);
  for (int i = 0; i < 4; ++i) m_RankModeNames.At(i) = kRankModes[i];

  m_anLives.resize(4);
  m_anLives.assign({5, 5, 5, 99});
  m_abInfiniteLives.resize(4);
  m_abInfiniteLives.assign({1, 1, 1, 1});

  m_Texts.resize(kSystemTextCount);
  for (int i = 0; i < kSystemTextCount; ++i) m_Texts.At(i) = kDefaultTexts[i];

  m_SystemSounds.resize(kSystemSoundCount);
  m_SystemSounds.Fill(std::string());

  m_anSceneBgm.resize(4);
  m_anSceneBgm.Fill(0);
  m_abBgmRepeat.resize(4);
  m_abBgmRepeat.Fill(1);

  m_IniEntries.resize(kIniEntryCount);
  m_IniEntries.At(0).SetInt("Direct3D", 2);
  m_IniEntries.At(1).SetInt("WindowMode", 0);
  m_IniEntries.At(2).SetInt("Bpp", 0);
  m_IniEntries.At(3).SetInt("VSync", 2);
  m_IniEntries.At(4).SetInt("D3D_FontCache", 0);
  m_IniEntries.At(5).SetInt("DD_FontCache", 1);
  m_IniEntries.At(6).SetInt("DD_VideoStretch", 0);
  m_IniEntries.At(7).SetInt("ShowFps", 1);
  m_IniEntries.At(8).SetString("FreeStage", "");
  m_IniEntries.At(9).SetInt("English", 0);
}
