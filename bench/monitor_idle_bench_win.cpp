// Resident cost of the monitor next to a floor program that loads the same system libraries,
// creates a hidden window and runs a message loop. Wine does not count the CPU time of other
// processes, so bench/monitor_idle_bench.sh reads that from /proc; this program supplies the floor
// and the Windows working sets.
//   monitor_idle_bench.exe --floor     the floor program; ends on WM_CLOSE
//   monitor_idle_bench.exe --measure   prints the working sets of both, then closes both
#include <objbase.h>
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

constexpr char kMonitorTitle[] = "KARVO Gaming Mouse Monitor";
constexpr char kFloorTitle[] = "Karvo idle floor";

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

int RunFloor(HINSTANCE instance) {
  // The system libraries the idle monitor holds: COM for the thread, the shell for its tray icon
  // and programs, session notifications.
  HRESULT com = ::CoInitialize(nullptr);
  if (!::LoadLibraryA("shell32.dll") || !::LoadLibraryA("wtsapi32.dll")) return 1;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &FloorProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "KarvoIdleFloor";
  if (!::RegisterClassA(&windowClass)) return 1;
  if (!::CreateWindowExA(0, windowClass.lpszClassName, kFloorTitle, WS_POPUP, 100, 100, 100, 100,
                         nullptr, nullptr, instance, nullptr)) {
    return 1;
  }
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  if (SUCCEEDED(com)) ::CoUninitialize();
  return 0;
}

// Working set in KB of the process that owns the window with that title; -1 when not found.
long WorkingSetKb(const char* title) {
  HWND window = ::FindWindowA(nullptr, title);
  DWORD pid = 0;
  if (!window || !::GetWindowThreadProcessId(window, &pid)) return -1;
  HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return -1;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  long kb = ::GetProcessMemoryInfo(process, &memory, sizeof memory)
                ? static_cast<long>(memory.WorkingSetSize / 1024)
                : -1;
  ::CloseHandle(process);
  return kb;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (std::strncmp(commandLine, "--floor", 7) == 0) return RunFloor(instance);
  if (std::strncmp(commandLine, "--measure", 9) != 0) {
    std::fprintf(stderr, "usage: monitor_idle_bench --floor | --measure\n");
    return 2;
  }
  long floorKb = WorkingSetKb(kFloorTitle);
  long monitorKb = WorkingSetKb(kMonitorTitle);
  std::printf("working-set-kb floor %ld monitor %ld\n", floorKb, monitorKb);
  for (const char* title : {kFloorTitle, kMonitorTitle}) {
    if (HWND window = ::FindWindowA(nullptr, title)) ::PostMessageA(window, WM_CLOSE, 0, 0);
  }
  return floorKb < 0 || monitorKb < 0 ? 1 : 0;
}
