#pragma once
// The configurator's dialogs used from outside, as a user would: the skinned dialogs and the
// system's file dialogs found by their owner, their controls clicked at the places their
// layout tables give, text typed into whatever has the keyboard focus.
#include <windows.h>

#include <string>
#include <string_view>

#include "skin/skin_layout.h"
#include "skin/window_layouts.h"

namespace karvo::e2e {

// A visible dialog (window class "#32770") owned by owner; nullptr when none came within
// timeoutMs.
HWND WaitForDialogOwnedBy(HWND owner, DWORD timeoutMs);

// A control of a skinned window's table by its layout name.
skin::SkinLayout WindowControl(skin::WindowId window, std::string_view name);
// A real click in the middle of the control of dialog's table named name.
void ClickControl(HWND dialog, skin::WindowId window, std::string_view name);
// What an edit control of dialog's table shows.
std::string FieldText(HWND dialog, skin::WindowId window, std::string_view name);

// Types text as characters (not keys), so any layout gives the same text.
bool TypeText(std::wstring_view text);

// In an open or save dialog: replaces what its name field shows with path, typed, and
// presses Enter. Answers Yes when the dialog asks whether to replace an existing file.
void ChooseInFileDialog(HWND fileDialog, const std::string& path);

}  // namespace karvo::e2e
