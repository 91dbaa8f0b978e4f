#include "records/system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "records/data_path.h"
#include "records/database.h"
#include "testing/game_folder.h"
#include "testing/record_bytes.h"
#include "testing/record_guard.h"
#include "testing/test_random.h"

namespace {

class SystemTest : public ::testing::Test {
 protected:
  cRecordGlobalsGuard m_Guard;
  cTestGameFolder m_Folder;
};

std::vector<std::string> Keys(const cSystem& s) {
  std::vector<std::string> keys;
  for (const cIniEntry& e : s.m_IniEntries) keys.push_back(e.m_strKey);
  return keys;
}

std::vector<std::string> Captions(const cCheckedVector<cMenuItem>& items) {
  std::vector<std::string> captions;
  for (const cMenuItem& item : items) captions.push_back(item.m_strCaption);
  return captions;
}

std::vector<int> Ints(const cCheckedVector<uint8_t>& v) { return {v.begin(), v.end()}; }

TEST_F(SystemTest, NewRecordHoldsTheDefaults) {
  const cSystem s;
  EXPECT_EQ(s.FieldList().size(), 42u);
  EXPECT_EQ(s.StringList().size(), 1u);

  EXPECT_EQ(Ints(s.m_abCarryOver), (std::vector<int>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                     1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 0, 0}));
  EXPECT_EQ(s.m_abDropOnMiss.CountValue(1), 2);
  EXPECT_EQ(s.m_abDropOnMiss.At(11) + s.m_abDropOnMiss.At(12), 2);
  EXPECT_EQ(s.m_Texts.size(), 28u);
  EXPECT_EQ(s.m_Texts.At(16), "保存先が不明です！一度は「セーブ」して下さい！");
  EXPECT_EQ(s.m_Texts.At(27), "F3キーでランキングへ登録");
  EXPECT_EQ(s.m_TitleMenu.size(), 7u);
  EXPECT_EQ(Captions(s.m_GameMenu),
            (std::vector<std::string>{"セーブ", "オートセーブ", "もどる", "タイトルへ"}));
  ASSERT_EQ(s.m_OptionMenu.size(), 6u);
  EXPECT_EQ(s.m_OptionMenu.At(5).m_bShow, 1);
  EXPECT_EQ(s.m_OptionMenu.At(5).m_strCaption, "");
  ASSERT_EQ(s.m_StatusItems.size(), 5u);
  EXPECT_EQ(s.m_StatusItems.At(4).m_strLabel, "人");
  EXPECT_EQ(s.m_StatusItems.At(0).m_nDigits, 4);
  EXPECT_EQ(s.m_StatusItems.At(2).m_nThreshold, 0);
  ASSERT_EQ(s.m_RankGenres.size(), 4u);
  EXPECT_EQ(s.m_RankGenres.At(3).m_bEnabled, 0);
  EXPECT_EQ(s.m_RankGenres.At(2).m_abGenres.CountValue(1), 5);
  EXPECT_EQ(s.m_SystemSounds.size(), 17u);
  EXPECT_EQ(s.m_SystemSounds.CountValue(""), 17);
  EXPECT_EQ(std::vector<int32_t>(s.m_anLives.begin(), s.m_anLives.end()),
            (std::vector<int32_t>{5, 5, 5, 99}));
  EXPECT_EQ(s.m_RankModeNames.At(3), "自動登録（登録名固定）");

  EXPECT_EQ(Keys(s), (std::vector<std::string>{"Direct3D", "WindowMode", "Bpp", "VSync",
                                               "D3D_FontCache", "DD_FontCache", "DD_VideoStretch",
                                               "ShowFps", "FreeStage", "English"}));
  for (int i = 0; i < 10; ++i) EXPECT_EQ(s.m_IniEntries.At(i).m_nType, i == 8 ? 1 : 0) << i;
  EXPECT_EQ(s.m_IniEntries.At(0).m_nValue, 2);
  EXPECT_EQ(s.m_IniEntries.At(3).m_nValue, 2);

  // Plain fields: the non-zero defaults, and engine switches at 0.
  EXPECT_EQ(s.m_nExtraLifeScore, 100);
  EXPECT_EQ(s.m_nFontFace, 60);
  EXPECT_EQ(s.m_nStageCount, 40);
  EXPECT_EQ(s.m_nColourStep, 16);
  EXPECT_EQ(s.m_nDDDepth, 2);
  EXPECT_EQ(s.m_bPauseRetryChallenge, 1);
  EXPECT_EQ(s.m_bExtraLife, 0);
  EXPECT_EQ(s.m_nScrollCarryMode + s.m_bRepeatRaise + s.m_bHitMode + s.m_bSignedMoveTime, 0);
}

// ---- Files of older versions ----------------------------------------------

// Layout of the plain fields, in file order: first version, last version + 1
// (0 = still present) and width.
struct FieldSpec {
  int nFrom;
  int nUntil;
  int nWidth;
};
const FieldSpec kFieldLayout[] = {
    {185, 0, 4}, {0, 0, 4},     {0, 0, 4},   {0, 0, 4},   {205, 0, 4}, {170, 0, 4}, {113, 0, 4},
    {184, 0, 4}, {157, 0, 4},   {0, 0, 4},   {191, 0, 4}, {191, 0, 4}, {0, 0, 4},   {0, 0, 4},
    {167, 0, 4}, {167, 0, 4},   {188, 0, 4}, {224, 0, 4}, {167, 0, 4}, {167, 0, 4}, {188, 0, 4},
    {224, 0, 4}, {188, 0, 4},   {192, 0, 4}, {187, 0, 4}, {187, 0, 1}, {187, 0, 1}, {187, 0, 1},
    {214, 0, 4}, {221, 260, 4}, {261, 0, 4}, {272, 0, 4}, {287, 0, 4}, {515, 0, 4}, {289, 0, 4},
    {525, 0, 4}, {555, 0, 4},   {637, 0, 4}, {669, 0, 4}, {677, 0, 4}, {695, 0, 4}, {670, 0, 4},
    {670, 0, 4},
};
constexpr int kBitmapFormatField = 24;

// Texts of the current layout that older files lack: (first version with
// them, index in the current list).
bool TextIsNewer(int nVersion, int i) {
  return (nVersion < 169 && (i == 14 || i == 15 || i == 16)) ||
         (nVersion < 181 && (i == 8 || i == 9)) || (nVersion < 193 && (i == 22 || i == 23));
}

// A System.dat as an editor of that version wrote it. Every plain field
// present holds 7 (the bitmap format nBitmapFormat, the retired field
// 12345); carried-property bytes are 10, 11, 12...; texts, game-menu items
// and option keys are the defaults minus the entries added later.
std::string MakeSystemFile(int v, int nBitmapFormat = 1) {
  const cSystem defaults;
  cRecordBytes b;
  b.u32(static_cast<uint32_t>(v));
  int nFields = 0;
  for (const FieldSpec& f : kFieldLayout)
    if (v >= f.nFrom && (f.nUntil == 0 || v < f.nUntil)) ++nFields;
  b.Fields(static_cast<uint32_t>(nFields));
  for (int i = 0; i < static_cast<int>(std::size(kFieldLayout)); ++i) {
    const FieldSpec& f = kFieldLayout[i];
    if (v < f.nFrom || (f.nUntil != 0 && v >= f.nUntil)) continue;
    if (f.nWidth == 1)
      b.u8(7);
    else
      b.i32(f.nUntil != 0 ? 12345 : i == kBitmapFormatField ? nBitmapFormat : 7);
  }
  b.Strings(1).str("Title");

  const int nCarry = 25 - (v < 168) - (v < 201) - (v < 210);
  b.u32(static_cast<uint32_t>(nCarry));
  for (int i = 0; i < nCarry; ++i) b.u8(static_cast<uint8_t>(10 + i));
  if (v >= 501) {
    b.u32(25);
    for (int i = 0; i < 25; ++i) b.u8(3);
  }
  b.u32(5);  // status items
  for (int i = 0; i < 5; ++i) {
    const int n = 3 + (v >= 204) + 2 * (v >= 587);
    b.Fields(static_cast<uint32_t>(n));
    for (int k = 0; k < n; ++k) b.i32(5);
    b.Strings(1).str("L");
  }
  b.u32(4).i32(8).i32(8).i32(8).i32(8);  // lives
  if (v >= 191) b.u32(4).i32(2).i32(2).i32(2).i32(2);
  if (v >= 186) {
    b.u32(4);
    for (int i = 0; i < 4; ++i) b.IntRecord({1}).u32(5).u8(1).u8(1).u8(1).u8(1).u8(1);
  }
  std::vector<std::string> texts;
  for (int i = 0; i < 28; ++i)
    if (!TextIsNewer(v, i)) texts.push_back(defaults.m_Texts.At(i));
  b.u32(static_cast<uint32_t>(texts.size()));
  for (const std::string& t : texts) b.str(t);
  b.u32(17);
  for (int i = 0; i < 17; ++i) b.str("se" + std::to_string(i));
  b.u32(4).i32(1).i32(0).i32(1).i32(0);  // scene music
  if (v >= 202) b.u32(4).u8(0).u8(0).u8(0).u8(0);
  b.u32(7);
  for (int i = 0; i < 7; ++i) b.IntRecord({0}, defaults.m_TitleMenu.At(i).m_strCaption);
  if (v < 169) {
    b.u32(3).IntRecord({1}, "セーブ").IntRecord({1}, "もどる").IntRecord({1}, "タイトルへ");
  } else {
    b.u32(4);
    for (int i = 0; i < 4; ++i) b.IntRecord({1}, defaults.m_GameMenu.At(i).m_strCaption);
  }
  b.u32(6);
  for (int i = 0; i < 6; ++i) b.IntRecord({1}, defaults.m_OptionMenu.At(i).m_strCaption);
  if (v >= 674) b.u32(4).str("r0").str("r1").str("r2").str("r3");
  std::vector<std::pair<std::string, int>> ini;
  if (v >= 286) ini.push_back({"Direct3D", 7});
  ini.push_back({"WindowMode", 7});
  ini.push_back({"Bpp", 7});
  ini.push_back({"VSync", 3});
  if (v >= 568) ini.push_back({"D3D_FontCache", 7});
  if (v >= 568) ini.push_back({"DD_FontCache", 7});
  if (v >= 567) ini.push_back({"DD_VideoStretch", 7});
  ini.push_back({"ShowFps", 7});
  ini.push_back({"FreeStage", 0});
  if (v >= 672) ini.push_back({"English", 7});
  b.u32(static_cast<uint32_t>(ini.size()));
  for (const auto& [strKey, nValue] : ini) {
    b.Fields(2).i32(strKey == "FreeStage" ? 1 : 0);
    b.i32(nValue);
    b.Strings(2).str(strKey).str(strKey == "FreeStage" ? "w01" : "");
  }
  return b.Bytes();
}

cSystem LoadSystemFile(const cTestGameFolder& folder, const std::string& strBytes) {
  folder.WriteFile("data\\System.dat", strBytes);
  cSystem s;
  EXPECT_TRUE(s.LoadFromFile(g_DataPath[DATAPATH_SYSTEM]));
  EXPECT_EQ(s.FieldList().size(), 42u);
  return s;
}

// A record whose bitmap format alone is 123, to tell that field in a table.
cSystem MakeFormatProbe() {
  cSystem s;
  s.m_nBitmapFormat = 123;
  return s;
}

TEST_F(SystemTest, PlainFieldsOfOlderFilesGetTheirMigratedValues) {
  using Get = std::function<int(const cSystem&)>;
  struct Case {
    int nFirst;  // first version with the field
    Get get;
    int nMigrated;  // value after loading a file of nFirst - 1
  };
  const Case cases[] = {
      {113, [](const cSystem& s) { return s.m_bKeepMarkedFlows; }, 0},
      {157, [](const cSystem& s) { return s.m_bMenuPicture; }, 0},
      {167, [](const cSystem& s) { return s.m_bMapShowsScore; }, 1},
      {167, [](const cSystem& s) { return s.m_bMenuShowsTotal; }, 1},
      {167, [](const cSystem& s) { return s.m_bSelectShowsScores; }, 1},
      {167, [](const cSystem& s) { return s.m_bSelectShowsTotal; }, 1},
      {170, [](const cSystem& s) { return s.m_nFontSetting; }, 0},
      {184, [](const cSystem& s) { return s.m_bReplay; }, 1},
      {185, [](const cSystem& s) { return s.m_bExtraLife; }, 1},
      {187, [](const cSystem& s) { return s.m_nBitmapFormat; }, 0},
      {187, [](const cSystem& s) { return s.m_cbTransRed; }, 0},
      {187, [](const cSystem& s) { return s.m_cbTransGreen; }, 177},
      {187, [](const cSystem& s) { return s.m_cbTransBlue; }, 0},
      {188, [](const cSystem& s) { return s.m_bResetVarsStory; }, 1},
      {188, [](const cSystem& s) { return s.m_bResetVarsChallenge; }, 1},
      {188, [](const cSystem& s) { return s.m_bResetVarsFree; }, 1},
      {191, [](const cSystem& s) { return s.m_bRetryMenu; }, 0},
      {191, [](const cSystem& s) { return s.m_bMapShowsLives; }, 0},
      {192, [](const cSystem& s) { return s.m_bResetVarsDirect; }, 1},
      {205, [](const cSystem& s) { return s.m_nFontFace; }, 60},
      {214, [](const cSystem& s) { return s.m_nScrollCarryMode; }, 1},
      {224, [](const cSystem& s) { return s.m_bPauseRetryStory; }, 0},
      {224, [](const cSystem& s) { return s.m_bPauseRetryChallenge; }, 0},
      {261, [](const cSystem& s) { return s.m_nScaleAnchorMode; }, 1},
      {272, [](const cSystem& s) { return s.m_bKeepDefeated; }, 0},
      {287, [](const cSystem& s) { return s.m_bCharaColours; }, 0},
      {289, [](const cSystem& s) { return s.m_bColourCycle; }, 0},  // full-colour project
      {515, [](const cSystem& s) { return s.m_nColourStep; }, 16},
      {525, [](const cSystem& s) { return s.m_bRepeatRaise; }, 1},
      {555, [](const cSystem& s) { return s.m_bShotMode; }, 1},
      {637, [](const cSystem& s) { return s.m_bSummonMode; }, 0},
      {669, [](const cSystem& s) { return s.m_bKeySeqMode; }, 1},
      {670, [](const cSystem& s) { return s.m_nD3DDepth; }, 0},
      {670, [](const cSystem& s) { return s.m_nDDDepth; }, 2},
      {677, [](const cSystem& s) { return s.m_bHitMode; }, 1},
      {695, [](const cSystem& s) { return s.m_bSignedMoveTime; }, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nFirst);
    const cSystem before = LoadSystemFile(m_Folder, MakeSystemFile(c.nFirst - 1));
    EXPECT_EQ(c.get(before), c.nMigrated);
    const cSystem from = LoadSystemFile(m_Folder, MakeSystemFile(c.nFirst));
    const bool bBitmapFormat = c.get(MakeFormatProbe()) == 123;
    EXPECT_EQ(c.get(from), bBitmapFormat ? 1 : 7) << "field read from the file";
    // Fields of the oldest layout stay aligned in every version.
    EXPECT_EQ(before.m_nStageCount, 7);
    EXPECT_EQ(before.m_strTitle, "Title");
  }
}

TEST_F(SystemTest, SwitchesThatDependOnMoreThanTheVersion) {
  struct Case {
    int nVersion;
    int nBitmapFormat;
    int nColourCycle;
    int nSummonMode;
  };
  const Case cases[] = {
      {288, 0, 1, 1}, {288, 1, 0, 1}, {600, 1, 7, 1}, {616, 1, 7, 1},
      {617, 1, 7, 0}, {620, 1, 7, 0}, {636, 1, 7, 0}, {637, 1, 7, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nVersion);
    const cSystem s = LoadSystemFile(m_Folder, MakeSystemFile(c.nVersion, c.nBitmapFormat));
    EXPECT_EQ(s.m_bColourCycle, c.nColourCycle);
    EXPECT_EQ(s.m_bSummonMode, c.nSummonMode);
  }
}

// Vectors whose entries older versions lacked end up in the current order.
TEST_F(SystemTest, VectorsOfOlderFilesAreBroughtToTheCurrentLayout) {
  const cSystem defaults;
  auto Seq = [](std::vector<int> v, int a, int b) {
    for (int i = a; i <= b; ++i) v.push_back(i);
    return v;
  };
  auto Carry = [&](std::initializer_list<std::pair<int, int>> runs) {
    std::vector<int> v;
    for (auto [a, b] : runs) v = a < 0 ? (v.push_back(b), v) : Seq(v, a, b);
    return v;
  };
  // {-1, x} is the single value x; {a, b} the file bytes a..b.
  const std::vector<int> kCarry167 =
      Carry({{10, 18}, {-1, 0}, {19, 23}, {-1, 0}, {24, 25}, {-1, 1}, {26, 31}});
  const std::vector<int> kCarry168 = Carry({{10, 18}, {-1, 0}, {19, 23}, {-1, 0}, {24, 32}});
  const std::vector<int> kCarry201 = Carry({{10, 18}, {-1, 0}, {19, 33}});
  const std::vector<int> kCarry210 = Carry({{10, 34}});

  for (int v : {100, 160, 167, 168, 169, 180, 181, 185, 186, 190, 191, 192, 193, 200, 201, 202,
                209, 210, 285, 286, 500, 501, 566, 567, 568, 586, 587, 671, 672, 673, 674, 695}) {
    SCOPED_TRACE(v);
    const cSystem s = LoadSystemFile(m_Folder, MakeSystemFile(v));

    EXPECT_EQ(Ints(s.m_abCarryOver), v < 168   ? kCarry167
                                     : v < 201 ? kCarry168
                                     : v < 210 ? kCarry201
                                               : kCarry210);
    EXPECT_EQ(Ints(s.m_abDropOnMiss), std::vector<int>(25, v < 501 ? 0 : 3));
    EXPECT_EQ(s.m_Texts, defaults.m_Texts);
    EXPECT_EQ(Captions(s.m_GameMenu), Captions(defaults.m_GameMenu));
    EXPECT_EQ(s.m_GameMenu.At(1).m_bShow, 1);
    EXPECT_EQ(Keys(s), Keys(defaults));
    EXPECT_EQ(s.m_IniEntries.At(0).m_nValue, v < 286 ? 1 : 7);  // Direct3D
    EXPECT_EQ(s.m_IniEntries.At(3).m_nValue, v < 286 ? 2 : 3);  // VSync, capped at 2 once
    EXPECT_EQ(s.m_IniEntries.At(8).m_strValue, "w01");
    EXPECT_EQ(s.m_IniEntries.At(9).m_nValue, v < 672 ? 0 : 7);  // English
    if (v < 568) {                                              // the inserted entries
      EXPECT_EQ(s.m_IniEntries.At(4).m_nValue, 0);
      EXPECT_EQ(s.m_IniEntries.At(5).m_nValue, 1);
      EXPECT_EQ(s.m_IniEntries.At(6).m_nValue, v < 567 ? 0 : 7);
    }
    EXPECT_EQ(Ints(s.m_abBgmRepeat), std::vector<int>(4, v < 202 ? 1 : 0));
    EXPECT_EQ(std::vector<int32_t>(s.m_abInfiniteLives.begin(), s.m_abInfiniteLives.end()),
              v < 191 ? (std::vector<int32_t>{0, 0, 0, 1}) : (std::vector<int32_t>{2, 2, 2, 2}));
    // Genres 3 and 4 came with 181; older projects keep the defaults of 0..2.
    const int nGenres = v < 181 ? 3 : 5;
    for (int m = 0; m < 4; ++m)
      EXPECT_EQ(s.m_RankGenres.At(m).m_abGenres.CountValue(1), v < 186 && m == 3 ? 0 : nGenres);
    EXPECT_EQ(s.m_RankModeNames.At(0), v < 674 ? defaults.m_RankModeNames.At(0) : "r0");
    const cStatusItem& hp = s.m_StatusItems.At(2);
    EXPECT_EQ(hp.m_bShowNumber, v < 204 ? 1 : 5);
    EXPECT_EQ(hp.m_nThreshold, v < 587 ? 33 : 5);
    EXPECT_EQ(hp.m_bPercent, v < 587 ? 1 : 5);
  }
}

TEST_F(SystemTest, RetiredFieldOfVersions221To259IsSkipped) {
  for (int v : {220, 221, 250, 259, 260}) {
    SCOPED_TRACE(v);
    const cSystem s = LoadSystemFile(m_Folder, MakeSystemFile(v));
    EXPECT_EQ(s.m_nScrollCarryMode, 7);
    EXPECT_EQ(s.m_nScaleAnchorMode, 1);  // not in these files
    EXPECT_EQ(s.m_abCarryOver.At(24), 34);
  }
}

TEST_F(SystemTest, SaveAndLoadGiveTheSameRecordByteForByte) {
  g_Database.m_Bgm.resize(3);
  cSystem s;
  s.m_strTitle = "ゲーム";
  s.m_bHitMode = 1;
  s.m_cbTransGreen = 200;
  s.m_nDDDepth = -1;
  s.m_anSceneBgm = {2, 3, -1, 1};  // rows 3 and -1 do not exist
  s.m_Texts.At(5) = "x";
  s.m_RankGenres.At(1).m_abGenres.resize(7, 9);
  s.m_IniEntries.At(8).m_strValue = "data\\stg4\\w01";
  ASSERT_TRUE(MakeDirectory("data"));
  ASSERT_TRUE(s.SaveToFile(g_DataPath[DATAPATH_SYSTEM]));
  EXPECT_EQ(std::vector<int32_t>(s.m_anSceneBgm.begin(), s.m_anSceneBgm.end()),
            (std::vector<int32_t>{2, 0, 0, 1}));
  const std::string strBytes = m_Folder.ReadFile(g_DataPath[DATAPATH_SYSTEM]);

  cSystem loaded;
  ASSERT_TRUE(loaded.LoadFromFile(g_DataPath[DATAPATH_SYSTEM]));
  EXPECT_EQ(loaded.m_strTitle, "ゲーム");
  EXPECT_EQ(loaded.m_bHitMode, 1);
  EXPECT_EQ(loaded.m_cbTransGreen, 200);
  EXPECT_EQ(loaded.m_nDDDepth, -1);
  EXPECT_EQ(loaded.m_RankGenres.At(1).m_abGenres.size(), 7u);
  ASSERT_TRUE(loaded.SaveToFile("again.dat"));
  EXPECT_EQ(m_Folder.ReadFile("again.dat"), strBytes);

  // A freshly loaded file whose music rows vanished is silenced at load.
  g_Database.m_Bgm.resize(2);
  ASSERT_TRUE(loaded.LoadFromFile("again.dat"));
  EXPECT_EQ(loaded.m_anSceneBgm.At(0), 0);
  EXPECT_EQ(loaded.m_anSceneBgm.At(3), 1);
}

TEST_F(SystemTest, DamagedSystemFilesFailTheLoad) {
  const std::string strGood = MakeSystemFile(695);
  // Every cut of the file fails without a crash (the sanitizers watch).
  for (size_t n = 0; n < strGood.size(); n += 7) {
    m_Folder.WriteFile("data\\System.dat", strGood.substr(0, n));
    cSystem s;
    EXPECT_FALSE(s.LoadFromFile(g_DataPath[DATAPATH_SYSTEM])) << n;
  }
  // A huge count of status items.
  std::string strBad = strGood;
  const size_t nStatusCount = 4 + 4 + 42 * 4 - 3 * 3 + 4 + 10 + 4 + 25 + 4 + 25;
  ASSERT_EQ(strBad.substr(nStatusCount, 4), cRecordBytes{}.u32(5).Bytes());
  strBad.replace(nStatusCount, 4, cRecordBytes{}.u32(0x7FFFFFFF).Bytes());
  m_Folder.WriteFile("data\\System.dat", strBad);
  cSystem s;
  EXPECT_FALSE(s.LoadFromFile(g_DataPath[DATAPATH_SYSTEM]));
  EXPECT_NE(m_Folder.ReportLogText().find("record count 2147483647"), std::string::npos);

  // Random damage: bytes overwritten anywhere load or fail, never crash.
  cTestRandom random;
  for (int nRound = 0; nRound < 300; ++nRound) {
    std::string strDamaged = strGood;
    for (int k = 0; k < 4; ++k) strDamaged[random.Index(strDamaged.size())] = random.Byte();
    cRecordReader reader(strDamaged);
    reader.Skip(4);
    cSystem damaged;
    damaged.Load(reader);
  }
}

// Play data holds a result per stage: a stored count is cut to 0..999.
TEST_F(SystemTest, StageCountIsClampedWithOneLogLine) {
  struct Case {
    int32_t nStored, nLoaded;
  };
  const Case cases[] = {{0, 0},          {40, 40},         {999, 999}, {1000, 999},
                        {10000000, 999}, {INT32_MAX, 999}, {-1, 0},    {INT32_MIN, 0}};
  ASSERT_TRUE(MakeDirectory("data"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nStored);
    cSystem s;
    s.m_nStageCount = c.nStored;
    ASSERT_TRUE(s.SaveToFile(g_DataPath[DATAPATH_SYSTEM]));
    m_Folder.WriteFile("Report_Game.txt", "");
    cSystem loaded;
    ASSERT_TRUE(loaded.LoadFromFile(g_DataPath[DATAPATH_SYSTEM]));
    EXPECT_EQ(loaded.m_nStageCount, c.nLoaded);
    const std::string strLog = m_Folder.ReportLogText();
    EXPECT_EQ(std::count(strLog.begin(), strLog.end(), '\n'), c.nStored == c.nLoaded ? 0 : 1)
        << strLog;
    if (c.nStored != c.nLoaded) {
      EXPECT_NE(strLog.find("stage count"), std::string::npos);
    }
  }
}

TEST_F(SystemTest, RankingGenresAndStatusThresholds) {
  cSystem& s = g_System;
  s.m_RankGenres.At(0).m_abGenres = {1, 0, 1, 0, 1};
  EXPECT_EQ(s.CountRankingGenres(0), 3);
  s.m_RankGenres.At(0).m_bEnabled = 0;
  EXPECT_EQ(s.CountRankingGenres(0), 0);  // bytes set, list off

  struct Case {
    int bPercent, nThreshold, nValue, nMax, nReached;
  };
  const Case cases[] = {
      {1, 33, 33, 100, 1}, {1, 33, 34, 100, 0}, {1, 33, 1, 3, 0},
      {1, 34, 1, 3, 1},    {1, 33, 0, 0, 0},    {1, 33, -1, 0, 1},
      {0, 33, 33, 0, 1},   {0, 33, 34, 100, 0}, {0, -5, -6, 10, 1},
  };
  for (const Case& c : cases) {
    s.m_StatusItems.At(2).m_bPercent = c.bPercent;
    s.m_StatusItems.At(2).m_nThreshold = c.nThreshold;
    EXPECT_EQ(StatusItemReached(2, c.nValue, c.nMax), c.nReached)
        << c.bPercent << " " << c.nThreshold << " " << c.nValue << "/" << c.nMax;
  }
}

TEST_F(SystemTest, SystemTextBlocks) {
  cSystem& s = g_System;
  s.m_Texts.At(10) = "0123456789";  // 10 characters
  s.m_Texts.At(11) = "ステージ";    // 4 double-byte characters
  EXPECT_EQ(CenterSystemTextBlock(320, 10, 2, 1), 232);
  EXPECT_EQ(CenterSystemTextBlock(320, 10, 2, 0), 240);
  EXPECT_EQ(CenterSystemTextBlock(320, 11, 1, 0), 288);

  const SYSTEMTEXTBLOCK block = BuildSystemTextBlock(10, 2, 1);
  EXPECT_EQ(block.strText, " 0123456789\n ステージ\n");
  EXPECT_EQ(block.nWidth, 176);
  EXPECT_EQ(block.nHeight, 32);
  s.m_Texts.At(12) = "100%d";
  EXPECT_EQ(BuildSystemTextBlock(12, 1, 0).strText, "100%d\n");
  EXPECT_TRUE(BuildSystemTextBlock(12, 0, 0).strText.empty());
  s.m_Texts.At(12) = std::string(600, 'a');
  EXPECT_EQ(BuildSystemTextBlock(12, 1, 0).strText.size(), 511u);
}

}  // namespace
