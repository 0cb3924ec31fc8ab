#pragma once
// Injected input through SendInput, and the playback timer: an event object that a stop sets,
// waited on with the system timer raised to 1 ms so delays hold to the millisecond.
#include <windows.h>

#include "monitor/input_injector.h"
#include "platform/handles.h"

namespace karvo::monitor {

class SendInputInjector final : public IInputInjector {
 public:
  void Key(int virtualKey, int scanCode, bool up, bool extended) override;
  void Mouse(MouseButton button, bool up) override;
};

class WinPlaybackTimer final : public IPlaybackTimer {
 public:
  WinPlaybackTimer();
  void Sleep(std::uint32_t ms) override;
  bool WaitUnlessSignalled(std::uint32_t ms) override;
  bool WaitUntilUnlessSignalled(std::uint64_t deadlineUs) override;
  std::uint64_t NowUs() override;
  void Signal() override;
  void Reset() override;

 private:
  platform::UniqueHandle m_signal;
};

}  // namespace karvo::monitor
