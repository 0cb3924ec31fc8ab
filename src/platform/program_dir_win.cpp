#include "platform/program_dir_win.h"

#include <windows.h>

#include <vector>

#include "platform/debug_log.h"
#include "platform/program_dir.h"

namespace karvo::platform {

namespace {
// The longest path the system has.
constexpr std::size_t kLongestPath = 32768;
}  // namespace

std::string ProgramDir() {
  std::vector<char> path(MAX_PATH + 1);
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) {
      DebugLogLastError("GetModuleFileNameA");
      return {};
    }
    // A name that fills the buffer may have been cut: a cut one would name another directory.
    if (n < path.size() - 1) return ProgramDirFromModulePath(std::string_view(path.data(), n));
    if (path.size() >= kLongestPath) return {};
    path.resize(path.size() * 2);
  }
}

}  // namespace karvo::platform
