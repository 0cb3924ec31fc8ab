#include "editors/button_page_win.h"

namespace karvo::editors {

void ButtonPage::Refresh() {
  // The labels are drawn from the working copy's button records, so a repaint shows the
  // slot now current.
  if (m_hwnd) ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

}  // namespace karvo::editors
