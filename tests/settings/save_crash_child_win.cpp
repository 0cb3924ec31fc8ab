// Saves the two crash-test images in turn until it is killed: the parent of
// save_crash_win_test.cpp terminates it at a random moment and loads what is left.
// Arguments: <program dir> <ready event name> <parent pid>.
#include <windows.h>

#include <cstdlib>
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

int Run(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string dir = std::string(argv[1]) + "\\";
  UniqueHandle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
  UniqueHandle parent(
      ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10))));
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

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (...) {
    return 7;
  }
}
