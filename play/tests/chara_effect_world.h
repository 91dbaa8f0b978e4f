#pragma once
// A stage in play for the tests of the character effects: the hero standing
// in the middle of a floor, its sheet drawn in stripes that every effect
// visibly changes, a mark sheet whose 32 x 32 cells each have a colour of
// their own, and the CharaEffect rows a test gives (row 0 stays the row of
// no effect).

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/base/close_request.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "records/database.h"
#include "stagedata/stage_globals.h"
#include "testing/golden.h"
#include "testing/play_world.h"

// A CharaEffect row: its kind and P0..P4.
struct CHARAEFFECTROW {
  int nKind = 0;
  std::array<int32_t, kEffectParams> P = {};
};

// The back buffer's colour under the hero in DrawHero.
inline constexpr int kBackColour = 1;
// The hero's cells: diagonal stripes, 3 pixels wide, of five colours far
// apart in the world's palette.
inline constexpr int kCellColours[] = {40, 80, 120, 160, 200};
inline uint32_t CellPixel(int x, int y) { return kCellColours[(x + y) / 3 % 5]; }
inline bool IsCellColour(int n) {
  for (const int c : kCellColours)
    if (n == c) return true;
  return false;
}
// The mark sheet: cell (column c, row r) in colour 100 + c + 8 r.
inline int MarkColour(int c, int r) { return 100 + c + 8 * r; }

struct CHARAEFFECTWORLD {
  bool bGpu = false;
  std::vector<CHARAEFFECTROW> rows;  // rows 1, 2, ... of the table
  int nBpp = 32;
  // Changes to the hero's placement (its flows, its giant factor...).
  std::function<void(cEdChara&)> hero = {};
};

class cCharaEffectWorld {
 public:
  explicit cCharaEffectWorld(const CHARAEFFECTWORLD& options)
      : m_world({.rows = Rows(), .bGpu = options.bGpu, .nBpp = options.nBpp}) {
    cTestGameFolder& folder = m_world.Folder();
    folder.WriteFile("bmp\\Character1.bmp", WorldBitmap(256, 256, CellPixel));
    folder.WriteFile("bmp\\Mark.bmp", WorldBitmap(256, 256, [](int x, int y) {
                       return static_cast<uint32_t>(MarkColour(x / 32, y / 32));
                     }));
    cCheckedVector<cCharaEffectDef>& table = g_Database.m_CharaEffect;
    table.assign(options.rows.size() + 1, cCharaEffectDef());
    table[0].m_nKind = 0;
    for (size_t i = 0; i < options.rows.size(); ++i) {
      table[i + 1].m_nKind = options.rows[i].nKind;
      for (int p = 0; p < kEffectParams; ++p) table[i + 1].m_anParam[p] = options.rows[i].P[p];
    }
    BuildDatabaseTables();
    if (options.hero) options.hero(g_Stage.m_vPlacedChara.At(g_Stage.FindHero()));
    m_world.Start();
    m_bReady = m_world.m_bStarted && m_world.RunUntilPlay();
  }

  // A screen's height of stage with the hero in the middle of its floor.
  static std::vector<std::string> Rows() {
    std::vector<std::string> rows(13, std::string(41, '.'));
    rows.push_back(std::string(20, '.') + "H" + std::string(20, '.'));
    rows.push_back(std::string(41, '#'));
    return rows;
  }

  cPlayScene& Scene() { return m_world.Scene(); }
  cPlayer& Hero() { return *Scene().Hero(); }

  // The hero alone, drawn as a frame draws it, on a back buffer of
  // kBackColour.
  void DrawHero(int bFrozen) {
    DDPalFillSurface(&g_BackBufferSD, kBackColour);
    Hero().UpdateScreenRect();
    Hero().Draw(&g_BackBufferSD, bFrozen);
  }
  // The palette index of a back-buffer pixel: the red byte at 32 bits (the
  // world's colours), the pixel itself at 8; -1 outside.
  int Pixel(int x, int y) {
    cSurfaceLock lock(&g_BackBufferSD);
    if (!lock.IsLocked() || x < 0 || y < 0 || x >= lock.m_nWidth || y >= lock.m_nHeight) return -1;
    if (lock.m_nBytesPerPixel == 1) return lock.Row<uint8_t>(y)[x];
    return static_cast<int>(lock.Row<uint32_t>(y)[x] >> 16 & 0xFF);
  }
  // The hero's screen rectangle.
  const SCREENRECT& Rect() { return Hero().m_rcScreen; }
  // Whether the middle of the hero's rectangle shows anything.
  bool HeroShown() {
    const SCREENRECT& rc = Rect();
    return Pixel((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2) != kBackColour;
  }
  // The checksum of the whole back buffer.
  uint64_t BackBufferChecksum() {
    cSurfaceLock lock(&g_BackBufferSD);
    if (!lock.IsLocked()) return 0;
    if (lock.m_nBytesPerPixel == 4)
      return FrameChecksum(lock.Row<uint32_t>(0), lock.m_nWidth, lock.m_nHeight, lock.m_nPitch);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < lock.m_nHeight; ++y)
      for (int x = 0; x < lock.m_nWidth; ++x) pixels.push_back(lock.Row<uint8_t>(y)[x]);
    return FrameChecksum(pixels.data(), lock.m_nWidth, lock.m_nHeight, lock.m_nWidth);
  }

  cPlayWorld m_world;
  bool m_bReady = false;
};
