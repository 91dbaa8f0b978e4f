// The screen effects: each handler's picture drawn from a frame painted by
// the test (the effect then holds still: frozen), its time line, the
// parameters that divide or overflow, and the effects and the screen colour
// holding still while the game is frozen.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <vector>

#include "app/core/surface_tables.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/surface/dd_surface.h"
#include "platform/input/input_devices.h"
#include "platform/input/virtual_keys.h"
#include "records/database.h"
#include "stagedata/stage_globals.h"
#include "testing/play_world.h"

namespace {

constexpr int kMax = std::numeric_limits<int>::max();
constexpr int kMin = std::numeric_limits<int>::min();
constexpr int kBackdrop = 70;  // the stage's background fill
constexpr int kUncovered = 16;

// A stage in play on either back end, behind it a fill of colour 70. The
// tests set ScrEffect row 1.
class cScreenWorld {
 public:
  explicit cScreenWorld(bool bGpu = false, int nBpp = 32)
      : m_world({.rows = {std::string(30, '.'), "..H" + std::string(27, '.'), std::string(30, '#')},
                 .bGpu = bGpu,
                 .nBpp = nBpp}) {
    g_Stage.m_vBgLayer[0].m_nFillColour = kBackdrop;
    g_StageStart.CopySettingsFrom(g_Stage);
    g_Database.m_ScrEffect.assign(2, cScrEffectDef());
    g_Database.m_ScrEffect[0].m_nKind = SCREFFECT_NONE;
    BuildDatabaseTables();
    m_world.Start();
    m_bReady = m_world.m_bStarted && m_world.RunUntilPlay();
  }

  cPlayScene& Scene() { return m_world.Scene(); }

  // Row 1 becomes the kind with parameters P0..P4, and runs.
  void StartEffect(int nKind, std::array<int32_t, 5> params, int nMode = 0, int bLoop = 0) {
    cScrEffectDef& row = g_Database.m_ScrEffect[1];
    row.m_nKind = nKind;
    std::copy(params.begin(), params.end(), row.m_anParam);
    BuildDatabaseTables();
    Scene().m_ScrEffect.StartScrEffect(1, nMode, bLoop);
  }

  // The back buffer painted by the test (the frame the effect transforms),
  // then one run of the effect on it. Surface back end at 32 bits.
  int Run(const std::function<int(int x, int y)>& colour, int bFrozen) {
    cSurfaceLock lock(&g_BackBufferSD);
    if (lock.IsLocked())
      for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) lock.Row<uint32_t>(y)[x] = PalNumToRGB(colour(x, y));
    lock.Unlock();
    Scene().RunScreenEffect(bFrozen);
    return Scene().m_ScrEffect.IsRunning() ? 0 : 1;
  }

  cPlayWorld m_world;
  bool m_bReady = false;
};

// The frame the tests paint: colour 50 left of x 320, 51 right of it, two
// more below y 240.
int Quarters(int x, int y) { return (x < 320 ? 50 : 51) + (y < 240 ? 0 : 2); }

uint32_t Rgb(int n) { return WorldRgb(n); }

// 振動（横） over 10 tenths, 8 pixels wide, 4 swings: c = 8 x 4 x 4 / 60
// pixels a frame. The picture turns at +8 and -8 (each half swing of 16
// pixels takes 8 frames once the first 8 were covered in 4), so 60 frames
// hold 8 turns, 4 swings; the uncovered strip shows colour 16.
TEST(ScreenEffectTest, AHorizontalShakeSwingsFourTimesInItsRunTime) {
  cScreenWorld w;
  ASSERT_TRUE(w.m_bReady);
  w.StartEffect(SCREFFECT_SHAKE_H, {10, 8, 4, 0, 0});
  const cEffectPlayback& e = w.Scene().m_ScrEffect;
  std::vector<double> offsets;
  int nTurns = 0, nFrames = 0;
  for (bool bEnded = false; !bEnded && nFrames < 100;) {
    const double dDrawn = e.dShake;
    const int nA = e.nA;
    bEnded = w.Run(Quarters, 0);
    ++nFrames;
    if (nFrames == 1) {
      EXPECT_EQ(e.dShake, 128.0 / 60);
    }
    if (!bEnded) {
      offsets.push_back(e.dShake);
      if (nFrames <= 60 && e.nA != nA) ++nTurns;
    }
    // The picture is drawn at the offset, truncated; the strip it leaves,
    // one column wider (narrower by that on the right at a whole offset),
    // shows colour 16.
    const int s = static_cast<int>(dDrawn);
    if (dDrawn > 0) {
      EXPECT_EQ(BackBufferRgb(s, 100), Rgb(kUncovered)) << nFrames;
      EXPECT_EQ(BackBufferRgb(s + 1, 100), Rgb(50)) << nFrames;
    } else if (dDrawn < 0) {
      const int nStrip = static_cast<int>(dDrawn + 640);
      EXPECT_EQ(BackBufferRgb(nStrip, 100), Rgb(kUncovered)) << nFrames;
      EXPECT_EQ(BackBufferRgb(nStrip - 1, 100), Rgb(51)) << nFrames;
      EXPECT_EQ(BackBufferRgb(319 + s, 100), Rgb(50)) << nFrames;
    }
  }
  EXPECT_EQ(nTurns, 8);
  EXPECT_EQ(*std::ranges::max_element(offsets), 8.0);
  EXPECT_EQ(*std::ranges::min_element(offsets), -8.0);
  // The value counts a sixth of a tenth a frame until, truncated, it has
  // passed 10: 66 sixths add up to just under 11 in double, so the 67th
  // frame is the last.
  EXPECT_EQ(nFrames, 67);
}

// 分割: strips of ceil(480 / P3) rows (ceil(640 / P3) columns), even ones
// moved by +v, odd ones by -v; a remainder narrower than a strip is not
// drawn. Without strips (P3 of 0 or less) the picture is drawn as it is.
TEST(ScreenEffectTest, ASplitCutsTheScreenIntoStripsOfTheCeilingOfItsSize) {
  struct Case {
    int nKind, nStrips;
    int nBand;  // 0: drawn plainly
  } const cases[] = {
      {SCREFFECT_SPLIT_H, 15, 32},  {SCREFFECT_SPLIT_H, 7, 69},   {SCREFFECT_SPLIT_H, 0, 0},
      {SCREFFECT_SPLIT_H, -3, 0},   {SCREFFECT_SPLIT_H, kMax, 1}, {SCREFFECT_SPLIT_V, 7, 92},
      {SCREFFECT_SPLIT_V, kMin, 0},
  };
  cScreenWorld w;
  ASSERT_TRUE(w.m_bReady);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.nKind << " strips " << c.nStrips);
    w.StartEffect(c.nKind, {10, 5, 5, c.nStrips, 0});
    w.Run(Quarters, 1);
    const bool bVertical = c.nKind == SCREFFECT_SPLIT_V;
    // Where the line at offset t across the strips (a row, or a column)
    // crosses from the first half's colour to the second's; -1 when it does
    // not (the line is not drawn).
    auto edge = [&](int t) {
      const int nTarget = bVertical ? Quarters(t, 479) : Quarters(639, t);
      for (int i = 0; i < (bVertical ? 480 : 640); ++i)
        if ((bVertical ? BackBufferRgb(t, i) : BackBufferRgb(i, t)) == Rgb(nTarget)) return i;
      return -1;
    };
    if (c.nBand == 0) {
      EXPECT_EQ(edge(0), bVertical ? 240 : 320);
      EXPECT_EQ(edge(bVertical ? 639 : 479), bVertical ? 240 : 320);
      continue;
    }
    const int nSize = bVertical ? 640 : 480;
    const int nDrawn = nSize / c.nBand * c.nBand;
    const int nMiddle = bVertical ? 240 : 320;
    EXPECT_EQ(edge(0), nMiddle + 5);
    EXPECT_EQ(edge(c.nBand - 1), nMiddle + 5);
    EXPECT_EQ(edge(c.nBand), nMiddle - 5);
    EXPECT_EQ(edge(nDrawn - 1), (nDrawn / c.nBand) % 2 ? nMiddle + 5 : nMiddle - 5);
    if (nDrawn < nSize) {
      EXPECT_EQ(edge(nDrawn), -1);
    }
  }
}

// 点滅 with an interval of 10: the stage is hidden for 11 frames, then shown
// and hidden for 10 frames each.
TEST(ScreenEffectTest, ABlinkHidesTheStageForElevenFramesThenTenAndTen) {
  cScreenWorld w;
  ASSERT_TRUE(w.m_bReady);
  w.StartEffect(SCREFFECT_BLINK, {10, 10, 0, 0, 0});
  std::vector<int> runs;
  bool bHidden = false;
  for (int i = 0; i < 41; ++i) {
    w.Run(Quarters, 0);
    const bool b = BackBufferRgb(100, 100) == Rgb(kBackdrop);
    if (runs.empty() || b != bHidden) runs.push_back(0);
    ++runs.back();
    bHidden = b;
    if (i == 0) {
      EXPECT_TRUE(b) << "it starts hidden";
    }
  }
  EXPECT_EQ(runs, (std::vector<int>{11, 10, 10, 10}));
}

// 拡大: the value / 640 is the zoom. At 2 the half-size rectangle around the
// hero fills the screen, held inside the frame near its edges; below 1 the
// whole picture shrinks about the centre, and at 0 or less nothing shows.
TEST(ScreenEffectTest, AZoomHoldsItsSourceInsideTheFrame) {
  struct Case {
    int nHeroX, nZoom;
    int sx;  // the source column drawn at the screen's left edge; -1 none
  } const cases[] = {
      {400, 1280, 240}, {600, 1280, 320}, {50, 1280, 0},   {400, 640, 0},
      {400, 320, -1},   {400, 0, -1},     {400, -640, -1}, {400, kMax, -1},
  };
  cScreenWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayer& hero = *w.Scene().Hero();
  // A column of colour 100 + x / 8 (0..79).
  auto columns = [](int x, int) { return 100 + x / 8; };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "hero " << c.nHeroX << " zoom " << c.nZoom);
    w.StartEffect(SCREFFECT_ZOOM, {10, c.nZoom, c.nZoom, 0, 0});
    hero.m_rcScreen.left = c.nHeroX - hero.m_nSpriteW / 2;
    w.Run(columns, 1);
    if (c.sx >= 0) {
      const int f = c.nZoom / 640;
      EXPECT_EQ(BackBufferRgb(0, 240), Rgb(100 + c.sx / 8));
      EXPECT_EQ(BackBufferRgb(639, 240), Rgb(100 + (c.sx + 639 / f) / 8));
    } else if (c.nZoom == 320) {
      EXPECT_EQ(BackBufferRgb(159, 240), Rgb(kUncovered));
      EXPECT_EQ(BackBufferRgb(160, 240), Rgb(100));
      EXPECT_EQ(BackBufferRgb(479, 240), Rgb(179));
      EXPECT_EQ(BackBufferRgb(480, 240), Rgb(kUncovered));
    } else {
      for (const int x : {0, 320, 639}) EXPECT_EQ(BackBufferRgb(x, 240), Rgb(kUncovered)) << x;
    }
  }
}

// Whatever the stored parameters, every value reaching the drawing is a
// finite int: an effect without a run time ends after its one frame, one of
// a tenth within 13 frames (P1 and P2 differ: an effect whose value has no
// way to go runs until it is replaced), and a kind the table does not know
// draws nothing and runs on.
TEST(ScreenEffectTest, StoredExtremesDrawAndEndLikeAnyEffect) {
  const std::array<int32_t, 4> extremes[] = {{kMax, kMin, kMax, kMin},
                                             {kMin, kMax, kMin, kMax},
                                             {kMax, kMax - 1, kMax, kMax},
                                             {1, 0, 0, 0}};
  for (const bool bGpu : {false, true}) {
    cScreenWorld w(bGpu);
    ASSERT_TRUE(w.m_bReady);
    for (int nKind = 1; nKind < SCREFFECT_KINDS; ++nKind) {
      for (const auto& p : extremes) {
        for (const int nRunTime : {0, -1, kMin, 1}) {
          SCOPED_TRACE(testing::Message() << "gpu " << bGpu << " kind " << nKind << " P0 "
                                          << nRunTime << " P1 " << p[0] << " P2 " << p[1]);
          w.StartEffect(nKind, {nRunTime, p[0], p[1], p[2], p[3]});
          int nFrames = 0;
          do {
            DDSetVirBackBuffer(1);
            w.Scene().RunScreenEffect(0);
            ++nFrames;
          } while (w.Scene().m_ScrEffect.IsRunning() && nFrames < 20);
          if (nRunTime <= 0)
            EXPECT_EQ(nFrames, 1);
          else
            EXPECT_LE(nFrames, 13);
        }
      }
    }
    for (const int nKind : {int{SCREFFECT_KINDS}, -1}) {
      w.StartEffect(nKind, {1, 0, 0, 0, 0});
      for (int i = 0; i < 20; ++i) {
        DDSetVirBackBuffer(1);
        w.Scene().RunScreenEffect(0);
      }
      EXPECT_TRUE(w.Scene().m_ScrEffect.IsRunning()) << nKind;
      if (lpDTCon) {
        EXPECT_EQ(lpDTCon->bVirBackBuffer, 0) << nKind;
      }
    }
  }
}

// ---- Screen colour ---------------------------------------------------------------------

// The level each of n frames of play applied.
std::vector<int> Levels(cScreenWorld& w, int nFrames) {
  std::vector<int> levels;
  for (int i = 0; i < nFrames; ++i) {
    w.m_world.Frame(0, 0);
    levels.push_back(w.Scene().m_ScreenColor.nLevel);
  }
  return levels;
}

// A channel of 0xRRGGBB.
int Channel(uint32_t rgb, int nShift) { return static_cast<int>(rgb >> nShift & 0xFF); }

// Strength 50 over 30 tenths: the level falls from 255 to 127 in 180 frames,
// and the textured back end goes on drawing the colour at that level.
TEST(ScreenColourTest, AColourFadesToItsStrengthAndStays) {
  cScreenWorld w(true);
  ASSERT_TRUE(w.m_bReady);
  w.Scene().SetScreenColor(255, 0, 0, 50, 0, 30, 0, 0);
  const std::vector<int> levels = Levels(w, 240);
  EXPECT_EQ(levels[0], 255);
  EXPECT_EQ(levels[90], 191);  // 255 - 0.5 x 127.5, truncated
  EXPECT_EQ(levels[179], 127 + 1);
  EXPECT_EQ(levels[180], 127);
  EXPECT_EQ(levels.back(), 127);
  EXPECT_TRUE(std::ranges::is_sorted(levels, std::greater<>()));
  EXPECT_EQ(w.Scene().m_ScreenColor.bActive, 1);
  // Red over the backdrop, 128 parts in 255 of it.
  w.m_world.PresentChecksum();
  const uint32_t p = w.m_world.Presenter().At(600, 100);
  const uint32_t b = Rgb(kBackdrop);
  for (const auto& [nShift, nColour] : {std::pair{16, 255}, std::pair{8, 0}, std::pair{0, 0}})
    EXPECT_NEAR(Channel(p, nShift), (nColour * 128 + Channel(b, nShift) * 127) / 255.0, 1.5)
        << nShift;
}

// 点滅 flashes up to the strength over its time, shows nothing for a frame,
// and ends after the number of flashes.
TEST(ScreenColourTest, ABlinkFlashesItsNumberOfTimes) {
  cScreenWorld w(true);
  ASSERT_TRUE(w.m_bReady);
  w.Scene().SetScreenColor(0, 0, 255, 100, 0, 1, 1, 2);
  const std::vector<int> flash = {255, 212, 170, 127, 85, 42, 255};
  std::vector<int> expected = flash;
  expected.insert(expected.end(), flash.begin(), flash.end());
  EXPECT_EQ(Levels(w, 14), expected);
  EXPECT_EQ(w.Scene().m_ScreenColor.bActive, 0);
}

// On the surface back end the colour tints the 8-bit palette and leaves the
// pixels alone; level 255 gives the palette back exactly. Frozen frames
// change nothing.
TEST(ScreenColourTest, APaletteDisplayTintsItsPalette) {
  cScreenWorld w(false, 8);
  ASSERT_TRUE(w.m_bReady);
  auto shown = [](int n) {
    const DDPALETTEENTRY e = g_lpDDPalette->Entries()[n];
    return uint32_t{e.peRed} << 16 | uint32_t{e.peGreen} << 8 | e.peBlue;
  };
  auto backdropIndex = [] {
    cSurfaceLock lock(&g_BackBufferSD);
    return lock.IsLocked() ? lock.Row<uint8_t>(100)[600] : -1;
  };
  cPlayScene& scene = w.Scene();
  scene.SetScreenColor(0, 0, 255, 100, 0, 0, 0, 0);
  w.m_world.Frame(0, 0);
  EXPECT_EQ(backdropIndex(), kBackdrop);
  for (const int n : {0, 70, 255}) EXPECT_EQ(shown(n), 0x0000FFu) << n;
  w.m_world.PresentChecksum();
  EXPECT_EQ(w.m_world.Presenter().At(600, 100), 0x0000FFu);
  EXPECT_EQ(scene.m_ScreenColor.bActive, 0);

  // Taken back over a second: half way, then the palette as it was.
  scene.SetScreenColor(0, 0, 0, 0, 1, 10, 0, 0);
  Levels(w, 30);
  EXPECT_EQ(scene.m_ScreenColor.nLevel, 123);  // 29 / 60 of the way from 0
  for (int i = 0; i < 20; ++i) scene.DrawFrame(0, 1, 0, 1);
  EXPECT_EQ(scene.m_ScreenColor.nCounter, 30);
  // Colour 70, (70, 185, 128), 123 parts in 256 of the way back from blue.
  EXPECT_EQ(shown(70), 0x2158C1u);
  Levels(w, 31);
  EXPECT_EQ(scene.m_ScreenColor.bActive, 0);
  for (const int n : {0, 70, 255}) EXPECT_EQ(shown(n), WorldRgb(n)) << n;
}

// A take-back fades the colour that is on. The textured back end ignores it
// when no colour is on; the palette display only when none was ever set.
// The surface back end's other depths show no colour.
TEST(ScreenColourTest, ATakeBackNeedsAColourToTakeBack) {
  struct Case {
    const char* name;
    bool bGpu;
    int nBpp;
    int nStrength;  // of a colour set before; -1 none
    int bActive;    // after the take-back
  } const cases[] = {
      {"textured, nothing set", true, 32, -1, 0},
      {"textured, a colour without strength ended", true, 32, 0, 0},
      {"textured, a colour on", true, 32, 40, 1},
      {"palette, nothing set", false, 8, -1, 0},
      {"palette, a colour set", false, 8, 40, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cScreenWorld w(c.bGpu, c.nBpp);
    ASSERT_TRUE(w.m_bReady);
    cPlayScene& scene = w.Scene();
    if (c.nStrength >= 0) {
      scene.SetScreenColor(0, 255, 0, c.nStrength, 0, 1, 0, 0);
      Levels(w, 10);
    }
    scene.SetScreenColor(0, 0, 0, 0, 1, 1, 0, 0);
    EXPECT_EQ(scene.m_ScreenColor.bActive, c.bActive);
    if (c.bActive) {
      EXPECT_EQ(scene.m_ScreenColor.bGreen, 255) << "the colour that was on";
    }
  }
  cScreenWorld w;
  ASSERT_TRUE(w.m_bReady);
  w.m_world.Frame(0, 0);
  const uint64_t nPlain = w.m_world.PresentChecksum();
  w.Scene().SetScreenColor(0, 255, 0, 100, 0, 0, 0, 0);
  w.m_world.Frame(0, 0);
  EXPECT_EQ(w.m_world.PresentChecksum(), nPlain);
  EXPECT_EQ(w.Scene().m_ScreenColor.bActive, 0);
}

// While the pause menu is open the screen effect and the screen colour
// stand still, and every frame shows the same picture.
TEST(ScreenColourTest, EffectAndColourHoldWhileThePauseMenuIsOpen) {
  for (const bool bGpu : {false, true}) {
    SCOPED_TRACE(bGpu ? "textured" : "surface");
    cScreenWorld w(bGpu);
    ASSERT_TRUE(w.m_bReady);
    cPlayScene& scene = w.Scene();
    w.StartEffect(SCREFFECT_SHAKE_V, {10, 8, 4, 0, 0});
    scene.SetScreenColor(255, 255, 0, 60, 0, 10, 0, 0);
    Levels(w, 5);
    const EFFECTSTEPS effect = scene.m_ScrEffect;
    const SCREENCOLOR colour = scene.m_ScreenColor;
    InputDevices().SetKey(vkey::kSpace, true);
    w.m_world.Frame(0, 0);
    InputDevices().Reset();
    ASSERT_EQ(scene.m_nState, 3);
    std::vector<uint64_t> frames;
    for (int i = 0; i < 10; ++i) {
      w.m_world.Frame(0, 0);
      frames.push_back(w.m_world.PresentChecksum());
    }
    EXPECT_EQ(std::ranges::count(frames, frames[0]), 10);
    EXPECT_EQ(scene.m_ScrEffect.dValue, effect.dValue);
    EXPECT_EQ(scene.m_ScrEffect.dShake, effect.dShake);
    EXPECT_EQ(scene.m_ScreenColor.nCounter, colour.nCounter);
  }
}

}  // namespace
