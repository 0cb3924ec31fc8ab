#pragma once
#include <string>

namespace karvo::settings {

// The directory of the running executable with a trailing backslash, "" when
// the module file name cannot be obtained.
std::string GetProgramDir();

}  // namespace karvo::settings
