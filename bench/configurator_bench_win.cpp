// The configurator measured from outside, side by side in one run: its start to the main
// window painted and answering against a minimal dialog that decodes the same five images,
// the idle working set of both, and the synchronous part of Apply with five full profiles
// (Apply pressed to OK and Apply enabled again; the device transfer runs later in the
// monitor). Runs from a private copy of argv[1], $KARVO_DIST or the source tree's dist/.
//   configurator_bench [install dir] [rounds]
#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "monitor/device_reports.h"
#include "platform/suite_names.h"
#include "settings/file_store_win.h"
#include "settings/profile_files.h"
#include "settings/registry_win.h"
#include "skin/skin_layout.h"
#include "skin/window_layouts.h"
#include "tests/e2e/transfer_suite_win.h"
#include "tests/e2e/window_driver_win.h"
#include "tests/support/child_process_win.h"
#include "tests/support/pump_win.h"

namespace {

using namespace karvo;

constexpr DWORD kTimeoutMs = 60000;
constexpr int kDefaultRounds = 10;
constexpr char kMinimalTitle[] = "Minimal skinned dialog";

double NowMs() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER now{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

// Shown, answering, and with nothing left to paint.
bool Ready(HWND window) {
  DWORD_PTR answer = 0;
  return window && ::IsWindowVisible(window) &&
         ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer) &&
         !::GetUpdateRect(window, nullptr, FALSE);
}

struct StartRun {
  double ms = -1;
  SIZE_T workingSet = 0;
};

// Starts a program, times it to its window ready, lets it idle, reads its working set and
// closes it.
StartRun TimeStart(const std::string& program, const std::string& dir, const char* title) {
  StartRun run;
  const double start = NowMs();
  karvo::testing::ChildProcess child(program, {}, dir);
  if (!child.Started()) return run;
  HWND window = nullptr;
  if (!karvo::testing::WaitFor([&] { return Ready(window = ::FindWindowA(nullptr, title)); },
                               kTimeoutMs))
    return run;
  run.ms = NowMs() - start;
  ::Sleep(1000);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (::GetProcessMemoryInfo(child.Process.Get(), &memory, sizeof memory))
    run.workingSet = memory.WorkingSetSize;
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  child.WaitExit(kTimeoutMs);
  return run;
}

// Every button of every slot carries a 500-event macro, so each profile file is as large as
// it gets.
void WriteFullProfiles(const e2e::InstallDir& dir) {
  settings::WinFileStore store;
  settings::WinRegistry registry;
  settings::SettingsFiles files(store, registry, dir.Path());
  ::CreateDirectoryA(dir.File("config").c_str(), nullptr);
  auto image = e2e::NewImage();
  for (int slot = 0; slot < settings::kProfileCount; ++slot) {
    settings::ProfileSettings& profile = image->Profiles[slot];
    settings::SetProfileDefaults(&profile, slot);
    std::snprintf(profile.GameFile, sizeof profile.GameFile, "C:\\Games\\game%d.exe", slot);
    for (int n = 0; n < settings::kButtonRecordCount; ++n) {
      settings::MacroKeyInfo& record = profile.MacroKeys[n];
      record.FunctionCode = 16;
      std::snprintf(record.Name, sizeof record.Name, "Macro %d-%d", slot, n);
      record.EventCount = settings::kMaxMacroEvents;
      for (int e = 0; e < settings::kMaxMacroEvents; ++e) {
        record.Data[e * 4] = static_cast<std::uint8_t>(4 + e % 26);
        record.Data[e * 4 + 1] = static_cast<std::uint8_t>(1 + e % 2);
        record.Data[e * 4 + 2] = 10;
      }
    }
    (void)files.SaveProfileFile(&profile, files.ProfilePath(slot));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* env = std::getenv("KARVO_DIST");
  std::string dist = argc > 1 ? argv[1] : (env && *env ? env : KARVO_DEFAULT_DIST);
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultRounds;
  if (dist[0] == '/') dist = "Z:" + dist;
  std::replace(dist.begin(), dist.end(), '/', '\\');
  if (dist.back() != '\\') dist += '\\';
  e2e::InstallDir dir(dist);
  if (!dir.Ok()) {
    std::fprintf(stderr, "configurator bench: no install directory copy of %s\n", dist.c_str());
    return 1;
  }
  WriteFullProfiles(dir);
  const std::string configurator = dir.File(platform::kConfiguratorExe);

  std::vector<double> minimalMs, configuratorMs;
  SIZE_T minimalSet = 0, configuratorSet = 0;
  for (int round = 0; round < rounds; ++round) {
    const StartRun minimal = TimeStart(KARVO_MINIMAL_DIALOG_EXE, dir.Path(), kMinimalTitle);
    const StartRun ours = TimeStart(configurator, dir.Path(), platform::kConfiguratorTitle);
    if (minimal.ms < 0 || ours.ms < 0) {
      std::fprintf(stderr, "configurator bench: a window did not come up\n");
      return 1;
    }
    minimalMs.push_back(minimal.ms);
    configuratorMs.push_back(ours.ms);
    minimalSet = std::max(minimalSet, minimal.workingSet);
    configuratorSet = std::max(configuratorSet, ours.workingSet);
  }
  const double startRatio = Median(configuratorMs) / Median(minimalMs);
  std::printf("start to the main window painted and answering, %d rounds (ms)\n", rounds);
  std::printf("  minimal dialog  min %7.1f median %7.1f\n",
              *std::min_element(minimalMs.begin(), minimalMs.end()), Median(minimalMs));
  std::printf(
      "  configurator    min %7.1f median %7.1f   ratio of medians %.2f (goal at most 1.5)\n",
      *std::min_element(configuratorMs.begin(), configuratorMs.end()), Median(configuratorMs),
      startRatio);
  std::printf("idle working set, largest of %d (KiB)\n", rounds);
  std::printf(
      "  minimal dialog %8lu   configurator %8lu   ratio %.2f\n",
      static_cast<unsigned long>(minimalSet / 1024),
      static_cast<unsigned long>(configuratorSet / 1024),
      static_cast<double>(configuratorSet) / static_cast<double>(std::max<SIZE_T>(minimalSet, 1)));

  // Apply next to the running monitor, five full profiles in the files and the block.
  e2e::MonitorProcess monitor(dir);
  const auto running = monitor::BuildHostControlReport(monitor::kHostRunning);
  if (!monitor.Window() || !e2e::WaitForReport(
                               dir,
                               [&](const e2e::LoggedReport& r) {
                                 return r.isSet && std::equal(running.begin(), running.end(),
                                                              r.bytes.begin(), r.bytes.end());
                               },
                               kTimeoutMs)) {
    std::fprintf(stderr, "configurator bench: the monitor did not start\n");
    return 1;
  }
  karvo::testing::ChildProcess child(configurator, {}, dir.Path());
  HWND window = nullptr;
  if (!karvo::testing::WaitFor(
          [&] { return Ready(window = ::FindWindowA(nullptr, platform::kConfiguratorTitle)); },
          kTimeoutMs)) {
    std::fprintf(stderr, "configurator bench: the configurator did not come up\n");
    return 1;
  }
  HWND apply = e2e::ChildAt(window, e2e::ControlIn(skin::kMainWindowControls, "Apply"));
  HWND ok = e2e::ChildAt(window, e2e::ControlIn(skin::kMainWindowControls, "OK"));
  // The library file the apply rewrites tells that a click reached Apply at all.
  const std::string library = dir.File("config\\sequence.dat");
  ::DeleteFileA(library.c_str());
  std::vector<double> applyMs;
  for (int round = 0; round < 2 * rounds; ++round) {
    const double start = NowMs();
    ::SendMessageW(apply, BM_CLICK, 0, 0);
    if (!::IsWindowEnabled(ok) || !::IsWindowEnabled(apply)) {
      std::fprintf(stderr, "configurator bench: OK and Apply not enabled after the apply\n");
      return 1;
    }
    applyMs.push_back(NowMs() - start);
    if (::GetFileAttributesA(library.c_str()) == INVALID_FILE_ATTRIBUTES) {
      std::fprintf(stderr, "configurator bench: the click did not apply\n");
      return 1;
    }
    ::Sleep(200);
  }
  std::sort(applyMs.begin(), applyMs.end());
  std::printf("apply with five full profiles, synchronous part, %d rounds (ms)\n", 2 * rounds);
  std::printf("  min %8.1f   median %8.1f   max %8.1f   (goal under 30)\n", applyMs.front(),
              Median(applyMs), applyMs.back());
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  child.WaitExit(kTimeoutMs);
  monitor.PostClose();
  monitor.WaitExit(kTimeoutMs);
  return 0;
}
