#pragma once
// The settings records. SettingsImage is also the byte layout of the block that
// the monitor shares with the configurator, so every offset here is binding.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace karvo::settings {

inline constexpr int kProfileCount = 5;
inline constexpr int kButtonRecordCount = 14;
inline constexpr int kMaxMacroEvents = 500;

// One assignable button of one button mode.
struct MacroKeyInfo {
  std::uint8_t Slot;          // hardware button slot
  std::uint8_t FunctionCode;  // assigned function
  char Name[50];
  std::uint16_t EventCount;
  std::uint16_t Unused54;
  std::int32_t RepeatCount;
  // Code 16: up to 500 events of (key code, 1 press / 2 release, u16 delay ms).
  // Code 5: key code, modifier mask.
  std::uint8_t Data[2000];
  char ProgramPath[260];  // code 17
};

struct ProfileSettings {
  char ProFileName[250];
  char GameFile[500];
  char PictureFile[502];
  std::int32_t MediaOption;  // 0 WMP, 1 iTunes, 2 VLC, 3 Winamp
  std::int32_t HDDKeyboard;  // 0: only program launches execute
  std::int32_t SecondModeActive;
  std::int32_t Unused1264[2];
  std::int32_t SwapButtons;
  // The seven Windows mouse values, mirrored into the image header.
  std::int32_t DbleClickSpeed;
  std::int32_t ScrollWheelSpeed;
  std::int32_t ScrollWheelFlag;
  std::int32_t TiltWheelSpeed;
  std::int32_t MouseSpeed;
  std::int32_t Acceleration;
  std::int32_t AccelerationFlag;
  std::int32_t MainSensitivity;
  std::int32_t XYSensitivityEnabled;
  std::int32_t XSensitivity;
  std::int32_t YSensitivity;
  std::int32_t PollingRate;  // index 0..3
  std::int32_t LevelSetting;
  std::int32_t ExtraParam1;
  std::int32_t ExtraParam2;
  std::int32_t ExtraParam3;
  std::int32_t ExtraParam4;
  std::int32_t ExtraParam0;
  std::int32_t CurrentDpiDefault;  // 0..2
  std::int32_t CpiSettingValue1;
  std::int32_t CpiSettingValue2;
  std::int32_t CpiSettingValue3;
  std::int32_t DpiStepOnOffFlag;
  std::int32_t Unused1368[5];
  std::int32_t LightMode;
  std::int32_t Unused1392;
  std::int32_t LightOn;
  std::int32_t Unused1400[7];
  std::int32_t ModeSwitchFlag[7];
  MacroKeyInfo MacroKeys[kButtonRecordCount];
  std::uint8_t Unused33936[20];
};

struct SettingsImage {
  std::int32_t CurrentProfile;  // 0..4, unchecked when read from a file
  std::int32_t Reserved4;
  std::int32_t Reserved8;
  std::int32_t SysDbleClickSpeed;
  std::int32_t SysScrollWheelSpeed;
  std::int32_t SysScrollWheelFlag;
  std::int32_t SysTiltWheelSpeed;
  std::int32_t SysMouseSpeed;
  std::int32_t SysAcceleration;
  std::int32_t SysAccelerationFlag;
  std::int32_t Reserved40;
  ProfileSettings Profiles[kProfileCount];
  // Change flags, set by the configurator, consumed by the monitor's uploads.
  std::int32_t ButtonChanged[kProfileCount][kButtonRecordCount];
  std::int32_t Unused170104;
  std::int32_t Reserved170108[5];
  std::int32_t ProfileChanged;
  std::int32_t SensorChanged[kProfileCount];
  std::int32_t Reserved170152[5];
  std::int32_t Reserved170172[5];
  std::int32_t Unused170192[5];
  std::int32_t Reserved170212;
  std::int32_t Reserved170216[5];
  std::int32_t Reserved170236[5];
  std::int32_t LevelChanged[kProfileCount];
  // Set by the configurator when it loads a profile file into a slot.
  std::int32_t ProfileLoadFlagA[kProfileCount];
  std::int32_t ProfileLoadFlagB[kProfileCount];
};

// Notice switches, notice box look and the mail account; config.ini [OSDSetting].
struct OSDSetting {
  std::int32_t ShowCpu;
  std::int32_t ShowRam;
  std::int32_t ShowProfile;
  std::int32_t ShowMacro;
  std::int32_t ShowMail;
  std::int32_t ShowSkype;
  std::int32_t ShowDpi;
  std::int32_t OsdColor;         // 0..6
  std::int32_t OsdTransparency;  // 0..9
  char MailServer[100];
  std::int32_t MailPort;
  char MailUser[100];
  char MailPassword[100];
  std::int32_t MailInterval;  // minutes
};

static_assert(sizeof(MacroKeyInfo) == 2320);
static_assert(offsetof(MacroKeyInfo, Slot) == 0);
static_assert(offsetof(MacroKeyInfo, FunctionCode) == 1);
static_assert(offsetof(MacroKeyInfo, Name) == 2);
static_assert(offsetof(MacroKeyInfo, EventCount) == 52);
static_assert(offsetof(MacroKeyInfo, Unused54) == 54);
static_assert(offsetof(MacroKeyInfo, RepeatCount) == 56);
static_assert(offsetof(MacroKeyInfo, Data) == 60);
static_assert(offsetof(MacroKeyInfo, ProgramPath) == 2060);

static_assert(sizeof(ProfileSettings) == 33956);
static_assert(offsetof(ProfileSettings, ProFileName) == 0);
static_assert(offsetof(ProfileSettings, GameFile) == 250);
static_assert(offsetof(ProfileSettings, PictureFile) == 750);
static_assert(offsetof(ProfileSettings, MediaOption) == 1252);
static_assert(offsetof(ProfileSettings, HDDKeyboard) == 1256);
static_assert(offsetof(ProfileSettings, SecondModeActive) == 1260);
static_assert(offsetof(ProfileSettings, Unused1264) == 1264);
static_assert(offsetof(ProfileSettings, SwapButtons) == 1272);
static_assert(offsetof(ProfileSettings, DbleClickSpeed) == 1276);
static_assert(offsetof(ProfileSettings, ScrollWheelSpeed) == 1280);
static_assert(offsetof(ProfileSettings, ScrollWheelFlag) == 1284);
static_assert(offsetof(ProfileSettings, TiltWheelSpeed) == 1288);
static_assert(offsetof(ProfileSettings, MouseSpeed) == 1292);
static_assert(offsetof(ProfileSettings, Acceleration) == 1296);
static_assert(offsetof(ProfileSettings, AccelerationFlag) == 1300);
static_assert(offsetof(ProfileSettings, MainSensitivity) == 1304);
static_assert(offsetof(ProfileSettings, XYSensitivityEnabled) == 1308);
static_assert(offsetof(ProfileSettings, XSensitivity) == 1312);
static_assert(offsetof(ProfileSettings, YSensitivity) == 1316);
static_assert(offsetof(ProfileSettings, PollingRate) == 1320);
static_assert(offsetof(ProfileSettings, LevelSetting) == 1324);
static_assert(offsetof(ProfileSettings, ExtraParam1) == 1328);
static_assert(offsetof(ProfileSettings, ExtraParam2) == 1332);
static_assert(offsetof(ProfileSettings, ExtraParam3) == 1336);
static_assert(offsetof(ProfileSettings, ExtraParam4) == 1340);
static_assert(offsetof(ProfileSettings, ExtraParam0) == 1344);
static_assert(offsetof(ProfileSettings, CurrentDpiDefault) == 1348);
static_assert(offsetof(ProfileSettings, CpiSettingValue1) == 1352);
static_assert(offsetof(ProfileSettings, CpiSettingValue2) == 1356);
static_assert(offsetof(ProfileSettings, CpiSettingValue3) == 1360);
static_assert(offsetof(ProfileSettings, DpiStepOnOffFlag) == 1364);
static_assert(offsetof(ProfileSettings, Unused1368) == 1368);
static_assert(offsetof(ProfileSettings, LightMode) == 1388);
static_assert(offsetof(ProfileSettings, Unused1392) == 1392);
static_assert(offsetof(ProfileSettings, LightOn) == 1396);
static_assert(offsetof(ProfileSettings, Unused1400) == 1400);
static_assert(offsetof(ProfileSettings, ModeSwitchFlag) == 1428);
static_assert(offsetof(ProfileSettings, MacroKeys) == 1456);
static_assert(offsetof(ProfileSettings, Unused33936) == 33936);

static_assert(sizeof(SettingsImage) == 170316);
static_assert(offsetof(SettingsImage, CurrentProfile) == 0);
static_assert(offsetof(SettingsImage, Reserved4) == 4);
static_assert(offsetof(SettingsImage, Reserved8) == 8);
static_assert(offsetof(SettingsImage, SysDbleClickSpeed) == 12);
static_assert(offsetof(SettingsImage, SysScrollWheelSpeed) == 16);
static_assert(offsetof(SettingsImage, SysScrollWheelFlag) == 20);
static_assert(offsetof(SettingsImage, SysTiltWheelSpeed) == 24);
static_assert(offsetof(SettingsImage, SysMouseSpeed) == 28);
static_assert(offsetof(SettingsImage, SysAcceleration) == 32);
static_assert(offsetof(SettingsImage, SysAccelerationFlag) == 36);
static_assert(offsetof(SettingsImage, Reserved40) == 40);
static_assert(offsetof(SettingsImage, Profiles) == 44);
static_assert(offsetof(SettingsImage, ButtonChanged) == 169824);
static_assert(offsetof(SettingsImage, Unused170104) == 170104);
static_assert(offsetof(SettingsImage, Reserved170108) == 170108);
static_assert(offsetof(SettingsImage, ProfileChanged) == 170128);
static_assert(offsetof(SettingsImage, SensorChanged) == 170132);
static_assert(offsetof(SettingsImage, Reserved170152) == 170152);
static_assert(offsetof(SettingsImage, Reserved170172) == 170172);
static_assert(offsetof(SettingsImage, Unused170192) == 170192);
static_assert(offsetof(SettingsImage, Reserved170212) == 170212);
static_assert(offsetof(SettingsImage, Reserved170216) == 170216);
static_assert(offsetof(SettingsImage, Reserved170236) == 170236);
static_assert(offsetof(SettingsImage, LevelChanged) == 170256);
static_assert(offsetof(SettingsImage, ProfileLoadFlagA) == 170276);
static_assert(offsetof(SettingsImage, ProfileLoadFlagB) == 170296);

static_assert(sizeof(OSDSetting) == 344);
static_assert(offsetof(OSDSetting, ShowCpu) == 0);
static_assert(offsetof(OSDSetting, ShowRam) == 4);
static_assert(offsetof(OSDSetting, ShowProfile) == 8);
static_assert(offsetof(OSDSetting, ShowMacro) == 12);
static_assert(offsetof(OSDSetting, ShowMail) == 16);
static_assert(offsetof(OSDSetting, ShowSkype) == 20);
static_assert(offsetof(OSDSetting, ShowDpi) == 24);
static_assert(offsetof(OSDSetting, OsdColor) == 28);
static_assert(offsetof(OSDSetting, OsdTransparency) == 32);
static_assert(offsetof(OSDSetting, MailServer) == 36);
static_assert(offsetof(OSDSetting, MailPort) == 136);
static_assert(offsetof(OSDSetting, MailUser) == 140);
static_assert(offsetof(OSDSetting, MailPassword) == 240);
static_assert(offsetof(OSDSetting, MailInterval) == 340);

// Text of a fixed-size field, up to its first NUL or its end when it has none
// (fields in the shared block and in files are not trusted to be terminated).
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  const void* nul = std::memchr(field, '\0', N);
  return std::string_view(field, nul ? static_cast<const char*>(nul) - field : N);
}

// Stores text cut to N - 1 bytes (and at an embedded NUL), terminated and
// zero-padded so the record's bytes do not depend on what the field held before.
template <std::size_t N>
void SetFieldText(char (&field)[N], std::string_view text) {
  std::size_t n = text.find('\0');
  if (n == std::string_view::npos) n = text.size();
  if (n > N - 1) n = N - 1;
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, N - n);
}

// Slot and default function code of button record n (0..13).
struct ButtonRecordDefault {
  std::uint8_t Slot;
  std::uint8_t FunctionCode;
};
inline constexpr ButtonRecordDefault kButtonRecordDefaults[kButtonRecordCount] = {
    {7, 9},   {8, 10},  {2, 3},   {3, 7},  {4, 8},  {5, 14}, {6, 15},
    {16, 31}, {17, 32}, {11, 30}, {12, 6}, {13, 6}, {14, 6}, {15, 6}};

// Pure record operations; each returns as the suite's callers expect.
int ResetImage(SettingsImage* image);                       // 0
int SetProfileDefaults(ProfileSettings* record, int slot);  // 0; slot 0..4
void SetMacroKeyDefaults(MacroKeyInfo* record, int n);      // n 0..13
int CopyProfileToHeader(SettingsImage* image);              // 0 when CurrentProfile is not 0..4
int CopyHeaderToProfile(SettingsImage* image);              // 0 when CurrentProfile is not 0..4
int SetOsdDefaults(OSDSetting* record);                     // 0
// Terminates the text fields of a record that came from outside.
void TerminateTextFields(MacroKeyInfo* record);
void TerminateTextFields(OSDSetting* record);

}  // namespace karvo::settings
