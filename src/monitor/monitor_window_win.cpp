#include "monitor/monitor_window_win.h"

#include <shellapi.h>

#include <cstring>
#include <new>
#include <span>
#include <type_traits>

#include "monitor/device_reports.h"
#include "monitor/event_decoder.h"
#include "monitor/monitor_messages.h"
#include "monitor/shared_block_layout.h"
#include "platform/debug_log.h"
#include "platform/dyn_calls_win.h"
#include "platform/program_dir_win.h"
#include "settings/file_store_win.h"
#include "settings/mouse_settings.h"
#include "settings/registry_win.h"

namespace karvo::monitor {

namespace {
constexpr DWORD kThreadStackSize = 4096;
constexpr DWORD kThreadReadyTimeoutMs = 5000;
constexpr int kSessionRegisterAttempts = 10;
constexpr DWORD kSessionRegisterRetryMs = 1000;
constexpr DWORD kNotifyThisSession = 0;  // NOTIFY_FOR_THIS_SESSION

static_assert(sizeof(settings::SettingsImage) == kSharedBlockSize);

class WinSleeper final : public ISleeper {
 public:
  void SleepMs(std::uint32_t ms) override { ::Sleep(ms); }
};

BlockBytes BytesOf(settings::SettingsImage& image) {
  return BlockBytes(reinterpret_cast<std::uint8_t*>(&image), kSharedBlockSize);
}

// Posted messages carry no pointers, so a worker may post to any window it finds.
void PostToTitle(const char* title, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND target = ::FindWindowA(nullptr, title);
  if (target && !::PostMessageA(target, message, wParam, lParam)) {
    platform::DebugLogLastError("PostMessageA to a companion");
  }
}

// A job's copy of the settings, in pages of its own that go back to the system when the job
// ends: a heap would keep the 170 KB for the rest of the monitor's life.
class JobImage {
 public:
  JobImage()
      : m_pages(::VirtualAlloc(nullptr, sizeof(settings::SettingsImage), MEM_COMMIT | MEM_RESERVE,
                               PAGE_READWRITE)) {
    if (!m_pages) throw std::bad_alloc();
    m_image = new (m_pages) settings::SettingsImage;
  }
  ~JobImage() {
    if (!::VirtualFree(m_pages, 0, MEM_RELEASE)) platform::DebugLogLastError("VirtualFree");
  }
  JobImage(const JobImage&) = delete;
  JobImage& operator=(const JobImage&) = delete;
  settings::SettingsImage& Get() { return *m_image; }

 private:
  void* m_pages;
  settings::SettingsImage* m_image;
};
static_assert(std::is_trivially_destructible_v<settings::SettingsImage>);
}  // namespace

// The worker's jobs run against the device library with their own copy of the settings, taken
// from SettingsCopy when the job starts, so the window thread never waits for a job.
class MonitorWindow::WorkerJobs final : public IWorkerJobs, public IReadBackSink {
 public:
  explicit WorkerJobs(MonitorWindow& owner)
      : m_owner(owner), m_channel(owner.m_device, m_sleeper, owner.m_workerFlags.Cancel) {}

  void Upload(bool restoreDefaults) override {
    if (restoreDefaults) {
      RunRestoreDefaults(m_channel);
      return;
    }
    JobImage image;
    TakeSnapshot(image.Get());
    RunUpload(m_channel, image.Get());
  }
  void ReadBack() override {
    JobImage image;
    m_readBackApplyCount = TakeSnapshot(image.Get());
    RunReadBack(m_channel, image.Get(), *this);
  }
  void SendCurrentProfile() override {
    JobImage image;
    TakeSnapshot(image.Get());
    monitor::SendCurrentProfile(m_channel, image.Get());
  }
  void PostApplyFinished() override {
    PostToTitle(Describe(Companion::Configurator).WindowTitle, kMsgApplyFinished, 0, 0);
  }

  void SetFirmwareVersion(int version) override { m_owner.m_files->SetFirmwareVersion(version); }
  // The read-back ran on a snapshot; an apply or a profile switch may have replaced
  // SettingsCopy since, and the mouse's values must not bring the older settings back.
  void StoreIntoSettings(const std::function<void(settings::SettingsImage&, bool)>& store,
                         settings::SettingsImage& image) override {
    std::lock_guard lock(m_owner.m_copyLock);
    store(*m_owner.m_settingsCopy, m_owner.m_applyCount != m_readBackApplyCount);
    image = *m_owner.m_settingsCopy;
  }
  void ReadSystemMouseSettings(settings::SettingsImage& image) override {
    settings::ReadSystemMouseSettings(*m_owner.m_registry, &image);
  }
  void SaveAll(settings::SettingsImage& image) override {
    if (!m_owner.m_files->SaveAll(&image)) platform::DebugLog("SaveAll after read-back failed\n");
  }
  void WriteSharedBlock(const settings::SettingsImage&) override {
    // SettingsCopy already holds what was read; it is published as it is now.
    std::lock_guard lock(m_owner.m_copyLock);
    if (!m_owner.m_block.WriteSharedBlock(m_owner.m_settingsCopy.get())) {
      platform::DebugLog("block not written\n");
    }
  }
  void NotifyReadBackDone() override {
    PostToTitle(Describe(Companion::Configurator).WindowTitle, kMsgConfigReadBack, 0, 0);
  }

 private:
  // The snapshot and the number of blocks read into SettingsCopy so far.
  std::uint32_t TakeSnapshot(settings::SettingsImage& image) {
    std::lock_guard lock(m_owner.m_copyLock);
    image = *m_owner.m_settingsCopy;
    return m_owner.m_applyCount;
  }

  MonitorWindow& m_owner;
  std::uint32_t m_readBackApplyCount = 0;
  WinSleeper m_sleeper;
  ReportChannel m_channel;
};

MonitorWindow::MonitorWindow(bool openConfigurator)
    : m_openConfigurator(openConfigurator),
      m_settingsCopy(std::make_unique<settings::SettingsImage>()),
      m_block(kSharedBlockName, kSharedBlockMutexName, kSharedBlockSize),
      m_core(*this, m_workerFlags) {
  settings::SetOsdDefaults(&m_osdSettings);
}

MonitorWindow::~MonitorWindow() { Destroy(); }

bool MonitorWindow::Create(HINSTANCE instance) {
  return Window::Create(instance, {.Name = platform::kMonitorClass}, kMonitorTitle,
                        {.Style = WS_POPUP, .X = 100, .Y = 100, .Width = 100, .Height = 100});
}

LRESULT MonitorWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (DefaultProc(message, wParam, lParam) == -1) return -1;
      return OnCreate() ? 0 : -1;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_TIMER:
      if (wParam == kTimerGameCheck && m_events) m_events->OnGameCheck();
      m_core.OnTimer(static_cast<std::uint32_t>(wParam));
      return 0;
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data) m_core.OnCopyData(data->cbData, data->lpData);
      return TRUE;
    }
    case WM_DEVICECHANGE:
      return TRUE;
    case kWmWtsSessionChange:
      m_core.OnSessionChange(wParam);
      return 0;
    case kMsgApply:
      m_core.OnApplyRequest(static_cast<std::intptr_t>(wParam));
      return 0;
    case kMsgReadSharedBlockA:
    case kMsgReadSharedBlockB:
      ReadSharedBlockIntoCopy();
      return 0;
    case kMsgIgnoredA:
    case kMsgIgnoredB:
      return 0;
    case kMsgTrayCallback:
      OnTrayNotify(static_cast<UINT>(lParam));
      return 0;
    case kMsgDeviceEvent: {
      std::uint32_t word = WordFromDeviceMessage(wParam, lParam);
      if (!m_events || !m_events->Dispatch(word)) m_core.OnDeviceEvent(word);
      return 0;
    }
    case kMsgDevicePresence:
      m_core.OnPresence(wParam);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    default:
      if (m_taskbarCreated != 0 && message == m_taskbarCreated) {
        m_core.OnTaskbarCreated();
        return 0;
      }
      return DefaultProc(message, wParam, lParam);
  }
}

bool MonitorWindow::OnCreate() {
  m_programDir = platform::ProgramDir();
  m_configPath = m_programDir + "config.ini";
  m_taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  if (m_taskbarCreated == 0) platform::DebugLogLastError("RegisterWindowMessageA(TaskbarCreated)");

  RegisterSessionNotification();
  if (!m_device.Load(m_programDir + kDeviceLibraryName)) Log("hidgate.dll not loaded\n");
  LoadSettings();

  bool existed = false;
  // Any failure ends creation, not only an existing mutex: without it no copy of the block would
  // be guarded against the configurator's.
  if (!m_block.CreateBlockMutex(existed)) {
    Log(existed ? "block mutex exists: another monitor runs\n" : "block mutex not created\n");
    return false;
  }
  ResetChangeFlags(BytesOf(*m_settingsCopy));
  if (m_block.CreateSharedBlock()) {
    if (!m_block.WriteSharedBlock(m_settingsCopy.get())) Log("first block write failed\n");
  } else {
    Log("shared block not created; running on our own copy\n");
  }

  m_jobs = std::make_unique<WorkerJobs>(*this);
  m_events = std::make_unique<EventActions>(EventHostParts{*this, m_hwnd, m_copyLock,
                                                           *m_settingsCopy, m_block, *m_files,
                                                           *m_store, m_configPath, m_osdSettings});
  if (!StartThreads()) return false;
  platform::SetExStyle(m_hwnd, WS_EX_TOOLWINDOW);
  m_started = true;
  m_core.Start(m_openConfigurator);
  return true;
}

void MonitorWindow::LoadSettings() {
  m_store = std::make_unique<settings::WinFileStore>();
  m_registry = std::make_unique<settings::WinRegistry>();
  m_files = std::make_unique<settings::SettingsFiles>(*m_store, *m_registry, m_programDir);
  settings::ResetImage(m_settingsCopy.get());
  if (!m_files->LoadAll(m_settingsCopy.get())) m_files->SetDefaults(m_settingsCopy.get());
  // Without config.ini, or with a damaged one, there is no current slot: the reports and the
  // configurator index the profiles with it.
  if (m_settingsCopy->CurrentProfile < 0 ||
      m_settingsCopy->CurrentProfile >= settings::kProfileCount) {
    m_settingsCopy->CurrentProfile = 0;
  }
  m_core.LoadOsdSetting();
}

void MonitorWindow::RegisterSessionNotification() {
  const auto reg = platform::dyn::WtsRegisterSessionNotification();
  if (!reg) return;
  for (int attempt = 0; attempt < kSessionRegisterAttempts; ++attempt) {
    if (reg(m_hwnd, kNotifyThisSession)) {
      m_sessionRegistered = true;
      return;
    }
    // Terminal services may still be starting when we run at logon.
    ::Sleep(kSessionRegisterRetryMs);
  }
  Log("session notifications not registered\n");
}

bool MonitorWindow::StartThreads() {
  // Its queue exists before anyone posts to it. The macro player starts with the first macro.
  if (!m_workerThread.Start(&MonitorWindow::WorkerMain, this, kThreadStackSize,
                            kThreadReadyTimeoutMs)) {
    Log("the configuration worker did not start\n");
    return false;
  }
  m_workerThreadId = m_workerThread.Id();
  return true;
}

void MonitorWindow::WorkerMain(void* param) { static_cast<MonitorWindow*>(param)->RunWorkerLoop(); }

void MonitorWindow::RunWorkerLoop() {
  ConfigWorker worker(*m_jobs, m_workerFlags, m_core.StateWord());
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message != kMsgConfigJob) continue;
    try {
      if (worker.Handle(msg.wParam, msg.lParam) == WorkerOutcome::Dropped) {
        platform::DebugLog("configuration job %u dropped\n", static_cast<unsigned>(msg.wParam));
      }
    } catch (...) {
      m_workerFlags.EndJob();
      platform::DebugLog("configuration job %u failed\n", static_cast<unsigned>(msg.wParam));
    }
  }
}

void MonitorWindow::OnDestroy() {
  if (m_started) {
    m_core.Shutdown();
    m_started = false;
  } else {
    // Creation failed (another monitor runs): its companions are not ours to close.
    StopWorker();
    StopEventThread();
    StopMacroPlayer();
    UnregisterSessionNotification();
    FreeDeviceLibrary();
    CloseSharedBlock();
  }
  ::PostQuitMessage(0);
}

void MonitorWindow::OnTrayNotify(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDOWN: {
      HWND popup = ::GetLastActivePopup(m_hwnd);
      if (::IsIconic(popup)) ::ShowWindow(popup, SW_RESTORE);
      ::SetForegroundWindow(popup);
      break;
    }
    case WM_LBUTTONDBLCLK:
      platform::DebugLog("OnSystrayNotify WM_LBUTTONDBLCLK\n");
      m_core.OpenConfigurator();
      break;
    case WM_RBUTTONDOWN:
      ::SetForegroundWindow(::GetLastActivePopup(m_hwnd));
      TrayIcon::ShowMenu(m_hwnd);
      break;
    default:
      break;
  }
}

void MonitorWindow::OnCommand(UINT id) {
  if (id == kMenuOpenConfigurator) m_core.OpenConfigurator();
  if (id == kMenuExit && !::PostMessageA(m_hwnd, WM_CLOSE, 0, 0)) {
    platform::DebugLogLastError("PostMessageA(WM_CLOSE)");
  }
}

HWND MonitorWindow::FindCompanion(Companion companion) const {
  return ::FindWindowA(nullptr, Describe(companion).WindowTitle);
}

void MonitorWindow::OpenDevMonitor() {
  m_device.OpenDevMonitor(m_hwnd, kMsgDeviceEvent, kMsgDevicePresence);
}
bool MonitorWindow::OpenFeatureDevice() { return m_device.OpenFeatureDevice(); }
void MonitorWindow::CloseDevMonitor() { m_device.CloseDevMonitor(); }
void MonitorWindow::CloseFeatureDevice() { m_device.CloseFeatureDevice(); }

void MonitorWindow::SendHostControl(int value) {
  if (!m_device.Usable()) return;
  WinSleeper sleeper;
  switch (SendExitHostControl(m_device, sleeper, m_workerFlags, static_cast<std::uint8_t>(value))) {
    case ExitReport::Acknowledged:
      break;
    case ExitReport::NotAcknowledged:
      Log("host-control report not acknowledged\n");
      break;
    case ExitReport::JobStillRunning:
      Log("configuration job still running; host-control report not sent\n");
      break;
  }
}

void MonitorWindow::SetTimer(std::uint32_t id, std::uint32_t ms) {
  if (!::SetTimer(m_hwnd, id, ms, nullptr)) platform::DebugLogLastError("SetTimer");
}
void MonitorWindow::KillTimer(std::uint32_t id) { ::KillTimer(m_hwnd, id); }

bool MonitorWindow::PostWorker(std::uint32_t job, std::intptr_t param) {
  if (m_workerThreadId == 0) return false;
  if (!::PostThreadMessageA(m_workerThreadId, kMsgConfigJob, job, param)) {
    platform::DebugLogLastError("PostThreadMessageA(1649)");
    return false;
  }
  return true;
}

void MonitorWindow::PostSelf(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (!::PostMessageA(m_hwnd, message, wParam, lParam)) platform::DebugLogLastError("PostMessageA");
}

void MonitorWindow::Sleep(std::uint32_t ms) { ::Sleep(ms); }
void MonitorWindow::AddTrayIcon() { m_tray.Add(m_hwnd, kTrayIconId, kMsgTrayCallback); }
void MonitorWindow::RemoveTrayIcon() { m_tray.Remove(); }
bool MonitorWindow::WindowExists(Companion companion) {
  return FindCompanion(companion) != nullptr;
}

void MonitorWindow::PostTo(Companion companion, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
  PostToTitle(Describe(companion).WindowTitle, message, wParam, lParam);
}

void MonitorWindow::BringForward(Companion companion) {
  HWND target = FindCompanion(companion);
  if (!target) return;
  if (::IsIconic(target)) ::ShowWindow(target, SW_SHOWNORMAL);
  if (!::SetForegroundWindow(target)) Log("SetForegroundWindow failed\n");
}

void MonitorWindow::Start(Companion companion) {
  std::string path = CompanionPath(m_programDir, companion);
  auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOW));
  if (result <= 32)
    platform::DebugLog("%s not started (%d)\n", path.c_str(), static_cast<int>(result));
}

void MonitorWindow::SetDeviceFlag(int value) {
  if (!m_files->SetDeviceFlag(m_configPath, value)) Log("config.ini Device not written\n");
}

bool MonitorWindow::ReadOsdSetting(OsdSwitches& switches) {
  if (!m_files || !m_files->ReadOsdSetting(&m_osdSettings, false)) return false;
  switches.ShowCpu = m_osdSettings.ShowCpu;
  switches.ShowRam = m_osdSettings.ShowRam;
  switches.ShowMail = m_osdSettings.ShowMail;
  switches.ShowSkype = m_osdSettings.ShowSkype;
  switches.OsdColor = m_osdSettings.OsdColor;
  switches.OsdTransparency = m_osdSettings.OsdTransparency;
  return true;
}

void MonitorWindow::StoreOsdMessage(std::string_view text) {
  settings::IniUpdate update(*m_store, m_configPath);
  update.Doc().SetString("OSDData", "Message", text);
  if (!update.Commit()) Log("[OSDData] Message not written\n");
}

void MonitorWindow::ReadSharedBlockIntoCopy() {
  std::lock_guard lock(m_copyLock);
  if (!m_block.ReadSharedBlock(m_settingsCopy.get())) {
    Log("shared block not read\n");
    return;
  }
  ++m_applyCount;
}

void MonitorWindow::StopWorker() {
  m_workerThread.Stop();
  m_workerThreadId = 0;
}

// The event thread of the shutdown order is never started: it would only wait for its own end,
// and under Wine every thread holds about 1 MB of memory.
void MonitorWindow::StopEventThread() {}

void MonitorWindow::FreeDeviceLibrary() { m_device.Free(); }

void MonitorWindow::StopMacroPlayer() {
  if (m_events) m_events->StopPlayer();
}

void MonitorWindow::UnregisterSessionNotification() {
  const auto unreg = platform::dyn::WtsUnRegisterSessionNotification();
  if (unreg && m_sessionRegistered && !unreg(m_hwnd))
    Log("session notifications not unregistered\n");
  m_sessionRegistered = false;
}

void MonitorWindow::CloseSharedBlock() {
  m_block.CloseSharedBlock();
  m_block.CloseBlockMutex();
}

void MonitorWindow::Log(const char* line) { platform::DebugLog("%s", line); }

}  // namespace karvo::monitor
