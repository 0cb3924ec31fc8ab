#pragma once
// What playback needs from the platform: injected keyboard and mouse input, and a timer with
// millisecond precision whose waits a stop request can cut short.
#include <cstdint>

namespace karvo::monitor {

enum class MouseButton { Left, Right, Middle, Extra1, Extra2 };

class IInputInjector {
 public:
  virtual ~IInputInjector() = default;
  virtual void Key(int virtualKey, int scanCode, bool up, bool extended) = 0;
  virtual void Mouse(MouseButton button, bool up) = 0;
};

class IPlaybackTimer {
 public:
  virtual ~IPlaybackTimer() = default;
  virtual void Sleep(std::uint32_t ms) = 0;
  // Waits ms, or less when the signal is or becomes set; true when it was set.
  [[nodiscard]] virtual bool WaitUnlessSignalled(std::uint32_t ms) = 0;
  // The same up to a point in time on NowUs's scale.
  [[nodiscard]] virtual bool WaitUntilUnlessSignalled(std::uint64_t deadlineUs) = 0;
  virtual std::uint64_t NowUs() = 0;
  // The signal stays set until Reset.
  virtual void Signal() = 0;
  virtual void Reset() = 0;
};

}  // namespace karvo::monitor
