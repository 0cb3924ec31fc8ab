#pragma once
// The user's hand: pointer moves, button presses and keys through SendInput, as real input
// arrives (the window under the pointer, the focus, the capture all play their part).
#include <windows.h>

#include <string_view>
#include <vector>

namespace karvo::testing {

// Puts the pointer on a screen point; false when it did not get there.
bool MoveMouse(POINT screen);
bool PressLeft(bool down);
bool PressRight(bool down);
// Down and up.
bool TapKey(WORD virtualKey);
// Down or up only (a modifier held while other keys are tapped).
bool HoldKey(WORD virtualKey, bool down);
// Keys tapped one after the other, each given time to be handled before the next: a menu
// opens its submenus one at a time.
bool TypeKeys(const std::vector<WORD>& keys);
// Characters, not keys: any keyboard layout types the same.
bool TypeText(std::wstring_view text);

}  // namespace karvo::testing
