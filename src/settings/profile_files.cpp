#include "settings/profile_files.h"

#include <cstdio>
#include <optional>

#include "settings/mouse_settings.h"

namespace karvo::settings {
namespace {

constexpr char kSettingSection[] = "Setting";
constexpr char kOsdSection[] = "OSDSetting";
constexpr char kOsdKey[] = "config";

// The ints of a profile file in the order they are read.
struct IntKey {
  const char* Name;
  std::int32_t ProfileSettings::*Field;
};
constexpr IntKey kLoadedInts[] = {
    {"MediaOption", &ProfileSettings::MediaOption},
    {"HDDKeyboard", &ProfileSettings::HDDKeyboard},
    {"DbleClickSpeed", &ProfileSettings::DbleClickSpeed},
    {"ScrollWheelSpeed", &ProfileSettings::ScrollWheelSpeed},
    {"ScrollWheelFlag", &ProfileSettings::ScrollWheelFlag},
    {"TiltWheelSpeed", &ProfileSettings::TiltWheelSpeed},
    {"MouseSpeed", &ProfileSettings::MouseSpeed},
    {"XYSensitivityEnabled", &ProfileSettings::XYSensitivityEnabled},
    {"XSensitivity", &ProfileSettings::XSensitivity},
    {"YSensitivity", &ProfileSettings::YSensitivity},
    {"PollingRate", &ProfileSettings::PollingRate},
    {"DpiStepOnOffFlag", &ProfileSettings::DpiStepOnOffFlag},
    {"CurrentDpiDefault", &ProfileSettings::CurrentDpiDefault},
    {"CpiSettingValue1", &ProfileSettings::CpiSettingValue1},
    {"CpiSettingValue2", &ProfileSettings::CpiSettingValue2},
    {"CpiSettingValue3", &ProfileSettings::CpiSettingValue3},
};

// The ints in the order they are written (the two orders differ in the files
// the suite has always produced).
constexpr IntKey kSavedInts[] = {
    {"DbleClickSpeed", &ProfileSettings::DbleClickSpeed},
    {"TiltWheelSpeed", &ProfileSettings::TiltWheelSpeed},
    {"ScrollWheelSpeed", &ProfileSettings::ScrollWheelSpeed},
    {"ScrollWheelFlag", &ProfileSettings::ScrollWheelFlag},
    {"MouseSpeed", &ProfileSettings::MouseSpeed},
    {"Acceleration", &ProfileSettings::Acceleration},
    {"AccelerationFlag", &ProfileSettings::AccelerationFlag},
    {"MainSensitivity", &ProfileSettings::MainSensitivity},
    {"XYSensitivityEnabled", &ProfileSettings::XYSensitivityEnabled},
    {"XSensitivity", &ProfileSettings::XSensitivity},
    {"YSensitivity", &ProfileSettings::YSensitivity},
    {"MediaOption", &ProfileSettings::MediaOption},
    {"HDDKeyboard", &ProfileSettings::HDDKeyboard},
    {"PollingRate", &ProfileSettings::PollingRate},
    {"DpiStepOnOffFlag", &ProfileSettings::DpiStepOnOffFlag},
    {"CurrentDpiDefault", &ProfileSettings::CurrentDpiDefault},
    {"CpiSettingValue1", &ProfileSettings::CpiSettingValue1},
    {"CpiSettingValue2", &ProfileSettings::CpiSettingValue2},
    {"CpiSettingValue3", &ProfileSettings::CpiSettingValue3},
};

std::string IndexedKey(const char* prefix, int n) {
  char key[32];
  std::snprintf(key, sizeof key, "%s%d", prefix, n);
  return key;
}

// A value is one line of the file; a line break in it would start new keys.
std::string_view OneLine(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

// A field's text as saved: at most what the field holds with its terminator, so a
// full, unterminated field loads back exactly as it was saved.
template <std::size_t N>
std::string_view SavedText(const char (&field)[N]) {
  return OneLine(FieldText(field).substr(0, N - 1));
}

void LoadProfileDocument(const IniDocument& doc, ProfileSettings* record) {
  SetFieldText(record->ProFileName,
               doc.GetString(kSettingSection, "ProFileName").value_or(std::string()));
  SetFieldText(record->GameFile,
               doc.GetString(kSettingSection, "GameFile").value_or(std::string()));
  for (const IntKey& key : kLoadedInts) {
    record->*key.Field = doc.GetInt(kSettingSection, key.Name, -1);
  }
  for (int n = 0; n < 7; ++n) {
    record->ModeSwitchFlag[n] = doc.GetInt(kSettingSection, IndexedKey("ModeSwitchFlag", n), -1);
  }
  for (int n = 0; n < kButtonRecordCount; ++n) {
    MacroKeyInfo loaded;
    if (doc.GetStruct(kSettingSection, IndexedKey("MacroKeyInfo", n), &loaded, sizeof loaded)) {
      TerminateTextFields(&loaded);
      record->MacroKeys[n] = loaded;
    } else {
      SetMacroKeyDefaults(&record->MacroKeys[n], n);
    }
  }
}

}  // namespace

SettingsFiles::SettingsFiles(IFileStore& store, IRegistry& registry, std::string programDir)
    : m_store(store), m_registry(registry), m_programDir(std::move(programDir)) {}

std::string SettingsFiles::ConfigPath() const { return m_programDir + "config.ini"; }

std::string SettingsFiles::ProfilePath(int slot) const {
  return m_programDir + "config\\" + IndexedKey("Default", slot) + ".kmp";
}

int SettingsFiles::SetDefaults(SettingsImage* image) {
  image->CurrentProfile = 0;
  image->Reserved8 = 0;
  image->SysDbleClickSpeed = 5;
  image->SysScrollWheelSpeed = 3;
  image->SysScrollWheelFlag = 0;
  image->SysTiltWheelSpeed = 3;
  image->SysMouseSpeed = 11;
  image->SysAcceleration = 10;
  image->SysAccelerationFlag = 0;
  image->Reserved40 = 0;
  for (int slot = 0; slot < kProfileCount; ++slot) SetProfileDefaults(&image->Profiles[slot], slot);
  // Written from the defaults just set, not from what the slots held before.
  (void)WriteSystemMouseSettings(m_registry, image);
  return 0;
}

int SettingsFiles::LoadAll(SettingsImage* image) {
  image->CurrentProfile =
      LoadIni(m_store, ConfigPath()).GetInt(kSettingSection, "CurrentProfile", -1);
  for (int slot = 0; slot < kProfileCount; ++slot) {
    const std::string path = ProfilePath(slot);
    std::optional<std::string> text;
    {
      const std::unique_ptr<IFileLock> lock = m_store.Lock(path);
      text = m_store.ReadFile(path);
    }
    if (text) {
      LoadProfileDocument(IniDocument::Parse(*text), &image->Profiles[slot]);
    } else {
      SetProfileDefaults(&image->Profiles[slot], slot);
    }
  }
  (void)CopyProfileToHeader(image);
  return 1;
}

int SettingsFiles::SaveAll(SettingsImage* image) {
  (void)WriteSystemMouseSettings(m_registry, image);
  bool ok = SetCurrentProfile(image->CurrentProfile) == 1;
  for (int slot = 0; slot < kProfileCount; ++slot) {
    ok = SaveProfileFile(&image->Profiles[slot], ProfilePath(slot)) == 1 && ok;
  }
  return ok ? 1 : 0;
}

int SettingsFiles::LoadProfileFile(ProfileSettings* record, const std::string& path) {
  LoadProfileDocument(LoadIni(m_store, path), record);
  return 1;
}

int SettingsFiles::SaveProfileFile(const ProfileSettings* record, const std::string& path) {
  IniUpdate update(m_store, path);
  IniDocument& doc = update.Doc();
  doc.SetString(kSettingSection, "ProFileName", SavedText(record->ProFileName));
  doc.SetString(kSettingSection, "GameFile", SavedText(record->GameFile));
  doc.SetString(kSettingSection, "PictureFile", SavedText(record->PictureFile));
  for (const IntKey& key : kSavedInts) doc.SetInt(kSettingSection, key.Name, record->*key.Field);
  for (int n = 0; n < 7; ++n) {
    doc.SetInt(kSettingSection, IndexedKey("ModeSwitchFlag", n), record->ModeSwitchFlag[n]);
  }
  for (int n = 0; n < kButtonRecordCount; ++n) {
    MacroKeyInfo out = record->MacroKeys[n];
    TerminateTextFields(&out);
    doc.SetStruct(kSettingSection, IndexedKey("MacroKeyInfo", n), &out, sizeof out);
  }
  return update.Commit() ? 1 : 0;
}

int SettingsFiles::SetCurrentProfile(int slot) {
  IniUpdate update(m_store, ConfigPath());
  update.Doc().SetInt(kSettingSection, "CurrentProfile", slot);
  return update.Commit() ? 1 : 0;
}

int SettingsFiles::SetDeviceFlag(const std::string& iniPath, int value) {
  IniUpdate update(m_store, iniPath);
  update.Doc().SetInt(kSettingSection, "Device", value);
  return update.Commit() ? 1 : 0;
}

int SettingsFiles::SetFirmwareVersion(int value) {
  IniUpdate update(m_store, ConfigPath());
  update.Doc().SetInt(kSettingSection, "FWVersion", value);
  return update.Commit() ? 1 : 0;
}

int SettingsFiles::GetFirmwareVersion() {
  return LoadIni(m_store, ConfigPath()).GetInt(kSettingSection, "FWVersion", 100);
}

int SettingsFiles::SetProfileFileName(int n, std::string_view name) {
  IniUpdate update(m_store, ConfigPath());
  update.Doc().SetString("FileName", IndexedKey("Profile", n), OneLine(name));
  return update.Commit() ? 1 : 0;
}

int SettingsFiles::ReadOsdSetting(OSDSetting* record, bool useParentDir) {
  std::string dir = useParentDir ? ParentDirectory(m_programDir) : m_programDir;
  OSDSetting loaded;
  if (!LoadIni(m_store, dir + "config.ini")
           .GetStruct(kOsdSection, kOsdKey, &loaded, sizeof loaded)) {
    return 0;
  }
  TerminateTextFields(&loaded);
  *record = loaded;
  return 1;
}

int SettingsFiles::WriteOsdSetting(const OSDSetting* record) {
  OSDSetting out = *record;
  TerminateTextFields(&out);
  IniUpdate update(m_store, ConfigPath());
  update.Doc().SetStruct(kOsdSection, kOsdKey, &out, sizeof out);
  return update.Commit() ? 1 : 0;
}

}  // namespace karvo::settings
