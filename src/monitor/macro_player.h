#pragma once
// The macro player: a state machine shared by the window thread (arming and the stop and
// pause/resume controls) and the player thread (Play, on thread message 1648).
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

#include "monitor/input_injector.h"
#include "settings/key_codes.h"
#include "settings/settings_image.h"

namespace karvo::monitor {

struct MacroEvent {
  std::uint8_t KeyCode = 0;
  std::uint8_t Action = 0;  // 1 press, 2 release
  std::uint16_t DelayMs = 0;
};

inline constexpr std::uint8_t kFunctionMacro = 16;  // function code of a macro button
inline constexpr std::uint8_t kMacroPress = 1;
inline constexpr std::uint8_t kMacroRelease = 2;
inline constexpr std::uint32_t kTypematicDelayMs = 500;
inline constexpr std::uint32_t kTypematicPeriodMs = 33;
inline constexpr std::uint32_t kReleaseGapMs = 50;
// A player this far behind its schedule starts counting delays afresh instead of rushing.
inline constexpr std::uint64_t kResyncUs = 20000;
// A recorded pause is the interval the user made between two events: a player behind its
// schedule makes up at most this much of it, so no pause is cut noticeably short.
inline constexpr std::uint64_t kCatchUpUs = 1000;

// Events 0..count-1 of a record's data, at most the 500 the data holds.
std::vector<MacroEvent> DecodeMacroEvents(const settings::MacroKeyInfo& record);

class MacroPlayer {
 public:
  using LogFn = std::function<void(std::string_view)>;
  MacroPlayer(IInputInjector& injector, IPlaybackTimer& timer,
              const settings::IKeyboardLayout& layout, LogFn log = {});

  enum class ArmResult { Ignored, Start, StopRequested };
  // Function code 16. Start: the caller posts 1648 to the player thread (and calls StartFailed
  // when that post fails). A press while a macro plays stops it without starting the new one.
  ArmResult Arm(const settings::MacroKeyInfo& record);
  void StartFailed();
  // Function code 187.
  void Stop();
  // Function code 186; true when the caller has to post 1648 to resume.
  [[nodiscard]] bool PauseResume();
  // Player thread: plays the armed macro until its repeats are used up or it is stopped.
  void Play();
  // Exit: whatever plays ends at its next check.
  void Shutdown();

  bool Playing() const;
  bool Paused() const;

 private:
  enum class State { Idle, Running, Paused };
  struct HeldKey {
    std::uint8_t KeyCode;
    std::uint32_t RepressDelayMs;
  };

  bool Stopping() const { return m_stop.load(); }
  void RequestStop();
  // Waits the delay unless a stop comes first; false when stopped.
  bool Wait(std::uint32_t ms);
  // false when the pass was cut short by a stop.
  bool PlayPass(int start, int end);
  void PlayEvent(const MacroEvent& event);
  bool Press(std::uint8_t keyCode);
  void Release(std::uint8_t keyCode);
  bool Inject(std::uint8_t keyCode, bool up);
  // Releases what the macro holds, most recent first; returns it in press order for a resume.
  std::vector<HeldKey> ReleaseHeld();

  IInputInjector& m_injector;
  IPlaybackTimer& m_timer;
  const settings::IKeyboardLayout& m_layout;
  LogFn m_log;

  mutable std::mutex m_lock;
  State m_state = State::Idle;
  bool m_pauseRequested = false;
  bool m_resumePending = false;  // resume pressed before the pause had settled
  std::atomic<bool> m_stop{false};

  // Written by the window thread only while the state is not Running; read by the player.
  std::array<MacroEvent, settings::kMaxMacroEvents> m_events{};
  int m_length = 0;
  std::int32_t m_repeatRemaining = 1;
  int m_position = 0;
  std::vector<HeldKey> m_resumeKeys;  // pressed again, in this order, before a resume goes on

  // Player thread only.
  std::vector<std::uint8_t> m_held;
  std::uint32_t m_typematicRest = 0;
  std::uint64_t m_scheduleUs = 0;  // when the delay being waited ends on the recorded schedule
};

}  // namespace karvo::monitor
