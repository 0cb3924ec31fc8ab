#include "configurator/change_flags.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "configurator/version_text.h"

namespace karvo::configurator {
namespace {

using settings::ProfileSettings;
using settings::SettingsImage;

constexpr std::size_t kFlagsOffset = offsetof(SettingsImage, ButtonChanged);

bool SameFlags(const SettingsImage& a, const SettingsImage& b) {
  return std::memcmp(reinterpret_cast<const char*>(&a) + kFlagsOffset,
                     reinterpret_cast<const char*>(&b) + kFlagsOffset,
                     sizeof a - kFlagsOffset) == 0;
}

TEST(DetectChanges, EachComparedFieldSetsItsSlotsFlagsAndIgnoredFieldsSetNone) {
  enum Expect { kSensor, kSwap, kLevel, kNone };
  const struct {
    std::int32_t ProfileSettings::*Field;
    Expect Flags;
  } kCases[] = {
      {&ProfileSettings::XYSensitivityEnabled, kSensor},
      {&ProfileSettings::XSensitivity, kSensor},
      {&ProfileSettings::YSensitivity, kSensor},
      {&ProfileSettings::PollingRate, kSensor},
      {&ProfileSettings::LightOn, kSensor},
      {&ProfileSettings::LightMode, kSensor},
      {&ProfileSettings::DpiStepOnOffFlag, kSensor},
      {&ProfileSettings::CurrentDpiDefault, kSensor},
      {&ProfileSettings::CpiSettingValue1, kSensor},
      {&ProfileSettings::CpiSettingValue2, kSensor},
      {&ProfileSettings::CpiSettingValue3, kSensor},
      {&ProfileSettings::SwapButtons, kSwap},
      {&ProfileSettings::LevelSetting, kLevel},
      {&ProfileSettings::DbleClickSpeed, kNone},
      {&ProfileSettings::MouseSpeed, kNone},
      {&ProfileSettings::MediaOption, kNone},
      {&ProfileSettings::HDDKeyboard, kNone},
      {&ProfileSettings::ExtraParam1, kNone},
      {&ProfileSettings::ExtraParam3, kNone},
      {&ProfileSettings::MainSensitivity, kNone},
  };
  auto snapshot = std::make_unique<SettingsImage>();
  settings::ResetImage(snapshot.get());
  for (int slot = 0; slot < 5; ++slot)
    settings::SetProfileDefaults(&snapshot->Profiles[slot], slot);
  for (const auto& c : kCases) {
    for (int slot : {0, 4}) {
      SCOPED_TRACE(std::to_string(&c - kCases) + " in slot " + std::to_string(slot));
      auto working = std::make_unique<SettingsImage>(*snapshot);
      auto expected = std::make_unique<SettingsImage>(*snapshot);
      working->Profiles[slot].*c.Field += 1;
      // A flag set before is never cleared.
      working->ButtonChanged[2][9] = expected->ButtonChanged[2][9] = 1;
      DetectChanges(*snapshot, *working);
      if (c.Flags == kSensor || c.Flags == kSwap) expected->SensorChanged[slot] = 1;
      if (c.Flags == kSwap) expected->ButtonChanged[slot][0] = 1;
      if (c.Flags == kLevel) expected->LevelChanged[slot] = 1;
      EXPECT_TRUE(SameFlags(*working, *expected));
    }
  }
  // Names, button records and mode switches are flagged by their editors, not here.
  auto working = std::make_unique<SettingsImage>(*snapshot);
  working->CurrentProfile = 3;
  std::strcpy(working->Profiles[2].ProFileName, "renamed");
  working->Profiles[2].ModeSwitchFlag[4] = 1;
  working->Profiles[2].MacroKeys[5].FunctionCode = 16;
  DetectChanges(*snapshot, *working);
  auto expected = std::make_unique<SettingsImage>(*snapshot);
  expected->ProfileChanged = 1;
  EXPECT_TRUE(SameFlags(*working, *expected));
}

TEST(ClearChangeFlags, ClearsEveryUploadFlagButLevelChangedAndTheReservedAreas) {
  auto block = std::make_unique<SettingsImage>();
  std::memset(block.get(), 0x5A, sizeof *block);
  auto expected = std::make_unique<SettingsImage>(*block);
  std::memset(expected->ButtonChanged, 0, sizeof expected->ButtonChanged);
  std::memset(expected->SensorChanged, 0, sizeof expected->SensorChanged);
  std::memset(expected->ProfileLoadFlagA, 0, sizeof expected->ProfileLoadFlagA);
  std::memset(expected->ProfileLoadFlagB, 0, sizeof expected->ProfileLoadFlagB);
  expected->ProfileChanged = 0;
  ClearChangeFlags(*block);
  EXPECT_EQ(std::memcmp(block.get(), expected.get(), sizeof *block), 0);
}

TEST(VersionText, StartUpCountsOnly100To500AndTheReadBackHasNoUpperBound) {
  const struct {
    int Stored;
    const char *AtStart, *AfterReadBack;
  } kCases[] = {{99, "N/A", "N/A"},    {100, "1.00", "1.00"}, {102, "1.02", "1.02"},
                {500, "5.00", "5.00"}, {501, "N/A", "5.01"},  {1000, "N/A", "1.000"},
                {-150, "N/A", "N/A"}};
  for (const auto& c : kCases) {
    EXPECT_EQ(FirmwareTextAtStart(c.Stored), c.AtStart) << c.Stored;
    EXPECT_EQ(FirmwareTextAfterReadBack(c.Stored), c.AfterReadBack) << c.Stored;
  }
  EXPECT_EQ(VersionLine(kSoftwareVersionText, FirmwareTextAtStart(7)), "SW2.02 / FWN/A");
}

}  // namespace
}  // namespace karvo::configurator
