#include "monitor/input_injector_win.h"

#include "platform/debug_log.h"
#include "platform/dyn_calls_win.h"

namespace karvo::monitor {

namespace {

// What is left of a wait when it stops sleeping and yields its time slices instead.
constexpr std::uint64_t kSpinUs = 1000;

// The system timer at 1 ms for the duration of one wait.
class PreciseTimerScope {
 public:
  // Without winmm waits keep the default tick.
  PreciseTimerScope() {
    const auto begin = platform::dyn::TimeBeginPeriod();
    m_raised = begin && begin(1) == 0;  // TIMERR_NOERROR
  }
  ~PreciseTimerScope() {
    if (m_raised) platform::dyn::TimeEndPeriod()(1);
  }
  PreciseTimerScope(const PreciseTimerScope&) = delete;
  PreciseTimerScope& operator=(const PreciseTimerScope&) = delete;

 private:
  bool m_raised = false;
};

std::uint64_t NowMicroseconds() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    return ::QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : 1000;
  }();
  LARGE_INTEGER now;
  if (!::QueryPerformanceCounter(&now)) return static_cast<std::uint64_t>(::GetTickCount()) * 1000;
  return static_cast<std::uint64_t>(now.QuadPart / frequency * 1000000 +
                                    now.QuadPart % frequency * 1000000 / frequency);
}

void SendOne(INPUT& input) {
  if (::SendInput(1, &input, sizeof input) != 1) platform::DebugLogLastError("SendInput");
}

}  // namespace

void SendInputInjector::Key(int virtualKey, int scanCode, bool up, bool extended) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(virtualKey & 0xFF);
  input.ki.wScan = static_cast<WORD>(scanCode & 0xFF);
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  SendOne(input);
}

void SendInputInjector::Mouse(MouseButton button, bool up) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  switch (button) {
    case MouseButton::Left:
      input.mi.dwFlags = up ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
      break;
    case MouseButton::Right:
      input.mi.dwFlags = up ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_RIGHTDOWN;
      break;
    case MouseButton::Middle:
      input.mi.dwFlags = up ? MOUSEEVENTF_MIDDLEUP : MOUSEEVENTF_MIDDLEDOWN;
      break;
    case MouseButton::Extra1:
    case MouseButton::Extra2:
      input.mi.dwFlags = up ? MOUSEEVENTF_XUP : MOUSEEVENTF_XDOWN;
      input.mi.mouseData = button == MouseButton::Extra1 ? XBUTTON1 : XBUTTON2;
      break;
  }
  SendOne(input);
}

WinPlaybackTimer::WinPlaybackTimer() : m_signal(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!m_signal) platform::DebugLogLastError("CreateEventA(playback)");
}

void WinPlaybackTimer::Sleep(std::uint32_t ms) {
  PreciseTimerScope precise;
  const std::uint64_t end = NowMicroseconds() + std::uint64_t{ms} * 1000;
  for (std::uint64_t now = NowMicroseconds(); now < end; now = NowMicroseconds()) {
    ::Sleep(static_cast<DWORD>((end - now + 999) / 1000));
  }
}

bool WinPlaybackTimer::WaitUnlessSignalled(std::uint32_t ms) {
  return WaitUntilUnlessSignalled(NowMicroseconds() + std::uint64_t{ms} * 1000);
}

bool WinPlaybackTimer::WaitUntilUnlessSignalled(std::uint64_t deadlineUs) {
  if (!m_signal) {
    std::uint64_t now = NowMicroseconds();
    if (deadlineUs > now) Sleep(static_cast<std::uint32_t>((deadlineUs - now + 999) / 1000));
    return false;
  }
  PreciseTimerScope precise;
  for (;;) {
    const std::uint64_t now = NowMicroseconds();
    if (now >= deadlineUs) return ::WaitForSingleObject(m_signal.Get(), 0) == WAIT_OBJECT_0;
    // The system timer wakes a wait up to a tick late. Waits end a tick before the deadline and
    // the rest is given away in time slices, so a wait neither ends early, which would shorten
    // the pause, nor late, which the schedule could only make up a millisecond at a time.
    const std::uint64_t remaining = deadlineUs - now;
    const DWORD sleepMs =
        remaining > kSpinUs ? static_cast<DWORD>((remaining - kSpinUs) / 1000) : 0;
    const DWORD result = ::WaitForSingleObject(m_signal.Get(), sleepMs);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_TIMEOUT) {
      platform::DebugLogLastError("WaitForSingleObject(playback)");
      Sleep(static_cast<std::uint32_t>((remaining + 999) / 1000));
      return false;
    }
    if (sleepMs == 0) ::SwitchToThread();
  }
}

std::uint64_t WinPlaybackTimer::NowUs() { return NowMicroseconds(); }

void WinPlaybackTimer::Signal() {
  if (m_signal && !::SetEvent(m_signal.Get())) platform::DebugLogLastError("SetEvent(playback)");
}

void WinPlaybackTimer::Reset() {
  if (m_signal && !::ResetEvent(m_signal.Get()))
    platform::DebugLogLastError("ResetEvent(playback)");
}

}  // namespace karvo::monitor
