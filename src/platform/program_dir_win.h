#pragma once
// The running program's directory, where every file of the suite is found.
#include <string>

namespace karvo::platform {

// The directory of the running executable with its trailing backslash; "" when the module
// file name cannot be had. Paths longer than MAX_PATH are read whole.
std::string ProgramDir();

}  // namespace karvo::platform
