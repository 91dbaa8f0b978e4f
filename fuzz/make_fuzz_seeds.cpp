// Writes the seed inputs of every fuzz target: small files of each form, made
// by the program's own writers and by the builders of the tests, at the
// current data version and, where the tests write them, at older ones.
//
//   make_fuzz_seeds <folder>      -> <folder>/<target>/<seed>
//
// The fuzzing script starts afl++ from these and the target's corpus; the
// replay tests read them too, so every target is shown valid files as well as
// the inputs that once broke it.

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/base/file_system.h"
#include "app/base/message_box.h"
#include "app/core/ranking.h"
#include "platform/draw/tests/bmp_builder.h"
#include "platform/input/input_state.h"
#include "platform/sound/tests/ogg_fixture.h"
#include "platform/sound/tests/sound_test_support.h"
#include "records/database.h"
#include "records/system.h"
#include "records/tests/table_files.h"
#include "sample/sample_game.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_globals.h"
#include "stagedata/tests/stage_generator.h"
#include "stagedata/tests/stage_test_util.h"

namespace fs = std::filesystem;
using namespace soundtest;

namespace {

fs::path g_out;

void Seed(const char* pszTarget, const std::string& strName, const std::string& bytes) {
  const fs::path folder = g_out / pszTarget;
  fs::create_directories(folder);
  std::ofstream(folder / strName, std::ios::binary) << bytes;
}

// A record file as the program writes it.
std::string RecordFile(cRecord& record) {
  cRecordWriter writer;
  writer.WriteI32(g_nDataVersion);
  record.Save(writer);
  return writer.Data();
}

// The player never writes the System record: its seeds are of the current
// version only (the editor's older layouts are the tests' business).
void SystemSeeds() {
  cSystem system;
  Seed("system", "defaults", RecordFile(system));
  system.m_strTitle = "タイトル";
  system.m_nStageCount = 3;
  system.m_bExtraLife = 1;
  system.m_nExtraLifeScore = 5000;
  system.m_anSceneBgm.At(1) = 1;
  Seed("system", "changed", RecordFile(system));
}

void TableSeeds() {
  static const char* const kTargets[10] = {"table_animeset",  "table_anime",   "table_bmp_charaexc",
                                           "table_swordtype", "table_effect",  "table_charaeffect",
                                           "table_screffect", "table_picture", "table_sound",
                                           "table_bgm"};
  cDatabase defaults;
  auto sample = std::make_unique<cDatabase>();
  FillSampleDatabase(*sample, 3);
  std::string defaultFiles[10], sampleFiles[10];
  TableFilesOf(defaults, defaultFiles);
  TableFilesOf(*sample, sampleFiles);
  for (int i = 0; i < 10; ++i) {
    Seed(kTargets[i], "defaults", defaultFiles[i]);
    Seed(kTargets[i], "sample", sampleFiles[i]);
  }
}

void WorldMapSeeds() {
  cEdWorldMap map;
  map.SetSize(6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) map.CellAt(x, y) = (x + y) % 10;
  map.m_nStartX = 1;
  map.m_nStartY = 2;
  for (int i = 0; i < 2; ++i) {
    cEdWorldEvent event;
    event.m_nX = 2 + i;
    event.m_nY = 1;
    event.m_strName = "イベント" + std::to_string(i);
    event.m_Entries.resize(2);
    event.m_Entries[0].m_strStageFile = "data\\stg4\\s" + std::to_string(i) + "-1.stg4_695";
    event.m_Entries[1].m_nKind = WORLDENTRY_ROAD;
    event.m_Entries[1].m_nNeedStage = 1;
    map.m_Events.push_back(event);
  }
  Seed("world_map", "small", RecordFile(map));
  cEdWorldMap defaults;
  Seed("world_map", "defaults", RecordFile(defaults));
}

void PaletteAndStageSeeds() {
  cCommonPalette common;
  GenerateCommonPalette(common);
  const cStageRefs refs = GeneratorRefs(&common, nullptr);
  {
    cStageRefsScope scope(refs);
    Seed("common_palette", "generated", RecordFile(common));
  }
  for (int nVersion : {DATA_VERSION, 600, 400, 173, 172}) {
    auto stage = std::make_unique<cEdStage>();
    GenerateStage(*stage, cStageGenOptions{.nWidth = 20,
                                           .nHeight = 15,
                                           .nPlacedBlocks = 6,
                                           .nPlacedCharas = 2,
                                           .nPlacedItems = 2,
                                           .nFlowsPerChara = 2,
                                           .nCommandsPerFlow = 3,
                                           .nSeed = static_cast<uint32_t>(nVersion)});
    ResolveLinks(*stage, refs);
    Seed("stage", "v" + std::to_string(nVersion), StageFileBytes(*stage, refs, nVersion));
  }
}

void PlayDataAndReplaySeeds() {
  cPlayData play;
  Seed("play_data", "new_game", RecordFile(play));
  play.m_strStageKey = "data\\stg4\\s1.";
  play.m_nLives = 3;
  play.UpdateBestScore("data\\stg4\\s1.", 1200);
  play.m_StageResults.resize(2);
  play.m_StageResults[1].m_bCleared = 1;
  play.ResetHeroStatusList(2);
  play.m_HeroStatus[1].m_nHp = 40;
  Seed("play_data", "in_progress", RecordFile(play));

  // The replay writer writes a file: it writes into a scratch folder.
  auto stage = std::make_unique<cEdStage>();
  auto start = std::make_unique<cEdStage>();
  cCommonPalette common;
  GenerateCommonPalette(common);
  const cStageRefs refs = GeneratorRefs(&common, nullptr);
  GenerateStage(*stage, cStageGenOptions{.nWidth = 20,
                                         .nHeight = 15,
                                         .nPlacedBlocks = 4,
                                         .nPlacedCharas = 2,
                                         .nPlacedItems = 1,
                                         .nFlowsPerChara = 1,
                                         .nCommandsPerFlow = 2});
  ResolveLinks(*stage, refs);
  start->CopySettingsFrom(*stage);
  cReplayData replay;
  replay.m_nSeed = 1234;
  for (int i = 0; i < 300; ++i) {
    const int16_t words[2] = {static_cast<int16_t>(i / 20 % 3), static_cast<int16_t>(i % 7 == 0)};
    replay.RecordFrame(words);
  }
  cStageRefsScope scope(refs);
  if (replay.SaveReplayFile("r.rpl4_695", stage.get(), start.get(), &play) != 1) {
    std::fprintf(stderr, "make_fuzz_seeds: the replay could not be written\n");
    std::exit(1);
  }
  cFileBytes bytes;
  ReadWholeFile("r.rpl4_695", bytes);
  Seed("replay", "played", std::string(bytes.View()));
}

void RankingSeeds() {
  cRankTable table;
  Seed("ranking", "empty", RecordFile(table));
  table.m_Lists.At(0).Insert("あいう", 1200);
  table.m_Lists.At(0).Insert("abc", 800);
  table.m_Lists.At(2).Insert("xy", 6345);
  Seed("ranking", "some_places", RecordFile(table));
  // An older writer's file: three lists.
  table.m_Lists.resize(3);
  const int nVersion = g_nDataVersion;
  g_nDataVersion = 180;
  Seed("ranking", "v180", RecordFile(table));
  g_nDataVersion = nVersion;
}

// "user_data\Boot.dat": version, two fields, the back end and the do-not-ask
// flag, no strings.
void BootSeeds() {
  auto boot = [](int32_t nDrawMode, int32_t bNoAsk) {
    const int32_t words[] = {g_nDataVersion, 2, nDrawMode, bNoAsk, 0};
    return std::string(reinterpret_cast<const char*>(words), sizeof words);
  };
  Seed("boot", "ask", boot(1, 0));
  Seed("boot", "surface_no_ask", boot(0, 1));
}

void KeyConfigSeeds() {
  auto bytesOf = [](const KEYCONFIG& cfg) {
    return std::string(reinterpret_cast<const char*>(&cfg), sizeof cfg);
  };
  KEYCONFIG cfg;
  SetDefaultKeyConfig(cfg);
  Seed("key_config", "defaults", bytesOf(cfg));
  cfg.bUseConfig = 1;
  cfg.nJoystickCount = 2;
  cfg.nEntryCount = kKeyEntryCount;
  for (int k = 0; k < kKeyEntryCount; ++k) {
    cfg.aEntry[k].nDevice = k < 4 ? 0 : (k % 2 ? 1 : kKeyDeviceKeyboard);
    cfg.aEntry[k].wCode = static_cast<uint16_t>(k < 4 ? kAxisXLow << k : 1u << k);
  }
  Seed("key_config", "joysticks", bytesOf(cfg));
}

void BitmapSeeds() {
  for (int nBits : {1, 4, 8, 16, 24, 32})
    for (bool bTopDown : {false, true}) {
      BmpDesc desc;
      desc.nWidth = 5;
      desc.nHeight = 3;
      desc.nBitCount = nBits;
      desc.bTopDown = bTopDown;
      if (nBits <= 8) desc.colours = {0xFF00FF, 0x102030, 0xFFFFFF};
      desc.pixel = [nBits](int x, int y) {
        return nBits <= 8 ? static_cast<uint32_t>((x + y) % 3) : 0x10203u * (x + 3 * y);
      };
      Seed("bmp", std::to_string(nBits) + (bTopDown ? "_top_down" : "_bottom_up"), MakeBmp(desc));
    }
}

void WaveSeeds() {
  Seed("wav", "mono8", ConstantWav8(22050, 64, 200));
  std::string samples;
  for (int i = 0; i < 32; ++i) {
    Le16(samples, static_cast<uint16_t>(i * 1000));
    Le16(samples, static_cast<uint16_t>(-i * 1000));
  }
  Seed("wav", "stereo16_with_list",
       Riff(Chunk("fmt ", FmtBody(1, 2, 44100, 16)) + Chunk("LIST", "INFOabcd") +
            Chunk("data", samples)));
}

void MidiSeeds() {
  const std::string tempo = Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 500000
                                   0x83, 0x00, 0xFF, 0x2F, 0x00});
  const std::string notes =
      Bytes({0x00, 0xC0, 0x05,                                // program
             0x00, 0x90, 0x3C, 0x64, 0x10, 0x3E, 0x64,        // running status
             0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7,  // system exclusive
             0x60, 0xFF, 0x01, 0x02, 'h',  'i',               // text
             0x00, 0x80, 0x3C, 0x00, 0x00, 0xB0, 0x07, 0x50,  // note off, controller
             0x81, 0x00, 0xE0, 0x00, 0x40, 0x00, 0xFF, 0x2F, 0x00});
  Seed("midi", "format1", Smf(1, 96, {tempo, notes}));
  Seed("midi", "format0", Smf(0, 480, {notes}));
}

void OggSeeds() {
  Seed("ogg", "mono22050", MakeOggSine(22050, 1, 3000));
  Seed("ogg", "stereo44100", MakeOggSine(44100, 2, 2000));
}

// Lines of コードの実行 in the forms the tests write.
void CodeSeeds() {
  const char* const lines[] = {
      "C1 = 2 + 3 * 4",
      "C1 = (2 + 3) * 4",
      "C5 = C5 + tg.hp * 2",
      "S1 = rand(1,6)",
      "C2 = C1 C1 = 9",
      "hp = 999999 mhp = 10",
      "tg.hp = 0",
      "life = 5 score = -1",
      "C1 = 1 / 0",
      "foo.hp = 1",
      "scrlx = 600",
      "pl.sight = sys.time % 7",
      "C1 = -2147483648 / -1",
      "v3 = (v3 - (1 * (2)))",
  };
  int n = 0;
  for (const char* pszLine : lines) Seed("code", "line" + std::to_string(++n), pszLine);
}

// Message texts with variable references in the forms the tests write.
void MessageSeeds() {
  const char* const texts[] = {
      "#C5",
      "#C5_4",
      "#C5_4Z",
      "#C5_4P",
      "#S3.を",
      "#S3abc",
      "#C0 #C256 #C #5",
      "#C5_12",
      "表#C1\n#S255",
      "#c1_9zp",
      "#s2#C3",
      "#C00000000000000000000000001",
      "#",
  };
  int n = 0;
  for (const char* pszText : texts) Seed("message", "text" + std::to_string(++n), pszText);
}

// The files of the sample game, each given to the target of its form: up to
// four a target, in name order, and no large picture or song (afl++ mutates
// small files best).
void SampleGameSeeds() {
  constexpr uintmax_t kMaxSeedBytes = 20 << 10;
  constexpr int kMaxSeedsPerTarget = 4;
  const fs::path game = fs::current_path() / "sample";
  fs::create_directories(game);
  fs::current_path(game);
  const bool bWritten = WriteSampleGame();
  fs::current_path(game.parent_path());
  if (!bWritten) {
    std::fprintf(stderr, "make_fuzz_seeds: the sample game could not be written\n");
    std::exit(1);
  }
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(game))
    if (entry.is_regular_file() && entry.file_size() <= kMaxSeedBytes)
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::map<std::string, int> counts;
  for (const fs::path& path : files) {
    const std::string strExt = path.extension().string();
    const std::string strFolder = path.parent_path().filename().string();
    std::string strTarget;
    if (strExt == ".bmp") {
      strTarget = "bmp";
    } else if (strExt == ".wav") {
      strTarget = "wav";
    } else if (strExt == ".mid") {
      strTarget = "midi";
    } else if (strExt == ".ogg") {
      strTarget = "ogg";
    } else if (strExt == ".stg4_695") {
      strTarget = "stage";
    } else if (strExt == ".cplt4") {
      strTarget = "common_palette";
    } else if (path.filename() == "System.dat") {
      strTarget = "system";
    } else if (path.filename() == "WorldMap.dat") {
      strTarget = "world_map";
    } else if (strFolder == "database") {
      strTarget = "table_" + path.stem().string();
      for (char& c : strTarget) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else {
      continue;
    }
    if (++counts[strTarget] > kMaxSeedsPerTarget) continue;
    cFileBytes bytes;
    ReadWholeFile(ToStoredPath(path.string()), bytes);
    Seed(strTarget.c_str(), "sample_" + path.filename().string(), std::string(bytes.View()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds <folder>\n");
    return 2;
  }
  g_out = fs::absolute(argv[1]);
  std::string strScratch = (fs::temp_directory_path() / "player-seeds-XXXXXX").string();
  if (::mkdtemp(strScratch.data()) == nullptr) {
    std::perror("make_fuzz_seeds: cannot make a scratch folder");
    return 1;
  }
  fs::current_path(strScratch);
  SetMessageBoxProvider([](const std::string&, const std::string&, MsgBoxType) { return 1; });

  SystemSeeds();
  TableSeeds();
  WorldMapSeeds();
  PaletteAndStageSeeds();
  PlayDataAndReplaySeeds();
  RankingSeeds();
  BootSeeds();
  KeyConfigSeeds();
  BitmapSeeds();
  WaveSeeds();
  MidiSeeds();
  OggSeeds();
  CodeSeeds();
  MessageSeeds();
  SampleGameSeeds();

  fs::current_path(g_out);
  fs::remove_all(strScratch);
  return 0;
}
