#include "mail_notifier/pop3_client.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <utility>

namespace karvo::mail {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kTerminator = "\r\n.\r\n";

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Upper(text[i]) != prefix[i]) return false;
  }
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A CR or LF would end the command early and let the rest pass as a second
// command; a NUL would cut it short on the server.
bool IsSafeArgument(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// Dot-stuffed lines ("..x") carry a leading "." that is not part of the text.
std::string Unstuff(std::string_view body) {
  std::string out;
  out.reserve(body.size());
  bool lineStart = true;
  for (std::size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    if (lineStart && c == '.') {
      lineStart = false;
      continue;
    }
    out.push_back(c);
    lineStart = (c == '\n');
  }
  return out;
}

std::string Format(const char* pattern, int n) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, pattern, n);
  return buffer;
}

}  // namespace

bool IsPositiveReply(std::string_view reply) { return StartsWithNoCase(reply, "+OK"); }
bool IsNegativeReply(std::string_view reply) { return StartsWithNoCase(reply, "-ERR"); }

ParsedNumber NumberAfterFirstBlank(std::string_view line) {
  ParsedNumber result;
  std::size_t i = 0;
  while (i < line.size() && !IsBlank(line[i])) ++i;
  if (i == line.size()) return result;
  result.HasBlank = true;
  while (i < line.size() && IsBlank(line[i])) ++i;
  long long value = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
    value = value * 10 + (line[i] - '0');
    if (value > INT_MAX) {
      result.Fits = false;
      return result;
    }
  }
  result.Value = static_cast<int>(value);
  return result;
}

Pop3Client::Pop3Client(std::unique_ptr<IStreamSocket> socket, IClock& clock, Pop3Limits limits)
    : m_socket(std::move(socket)), m_clock(clock), m_limits(limits) {}

bool Pop3Client::Connect(std::string_view server, std::string_view user, std::string_view password,
                         int port) {
  if (!IsSafeArgument(user)) {
    m_lastError = "Bad User Name";
    return false;
  }
  if (!IsSafeArgument(password)) {
    m_lastError = "Bad Password Name";
    return false;
  }
  std::string host(server.substr(0, kServerNameSize - 1));
  host = host.substr(0, host.find('\0'));
  bool connected = false;
  if (port >= 1 && port <= 65535) {
    for (int attempt = 0; attempt < m_limits.ConnectAttempts && !connected; ++attempt) {
      connected = m_socket->Connect(host, static_cast<std::uint16_t>(port), m_limits.WaitMs);
    }
  }
  if (!connected) {
    m_lastError = "Server cannot be connected";
    return false;
  }
  m_pending.clear();

  std::string greeting;
  if (!ReadLine(greeting)) return false;
  if (!IsPositiveReply(greeting)) {
    m_lastError = "Bad Connection";
    return false;
  }
  std::string command = "USER ";
  command.append(user).append(kCrLf);
  if (!SimpleCommand(command, "Bad User Name")) return false;
  // The password goes as the whole rest of the line, spaces included: PASS has
  // exactly one argument, and servers take everything after "PASS " as it.
  command = "PASS ";
  command.append(password).append(kCrLf);
  if (!SimpleCommand(command, "Bad Password Name")) return false;
  return true;
}

bool Pop3Client::Statistics() {
  std::string line;
  if (!SimpleCommand("STAT\r\n", "Error occured during STAT", &line)) return false;
  ParsedNumber count = NumberAfterFirstBlank(line);
  if (!count.Fits) {
    m_lastError = "Error occured during STAT";
    return false;
  }
  if (count.HasBlank) m_messageCount = count.Value;
  return true;
}

bool Pop3Client::Disconnect() { return SimpleCommand("QUIT\r\n", "Error occured during QUIT"); }
bool Pop3Client::Delete(int n) {
  return SimpleCommand(Format("DELE %d\r\n", n), "Error occured during DELE");
}
bool Pop3Client::Noop() { return SimpleCommand("NOOP\r\n", "Error occured during NOOP"); }
bool Pop3Client::Reset() { return SimpleCommand("RSET\r\n", "Error occured during RSET"); }

bool Pop3Client::List() {
  static constexpr const char* kError = "Error occured during LIST";
  m_messageSizes.clear();
  std::string body;
  if (!MultiLineCommand("LIST\r\n", kError, m_limits.WaitMs, body)) return false;
  std::size_t start = 0;
  while (start < body.size()) {
    std::size_t end = body.find(kCrLf, start);
    if (end == std::string::npos) end = body.size();
    ParsedNumber size = NumberAfterFirstBlank(std::string_view(body).substr(start, end - start));
    if (size.HasBlank && size.Fits) m_messageSizes.push_back(size.Value);
    start = end + kCrLf.size();
  }
  return true;
}

bool Pop3Client::Retrieve(int n) {
  static constexpr const char* kError = "Error occured during RETR";
  return MultiLineCommand(Format("RETR %d\r\n", n), kError, m_limits.WaitMs, m_messageText);
}

bool Pop3Client::Top(int n, std::string& text) {
  static constexpr const char* kError = "Error occured during TOP";
  m_headerText.clear();
  m_lastError.clear();
  text.clear();
  // TOP is refused only by "-ERR"; any other status line is taken as a yes.
  if (!MultiLineCommand(Format("TOP %d 0\r\n", n), kError, m_limits.TopWaitMs, m_headerText,
                        [](std::string_view reply) { return !IsNegativeReply(reply); })) {
    return false;
  }
  text = m_headerText;
  return true;
}

bool Pop3Client::SimpleCommand(std::string_view command, const char* error, std::string* line,
                               ReplyJudge good) {
  switch (Exchange(command, line, good)) {
    case Reply::NoReply:
      return false;
    case Reply::Bad:
      m_lastError = error;
      return false;
    case Reply::Ok:
      break;
  }
  return true;
}

bool Pop3Client::MultiLineCommand(std::string_view command, const char* error, int waitMs,
                                  std::string& body, ReplyJudge good) {
  body.clear();
  if (!SimpleCommand(command, error, nullptr, good)) return false;
  bool tooLarge = false;
  if (!ReadMultiLine(waitMs, body, tooLarge)) {
    if (tooLarge) m_lastError = error;
    body.clear();
    return false;
  }
  return true;
}

Pop3Client::Reply Pop3Client::Exchange(std::string_view command, std::string* line,
                                       ReplyJudge good) {
  std::string reply;
  if (!SendCommand(command) || !ReadLine(reply)) return Reply::NoReply;
  bool ok = good(reply);
  if (line) *line = std::move(reply);
  return ok ? Reply::Ok : Reply::Bad;
}

bool Pop3Client::SendCommand(std::string_view command) {
  std::size_t sent = 0;
  while (sent < command.size()) {
    if (!m_socket->WaitWritable(m_limits.WaitMs)) return false;
    long n = m_socket->Send(command.data() + sent, command.size() - sent);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

bool Pop3Client::ReceiveMore(int waitMs, std::size_t maxBytes) {
  char buffer[kReplyBufferSize];
  if (maxBytes > sizeof buffer) maxBytes = sizeof buffer;
  if (maxBytes == 0 || !m_socket->WaitReadable(waitMs)) return false;
  long n = m_socket->Receive(buffer, maxBytes);
  if (n <= 0) return false;
  m_pending.append(buffer, static_cast<std::size_t>(std::min<long>(n, maxBytes)));
  return true;
}

bool Pop3Client::ReadLine(std::string& line) {
  // The whole line must come within one wait's time, so a server that sends a
  // byte now and then cannot stretch a reply without bound.
  const std::int64_t deadline = m_clock.NowMs() + m_limits.WaitMs;
  for (;;) {
    std::size_t end = m_pending.find(kCrLf);
    if (end != std::string::npos && end + kCrLf.size() <= kReplyBufferSize) {
      line.assign(m_pending, 0, end);
      m_pending.erase(0, end + kCrLf.size());
      return true;
    }
    if (m_pending.size() >= kReplyBufferSize) {
      // Judged on the first 1000 bytes; the rest of this over-long line is dropped
      // so it cannot pass for the next reply.
      line.assign(m_pending, 0, kReplyBufferSize);
      m_pending.erase(0, kReplyBufferSize - 1);
      DropThroughLineEnd(deadline);
      return true;
    }
    std::int64_t left = deadline - m_clock.NowMs();
    if (left <= 0) return false;
    if (!ReceiveMore(static_cast<int>(left), kReplyBufferSize - m_pending.size())) return false;
  }
}

void Pop3Client::DropThroughLineEnd(std::int64_t deadline) {
  for (;;) {
    std::size_t end = m_pending.find(kCrLf);
    if (end != std::string::npos) {
      m_pending.erase(0, end + kCrLf.size());
      return;
    }
    // Keep a last CR: its LF may come with the next receive.
    m_pending.erase(0, m_pending.size() > 0 && m_pending.back() == '\r' ? m_pending.size() - 1
                                                                        : m_pending.size());
    std::int64_t left = deadline - m_clock.NowMs();
    if (left <= 0 || !ReceiveMore(static_cast<int>(left), kReplyBufferSize)) return;
  }
}

bool Pop3Client::ReadMultiLine(int waitMs, std::string& body, bool& tooLarge) {
  tooLarge = false;
  std::size_t searchFrom = 0;
  for (;;) {
    if (m_pending.compare(0, 3, ".\r\n") == 0) {
      body.clear();
      m_pending.erase(0, 3);
      return true;
    }
    std::size_t end = m_pending.find(kTerminator, searchFrom);
    if (end != std::string::npos) {
      body = Unstuff(std::string_view(m_pending).substr(0, end + kCrLf.size()));
      m_pending.erase(0, end + kTerminator.size());
      return true;
    }
    if (m_pending.size() > m_limits.MaxMultiLineBytes) {
      tooLarge = true;
      return false;
    }
    searchFrom =
        m_pending.size() >= kTerminator.size() ? m_pending.size() - kTerminator.size() + 1 : 0;
    if (!ReceiveMore(waitMs, kReplyBufferSize)) return false;
  }
}

}  // namespace karvo::mail
