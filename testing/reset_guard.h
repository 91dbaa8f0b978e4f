#pragma once
// A guard that puts a subsystem's global state back when a test starts and
// again when it ends; a test or its fixture holds one as a local or member.
// Each subsystem's guard is a cResetGuard of its reset function (see the
// *_guard.h headers beside this one).

template <void (*Reset)()>
class cResetGuard {
 public:
  cResetGuard() { Reset(); }
  ~cResetGuard() { Reset(); }
  cResetGuard(const cResetGuard&) = delete;
  cResetGuard& operator=(const cResetGuard&) = delete;
};
