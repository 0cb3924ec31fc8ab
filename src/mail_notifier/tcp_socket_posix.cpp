#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "mail_notifier/stream_socket.h"

namespace karvo::mail {

namespace {

class PosixTcpSocket final : public IStreamSocket {
 public:
  ~PosixTcpSocket() override { Close(); }

  bool Connect(const std::string& host, std::uint16_t port, int timeoutMs) override {
    Close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) return false;
    bool connected = false;
    for (addrinfo* a = found; a && !connected; a = a->ai_next) {
      connected = ConnectTo(*a, timeoutMs);
    }
    ::freeaddrinfo(found);
    return connected;
  }

  bool WaitReadable(int timeoutMs) override { return Wait(POLLIN, timeoutMs); }
  bool WaitWritable(int timeoutMs) override { return Wait(POLLOUT, timeoutMs); }

  long Send(const char* data, std::size_t size) override {
    if (m_fd < 0) return -1;
    ssize_t n = ::send(m_fd, data, size, MSG_NOSIGNAL);
    return n < 0 ? -1 : static_cast<long>(n);
  }

  long Receive(char* buffer, std::size_t size) override {
    if (m_fd < 0) return -1;
    ssize_t n = ::recv(m_fd, buffer, size, 0);
    return n < 0 ? -1 : static_cast<long>(n);
  }

 private:
  // Non-blocking so that a connection to a silent address is bounded too.
  bool ConnectTo(const addrinfo& a, int timeoutMs) {
    int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
    if (fd < 0) return false;
    m_fd = fd;
    if (::connect(fd, a.ai_addr, a.ai_addrlen) == 0) return true;
    if (errno == EINPROGRESS && Wait(POLLOUT, timeoutMs)) {
      int error = 0;
      socklen_t length = sizeof error;
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) return true;
    }
    Close();
    return false;
  }

  bool Wait(short events, int timeoutMs) {
    if (m_fd < 0) return false;
    pollfd p{m_fd, events, 0};
    int n;
    do {
      n = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    } while (n < 0 && errno == EINTR);
    // A hang-up or error counts as readable so that the receive reports it.
    return n > 0 && (p.revents & (events | POLLHUP | POLLERR)) != 0;
  }

  void Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
  }

  int m_fd = -1;
};

}  // namespace

std::unique_ptr<IStreamSocket> CreateTcpSocket() { return std::make_unique<PosixTcpSocket>(); }

}  // namespace karvo::mail
