#include "editors/key_hook_win.h"

#include <array>
#include <cstdint>
#include <utility>

#include "platform/debug_log.h"

namespace karvo::editors {
namespace {

using platform::DebugLog;
using platform::DebugLogLastError;

// The hook procedure has no context parameter. Installed, removed and run on the
// one user-interface thread.
HHOOK g_hook = nullptr;
HWND g_target = nullptr;
unsigned g_installation = 0;
// Stamps of the keys posted and not taken, oldest first, in a ring that allocates nothing in
// the hook; a receiver that never takes them leaves no more than its size behind.
std::array<std::uint32_t, 1024> g_stamps{};
std::size_t g_firstStamp = 0;
std::size_t g_stampCount = 0;

void KeepStamp(std::uint32_t stamp) {
  if (g_stampCount == g_stamps.size()) {
    g_firstStamp = (g_firstStamp + 1) % g_stamps.size();
    --g_stampCount;
  }
  g_stamps[(g_firstStamp + g_stampCount) % g_stamps.size()] = stamp;
  ++g_stampCount;
}

unsigned HandleBits(HHOOK hook) {
  return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(hook));
}

LRESULT CALLBACK KeyHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
  // The system requires events it did not mean for us to be passed on untouched.
  if (code < 0) return ::CallNextHookEx(g_hook, code, wParam, lParam);
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  DebugLog("vkcode=%x,scancode=%x\n", static_cast<unsigned>(key->vkCode),
           static_cast<unsigned>(key->scanCode));
  if (!::PostMessageA(g_target, kHookedKeyMessage, key->vkCode,
                      static_cast<LPARAM>(key->flags & kHookedKeyRelease))) {
    // Nobody receives it (the target is gone): the key must not vanish.
    DebugLogLastError("PostMessageA (hooked key)");
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
  }
  KeepStamp(key->time);
  return 1;
}

HINSTANCE HookModule() {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&KeyHookProc), &module)) {
    DebugLogLastError("GetModuleHandleExA");
    return ::GetModuleHandleA(nullptr);
  }
  return module;
}

}  // namespace

bool InstallKeyHook(HWND target) {
  if (!target) return false;
  RemoveKeyHook();
  g_stampCount = 0;
  g_target = target;
  g_hook = ::SetWindowsHookExA(WH_KEYBOARD_LL, &KeyHookProc, HookModule(), 0);
  if (!g_hook) DebugLogLastError("SetWindowsHookExA");
  DebugLog("Hhook: %x\r\n", HandleBits(g_hook));
  if (!g_hook) {
    g_target = nullptr;
    return false;
  }
  ++g_installation;
  return true;
}

void RemoveKeyHook() {
  if (!g_hook) return;
  DebugLog("Hhook: %x\r\n", HandleBits(g_hook));
  if (::UnhookWindowsHookEx(g_hook)) {
    DebugLog("UnHhook: Success \r\n");
  } else {
    DebugLog("UnHhook: Fail \r\n");
  }
  // Even a failed removal leaves nothing to retry: the system drops the hook with
  // the thread.
  g_hook = nullptr;
  g_target = nullptr;
}

bool KeyHookInstalled() { return g_hook != nullptr; }

std::optional<std::uint32_t> TakeHookedKeyTime() {
  if (g_stampCount == 0) return std::nullopt;
  const std::uint32_t stamp = g_stamps[g_firstStamp];
  g_firstStamp = (g_firstStamp + 1) % g_stamps.size();
  --g_stampCount;
  return stamp;
}

KeyHook::KeyHook(HWND target) {
  if (InstallKeyHook(target)) m_installation = g_installation;
}

KeyHook::KeyHook(KeyHook&& other) noexcept
    : m_installation(std::exchange(other.m_installation, 0)) {}

KeyHook& KeyHook::operator=(KeyHook&& other) noexcept {
  if (this != &other) {
    Reset();
    m_installation = std::exchange(other.m_installation, 0);
  }
  return *this;
}

bool KeyHook::Installed() const {
  return m_installation != 0 && m_installation == g_installation && g_hook != nullptr;
}

void KeyHook::Reset() {
  if (Installed()) RemoveKeyHook();
  m_installation = 0;
}

}  // namespace karvo::editors
