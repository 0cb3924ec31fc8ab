#pragma once
// The low-level keyboard hook of the shortcut dialog and the macro recorder: while
// it is installed every key goes to one window as message 1034 and to nobody else.
#include <windows.h>

#include <cstdint>
#include <optional>

namespace karvo::editors {

// wParam: the virtual-key code; lParam: kHookedKeyRelease for a release, else 0.
inline constexpr UINT kHookedKeyMessage = WM_USER + 10;
inline constexpr LPARAM kHookedKeyRelease = 0x80;

// One hook per process: installing again moves it to the new target. The hook runs
// on the calling thread, which must pump messages while it is installed.
[[nodiscard]] bool InstallKeyHook(HWND target);
void RemoveKeyHook();
bool KeyHookInstalled();

// The time the system stamped on a hooked key (GetTickCount's clock), for each message posted,
// in the order posted: a receiver that wants it takes one with each kHookedKeyMessage it
// handles. nullopt when none is waiting. Installing the hook forgets those not taken.
std::optional<std::uint32_t> TakeHookedKeyTime();

// Owns one installation: the hook goes when the owner goes, however its dialog
// ends, unless another owner has taken the hook over meanwhile.
class KeyHook {
 public:
  KeyHook() = default;
  explicit KeyHook(HWND target);
  ~KeyHook() { Reset(); }
  KeyHook(KeyHook&& other) noexcept;
  KeyHook& operator=(KeyHook&& other) noexcept;
  KeyHook(const KeyHook&) = delete;
  KeyHook& operator=(const KeyHook&) = delete;

  bool Installed() const;
  void Reset();

 private:
  unsigned m_installation = 0;  // 0: owns nothing
};

}  // namespace karvo::editors
