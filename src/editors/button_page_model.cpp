#include "editors/button_page_model.h"

#include <algorithm>
#include <cstring>

namespace karvo::editors {
namespace {

using settings::MacroKeyInfo;
using settings::ProfileSettings;

bool IsButton(int button) { return button >= 0 && button < kButtonCount; }

// A shortcut keeps only its key and mask; no bytes of an earlier macro stay behind.
void StoreShortcut(MacroKeyInfo& record, const ShortcutChoice& choice) {
  record.EventCount = 1;
  std::memset(record.Data, 0, sizeof record.Data);
  record.Data[0] = choice.KeyCode;
  record.Data[1] = ModifierMask(choice.Boxes);
  std::memset(record.Name, 0, sizeof record.Name);
}

void StoreMacro(MacroKeyInfo& record, const MacroRecord& macro) {
  const int count = std::clamp(macro.EventCount, 0, kMaxMacroEvents);
  record.EventCount = static_cast<std::uint16_t>(count);
  // The library name has 52 bytes and the button's 50: cut, never overrun.
  settings::SetFieldText(record.Name, settings::FieldText(macro.Name));
  std::memcpy(record.Data, macro.Events, sizeof record.Data);
  record.RepeatCount = macro.RepeatCount;
}

void ClearFunctionData(MacroKeyInfo& record) {
  record.EventCount = 0;
  std::memset(record.Data, 0, sizeof record.Data);
  std::memset(record.Name, 0, sizeof record.Name);
}

}  // namespace

ButtonPageModel::ButtonPageModel(ButtonPageMode mode, settings::SettingsImage& working,
                                 const MacroList& macros, const settings::IKeyboardLayout& layout)
    : m_mode(mode), m_working(working), m_macros(macros), m_layout(layout) {}

int ButtonPageModel::RecordIndex(int button) const {
  return m_mode == ButtonPageMode::kMode1 ? button : button + kButtonCount;
}

int ButtonPageModel::Slot() const {
  const int slot = m_working.CurrentProfile;
  return slot >= 0 && slot < settings::kProfileCount ? slot : -1;
}

ProfileSettings* ButtonPageModel::Profile() const {
  const int slot = Slot();
  return slot < 0 ? nullptr : &m_working.Profiles[slot];
}

skin::UiText ButtonPageModel::Label(int button) const {
  const ProfileSettings* profile = Profile();
  if (!profile || !IsButton(button)) return {};
  return FunctionLabel(profile->MacroKeys[RecordIndex(button)], m_layout);
}

bool ButtonPageModel::ButtonEnabled(int button) const {
  const ProfileSettings* profile = Profile();
  if (!profile || !IsButton(button)) return false;
  return m_mode == ButtonPageMode::kMode1 || profile->ModeSwitchFlag[button] == 0;
}

bool ButtonPageModel::LeftHanded() const {
  const ProfileSettings* profile = Profile();
  return profile && profile->SwapButtons != 0;
}

void ButtonPageModel::SetLeftHanded(bool left) {
  // No changed flag: the apply finds a handedness change by comparison.
  if (ProfileSettings* profile = Profile()) profile->SwapButtons = left ? 1 : 0;
}

std::optional<skin::PopupMenu> ButtonPageModel::OpenCatalogue(int button) {
  if (!ButtonEnabled(button)) return std::nullopt;
  m_editedButton = button;
  return BuildCatalogue(m_mode, button, Profile()->MacroKeys[RecordIndex(button)], m_macros);
}

bool ButtonPageModel::UpdateModeSwitch(int slot, int button, int command) {
  ProfileSettings& profile = m_working.Profiles[slot];
  MacroKeyInfo& second = profile.MacroKeys[button + kButtonCount];
  const std::uint8_t before = second.FunctionCode;
  const std::int32_t flagBefore = profile.ModeSwitchFlag[button];
  if (command == kModeSwitchCommand) {
    profile.ModeSwitchFlag[button] = 1;
    second.FunctionCode = kCodeModeSwitch;
  } else {
    profile.ModeSwitchFlag[button] = 0;
    if (second.FunctionCode == kCodeModeSwitch) second.FunctionCode = kCodeButtonOff;
  }
  // The Mode2 record changed too, even if the dialog that follows is cancelled: the
  // mouse must get it with the next apply.
  if (second.FunctionCode != before) {
    m_working.ButtonChanged[slot][button + kButtonCount] = 1;
  }
  return second.FunctionCode != before || profile.ModeSwitchFlag[button] != flagBefore;
}

bool ButtonPageModel::OnCommand(int command, IButtonDialogs& dialogs) {
  // The slot is taken once: while a dialog is open the monitor may make another slot current,
  // or a damaged one, and the edit belongs to the button the user saw.
  const int slot = Slot();
  const int button = m_editedButton;
  if (slot < 0 || !IsButton(button) || !IsPageCommand(command)) return false;
  ProfileSettings* profile = &m_working.Profiles[slot];
  const MacroRecord* macro = nullptr;
  if (command >= kFirstMacroCommand) {
    // The library may have changed since the menu was built.
    macro = MacroAt(m_macros, command - kFirstMacroCommand);
    if (!macro) return false;
  }
  const int code = FunctionCodeForCommand(command);
  const int recordIndex = RecordIndex(button);
  MacroKeyInfo& record = profile->MacroKeys[recordIndex];

  bool changed = false;
  if (m_mode == ButtonPageMode::kMode1) changed = UpdateModeSwitch(slot, button, command);

  if (command == kShortcutCommand) {
    ShortcutChoice initial;
    initial.KeyCode = record.Data[0];
    initial.Boxes = BoxesFromMask(record.Data[1]);
    const std::optional<ShortcutChoice> choice = dialogs.RunShortcutDialog(initial);
    if (!choice) return changed;
    StoreShortcut(record, *choice);
  } else if (command == kProgramCommand) {
    const std::string current = record.FunctionCode == kCodeProgram
                                    ? std::string(settings::FieldText(record.ProgramPath))
                                    : std::string();
    const std::optional<std::string> path = dialogs.RunProgramDialog(current);
    // A longer path (or one with a NUL in it) would be cut to another file's name:
    // refused like a cancel.
    if (!path || path->size() > kMaxProgramPathLength || path->find('\0') != std::string::npos) {
      return changed;
    }
    settings::SetFieldText(record.ProgramPath, *path);
  }

  record.FunctionCode = static_cast<std::uint8_t>(code);
  if (macro) {
    StoreMacro(record, *macro);
  } else if (code != kCodeShortcut) {
    ClearFunctionData(record);
  }
  m_working.ButtonChanged[slot][recordIndex] = 1;
  return true;
}

}  // namespace karvo::editors
