#include "platform/input/input_sdl.h"

#include <SDL.h>

#include "app/base/report_log.h"
#include "platform/input/input_devices.h"
#include "platform/input/virtual_keys.h"

namespace {

// Joystick slots of the device table: the open SDL joystick of each slot.
SDL_Joystick* g_apJoystick[kMaxJoysticks] = {};

int SlotOfInstance(SDL_JoystickID id) {
  for (int i = 0; i < kMaxJoysticks; ++i)
    if (g_apJoystick[i] != nullptr && SDL_JoystickInstanceID(g_apJoystick[i]) == id) return i;
  return -1;
}

void AttachDevice(int nDeviceIndex) {
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(nDeviceIndex);
  if (id >= 0 && SlotOfInstance(id) >= 0) return;  // already attached
  int nSlot = 0;
  while (nSlot < kMaxJoysticks && g_apJoystick[nSlot] != nullptr) ++nSlot;
  if (nSlot == kMaxJoysticks) return;
  SDL_Joystick* pJoy = SDL_JoystickOpen(nDeviceIndex);
  if (pJoy == nullptr) {
    ReportLog("ジョイスティック %d を開けません: %s", nDeviceIndex, SDL_GetError());
    return;
  }
  g_apJoystick[nSlot] = pJoy;
  cInputDevices& dev = InputDevices();
  dev.AttachJoystick(nSlot, true);
  if (SDL_JoystickNumAxes(pJoy) >= 2)
    dev.SetJoystickAxes(nSlot, SdlAxisToJoyPos(SDL_JoystickGetAxis(pJoy, 0)),
                        SdlAxisToJoyPos(SDL_JoystickGetAxis(pJoy, 1)));
  uint32_t dwButtons = 0;
  const int nButtons = SDL_JoystickNumButtons(pJoy);
  for (int b = 0; b < nButtons && b < 32; ++b)
    if (SDL_JoystickGetButton(pJoy, b)) dwButtons |= 1u << b;
  dev.SetJoystickButtons(nSlot, dwButtons);
}

void DetachSlot(int nSlot) {
  InputDevices().AttachJoystick(nSlot, false);
  SDL_JoystickClose(g_apJoystick[nSlot]);
  g_apJoystick[nSlot] = nullptr;
}

struct ScancodeKey {
  SDL_Scancode scancode;
  int nKey;
};

constexpr ScancodeKey kScancodeKeys[] = {
    {SDL_SCANCODE_BACKSPACE, vkey::kBack},
    {SDL_SCANCODE_TAB, vkey::kTab},
    {SDL_SCANCODE_RETURN, vkey::kReturn},
    {SDL_SCANCODE_KP_ENTER, vkey::kReturn},
    {SDL_SCANCODE_PAUSE, vkey::kPause},
    {SDL_SCANCODE_CAPSLOCK, vkey::kCapsLock},
    {SDL_SCANCODE_ESCAPE, vkey::kEscape},
    {SDL_SCANCODE_SPACE, vkey::kSpace},
    {SDL_SCANCODE_PAGEUP, vkey::kPageUp},
    {SDL_SCANCODE_PAGEDOWN, vkey::kPageDown},
    {SDL_SCANCODE_END, vkey::kEnd},
    {SDL_SCANCODE_HOME, vkey::kHome},
    {SDL_SCANCODE_LEFT, vkey::kLeft},
    {SDL_SCANCODE_UP, vkey::kUp},
    {SDL_SCANCODE_RIGHT, vkey::kRight},
    {SDL_SCANCODE_DOWN, vkey::kDown},
    {SDL_SCANCODE_PRINTSCREEN, vkey::kPrintScreen},
    {SDL_SCANCODE_INSERT, vkey::kInsert},
    {SDL_SCANCODE_DELETE, vkey::kDelete},
    {SDL_SCANCODE_LGUI, vkey::kLeftWin},
    {SDL_SCANCODE_RGUI, vkey::kRightWin},
    {SDL_SCANCODE_APPLICATION, vkey::kMenu},
    {SDL_SCANCODE_KP_MULTIPLY, vkey::kMultiply},
    {SDL_SCANCODE_KP_PLUS, vkey::kAdd},
    {SDL_SCANCODE_KP_MINUS, vkey::kSubtract},
    {SDL_SCANCODE_KP_PERIOD, vkey::kDecimal},
    {SDL_SCANCODE_KP_DIVIDE, vkey::kDivide},
    {SDL_SCANCODE_NUMLOCKCLEAR, vkey::kNumLock},
    {SDL_SCANCODE_SCROLLLOCK, vkey::kScrollLock},
    {SDL_SCANCODE_LSHIFT, vkey::kLeftShift},
    {SDL_SCANCODE_RSHIFT, vkey::kRightShift},
    {SDL_SCANCODE_LCTRL, vkey::kLeftControl},
    {SDL_SCANCODE_RCTRL, vkey::kRightControl},
    {SDL_SCANCODE_LALT, vkey::kLeftAlt},
    {SDL_SCANCODE_RALT, vkey::kRightAlt},
    {SDL_SCANCODE_SEMICOLON, vkey::kSemicolon},
    {SDL_SCANCODE_EQUALS, vkey::kEquals},
    {SDL_SCANCODE_COMMA, vkey::kComma},
    {SDL_SCANCODE_MINUS, vkey::kMinus},
    {SDL_SCANCODE_PERIOD, vkey::kPeriod},
    {SDL_SCANCODE_SLASH, vkey::kSlash},
    {SDL_SCANCODE_GRAVE, vkey::kGrave},
    {SDL_SCANCODE_LEFTBRACKET, vkey::kLeftBracket},
    {SDL_SCANCODE_BACKSLASH, vkey::kBackslash},
    {SDL_SCANCODE_RIGHTBRACKET, vkey::kRightBracket},
    {SDL_SCANCODE_APOSTROPHE, vkey::kApostrophe},
};

// Shift, Control and Alt also have one key number for either side.
void UpdateSideless(cInputDevices& dev) {
  dev.SetKey(vkey::kShift, dev.IsKeyHeld(vkey::kLeftShift) || dev.IsKeyHeld(vkey::kRightShift));
  dev.SetKey(vkey::kControl,
             dev.IsKeyHeld(vkey::kLeftControl) || dev.IsKeyHeld(vkey::kRightControl));
  dev.SetKey(vkey::kAlt, dev.IsKeyHeld(vkey::kLeftAlt) || dev.IsKeyHeld(vkey::kRightAlt));
}

}  // namespace

int ScancodeToVirtualKey(int nScancode) {
  if (nScancode >= SDL_SCANCODE_A && nScancode <= SDL_SCANCODE_Z)
    return vkey::kA + (nScancode - SDL_SCANCODE_A);
  if (nScancode >= SDL_SCANCODE_1 && nScancode <= SDL_SCANCODE_9)
    return vkey::k0 + 1 + (nScancode - SDL_SCANCODE_1);
  if (nScancode == SDL_SCANCODE_0) return vkey::k0;
  if (nScancode >= SDL_SCANCODE_F1 && nScancode <= SDL_SCANCODE_F12)
    return vkey::kF1 + (nScancode - SDL_SCANCODE_F1);
  if (nScancode >= SDL_SCANCODE_F13 && nScancode <= SDL_SCANCODE_F24)
    return vkey::kF1 + 12 + (nScancode - SDL_SCANCODE_F13);
  if (nScancode >= SDL_SCANCODE_KP_1 && nScancode <= SDL_SCANCODE_KP_9)
    return vkey::kNumpad0 + 1 + (nScancode - SDL_SCANCODE_KP_1);
  if (nScancode == SDL_SCANCODE_KP_0) return vkey::kNumpad0;
  for (const auto& k : kScancodeKeys)
    if (k.scancode == nScancode) return k.nKey;
  return 0;
}

bool OpenInputDevices() {
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
    ReportLog("ジョイスティックを使えません: %s", SDL_GetError());
    return false;
  }
  const int nCount = SDL_NumJoysticks();
  for (int i = 0; i < nCount; ++i) AttachDevice(i);
  return true;
}

void CloseInputDevices() {
  for (int i = 0; i < kMaxJoysticks; ++i)
    if (g_apJoystick[i] != nullptr) DetachSlot(i);
  if (SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void HandleInputEvent(const SDL_Event& event) {
  cInputDevices& dev = InputDevices();
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const int nKey = ScancodeToVirtualKey(event.key.keysym.scancode);
      if (nKey == 0) break;
      dev.SetKey(nKey, event.type == SDL_KEYDOWN);
      UpdateSideless(dev);
      break;
    }
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        dev.ReleaseAllKeys();
        dev.SetMouseButton(0, false);
        dev.SetMouseButton(1, false);
      }
      break;
    case SDL_JOYDEVICEADDED:
      AttachDevice(event.jdevice.which);
      break;
    case SDL_JOYDEVICEREMOVED: {
      const int nSlot = SlotOfInstance(event.jdevice.which);
      if (nSlot >= 0) DetachSlot(nSlot);
      break;
    }
    case SDL_JOYAXISMOTION: {
      const int nSlot = SlotOfInstance(event.jaxis.which);
      if (nSlot >= 0 && event.jaxis.axis < 2)
        dev.SetJoystickAxis(nSlot, event.jaxis.axis, SdlAxisToJoyPos(event.jaxis.value));
      break;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
      const int nSlot = SlotOfInstance(event.jbutton.which);
      if (nSlot >= 0)
        dev.SetJoystickButton(nSlot, event.jbutton.button, event.jbutton.state == SDL_PRESSED);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const bool bDown = event.type == SDL_MOUSEBUTTONDOWN;
      if (event.button.button == SDL_BUTTON_LEFT) dev.SetMouseButton(0, bDown);
      if (event.button.button == SDL_BUTTON_RIGHT) dev.SetMouseButton(1, bDown);
      dev.SetMousePosition(event.button.x, event.button.y);
      break;
    }
    case SDL_MOUSEMOTION:
      dev.SetMousePosition(event.motion.x, event.motion.y);
      break;
    default:
      break;
  }
}
