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
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/events_hook_win.h"
#include "tests/e2e/transfer_suite_win.h"

namespace {

using karvo::e2e::FakeConfigurator;
using karvo::e2e::HookedKey;
using karvo::e2e::InstallDir;
using karvo::e2e::KeyboardHook;
using karvo::e2e::MonitorProcess;
using karvo::e2e::SharedBlockClient;

constexpr DWORD kTimeoutMs = 60000;
constexpr int kDefaultPresses = 200;
constexpr int kTimedEvents = 100;
constexpr int kTimedPlays = 3;
constexpr DWORD kBetweenPlaysMs = 1000;
constexpr int kQuickButton = 3;  // record 2
constexpr int kTimedButton = 4;  // record 3

struct Percentiles {
  double Median;
  double P99;
  double Max;
};

Percentiles Summarise(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  auto at = [&](double q) {
    std::size_t i = static_cast<std::size_t>(q * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(i, samples.size() - 1)];
  };
  return {at(0.5), at(0.99), samples.back()};
}

void SetEvent(std::uint8_t* data, int i, std::uint8_t key, std::uint8_t action,
              std::uint16_t delay) {
  data[4 * i] = key;
  data[4 * i + 1] = action;
  data[4 * i + 2] = static_cast<std::uint8_t>(delay & 0xFF);
  data[4 * i + 3] = static_cast<std::uint8_t>(delay >> 8);
}

// Delays 1..200 ms from a fixed sequence, on keys A..J pressed and released in turn.
std::vector<std::uint16_t> TimedDelays() {
  std::vector<std::uint16_t> delays;
  std::uint32_t x = 12345;
  for (int i = 0; i < kTimedEvents; ++i) {
    x = x * 1103515245u + 12345u;
    delays.push_back(static_cast<std::uint16_t>(1 + (x >> 16) % 200));
  }
  return delays;
}

bool Configure(HWND monitor, FakeConfigurator& configurator,
               const std::vector<std::uint16_t>& delays) {
  SharedBlockClient block;
  auto image = karvo::e2e::NewImage();
  if (!block.Ok() || !block.Read(*image)) return false;
  for (int slot = 0; slot < karvo::settings::kProfileCount; ++slot) {
    auto& p = image->Profiles[slot];
    p.HDDKeyboard = 1;
    auto& quick = p.MacroKeys[2];
    quick.FunctionCode = 16;
    std::memset(quick.Data, 0, sizeof quick.Data);
    SetEvent(quick.Data, 0, 0x04, 1, 1);
    SetEvent(quick.Data, 1, 0x04, 2, 1);
    quick.EventCount = 2;
    quick.RepeatCount = 1;
    auto& timed = p.MacroKeys[3];
    timed.FunctionCode = 16;
    std::memset(timed.Data, 0, sizeof timed.Data);
    for (int i = 0; i < kTimedEvents; ++i) {
      SetEvent(timed.Data, i, static_cast<std::uint8_t>(0x04 + (i / 2) % 10),
               static_cast<std::uint8_t>(i % 2 == 0 ? 1 : 2), delays[static_cast<std::size_t>(i)]);
    }
    timed.EventCount = kTimedEvents;
    timed.RepeatCount = 1;
    for (int r = 0; r < karvo::settings::kButtonRecordCount; ++r) image->ButtonChanged[slot][r] = 1;
  }
  if (!block.Write(*image)) return false;
  const int before = configurator.Count(karvo::e2e::kMsgApplyFinished);
  if (!::PostMessageA(monitor, karvo::e2e::kMsgApply, 0, 0)) return false;
  return configurator.WaitFor(karvo::e2e::kMsgApplyFinished, before + 1, kTimeoutMs);
}

std::vector<HookedKey> Injected(KeyboardHook& hook) {
  std::vector<HookedKey> keys = hook.Keys();
  keys.erase(
      std::remove_if(keys.begin(), keys.end(), [](const HookedKey& k) { return !k.Injected; }),
      keys.end());
  return keys;
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
  const std::vector<std::uint16_t> delays = TimedDelays();
  if (!Configure(window, configurator, delays)) {
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
    std::vector<HookedKey> keys = Injected(hook);
    if (keys.empty()) continue;
    latencies.push_back(static_cast<double>(keys.front().AtUs - start) / 1000.0);
  }

  // The timed macro three times: a pause is the interval between two injected keys, so each
  // interval is compared with its recorded delay, and the whole run with the sum of them.
  std::vector<double> errors;
  std::vector<double> shortfalls;
  std::vector<double> totals;
  double recordedTotal = 0;
  for (std::size_t i = 0; i + 1 < delays.size(); ++i) recordedTotal += delays[i];
  for (int play = 0; play < kTimedPlays; ++play) {
    // A press while the macro still plays its last delay would stop it instead.
    if (play > 0) ::Sleep(kBetweenPlaysMs);
    hook.Clear();
    if (karvo::e2e::Mousectl(dir, "click " + std::to_string(kTimedButton)).exitCode != 0 ||
        !hook.WaitForCount(kTimedEvents, kTimeoutMs)) {
      std::fprintf(stderr, "events bench: the timed macro did not play\n");
      return 1;
    }
    std::vector<HookedKey> keys = Injected(hook);
    for (std::size_t i = 0; i + 1 < keys.size() && i + 1 < delays.size(); ++i) {
      double played = static_cast<double>(keys[i + 1].AtUs - keys[i].AtUs) / 1000.0;
      errors.push_back(std::abs(played - delays[i]));
      shortfalls.push_back(delays[i] - played);
    }
    if (keys.size() >= delays.size()) {
      totals.push_back(static_cast<double>(keys[delays.size() - 1].AtUs - keys[0].AtUs) / 1000.0);
    }
  }
  monitor.PostClose();
  monitor.WaitExit(kTimeoutMs);

  Percentiles latency = Summarise(latencies);
  Percentiles error = Summarise(errors);
  Percentiles shortfall = Summarise(shortfalls);
  std::printf("%-44s %10s %10s %10s\n", "", "median ms", "p99 ms", "max ms");
  std::printf("%-44s %10.2f %10.2f %10.2f\n", "mousectl click to first injected key",
              latency.Median, latency.P99, latency.Max);
  std::printf("%-44s %10.2f %10.2f %10.2f\n", "macro interval error (|played - recorded|)",
              error.Median, error.P99, error.Max);
  std::printf("%-44s %10.2f %10.2f %10.2f\n", "macro interval shortfall (recorded - played)",
              shortfall.Median, shortfall.P99, shortfall.Max);
  for (double total : totals) {
    std::printf("macro length %.1f ms against %.0f ms of recorded pauses (%+.1f ms)\n", total,
                recordedTotal, total - recordedTotal);
  }
  std::printf("(%zu presses, %zu macro intervals in %d plays)\n", latencies.size(), errors.size(),
              kTimedPlays);
  return 0;
}

// <checkout>\dist\ for a program in <checkout>\<build>\win\bench, as `make bench` lays them out.
std::optional<std::string> DistBesideBuild() {
  char path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  std::string dir(path, length);
  for (int up = 0; up < 4; ++up) {
    std::size_t cut = dir.find_last_of('\\');
    if (cut == std::string::npos) return std::nullopt;
    dir.resize(cut);
  }
  std::string dist = dir + "\\dist\\";
  if (::GetFileAttributesA((dist + karvo::e2e::kMonitorExe).c_str()) == INVALID_FILE_ATTRIBUTES)
    return std::nullopt;
  return dist;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dist;
  if (argc > 1) {
    dist = argv[1];
    if (!dist.empty() && dist.back() != '\\') dist += '\\';
  } else if (auto fromEnvironment = karvo::e2e::DistDirectory()) {
    dist = *fromEnvironment;
  } else if (auto beside = DistBesideBuild()) {
    dist = *beside;
  } else {
    std::fprintf(stderr, "usage: events_bench [install dir] [presses] (or set KARVO_DIST)\n");
    return 2;
  }
  int presses = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 10000) : kDefaultPresses;
  return Run(dist, presses);
}
