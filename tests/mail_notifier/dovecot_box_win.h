#pragma once
// The test Dovecot's side of a mailbox, seen from Wine: messages added as files,
// removed through the server, and the server's log read to follow the applet's
// sessions.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

#include "mail_notifier/pop3_client.h"
#include "win_test_support.h"

namespace karvo::mail::testing {

inline constexpr DWORD kPatience = 60000;  // bound of every wait for the applet or the server

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline int CountLines(const std::string& text, const std::string& a, const std::string& b) {
  std::istringstream lines(text);
  std::string line;
  int n = 0;
  while (std::getline(lines, line)) {
    if (line.find(a) != std::string::npos && line.find(b) != std::string::npos) ++n;
  }
  return n;
}

// The test server's side of one user's mailbox.
class Mailbox {
 public:
  Mailbox(std::string user, int port)
      : m_user(std::move(user)),
        m_port(port),
        m_box(WinePath(KARVO_DOVECOT_DIR) + "\\srv\\mail\\" + m_user + "\\") {}

  // Messages are written to tmp and then moved to new, as maildir wants.
  void Add(int count) {
    for (int i = 0; i < count; ++i) {
      std::string name =
          std::to_string(::GetTickCount()) + "." + std::to_string(++s_serial) + ".karvo-e2e";
      std::string body = "From: e2e@example.org\r\nSubject: " + name + "\r\n\r\nHello\r\n";
      std::string temp = m_box + "tmp\\" + name;
      {
        std::ofstream out(temp, std::ios::binary);
        out << body;
        ASSERT_TRUE(out.good()) << temp;
      }
      ASSERT_TRUE(::MoveFileA(temp.c_str(), (m_box + "new\\" + name).c_str())) << name;
    }
  }
  // Through the server, which owns the message files once it has seen them.
  void Clear() {
    Pop3Client client(CreateTcpSocket());
    ASSERT_TRUE(client.Connect("127.0.0.1", m_user, "secret", m_port)) << client.LastError();
    ASSERT_TRUE(client.Statistics());
    for (int n = 1; n <= client.MessageCount(); ++n) ASSERT_TRUE(client.Delete(n));
    ASSERT_TRUE(client.Disconnect());
  }

  // POP3 sessions of this user that ended with QUIT, from the server's log.
  int Sessions() const {
    return CountLines(ReadWholeFile(LogPath()), "pop3(" + m_user + ")", "Logged out");
  }
  // Logins of this user whose session has not ended yet.
  int OpenSessions() const {
    const std::string log = ReadWholeFile(LogPath());
    return CountLines(log, "Login: ", "user=<" + m_user + ">") -
           CountLines(log, "pop3(" + m_user + ")", "Disconnected");
  }
  int FailedLogins() const {
    return CountLines(ReadWholeFile(LogPath()), "auth failed", "user=<" + m_user + ">");
  }
  // Pumps until two more sessions have ended: the second began after this call,
  // so it saw the mailbox as it is now.
  bool WaitForFreshChecks() {
    const int seen = Sessions();
    return PumpUntil([&] { return Sessions() >= seen + 2; }, kPatience);
  }

 private:
  static std::string LogPath() { return WinePath(KARVO_DOVECOT_DIR) + "\\srv\\dovecot.log"; }

  static inline int s_serial = 0;
  std::string m_user;
  int m_port;
  std::string m_box;
};

// Changes the mailbox while the applet cannot look: its thread is held and no
// session of the user is open, so no check sees the change half done. A session
// that was open when the thread stopped is let finish first.
inline void ChangeWhileAway(HANDLE appletThread, Mailbox& box,
                            const std::function<void()>& change) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    ASSERT_NE(::SuspendThread(appletThread), static_cast<DWORD>(-1));
    // A login already under way shows in the log after a moment.
    Pump(50);
    if (box.OpenSessions() <= 0) break;
    ASSERT_NE(::ResumeThread(appletThread), static_cast<DWORD>(-1));
    ASSERT_LT(::GetTickCount() - start, kPatience) << "the applet's session never ended";
    Pump(10);
  }
  change();
  ASSERT_NE(::ResumeThread(appletThread), static_cast<DWORD>(-1));
}

}  // namespace karvo::mail::testing
