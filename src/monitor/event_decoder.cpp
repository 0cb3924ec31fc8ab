#include "monitor/event_decoder.h"

namespace karvo::monitor {

namespace {
// Position p = button number - 1 to record index. For p = 2..8 and 11..17 it is the record whose
// Slot is p; the other positions are numbered as the firmware reports them.
constexpr int kRecordOfPosition[19] = {-1, 0, 2,  3,  4,  5,  6, 0, 1, 0,
                                       1,  9, 10, 11, 12, 13, 7, 8, 5};
}  // namespace

std::uint32_t WordFromDeviceMessage(std::uintptr_t wParam, std::intptr_t lParam) {
  return (static_cast<std::uint32_t>(wParam) << 16) | (static_cast<std::uint32_t>(lParam) & 0xFFFF);
}

std::uint32_t WordFromPresenceMessage(std::uintptr_t wParam) {
  std::uint32_t p = wParam == 1 ? 1 : wParam == 0 ? 2 : 0;
  return (static_cast<std::uint32_t>(EventType::Presence) << 16) | p;
}

DeviceEvent Decode(std::uint32_t word) {
  DeviceEvent event;
  event.Type = word >> 16;
  event.Param = word & 0xFFFF;
  return event;
}

std::optional<int> RecordIndexForButton(std::uint32_t buttonNumber) {
  if (buttonNumber < 2 || buttonNumber > 19) return std::nullopt;
  int r = kRecordOfPosition[buttonNumber - 1];
  if (r < 0) return std::nullopt;
  return r;
}

}  // namespace karvo::monitor
