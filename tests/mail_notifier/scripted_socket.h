#pragma once
// A POP3 server played from a script, behind the socket interface, on virtual time:
// a wait with nothing to deliver advances the clock by its whole timeout and fails.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "mail_notifier/stream_socket.h"

namespace karvo::mail::testing {

class VirtualClock final : public IClock {
 public:
  std::int64_t NowMs() override { return m_now; }
  void Advance(std::int64_t ms) { m_now += ms; }

 private:
  std::int64_t m_now = 0;
};

class ScriptedSocket final : public IStreamSocket {
 public:
  // Each reply is delivered after the client has sent one whole command line, in
  // order; a reply is a list of pieces, each piece one receive at most.
  using Reply = std::vector<std::string>;

  ScriptedSocket(VirtualClock& clock, Reply greeting, std::vector<Reply> replies)
      : m_clock(clock), m_replies(replies.begin(), replies.end()) {
    m_greeting = std::move(greeting);
  }

  int refusedAttempts = 0;        // connection attempts that fail before one succeeds
  bool closeWhenDrained = false;  // the peer closes after its last reply
  bool endlessData = false;       // after the script, every receive brings more bytes

  int connectAttempts = 0;
  std::string connectedHost;
  std::uint16_t connectedPort = 0;
  std::vector<int> readWaits;  // timeouts of the read waits
  std::string sent;
  std::vector<std::string> commands;
  std::size_t largestReceive = 0;

  bool Connect(const std::string& host, std::uint16_t port, int) override {
    ++connectAttempts;
    if (connectAttempts <= refusedAttempts) return false;
    connectedHost = host;
    connectedPort = port;
    Queue(m_greeting);
    return true;
  }

  bool WaitReadable(int timeoutMs) override {
    readWaits.push_back(timeoutMs);
    if (!m_incoming.empty() || closeWhenDrained || endlessData) return true;
    m_clock.Advance(timeoutMs);
    return false;
  }

  bool WaitWritable(int) override { return true; }

  long Send(const char* data, std::size_t size) override {
    sent.append(data, size);
    m_partial.append(data, size);
    std::size_t end;
    while ((end = m_partial.find("\r\n")) != std::string::npos) {
      commands.push_back(m_partial.substr(0, end + 2));
      m_partial.erase(0, end + 2);
      if (!m_replies.empty()) {
        Queue(m_replies.front());
        m_replies.pop_front();
      }
    }
    return static_cast<long>(size);
  }

  long Receive(char* buffer, std::size_t size) override {
    if (size > largestReceive) largestReceive = size;
    if (m_incoming.empty()) {
      if (endlessData) {
        std::size_t n = size;
        for (std::size_t i = 0; i < n; ++i) buffer[i] = 'x';
        return static_cast<long>(n);
      }
      return 0;
    }
    std::string& piece = m_incoming.front();
    std::size_t n = piece.size() < size ? piece.size() : size;
    piece.copy(buffer, n);
    piece.erase(0, n);
    if (piece.empty()) m_incoming.pop_front();
    return static_cast<long>(n);
  }

 private:
  void Queue(const Reply& reply) {
    for (const std::string& piece : reply) {
      if (!piece.empty()) m_incoming.push_back(piece);
    }
  }

  VirtualClock& m_clock;
  Reply m_greeting;
  std::deque<Reply> m_replies;
  std::deque<std::string> m_incoming;
  std::string m_partial;
};

}  // namespace karvo::mail::testing
