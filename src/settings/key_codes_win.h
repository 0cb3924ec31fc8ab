#pragma once
// Key-code lookups against the keyboard layout Windows has in force, and the
// small file and registry helpers the suite keeps beside them.
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/key_codes.h"

namespace karvo::settings {

// MapVirtualKeyA types 0 and 3.
class WinKeyboardLayout final : public IKeyboardLayout {
 public:
  int VirtualKeyToScanCode(int virtualKey) const override;
  int ScanCodeToVirtualKey(int scanCode) const override;
};

bool VirtualKeyToKeyCode(int virtualKey, std::uint8_t* keyCode);
bool KeyCodeToVirtualKey(int keyCode, int* virtualKey);

// 1 when the file opens for reading, else 0.
int FileExists(const std::string& path);
// Against HKEY_CURRENT_USER.
int SetDriverRegString(const std::string& name, std::string_view text);
std::string GetDriverRegString(const std::string& subKey, const std::string& name);

}  // namespace karvo::settings
