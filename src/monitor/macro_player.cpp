#include "monitor/macro_player.h"

#include <algorithm>
#include <cstdio>

#include "monitor/key_combination.h"

namespace karvo::monitor {

namespace {

constexpr std::uint8_t kFirstMouseCode = 0xF0;
constexpr std::uint8_t kLastMouseCode = 0xF4;

bool IsMouseCode(std::uint8_t keyCode) {
  return keyCode >= kFirstMouseCode && keyCode <= kLastMouseCode;
}

MouseButton MouseButtonOf(std::uint8_t keyCode) {
  switch (keyCode) {
    case 0xF0:
      return MouseButton::Left;
    case 0xF1:
      return MouseButton::Right;
    case 0xF2:
      return MouseButton::Middle;
    case 0xF3:
      return MouseButton::Extra2;
    default:
      return MouseButton::Extra1;
  }
}
}  // namespace

std::vector<MacroEvent> DecodeMacroEvents(const settings::MacroKeyInfo& record) {
  int count = std::min<int>(record.EventCount, settings::kMaxMacroEvents);
  std::vector<MacroEvent> events(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* e = record.Data + 4 * i;
    events[static_cast<std::size_t>(i)] = {e[0], e[1],
                                           static_cast<std::uint16_t>(e[2] | (e[3] << 8))};
  }
  return events;
}

MacroPlayer::MacroPlayer(IInputInjector& injector, IPlaybackTimer& timer,
                         const settings::IKeyboardLayout& layout, LogFn log)
    : m_injector(injector), m_timer(timer), m_layout(layout), m_log(std::move(log)) {}

MacroPlayer::ArmResult MacroPlayer::Arm(const settings::MacroKeyInfo& record) {
  if (record.FunctionCode != kFunctionMacro || record.EventCount == 0) return ArmResult::Ignored;
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_state == State::Running) {
    m_pauseRequested = false;
    m_resumePending = false;
    RequestStop();
    return ArmResult::StopRequested;
  }
  std::vector<MacroEvent> events = DecodeMacroEvents(record);
  std::copy(events.begin(), events.end(), m_events.begin());
  m_length = static_cast<int>(events.size());
  // 0 is what a macro whose loop option was never set carries: it plays once.
  m_repeatRemaining = record.RepeatCount == 0 ? 1 : record.RepeatCount;
  m_position = 0;
  m_resumeKeys.clear();
  m_pauseRequested = false;
  m_resumePending = false;
  m_stop = false;
  m_timer.Reset();
  m_state = State::Running;
  return ArmResult::Start;
}

void MacroPlayer::StartFailed() {
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_state == State::Running) m_state = State::Idle;
}

void MacroPlayer::Stop() {
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_state == State::Running) {
    m_pauseRequested = false;
    m_resumePending = false;
    RequestStop();
  } else if (m_state == State::Paused) {
    m_state = State::Idle;
    m_resumeKeys.clear();
  }
}

bool MacroPlayer::PauseResume() {
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_state == State::Paused) {
    m_stop = false;
    m_timer.Reset();
    m_state = State::Running;
    return true;
  }
  if (m_state != State::Running) return false;
  if (m_pauseRequested) {
    // The player has not settled the pause yet; it goes on by itself once it has.
    m_resumePending = !m_resumePending;
  } else if (!m_stop) {
    m_pauseRequested = true;
    RequestStop();
  }
  return false;
}

void MacroPlayer::Shutdown() {
  std::lock_guard<std::mutex> guard(m_lock);
  m_pauseRequested = false;
  m_resumePending = false;
  RequestStop();
  if (m_state == State::Paused) m_state = State::Idle;
  m_resumeKeys.clear();
}

bool MacroPlayer::Playing() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_state == State::Running;
}

bool MacroPlayer::Paused() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_state == State::Paused || m_pauseRequested;
}

void MacroPlayer::RequestStop() {
  m_stop = true;
  m_timer.Signal();
}

bool MacroPlayer::Wait(std::uint32_t ms) {
  if (Stopping()) return false;
  // Delays run from the end of the previous one, so the time an injection takes does not add
  // up over the events; an event that came late is made up for a little at each later one.
  const std::uint64_t now = m_timer.NowUs();
  const std::uint64_t delayUs = std::uint64_t{ms} * 1000;
  if (m_scheduleUs + kResyncUs < now) m_scheduleUs = now;
  m_scheduleUs += delayUs;
  const std::uint64_t dueUs = std::max(m_scheduleUs, now + delayUs - std::min(delayUs, kCatchUpUs));
  return !m_timer.WaitUntilUnlessSignalled(dueUs) && !Stopping();
}

void MacroPlayer::Play() {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_state != State::Running) return;  // a stale 1648
  }
  for (;;) {
    m_scheduleUs = m_timer.NowUs();
    std::vector<HeldKey> again;
    {
      std::lock_guard<std::mutex> guard(m_lock);
      again.swap(m_resumeKeys);
    }
    bool stopped = false;
    for (const HeldKey& key : again) {
      if (Stopping()) {
        stopped = true;
        break;
      }
      Press(key.KeyCode);
      if (!Wait(key.RepressDelayMs)) {
        stopped = true;
        break;
      }
    }
    // A stop ends the playing outright, whatever number of repeats remains; a pause keeps the
    // position and the interrupted pass still counts as unfinished.
    while (!stopped && m_repeatRemaining != 0) {
      if (!PlayPass(m_position, m_length)) {
        stopped = true;
        break;
      }
      if (m_repeatRemaining > 0) --m_repeatRemaining;
      m_position = 0;
    }
    // Also after a natural end: a recording cut off before a release would otherwise leave its
    // key held down for the user.
    std::vector<HeldKey> released = ReleaseHeld();
    std::lock_guard<std::mutex> guard(m_lock);
    if (stopped && m_pauseRequested) {
      m_resumeKeys = std::move(released);
      m_pauseRequested = false;
      if (m_resumePending) {
        m_resumePending = false;
        m_stop = false;
        m_timer.Reset();
        continue;
      }
      m_state = State::Paused;
    } else {
      m_state = State::Idle;
    }
    return;
  }
}

bool MacroPlayer::PlayPass(int start, int end) {
  int i = start;
  for (; i < end; ++i) {
    m_position = i;
    if (Stopping()) break;
    PlayEvent(m_events[static_cast<std::size_t>(i)]);
  }
  if (i == end) m_position = end;
  if (m_log) {
    char line[80];
    std::snprintf(line, sizeof line, "g_iCurAction= %d,start=%d,end=%d\n", m_position, start, end);
    m_log(line);
  }
  return i == end && !Stopping();
}

void MacroPlayer::PlayEvent(const MacroEvent& event) {
  m_typematicRest = 0;
  std::uint32_t delay = event.DelayMs == 0 ? 1 : event.DelayMs;
  if (event.Action == kMacroRelease) {
    Release(event.KeyCode);
    Wait(delay);
    return;
  }
  if (event.Action != kMacroPress) {
    Wait(delay);
    return;
  }
  bool injected = Press(event.KeyCode);
  if (!injected || IsMouseCode(event.KeyCode) || delay <= kTypematicDelayMs) {
    Wait(delay);
    return;
  }
  std::uint32_t remaining = delay - kTypematicDelayMs;
  if (!Wait(kTypematicDelayMs)) {
    m_typematicRest = remaining;
    return;
  }
  while (remaining >= kTypematicPeriodMs) {
    if (!Wait(kTypematicPeriodMs)) {
      m_typematicRest = remaining;
      return;
    }
    remaining -= kTypematicPeriodMs;
    Inject(event.KeyCode, true);
    Inject(event.KeyCode, false);
  }
  if (remaining != 0 && !Wait(remaining)) m_typematicRest = remaining;
}

bool MacroPlayer::Press(std::uint8_t keyCode) {
  if (!Inject(keyCode, false)) return false;
  m_held.push_back(keyCode);
  return true;
}

void MacroPlayer::Release(std::uint8_t keyCode) {
  Inject(keyCode, true);
  auto it = std::find(m_held.rbegin(), m_held.rend(), keyCode);
  if (it != m_held.rend()) m_held.erase(std::next(it).base());
}

bool MacroPlayer::Inject(std::uint8_t keyCode, bool up) {
  if (IsMouseCode(keyCode)) {
    m_injector.Mouse(MouseButtonOf(keyCode), up);
    return true;
  }
  int virtualKey = PlaybackVirtualKey(m_layout, keyCode);
  if (virtualKey == 0) return false;
  m_injector.Key(virtualKey, m_layout.VirtualKeyToScanCode(virtualKey), up, false);
  return true;
}

std::vector<MacroPlayer::HeldKey> MacroPlayer::ReleaseHeld() {
  std::vector<HeldKey> released;
  bool mostRecent = true;
  while (!m_held.empty()) {
    std::uint8_t keyCode = m_held.back();
    m_held.pop_back();
    if (m_log) {
      char line[64];
      std::snprintf(line, sizeof line, "g_iCurAction= %d,Map=%x\n", m_position, keyCode);
      m_log(line);
    }
    std::uint32_t delay = mostRecent && m_typematicRest != 0 ? m_typematicRest : kReleaseGapMs;
    released.insert(released.begin(), HeldKey{keyCode, delay});
    mostRecent = false;
    Inject(keyCode, true);
    m_timer.Sleep(kReleaseGapMs);
  }
  m_typematicRest = 0;
  return released;
}

}  // namespace karvo::monitor
