// How long a mail check takes from the timer's expiry until the notice record has
// reached the monitor: Mailpeek.exe against the test Dovecot, a stand-in monitor
// window in this process. Each round adds one message and posts the applet its
// timer message (its expiry); the stand-in stamps the arrival of the record.
//   mail_check_bench.exe [rounds]
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "mail_notifier/mail_window_win.h"
#include "platform/handles.h"
#include "tests/mail_notifier/win_test_support.h"

namespace {

using namespace karvo;
using mail::testing::PumpUntil;
using mail::testing::WinePath;

constexpr DWORD kPatience = 60000;

std::string Directory(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }

int CountSessions(const std::string& logPath, const std::string& user) {
  std::ifstream in(logPath, std::ios::binary);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    if (line.find("pop3(" + user + ")") != std::string::npos &&
        line.find("Logged out") != std::string::npos) {
      ++n;
    }
  }
  return n;
}

bool AddMessage(const std::string& box, int serial) {
  std::string name = "bench." + std::to_string(::GetTickCount()) + "." + std::to_string(serial);
  std::string temp = box + "tmp\\" + name;
  {
    std::ofstream out(temp, std::ios::binary);
    out << "From: bench@example.org\r\nSubject: " << name << "\r\n\r\nHello\r\n";
    if (!out.good()) return false;
  }
  return ::MoveFileA(temp.c_str(), (box + "new\\" + name).c_str()) != FALSE;
}

int Fail(const char* what) {
  std::fprintf(stderr, "mail_check_bench: %s (error %lu)\n", what, ::GetLastError());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  if (!mail::testing::kWinsockStarted) return Fail("Winsock");
  const std::string dovecot = WinePath(KARVO_DOVECOT_DIR);
  int port = 0;
  std::ifstream(dovecot + "\\port") >> port;
  if (port <= 0) return Fail("the test Dovecot is not running");
  const std::string user = "box1";
  const std::string box = dovecot + "\\srv\\mail\\" + user + "\\";
  const std::string log = dovecot + "\\srv\\dovecot.log";

  const std::string install = mail::testing::MakeTestDirectory("karvo_mail_bench");
  const std::string exe = install + "Applets\\Mailpeek.exe";
  ::CreateDirectoryA((install + "Applets").c_str(), nullptr);
  if (!::CopyFileA(WinePath(KARVO_MAILPEEK_EXE).c_str(), exe.c_str(), FALSE)) {
    return Fail("copying Mailpeek.exe");
  }
  // A long interval: only the posted expiries run checks.
  if (!mail::testing::WriteOsdSetting(install + "config.ini",
                                      mail::testing::MailSetting(user, "secret", port, 60))) {
    return Fail("writing config.ini");
  }

  mail::testing::StandInMonitor monitor;
  LARGE_INTEGER frequency;
  LARGE_INTEGER arrived{};
  ::QueryPerformanceFrequency(&frequency);
  monitor.onCopyData = [&] { ::QueryPerformanceCounter(&arrived); };

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string command = "\"" + exe + "\"";
  if (!::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Directory(exe).c_str(), &startup, &info)) {
    return Fail("starting Mailpeek.exe");
  }
  platform::UniqueHandle process(info.hProcess);
  ::CloseHandle(info.hThread);
  HWND applet = nullptr;
  PumpUntil([&] { return (applet = ::FindWindowA(nullptr, mail::kMailWindowTitle)) != nullptr; },
            kPatience);
  if (!applet) return Fail("no Mailpeek window");

  // The first check only takes the baseline.
  int serial = 0;
  int sessions = CountSessions(log, user);
  if (!AddMessage(box, ++serial)) return Fail("adding a message");
  ::PostMessageA(applet, WM_TIMER, mail::kCheckTimerId, 0);
  if (!PumpUntil([&] { return CountSessions(log, user) > sessions; }, kPatience)) {
    return Fail("the baseline check did not happen");
  }

  std::vector<double> samples;
  for (int i = 0; i < rounds; ++i) {
    if (!AddMessage(box, ++serial)) return Fail("adding a message");
    const std::size_t before = monitor.received.size();
    LARGE_INTEGER posted;
    ::QueryPerformanceCounter(&posted);
    if (!::PostMessageA(applet, WM_TIMER, mail::kCheckTimerId, 0)) return Fail("PostMessage");
    if (!PumpUntil([&] { return monitor.received.size() > before; }, kPatience)) {
      return Fail("no notice arrived");
    }
    samples.push_back(1000.0 * static_cast<double>(arrived.QuadPart - posted.QuadPart) /
                      static_cast<double>(frequency.QuadPart));
    std::printf("check %2d: %8.2f ms\n", i + 1, samples.back());
  }

  ::PostMessageA(applet, WM_CLOSE, 0, 0);
  PumpUntil([&] { return ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; }, kPatience);
  ::DeleteFileA(exe.c_str());
  ::DeleteFileA((install + "config.ini").c_str());
  ::RemoveDirectoryA((install + "Applets").c_str());
  ::RemoveDirectoryA(install.c_str());

  std::vector<double> sorted = samples;
  std::sort(sorted.begin(), sorted.end());
  const std::size_t n = sorted.size();
  const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
  std::printf(
      "timer expiry to record at the monitor, %zu checks: median %.2f ms, min %.2f ms, "
      "max %.2f ms\n",
      n, median, sorted.front(), sorted.back());
  return 0;
}
