#include "monitor/monitor_core.h"

#include <optional>

#include "monitor/hand_off_text.h"
#include "monitor/monitor_messages.h"

namespace karvo::monitor {

namespace {
constexpr std::uint32_t kEventPresence = 0x7F00;
constexpr std::uint32_t kEventOpenConfigurator = 0xA000;
constexpr std::uint32_t kPresenceArrival = 1;
constexpr std::uint32_t kPresenceRemoval = 2;
constexpr std::uintptr_t kSessionConsoleConnect = 1;
constexpr std::uintptr_t kSessionConsoleDisconnect = 2;

struct AppletSwitch {
  Companion Which;
  bool (*IsOn)(const OsdSwitches&);
};
// Load, mail, voice call: the order in which they are reloaded, started or closed. The voice-call
// notifier follows its own switch, the one the settings page offers for it.
constexpr AppletSwitch kApplets[] = {
    {Companion::LoadNotifier,
     [](const OsdSwitches& s) { return s.ShowCpu == 1 || s.ShowRam == 1; }},
    {Companion::MailNotifier, [](const OsdSwitches& s) { return s.ShowMail == 1; }},
    {Companion::VoiceNotifier, [](const OsdSwitches& s) { return s.ShowSkype == 1; }},
};
}  // namespace

void MonitorCore::LoadOsdSetting() {
  if (!m_host.ReadOsdSetting(m_switches)) m_host.Log("OSDSetting not read; previous switches kept");
}

bool MonitorCore::OpenDevice() {
  m_host.OpenDevMonitor();
  bool opened = m_host.OpenFeatureDevice();
  if (opened) m_host.SetTimer(kTimerGameCheck, kGameCheckIntervalMs);
  return opened;
}

void MonitorCore::CloseDevice() {
  m_host.CloseDevMonitor();
  m_host.CloseFeatureDevice();
}

void MonitorCore::Start(bool openConfigurator) {
  DeviceState state = DeviceState::NotOpened;
  if (OpenDevice()) {
    m_host.SetTimer(kTimerFirstReadBack, kFirstReadBackDelayMs);
    m_host.AddTrayIcon();
    m_trayShown = true;
    state = DeviceState::Present;
    m_state = state;
    if (openConfigurator) OpenConfigurator();
    m_host.Start(Companion::Osd);
    UpdateApplets();
  }
  m_state = state;
  m_host.SetDeviceFlag(state == DeviceState::Present ? 1 : 0);
}

void MonitorCore::OnTimer(std::uint32_t id) {
  if (id == kTimerFirstReadBack) {
    m_host.KillTimer(kTimerFirstReadBack);
    if (!m_host.PostWorker(kJobReadBack, 0)) m_host.Log("read-back request not posted");
  }
}

void MonitorCore::OnDeviceEvent(std::uint32_t word) {
  const std::uint32_t type = word >> 16;
  const std::uint32_t param = word & 0xFFFF;
  if (type == kEventPresence) {
    if (param == kPresenceArrival) OnArrival();
    if (param == kPresenceRemoval) OnRemoval();
  } else if (type == kEventOpenConfigurator && param == 1) {
    m_host.PostSelf(kWmCommand, kMenuOpenConfigurator, 0);
  }
}

void MonitorCore::OnPresence(std::uintptr_t wParam) {
  std::uint32_t param = wParam == 1 ? kPresenceArrival : wParam == 0 ? kPresenceRemoval : 0;
  OnDeviceEvent((kEventPresence << 16) | param);
}

void MonitorCore::OnArrival() {
  if (m_state == DeviceState::Present) return;
  m_state = DeviceState::Present;
  // The device library announces the mouse before its interface is ready to be opened.
  m_host.Sleep(kArrivalSettleMs);
  if (!m_host.OpenFeatureDevice()) m_host.Log("Open_FeatureDevice failed on arrival");
  if (!m_host.PostWorker(kJobReadBack, 0)) m_host.Log("read-back request not posted");
  m_host.AddTrayIcon();
  m_trayShown = true;
  m_host.SetDeviceFlag(1);
  m_host.SetTimer(kTimerGameCheck, kGameCheckIntervalMs);
  m_host.Start(Companion::Osd);
  UpdateApplets();
}

void MonitorCore::OnRemoval() {
  if (m_state == DeviceState::Removed) return;
  m_state = DeviceState::Removed;
  m_host.CloseFeatureDevice();
  CancelRunningJob();
  m_host.RemoveTrayIcon();
  m_trayShown = false;
  m_host.KillTimer(kTimerGameCheck);
  m_host.SetDeviceFlag(0);
  CloseIfOpen(Companion::Configurator);
  CloseApplets();
  CloseIfOpen(Companion::Osd);
}

void MonitorCore::OnSessionChange(std::uintptr_t code) {
  if (code == kSessionConsoleConnect) {
    if (!OpenDevice()) return;
    // Present before the read-back is queued: an idle worker takes the job at once and drops
    // it while the mouse does not count as present.
    m_state = DeviceState::Present;
    if (!m_host.PostWorker(kJobReadBack, 0)) m_host.Log("read-back request not posted");
    m_host.AddTrayIcon();
    m_trayShown = true;
    m_host.SetDeviceFlag(1);
    m_host.Start(Companion::Osd);
    UpdateApplets();
  } else if (code == kSessionConsoleDisconnect) {
    m_host.SetDeviceFlag(0);
    CloseDevice();
    // A job still running would go on talking to a closed device; the game check has no
    // mouse to switch profiles on until the console comes back.
    CancelRunningJob();
    m_host.KillTimer(kTimerGameCheck);
    m_state = DeviceState::NotOpened;
    CloseIfOpen(Companion::Configurator);
    CloseApplets();
    CloseIfOpen(Companion::Osd);
  }
}

void MonitorCore::OnApplyRequest(std::intptr_t restoreDefaults) {
  m_host.ReadSharedBlockIntoCopy();
  LoadOsdSetting();
  if (m_host.WindowExists(Companion::Osd)) {
    auto appearance = static_cast<std::intptr_t>(
        (static_cast<std::uint32_t>(m_switches.OsdColor) << 16) +
        (static_cast<std::uint32_t>(m_switches.OsdTransparency) & 0xFFFF));
    m_host.PostTo(Companion::Osd, kMsgOsdAppearance, 0, appearance);
  }
  bool posted = false;
  if (m_state == DeviceState::Present) {
    UpdateApplets();
    posted = m_host.PostWorker(kJobUpload, restoreDefaults);
  }
  // Without a job the configurator would wait for its acknowledgement for ever.
  if (!posted && m_host.WindowExists(Companion::Configurator)) {
    m_host.PostTo(Companion::Configurator, kMsgApplyFinished, 0, 0);
  }
}

void MonitorCore::OnCopyData(std::uint32_t size, const void* data) {
  std::optional<std::string> text = HandOffText(size, data);
  if (!text) return;
  m_host.StoreOsdMessage(*text);
  if (m_state == DeviceState::Present && m_host.WindowExists(Companion::Osd)) {
    m_host.PostTo(Companion::Osd, kMsgOsdNotice, kNoticeMessageText, 0);
  }
}

void MonitorCore::OpenConfigurator() {
  m_host.Log("CHidwatchWnd OnCustomizer\n");
  if (m_host.WindowExists(Companion::Configurator)) {
    m_host.Log("CHidwatchWnd OnCustomizer hWnd!=NULL\n");
    m_host.BringForward(Companion::Configurator);
  } else {
    m_host.Log("CHidwatchWnd OnCustomizer hWnd==NULL\n");
    m_host.Start(Companion::Configurator);
  }
}

void MonitorCore::UpdateApplets() {
  for (const AppletSwitch& applet : kApplets) {
    bool running = m_host.WindowExists(applet.Which);
    if (running) m_host.PostTo(applet.Which, kMsgAppletReload, 0, 0);
    bool on = applet.IsOn(m_switches);
    if (on && !running) m_host.Start(applet.Which);
    if (!on && running) m_host.PostTo(applet.Which, kWmClose, 0, 0);
  }
}

void MonitorCore::CloseApplets() {
  CloseIfOpen(Companion::MailNotifier);
  CloseIfOpen(Companion::LoadNotifier);
  CloseIfOpen(Companion::VoiceNotifier);
}

void MonitorCore::CloseIfOpen(Companion companion) {
  if (m_host.WindowExists(companion)) m_host.PostTo(companion, kWmClose, 0, 0);
}

void MonitorCore::CancelRunningJob() { m_flags.CancelIfBusy(); }

void MonitorCore::OnTaskbarCreated() {
  if (m_trayShown) m_host.AddTrayIcon();
}

void MonitorCore::Shutdown() {
  // The running job is stopped before the host-control report goes out, so the two never poll
  // the mouse's status at once; jobs queued behind it are dropped.
  m_flags.Stopping = true;
  CancelRunningJob();
  m_host.SendHostControl(0);
  m_host.KillTimer(kTimerGameCheck);
  m_host.KillTimer(kTimerFirstReadBack);
  CloseIfOpen(Companion::Configurator);
  CloseApplets();
  CloseIfOpen(Companion::Osd);
  m_host.StopWorker();
  m_host.StopEventThread();
  CloseDevice();
  m_host.FreeDeviceLibrary();
  m_host.StopMacroPlayer();
  m_host.UnregisterSessionNotification();
  m_host.CloseSharedBlock();
  m_host.RemoveTrayIcon();
  m_trayShown = false;
}

}  // namespace karvo::monitor
