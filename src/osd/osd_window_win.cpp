#include "osd/osd_window_win.h"

#include <exception>
#include <vector>

#include "osd/layered_win.h"
#include "platform/debug_log.h"
#include "platform/window_proc_win.h"

namespace karvo::osd {

namespace {
using platform::DebugLog;
using platform::DebugLogLastError;

constexpr int kIconResource = 101;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide text functions take UTF-16");

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

COLORREF ToColorRef(const Rgb& rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

// The notice font: system default face, 25-pixel cell, otherwise all defaults.
platform::UniqueGdiObject CreateNoticeFont() {
  return platform::UniqueGdiObject(
      ::CreateFontW(kNoticeFontHeight, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L""));
}

// A window's device context for the length of one paint step.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
  ~WindowDc() {
    if (m_dc) ::ReleaseDC(m_hwnd, m_dc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HWND m_hwnd;
  HDC m_dc;
};

// Selects an object into a DC and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (m_previous && m_previous != HGDI_ERROR) ::SelectObject(m_dc, m_previous);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

using platform::SetExStyle;

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
      m_machine(*this, m_source, taskbar) {}

bool OsdWindow::Create() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &OsdWindow::WindowProc;
  wc.hInstance = m_instance;
  wc.hIcon = ::LoadIconA(m_instance, MAKEINTRESOURCEA(kIconResource));
  wc.hIconSm = static_cast<HICON>(::LoadImageA(m_instance, "SMALL", IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON),
                                               ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kMainWindowTitle;
  if (!::RegisterClassExA(&wc)) {
    DebugLogLastError("RegisterClassEx");
    return false;
  }
  HWND hwnd = ::CreateWindowExA(0, kMainWindowTitle, kMainWindowTitle, WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, m_instance, this);
  if (!hwnd) {
    DebugLogLastError("CreateWindowEx");
    return false;
  }
  if (!::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE)) {
    DebugLogLastError("SetWindowPos");
  }
  ::ShowWindow(hwnd, SW_HIDE);
  return true;
}

LRESULT CALLBACK OsdWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return platform::RouteToOwner(hwnd, message, wParam, lParam, &OsdWindow::m_hwnd,
                                &OsdWindow::HandleMessage, "OSD window");
}

void CALLBACK OsdWindow::TimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  auto* self = reinterpret_cast<OsdWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return;
  try {
    self->OnTimer(static_cast<unsigned>(id));
  } catch (const std::exception& e) {
    DebugLog("OSD timer %u failed: %s\n", static_cast<unsigned>(id), e.what());
  } catch (...) {
    DebugLog("OSD timer %u failed\n", static_cast<unsigned>(id));
  }
}

LRESULT OsdWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kNoticeMessage:
      OnNotice(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
      return 0;
    case kAppearanceMessage:
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
      return ::DefWindowProcA(m_hwnd, message, wParam, lParam);
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

void OsdWindow::OnPaint() {
  PAINTSTRUCT ps;
  if (::BeginPaint(m_hwnd, &ps)) ::EndPaint(m_hwnd, &ps);
}

void OsdWindow::OnTimer(unsigned id) { m_machine.OnTimer(id); }

void OsdWindow::StartTimer(unsigned id, unsigned intervalMs) {
  if (!::SetTimer(m_hwnd, id, intervalMs, &OsdWindow::TimerProc)) DebugLogLastError("SetTimer");
}

void OsdWindow::StopTimer(unsigned id) { ::KillTimer(m_hwnd, id); }

Size OsdWindow::ScreenSize() {
  return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

bool OsdWindow::CreateNoticeWindow() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &::DefWindowProcA;
  wc.hInstance = m_instance;
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kNoticeClassName;
  if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    DebugLogLastError("RegisterClassEx notice");
  }
  // Box-sized, not screen-sized: Wine's X11 driver hands a screen-sized popup to the
  // window manager and then waits up to 2 s for it on every destroy, stalling the
  // next request. The first paint tick places the box anyway.
  HWND hwnd =
      ::CreateWindowExA(0, kNoticeClassName, "", WS_POPUP | WS_CLIPSIBLINGS, 0, 0,
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
  platform::UniqueGdiObject font = CreateNoticeFont();
  if (!font) {
    DebugLog("CreateFont failed\n");
    return;
  }
  std::optional<PaintPlan> plan;
  {
    WindowDc dc(m_notice.Get());
    if (!dc.Get()) return;
    SelectedObject selected(dc.Get(), font.Get());
    DcMeasurer measurer(dc.Get());
    plan = m_machine.PlanPaint(kind, measurer);
  }
  if (!plan) return;
  // Placed first so that the fill and the text land in the box as it is shown.
  PlaceNoticeWindow(plan->box);

  WindowDc dc(m_notice.Get());
  if (!dc.Get()) return;
  const ColourScheme& scheme = m_appearance.Scheme();
  if (!::SetBkMode(dc.Get(), TRANSPARENT)) DebugLog("SetBkMode failed\n");
  platform::UniqueGdiObject brush(::CreateSolidBrush(ToColorRef(scheme.background)));
  RECT client{0, 0, plan->box.width, plan->box.height};
  if (!brush || !::FillRect(dc.Get(), &client, static_cast<HBRUSH>(brush.Get()))) {
    DebugLog("Filling the notice failed\n");
  }
  if (::SetTextColor(dc.Get(), ToColorRef(scheme.text)) == CLR_INVALID) {
    DebugLog("SetTextColor failed\n");
  }
  SelectedObject selected(dc.Get(), font.Get());
  if (!::TextOutW(dc.Get(), plan->textX, plan->textY, Wide(plan->text),
                  static_cast<int>(plan->text.size()))) {
    DebugLog("TextOut failed\n");
  }
}

void OsdWindow::PostClose() {
  if (!::PostMessageA(m_hwnd, WM_CLOSE, 0, 0)) DebugLogLastError("PostMessage WM_CLOSE");
}

std::string ProgramDirectory() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) {
      DebugLogLastError("GetModuleFileName");
      return {};
    }
    if (n < path.size()) {
      std::string full(path.data(), n);
      auto slash = full.find_last_of("\\/");
      return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

Taskbar MeasureTaskbar() {
  HWND tray = ::FindWindowA("Shell_TrayWnd", nullptr);
  RECT rect{};
  if (!tray || !::GetWindowRect(tray, &rect)) return {};
  return TaskbarFromRect(rect.left, rect.top, rect.right, rect.bottom,
                         {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
}

}  // namespace karvo::osd
