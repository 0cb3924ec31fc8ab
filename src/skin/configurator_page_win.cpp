#include "skin/configurator_page_win.h"

#include "platform/debug_log.h"

namespace karvo::skin {

bool ConfiguratorPage::CreateAt(HWND parent, const RECT& rect) {
  if (!CreateModeless(parent, m_spec.Template)) return false;
  if (!::SetWindowPos(m_hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW)) {
    platform::DebugLogLastError("SetWindowPos(page)");
    return false;
  }
  return true;
}

void ConfiguratorPage::Show(bool visible) {
  if (m_hwnd) ::ShowWindow(m_hwnd, visible ? SW_SHOW : SW_HIDE);
}

bool ConfiguratorPage::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR&) {
  if (message != WM_LBUTTONDOWN) return false;
  HWND top = ::GetAncestor(m_hwnd, GA_ROOT);
  if (!top) return false;
  // The press becomes a press on the caption the skin does not draw.
  if (!::ReleaseCapture()) platform::DebugLogLastError("ReleaseCapture(page drag)");
  ::SendMessageW(top, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  return true;
}

}  // namespace karvo::skin
