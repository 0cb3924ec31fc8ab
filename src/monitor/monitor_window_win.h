#pragma once
// The monitor's one hidden window: the message hub of the suite. It owns the settings copy,
// the shared block, the device library, the three threads and the tray icon, and carries out
// what MonitorCore decides.
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "monitor/action_dispatcher_win.h"
#include "monitor/config_transfer.h"
#include "monitor/config_worker.h"
#include "monitor/device_library_win.h"
#include "monitor/monitor_core.h"
#include "monitor/queued_thread_win.h"
#include "monitor/shared_block_win.h"
#include "monitor/tray_icon_win.h"
#include "platform/handles.h"
#include "platform/window_win.h"
#include "settings/profile_files.h"
#include "settings/settings_image.h"

namespace karvo::settings {
class WinFileStore;
class WinRegistry;
}  // namespace karvo::settings

namespace karvo::monitor {

class MonitorWindow final : public platform::Window, public IMonitorHost {
 public:
  explicit MonitorWindow(bool openConfigurator);
  // The window is destroyed while the object still hears it, so its shutdown runs.
  ~MonitorWindow() override;

  // Creates the window; false when creation failed (another monitor owns the block mutex).
  [[nodiscard]] bool Create(HINSTANCE instance);

 private:
  class WorkerJobs;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  [[nodiscard]] bool OnCreate();
  void OnDestroy();
  void OnTrayNotify(UINT mouseMessage);
  void OnCommand(UINT id);

  void RegisterSessionNotification();
  void LoadSettings();
  [[nodiscard]] bool StartThreads();
  static void WorkerMain(void* self);
  void RunWorkerLoop();
  HWND FindCompanion(Companion companion) const;

  // IMonitorHost
  void OpenDevMonitor() override;
  bool OpenFeatureDevice() override;
  void CloseDevMonitor() override;
  void CloseFeatureDevice() override;
  void SendHostControl(int value) override;
  void SetTimer(std::uint32_t id, std::uint32_t ms) override;
  void KillTimer(std::uint32_t id) override;
  bool PostWorker(std::uint32_t job, std::intptr_t param) override;
  void PostSelf(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void Sleep(std::uint32_t ms) override;
  void AddTrayIcon() override;
  void RemoveTrayIcon() override;
  bool WindowExists(Companion companion) override;
  void PostTo(Companion companion, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) override;
  void BringForward(Companion companion) override;
  void Start(Companion companion) override;
  void SetDeviceFlag(int value) override;
  bool ReadOsdSetting(OsdSwitches& switches) override;
  void StoreOsdMessage(std::string_view text) override;
  void ReadSharedBlockIntoCopy() override;
  void StopWorker() override;
  void StopEventThread() override;
  void FreeDeviceLibrary() override;
  void StopMacroPlayer() override;
  void UnregisterSessionNotification() override;
  void CloseSharedBlock() override;
  void Log(const char* line) override;

  const bool m_openConfigurator;
  bool m_started = false;  // WM_CREATE got through; only then is there anything to shut down
  UINT m_taskbarCreated = 0;
  std::string m_programDir;
  std::string m_configPath;

  std::unique_ptr<settings::WinFileStore> m_store;
  std::unique_ptr<settings::WinRegistry> m_registry;
  std::unique_ptr<settings::SettingsFiles> m_files;
  // SettingsCopy: touched by the window thread and the worker, each under m_copyLock.
  std::mutex m_copyLock;
  std::unique_ptr<settings::SettingsImage> m_settingsCopy;
  // Blocks read into SettingsCopy (applies), under m_copyLock: a read-back that sees it change
  // while it ran leaves the records the apply changed to the upload behind it.
  std::uint32_t m_applyCount = 0;
  settings::OSDSetting m_osdSettings{};

  SharedBlock m_block;
  DeviceLibrary m_device;
  bool m_sessionRegistered = false;
  TrayIcon m_tray;

  WorkerFlags m_workerFlags;
  MonitorCore m_core;
  std::unique_ptr<WorkerJobs> m_jobs;

  QueuedThread m_workerThread;
  DWORD m_workerThreadId = 0;
  // Button functions and macros; declared last so it goes before what it borrows.
  std::unique_ptr<EventActions> m_events;
};

}  // namespace karvo::monitor
