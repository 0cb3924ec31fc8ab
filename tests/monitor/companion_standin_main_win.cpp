// A stand-in for a companion program of the monitor. It takes the window title that goes with
// its own file name, writes its command line to "<exe>.args", appends every message the monitor
// may send it to "<exe>.log" as "<message> <wParam> <lParam>", and ends on WM_CLOSE.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct TitleByName {
  const char* FileName;
  const char* Title;
};
constexpr TitleByName kTitles[] = {
    {"Loadpeek.exe", "KARVO Gaming Mouse CPU RAM OSD"},
    {"Mailpeek.exe", "KARVO Gaming Mouse Pop3"},
    {"Osdtalk.exe", "KARVO Gaming Mouse OSD SKYPE"},
    {"KARVO Gaming Mouse OSD.exe", "KARVO Gaming Mouse OSD"},
    {"KARVO Gaming Mouse Option.exe", "KARVO Gaming Mouse Option"},
};

std::string g_logPath;

void Record(UINT message, WPARAM wParam, LPARAM lParam) {
  std::FILE* log = std::fopen(g_logPath.c_str(), "a");
  if (!log) return;
  std::fprintf(log, "%u %lu %ld\n", message, static_cast<unsigned long>(wParam),
               static_cast<long>(lParam));
  std::fclose(log);
}

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Record(message, wParam, lParam);
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      if (message >= WM_USER) Record(message, wParam, lParam);
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH];
  DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 2;
  g_logPath = std::string(path, n) + ".log";
  const char* name = std::strrchr(path, '\\');
  name = name ? name + 1 : path;
  const char* title = nullptr;
  for (const TitleByName& entry : kTitles) {
    if (::lstrcmpiA(entry.FileName, name) == 0) title = entry.Title;
  }
  if (!title) return 3;

  // Before the window: once a test finds the window, the file is complete.
  if (std::FILE* args = std::fopen((std::string(path, n) + ".args").c_str(), "w")) {
    std::fputs(::GetCommandLineA(), args);
    std::fclose(args);
  }
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &StandInProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "KarvoCompanionStandIn";
  if (!::RegisterClassA(&windowClass)) return 4;
  if (!::CreateWindowExA(0, windowClass.lpszClassName, title, WS_POPUP, 0, 0, 10, 10, nullptr,
                         nullptr, instance, nullptr)) {
    return 5;
  }
  Record(0, 0, 0);  // started
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  return 0;
}
