#pragma once
// The two settings images that the save-crash child writes in turn. Every
// profile and every button record of one differs from the other's, so a file
// that mixed them, or fell back to defaults, shows in the comparison.
#include <cstdio>
#include <cstring>

#include "settings/settings_image.h"

namespace karvo::settings::crash_test {

// which: 0 or 1.
inline void FillImage(SettingsImage* image, int which) {
  ResetImage(image);
  image->CurrentProfile = which == 0 ? 1 : 3;
  for (int slot = 0; slot < kProfileCount; ++slot) {
    ProfileSettings& p = image->Profiles[slot];
    SetProfileDefaults(&p, slot);
    const int tag = which * 100 + slot;
    char text[64];
    std::snprintf(text, sizeof text, "Image %d slot %d", which, slot);
    SetFieldText(p.ProFileName, text);
    std::snprintf(text, sizeof text, "C:\\Games\\image%d\\game%d.exe", which, slot);
    SetFieldText(p.GameFile, text);
    p.MediaOption = tag % 4;
    p.DbleClickSpeed = tag + 1;
    p.ScrollWheelSpeed = tag + 2;
    p.TiltWheelSpeed = tag + 3;
    p.MouseSpeed = tag + 4;
    p.XSensitivity = tag + 5;
    p.YSensitivity = tag + 6;
    p.PollingRate = tag + 7;
    p.DpiStepOnOffFlag = tag + 8;
    p.CpiSettingValue1 = tag + 9;
    p.CpiSettingValue2 = tag + 10;
    p.CpiSettingValue3 = tag + 11;
    for (int n = 0; n < 7; ++n) p.ModeSwitchFlag[n] = tag + 20 + n;
    for (int n = 0; n < kButtonRecordCount; ++n) {
      MacroKeyInfo& key = p.MacroKeys[n];
      key.FunctionCode = 16;
      std::snprintf(key.Name, sizeof key.Name, "Macro %d.%d.%d", which, slot, n);
      key.EventCount = kMaxMacroEvents;
      key.RepeatCount = tag * 14 + n;
      for (std::size_t i = 0; i < sizeof key.Data; ++i) {
        key.Data[i] = static_cast<std::uint8_t>(i * 7 + tag * 31 + n);
      }
      std::snprintf(key.ProgramPath, sizeof key.ProgramPath, "C:\\Tools\\%d\\%d\\%d.exe", which,
                    slot, n);
    }
  }
}

}  // namespace karvo::settings::crash_test
