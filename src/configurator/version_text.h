#pragma once
// The version line the main window paints: "SW2.02 / FW1.02".
#include <string>
#include <string_view>

namespace karvo::configurator {

inline constexpr char kSoftwareVersionText[] = "2.02";
inline constexpr char kNoFirmwareText[] = "N/A";

// At start-up the stored firmware version counts only within 100..500, read as
// unsigned (so a negative value is out of range too).
std::string FirmwareTextAtStart(int storedVersion);
// After the monitor's read-back any version from 100 up counts.
std::string FirmwareTextAfterReadBack(int storedVersion);
// "SW%s / FW%s".
std::string VersionLine(std::string_view software, std::string_view firmware);

}  // namespace karvo::configurator
