// The virtual "hidgate.dll" as the monitor meets it: loaded by path, entries found by
// name, events posted to a window, driven from outside by mousectl.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/handles.h"
#include "sim/control.h"
#include "sim/firmware.h"

namespace karvo::sim {
namespace {

using platform::UniqueFile;
using platform::UniqueHandle;
using platform::UniqueModule;
using platform::UniqueWindow;

constexpr UINT kEventMessage = 1325;
constexpr UINT kArrivalMessage = 1326;

struct Msg {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Msg&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Msg& m) {
  return os << "{" << m.message << ", 0x" << std::hex << m.wParam << ", 0x" << m.lParam << std::dec
            << "}";
}

// A top-level window that records the device library's messages.
class RecordingWindow {
 public:
  RecordingWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &RecordingWindow::Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    ::RegisterClassA(&wc);  // fails harmlessly when already registered by an earlier test
    m_window.Reset(::CreateWindowExA(0, kClass, "virtual mouse test", WS_OVERLAPPED, 0, 0, 10, 10,
                                     nullptr, nullptr, wc.hInstance, this));
  }
  HWND Get() const { return m_window.Get(); }
  // Everything posted so far, in order.
  std::vector<Msg> Drain() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    return std::exchange(m_received, {});
  }

 private:
  static constexpr char kClass[] = "KarvoSimTestWindow";
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && (message == kEventMessage || message == kArrivalMessage)) {
      self->m_received.push_back({message, wParam, lParam});
      return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
  UniqueWindow m_window;
  std::vector<Msg> m_received;
};

struct ToolRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
};

// Runs mousectl.exe with args, its stdout and stderr captured together.
ToolRun Mousectl(const std::string& args) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readRaw = nullptr;
  HANDLE writeRaw = nullptr;
  ToolRun run;
  if (!::CreatePipe(&readRaw, &writeRaw, &sa, 0)) return run;
  UniqueHandle readEnd(readRaw);
  UniqueHandle writeEnd(writeRaw);
  if (!::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0)) return run;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nullptr;
  si.hStdOutput = writeEnd.Get();
  si.hStdError = writeEnd.Get();
  std::string commandLine = std::string("\"") + KARVO_MOUSECTL_PATH + "\" " + args;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &si, &pi)) {
    ADD_FAILURE() << "CreateProcessA failed: " << ::GetLastError();
    return run;
  }
  UniqueHandle process(pi.hProcess);
  UniqueHandle thread(pi.hThread);
  writeEnd.Reset();
  // The virtual mouse's channel starts on the thread that opened it, this one: its start
  // message is dispatched while mousectl runs, and only it, so the recorded messages stay
  // queued.
  char buf[4096];
  DWORD n = 0;
  const DWORD start = ::GetTickCount();
  for (bool ended = false; !ended && ::GetTickCount() - start < 30000;) {
    ended =
        ::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 20, QS_POSTMESSAGE) == WAIT_OBJECT_0;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, karvo::sim::kChannelStartMessage,
                          karvo::sim::kChannelStartMessage, PM_REMOVE)) {
      ::DispatchMessageA(&msg);
    }
    DWORD waiting = 0;
    while (::PeekNamedPipe(readEnd.Get(), nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0 &&
           ::ReadFile(readEnd.Get(), buf, std::min<DWORD>(waiting, sizeof buf), &n, nullptr)) {
      run.output.append(buf, n);
    }
  }
  while (::ReadFile(readEnd.Get(), buf, sizeof buf, &n, nullptr) && n > 0)
    run.output.append(buf, n);
  EXPECT_EQ(::WaitForSingleObject(process.Get(), 0), WAIT_OBJECT_0);
  ::GetExitCodeProcess(process.Get(), &run.exitCode);
  return run;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The library copied into a private directory, so each test has its own state file.
class Library {
 public:
  explicit Library(const std::string& dir) : m_dir(dir) { Load(); }
  ~Library() { Unload(); }

  void Load() {
    m_module.Reset(::LoadLibraryA((m_dir + "hidgate.dll").c_str()));
    ASSERT_TRUE(m_module) << ::GetLastError();
    Find(OpenDevMonitor, "Open_DevMonitor");
    Find(CloseDevMonitor, "Close_DevMonitor");
    Find(OpenFeatureDevice, "Open_FeatureDevice");
    Find(CloseFeatureDevice, "Close_FeatureDevice");
    Find(SetFeature, "SetFeature");
    Find(GetFeature, "GetFeature");
    Find(GetMousePID, "GetMousePID");
    ASSERT_TRUE(OpenDevMonitor && CloseDevMonitor && OpenFeatureDevice && CloseFeatureDevice &&
                SetFeature && GetFeature && GetMousePID);
  }
  template <typename F>
  void Find(F& entry, const char* name) {
    // Through the generic function type, as a cast between unrelated ones is not portable.
    entry =
        reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(m_module.Get(), name)));
  }
  void Unload() {
    if (m_module && CloseDevMonitor) CloseDevMonitor();
    m_module.Reset();
  }
  void FreeWithoutClosing() { m_module.Reset(); }
  HMODULE Module() const { return m_module.Get(); }

  BOOL(WINAPI* OpenDevMonitor)(HWND, UINT, UINT) = nullptr;
  BOOL(WINAPI* CloseDevMonitor)() = nullptr;
  BOOL(WINAPI* OpenFeatureDevice)() = nullptr;
  BOOL(WINAPI* CloseFeatureDevice)() = nullptr;
  BOOL(WINAPI* SetFeature)(void*, DWORD) = nullptr;
  BOOL(WINAPI* GetFeature)(void*, DWORD) = nullptr;
  DWORD(WINAPI* GetMousePID)() = nullptr;

 private:
  std::string m_dir;
  UniqueModule m_module;
};

class VirtualMouseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_GT(::GetTempPathA(MAX_PATH, temp), 0u);
    static int counter = 0;
    m_dir = std::string(temp) + "karvo_sim_" + std::to_string(::GetCurrentProcessId()) + "_" +
            std::to_string(++counter) + "\\";
    ASSERT_TRUE(::CreateDirectoryA(m_dir.c_str(), nullptr)) << ::GetLastError();
    ASSERT_TRUE(::CopyFileA(KARVO_HIDGATE_PATH, (m_dir + "hidgate.dll").c_str(), FALSE))
        << ::GetLastError();
  }
  void TearDown() override {
    lib.reset();
    for (const char* name : {"hidgate.dll", "hidgate.state", "hidgate.state.tmp"}) {
      ::DeleteFileA((m_dir + name).c_str());
    }
    ::RemoveDirectoryA(m_dir.c_str());
  }
  void Start() {
    lib = std::make_unique<Library>(m_dir);
    ASSERT_TRUE(lib->Module());
    lib->OpenDevMonitor(window.Get(), kEventMessage, kArrivalMessage);
    ASSERT_TRUE(lib->OpenFeatureDevice());
  }
  std::vector<std::uint8_t> Get(std::uint8_t id, std::size_t length) {
    std::vector<std::uint8_t> r(length, 0);
    r[0] = id;
    EXPECT_TRUE(lib->GetFeature(r.data(), static_cast<DWORD>(r.size()))) << "report " << int(id);
    return r;
  }
  std::uint8_t PollStatus() { return Get(report_id::kStatus, 3)[1]; }

  std::string m_dir;
  RecordingWindow window;
  std::unique_ptr<Library> lib;
};

TEST_F(VirtualMouseTest, ExportsExactlyTheUndecoratedEntries) {
  lib = std::make_unique<Library>(m_dir);
  ASSERT_TRUE(lib->Module());
  ::SetLastError(0xdeadbeef);
  EXPECT_EQ(::GetProcAddress(lib->Module(), "Open_DevMonitor@12"), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(::GetProcAddress(lib->Module(), "_SetFeature@8"), nullptr);
}

TEST_F(VirtualMouseTest, MousectlWithoutAVirtualMouseOrWithAMalformedCommand) {
  const ToolRun none = Mousectl("state");
  EXPECT_EQ(none.exitCode, 1u);
  EXPECT_NE(none.output.find("no virtual mouse is running"), std::string::npos) << none.output;
  const ToolRun malformed = Mousectl("press 12");
  EXPECT_EQ(malformed.exitCode, 2u);
  EXPECT_NE(malformed.output.find("usage: mousectl"), std::string::npos) << malformed.output;

  Start();
  EXPECT_EQ(Mousectl("press").exitCode, 2u);
  lib->CloseDevMonitor();
  EXPECT_EQ(Mousectl("state").exitCode, 1u) << "the channel closes with the monitor";
}

TEST_F(VirtualMouseTest, ButtonsPostEventsToTheMonitorWindow) {
  Start();
  // Hardware slot 2 (physical button 3) becomes a macro button in the active profile.
  ButtonReport map = DefaultButtonReport(0);
  map[3 + 3 * 2] = 16;
  StampChecksum(map);
  ASSERT_TRUE(lib->SetFeature(map.data(), map.size()));
  EXPECT_EQ(PollStatus(), status_byte::kDone);

  const ToolRun click = Mousectl("click 3");
  EXPECT_EQ(click.exitCode, 0u) << click.output;
  EXPECT_EQ(Lines(click.output),
            (std::vector<std::string>{"posted 0x40000003", "posted 0x40000103"}));
  EXPECT_EQ(Mousectl("press 6").exitCode, 0u);  // CPI up by default
  EXPECT_EQ(Mousectl("event 0xA000 1").exitCode, 0u);
  const std::vector<Msg> expected = {{kEventMessage, 0x4000, 0x0003},
                                     {kEventMessage, 0x4000, 0x0103},
                                     {kEventMessage, 0xB000, 0x0004},
                                     {kEventMessage, 0xA000, 0x0001}};
  EXPECT_EQ(window.Drain(), expected);
}

TEST_F(VirtualMouseTest, SelectedReportsReadBackWithTheirChecksums) {
  Start();
  SensorReport sensor = DefaultSensorReport(3);
  sensor[3] = 77;
  StampChecksum(sensor);
  ASSERT_TRUE(lib->SetFeature(sensor.data(), sensor.size()));
  EXPECT_EQ(PollStatus(), status_byte::kDone);
  ButtonReport buttons = DefaultButtonReport(1);
  buttons[3 + 3 * 5] = 45;
  buttons[58] ^= 1;  // a checksum the device must refuse
  ASSERT_TRUE(lib->SetFeature(buttons.data(), buttons.size()));
  EXPECT_EQ(PollStatus(), status_byte::kFailed);

  std::uint8_t select[3] = {report_id::kStatus, 3, 16};
  ASSERT_TRUE(lib->SetFeature(select, sizeof select));
  EXPECT_EQ(PollStatus(), status_byte::kDone);
  const auto gotSensor = Get(report_id::kSensor, kSensorReportLength);
  EXPECT_EQ(gotSensor, std::vector<std::uint8_t>(sensor.begin(), sensor.end()));
  select[1] = 1;
  select[2] = 32;
  ASSERT_TRUE(lib->SetFeature(select, sizeof select));
  EXPECT_EQ(PollStatus(), status_byte::kDone);
  const ButtonReport factory = DefaultButtonReport(1);
  EXPECT_EQ(Get(report_id::kButtons, kButtonReportLength),
            std::vector<std::uint8_t>(factory.begin(), factory.end()));
}

// The channel keeps its own reference to the library, so a caller that frees the
// library without Close_DevMonitor does not pull the code from under it.
TEST_F(VirtualMouseTest, ChannelOutlivesAFreeLibraryUntilClosed) {
  Start();
  const std::string path = m_dir + "hidgate.dll";
  lib->FreeWithoutClosing();
  EXPECT_NE(::GetModuleHandleA(path.c_str()), nullptr);
  EXPECT_EQ(Mousectl("state").exitCode, 0u);

  lib->Load();
  ASSERT_TRUE(lib->CloseDevMonitor());
  EXPECT_EQ(Mousectl("state").exitCode, 1u);
  lib->FreeWithoutClosing();
  EXPECT_EQ(::GetModuleHandleA(path.c_str()), nullptr) << "the thread released its reference";
}

TEST_F(VirtualMouseTest, UnplugAndPlug) {
  Start();
  const ToolRun unplug = Mousectl("unplug");
  EXPECT_EQ(unplug.exitCode, 0u);
  EXPECT_EQ(window.Drain(), (std::vector<Msg>{{kArrivalMessage, 0, 0}}));
  EXPECT_FALSE(lib->OpenFeatureDevice());
  std::uint8_t report[3] = {report_id::kProfile, 0, 0};
  EXPECT_FALSE(lib->GetFeature(report, sizeof report));
  EXPECT_EQ(Mousectl("click 3").exitCode, 3u);
  EXPECT_TRUE(window.Drain().empty());

  EXPECT_EQ(Mousectl("plug").exitCode, 0u);
  EXPECT_EQ(window.Drain(), (std::vector<Msg>{{kArrivalMessage, 1, 0}}));
  EXPECT_TRUE(lib->OpenFeatureDevice());
  EXPECT_TRUE(lib->GetFeature(report, sizeof report));
  lib->CloseFeatureDevice();
  EXPECT_FALSE(lib->GetFeature(report, sizeof report));
}

TEST_F(VirtualMouseTest, ReportsStatusModesAndTheLog) {
  Start();
  EXPECT_EQ(Mousectl("reports --clear").exitCode, 0u);
  std::uint8_t level[6] = {report_id::kLevel, 6, 5, 0, 0, 0};
  ASSERT_TRUE(lib->SetFeature(level, sizeof level));
  EXPECT_EQ(PollStatus(), status_byte::kDone);
  EXPECT_EQ(Get(report_id::kLevel, 6)[2], 5);

  const ToolRun reports = Mousectl("reports");
  EXPECT_EQ(reports.exitCode, 0u);
  const auto lines = Lines(reports.output);
  ASSERT_EQ(lines.size(), 3u) << reports.output;
  EXPECT_NE(lines[0].find(" SET 8 ok 080605000000"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find(" GET 4 ok 040100"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find(" GET 8 ok 080605000000"), std::string::npos) << lines[2];

  EXPECT_EQ(Mousectl("status busy 2").exitCode, 0u);
  ASSERT_TRUE(lib->SetFeature(level, sizeof level));
  EXPECT_EQ(PollStatus(), status_byte::kBusy);
  EXPECT_EQ(PollStatus(), status_byte::kBusy);
  EXPECT_EQ(PollStatus(), status_byte::kDone);
  EXPECT_EQ(Mousectl("status silent").exitCode, 0u);
  std::uint8_t status[3] = {report_id::kStatus, 0, 0};
  EXPECT_FALSE(lib->GetFeature(status, sizeof status));

  EXPECT_EQ(Mousectl("firmware 120").exitCode, 0u);
  EXPECT_EQ(Get(report_id::kFirmware, 8)[2], 120);
  const ToolRun state = Mousectl("state");
  EXPECT_EQ(Lines(state.output).at(4), "firmware 120");
  EXPECT_EQ(Lines(state.output).at(8), "status silent");
}

TEST_F(VirtualMouseTest, StateSurvivesAReloadAndADamagedFileGivesTheFactoryState) {
  Start();
  std::uint8_t level[6] = {report_id::kLevel, 6, 44, 0, 0, 0};
  ASSERT_TRUE(lib->SetFeature(level, sizeof level));
  lib.reset();

  Start();
  EXPECT_EQ(Get(report_id::kLevel, 6)[2], 44);
  lib.reset();

  {
    UniqueFile f(::CreateFileA((m_dir + "hidgate.state").c_str(), GENERIC_WRITE, 0, nullptr,
                               TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(f);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(f.Get(), "garbage", 7, &written, nullptr));
  }
  Start();
  EXPECT_EQ(Get(report_id::kLevel, 6)[2], kDefaultLevel);
  EXPECT_EQ(Get(report_id::kFirmware, 8)[2], kDefaultFirmwareVersion);
}

// A per-machine install lets users write the state file but create no file beside it; a
// directory in the side file's place stands in for that here.
TEST_F(VirtualMouseTest, StateIsKeptWhereNoSideFileCanBeCreated) {
  const std::string blocker = m_dir + "hidgate.state.tmp";
  ASSERT_TRUE(::CreateDirectoryA(blocker.c_str(), nullptr)) << ::GetLastError();
  Start();
  std::uint8_t level[6] = {report_id::kLevel, 6, 37, 0, 0, 0};
  ASSERT_TRUE(lib->SetFeature(level, sizeof level));
  lib.reset();
  Start();
  const std::uint8_t reloaded = Get(report_id::kLevel, 6)[2];
  lib.reset();
  EXPECT_TRUE(::RemoveDirectoryA(blocker.c_str())) << ::GetLastError();
  EXPECT_EQ(reloaded, 37);
}

TEST_F(VirtualMouseTest, TwoThreadsTransferReportsAtOnce) {
  Start();
  std::atomic<int> failures{0};
  auto worker = [&](std::uint8_t value) {
    for (int i = 0; i < 300; ++i) {
      std::uint8_t level[6] = {report_id::kLevel, 6, value, 0, 0, 0};
      std::uint8_t got[6] = {report_id::kLevel, 0, 0, 0, 0, 0};
      if (!lib->SetFeature(level, sizeof level) || !lib->GetFeature(got, sizeof got) ||
          (got[2] != 1 && got[2] != 2)) {
        ++failures;
      }
    }
  };
  std::thread a(worker, 1);
  std::thread b(worker, 2);
  a.join();
  b.join();
  EXPECT_EQ(failures.load(), 0);
  const ToolRun reports = Mousectl("reports");
  EXPECT_EQ(Lines(reports.output).size(), kReportLogCapacity);
}

}  // namespace
}  // namespace karvo::sim
