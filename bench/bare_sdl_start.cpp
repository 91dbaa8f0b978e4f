// The peer of the player's start-up: a bare SDL program that opens a
// 640x480 window, presents one frame through a streaming texture as the
// player's presenter does, writes the clock of that frame as the player's
// stats file does ("title=<ms>") and ends.

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/base/clock.h"

int main(int, char**) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return 1;
  SDL_Window* pWindow = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                         640, 480, SDL_WINDOW_SHOWN);
  SDL_Renderer* pRenderer = pWindow ? SDL_CreateRenderer(pWindow, -1, 0) : nullptr;
  SDL_Texture* pTexture = pRenderer ? SDL_CreateTexture(pRenderer, SDL_PIXELFORMAT_ARGB8888,
                                                        SDL_TEXTUREACCESS_STREAMING, 640, 480)
                                    : nullptr;
  if (pTexture == nullptr) return 1;
  std::vector<uint32_t> frame(640 * 480, 0xFF000000u);
  SDL_UpdateTexture(pTexture, nullptr, frame.data(), 640 * 4);
  SDL_RenderClear(pRenderer);
  SDL_RenderCopy(pRenderer, pTexture, nullptr, nullptr);
  SDL_RenderPresent(pRenderer);
  const uint32_t dwShown = GetTimeMs();
  if (const char* pszStats = std::getenv("PLAYER_STATS_FILE")) {
    if (FILE* fp = std::fopen(pszStats, "w")) {
      std::fprintf(fp, "title=%u\n", dwShown);
      std::fclose(fp);
    }
  }
  SDL_DestroyTexture(pTexture);
  SDL_DestroyRenderer(pRenderer);
  SDL_DestroyWindow(pWindow);
  SDL_Quit();
  return 0;
}
