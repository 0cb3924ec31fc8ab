// SaveAll followed by LoadAll of five full profiles (every button record a full
// macro), once through the suite's INI engine and once key by key through the
// real private-profile functions, in one run under the same conditions.
//   karvo_bench_settings_io.exe [rounds]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "settings/file_store_win.h"
#include "settings/mouse_settings.h"
#include "settings/profile_files.h"
#include "settings/registry_win.h"
#include "settings/settings_image.h"

namespace {

namespace settings = karvo::settings;
using settings::ProfileSettings;
using settings::SettingsImage;
using Clock = std::chrono::steady_clock;

void FillFullImage(SettingsImage* image) {
  settings::ResetImage(image);
  image->CurrentProfile = 2;
  for (int slot = 0; slot < settings::kProfileCount; ++slot) {
    ProfileSettings& p = image->Profiles[slot];
    settings::SetProfileDefaults(&p, slot);
    char text[96];
    std::snprintf(text, sizeof text, "Benchmark profile %d", slot + 1);
    settings::SetFieldText(p.ProFileName, text);
    std::snprintf(text, sizeof text, "C:\\Program Files\\Some Game %d\\bin\\game.exe", slot);
    settings::SetFieldText(p.GameFile, text);
    p.CpiSettingValue2 = 5 + slot;
    for (int n = 0; n < settings::kButtonRecordCount; ++n) {
      settings::MacroKeyInfo& key = p.MacroKeys[n];
      key.FunctionCode = 16;
      std::snprintf(key.Name, sizeof key.Name, "Macro %d of profile %d", n, slot);
      key.EventCount = settings::kMaxMacroEvents;
      key.RepeatCount = 1;
      for (int e = 0; e < settings::kMaxMacroEvents; ++e) {
        key.Data[e * 4] = static_cast<std::uint8_t>(4 + (e / 2 + n) % 26);
        key.Data[e * 4 + 1] = static_cast<std::uint8_t>(e % 2 ? 2 : 1);
        key.Data[e * 4 + 2] = static_cast<std::uint8_t>(10 + e % 50);
        key.Data[e * 4 + 3] = 0;
      }
    }
  }
}

std::string Indexed(const char* prefix, int n) { return prefix + std::to_string(n); }

// The suite's keys in the order SaveProfileFile writes them.
const char* const kSavedStringKeys[] = {"ProFileName", "GameFile", "PictureFile"};
const char* const kSavedIntKeys[] = {
    "DbleClickSpeed",       "TiltWheelSpeed",   "ScrollWheelSpeed", "ScrollWheelFlag",
    "MouseSpeed",           "Acceleration",     "AccelerationFlag", "MainSensitivity",
    "XYSensitivityEnabled", "XSensitivity",     "YSensitivity",     "MediaOption",
    "HDDKeyboard",          "PollingRate",      "DpiStepOnOffFlag", "CurrentDpiDefault",
    "CpiSettingValue1",     "CpiSettingValue2", "CpiSettingValue3"};
std::int32_t ProfileSettings::*const kSavedIntFields[] = {
    &ProfileSettings::DbleClickSpeed,       &ProfileSettings::TiltWheelSpeed,
    &ProfileSettings::ScrollWheelSpeed,     &ProfileSettings::ScrollWheelFlag,
    &ProfileSettings::MouseSpeed,           &ProfileSettings::Acceleration,
    &ProfileSettings::AccelerationFlag,     &ProfileSettings::MainSensitivity,
    &ProfileSettings::XYSensitivityEnabled, &ProfileSettings::XSensitivity,
    &ProfileSettings::YSensitivity,         &ProfileSettings::MediaOption,
    &ProfileSettings::HDDKeyboard,          &ProfileSettings::PollingRate,
    &ProfileSettings::DpiStepOnOffFlag,     &ProfileSettings::CurrentDpiDefault,
    &ProfileSettings::CpiSettingValue1,     &ProfileSettings::CpiSettingValue2,
    &ProfileSettings::CpiSettingValue3};
static_assert(std::size(kSavedIntKeys) == std::size(kSavedIntFields));

// The keys LoadProfileFile reads, in its order.
const char* const kLoadedIntKeys[] = {
    "MediaOption",       "HDDKeyboard",      "DbleClickSpeed",   "ScrollWheelSpeed",
    "ScrollWheelFlag",   "TiltWheelSpeed",   "MouseSpeed",       "XYSensitivityEnabled",
    "XSensitivity",      "YSensitivity",     "PollingRate",      "DpiStepOnOffFlag",
    "CurrentDpiDefault", "CpiSettingValue1", "CpiSettingValue2", "CpiSettingValue3"};
std::int32_t ProfileSettings::*const kLoadedIntFields[] = {
    &ProfileSettings::MediaOption,       &ProfileSettings::HDDKeyboard,
    &ProfileSettings::DbleClickSpeed,    &ProfileSettings::ScrollWheelSpeed,
    &ProfileSettings::ScrollWheelFlag,   &ProfileSettings::TiltWheelSpeed,
    &ProfileSettings::MouseSpeed,        &ProfileSettings::XYSensitivityEnabled,
    &ProfileSettings::XSensitivity,      &ProfileSettings::YSensitivity,
    &ProfileSettings::PollingRate,       &ProfileSettings::DpiStepOnOffFlag,
    &ProfileSettings::CurrentDpiDefault, &ProfileSettings::CpiSettingValue1,
    &ProfileSettings::CpiSettingValue2,  &ProfileSettings::CpiSettingValue3};
static_assert(std::size(kLoadedIntKeys) == std::size(kLoadedIntFields));

bool WriteInt(const char* key, int value, const std::string& path) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return ::WritePrivateProfileStringA("Setting", key, text, path.c_str());
}

// The same sequence as SettingsFiles::SaveAll and LoadAll, one call per key.
class KeyByKey {
 public:
  KeyByKey(settings::IRegistry& registry, std::string dir)
      : m_registry(registry), m_dir(std::move(dir)) {}

  bool SaveAll(SettingsImage* image) {
    (void)settings::WriteSystemMouseSettings(m_registry, image);
    bool ok = WriteInt("CurrentProfile", image->CurrentProfile, m_dir + "config.ini");
    for (int slot = 0; slot < settings::kProfileCount; ++slot) {
      const ProfileSettings& p = image->Profiles[slot];
      const std::string path = ProfilePath(slot);
      const std::string_view texts[] = {settings::FieldText(p.ProFileName),
                                        settings::FieldText(p.GameFile),
                                        settings::FieldText(p.PictureFile)};
      for (int i = 0; i < 3; ++i) {
        ok = ::WritePrivateProfileStringA("Setting", kSavedStringKeys[i],
                                          std::string(texts[i]).c_str(), path.c_str()) &&
             ok;
      }
      for (std::size_t i = 0; i < std::size(kSavedIntKeys); ++i) {
        ok = WriteInt(kSavedIntKeys[i], p.*kSavedIntFields[i], path) && ok;
      }
      for (int n = 0; n < 7; ++n) {
        ok = WriteInt(Indexed("ModeSwitchFlag", n).c_str(), p.ModeSwitchFlag[n], path) && ok;
      }
      for (int n = 0; n < settings::kButtonRecordCount; ++n) {
        settings::MacroKeyInfo record = p.MacroKeys[n];
        ok = ::WritePrivateProfileStructA("Setting", Indexed("MacroKeyInfo", n).c_str(), &record,
                                          sizeof record, path.c_str()) &&
             ok;
      }
    }
    return ok;
  }

  void LoadAll(SettingsImage* image) {
    const std::string config = m_dir + "config.ini";
    image->CurrentProfile =
        static_cast<int>(::GetPrivateProfileIntA("Setting", "CurrentProfile", -1, config.c_str()));
    std::vector<char> buffer(2048);
    for (int slot = 0; slot < settings::kProfileCount; ++slot) {
      ProfileSettings& p = image->Profiles[slot];
      const std::string path = ProfilePath(slot);
      if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        settings::SetProfileDefaults(&p, slot);
        continue;
      }
      const DWORD nameLength =
          ::GetPrivateProfileStringA("Setting", "ProFileName", "", buffer.data(),
                                     static_cast<DWORD>(buffer.size()), path.c_str());
      settings::SetFieldText(p.ProFileName, std::string_view(buffer.data(), nameLength));
      const DWORD gameLength =
          ::GetPrivateProfileStringA("Setting", "GameFile", "", buffer.data(),
                                     static_cast<DWORD>(buffer.size()), path.c_str());
      settings::SetFieldText(p.GameFile, std::string_view(buffer.data(), gameLength));
      for (std::size_t i = 0; i < std::size(kLoadedIntKeys); ++i) {
        p.*kLoadedIntFields[i] = static_cast<int>(
            ::GetPrivateProfileIntA("Setting", kLoadedIntKeys[i], -1, path.c_str()));
      }
      for (int n = 0; n < 7; ++n) {
        p.ModeSwitchFlag[n] = static_cast<int>(::GetPrivateProfileIntA(
            "Setting", Indexed("ModeSwitchFlag", n).c_str(), -1, path.c_str()));
      }
      for (int n = 0; n < settings::kButtonRecordCount; ++n) {
        settings::MacroKeyInfo record;
        if (::GetPrivateProfileStructA("Setting", Indexed("MacroKeyInfo", n).c_str(), &record,
                                       sizeof record, path.c_str())) {
          settings::TerminateTextFields(&record);
          p.MacroKeys[n] = record;
        } else {
          settings::SetMacroKeyDefaults(&p.MacroKeys[n], n);
        }
      }
    }
    (void)settings::CopyProfileToHeader(image);
  }

 private:
  std::string ProfilePath(int slot) const {
    return m_dir + "config\\" + Indexed("Default", slot) + ".kmp";
  }

  settings::IRegistry& m_registry;
  std::string m_dir;
};

std::string MakeDir(const std::string& base, const char* name) {
  const std::string dir = base + name + "\\";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  ::CreateDirectoryA((dir + "config").c_str(), nullptr);
  return dir;
}

void RemoveDir(const std::string& dir) {
  for (int slot = 0; slot < settings::kProfileCount; ++slot) {
    ::DeleteFileA((dir + "config\\" + Indexed("Default", slot) + ".kmp").c_str());
  }
  ::RemoveDirectoryA((dir + "config").c_str());
  ::DeleteFileA((dir + "config.ini").c_str());
  ::RemoveDirectoryA(dir.c_str());
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int Run(int rounds) {
  char temp[MAX_PATH];
  const DWORD n = ::GetTempPathA(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return 1;
  const std::string base =
      std::string(temp, n) + "karvo_bench_" + std::to_string(::GetCurrentProcessId()) + "_";
  const std::string engineDir = MakeDir(base, "engine");
  const std::string realDir = MakeDir(base, "real");

  auto image = std::make_unique<SettingsImage>();
  FillFullImage(image.get());
  auto engineLoaded = std::make_unique<SettingsImage>();
  auto realLoaded = std::make_unique<SettingsImage>();

  settings::WinFileStore store;
  settings::WinRegistry registry;
  settings::SettingsFiles engine(store, registry, engineDir);
  KeyByKey real(registry, realDir);

  std::vector<double> engineMs, realMs;
  bool agree = true;
  for (int round = 0; round < rounds; ++round) {
    settings::ResetImage(engineLoaded.get());
    auto start = Clock::now();
    const bool engineSaved = engine.SaveAll(image.get()) == 1;
    engine.LoadAll(engineLoaded.get());
    engineMs.push_back(Milliseconds(Clock::now() - start));

    settings::ResetImage(realLoaded.get());
    start = Clock::now();
    const bool realSaved = real.SaveAll(image.get());
    real.LoadAll(realLoaded.get());
    realMs.push_back(Milliseconds(Clock::now() - start));

    agree = agree && engineSaved && realSaved &&
            std::memcmp(engineLoaded.get(), realLoaded.get(), sizeof(SettingsImage)) == 0 &&
            std::memcmp(engineLoaded->Profiles[4].MacroKeys, image->Profiles[4].MacroKeys,
                        sizeof image->Profiles[4].MacroKeys) == 0;
  }
  RemoveDir(engineDir);
  RemoveDir(realDir);

  const double engineMedian = Median(engineMs);
  const double realMedian = Median(realMs);
  std::printf("settings SaveAll+LoadAll, 5 full profiles (14 full macros each), %d rounds\n",
              rounds);
  std::printf("  engine (one parse and one atomic write per file): median %9.1f ms, min %9.1f ms\n",
              engineMedian, *std::min_element(engineMs.begin(), engineMs.end()));
  std::printf("  private-profile functions, key by key:           median %9.1f ms, min %9.1f ms\n",
              realMedian, *std::min_element(realMs.begin(), realMs.end()));
  std::printf("  ratio (key by key / engine, medians): %.1fx\n",
              engineMedian > 0 ? realMedian / engineMedian : 0.0);
  std::printf("  both loads identical, button records as saved: %s\n", agree ? "yes" : "NO");
  return agree ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  rounds = std::clamp(rounds, 1, 100);
  try {
    return Run(rounds);
  } catch (...) {
    std::fputs("settings benchmark failed\n", stderr);
    return 1;
  }
}
