#pragma once
// What the skin's Wine tests share: a skinned window that notes what its controls tell it, the
// place of a control on the screen, and a look at the screen against a state picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "skin/skinned_dialog_win.h"
#include "skin/window_layouts.h"

namespace karvo::skin::skin_test {

// Posted to a NotedWindow: it opens a popup menu with one item and keeps what it returned.
inline constexpr UINT kOpenMenu = WM_APP + 1;

// A skinned window, top-level ones on top of everything, that notes its commands and the
// messages of the skinned controls (hover, slider, edit key, the registered edit messages).
class NotedWindow final : public SkinnedDialog {
 public:
  using SkinnedDialog::SkinnedDialog;
  struct Note {
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    bool operator==(const Note&) const = default;
  };
  std::vector<Note> Notes;
  int EndOnId = -1;  // a command of this id ends the dialog with it
  UINT MenuResult = 0xFFFF;

  std::vector<Note> Take(UINT message);

 protected:
  bool OnInit() override;
  void OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
};

std::size_t IndexOf(const WindowSpec& window, std::string_view name);
RECT OnScreen(HWND window, RECT rect);
POINT Centre(const RECT& rect);

// The text a tooltip control of this thread holds for the whole of control ("" for none).
std::wstring TooltipOf(HWND control);

// The screen at rect of window shows that rectangle of state picture imageId, decoded anew;
// painting follows input, so it is looked at until it matches or a bound ends. A capture that
// does not match is saved under name.
::testing::AssertionResult Shows(HWND window, const RECT& rect, int imageId, const char* name);

}  // namespace karvo::skin::skin_test
