// A second process for the settings tests, started by them and found beside them.
//   save <program dir> <ready event> <parent pid>
//     saves the two crash-test images in turn until it is killed; sets the ready
//     event after its first complete save.
//   count <ini file> <go event> <rounds> <own key>
//     after the go event, increments [Setting] Counter and its own key, each round
//     one read-modify-write of the file under its lock.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/handles.h"
#include "settings/file_store_win.h"
#include "settings/profile_files.h"
#include "settings/registry_win.h"
#include "tests/settings/save_crash_images.h"

namespace {

using karvo::platform::UniqueHandle;
namespace settings = karvo::settings;

// A child whose parent died must not save forever.
constexpr int kMaxSaves = 20000;
constexpr DWORD kGoTimeoutMs = 60000;

int Save(const std::string& dir, const char* readyName, const char* parentPid) {
  UniqueHandle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName));
  UniqueHandle parent(
      ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::strtoul(parentPid, nullptr, 10))));
  if (!ready || !parent) return 3;

  auto images = std::make_unique<settings::SettingsImage[]>(2);
  settings::crash_test::FillImage(&images[0], 0);
  settings::crash_test::FillImage(&images[1], 1);
  settings::WinFileStore store;
  settings::WinRegistry registry;
  settings::SettingsFiles files(store, registry, dir);
  for (int save = 0; save < kMaxSaves; ++save) {
    // Image 1 first: the parent prepared the directory with image 0.
    if (files.SaveAll(&images[(save + 1) % 2]) != 1) return 4;
    if (save == 0 && !::SetEvent(ready.Get())) return 5;
    if (::WaitForSingleObject(parent.Get(), 0) != WAIT_TIMEOUT) return 6;
  }
  return 0;
}

int Count(const std::string& path, const char* goName, int rounds, const std::string& own) {
  UniqueHandle go(::OpenEventA(SYNCHRONIZE, FALSE, goName));
  if (!go) return 3;
  if (::WaitForSingleObject(go.Get(), kGoTimeoutMs) != WAIT_OBJECT_0) return 4;
  settings::WinFileStore store;
  for (int i = 0; i < rounds; ++i) {
    settings::IniUpdate update(store, path);
    settings::IniDocument& doc = update.Doc();
    doc.SetInt("Setting", "Counter", doc.GetInt("Setting", "Counter", 0) + 1);
    doc.SetInt("Setting", own, doc.GetInt("Setting", own, 0) + 1);
    if (!update.Commit()) return 5;
  }
  return 0;
}

int Run(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "save") == 0) {
    // The directory comes without its trailing backslash, which would escape the
    // closing quote of the argument.
    return Save(std::string(argv[2]) + "\\", argv[3], argv[4]);
  }
  if (argc == 6 && std::strcmp(argv[1], "count") == 0) {
    const int rounds = std::atoi(argv[4]);
    if (rounds < 0 || rounds > 10000) return 2;
    return Count(argv[2], argv[3], rounds, argv[5]);
  }
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (...) {
    return 7;
  }
}
