// The monitor's process: single instance, COM for the thread, the hidden window and its loop.
#include <objbase.h>
#include <windows.h>

#include "monitor/monitor_messages.h"
#include "monitor/monitor_window_win.h"
#include "platform/debug_log.h"
#include "platform/handles.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  using namespace karvo;
  ::SetLastError(0);
  platform::UniqueHandle instanceMutex(
      ::CreateMutexA(nullptr, FALSE, monitor::kMonitorInstanceMutex));
  if (!instanceMutex || ::GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  HRESULT com = ::CoInitialize(nullptr);
  if (FAILED(com))
    platform::DebugLog("CoInitialize failed: 0x%08lx\n", static_cast<unsigned long>(com));
  int exitCode = 0;
  {
    monitor::MonitorWindow window(commandLine != nullptr && commandLine[0] == '1');
    if (window.Create(instance)) {
      MSG msg;
      BOOL got;
      while ((got = ::GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
      if (got == 0) exitCode = static_cast<int>(msg.wParam);
    } else {
      exitCode = 1;
    }
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return exitCode;
}
