#pragma once
// Macros played by the real monitor and timed by a low-level keyboard hook: the events put on
// mouse buttons through the shared block and an apply, a button pressed with mousectl, and
// each interval between two injected keys against the pause stored before it. Shared by the
// benchmarks that measure playback.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/events_hook_win.h"
#include "tests/e2e/transfer_suite_win.h"

namespace karvo::bench {

struct Percentiles {
  double Median;
  double P99;
  double Max;
};
// samples must not be empty.
Percentiles Summarise(std::vector<double> samples);

// One macro event as a button record holds it.
struct TimedEvent {
  std::uint8_t Key;   // key code
  std::uint8_t Kind;  // 1 press, 2 release
  std::uint16_t Pause;
};

struct MacroButton {
  int Record;  // 0..13 of every slot
  std::vector<TimedEvent> Events;
};

// Puts each macro (played once) on its record in every slot and applies them; true once the
// monitor has said the upload ended.
bool ApplyMacroButtons(HWND monitor, e2e::FakeConfigurator& configurator,
                       const std::vector<MacroButton>& buttons);

// What the hook saw the monitor inject, in order.
std::vector<e2e::HookedKey> InjectedKeys(e2e::KeyboardHook& hook);

struct PlaybackTiming {
  std::vector<double> Errors;      // |played - stored| per interval, ms
  std::vector<double> Shortfalls;  // stored - played
  std::vector<double> Totals;      // first to last key of each play, ms
  double StoredTotal = 0;          // the pauses the totals stand for
};

// Presses `button` `plays` times, each after the one before has ended; the macro's events are
// keyboard keys only, so the hook sees each of them once. False when a play did not come.
bool TimePlayback(const e2e::InstallDir& dir, e2e::KeyboardHook& hook, int button,
                  const std::vector<TimedEvent>& events, int plays, PlaybackTiming& timing);

// The install directory a benchmark runs from: argv[1], $KARVO_DIST or the checkout's dist
// directory beside the build directory it lies in; with a trailing backslash.
std::optional<std::string> BenchDist(int argc, char** argv);

}  // namespace karvo::bench
