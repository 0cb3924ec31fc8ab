#pragma once
// Other programs started by a test: the installed suite, stand-ins, helper children and tools
// whose output is read.
#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace karvo::testing {

// A started program; a test that lets go of it (a failed assertion included) ends it if it
// still runs.
class ChildProcess {
 public:
  ChildProcess() = default;
  // program is a Windows path; arguments are quoted where needed already. An empty workingDir
  // keeps the test's own.
  explicit ChildProcess(const std::string& program, const std::string& arguments = {},
                        const std::string& workingDir = {}, DWORD creationFlags = 0);
  ~ChildProcess();
  ChildProcess(ChildProcess&&) = default;
  ChildProcess& operator=(ChildProcess&&) = default;

  bool Started() const { return static_cast<bool>(Process); }
  // True when the process has ended within timeoutMs.
  bool WaitExit(DWORD timeoutMs) const;
  // 0xFFFFFFFF when it cannot be had.
  DWORD ExitCode() const;

  platform::UniqueHandle Process;
  platform::UniqueHandle Thread;
};

struct ToolOutput {
  DWORD ExitCode = 0xFFFFFFFF;  // also when the tool did not start or did not end in time
  std::string Output;           // stdout and stderr together
};

// Runs a console tool's command line (its program quoted as needed) without a window in
// workingDir ("" keeps the test's) and collects what it prints.
ToolOutput RunTool(const std::string& commandLine, const std::string& workingDir, DWORD timeoutMs);

// A fresh directory below the temporary directory, named after name, with a trailing
// backslash; "" when it cannot be made.
std::string MakeTempDirectory(const char* name);

}  // namespace karvo::testing
