#include "mail_notifier/mail_window_win.h"

#include <utility>

#include "platform/debug_log.h"
#include "platform/osd_hand_off_win.h"
#include "settings/profile_files.h"

namespace karvo::mail {

namespace {
using platform::DebugLog;
using platform::DebugLogLastError;
}  // namespace

MailWindow::MailWindow(HINSTANCE instance, std::string programDir)
    : m_instance(instance), m_programDir(std::move(programDir)), m_notifier(*this) {}

bool MailWindow::Create() {
  // Created as a tool window, so nobody who finds it by its title sees it without the style.
  return Window::Create(m_instance, {.Name = platform::kMailClass}, kMailWindowTitle,
                        {.Style = WS_POPUP,
                         .ExStyle = WS_EX_TOOLWINDOW,
                         .X = 100,
                         .Y = 100,
                         .Width = 100,
                         .Height = 100});
}

LRESULT MailWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_TIMER:
      if (wParam != kCheckTimerId) break;
      OnTimer(static_cast<UINT_PTR>(wParam));
      return 0;
    case kAppletReloadMessage:
      OnAppletReload();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

void MailWindow::OnCreate() {
  ReadSettings();
  m_notifier.Start(m_setting);
}

void MailWindow::OnTimer(UINT_PTR) { m_notifier.OnTimer(); }

void MailWindow::OnAppletReload() {
  ReadSettings();
  m_notifier.Reload(m_setting);
}

void MailWindow::OnDestroy() {
  KillCheckTimer();
  ::PostQuitMessage(0);
}

void MailWindow::ReadSettings() {
  settings::SettingsFiles files(m_files, m_registry, m_programDir);
  if (!files.ReadOsdSetting(&m_setting, true)) {
    DebugLog("Mailpeek: no notification settings in %sconfig.ini\n",
             settings::ParentDirectory(m_programDir).c_str());
  }
}

void MailWindow::SetCheckTimer(std::uint32_t intervalMs) {
  if (!m_hwnd) return;
  if (!::SetTimer(m_hwnd, kCheckTimerId, intervalMs, nullptr)) DebugLogLastError("SetTimer");
}

// Killing a timer that is not set fails harmlessly.
void MailWindow::KillCheckTimer() {
  if (m_hwnd) ::KillTimer(m_hwnd, kCheckTimerId);
}

std::unique_ptr<IStreamSocket> MailWindow::CreateSocket() { return CreateTcpSocket(); }

void MailWindow::SendNotice(const settings::OsdTextRecord& record) {
  platform::HandOffOsdText(record, "Mailpeek");
}

}  // namespace karvo::mail
