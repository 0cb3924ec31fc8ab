// How quickly and how exactly the monitor's button functions reach the keyboard, seen by a
// low-level hook: (a) from `mousectl click` to the first injected key of a macro button,
// (b) the intervals of a 100-event macro played three times against its recorded delays, and its
// length against the sum of them. Runs the installed monitor from a private copy of argv[1],
// $KARVO_DIST or the checkout's dist directory.
//   events_bench [install dir] [presses]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "bench/macro_playback_win.h"
#include "tests/e2e/events_hook_win.h"
#include "tests/e2e/transfer_suite_win.h"

namespace {

using karvo::bench::MacroButton;
using karvo::bench::Percentiles;
using karvo::bench::Summarise;
using karvo::bench::TimedEvent;
using karvo::e2e::FakeConfigurator;
using karvo::e2e::HookedKey;
using karvo::e2e::InstallDir;
using karvo::e2e::KeyboardHook;
using karvo::e2e::MonitorProcess;

constexpr DWORD kTimeoutMs = 60000;
constexpr int kDefaultPresses = 200;
constexpr int kTimedEvents = 100;
constexpr int kTimedPlays = 3;
constexpr int kQuickButton = 3;  // record 2
constexpr int kTimedButton = 4;  // record 3

// Delays 1..200 ms from a fixed sequence, on keys A..J pressed and released in turn.
std::vector<TimedEvent> TimedEvents() {
  std::vector<TimedEvent> events;
  std::uint32_t x = 12345;
  for (int i = 0; i < kTimedEvents; ++i) {
    x = x * 1103515245u + 12345u;
    events.push_back({static_cast<std::uint8_t>(0x04 + (i / 2) % 10),
                      static_cast<std::uint8_t>(i % 2 == 0 ? 1 : 2),
                      static_cast<std::uint16_t>(1 + (x >> 16) % 200)});
  }
  return events;
}

int Run(const std::string& dist, int presses) {
  InstallDir dir(dist);
  if (!dir.Ok()) {
    std::fprintf(stderr, "events bench: no copy of %s\n", dist.c_str());
    return 1;
  }
  FakeConfigurator configurator;
  KeyboardHook hook;
  if (!hook.Ok()) {
    std::fprintf(stderr, "events bench: keyboard hook not installed\n");
    return 1;
  }
  MonitorProcess monitor(dir);
  HWND window = monitor.Started() ? monitor.Window() : nullptr;
  if (!window || !configurator.WaitFor(karvo::e2e::kMsgReadBackDone, 1, kTimeoutMs)) {
    std::fprintf(stderr, "events bench: the monitor did not start and read the mouse back\n");
    return 1;
  }
  const std::vector<TimedEvent> timed = TimedEvents();
  const std::vector<MacroButton> buttons = {{kQuickButton - 1, {{0x04, 1, 1}, {0x04, 2, 1}}},
                                            {kTimedButton - 1, timed}};
  if (!karvo::bench::ApplyMacroButtons(window, configurator, buttons)) {
    std::fprintf(stderr, "events bench: the button assignments were not applied\n");
    return 1;
  }

  std::vector<double> latencies;
  for (int i = 0; i < presses; ++i) {
    hook.Clear();
    const std::uint64_t start = karvo::e2e::NowUs();
    if (karvo::e2e::Mousectl(dir, "click " + std::to_string(kQuickButton)).exitCode != 0 ||
        !hook.WaitForCount(2, kTimeoutMs)) {
      std::fprintf(stderr, "events bench: press %d brought no key\n", i);
      return 1;
    }
    std::vector<HookedKey> keys = karvo::bench::InjectedKeys(hook);
    if (keys.empty()) continue;
    latencies.push_back(static_cast<double>(keys.front().AtUs - start) / 1000.0);
  }

  // The timed macro three times: a pause is the interval between two injected keys, so each
  // interval is compared with its recorded delay, and the whole run with the sum of them.
  karvo::bench::PlaybackTiming timing;
  if (!karvo::bench::TimePlayback(dir, hook, kTimedButton, timed, kTimedPlays, timing)) {
    std::fprintf(stderr, "events bench: the timed macro did not play\n");
    return 1;
  }
  monitor.PostClose();
  monitor.WaitExit(kTimeoutMs);

  Percentiles latency = Summarise(latencies);
  Percentiles error = Summarise(timing.Errors);
  Percentiles shortfall = Summarise(timing.Shortfalls);
  std::printf("%-44s %10s %10s %10s\n", "", "median ms", "p99 ms", "max ms");
  std::printf("%-44s %10.2f %10.2f %10.2f\n", "mousectl click to first injected key",
              latency.Median, latency.P99, latency.Max);
  std::printf("%-44s %10.2f %10.2f %10.2f\n", "macro interval error (|played - recorded|)",
              error.Median, error.P99, error.Max);
  std::printf("%-44s %10.2f %10.2f %10.2f\n", "macro interval shortfall (recorded - played)",
              shortfall.Median, shortfall.P99, shortfall.Max);
  for (double total : timing.Totals) {
    std::printf("macro length %.1f ms against %.0f ms of recorded pauses (%+.1f ms)\n", total,
                timing.StoredTotal, total - timing.StoredTotal);
  }
  std::printf("(%zu presses, %zu macro intervals in %d plays)\n", latencies.size(),
              timing.Errors.size(), kTimedPlays);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<std::string> dist = karvo::bench::BenchDist(argc, argv);
  if (!dist) {
    std::fprintf(stderr, "usage: events_bench [install dir] [presses] (or set KARVO_DIST)\n");
    return 2;
  }
  int presses = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 10000) : kDefaultPresses;
  return Run(*dist, presses);
}
