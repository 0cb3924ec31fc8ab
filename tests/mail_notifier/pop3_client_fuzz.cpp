// Server bytes of any shape against every operation of the client: no crash, no
// read outside a buffer, no endless loop. The input is a series of pieces (a
// length byte, then that many bytes), each one receive; the first byte picks the
// operations.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "mail_notifier/pop3_client.h"

namespace {

using karvo::mail::IClock;
using karvo::mail::IStreamSocket;

class FuzzClock final : public IClock {
 public:
  std::int64_t NowMs() override { return m_now; }
  void Advance(int ms) { m_now += ms; }

 private:
  std::int64_t m_now = 0;
};

class FuzzSocket final : public IStreamSocket {
 public:
  FuzzSocket(FuzzClock& clock, const std::uint8_t* data, std::size_t size)
      : m_clock(clock), m_data(data), m_size(size) {}
  bool Connect(const std::string&, std::uint16_t, int) override { return true; }
  bool WaitReadable(int timeoutMs) override {
    if (m_at < m_size) return true;
    m_clock.Advance(timeoutMs);
    return false;
  }
  bool WaitWritable(int) override { return true; }
  long Send(const char*, std::size_t size) override { return static_cast<long>(size); }
  long Receive(char* buffer, std::size_t size) override {
    if (m_at >= m_size) return 0;
    std::size_t piece = m_data[m_at++];
    if (piece > m_size - m_at) piece = m_size - m_at;
    if (piece > size) piece = size;
    for (std::size_t i = 0; i < piece; ++i) buffer[i] = static_cast<char>(m_data[m_at + i]);
    m_at += piece;
    return static_cast<long>(piece);
  }

 private:
  FuzzClock& m_clock;
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_at = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t choice = data[0];
  FuzzClock clock;
  karvo::mail::Pop3Limits limits;
  limits.MaxMultiLineBytes = 16 * 1024;
  karvo::mail::Pop3Client client(std::make_unique<FuzzSocket>(clock, data + 1, size - 1), clock,
                                 limits);
  if (!client.Connect("host", "user", "pass word", 110)) return 0;
  std::string header;
  // Each operation reads its reply whether or not the one before succeeded.
  for (int step = 0; step < 4; ++step) {
    switch ((choice >> (2 * step)) & 3) {
      case 0:
        (void)client.Statistics();
        break;
      case 1:
        (void)client.List();
        break;
      case 2:
        (void)client.Retrieve(1);
        break;
      case 3:
        (void)client.Top(1, header);
        break;
    }
  }
  (void)client.Noop();
  (void)client.Delete(1);
  (void)client.Reset();
  (void)client.Disconnect();
  return 0;
}
