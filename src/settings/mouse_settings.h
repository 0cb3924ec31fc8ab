#pragma once
// The seven Windows mouse values of a profile and the Control Panel registry
// keys that hold them for the system.
#include <cstdint>
#include <string_view>

#include "settings/registry.h"
#include "settings/settings_image.h"

namespace karvo::settings {

extern const char kMouseKey[];    // "Control Panel\\Mouse"
extern const char kDesktopKey[];  // "Control Panel\\Desktop"

struct AccelerationRow {
  int Speed;
  int Threshold1;
  int Threshold2;
};
inline constexpr int kAccelerationRowCount = 20;
extern const AccelerationRow kAccelerationTable[kAccelerationRowCount];

// Conversions between registry values and the image's small integers. Unchecked
// values wrap rather than overflow.
int DoubleClickLevelFromMs(int ms);
int DoubleClickMsFromLevel(int level);
// Last matching row, or -1 when no row matches.
int AccelerationRowFor(int speed, int threshold1, int threshold2);
// Decimal text as the C library's atoi reads it (leading blanks, sign, digits).
int ParseDecimal(std::string_view text);

// 1 on success, 0 when the Mouse key cannot be opened, -1 when the Desktop key
// cannot be opened; fills the seven header fields as far as it got.
int ReadSystemMouseSettings(IRegistry& registry, SettingsImage* image);
// Copies the current profile's seven values into the header, then writes them:
// 1 on success, -1 when a key cannot be opened or a value not written.
int WriteSystemMouseSettings(IRegistry& registry, SettingsImage* image);

// The two settings the System page makes take effect at once.
class ISystemMouse {
 public:
  virtual ~ISystemMouse() = default;
  [[nodiscard]] virtual bool SetDoubleClickTime(unsigned ms) = 0;
  // Updates the user profile and broadcasts the change.
  [[nodiscard]] virtual bool SetPointerSpeed(int speed) = 0;
};

// Levels 1..11 give 900..200 ms; out-of-range levels are clamped.
unsigned DoubleClickTimeForLevel(int level);
int ApplyDoubleClickLevel(ISystemMouse& system, int level);
// Speeds are clamped to 1..20.
int ApplyPointerSpeed(ISystemMouse& system, int speed);

}  // namespace karvo::settings
