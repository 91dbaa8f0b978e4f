#pragma once
// The one place where SDL meets the input layer: the window's event pump hands
// every event here and the device table (input_devices.h) follows it.

union SDL_Event;

// Starts SDL's joystick subsystem and attaches the joysticks present (up to
// eight, in SDL's order). False when the subsystem cannot start; the keyboard
// and mouse work without it.
bool OpenInputDevices();
// Detaches and closes every joystick.
void CloseInputDevices();

// Updates the device table from one event: keys, joystick arrival, removal,
// axes and buttons, mouse buttons and motion, and the loss of keyboard focus
// (which releases every key, as no release will arrive for keys held then).
void HandleInputEvent(const SDL_Event& event);

// The virtual-key number of an SDL scancode, 0 when it has none.
int ScancodeToVirtualKey(int nScancode);
// An SDL axis position (-32768..32767) on the 0..65535 scale.
inline unsigned short SdlAxisToJoyPos(short nValue) {
  return static_cast<unsigned short>(static_cast<int>(nValue) + 32768);
}
