#pragma once
// Starts the drawing library on one of its back ends at a small size, with a
// known palette and transparent colour, and reads pixels back as RGB.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/base/report_log.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/present/presenter.h"
#include "testing/game_folder.h"
#include "testing/test_random.h"

enum class eBackend { Gpu32, Gpu16Window, Gpu16Full, DD8, DD16, DD24, DD32 };

inline const char* BackendName(eBackend b) {
  switch (b) {
    case eBackend::Gpu32:
      return "Gpu32";
    case eBackend::Gpu16Window:
      return "Gpu16Window";
    case eBackend::Gpu16Full:
      return "Gpu16Full";
    case eBackend::DD8:
      return "DD8";
    case eBackend::DD16:
      return "DD16";
    case eBackend::DD24:
      return "DD24";
    default:
      return "DD32";
  }
}

inline constexpr eBackend kAllBackends[] = {
    eBackend::Gpu32, eBackend::Gpu16Window, eBackend::Gpu16Full, eBackend::DD8,
    eBackend::DD16,  eBackend::DD24,        eBackend::DD32};

inline bool IsGpu(eBackend b) {
  return b == eBackend::Gpu32 || b == eBackend::Gpu16Window || b == eBackend::Gpu16Full;
}
inline int BackendBpp(eBackend b) {
  switch (b) {
    case eBackend::Gpu16Window:
    case eBackend::Gpu16Full:
    case eBackend::DD16:
      return 16;
    case eBackend::DD8:
      return 8;
    case eBackend::DD24:
      return 24;
    default:
      return 32;
  }
}

// Test colours use only 0x00 and 0xFF channels, so every format holds them
// exactly. Index 0 is the transparent colour, magenta.
inline constexpr uint32_t kTestColours[8] = {0xFF00FF, 0xFF0000, 0x00FF00, 0x0000FF,
                                             0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x000000};
inline constexpr uint32_t kMagenta = 0xFF00FF;

class cDrawLibrary {
 public:
  explicit cDrawLibrary(eBackend b, int w = 64, int h = 48) : m_backend(b) {
    DDResetForTests();
    SetPresenter(&m_presenter);
    SetFramePacer([](int, int, uint32_t) { return true; });
    const int nBpp = BackendBpp(b);
    const bool bWindow = b != eBackend::Gpu16Full;
    GpuAdapterSetup().nClientWidth = w;
    GpuAdapterSetup().nClientHeight = h;
    DDrawSetup().nClientWidth = w;
    DDrawSetup().nClientHeight = h;
    DDrawSetup().nDesktopBpp = nBpp;
    for (int i = 0; i < 256; ++i) {
      uint32_t c = kTestColours[i % 8];
      uint8_t r = c >> 16, g = (c >> 8) & 0xFF, bl = c & 0xFF;
      if (b == eBackend::DD16) {  // the display's own channel values
        r = r ? 31 : 0;
        g = g ? 63 : 0;
        bl = bl ? 31 : 0;
      }
      g_Palette[i] = g_PaletteShown[i] = PALENTRY{r, g, bl, 0};
    }
    m_bStarted =
        DDInit(IsGpu(b), nullptr, w, h, nBpp, 0, bWindow ? 1 : 0, 1, 60, 0, nullptr, nullptr, 0);
    SetTransparent();
  }
  ~cDrawLibrary() {
    DDResetForTests();
    SetPresenter(nullptr);
  }

  void SetTransparent() {
    if (lpDTCon) {
      lpDTCon->rgbTransmit = DDRGBTRIPLE{0xFF, 0, 0xFF};
      lpDTCon->dwTransmitTexel = 0;
      lpDTCon->dwTransmitColor = 0xFF000000u | kMagenta;
      lpDTCon->wTransmit_16 = 0;
      lpDTCon->wTransmitOpaque_16 =
          g_nBpp == 16 ? static_cast<uint16_t>(1u << 15 | 31u << 10 | 31u) : 0;
      g_dwTransmitPixel = 0;
    } else {
      g_dwTransmitPixel = PalNumToRGB(0);
      if (lpDDCon) lpDDCon->rgbTransmit = DDRGBTRIPLE{0xFF, 0, 0xFF};
    }
  }

  // The colour of a pixel as 0xRRGGBB and whether it is a transparent texel
  // (textured back end: alpha 0).
  uint32_t Rgb(DDSURFACEDATA* lpSD, int x, int y, bool* pbTransparent = nullptr) const {
    cSurfaceLock lock(lpSD);
    EXPECT_TRUE(lock.IsLocked());
    if (!lock.IsLocked()) return 0xDEADBEEF;
    if (pbTransparent) *pbTransparent = false;
    auto e5 = [](uint32_t v) { return (v << 3) | (v >> 2); };
    auto e6 = [](uint32_t v) { return (v << 2) | (v >> 4); };
    switch (lock.m_nBytesPerPixel) {
      case 1: {
        const PALENTRY& p = g_PaletteShown[lock.Row<uint8_t>(y)[x]];
        return static_cast<uint32_t>(p.peRed << 16 | p.peGreen << 8 | p.peBlue);
      }
      case 2: {
        uint32_t t = lock.Row<uint16_t>(y)[x];
        bool b565 = !IsGpu(m_backend) ||
                    (lock.m_lpSD == &g_BackBufferSD && m_backend == eBackend::Gpu16Full);
        if (b565) return e5(t >> 11) << 16 | e6((t >> 5) & 63) << 8 | e5(t & 31);
        if (pbTransparent) *pbTransparent = !(t & 0x8000);
        return e5((t >> 10) & 31) << 16 | e5((t >> 5) & 31) << 8 | e5(t & 31);
      }
      case 3: {
        const uint8_t* p = lock.Row<uint8_t>(y) + 3 * x;
        return static_cast<uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
      }
      default: {
        uint32_t t = lock.Row<uint32_t>(y)[x];
        if (pbTransparent && IsGpu(m_backend) && lock.m_lpSD != &g_BackBufferSD)
          *pbTransparent = (t >> 24) == 0;
        return t & 0xFFFFFF;
      }
    }
  }

  // Whole surface as a row-major string of palette-colour digits (0-7),
  // '.' for a transparent texel, '?' for anything else. bDoubledGreen: the
  // surface holds texels the locked paths copied onto the full-screen 16-bit
  // back buffer, whose green is doubled into 6 bits (full green reads 0xFB).
  std::string Picture(DDSURFACEDATA* lpSD, bool bDoubledGreen = false) const {
    std::string s;
    for (int y = 0; y < lpSD->nHeight; ++y) {
      for (int x = 0; x < lpSD->nWidth; ++x) {
        bool bTransparent = false;
        uint32_t c = Rgb(lpSD, x, y, &bTransparent);
        if (bDoubledGreen && (c & 0xFF00) == 0xFB00) c |= 0xFF00;
        char ch = '?';
        if (bTransparent) {
          ch = '.';
        } else {
          for (int i = 0; i < 8; ++i)
            if (kTestColours[i] == c) ch = static_cast<char>('0' + i);
        }
        s += ch;
      }
      s += '\n';
    }
    return s;
  }

  eBackend m_backend;
  bool m_bStarted = false;
  cNullPresenter m_presenter;
};

// Draws a picture given as rows of digits into a surface with 1x1 fills
// ('.' fills palette index 0).
inline void PaintRows(DDSURFACEDATA* lpSD, const char* const* rows, int nRows) {
  for (int y = 0; y < nRows; ++y)
    for (int x = 0; rows[y][x]; ++x)
      DDPalFillRect(lpSD, x, y, 1, 1,
                    rows[y][x] == '.' ? 0 : static_cast<uint32_t>(rows[y][x] - '0'));
}

inline void PaintRows(DDSURFACEDATA* lpSD, const std::vector<std::string>& rows) {
  for (int y = 0; y < static_cast<int>(rows.size()); ++y)
    for (int x = 0; x < static_cast<int>(rows[y].size()); ++x)
      DDPalFillRect(lpSD, x, y, 1, 1,
                    rows[y][x] == '.' ? 0 : static_cast<uint32_t>(rows[y][x] - '0'));
}

// A picture of colour digits 1-6 with about one transparent pixel ('.') in
// nHoles, the same on every run.
inline std::vector<std::string> RandomPicture(int nW, int nH, uint32_t nSeed, int nHoles = 6) {
  cTestRandom random(nSeed);
  std::vector<std::string> rows(static_cast<size_t>(nH), std::string(static_cast<size_t>(nW), ' '));
  for (std::string& row : rows)
    for (char& c : row)
      c = random.Below(nHoles) == 0 ? '.' : static_cast<char>('1' + random.Below(6));
  return rows;
}

// The picture a draw should leave, as Picture() gives it, painted pixel by
// pixel by a test's plain reference loop.
class cCanvas {
 public:
  cCanvas(int nW, int nH, char cFill)
      : m_rows(static_cast<size_t>(nH), std::string(static_cast<size_t>(nW), cFill)) {}
  bool Inside(long long x, long long y) const {
    return y >= 0 && y < static_cast<long long>(m_rows.size()) && x >= 0 &&
           x < static_cast<long long>(m_rows[0].size());
  }
  void Put(long long x, long long y, char c) {
    if (Inside(x, y)) m_rows[y][x] = c;
  }
  // Copies pixel (sx, sy) of a picture to (x, y) where both lie inside their
  // pictures. A transparent source pixel shows cTransparent, or is left out
  // when that is 0.
  void Copy(long long x, long long y, const std::vector<std::string>& src, long long sx,
            long long sy, char cTransparent) {
    if (!Inside(x, y) || sy < 0 || sy >= static_cast<long long>(src.size()) || sx < 0 ||
        sx >= static_cast<long long>(src[sy].size()))
      return;
    const char c = src[sy][sx];
    if (c != '.')
      m_rows[y][x] = c;
    else if (cTransparent)
      m_rows[y][x] = cTransparent;
  }
  std::string Str() const {
    std::string s;
    for (const std::string& row : m_rows) s += row + '\n';
    return s;
  }

 private:
  std::vector<std::string> m_rows;
};
