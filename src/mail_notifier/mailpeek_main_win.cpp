#include <windows.h>
#include <winsock2.h>

#include "mail_notifier/mail_window_win.h"
#include "platform/debug_log.h"
#include "platform/handles.h"
#include "platform/program_dir_win.h"
#include "platform/suite_names.h"
#include "platform/window_win.h"

namespace {

// Winsock for the life of the program.
class WinsockSession {
 public:
  WinsockSession() {
    WSADATA data;
    m_started = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
  }
  ~WinsockSession() {
    if (m_started) ::WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  bool Started() const { return m_started; }

 private:
  bool m_started = false;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace karvo;
  // Held until the process ends; a second copy finds it and leaves.
  ::SetLastError(0);
  platform::UniqueHandle instanceMutex(
      ::CreateMutexA(nullptr, FALSE, platform::kMailInstanceMutex));
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS || (!instanceMutex && error == ERROR_ACCESS_DENIED)) {
    return 1;
  }
  if (!instanceMutex) platform::DebugLogLastError("CreateMutex");

  WinsockSession winsock;
  if (!winsock.Started()) {
    platform::DebugLog("Mailpeek: Windows Sockets cannot be started\n");
    return 0;
  }

  mail::MailWindow window(instance, platform::ProgramDir());
  if (!window.Create()) return 0;

  return platform::RunMessageLoop();
}
