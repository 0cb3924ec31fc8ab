#include "monitor/device_reports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace karvo::monitor {
namespace {

using settings::ProfileSettings;

std::unique_ptr<ProfileSettings> ProfileWithDefaultButtons() {
  auto profile = std::make_unique<ProfileSettings>();
  for (int n = 0; n < settings::kButtonRecordCount; ++n) {
    profile->MacroKeys[n].Slot = settings::kButtonRecordDefaults[n].Slot;
    profile->MacroKeys[n].FunctionCode = settings::kButtonRecordDefaults[n].FunctionCode;
  }
  return profile;
}

// The values a freshly reset mouse reports, so that a built report equals the
// device default.
std::unique_ptr<ProfileSettings> ProfileMatchingDeviceDefaults() {
  auto profile = ProfileWithDefaultButtons();
  profile->XSensitivity = 10;
  profile->YSensitivity = 10;
  profile->DpiStepOnOffFlag = 74;
  profile->ExtraParam1 = profile->ExtraParam2 = profile->ExtraParam3 = profile->ExtraParam4 = 2;
  profile->PollingRate = 3;
  profile->SwapButtons = 0;
  profile->LightOn = 1;
  profile->LightMode = 1;
  return profile;
}

const SensorReport kDefaultSensorSlot0 = {6, 43, 0, 10, 10, 74, 0, 16, 16, 17, 17, 18,   18,  18, 0,
                                          0, 0,  1, 2,  2,  2,  2, 3,  0,  5,  0,  0,    1,   0,  1,
                                          1, 1,  1, 0,  0,  1,  0, 1,  3,  4,  3,  0x29, 0x01};

TEST(ReportChecksum, SumsAllButTheLastTwoBytesLittleEndian) {
  std::vector<std::uint8_t> report = {200, 100, 50, 0xAA, 0xBB};
  EXPECT_EQ(ReportChecksum(report), 350);
  StampChecksum(report);
  EXPECT_EQ(report, (std::vector<std::uint8_t>{200, 100, 50, 0x5E, 0x01}));

  // The 16-bit sum wraps rather than saturating.
  std::vector<std::uint8_t> large(300, 0xFF);
  EXPECT_EQ(ReportChecksum(large), static_cast<std::uint16_t>(298 * 255));

  std::vector<std::uint8_t> tiny = {7};
  StampChecksum(tiny);
  EXPECT_EQ(tiny[0], 7);
}

TEST(SmallReports, CarryTheirIdLengthAndValue) {
  EXPECT_EQ(BuildSelectReport(3, SelectTarget::kSensor), (StatusReport{4, 3, 16}));
  EXPECT_EQ(BuildSelectReport(4, SelectTarget::kButtons), (StatusReport{4, 4, 32}));
  EXPECT_EQ(BuildProfileReport(2), (ProfileReport{5, 3, 2}));
  EXPECT_EQ(BuildLevelReport(0x1207), (LevelReport{8, 6, 7, 0, 0, 0}));
  EXPECT_EQ(BuildHostControlReport(kHostRunning), (HostControlReport{11, 3, 1}));
  EXPECT_EQ(BuildHostControlReport(kHostEnding), (HostControlReport{11, 3, 0}));
}

TEST(SensorReport, DefaultIsByteExact) {
  EXPECT_EQ(DefaultSensorReport(0), kDefaultSensorSlot0);

  SensorReport slot3 = kDefaultSensorSlot0;
  slot3[2] = 3;
  slot3[41] = 0x2C;
  EXPECT_EQ(DefaultSensorReport(3), slot3);
}

TEST(SensorReport, ProfileWithDeviceDefaultValuesEqualsDefaultReport) {
  EXPECT_EQ(BuildSensorReport(*ProfileMatchingDeviceDefaults(), 0), DefaultSensorReport(0));
  EXPECT_EQ(BuildSensorReport(*ProfileMatchingDeviceDefaults(), 4), DefaultSensorReport(4));
}

TEST(SensorReport, EachFieldLandsInItsOwnByteAsItsLowByte) {
  auto profile = ProfileMatchingDeviceDefaults();
  profile->XSensitivity = 0x121;
  profile->YSensitivity = 0x122;
  profile->DpiStepOnOffFlag = 0x123;
  profile->ExtraParam0 = 0x77;  // read-only: byte 17 is always 1 on send
  profile->ExtraParam1 = 0x124;
  profile->ExtraParam2 = 0x125;
  profile->ExtraParam3 = 0x126;
  profile->ExtraParam4 = 0x127;
  profile->PollingRate = 0x128;
  profile->SwapButtons = 0x129;
  profile->LightOn = 0x12A;
  profile->LightMode = 0x12B;
  const SensorReport report = BuildSensorReport(*profile, 0x102);

  SensorReport expected = kDefaultSensorSlot0;
  expected[2] = 0x02;
  const std::vector<std::pair<int, std::uint8_t>> fields = {
      {3, 0x21},  {4, 0x22},  {5, 0x23},  {18, 0x24}, {19, 0x25}, {20, 0x26},
      {21, 0x27}, {22, 0x28}, {23, 0x29}, {27, 0x2A}, {29, 0x2B}};
  for (auto [at, value] : fields) expected[at] = value;
  StampChecksum(expected);
  EXPECT_EQ(report, expected);
  EXPECT_EQ(report[17], 1);
}

TEST(ButtonReport, DefaultIsByteExact) {
  const std::vector<std::uint8_t> firstBytes = {1, 2, 3,  7, 8, 14, 15, 9,  10,
                                                1, 2, 30, 0, 0, 0,  0,  31, 32};
  for (int slot : {0, 3}) {
    const ButtonReport report = DefaultButtonReport(slot);
    ButtonReport expected{7, 59, static_cast<std::uint8_t>(slot)};
    for (int s = 0; s < 18; ++s) expected[3 + 3 * s] = firstBytes[s];
    expected[57] = static_cast<std::uint8_t>(231 + slot);
    expected[58] = 0;
    EXPECT_EQ(report, expected) << "slot " << slot;
  }
}

TEST(ButtonReport, GroupsFollowTheRecordsSlots) {
  auto profile = ProfileWithDefaultButtons();
  const ButtonReport report = BuildButtonReport(*profile, 1);
  EXPECT_EQ(report[0], 7);
  EXPECT_EQ(report[1], 59);
  EXPECT_EQ(report[2], 1);
  // Slot s carries the code of the record whose Slot is s; slots without a
  // record carry 0 (12..15 are 6 in the records, 0 only in the device default).
  const std::vector<std::uint8_t> firstBytes = {1, 2, 3,  7, 8, 14, 15, 9,  10,
                                                1, 2, 30, 6, 6, 6,  6,  31, 32};
  for (int s = 0; s < 18; ++s) {
    EXPECT_EQ(report[3 + 3 * s], firstBytes[s]) << "slot " << s;
    EXPECT_EQ(report[4 + 3 * s], 0) << "slot " << s;
    EXPECT_EQ(report[5 + 3 * s], 0) << "slot " << s;
  }
  ButtonReport restamped = report;
  StampChecksum(restamped);
  EXPECT_EQ(report, restamped);
}

TEST(ButtonReport, KeyCombinationCarriesModifierThenKey) {
  auto profile = ProfileWithDefaultButtons();
  auto& record = profile->MacroKeys[2];  // hardware slot 2
  record.FunctionCode = 5;
  record.Data[0] = 4;  // key code
  record.Data[1] = 6;  // modifier mask
  // Other functions never send their data bytes.
  profile->MacroKeys[3].Data[0] = 0x55;
  profile->MacroKeys[3].Data[1] = 0x66;
  const ButtonReport report = BuildButtonReport(*profile, 0);
  EXPECT_EQ(report[9], 5);
  EXPECT_EQ(report[10], 6);
  EXPECT_EQ(report[11], 4);
  EXPECT_EQ(report[13], 0);
  EXPECT_EQ(report[14], 0);
}

TEST(ButtonReport, SwappedPrimaryButtons) {
  auto profile = ProfileWithDefaultButtons();
  profile->SwapButtons = 1;
  const ButtonReport report = BuildButtonReport(*profile, 0);
  EXPECT_EQ(report[3], 2);
  EXPECT_EQ(report[6], 1);
  EXPECT_EQ(report[30], 2);
  EXPECT_EQ(report[33], 1);
}

TEST(ButtonReport, HostileRecordSlotsAreIgnored) {
  auto profile = ProfileWithDefaultButtons();
  profile->MacroKeys[0].Slot = 200;  // outside the report
  profile->MacroKeys[1].Slot = 0;    // a fixed primary button
  profile->MacroKeys[1].FunctionCode = 99;
  profile->MacroKeys[4].Slot = 3;  // same slot as record 3, which comes first
  profile->MacroKeys[4].FunctionCode = 77;
  const ButtonReport report = BuildButtonReport(*profile, 0);
  EXPECT_EQ(report[3 + 3 * 0], 1);
  EXPECT_EQ(report[3 + 3 * 3], 7);
  EXPECT_EQ(report[3 + 3 * 4], 0);  // nobody claims slot 4 any more
  EXPECT_EQ(report[3 + 3 * 7], 0);  // record 0 moved away from slot 7
  EXPECT_EQ(report[3 + 3 * 8], 0);
}

TEST(Replies, SmallRepliesAreCheckedForIdAndRange) {
  EXPECT_EQ(StatusOf(StatusReport{4, 3, 0}), std::optional<std::uint8_t>(3));
  EXPECT_EQ(StatusOf(StatusReport{5, 1, 0}), std::nullopt);
  EXPECT_EQ(ActiveSlotOf(ProfileReport{5, 0, 4}), std::optional<int>(4));
  EXPECT_EQ(ActiveSlotOf(ProfileReport{5, 0, 5}), std::nullopt);
  EXPECT_EQ(ActiveSlotOf(ProfileReport{5, 0, 255}), std::nullopt);
  EXPECT_EQ(ActiveSlotOf(ProfileReport{6, 0, 1}), std::nullopt);
  EXPECT_EQ(LevelOf(LevelReport{8, 6, 200, 0, 0, 0}), std::optional<int>(200));
  EXPECT_EQ(LevelOf(LevelReport{0, 6, 7, 0, 0, 0}), std::nullopt);
  EXPECT_EQ(FirmwareVersionOf(FirmwareReport{10, 0, 123}), std::optional<int>(123));
  EXPECT_EQ(FirmwareVersionOf(FirmwareReport{0, 0, 123}), std::nullopt);
}

TEST(Replies, SensorReplyStoresItsBytes) {
  SensorReport reply{6, 43, 0};
  for (int i = 3; i < 41; ++i) reply[i] = static_cast<std::uint8_t>(100 + i);
  auto profile = ProfileWithDefaultButtons();
  profile->CpiSettingValue1 = -5;
  ASSERT_TRUE(StoreSensorReply(reply, *profile));
  EXPECT_EQ(profile->XSensitivity, 103);
  EXPECT_EQ(profile->YSensitivity, 104);
  EXPECT_EQ(profile->DpiStepOnOffFlag, 105);
  EXPECT_EQ(profile->ExtraParam0, 117);
  EXPECT_EQ(profile->ExtraParam1, 118);
  EXPECT_EQ(profile->ExtraParam2, 119);
  EXPECT_EQ(profile->ExtraParam3, 120);
  EXPECT_EQ(profile->ExtraParam4, 121);
  EXPECT_EQ(profile->PollingRate, 122);
  EXPECT_EQ(profile->SwapButtons, 123);
  EXPECT_EQ(profile->LightOn, 127);
  EXPECT_EQ(profile->LightMode, 129);
  EXPECT_EQ(profile->CpiSettingValue1, -5);

  // A sensor report built from those values and read back gives the same report.
  EXPECT_EQ(BuildSensorReport(*profile, 0)[22], 122);
}

TEST(Replies, ForeignRepliesLeaveTheProfileAlone) {
  auto profile = ProfileMatchingDeviceDefaults();
  auto before = std::make_unique<ProfileSettings>(*profile);
  SensorReport sensor{7, 43, 0, 99, 99};
  ButtonReport buttons{6, 59, 0, 99, 99};
  EXPECT_FALSE(StoreSensorReply(sensor, *profile));
  EXPECT_FALSE(StoreButtonReply(buttons, *profile));
  EXPECT_EQ(std::memcmp(profile.get(), before.get(), sizeof(ProfileSettings)), 0);
}

TEST(Replies, ButtonReplyRestoresFixedSlotsAndTakesCodesAsTheyCome) {
  auto profile = ProfileWithDefaultButtons();
  for (auto& record : profile->MacroKeys) {
    record.Slot = 0xEE;  // garbage from a file
    record.Data[0] = 0x42;
  }
  ButtonReport reply{7, 59, 0};
  for (int s = 0; s < 18; ++s) reply[3 + 3 * s] = static_cast<std::uint8_t>(200 + s);
  ASSERT_TRUE(StoreButtonReply(reply, *profile));
  for (int n = 0; n < settings::kButtonRecordCount; ++n) {
    const auto slot = settings::kButtonRecordDefaults[n].Slot;
    EXPECT_EQ(profile->MacroKeys[n].Slot, slot) << "record " << n;
    EXPECT_EQ(profile->MacroKeys[n].FunctionCode, 200 + slot) << "record " << n;
    EXPECT_EQ(profile->MacroKeys[n].Data[0], 0x42) << "record " << n;
  }
}

}  // namespace
}  // namespace karvo::monitor
