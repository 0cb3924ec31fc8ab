#include "monitor/key_combination.h"

namespace karvo::monitor {

namespace {
constexpr int kVkShift = 16;
constexpr int kVkCtrl = 17;
constexpr int kVkAlt = 18;
constexpr int kVkWindows = 91;

struct ModifierBit {
  std::uint8_t Bit;
  int VirtualKey;
};
constexpr ModifierBit kModifierOrder[] = {{kModifierCtrl, kVkCtrl},
                                          {kModifierShift, kVkShift},
                                          {kModifierAlt, kVkAlt},
                                          {kModifierWindows, kVkWindows}};
}  // namespace

int FoldModifier(int virtualKey) {
  switch (virtualKey) {
    case 160:
    case 161:
      return kVkShift;
    case 162:
    case 163:
      return kVkCtrl;
    case 164:
    case 165:
      return kVkAlt;
    default:
      return virtualKey;
  }
}

int PlaybackVirtualKey(const settings::IKeyboardLayout& layout, int keyCode) {
  int virtualKey = 0;
  if (!settings::KeyCodeToVirtualKey(layout, keyCode, &virtualKey)) return 0;
  // A layout answer outside the byte range is not a key keybd_event can send.
  if (virtualKey <= 0 || virtualKey > 0xFF) return 0;
  return FoldModifier(virtualKey);
}

void PlayKeyCombination(std::uint8_t keyCode, std::uint8_t mask, IInputInjector& injector,
                        IPlaybackTimer& timer, const settings::IKeyboardLayout& layout) {
  int modifiers[4];
  int count = 0;
  if ((mask & kModifierNone) == 0) {
    for (const ModifierBit& m : kModifierOrder) {
      if (mask & m.Bit) modifiers[count++] = m.VirtualKey;
    }
  }
  for (int i = 0; i < count; ++i) {
    injector.Key(modifiers[i], layout.VirtualKeyToScanCode(modifiers[i]), false, false);
    timer.Sleep(kCombinationStepMs);
  }
  int key = PlaybackVirtualKey(layout, keyCode);
  if (key != 0) {
    int scan = layout.VirtualKeyToScanCode(key);
    injector.Key(key, scan, false, false);
    timer.Sleep(kCombinationStepMs);
    injector.Key(key, scan, true, false);
  }
  for (int i = count - 1; i >= 0; --i) {
    timer.Sleep(kCombinationStepMs);
    injector.Key(modifiers[i], layout.VirtualKeyToScanCode(modifiers[i]), true, false);
  }
}

void PressVirtualKey(int virtualKey, IInputInjector& injector) {
  injector.Key(virtualKey, 0, false, true);
  injector.Key(virtualKey, 0, true, true);
}

}  // namespace karvo::monitor
