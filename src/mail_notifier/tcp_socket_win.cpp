#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

#include "mail_notifier/stream_socket.h"

namespace karvo::mail {

namespace {

class WinsockTcpSocket final : public IStreamSocket {
 public:
  ~WinsockTcpSocket() override { Close(); }

  bool Connect(const std::string& host, std::uint16_t port, int timeoutMs) override {
    Close();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
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

  bool WaitReadable(int timeoutMs) override { return Wait(false, timeoutMs); }
  bool WaitWritable(int timeoutMs) override { return Wait(true, timeoutMs); }

  long Send(const char* data, std::size_t size) override {
    if (m_socket == INVALID_SOCKET) return -1;
    int chunk = size > 0x10000 ? 0x10000 : static_cast<int>(size);
    int n = ::send(m_socket, data, chunk, 0);
    return n == SOCKET_ERROR ? -1 : n;
  }

  long Receive(char* buffer, std::size_t size) override {
    if (m_socket == INVALID_SOCKET) return -1;
    int chunk = size > 0x10000 ? 0x10000 : static_cast<int>(size);
    int n = ::recv(m_socket, buffer, chunk, 0);
    return n == SOCKET_ERROR ? -1 : n;
  }

 private:
  // Non-blocking so that a connection to a silent address is bounded too.
  bool ConnectTo(const addrinfo& a, int timeoutMs) {
    SOCKET s = ::socket(a.ai_family, a.ai_socktype, a.ai_protocol);
    if (s == INVALID_SOCKET) return false;
    m_socket = s;
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
      Close();
      return false;
    }
    if (::connect(s, a.ai_addr, static_cast<int>(a.ai_addrlen)) == 0) return true;
    if (::WSAGetLastError() == WSAEWOULDBLOCK && Wait(true, timeoutMs)) {
      int error = 0;
      int length = sizeof error;
      if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 &&
          error == 0) {
        return true;
      }
    }
    Close();
    return false;
  }

  // A failed connection shows in the exception set; it ends the wait as a failure.
  bool Wait(bool writable, int timeoutMs) {
    if (m_socket == INVALID_SOCKET) return false;
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(m_socket, &ready);
    FD_SET(m_socket, &failed);
    if (timeoutMs < 0) timeoutMs = 0;
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int n =
        ::select(0, writable ? nullptr : &ready, writable ? &ready : nullptr, &failed, &timeout);
    return n > 0 && FD_ISSET(m_socket, &ready);
  }

  void Close() {
    if (m_socket != INVALID_SOCKET) ::closesocket(m_socket);
    m_socket = INVALID_SOCKET;
  }

  SOCKET m_socket = INVALID_SOCKET;
};

}  // namespace

std::unique_ptr<IStreamSocket> CreateTcpSocket() { return std::make_unique<WinsockTcpSocket>(); }

}  // namespace karvo::mail
