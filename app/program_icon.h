#pragma once
// The program's icon, drawn in code: a small hero standing on a grassy hill
// under a sky, 32 x 32 pixels.

#include <cstdint>
#include <vector>

struct SDL_Window;

inline constexpr int kProgramIconSize = 32;

// The icon's pixels, row by row from the top, each 0xAARRGGBB.
std::vector<uint32_t> ProgramIconPixels();

// Gives the window the icon (the window system shows it in the task bar and
// the caption). False, with a report-log line, when it cannot.
bool SetProgramIcon(SDL_Window* pWindow);
