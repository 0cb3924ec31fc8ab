#pragma once
// The suite shows almost no errors; failures go to the debugger output.
#include <windows.h>

namespace karvo::platform {

// printf-style line to OutputDebugStringA.
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "<what> failed: error N" with GetLastError(), to the debugger output.
void DebugLogLastError(const char* what);

}  // namespace karvo::platform
