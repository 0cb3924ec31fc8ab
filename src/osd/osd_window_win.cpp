#include "osd/osd_window_win.h"

#include <exception>
#include <vector>

#include "osd/layered_win.h"
#include "osd/osd_resources.h"
#include "platform/debug_log.h"
#include "platform/gdi_win.h"
#include "platform/text_win.h"

namespace karvo::osd {

namespace {
using platform::DebugLog;
using platform::DebugLogLastError;
using platform::SetExStyle;

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

COLORREF ToColorRef(const Rgb& rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

// The notice font: system default face, 25-pixel cell, otherwise all defaults.
platform::UniqueFont CreateNoticeFont() {
  return platform::UniqueFont(
      ::CreateFontW(kNoticeFontHeight, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L""));
}

class DcMeasurer final : public ITextMeasurer {
 public:
  explicit DcMeasurer(HDC dc) : m_dc(dc) {}
  Size Measure(const std::u16string& text) override {
    SIZE size{};
    if (!::GetTextExtentPoint32W(m_dc, Wide(text), static_cast<int>(text.size()), &size)) {
      return {};
    }
    return {size.cx, size.cy};
  }

 private:
  HDC m_dc;
};
}  // namespace

OsdWindow::OsdWindow(HINSTANCE instance, std::string programDir, Taskbar taskbar)
    : m_instance(instance),
      m_source(m_files, std::move(programDir)),
      m_machine(*this, m_source, taskbar, platform::DecodeAnsi) {}

bool OsdWindow::Create() {
  platform::WindowClass windowClass{.Name = platform::kOsdClass, .Style = CS_HREDRAW | CS_VREDRAW};
  windowClass.Icon = ::LoadIconW(m_instance, MAKEINTRESOURCEW(IDI_OSD));
  windowClass.SmallIcon = static_cast<HICON>(
      ::LoadImageA(m_instance, IDI_OSD_SMALL_NAME, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                   ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  windowClass.Cursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  if (!Window::Create(m_instance, windowClass, platform::kOsdTitle, {.Style = WS_POPUP})) {
    return false;
  }
  if (!::SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE)) {
    DebugLogLastError("SetWindowPos");
  }
  ::ShowWindow(m_hwnd, SW_HIDE);
  return true;
}

void CALLBACK OsdWindow::TimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  auto* self = dynamic_cast<OsdWindow*>(Window::FromHandle(hwnd));
  if (!self) return;
  platform::RunGuarded("OSD timer", [&] { self->OnTimer(static_cast<unsigned>(id)); });
}

LRESULT OsdWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case platform::kMsgOsdNotice:
      OnNotice(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
      return 0;
    case platform::kMsgOsdAppearance:
      OnAppearance(static_cast<std::uint32_t>(lParam));
      return 0;
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_TIMER:
    case WM_ACTIVATEAPP:
    case WM_DISPLAYCHANGE:
      return 0;
    default:
      return DefaultProc(message, wParam, lParam);
  }
}

void OsdWindow::OnCreate() {
  if (auto record = m_source.NotificationRecord()) m_appearance.ApplyRecord(*record);
  DebugLog("Create\n");
}

void OsdWindow::OnNotice(std::uint32_t kind, std::uint32_t lParam) {
  m_machine.OnRequest(kind, lParam);
}

void OsdWindow::OnAppearance(std::uint32_t lParam) {
  DebugLog("color:=%d,Clarity=%d\n", static_cast<int>(HIWORD(lParam)),
           static_cast<int>(LOWORD(lParam)));
  m_appearance.ApplyMessage(lParam);
  DebugLog("g_iColor:=%d,g_iTransparency=%d\n", m_appearance.Colour(), m_appearance.Transparency());
}

void OsdWindow::OnClose() {
  // Wipe whatever the box left on the desktop before going.
  if (!::RedrawWindow(::GetDesktopWindow(), nullptr, nullptr,
                      RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW)) {
    DebugLog("RedrawWindow of the desktop failed\n");
  }
  ::PostQuitMessage(0);
}

// The main window is never shown; a paint only validates it.
void OsdWindow::OnPaint() { platform::PaintDc paint(m_hwnd); }

void OsdWindow::OnTimer(unsigned id) { m_machine.OnTimer(id); }

void OsdWindow::StartTimer(unsigned id, unsigned intervalMs) {
  if (!::SetTimer(m_hwnd, id, intervalMs, &OsdWindow::TimerProc)) DebugLogLastError("SetTimer");
}

void OsdWindow::StopTimer(unsigned id) { ::KillTimer(m_hwnd, id); }

Size OsdWindow::ScreenSize() {
  return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

bool OsdWindow::CreateNoticeWindow() {
  // The notice box has no object behind it: the system's default procedure is all it needs.
  const std::wstring noticeClass = platform::WideFromSuiteText(platform::kOsdNoticeClass);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &::DefWindowProcW;
  wc.hInstance = m_instance;
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = noticeClass.c_str();
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    DebugLogLastError("RegisterClassEx notice");
  }
  // Box-sized, not screen-sized: Wine's X11 driver hands a screen-sized popup to the
  // window manager and then waits up to 2 s for it on every destroy, stalling the
  // next request. The first paint tick places the box anyway.
  HWND hwnd =
      ::CreateWindowExW(0, noticeClass.c_str(), L"", WS_POPUP | WS_CLIPSIBLINGS, 0, 0,
                        kMessageRequestWidth, kNoticeHeight, nullptr, nullptr, m_instance, nullptr);
  if (!hwnd) {
    DebugLogLastError("CreateWindowEx notice");
    return false;
  }
  m_notice.Reset(hwnd);
  const LONG exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;
  SetExStyle(hwnd, exStyle);
  // The style bit alone does not raise a window into the topmost band.
  if (!::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE)) {
    DebugLogLastError("SetWindowPos notice topmost");
  }
  if (!SetExStyle(hwnd, exStyle | WS_EX_LAYERED) || !SetWindowAlpha(hwnd, m_appearance.Alpha())) {
    // A layered window without attributes would never show: stay opaque instead.
    SetExStyle(hwnd, exStyle);
  }
  return true;
}

void OsdWindow::DestroyNoticeWindow() { m_notice.Reset(); }

void OsdWindow::PlaceNoticeWindow(const Rect& rect) {
  if (!m_notice) return;
  if (!::SetWindowPos(m_notice.Get(), HWND_TOPMOST, rect.x, rect.y, rect.width, rect.height,
                      SWP_SHOWWINDOW | SWP_NOACTIVATE)) {
    DebugLogLastError("SetWindowPos notice");
  }
}

void OsdWindow::PaintNotice(std::uint32_t kind) {
  if (!m_notice) return;
  platform::UniqueFont font = CreateNoticeFont();
  if (!font) {
    DebugLog("CreateFont failed\n");
    return;
  }
  std::optional<PaintPlan> plan;
  {
    platform::WindowDc dc(m_notice.Get());
    if (!dc) return;
    platform::SelectScope selected(dc.Get(), font.Get());
    DcMeasurer measurer(dc.Get());
    plan = m_machine.PlanPaint(kind, measurer);
  }
  if (!plan) return;
  // Placed first so that the fill and the text land in the box as it is shown.
  PlaceNoticeWindow(plan->box);

  platform::WindowDc dc(m_notice.Get());
  if (!dc) return;
  const RECT client{0, 0, plan->box.width, plan->box.height};
  platform::DoubleBuffer buffer(dc.Get(), client);
  const ColourScheme& scheme = m_appearance.Scheme();
  if (!::SetBkMode(buffer.Get(), TRANSPARENT)) DebugLog("SetBkMode failed\n");
  platform::UniqueBrush brush(::CreateSolidBrush(ToColorRef(scheme.background)));
  if (!brush || !::FillRect(buffer.Get(), &client, brush.Get())) {
    DebugLog("Filling the notice failed\n");
  }
  if (::SetTextColor(buffer.Get(), ToColorRef(scheme.text)) == CLR_INVALID) {
    DebugLog("SetTextColor failed\n");
  }
  platform::SelectScope selected(buffer.Get(), font.Get());
  if (!::TextOutW(buffer.Get(), plan->textX, plan->textY, Wide(plan->text),
                  static_cast<int>(plan->text.size()))) {
    DebugLog("TextOut failed\n");
  }
  buffer.Flush();
}

void OsdWindow::PostClose() {
  if (!::PostMessageA(m_hwnd, WM_CLOSE, 0, 0)) DebugLogLastError("PostMessage WM_CLOSE");
}

Taskbar MeasureTaskbar() {
  HWND tray = ::FindWindowA("Shell_TrayWnd", nullptr);
  RECT rect{};
  if (!tray || !::GetWindowRect(tray, &rect)) return {};
  return TaskbarFromRect(rect.left, rect.top, rect.right, rect.bottom,
                         {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
}

}  // namespace karvo::osd
