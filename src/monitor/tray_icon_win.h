#pragma once
// The monitor's notification-area icon and its menu. The tip and the menu are Chinese; they
// go through the wide API so that they show whatever the system's ANSI code page is.
#include <windows.h>

#include "platform/gdi_win.h"

namespace karvo::monitor {

inline constexpr wchar_t kTrayTip[] = L"KARVO\u6E38\u620F\u9F20\u6807";  // KARVO游戏鼠标
inline constexpr wchar_t kMenuOpenText[] = L"\u7EC4\u5408\u914D\u7F6E";  // 组合配置
inline constexpr wchar_t kMenuExitText[] = L"\u9000\u51FA";              // 退出

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void Add(HWND window, UINT id, UINT callbackMessage);
  void Remove();
  // Shows the menu at the cursor, tracked for window; the chosen item arrives as WM_COMMAND.
  static void ShowMenu(HWND window);

 private:
  HWND m_window = nullptr;
  UINT m_id = 0;
  platform::UniqueIcon m_icon;
};

}  // namespace karvo::monitor
