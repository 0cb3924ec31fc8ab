#include "monitor/tray_icon_win.h"

#include <shellapi.h>

#include <cwchar>

#include "monitor/monitor_messages.h"
#include "monitor/monitor_resources.h"
#include "platform/debug_log.h"

namespace karvo::monitor {

namespace {

// The small icon of our own executable, as Explorer shows it: its first icon resource at the
// small-icon size, or what the shell makes of the file when the resource cannot be loaded.
platform::UniqueIcon OwnSmallIcon() {
  auto* icon = static_cast<HICON>(::LoadImageW(
      ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MONITOR), IMAGE_ICON,
      ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  if (icon) return platform::UniqueIcon(icon);
  platform::DebugLogLastError("LoadImageW(own icon)");
  wchar_t path[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  SHFILEINFOW info{};
  if (!::SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON)) {
    return {};
  }
  return platform::UniqueIcon(info.hIcon);
}
}  // namespace

// The icon goes after the notification area has let go of it.
TrayIcon::~TrayIcon() { Remove(); }

void TrayIcon::Add(HWND window, UINT id, UINT callbackMessage) {
  if (!m_icon) m_icon = OwnSmallIcon();
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = id;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = callbackMessage;
  data.hIcon =
      m_icon ? m_icon.Get() : ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  std::wcsncpy(data.szTip, kTrayTip, sizeof(data.szTip) / sizeof(data.szTip[0]) - 1);
  if (!::Shell_NotifyIconW(NIM_ADD, &data)) {
    platform::DebugLog("Shell_NotifyIconW(NIM_ADD) failed\n");
    return;
  }
  m_window = window;
  m_id = id;
}

void TrayIcon::Remove() {
  if (!m_window) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = m_window;
  data.uID = m_id;
  if (!::Shell_NotifyIconW(NIM_DELETE, &data))
    platform::DebugLog("Shell_NotifyIconW(NIM_DELETE) failed\n");
  m_window = nullptr;
}

void TrayIcon::ShowMenu(HWND window) {
  platform::UniqueMenu menu(::CreatePopupMenu());
  if (!menu) {
    platform::DebugLogLastError("CreatePopupMenu");
    return;
  }
  if (!::AppendMenuW(menu.Get(), MF_STRING, kMenuOpenConfigurator, kMenuOpenText) ||
      !::SetMenuDefaultItem(menu.Get(), kMenuOpenConfigurator, FALSE) ||
      !::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr) ||
      !::AppendMenuW(menu.Get(), MF_STRING, kMenuExit, kMenuExitText)) {
    platform::DebugLogLastError("building the tray menu");
    return;
  }
  POINT at{};
  if (!::GetCursorPos(&at)) platform::DebugLogLastError("GetCursorPos");
  ::TrackPopupMenu(menu.Get(), TPM_LEFTBUTTON, at.x, at.y, 0, window, nullptr);
  // Lets the menu close when the user clicks elsewhere.
  if (!::PostMessageW(window, WM_NULL, 0, 0)) platform::DebugLogLastError("PostMessage(WM_NULL)");
}

}  // namespace karvo::monitor
