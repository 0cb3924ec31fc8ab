#include "tests/support/input_win.h"

#include "tests/support/pump_win.h"

namespace karvo::testing {

namespace {
constexpr DWORD kSettleMs = 20;
constexpr DWORD kKeyHandledMs = 50;

bool SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = flags;
  return ::SendInput(1, &input, sizeof input) == 1;
}

// Absolute coordinates run from 0 to 65535 across the screen.
LONG Normalised(LONG pixel, int extent) {
  return static_cast<LONG>((static_cast<long long>(pixel) * 65535 + extent / 2) / (extent - 1));
}
}  // namespace

bool MoveMouse(POINT screen) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  if (width < 2 || height < 2) return false;
  LONG x = screen.x;
  LONG y = screen.y;
  // The scaling may round a pixel off: aim again at what is missing.
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (!SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, Normalised(x, width),
                   Normalised(y, height))) {
      return false;
    }
    POINT at{};
    if (!::GetCursorPos(&at)) return false;
    if (at.x == screen.x && at.y == screen.y) return true;
    // The position read may still lag behind the move just sent; aiming anew from a stale one
    // would send the pointer far off.
    ::Sleep(kSettleMs);
    if (!::GetCursorPos(&at)) return false;
    if (at.x == screen.x && at.y == screen.y) return true;
    x += screen.x - at.x;
    y += screen.y - at.y;
  }
  return false;
}

bool PressLeft(bool down) { return SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP); }

bool PressRight(bool down) { return SendMouse(down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP); }

bool TapKey(WORD virtualKey) {
  INPUT inputs[2] = {};
  for (int up = 0; up < 2; ++up) {
    inputs[up].type = INPUT_KEYBOARD;
    inputs[up].ki.wVk = virtualKey;
    inputs[up].ki.wScan = static_cast<WORD>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    inputs[up].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  }
  return ::SendInput(2, inputs, sizeof(INPUT)) == 2;
}

bool HoldKey(WORD virtualKey, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  return ::SendInput(1, &input, sizeof input) == 1;
}

bool TypeKeys(const std::vector<WORD>& keys) {
  for (WORD key : keys) {
    if (!TapKey(key)) return false;
    Pump(kKeyHandledMs);
  }
  return true;
}

bool TypeText(std::wstring_view text) {
  std::vector<INPUT> inputs(text.size() * 2);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wScan = text[i / 2];
    inputs[i].ki.dwFlags = KEYEVENTF_UNICODE | (i % 2 ? KEYEVENTF_KEYUP : 0);
  }
  const UINT count = static_cast<UINT>(inputs.size());
  return ::SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

}  // namespace karvo::testing
