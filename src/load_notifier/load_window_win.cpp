#include "load_notifier/load_window_win.h"

#include <utility>

#include "platform/debug_log.h"
#include "platform/gdi_win.h"
#include "platform/osd_hand_off_win.h"
#include "settings/profile_files.h"

namespace karvo::load_notifier {
namespace {

using platform::DebugLog;
using platform::DebugLogLastError;

}  // namespace

LoadWindow::LoadWindow(HINSTANCE instance, std::string programDir)
    : m_instance(instance), m_programDir(std::move(programDir)) {}

bool LoadWindow::Create() {
  platform::WindowClass windowClass{.Name = kLoadWindowClass};
  // A test program has no icon of ours; the class does without one.
  windowClass.Icon = ::LoadIconW(m_instance, MAKEINTRESOURCEW(IDI_LOADPEEK));
  windowClass.SmallIcon = static_cast<HICON>(::LoadImageW(
      m_instance, MAKEINTRESOURCEW(IDI_LOADPEEK), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
      ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  windowClass.Cursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.Background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  // Created as a tool window, so nobody who finds it by its title sees it without the style.
  if (!Window::Create(m_instance, windowClass, kLoadWindowTitle,
                      {.Style = WS_POPUP, .ExStyle = WS_EX_TOOLWINDOW})) {
    return false;
  }
  if (!m_notifier.Start()) DebugLog("Loadpeek: a notice timer could not be started\n");
  return true;
}

LRESULT LoadWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wParam));
      return 0;
    case kAppletReloadMessage:
      OnAppletReload();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

// A posted WM_TIMER is handled like a real expiry of that timer.
void LoadWindow::OnTimer(UINT_PTR id) {
  if (id > kRamTimerId) return;
  m_notifier.OnTimer(static_cast<unsigned>(id));
}

void LoadWindow::OnAppletReload() { m_notifier.OnReload(); }

// Nothing to draw; the paint validates the window so WM_PAINT stops.
void LoadWindow::OnPaint() { platform::PaintDc paint(m_hwnd); }

void LoadWindow::OnDestroy() {
  m_notifier.Stop();
  ::PostQuitMessage(0);
}

bool LoadWindow::Start(unsigned id, unsigned periodMs) {
  if (!m_hwnd) return false;
  ++m_timerStarts;
  if (!::SetTimer(m_hwnd, id, periodMs, nullptr)) {
    DebugLogLastError("SetTimer");
    return false;
  }
  return true;
}

// Killing a timer that is not set fails harmlessly.
void LoadWindow::Stop(unsigned id) {
  if (m_hwnd) ::KillTimer(m_hwnd, id);
}

void LoadWindow::Send(const settings::OsdTextRecord& record) {
  platform::HandOffOsdText(record, "Loadpeek");
}

std::optional<LoadSwitches> LoadWindow::ReadSwitches() {
  settings::SettingsFiles files(m_files, m_registry, m_programDir);
  if (!files.ReadOsdSetting(&m_setting, true)) {
    DebugLog("Loadpeek: no notification settings in %sconfig.ini\n",
             settings::ParentDirectory(m_programDir).c_str());
    return std::nullopt;
  }
  return LoadSwitches{m_setting.ShowCpu, m_setting.ShowRam};
}

bool ShouldDispatch(const MSG& msg) { return !(msg.message == WM_TIMER && msg.lParam != 0); }

int RunMessageLoop() { return platform::RunMessageLoop(&ShouldDispatch); }

}  // namespace karvo::load_notifier
