#pragma once
// Which of its four images an ImageButton shows.
namespace karvo::skin {

enum class ButtonImage { Normal, Hover, Selected, Disabled };

struct ButtonDrawState {
  bool Selected;    // checked: tab, radio or check state, set by the owner
  bool ToggleMode;  // each click flips Selected
  bool Hover;       // the pointer is over the button
  bool Pressed;     // the system's selected draw state
  bool Disabled;    // the system's disabled draw state
};

// Push, tab and radio buttons: a selected button stays lit unless disabled, a press
// lights it, then hover, then disabled. Check boxes (toggle mode): disabled wins,
// then the check state, then hover; a press alone shows nothing until the release
// flips the state.
ButtonImage SelectButtonImage(const ButtonDrawState& state);

}  // namespace karvo::skin
