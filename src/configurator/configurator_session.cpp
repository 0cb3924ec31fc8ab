#include "configurator/configurator_session.h"

#include "configurator/change_flags.h"
#include "configurator/version_text.h"
#include "platform/suite_names.h"
#include "settings/mouse_settings.h"

namespace karvo::configurator {

ConfiguratorSession::ConfiguratorSession(const SessionServices& services)
    : m_services(services),
      m_blocks(std::make_unique<Blocks>()),
      m_softwareVersionText(kSoftwareVersionText),
      m_firmwareVersionText(kNoFirmwareText) {
  // Without a stored record the notices page edits the defaults.
  settings::SetOsdDefaults(&m_notices);
}

void ConfiguratorSession::StartUp(ISharedBlock* block) {
  settings::SettingsImage& snapshot = m_blocks->Snapshot;
  settings::ResetImage(&snapshot);
  m_firmwareVersionText = FirmwareTextAtStart(m_services.Files.GetFirmwareVersion());
  m_softwareVersionText = kSoftwareVersionText;

  m_block = block;
  if (ReadSnapshotFromMonitor()) {
    ClearChangeFlags(snapshot);
  } else {
    // Also when the block is there but could not be copied (an abandoned mutex):
    // the reset image would otherwise be saved over every profile by the next apply.
    if (m_services.Files.LoadAll(&snapshot) != 1) m_services.Files.SetDefaults(&snapshot);
  }

  (void)m_services.Files.ReadOsdSetting(&m_notices, false);

  // The current slot always starts with the live Windows values; CopyHeaderToProfile
  // skips a CurrentProfile outside 0..4.
  (void)settings::ReadSystemMouseSettings(m_services.Registry, &snapshot);
  (void)settings::CopyHeaderToProfile(&snapshot);
  snapshot.Reserved4 = 0;
  m_blocks->Working = snapshot;
  m_services.Macros.MergeProfilesAndSave(m_blocks->Working);
}

void ConfiguratorSession::Apply(IMainWindowHost& host, std::uintptr_t wParam,
                                int transparencyIndex) {
  settings::SettingsImage& working = m_blocks->Working;
  host.BeginWait();
  host.SetCommitButtonsEnabled(false);
  DetectChanges(m_blocks->Snapshot, working);
  // The monitor reads the block when 1224 arrives, so it is written completely first.
  if (m_block) (void)m_block->WriteSharedBlock(&working);
  m_notices.OsdTransparency = transparencyIndex;
  (void)m_services.Files.WriteOsdSetting(&m_notices);
  host.PostApplyToMonitor(wParam);
  (void)m_services.Files.SaveAll(&working);
  ClearChangeFlags(working);
  m_blocks->Snapshot = working;
  m_services.Macros.Save();
  host.SetCommitButtonsEnabled(true);
  host.EndWait();
}

void ConfiguratorSession::RestoreDefaults() {
  (void)m_services.Files.SetDefaults(&m_blocks->Working);
  settings::SetOsdDefaults(&m_notices);
  ClearChangeFlags(m_blocks->Working);
}

PageUpdate ConfiguratorSession::OnMonitorMessage(IMainWindowHost& host, std::uint32_t message,
                                                 std::intptr_t lParam) {
  switch (message) {
    case platform::kMsgConfigReadBack:
      m_firmwareVersionText = FirmwareTextAfterReadBack(m_services.Files.GetFirmwareVersion());
      if (!ReadSnapshotFromMonitor()) return PageUpdate::kNone;
      ClearChangeFlags(m_blocks->Snapshot);
      m_blocks->Working = m_blocks->Snapshot;
      // The merge reads only the button records, so it may precede the refresh.
      m_services.Macros.MergeProfilesAndSave(m_blocks->Working);
      return PageUpdate::kRefreshAll;
    case platform::kMsgProfileChanged:
      if (!ReadSnapshotFromMonitor()) return PageUpdate::kNone;
      m_blocks->Working = m_blocks->Snapshot;
      return PageUpdate::kRefreshAll;
    case platform::kMsgApplyFinished:
      host.SetCommitButtonsEnabled(true);
      host.EndWait();
      return PageUpdate::kNone;
    case platform::kMsgButtonModeChanged:
      if (!ReadSnapshotFromMonitor()) return PageUpdate::kNone;
      m_blocks->Working = m_blocks->Snapshot;
      return lParam == 1 ? PageUpdate::kShowFirstButtonPage : PageUpdate::kShowSecondButtonPage;
    case platform::kMsgCpiLevelChanged:
      if (!ReadSnapshotFromMonitor()) return PageUpdate::kNone;
      m_blocks->Working = m_blocks->Snapshot;
      return PageUpdate::kRefreshSensitivity;
    default:
      return PageUpdate::kNone;
  }
}

bool ConfiguratorSession::SelectSlot(int n) {
  if (n < 0 || n >= settings::kProfileCount) return false;
  m_blocks->Working.CurrentProfile = n;
  return true;
}

std::string ConfiguratorSession::VersionLine() const {
  return configurator::VersionLine(m_softwareVersionText, m_firmwareVersionText);
}

bool ConfiguratorSession::ReadSnapshotFromMonitor() {
  return m_block && m_block->ReadSharedBlock(&m_blocks->Snapshot) == 1;
}

}  // namespace karvo::configurator
