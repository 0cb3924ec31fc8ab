#include "tests/e2e/macro_manager_driver_win.h"

#include "skin/window_layouts.h"

namespace karvo::e2e {
namespace {

constexpr int kLineHeight = 16;  // the editable list's lines

}  // namespace

skin::SkinLayout ManagerControl(std::string_view name) {
  return ControlIn(skin::kMacroManagerControls, name);
}

skin::SkinLayout EditorControl(std::string_view name) {
  const skin::SkinLayout panel = ManagerControl("CHILD_POS");
  skin::SkinLayout layout = ControlIn(skin::kMacroEditorControls, name);
  layout.Left += panel.Left;
  layout.Right += panel.Left;
  layout.Top += panel.Top;
  layout.Bottom += panel.Top;
  return layout;
}

POINT EventLinePoint(int line) {
  const skin::SkinLayout list = EditorControl("Action_List_key_sequence");
  return {(list.Left + list.Right) / 2, list.Top + line * kLineHeight + kLineHeight / 2};
}

std::vector<std::uint32_t> ListValues(HWND list) {
  std::vector<std::uint32_t> values;
  const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    values.push_back(static_cast<std::uint32_t>(::SendMessageA(list, LB_GETITEMDATA, i, 0)));
  }
  return values;
}

int ListSelection(HWND list) { return static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)); }

}  // namespace karvo::e2e
