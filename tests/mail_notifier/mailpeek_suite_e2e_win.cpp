// Mailpeek inside the installed suite: the monitor starts it from "Applets", takes its
// notice of new mail in the test Dovecot, stores it as [OSDData] "Message" and has the
// display show it; closing the monitor closes Mailpeek.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "dovecot_box_win.h"
#include "mail_notifier/mail_window_win.h"
#include "platform/handles.h"
#include "settings/settings_image.h"
#include "tests/e2e/transfer_suite_win.h"
#include "win_test_support.h"

namespace karvo::mail {
namespace {

using e2e::InstallDir;
using e2e::MonitorProcess;
using e2e::StoredMessage;
using testing::kPatience;
using testing::Mailbox;
using testing::PumpUntil;

// The display shows each notice in a window of this class.
constexpr const char* kNoticeClass = platform::kOsdNoticeClass;

bool NoticeShown() {
  HWND notice = ::FindWindowA(kNoticeClass, nullptr);
  return notice && ::IsWindowVisible(notice);
}

TEST(MailpeekSuiteTest, NewMailIsStoredAndShownThroughTheMonitor) {
  ASSERT_TRUE(testing::kWinsockStarted);
  std::optional<std::string> dist = e2e::DistDirectory();
  ASSERT_TRUE(dist) << "KARVO_DIST must name the install directory (make test-win sets it)";
  int port = 0;
  std::ifstream(testing::WinePath(KARVO_DOVECOT_DIR) + "\\port") >> port;
  ASSERT_GT(port, 0) << "the test Dovecot is not running";
  ASSERT_EQ(::FindWindowA(nullptr, kMailWindowTitle), nullptr) << "a Mailpeek is already running";
  InstallDir dir(*dist);
  ASSERT_TRUE(dir.Ok()) << "could not copy " << *dist;
  ASSERT_NE(::GetFileAttributesA(dir.File("Applets\\Mailpeek.exe").c_str()),
            INVALID_FILE_ATTRIBUTES)
      << "the install directory has no Mailpeek";

  Mailbox box("suite", port);
  box.Add(4);
  ASSERT_TRUE(testing::WriteOsdSetting(dir.File("config.ini"),
                                       testing::MailSetting("suite", "secret", port, 0)));

  auto monitor = std::make_unique<MonitorProcess>(dir);
  ASSERT_TRUE(monitor->Started());
  ASSERT_NE(monitor->Window(), nullptr) << "the monitor window did not appear";

  // The monitor starts Mailpeek because mail notices are on.
  HWND applet = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] { return (applet = ::FindWindowA(nullptr, kMailWindowTitle)) != nullptr; }, kPatience))
      << "the monitor did not start Mailpeek";
  DWORD processId = 0;
  const DWORD threadId = ::GetWindowThreadProcessId(applet, &processId);
  platform::UniqueHandle thread(::OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId));
  ASSERT_TRUE(thread);

  // 4, 4: the baseline, no notice.
  ASSERT_TRUE(box.WaitForFreshChecks());
  EXPECT_NE(StoredMessage(dir), "2 New Mails");
  testing::ChangeWhileAway(thread.Get(), box, [&] { box.Add(2); });
  ASSERT_TRUE(PumpUntil([&] { return StoredMessage(dir) == "2 New Mails"; }, kPatience))
      << "stored: " << StoredMessage(dir);
  EXPECT_TRUE(PumpUntil(NoticeShown, kPatience)) << "the display did not show the notice";

  ASSERT_TRUE(monitor->PostClose());
  ASSERT_TRUE(monitor->WaitExit(kPatience));
  EXPECT_EQ(monitor->ExitCode(), 0u);
  monitor.reset();
  EXPECT_TRUE(
      PumpUntil([] { return ::FindWindowA(nullptr, kMailWindowTitle) == nullptr; }, kPatience))
      << "Mailpeek outlived the monitor";
}

}  // namespace
}  // namespace karvo::mail
