#include "skin/image_button_state.h"

namespace karvo::skin {

ButtonImage SelectButtonImage(const ButtonDrawState& s) {
  if (s.ToggleMode) {
    if (s.Disabled) return ButtonImage::Disabled;
    if (s.Selected) return ButtonImage::Selected;
    if (s.Hover) return ButtonImage::Hover;
    return ButtonImage::Normal;
  }
  if (s.Selected && !s.Disabled) return ButtonImage::Selected;
  if (s.Pressed) return ButtonImage::Selected;
  if (s.Hover) return ButtonImage::Hover;
  if (s.Disabled) return ButtonImage::Disabled;
  return ButtonImage::Normal;
}

}  // namespace karvo::skin
