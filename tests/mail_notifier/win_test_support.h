#pragma once
// Helpers of the Windows-side mail tests: a stand-in for the monitor's window that keeps the
// notice records it is sent, and the notification record written with the system's own
// private-profile functions.
#include <windows.h>
#include <winsock2.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/osd_hand_off_win.h"
#include "settings/settings_image.h"
#include "tests/support/child_process_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/recording_window_win.h"

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

// A window titled like the monitor's, on the calling thread, keeping the records it is sent.
class StandInMonitor {
 public:
  StandInMonitor() : m_window(platform::kMonitorWindowTitle, "KarvoStandInMonitor") {
    m_window.OnRecorded = [this](const karvo::testing::RecordedMessage& m) {
      if (m.Message != WM_COPYDATA) return;
      CopyDataSeen seen;
      seen.wParam = m.WParam;
      seen.dwData = m.DataKind;
      seen.cbData = m.DataSize;
      seen.bytes = m.Data.substr(0, 151);
      received.push_back(seen);
      if (onCopyData) onCopyData();
    };
  }

  HWND Hwnd() const { return m_window.Hwnd(); }
  std::vector<CopyDataSeen> received;
  std::function<void()> onCopyData;

 private:
  karvo::testing::RecordingWindow m_window;
};

using karvo::testing::Pump;
using karvo::testing::PumpUntil;

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
  return karvo::testing::MakeTempDirectory(name);
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
