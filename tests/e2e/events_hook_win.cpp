#include "tests/e2e/events_hook_win.h"

#include "tests/support/pump_win.h"

namespace karvo::e2e {

namespace {
KeyboardHook* g_hook = nullptr;  // the hook procedure has no context parameter

DWORD Fold(DWORD vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
      return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
      return VK_MENU;
    default:
      return vk;
  }
}

void PumpFor(DWORD ms) { testing::Pump(ms); }
}  // namespace

std::uint64_t NowUs() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    return ::QueryPerformanceFrequency(&f) ? f.QuadPart : 1;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<std::uint64_t>(now.QuadPart / frequency * 1000000 +
                                    now.QuadPart % frequency * 1000000 / frequency);
}

KeyboardHook::KeyboardHook() : m_ready(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!m_ready) return;
  g_hook = this;
  m_thread.Reset(::CreateThread(nullptr, 0, &KeyboardHook::ThreadMain, this, 0, &m_threadId));
  if (m_thread) ::WaitForSingleObject(m_ready.Get(), 10000);
}

KeyboardHook::~KeyboardHook() {
  if (m_thread) {
    ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
    ::WaitForSingleObject(m_thread.Get(), 10000);
  }
  g_hook = nullptr;
}

DWORD WINAPI KeyboardHook::ThreadMain(void* param) {
  auto* self = static_cast<KeyboardHook*>(param);
  MSG msg;
  ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  HHOOK hook =
      ::SetWindowsHookExA(WH_KEYBOARD_LL, &KeyboardHook::HookProc, ::GetModuleHandleA(nullptr), 0);
  self->m_installed = hook != nullptr;
  ::SetEvent(self->m_ready.Get());
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  if (hook) ::UnhookWindowsHookEx(hook);
  return 0;
}

LRESULT CALLBACK KeyboardHook::HookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_hook) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    HookedKey key{Fold(info->vkCode), (info->flags & LLKHF_UP) != 0,
                  (info->flags & LLKHF_INJECTED) != 0, NowUs()};
    std::lock_guard lock(g_hook->m_lock);
    g_hook->m_keys.push_back(key);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<HookedKey> KeyboardHook::Keys() {
  std::lock_guard lock(m_lock);
  return m_keys;
}

void KeyboardHook::Clear() {
  std::lock_guard lock(m_lock);
  m_keys.clear();
}

bool KeyboardHook::WaitForCount(std::size_t count, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    {
      std::lock_guard lock(m_lock);
      if (m_keys.size() >= count) return true;
    }
    if (::GetTickCount() - start >= timeoutMs) return false;
    PumpFor(20);
  }
}

RecordingWindow::RecordingWindow(const char* className, const char* title)
    : m_className(className) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &RecordingWindow::WindowProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = m_className.c_str();
  ::RegisterClassA(&wc);
  m_window.Reset(::CreateWindowExA(0, m_className.c_str(), title, WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                   100, nullptr, nullptr, wc.hInstance, this));
}

RecordingWindow::~RecordingWindow() {
  m_window.Reset();
  ::UnregisterClassA(m_className.c_str(), ::GetModuleHandleA(nullptr));
}

LRESULT CALLBACK RecordingWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_COMMAND)) {
    self->m_received.push_back({message, wParam, lParam});
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

bool RecordingWindow::WaitForCount(std::size_t count, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (m_received.size() < count) {
    if (::GetTickCount() - start >= timeoutMs) return false;
    PumpFor(20);
  }
  return true;
}

}  // namespace karvo::e2e
