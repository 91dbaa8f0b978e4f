#pragma once
// What the input devices report right now: the key table, up to eight
// joysticks and the two mouse buttons. The window's event pump
// (input_sdl.cpp) writes it on the main thread; the polls read it on the game
// thread at any moment, as an asynchronous key state. Every slot is an atomic,
// and a joystick's axes and buttons are one 64-bit word, so a reader always
// sees one whole report. Tests write the table directly.
//
// A key pressed and let go between two frames would be missed by a reader
// that only sees what is held: the main thread may take a press and its
// release from one batch of events while the game thread waits for its turn.
// So a press is also latched: the frame driver calls TakeKeyPresses once per
// frame, before anything reads the keys, and a key pressed since the previous
// call reads as down through that frame even when it is already up. A key
// still held reads down anyway, so a press seen while held is not counted
// again afterwards (beyond the one frame in which it began, at worst).

#include <atomic>
#include <cstdint>

inline constexpr int kMaxJoysticks = 8;

// One joystick report. Axes run from 0 (left, up) to 65535 (right, down);
// bit i of the button word is button i.
struct JOYREADING {
  uint32_t dwX = 32767;
  uint32_t dwY = 32767;
  uint32_t dwButtons = 0;
};

class cInputDevices {
 public:
  cInputDevices();
  cInputDevices(const cInputDevices&) = delete;
  cInputDevices& operator=(const cInputDevices&) = delete;

  // Keys by virtual-key number; numbers outside 0..255 are never down.
  // IsKeyDown is the game's view: held, or pressed since the frame before
  // (see TakeKeyPresses). IsKeyHeld is the device's own state.
  bool IsKeyDown(int nKey) const;
  bool IsKeyHeld(int nKey) const;
  void SetKey(int nKey, bool bDown);
  // Lets every key go, latched presses included (focus lost: no release will
  // come for what is held).
  void ReleaseAllKeys();
  // Starts a frame of reading: the presses since the previous call become
  // this frame's, the previous frame's are forgotten.
  void TakeKeyPresses();

  // A joystick slot answers only while a device is attached to it.
  bool ReadJoystick(int nJoystick, JOYREADING& out) const;
  void AttachJoystick(int nJoystick, bool bAttached);
  void SetJoystickAxes(int nJoystick, uint16_t wX, uint16_t wY);
  void SetJoystickAxis(int nJoystick, int nAxis, uint16_t wValue);  // 0 X, 1 Y
  void SetJoystickButton(int nJoystick, int nButton, bool bDown);   // 0..31
  void SetJoystickButtons(int nJoystick, uint32_t dwButtons);

  // Mouse buttons (0 left, 1 right) and the cursor in client coordinates.
  bool IsMouseButtonDown(int nButton) const;
  void SetMouseButton(int nButton, bool bDown);
  void SetMousePosition(int x, int y);
  void GetMousePosition(int& x, int& y) const;

  // Everything released, joysticks detached, cursor at (0, 0).
  void Reset();

 private:
  struct Joystick {
    std::atomic<bool> bAttached{false};
    std::atomic<uint64_t> qwReport{0};  // X | Y << 16 | buttons << 32
  };
  static uint64_t Pack(uint32_t x, uint32_t y, uint32_t dwButtons);
  template <class Fn>
  void Modify(int nJoystick, Fn fn);

  std::atomic<uint8_t> m_abKeys[256];
  Joystick m_aJoy[kMaxJoysticks];
  std::atomic<uint8_t> m_abMouse[2];
  std::atomic<int64_t> m_qwMousePos{0};
};

// The one device table of the program.
cInputDevices& InputDevices();
