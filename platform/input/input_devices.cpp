#include "platform/input/input_devices.h"

namespace {
constexpr uint32_t kCentre = 32767;

// Bits of a key's slot.
constexpr uint8_t kKeyHeld = 0x80;
constexpr uint8_t kKeyPressPending = 0x01;  // went down since the last TakeKeyPresses
constexpr uint8_t kKeyPressTaken = 0x02;    // went down before this frame began

// Replaces a slot by fn(old) in one step: the main thread sets keys while the
// game thread takes their presses.
template <class Fn>
void Update(std::atomic<uint8_t>& slot, Fn fn) {
  uint8_t b = slot.load(std::memory_order_relaxed);
  while (!slot.compare_exchange_weak(b, fn(b), std::memory_order_relaxed)) {
  }
}
}  // namespace

cInputDevices::cInputDevices() { Reset(); }

bool cInputDevices::IsKeyDown(int nKey) const {
  if (nKey < 0 || nKey > 255) return false;
  return (m_abKeys[nKey].load(std::memory_order_relaxed) & (kKeyHeld | kKeyPressTaken)) != 0;
}

bool cInputDevices::IsKeyHeld(int nKey) const {
  if (nKey < 0 || nKey > 255) return false;
  return (m_abKeys[nKey].load(std::memory_order_relaxed) & kKeyHeld) != 0;
}

void cInputDevices::SetKey(int nKey, bool bDown) {
  if (nKey < 0 || nKey > 255) return;
  // Only a key that was up latches a press: a held key's repeats do not.
  Update(m_abKeys[nKey], [bDown](uint8_t b) {
    if (!bDown) return uint8_t(b & ~kKeyHeld);
    return uint8_t(b & kKeyHeld ? b : b | kKeyHeld | kKeyPressPending);
  });
}

void cInputDevices::TakeKeyPresses() {
  for (auto& key : m_abKeys)
    Update(key, [](uint8_t b) {
      return uint8_t((b & kKeyHeld) | (b & kKeyPressPending ? kKeyPressTaken : 0));
    });
}

void cInputDevices::ReleaseAllKeys() {
  for (auto& key : m_abKeys) key.store(0, std::memory_order_relaxed);
}

uint64_t cInputDevices::Pack(uint32_t x, uint32_t y, uint32_t dwButtons) {
  return (x & 0xFFFF) | (uint64_t(y & 0xFFFF) << 16) | (uint64_t(dwButtons) << 32);
}

bool cInputDevices::ReadJoystick(int nJoystick, JOYREADING& out) const {
  if (nJoystick < 0 || nJoystick >= kMaxJoysticks) return false;
  const Joystick& joy = m_aJoy[nJoystick];
  if (!joy.bAttached.load(std::memory_order_acquire)) return false;
  const uint64_t q = joy.qwReport.load(std::memory_order_relaxed);
  out.dwX = uint32_t(q & 0xFFFF);
  out.dwY = uint32_t((q >> 16) & 0xFFFF);
  out.dwButtons = uint32_t(q >> 32);
  return true;
}

template <class Fn>
void cInputDevices::Modify(int nJoystick, Fn fn) {
  if (nJoystick < 0 || nJoystick >= kMaxJoysticks) return;
  std::atomic<uint64_t>& report = m_aJoy[nJoystick].qwReport;
  uint64_t q = report.load(std::memory_order_relaxed);
  while (!report.compare_exchange_weak(q, fn(q), std::memory_order_relaxed)) {
  }
}

void cInputDevices::AttachJoystick(int nJoystick, bool bAttached) {
  if (nJoystick < 0 || nJoystick >= kMaxJoysticks) return;
  m_aJoy[nJoystick].qwReport.store(Pack(kCentre, kCentre, 0), std::memory_order_relaxed);
  m_aJoy[nJoystick].bAttached.store(bAttached, std::memory_order_release);
}

void cInputDevices::SetJoystickAxes(int nJoystick, uint16_t wX, uint16_t wY) {
  Modify(nJoystick,
         [&](uint64_t q) { return (q & ~uint64_t(0xFFFFFFFF)) | wX | (uint64_t(wY) << 16); });
}

void cInputDevices::SetJoystickAxis(int nJoystick, int nAxis, uint16_t wValue) {
  if (nAxis < 0 || nAxis > 1) return;
  const int nShift = nAxis * 16;
  Modify(nJoystick, [&](uint64_t q) {
    return (q & ~(uint64_t(0xFFFF) << nShift)) | (uint64_t(wValue) << nShift);
  });
}

void cInputDevices::SetJoystickButton(int nJoystick, int nButton, bool bDown) {
  if (nButton < 0 || nButton > 31) return;
  const uint64_t bit = uint64_t(1) << (32 + nButton);
  Modify(nJoystick, [&](uint64_t q) { return bDown ? (q | bit) : (q & ~bit); });
}

void cInputDevices::SetJoystickButtons(int nJoystick, uint32_t dwButtons) {
  Modify(nJoystick, [&](uint64_t q) { return (q & 0xFFFFFFFF) | (uint64_t(dwButtons) << 32); });
}

bool cInputDevices::IsMouseButtonDown(int nButton) const {
  if (nButton < 0 || nButton > 1) return false;
  return m_abMouse[nButton].load(std::memory_order_relaxed) != 0;
}

void cInputDevices::SetMouseButton(int nButton, bool bDown) {
  if (nButton < 0 || nButton > 1) return;
  m_abMouse[nButton].store(bDown ? 1 : 0, std::memory_order_relaxed);
}

void cInputDevices::SetMousePosition(int x, int y) {
  m_qwMousePos.store(int64_t(uint32_t(x)) | (int64_t(uint32_t(y)) << 32),
                     std::memory_order_relaxed);
}

void cInputDevices::GetMousePosition(int& x, int& y) const {
  const uint64_t q = uint64_t(m_qwMousePos.load(std::memory_order_relaxed));
  x = int32_t(uint32_t(q));
  y = int32_t(uint32_t(q >> 32));
}

void cInputDevices::Reset() {
  ReleaseAllKeys();
  for (int i = 0; i < kMaxJoysticks; ++i) AttachJoystick(i, false);
  for (auto& b : m_abMouse) b.store(0, std::memory_order_relaxed);
  SetMousePosition(0, 0);
}

cInputDevices& InputDevices() {
  static cInputDevices s_devices;
  return s_devices;
}
