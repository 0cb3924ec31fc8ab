// Loadpeek inside the installed suite: the monitor starts it from "Applets", takes its
// notices, stores them as [OSDData] "Message" and has the display show them; closing
// the monitor closes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include "load_notifier/load_notifier.h"
#include "settings/settings_image.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/support/pump_win.h"

namespace karvo::load_notifier {
namespace {

using e2e::InstallDir;
using e2e::MonitorProcess;
using e2e::StoredMessage;

using platform::kLoadTitle;
constexpr const char* kLoadpeekTitle = kLoadTitle;
// The display shows each notice in a window of this class, apart from its hidden main window.
using platform::kOsdNoticeClass;
constexpr const char* kNoticeClass = kOsdNoticeClass;
// Bounds against hangs, never measured.
constexpr DWORD kWaitMs = 60000;

bool PollUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  return karvo::testing::PumpUntil(done, timeoutMs);
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

TEST(LoadNotifierEndToEnd, NoticesReachTheDisplayThroughTheMonitor) {
  std::optional<std::string> dist = e2e::DistDirectory();
  ASSERT_TRUE(dist) << "KARVO_DIST must name the install directory (make test-win sets it)";
  ASSERT_EQ(::FindWindowA(nullptr, kLoadpeekTitle), nullptr) << "a Loadpeek is already running";
  InstallDir dir(*dist);
  ASSERT_TRUE(dir.Ok()) << "could not copy " << *dist;
  ASSERT_NE(::GetFileAttributesA(dir.File("Applets\\Loadpeek.exe").c_str()),
            INVALID_FILE_ATTRIBUTES)
      << "the install directory has no Loadpeek";

  settings::OSDSetting setting{};
  setting.ShowCpu = 1;
  setting.ShowRam = 1;
  setting.MailInterval = 5;
  ASSERT_TRUE(::WritePrivateProfileStructA("OSDSetting", "config", &setting, sizeof setting,
                                           dir.File("config.ini").c_str()));

  auto monitor = std::make_unique<MonitorProcess>(dir);
  ASSERT_TRUE(monitor->Started());
  ASSERT_NE(monitor->Window(), nullptr) << "the monitor window did not appear";

  // The monitor starts Loadpeek because its switches are on.
  HWND loadpeek = nullptr;
  ASSERT_TRUE(PollUntil(
      [&] { return (loadpeek = ::FindWindowA(nullptr, kLoadpeekTitle)) != nullptr; }, kWaitMs))
      << "the monitor did not start Loadpeek";

  // A RAM expiry: the text is stored and the display shows a notice.
  ASSERT_TRUE(::PostMessageA(loadpeek, WM_TIMER, kRamTimerId, 0));
  ASSERT_TRUE(PollUntil([&] { return StartsWith(StoredMessage(dir), "RAM LOAD: "); }, kWaitMs))
      << "stored: " << StoredMessage(dir);
  EXPECT_TRUE(PollUntil(
      [] {
        HWND notice = ::FindWindowA(kNoticeClass, nullptr);
        return notice && ::IsWindowVisible(notice);
      },
      kWaitMs))
      << "the display did not show the notice";

  // A CPU expiry (the real timer may have run first on a slow machine, so any load).
  ASSERT_TRUE(::PostMessageA(loadpeek, WM_TIMER, kCpuTimerId, 0));
  const std::regex cpu("CPU LOAD: ([0-9]|[1-9][0-9]|100)%");
  EXPECT_TRUE(PollUntil([&] { return std::regex_match(StoredMessage(dir), cpu); }, kWaitMs))
      << "stored: " << StoredMessage(dir);

  ASSERT_TRUE(monitor->PostClose());
  ASSERT_TRUE(monitor->WaitExit(kWaitMs));
  EXPECT_EQ(monitor->ExitCode(), 0u);
  monitor.reset();
  EXPECT_TRUE(PollUntil([] { return ::FindWindowA(nullptr, kLoadpeekTitle) == nullptr; }, kWaitMs))
      << "Loadpeek outlived the monitor";
}

}  // namespace
}  // namespace karvo::load_notifier
