// The client over real TCP sockets: against small scripted servers on 127.0.0.1
// and against a private Dovecot.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "mail_notifier/pop3_client.h"

namespace karvo::mail {
namespace {

// One connection on 127.0.0.1, served by a script on its own thread.
class ScriptServer {
 public:
  using Script = std::function<void(ScriptServer&)>;

  explicit ScriptServer(Script script) {
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 4) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "cannot listen on 127.0.0.1";
      return;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this, script] {
      m_peer = ::accept(m_listener, nullptr, nullptr);
      if (m_peer >= 0) script(*this);
    });
  }
  ~ScriptServer() {
    ::shutdown(m_listener, SHUT_RDWR);
    if (m_thread.joinable()) m_thread.join();
    if (m_peer >= 0) ::close(m_peer);
    ::close(m_listener);
  }

  int Port() const { return m_port; }
  // Writes the piece, then pauses so that the next one arrives separately.
  bool Send(const std::string& piece) {
    bool ok = ::send(m_peer, piece.data(), piece.size(), MSG_NOSIGNAL) ==
              static_cast<ssize_t>(piece.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return ok;
  }
  // The next command line the client sent, "" when it closed.
  std::string ReadLine() {
    std::string line;
    char c;
    while (::recv(m_peer, &c, 1, 0) == 1) {
      line.push_back(c);
      if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) break;
    }
    lines.push_back(line);
    return line;
  }
  // Blocks until the client closes its end.
  void WaitForClose() {
    char c;
    while (::recv(m_peer, &c, 1, 0) > 0) {
    }
  }

  std::vector<std::string> lines;

 private:
  int m_listener = -1;
  int m_peer = -1;
  int m_port = 0;
  std::thread m_thread;
};

Pop3Client MakeClient(Pop3Limits limits = {}) {
  return Pop3Client(CreateTcpSocket(), SteadyClock(), limits);
}

TEST(Pop3TcpTest, SplitRepliesAndLowerCaseOkOverTcp) {
  std::vector<std::string> seen;
  {
    ScriptServer server([](ScriptServer& s) {
      s.Send("+o");
      s.Send("k POP3 ready\r");
      s.Send("\n");
      s.ReadLine();
      s.Send("+OK\r\n");
      s.ReadLine();
      s.Send("+");
      s.Send("OK logged in\r\n");
      s.ReadLine();
      s.Send("+OK 1");
      s.Send("7 2048\r\n");
      s.ReadLine();
      s.Send("+OK bye\r\n");
      s.WaitForClose();
    });
    auto client = std::make_unique<Pop3Client>(CreateTcpSocket());
    ASSERT_TRUE(client->Connect("127.0.0.1", "karvo", "pass word", server.Port()));
    ASSERT_TRUE(client->Statistics());
    EXPECT_EQ(client->MessageCount(), 17);
    EXPECT_TRUE(client->Disconnect());
    client.reset();  // closing the socket ends the script
    seen = server.lines;
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"USER karvo\r\n", "PASS pass word\r\n", "STAT\r\n",
                                            "QUIT\r\n"}));
}

TEST(Pop3TcpTest, HostNamesAreResolved) {
  ScriptServer server([](ScriptServer& s) {
    s.Send("+OK\r\n");
    s.ReadLine();
    s.Send("+OK\r\n");
    s.ReadLine();
    s.Send("+OK\r\n");
    s.WaitForClose();
  });
  auto client = std::make_unique<Pop3Client>(CreateTcpSocket());
  // localhost may resolve to ::1 first; the client tries every address.
  EXPECT_TRUE(client->Connect("localhost", "u", "p", server.Port()));
  client.reset();
}

TEST(Pop3TcpTest, RefusedConnection) {
  int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
  ::close(probe);  // nothing listens on that port now

  Pop3Client client = MakeClient();
  EXPECT_FALSE(client.Connect("127.0.0.1", "u", "p", ntohs(address.sin_port)));
  EXPECT_EQ(client.LastError(), "Server cannot be connected");

  Pop3Client unknown = MakeClient();
  EXPECT_FALSE(unknown.Connect("no-such-host.invalid", "u", "p", 110));
  EXPECT_EQ(unknown.LastError(), "Server cannot be connected");
}

TEST(Pop3TcpTest, SilentServerEndsTheWaitWithoutErrorText) {
  ScriptServer server([](ScriptServer& s) { s.WaitForClose(); });
  Pop3Limits limits;
  limits.WaitMs = 200;
  auto client = std::make_unique<Pop3Client>(CreateTcpSocket(), SteadyClock(), limits);
  EXPECT_FALSE(client->Connect("127.0.0.1", "u", "p", server.Port()));
  EXPECT_EQ(client->LastError(), "");
  client.reset();
}

// A private Dovecot for this suite; each test fills the mailbox afresh.
class DovecotTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string command = std::string(KARVO_DOVECOT_CTL) + " start " + KARVO_MAIL_TEST_DIR;
    s_started = std::system(command.c_str()) == 0;
    std::ifstream portFile(std::string(KARVO_MAIL_TEST_DIR) + "/port");
    portFile >> s_port;
  }
  static void TearDownTestSuite() {
    std::string command = std::string(KARVO_DOVECOT_CTL) + " stop " + KARVO_MAIL_TEST_DIR;
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  void SetUp() override { ASSERT_TRUE(s_started && s_port > 0) << "Dovecot did not start"; }

  static void Fill(const char* user, int count) {
    std::string command = std::string(KARVO_DOVECOT_CTL) + " fill " + KARVO_MAIL_TEST_DIR + " " +
                          user + " " + std::to_string(count);
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  static inline bool s_started = false;
  static inline int s_port = 0;
};

TEST_F(DovecotTest, EveryCommandAgainstARealMailbox) {
  Fill("karvo", 3);
  Pop3Client client = MakeClient();
  ASSERT_TRUE(client.Connect("127.0.0.1", "karvo", "secret", s_port)) << client.LastError();
  ASSERT_TRUE(client.Statistics());
  EXPECT_EQ(client.MessageCount(), 3);
  ASSERT_TRUE(client.List());
  EXPECT_EQ(client.MessageSizes(), (std::vector<int>{57, 57, 57}));
  ASSERT_TRUE(client.Retrieve(2));
  EXPECT_EQ(client.MessageText(),
            "From: sender2@example.org\r\nSubject: message 2\r\n\r\nBody 2\r\n");
  std::string header;
  ASSERT_TRUE(client.Top(3, header));
  EXPECT_EQ(header, "From: sender3@example.org\r\nSubject: message 3\r\n\r\n");
  EXPECT_TRUE(client.Noop());
  EXPECT_TRUE(client.Delete(1));
  EXPECT_FALSE(client.Retrieve(1));
  EXPECT_EQ(client.LastError(), "Error occured during RETR");
  EXPECT_TRUE(client.Reset());
  EXPECT_TRUE(client.Retrieve(1));
  EXPECT_FALSE(client.Delete(9));
  EXPECT_EQ(client.LastError(), "Error occured during DELE");
  EXPECT_TRUE(client.Disconnect());
}

TEST_F(DovecotTest, LoginFailuresAndPasswordWithSpaces) {
  Fill("spaced", 2);
  Pop3Client wrong = MakeClient();
  EXPECT_FALSE(wrong.Connect("127.0.0.1", "karvo", "wrong", s_port));
  EXPECT_EQ(wrong.LastError(), "Bad Password Name");

  Pop3Client spaced = MakeClient();
  ASSERT_TRUE(spaced.Connect("127.0.0.1", "spaced", "my secret pass", s_port))
      << spaced.LastError();
  ASSERT_TRUE(spaced.Statistics());
  EXPECT_EQ(spaced.MessageCount(), 2);
  EXPECT_TRUE(spaced.Disconnect());
}

}  // namespace
}  // namespace karvo::mail
