#pragma once
// What the skinned controls tell the window they sit in. All are posted to the parent.
#include <cstdint>

namespace karvo::skin {

// SkinSlider: wParam the new position, lParam the slider's id; on a click on the track, every
// movement of the dragged thumb and its release.
inline constexpr std::uint32_t kMsgSliderPosition = 1094;
// ColorEdit: a key was released in the field; wParam kEditKeyReleasedCode, lParam 0.
inline constexpr std::uint32_t kMsgEditKeyReleased = 1116;
inline constexpr std::uintptr_t kEditKeyReleasedCode = 13;
// ImageButton: wParam 1 when the pointer enters the button, 0 when it leaves; lParam its hover
// id.
inline constexpr std::uint32_t kMsgHoverChanged = 1124;

// Registered messages of ColorEdit: wParam 0, lParam the field's notify id. The first follows
// every change of the text, typed or set by the program; the second the loss of the focus.
inline constexpr char kBitmapEditChangeName[] = "BitmapEdit_Change";
inline constexpr char kBitmapEditKillFocusName[] = "BitmapEdit_KillFocus";

}  // namespace karvo::skin
