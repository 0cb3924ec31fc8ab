#include "tests/e2e/transfer_suite_win.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace karvo::e2e {
namespace {

constexpr char kSharedBlockName[] = "KARVO_Gaming_Mouse_Share_Data";
constexpr char kSharedBlockMutexName[] = "KARVO_Gaming_Mouse_Mutex_Object";
constexpr char kMouseStateFile[] = "hidgate.state";
constexpr char kRecorderClass[] = "KarvoTransferCompanionWindow";
constexpr DWORD kToolTimeoutMs = 30000;
constexpr DWORD kStopTimeoutMs = 60000;
constexpr int kMaxCopyDepth = 4;

bool IsDots(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool CopyTree(const std::string& from, const std::string& to, int depth) {
  if (depth > kMaxCopyDepth) return false;
  if (!::CreateDirectoryA(to.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    return false;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((from + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  bool ok = true;
  do {
    if (IsDots(found.cFileName)) continue;
    const std::string source = from + found.cFileName;
    const std::string target = to + found.cFileName;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ok = CopyTree(source + "\\", target + "\\", depth + 1) && ok;
    } else if (depth > 0 || _stricmp(found.cFileName, kMouseStateFile) != 0) {
      ok = ::CopyFileA(source.c_str(), target.c_str(), FALSE) && ok;
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return ok;
}

void RemoveTree(const std::string& dir, int depth) {
  if (depth > kMaxCopyDepth) return;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((dir + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (IsDots(found.cFileName)) continue;
      const std::string path = dir + found.cFileName;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + "\\", depth + 1);
      } else {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
      }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryA(dir.c_str());
}

std::string Trim(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

std::optional<std::vector<std::uint8_t>> ParseHex(const std::string& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    if (std::sscanf(text.c_str() + i, "%2x", &value) != 1) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return bytes;
}

}  // namespace

std::optional<std::string> DistDirectory() {
  const char* dist = std::getenv("KARVO_DIST");
  if (dist == nullptr || dist[0] == '\0') return std::nullopt;
  std::string path = dist;
  if (path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (path.back() != '\\') path += '\\';
  return path;
}

InstallDir::InstallDir(const std::string& distDir) {
  char temp[MAX_PATH];
  const DWORD length = ::GetTempPathA(sizeof temp, temp);
  if (length == 0 || length >= sizeof temp) return;
  static int counter = 0;
  char name[64];
  std::snprintf(name, sizeof name, "karvo_transfer_%lu_%d\\", ::GetCurrentProcessId(), ++counter);
  m_path = std::string(temp) + name;
  RemoveTree(m_path, 0);
  m_ok = CopyTree(distDir, m_path, 0);
}

InstallDir::~InstallDir() {
  if (!m_path.empty()) RemoveTree(m_path, 0);
}

CompanionWindow::CompanionWindow(const char* title) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &CompanionWindow::WindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kRecorderClass;
  // Registered once per process; later windows find the class already there.
  ::RegisterClassA(&windowClass);
  m_window.Reset(::CreateWindowExA(0, kRecorderClass, title, WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                   nullptr, windowClass.hInstance, this));
}

CompanionWindow::~CompanionWindow() {
  if (m_window) ::SetWindowLongPtrA(m_window.Get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK CompanionWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CompanionWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && (message == WM_CLOSE || (message >= WM_USER && message < 0x8000))) {
    self->m_received.push_back({message, wParam, lParam});
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

bool CompanionWindow::WaitFor(UINT message, int count, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    if (Recorded(message) >= count) return true;
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
  }
}

int CompanionWindow::Count(UINT message) {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  return Recorded(message);
}

std::vector<CompanionWindow::Message> CompanionWindow::Received(UINT message) {
  Count(message);
  std::vector<Message> matching;
  for (const Message& m : m_received) {
    if (m.message == message) matching.push_back(m);
  }
  return matching;
}

int CompanionWindow::Recorded(UINT message) const {
  int n = 0;
  for (const Message& m : m_received) n += m.message == message ? 1 : 0;
  return n;
}

void CompanionWindow::Pump(DWORD ms) { WaitFor(0, 1, ms); }

FakeConfigurator::FakeConfigurator() : CompanionWindow(kConfiguratorTitle) {}

MonitorProcess::MonitorProcess(const InstallDir& dir) {
  std::string commandLine = "\"" + dir.File(kMonitorExe) + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.Path().c_str(), &startup, &info)) {
    return;
  }
  m_process.Reset(info.hProcess);
  ::CloseHandle(info.hThread);
}

MonitorProcess::~MonitorProcess() {
  if (m_process && !WaitExit(0)) {
    if (!PostClose() || !WaitExit(kStopTimeoutMs)) ::TerminateProcess(m_process.Get(), 99);
    WaitExit(kStopTimeoutMs);
  }
  if (HWND osd = ::FindWindowA(nullptr, kOsdTitle)) ::PostMessageA(osd, WM_CLOSE, 0, 0);
}

HWND MonitorProcess::Window(DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (HWND window = ::FindWindowA(nullptr, kMonitorTitle)) return window;
    if (WaitExit(0) || ::GetTickCount() - start >= timeoutMs) return nullptr;
    ::Sleep(50);
  }
}

bool MonitorProcess::PostClose() {
  HWND window = ::FindWindowA(nullptr, kMonitorTitle);
  return window && ::PostMessageA(window, WM_CLOSE, 0, 0);
}

bool MonitorProcess::WaitExit(DWORD timeoutMs) {
  return m_process && ::WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD MonitorProcess::ExitCode() const {
  DWORD code = 0xFFFFFFFF;
  if (m_process && !::GetExitCodeProcess(m_process.Get(), &code)) return 0xFFFFFFFF;
  return code;
}

SharedBlockClient::SharedBlockClient() {
  m_mapping.Reset(::OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kSharedBlockName));
  if (!m_mapping) return;
  m_view.Reset(
      ::MapViewOfFile(m_mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(settings::SettingsImage)));
  m_mutex.Reset(::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kSharedBlockMutexName));
}

bool SharedBlockClient::Read(settings::SettingsImage& image) {
  if (!Ok() || ::WaitForSingleObject(m_mutex.Get(), kToolTimeoutMs) != WAIT_OBJECT_0) return false;
  platform::MutexLock lock(m_mutex.Get());
  std::memcpy(&image, m_view.Get(), sizeof image);
  return true;
}

bool SharedBlockClient::Write(const settings::SettingsImage& image) {
  if (!Ok() || ::WaitForSingleObject(m_mutex.Get(), kToolTimeoutMs) != WAIT_OBJECT_0) return false;
  platform::MutexLock lock(m_mutex.Get());
  std::memcpy(m_view.Get(), &image, sizeof image);
  return true;
}

ToolRun RunTool(const std::string& commandLine, const std::string& dir) {
  ToolRun run;
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
                        dir.empty() ? nullptr : dir.c_str(), &startup, &info)) {
    return run;
  }
  platform::UniqueHandle process(info.hProcess);
  platform::UniqueHandle thread(info.hThread);
  writeEnd.Reset();
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(readEnd.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    run.output.append(buffer, got);
  }
  if (::WaitForSingleObject(process.Get(), kToolTimeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.Get(), 99);
    return run;
  }
  if (!::GetExitCodeProcess(process.Get(), &run.exitCode)) run.exitCode = 0xFFFFFFFF;
  return run;
}

ToolRun Mousectl(const InstallDir& dir, const std::string& args) {
  return RunTool("\"" + dir.File("mousectl.exe") + "\" " + args, dir.Path());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(Trim(text.substr(start, end - start)));
    start = end + 1;
  }
  return lines;
}

std::vector<LoggedReport> ParseReportLog(const std::string& text) {
  std::vector<LoggedReport> log;
  for (const std::string& line : Lines(text)) {
    unsigned long long ms = 0;
    char direction[8] = {};
    int id = 0;
    char result[8] = {};
    int consumed = 0;
    if (std::sscanf(line.c_str(), "%llu %7s %d %7s %n", &ms, direction, &id, result, &consumed) <
        4) {
      continue;
    }
    auto bytes = ParseHex(line.substr(static_cast<std::size_t>(consumed)));
    if (!bytes) continue;
    LoggedReport report;
    report.isSet = std::strcmp(direction, "SET") == 0;
    report.id = id;
    report.ok = std::strcmp(result, "ok") == 0;
    report.bytes = std::move(*bytes);
    log.push_back(std::move(report));
  }
  return log;
}

std::optional<MouseState> ParseMouseState(const std::string& text) {
  MouseState state;
  for (const std::string& line : Lines(text)) {
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    const std::string key = line.substr(0, space);
    const std::string value = line.substr(space + 1);
    if (key == "slot") state.activeSlot = std::atoi(value.c_str());
    if (key == "level") state.level = std::atoi(value.c_str());
    if (key == "firmware") state.firmware = std::atoi(value.c_str());
    if (key == "host") state.host = std::atoi(value.c_str());
    for (int i = 0; i < settings::kProfileCount; ++i) {
      if (key == "sensor" + std::to_string(i))
        state.sensor[i] = ParseHex(value).value_or(std::vector<std::uint8_t>{});
      if (key == "buttons" + std::to_string(i))
        state.buttons[i] = ParseHex(value).value_or(std::vector<std::uint8_t>{});
    }
  }
  if (state.activeSlot < 0 || state.level < 0) return std::nullopt;
  return state;
}

std::unique_ptr<settings::SettingsImage> NewImage() {
  return std::make_unique<settings::SettingsImage>();
}

}  // namespace karvo::e2e
