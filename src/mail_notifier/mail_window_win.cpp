#include "mail_notifier/mail_window_win.h"

#include <exception>
#include <utility>

#include "platform/debug_log.h"
#include "platform/osd_hand_off_win.h"
#include "platform/window_proc_win.h"
#include "settings/profile_files.h"

namespace karvo::mail {

namespace {
using platform::DebugLog;
using platform::DebugLogLastError;

using platform::SetExStyle;
}  // namespace

MailWindow::MailWindow(HINSTANCE instance, std::string programDir)
    : m_instance(instance), m_programDir(std::move(programDir)), m_notifier(*this) {}

MailWindow::~MailWindow() {
  if (m_hwnd) {
    HWND hwnd = std::exchange(m_hwnd, nullptr);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (!::DestroyWindow(hwnd)) DebugLogLastError("DestroyWindow");
  }
}

bool MailWindow::Create() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &MailWindow::WindowProc;
  windowClass.hInstance = m_instance;
  windowClass.lpszClassName = kMailWindowClass;
  if (!::RegisterClassA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    DebugLogLastError("RegisterClass");
    return false;
  }
  HWND hwnd = ::CreateWindowExA(0, kMailWindowClass, kMailWindowTitle, WS_POPUP, 100, 100, 100, 100,
                                nullptr, nullptr, m_instance, this);
  if (!hwnd) {
    DebugLogLastError("CreateWindowEx");
    return false;
  }
  return true;
}

LRESULT CALLBACK MailWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return platform::RouteToOwner(hwnd, message, wParam, lParam, &MailWindow::m_hwnd,
                                &MailWindow::HandleMessage, "Mailpeek");
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
  return ::DefWindowProcA(m_hwnd, message, wParam, lParam);
}

void MailWindow::OnCreate() {
  ReadSettings();
  SetExStyle(m_hwnd, WS_EX_TOOLWINDOW);
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
  switch (platform::SendOsdText(record)) {
    case platform::HandOffResult::Delivered:
      break;
    case platform::HandOffResult::NoMonitor:
      DebugLog("Mailpeek: no monitor, notice dropped\n");
      break;
    case platform::HandOffResult::NotDelivered:
      DebugLog("Mailpeek: the monitor did not take the notice\n");
      break;
  }
}

}  // namespace karvo::mail
