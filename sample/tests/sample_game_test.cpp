// The sample game is written the same way on every run, and every file of it
// loads back through the program's own readers without a report-log line.

#include "sample/sample_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/base/file_system.h"
#include "app/base/format.h"
#include "app/base/report_log.h"
#include "app/base/sjis.h"
#include "app/core/surface_tables.h"
#include "app/core/system_ini.h"
#include "flow/command_table.h"
#include "platform/draw/surface/bmp_file.h"
#include "platform/sound/audio_mixer.h"
#include "platform/sound/midi_file.h"
#include "platform/sound/ogg_player.h"
#include "platform/sound/wave_file.h"
#include "records/data_path.h"
#include "records/database.h"
#include "records/system.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"
#include "testing/game_folder.h"
#include "testing/progress_guard.h"

namespace {

// Every file under a folder (stored paths), with its bytes.
void CollectFiles(const std::string& strFolder, std::map<std::string, std::string>& out) {
  for (const std::string& name : ListDirectory(strFolder.empty() ? "." : strFolder)) {
    const std::string path = strFolder.empty() ? name : strFolder + "\\" + name;
    if (IsDirectory(path)) {
      CollectFiles(path, out);
    } else {
      cFileBytes bytes;
      ASSERT_TRUE(ReadWholeFile(path, bytes)) << path;
      out[path] = bytes.View();
    }
  }
}

bool EndsWith(const std::string& s, const char* pszEnd) {
  const std::string end = pszEnd;
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// The facts of one loaded stage that make it playable: a hero whose flows
// walk, jump and fire, enemies, a pit in the floor, walls at both ends, and
// goals.
struct STAGEFACTS {
  bool bHero = false;
  int nHeroColumn = -1;
  bool bWalk = false, bJump = false, bFire = false;
  int nEnemies = 0;
  int nGoalItems = 0;
  int nOtherItems = 0;
  int nFirstPit = -1;  // the column of the first gap in the bottom row
  bool bWalls = false;
};

STAGEFACTS FactsOf(const cEdStage& stage) {
  STAGEFACTS f;
  const int hero = stage.FindHero();
  f.bHero = hero >= 0;
  if (f.bHero) {
    f.nHeroColumn = stage.m_vPlacedChara[hero].m_nTileX;
    for (const cFlow& flow : stage.m_vPlacedChara[hero].m_vFlow)
      for (const cFlowCommand& c : flow.m_Commands) {
        const bool bKeys = !flow.m_KeyConditions.empty();
        f.bWalk |= bKeys && c.m_cType == CMD_MOVE_STRAIGHT && c.m_pMove != nullptr;
        f.bJump |= bKeys && c.m_cType == CMD_JUMP;
        f.bFire |= bKeys && c.m_cType == CMD_SHOT && c.m_pShot != nullptr;
      }
  }
  for (const cEdChara& c : stage.m_vPlacedChara)
    if (c.m_nKind == CHARAKIND_COM && !c.m_bBlockChara && c.m_nPower > 0) ++f.nEnemies;
  auto clears = [](const cEdItem& item) {
    return std::any_of(item.m_vItemCommand.begin(), item.m_vItemCommand.end(),
                       [](const cFlowCommand& c) { return c.CharaType() == CMD_STAGE_CLEAR; });
  };
  for (const cEdItem& item : stage.m_vPlacedItem) ++(clears(item) ? f.nGoalItems : f.nOtherItems);
  // Solid cells of the bottom row and of the two side columns.
  std::vector<bool> bottom(static_cast<size_t>(stage.m_nWidth), false);
  int nLeft = 0, nRight = 0;
  for (const cEdBlock& b : stage.m_vPlacedBlock) {
    if (b.m_nHitKind == 0) continue;
    if (b.m_nTileY == stage.m_nHeight - 1) bottom[static_cast<size_t>(b.m_nTileX)] = true;
    if (b.m_nTileX == 0) ++nLeft;
    if (b.m_nTileX == stage.m_nWidth - 1) ++nRight;
  }
  const auto pit = std::find(bottom.begin() + 1, bottom.end() - 1, false);
  if (pit != bottom.end() - 1) f.nFirstPit = static_cast<int>(pit - bottom.begin());
  f.bWalls = nLeft == stage.m_nHeight && nRight == stage.m_nHeight;
  return f;
}

TEST(SampleGameTest, EveryRunWritesTheSameBytes) {
  std::map<std::string, std::string> first, second;
  {
    cTestGameFolder folder;
    ASSERT_TRUE(WriteSampleGame());
    CloseReportLog();
    RemoveFile(kReportLogName);
    CollectFiles("", first);
  }
  {
    cTestGameFolder folder;
    ASSERT_TRUE(WriteSampleGame());
    CloseReportLog();
    RemoveFile(kReportLogName);
    CollectFiles("", second);
  }
  ASSERT_EQ(first.size(), second.size());
  for (const auto& [path, bytes] : first) {
    ASSERT_TRUE(second.count(path)) << path;
    EXPECT_TRUE(second[path] == bytes) << path << " differs between two runs";
  }
}

TEST(SampleGameTest, EveryFileLoadsThroughThePlayersReaders) {
  cTestGameFolder folder;
  cProgressGlobalsGuard guard;
  ASSERT_TRUE(WriteSampleGame());
  std::map<std::string, std::string> files;
  CollectFiles("", files);
  files.erase(kReportLogName);

  // What a game folder holds: the project under "default\" (the player's
  // first start copies it to "data\"), the settings and the media beside it.
  for (const char* pszPath : {"System.ini",
                              "default\\System.dat",
                              "default\\WorldMap.dat",
                              "default\\CommonPalette.cplt4",
                              "bmp\\plt\\Palette.bmp",
                              "bmp\\Debug.bmp",
                              "bmp\\Title.bmp",
                              "bmp\\GameMode.bmp",
                              "bmp\\Accessory.bmp",
                              "bmp\\Window.bmp",
                              "bmp\\Symbol.bmp",
                              "bmp\\WorldMapChip.bmp",
                              "bmp\\WorldEvent.bmp",
                              "bmp\\Block.bmp",
                              "bmp\\Character1.bmp",
                              "bmp\\Shot.bmp",
                              "bmp\\Item.bmp",
                              "bmp\\Item_Mini.bmp",
                              "bmp\\Mark.bmp",
                              "bmp\\StatusWindow.bmp",
                              "bmp\\Word.bmp",
                              "bmp\\Number.bmp",
                              "bmp\\picture\\Go.bmp",
                              "bgm\\Title.ogg",
                              "bgm\\Stage.mid"})
    EXPECT_TRUE(files.count(pszPath)) << pszPath << " is missing";
  for (int i = 0; i < 10; ++i)
    EXPECT_TRUE(files.count(g_DataPath[DATAPATH_DATABASE_FIRST + 2 * i + 1]))
        << g_DataPath[DATAPATH_DATABASE_FIRST + 2 * i + 1];
  EXPECT_FALSE(IsDirectory("data")) << "data\\ is made by the player's first start";
  ASSERT_TRUE(CopyTree("default", "data"));

  // The project, as start-up loads it.
  ASSERT_EQ(g_Database.LoadAll(), 1);
  BuildDatabaseTables();
  ASSERT_TRUE(g_System.LoadFromFile(g_DataPath[DATAPATH_SYSTEM]));
  EXPECT_EQ(g_System.m_strTitle, "サンプルアドベンチャー");
  EXPECT_EQ(g_System.m_bMenuPicture, 0);
  for (const std::string& strSound : g_System.m_SystemSounds) {
    EXPECT_TRUE(files.count(strSound)) << strSound;
  }
  for (const cSoundDef& row : g_Database.m_Sound) {
    if (!row.m_strFile.empty()) {
      EXPECT_TRUE(files.count(row.m_strFile)) << row.m_strFile;
    }
  }
  for (const int32_t nBgm : g_System.m_anSceneBgm) {
    ASSERT_GT(nBgm, 0);
    EXPECT_TRUE(files.count(g_Database.m_Bgm.At(nBgm).m_strFile));
  }
  ASSERT_TRUE(g_CommonPalette.LoadFromFile(g_DataPath[DATAPATH_COMMON_PALETTE]));
  ASSERT_TRUE(g_WorldMap.LoadFromFile(g_DataPath[DATAPATH_WORLD_MAP]));

  // The settings file reads to its end, with the sample's window settings.
  SYSTEMINIDATA ini;
  SetSystemIniDefaults(ini, g_System.m_IniEntries);
  EXPECT_EQ(ReadSystemIni("System.ini", ini, g_System.m_IniEntries), 1);
  EXPECT_EQ(ini.Direct3D, 1);
  EXPECT_EQ(ini.WindowMode, 1);
  EXPECT_EQ(ini.ShowFps, 0);
  EXPECT_EQ(ini.FreeStage[0], '\0');
  EXPECT_TRUE(EndsWith(files["System.ini"], "\nExit\n"));

  // Every picture of the surface table that must load is there.
  for (const DDSURFACEINFO& info : g_SurfaceInfoTable) {
    const std::string name = info.szFileName;
    if (info.bOptional || name == "E") continue;
    EXPECT_TRUE(files.count(name)) << name << " of the surface table is missing";
  }

  // Every stage of the world map and of the challenge list.
  std::vector<std::string> stages;
  for (const cEdWorldEvent& ev : g_WorldMap.m_Events)
    for (const cEdWorldEntry& entry : ev.m_Entries)
      if (entry.m_nKind == WORLDENTRY_STAGE) stages.push_back(entry.m_strStageFile);
  EXPECT_GE(stages.size(), 2u);
  ASSERT_GE(g_System.m_nStageCount, 1);
  for (int n = 1; n <= g_System.m_nStageCount; ++n) {
    std::string strPath;
    FormatString(strPath, "%s%02d-1.%s", g_DataPath[DATAPATH_CHALLENGE_STAGE].c_str(), n,
                 g_szFileExt[FILEEXT_STAGE].c_str());
    stages.push_back(strPath);
  }
  for (const std::string& strStage : stages) {
    SCOPED_TRACE(strStage);
    ASSERT_EQ(LoadStageForPlay(strStage.c_str(), 1, &g_StageStart), 1);
    const STAGEFACTS f = FactsOf(g_Stage);
    EXPECT_TRUE(f.bHero);
    EXPECT_TRUE(f.bWalk && f.bJump && f.bFire) << "the hero's keys walk, jump and fire";
    EXPECT_GE(f.nEnemies, 1);
    EXPECT_GE(f.nGoalItems, 1) << "an item that clears the stage";
    EXPECT_GE(f.nOtherItems, 1);
    EXPECT_GE(f.nFirstPit, 0);
    EXPECT_TRUE(f.bWalls);
  }

  // Media: every bitmap an 8-bit picture with the palette of
  // "bmp\plt\Palette.bmp", every sound a PCM wave, the music playable.
  cBmpImage palette;
  ASSERT_EQ(LoadBmpFile("bmp\\plt\\Palette.bmp", palette), BmpLoadResult::kOk);
  // Displays without a palette read entry k from the pixel (k mod 16,
  // 8 + k / 16); the top-left pixel is the transparent colour, entry 0.
  ASSERT_GE(palette.Width(), 16);
  ASSERT_GE(palette.Height(), 24);
  EXPECT_EQ(palette.IndexRow(0)[0], 0);
  for (int k = 0; k < 256; ++k) EXPECT_EQ(palette.IndexRow(8 + k / 16)[k % 16], k) << k;
  int nBitmaps = 0;
  for (const auto& [path, bytes] : files) {
    SCOPED_TRACE(path);
    if (EndsWith(path, ".bmp")) {
      cBmpImage image;
      ASSERT_EQ(LoadBmpFile(path, image), BmpLoadResult::kOk);
      EXPECT_EQ(image.BitCount(), 8);
      EXPECT_TRUE(image.Colours() == palette.Colours());
      ++nBitmaps;
    } else if (EndsWith(path, ".wav")) {
      WAVEDATA wave;
      ASSERT_TRUE(ReadWaveFile(path, wave));
      EXPECT_EQ(wave.wfx.nChannels, 1);
      EXPECT_EQ(wave.wfx.nSamplesPerSec, 22050u);
      EXPECT_GT(wave.dwSize, 0u);
      FreeWaveFile(wave);
    } else if (EndsWith(path, ".mid")) {
      cMidiFile midi(path.c_str());
      EXPECT_TRUE(midi.HasImage());
    } else if (EndsWith(path, ".ogg")) {
      cAudioMixer mixer;
      cOggPlayer player(mixer);
      ASSERT_TRUE(player.Load(path.c_str()));
      player.Play();
      std::vector<float> mix(2 * 22050, 0.0f);
      player.MixInto(mix.data(), 22050, 22050);
      EXPECT_TRUE(std::any_of(mix.begin(), mix.end(), [](float v) { return v != 0.0f; }));
    }
  }
  EXPECT_GE(nBitmaps, 18);
  // The 8-bit display's blend table of palette 0: a mix of a colour with
  // itself is that colour, and the mix of a and b is that of b and a.
  const std::string& blend = files["bmp\\hbt\\hbt00.dat"];
  ASSERT_EQ(blend.size(), 65536u);
  for (int a = 0; a < 256; ++a) {
    EXPECT_EQ(static_cast<uint8_t>(blend[static_cast<size_t>(a) * 257]), a);
    for (int b = 0; b < a; ++b)
      ASSERT_EQ(blend[static_cast<size_t>(a) * 256 + b], blend[static_cast<size_t>(b) * 256 + a]);
  }
  EXPECT_EQ(folder.ReportLogText(), "");
}

// What a new player sees first leaves room: the world map fills the view
// around the hero's start, the first stage has more than a screen of ground
// before its first pit, and the title menu's window covers no cloud of the
// title picture.
TEST(SampleGameTest, TheFirstStartLeavesRoom) {
  cTestGameFolder folder;
  cProgressGlobalsGuard guard;
  ASSERT_TRUE(WriteSampleGame());
  ASSERT_TRUE(CopyTree("default", "data"));
  ASSERT_EQ(g_Database.LoadAll(), 1);
  BuildDatabaseTables();
  ASSERT_TRUE(g_System.LoadFromFile(g_DataPath[DATAPATH_SYSTEM]));
  ASSERT_TRUE(g_CommonPalette.LoadFromFile(g_DataPath[DATAPATH_COMMON_PALETTE]));
  ASSERT_TRUE(g_WorldMap.LoadFromFile(g_DataPath[DATAPATH_WORLD_MAP]));

  // The map view is 20 x 15 cells with the hero in its column 9 and row 7
  // (from 0): at the start every cell of it is a cell of the map.
  const cEdWorldMap& map = g_WorldMap;
  EXPECT_GE(map.m_nStartX, 9);
  EXPECT_GE(map.m_nWidth - map.m_nStartX, 11);
  EXPECT_GE(map.m_nStartY, 7);
  EXPECT_GE(map.m_nHeight - map.m_nStartY, 8);

  // The view of a stage is 20 cells wide: the first pit lies beyond it.
  const cEdWorldEntry& first = map.m_Events.At(0).m_Entries.At(0);
  ASSERT_EQ(first.m_nKind, WORLDENTRY_STAGE);
  ASSERT_EQ(LoadStageForPlay(first.m_strStageFile.c_str(), 1, &g_StageStart), 1);
  const STAGEFACTS f = FactsOf(g_Stage);
  ASSERT_GE(f.nFirstPit, 0);
  EXPECT_GT(f.nFirstPit - f.nHeroColumn, 20);

  // The title menu's window opens at (192, 240), 32 pixels a row and 32 a
  // character of its widest caption, plus its frame and cursor column.
  int nRows = 0, nWidest = 0;
  for (const cMenuItem& item : g_System.m_TitleMenu) {
    nRows += item.m_bShow != 0;
    if (item.m_bShow) nWidest = std::max(nWidest, CountChars(item.m_strCaption.c_str()));
  }
  const int x0 = 192, y0 = 240, x1 = x0 + 32 * nWidest + 34, y1 = y0 + 32 * nRows + 2;
  cBmpImage title;
  ASSERT_EQ(LoadBmpFile("bmp\\Title.bmp", title), BmpLoadResult::kOk);
  ASSERT_GE(title.Width(), x1);
  ASSERT_GE(title.Height(), y1);
  const uint8_t cloud = title.IndexRow(204)[80];  // the middle of the first cloud
  int nCovered = 0;
  for (int y = y0; y < y1; ++y)
    nCovered += static_cast<int>(std::count(title.IndexRow(y) + x0, title.IndexRow(y) + x1, cloud));
  EXPECT_EQ(nCovered, 0);
  EXPECT_EQ(folder.ReportLogText(), "");
}

}  // namespace
