#include "settings/mouse_settings.h"

#include <cstdio>
#include <optional>
#include <string>

namespace karvo::settings {

const char kMouseKey[] = "Control Panel\\Mouse";
const char kDesktopKey[] = "Control Panel\\Desktop";

const AccelerationRow kAccelerationTable[kAccelerationRowCount] = {
    {0, 0, 0},  {1, 6, 10}, {1, 12, 0}, {1, 11, 0}, {1, 10, 0}, {1, 9, 0},  {1, 8, 0},
    {1, 7, 0},  {1, 6, 0},  {1, 5, 0},  {1, 4, 0},  {2, 4, 13}, {2, 4, 12}, {2, 4, 11},
    {2, 4, 10}, {2, 4, 9},  {2, 4, 8},  {2, 4, 7},  {2, 4, 6},  {2, 4, 5}};

namespace {

// Values in the image and the registry are unchecked; arithmetic on them wraps
// like the 32-bit registers it was written for instead of overflowing.
int Wrap(long long value) { return static_cast<int>(static_cast<std::uint32_t>(value)); }

constexpr std::size_t kValueBufferSize = 80;

// The reader converts every value from one shared text buffer: a value that is
// missing or does not fit leaves the previous text in place.
class SharedValueBuffer {
 public:
  int Read(IRegistryKey& key, const char* name) {
    if (std::optional<std::string> text = key.ReadString(name, kValueBufferSize)) {
      m_text = std::move(*text);
    }
    return ParseDecimal(m_text);
  }

 private:
  std::string m_text;
};

bool WriteInt(IRegistryKey& key, const char* name, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return key.WriteString(name, text, false);
}

}  // namespace

int ParseDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  return static_cast<int>(negative ? 0u - value : value);
}

int DoubleClickLevelFromMs(int ms) { return Wrap((900LL - ms) / 70 + 1); }

int DoubleClickMsFromLevel(int level) { return Wrap(900LL - (level - 1LL) * 70); }

int AccelerationRowFor(int speed, int threshold1, int threshold2) {
  int found = -1;
  for (int row = 0; row < kAccelerationRowCount; ++row) {
    const AccelerationRow& r = kAccelerationTable[row];
    if (r.Speed == speed && r.Threshold1 >= threshold1 && r.Threshold2 >= threshold2) found = row;
  }
  return found;
}

int ReadSystemMouseSettings(IRegistry& registry, SettingsImage* image) {
  SharedValueBuffer buffer;
  {
    std::unique_ptr<IRegistryKey> mouse = registry.OpenOrCreateKey(kMouseKey);
    if (!mouse) return 0;
    image->SysDbleClickSpeed = DoubleClickLevelFromMs(buffer.Read(*mouse, "DoubleClickSpeed"));
    image->SysMouseSpeed = buffer.Read(*mouse, "MouseSensitivity");
    int speed = buffer.Read(*mouse, "MouseSpeed");
    int threshold1 = buffer.Read(*mouse, "MouseThreshold1");
    int threshold2 = buffer.Read(*mouse, "MouseThreshold2");
    int row = AccelerationRowFor(speed, threshold1, threshold2);
    if (row >= 0) image->SysAcceleration = row;
    image->SysAccelerationFlag = image->SysAcceleration != 0 ? 1 : 0;
  }
  {
    std::unique_ptr<IRegistryKey> desktop = registry.OpenOrCreateKey(kDesktopKey);
    if (!desktop) return -1;
    int lines = buffer.Read(*desktop, "WheelScrollLines");
    if (lines == -1) {
      image->SysScrollWheelSpeed = 0;
      image->SysScrollWheelFlag = 1;
    } else {
      image->SysScrollWheelSpeed = lines;
      image->SysScrollWheelFlag = 0;
    }
  }
  {
    std::unique_ptr<IRegistryKey> desktop = registry.OpenOrCreateKey(kDesktopKey);
    if (!desktop) return -1;
    image->SysTiltWheelSpeed = buffer.Read(*desktop, "WheelScrollChars");
  }
  return 1;
}

int WriteSystemMouseSettings(IRegistry& registry, SettingsImage* image) {
  (void)CopyProfileToHeader(image);
  {
    std::unique_ptr<IRegistryKey> mouse = registry.OpenOrCreateKey(kMouseKey);
    if (!mouse) return -1;
    const AccelerationRow& row = kAccelerationTable[image->SysAccelerationFlag != 0 ? 1 : 0];
    bool ok =
        WriteInt(*mouse, "DoubleClickSpeed", DoubleClickMsFromLevel(image->SysDbleClickSpeed));
    ok = WriteInt(*mouse, "MouseSensitivity", image->SysMouseSpeed) && ok;
    ok = WriteInt(*mouse, "MouseSpeed", row.Speed) && ok;
    ok = WriteInt(*mouse, "MouseThreshold1", row.Threshold1) && ok;
    ok = WriteInt(*mouse, "MouseThreshold2", row.Threshold2) && ok;
    if (!ok) return -1;
  }
  {
    std::unique_ptr<IRegistryKey> desktop = registry.OpenOrCreateKey(kDesktopKey);
    if (!desktop) return -1;
    bool ok = image->SysScrollWheelFlag == 1
                  ? desktop->WriteString("WheelScrollLines", "-1", false)
                  : WriteInt(*desktop, "WheelScrollLines", image->SysScrollWheelSpeed);
    if (!ok) return -1;
  }
  {
    std::unique_ptr<IRegistryKey> desktop = registry.OpenOrCreateKey(kDesktopKey);
    if (!desktop) return -1;
    if (!WriteInt(*desktop, "WheelScrollChars", image->SysTiltWheelSpeed)) return -1;
  }
  return 1;
}

unsigned DoubleClickTimeForLevel(int level) {
  if (level < 1) level = 1;
  if (level > 11) level = 11;
  return static_cast<unsigned>(970 - 70 * level);
}

int ApplyDoubleClickLevel(ISystemMouse& system, int level) {
  return system.SetDoubleClickTime(DoubleClickTimeForLevel(level)) ? 1 : 0;
}

int ApplyPointerSpeed(ISystemMouse& system, int speed) {
  if (speed < 1) speed = 1;
  if (speed > 20) speed = 20;
  return system.SetPointerSpeed(speed) ? 1 : 0;
}

}  // namespace karvo::settings
