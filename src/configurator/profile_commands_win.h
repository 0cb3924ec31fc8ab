#pragma once
// Create, Load, Save and Edit under the slot buttons of the main window: the profile dialog
// and the system's file dialogs shown over it, and what the user chose handed to
// ProfileCommands. Only Save writes a file at once; the others change the working copy.
#include <windows.h>

#include <string>
#include <string_view>

#include "configurator/profile_commands.h"
#include "settings/ini_document.h"
#include "settings/registry.h"
#include "settings/settings_image.h"

namespace karvo::configurator {

// What the main window must show anew after a command.
enum class ProfileCommandRedraw { kNothing, kNames, kAll };

class ProfileCommandButtons {
 public:
  // working: the main window's working copy, which outlives this. programDir ends with a
  // backslash.
  ProfileCommandButtons(settings::IFileStore& store, settings::IRegistry& registry,
                        std::string programDir, settings::SettingsImage& working);

  // name: the clicked button's layout name ("Create", "Load", "Save", "Edit"); the dialogs
  // are owned by owner. Nothing happens without a current slot.
  ProfileCommandRedraw Run(std::string_view name, HWND owner);

 private:
  ProfileCommandRedraw RunProfileDialog(ProfileDialogMode mode, HWND owner);
  ProfileCommandRedraw Load(HWND owner);
  void Save(HWND owner);

  ProfileCommands m_commands;
  std::string m_programDir;
  settings::SettingsImage& m_working;
};

}  // namespace karvo::configurator
