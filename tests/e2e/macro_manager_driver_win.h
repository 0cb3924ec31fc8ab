#pragma once
// The configurator's macro manager used from outside as a user would: its controls and those
// of its editor panel found by their layout names, real clicks and keys, what its lists and
// fields hold read through their windows, and the image-only dialogs it opens. For the tests
// and the benchmarks alike: every step says whether it could be done.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "skin/skin_layout.h"
#include "skin/window_layouts.h"

namespace karvo::e2e {

// A visible top-level window with exactly this title; nullptr after timeoutMs.
HWND WaitForTitle(const char* title, DWORD timeoutMs);

// A control of a window's table by its layout name; an empty layout when there is none.
skin::SkinLayout ControlIn(std::span<const skin::ControlSpec> table, std::string_view name);
// A control of the manager ("BUTTON_New") or of its editor panel ("BUTTON_Start_Record"), in
// the manager's client coordinates.
skin::SkinLayout ManagerControl(std::string_view name);
skin::SkinLayout EditorControl(std::string_view name);
// The window showing a control (the panel's controls live in the panel); an enabled one only.
HWND ManagerChild(HWND manager, const skin::SkinLayout& control);
// A real click of the left or right button in the middle of a control or at a point of a
// window's client area. After a left click the pointer leaves, so no hover look stays; after a
// right click it stays where the menu opens.
[[nodiscard]] bool ClickControl(HWND window, const skin::SkinLayout& control, bool right = false);
[[nodiscard]] bool ClickPoint(HWND window, POINT client, bool right = false);
// The middle of line `line` of the event list, in the manager's client coordinates, counted
// from the list's first visible line.
POINT EventLinePoint(int line);

// Key presses and releases through SendInput, one at a time.
[[nodiscard]] bool PressKey(WORD virtualKey, bool down);
[[nodiscard]] bool TypeKeys(const std::vector<WORD>& keys);

// What a list of the configurator holds: its lines' item values (their texts are drawn by the
// program and stay there), and its selected line (-1 for none).
std::vector<std::uint32_t> ListValues(HWND list);
int ListSelection(HWND list);

// The visible dialog owned by owner (an image-only dialog), if one is open.
HWND OwnedDialog(HWND owner);

}  // namespace karvo::e2e
