#include <cstdarg>
#include <cstdio>

#include "platform/debug_log.h"

namespace karvo::platform {

void DebugLog(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  ::OutputDebugStringA(line);
}

void DebugLogLastError(const char* what) {
  DebugLog("%s failed: error %lu\r\n", what, static_cast<unsigned long>(::GetLastError()));
}

}  // namespace karvo::platform
