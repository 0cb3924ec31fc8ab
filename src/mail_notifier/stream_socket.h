#pragma once
// The few socket operations the POP3 client needs, so the same client runs over
// Winsock in the applet and over POSIX sockets (or a scripted fake) in tests.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace karvo::mail {

class IStreamSocket {
 public:
  virtual ~IStreamSocket() = default;
  // One connection attempt to host (name or dotted address), bounded by timeoutMs.
  // Any earlier connection of this object is closed first.
  [[nodiscard]] virtual bool Connect(const std::string& host, std::uint16_t port,
                                     int timeoutMs) = 0;
  // False when the wait timed out or failed.
  [[nodiscard]] virtual bool WaitReadable(int timeoutMs) = 0;
  [[nodiscard]] virtual bool WaitWritable(int timeoutMs) = 0;
  // Bytes sent (possibly fewer than size), or -1.
  virtual long Send(const char* data, std::size_t size) = 0;
  // Bytes received, 0 when the peer has closed, -1 on error.
  virtual long Receive(char* buffer, std::size_t size) = 0;
};

// Milliseconds of a monotonic clock; tests substitute virtual time.
class IClock {
 public:
  virtual ~IClock() = default;
  virtual std::int64_t NowMs() = 0;
};

IClock& SteadyClock();

// A TCP socket of the platform (Winsock on Windows, POSIX elsewhere). On Windows
// the caller has initialised Winsock.
std::unique_ptr<IStreamSocket> CreateTcpSocket();

}  // namespace karvo::mail
