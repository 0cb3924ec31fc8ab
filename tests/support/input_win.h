#pragma once
// The user's hand: pointer moves, button presses and keys through SendInput, as real input
// arrives (the window under the pointer, the focus, the capture all play their part).
#include <windows.h>

namespace karvo::testing {

// Puts the pointer on a screen point; false when it did not get there.
bool MoveMouse(POINT screen);
bool PressLeft(bool down);
// Down and up.
bool TapKey(WORD virtualKey);
// Down or up only (a modifier held while other keys are tapped).
bool HoldKey(WORD virtualKey, bool down);

}  // namespace karvo::testing
