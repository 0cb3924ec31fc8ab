// The cost of one game check as the monitor's timer runs it: the foreground program's module
// name and its match against the five slots, with 30 extra processes running.
//   games_check_bench [checks]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "monitor/game_check_win.h"
#include "monitor/game_match.h"
#include "settings/settings_image.h"

namespace {

constexpr int kExtraProcesses = 30;
constexpr int kDefaultChecks = 500;

std::uint64_t NowUs() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    return ::QueryPerformanceFrequency(&f) ? f.QuadPart : 1;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<std::uint64_t>(now.QuadPart / frequency * 1000000 +
                                    now.QuadPart % frequency * 1000000 / frequency);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--idle") == 0) {
    ::Sleep(600000);
    return 0;
  }
  int checks = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 100000) : kDefaultChecks;

  char self[MAX_PATH] = {};
  if (::GetModuleFileNameA(nullptr, self, MAX_PATH) == 0) return 1;
  std::vector<PROCESS_INFORMATION> children;
  for (int i = 0; i < kExtraProcesses; ++i) {
    std::string command = std::string("\"") + self + "\" --idle";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &info))
      children.push_back(info);
  }

  HWND window = ::CreateWindowExA(0, "STATIC", "game check bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  if (window) ::SetForegroundWindow(window);
  auto image = std::make_unique<karvo::settings::SettingsImage>();
  std::memset(image.get(), 0, sizeof *image);
  for (int slot = 0; slot < karvo::settings::kProfileCount; ++slot) {
    std::string game = "C:\\Games\\Game" + std::to_string(slot) + ".exe";
    karvo::settings::SetFieldText(image->Profiles[slot].GameFile, game);
  }

  std::vector<double> costs;
  int named = 0;
  for (int i = 0; i < checks; ++i) {
    const std::uint64_t start = NowUs();
    char buffer[karvo::monitor::kModuleNameMax + 1];
    std::string_view name = karvo::monitor::ForegroundModuleName(buffer);
    std::optional<int> slot = karvo::monitor::MatchGameSlot(*image, name);
    costs.push_back(static_cast<double>(NowUs() - start));
    if (!name.empty()) ++named;
    if (slot) std::printf("unexpected match\n");
  }
  std::sort(costs.begin(), costs.end());
  std::printf("game check with %zu extra processes, %d checks (%d found a foreground program)\n",
              children.size(), checks, named);
  std::printf("median %.1f us, p99 %.1f us, max %.1f us\n", costs[costs.size() / 2],
              costs[std::min(costs.size() - 1, costs.size() * 99 / 100)], costs.back());

  for (PROCESS_INFORMATION& child : children) {
    ::TerminateProcess(child.hProcess, 0);
    ::WaitForSingleObject(child.hProcess, 5000);
    ::CloseHandle(child.hProcess);
    ::CloseHandle(child.hThread);
  }
  if (window) ::DestroyWindow(window);
  return 0;
}
