#include "load_notifier/load_window_win.h"

#include <exception>
#include <utility>

#include "platform/debug_log.h"
#include "platform/osd_hand_off_win.h"
#include "platform/window_proc_win.h"
#include "settings/profile_files.h"

namespace karvo::load_notifier {
namespace {

using platform::DebugLog;
using platform::DebugLogLastError;

using platform::SetExStyle;

}  // namespace

LoadWindow::LoadWindow(HINSTANCE instance, std::string programDir)
    : m_instance(instance), m_programDir(std::move(programDir)) {}

LoadWindow::~LoadWindow() {
  if (m_hwnd) {
    HWND hwnd = std::exchange(m_hwnd, nullptr);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    ::KillTimer(hwnd, kCpuTimerId);
    ::KillTimer(hwnd, kRamTimerId);
    if (!::DestroyWindow(hwnd)) DebugLogLastError("DestroyWindow");
  }
}

bool LoadWindow::Create() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &LoadWindow::WindowProc;
  windowClass.hInstance = m_instance;
  // A test program has no icon of ours; the class does without one.
  windowClass.hIcon = ::LoadIconA(m_instance, MAKEINTRESOURCEA(kLoadIconResource));
  windowClass.hIconSm = static_cast<HICON>(::LoadImageA(
      m_instance, MAKEINTRESOURCEA(kLoadIconResource), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
      ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = kLoadWindowClass;
  if (!::RegisterClassExA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    DebugLogLastError("RegisterClassEx");
    return false;
  }
  HWND hwnd = ::CreateWindowExA(0, kLoadWindowClass, kLoadWindowTitle, WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, m_instance, this);
  if (!hwnd) {
    DebugLogLastError("CreateWindowEx");
    return false;
  }
  SetExStyle(m_hwnd, WS_EX_TOOLWINDOW);
  if (!m_notifier.Start()) DebugLog("Loadpeek: a notice timer could not be started\n");
  return true;
}

LRESULT CALLBACK LoadWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return platform::RouteToOwner(hwnd, message, wParam, lParam, &LoadWindow::m_hwnd,
                                &LoadWindow::HandleMessage, "Loadpeek");
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
  return ::DefWindowProcA(m_hwnd, message, wParam, lParam);
}

// A posted WM_TIMER is handled like a real expiry of that timer.
void LoadWindow::OnTimer(UINT_PTR id) {
  if (id > kRamTimerId) return;
  m_notifier.OnTimer(static_cast<unsigned>(id));
}

void LoadWindow::OnAppletReload() { m_notifier.OnReload(); }

void LoadWindow::OnPaint() {
  PAINTSTRUCT paint;
  if (::BeginPaint(m_hwnd, &paint)) {
    ::EndPaint(m_hwnd, &paint);
  } else {
    // Without a paint the region stays invalid; validate it so WM_PAINT stops.
    ::ValidateRect(m_hwnd, nullptr);
  }
}

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
  switch (platform::SendOsdText(record)) {
    case platform::HandOffResult::Delivered:
      break;
    case platform::HandOffResult::NoMonitor:
      DebugLog("Loadpeek: no monitor, notice dropped\n");
      break;
    case platform::HandOffResult::NotDelivered:
      DebugLog("Loadpeek: the monitor did not take the notice\n");
      break;
  }
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

int RunMessageLoop() {
  MSG msg;
  BOOL got;
  while ((got = ::GetMessageA(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) {
      DebugLogLastError("GetMessage");
      return 0;
    }
    if (!ShouldDispatch(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace karvo::load_notifier
