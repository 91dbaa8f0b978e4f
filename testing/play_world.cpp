#include "testing/play_world.h"

#include "app/base/file_system.h"
#include "app/base/message_box.h"
#include "app/base/random.h"
#include "app/core/attempt_seed.h"
#include "app/core/colour_animation.h"
#include "app/core/menu_cursor.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "app/core/sound_lists.h"
#include "app/core/surface_tables.h"
#include "flow/command_table.h"
#include "flow/flow.h"
#include "flow/move_settings.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_fade.h"
#include "platform/draw/surface/dd_image.h"
#include "platform/draw/tests/bmp_builder.h"
#include "platform/input/input_state.h"
#include "records/data_path.h"
#include "records/database.h"
#include "records/record_file.h"
#include "records/system.h"
#include "sample/sample_flows.h"
#include "sample/sample_game.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"
#include "testing/golden.h"
#include "testing/stage_guard.h"

namespace {

// Key-condition lists: 0..9 directions, 10 + n button n.
constexpr int kListLeft = 1, kListRight = 2, kListUpLeft = 5, kListDownLeft = 6;
constexpr int kListUpRight = 7, kListDownRight = 8, kListButton1 = 11;

PALENTRY TestColour(int i) {
  return PALENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 128, 0};
}

void ResetWorld() {
  ResetStageTestGlobals();
  ResetInputGlobals();
  ResetShellState();
  ResetSoundLists();
  ResetMenuCursor();
  ResetColourAnimation();
  InitSurfaceInfoTable();
  g_PlayData.Reset();
  g_PlayDataStart = g_PlayData;
  g_PlayDataPrev = g_PlayData;
  g_Replay.Clear();
  g_ReplayPrev.Clear();
  g_SceneManager.Reset();
  g_lpPlayScene = nullptr;
}

}  // namespace

uint32_t WorldRgb(int n) {
  const PALENTRY e = TestColour(n);
  return uint32_t{e.peRed} << 16 | uint32_t{e.peGreen} << 8 | e.peBlue;
}

std::string WorldBitmap(int nWidth, int nHeight, const std::function<uint32_t(int, int)>& pixel) {
  BmpDesc desc;
  desc.nWidth = nWidth;
  desc.nHeight = nHeight;
  for (int i = 0; i < 256; ++i) desc.colours.push_back(WorldRgb(i));
  desc.pixel = pixel;
  return MakeBmp(desc);
}

uint32_t BackBufferRgb(int x, int y) {
  cSurfaceLock lock(&g_BackBufferSD);
  if (!lock.IsLocked() || lock.m_nBytesPerPixel != 4 || x < 0 || y < 0 || x >= lock.m_nWidth ||
      y >= lock.m_nHeight)
    return 0xFFFFFFFFu;
  return lock.Row<uint32_t>(y)[x] & 0xFFFFFFu;
}

void cPlayWorld::AddHeroFlows(cEdChara& hero) {
  hero.m_vFlow.push_back(Flow(0, {Keys({kListLeft, kListUpLeft, kListDownLeft}, 1)}, {Walk(2)}, 1));
  hero.m_vFlow.push_back(
      Flow(0, {Keys({kListRight, kListUpRight, kListDownRight}, 1)}, {Walk(3)}, 1));
  cFlowCommand jump = Command(CMD_JUMP, 0);
  jump.m_Params[0] = 1;  // the height follows the key
  jump.m_Params[2] = 7;  // up to 7 half blocks
  // Stage variable 1 counts the jumps.
  hero.m_vFlow.push_back(
      Flow(0, {Keys({kListButton1}, 0)}, {CountVariable(VARKIND_STAGE, 1), jump}, 0));
}

void cPlayWorld::BuildStage(const std::vector<std::string>& rows, std::optional<int> nLevel) {
  cEdStage& stage = g_Stage;
  stage.SetDefaults();
  stage.m_nHeight = static_cast<int>(rows.size());
  stage.m_nWidth = rows.empty() ? 0 : static_cast<int>(rows[0].size());
  if (nLevel) stage.m_nCollisionLevel = *nLevel;
  // The digests follow the time limit as it counts down.
  stage.m_bTimeLimit = 1;
  // Play starts without the 80 frames of the start banner.
  stage.m_bShowStart = 0;
  for (int y = 0; y < stage.m_nHeight; ++y) {
    for (int x = 0; x < stage.m_nWidth; ++x) {
      const char ch = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
      if (ch == '#' || ch == 'X') {
        cEdBlock& b = stage.m_vPlacedBlock.emplace_back();
        b.m_nGraphic = ch == '#' ? 1 : 2;
        if (ch == 'X') b.m_nHitKind = BLOCKHIT_FATAL;
        b.m_nTileX = static_cast<int16_t>(x);
        b.m_nTileY = static_cast<int16_t>(y);
      } else if (ch == 'H') {
        cEdChara& hero = stage.m_vPlacedChara.emplace_back();
        hero.m_nKind = CHARAKIND_PLAYER;
        hero.m_nFaction = 0;  // the hero's, not a computer character's 1
        hero.m_nGraphic = 1;
        hero.m_nTileX = static_cast<int16_t>(x);
        hero.m_nTileY = static_cast<int16_t>(y);
        AddHeroFlows(hero);
      } else if (ch == 'E' || ch == 'L') {
        cEdChara& c = stage.m_vPlacedChara.emplace_back();
        c.m_nKind = CHARAKIND_COM;
        c.m_nGraphic = 1;
        c.m_nTileX = static_cast<int16_t>(x);
        c.m_nTileY = static_cast<int16_t>(y);
        if (ch == 'E') {
          AddPacerFlows(c);
        } else {
          c.m_nFly = 1;  // through the map
          c.m_bBlockChara = 1;
          AddLiftFlows(c, 10, 10);
        }
      } else if (ch == '$') {
        cEdItem& coin = stage.m_vPlacedItem.emplace_back();
        coin.m_nGraphic = 1;
        coin.m_vItemCommand.push_back(ItemAddStatus(2, 3, kCoinScore));
        coin.m_nTileX = static_cast<int16_t>(x);
        coin.m_nTileY = static_cast<int16_t>(y);
      }
    }
  }
  g_StageStart.CopySettingsFrom(stage);
}

cPlayWorld::cPlayWorld(const PLAYWORLDOPTIONS& options) {
  ResetWorld();
  SetMessageBoxProvider([](const std::string&, const std::string&, MsgBoxType) {
    return static_cast<int>(kMsgBoxOk);
  });
  DDResetForTests();
  DDResetFadeAngles();
  SetPresenter(&m_Presenter);
  SetFramePacer([](int, int, uint32_t) { return true; });
  for (int i = 0; i < 256; ++i) g_Palette[i] = g_PaletteBase[i] = g_PaletteShown[i] = TestColour(i);
  WriteBitmaps();
  m_bStarted =
      DDInit(options.bGpu ? 1 : 0, nullptr, 640, 480, options.nBpp, 0, options.nBpp == 8 ? 0 : 1, 1,
             60, 0, g_SurfaceTable, g_SurfaceInfoTable, kSurfaceCount);
  if (options.bGpu) LinkSurfaceVariants();
  DDShowPaletteEntries(g_PaletteShown, 0, 255);
  const PALENTRY key = TestColour(0);
  DDSetTransmit(key.peRed, key.peGreen, key.peBlue);
  g_SceneManager.m_nFrameRate = 60;
  g_SceneManager.m_nFadeStep = 10;
  g_System.m_bReplay = 1;
  const uint32_t nSeed = options.nSeed;
  SetAttemptSeedSource([nSeed] { return nSeed; });
  BuildStage(options.rows, options.nLevel);
  g_PlayData.m_nStartLives = 3;
  g_PlayData.m_nLives = 3;
}

cPlayWorld::~cPlayWorld() {
  m_lpScene.reset();
  g_lpPlayScene = nullptr;
  DDRelease();
  DDResetForTests();
  DDResetFadeAngles();
  SetAttemptSeedSource(nullptr);
  SetPresenter(nullptr);
  SetFramePacer(nullptr);
  SetMessageBoxProvider(nullptr);
  ResetWorld();
}

void cPlayWorld::WriteBitmaps() {
  // Each sheet in a colour of its own; blocks 1 and 2 in two colours.
  auto sheet = [](int nColour) {
    return WorldBitmap(256, 256, [nColour](int, int) { return static_cast<uint32_t>(nColour); });
  };
  m_Folder.WriteFile("bmp\\Block.bmp", WorldBitmap(64, 480, [](int, int y) -> uint32_t {
                       return y < 32 ? 0u : (y < 64 ? 20u : 21u);
                     }));
  for (int k = 1; k <= 8; ++k)
    m_Folder.WriteFile("bmp\\Character" + std::to_string(k) + ".bmp", sheet(30 + k));
  m_Folder.WriteFile("bmp\\Shot.bmp", sheet(40));
  m_Folder.WriteFile("bmp\\Item.bmp", sheet(41));
  m_Folder.WriteFile("bmp\\Item_Mini.bmp", sheet(42));
  m_Folder.WriteFile("bmp\\Mark.bmp", sheet(43));
  m_Folder.WriteFile("bmp\\Window.bmp", sheet(45));
  m_Folder.WriteFile("bmp\\StatusWindow.bmp", sheet(46));
  m_Folder.WriteFile("bmp\\Title.bmp", sheet(47));
  m_Folder.WriteFile("bmp\\Accessory.bmp", sheet(49));
  m_Folder.WriteFile("bmp\\Symbol.bmp", sheet(50));
  m_Folder.WriteFile("bmp\\Word.bmp", sheet(51));
}

void cPlayWorld::Start(bool bReplay) {
  g_SceneManager.m_nTitleChoice = bReplay ? 4 : 3;
  g_SceneManager.m_nGameKind = bReplay ? GAMEKIND_REPLAY : GAMEKIND_FREE;
  g_SceneManager.m_nScene = SCENE_PLAY;
  g_SceneManager.m_nPrevScene = SCENE_TITLE;
  m_lpScene.reset();
  g_lpPlayScene = nullptr;
  m_lpScene = std::make_unique<cPlayScene>();
  g_lpPlayScene = m_lpScene.get();
}

void cPlayWorld::Frame(uint16_t wDir, uint16_t wButtons) {
  cInputState& input = g_InputStates.At(0);
  input.m_wDir = wDir;
  input.m_wButtons = wButtons;
  input.m_nKeypad = cInputState::GetKeypadDirection(wDir);
  m_lpScene->Run();
}

bool cPlayWorld::RunUntilPlay() {
  for (int i = 0; i < 200; ++i) {
    if (m_lpScene->m_nState == 2) return true;
    Frame(0, 0);
  }
  return false;
}

uint64_t cPlayWorld::PresentChecksum() {
  g_SceneManager.Flip();
  return FrameChecksum(m_Presenter.m_frame.data(), m_Presenter.m_nWidth, m_Presenter.m_nHeight,
                       m_Presenter.m_nWidth);
}

bool cPlayWorld::LoadSampleStage(const char* pszStage) {
  if (!WriteSampleProject() || !WriteSampleBitmaps() || !CopyTree("default", "data")) return false;
  if (g_Database.LoadAll() != 1) return false;
  BuildDatabaseTables();
  if (!g_System.LoadFromFile(g_DataPath[DATAPATH_SYSTEM])) return false;
  // The sound list as start-up makes it, so that the sounds of the sample's
  // flows have their entries (without a sound device they stay silent).
  BuildSoundList();
  return g_CommonPalette.LoadFromFile(g_DataPath[DATAPATH_COMMON_PALETTE]) &&
         LoadStageForPlay(pszStage, 1, &g_StageStart) == 1;
}
