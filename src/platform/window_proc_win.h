#pragma once

#include <windows.h>

#include <exception>

#include "platform/debug_log.h"

namespace karvo::platform {

// The one window procedure of every window wrapper. The wrapper passes itself as the creation
// parameter; from WM_NCCREATE on it sits in GWLP_USERDATA and its handle member is set, and every
// message goes to its handler. Messages before WM_NCCREATE get the default handling, and no
// exception leaves the callback: a failed handler is logged under `who` and answers 0.
template <class Owner>
LRESULT RouteToOwner(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, HWND Owner::*handle,
                     LRESULT (Owner::*handler)(UINT, WPARAM, LPARAM), const char* who) {
  auto* owner = reinterpret_cast<Owner*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (owner) {
      owner->*handle = hwnd;
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
  }
  if (!owner) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = (owner->*handler)(message, wParam, lParam);
  } catch (const std::exception& e) {
    DebugLog("%s: message %u failed: %s\n", who, message, e.what());
  } catch (...) {
    DebugLog("%s: message %u failed\n", who, message);
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    owner->*handle = nullptr;
  }
  return result;
}

// Sets a window's extended style. SetWindowLong returns the previous value, which may be 0, so
// only the error code tells a failure; it is logged and false returned.
inline bool SetExStyle(HWND hwnd, LONG exStyle) {
  ::SetLastError(0);
  if (::SetWindowLongA(hwnd, GWL_EXSTYLE, exStyle) == 0 && ::GetLastError() != 0) {
    DebugLogLastError("SetWindowLong GWL_EXSTYLE");
    return false;
  }
  return true;
}

}  // namespace karvo::platform
