#pragma once
// Key combinations of function code 5, and the single virtual-key presses the monitor makes.
#include <cstdint>

#include "monitor/input_injector.h"
#include "settings/key_codes.h"

namespace karvo::monitor {

// The modifier mask as the configurator stores it and the mouse receives it in the button map.
inline constexpr std::uint8_t kModifierNone = 0x01;  // overrides the others
inline constexpr std::uint8_t kModifierShift = 0x02;
inline constexpr std::uint8_t kModifierCtrl = 0x04;
inline constexpr std::uint8_t kModifierAlt = 0x08;
inline constexpr std::uint8_t kModifierWindows = 0x10;

inline constexpr std::uint32_t kCombinationStepMs = 500;

// Left and right Shift, Ctrl and Alt become the generic keys, which every program understands.
int FoldModifier(int virtualKey);
// The virtual key to inject for a key code under the current layout; 0 when there is none.
int PlaybackVirtualKey(const settings::IKeyboardLayout& layout, int keyCode);

// Ctrl, Shift, Alt, Windows down (500 ms after each), the key down and after 500 ms up, then the
// modifiers up in reverse order with 500 ms before each.
void PlayKeyCombination(std::uint8_t keyCode, std::uint8_t mask, IInputInjector& injector,
                        IPlaybackTimer& timer, const settings::IKeyboardLayout& layout);

// Down and up as an extended key with scan code 0 (launch and media keys).
void PressVirtualKey(int virtualKey, IInputInjector& injector);

}  // namespace karvo::monitor
