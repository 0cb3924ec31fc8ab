#include "monitor/game_check_win.h"

#include <windows.h>

#include "platform/dyn_calls_win.h"
#include "platform/handles.h"

namespace karvo::monitor {

std::string_view ForegroundModuleName(char (&buffer)[kModuleNameMax + 1]) {
  buffer[0] = '\0';
  // Kernel32 carries it on current systems, psapi.dll on older ones.
  const auto baseName = platform::dyn::GetModuleBaseNameA();
  if (!baseName) return {};
  HWND foreground = ::GetForegroundWindow();
  if (!foreground) return {};
  DWORD processId = 0;
  if (::GetWindowThreadProcessId(foreground, &processId) == 0 || processId == 0) return {};
  // Opening the process by its id answers whether it exists; a walk of the whole process list
  // every two seconds would only repeat that.
  platform::UniqueHandle process(
      ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) return {};
  // Without a module handle the name is that of the first module, the program file.
  DWORD length = baseName(process.Get(), nullptr, buffer, kModuleNameMax);
  if (length == 0 || length > kModuleNameMax) return {};
  buffer[length] = '\0';
  return std::string_view(buffer, length);
}

}  // namespace karvo::monitor
