#include "settings/key_codes_win.h"

#include <windows.h>

#include "platform/handles.h"
#include "settings/registry_win.h"

namespace karvo::settings {

int WinKeyboardLayout::VirtualKeyToScanCode(int virtualKey) const {
  return static_cast<int>(::MapVirtualKeyA(static_cast<UINT>(virtualKey), 0));
}

int WinKeyboardLayout::ScanCodeToVirtualKey(int scanCode) const {
  return static_cast<int>(::MapVirtualKeyA(static_cast<UINT>(scanCode), 3));
}

bool VirtualKeyToKeyCode(int virtualKey, std::uint8_t* keyCode) {
  return VirtualKeyToKeyCode(WinKeyboardLayout(), virtualKey, keyCode);
}

bool KeyCodeToVirtualKey(int keyCode, int* virtualKey) {
  return KeyCodeToVirtualKey(WinKeyboardLayout(), keyCode, virtualKey);
}

int FileExists(const std::string& path) {
  // Sharing delete access too: a probe must never block a save renaming over the file.
  const platform::UniqueFile file(::CreateFileA(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file ? 1 : 0;
}

int SetDriverRegString(const std::string& name, std::string_view text) {
  WinRegistry registry;
  return SetDriverRegString(registry, name, text);
}

std::string GetDriverRegString(const std::string& subKey, const std::string& name) {
  WinRegistry registry;
  return GetDriverRegString(registry, subKey, name);
}

}  // namespace karvo::settings
