#pragma once
// Starting a test's second program (settings_child_win.cpp's, or another test's own).
#include <windows.h>

#include <string>

#include "platform/program_dir_win.h"
#include "tests/support/child_process_win.h"

namespace karvo::settings::testing {

// Ends the child, if it still runs, when the test lets go of it (a failed assertion included).
using Child = karvo::testing::ChildProcess;

// The child program is built beside the test executable.
inline std::string ChildPath() { return platform::ProgramDir() + "karvo_settings_test_child.exe"; }

// arguments: the command line after the program name, already quoted where needed.
inline Child StartProgram(const std::string& path, const std::string& arguments) {
  return Child(path, arguments);
}

inline Child StartChild(const std::string& arguments) {
  return StartProgram(ChildPath(), arguments);
}

}  // namespace karvo::settings::testing
