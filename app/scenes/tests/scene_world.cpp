#include "app/scenes/tests/scene_world.h"

#include <functional>

#include "app/base/message_box.h"
#include "app/core/colour_animation.h"
#include "app/core/game_start.h"
#include "app/core/menu_cursor.h"
#include "app/core/option_data.h"
#include "app/core/surface_tables.h"
#include "app/scenes/front_end.h"
#include "app/scenes/scene_common.h"
#include "app/scenes/tests/stage_stand_in_scene.h"
#include "app/scenes/world_map_scene.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_fade.h"
#include "platform/draw/font/font.h"
#include "platform/draw/surface/dd_image.h"
#include "platform/draw/tests/bmp_builder.h"
#include "platform/input/input_state.h"
#include "records/database.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/save_slots.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"
#include "testing/progress_guard.h"

namespace {

PALENTRY TestColour(int i) {
  return PALENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 128, 0};
}

std::vector<uint32_t> TestColourTable() {
  std::vector<uint32_t> colours(256);
  for (int i = 0; i < 256; ++i) {
    const PALENTRY e = TestColour(i);
    colours[static_cast<size_t>(i)] = uint32_t{e.peRed} << 16 | uint32_t{e.peGreen} << 8 | e.peBlue;
  }
  return colours;
}

// An 8-bit picture painted by a function of the position.
std::string Picture(int nWidth, int nHeight, std::function<uint32_t(int, int)> pixel) {
  BmpDesc desc;
  desc.nWidth = nWidth;
  desc.nHeight = nHeight;
  desc.colours = TestColourTable();
  desc.pixel = std::move(pixel);
  return MakeBmp(desc);
}

bool Inside(int x, int y, int x0, int y0, int w, int h) {
  return x >= x0 && y >= y0 && x < x0 + w && y < y0 + h;
}

// Puts back every global the scenes touch.
void ResetWorld() {
  ResetProgressTestGlobals();
  g_OptionData.SetDefaults();
  InitSaveSlotList(g_SaveSlots, kSaveSlotCount);
  ResetMenuCursor();
  ResetColourAnimation();
  ResetInputGlobals();
  InitSurfaceInfoTable();
  InitFontTable();
  InitFontWorkInfo();
  cWorldMapScene::s_nDrawnScrollX = cWorldMapScene::s_nDrawnScrollY = -1;
  cWorldMapScene::s_nHeroAnime = 0;
}

}  // namespace

cSceneWorld::cSceneWorld(bool bGpu) : m_Sounds(24, 8) {
  ResetWorld();
  SetMessageBoxProvider([this](const std::string& strText, const std::string&, MsgBoxType) {
    m_Boxes.push_back(strText);
    return static_cast<int>(kMsgBoxOk);
  });
  DDResetForTests();
  DDResetFadeAngles();
  SetPresenter(&m_Presenter);
  SetFramePacer([](int, int, uint32_t) { return true; });
  SetRasterizerFactory(
      [](const std::string&, int nHeight) { return std::make_unique<cBoxRasterizer>(nHeight); });
  for (int i = 0; i < 256; ++i) g_Palette[i] = g_PaletteBase[i] = g_PaletteShown[i] = TestColour(i);
  WriteBitmaps();
  MakeDirectory("user_data");
  MakeDirectory("user_data\\story");
  MakeDirectory("data");
  MakeDirectory("data\\stg4");
  m_bStarted = DDInit(bGpu ? 1 : 0, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, g_SurfaceTable,
                      g_SurfaceInfoTable, kSurfaceCount);
  const PALENTRY key = TestColour(0);
  DDSetTransmit(key.peRed, key.peGreen, key.peBlue);
  for (FONTINFO& info : g_FontTable)
    if (info.nCache == 2) info.nCache = 1;
  CreateFonts(g_Fonts, g_FontTable, kFontCount);
  g_SceneManager.m_nFrameRate = 60;
  g_SceneManager.m_nFadeStep = 10;
  g_InputStates.At(0).SetRepeat(18, 6);
  MakeWorldMap();
  RegisterFrontEndScenes();
  // Stage play is not what these tests look at.
  RegisterScene<cStageStandInScene>(SCENE_PLAY);
}

cSceneWorld::~cSceneWorld() {
  g_SceneManager.Reset();
  ReleaseSceneWork();
  ReleaseFonts();
  DDRelease();
  DDResetForTests();
  DDResetFadeAngles();
  SetRasterizerFactory(nullptr);
  SetPresenter(nullptr);
  SetFramePacer(nullptr);
  SetMessageBoxProvider(nullptr);
  ResetWorld();
}

void cSceneWorld::WriteBitmaps() {
  cTestGameFolder& folder = m_Shell.m_folder;
  folder.WriteFile("bmp\\Title.bmp", Picture(640, 480, [](int, int) { return kColourTitle; }));
  folder.WriteFile("bmp\\Window.bmp", Picture(640, 480, [](int, int) { return kColourWindow; }));
  folder.WriteFile("bmp\\Symbol.bmp", Picture(64, 64, [](int, int) { return 0u; }));
  folder.WriteFile("bmp\\Accessory.bmp", Picture(128, 128, [](int x, int y) -> uint32_t {
                     if (Inside(x, y, 0, 0, 32, 32)) return kColourCursor;
                     if (Inside(x, y, 64, 0, 16, 16)) return kColourArrow;
                     if (Inside(x, y, 80, 0, 16, 16)) return kColourMark;
                     if (Inside(x, y, 96, 0, 32, 32)) return kColourCleared;
                     if (Inside(x, y, 0, 48, 16, 16)) return kColourLives;
                     // Hero cells: down (0, 64), up (64, 64), left (64, 96),
                     // right (0, 96), each with its step 32 pixels right.
                     if (y >= 64) {
                       const int nRow = (y - 64) / 32, nColumn = x / 32;
                       static constexpr int kFacing[2][4] = {{0, 0, 1, 1}, {3, 3, 2, 2}};
                       return (nColumn % 2 ? kColourHeroStep : kColourHero) +
                              kFacing[nRow][nColumn];
                     }
                     return 0;
                   }));
  folder.WriteFile("bmp\\WorldMapChip.bmp", Picture(160, 64, [](int x, int y) {
                     return kColourChip + (y / 32) * 5 + x / 32;
                   }));
  folder.WriteFile("bmp\\WorldEvent.bmp", Picture(64, 256, [](int x, int y) {
                     return (x < 32 ? kColourEvent : kColourEventDone) + y / 32;
                   }));
  folder.WriteFile("bmp\\GameMode.bmp",
                   Picture(160, 224, [](int, int y) { return kColourGamemode + y / 32; }));
}

void cSceneWorld::MakeWorldMap() const {
  cEdWorldMap& map = g_WorldMap;
  map.SetSize(kMapWidth, kMapHeight);
  map.m_Chips.resize(2);
  map.m_Chips.At(0).m_nPicture = 0;
  map.m_Chips.At(0).m_bWall = 0;
  map.m_Chips.At(1).m_nPicture = 1;
  map.m_Chips.At(1).m_bWall = 1;
  for (int32_t& cell : map.m_Cells) cell = 0;
  map.m_nStartX = 10;
  map.m_nStartY = 8;
  map.m_nBackColor = 16;
  map.m_Events.clear();
}

void cSceneWorld::Frame() {
  g_SceneManager.ReadInput(g_InputStates);
  g_SceneManager.ChangeScene(g_SceneManager.m_nScene);
  if (cScene* p = Current()) p->Run();
}

void cSceneWorld::Tap(int nKey) {
  InputDevices().SetKey(nKey, true);
  Frame();
  InputDevices().SetKey(nKey, false);
  Frame();
}

bool cSceneWorld::RunUntilState(int nScene, int nState) {
  for (int i = 0; i < 60; ++i) {
    if (g_SceneManager.m_nScene == nScene && Current() != nullptr && Current()->m_nState == nState)
      return true;
    Frame();
  }
  return false;
}

bool cSceneWorld::Enter(int nScene) { return RunUntilState(nScene, 1); }

uint32_t cSceneWorld::PixelAt(int x, int y) const {
  cSurfaceLock lock(&g_BackBufferSD);
  if (!lock.IsLocked() || lock.m_nBytesPerPixel != 4) return 0xFFFFFFFF;
  return lock.Row<uint32_t>(y)[x] & 0xFFFFFF;
}

int cSceneWorld::IndexAt(int x, int y) const {
  const uint32_t c = PixelAt(x, y);
  if (c == 0xFFFFFFFF) return -1;
  const int i = static_cast<int>(c >> 16);
  const PALENTRY e = TestColour(i);
  return c == (uint32_t{e.peRed} << 16 | uint32_t{e.peGreen} << 8 | e.peBlue) ? i : -1;
}

bool cSceneWorld::IsFilled(int x, int y, int nWidth, int nHeight, int nIndex) const {
  for (int j = y; j < y + nHeight; ++j)
    for (int i = x; i < x + nWidth; ++i)
      if (IndexAt(i, j) != nIndex) return false;
  return true;
}

void cSceneWorld::WriteStage(const std::string& strPath, const std::string& strName) const {
  cEdStage stage;
  stage.m_strName = strName;
  cEdChara& hero = stage.m_vPlacedChara.emplace_back();
  hero.m_nKind = CHARAKIND_PLAYER;
  hero.m_nGraphic = 1;
  WriteStageFile(stage, strPath, MakeProjectRefs());
}

std::string cSceneWorld::WriteDamagedStage(const std::string& strPath, eDamage damage) const {
  if (damage == eDamage::NoHero) {
    cEdStage stage;
    WriteStageFile(stage, strPath, MakeProjectRefs());
    return "主人公が配置されていないのでプレイできません！";
  }
  WriteStage(strPath, "壊れたステージ");
  const std::string strWhole = m_Shell.m_folder.ReadFile(strPath);
  const size_t n = strWhole.size();
  if (damage == eDamage::NoEndMark) {
    m_Shell.m_folder.WriteFile(strPath, strWhole.substr(0, n - 4));
    return "ステージファイル " + strPath + " が破損しています！";
  }
  m_Shell.m_folder.WriteFile(strPath, strWhole.substr(0, n / 2) + strWhole.substr(n - 4));
  return "ステージファイル " + strPath + " の読み込みに失敗しました！";
}
