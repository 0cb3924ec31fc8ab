#pragma once
// One button page (Mode1 or Mode2): what its seven labels and the handedness pair
// show, which buttons take a click, and what a catalogue command does to the
// current slot of the working copy.
#include <optional>
#include <string>

#include "editors/function_catalogue.h"
#include "editors/macro_store.h"
#include "editors/shortcut_rules.h"
#include "settings/key_codes.h"
#include "settings/settings_image.h"
#include "skin/menu_model.h"

namespace karvo::editors {

// ProgramPath holds 259 characters and its terminating zero.
inline constexpr std::size_t kMaxProgramPathLength =
    sizeof(settings::MacroKeyInfo::ProgramPath) - 1;

// The modal dialogs a catalogue command runs; nullopt when the user cancels.
class IButtonDialogs {
 public:
  virtual ~IButtonDialogs() = default;
  virtual std::optional<ShortcutChoice> RunShortcutDialog(const ShortcutChoice& initial) = 0;
  virtual std::optional<std::string> RunProgramDialog(const std::string& path) = 0;
};

class ButtonPageModel {
 public:
  ButtonPageModel(ButtonPageMode mode, settings::SettingsImage& working, const MacroList& macros,
                  const settings::IKeyboardLayout& layout);

  ButtonPageMode Mode() const { return m_mode; }
  // Record of button (0..6) in the slot's 14: n on the Mode1 page, n + 7 on Mode2.
  int RecordIndex(int button) const;

  // Empty labels and no enabled button while CurrentProfile names no slot.
  skin::UiText Label(int button) const;
  // A Mode2 button takes clicks only while the same Mode1 button is no mode switch.
  bool ButtonEnabled(int button) const;
  bool LeftHanded() const;
  void SetLeftHanded(bool left);

  // Remembers button as the one being edited; nullopt when it takes no click.
  std::optional<skin::PopupMenu> OpenCatalogue(int button);
  int EditedButton() const { return m_editedButton; }
  // A command of the catalogue for the edited button; true when the working copy
  // changed and the labels must be rebuilt.
  bool OnCommand(int command, IButtonDialogs& dialogs);

 private:
  settings::ProfileSettings* Profile() const;
  int Slot() const;
  // Mode1 only: the Mode2 record of a mode-switch button follows it; true when
  // anything changed.
  bool UpdateModeSwitch(int slot, int button, int command);

  ButtonPageMode m_mode;
  settings::SettingsImage& m_working;
  const MacroList& m_macros;
  const settings::IKeyboardLayout& m_layout;
  int m_editedButton = -1;
};

}  // namespace karvo::editors
