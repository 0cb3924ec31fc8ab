#include "load_notifier/load_window_win.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "load_win_test_support.h"

namespace karvo::load_notifier {
namespace {

using testing::InstallDir;
using testing::PumpUntil;
using testing::StandInMonitor;

constexpr DWORD kWaitMs = 10000;

// Posts expiries the way the system posts them for a window timer (no timer
// procedure) and waits until the monitor has seen `expected` records.
void Expire(HWND window, StandInMonitor& monitor, const std::vector<UINT_PTR>& ids,
            std::size_t expected) {
  for (UINT_PTR id : ids) {
    ::SetLastError(0xdeadbeef);
    ASSERT_TRUE(::PostMessageA(window, WM_TIMER, id, 0)) << ::GetLastError();
  }
  PumpUntil([&] { return monitor.received.size() >= expected; }, kWaitMs);
  // Whatever else was posted has been handled once the queue is empty.
  testing::Pump(50);
}

TEST(LoadWindowTest, WindowIsHiddenToolWindowWithTheSuiteTitle) {
  InstallDir dir = InstallDir::Make("loadwin_title");
  LoadWindow window(::GetModuleHandleA(nullptr), dir.applets);
  ASSERT_TRUE(window.Create());
  EXPECT_EQ(::FindWindowA(nullptr, kLoadWindowTitle), window.Hwnd());
  char className[64] = {};
  ASSERT_GT(::GetClassNameA(window.Hwnd(), className, sizeof className), 0);
  EXPECT_STREQ(className, kLoadWindowClass);
  EXPECT_FALSE(::IsWindowVisible(window.Hwnd()));
  EXPECT_TRUE(::GetWindowLongA(window.Hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(::GetWindowLongA(window.Hwnd(), GWL_STYLE) & WS_POPUP);
  EXPECT_EQ(window.TimerStarts(), 2);
}

TEST(LoadWindowTest, NoticeTextsCarryTheLoads) {
  InstallDir dir = InstallDir::Make("loadwin_texts");
  ASSERT_TRUE(dir.WriteSwitches(1, 1));
  StandInMonitor monitor;
  LoadWindow window(::GetModuleHandleA(nullptr), dir.applets);
  ASSERT_TRUE(window.Create());
  Expire(window.Hwnd(), monitor, {kCpuTimerId, kRamTimerId, kCpuTimerId}, 3);
  ASSERT_EQ(monitor.received.size(), 3u);
  for (const testing::SeenRecord& r : monitor.received) {
    EXPECT_EQ(r.wParam, 0u);
    EXPECT_EQ(r.dwData, 0u);
    EXPECT_EQ(r.cbData, 151u);
  }
  EXPECT_EQ(monitor.Sources(), (std::vector<std::uint8_t>{1, 2, 1}));
  // The first CPU sample of the process only sets the baseline.
  EXPECT_EQ(monitor.received[0].text, "CPU LOAD: 0%");
  const std::regex ram("RAM LOAD: ([0-9]{1,3})%");
  const std::regex cpu("CPU LOAD: ([0-9]{1,3})%");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(monitor.received[1].text, m, ram)) << monitor.received[1].text;
  EXPECT_LE(std::stoi(m[1]), 100);
  ASSERT_TRUE(std::regex_match(monitor.received[2].text, m, cpu)) << monitor.received[2].text;
  EXPECT_LE(std::stoi(m[1]), 100);
}

TEST(LoadWindowTest, ReloadChangesTheSwitchesWithoutRestartingTimers) {
  InstallDir dir = InstallDir::Make("loadwin_reload");
  ASSERT_TRUE(dir.WriteSwitches(1, 0));
  StandInMonitor monitor;
  LoadWindow window(::GetModuleHandleA(nullptr), dir.applets);
  ASSERT_TRUE(window.Create());
  ASSERT_EQ(window.TimerStarts(), 2);
  Expire(window.Hwnd(), monitor, {kCpuTimerId, kRamTimerId}, 1);
  EXPECT_EQ(monitor.Sources(), std::vector<std::uint8_t>{1});

  ASSERT_TRUE(dir.WriteSwitches(0, 1));
  EXPECT_EQ(::SendMessageA(window.Hwnd(), kAppletReloadMessage, 0, 0), 0);
  EXPECT_EQ(window.Switches().ShowCpu, 0);
  EXPECT_EQ(window.Switches().ShowRam, 1);
  EXPECT_EQ(window.TimerStarts(), 2);
  Expire(window.Hwnd(), monitor, {kCpuTimerId, kRamTimerId}, 2);
  EXPECT_EQ(monitor.Sources(), (std::vector<std::uint8_t>{1, 2}));

  // Settings that vanish leave the switches as they were.
  ASSERT_TRUE(::DeleteFileA((dir.root + "config.ini").c_str()));
  EXPECT_EQ(::SendMessageA(window.Hwnd(), kAppletReloadMessage, 0, 0), 0);
  Expire(window.Hwnd(), monitor, {kCpuTimerId, kRamTimerId}, 3);
  EXPECT_EQ(monitor.Sources(), (std::vector<std::uint8_t>{1, 2, 2}));
  EXPECT_EQ(window.TimerStarts(), 2);
}

TEST(LoadWindowTest, WithoutAMonitorNoticesAreDropped) {
  InstallDir dir = InstallDir::Make("loadwin_nomonitor");
  ASSERT_TRUE(dir.WriteSwitches(1, 1));
  ASSERT_EQ(::FindWindowA(nullptr, platform::kMonitorWindowTitle), nullptr);
  LoadWindow window(::GetModuleHandleA(nullptr), dir.applets);
  ASSERT_TRUE(window.Create());
  ASSERT_TRUE(::PostMessageA(window.Hwnd(), WM_TIMER, kRamTimerId, 0));
  testing::Pump(100);
  // The window is still there and still answers.
  EXPECT_EQ(::SendMessageA(window.Hwnd(), kAppletReloadMessage, 0, 0), 0);
}

TEST(LoadWindowTest, DestroyPostsQuitWithCodeZero) {
  InstallDir dir = InstallDir::Make("loadwin_quit");
  LoadWindow window(::GetModuleHandleA(nullptr), dir.applets);
  ASSERT_TRUE(window.Create());
  ::SetLastError(0xdeadbeef);
  ASSERT_TRUE(::PostMessageA(window.Hwnd(), WM_CLOSE, 0, 0)) << ::GetLastError();
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(window.Hwnd(), nullptr);
  EXPECT_EQ(::FindWindowA(nullptr, kLoadWindowTitle), nullptr);
}

TEST(LoadWindowTest, MessageLoopDoesNotDispatchForeignTimerProcedures) {
  const struct {
    UINT message;
    LPARAM lParam;
    bool dispatched;
  } cases[] = {
      {WM_TIMER, 0, true},
      {WM_TIMER, 0x12345678, false},
      {WM_TIMER, -1, false},
      {WM_COMMAND, 0x12345678, true},
      {kAppletReloadMessage, 0x12345678, true},
  };
  for (const auto& c : cases) {
    MSG msg{};
    msg.message = c.message;
    msg.wParam = kCpuTimerId;
    msg.lParam = c.lParam;
    EXPECT_EQ(ShouldDispatch(msg), c.dispatched) << c.message << " " << c.lParam;
  }

  // Through the loop: the expiry that names an address is dropped, the plain one handled.
  InstallDir dir = InstallDir::Make("loadwin_foreign");
  ASSERT_TRUE(dir.WriteSwitches(0, 1));
  StandInMonitor monitor;
  LoadWindow window(::GetModuleHandleA(nullptr), dir.applets);
  ASSERT_TRUE(window.Create());
  ASSERT_TRUE(::PostMessageA(window.Hwnd(), WM_TIMER, kRamTimerId, 0x12345678));
  ASSERT_TRUE(::PostMessageA(window.Hwnd(), WM_TIMER, kRamTimerId, 0));
  ::PostQuitMessage(7);
  EXPECT_EQ(RunMessageLoop(), 7);
  EXPECT_EQ(monitor.Sources(), std::vector<std::uint8_t>{2});
}

}  // namespace
}  // namespace karvo::load_notifier
