// How exactly the macro recorder keeps the pauses it is typed, and how exactly the monitor plays
// them back. 100 key events are sent from this process at known intervals (a key held 10 to
// 400 ms, a rest of 10 ms to 2 s after a release, spread evenly on a logarithmic scale from a
// fixed sequence) while the installed configurator's macro manager records with its pause
// toggle on; each stored pause is compared with the interval between the sends. The
// recorded macro is then put on a mouse button and played by the installed monitor, and each
// interval a low-level keyboard hook sees is compared with the stored pause. Runs from a
// private copy of argv[1], $KARVO_DIST or the checkout's dist directory.
//   macro_recording_bench [install dir] [plays]
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/macro_playback_win.h"
#include "editors/macro_manager_model.h"
#include "editors/macro_store.h"
#include "platform/suite_names.h"
#include "settings/file_store_win.h"
#include "tests/e2e/events_hook_win.h"
#include "tests/e2e/macro_manager_driver_win.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/support/child_process_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"

namespace {

using namespace karvo;
using bench::Percentiles;
using bench::TimedEvent;

constexpr DWORD kTimeoutMs = 60000;
constexpr int kEvents = 100;
constexpr int kDefaultPlays = 1;
constexpr int kMacroButton = 4;  // record 3
constexpr double kShortestMs = 10;
constexpr double kLongestHoldMs = 400;
constexpr double kLongestRestMs = 2000;

struct Sent {
  WORD VirtualKey;
  bool Down;
  double IntervalMs;  // until the next event is sent
};

// Keys A..J pressed and released in turn. A press is followed by no more than the player's
// typematic threshold (500 ms), so the hook sees each played event once.
std::vector<Sent> Schedule() {
  std::vector<Sent> sent;
  std::uint32_t x = 2024;
  for (int i = 0; i < kEvents; ++i) {
    x = x * 1103515245u + 12345u;
    const double unit = static_cast<double>((x >> 8) & 0xFFFF) / 65535.0;
    const bool down = i % 2 == 0;
    const double longest = down ? kLongestHoldMs : kLongestRestMs;
    sent.push_back({static_cast<WORD>('A' + (i / 2) % 10), down,
                    kShortestMs * std::pow(longest / kShortestMs, unit)});
  }
  return sent;
}

double NowMs() { return static_cast<double>(e2e::NowUs()) / 1000.0; }

// Sleeps to a millisecond before the deadline and spins the rest, so the sends keep their
// schedule within the clock's resolution.
void WaitUntil(double deadlineMs) {
  for (double left = deadlineMs - NowMs(); left > 1.5; left = deadlineMs - NowMs()) {
    ::Sleep(static_cast<DWORD>(left - 1));
  }
  while (NowMs() < deadlineMs) {
  }
}

bool Fail(const char* what) {
  std::fprintf(stderr, "macro recording bench: %s\n", what);
  return false;
}

// Records the schedule in a new macro "bench" and saves the library; the intervals as measured
// between the sends.
bool Record(const e2e::InstallDir& dir, const std::vector<Sent>& schedule,
            std::vector<double>& measured) {
  karvo::testing::ChildProcess configurator(dir.File(platform::kConfiguratorExe), {}, dir.Path());
  HWND main = e2e::WaitForTitle(platform::kConfiguratorTitle, kTimeoutMs);
  if (!main) return Fail("the configurator did not show");
  ::SetForegroundWindow(main);
  if (!e2e::ClickAt(main, e2e::ControlIn(skin::kMainWindowControls, "Macro Manager"))) {
    return Fail("no click on the macro manager button");
  }
  HWND manager = e2e::WaitForTitle(editors::kMacroManagerTitle, kTimeoutMs);
  if (!manager) return Fail("the macro manager did not show");
  ::SetForegroundWindow(manager);
  HWND names = e2e::ControlAt(manager, e2e::ManagerControl("Macro_List_MacroName"));
  HWND events = e2e::ControlAt(manager, e2e::EditorControl("Action_List_key_sequence"));
  if (!e2e::ClickAt(manager, e2e::ManagerControl("BUTTON_New")) ||
      !karvo::testing::TypeKeys({'B', 'E', 'N', 'C', 'H', VK_RETURN}) ||
      !karvo::testing::WaitFor([&] { return e2e::ListValues(names).size() == 1; }, kTimeoutMs) ||
      !e2e::ClickAt(manager, e2e::EditorControl("Record_Delay_ON_OFF")) ||
      !e2e::ClickAt(manager, e2e::EditorControl("BUTTON_Start_Record")) ||
      !karvo::testing::WaitFor([&] { return !::IsWindowEnabled(names); }, kTimeoutMs)) {
    return Fail("the recording did not start");
  }

  std::vector<double> sentAt;
  double next = NowMs();
  for (const Sent& event : schedule) {
    WaitUntil(next);
    // The system stamps the key as the send begins; the send itself may wait for the
    // recorder's hook.
    const double before = NowMs();
    if (!karvo::testing::HoldKey(event.VirtualKey, event.Down))
      return Fail("SendInput refused a key");
    sentAt.push_back(before);
    next = before + event.IntervalMs;
  }
  for (std::size_t i = 0; i + 1 < sentAt.size(); ++i) measured.push_back(sentAt[i + 1] - sentAt[i]);

  // Every event has its line, and every pause but the last one its own.
  const std::size_t lines = 2 * schedule.size() - 1;
  if (!karvo::testing::WaitFor([&] { return e2e::ListValues(events).size() >= lines; },
                               kTimeoutMs) ||
      !e2e::ClickAt(manager, e2e::EditorControl("BUTTON_Start_Record")) ||
      !karvo::testing::WaitFor([&] { return ::IsWindowEnabled(names) != FALSE; }, kTimeoutMs) ||
      !e2e::ClickAt(manager, e2e::ManagerControl("BUTTON_OK")) ||
      !karvo::testing::WaitFor([&] { return !::IsWindow(manager); }, kTimeoutMs)) {
    return Fail("the recording did not end and save");
  }
  if (!::PostMessageA(main, WM_CLOSE, 0, 0) || !configurator.WaitExit(kTimeoutMs)) {
    return Fail("the configurator did not end");
  }
  return true;
}

void PrintRow(const char* what, const Percentiles& p) {
  std::printf("%-48s %10.2f %10.2f %10.2f\n", what, p.Median, p.P99, p.Max);
}

int Run(const std::string& dist, int plays) {
  e2e::InstallDir dir(dist);
  if (!dir.Ok()) {
    std::fprintf(stderr, "macro recording bench: no copy of %s\n", dist.c_str());
    return 1;
  }
  const std::vector<Sent> schedule = Schedule();
  std::vector<double> measured;
  if (!Record(dir, schedule, measured)) return 1;

  settings::WinFileStore files;
  editors::MacroList library;
  editors::LoadMacros(files, dir.File("config\\sequence.dat"), library);
  if (library.size() != 1 || library[0]->EventCount != kEvents) {
    std::fprintf(stderr, "macro recording bench: the library holds no macro of %d events\n",
                 kEvents);
    return 1;
  }
  const editors::MacroRecord& macro = *library[0];
  std::vector<TimedEvent> recorded;
  std::vector<double> recordError;
  std::vector<double> recordShortfall;
  for (int i = 0; i < kEvents; ++i) {
    const editors::MacroEvent& event = macro.Events[i];
    recorded.push_back({event.KeyCode, event.Kind, event.Pause});
    if (i + 1 < kEvents) {
      recordError.push_back(std::abs(event.Pause - measured[static_cast<std::size_t>(i)]));
      recordShortfall.push_back(measured[static_cast<std::size_t>(i)] - event.Pause);
    }
  }

  e2e::FakeConfigurator configurator;
  e2e::KeyboardHook hook;
  if (!hook.Ok()) {
    std::fprintf(stderr, "macro recording bench: keyboard hook not installed\n");
    return 1;
  }
  e2e::MonitorProcess monitor(dir);
  HWND window = monitor.Started() ? monitor.Window() : nullptr;
  bench::PlaybackTiming timing;
  if (!window || !configurator.WaitFor(e2e::kMsgReadBackDone, 1, kTimeoutMs) ||
      !bench::ApplyMacroButtons(window, configurator, {{kMacroButton - 1, recorded}}) ||
      !bench::TimePlayback(dir, hook, kMacroButton, recorded, plays, timing)) {
    std::fprintf(stderr, "macro recording bench: the recorded macro was not played\n");
    return 1;
  }
  monitor.PostClose();
  monitor.WaitExit(kTimeoutMs);

  std::printf("%-48s %10s %10s %10s\n", "", "median ms", "p99 ms", "max ms");
  PrintRow("recorded pause error (|stored - sent|)", bench::Summarise(recordError));
  PrintRow("recorded pause shortfall (sent - stored)", bench::Summarise(recordShortfall));
  PrintRow("played interval error (|played - stored|)", bench::Summarise(timing.Errors));
  PrintRow("played interval shortfall (stored - played)", bench::Summarise(timing.Shortfalls));
  for (double total : timing.Totals) {
    std::printf("played length %.1f ms against %.0f ms of stored pauses (%+.1f ms)\n", total,
                timing.StoredTotal, total - timing.StoredTotal);
  }
  std::printf("(%zu recorded pauses from %.0f ms to %.0f ms, %zu played intervals in %d plays)\n",
              recordError.size(), *std::min_element(measured.begin(), measured.end()),
              *std::max_element(measured.begin(), measured.end()), timing.Errors.size(), plays);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<std::string> dist = bench::BenchDist(argc, argv);
  if (!dist) {
    std::fprintf(stderr,
                 "usage: macro_recording_bench [install dir] [plays] (or set KARVO_DIST)\n");
    return 2;
  }
  const int plays = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 20) : kDefaultPlays;
  return Run(*dist, plays);
}
