#pragma once
// Starting a test's second program (settings_child_win.cpp's, or another test's own).
#include <windows.h>

#include <string>

#include "platform/handles.h"
#include "settings/profile_files_win.h"

namespace karvo::settings::testing {

// Ends the child, if it still runs, when the test lets go of it (a failed
// assertion included).
struct Child {
  Child() = default;
  Child(Child&&) = default;
  Child& operator=(Child&&) = default;
  ~Child() {
    if (Process && ::WaitForSingleObject(Process.Get(), 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(Process.Get(), 1);
      ::WaitForSingleObject(Process.Get(), INFINITE);
    }
  }

  platform::UniqueHandle Process;
  platform::UniqueHandle Thread;
};

// The child program is built beside the test executable.
inline std::string ChildPath() { return GetProgramDir() + "karvo_settings_test_child.exe"; }

// arguments: the command line after the program name, already quoted where needed.
inline Child StartProgram(const std::string& path, const std::string& arguments) {
  std::string commandLine = "\"" + path + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Child child;
  if (::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info)) {
    child.Process.Reset(info.hProcess);
    child.Thread.Reset(info.hThread);
  }
  return child;
}

inline Child StartChild(const std::string& arguments) {
  return StartProgram(ChildPath(), arguments);
}

}  // namespace karvo::settings::testing
