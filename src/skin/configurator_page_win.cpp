#include "skin/configurator_page_win.h"

#include "platform/debug_log.h"

namespace karvo::skin {

bool ConfiguratorPage::CreateAt(HWND parent, const RECT& place) {
  if (!CreateModeless(parent, Spec().Template)) return false;
  if (!::SetWindowPos(m_hwnd, nullptr, place.left, place.top, 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW)) {
    platform::DebugLogLastError("SetWindowPos(page)");
    return false;
  }
  return true;
}

void ConfiguratorPage::Show(bool visible) {
  if (m_hwnd) ::ShowWindow(m_hwnd, visible ? SW_SHOW : SW_HIDE);
}

}  // namespace karvo::skin
