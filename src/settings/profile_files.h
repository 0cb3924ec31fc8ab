#pragma once
// config.ini and the profile files: loading and saving the settings image and
// the notification record.
#include <string>
#include <string_view>

#include "platform/program_dir.h"
#include "settings/ini_document.h"
#include "settings/registry.h"
#include "settings/settings_image.h"

namespace karvo::settings {

using platform::ParentDirectory;
using platform::ProgramDirFromModulePath;

// Reads and writes the files below one program directory. Every save parses and
// writes each file once. Operations return 1 on success and 0 when a file could
// not be written; nothing is shown to the user.
class SettingsFiles {
 public:
  // programDir ends with a backslash (or is empty).
  SettingsFiles(IFileStore& store, IRegistry& registry, std::string programDir);

  const std::string& GetProgramDir() const { return m_programDir; }
  std::string ConfigPath() const;           // ProgramDir + "config.ini"
  std::string ProfilePath(int slot) const;  // ProgramDir + "config\\Default<slot>.kmp"

  // Defaults of every slot, then the Windows mouse settings written from them.
  int SetDefaults(SettingsImage* image);
  int LoadAll(SettingsImage* image);
  int SaveAll(SettingsImage* image);
  int LoadProfileFile(ProfileSettings* record, const std::string& path);
  int SaveProfileFile(const ProfileSettings* record, const std::string& path);

  int SetCurrentProfile(int slot);
  int SetDeviceFlag(const std::string& iniPath, int value);
  int SetFirmwareVersion(int value);
  int GetFirmwareVersion();  // 100 when absent
  int SetProfileFileName(int n, std::string_view name);

  // From config.ini of the program directory, or of its parent for the applets;
  // 0 and the record unchanged when the value is missing or rejected.
  int ReadOsdSetting(OSDSetting* record, bool useParentDir);
  int WriteOsdSetting(const OSDSetting* record);

 private:
  IFileStore& m_store;
  IRegistry& m_registry;
  std::string m_programDir;
};

}  // namespace karvo::settings
