#pragma once
// The configurator's two copies of the settings image and the notification record:
// how they are loaded at start, handed to the monitor and stored by an apply, and
// replaced when the monitor reports a change. The main window forwards to it and
// redraws; nothing here touches a window.
#include <cstdint>
#include <memory>
#include <string>

#include "configurator/shared_block.h"
#include "settings/profile_files.h"
#include "settings/registry.h"
#include "settings/settings_image.h"

namespace karvo::configurator {

// The two things the session asks of the macro library (config\sequence.dat).
class IMacroListHook {
 public:
  virtual ~IMacroListHook() = default;
  // Takes the macros of the block's button records into the list, then saves it.
  virtual void MergeProfilesAndSave(const settings::SettingsImage& block) = 0;
  virtual void Save() = 0;
};

// What an apply and the monitor's answer need of the main window.
class IMainWindowHost {
 public:
  virtual ~IMainWindowHost() = default;
  // Mouse captured by the main window, wait cursor shown.
  virtual void BeginWait() = 0;
  // OK and Apply enabled or disabled, redrawn at once.
  virtual void SetCommitButtonsEnabled(bool enabled) = 0;
  // Arrow cursor back, mouse capture released.
  virtual void EndWait() = 0;
  // 1224 to the window titled "KARVO Gaming Mouse Monitor", when there is one.
  virtual void PostApplyToMonitor(std::uintptr_t wParam) = 0;
};

struct SessionServices {
  settings::SettingsFiles& Files;
  settings::IRegistry& Registry;
  IMacroListHook& Macros;
};

// What the main window must redo after a message from the monitor.
enum class PageUpdate {
  kNone,
  kRefreshAll,
  kRefreshSensitivity,
  kShowFirstButtonPage,
  kShowSecondButtonPage,
};

class ConfiguratorSession {
 public:
  explicit ConfiguratorSession(const SessionServices& services);

  // Loads both copies from the monitor's block (block not null) or from the files,
  // then the notification record and the live Windows mouse values, and merges the
  // profiles' macros into the macro list, which the caller has loaded before. The
  // caller refreshes every page afterwards. The block stays in use until the
  // session ends.
  void StartUp(ISharedBlock* block);

  // Marks what changed, hands the block to the monitor, stores everything and takes
  // the new snapshot. transparencyIndex is the notices page's choice, which
  // reaches the record only here.
  void Apply(IMainWindowHost& host, std::uintptr_t wParam, int transparencyIndex);

  // Every slot and the notification record back to their defaults, flags cleared.
  // The caller then refreshes every page and applies with platform::kApplyRestoreDefaults.
  void RestoreDefaults();

  // The monitor's notifications 1254..1265 (others do nothing). A block that
  // cannot be read leaves both copies, and so the user's edits, as they are. After
  // 1254 the caller repaints the version line whatever is returned.
  PageUpdate OnMonitorMessage(IMainWindowHost& host, std::uint32_t message, std::intptr_t lParam);

  // Makes slot n (0..4) current in the working copy; false for any other n.
  bool SelectSlot(int n);

  settings::SettingsImage& WorkingBlock() { return m_blocks->Working; }
  const settings::SettingsImage& WorkingBlock() const { return m_blocks->Working; }
  const settings::SettingsImage& SnapshotBlock() const { return m_blocks->Snapshot; }
  settings::OSDSetting& NoticeSettings() { return m_notices; }
  const std::string& SoftwareVersionText() const { return m_softwareVersionText; }
  const std::string& FirmwareVersionText() const { return m_firmwareVersionText; }
  // "SW%s / FW%s".
  std::string VersionLine() const;

 private:
  struct Blocks {
    settings::SettingsImage Snapshot;
    settings::SettingsImage Working;
  };

  // ReadSharedBlock into the snapshot; false when there is no block or no copy.
  bool ReadSnapshotFromMonitor();

  SessionServices m_services;
  ISharedBlock* m_block = nullptr;
  std::unique_ptr<Blocks> m_blocks;
  settings::OSDSetting m_notices;
  std::string m_softwareVersionText;
  std::string m_firmwareVersionText;
};

}  // namespace karvo::configurator
