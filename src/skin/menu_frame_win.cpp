#include "skin/menu_frame_win.h"

#include <algorithm>
#include <cwchar>
#include <optional>

#include "platform/debug_log.h"
#include "platform/window_win.h"

namespace karvo::skin {

namespace {

using platform::DebugLog;
using platform::DebugLogLastError;

// The hook procedure and the subclass get no context of their own; both run on the
// thread that installed the hook.
thread_local MenuFrameHook* t_hook = nullptr;

bool IsMenuWindow(HWND hwnd) {
  wchar_t name[8] = {};
  return ::GetClassNameW(hwnd, name, 8) == 6 && std::wcscmp(name, L"#32768") == 0;
}

WNDPROC OldProc(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(::GetPropW(hwnd, kMenuOldProcProperty));
}

bool IsHiding(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SHOWWINDOW) return wParam == FALSE;
  return message == WM_WINDOWPOSCHANGED &&
         (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW) != 0;
}

// The whole window, frame included: where the system gives the menu a border the
// frame is its non-client area.
class WholeWindowDc {
 public:
  explicit WholeWindowDc(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetWindowDC(hwnd)) {
    if (!m_dc) DebugLog("GetWindowDC of a menu failed\r\n");
  }
  ~WholeWindowDc() {
    if (m_dc) ::ReleaseDC(m_hwnd, m_dc);
  }
  WholeWindowDc(const WholeWindowDc&) = delete;
  WholeWindowDc& operator=(const WholeWindowDc&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HWND m_hwnd;
  HDC m_dc;
};

}  // namespace

MenuFrameHook::MenuFrameHook()
    : m_outer(::CreateSolidBrush(kMenuFrameOuter)), m_inner(::CreateSolidBrush(kMenuFrameInner)) {
  if (t_hook) {
    DebugLog("the menu frame hook is already installed on this thread\r\n");
    return;
  }
  if (!m_outer || !m_inner) DebugLog("CreateSolidBrush for the menu frame failed\r\n");
  m_hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &MenuFrameHook::CallWndProc, nullptr,
                               ::GetCurrentThreadId());
  if (!m_hook) {
    DebugLogLastError("SetWindowsHookExW(WH_CALLWNDPROC)");
    return;
  }
  t_hook = this;
}

MenuFrameHook::~MenuFrameHook() {
  if (!m_hook) return;
  if (!::UnhookWindowsHookEx(m_hook)) DebugLogLastError("UnhookWindowsHookEx(menu frame)");
  while (!m_windows.empty()) Restore(m_windows.back());
  t_hook = nullptr;
}

LRESULT CALLBACK MenuFrameHook::CallWndProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && t_hook) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if ((call->message == WM_NCCREATE || call->message == WM_CREATE) && IsMenuWindow(call->hwnd)) {
      platform::RunGuarded("menu frame hook", [&] { t_hook->Subclass(call->hwnd); });
    }
  }
  return ::CallNextHookEx(t_hook ? t_hook->m_hook : nullptr, code, wParam, lParam);
}

void MenuFrameHook::Subclass(HWND hwnd) {
  if (OldProc(hwnd)) return;  // once per window
  const auto old = ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
  if (!old) {
    DebugLogLastError("GetWindowLongPtrW(menu procedure)");
    return;
  }
  m_windows.push_back(hwnd);
  if (!::SetPropW(hwnd, kMenuOldProcProperty, reinterpret_cast<HANDLE>(old))) {
    DebugLogLastError("SetPropW(CoolMenu_oldProc)");
    m_windows.pop_back();
    return;
  }
  ::SetLastError(0);
  if (!::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameProc)) &&
      ::GetLastError() != 0) {
    DebugLogLastError("SetWindowLongPtrW(menu frame)");
    ::RemovePropW(hwnd, kMenuOldProcProperty);
    m_windows.pop_back();
  }
}

void MenuFrameHook::Restore(HWND hwnd) {
  m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), hwnd), m_windows.end());
  const WNDPROC old = OldProc(hwnd);
  if (!old) return;
  // Someone who subclassed the menu after us would be cut off: our procedure stays.
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != &FrameProc) {
    DebugLog("a menu window was subclassed over its frame; left as it is\r\n");
    return;
  }
  ::SetLastError(0);
  if (!::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old)) &&
      ::GetLastError() != 0) {
    DebugLogLastError("SetWindowLongPtrW(menu procedure back)");
    return;
  }
  if (!::RemovePropW(hwnd, kMenuOldProcProperty))
    DebugLogLastError("RemovePropW(CoolMenu_oldProc)");
}

void MenuFrameHook::PaintFrame(HWND hwnd, HDC dc) {
  if (!t_hook) return;
  RECT frame{};
  if (!::GetWindowRect(hwnd, &frame)) return;
  ::OffsetRect(&frame, -frame.left, -frame.top);
  std::optional<WholeWindowDc> own;
  if (!dc) dc = own.emplace(hwnd).Get();
  if (!dc) return;
  ::FrameRect(dc, &frame, t_hook->m_outer.Get());
  for (int ring = 1; ring < kMenuFrameWidth; ++ring) {
    ::InflateRect(&frame, -1, -1);
    ::FrameRect(dc, &frame, t_hook->m_inner.Get());
  }
}

LRESULT CALLBACK MenuFrameHook::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC old = OldProc(hwnd);
  if (!old) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCPAINT:
      PaintFrame(hwnd, nullptr);
      return 0;
    case WM_NCDESTROY:
      // Destroyed without being hidden first: the record goes all the same.
      if (t_hook) t_hook->Restore(hwnd);
      return ::CallWindowProcW(old, hwnd, message, wParam, lParam);
    default:
      break;
  }
  const LRESULT result = ::CallWindowProcW(old, hwnd, message, wParam, lParam);
  if (message == WM_PAINT || message == WM_PRINT) {
    // Where the system draws its border inside the client area, the frame goes over it.
    PaintFrame(hwnd, message == WM_PRINT ? reinterpret_cast<HDC>(wParam) : nullptr);
  } else if (IsHiding(message, wParam, lParam) && t_hook) {
    t_hook->Restore(hwnd);
  }
  return result;
}

}  // namespace karvo::skin
