#pragma once
// The configurator's windows and the system's file dialogs used from outside, as a user would:
// controls of any skinned window's table clicked where the table places them, dialogs found by
// their owner, text typed into whatever has the keyboard focus.
#include <windows.h>

#include <string>
#include <string_view>

#include "skin/skin_layout.h"
#include "skin/window_layouts.h"

namespace karvo::e2e {

// A real click in the middle of a control, pressed once the skinned button under the pointer
// has taken the mouse capture (before, the press could go to whatever held it); the pointer
// then leaves the window.
void ClickControl(HWND hwnd, skin::WindowId window, std::string_view name);
// What an edit field of the table holds (asked of it: another process's GetWindowText is not).
std::string FieldText(HWND hwnd, skin::WindowId window, std::string_view name);
// Characters, not keys: any keyboard layout types the same.
bool TypeText(std::wstring_view text);
// In an open or save dialog: deletes what the name field proposes, types path, presses Enter,
// and answers Yes when asked whether to replace a file.
void ChooseInFileDialog(HWND fileDialog, const std::string& path);

}  // namespace karvo::e2e
