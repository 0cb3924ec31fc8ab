#include "mail_notifier/mail_notifier.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "scripted_socket.h"

namespace karvo::mail {
namespace {

using testing::ScriptedSocket;
using testing::VirtualClock;

TEST(MailCounterTest, CountSequences) {
  struct Case {
    std::vector<int> counts;
    std::vector<int> announced;
    int lastCount;
  } cases[] = {
      {{4, 4, 6}, {0, 0, 2}, 6},       {{4, 4, 5}, {0, 0, 1}, 5},
      {{5, 0, 2}, {0, 0, 0}, 2},        // 0 is ignored, 2 is lower than 5
      {{5, 0, 2, 5}, {0, 0, 0, 3}, 5},  // the lower count became the reference
      {{0, 0, 1, 3}, {0, 0, 0, 2}, 3},  // the first arrival only sets the baseline
      {{3, 1, 1, 2}, {0, 0, 0, 1}, 2}, {{0, 0, 0}, {0, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    MailCounter counter;
    std::vector<int> announced;
    for (int count : c.counts) announced.push_back(counter.Observe(count));
    EXPECT_EQ(announced, c.announced) << ::testing::PrintToString(c.counts);
    EXPECT_EQ(counter.LastCount(), c.lastCount);
  }
}

TEST(MailNoticeTest, TextAndRecord) {
  struct Case {
    int n;
    const char* text;
    const char* carried;
  } cases[] = {
      {1, "1 New Mail", "1 New Mail"},
      {2, "2 New Mails", "2 New Mails"},
      {0, "0 New Mail", "0 New Mail"},
      {99999, "99999 New Mails", "99999 New Mails"},
      {100000, "100000 New Mails", "100000 New Mails"},
      {1234567, "1234567 New Mails", "1234567 New Mail"},  // cut to 16 characters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MailNoticeText(c.n), c.text);
    settings::OsdTextRecord record = MakeMailNotice(c.n);
    EXPECT_EQ(record.Source, 5);
    EXPECT_STREQ(record.Text, c.carried);
    for (std::size_t i = std::strlen(c.carried); i < sizeof record.Text; ++i) {
      ASSERT_EQ(record.Text[i], 0) << c.n << " byte " << i;
    }
  }
}

settings::OSDSetting MailSetting(int interval = 5, int port = 110) {
  settings::OSDSetting s{};
  s.ShowMail = 1;
  std::strcpy(s.MailServer, "pop.example.org");
  std::strcpy(s.MailUser, "karvo");
  std::strcpy(s.MailPassword, "secret");
  s.MailPort = port;
  s.MailInterval = interval;
  return s;
}

TEST(MailSettingsTest, AccountPortAndTextFields) {
  struct Case {
    int mailPort;
    int port;
  } ports[] = {{110, 110}, {995, 995}, {1, 1}, {65535, 65535}, {0, 110}, {-4, 110}, {65536, 110}};
  for (const Case& c : ports) {
    EXPECT_EQ(AccountFromSettings(MailSetting(5, c.mailPort)).Port, c.port) << c.mailPort;
  }

  // Fields without a terminator are read within their size only.
  settings::OSDSetting s = MailSetting();
  std::memset(s.MailServer, 's', sizeof s.MailServer);
  std::memset(s.MailUser, 'u', sizeof s.MailUser);
  std::memset(s.MailPassword, 'p', sizeof s.MailPassword);
  MailAccount account = AccountFromSettings(s);
  EXPECT_EQ(account.Server, std::string(100, 's'));
  EXPECT_EQ(account.User, std::string(100, 'u'));
  EXPECT_EQ(account.Password, std::string(100, 'p'));
}

TEST(MailSettingsTest, IntervalInMilliseconds) {
  struct Case {
    int minutes;
    std::uint32_t ms;
  } cases[] = {
      {0, 0},
      {1, 60000},
      {5, 300000},
      {-1, 300000},              // garbage: the default
      {35791, 35791u * 60000u},  // the longest a timer holds
      {35792, 35791u * 60000u},
      {0x7FFFFFFF, 35791u * 60000u},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckIntervalMs(MailSetting(c.minutes)), c.ms) << c.minutes;
}

// Lets the host keep each server for inspection after the client that used it is gone.
class SocketProxy final : public IStreamSocket {
 public:
  explicit SocketProxy(IStreamSocket& target) : m_target(target) {}
  bool Connect(const std::string& host, std::uint16_t port, int timeoutMs) override {
    return m_target.Connect(host, port, timeoutMs);
  }
  bool WaitReadable(int timeoutMs) override { return m_target.WaitReadable(timeoutMs); }
  bool WaitWritable(int timeoutMs) override { return m_target.WaitWritable(timeoutMs); }
  long Send(const char* data, std::size_t size) override { return m_target.Send(data, size); }
  long Receive(char* buffer, std::size_t size) override { return m_target.Receive(buffer, size); }

 private:
  IStreamSocket& m_target;
};

// The applet's window as the notifier sees it; each check meets the next server.
class FakeHost final : public IMailHost {
 public:
  explicit FakeHost(VirtualClock& clock) : m_clock(clock) {}

  std::vector<std::string> events;
  std::vector<ScriptedSocket*> sockets;
  std::deque<std::unique_ptr<ScriptedSocket>> servers;

  // A server whose mailbox holds count messages.
  void Mailbox(int count) {
    servers.push_back(std::make_unique<ScriptedSocket>(
        m_clock, ScriptedSocket::Reply{"+OK ready\r\n"},
        std::vector<ScriptedSocket::Reply>{{"+OK\r\n"},
                                           {"+OK Logged in.\r\n"},
                                           {"+OK " + std::to_string(count) + " 999\r\n"},
                                           {"+OK Logging out.\r\n"}}));
  }
  void Server(ScriptedSocket::Reply greeting, std::vector<ScriptedSocket::Reply> replies) {
    servers.push_back(std::make_unique<ScriptedSocket>(m_clock, greeting, replies));
  }

  void SetCheckTimer(std::uint32_t intervalMs) override {
    events.push_back("set " + std::to_string(intervalMs));
  }
  void KillCheckTimer() override { events.push_back("kill"); }
  std::unique_ptr<IStreamSocket> CreateSocket() override {
    events.push_back("check");
    std::unique_ptr<ScriptedSocket> next;
    if (servers.empty()) {
      next = std::make_unique<ScriptedSocket>(m_clock, ScriptedSocket::Reply{},
                                              std::vector<ScriptedSocket::Reply>{});
      next->refusedAttempts = 3;
    } else {
      next = std::move(servers.front());
      servers.pop_front();
    }
    sockets.push_back(next.get());
    auto proxy = std::make_unique<SocketProxy>(*next);
    m_used.push_back(std::move(next));
    return proxy;
  }
  void SendNotice(const settings::OsdTextRecord& record) override {
    events.push_back("notice " + std::to_string(record.Source) + " " + record.Text);
  }

 private:
  VirtualClock& m_clock;
  std::vector<std::unique_ptr<ScriptedSocket>> m_used;
};

using Events = std::vector<std::string>;

TEST(MailNotifierTest, StartOnlyArmsTheTimer) {
  VirtualClock clock;
  FakeHost host(clock);
  MailNotifier notifier(host, clock);
  notifier.Start(MailSetting(5));
  EXPECT_EQ(host.events, Events{"set 300000"});
}

TEST(MailNotifierTest, ChecksAnnounceGrowthAfterTheBaseline) {
  VirtualClock clock;
  FakeHost host(clock);
  MailNotifier notifier(host, clock);
  notifier.Start(MailSetting(1, 1100));
  for (int count : {4, 4, 6}) host.Mailbox(count);
  for (int i = 0; i < 3; ++i) notifier.OnTimer();
  EXPECT_EQ(host.events,
            (Events{"set 60000", "kill", "check", "set 60000", "kill", "check", "set 60000", "kill",
                    "check", "notice 5 2 New Mails", "set 60000"}));
  ASSERT_EQ(host.sockets.size(), 3u);
  EXPECT_EQ(host.sockets[0]->connectedHost, "pop.example.org");
  EXPECT_EQ(host.sockets[0]->connectedPort, 1100);
  EXPECT_EQ(
      host.sockets[2]->commands,
      (std::vector<std::string>{"USER karvo\r\n", "PASS secret\r\n", "STAT\r\n", "QUIT\r\n"}));
}

TEST(MailNotifierTest, FailedCheckLeavesTheTimerOffUntilReload) {
  struct Case {
    const char* what;
    void (*arrange)(FakeHost&);
    bool quitSent;
  } cases[] = {
      {"unreachable", [](FakeHost&) {}, false},
      {"bad password",
       [](FakeHost& h) {
         h.Server({"+OK\r\n"}, {{"+OK\r\n"}, {"-ERR [AUTH] failed\r\n"}});
       },
       false},
      {"silent server", [](FakeHost& h) { h.Server({}, {}); }, false},
      {"STAT refused",
       [](FakeHost& h) {
         h.Server({"+OK\r\n"}, {{"+OK\r\n"}, {"+OK\r\n"}, {"-ERR busy\r\n"}, {"+OK\r\n"}});
       },
       true},
  };
  for (const Case& c : cases) {
    VirtualClock clock;
    FakeHost host(clock);
    MailNotifier notifier(host, clock);
    notifier.Start(MailSetting(2));
    c.arrange(host);
    notifier.OnTimer();
    EXPECT_EQ(host.events, (Events{"set 120000", "kill", "check"})) << c.what;
    ASSERT_EQ(host.sockets.size(), 1u);
    bool quit =
        !host.sockets[0]->commands.empty() && host.sockets[0]->commands.back() == "QUIT\r\n";
    EXPECT_EQ(quit, c.quitSent) << c.what;

    host.events.clear();
    notifier.Reload(MailSetting(3));
    EXPECT_EQ(host.events, (Events{"kill", "set 180000"})) << c.what;
  }
}

TEST(MailNotifierTest, SwitchedOffNotifierDoesNotCheck) {
  VirtualClock clock;
  FakeHost host(clock);
  MailNotifier notifier(host, clock);
  settings::OSDSetting off = MailSetting(1);
  off.ShowMail = 0;
  notifier.Start(off);
  notifier.OnTimer();
  EXPECT_EQ(host.events, (Events{"set 60000", "kill"}));

  // Any value but 1 is off.
  off.ShowMail = 2;
  notifier.Reload(off);
  notifier.OnTimer();
  EXPECT_EQ(host.events, (Events{"set 60000", "kill", "kill", "set 60000", "kill"}));

  host.Mailbox(3);
  notifier.Reload(MailSetting(1));
  notifier.OnTimer();
  EXPECT_EQ(host.events.back(), "set 60000");
  EXPECT_EQ(host.sockets.size(), 1u);
}

TEST(MailNotifierTest, CountIsKeptAcrossReloads) {
  VirtualClock clock;
  FakeHost host(clock);
  MailNotifier notifier(host, clock);
  notifier.Start(MailSetting(1));
  host.Mailbox(4);
  notifier.OnTimer();
  notifier.Reload(MailSetting(2));
  host.Mailbox(7);
  notifier.OnTimer();
  EXPECT_EQ(host.events.back(), "set 120000");
  EXPECT_EQ(host.events[host.events.size() - 2], "notice 5 3 New Mails");
}

}  // namespace
}  // namespace karvo::mail
