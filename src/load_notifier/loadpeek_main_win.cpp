#include <windows.h>

#include "load_notifier/load_window_win.h"
#include "platform/debug_log.h"
#include "platform/handles.h"
#include "platform/program_dir_win.h"
#include "platform/suite_names.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace karvo;
  // Held until the process ends; a second copy finds it and leaves with 1.
  ::SetLastError(0);
  platform::UniqueHandle instanceMutex(
      ::CreateMutexA(nullptr, FALSE, platform::kLoadInstanceMutex));
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS || (!instanceMutex && error == ERROR_ACCESS_DENIED)) {
    return 1;
  }
  if (!instanceMutex) platform::DebugLogLastError("CreateMutex");

  load_notifier::LoadWindow window(instance, platform::ProgramDir());
  if (!window.Create()) return 0;
  return load_notifier::RunMessageLoop();
}
