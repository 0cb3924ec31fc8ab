#pragma once
// The configurator's macro manager used from outside as a user would: its controls and those
// of its editor panel found by their layout names, and what its lists hold read through their
// windows. For the tests and the benchmarks alike.
#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "skin/skin_layout.h"
#include "tests/e2e/window_driver_win.h"

namespace karvo::e2e {

// A control of the manager ("BUTTON_New") or of its editor panel ("BUTTON_Start_Record"), in
// the manager's client coordinates.
skin::SkinLayout ManagerControl(std::string_view name);
skin::SkinLayout EditorControl(std::string_view name);
// The middle of line `line` of the event list, in the manager's client coordinates, counted
// from the list's first visible line.
POINT EventLinePoint(int line);

// What a list of the configurator holds: its lines' item values (their texts are drawn by the
// program and stay there), and its selected line (-1 for none).
std::vector<std::uint32_t> ListValues(HWND list);
int ListSelection(HWND list);

}  // namespace karvo::e2e
