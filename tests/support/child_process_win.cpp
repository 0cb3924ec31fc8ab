#include "tests/support/child_process_win.h"

namespace karvo::testing {

namespace {
constexpr DWORD kEndTimeoutMs = 10000;
}

ChildProcess::ChildProcess(const std::string& program, const std::string& arguments,
                           const std::string& workingDir, DWORD creationFlags) {
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, creationFlags,
                       nullptr, workingDir.empty() ? nullptr : workingDir.c_str(), &startup,
                       &info)) {
    Process.Reset(info.hProcess);
    Thread.Reset(info.hThread);
  }
}

ChildProcess::~ChildProcess() {
  if (Process && ::WaitForSingleObject(Process.Get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(Process.Get(), 1);
    ::WaitForSingleObject(Process.Get(), kEndTimeoutMs);
  }
}

bool ChildProcess::WaitExit(DWORD timeoutMs) const {
  return Process && ::WaitForSingleObject(Process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = 0xFFFFFFFF;
  if (Process && !::GetExitCodeProcess(Process.Get(), &code)) return 0xFFFFFFFF;
  return code;
}

ToolOutput RunTool(const std::string& commandLine, const std::string& workingDir, DWORD timeoutMs) {
  ToolOutput run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readRaw = nullptr;
  HANDLE writeRaw = nullptr;
  if (!::CreatePipe(&readRaw, &writeRaw, &inherit, 0)) return run;
  platform::UniqueHandle readEnd(readRaw);
  platform::UniqueHandle writeEnd(writeRaw);
  if (!::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0)) return run;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd.Get();
  startup.hStdError = writeEnd.Get();
  std::string line = commandLine;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info)) {
    return run;
  }
  platform::UniqueHandle process(info.hProcess);
  platform::UniqueHandle thread(info.hThread);
  writeEnd.Reset();
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(readEnd.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    run.Output.append(buffer, got);
  }
  if (::WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.Get(), 99);
    return run;
  }
  if (!::GetExitCodeProcess(process.Get(), &run.ExitCode)) run.ExitCode = 0xFFFFFFFF;
  return run;
}

std::string MakeTempDirectory(const char* name) {
  char temp[MAX_PATH];
  const DWORD n = ::GetTempPathA(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return {};
  static int counter = 0;
  const std::string dir = std::string(temp, n) + name + "_" +
                          std::to_string(::GetCurrentProcessId()) + "_" +
                          std::to_string(::GetTickCount()) + "_" + std::to_string(++counter) + "\\";
  if (!::CreateDirectoryA(dir.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    return {};
  }
  return dir;
}

}  // namespace karvo::testing
