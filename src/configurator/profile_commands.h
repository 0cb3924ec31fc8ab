#pragma once
// The profile commands under the slot buttons: Create and Edit (the profile
// dialog's result applied to the current slot), Load (a profile file into the
// current slot) and Save (the current slot into a profile file). The file dialogs
// are the window's; these take the chosen paths.
#include <string>
#include <string_view>

#include "settings/ini_document.h"
#include "settings/registry.h"
#include "settings/settings_image.h"

namespace karvo::configurator {

inline constexpr int kProfileNameMaxChars = 32;
// GameFile holds 499 bytes and its terminator.
inline constexpr int kGamePathMaxBytes =
    static_cast<int>(sizeof(settings::ProfileSettings::GameFile)) - 1;

enum class ProfileDialogMode { kCreate, kEdit };

// The dialog's two fields, as shown when it opens and as the user leaves them.
struct ProfileDialogFields {
  std::string Name;      // ANSI code page
  std::string GamePath;  // ANSI code page
};

enum class ProfileDialogOutcome {
  kApplied,
  kNoSlot,           // CurrentProfile is not 0..4
  kGamePathTooLong,  // refused: the record stays as it was and the dialog stays open
};

// Whether a record can take the fields whole: the profile dialog stays open on a game
// path longer than GameFile holds (the path field limits typing, not what the browse
// dialog puts there, and a character may take two bytes in the ANSI code page).
bool ProfileDialogFieldsFit(const ProfileDialogFields& fields);

// Create opens empty, Edit with the record's name and game path.
ProfileDialogFields InitialProfileDialogFields(const settings::ProfileSettings& record,
                                               ProfileDialogMode mode);

// The file name of a path up to its last '.' ("C:\\x\\fps.kmp" -> "fps").
std::string FileTitle(std::string_view path);

class ProfileCommands {
 public:
  // programDir ends with a backslash, as settings::GetProgramDir gives it.
  ProfileCommands(settings::IFileStore& store, settings::IRegistry& registry,
                  std::string programDir);

  // OK of the profile dialog: only ProFileName and GameFile of the current slot
  // change. A game path longer than GameFile holds is refused rather than cut, since
  // a cut path would never match the game it was meant for.
  ProfileDialogOutcome ApplyProfileDialog(settings::SettingsImage& working,
                                          const ProfileDialogFields& fields);

  // Copies the file into the program directory as "<title>.kmp", reads it into the
  // current slot and marks the slot for a whole upload by the next apply. False,
  // with nothing changed, when the file cannot be read or there is no current slot.
  bool LoadProfile(settings::SettingsImage& working, const std::string& path);

  // Replaces the file with the current slot's record in one step (no key of an
  // older file survives, a crash leaves the old file or the new one), records its
  // title in config.ini [FileName] "Profile<slot + 1>" and copies it into config\.
  // False when the file could not be written (then nothing else is done) or there
  // is no current slot.
  bool SaveProfile(const settings::SettingsImage& working, const std::string& path);

 private:
  settings::IFileStore& m_store;
  settings::IRegistry& m_registry;
  std::string m_programDir;
};

}  // namespace karvo::configurator
