// The entries of the simulated "hidgate.dll"; hidgate.def exports them undecorated.
#include <windows.h>

#include "sim/virtual_mouse_win.h"

using karvo::sim::VirtualMouse;

namespace {

// No exception may leave an entry point into the caller's frames.
template <typename F>
BOOL Guarded(F&& f) {
  try {
    return f();
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

extern "C" {

BOOL WINAPI Open_DevMonitor(HWND window, UINT eventMessage, UINT arrivalMessage) {
  return Guarded([&] {
    return VirtualMouse::Instance().OpenDevMonitor(window, eventMessage, arrivalMessage);
  });
}

BOOL WINAPI Close_DevMonitor(void) {
  return Guarded([] { return VirtualMouse::Instance().CloseDevMonitor(); });
}

BOOL WINAPI Open_FeatureDevice(void) {
  return Guarded([] { return VirtualMouse::Instance().OpenFeatureDevice(); });
}

BOOL WINAPI Close_FeatureDevice(void) {
  return Guarded([] { return VirtualMouse::Instance().CloseFeatureDevice(); });
}

BOOL WINAPI SetFeature(void* report, DWORD length) {
  return Guarded([&] { return VirtualMouse::Instance().SetFeature(report, length); });
}

BOOL WINAPI GetFeature(void* report, DWORD length) {
  return Guarded([&] { return VirtualMouse::Instance().GetFeature(report, length); });
}

// The product id of the mouse the real library finds; the virtual one reports its own.
DWORD WINAPI GetMousePID(void) { return 0x0F00; }

}  // extern "C"
