#include "mail_notifier/pop3_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripted_socket.h"

namespace karvo::mail {
namespace {

using testing::ScriptedSocket;
using testing::VirtualClock;
using Reply = ScriptedSocket::Reply;

constexpr Pop3Limits kLimits{};

struct Session {
  VirtualClock clock;
  ScriptedSocket* socket = nullptr;
  std::unique_ptr<Pop3Client> client;

  Session(Reply greeting, std::vector<Reply> replies, Pop3Limits limits = kLimits) {
    auto owned = std::make_unique<ScriptedSocket>(clock, std::move(greeting), std::move(replies));
    socket = owned.get();
    client = std::make_unique<Pop3Client>(std::move(owned), clock, limits);
  }
  bool Login() { return client->Connect("mail.example.org", "karvo", "secret", 110); }
};

// Greeting, USER and PASS accepted, then the given replies.
Session LoggedIn(std::vector<Reply> replies, Pop3Limits limits = kLimits) {
  std::vector<Reply> all = {{"+OK\r\n"}, {"+OK Logged in.\r\n"}};
  all.insert(all.end(), replies.begin(), replies.end());
  return Session({"+OK ready\r\n"}, std::move(all), limits);
}

TEST(Pop3ReplyTest, StatusIsJudgedOnTheFirstCharactersIgnoringCase) {
  struct Case {
    const char* reply;
    bool positive;
    bool negative;
  } cases[] = {
      {"+OK", true, false},   {"+ok ready", true, false}, {"+Ok", true, false},
      {"+O", false, false},   {"", false, false},         {"OK +OK", false, false},
      {"-ERR", false, true},  {"-err no", false, true},   {"-ER", false, false},
      {" +OK", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsPositiveReply(c.reply), c.positive) << c.reply;
    EXPECT_EQ(IsNegativeReply(c.reply), c.negative) << c.reply;
  }
}

TEST(Pop3ReplyTest, NumberAfterFirstBlank) {
  struct Case {
    const char* line;
    bool hasBlank;
    bool fits;
    int value;
  } cases[] = {
      {"+OK 3 1200", true, true, 3},
      {"+OK\t\t17 octets", true, true, 17},
      {"+OK", false, true, 0},
      {"+OK ", true, true, 0},
      {"+OK abc", true, true, 0},
      {"+OK 2147483647", true, true, 2147483647},
      {"+OK 2147483648", true, false, 0},
      {"+OK 99999999999999999999", true, false, 0},
      {"+OK -5", true, true, 0},
      {"1 320", true, true, 320},
  };
  for (const Case& c : cases) {
    ParsedNumber n = NumberAfterFirstBlank(c.line);
    EXPECT_EQ(n.HasBlank, c.hasBlank) << c.line;
    EXPECT_EQ(n.Fits, c.fits) << c.line;
    if (c.fits) {
      EXPECT_EQ(n.Value, c.value) << c.line;
    }
  }
}

TEST(Pop3ConnectTest, LogsInWithUserAndPassAndAcceptsLowerCaseOk) {
  Session s({"+ok POP3 ready\r\n"}, {{"+ok\r\n"}, {"+ok logged in\r\n"}});
  ASSERT_TRUE(s.Login());
  EXPECT_EQ(s.socket->connectedHost, "mail.example.org");
  EXPECT_EQ(s.socket->connectedPort, 110);
  EXPECT_EQ(s.socket->sent, "USER karvo\r\nPASS secret\r\n");
  EXPECT_EQ(s.client->LastError(), "");
}

TEST(Pop3ConnectTest, PasswordWithSpacesIsSentAsTheWholeRestOfTheLine) {
  Session s({"+OK\r\n"}, {{"+OK\r\n"}, {"+OK\r\n"}});
  ASSERT_TRUE(s.client->Connect("h", "user name", "my secret pass", 110));
  EXPECT_EQ(s.socket->commands,
            (std::vector<std::string>{"USER user name\r\n", "PASS my secret pass\r\n"}));
}

TEST(Pop3ConnectTest, RepliesSplitByTheNetworkAreJudgedWhole) {
  // "+" alone, then "OK": judging the first piece would fail the greeting.
  Session s({"+", "O", "K ready", "\r", "\n"}, {{"+", "OK\r\n"}, {"+O", "K\r\n"}});
  EXPECT_TRUE(s.Login());
}

TEST(Pop3ConnectTest, FailedRepliesGiveTheirStepsErrorText) {
  struct Case {
    Reply greeting;
    std::vector<Reply> replies;
    const char* error;
    std::size_t commandsSent;
  } cases[] = {
      {{"-ERR go away\r\n"}, {}, "Bad Connection", 0},
      {{"* OK IMAP4 ready\r\n"}, {}, "Bad Connection", 0},
      {{"+OK\r\n"}, {{"-ERR unknown\r\n"}}, "Bad User Name", 1},
      {{"+OK\r\n"}, {{"+OK\r\n"}, {"-ERR [AUTH] wrong\r\n"}}, "Bad Password Name", 2},
      {{"+OK\r\n"}, {{"+OK\r\n"}, {"+O\r\n"}}, "Bad Password Name", 2},
  };
  for (const Case& c : cases) {
    Session s(c.greeting, c.replies);
    EXPECT_FALSE(s.Login());
    EXPECT_EQ(s.client->LastError(), c.error);
    EXPECT_EQ(s.socket->commands.size(), c.commandsSent) << c.error;
  }
}

TEST(Pop3ConnectTest, RefusedConnectionIsTriedThreeTimes) {
  Session s({"+OK\r\n"}, {});
  s.socket->refusedAttempts = 100;
  EXPECT_FALSE(s.Login());
  EXPECT_EQ(s.socket->connectAttempts, 3);
  EXPECT_EQ(s.client->LastError(), "Server cannot be connected");
  EXPECT_TRUE(s.socket->sent.empty());
}

TEST(Pop3ConnectTest, ThirdAttemptMayStillSucceed) {
  Session s({"+OK\r\n"}, {{"+OK\r\n"}, {"+OK\r\n"}});
  s.socket->refusedAttempts = 2;
  EXPECT_TRUE(s.Login());
  EXPECT_EQ(s.socket->connectAttempts, 3);
}

TEST(Pop3ConnectTest, PortOutsideTheValidRangeIsNotTried) {
  for (int port : {0, -1, 65536}) {
    Session s({"+OK\r\n"}, {});
    EXPECT_FALSE(s.client->Connect("h", "u", "p", port));
    EXPECT_EQ(s.socket->connectAttempts, 0);
    EXPECT_EQ(s.client->LastError(), "Server cannot be connected");
  }
}

TEST(Pop3ConnectTest, ServerThatNeverGreetsFailsAfterTheBoundedWaitWithoutErrorText) {
  Session s({}, {});
  EXPECT_FALSE(s.Login());
  EXPECT_EQ(s.client->LastError(), "");
  ASSERT_EQ(s.socket->readWaits.size(), 1u);
  EXPECT_EQ(s.socket->readWaits[0], 60000);
  EXPECT_EQ(s.clock.NowMs(), 60000);
}

TEST(Pop3ConnectTest, ServerThatClosesInsteadOfGreetingFailsWithoutErrorText) {
  Session s({}, {});
  s.socket->closeWhenDrained = true;
  EXPECT_FALSE(s.Login());
  EXPECT_EQ(s.client->LastError(), "");
}

TEST(Pop3ConnectTest, DripFedReplyCannotOutlastOneWait) {
  // A byte now and then: each wait alone would pass, the line as a whole may not.
  Pop3Limits limits;
  limits.WaitMs = 1000;
  VirtualClock clock;
  class Drip final : public IStreamSocket {
   public:
    explicit Drip(VirtualClock& c) : m_clock(c) {}
    bool Connect(const std::string&, std::uint16_t, int) override { return true; }
    bool WaitReadable(int timeoutMs) override {
      ++waits;
      if (timeoutMs < 400) {
        m_clock.Advance(timeoutMs);
        return false;
      }
      m_clock.Advance(400);
      return true;
    }
    bool WaitWritable(int) override { return true; }
    long Send(const char*, std::size_t size) override { return static_cast<long>(size); }
    long Receive(char* buffer, std::size_t) override {
      buffer[0] = '+';
      return 1;
    }
    int waits = 0;

   private:
    VirtualClock& m_clock;
  };
  auto owned = std::make_unique<Drip>(clock);
  Drip* drip = owned.get();
  Pop3Client client(std::move(owned), clock, limits);
  EXPECT_FALSE(client.Connect("h", "u", "p", 110));
  EXPECT_EQ(client.LastError(), "");
  EXPECT_EQ(drip->waits, 3);
}

TEST(Pop3ConnectTest, LineBreaksInUserOrPasswordAreNeverSent) {
  struct Case {
    std::string user;
    std::string password;
    const char* error;
  } cases[] = {
      {"karvo\r\nDELE 1", "secret", "Bad User Name"},
      {"karvo", "secret\r\nDELE 1", "Bad Password Name"},
      {"karvo", "sec\nret", "Bad Password Name"},
      {std::string("kar\0vo", 6), "secret", "Bad User Name"},
  };
  for (const Case& c : cases) {
    Session s({"+OK\r\n"}, {{"+OK\r\n"}, {"+OK\r\n"}});
    EXPECT_FALSE(s.client->Connect("h", c.user, c.password, 110));
    EXPECT_EQ(s.client->LastError(), c.error);
    EXPECT_EQ(s.socket->connectAttempts, 0);
    EXPECT_TRUE(s.socket->sent.empty());
  }
}

TEST(Pop3ConnectTest, ServerNameIsCutToItsBuffer) {
  Session s({"+OK\r\n"}, {{"+OK\r\n"}, {"+OK\r\n"}});
  std::string longName(400, 'a');
  ASSERT_TRUE(s.client->Connect(longName, "u", "p", 110));
  EXPECT_EQ(s.socket->connectedHost, std::string(259, 'a'));
}

TEST(Pop3ConnectTest, OversizedGarbageReplyIsJudgedOnItsFirstBufferAndDropped) {
  // 3000 bytes without a line end: judged on the first 1000 ("xxx": bad); the rest
  // of that line must not pass for the next reply.
  Session bad({std::string(3000, 'x') + "\r\n"}, {});
  EXPECT_FALSE(bad.Login());
  EXPECT_EQ(bad.client->LastError(), "Bad Connection");
  EXPECT_LE(bad.socket->largestReceive, Pop3Client::kReplyBufferSize);

  Session longOk({"+OK " + std::string(2500, 'y') + "\r\n"}, {{"-ERR no such user\r\n"}});
  EXPECT_FALSE(longOk.Login());
  EXPECT_EQ(longOk.client->LastError(), "Bad User Name");
}

TEST(Pop3CommandTest, SingleReplyCommandsSendTheirTextAndReportTheirErrors) {
  struct Case {
    const char* command;
    const char* error;
    bool (*run)(Pop3Client&);
  } cases[] = {
      {"QUIT\r\n", "Error occured during QUIT", [](Pop3Client& c) { return c.Disconnect(); }},
      {"DELE 7\r\n", "Error occured during DELE", [](Pop3Client& c) { return c.Delete(7); }},
      {"RSET\r\n", "Error occured during RSET", [](Pop3Client& c) { return c.Reset(); }},
      {"STAT\r\n", "Error occured during STAT", [](Pop3Client& c) { return c.Statistics(); }},
      {"NOOP\r\n", "Error occured during NOOP", [](Pop3Client& c) { return c.Noop(); }},
      {"LIST\r\n", "Error occured during LIST", [](Pop3Client& c) { return c.List(); }},
      {"RETR 2\r\n", "Error occured during RETR", [](Pop3Client& c) { return c.Retrieve(2); }},
      {"TOP 3 0\r\n", "Error occured during TOP",
       [](Pop3Client& c) {
         std::string text;
         return c.Top(3, text);
       }},
  };
  for (const Case& c : cases) {
    Session bad = LoggedIn({{"-ERR nope\r\n"}});
    ASSERT_TRUE(bad.Login());
    EXPECT_FALSE(c.run(*bad.client)) << c.command;
    EXPECT_EQ(bad.client->LastError(), c.error);
    EXPECT_EQ(bad.socket->commands.back(), c.command);

    // Garbage is no "+OK" either (TOP is refused by "-ERR" only; see below).
    if (std::string(c.command) != "TOP 3 0\r\n") {
      Session garbage = LoggedIn({{"\x01\x02 garbage\r\n"}});
      ASSERT_TRUE(garbage.Login());
      EXPECT_FALSE(c.run(*garbage.client)) << c.command;
      EXPECT_EQ(garbage.client->LastError(), c.error);
    }

    Session silent = LoggedIn({});
    ASSERT_TRUE(silent.Login());
    EXPECT_FALSE(c.run(*silent.client)) << c.command;
    EXPECT_EQ(silent.client->LastError(), "") << c.command;
  }
}

TEST(Pop3CommandTest, SimpleCommandsSucceedOnOk) {
  Session s = LoggedIn({{"+OK\r\n"}, {"+ok marked\r\n"}, {"+OK\r\n"}, {"+OK bye\r\n"}});
  ASSERT_TRUE(s.Login());
  EXPECT_TRUE(s.client->Noop());
  EXPECT_TRUE(s.client->Delete(1));
  EXPECT_TRUE(s.client->Reset());
  EXPECT_TRUE(s.client->Disconnect());
  EXPECT_EQ(s.client->LastError(), "");
}

TEST(Pop3CommandTest, StatisticsReadsTheCount) {
  struct Case {
    Reply reply;
    bool ok;
    int count;
  } cases[] = {
      {{"+OK 3 4711\r\n"}, true, 3},
      {{"+OK 1", "2 999\r\n"}, true, 12},  // split inside the number
      {{"+OK\r\n"}, true, 0},              // no blank: the count stays
      {{"+ok\t5\r\n"}, true, 5},
      {{"+OK many\r\n"}, true, 0},
      {{"+OK 99999999999 1\r\n"}, false, 0},
  };
  for (const Case& c : cases) {
    Session s = LoggedIn({c.reply});
    ASSERT_TRUE(s.Login());
    EXPECT_EQ(s.client->Statistics(), c.ok) << c.reply[0];
    EXPECT_EQ(s.client->MessageCount(), c.count) << c.reply[0];
  }
}

TEST(Pop3CommandTest, StatisticsWithoutANumberKeepsTheEarlierCount) {
  Session s = LoggedIn({{"+OK 4 100\r\n"}, {"+OK\r\n"}});
  ASSERT_TRUE(s.Login());
  ASSERT_TRUE(s.client->Statistics());
  ASSERT_TRUE(s.client->Statistics());
  EXPECT_EQ(s.client->MessageCount(), 4);
}

TEST(Pop3MultiLineTest, ListCollectsTheSizesUpToTheTerminatingLine) {
  Session s = LoggedIn({{"+OK 3 messages:\r\n1 120\r\n2 ", "3400\r\n3 5\r", "\n.\r\n"}});
  ASSERT_TRUE(s.Login());
  ASSERT_TRUE(s.client->List());
  EXPECT_EQ(s.client->MessageSizes(), (std::vector<int>{120, 3400, 5}));
}

TEST(Pop3MultiLineTest, ListOfAnEmptyMailboxAndRepeatedLists) {
  Session s =
      LoggedIn({{"+OK 0 messages:\r\n.\r\n"}, {"+OK\r\n1 10\r\n.\r\n"}, {"+OK\r\n1 10\r\n.\r\n"}});
  ASSERT_TRUE(s.Login());
  ASSERT_TRUE(s.client->List());
  EXPECT_TRUE(s.client->MessageSizes().empty());
  ASSERT_TRUE(s.client->List());
  ASSERT_TRUE(s.client->List());
  EXPECT_EQ(s.client->MessageSizes(), (std::vector<int>{10}));
}

TEST(Pop3MultiLineTest, RetrieveKeepsTheMessageAndUndoesDotStuffing) {
  Session s = LoggedIn(
      {{"+OK 40 octets\r\nSubject: a\r\n\r\n..leading dot\r\n", "end.\r\n", ".\r\n"}, {"+OK\r\n"}});
  ASSERT_TRUE(s.Login());
  ASSERT_TRUE(s.client->Retrieve(1));
  EXPECT_EQ(s.client->MessageText(), "Subject: a\r\n\r\n.leading dot\r\nend.\r\n");
  // The exchange stays in step: the next reply is the NOOP's.
  EXPECT_TRUE(s.client->Noop());
}

TEST(Pop3MultiLineTest, TopGivesTheHeader) {
  Session s = LoggedIn({{"+OK\r\nFrom: a@b\r\nSubject: hi\r\n\r\n.\r\n"}});
  ASSERT_TRUE(s.Login());
  std::string header = "stale";
  ASSERT_TRUE(s.client->Top(1, header));
  EXPECT_EQ(header, "From: a@b\r\nSubject: hi\r\n\r\n");
  EXPECT_EQ(s.client->HeaderText(), header);
}

TEST(Pop3MultiLineTest, TopIsRefusedOnlyByErr) {
  struct Case {
    const char* status;
    bool ok;
  } cases[] = {
      {"+OK top follows", true},       {"+ok", true},   {"* whatever", true},
      {"-ERR no such message", false}, {"-err", false},
  };
  for (const Case& c : cases) {
    Session s = LoggedIn({{std::string(c.status) + "\r\nSubject: x\r\n.\r\n"}});
    ASSERT_TRUE(s.Login());
    std::string header;
    EXPECT_EQ(s.client->Top(4, header), c.ok) << c.status;
    EXPECT_EQ(header, c.ok ? "Subject: x\r\n" : "") << c.status;
    EXPECT_EQ(s.client->LastError(), c.ok ? "" : "Error occured during TOP") << c.status;
  }
}

TEST(Pop3MultiLineTest, TopWaitsLongerForItsLinesAndFailsWhenTheyStop) {
  Session s = LoggedIn({{"+OK\r\nFrom: a@b\r\n"}});
  ASSERT_TRUE(s.Login());
  std::string header;
  EXPECT_FALSE(s.client->Top(1, header));
  EXPECT_EQ(s.socket->readWaits.back(), 90000);
  EXPECT_TRUE(header.empty());
  EXPECT_EQ(s.client->LastError(), "");
}

TEST(Pop3MultiLineTest, EndlessDataFailsAtTheBound) {
  Pop3Limits limits;
  limits.MaxMultiLineBytes = 64 * 1024;
  struct Case {
    const char* command;
    bool (*run)(Pop3Client&);
    const char* error;
  } cases[] = {
      {"LIST", [](Pop3Client& c) { return c.List(); }, "Error occured during LIST"},
      {"RETR", [](Pop3Client& c) { return c.Retrieve(1); }, "Error occured during RETR"},
      {"TOP",
       [](Pop3Client& c) {
         std::string text;
         return c.Top(1, text);
       },
       "Error occured during TOP"},
  };
  for (const Case& c : cases) {
    Session s = LoggedIn({{"+OK\r\n"}}, limits);
    ASSERT_TRUE(s.Login());
    s.socket->endlessData = true;
    EXPECT_FALSE(c.run(*s.client)) << c.command;
    EXPECT_EQ(s.client->LastError(), c.error);
    EXPECT_LE(s.socket->readWaits.size(), limits.MaxMultiLineBytes / 1000 + 5) << c.command;
    EXPECT_TRUE(s.client->MessageText().empty());
  }
}

TEST(Pop3MultiLineTest, PeerClosingMidReplyFails) {
  Session s = LoggedIn({{"+OK\r\n1 10\r\n"}});
  ASSERT_TRUE(s.Login());
  s.socket->closeWhenDrained = true;
  EXPECT_FALSE(s.client->List());
  EXPECT_EQ(s.client->LastError(), "");
}

}  // namespace
}  // namespace karvo::mail
