#include "tests/e2e/transfer_suite_win.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace karvo::e2e {
namespace {

using platform::kSharedBlockMutexName;
using platform::kSharedBlockName;
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

CompanionWindow::CompanionWindow(const char* title) : m_window(title, kRecorderClass) {}

CompanionWindow::~CompanionWindow() = default;

bool CompanionWindow::WaitFor(UINT message, int count, DWORD timeoutMs) {
  return m_window.WaitFor(message, count, timeoutMs);
}

int CompanionWindow::Count(UINT message) { return m_window.Count(message); }

std::vector<CompanionWindow::Message> CompanionWindow::Received(UINT message) {
  std::vector<Message> matching;
  for (const testing::RecordedMessage& m : m_window.Received(message)) {
    matching.push_back({m.Message, m.WParam, m.LParam});
  }
  return matching;
}

void CompanionWindow::Pump(DWORD ms) { m_window.Pump(ms); }

FakeConfigurator::FakeConfigurator() : CompanionWindow(kConfiguratorTitle) {}

MonitorProcess::MonitorProcess(const InstallDir& dir)
    : m_process(dir.File(kMonitorExe), {}, dir.Path()) {}

MonitorProcess::~MonitorProcess() {
  if (m_process.Started() && !WaitExit(0)) {
    if (!PostClose() || !WaitExit(kStopTimeoutMs)) ::TerminateProcess(m_process.Process.Get(), 99);
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

bool MonitorProcess::WaitExit(DWORD timeoutMs) { return m_process.WaitExit(timeoutMs); }

DWORD MonitorProcess::ExitCode() const { return m_process.ExitCode(); }

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
  const testing::ToolOutput run = testing::RunTool(commandLine, dir, kToolTimeoutMs);
  return {run.ExitCode, run.Output};
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

std::string StoredMessage(const InstallDir& dir) {
  std::ifstream in(dir.File("config.ini"), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  const std::size_t section = text.find("[OSDData]");
  if (section == std::string::npos) return "";
  const std::size_t key = text.find("Message=", section);
  if (key == std::string::npos) return "";
  const std::size_t start = key + 8;
  const std::size_t end = text.find_first_of("\r\n", start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void SuiteTest::InstallSuite() {
  std::optional<std::string> dist = DistDirectory();
  ASSERT_TRUE(dist) << "KARVO_DIST must name the install directory (make test-win sets it)";
  m_dir = std::make_unique<InstallDir>(*dist);
  ASSERT_TRUE(m_dir->Ok());
  ASSERT_TRUE(m_configurator.Ok());
}

void SuiteTest::StartMonitor() {
  m_monitor = std::make_unique<MonitorProcess>(*m_dir);
  ASSERT_TRUE(m_monitor->Started());
  ASSERT_NE(m_monitor->Window(), nullptr);
  ASSERT_TRUE(m_configurator.WaitFor(kMsgReadBackDone, 1, kSuiteStartMs));
}

void SuiteTest::TearDown() {
  if (m_monitor && m_monitor->Started()) {
    m_monitor->PostClose();
    m_monitor->WaitExit(kSuiteStartMs);
  }
  m_monitor.reset();
  m_dir.reset();
}

void SuiteTest::PostApply(const std::function<void(settings::SettingsImage&)>& change,
                          WPARAM restoreDefaults) {
  SharedBlockClient block;
  ASSERT_TRUE(block.Ok());
  auto image = NewImage();
  ASSERT_TRUE(block.Read(*image));
  change(*image);
  ASSERT_TRUE(block.Write(*image));
  ASSERT_TRUE(::PostMessageA(m_monitor->Window(), kMsgApply, restoreDefaults, 0));
}

void SuiteTest::Apply(const std::function<void(settings::SettingsImage&)>& change,
                      WPARAM restoreDefaults) {
  const int before = m_configurator.Count(kMsgApplyFinished);
  ASSERT_NO_FATAL_FAILURE(PostApply(change, restoreDefaults));
  ASSERT_TRUE(m_configurator.WaitFor(kMsgApplyFinished, before + 1, kSuiteStartMs))
      << "no 1256 after the apply";
}

int SuiteTest::BlockProfile() {
  SharedBlockClient block;
  auto image = NewImage();
  if (!block.Ok() || !block.Read(*image)) return -1;
  return image->CurrentProfile;
}

int SuiteTest::IniProfile() {
  return static_cast<int>(
      ::GetPrivateProfileIntA("Setting", "CurrentProfile", -1, m_dir->File("config.ini").c_str()));
}

int SuiteTest::MouseSlot() {
  std::optional<MouseState> state = ParseMouseState(Mousectl(*m_dir, "state").output);
  return state ? state->activeSlot : -1;
}

bool SuiteTest::WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    m_configurator.Pump(50);
  }
  return true;
}

std::unique_ptr<settings::SettingsImage> NewImage() {
  return std::make_unique<settings::SettingsImage>();
}

}  // namespace karvo::e2e
