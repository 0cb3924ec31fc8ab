#pragma once
// SetLayeredWindowAttributes, found at run time: without it the notice
// box is simply opaque.
#include <windows.h>

namespace karvo::osd {

// False when the function is missing or fails.
[[nodiscard]] bool SetWindowAlpha(HWND hwnd, BYTE alpha);

}  // namespace karvo::osd
