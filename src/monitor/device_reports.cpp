#include "monitor/device_reports.h"

#include <algorithm>

namespace karvo::monitor {
namespace {

// Values taken from 32-bit fields go out as their low byte.
constexpr std::uint8_t Low(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

// Bytes 7..13, 24..26 and 30..40 of the sensor report are constant.
constexpr std::array<std::uint8_t, 7> kSensorFixed7 = {16, 16, 17, 17, 18, 18, 18};
constexpr std::array<std::uint8_t, 3> kSensorFixed24 = {5, 0, 0};
constexpr std::array<std::uint8_t, 11> kSensorFixed30 = {1, 1, 1, 0, 0, 1, 0, 1, 3, 4, 3};

constexpr std::array<std::uint8_t, 38> kDefaultSensorBody = {
    10, 10, 74, 0, 16, 16, 17, 17, 18, 18, 18, 0, 0, 0, 1, 2, 2, 2, 2,
    3,  0,  5,  0, 0,  1,  0,  1,  1,  1,  1,  0, 0, 1, 0, 1, 3, 4, 3};

constexpr std::array<std::uint8_t, kHardwareSlotCount> kDefaultButtonCodes = {
    1, 2, 3, 7, 8, 14, 15, 9, 10, 1, 2, 30, 0, 0, 0, 0, 31, 32};

// Hardware slots of the primary buttons of both modes and the codes they carry
// (left, right, left, right), swapped for left-handed use.
constexpr std::array<int, 4> kPrimarySlots = {0, 1, 9, 10};
constexpr std::array<std::uint8_t, 4> kPrimaryCodes = {1, 2, 1, 2};
constexpr std::array<std::uint8_t, 4> kSwappedPrimaryCodes = {2, 1, 2, 1};

constexpr std::size_t GroupOffset(int hardwareSlot) { return 3 + 3 * hardwareSlot; }

template <std::size_t N>
std::array<std::uint8_t, N> Header(std::uint8_t id) {
  std::array<std::uint8_t, N> report{};
  report[0] = id;
  report[1] = static_cast<std::uint8_t>(N);
  return report;
}

}  // namespace

std::uint16_t ReportChecksum(std::span<const std::uint8_t> report) {
  std::uint16_t sum = 0;
  if (report.size() < 2) return sum;
  for (std::size_t i = 0; i + 2 < report.size(); ++i)
    sum = static_cast<std::uint16_t>(sum + report[i]);
  return sum;
}

void StampChecksum(std::span<std::uint8_t> report) {
  if (report.size() < 2) return;
  const std::uint16_t sum = ReportChecksum(report);
  report[report.size() - 2] = static_cast<std::uint8_t>(sum & 0xFF);
  report[report.size() - 1] = static_cast<std::uint8_t>(sum >> 8);
}

StatusReport BuildSelectReport(int slot, SelectTarget target) {
  return {kStatusReportId, Low(slot), static_cast<std::uint8_t>(target)};
}

ProfileReport BuildProfileReport(int slot) { return {kProfileReportId, 3, Low(slot)}; }

LevelReport BuildLevelReport(int level) {
  LevelReport report = Header<kLevelReportLength>(kLevelReportId);
  report[2] = Low(level);
  return report;
}

HostControlReport BuildHostControlReport(std::uint8_t value) {
  return {kHostControlReportId, 3, value};
}

SensorReport BuildSensorReport(const settings::ProfileSettings& profile, int slot) {
  SensorReport report = Header<kSensorReportLength>(kSensorReportId);
  report[2] = Low(slot);
  report[3] = Low(profile.XSensitivity);
  report[4] = Low(profile.YSensitivity);
  report[5] = Low(profile.DpiStepOnOffFlag);
  std::copy(kSensorFixed7.begin(), kSensorFixed7.end(), report.begin() + 7);
  report[17] = 1;
  report[18] = Low(profile.ExtraParam1);
  report[19] = Low(profile.ExtraParam2);
  report[20] = Low(profile.ExtraParam3);
  report[21] = Low(profile.ExtraParam4);
  report[22] = Low(profile.PollingRate);
  report[23] = Low(profile.SwapButtons);
  std::copy(kSensorFixed24.begin(), kSensorFixed24.end(), report.begin() + 24);
  report[27] = Low(profile.LightOn);
  report[29] = Low(profile.LightMode);
  std::copy(kSensorFixed30.begin(), kSensorFixed30.end(), report.begin() + 30);
  StampChecksum(report);
  return report;
}

ButtonReport BuildButtonReport(const settings::ProfileSettings& profile, int slot) {
  ButtonReport report = Header<kButtonReportLength>(kButtonReportId);
  report[2] = Low(slot);
  const auto& primary = profile.SwapButtons != 0 ? kSwappedPrimaryCodes : kPrimaryCodes;
  for (std::size_t k = 0; k < kPrimarySlots.size(); ++k) {
    report[GroupOffset(kPrimarySlots[k])] = primary[k];
  }
  // Records are matched by their Slot field, which comes from files and the
  // shared block: a slot out of range or already filled is ignored.
  std::array<bool, kHardwareSlotCount> filled{};
  for (int s : kPrimarySlots) filled[s] = true;
  for (const auto& record : profile.MacroKeys) {
    if (record.Slot >= kHardwareSlotCount || filled[record.Slot]) continue;
    filled[record.Slot] = true;
    const std::size_t at = GroupOffset(record.Slot);
    report[at] = record.FunctionCode;
    if (record.FunctionCode == kKeyCombinationCode) {
      report[at + 1] = record.Data[1];  // modifier mask
      report[at + 2] = record.Data[0];  // key code
    }
  }
  StampChecksum(report);
  return report;
}

SensorReport DefaultSensorReport(int slot) {
  SensorReport report = Header<kSensorReportLength>(kSensorReportId);
  report[2] = Low(slot);
  std::copy(kDefaultSensorBody.begin(), kDefaultSensorBody.end(), report.begin() + 3);
  StampChecksum(report);
  return report;
}

ButtonReport DefaultButtonReport(int slot) {
  ButtonReport report = Header<kButtonReportLength>(kButtonReportId);
  report[2] = Low(slot);
  for (int s = 0; s < kHardwareSlotCount; ++s) report[GroupOffset(s)] = kDefaultButtonCodes[s];
  StampChecksum(report);
  return report;
}

std::optional<std::uint8_t> StatusOf(const StatusReport& reply) {
  if (reply[0] != kStatusReportId) return std::nullopt;
  return reply[1];
}

std::optional<int> ActiveSlotOf(const ProfileReport& reply) {
  if (reply[0] != kProfileReportId || reply[2] >= kSlotCount) return std::nullopt;
  return reply[2];
}

std::optional<int> LevelOf(const LevelReport& reply) {
  if (reply[0] != kLevelReportId) return std::nullopt;
  return reply[2];
}

std::optional<int> FirmwareVersionOf(const FirmwareReport& reply) {
  if (reply[0] != kFirmwareReportId) return std::nullopt;
  return reply[2];
}

bool StoreSensorReply(const SensorReport& reply, settings::ProfileSettings& profile) {
  if (reply[0] != kSensorReportId) return false;
  profile.XSensitivity = reply[3];
  profile.YSensitivity = reply[4];
  profile.DpiStepOnOffFlag = reply[5];
  profile.ExtraParam0 = reply[17];
  profile.ExtraParam1 = reply[18];
  profile.ExtraParam2 = reply[19];
  profile.ExtraParam3 = reply[20];
  profile.ExtraParam4 = reply[21];
  profile.PollingRate = reply[22];
  profile.SwapButtons = reply[23];
  profile.LightOn = reply[27];
  profile.LightMode = reply[29];
  return true;
}

bool StoreButtonReply(const ButtonReport& reply, settings::ProfileSettings& profile) {
  if (reply[0] != kButtonReportId) return false;
  for (int n = 0; n < settings::kButtonRecordCount; ++n) {
    auto& record = profile.MacroKeys[n];
    record.Slot = settings::kButtonRecordDefaults[n].Slot;
    record.FunctionCode = reply[GroupOffset(record.Slot)];
  }
  return true;
}

}  // namespace karvo::monitor
