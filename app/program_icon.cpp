#include "app/program_icon.h"

#include <SDL.h>

#include "app/base/report_log.h"

namespace {

constexpr int N = kProgramIconSize;

class cIcon {
 public:
  cIcon() : m_pixels(static_cast<size_t>(N) * N, 0) {}
  void Set(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < N && y < N) m_pixels[static_cast<size_t>(y) * N + x] = c;
  }
  void Fill(int x, int y, int w, int h, uint32_t c) {
    for (int py = y; py < y + h; ++py)
      for (int px = x; px < x + w; ++px) Set(px, py, c);
  }
  // A disc of radius r around (cx, cy), in half pixels so that it may sit
  // between pixels.
  void Disc(int cx2, int cy2, int r2, uint32_t c) {
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x) {
        const int dx = 2 * x + 1 - cx2, dy = 2 * y + 1 - cy2;
        if (dx * dx + dy * dy <= r2 * r2) Set(x, y, c);
      }
  }
  std::vector<uint32_t> Take() { return std::move(m_pixels); }

 private:
  std::vector<uint32_t> m_pixels;
};

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
  return 0xFF000000u | r << 16 | g << 8 | b;
}

}  // namespace

std::vector<uint32_t> ProgramIconPixels() {
  cIcon icon;
  // The sky, lighter towards the horizon, the sun, and the hill with its
  // grass edge.
  for (int y = 0; y < N; ++y) icon.Fill(0, y, N, 1, Rgb(70 + 4 * y, 120 + 3 * y, 230 + y / 2));
  icon.Disc(50, 12, 7, Rgb(255, 230, 90));
  for (int x = 0; x < N; ++x) {
    const int nTop = 23 + (x - 16) * (x - 16) / 64;
    icon.Fill(x, nTop, 1, N - nTop, Rgb(60, 150, 60));
    icon.Set(x, nTop, Rgb(140, 220, 110));
  }
  // The hero: cap, face, eye, shirt, arms, trousers and boots.
  const uint32_t kCap = Rgb(220, 40, 40), kSkin = Rgb(250, 200, 160), kShirt = Rgb(40, 90, 220);
  const uint32_t kTrousers = Rgb(40, 40, 90), kBoots = Rgb(110, 60, 30), kLine = Rgb(20, 20, 40);
  icon.Fill(11, 6, 9, 3, kCap);
  icon.Fill(18, 8, 4, 1, kCap);
  icon.Fill(12, 9, 7, 5, kSkin);
  icon.Set(17, 10, kLine);
  icon.Fill(11, 14, 9, 5, kShirt);
  icon.Fill(9, 14, 2, 4, kShirt);
  icon.Fill(20, 14, 2, 4, kShirt);
  icon.Fill(9, 18, 2, 1, kSkin);
  icon.Fill(20, 18, 2, 1, kSkin);
  icon.Fill(12, 19, 3, 3, kTrousers);
  icon.Fill(16, 19, 3, 3, kTrousers);
  icon.Fill(11, 22, 4, 2, kBoots);
  icon.Fill(16, 22, 4, 2, kBoots);
  // Three pixels cut off each corner.
  for (int x : {0, N - 1})
    for (int y : {0, N - 1}) {
      icon.Set(x, y, 0);
      icon.Set(x == 0 ? 1 : N - 2, y, 0);
      icon.Set(x, y == 0 ? 1 : N - 2, 0);
    }
  return icon.Take();
}

bool SetProgramIcon(SDL_Window* pWindow) {
  std::vector<uint32_t> pixels = ProgramIconPixels();
  SDL_Surface* pIcon =
      SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), N, N, 32, N * 4, SDL_PIXELFORMAT_ARGB8888);
  if (pIcon == nullptr || pWindow == nullptr) {
    ReportLog("the program icon cannot be set: %s", SDL_GetError());
    SDL_FreeSurface(pIcon);
    return false;
  }
  // The window keeps a copy of its own.
  SDL_SetWindowIcon(pWindow, pIcon);
  SDL_FreeSurface(pIcon);
  return true;
}
