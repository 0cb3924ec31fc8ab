#pragma once
// Loadpeek's hidden main window: it owns the two notice timers, samples the loads
// on their expiries and hands the notices to the monitor.
#include <windows.h>

#include <string>

#include "load_notifier/load_notifier.h"
#include "load_notifier/load_sources_win.h"
#include "load_notifier/loadpeek_resources.h"
#include "platform/suite_names.h"
#include "platform/window_win.h"
#include "settings/file_store_win.h"
#include "settings/registry_win.h"
#include "settings/settings_image.h"

namespace karvo::load_notifier {

inline constexpr const char* kLoadWindowTitle = platform::kLoadTitle;
inline constexpr const char* kLoadWindowClass = platform::kLoadClass;
static_assert(kAppletReloadMessage == WM_USER + 200);

class LoadWindow final : public platform::Window,
                         private ITimers,
                         private INoticeSink,
                         private ISwitchSource {
 public:
  // programDir is the applet's own directory with its trailing backslash; the
  // settings come from config.ini in the directory above it.
  LoadWindow(HINSTANCE instance, std::string programDir);

  // Registers the class, creates the hidden window, starts both timers and reads
  // the settings. False when the window cannot be created.
  [[nodiscard]] bool Create();
  const LoadSwitches& Switches() const { return m_notifier.Switches(); }
  // How often a timer was (re)started; the timers run from creation to the end.
  int TimerStarts() const { return m_timerStarts; }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void OnTimer(UINT_PTR id);
  void OnAppletReload();
  void OnPaint();
  void OnDestroy();

  // ITimers
  bool Start(unsigned id, unsigned periodMs) override;
  void Stop(unsigned id) override;
  // INoticeSink
  void Send(const settings::OsdTextRecord& record) override;
  // ISwitchSource
  std::optional<LoadSwitches> ReadSwitches() override;

  HINSTANCE m_instance;
  std::string m_programDir;
  settings::WinFileStore m_files;
  settings::WinRegistry m_registry;
  settings::OSDSetting m_setting{};
  WinProcessorIdleSource m_idleSource;
  WinMemoryLoadSource m_memorySource;
  CpuLoadSampler m_cpu{m_idleSource};
  RamLoadSampler m_ram{m_memorySource};
  LoadNotifier m_notifier{m_cpu, m_ram, *this, *this, *this};
  int m_timerStarts = 0;
};

// False for messages the loop must not dispatch: a WM_TIMER that names a timer
// procedure would make DispatchMessage call whatever address the sender chose,
// and this program sets no timer procedures.
bool ShouldDispatch(const MSG& msg);

// Runs the thread's message loop until WM_QUIT; its exit code.
int RunMessageLoop();

}  // namespace karvo::load_notifier
