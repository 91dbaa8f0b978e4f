// SDL events reaching the device table.

#include "platform/input/input_sdl.h"

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/input/tests/input_test_util.h"
#include "platform/input/virtual_keys.h"

namespace {

SDL_Event Key(SDL_Scancode code, bool bDown) {
  SDL_Event e{};
  e.type = bDown ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.keysym.scancode = code;
  return e;
}

}  // namespace

using InputSdl = InputTest;

TEST_F(InputSdl, ScancodesMapToVirtualKeys) {
  struct Case {
    SDL_Scancode code;
    int nKey;
  } cases[] = {
      {SDL_SCANCODE_LEFT, vkey::kLeft},
      {SDL_SCANCODE_DOWN, vkey::kDown},
      {SDL_SCANCODE_Z, vkey::kZ},
      {SDL_SCANCODE_A, vkey::kA},
      {SDL_SCANCODE_0, 48},
      {SDL_SCANCODE_9, 57},
      {SDL_SCANCODE_F1, 112},
      {SDL_SCANCODE_F12, 123},
      {SDL_SCANCODE_KP_0, 96},
      {SDL_SCANCODE_KP_9, 105},
      {SDL_SCANCODE_ESCAPE, 27},
      {SDL_SCANCODE_RETURN, 13},
      {SDL_SCANCODE_SPACE, 32},
      {SDL_SCANCODE_UNKNOWN, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ScancodeToVirtualKey(c.code), c.nKey) << c.code;
}

TEST_F(InputSdl, KeyEventsDriveThePoll) {
  cInputDevices& dev = Dev();
  HandleInputEvent(Key(SDL_SCANCODE_RIGHT, true));
  HandleInputEvent(Key(SDL_SCANCODE_X, true));
  cInputState s;
  s.InitButtonMasks();
  s.PollFixed(0, 3, 60);
  EXPECT_EQ(s.m_wDir, kDirRight);
  EXPECT_EQ(s.m_wButtons, 2);

  // Either shift key holds the side-less shift until both are up.
  HandleInputEvent(Key(SDL_SCANCODE_LSHIFT, true));
  HandleInputEvent(Key(SDL_SCANCODE_RSHIFT, true));
  HandleInputEvent(Key(SDL_SCANCODE_LSHIFT, false));
  EXPECT_TRUE(dev.IsKeyDown(vkey::kShift));
  HandleInputEvent(Key(SDL_SCANCODE_RSHIFT, false));
  EXPECT_FALSE(dev.IsKeyDown(vkey::kShift));

  // Losing focus releases what was held; no key-up will come for it.
  SDL_Event focus{};
  focus.type = SDL_WINDOWEVENT;
  focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  HandleInputEvent(focus);
  s.PollFixed(0, 3, 60);
  EXPECT_EQ(s.m_wDir, 0);
  EXPECT_EQ(s.m_wButtons, 0);
}

// What the game's frames read of key events that reach the table between
// them: each row is the events before each frame (one string per frame, "Z"
// down, "z" up, "r" a repeat of a held Z, "f" focus lost) and the buttons
// polled in that frame.
TEST_F(InputSdl, APressBetweenTwoFramesIsReadInOneFrame) {
  auto event = [](char c) {
    SDL_Event e{};
    if (c == 'f') {
      e.type = SDL_WINDOWEVENT;
      e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
      return e;
    }
    e = Key(SDL_SCANCODE_Z, c != 'z');
    e.key.repeat = c == 'r';
    return e;
  };
  struct Case {
    const char* pszName;
    std::vector<std::string> frames;
    std::vector<uint16_t> buttons;
  } const cases[] = {
      {"tapped between frames", {"Zz", "", ""}, {1, 0, 0}},
      {"held over frames, no extra frame after", {"Z", "", "z", ""}, {1, 1, 0, 0}},
      {"repeats latch nothing", {"Z", "rrz", ""}, {1, 0, 0}},
      {"two taps before one frame", {"ZzZz", ""}, {1, 0}},
      {"let go, pressed again", {"Z", "zZz", ""}, {1, 1, 0}},
      {"focus lost drops a tap", {"Zzf", ""}, {0, 0}},
      {"focus lost while held", {"Z", "f", ""}, {1, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszName);
    Dev().Reset();
    cInputState s;
    s.InitButtonMasks();
    for (size_t i = 0; i < c.frames.size(); ++i) {
      for (char ch : c.frames[i]) HandleInputEvent(event(ch));
      Dev().TakeKeyPresses();
      s.PollFixed(0, 3, 60);
      EXPECT_EQ(s.m_wButtons, c.buttons[i]) << "frame " << i;
    }
  }
}

TEST_F(InputSdl, MouseEventsAndAxisScale) {
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_RIGHT;
  e.button.x = 12;
  e.button.y = 34;
  HandleInputEvent(e);
  EXPECT_TRUE(Dev().IsMouseButtonDown(1));
  EXPECT_FALSE(Dev().IsMouseButtonDown(0));
  int x, y;
  Dev().GetMousePosition(x, y);
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 34);

  EXPECT_EQ(SdlAxisToJoyPos(-32768), 0);
  EXPECT_EQ(SdlAxisToJoyPos(0), 32768);
  EXPECT_EQ(SdlAxisToJoyPos(32767), 65535);
}
