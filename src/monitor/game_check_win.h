#pragma once
// The module base name of the program that owns the foreground window.
#include <cstddef>
#include <string_view>

namespace karvo::monitor {

inline constexpr std::size_t kModuleNameMax = 260;

// Fills buffer (kModuleNameMax + 1 bytes) and returns a view of it; empty when there is no
// foreground window or its process cannot be queried. The process handle is closed on every
// path; nothing is allocated.
std::string_view ForegroundModuleName(char (&buffer)[kModuleNameMax + 1]);

}  // namespace karvo::monitor
