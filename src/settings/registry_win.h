#pragma once
// The registry and system-parameter side of the settings library on Windows.
#include "settings/mouse_settings.h"
#include "settings/registry.h"

namespace karvo::settings {

// Keys under HKEY_CURRENT_USER.
class WinRegistry final : public IRegistry {
 public:
  std::unique_ptr<IRegistryKey> OpenOrCreateKey(const std::string& subKey) override;
  std::unique_ptr<IRegistryKey> OpenKeyForRead(const std::string& subKey) override;
};

// SetDoubleClickTime and SystemParametersInfoA(SPI_SETMOUSESPEED).
class WinSystemMouse final : public ISystemMouse {
 public:
  [[nodiscard]] bool SetDoubleClickTime(unsigned ms) override;
  [[nodiscard]] bool SetPointerSpeed(int speed) override;
};

}  // namespace karvo::settings
