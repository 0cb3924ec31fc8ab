#include "skin/skin_controls.h"

namespace karvo::skin {

SkinControlType ControlTypeOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Tab:
    case ControlKind::Push:
    case ControlKind::Slot:
    case ControlKind::Mode:
    case ControlKind::Radio:
    case ControlKind::Check:
    case ControlKind::ColourRadio:
    case ControlKind::BitmapButton:
    case ControlKind::TextButton:
    case ControlKind::ButtonLabel:
      return SkinControlType::Button;
    case ControlKind::NameLabel:
      return SkinControlType::NameLabel;
    case ControlKind::Edit:
    case ControlKind::DigitsEdit:
    case ControlKind::PasswordEdit:
    case ControlKind::KeyNameEdit:
      return SkinControlType::Edit;
    case ControlKind::Slider:
      return SkinControlType::Slider;
    case ControlKind::Picture:
      return SkinControlType::Picture;
    case ControlKind::EditableList:
      return SkinControlType::List;
    case ControlKind::PageRect:
    case ControlKind::ChildPos:
      break;
  }
  return SkinControlType::None;
}

bool IsToggleButton(ControlKind kind) { return kind == ControlKind::Check; }

std::int32_t ControlIdOf(const ControlSpec& control, std::size_t index) {
  if (control.Id != 0) return control.Id;
  return kFirstBuilderControlId + static_cast<std::int32_t>(index);
}

}  // namespace karvo::skin
