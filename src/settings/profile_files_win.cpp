#include "settings/profile_files_win.h"

#include <windows.h>

#include "platform/debug_log.h"
#include "settings/profile_files.h"

namespace karvo::settings {

std::string GetProgramDir() {
  char path[MAX_PATH + 1];
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  // A path cut at the buffer's end would name the wrong directory.
  if (length == 0 || length >= MAX_PATH) {
    platform::DebugLogLastError("GetModuleFileNameA");
    return {};
  }
  return ProgramDirFromModulePath(std::string_view(path, length));
}

}  // namespace karvo::settings
