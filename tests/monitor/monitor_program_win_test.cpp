// The monitor program seen from outside: each test installs it with the virtual mouse and
// stand-in companions in a fresh directory, starts it, and watches its named objects, its
// config.ini, the virtual mouse's report log and the messages that reach companion windows.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "monitor/monitor_messages.h"
#include "monitor/shared_block_layout.h"
#include "settings/file_store_win.h"
#include "settings/profile_files.h"
#include "settings/registry_win.h"
#include "settings/settings_image.h"

namespace karvo::monitor {
namespace {

constexpr DWORD kWaitMs = 30000;
// An exit waits up to ten polls for the mouse to acknowledge the host-control report.
constexpr DWORD kExitBoundMs = 60000;
constexpr const char* kOptionTitle = platform::kConfiguratorTitle;
constexpr const char* kOsdTitle = platform::kOsdTitle;
constexpr const char* kLoadTitle = platform::kLoadTitle;
constexpr const char* kMailTitle = platform::kMailTitle;
constexpr const char* kVoiceTitle = platform::kVoiceTitle;
constexpr const char* kMonitorExeName = platform::kMonitorExe;

std::string WinPath(const char* built) {
  std::string path = built;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (!path.empty() && path[0] == '\\') path = "Z:" + path;
  return path;
}

// Dispatches what arrives for this thread's windows until done() or the bound runs out.
bool WaitUntil(const std::function<bool()>& done, DWORD boundMs = kWaitMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    if (done()) return true;
    if (::GetTickCount() - start > boundMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

// Windows with the companions' titles, created in this process, recording what the monitor
// posts to them. WM_CLOSE is recorded and otherwise ignored.
struct Received {
  std::string Title;
  UINT Message;
  WPARAM WParam;
  LPARAM LParam;
  bool operator==(const Received&) const = default;
};
std::vector<Received> g_received;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE || message >= WM_USER) {
    char title[128] = {};
    ::GetWindowTextA(window, title, sizeof title);
    g_received.push_back({title, message, wParam, lParam});
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

class Recorders {
 public:
  Recorders() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &RecorderProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KarvoMonitorTestRecorder";
    ::RegisterClassA(&windowClass);
  }
  ~Recorders() {
    for (HWND window : m_windows) ::DestroyWindow(window);
  }
  void Add(const char* title) {
    HWND window = ::CreateWindowExA(0, "KarvoMonitorTestRecorder", title, WS_POPUP, 0, 0, 10, 10,
                                    nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    m_windows.push_back(window);
  }

 private:
  std::vector<HWND> m_windows;
};

std::size_t CountReceived(const char* title, UINT message, WPARAM wParam) {
  return static_cast<std::size_t>(
      std::count_if(g_received.begin(), g_received.end(), [&](const Received& r) {
        return r.Title == title && r.Message == message && r.WParam == wParam;
      }));
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return lines;
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
    text.append(buffer, got);
  ::CloseHandle(file);
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::DeleteFileA(path.c_str());
      }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryA(dir.c_str());
}

class MonitorProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_received.clear();
    char temp[MAX_PATH];
    ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
    static int counter = 0;
    m_dir = std::string(temp) + "karvo-monitor-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    RemoveTree(m_dir);
    ASSERT_TRUE(::CreateDirectoryA(m_dir.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((m_dir + "\\Applets").c_str(), nullptr));
    Copy(KARVO_MONITOR_EXE, kMonitorExeName);
    Copy(KARVO_MOUSECTL_EXE, "mousectl.exe");
  }

  void TearDown() override {
    StopMonitor();
    // Stand-ins end on the WM_CLOSE of the monitor's shutdown; give them the chance.
    WaitUntil([] {
      for (const char* title : {kLoadTitle, kMailTitle, kVoiceTitle, kOptionTitle, kOsdTitle}) {
        if (::FindWindowA(nullptr, title)) return false;
      }
      return true;
    });
    RemoveTree(m_dir);
  }

  void Copy(const char* built, const std::string& name) {
    ASSERT_TRUE(::CopyFileA(WinPath(built).c_str(), (m_dir + "\\" + name).c_str(), FALSE))
        << built << " error " << ::GetLastError();
  }
  void InstallDeviceLibrary() { Copy(KARVO_HIDGATE_DLL, "hidgate.dll"); }
  void InstallStandIn(const std::string& relativePath) { Copy(KARVO_STANDIN_EXE, relativePath); }
  std::vector<std::string> StandInLog(const std::string& relativePath) const {
    return ReadLines(m_dir + "\\" + relativePath + ".log");
  }
  std::size_t StandInCount(const std::string& relativePath, const std::string& line) const {
    auto lines = StandInLog(relativePath);
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
  }

  std::string ConfigPath() const { return m_dir + "\\config.ini"; }
  int DeviceFlag() const {
    return static_cast<int>(::GetPrivateProfileIntA("Setting", "Device", -1, ConfigPath().c_str()));
  }
  std::string OsdMessage() const {
    char text[512] = {};
    ::GetPrivateProfileStringA("OSDData", "Message", "<none>", text, sizeof text,
                               ConfigPath().c_str());
    return text;
  }
  void WriteOsdSetting(const settings::OSDSetting& record) {
    settings::WinFileStore store;
    settings::WinRegistry registry;
    settings::SettingsFiles files(store, registry, m_dir + "\\");
    ASSERT_EQ(files.WriteOsdSetting(&record), 1);
  }

  PROCESS_INFORMATION Launch(const std::string& exe, const std::string& args) {
    std::string commandLine = "\"" + exe + "\" " + args;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, m_dir.c_str(), &startup, &process))
        << exe << " error " << ::GetLastError();
    return process;
  }

  // Starts the monitor and waits until its start-up has written the Device flag, its last step.
  void StartMonitor(const std::string& args = "") {
    m_monitor = Launch(m_dir + "\\" + kMonitorExeName, args);
    ASSERT_NE(m_monitor.hProcess, nullptr);
    ASSERT_TRUE(WaitUntil([this] { return DeviceFlag() != -1 && MonitorWindow(); }))
        << "monitor did not come up";
  }
  HWND MonitorWindow() const { return ::FindWindowA(nullptr, kMonitorTitle); }

  // Posts WM_CLOSE and waits for the process; the exit code, or -1 when it had to be killed.
  int StopMonitor() {
    if (!m_monitor.hProcess) return -1;
    if (HWND window = MonitorWindow()) ::PostMessageA(window, WM_CLOSE, 0, 0);
    int code = -1;
    if (WaitUntil([this] { return ::WaitForSingleObject(m_monitor.hProcess, 0) == WAIT_OBJECT_0; },
                  kExitBoundMs)) {
      DWORD exitCode = 0;
      ::GetExitCodeProcess(m_monitor.hProcess, &exitCode);
      code = static_cast<int>(exitCode);
    } else {
      ::TerminateProcess(m_monitor.hProcess, 99);
      ::WaitForSingleObject(m_monitor.hProcess, INFINITE);
    }
    ::CloseHandle(m_monitor.hThread);
    ::CloseHandle(m_monitor.hProcess);
    m_monitor = {};
    return code;
  }

  // Runs mousectl with args; its exit code, output in *output.
  int MouseCtl(const std::string& args, std::vector<std::string>* output = nullptr) {
    // A file per call: a console host started for mousectl may hold the last one a while.
    const std::string outPath = m_dir + "\\mousectl" + std::to_string(++m_mouseCtlRuns) + ".out";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = ::CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                               CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(out, INVALID_HANDLE_VALUE) << args << " error " << ::GetLastError();
    std::string exe = m_dir + "\\mousectl.exe";
    std::string commandLine = "\"" + exe + "\" " + args;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    DWORD exitCode = 255;
    if (::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                         nullptr, m_dir.c_str(), &startup, &process)) {
      WaitUntil([&] { return ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; });
      ::GetExitCodeProcess(process.hProcess, &exitCode);
      ::CloseHandle(process.hThread);
      ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(out);
    if (output) *output = ReadLines(outPath);
    return static_cast<int>(exitCode);
  }

  // The ids of the reports the virtual mouse logged with the given direction.
  std::vector<int> LoggedReports(const char* direction) {
    std::vector<std::string> lines;
    EXPECT_EQ(MouseCtl("reports", &lines), 0);
    std::vector<int> ids;
    for (const std::string& line : lines) {
      std::istringstream in(line);
      std::string ms, dir;
      int id = -1;
      if (in >> ms >> dir >> id && dir == direction) ids.push_back(id);
    }
    return ids;
  }

  // Posts a configuration job to every thread of the monitor: the worker is one of them, and
  // the others have no use for the message.
  int PostJobToMonitorThreads(WPARAM job, LPARAM param) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int posted = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more;
         more = ::Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID != m_monitor.dwProcessId) continue;
      if (::PostThreadMessageA(entry.th32ThreadID, kMsgConfigJob, job, param)) ++posted;
    }
    ::CloseHandle(snapshot);
    return posted;
  }

  LRESULT SendCopyData(const void* data, DWORD size) {
    COPYDATASTRUCT copy{};
    copy.dwData = 0;
    copy.cbData = size;
    copy.lpData = const_cast<void*>(data);
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(MonitorWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                               SMTO_ABORTIFHUNG, kWaitMs, &result)) {
      return -1;
    }
    return static_cast<LRESULT>(result);
  }

  std::string m_dir;
  PROCESS_INFORMATION m_monitor{};
  int m_mouseCtlRuns = 0;
};

// Copies the whole block under its mutex, as the configurator does.
bool ReadBlock(std::vector<std::uint8_t>& out, SIZE_T& regionSize) {
  HANDLE mapping = ::OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedBlockName);
  if (!mapping) return false;
  HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, kSharedBlockMutexName);
  void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  bool ok = false;
  if (view && mutex && ::WaitForSingleObject(mutex, kWaitMs) == WAIT_OBJECT_0) {
    MEMORY_BASIC_INFORMATION info{};
    ::VirtualQuery(view, &info, sizeof info);
    regionSize = info.RegionSize;
    if (regionSize >= kSharedBlockSize) {
      out.assign(static_cast<const std::uint8_t*>(view),
                 static_cast<const std::uint8_t*>(view) + kSharedBlockSize);
      ok = true;
    }
    ::ReleaseMutex(mutex);
  }
  if (view) ::UnmapViewOfFile(view);
  if (mutex) ::CloseHandle(mutex);
  ::CloseHandle(mapping);
  return ok;
}

bool NamedMutexExists(const char* name) {
  HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, name);
  if (!mutex) return false;
  ::CloseHandle(mutex);
  return true;
}

BOOL CALLBACK CountMonitorWindow(HWND window, LPARAM counter) {
  char title[128] = {};
  ::GetWindowTextA(window, title, sizeof title);
  if (std::strcmp(title, kMonitorTitle) == 0) ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

int CountMonitorWindows() {
  int count = 0;
  ::EnumWindows(&CountMonitorWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST_F(MonitorProgramTest, StartsOnceAndPublishesTheBlockWithEveryChangeFlagClear) {
  InstallDeviceLibrary();
  InstallStandIn("KARVO Gaming Mouse Option.exe");
  StartMonitor("1");
  EXPECT_EQ(DeviceFlag(), 1);
  EXPECT_TRUE(NamedMutexExists("KARVO Gaming Mouse Monitor"));
  EXPECT_TRUE(NamedMutexExists("KARVO_Gaming_Mouse_Mutex_Object"));
  // "1" opens the configurator once the mouse is there.
  EXPECT_TRUE(
      WaitUntil([this] { return StandInCount("KARVO Gaming Mouse Option.exe", "0 0 0") == 1; }));

  PROCESS_INFORMATION second = Launch(m_dir + "\\" + kMonitorExeName, "");
  ASSERT_NE(second.hProcess, nullptr);
  EXPECT_TRUE(
      WaitUntil([&] { return ::WaitForSingleObject(second.hProcess, 0) == WAIT_OBJECT_0; }));
  DWORD secondExit = 99;
  ::GetExitCodeProcess(second.hProcess, &secondExit);
  ::CloseHandle(second.hThread);
  ::CloseHandle(second.hProcess);
  EXPECT_EQ(secondExit, 0u);
  EXPECT_EQ(CountMonitorWindows(), 1);
  EXPECT_EQ(::WaitForSingleObject(m_monitor.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  std::vector<std::uint8_t> block;
  SIZE_T regionSize = 0;
  ASSERT_TRUE(ReadBlock(block, regionSize));
  EXPECT_LT(regionSize, kSharedBlockSize + 4096) << "section larger than the block";
  struct Area {
    std::size_t Offset;
    std::size_t Size;
  };
  const Area flags[] = {{kButtonChangedOffset, kButtonChangedSize},
                        {170108, 20},
                        {kProfileChangedOffset, 4},
                        {kSensorChangedOffset, 20},
                        {170152, 20},
                        {170172, 20},
                        {kLevelChangedOffset, 20}};
  for (const Area& area : flags) {
    for (std::size_t i = 0; i < area.Size; ++i) {
      ASSERT_EQ(block[area.Offset + i], 0) << "byte " << area.Offset + i;
    }
  }
}

TEST_F(MonitorProgramTest, WithoutTheDeviceLibraryTheMouseIsAbsentAndDefaultsArePublished) {
  Recorders recorders;
  recorders.Add(kOsdTitle);
  StartMonitor();
  EXPECT_EQ(DeviceFlag(), 0);

  std::vector<std::uint8_t> block;
  SIZE_T regionSize = 0;
  ASSERT_TRUE(ReadBlock(block, regionSize));
  settings::SettingsImage* expected = new settings::SettingsImage{};
  for (int slot = 0; slot < settings::kProfileCount; ++slot) {
    settings::SetProfileDefaults(&expected->Profiles[slot], slot);
  }
  constexpr std::size_t kProfilesOffset = offsetof(settings::SettingsImage, Profiles);
  EXPECT_EQ(
      std::memcmp(block.data() + kProfilesOffset, expected->Profiles, sizeof expected->Profiles),
      0);
  delete expected;
  std::int32_t currentProfile = -1;
  std::memcpy(&currentProfile, block.data(), sizeof currentProfile);
  EXPECT_EQ(currentProfile, 0) << "no config.ini: the first slot";

  // Absent mouse: the text is stored but the display is not told.
  char record[151] = {5};
  std::strcpy(record + 1, "You have 3 new mails");
  EXPECT_EQ(SendCopyData(record, sizeof record), TRUE);
  EXPECT_EQ(OsdMessage(), "You have 3 new mails");
  Pump();
  EXPECT_EQ(CountReceived(kOsdTitle, kMsgOsdNotice, kNoticeMessageText), 0u);
}

TEST_F(MonitorProgramTest, DeviceFlagFollowsUnplugAndPlug) {
  InstallDeviceLibrary();
  StartMonitor();
  EXPECT_EQ(DeviceFlag(), 1);
  ASSERT_EQ(MouseCtl("unplug"), 0);
  EXPECT_TRUE(WaitUntil([this] { return DeviceFlag() == 0; }));
  ASSERT_EQ(MouseCtl("plug"), 0);
  EXPECT_TRUE(WaitUntil([this] { return DeviceFlag() == 1; }));
}

TEST_F(MonitorProgramTest, ConfigurationJobsWhileTheMouseIsAbsentAreDropped) {
  InstallDeviceLibrary();
  Recorders recorders;
  recorders.Add(kOptionTitle);
  StartMonitor();
  // The first read-back runs 200 ms after start and ends with 1254 to the configurator.
  ASSERT_TRUE(WaitUntil([] { return CountReceived(kOptionTitle, kMsgConfigReadBack, 0) == 1; }));

  // Present: a restore job reaches the mouse and is answered.
  ASSERT_EQ(MouseCtl("reports --clear"), 0);
  ASSERT_GE(PostJobToMonitorThreads(kJobUpload, 1), 1);
  ASSERT_TRUE(WaitUntil([] { return CountReceived(kOptionTitle, kMsgApplyFinished, 0) == 1; }));
  std::vector<int> sets = LoggedReports("SET");
  EXPECT_NE(std::count(sets.begin(), sets.end(), 6), 0);
  EXPECT_NE(std::count(sets.begin(), sets.end(), 7), 0);

  ASSERT_EQ(MouseCtl("unplug"), 0);
  ASSERT_TRUE(WaitUntil([this] { return DeviceFlag() == 0; }));
  ASSERT_EQ(MouseCtl("reports --clear"), 0);
  ASSERT_GE(PostJobToMonitorThreads(kJobUpload, 1), 1);
  ASSERT_GE(PostJobToMonitorThreads(kJobCurrentProfile, 0), 1);
  // The arrival queues a read-back behind the dropped jobs; once it is answered they have
  // been taken off the queue.
  ASSERT_EQ(MouseCtl("plug"), 0);
  ASSERT_TRUE(WaitUntil([] { return CountReceived(kOptionTitle, kMsgConfigReadBack, 0) == 2; }));
  // The dropped upload still answers its apply, so the configurator is not left waiting.
  EXPECT_EQ(CountReceived(kOptionTitle, kMsgApplyFinished, 0), 2u);
  sets = LoggedReports("SET");
  for (int id : {5, 6, 7, 8}) {
    EXPECT_EQ(std::count(sets.begin(), sets.end(), id), 0) << "report " << id;
  }
}

TEST_F(MonitorProgramTest, AppletsAreStartedReloadedAndClosedByTheirSwitches) {
  InstallDeviceLibrary();
  InstallStandIn("Applets\\Loadpeek.exe");
  InstallStandIn("Applets\\Mailpeek.exe");
  InstallStandIn("Applets\\Osdtalk.exe");
  settings::OSDSetting osd{};
  settings::SetOsdDefaults(&osd);
  osd.ShowMail = 1;
  osd.ShowDpi = 1;  // the CPI notice; it does not start the voice-call notifier
  WriteOsdSetting(osd);
  StartMonitor();
  ASSERT_TRUE(WaitUntil([this] { return StandInCount("Applets\\Mailpeek.exe", "0 0 0") == 1; }));

  osd.ShowMail = 0;
  osd.ShowSkype = 1;
  osd.ShowCpu = 1;
  WriteOsdSetting(osd);
  ASSERT_TRUE(::PostMessageA(MonitorWindow(), kMsgApply, 0, 0));
  ASSERT_TRUE(WaitUntil([this] {
    return StandInLog("Applets\\Mailpeek.exe") ==
           std::vector<std::string>{"0 0 0", "1224 0 0", "16 0 0"};
  }));
  ASSERT_TRUE(WaitUntil([this] {
    return StandInCount("Applets\\Loadpeek.exe", "0 0 0") == 1 &&
           StandInCount("Applets\\Osdtalk.exe", "0 0 0") == 1;
  }));

  // Running applets are told to reload, never started twice; the voice-call notifier was not
  // started by the CPI-notice switch at first.
  ASSERT_TRUE(::PostMessageA(MonitorWindow(), kMsgApply, 0, 0));
  const std::vector<std::string> startedThenReloaded = {"0 0 0", "1224 0 0"};
  EXPECT_TRUE(WaitUntil([&] {
    return StandInLog("Applets\\Loadpeek.exe") == startedThenReloaded &&
           StandInLog("Applets\\Osdtalk.exe") == startedThenReloaded;
  }));
  EXPECT_EQ(StandInLog("Applets\\Loadpeek.exe"), startedThenReloaded);
  EXPECT_EQ(StandInLog("Applets\\Osdtalk.exe"), startedThenReloaded);
  EXPECT_EQ(StandInLog("Applets\\Mailpeek.exe"),
            (std::vector<std::string>{"0 0 0", "1224 0 0", "16 0 0"}));
}

TEST_F(MonitorProgramTest, TextHandOffIsStoredAndAnnouncedOnlyWhileTheMouseIsPresent) {
  InstallDeviceLibrary();
  Recorders recorders;
  recorders.Add(kOsdTitle);
  StartMonitor();

  char record[151] = {1};
  std::strcpy(record + 1, "CPU 42%");
  EXPECT_EQ(SendCopyData(record, sizeof record), TRUE);
  EXPECT_EQ(OsdMessage(), "CPU 42%");
  ASSERT_TRUE(WaitUntil([] { return CountReceived(kOsdTitle, kMsgOsdNotice, 50) == 1; }));

  // Any other size changes nothing, and is still answered TRUE.
  char other[151] = {1};
  std::strcpy(other + 1, "RAM 99%");
  for (DWORD size : {0u, 1u, 150u, 152u}) {
    std::vector<char> data(other, other + sizeof other);
    data.resize(std::max<DWORD>(size, 1));
    EXPECT_EQ(SendCopyData(data.data(), size), TRUE) << size;
  }
  EXPECT_EQ(OsdMessage(), "CPU 42%");

  // A text without terminator is cut inside the record.
  char unterminated[151];
  std::memset(unterminated, 'A', sizeof unterminated);
  EXPECT_EQ(SendCopyData(unterminated, sizeof unterminated), TRUE);
  EXPECT_EQ(OsdMessage(), std::string(147, 'A'));
  Pump();
  EXPECT_EQ(CountReceived(kOsdTitle, kMsgOsdNotice, 50), 2u);

  ASSERT_EQ(MouseCtl("unplug"), 0);
  ASSERT_TRUE(WaitUntil([this] { return DeviceFlag() == 0; }));
  std::strcpy(record + 1, "RAM 7%");
  EXPECT_EQ(SendCopyData(record, sizeof record), TRUE);
  EXPECT_EQ(OsdMessage(), "RAM 7%");
  Pump();
  EXPECT_EQ(CountReceived(kOsdTitle, kMsgOsdNotice, 50), 2u);
}

TEST_F(MonitorProgramTest, ConsoleDisconnectReleasesTheMouseAndConnectTakesItBack) {
  InstallDeviceLibrary();
  Recorders recorders;
  recorders.Add(kOptionTitle);
  recorders.Add(kOsdTitle);
  StartMonitor();
  ASSERT_TRUE(WaitUntil([] { return CountReceived(kOptionTitle, kMsgConfigReadBack, 0) == 1; }));

  ASSERT_TRUE(::PostMessageA(MonitorWindow(), kWmWtsSessionChange, 2, 0));
  ASSERT_TRUE(WaitUntil([this] { return DeviceFlag() == 0; }));
  EXPECT_TRUE(WaitUntil([] {
    return CountReceived(kOptionTitle, WM_CLOSE, 0) == 1 &&
           CountReceived(kOsdTitle, WM_CLOSE, 0) == 1;
  }));
  char record[151] = {1};
  std::strcpy(record + 1, "CPU 1%");
  EXPECT_EQ(SendCopyData(record, sizeof record), TRUE);
  Pump();
  EXPECT_EQ(CountReceived(kOsdTitle, kMsgOsdNotice, kNoticeMessageText), 0u);

  // Other session events change nothing.
  ASSERT_TRUE(::PostMessageA(MonitorWindow(), kWmWtsSessionChange, 5, 0));
  ASSERT_TRUE(::PostMessageA(MonitorWindow(), kWmWtsSessionChange, 1, 0));
  ASSERT_TRUE(WaitUntil([this] { return DeviceFlag() == 1; }));
  EXPECT_TRUE(WaitUntil([] { return CountReceived(kOptionTitle, kMsgConfigReadBack, 0) == 2; }));
  EXPECT_EQ(SendCopyData(record, sizeof record), TRUE);
  EXPECT_TRUE(
      WaitUntil([] { return CountReceived(kOsdTitle, kMsgOsdNotice, kNoticeMessageText) == 1; }));
}

TEST_F(MonitorProgramTest, ApplyPassesColourAndTransparencyToTheDisplay) {
  InstallDeviceLibrary();
  Recorders recorders;
  recorders.Add(kOsdTitle);
  recorders.Add(kOptionTitle);
  StartMonitor();
  settings::OSDSetting osd{};
  settings::SetOsdDefaults(&osd);
  osd.OsdColor = 2;
  osd.OsdTransparency = 7;
  WriteOsdSetting(osd);
  ASSERT_TRUE(::PostMessageA(MonitorWindow(), kMsgApply, 0, 0));
  ASSERT_TRUE(WaitUntil([] { return CountReceived(kOptionTitle, kMsgApplyFinished, 0) == 1; }));
  std::vector<Received> appearance;
  for (const Received& r : g_received) {
    if (r.Title == kOsdTitle && r.Message == kMsgOsdAppearance) appearance.push_back(r);
  }
  EXPECT_EQ(appearance, (std::vector<Received>{{kOsdTitle, kMsgOsdAppearance, 0, (2 << 16) + 7}}));
}

TEST_F(MonitorProgramTest, TrayOpensTheConfiguratorOnceAndItsExitCommandEndsTheMonitor) {
  InstallDeviceLibrary();
  InstallStandIn("KARVO Gaming Mouse Option.exe");
  StartMonitor();
  ASSERT_TRUE(::PostMessageA(MonitorWindow(), kMsgTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK));
  ASSERT_TRUE(
      WaitUntil([this] { return StandInCount("KARVO Gaming Mouse Option.exe", "0 0 0") == 1; }));
  // Running already: brought forward, not started again.
  ASSERT_TRUE(::PostMessageA(MonitorWindow(), WM_COMMAND, kMenuOpenConfigurator, 0));
  ASSERT_TRUE(::PostMessageA(MonitorWindow(), kMsgTrayCallback, kTrayIconId, WM_MOUSEMOVE));
  ASSERT_TRUE(::PostMessageA(MonitorWindow(), WM_COMMAND, kMenuExit, 0));
  ASSERT_TRUE(
      WaitUntil([this] { return ::WaitForSingleObject(m_monitor.hProcess, 0) == WAIT_OBJECT_0; }));
  EXPECT_TRUE(WaitUntil([this] {
    return StandInLog("KARVO Gaming Mouse Option.exe") ==
           std::vector<std::string>{"0 0 0", "16 0 0"};
  }));
  EXPECT_EQ(StopMonitor(), 0);
}

TEST_F(MonitorProgramTest, ExitDuringAnUploadTheMouseNeverAcknowledgesStillEnds) {
  InstallDeviceLibrary();
  Recorders recorders;
  recorders.Add(kOptionTitle);
  StartMonitor();
  ASSERT_TRUE(WaitUntil([] { return CountReceived(kOptionTitle, kMsgConfigReadBack, 0) == 1; }));
  ASSERT_EQ(MouseCtl("status busy-forever"), 0);
  ASSERT_EQ(MouseCtl("reports --clear"), 0);
  ASSERT_TRUE(::PostMessageA(MonitorWindow(), kMsgApply, 1, 0));  // restore: many reports
  ASSERT_TRUE(WaitUntil([this] { return !LoggedReports("SET").empty(); }));
  EXPECT_EQ(StopMonitor(), 0) << "the monitor had to be killed";
}

TEST_F(MonitorProgramTest, ShutdownClosesCompanionsInOrderThenReleasesBlockAndMutex) {
  InstallDeviceLibrary();
  StartMonitor();
  Recorders recorders;
  for (const char* title : {kOsdTitle, kVoiceTitle, kLoadTitle, kMailTitle, kOptionTitle}) {
    recorders.Add(title);
  }
  g_received.clear();
  EXPECT_EQ(StopMonitor(), 0);
  Pump();
  std::vector<Received> closes;
  for (const Received& r : g_received) {
    if (r.Message == WM_CLOSE) closes.push_back(r);
  }
  const std::vector<Received> expected = {{kOptionTitle, WM_CLOSE, 0, 0},
                                          {kMailTitle, WM_CLOSE, 0, 0},
                                          {kLoadTitle, WM_CLOSE, 0, 0},
                                          {kVoiceTitle, WM_CLOSE, 0, 0},
                                          {kOsdTitle, WM_CLOSE, 0, 0}};
  EXPECT_EQ(closes, expected);
  EXPECT_FALSE(NamedMutexExists("KARVO_Gaming_Mouse_Mutex_Object"));
  EXPECT_FALSE(NamedMutexExists("KARVO Gaming Mouse Monitor"));
  ::SetLastError(0xdeadbeef);
  HANDLE mapping = ::OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedBlockName);
  EXPECT_EQ(mapping, nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  if (mapping) ::CloseHandle(mapping);
}

}  // namespace
}  // namespace karvo::monitor
