#pragma once
// Feature reports exchanged with the mouse: fixed layouts, builders for what the
// monitor sends and readers for what it gets back. Byte 0 is always the report id.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "settings/settings_image.h"

namespace karvo::monitor {

inline constexpr std::uint8_t kStatusReportId = 4;
inline constexpr std::uint8_t kProfileReportId = 5;
inline constexpr std::uint8_t kSensorReportId = 6;
inline constexpr std::uint8_t kButtonReportId = 7;
inline constexpr std::uint8_t kLevelReportId = 8;
inline constexpr std::uint8_t kFirmwareReportId = 10;
inline constexpr std::uint8_t kHostControlReportId = 11;

inline constexpr std::size_t kStatusReportLength = 3;
inline constexpr std::size_t kProfileReportLength = 3;
inline constexpr std::size_t kSensorReportLength = 43;
inline constexpr std::size_t kButtonReportLength = 59;
inline constexpr std::size_t kLevelReportLength = 6;
inline constexpr std::size_t kFirmwareReportLength = 8;
inline constexpr std::size_t kHostControlReportLength = 3;

using StatusReport = std::array<std::uint8_t, kStatusReportLength>;
using ProfileReport = std::array<std::uint8_t, kProfileReportLength>;
using SensorReport = std::array<std::uint8_t, kSensorReportLength>;
using ButtonReport = std::array<std::uint8_t, kButtonReportLength>;
using LevelReport = std::array<std::uint8_t, kLevelReportLength>;
using FirmwareReport = std::array<std::uint8_t, kFirmwareReportLength>;
using HostControlReport = std::array<std::uint8_t, kHostControlReportLength>;

// Status byte of report 4.
inline constexpr std::uint8_t kStatusDone = 1;
inline constexpr std::uint8_t kStatusBusy = 3;

// What a select (report 4 set) makes the next get return.
enum class SelectTarget : std::uint8_t { kSensor = 16, kButtons = 32 };

// Host-control values of report 11.
inline constexpr std::uint8_t kHostRunning = 1;
inline constexpr std::uint8_t kHostEnding = 0;

inline constexpr int kSlotCount = 5;
inline constexpr int kHardwareSlotCount = 18;
inline constexpr std::uint8_t kKeyCombinationCode = 5;

// Sum of bytes 0..L-3 as 16 bits, where L = report.size().
std::uint16_t ReportChecksum(std::span<const std::uint8_t> report);
// Writes the checksum little-endian into the last two bytes.
void StampChecksum(std::span<std::uint8_t> report);

StatusReport BuildSelectReport(int slot, SelectTarget target);
ProfileReport BuildProfileReport(int slot);
LevelReport BuildLevelReport(int level);
HostControlReport BuildHostControlReport(std::uint8_t value);
// Sensor settings of one profile sent as `slot`.
SensorReport BuildSensorReport(const settings::ProfileSettings& profile, int slot);
// Button map of one profile sent as `slot`.
ButtonReport BuildButtonReport(const settings::ProfileSettings& profile, int slot);

// What the restore job sends.
SensorReport DefaultSensorReport(int slot);
ButtonReport DefaultButtonReport(int slot);
inline constexpr int kDefaultLevel = 10;

// Readers of replies. Byte 0 of a reply must carry the id asked for; a reply with
// another id counts as not received.
std::optional<std::uint8_t> StatusOf(const StatusReport& reply);
std::optional<int> ActiveSlotOf(const ProfileReport& reply);  // nullopt above 4 too
std::optional<int> LevelOf(const LevelReport& reply);
std::optional<int> FirmwareVersionOf(const FirmwareReport& reply);
// Stores the sensor bytes of a reply into the profile; false (profile untouched)
// when the reply is not a sensor report.
bool StoreSensorReply(const SensorReport& reply, settings::ProfileSettings& profile);
// Resets every record's Slot to its fixed hardware slot and stores the function
// code the mouse reports for it; false (profile untouched) for a foreign reply.
bool StoreButtonReply(const ButtonReport& reply, settings::ProfileSettings& profile);

}  // namespace karvo::monitor
