#include <windows.h>

#include "osd/osd_window_win.h"
#include "platform/debug_log.h"
#include "platform/handles.h"
#include "platform/program_dir_win.h"
#include "platform/suite_names.h"
#include "platform/window_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace karvo;
  // Held until the process ends; a second copy finds it and leaves.
  ::SetLastError(0);
  platform::UniqueHandle instanceMutex(::CreateMutexA(nullptr, FALSE, platform::kOsdInstanceMutex));
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS || (!instanceMutex && error == ERROR_ACCESS_DENIED)) {
    return 1;
  }
  if (!instanceMutex) platform::DebugLogLastError("CreateMutex");

  const osd::Taskbar taskbar = osd::MeasureTaskbar();
  osd::OsdWindow window(instance, platform::ProgramDir(), taskbar);
  if (!window.Create()) return 0;

  return platform::RunMessageLoop();
}
