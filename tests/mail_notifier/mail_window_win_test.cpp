// The applet's window in this process: attributes, the check timer's messages,
// reload and close.
#include "mail_notifier/mail_window_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "win_test_support.h"

namespace karvo::mail {
namespace {

using testing::MailSetting;
using testing::Pump;
using testing::PumpUntil;
using testing::WriteOsdSetting;

// An install directory with config.ini; the window lives in its Applets directory.
class MailWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::kWinsockStarted);
    m_installDir = testing::MakeTestDirectory("karvo_mail_window");
    m_appletDir = m_installDir + "Applets\\";
    ASSERT_TRUE(::CreateDirectoryA(m_appletDir.c_str(), nullptr));
  }
  void TearDown() override {
    m_window.reset();
    ::DeleteFileA(ConfigPath().c_str());
    ::RemoveDirectoryA(m_appletDir.c_str());
    ::RemoveDirectoryA(m_installDir.c_str());
  }

  std::string ConfigPath() const { return m_installDir + "config.ini"; }

  void CreateMailWindow(bool writeConfig, const settings::OSDSetting& setting) {
    if (writeConfig) {
      ASSERT_TRUE(WriteOsdSetting(ConfigPath(), setting));
    }
    m_window = std::make_unique<MailWindow>(::GetModuleHandleA(nullptr), m_appletDir);
    ASSERT_TRUE(m_window->Create());
  }

  // Pumps for ms and returns the check timer's expiries seen meanwhile.
  int TimerExpiries(DWORD ms) {
    int seen = 0;
    Pump(ms, [&](const MSG& msg) {
      if (msg.hwnd == m_window->Hwnd() && msg.message == WM_TIMER && msg.wParam == kCheckTimerId) {
        ++seen;
      }
    });
    return seen;
  }
  // Pumps until the check timer expires once more (false when it does not).
  bool NextExpiry() {
    bool seen = false;
    PumpUntil([&] { return seen; }, 10000,
              [&](const MSG& msg) {
                if (msg.hwnd == m_window->Hwnd() && msg.message == WM_TIMER &&
                    msg.wParam == kCheckTimerId) {
                  seen = true;
                }
              });
    return seen;
  }

  std::string m_installDir;
  std::string m_appletDir;
  std::unique_ptr<MailWindow> m_window;
};

TEST_F(MailWindowTest, HiddenToolWindowFoundByTitle) {
  CreateMailWindow(true, MailSetting("u", "p", 110, 60, 0));
  HWND hwnd = m_window->Hwnd();
  EXPECT_EQ(::FindWindowA(nullptr, "KARVO Gaming Mouse Pop3"), hwnd);
  EXPECT_FALSE(::IsWindowVisible(hwnd));
  LONG style = ::GetWindowLongA(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_VISIBLE);
  EXPECT_TRUE(::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  RECT rect{};
  ASSERT_TRUE(::GetWindowRect(hwnd, &rect));
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 100);
  EXPECT_EQ(rect.right, 200);
  EXPECT_EQ(rect.bottom, 200);
}

TEST_F(MailWindowTest, SwitchedOffTimerFiresOnceAndReloadArmsItAgain) {
  CreateMailWindow(true, MailSetting("u", "p", 110, 0, 0));
  ASSERT_TRUE(NextExpiry());
  // The expiry killed the timer and, with mail notices off, nothing set it again.
  EXPECT_EQ(TimerExpiries(300), 0);
  EXPECT_EQ(::SendMessageA(m_window->Hwnd(), kAppletReloadMessage, 0, 0), 0);
  ASSERT_TRUE(NextExpiry());
  EXPECT_EQ(TimerExpiries(300), 0);
  EXPECT_FALSE(m_window->Notifier().Counter().HasBaseline());
}

TEST_F(MailWindowTest, NoCheckRunsBeforeTheFirstExpiryAndReloadRereadsTheInterval) {
  CreateMailWindow(true, MailSetting("u", "p", 110, 60, 0));
  EXPECT_EQ(TimerExpiries(300), 0);
  ASSERT_TRUE(WriteOsdSetting(ConfigPath(), MailSetting("u", "p", 110, 0, 0)));
  EXPECT_EQ(::SendMessageA(m_window->Hwnd(), kAppletReloadMessage, 0, 0), 0);
  EXPECT_TRUE(NextExpiry());
}

TEST_F(MailWindowTest, RejectedSettingsKeepThePreviousRecord) {
  CreateMailWindow(true, MailSetting("u", "p", 110, 60, 0));
  // A damaged value must not turn into an all-zero record (interval 0: a timer now).
  ASSERT_TRUE(::WritePrivateProfileStringA("OSDSetting", "config", "00FF77", ConfigPath().c_str()));
  ::SendMessageA(m_window->Hwnd(), kAppletReloadMessage, 0, 0);
  EXPECT_EQ(TimerExpiries(300), 0);
  ASSERT_TRUE(::DeleteFileA(ConfigPath().c_str()));
  ::SendMessageA(m_window->Hwnd(), kAppletReloadMessage, 0, 0);
  EXPECT_EQ(TimerExpiries(300), 0);
}

TEST_F(MailWindowTest, MissingSettingsMeanNoChecks) {
  CreateMailWindow(false, {});
  // The all-zero record: interval 0, mail notices off.
  ASSERT_TRUE(NextExpiry());
  EXPECT_EQ(TimerExpiries(300), 0);
}

TEST_F(MailWindowTest, FailedCheckPausesUntilReload) {
  const int port = testing::ClosedPort();
  ASSERT_NE(port, 0);
  CreateMailWindow(true, MailSetting("u", "p", port, 0, 1));
  ASSERT_TRUE(NextExpiry());
  EXPECT_EQ(TimerExpiries(500), 0);
  ::SendMessageA(m_window->Hwnd(), kAppletReloadMessage, 0, 0);
  ASSERT_TRUE(NextExpiry());
  EXPECT_EQ(TimerExpiries(500), 0);
}

TEST_F(MailWindowTest, CloseDestroysTheWindowAndEndsTheLoop) {
  CreateMailWindow(true, MailSetting("u", "p", 110, 0, 0));
  HWND hwnd = m_window->Hwnd();
  ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(m_window->Hwnd(), nullptr);
  bool quit = false;
  Pump(100, [&](const MSG& msg) { quit = quit || msg.message == WM_QUIT; });
  EXPECT_TRUE(quit);
}

}  // namespace
}  // namespace karvo::mail
