#pragma once
// The notice text an applet hands over with WM_COPYDATA (an OsdTextRecord of 151 bytes).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace karvo::monitor {

inline constexpr std::size_t kHandOffRecordSize = 151;
inline constexpr std::size_t kHandOffTextLimit = 147;

// The text to store in [OSDData] "Message", or nothing when the record is to be ignored
// (size other than 151, no data). The text is taken from byte 1 up to its terminator, never
// past byte 150 and never longer than 147 bytes. It ends at the first line break or other
// control character: the value goes into an INI line, and a line break would let an
// applet write keys of its choosing into config.ini.
std::optional<std::string> HandOffText(std::uint32_t size, const void* data);

}  // namespace karvo::monitor
