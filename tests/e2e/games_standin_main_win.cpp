// A stand-in for a game or a media player: a visible window titled with its own file name that
// takes the foreground and ends on WM_CLOSE.
#include <windows.h>

#include <string>

namespace {

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

std::string OwnFileName() {
  char path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "standin";
  std::string full(path, length);
  std::size_t cut = full.find_last_of("\\/");
  return cut == std::string::npos ? full : full.substr(cut + 1);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &StandInProc;
  wc.hInstance = instance;
  wc.lpszClassName = "KarvoGameStandIn";
  if (!::RegisterClassA(&wc)) return 1;
  const std::string title = OwnFileName();
  HWND window =
      ::CreateWindowExA(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                        10, 300, 200, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ::SetForegroundWindow(window);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}
