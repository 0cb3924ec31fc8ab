// A second process for the editors' tests, started by them and found beside them.
//   type <virtual key>...
//     presses and releases each key in turn, as a keyboard would.
//   save <program dir> <ready event> <parent pid>
//     saves the two crash-test libraries in turn until it is killed; sets the ready
//     event after its first complete save.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editors/macro_store.h"
#include "platform/handles.h"
#include "settings/file_store_win.h"
#include "tests/editors/crash_libraries.h"

namespace {

using karvo::platform::UniqueHandle;
namespace editors = karvo::editors;

// A child whose parent died must not save forever.
constexpr int kMaxSaves = 20000;

int Type(int count, char** keys) {
  for (int k = 0; k < count; ++k) {
    const unsigned long vk = std::strtoul(keys[k], nullptr, 10);
    if (vk == 0 || vk > 0xFE) return 2;
    INPUT inputs[2] = {};
    for (int up = 0; up < 2; ++up) {
      inputs[up].type = INPUT_KEYBOARD;
      inputs[up].ki.wVk = static_cast<WORD>(vk);
      inputs[up].ki.wScan = static_cast<WORD>(::MapVirtualKeyA(vk, 0));
      inputs[up].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    }
    if (::SendInput(2, inputs, sizeof(INPUT)) != 2) return 3;
  }
  return 0;
}

int Save(const std::string& dir, const char* readyName, const char* parentPid) {
  UniqueHandle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName));
  UniqueHandle parent(
      ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::strtoul(parentPid, nullptr, 10))));
  if (!ready || !parent) return 3;
  const editors::MacroList libraries[2] = {editors::crash_test::Library(0),
                                           editors::crash_test::Library(1)};
  karvo::settings::WinFileStore store;
  const std::string path = editors::MacroStorePath(dir);
  for (int save = 0; save < kMaxSaves; ++save) {
    // Library 1 first: the parent prepared the file with library 0.
    if (!editors::SaveMacros(store, path, libraries[(save + 1) % 2])) return 4;
    if (save == 0 && !::SetEvent(ready.Get())) return 5;
    if (::WaitForSingleObject(parent.Get(), 0) != WAIT_TIMEOUT) return 6;
  }
  return 0;
}

int Run(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "type") == 0) return Type(argc - 2, argv + 2);
  if (argc == 5 && std::strcmp(argv[1], "save") == 0) {
    // The directory comes without its trailing backslash, which would escape the
    // closing quote of the argument.
    return Save(std::string(argv[2]) + "\\", argv[3], argv[4]);
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
