#include "osd/layered_win.h"

#include "platform/debug_log.h"

namespace karvo::osd {

namespace {
using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

SetLayeredWindowAttributesFn LookUp() {
  HMODULE user32 = ::GetModuleHandleA("User32.DLL");
  if (!user32) return nullptr;
  auto proc = ::GetProcAddress(user32, "SetLayeredWindowAttributes");
  if (!proc) platform::DebugLog("SetLayeredWindowAttributes not available\n");
  return reinterpret_cast<SetLayeredWindowAttributesFn>(reinterpret_cast<void*>(proc));
}
}  // namespace

bool SetWindowAlpha(HWND hwnd, BYTE alpha) {
  static const SetLayeredWindowAttributesFn setAttributes = LookUp();
  if (!setAttributes) return false;
  if (!setAttributes(hwnd, 0, alpha, LWA_ALPHA)) {
    platform::DebugLogLastError("SetLayeredWindowAttributes");
    return false;
  }
  return true;
}

}  // namespace karvo::osd
