#include "configurator/system_page_win.h"

namespace karvo::configurator {

void SystemPage::Refresh() {
  // What the page shows is drawn from the working copy, so a repaint shows the slot now
  // current.
  if (m_hwnd) ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

}  // namespace karvo::configurator
