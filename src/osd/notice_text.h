#pragma once
// Where the notice texts come from and how they are worded. The monitor only
// names the kind of notice; the words are read from the files when it arrives.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text_encoding.h"
#include "settings/settings_image.h"

namespace karvo::settings {
class IFileStore;
}

namespace karvo::osd {

// The fields the texts come from are fixed-size buffers in the other programs,
// terminator included: whatever a file holds, no more than this is shown.
inline constexpr std::size_t kProfileNameField = 260;
inline constexpr std::size_t kMessageField = 100;
inline constexpr std::size_t kMacroNameField = 100;

// The text at most field - 1 bytes long and ending at the first NUL.
std::string BoundedField(std::string_view text, std::size_t field);

struct MacroNotice {
  int number = 0;
  std::string name;
};

// The files behind the notices, read afresh for every request.
class INoticeSource {
 public:
  virtual ~INoticeSource() = default;
  virtual std::string ProfileName(int slot) = 0;  // empty when the file or key is missing
  virtual std::string Message() = 0;
  virtual MacroNotice Macro() = 0;
  // The notification record; nullopt when it is missing or damaged.
  virtual std::optional<settings::OSDSetting> NotificationRecord() = 0;
};

// The install directory's config.ini and config\Default<n>.kmp through the suite's INI engine.
class IniNoticeSource final : public INoticeSource {
 public:
  // programDir ends with a backslash.
  IniNoticeSource(settings::IFileStore& store, std::string programDir);
  std::string ProfileName(int slot) override;
  std::string Message() override;
  MacroNotice Macro() override;
  std::optional<settings::OSDSetting> NotificationRecord() override;

 private:
  std::string ConfigPath() const;
  settings::IFileStore& m_store;
  std::string m_programDir;
};

// Texts, in the bytes of the suite's texts (Windows-1252).
std::string ProfileText(int slot, std::string_view name);
std::string CpiText(int level);  // empty for a level outside 1..7
std::string VolumeText(int level);
// nullopt for a button number outside 0..18: the previous macro text stays.
std::optional<std::string> MacroText(const MacroNotice& macro);

// The suite writes its texts in Windows-1252; they are drawn with the wide text
// functions so they read the same whatever the system's ANSI code page is.
using platform::DecodeWindows1252;

}  // namespace karvo::osd
