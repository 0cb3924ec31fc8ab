#include "configurator/change_flags.h"

#include <algorithm>
#include <iterator>

namespace karvo::configurator {
namespace {

using settings::ProfileSettings;

// The sensor, CPI and light fields the monitor sends in one report per slot.
constexpr std::int32_t ProfileSettings::*kSensorFields[] = {
    &ProfileSettings::XYSensitivityEnabled,
    &ProfileSettings::XSensitivity,
    &ProfileSettings::YSensitivity,
    &ProfileSettings::PollingRate,
    &ProfileSettings::LightOn,
    &ProfileSettings::LightMode,
    &ProfileSettings::DpiStepOnOffFlag,
    &ProfileSettings::CurrentDpiDefault,
    &ProfileSettings::CpiSettingValue1,
    &ProfileSettings::CpiSettingValue2,
    &ProfileSettings::CpiSettingValue3,
};

template <typename T, std::size_t N>
void Zero(T (&flags)[N]) {
  std::fill(std::begin(flags), std::end(flags), 0);
}

}  // namespace

void DetectChanges(const settings::SettingsImage& snapshot, settings::SettingsImage& working) {
  if (snapshot.CurrentProfile != working.CurrentProfile) working.ProfileChanged = 1;
  for (int i = 0; i < settings::kProfileCount; ++i) {
    const ProfileSettings& before = snapshot.Profiles[i];
    const ProfileSettings& after = working.Profiles[i];
    if (before.SwapButtons != after.SwapButtons) {
      // The swap travels in the sensor report and in the first button record.
      working.SensorChanged[i] = 1;
      working.ButtonChanged[i][0] = 1;
    }
    const bool sensorChanged = std::any_of(
        std::begin(kSensorFields), std::end(kSensorFields),
        [&](std::int32_t ProfileSettings::*field) { return before.*field != after.*field; });
    if (sensorChanged) working.SensorChanged[i] = 1;
    if (before.LevelSetting != after.LevelSetting) working.LevelChanged[i] = 1;
  }
}

void ClearChangeFlags(settings::SettingsImage& block) {
  Zero(block.SensorChanged);
  for (auto& slot : block.ButtonChanged) Zero(slot);
  Zero(block.ProfileLoadFlagA);
  Zero(block.ProfileLoadFlagB);
  block.ProfileChanged = 0;
}

settings::ProfileSettings* CurrentSlotRecord(settings::SettingsImage& block) {
  const int slot = block.CurrentProfile;
  return slot >= 0 && slot < settings::kProfileCount ? &block.Profiles[slot] : nullptr;
}

const settings::ProfileSettings* CurrentSlotRecord(const settings::SettingsImage& block) {
  return CurrentSlotRecord(const_cast<settings::SettingsImage&>(block));
}

}  // namespace karvo::configurator
