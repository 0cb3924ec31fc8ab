#pragma once
// What the monitor decides, apart from how Windows carries it out: device presence, the
// companion programs, the text hand-off, apply requests and the order of shutdown. The window
// thread calls it; the configuration worker reads DeviceState and the worker flags.
#include <atomic>
#include <cstdint>
#include <string_view>

#include "monitor/companions.h"

namespace karvo::monitor {

enum class DeviceState : int { NotOpened = 0, Present = 1, Removed = 2 };

// The switches of the notification record that the monitor acts on.
struct OsdSwitches {
  std::int32_t ShowCpu = 0;
  std::int32_t ShowRam = 0;
  std::int32_t ShowMail = 0;
  std::int32_t ShowSkype = 0;
  std::int32_t OsdColor = 4;
  std::int32_t OsdTransparency = 0;
};

// ConfigBusy and ConfigCancel: each written by one thread and read by the other.
// Stopping is set once at exit so that jobs still queued behind the running one are dropped.
struct WorkerFlags {
  std::atomic<bool> Busy{false};
  std::atomic<bool> Cancel{false};
  std::atomic<bool> Stopping{false};

  // Worker, before a job. The cancel left by an earlier job goes before the job counts as busy:
  // a cancel made once the window thread can see it busy is then never wiped out.
  void BeginJob() {
    Cancel = false;
    Busy = true;
  }
  void EndJob() { Busy = false; }
  // Window thread: removal, console disconnect, exit.
  void CancelIfBusy() {
    if (Busy) Cancel = true;
  }
};

class IMonitorHost {
 public:
  virtual ~IMonitorHost() = default;

  // Device library; a missing library or entry behaves as an absent mouse.
  virtual void OpenDevMonitor() = 0;
  [[nodiscard]] virtual bool OpenFeatureDevice() = 0;
  virtual void CloseDevMonitor() = 0;
  virtual void CloseFeatureDevice() = 0;
  // Report 11 with the given value at exit, once the running job has let go of the mouse; its
  // acknowledgement is awaited within a bound.
  virtual void SendHostControl(int value) = 0;

  virtual void SetTimer(std::uint32_t id, std::uint32_t ms) = 0;
  virtual void KillTimer(std::uint32_t id) = 0;
  [[nodiscard]] virtual bool PostWorker(std::uint32_t job, std::intptr_t param) = 0;
  virtual void PostSelf(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  virtual void Sleep(std::uint32_t ms) = 0;

  virtual void AddTrayIcon() = 0;
  virtual void RemoveTrayIcon() = 0;

  [[nodiscard]] virtual bool WindowExists(Companion companion) = 0;
  virtual void PostTo(Companion companion, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) = 0;
  virtual void BringForward(Companion companion) = 0;
  virtual void Start(Companion companion) = 0;

  // Settings files and the shared block.
  virtual void SetDeviceFlag(int value) = 0;
  // False when the record could not be read; the switches are then left as they were.
  [[nodiscard]] virtual bool ReadOsdSetting(OsdSwitches& switches) = 0;
  virtual void StoreOsdMessage(std::string_view text) = 0;
  virtual void ReadSharedBlockIntoCopy() = 0;

  // Shutdown steps that belong to the threads and resources the host owns.
  virtual void StopWorker() = 0;
  virtual void StopEventThread() = 0;
  virtual void FreeDeviceLibrary() = 0;
  virtual void StopMacroPlayer() = 0;
  virtual void UnregisterSessionNotification() = 0;
  virtual void CloseSharedBlock() = 0;

  virtual void Log(const char* line) = 0;
};

class MonitorCore {
 public:
  MonitorCore(IMonitorHost& host, WorkerFlags& flags) : m_host(host), m_flags(flags) {}

  DeviceState State() const { return m_state.load(); }
  const std::atomic<DeviceState>& StateWord() const { return m_state; }
  const OsdSwitches& Switches() const { return m_switches; }

  // Start-up once the window, block and threads exist: open the mouse, and when it is
  // there show the tray icon and start the companions.
  void LoadOsdSetting();
  void Start(bool openConfigurator);

  void OnTimer(std::uint32_t id);
  // Message 1325 (wParam, lParam) and 1326 (wParam) of the device library.
  void OnDeviceEvent(std::uint32_t word);
  void OnPresence(std::uintptr_t wParam);
  void OnSessionChange(std::uintptr_t code);
  // Message 1224: the configurator wrote the block; restoreDefaults is its wParam.
  void OnApplyRequest(std::intptr_t restoreDefaults);
  // WM_COPYDATA; the caller answers TRUE whatever this does.
  void OnCopyData(std::uint32_t size, const void* data);
  void OpenConfigurator();
  // WM_DESTROY.
  void Shutdown();
  // Explorer restarted: the icon has to be added again if it was showing.
  void OnTaskbarCreated();

  void UpdateApplets();
  void CloseApplets();

 private:
  bool OpenDevice();
  void CloseDevice();
  void OnArrival();
  void OnRemoval();
  void CancelRunningJob();
  void CloseIfOpen(Companion companion);

  IMonitorHost& m_host;
  WorkerFlags& m_flags;
  std::atomic<DeviceState> m_state{DeviceState::NotOpened};
  OsdSwitches m_switches;
  bool m_trayShown = false;
};

}  // namespace karvo::monitor
