// How long an apply takes, from the configurator's 1224 to the monitor's 1256, with the virtual
// mouse acknowledging every report at once, set against the waits the acknowledgement schedule
// cannot avoid. Runs the installed monitor from a private copy of argv[1], $KARVO_DIST or the
// dist/ directory of the source tree.
//   transfer_apply_bench [install dir] [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_clock_win.h"
#include "tests/e2e/transfer_suite_win.h"

namespace {

using karvo::e2e::FakeConfigurator;
using karvo::e2e::InstallDir;
using karvo::e2e::MonitorProcess;
using karvo::e2e::SharedBlockClient;
using karvo::settings::SettingsImage;

constexpr DWORD kTimeoutMs = 60000;
constexpr int kDefaultRounds = 10;
constexpr int kSlot = 1;

// The waits an upload must make when every acknowledgement arrives at the first poll: each
// report's first delay and the 100 ms pause after it, then the closing 100 ms.
constexpr double kPauseMs = 100;
constexpr double kSensorMinimumMs = (500 + kPauseMs) + kPauseMs;
constexpr double kProfileMinimumMs =
    (100 + kPauseMs) + (500 + kPauseMs) + (500 + kPauseMs) + kPauseMs;

struct Scenario {
  const char* name;
  double minimumMs;
  std::function<void(SettingsImage&, int round)> change;
};

void ClearFlags(SettingsImage& image) {
  image.ProfileChanged = 0;
  for (int i = 0; i < karvo::settings::kProfileCount; ++i) {
    image.LevelChanged[i] = 0;
    image.SensorChanged[i] = 0;
    std::fill(std::begin(image.ButtonChanged[i]), std::end(image.ButtonChanged[i]), 0);
  }
}

using karvo::bench::NowMs;

// One apply: the block written as the configurator writes it, 1224 posted, 1256 awaited.
bool TimeApply(FakeConfigurator& configurator, HWND monitor, const Scenario& scenario, int round,
               double& elapsedMs) {
  SharedBlockClient block;
  auto image = karvo::e2e::NewImage();
  if (!block.Ok() || !block.Read(*image)) return false;
  ClearFlags(*image);
  scenario.change(*image, round);
  if (!block.Write(*image)) return false;
  const int answered = configurator.Count(karvo::e2e::kMsgApplyFinished);
  const double start = NowMs();
  if (!::PostMessageA(monitor, karvo::e2e::kMsgApply, 0, 0)) return false;
  if (!configurator.WaitFor(karvo::e2e::kMsgApplyFinished, answered + 1, kTimeoutMs)) return false;
  elapsedMs = NowMs() - start;
  return true;
}

int Run(const std::string& dist, int rounds) {
  InstallDir dir(dist);
  FakeConfigurator configurator;
  if (!dir.Ok() || !configurator.Ok()) {
    std::fprintf(stderr, "transfer bench: no install directory copy of %s\n", dist.c_str());
    return 1;
  }
  MonitorProcess process(dir);
  HWND monitor = process.Started() ? process.Window() : nullptr;
  if (!monitor || !configurator.WaitFor(karvo::e2e::kMsgReadBackDone, 1, kTimeoutMs)) {
    std::fprintf(stderr, "transfer bench: the monitor did not start and read the mouse back\n");
    return 1;
  }
  // Let the host-control report after the read-back finish before the first apply.
  configurator.Pump(1000);

  const std::vector<Scenario> scenarios = {
      {"one sensor setting", kSensorMinimumMs,
       [](SettingsImage& image, int round) {
         image.Profiles[kSlot].XSensitivity = 20 + round % 2;
         image.SensorChanged[kSlot] = 1;
       }},
      {"whole reloaded profile", kProfileMinimumMs,
       [](SettingsImage& image, int round) {
         auto& profile = image.Profiles[kSlot];
         profile.XSensitivity = 20 + round % 2;
         profile.LevelSetting = 5 + round % 2;
         profile.HDDKeyboard = 1;
         image.LevelChanged[kSlot] = 1;
         image.SensorChanged[kSlot] = 1;
         std::fill(std::begin(image.ButtonChanged[kSlot]), std::end(image.ButtonChanged[kSlot]), 1);
       }},
  };

  std::printf("apply request (1224) to apply finished (1256), %d rounds each\n", rounds);
  std::printf("%-24s %10s %10s %10s %10s %10s\n", "upload", "min ms", "median ms", "max ms",
              "floor ms", "overhead");
  for (const Scenario& scenario : scenarios) {
    std::vector<double> samples;
    for (int round = 0; round < rounds; ++round) {
      double elapsed = 0;
      if (!TimeApply(configurator, monitor, scenario, round, elapsed)) {
        std::fprintf(stderr, "transfer bench: apply '%s' got no answer\n", scenario.name);
        return 1;
      }
      samples.push_back(elapsed);
    }
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    std::printf("%-24s %10.1f %10.1f %10.1f %10.0f %9.1f%%\n", scenario.name, samples.front(),
                median, samples.back(), scenario.minimumMs,
                100.0 * (median - scenario.minimumMs) / scenario.minimumMs);
  }
  process.PostClose();
  process.WaitExit(kTimeoutMs);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dist;
  if (argc > 1) {
    dist = argv[1];
    if (!dist.empty() && dist.back() != '\\') dist += '\\';
  } else if (auto fromEnvironment = karvo::e2e::DistDirectory()) {
    dist = *fromEnvironment;
  } else {
    dist = std::string(KARVO_DEFAULT_DIST) + "\\";
  }
  int rounds = kDefaultRounds;
  if (argc > 2) rounds = std::clamp(std::atoi(argv[2]), 1, 1000);
  return Run(dist, rounds);
}
