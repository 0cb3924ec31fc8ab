#pragma once
// Key codes (HID keyboard usage ids, 0xF0..0xF4 for mouse buttons in macros)
// and their Windows virtual keys and names.
#include <cstdint>
#include <string>

namespace karvo::settings {

struct KeyCodeRow {
  std::int32_t VirtualKey;
  std::int32_t KeyCode;
  std::int32_t ScanCode;  // US set-1 make code, 0 outside key codes 0x04..0x45
};
inline constexpr int kKeyCodeRowCount = 109;
extern const KeyCodeRow KeyCodeTable[kKeyCodeRowCount];

// The current keyboard layout: where a virtual key lies physically.
class IKeyboardLayout {
 public:
  virtual ~IKeyboardLayout() = default;
  // 0 when the key has no scan code in this layout.
  virtual int VirtualKeyToScanCode(int virtualKey) const = 0;
  // 0 when no virtual key lies on the scan code.
  virtual int ScanCodeToVirtualKey(int scanCode) const = 0;
};

// "" for keys without a name.
std::string GetKeyName(int virtualKey);
// keyCode is set to 0 first and stays 0 when the key is unknown.
bool VirtualKeyToKeyCode(const IKeyboardLayout& layout, int virtualKey, std::uint8_t* keyCode);
// virtualKey is set to 0 first.
bool KeyCodeToVirtualKey(const IKeyboardLayout& layout, int keyCode, int* virtualKey);

}  // namespace karvo::settings
