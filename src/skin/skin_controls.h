#pragma once
// What the window builder makes of each row of a layout table: which control, which id.
#include <cstddef>
#include <cstdint>

#include "skin/window_layouts.h"

namespace karvo::skin {

enum class SkinControlType : std::uint8_t {
  None,       // a place only (page rectangles, embedded panels)
  Button,     // ImageButton
  NameLabel,  // ProfileNameLabel
  Edit,       // ColorEdit
  Slider,     // SkinSlider
  Picture,    // hidden picture window
  List,       // EditableList, made by the window that owns it
};

SkinControlType ControlTypeOf(ControlKind kind);

// Buttons whose every click flips their check state themselves.
bool IsToggleButton(ControlKind kind);

// Rows without an id of their own get one from this range by their index in the table, far
// from the ids the tables give and from IDOK and IDCANCEL, which the dialog manager sends for
// keys and the close box.
inline constexpr std::int32_t kFirstBuilderControlId = 1000;
std::int32_t ControlIdOf(const ControlSpec& control, std::size_t index);

}  // namespace karvo::skin
