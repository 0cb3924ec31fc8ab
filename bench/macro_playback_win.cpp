#include "bench/macro_playback_win.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace karvo::bench {
namespace {

constexpr DWORD kTimeoutMs = 60000;
constexpr DWORD kBetweenPlaysMs = 1000;

void SetEvent(std::uint8_t* data, std::size_t i, const TimedEvent& event) {
  data[4 * i] = event.Key;
  data[4 * i + 1] = event.Kind;
  data[4 * i + 2] = static_cast<std::uint8_t>(event.Pause & 0xFF);
  data[4 * i + 3] = static_cast<std::uint8_t>(event.Pause >> 8);
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
  if (::GetFileAttributesA((dist + e2e::kMonitorExe).c_str()) == INVALID_FILE_ATTRIBUTES)
    return std::nullopt;
  return dist;
}

}  // namespace

Percentiles Summarise(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  auto at = [&](double q) {
    std::size_t i = static_cast<std::size_t>(q * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(i, samples.size() - 1)];
  };
  return {at(0.5), at(0.99), samples.back()};
}

bool ApplyMacroButtons(HWND monitor, e2e::FakeConfigurator& configurator,
                       const std::vector<MacroButton>& buttons) {
  e2e::SharedBlockClient block;
  auto image = e2e::NewImage();
  if (!block.Ok() || !block.Read(*image)) return false;
  for (int slot = 0; slot < settings::kProfileCount; ++slot) {
    auto& profile = image->Profiles[slot];
    profile.HDDKeyboard = 1;
    for (const MacroButton& button : buttons) {
      auto& record = profile.MacroKeys[button.Record];
      record.FunctionCode = 16;
      std::memset(record.Data, 0, sizeof record.Data);
      const std::size_t count =
          std::min<std::size_t>(button.Events.size(), settings::kMaxMacroEvents);
      for (std::size_t i = 0; i < count; ++i) SetEvent(record.Data, i, button.Events[i]);
      record.EventCount = static_cast<std::uint16_t>(count);
      record.RepeatCount = 1;
    }
    for (int r = 0; r < settings::kButtonRecordCount; ++r) image->ButtonChanged[slot][r] = 1;
  }
  if (!block.Write(*image)) return false;
  const int before = configurator.Count(e2e::kMsgApplyFinished);
  if (!::PostMessageA(monitor, e2e::kMsgApply, 0, 0)) return false;
  return configurator.WaitFor(e2e::kMsgApplyFinished, before + 1, kTimeoutMs);
}

std::vector<e2e::HookedKey> InjectedKeys(e2e::KeyboardHook& hook) {
  std::vector<e2e::HookedKey> keys = hook.Keys();
  keys.erase(
      std::remove_if(keys.begin(), keys.end(), [](const e2e::HookedKey& k) { return !k.Injected; }),
      keys.end());
  return keys;
}

bool TimePlayback(const e2e::InstallDir& dir, e2e::KeyboardHook& hook, int button,
                  const std::vector<TimedEvent>& events, int plays, PlaybackTiming& timing) {
  timing.StoredTotal = 0;
  for (std::size_t i = 0; i + 1 < events.size(); ++i) timing.StoredTotal += events[i].Pause;
  for (int play = 0; play < plays; ++play) {
    // A press while the macro still plays its last pause would stop it instead.
    if (play > 0) ::Sleep(kBetweenPlaysMs);
    hook.Clear();
    if (e2e::Mousectl(dir, "click " + std::to_string(button)).exitCode != 0 ||
        !hook.WaitForCount(events.size(), kTimeoutMs)) {
      return false;
    }
    // A pause is the interval between two injected keys.
    const std::vector<e2e::HookedKey> keys = InjectedKeys(hook);
    for (std::size_t i = 0; i + 1 < keys.size() && i + 1 < events.size(); ++i) {
      const double played = static_cast<double>(keys[i + 1].AtUs - keys[i].AtUs) / 1000.0;
      timing.Errors.push_back(std::abs(played - events[i].Pause));
      timing.Shortfalls.push_back(events[i].Pause - played);
    }
    if (keys.size() >= events.size()) {
      timing.Totals.push_back(static_cast<double>(keys[events.size() - 1].AtUs - keys[0].AtUs) /
                              1000.0);
    }
  }
  return true;
}

std::optional<std::string> BenchDist(int argc, char** argv) {
  if (argc > 1) {
    std::string dist = argv[1];
    if (!dist.empty() && dist.back() != '\\') dist += '\\';
    return dist;
  }
  if (auto fromEnvironment = e2e::DistDirectory()) return fromEnvironment;
  return DistBesideBuild();
}

}  // namespace karvo::bench
