#include "configurator/change_flags.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "configurator/version_text.h"

namespace karvo::configurator {
namespace {

using settings::ProfileSettings;
using settings::SettingsImage;

// The flags DetectChanges may set, as one comparable value.
struct Flags {
  int Profile = 0;
  std::vector<int> Sensor = std::vector<int>(5);
  std::vector<int> Level = std::vector<int>(5);
  std::vector<int> Buttons = std::vector<int>(70);
  bool operator==(const Flags&) const = default;
};

Flags FlagsOf(const SettingsImage& image) {
  Flags flags;
  flags.Profile = image.ProfileChanged;
  flags.Sensor.assign(image.SensorChanged, image.SensorChanged + 5);
  flags.Level.assign(image.LevelChanged, image.LevelChanged + 5);
  flags.Buttons.assign(&image.ButtonChanged[0][0], &image.ButtonChanged[0][0] + 70);
  return flags;
}

std::unique_ptr<SettingsImage> DefaultImage() {
  auto image = std::make_unique<SettingsImage>();
  settings::ResetImage(image.get());
  image->CurrentProfile = 1;
  for (int slot = 0; slot < 5; ++slot) settings::SetProfileDefaults(&image->Profiles[slot], slot);
  return image;
}

TEST(DetectChanges, EachComparedFieldSetsItsSlotsFlagsAndNothingElse) {
  enum Expect { kSensor, kSensorAndFirstButton, kLevel, kNone };
  const struct {
    const char* Name;
    std::int32_t ProfileSettings::*Field;
    Expect Flags;
  } kCases[] = {
      {"XYSensitivityEnabled", &ProfileSettings::XYSensitivityEnabled, kSensor},
      {"XSensitivity", &ProfileSettings::XSensitivity, kSensor},
      {"YSensitivity", &ProfileSettings::YSensitivity, kSensor},
      {"PollingRate", &ProfileSettings::PollingRate, kSensor},
      {"LightOn", &ProfileSettings::LightOn, kSensor},
      {"LightMode", &ProfileSettings::LightMode, kSensor},
      {"DpiStepOnOffFlag", &ProfileSettings::DpiStepOnOffFlag, kSensor},
      {"CurrentDpiDefault", &ProfileSettings::CurrentDpiDefault, kSensor},
      {"CpiSettingValue1", &ProfileSettings::CpiSettingValue1, kSensor},
      {"CpiSettingValue2", &ProfileSettings::CpiSettingValue2, kSensor},
      {"CpiSettingValue3", &ProfileSettings::CpiSettingValue3, kSensor},
      {"SwapButtons", &ProfileSettings::SwapButtons, kSensorAndFirstButton},
      {"LevelSetting", &ProfileSettings::LevelSetting, kLevel},
      // Windows settings, device-only values and mode switches are not uploaded
      // from a comparison.
      {"DbleClickSpeed", &ProfileSettings::DbleClickSpeed, kNone},
      {"MouseSpeed", &ProfileSettings::MouseSpeed, kNone},
      {"ScrollWheelSpeed", &ProfileSettings::ScrollWheelSpeed, kNone},
      {"MediaOption", &ProfileSettings::MediaOption, kNone},
      {"HDDKeyboard", &ProfileSettings::HDDKeyboard, kNone},
      {"ExtraParam1", &ProfileSettings::ExtraParam1, kNone},
      {"ExtraParam3", &ProfileSettings::ExtraParam3, kNone},
      {"ExtraParam4", &ProfileSettings::ExtraParam4, kNone},
      {"MainSensitivity", &ProfileSettings::MainSensitivity, kNone},
  };
  const std::unique_ptr<SettingsImage> snapshot = DefaultImage();
  for (const auto& c : kCases) {
    for (int slot : {0, 4}) {
      SCOPED_TRACE(std::string(c.Name) + " in slot " + std::to_string(slot));
      auto working = std::make_unique<SettingsImage>(*snapshot);
      working->Profiles[slot].*c.Field += 1;
      DetectChanges(*snapshot, *working);
      Flags expected;
      if (c.Flags == kSensor || c.Flags == kSensorAndFirstButton) expected.Sensor[slot] = 1;
      if (c.Flags == kSensorAndFirstButton) expected.Buttons[slot * 14] = 1;
      if (c.Flags == kLevel) expected.Level[slot] = 1;
      EXPECT_EQ(FlagsOf(*working), expected);
    }
  }

  auto working = std::make_unique<SettingsImage>(*snapshot);
  working->CurrentProfile = 3;
  std::strcpy(working->Profiles[2].ProFileName, "renamed");
  working->Profiles[2].ModeSwitchFlag[4] = 1;
  working->Profiles[2].MacroKeys[5].FunctionCode = 16;
  DetectChanges(*snapshot, *working);
  Flags expected;
  expected.Profile = 1;
  EXPECT_EQ(FlagsOf(*working), expected);
}

TEST(DetectChanges, NeverClearsAFlagAlreadySet) {
  const std::unique_ptr<SettingsImage> snapshot = DefaultImage();
  auto working = std::make_unique<SettingsImage>(*snapshot);
  working->SensorChanged[3] = 1;
  working->ButtonChanged[2][9] = 1;
  working->LevelChanged[0] = 1;
  working->ProfileChanged = 1;
  const Flags before = FlagsOf(*working);
  DetectChanges(*snapshot, *working);
  EXPECT_EQ(FlagsOf(*working), before);
}

TEST(ClearChangeFlags, ClearsEveryUploadFlagButLevelChangedAndTheReservedAreas) {
  auto block = std::make_unique<SettingsImage>();
  std::memset(block.get(), 0x5A, sizeof *block);
  const auto before = std::make_unique<SettingsImage>(*block);
  ClearChangeFlags(*block);

  for (int slot = 0; slot < 5; ++slot) {
    EXPECT_EQ(block->SensorChanged[slot], 0);
    EXPECT_EQ(block->ProfileLoadFlagA[slot], 0);
    EXPECT_EQ(block->ProfileLoadFlagB[slot], 0);
    for (int n = 0; n < 14; ++n) EXPECT_EQ(block->ButtonChanged[slot][n], 0);
  }
  EXPECT_EQ(block->ProfileChanged, 0);
  // Everything else is byte-for-byte as it was, LevelChanged included.
  block->ProfileChanged = before->ProfileChanged;
  std::memcpy(block->SensorChanged, before->SensorChanged, sizeof block->SensorChanged);
  std::memcpy(block->ButtonChanged, before->ButtonChanged, sizeof block->ButtonChanged);
  std::memcpy(block->ProfileLoadFlagA, before->ProfileLoadFlagA, sizeof block->ProfileLoadFlagA);
  std::memcpy(block->ProfileLoadFlagB, before->ProfileLoadFlagB, sizeof block->ProfileLoadFlagB);
  EXPECT_EQ(std::memcmp(block.get(), before.get(), sizeof *block), 0);
}

TEST(VersionText, StartUpCountsOnly100To500AndTheReadBackHasNoUpperBound) {
  const struct {
    int Stored;
    const char* AtStart;
    const char* AfterReadBack;
  } kCases[] = {
      {99, "N/A", "N/A"},   {100, "1.00", "1.00"},  {102, "1.02", "1.02"}, {500, "5.00", "5.00"},
      {501, "N/A", "5.01"}, {1000, "N/A", "1.000"}, {-150, "N/A", "N/A"},  {0, "N/A", "N/A"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.Stored);
    EXPECT_EQ(FirmwareTextAtStart(c.Stored), c.AtStart);
    EXPECT_EQ(FirmwareTextAfterReadBack(c.Stored), c.AfterReadBack);
  }
  EXPECT_EQ(VersionLine(kSoftwareVersionText, FirmwareTextAtStart(102)), "SW2.02 / FW1.02");
  EXPECT_EQ(VersionLine(kSoftwareVersionText, FirmwareTextAtStart(7)), "SW2.02 / FWN/A");
}

}  // namespace
}  // namespace karvo::configurator
