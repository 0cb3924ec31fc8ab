#include "settings/settings_image.h"

#include <cstdio>

namespace karvo::settings {
namespace {

void SetHeaderInts(SettingsImage* image, int value) {
  image->Reserved8 = value;
  image->SysDbleClickSpeed = value;
  image->SysScrollWheelSpeed = value;
  image->SysScrollWheelFlag = value;
  image->SysTiltWheelSpeed = value;
  image->SysMouseSpeed = value;
  image->SysAcceleration = value;
  image->SysAccelerationFlag = value;
  image->Reserved40 = value;
}

bool HasCurrentProfile(const SettingsImage* image) {
  return image->CurrentProfile >= 0 && image->CurrentProfile < kProfileCount;
}

}  // namespace

int ResetImage(SettingsImage* image) {
  image->CurrentProfile = -1;
  image->Reserved4 = 0;
  SetHeaderInts(image, -1);
  std::memset(image->Profiles, 0, sizeof image->Profiles);
  // The whole flag area, not only the documented flags: a stale LevelChanged or
  // load flag left from an earlier image would trigger uploads nobody asked for.
  auto* flags = reinterpret_cast<unsigned char*>(image) + offsetof(SettingsImage, ButtonChanged);
  std::memset(flags, 0, sizeof(SettingsImage) - offsetof(SettingsImage, ButtonChanged));
  return 0;
}

void SetMacroKeyDefaults(MacroKeyInfo* record, int n) {
  if (n < 0 || n >= kButtonRecordCount) return;
  record->Slot = kButtonRecordDefaults[n].Slot;
  record->FunctionCode = kButtonRecordDefaults[n].FunctionCode;
  std::memset(record->Name, 0, sizeof record->Name);
  record->EventCount = 0;
  record->Unused54 = 0;
  record->RepeatCount = 0;
  std::memset(record->Data, 0, sizeof record->Data);
  std::memset(record->ProgramPath, 0, sizeof record->ProgramPath);
}

int SetProfileDefaults(ProfileSettings* record, int slot) {
  char name[32];
  std::snprintf(name, sizeof name, "Default%lld", static_cast<long long>(slot) + 1);
  SetFieldText(record->ProFileName, name);
  SetFieldText(record->GameFile, "");
  SetFieldText(record->PictureFile, "");
  record->MediaOption = 0;
  record->HDDKeyboard = 1;
  record->SecondModeActive = 0;
  record->Unused1264[0] = 0;
  record->Unused1264[1] = 0;
  record->SwapButtons = 0;
  record->DbleClickSpeed = 5;
  record->ScrollWheelSpeed = 3;
  record->ScrollWheelFlag = 0;
  record->TiltWheelSpeed = 3;
  record->MouseSpeed = 11;
  record->Acceleration = 10;
  record->AccelerationFlag = 0;
  record->MainSensitivity = 0;
  record->XYSensitivityEnabled = 1;
  record->XSensitivity = 10;
  record->YSensitivity = 10;
  record->PollingRate = 3;
  record->LevelSetting = 10;
  record->ExtraParam1 = 0;
  record->ExtraParam2 = 0;
  record->ExtraParam3 = 0;
  record->ExtraParam4 = 0;
  record->ExtraParam0 = 0;
  record->CurrentDpiDefault = 0;
  record->CpiSettingValue1 = 2;
  record->CpiSettingValue2 = 4;
  record->CpiSettingValue3 = 7;
  record->DpiStepOnOffFlag = 74;
  std::memset(record->Unused1368, 0, sizeof record->Unused1368);
  record->LightMode = 1;
  record->Unused1392 = 0;
  record->LightOn = 1;
  std::memset(record->Unused1400, 0, sizeof record->Unused1400);
  std::memset(record->ModeSwitchFlag, 0, sizeof record->ModeSwitchFlag);
  for (int n = 0; n < kButtonRecordCount; ++n) SetMacroKeyDefaults(&record->MacroKeys[n], n);
  std::memset(record->Unused33936, 0, sizeof record->Unused33936);
  return 0;
}

int CopyProfileToHeader(SettingsImage* image) {
  if (!HasCurrentProfile(image)) return 0;
  const ProfileSettings& p = image->Profiles[image->CurrentProfile];
  image->SysDbleClickSpeed = p.DbleClickSpeed;
  image->SysScrollWheelSpeed = p.ScrollWheelSpeed;
  image->SysScrollWheelFlag = p.ScrollWheelFlag;
  image->SysTiltWheelSpeed = p.TiltWheelSpeed;
  image->SysMouseSpeed = p.MouseSpeed;
  image->SysAcceleration = p.Acceleration;
  image->SysAccelerationFlag = p.AccelerationFlag;
  return 1;
}

int CopyHeaderToProfile(SettingsImage* image) {
  if (!HasCurrentProfile(image)) return 0;
  ProfileSettings& p = image->Profiles[image->CurrentProfile];
  p.DbleClickSpeed = image->SysDbleClickSpeed;
  p.ScrollWheelSpeed = image->SysScrollWheelSpeed;
  p.ScrollWheelFlag = image->SysScrollWheelFlag;
  p.TiltWheelSpeed = image->SysTiltWheelSpeed;
  p.MouseSpeed = image->SysMouseSpeed;
  p.Acceleration = image->SysAcceleration;
  p.AccelerationFlag = image->SysAccelerationFlag;
  return 1;
}

int SetOsdDefaults(OSDSetting* record) {
  std::memset(record, 0, sizeof *record);
  record->OsdColor = 4;
  record->MailPort = 110;
  record->MailInterval = 5;
  return 0;
}

void TerminateTextFields(MacroKeyInfo* record) {
  record->Name[sizeof record->Name - 1] = '\0';
  record->ProgramPath[sizeof record->ProgramPath - 1] = '\0';
}

void TerminateTextFields(OSDSetting* record) {
  record->MailServer[sizeof record->MailServer - 1] = '\0';
  record->MailUser[sizeof record->MailUser - 1] = '\0';
  record->MailPassword[sizeof record->MailPassword - 1] = '\0';
}

}  // namespace karvo::settings
