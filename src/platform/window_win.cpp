#include "platform/window_win.h"

#include <string>
#include <utility>

#include "platform/control_win.h"
#include "platform/text_win.h"

namespace karvo::platform {

namespace {
// What a message answers when its handler failed: creation is refused, everything else is 0.
LRESULT FailedResult(UINT message) {
  if (message == WM_NCCREATE) return FALSE;
  if (message == WM_CREATE) return -1;
  return 0;
}

bool EnsureClass(HINSTANCE instance, const WindowClass& windowClass, const std::wstring& name,
                 WNDPROC proc) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(instance, name.c_str(), &existing)) {
    // A class of that name with another procedure would never deliver to the object.
    if (existing.lpfnWndProc == proc) return true;
    DebugLog("window class %s belongs to another window procedure\r\n", windowClass.Name);
    return false;
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = windowClass.Style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = windowClass.Icon;
  wc.hIconSm = windowClass.SmallIcon;
  wc.hCursor = windowClass.Cursor;
  wc.hbrBackground = windowClass.Background;
  wc.lpszClassName = name.c_str();
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    DebugLogLastError("RegisterClassExW");
    return false;
  }
  return true;
}
}  // namespace

Window::~Window() {
  if (!m_hwnd) return;
  HWND hwnd = std::exchange(m_hwnd, nullptr);
  ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (!::DestroyWindow(hwnd)) DebugLogLastError("DestroyWindow");
}

bool Window::Create(HINSTANCE instance, const WindowClass& windowClass, const char* title,
                    const WindowShape& shape) {
  if (m_hwnd || !windowClass.Name) return false;
  const std::wstring className = WideFromSuiteText(windowClass.Name);
  if (!EnsureClass(instance, windowClass, className, &Window::WindowProc)) return false;
  const std::wstring caption = WideFromSuiteText(title ? title : "");
  HWND hwnd = ::CreateWindowExW(shape.ExStyle, className.c_str(), caption.c_str(), shape.Style,
                                shape.X, shape.Y, shape.Width, shape.Height, shape.Parent,
                                shape.MenuOrId, instance, this);
  if (!hwnd) {
    DebugLogLastError("CreateWindowExW");
    return false;
  }
  return true;
}

void Window::Destroy() {
  if (m_hwnd && !::DestroyWindow(m_hwnd)) DebugLogLastError("DestroyWindow");
}

Window* Window::FromHandle(HWND hwnd) {
  if (!hwnd ||
      reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != &Window::WindowProc) {
    return nullptr;
  }
  return reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultProc(message, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self && message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    self = create ? static_cast<Window*>(create->lpCreateParams) : nullptr;
    if (self) {
      self->m_hwnd = hwnd;
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);

  LRESULT result = 0;
  if (!ReflectToControl(hwnd, message, wParam, lParam, result)) {
    if (!RunGuarded("window message",
                    [&] { result = self->HandleMessage(message, wParam, lParam); })) {
      DebugLog("message %u of window %p not handled\r\n", message, static_cast<void*>(hwnd));
      result = FailedResult(message);
    }
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->m_hwnd = nullptr;
  }
  return result;
}

int RunMessageLoop(bool (*accept)(const MSG&)) {
  MSG msg;
  BOOL got;
  while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) {
      DebugLogLastError("GetMessage");
      return 0;
    }
    if (accept && !accept(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

bool SetExStyle(HWND hwnd, LONG exStyle) {
  ::SetLastError(0);
  if (::SetWindowLongW(hwnd, GWL_EXSTYLE, exStyle) == 0 && ::GetLastError() != 0) {
    DebugLogLastError("SetWindowLong GWL_EXSTYLE");
    return false;
  }
  return true;
}

}  // namespace karvo::platform
