#include "notify_settings/osd_page_win.h"

namespace karvo::notify_settings {

bool OsdPage::OnInit() {
  if (!ConfiguratorPage::OnInit()) return false;
  m_model.Init();
  return true;
}

void OsdPage::Refresh() {
  (void)m_model.Refresh();
  if (m_hwnd) ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

}  // namespace karvo::notify_settings
