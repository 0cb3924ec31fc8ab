#include "monitor/player_windows_win.h"

#include <cstring>

#include "monitor/player_launch.h"
#include "platform/debug_log.h"
#include "platform/handles.h"

namespace karvo::monitor {

namespace {
// A player that stopped answering must not hold the monitor's window thread.
constexpr UINT kSendTimeoutMs = 1000;
// The window chain is walked only this far looking for VLC.
constexpr int kMaxChainLength = 4096;

HWND AsWindow(IPlayerWindows::Handle handle) { return reinterpret_cast<HWND>(handle); }
IPlayerWindows::Handle AsHandle(HWND window) {
  return reinterpret_cast<IPlayerWindows::Handle>(window);
}

bool IsVlcWindow(HWND window) {
  char className[16] = {};
  int length = ::GetClassNameA(window, className, sizeof className);
  if (length <= 0 || std::string_view(className, static_cast<std::size_t>(length)) != "QWidget")
    return false;
  char title[256] = {};
  int titleLength = ::GetWindowTextA(window, title, sizeof title);
  if (titleLength <= 0) return false;
  return std::string_view(title, static_cast<std::size_t>(titleLength)).find("VLC") !=
         std::string_view::npos;
}

void BringForwardAttached(HWND target, HWND monitorWindow) {
  HWND foreground = ::GetForegroundWindow();
  DWORD foregroundThread = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
  DWORD ownThread = ::GetWindowThreadProcessId(monitorWindow, nullptr);
  bool attached = foregroundThread != 0 && ownThread != 0 && foregroundThread != ownThread &&
                  ::AttachThreadInput(foregroundThread, ownThread, TRUE);
  if (!::SetForegroundWindow(target)) platform::DebugLog("SetForegroundWindow(player) failed\n");
  if (attached && !::AttachThreadInput(foregroundThread, ownThread, FALSE))
    platform::DebugLogLastError("AttachThreadInput(detach)");
}

// Environment variables of a registry value, as the App Paths value of Windows Media Player
// carries them; none when the result does not fit.
std::optional<std::string> Expanded(const std::string& text) {
  char expanded[MAX_PATH] = {};
  DWORD length = ::ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof expanded);
  if (length == 0 || length > sizeof expanded) {
    platform::DebugLog("player path not expanded\n");
    return std::nullopt;
  }
  return std::string(expanded);
}

void StartProgram(const PlayerLaunch& launch) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  // The program is passed as the application name, so blanks in it need no quoting and cannot
  // split it; the command line only carries it quoted for the program's own argv[0].
  std::string commandLine = "\"" + launch.Program + "\"";
  if (!launch.Arguments.empty()) commandLine += " " + launch.Arguments;
  if (!::CreateProcessA(launch.Program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
    platform::DebugLogLastError("CreateProcessA(player)");
    return;
  }
  platform::UniqueHandle processHandle(process.hProcess);
  platform::UniqueHandle threadHandle(process.hThread);
}
}  // namespace

std::optional<std::string> ReadMachineString(const char* key, const char* value) {
  HKEY raw = nullptr;
  // Read-only and never created: the key belongs to the player's installer, and a user without
  // administrator rights could not open it for writing at all.
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
    return std::nullopt;
  platform::UniqueRegKey opened(raw);
  char buffer[kPlayerValueMax + 1] = {};
  DWORD type = 0;
  DWORD size = kPlayerValueMax;
  if (::RegQueryValueExA(opened.Get(), value, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  if (size > kPlayerValueMax) size = kPlayerValueMax;
  return std::string(buffer, strnlen(buffer, size));
}

IPlayerWindows::Handle WinPlayerWindows::FindITunes() {
  return AsHandle(::FindWindowA("iTunes", "iTunes"));
}

IPlayerWindows::Handle WinPlayerWindows::FindVlc() {
  HWND window = ::FindWindowA("QWidget", nullptr);
  for (int i = 0; window && i < kMaxChainLength; ++i) {
    if (IsVlcWindow(window)) return AsHandle(window);
    window = ::GetWindow(window, GW_HWNDNEXT);
  }
  return 0;
}

IPlayerWindows::Handle WinPlayerWindows::FindWinamp() {
  return AsHandle(::FindWindowA("Winamp v1.x", nullptr));
}

void WinPlayerWindows::Send(Handle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(AsWindow(window), message, wParam, lParam, SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &result))
    platform::DebugLogLastError("SendMessageTimeoutA(player)");
}

void WinPlayerWindows::Post(Handle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) {
  if (!::PostMessageA(AsWindow(window), message, wParam, lParam))
    platform::DebugLogLastError("PostMessageA(player)");
}

void WinPlayerWindows::BringToFront(Handle window) {
  if (!::SetForegroundWindow(AsWindow(window)))
    platform::DebugLog("SetForegroundWindow(VLC) failed\n");
}

void WinPlayerWindows::LaunchPlayer(int mediaOption) {
  const PlayerRegistration* player = PlayerRegistrationFor(mediaOption);
  if (!player) return;
  if (mediaOption == kPlayerWindowsMedia) {
    if (HWND open = ::FindWindowA(nullptr, kWindowsMediaPlayerTitle)) {
      BringForwardAttached(open, m_monitorWindow);
      return;
    }
  }
  std::optional<std::string> value = ReadMachineString(player->Key, player->Value);
  if (!value) return;
  std::optional<PlayerLaunch> launch = PlayerLaunchFromValue(mediaOption, *value);
  if (!launch) return;
  if (mediaOption == kPlayerWindowsMedia) {
    std::optional<std::string> program = Expanded(launch->Program);
    std::optional<std::string> arguments = Expanded(launch->Arguments);
    if (!program || !arguments) return;
    launch->Program = std::move(*program);
    launch->Arguments = std::move(*arguments);
  }
  StartProgram(*launch);
}

}  // namespace karvo::monitor
