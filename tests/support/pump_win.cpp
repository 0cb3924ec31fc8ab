#include "tests/support/pump_win.h"

namespace karvo::testing {

namespace {
constexpr DWORD kSliceMs = 20;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs,
               const std::function<void(const MSG&)>& observe) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (observe) observe(msg);
      if (msg.message == WM_QUIT) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (done && done()) return true;
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    const DWORD left = timeoutMs - elapsed;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, left < kSliceMs ? left : kSliceMs, QS_ALLINPUT);
  }
}

void Pump(DWORD ms, const std::function<void(const MSG&)>& observe) { PumpUntil({}, ms, observe); }

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(5);
  }
  return true;
}

}  // namespace karvo::testing
