// Timing harness for the display program, run by hand under Wine (not a test):
//   1. from a posted notice request to the box's first paint on the screen, over 50 requests;
//   2. the working set of the idle program next to a minimal hidden-window program.
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr char kTitle[] = "KARVO Gaming Mouse OSD";
constexpr char kMinimalTitle[] = "KARVO Bench Minimal Window";
constexpr UINT kNotice = WM_USER + 300;
constexpr UINT kAppearance = WM_USER + 302;
constexpr int kRequests = 50;
constexpr DWORD kBoundMs = 10000;

struct Colour {
  int index;
  COLORREF background;
};
constexpr Colour kYellow{2, RGB(255, 255, 0)};
constexpr Colour kBlue{4, RGB(29, 32, 136)};

template <typename F>
bool WaitFor(F done, DWORD boundMs = kBoundMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > boundMs) return false;
    ::Sleep(1);
  }
  return true;
}

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f{};
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter{};
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

class Process {
 public:
  ~Process() { Stop(); }
  bool Start(const std::string& exe, const char* title) {
    m_title = title;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string command = "\"" + exe + "\"";
    if (!::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &m_info)) {
      std::printf("cannot start %s: error %lu\n", exe.c_str(), ::GetLastError());
      return false;
    }
    ::CloseHandle(m_info.hThread);
    m_running = true;
    return WaitFor([this] { return (m_window = ::FindWindowA(nullptr, m_title)) != nullptr; });
  }
  HWND Window() const { return m_window; }
  void Report(const char* name) const {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(m_info.hProcess, &counters, sizeof counters)) {
      std::printf("%-28s GetProcessMemoryInfo failed: error %lu\n", name, ::GetLastError());
      return;
    }
    std::printf("%-28s working set %6lu KiB  peak %6lu KiB  private %6lu KiB\n", name,
                static_cast<unsigned long>(counters.WorkingSetSize / 1024),
                static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024),
                static_cast<unsigned long>(counters.PagefileUsage / 1024));
  }
  void Stop() {
    if (!m_running) return;
    if (m_window) ::PostMessageA(m_window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(m_info.hProcess, kBoundMs) != WAIT_OBJECT_0) {
      ::TerminateProcess(m_info.hProcess, 99);
    }
    ::CloseHandle(m_info.hProcess);
    m_running = false;
  }

 private:
  const char* m_title = "";
  PROCESS_INFORMATION m_info{};
  HWND m_window = nullptr;
  bool m_running = false;
};

// A pixel every box covers: just inside the bottom-right corner above a bottom taskbar.
POINT Probe() {
  POINT corner{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  HWND tray = ::FindWindowA("Shell_TrayWnd", nullptr);
  RECT r{};
  if (tray && ::GetWindowRect(tray, &r) && r.right - r.left >= r.bottom - r.top && r.top > 0 &&
      r.top < corner.y) {
    corner.y = r.top;
  }
  return {corner.x - 3, corner.y - 3};
}

// The program in a directory of its own with no config.ini: default appearance.
std::string Install() {
  const std::string dir = std::string(KARVO_OSD_TEST_DIR) + "\\bench\\";
  ::CreateDirectoryA(KARVO_OSD_TEST_DIR, nullptr);
  ::CreateDirectoryA(dir.c_str(), nullptr);
  const std::string exe = dir + "KARVO Gaming Mouse OSD.exe";
  if (!::CopyFileA(KARVO_OSD_EXE, exe.c_str(), FALSE)) return {};
  return exe;
}

enum class Scene { NoBoxUp, BoxOfAnotherKindUp };

// Medians of the time from posting a request to the box's colour at the probe.
int FirstPaintTimes(HWND osd, Scene scene) {
  const POINT probe = Probe();
  HDC screen = ::GetDC(nullptr);
  if (!screen) return 1;
  std::vector<double> times;
  int missed = 0;
  for (int i = 0; i < kRequests; ++i) {
    // Alternate kinds and colours, so the probe cannot mistake the previous box for the new one.
    const Colour& colour = i % 2 ? kBlue : kYellow;
    const WPARAM kind = i % 2 ? 128 : 160;
    const LPARAM lParam = i % 2 ? 3 : 40 + i;
    if (scene == Scene::NoBoxUp) {
      // A kind that is no notice clears the box; the synchronous no-op waits until it is done.
      ::PostMessageA(osd, kNotice, 1, 0);
      DWORD_PTR ignored = 0;
      ::SendMessageTimeoutA(osd, WM_NULL, 0, 0, SMTO_NORMAL, kBoundMs, &ignored);
    }
    ::PostMessageA(osd, kAppearance, 0, static_cast<LPARAM>(colour.index << 16));  // opaque
    const double start = Now();
    if (!::PostMessageA(osd, kNotice, kind, lParam)) {
      std::printf("PostMessage failed: error %lu\n", ::GetLastError());
      break;
    }
    const bool painted =
        WaitFor([&] { return ::GetPixel(screen, probe.x, probe.y) == colour.background; });
    if (painted) {
      times.push_back(Now() - start);
    } else {
      ++missed;
    }
  }
  ::ReleaseDC(nullptr, screen);
  const char* name = scene == Scene::NoBoxUp ? "no box up" : "replacing a box of another kind";
  if (times.empty()) {
    std::printf("first paint, %s: no box seen in %d requests\n", name, kRequests);
    return 1;
  }
  std::sort(times.begin(), times.end());
  std::printf("first paint after a posted request, %s (%zu requests, %d missed):\n", name,
              times.size(), missed);
  std::printf("  median %.1f ms  min %.1f ms  p90 %.1f ms  max %.1f ms\n", times[times.size() / 2],
              times.front(), times[times.size() * 9 / 10], times.back());
  return missed ? 1 : 0;
}

}  // namespace

int main() {
  const std::string exe = Install();
  if (exe.empty()) {
    std::printf("cannot copy %s\n", KARVO_OSD_EXE);
    return 1;
  }
  Process osd;
  if (!osd.Start(exe, kTitle)) return 1;
  ::Sleep(1000);
  osd.Report("OSD idle after start");

  int rc = FirstPaintTimes(osd.Window(), Scene::NoBoxUp);
  rc |= FirstPaintTimes(osd.Window(), Scene::BoxOfAnotherKindUp);
  // Let the last box go (its hide timer) before measuring the idle program again.
  ::Sleep(3000);
  osd.Report("OSD idle after 100 notices");

  Process minimal;
  if (!minimal.Start(KARVO_MINIMAL_WINDOW_EXE, kMinimalTitle)) return 1;
  ::Sleep(1000);
  minimal.Report("minimal hidden-window");
  return rc;
}
