#pragma once
// The device's event words: how the device library's two messages become one 32-bit word,
// what the word says, and which button record a reported button number stands for.
#include <cstdint>
#include <optional>

namespace karvo::monitor {

enum class EventType : std::uint32_t {
  ProfileChanged = 0x3000,
  Button = 0x4000,
  ProgramButton = 0x6000,
  Presence = 0x7F00,
  OpenConfigurator = 0xA000,
  CpiChanged = 0xB000,
  MediaKey = 0xF000,
  ButtonMode = 0xFF00,
};

struct DeviceEvent {
  std::uint32_t Type = 0;   // high 16 bits of the word
  std::uint32_t Param = 0;  // low 16 bits
  std::uint32_t Low() const { return Param & 0xFF; }
  std::uint32_t High() const { return Param >> 8; }
};

// Message 1325: the type arrives in wParam, the parameter in lParam.
std::uint32_t WordFromDeviceMessage(std::uintptr_t wParam, std::intptr_t lParam);
// Message 1326: wParam 1 is an arrival, 0 a removal; anything else a presence word the
// dispatcher ignores.
std::uint32_t WordFromPresenceMessage(std::uintptr_t wParam);

DeviceEvent Decode(std::uint32_t word);

// Index 0..13 of the current slot's button record for button number 1..19; none for button 1
// (the primary button) and for numbers outside the table.
std::optional<int> RecordIndexForButton(std::uint32_t buttonNumber);

}  // namespace karvo::monitor
