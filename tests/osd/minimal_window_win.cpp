// The smallest program of the display's shape: one hidden top-level window and a
// message loop. The benchmark compares the display's idle working set with it.
#include <windows.h>

namespace {
constexpr char kTitle[] = "KARVO Bench Minimal Window";

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kTitle;
  if (!::RegisterClassA(&wc)) return 2;
  HWND hwnd = ::CreateWindowExA(0, kTitle, kTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                                nullptr);
  if (!hwnd) return 2;
  MSG msg;
  BOOL got;
  while ((got = ::GetMessageA(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return 2;
    ::DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
