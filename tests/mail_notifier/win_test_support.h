#pragma once
// Helpers of the Windows-side mail tests: a stand-in for the monitor's window that
// records the notice records it is sent, message pumping with bounded waits, and
// the notification record written with the system's own private-profile functions.
#include <windows.h>
#include <winsock2.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/osd_hand_off_win.h"
#include "settings/settings_image.h"

namespace karvo::mail::testing {

// Winsock for the whole test program, started before any test runs.
inline const bool kWinsockStarted = [] {
  WSADATA data;
  return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}();

// "/work/x" as Wine sees it.
inline std::string WinePath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

struct CopyDataSeen {
  WPARAM wParam = 0;
  ULONG_PTR dwData = 0;
  DWORD cbData = 0;
  std::string bytes;  // at most the first 151 bytes
};

// A window titled like the monitor's, on the calling thread.
class StandInMonitor {
 public:
  StandInMonitor() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &StandInMonitor::WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KarvoStandInMonitor";
    ::RegisterClassA(&windowClass);
    m_hwnd =
        ::CreateWindowExA(0, "KarvoStandInMonitor", platform::kMonitorWindowTitle, WS_OVERLAPPED, 0,
                          0, 10, 10, nullptr, nullptr, ::GetModuleHandleA(nullptr), this);
  }
  ~StandInMonitor() {
    if (m_hwnd) ::DestroyWindow(m_hwnd);
  }
  StandInMonitor(const StandInMonitor&) = delete;
  StandInMonitor& operator=(const StandInMonitor&) = delete;

  HWND Hwnd() const { return m_hwnd; }
  std::vector<CopyDataSeen> received;
  std::function<void()> onCopyData;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<StandInMonitor*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && message == WM_COPYDATA) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      CopyDataSeen seen;
      seen.wParam = wParam;
      seen.dwData = data->dwData;
      seen.cbData = data->cbData;
      DWORD n = data->cbData < 151 ? data->cbData : 151;
      if (data->lpData) seen.bytes.assign(static_cast<const char*>(data->lpData), n);
      self->received.push_back(seen);
      if (self->onCopyData) self->onCopyData();
      return TRUE;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }

  HWND m_hwnd = nullptr;
};

// Dispatches this thread's messages (sent ones included) for up to timeoutMs or
// until done() holds; observe sees every queued message first. False on timeout.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs,
                      const std::function<void(const MSG&)>& observe = {}) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (observe) observe(msg);
      if (msg.message == WM_QUIT) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (done && done()) return true;
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                timeoutMs - elapsed < 20 ? timeoutMs - elapsed : 20, QS_ALLINPUT);
  }
}

inline void Pump(DWORD ms, const std::function<void(const MSG&)>& observe = {}) {
  PumpUntil({}, ms, observe);
}

inline settings::OSDSetting MailSetting(const std::string& user, const std::string& password,
                                        int port, int intervalMinutes, int showMail = 1) {
  settings::OSDSetting s{};
  s.ShowMail = showMail;
  settings::SetFieldText(s.MailServer, "127.0.0.1");
  settings::SetFieldText(s.MailUser, user);
  settings::SetFieldText(s.MailPassword, password);
  s.MailPort = port;
  s.MailInterval = intervalMinutes;
  return s;
}

// config.ini [OSDSetting] "config", written by the system's struct function.
inline bool WriteOsdSetting(const std::string& iniPath, const settings::OSDSetting& setting) {
  settings::OSDSetting copy = setting;
  return ::WritePrivateProfileStructA("OSDSetting", "config", &copy, sizeof copy,
                                      iniPath.c_str()) != FALSE;
}

// A fresh directory below the temporary directory, with a trailing backslash.
inline std::string MakeTestDirectory(const char* name) {
  char temp[MAX_PATH];
  DWORD n = ::GetTempPathA(MAX_PATH, temp);
  std::string dir = std::string(temp, n) + name + "_" + std::to_string(::GetCurrentProcessId()) +
                    "_" + std::to_string(::GetTickCount()) + "\\";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

// A port on 127.0.0.1 that nothing listens on (bound once, then released).
inline int ClosedPort() {
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  int port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::closesocket(s);
  return port;
}

}  // namespace karvo::mail::testing
