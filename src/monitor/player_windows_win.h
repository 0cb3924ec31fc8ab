#pragma once
// The outside media players as windows: finding them, sending them commands, and starting the
// player a profile names from its registry entry.
#include <windows.h>

#include <optional>
#include <string>

#include "monitor/media_keys.h"

namespace karvo::monitor {

class WinPlayerWindows final : public IPlayerWindows {
 public:
  // monitorWindow: the window whose thread borrows the foreground for Windows Media Player.
  explicit WinPlayerWindows(HWND monitorWindow) : m_monitorWindow(monitorWindow) {}

  Handle FindITunes() override;
  Handle FindVlc() override;
  Handle FindWinamp() override;
  void Send(Handle window, std::uint32_t message, std::uintptr_t wParam,
            std::intptr_t lParam) override;
  void Post(Handle window, std::uint32_t message, std::uintptr_t wParam,
            std::intptr_t lParam) override;
  void BringToFront(Handle window) override;
  void StartWinamp() override { LaunchPlayer(kPlayerWinamp); }

  // Media code 32: starts the player of mediaOption, or brings an open Windows Media Player
  // forward.
  void LaunchPlayer(int mediaOption);

 private:
  HWND m_monitorWindow;
};

// The registry value (HKEY_LOCAL_MACHINE key, value name or nullptr for the default) as text
// of at most 260 bytes; none when it is missing or not a string.
std::optional<std::string> ReadMachineString(const char* key, const char* value);

}  // namespace karvo::monitor
