#include <chrono>

#include "mail_notifier/stream_socket.h"

namespace karvo::mail {

namespace {
class SteadyClockImpl final : public IClock {
 public:
  std::int64_t NowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
};
}  // namespace

IClock& SteadyClock() {
  static SteadyClockImpl clock;
  return clock;
}

}  // namespace karvo::mail
