// The configurator's process: one copy at a time, its directory, the main window run
// modally until it closes.
#include <ole2.h>
#include <windows.h>

#include "configurator/main_window_win.h"
#include "platform/debug_log.h"
#include "platform/handles.h"
#include "platform/program_dir_win.h"
#include "platform/suite_names.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace karvo;
  // Held until the process ends. A second copy ends at once: no window, no message, and the
  // running one is not brought forward.
  ::SetLastError(0);
  platform::UniqueHandle instanceMutex(
      ::CreateMutexA(nullptr, FALSE, platform::kConfiguratorInstanceMutex));
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS || (!instanceMutex && error == ERROR_ACCESS_DENIED)) return 0;
  if (!instanceMutex) platform::DebugLogLastError("CreateMutexA(configurator)");

  // The picture loader that decodes the artwork and the system's file dialogs are COM.
  const HRESULT ole = ::OleInitialize(nullptr);
  if (FAILED(ole))
    platform::DebugLog("OleInitialize failed: 0x%08lx\r\n", static_cast<unsigned long>(ole));
  const std::string programDir = platform::ProgramDir();
  {
    // The window also holds the popup-menu frame hook, which it removes after it has closed.
    configurator::MainWindow window(programDir);
    if (window.Run() == -1) platform::DebugLog("configurator main window could not be created\r\n");
  }
  if (SUCCEEDED(ole)) ::OleUninitialize();
  return 0;
}
