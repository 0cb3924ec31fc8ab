#pragma once
// Helpers of the Windows-side load notifier tests: a stand-in for the monitor's
// window that records the notice records it is sent, message pumping with bounded
// waits, and a temporary install directory with the applet's settings.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/osd_hand_off_win.h"
#include "settings/osd_text_record.h"
#include "settings/settings_image.h"

namespace karvo::load_notifier::testing {

struct SeenRecord {
  WPARAM wParam = 0;
  ULONG_PTR dwData = 0;
  DWORD cbData = 0;
  std::uint8_t source = 0;
  std::string text;  // within the record's text field only
};

// A window titled like the monitor's, on the calling thread.
class StandInMonitor {
 public:
  StandInMonitor() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &StandInMonitor::WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KarvoLoadTestMonitor";
    ::RegisterClassA(&windowClass);
    m_hwnd =
        ::CreateWindowExA(0, "KarvoLoadTestMonitor", platform::kMonitorWindowTitle, WS_OVERLAPPED,
                          0, 0, 10, 10, nullptr, nullptr, ::GetModuleHandleA(nullptr), this);
  }
  ~StandInMonitor() {
    if (m_hwnd) ::DestroyWindow(m_hwnd);
  }
  StandInMonitor(const StandInMonitor&) = delete;
  StandInMonitor& operator=(const StandInMonitor&) = delete;

  HWND Hwnd() const { return m_hwnd; }
  std::vector<std::uint8_t> Sources() const {
    std::vector<std::uint8_t> out;
    for (const SeenRecord& r : received) out.push_back(r.source);
    return out;
  }
  std::vector<SeenRecord> received;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<StandInMonitor*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && message == WM_COPYDATA) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      SeenRecord seen;
      seen.wParam = wParam;
      seen.dwData = data->dwData;
      seen.cbData = data->cbData;
      if (data->lpData && data->cbData == sizeof(settings::OsdTextRecord)) {
        const auto* record = static_cast<const settings::OsdTextRecord*>(data->lpData);
        seen.source = record->Source;
        seen.text.assign(record->Text, strnlen(record->Text, sizeof record->Text));
      }
      self->received.push_back(seen);
      return TRUE;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }

  HWND m_hwnd = nullptr;
};

// Dispatches this thread's messages (sent ones included) until done() holds or
// timeoutMs passes; false on timeout. WM_QUIT is taken off the queue and ignored.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (done && done()) return true;
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    const DWORD left = timeoutMs - elapsed;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 20 ? left : 20, QS_ALLINPUT);
  }
}

inline void Pump(DWORD ms) { PumpUntil({}, ms); }

// A fresh install directory below the temporary directory, with an "Applets"
// sub-directory; both with a trailing backslash.
struct InstallDir {
  std::string root;
  std::string applets;

  static InstallDir Make(const char* name) {
    char temp[MAX_PATH];
    DWORD n = ::GetTempPathA(MAX_PATH, temp);
    InstallDir dir;
    dir.root = std::string(temp, n) + name + "_" + std::to_string(::GetCurrentProcessId()) + "_" +
               std::to_string(::GetTickCount()) + "\\";
    dir.applets = dir.root + "Applets\\";
    ::CreateDirectoryA(dir.root.c_str(), nullptr);
    ::CreateDirectoryA(dir.applets.c_str(), nullptr);
    return dir;
  }

  // config.ini [OSDSetting] "config", written by the system's own struct function.
  bool WriteSwitches(int showCpu, int showRam) const {
    settings::OSDSetting setting{};
    setting.ShowCpu = showCpu;
    setting.ShowRam = showRam;
    setting.MailInterval = 5;
    return ::WritePrivateProfileStructA("OSDSetting", "config", &setting, sizeof setting,
                                        (root + "config.ini").c_str()) != FALSE;
  }
};

}  // namespace karvo::load_notifier::testing
