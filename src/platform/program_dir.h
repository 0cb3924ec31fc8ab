#pragma once
// Where a program's files are: the directory of its executable, from the module path.
#include <string>
#include <string_view>

namespace karvo::platform {

// The directory part of a module path with its trailing separator ("" without one).
std::string ProgramDirFromModulePath(std::string_view modulePath);
// The directory above dir, with its trailing separator; dir itself when it has none above it.
std::string ParentDirectory(std::string_view dir);

}  // namespace karvo::platform
