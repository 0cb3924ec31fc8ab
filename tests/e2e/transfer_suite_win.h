#pragma once
// The installed monitor driven from outside, as the configurator and the user's hand would:
// a private copy of the install directory, the monitor process, a stand-in configurator
// window that records what the monitor posts to it, the shared block, and mousectl.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/suite_names.h"
#include "settings/settings_image.h"
#include "tests/support/child_process_win.h"
#include "tests/support/recording_window_win.h"

namespace karvo::e2e {

// The install directory named by KARVO_DIST (a Unix or a Windows path) in Wine's terms, with a
// trailing backslash; nullopt when the variable is not set.
std::optional<std::string> DistDirectory();

// A fresh copy of the install directory below %TEMP%, removed again on destruction. The
// virtual mouse's state file is not copied, so every copy starts with a mouse in its factory
// state.
class InstallDir {
 public:
  explicit InstallDir(const std::string& distDir);
  ~InstallDir();
  InstallDir(const InstallDir&) = delete;
  InstallDir& operator=(const InstallDir&) = delete;

  bool Ok() const { return m_ok; }
  const std::string& Path() const { return m_path; }  // with a trailing backslash
  std::string File(const std::string& relative) const { return m_path + relative; }

 private:
  std::string m_path;
  bool m_ok = false;
};

// A companion as far as the monitor can tell: a top-level window with the companion's title
// that records the messages the monitor posts to it. WM_CLOSE is recorded, not obeyed.
class CompanionWindow {
 public:
  struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };

  explicit CompanionWindow(const char* title);
  ~CompanionWindow();
  CompanionWindow(const CompanionWindow&) = delete;
  CompanionWindow& operator=(const CompanionWindow&) = delete;

  bool Ok() const { return m_window.Ok(); }
  // Pumps this thread's messages until `message` has arrived `count` times in all, or
  // timeoutMs has passed; true when it has.
  bool WaitFor(UINT message, int count, DWORD timeoutMs);
  // How often `message` has arrived, after dispatching what is already queued.
  int Count(UINT message);
  // Every `message` received so far, in order.
  std::vector<Message> Received(UINT message);
  void Clear() { m_window.Clear(); }
  // Pumps messages for a while without waiting for anything in particular.
  void Pump(DWORD ms);

 private:
  testing::RecordingWindow m_window;
};

// The configurator: 1254 after a read-back, 1256 after an apply.
class FakeConfigurator : public CompanionWindow {
 public:
  FakeConfigurator();
};

// The installed monitor program, started in its directory.
class MonitorProcess {
 public:
  explicit MonitorProcess(const InstallDir& dir);
  // Ends it the hard way if a test left it running, and closes the display program it may
  // have started.
  ~MonitorProcess();
  MonitorProcess(const MonitorProcess&) = delete;
  MonitorProcess& operator=(const MonitorProcess&) = delete;

  bool Started() const { return m_process.Started(); }
  // The monitor's window once it exists (waits up to timeoutMs for it).
  HWND Window(DWORD timeoutMs = 20000);
  // Posts WM_CLOSE to its window; the process then shuts down by itself.
  bool PostClose();
  // True when the process ended within timeoutMs.
  bool WaitExit(DWORD timeoutMs);
  DWORD ExitCode() const;

 private:
  testing::ChildProcess m_process;
};

// The end-to-end fixture: a private install directory, the monitor started in it with a
// stand-in configurator, and what a test reads back from the suite.
class SuiteTest : public ::testing::Test {
 protected:
  static constexpr DWORD kSuiteStartMs = 60000;  // bounds against hangs, never measured
  static constexpr DWORD kSuiteActionMs = 30000;

  // The copy of KARVO_DIST's install directory.
  void InstallSuite();
  // Starts the monitor and waits for the read-back it announces at start.
  void StartMonitor();
  // Closes the monitor (within a bound) and removes the install directory.
  void TearDown() override;
  // What the configurator's Apply does: change the block and post 1224 (wParam 1 restores the
  // device defaults); Apply awaits the 1256 that ends it.
  void PostApply(const std::function<void(settings::SettingsImage&)>& change,
                 WPARAM restoreDefaults = 0);
  void Apply(const std::function<void(settings::SettingsImage&)>& change,
             WPARAM restoreDefaults = 0);
  // The active slot as the shared block, config.ini and the mouse have it; -1 when unreadable.
  int BlockProfile();
  int IniProfile();
  int MouseSlot();
  // Pumps the stand-in's messages until done(); false after timeoutMs.
  bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kSuiteActionMs);

  std::unique_ptr<InstallDir> m_dir;
  FakeConfigurator m_configurator;
  std::unique_ptr<MonitorProcess> m_monitor;
};

// The named block and mutex the monitor publishes its settings in.
class SharedBlockClient {
 public:
  SharedBlockClient();
  bool Ok() const { return m_view && m_mutex; }
  // Whole copies under the mutex, as the configurator makes them.
  bool Read(settings::SettingsImage& image);
  bool Write(const settings::SettingsImage& image);

 private:
  platform::UniqueHandle m_mapping;
  platform::UniqueView m_view;
  platform::UniqueHandle m_mutex;
};

struct ToolRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
};

// Runs a command line in `dir` (the current directory when empty) until it ends; stdout and
// stderr together.
ToolRun RunTool(const std::string& commandLine, const std::string& dir);

// mousectl.exe of the install directory with `args`; stdout and stderr together.
ToolRun Mousectl(const InstallDir& dir, const std::string& args);

std::vector<std::string> Lines(const std::string& text);

// One line of mousectl's report log.
struct LoggedReport {
  bool isSet = false;
  int id = 0;
  bool ok = false;
  std::vector<std::uint8_t> bytes;
};
// The lines that parse; anything else is left out.
std::vector<LoggedReport> ParseReportLog(const std::string& text);

// mousectl's state listing.
struct MouseState {
  int activeSlot = -1;
  int level = -1;
  int firmware = -1;
  int host = -1;
  std::vector<std::uint8_t> sensor[settings::kProfileCount];
  std::vector<std::uint8_t> buttons[settings::kProfileCount];
};
std::optional<MouseState> ParseMouseState(const std::string& text);

// The value of config.ini [OSDData] "Message" as the file holds it, "" when absent.
std::string StoredMessage(const InstallDir& dir);

// The heap copy of a settings image (170 KB is too much for a test thread's stack).
std::unique_ptr<settings::SettingsImage> NewImage();

// Polls `mousectl reports` until a line matches, or timeoutMs passed; the matching log.
template <typename Pred>
std::optional<std::vector<LoggedReport>> WaitForReport(const InstallDir& dir, Pred pred,
                                                       DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  do {
    ToolRun run = Mousectl(dir, "reports");
    if (run.exitCode == 0) {
      std::vector<LoggedReport> log = ParseReportLog(run.output);
      for (const LoggedReport& r : log) {
        if (pred(r)) return log;
      }
    }
    ::Sleep(100);
  } while (::GetTickCount() - start < timeoutMs);
  return std::nullopt;
}

using platform::kConfiguratorTitle;
using platform::kMonitorExe;
using platform::kMonitorTitle;
using platform::kMsgApply;
using platform::kMsgApplyFinished;
using platform::kMsgOsdAppearance;
using platform::kOsdTitle;
inline constexpr UINT kMsgReadBackDone = platform::kMsgConfigReadBack;

}  // namespace karvo::e2e
