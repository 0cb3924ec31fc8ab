#pragma once
// The configurator's only top-level window: the page tabs and the six pages, the five
// profile slots with their names, the button modes, and Apply, OK, Cancel, Exit and Min. It
// owns the session (the snapshot and the working copy), the monitor's block and the macro
// library, loads them when it opens and answers the monitor's notifications.
#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "configurator/advanced_page_win.h"
#include "configurator/configurator_session.h"
#include "configurator/profile_commands_win.h"
#include "configurator/sensitivity_page_win.h"
#include "configurator/shared_block_client_win.h"
#include "configurator/system_page_win.h"
#include "editors/button_page_win.h"
#include "editors/macro_store.h"
#include "notify_settings/osd_page_win.h"
#include "platform/gdi_win.h"
#include "settings/file_store_win.h"
#include "settings/profile_files.h"
#include "settings/registry_win.h"
#include "skin/menu_frame_win.h"
#include "skin/skin_images_win.h"
#include "skin/skinned_dialog_win.h"
#include "skin/window_layouts.h"

namespace karvo::configurator {

enum class RightPage { kSensitivity, kAdvanced, kSystem, kOsd };
enum class LeftPage { kFirstButtons, kSecondButtons };

// The library saved through the settings engine, as the session asks for it.
class MacroStoreHook final : public IMacroListHook {
 public:
  explicit MacroStoreHook(editors::MacroStore& store) : m_store(store) {}
  void MergeProfilesAndSave(const settings::SettingsImage& block) override;
  void Save() override;

 private:
  editors::MacroStore& m_store;
};

class MainWindow final : public skin::SkinnedDialog, private IMainWindowHost {
 public:
  // programDir: the install directory with its trailing backslash.
  explicit MainWindow(std::string programDir);
  ~MainWindow() override;

  // Runs the window until it closes.
  INT_PTR Run();

 protected:
  bool OnInit() override;
  void OnCommand(int id, int code, HWND control) override;
  // IDOK and IDCANCEL (Enter and Escape, should they get through) never close the window.
  void OnOk() override {}
  void OnCancel() override {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;
  void PaintOwnTexts(HDC dc) override;

 private:
  // What a control of the window's table does when clicked.
  enum class Role {
    kNone,
    kTab,
    kProfileCommand,
    kSlot,
    kMode,
    kMin,
    kExit,
    kApply,
    kOk,
    kCancel,
    kMacroManager,
  };
  struct Control {
    std::size_t Index = 0;  // in the window's table
    const skin::ControlSpec* Spec = nullptr;
    Role Role = Role::kNone;
  };

  void BeginWait() override;
  void SetCommitButtonsEnabled(bool enabled) override;
  void EndWait() override;
  void PostApplyToMonitor(std::uintptr_t wParam) override;

  void SortControls();
  bool BuildPages();
  // A page is built, its pictures decoded, when it is first shown: the window shows sooner and
  // a page never opened costs no memory. The popup-menu frame hook is installed after the first
  // paint: no menu can open before the window shows, and every message sent while the window
  // is built would pass through it.
  bool EnsurePage(skin::ConfiguratorPage& page, const RECT& place);
  void OnFirstPaint();
  void InstallMenuFrame();
  void StartSession();

  void ShowRightPage(RightPage page);
  void ShowLeftPage(LeftPage page);
  void SelectSlot(int n);
  void RefreshAll();
  void RefreshNames();
  void ApplyChanges(bool thenClose);
  // The Advanced page's reset, once the user confirmed it: every slot and the notices back to
  // their defaults, shown, and applied.
  void RestoreDefaults();
  void OnMonitorNotification(UINT message, LPARAM lParam);
  void PaintIcon();

  void SetSelected(const Control& control, bool selected);
  // The controls of one role, in table order.
  std::vector<const Control*> ControlsOf(Role role) const;
  const Control* ControlById(int id) const;
  skin::ConfiguratorPage& PageOf(RightPage page);
  skin::ConfiguratorPage& PageOf(LeftPage page);

  std::string m_programDir;
  settings::WinFileStore m_fileStore;
  settings::WinRegistry m_registry;
  settings::SettingsFiles m_files;
  editors::MacroStore m_macros;
  MacroStoreHook m_macroHook;
  ConfiguratorSession m_session;
  ProfileCommandButtons m_profileCommands;
  SharedBlockClient m_block;

  SensitivityPage m_sensitivityPage;
  AdvancedPage m_advancedPage;
  SystemPage m_systemPage;
  notify_settings::OsdPage m_osdPage;
  editors::ButtonPage m_firstButtonPage;
  editors::ButtonPage m_secondButtonPage;
  RightPage m_currentRight = RightPage::kSensitivity;
  LeftPage m_currentLeft = LeftPage::kFirstButtons;
  RECT m_rightPlace{};
  RECT m_leftPlace{};

  std::vector<Control> m_controls;
  // Lives from the constructor until the window has been built.
  std::optional<skin::ImagePrefetch> m_prefetch;
  // Destroyed after the window: the hook stays until the program has no menu left.
  std::optional<skin::MenuFrameHook> m_menuFrame;
  bool m_menuFrameTimerSet = false;
  platform::UniqueFont m_versionFont;
  HICON m_icon = nullptr;  // shared, never destroyed
  HICON m_smallIcon = nullptr;
};

}  // namespace karvo::configurator
