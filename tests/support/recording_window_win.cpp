#include "tests/support/recording_window_win.h"

#include <algorithm>
#include <cstdio>

#include "tests/support/pump_win.h"

namespace karvo::testing {

RecordingWindow::RecordingWindow(const char* title, const char* className) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &RecordingWindow::WindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className;
  // Registered once per process; later windows find the class already there.
  ::RegisterClassA(&windowClass);
  m_window.Reset(::CreateWindowExA(0, className, title, WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                   nullptr, windowClass.hInstance, this));
}

RecordingWindow::~RecordingWindow() {
  if (m_window) ::SetWindowLongPtrA(m_window.Get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK RecordingWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  const bool recorded = message == WM_CLOSE || message == WM_COPYDATA || message == WM_COMMAND ||
                        (message >= WM_USER && message < 0x8000);
  if (!self || !recorded) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  RecordedMessage seen;
  seen.Message = message;
  seen.WParam = wParam;
  seen.LParam = lParam;
  if (message == WM_COPYDATA && lParam != 0) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    seen.DataKind = data->dwData;
    seen.DataSize = data->cbData;
    if (data->lpData) {
      seen.Data.assign(static_cast<const char*>(data->lpData),
                       std::min<DWORD>(data->cbData, kCopyDataKept));
    }
  }
  self->m_received.push_back(seen);
  if (self->OnRecorded) self->OnRecorded(self->m_received.back());
  return message == WM_COPYDATA ? TRUE : 0;
}

std::vector<RecordedMessage> RecordingWindow::Received(UINT message) {
  Count(message);
  std::vector<RecordedMessage> matching;
  for (const RecordedMessage& m : m_received) {
    if (m.Message == message) matching.push_back(m);
  }
  return matching;
}

int RecordingWindow::Count(UINT message) {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  return Recorded(message);
}

bool RecordingWindow::WaitFor(UINT message, int count, DWORD timeoutMs) {
  return PumpUntil([&] { return Recorded(message) >= count; }, timeoutMs);
}

void RecordingWindow::Pump(DWORD ms) { testing::Pump(ms); }

int RecordingWindow::Recorded(UINT message) const {
  return static_cast<int>(
      std::count_if(m_received.begin(), m_received.end(),
                    [&](const RecordedMessage& m) { return m.Message == message; }));
}

namespace {
std::string Describe(const std::vector<UINT>& messages) {
  std::string text;
  for (UINT m : messages) {
    char number[16];
    std::snprintf(number, sizeof number, "%s0x%04X", text.empty() ? "" : " ", m);
    text += number;
  }
  return text.empty() ? "(none)" : text;
}
}  // namespace

::testing::AssertionResult MessagesInOrder(const std::vector<UINT>& seen,
                                           const std::vector<UINT>& expected) {
  std::vector<UINT> relevant;
  for (UINT m : seen) {
    if (std::find(expected.begin(), expected.end(), m) != expected.end()) relevant.push_back(m);
  }
  if (relevant == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "expected " << Describe(expected) << "\n     got "
                                       << Describe(relevant) << "\n  of all " << Describe(seen);
}

}  // namespace karvo::testing
