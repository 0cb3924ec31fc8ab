#pragma once
// The 151-byte notice text that the applets hand to the monitor with WM_COPYDATA.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace karvo::settings {

enum class OsdTextSource : std::uint8_t { CpuLoad = 1, RamLoad = 2, Mail = 5 };

struct OsdTextRecord {
  std::uint8_t Source;
  char Text[150];  // NUL-terminated
};
static_assert(sizeof(OsdTextRecord) == 151);
static_assert(offsetof(OsdTextRecord, Text) == 1);

// The applets' texts are short: only the first 16 bytes of their text buffer are
// carried, the rest of the record is zero.
inline constexpr std::size_t kOsdTextCarried = 16;

inline OsdTextRecord MakeOsdTextRecord(OsdTextSource source, std::string_view text) {
  OsdTextRecord record{};
  record.Source = static_cast<std::uint8_t>(source);
  std::size_t n = text.size() < kOsdTextCarried ? text.size() : kOsdTextCarried;
  std::memcpy(record.Text, text.data(), n);
  return record;
}

}  // namespace karvo::settings
