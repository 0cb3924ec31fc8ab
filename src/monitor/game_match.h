#pragma once
// Which profile slot the program in the foreground selects: the slot whose GameFile names the
// same file (name and extension, ignoring case, directory and surrounding blanks).
#include <optional>
#include <string_view>

#include "platform/suite_names.h"
#include "settings/settings_image.h"

namespace karvo::monitor {

// The display program's file (it never selects a profile).
inline constexpr const char* kDisplayProgramName = platform::kOsdExe;

// The file name and extension of a GameFile value, trimmed; empty for a blank value. Views
// into value.
std::string_view GameFileName(std::string_view value);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool ContainsIgnoringCase(std::string_view text, std::string_view part);

// The lowest slot whose GameFile matches the module base name; none for the display program
// (it never changes the profile) and when no slot matches. Reads each GameFile only within its
// field and allocates nothing.
std::optional<int> MatchGameSlot(const settings::SettingsImage& image, std::string_view baseName);

}  // namespace karvo::monitor
