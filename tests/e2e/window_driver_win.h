#pragma once
// Any window of the suite used from outside, as a user would: controls found where their
// window's layout table places them, real clicks, texts asked of the windows themselves, the
// dialogs a window opens found by their owner. Tests and benchmarks alike use it: every step
// says whether it could be done.
#include <windows.h>

#include <span>
#include <string>
#include <string_view>

#include "skin/skin_layout.h"
#include "skin/window_layouts.h"

namespace karvo::e2e {

inline constexpr char kDialogClass[] = "#32770";

// A visible top-level window with exactly this title; nullptr after timeoutMs.
HWND WaitForTitle(const char* title, DWORD timeoutMs);

// A control of a layout table by its layout name ("Apply", "BUTTON_OK"), in the client
// coordinates of the window the table describes; an empty layout, and a failure of the running
// test, when the table has none.
skin::SkinLayout ControlIn(std::span<const skin::ControlSpec> table, std::string_view name);
skin::SkinLayout ControlIn(skin::WindowId window, std::string_view name);
POINT Middle(const skin::SkinLayout& layout);

// The visible child window at the middle of a control's rectangle.
HWND ChildAt(HWND window, const skin::SkinLayout& layout);
// The innermost visible window there, enabled or not: a page's or a panel's control rather
// than the page or the panel.
HWND ControlAt(HWND window, const skin::SkinLayout& layout);

enum class MouseButton { kLeft, kRight };
// kOnceCaptured: over a skinned button the press waits until the button has taken the mouse
// capture, as it does when the pointer comes over it (before, the press could go to whatever
// held the capture). Not for every button: pressed into its hover, the program dialog's browse
// button opens the file dialog, and a click on the program dialog's OK after it is lost.
enum class Press { kAtOnce, kOnceCaptured };
// A real click at a screen point.
[[nodiscard]] bool ClickScreen(POINT at, MouseButton button = MouseButton::kLeft,
                               Press press = Press::kAtOnce);
// A real click at a point of a window's client area, given time to be handled. After a left
// click the pointer leaves, so that no hover look or tooltip stays on what is looked at next;
// after a right click it stays where the menu opens.
[[nodiscard]] bool ClickPoint(HWND window, POINT client, MouseButton button = MouseButton::kLeft,
                              Press press = Press::kAtOnce);
// The same in the middle of a control's rectangle; false for the empty layout of no control.
[[nodiscard]] bool ClickAt(HWND window, const skin::SkinLayout& control,
                           MouseButton button = MouseButton::kLeft, Press press = Press::kAtOnce);

// A visible window owned by owner, of the class windowClass (any class for nullptr: the
// tooltips of the owner's buttons are owned by it too); nullptr when none came within timeoutMs.
HWND WaitForOwned(HWND owner, DWORD timeoutMs = 0, const char* windowClass = kDialogClass);

// A window's text asked of the window itself, in the ANSI code page: for another process's
// edit field GetWindowText gives only the caption the system keeps, not what the field holds.
// Empty when the window does not answer.
std::string TextOf(HWND window);

// In an open or save dialog: deletes what the name field proposes, types path, presses Enter,
// and answers Yes when asked whether to replace a file.
void ChooseInFileDialog(HWND fileDialog, const std::string& path);

}  // namespace karvo::e2e
