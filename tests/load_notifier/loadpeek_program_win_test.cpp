// Loadpeek.exe itself, started in a temporary install directory and watched from
// outside: its window by title, its exit codes, the records a stand-in monitor gets.
#include <gtest/gtest.h>

#include <string>

#include "load_notifier/load_notifier.h"
#include "load_win_test_support.h"
#include "platform/handles.h"

namespace karvo::load_notifier {
namespace {

using testing::InstallDir;
using testing::PumpUntil;
using testing::StandInMonitor;

constexpr char kWindowTitle[] = "KARVO Gaming Mouse CPU RAM OSD";
constexpr DWORD kWaitMs = 20000;

class Loadpeek {
 public:
  // Copies the built program into dir's "Applets" and starts it there.
  static platform::UniqueHandle Start(const InstallDir& dir) {
    const std::string exe = dir.applets + "Loadpeek.exe";
    if (!::CopyFileA(KARVO_LOADPEEK_EXE, exe.c_str(), FALSE) &&
        ::GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
      ADD_FAILURE() << "cannot copy " << KARVO_LOADPEEK_EXE << ": " << ::GetLastError();
      return {};
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + exe + "\"";
    ::SetLastError(0xdeadbeef);
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          dir.applets.c_str(), &startup, &info)) {
      ADD_FAILURE() << "CreateProcess: " << ::GetLastError();
      return {};
    }
    ::CloseHandle(info.hThread);
    return platform::UniqueHandle(info.hProcess);
  }
};

HWND WaitForWindow(DWORD timeoutMs) {
  HWND found = nullptr;
  PumpUntil([&] { return (found = ::FindWindowA(nullptr, kWindowTitle)) != nullptr; }, timeoutMs);
  return found;
}

// Waits for the process to end while this thread keeps answering sent messages.
DWORD WaitForExit(HANDLE process, DWORD timeoutMs) {
  PumpUntil([&] { return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeoutMs);
  DWORD code = STILL_ACTIVE;
  if (!::GetExitCodeProcess(process, &code)) return 0xdeadbeef;
  return code;
}

TEST(LoadpeekProgramTest, SendsSwitchedNoticesReloadsAndEndsOnClose) {
  ASSERT_EQ(::FindWindowA(nullptr, kWindowTitle), nullptr) << "a Loadpeek is already running";
  InstallDir dir = InstallDir::Make("loadpeek_program");
  ASSERT_TRUE(dir.WriteSwitches(0, 1));
  StandInMonitor monitor;
  ASSERT_NE(monitor.Hwnd(), nullptr);

  platform::UniqueHandle first = Loadpeek::Start(dir);
  ASSERT_TRUE(first);
  HWND window = WaitForWindow(kWaitMs);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(::IsWindowVisible(window));

  // A second copy leaves at once with 1 and the first keeps running.
  platform::UniqueHandle second = Loadpeek::Start(dir);
  ASSERT_TRUE(second);
  EXPECT_EQ(WaitForExit(second.Get(), kWaitMs), 1u);
  EXPECT_EQ(::FindWindowA(nullptr, kWindowTitle), window);

  // Only the RAM notice is switched on.
  ASSERT_TRUE(::PostMessageA(window, WM_TIMER, kCpuTimerId, 0));
  ASSERT_TRUE(::PostMessageA(window, WM_TIMER, kRamTimerId, 0));
  EXPECT_TRUE(PumpUntil([&] { return !monitor.received.empty(); }, kWaitMs));
  testing::Pump(100);
  ASSERT_EQ(monitor.Sources(), std::vector<std::uint8_t>{2});
  EXPECT_EQ(monitor.received[0].cbData, 151u);
  EXPECT_EQ(monitor.received[0].text.rfind("RAM LOAD: ", 0), 0u) << monitor.received[0].text;

  // After a reload only the CPU notice is on; the first CPU notice reads 0%.
  ASSERT_TRUE(dir.WriteSwitches(1, 0));
  DWORD_PTR answer = 1;
  ASSERT_TRUE(
      ::SendMessageTimeoutA(window, kAppletReloadMessage, 0, 0, SMTO_NORMAL, kWaitMs, &answer));
  EXPECT_EQ(answer, 0u);
  ASSERT_TRUE(::PostMessageA(window, WM_TIMER, kRamTimerId, 0));
  ASSERT_TRUE(::PostMessageA(window, WM_TIMER, kCpuTimerId, 0));
  EXPECT_TRUE(PumpUntil([&] { return monitor.received.size() >= 2; }, kWaitMs));
  testing::Pump(100);
  ASSERT_EQ(monitor.Sources(), (std::vector<std::uint8_t>{2, 1}));
  EXPECT_EQ(monitor.received[1].text, "CPU LOAD: 0%");

  ASSERT_TRUE(::PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(WaitForExit(first.Get(), kWaitMs), 0u);
  EXPECT_EQ(::FindWindowA(nullptr, kWindowTitle), nullptr);
}

TEST(LoadpeekProgramTest, ProgramCarriesItsIcon) {
  platform::UniqueModule program(
      ::LoadLibraryExA(KARVO_LOADPEEK_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(program) << ::GetLastError();
  EXPECT_NE(::FindResourceA(program.Get(), MAKEINTRESOURCEA(107), MAKEINTRESOURCEA(14)), nullptr);
  HANDLE small = ::LoadImageA(program.Get(), MAKEINTRESOURCEA(107), IMAGE_ICON, 16, 16, 0);
  EXPECT_NE(small, nullptr);
  if (small) ::DestroyIcon(static_cast<HICON>(small));
}

TEST(LoadpeekProgramTest, WithoutSettingsNothingIsSent) {
  InstallDir dir = InstallDir::Make("loadpeek_nosettings");
  StandInMonitor monitor;
  platform::UniqueHandle process = Loadpeek::Start(dir);
  ASSERT_TRUE(process);
  HWND window = WaitForWindow(kWaitMs);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(::PostMessageA(window, WM_TIMER, kCpuTimerId, 0));
  ASSERT_TRUE(::PostMessageA(window, WM_TIMER, kRamTimerId, 0));
  // The reload is answered only after both expiries have been handled.
  DWORD_PTR answer = 1;
  ASSERT_TRUE(
      ::SendMessageTimeoutA(window, kAppletReloadMessage, 0, 0, SMTO_NORMAL, kWaitMs, &answer));
  testing::Pump(100);
  EXPECT_TRUE(monitor.received.empty());
  ASSERT_TRUE(::PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(WaitForExit(process.Get(), kWaitMs), 0u);
}

}  // namespace
}  // namespace karvo::load_notifier
