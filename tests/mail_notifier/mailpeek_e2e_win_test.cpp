// Mailpeek.exe in a temporary install directory against the test Dovecot, with a
// stand-in for the monitor's window in this process.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dovecot_box_win.h"
#include "mail_notifier/mail_window_win.h"
#include "platform/handles.h"
#include "win_test_support.h"

namespace karvo::mail {
namespace {

using testing::CopyDataSeen;
using testing::kPatience;
using testing::Mailbox;
using testing::MailSetting;
using testing::Pump;
using testing::PumpUntil;
using testing::StandInMonitor;
using testing::WinePath;

// Mailpeek.exe copied into Applets below a fresh install directory.
class Applet {
 public:
  explicit Applet(const std::string& installDir)
      : m_installDir(installDir), m_exe(installDir + "Applets\\Mailpeek.exe") {
    ::CreateDirectoryA((installDir + "Applets").c_str(), nullptr);
    m_copied = ::CopyFileA(WinePath(KARVO_MAILPEEK_EXE).c_str(), m_exe.c_str(), FALSE) != FALSE;
  }
  ~Applet() {
    if (m_thread) ::ResumeThread(m_thread.Get());
    if (m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(m_process.Get(), 9);
      ::WaitForSingleObject(m_process.Get(), 10000);
    }
    ::DeleteFileA(m_exe.c_str());
    ::DeleteFileA((m_installDir + "config.ini").c_str());
    ::RemoveDirectoryA((m_installDir + "Applets").c_str());
    ::RemoveDirectoryA(m_installDir.c_str());
  }

  bool Configure(const settings::OSDSetting& setting) {
    return testing::WriteOsdSetting(m_installDir + "config.ini", setting);
  }
  // Starts a copy; the first one is kept as the applet.
  platform::UniqueHandle Launch(platform::UniqueHandle* thread = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string command = "\"" + m_exe + "\"";
    if (!m_copied || !::CreateProcessA(m_exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                       nullptr, nullptr, &startup, &info)) {
      ADD_FAILURE() << "cannot start " << m_exe << ": error " << ::GetLastError();
      return {};
    }
    platform::UniqueHandle mainThread(info.hThread);
    if (thread) *thread = std::move(mainThread);
    return platform::UniqueHandle(info.hProcess);
  }
  bool Start() {
    m_process = Launch(&m_thread);
    return m_process &&
           PumpUntil([] { return ::FindWindowA(nullptr, kMailWindowTitle) != nullptr; }, kPatience);
  }
  HWND Window() const { return ::FindWindowA(nullptr, kMailWindowTitle); }
  HANDLE Process() const { return m_process.Get(); }
  bool Running() const { return ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT; }
  void WhileAway(Mailbox& box, const std::function<void()>& change) {
    testing::ChangeWhileAway(m_thread.Get(), box, change);
  }
  // WM_CLOSE, as the monitor ends it; pumps so that a check under way can hand off.
  bool Close() {
    HWND hwnd = Window();
    if (!hwnd || !::PostMessageA(hwnd, WM_CLOSE, 0, 0)) return false;
    return PumpUntil([&] { return !Running(); }, kPatience);
  }

 private:
  std::string m_installDir;
  std::string m_exe;
  bool m_copied = false;
  platform::UniqueHandle m_process;
  platform::UniqueHandle m_thread;
};

std::vector<std::string> Texts(const std::vector<CopyDataSeen>& seen) {
  std::vector<std::string> texts;
  for (const CopyDataSeen& s : seen) {
    EXPECT_EQ(s.wParam, 0u);
    EXPECT_EQ(s.dwData, 0u);
    EXPECT_EQ(s.cbData, 151u);
    if (s.bytes.size() != 151) {
      texts.push_back("<bad size>");
      continue;
    }
    EXPECT_EQ(s.bytes[0], 5);
    std::string text = s.bytes.substr(1, s.bytes.find('\0', 1) - 1);
    EXPECT_EQ(s.bytes.find_first_not_of('\0', 1 + text.size()), std::string::npos) << text;
    texts.push_back(text);
  }
  return texts;
}

using Texts_ = std::vector<std::string>;

class MailpeekTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::kWinsockStarted);
    std::ifstream portFile(WinePath(KARVO_DOVECOT_DIR) + "\\port");
    portFile >> m_port;
    ASSERT_GT(m_port, 0) << "the test Dovecot is not running";
    ASSERT_EQ(::FindWindowA(nullptr, kMailWindowTitle), nullptr);
    m_applet = std::make_unique<Applet>(testing::MakeTestDirectory("karvo_mailpeek"));
  }
  void TearDown() override { m_applet.reset(); }

  StandInMonitor m_monitor;
  int m_port = 0;
  std::unique_ptr<Applet> m_applet;
};

TEST_F(MailpeekTest, GrowthAfterTheBaselineIsAnnounced) {
  Mailbox box("box1", m_port);
  box.Add(4);
  ASSERT_TRUE(m_applet->Configure(MailSetting("box1", "secret", m_port, 0)));
  ASSERT_TRUE(m_applet->Start());
  // 4, 4: the first count is only the baseline.
  ASSERT_TRUE(box.WaitForFreshChecks());
  EXPECT_TRUE(m_monitor.received.empty());
  m_applet->WhileAway(box, [&] { box.Add(2); });
  ASSERT_TRUE(PumpUntil([&] { return !m_monitor.received.empty(); }, kPatience));
  ASSERT_TRUE(box.WaitForFreshChecks());
  EXPECT_EQ(Texts(m_monitor.received), Texts_{"2 New Mails"});
  m_applet->WhileAway(box, [&] { box.Add(1); });
  ASSERT_TRUE(PumpUntil([&] { return m_monitor.received.size() >= 2; }, kPatience));
  EXPECT_EQ(Texts(m_monitor.received), (Texts_{"2 New Mails", "1 New Mail"}));
  EXPECT_TRUE(m_applet->Close());
}

TEST_F(MailpeekTest, EmptyMailboxIsIgnoredAndALowerCountBecomesTheReference) {
  Mailbox box("box2", m_port);
  box.Add(5);
  ASSERT_TRUE(m_applet->Configure(MailSetting("box2", "secret", m_port, 0)));
  ASSERT_TRUE(m_applet->Start());
  ASSERT_TRUE(box.WaitForFreshChecks());  // 5: baseline
  m_applet->WhileAway(box, [&] { box.Clear(); });
  ASSERT_TRUE(box.WaitForFreshChecks());  // 0: ignored
  m_applet->WhileAway(box, [&] { box.Add(2); });
  ASSERT_TRUE(box.WaitForFreshChecks());  // 2: lower than 5, no notice
  EXPECT_TRUE(m_monitor.received.empty());
  m_applet->WhileAway(box, [&] { box.Add(1); });  // 3 is one more than 2, the reference now
  ASSERT_TRUE(PumpUntil([&] { return !m_monitor.received.empty(); }, kPatience));
  EXPECT_EQ(Texts(m_monitor.received), Texts_{"1 New Mail"});
  EXPECT_TRUE(m_applet->Close());
}

TEST_F(MailpeekTest, FirstMessageInAnEmptyMailboxOnlySetsTheBaseline) {
  Mailbox box("box3", m_port);
  ASSERT_TRUE(m_applet->Configure(MailSetting("box3", "secret", m_port, 0)));
  ASSERT_TRUE(m_applet->Start());
  ASSERT_TRUE(box.WaitForFreshChecks());
  m_applet->WhileAway(box, [&] { box.Add(1); });
  ASSERT_TRUE(box.WaitForFreshChecks());
  EXPECT_TRUE(m_monitor.received.empty());
  m_applet->WhileAway(box, [&] { box.Add(2); });
  ASSERT_TRUE(PumpUntil([&] { return !m_monitor.received.empty(); }, kPatience));
  EXPECT_EQ(Texts(m_monitor.received), Texts_{"2 New Mails"});
  EXPECT_TRUE(m_applet->Close());
}

TEST_F(MailpeekTest, RejectedLoginPausesChecksUntilReload) {
  Mailbox box("box4", m_port);
  ASSERT_TRUE(m_applet->Configure(MailSetting("box4", "wrong", m_port, 0)));
  ASSERT_TRUE(m_applet->Start());
  ASSERT_TRUE(PumpUntil([&] { return box.FailedLogins() >= 1; }, kPatience));
  Pump(1000);
  EXPECT_EQ(box.FailedLogins(), 1);
  EXPECT_EQ(box.Sessions(), 0);

  ASSERT_TRUE(m_applet->Configure(MailSetting("box4", "secret", m_port, 0)));
  ASSERT_TRUE(::PostMessageA(m_applet->Window(), kAppletReloadMessage, 0, 0));
  ASSERT_TRUE(PumpUntil([&] { return box.Sessions() >= 2; }, kPatience));
  EXPECT_EQ(box.FailedLogins(), 1);
  EXPECT_TRUE(m_applet->Close());
}

TEST_F(MailpeekTest, SingleHiddenInstanceEndsOnClose) {
  ASSERT_TRUE(m_applet->Configure(MailSetting("box1", "secret", m_port, 60, 0)));
  ASSERT_TRUE(m_applet->Start());
  HWND hwnd = m_applet->Window();
  EXPECT_FALSE(::IsWindowVisible(hwnd));
  EXPECT_TRUE(::GetWindowLongA(hwnd, GWL_STYLE) & WS_POPUP);
  EXPECT_TRUE(::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

  // A second copy finds the instance mutex and ends without a window.
  platform::UniqueHandle second = m_applet->Launch();
  ASSERT_TRUE(second);
  ASSERT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(second.Get(), 0) == WAIT_OBJECT_0; },
                        kPatience));
  EXPECT_EQ(m_applet->Window(), hwnd);
  EXPECT_TRUE(m_applet->Running());

  EXPECT_TRUE(m_applet->Close());
  EXPECT_EQ(::FindWindowA(nullptr, kMailWindowTitle), nullptr);
  DWORD code = 1234;
  ASSERT_TRUE(::GetExitCodeProcess(m_applet->Process(), &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace karvo::mail
