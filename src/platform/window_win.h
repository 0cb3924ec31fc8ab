#pragma once
// The base of every window of the suite. One window procedure for all of them: the object is
// passed as the creation parameter, attached at WM_NCCREATE (messages before it get the default
// handling) and detached after WM_NCDESTROY; every message in between goes to HandleMessage,
// which a subclass writes as one switch over named handlers. No exception leaves the callback.
#include <windows.h>

#include <exception>

#include "platform/debug_log.h"

namespace karvo::platform {

// A window class; registered once per process, on the first Create that names it.
struct WindowClass {
  const char* Name = nullptr;  // the suite's text (Windows-1252)
  UINT Style = 0;
  HICON Icon = nullptr;
  HICON SmallIcon = nullptr;
  HCURSOR Cursor = nullptr;
  HBRUSH Background = nullptr;
};

struct WindowShape {
  DWORD Style = WS_POPUP;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND Parent = nullptr;
  HMENU MenuOrId = nullptr;
};

class Window {
 public:
  Window() = default;
  // Detaches, then destroys the window: the messages of its destruction no longer reach the
  // object. A subclass that must see them calls Destroy() in its own destructor.
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Hwnd() const { return m_hwnd; }

  // Registers the class when it is not yet there and creates the window; false when either
  // failed (the class name is taken by another window procedure, WM_NCCREATE or WM_CREATE
  // refused). title is the suite's text (Windows-1252).
  [[nodiscard]] bool Create(HINSTANCE instance, const WindowClass& windowClass, const char* title,
                            const WindowShape& shape);
  // Destroys the window with its messages still going to the object.
  void Destroy();

  // The object attached to hwnd when hwnd is a window of this base, else nullptr.
  static Window* FromHandle(HWND hwnd);

 protected:
  // Every message from WM_NCCREATE to WM_NCDESTROY; unhandled ones go to DefaultProc.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hwnd = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// Runs f, which must not let an exception out of a Win32 callback: a failure is logged under
// who and false returned.
template <typename F>
bool RunGuarded(const char* who, F&& f) noexcept {
  try {
    f();
    return true;
  } catch (const std::exception& e) {
    DebugLog("%s failed: %s\r\n", who, e.what());
  } catch (...) {
    DebugLog("%s failed\r\n", who);
  }
  return false;
}

// The thread's message loop until WM_QUIT; its exit code (0 when GetMessage fails). accept,
// when given, drops the messages it refuses before they are dispatched.
int RunMessageLoop(bool (*accept)(const MSG&) = nullptr);

// Sets a window's extended style. SetWindowLong returns the previous value, which may be 0, so
// only the error code tells a failure; it is logged and false returned.
bool SetExStyle(HWND hwnd, LONG exStyle);

}  // namespace karvo::platform
